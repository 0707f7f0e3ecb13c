#include "BaseDeTest.h"

#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/FnWendrox.h"
#include "counter/EnregistrerVente.h"
#include "db/Recordset.h"
#include "db/Valeurs.h"
#include "stock/EntreeStock.h"

#include <QMutex>
#include <QStringList>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

namespace {

const QDateTime Maintenant(QDate(2026, 3, 14), QTime(9, 26, 53));

QVariant nul() {
    return QVariant(QMetaType::fromType<QString>());
}

int numeroErreur(const std::function<void()>& f) {
    try {
        f();
    } catch (const ErreurExecution& e) {
        return e.numero();
    }
    return 0;
}

// BERTIN Zoé takes the gloves 1001 at 1.25 the unit.
ValeursVente vente(qint64 reference = 1001, const QVariant& prix = 1.25) {
    return {QStringLiteral("7A31C"),
            QStringLiteral("M-0042"),
            QStringLiteral("BERTIN"),
            QStringLiteral("Zoé"),
            prix,
            reference,
            QStringLiteral("Gants nitrile"),
            QStringLiteral("Gants"),
            QStringLiteral("Usine Nord"),
            qint64(2),
            QStringLiteral("Atelier"),
            qint64(3),
            qint64(4),
            QStringLiteral("F100"),
            QString::fromUtf8(""),
            QStringLiteral("9"),
            QStringLiteral("GT-42"),
            qint64(17),
            qint64(1)};
}

class EnregistrerVenteTest : public TestAvecBase {
protected:
    void SetUp() override {
        TestAvecBase::SetUp();
        FnWendrox::definirHorloge([] { return Maintenant; });
    }
    void TearDown() override {
        FnWendrox::definirHorloge({});
        Global().OptionVersionGSM = false;
        TestAvecBase::TearDown();
    }
    void article(qint64 reference, const QVariant& qte) {
        cnx().executer(QStringLiteral("INSERT INTO ArticleEnStock (Reference, QteEnStock) VALUES (?, ?)"),
                       {reference, qte});
    }
    QVariant stock(qint64 reference) {
        return cnx().valeurUnique(QStringLiteral("SELECT QteEnStock FROM ArticleEnStock WHERE Reference = ?"),
                                  {reference});
    }
    qint64 lignes(const char* table) {
        return Valeurs::lireEntier(
            cnx().valeurUnique(QStringLiteral("SELECT COUNT(*) FROM %1").arg(QLatin1String(table))));
    }
    // The header and the line of a withdrawal, typed as the layer reads them.
    void lire(qint64 numVente, Recordset& entete, Recordset& ligne) {
        entete.Open(cnx(), QStringLiteral("SELECT * FROM Ventes WHERE NumVente = ?"), {numVente});
        ligne.Open(cnx(), QStringLiteral("SELECT * FROM DetailVente WHERE NumVente = ?"), {numVente});
        ASSERT_EQ(entete.RecordCount(), 1);
        ASSERT_EQ(ligne.RecordCount(), 1);
    }
};

} // namespace

TEST(EnregistrerVente, QuantityIsDigitsNotZeroElseOne) {
    EXPECT_EQ(QuantiteVente(QStringLiteral("4")), 4);
    EXPECT_EQ(QuantiteVente(QStringLiteral("0012")), 12);
    EXPECT_EQ(QuantiteVente(QStringLiteral(" 7 ")), 7);
    EXPECT_EQ(QuantiteVente(QStringLiteral("2147483647")), 2147483647);
    EXPECT_EQ(QuantiteVente(QStringLiteral("0000000000002147483647")), 2147483647);
    for (const char* un : {"", "0", "000", "-3", "1.5", "3a", "1e3", " "})
        EXPECT_EQ(QuantiteVente(QString::fromLatin1(un)), 1) << un;
    for (const char* trop : {"2147483648", "99999999999", "99999999999999999999999999"})
        EXPECT_EQ(numeroErreur([trop] { QuantiteVente(QString::fromLatin1(trop)); }),
                  int(ErreurExecution::Overflow))
            << trop;
}

// One header, one line, the reserve lowered relatively; a Null reserve counts as 0 and the stock may go
// negative; Null article values stay Null; an article gone from the stock keeps its header and line.
TEST_P(EnregistrerVenteTest, RecordsHeaderLineAndLowersTheReserve) {
    article(1001, 9);
    article(1002, nul());
    article(1003, 0);

    const qint64 n = EnregistrerVente(cnx(), vente(), 4);
    Recordset v, d;
    lire(n, v, d);
    EXPECT_EQ(Valeurs::lireDate(v.Field(QStringLiteral("LaDate"))), Maintenant);
    EXPECT_EQ(v.Field(QStringLiteral("Utilisateur")).toString(), QStringLiteral("7A31C"));
    EXPECT_EQ(v.Field(QStringLiteral("Nom")).toString(), QStringLiteral("BERTIN"));
    EXPECT_EQ(v.Field(QStringLiteral("Prenom")).toString(), QStringLiteral("Zoé"));
    EXPECT_EQ(v.Field(QStringLiteral("TypeMouvement")).toLongLong(), 3);
    EXPECT_DOUBLE_EQ(v.Field(QStringLiteral("Total")).toDouble(), 1.25) << "the unit price, not multiplied";
    for (const char* vide : {"NoMachine", "NoAffaire", "Ticket"})
        EXPECT_TRUE(v.Field(QLatin1String(vide)).isNull()) << vide;
    QStringList ligne;
    for (const char* champ :
         {"Reference", "Designation", "Quantite", "PrixAchatUnit", "NomFamille", "NoFamille", "NomSite",
          "NoSite", "NomService", "NoService", "Profile", "CodeFournisseur", "Societe", "Taille",
          "RefFournisseur", "CodeArticle", "NoMachine"})
        ligne << (d.Field(QLatin1String(champ)).isNull() ? QStringLiteral("<nul>")
                                                         : d.Field(QLatin1String(champ)).toString());
    EXPECT_EQ(ligne, (QStringList{"1001", "Gants nitrile", "4", "5", "Gants", "1", "Usine Nord", "2",
                                  "Atelier", "3", "4", "F100", "", "9", "GT-42", "17", "0"}));
    EXPECT_EQ(stock(1001).toLongLong(), 5);

    // The multi-machine option marks the header as the counter's; from 0 the stock goes negative.
    Global().OptionVersionGSM = true;
    const qint64 gsm = EnregistrerVente(cnx(), vente(1003), 1);
    lire(gsm, v, d);
    EXPECT_EQ(v.Field(QStringLiteral("NoMachine")), QVariant(qint64(0)));
    EXPECT_EQ(d.Field(QStringLiteral("NoMachine")), QVariant(qint64(0)));
    EXPECT_EQ(stock(1003).toLongLong(), -1);
    EXPECT_GT(gsm, n);

    // A Null reserve is 0 less the quantity; a Null price, family and size stay Null in both rows.
    ValeursVente sansPrix = vente(1002, QVariant());
    sansPrix.NomFamille = nul();
    sansPrix.NoFamille = QVariant();
    sansPrix.Taille = nul();
    const qint64 nulle = EnregistrerVente(cnx(), sansPrix, 3);
    lire(nulle, v, d);
    EXPECT_TRUE(v.Field(QStringLiteral("Total")).isNull());
    for (const char* vide : {"PrixAchatUnit", "NomFamille", "NoFamille", "Taille"})
        EXPECT_TRUE(d.Field(QLatin1String(vide)).isNull()) << vide;
    EXPECT_EQ(d.Field(QStringLiteral("Quantite")).toLongLong(), 3);
    EXPECT_EQ(stock(1002).toLongLong(), -3);

    // Deleted since the counter read its list: header and line, and no reserve appears.
    const qint64 parti = EnregistrerVente(cnx(), vente(999), 2);
    lire(parti, v, d);
    EXPECT_TRUE(stock(999).isNull());
    EXPECT_EQ(lignes("ArticleEnStock"), 3);
    EXPECT_EQ(lignes("Ventes"), 4);
    EXPECT_EQ(lignes("DetailVente"), 4);
    EXPECT_FALSE(cnx().enTransaction());
}

// A reserve that would leave the 32-bit range and a line the database refuses: nothing at all written.
TEST_P(EnregistrerVenteTest, AFailureWritesNothing) {
    article(1001, -2);
    EXPECT_EQ(numeroErreur([&] { EnregistrerVente(cnx(), vente(), 2147483647); }),
              int(ErreurExecution::Overflow));
    EXPECT_EQ(stock(1001).toLongLong(), -2);
    EXPECT_EQ(lignes("Ventes") + lignes("DetailVente"), 0);
    EXPECT_FALSE(cnx().enTransaction());
    // Down to the very bottom of the range, then one more.
    EnregistrerVente(cnx(), vente(), 2147483646);
    EXPECT_EQ(stock(1001).toLongLong(), -2147483648LL);
    EXPECT_EQ(numeroErreur([&] { EnregistrerVente(cnx(), vente(), 1); }), int(ErreurExecution::Overflow));
    EXPECT_EQ(stock(1001).toLongLong(), -2147483648LL);
    EXPECT_EQ(lignes("Ventes"), 1);

    cnx().executer(QStringLiteral("UPDATE ArticleEnStock SET QteEnStock = 9"));
    refuserInsertions(cnx(), QStringLiteral("DetailVente"), QStringLiteral("ligne refusée"));
    try {
        EnregistrerVente(cnx(), vente(), 4);
        ADD_FAILURE() << "the refused line was not reported";
    } catch (const ErreurExecution& e) {
        EXPECT_EQ(e.numero(), ErreurExecution::ErreurBase);
        EXPECT_TRUE(e.description().contains(QStringLiteral("ligne refusée")))
            << e.description().toStdString();
    }
    EXPECT_EQ(lignes("Ventes"), 1) << "no header left without its line";
    EXPECT_EQ(stock(1001).toLongLong(), 9);
    EXPECT_FALSE(cnx().enTransaction());
}

// Four counters, a stock entry and a machine writing at once, each on its own connection: every
// decrement and every entry is kept, and every header has exactly its own line.
TEST_P(EnregistrerVenteTest, ConcurrentWritersKeepEveryChange) {
    constexpr int Fois = 50, Comptoirs = 4, Depart = 1000;
    article(1001, Depart);
    const ParametresConnexion parametres = base().parametres();
    QMutex verrou;
    QStringList erreurs;
    auto poste = [&](const std::function<void(Connexion&)>& travail) {
        try {
            Connexion c(parametres);
            for (int i = 0; i < Fois; ++i)
                travail(c);
        } catch (const ErreurExecution& e) {
            const QMutexLocker l(&verrou);
            erreurs << e.description();
        }
    };
    std::vector<std::thread> postes;
    for (int i = 0; i < Comptoirs; ++i)
        postes.emplace_back(poste, [](Connexion& c) { EnregistrerVente(c, vente(), 1); });
    postes.emplace_back(poste, [](Connexion& c) {
        EntreeStock::Mouvement m;
        m.reference = 1001;
        m.qte = 1;
        m.jour = Maintenant.date();
        EntreeStock::entrerStock(c, m);
    });
    // A machine's withdrawal: its header and its line, numbered by the machine, the reserve untouched.
    postes.emplace_back(poste, [](Connexion& c) {
        TransactionEcriture t(c);
        const QVariant n = c.valeurUnique(
            QStringLiteral("INSERT INTO Ventes (LaDate, Utilisateur, TypeMouvement, Total, NoMachine) VALUES "
                           "(?, 'MACHINE', 3, 1.25, 5) RETURNING NumVente"),
            {Valeurs::valeurDate(Maintenant)});
        c.executer(QStringLiteral("INSERT INTO DetailVente (NumVente, Reference, Quantite, NoMachine) VALUES "
                                  "(?, 1001, 1, 5)"),
                   {n});
        t.valider();
    });
    for (std::thread& t : postes)
        t.join();
    ASSERT_TRUE(erreurs.isEmpty()) << erreurs.join(u'\n').toStdString();

    EXPECT_EQ(stock(1001).toLongLong(), Depart - Comptoirs * Fois + Fois);
    // Each header with the count of its lines, their article and their machine.
    auto entetes = [&](const QString& machine) {
        QSqlQuery q = cnx().executer(
            QStringLiteral(
                "SELECT COUNT(D.Id), MIN(D.Reference), MAX(D.Reference), MIN(D.NoMachine), "
                "MAX(D.NoMachine) FROM Ventes V LEFT JOIN DetailVente D ON D.NumVente = V.NumVente "
                "WHERE %1 GROUP BY V.NumVente")
                .arg(machine));
        QMap<QString, int> r;
        while (q.next())
            ++r[QStringLiteral("%1 %2-%3 %4-%5")
                    .arg(q.value(0).toLongLong())
                    .arg(q.value(1).toLongLong())
                    .arg(q.value(2).toLongLong())
                    .arg(q.value(3).toLongLong())
                    .arg(q.value(4).toLongLong())];
        return r;
    };
    EXPECT_EQ(entetes(QStringLiteral("V.NoMachine IS NULL AND V.Utilisateur = '7A31C'")),
              (QMap<QString, int>{{QStringLiteral("1 1001-1001 0-0"), Comptoirs * Fois}}));
    EXPECT_EQ(entetes(QStringLiteral("V.NoMachine = 5")),
              (QMap<QString, int>{{QStringLiteral("1 1001-1001 5-5"), Fois}}));
    EXPECT_EQ(lignes("Ventes"), Comptoirs * Fois + Fois);
    EXPECT_EQ(lignes("DetailVente"), Comptoirs * Fois + Fois);
    EXPECT_EQ(lignes("MouvementStock"), Fois);
}

DORVANE_SUR_CHAQUE_BASE(EnregistrerVenteTest);
