#include "BaseDeTest.h"

#include "db/Valeurs.h"
#include "stock/AlertesStock.h"

#include <gtest/gtest.h>

namespace {

class AlertesStockTest : public TestAvecBase {
protected:
    void article(qint64 reference, const QVariant& delai, int alerte = 99) {
        cnx().executer(QStringLiteral("INSERT INTO ArticleEnStock (Reference, Designation, StockAlert, "
                                      "DelaiLivraison) VALUES (?, 'GANT', ?, CAST(? AS INT))"),
                       {reference, alerte, delai});
    }
    void retrait(const QDateTime& quand, qint64 reference, int quantite) {
        const QVariant num = cnx().valeurUnique(
            QStringLiteral("INSERT INTO Ventes (LaDate, Utilisateur) VALUES (?, 'B1') RETURNING NumVente"),
            {Valeurs::valeurDate(quand)});
        cnx().executer(QStringLiteral("INSERT INTO DetailVente (NumVente, Reference, Designation, Quantite) "
                                      "VALUES (?, ?, 'GANT', ?)"),
                       {num, reference, quantite});
    }
    qint64 alerte(qint64 reference) {
        return cnx()
            .valeurUnique(QStringLiteral("SELECT StockAlert FROM ArticleEnStock WHERE Reference = ?"),
                          {reference})
            .toLongLong();
    }
    static QDateTime le(int jour, int h = 12, int m = 0, int s = 0) {
        return QDateTime(QDate(2026, 3, jour), QTime(h, m, s));
    }
};

} // namespace

TEST(AlertesStockNiveau, FormulasAndHalvesToEven) {
    const QVariant sansDelai(QMetaType::fromType<qint64>());
    EXPECT_EQ(AlertesStock::niveauAlerte(10, 30, sansDelai), 2);
    EXPECT_EQ(AlertesStock::niveauAlerte(10, 30, 4), 3);
    EXPECT_EQ(AlertesStock::niveauAlerte(3, 31, 0), 1) << "at least 1 with a delay";
    EXPECT_EQ(AlertesStock::niveauAlerte(5, 2, sansDelai), 18);
    EXPECT_EQ(AlertesStock::niveauAlerte(3, 2, sansDelai), 10);
    EXPECT_EQ(AlertesStock::niveauAlerte(1, 30, sansDelai), 0) << "no lower bound without delay";
}

// The period's bounds are strict, every consumed article is written, the others and unknown
// references are left alone; a period giving nothing to compute changes nothing.
TEST_P(AlertesStockTest, PeriodBoundsLevelsAndRefusals) {
    article(1, QVariant(), 50);
    article(2, 4, 50);
    article(3, QVariant(), 7);           // no consumption
    retrait(le(1, 0, 0, 0), 1, 100);     // at 00:00:00 of the first day: not counted
    retrait(le(30, 23, 59, 59), 1, 100); // at 23:59:59 of the last day: not counted
    retrait(le(1, 0, 0, 1), 1, 4);
    retrait(le(15), 1, 6);
    retrait(le(15), 2, 10);
    retrait(le(16), 999, 5); // article deleted since
    ASSERT_TRUE(AlertesStock::CalculerAlertes(cnx(), QDate(2026, 3, 1), QDate(2026, 3, 30)));
    EXPECT_EQ(alerte(1), 2);
    EXPECT_EQ(alerte(2), 3);
    EXPECT_EQ(alerte(3), 7);

    cnx().executer(QStringLiteral("UPDATE ArticleEnStock SET StockAlert = 50"));
    EXPECT_FALSE(AlertesStock::CalculerAlertes(cnx(), QDate(2026, 3, 30), QDate(2026, 3, 1)));
    EXPECT_FALSE(AlertesStock::CalculerAlertes(cnx(), QDate(), QDate(2026, 3, 1)));
    EXPECT_FALSE(AlertesStock::CalculerAlertes(cnx(), QDate(2026, 5, 1), QDate(2026, 5, 31)));
    EXPECT_EQ(alerte(1), 50);
    EXPECT_FALSE(cnx().enTransaction());

    // Two days, without delay: 5 units give 18.
    retrait(le(20), 3, 5);
    ASSERT_TRUE(AlertesStock::CalculerAlertes(cnx(), QDate(2026, 3, 20), QDate(2026, 3, 21)));
    EXPECT_EQ(alerte(3), 18);
    EXPECT_EQ(alerte(1), 50);
}

// The levels written by the database are those of the formula, halves to even included, negative
// consumption (returns) and the floor of 1 with a delay, over periods that halve and that do not.
TEST_P(AlertesStockTest, WrittenLevelsAreTheFormulas) {
    struct Cas {
        int total;
        QVariant delai;
    };
    const QVariant sansDelai;
    const QList<Cas> cas = {{5, sansDelai}, {3, sansDelai}, {1, sansDelai}, {-3, sansDelai}, {-1, sansDelai},
                            {0, sansDelai}, {1, 1},         {3, 1},         {1, 0},          {0, 0},
                            {-5, 2},        {7, 3},         {2, sansDelai}};
    for (int i = 0; i < cas.size(); ++i) {
        article(100 + i, cas[i].delai, -7);
        retrait(QDateTime(QDate(2026, 4, 10), QTime(9, 0)), 100 + i, cas[i].total);
    }
    for (const int jours : {7, 3, 2}) {
        ASSERT_TRUE(
            AlertesStock::CalculerAlertes(cnx(), QDate(2026, 4, 10), QDate(2026, 4, 10).addDays(jours - 1)));
        for (int i = 0; i < cas.size(); ++i)
            EXPECT_EQ(alerte(100 + i), AlertesStock::niveauAlerte(cas[i].total, jours, cas[i].delai))
                << cas[i].total << " over " << jours << " days, delay "
                << cas[i].delai.toString().toStdString();
    }
    EXPECT_EQ(alerte(100), 18); // 17.5
    EXPECT_EQ(alerte(101), 10); // 10.5
}

DORVANE_SUR_CHAQUE_BASE(AlertesStockTest);
