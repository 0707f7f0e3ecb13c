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
#include <gtest/gtest.h>
#include <thread>

namespace {

const QDateTime Maintenant(QDate(2026, 3, 14), QTime(9, 26, 53));

int numeroErreur(const std::function<void()>& f) {
    try {
        f();
    } catch (const ErreurExecution& e) {
        return e.numero();
    }
    return 0;
}

// BERTIN Zoé takes the gloves at 1.25 the unit; the supplier's company is an empty text.
ValeursVente vente(qint64 reference = 1001, const QVariant& prix = 1.25) {
    return {"7A31C",   "M-0042",        "BERTIN",   "Zoé",        prix,
            reference, "Gants nitrile", "Gants",    "Usine Nord", qint64(2),
            "Atelier", qint64(3),       qint64(4),  "F100",       QString::fromUtf8(""),
            "9",       "GT-42",         qint64(17), qint64(1)};
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
    QVariant stock(qint64 reference) {
        return cnx().valeurUnique(QStringLiteral("SELECT QteEnStock FROM ArticleEnStock WHERE Reference = ?"),
                                  {reference});
    }
    qint64 lignes(const char* table) {
        return Valeurs::lireEntier(
            cnx().valeurUnique(QStringLiteral("SELECT COUNT(*) FROM %1").arg(QLatin1String(table))));
    }
    // The columns of the withdrawal's header and line, "<nul>" for Null.
    QString ligne(const char* table, qint64 numVente, const QStringList& colonnes) {
        Recordset rs;
        rs.Open(cnx(), QStringLiteral("SELECT %1 FROM %2 WHERE NumVente = ?").arg(colonnes.join(u','), table),
                {numVente});
        QStringList l(QString::number(rs.RecordCount()));
        for (int i = 0; i < colonnes.size(); ++i)
            l << (rs.Field(i).isNull() ? QStringLiteral("<nul>") : rs.Field(i).toString());
        return l.join(u'|');
    }
};

const QStringList Entete = {"LaDate", "Utilisateur", "Nom",       "Prenom", "TypeMouvement",
                            "Total",  "NoMachine",   "NoAffaire", "Ticket"};
const QStringList Ligne = {"Reference",   "Designation",     "Quantite", "PrixAchatUnit", "NomFamille",
                           "NoFamille",   "NomSite",         "NoSite",   "NomService",    "NoService",
                           "Profile",     "CodeFournisseur", "Societe",  "Taille",        "RefFournisseur",
                           "CodeArticle", "NoMachine"};

} // namespace

TEST(EnregistrerVente, QuantityIsDigitsNotZeroElseOne) {
    for (const auto& [texte, qte] : {std::pair{"4", 4},
                                     {"0012", 12},
                                     {" 7 ", 7},
                                     {"2147483647", 2147483647},
                                     {"0000000000002147483647", 2147483647},
                                     {"", 1},
                                     {"000", 1},
                                     {"-3", 1},
                                     {"1.5", 1},
                                     {"3a", 1},
                                     {"1e3", 1}})
        EXPECT_EQ(QuantiteVente(QString::fromLatin1(texte)), qte) << texte;
    for (const char* trop : {"2147483648", "99999999999", "99999999999999999999999999"})
        EXPECT_EQ(numeroErreur([trop] { QuantiteVente(QString::fromLatin1(trop)); }),
                  int(ErreurExecution::Overflow))
            << trop;
}

// One header, one line, the reserve lowered relatively: a Null reserve counts as 0, the stock may go
// negative, Null values stay Null, an article gone from the stock keeps its header and line.
TEST_P(EnregistrerVenteTest, RecordsHeaderLineAndLowersTheReserve) {
    cnx().executer(QStringLiteral("INSERT INTO ArticleEnStock (Reference, QteEnStock) VALUES (1001, 9), "
                                  "(1002, NULL), (1003, 0)"));
    const qint64 n = EnregistrerVente(cnx(), vente(), 4);
    EXPECT_EQ(ligne("Ventes", n, Entete),
              QStringLiteral("1|2026-03-14T09:26:53.000|7A31C|BERTIN|Zoé|3|1.25|<nul>|<nul>|<nul>"));
    EXPECT_EQ(ligne("DetailVente", n, Ligne),
              QStringLiteral("1|1001|Gants nitrile|4|5|Gants|1|Usine Nord|2|Atelier|3|4|F100||9|GT-42|17|0"));
    EXPECT_EQ(stock(1001).toLongLong(), 5);

    // The multi-machine option marks the header as the counter's; from 0 the stock goes negative.
    Global().OptionVersionGSM = true;
    const qint64 gsm = EnregistrerVente(cnx(), vente(1003), 1);
    EXPECT_EQ(ligne("Ventes", gsm, {"NoMachine"}), QStringLiteral("1|0"));
    EXPECT_EQ(stock(1003).toLongLong(), -1);

    ValeursVente sansPrix = vente(1002, QVariant());
    sansPrix.NomFamille = sansPrix.Taille = QVariant(QMetaType::fromType<QString>());
    sansPrix.NoFamille = QVariant();
    const qint64 nul = EnregistrerVente(cnx(), sansPrix, 3);
    EXPECT_EQ(ligne("Ventes", nul, {"Total"}), QStringLiteral("1|<nul>"));
    EXPECT_EQ(ligne("DetailVente", nul, {"Quantite", "PrixAchatUnit", "NomFamille", "NoFamille", "Taille"}),
              QStringLiteral("1|3|<nul>|<nul>|<nul>|<nul>"));
    EXPECT_EQ(stock(1002).toLongLong(), -3);

    const qint64 parti = EnregistrerVente(cnx(), vente(999), 2);
    EXPECT_EQ(ligne("DetailVente", parti, {"Reference"}), QStringLiteral("1|999"));
    EXPECT_TRUE(stock(999).isNull());
    EXPECT_EQ(lignes("ArticleEnStock"), 3);
    EXPECT_FALSE(cnx().enTransaction());
}

// A reserve that would leave the 32-bit range, a line the database refuses: nothing at all written.
TEST_P(EnregistrerVenteTest, AFailureWritesNothing) {
    cnx().executer(QStringLiteral("INSERT INTO ArticleEnStock (Reference, QteEnStock) VALUES (1001, -2)"));
    EXPECT_EQ(numeroErreur([&] { EnregistrerVente(cnx(), vente(), 2147483647); }),
              int(ErreurExecution::Overflow));
    EXPECT_EQ(lignes("Ventes") + lignes("DetailVente"), 0);
    // Down to the very bottom of the range, then one more.
    EnregistrerVente(cnx(), vente(), 2147483646);
    EXPECT_EQ(numeroErreur([&] { EnregistrerVente(cnx(), vente(), 1); }), int(ErreurExecution::Overflow));
    EXPECT_EQ(stock(1001).toLongLong(), -2147483648LL);
    EXPECT_EQ(lignes("Ventes"), 1);

    refuserInsertions(cnx(), QStringLiteral("DetailVente"), QStringLiteral("ligne refusée"));
    try {
        EnregistrerVente(cnx(), vente(), 4);
        ADD_FAILURE() << "the refused line was not reported";
    } catch (const ErreurExecution& e) {
        EXPECT_TRUE(e.description().contains(QStringLiteral("ligne refusée")))
            << e.description().toStdString();
    }
    EXPECT_EQ(lignes("Ventes"), 1) << "no header left without its line";
    EXPECT_EQ(stock(1001).toLongLong(), -2147483648LL);
    EXPECT_FALSE(cnx().enTransaction());
}

// Four counters, stock entries and a machine writing at once, each on its own connection: every
// decrement and every entry is kept, and every header has exactly its own line.
TEST_P(EnregistrerVenteTest, ConcurrentWritersKeepEveryChange) {
    cnx().executer(QStringLiteral("INSERT INTO ArticleEnStock (Reference, QteEnStock) VALUES (1001, 1000)"));
    const ParametresConnexion parametres = base().parametres();
    QMutex verrou;
    QStringList erreurs;
    auto poste = [&](const std::function<void(Connexion&)>& travail) {
        try {
            Connexion c(parametres);
            for (int i = 0; i < 50; ++i)
                travail(c);
        } catch (const ErreurExecution& e) {
            const QMutexLocker l(&verrou);
            erreurs << e.description();
        }
    };
    std::vector<std::thread> postes;
    for (int i = 0; i < 4; ++i)
        postes.emplace_back(poste, [](Connexion& c) { EnregistrerVente(c, vente(), 1); });
    postes.emplace_back(poste, [](Connexion& c) {
        EntreeStock::entrerStock(c, {1001, 1, {}, {}, {}, QString(), Maintenant.date()});
    });
    // A machine's withdrawal: its header and its line, the reserve untouched.
    postes.emplace_back(poste, [](Connexion& c) {
        TransactionEcriture t(c);
        const QVariant n =
            c.valeurUnique(QStringLiteral("INSERT INTO Ventes (Utilisateur, TypeMouvement, NoMachine) "
                                          "VALUES ('MACHINE', 3, 5) RETURNING NumVente"));
        c.executer(QStringLiteral("INSERT INTO DetailVente (NumVente, Reference, Quantite, NoMachine) VALUES "
                                  "(?, 1001, 1, 5)"),
                   {n});
        t.valider();
    });
    for (std::thread& t : postes)
        t.join();
    ASSERT_TRUE(erreurs.isEmpty()) << erreurs.join(u'\n').toStdString();

    EXPECT_EQ(stock(1001).toLongLong(), 1000 - 200 + 50);
    // Lines and distinct headers per kind: as many as there are headers and lines, so one line each.
    QSqlQuery q = cnx().executer(
        QStringLiteral("SELECT V.NoMachine, D.NoMachine, COUNT(*), COUNT(DISTINCT V.NumVente) FROM Ventes V "
                       "JOIN DetailVente D ON D.NumVente = V.NumVente WHERE D.Reference = 1001 "
                       "GROUP BY V.NoMachine, D.NoMachine ORDER BY V.NoMachine"));
    QStringList groupes;
    while (q.next())
        groupes << QStringLiteral("%1 %2 %3 %4")
                       .arg(q.value(0).isNull() ? QStringLiteral("-") : q.value(0).toString(),
                            q.value(1).toString(), q.value(2).toString(), q.value(3).toString());
    std::sort(groupes.begin(), groupes.end());
    EXPECT_EQ(groupes, (QStringList{"- 0 200 200", "5 5 50 50"}));
    EXPECT_EQ(lignes("Ventes"), 250);
    EXPECT_EQ(lignes("DetailVente"), 250);
    EXPECT_EQ(lignes("MouvementStock"), 50);
}

DORVANE_SUR_CHAQUE_BASE(EnregistrerVenteTest);
