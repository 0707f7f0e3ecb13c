#include "BaseDeTest.h"

#include "common/ErreurExecution.h"
#include "db/Valeurs.h"
#include "stock/EntreeStock.h"

#include <gtest/gtest.h>

using namespace EntreeStock;

namespace {

class EntreeStockTest : public TestAvecBase {
protected:
    QVariant stock(qint64 reference) {
        return cnx().valeurUnique(QStringLiteral("SELECT QteEnStock FROM ArticleEnStock WHERE Reference = ?"),
                                  {reference});
    }
    Mouvement entree(qint64 reference, qint32 qte) {
        Mouvement m;
        m.reference = reference;
        m.qte = qte;
        m.jour = QDate(2026, 4, 2);
        return m;
    }
};

int numeroErreur(const std::function<void()>& f) {
    try {
        f();
    } catch (const ErreurExecution& e) {
        return e.numero();
    }
    return 0;
}

} // namespace

TEST(EntreeStock, UnitsOfAPackCountAndTheRunningTotal) {
    EXPECT_EQ(quantiteEntree(QStringLiteral("-2"), 5), -10);
    EXPECT_EQ(quantiteEntree(QStringLiteral("2147483647"), 1), 2147483647);
    const int overflow = ErreurExecution::Overflow, type = ErreurExecution::TypeMismatch;
    for (const char* n : {"2147483648", "99999999999999999999999", "1000000", "-1000000"})
        EXPECT_EQ(numeroErreur([n] { quantiteEntree(QString::fromLatin1(n), 5000); }), overflow) << n;
    EXPECT_EQ(numeroErreur([] { quantiteEntree(QStringLiteral("5-"), 5); }), type);
    EXPECT_EQ(numeroErreur([] { quantiteEntree(QStringLiteral("4"), QVariant()); }), type) << "no pack size";
    EXPECT_EQ(texteTotal(QStringLiteral("-02"), 5), QStringLiteral("TOTAL: -02 x 5 = -10"));
    EXPECT_EQ(texteTotal(QStringLiteral("4"), QVariant()), QStringLiteral("TOTAL: 4 x  = "));
}

TEST_P(EntreeStockTest, AnEntryIsRelativeAndWritesAllOrNothing) {
    cnx().executer(QStringLiteral("INSERT INTO ArticleEnStock (Reference, QteEnStock) VALUES (1001, 12), "
                                  "(1002, NULL), (1003, 2147483640)"));
    auto mouvements = [this] {
        return Valeurs::lireEntier(cnx().valeurUnique(QStringLiteral("SELECT COUNT(*) FROM MouvementStock")));
    };
    // Another workstation's withdrawal made meanwhile is kept.
    cnx().executer(
        QStringLiteral("UPDATE ArticleEnStock SET QteEnStock = QteEnStock - 2 WHERE Reference = 1001"));
    ASSERT_TRUE(entrerStock(cnx(), entree(1001, -10)));
    EXPECT_EQ(stock(1001).toLongLong(), 0);
    EXPECT_EQ(Valeurs::lireDate(cnx().valeurUnique(
                  QStringLiteral("SELECT DateDernierMouvement FROM ArticleEnStock WHERE Reference = 1001"))),
              QDateTime(QDate(2026, 4, 2), QTime(0, 0)));
    ASSERT_TRUE(entrerStock(cnx(), entree(1002, 20)));
    EXPECT_EQ(stock(1002).toLongLong(), 20) << "a Null reserve counts as 0";
    EXPECT_EQ(mouvements(), 2);

    EXPECT_EQ(numeroErreur([&] { entrerStock(cnx(), entree(1003, 8)); }), int(ErreurExecution::Overflow));
    EXPECT_EQ(stock(1003).toLongLong(), 2147483640);
    EXPECT_FALSE(entrerStock(cnx(), entree(999, 5)));
    EXPECT_EQ(mouvements(), 2);

    // The journal refuses its row: the reserve stays as it was.
    cnx().executer(QStringLiteral("ALTER TABLE MouvementStock RENAME TO MouvementStockAbsent"));
    EXPECT_THROW(entrerStock(cnx(), entree(1001, 20)), ErreurExecution);
    EXPECT_EQ(stock(1001).toLongLong(), 0);
    EXPECT_FALSE(cnx().enTransaction());
}

DORVANE_SUR_CHAQUE_BASE(EntreeStockTest);
