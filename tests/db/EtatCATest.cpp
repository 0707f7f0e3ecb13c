#include "BaseDeTest.h"

#include "common/ErreurExecution.h"
#include "db/Connexion.h"
#include "db/Recordset.h"
#include "db/Routines.h"
#include "db/Valeurs.h"

#include <QSqlQuery>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

namespace {

QDateTime dt(int jour, int mois, int h, int m, int s) {
    return QDateTime(QDate(2024, mois, jour), QTime(h, m, s));
}

} // namespace

class EtatCABase : public TestAvecBase {
protected:
    // One withdrawal with its lines (reference, quantity), for profile `profil` (0 = none).
    qint64 vente(const QDateTime& date, const QList<QPair<int, int>>& lignes, int profil = 0,
                 const QString& site = QString()) {
        const qint64 n =
            cnx()
                .valeurUnique(
                    QStringLiteral("INSERT INTO Ventes (LaDate, Utilisateur, Nom, Prenom, TypeMouvement) "
                                   "VALUES (?, ?, ?, ?, ?) RETURNING NumVente"),
                    {Valeurs::valeurDate(date), QStringLiteral("B1"), QStringLiteral("O'Neil"),
                     QStringLiteral("Zoé"), 3})
                .toLongLong();
        for (const auto& [reference, quantite] : lignes)
            cnx().executer(
                QStringLiteral(
                    "INSERT INTO DetailVente (NumVente, Reference, Designation, Quantite, PrixAchatUnit, "
                    "Profile, NoMachine, NomSite) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
                {n, reference, QStringLiteral("Gant"), quantite, 1.5,
                 profil ? QVariant(profil) : QVariant(QMetaType::fromType<int>()), 0, site});
        return n;
    }
    QList<QVariantList> lignesCA() {
        Recordset rs;
        rs.Open(cnx(),
                QStringLiteral(
                    "SELECT LaDate, NomMois, Profile, Quantite, NumVente FROM CA ORDER BY LaDate, NumVente"));
        QList<QVariantList> r;
        for (rs.MoveFirst(); !rs.IsEOF(); rs.MoveNext())
            r.append({rs.Field(0), rs.Field(1), rs.Field(2), rs.Field(3), rs.Field(4)});
        return r;
    }
};

TEST_P(EtatCABase, BothBoundsAreStrictAndIdenticalLinesMerge) {
    vente(dt(1, 3, 0, 0, 0), {{1, 1}});
    const qint64 dedans = vente(dt(1, 3, 0, 0, 1), {{1, 2}, {1, 2}}, 1);
    vente(dt(31, 3, 23, 59, 58), {{2, 1}}, 99);
    vente(dt(31, 3, 23, 59, 59), {{3, 1}});
    vente(dt(15, 2, 12, 0, 0), {{4, 1}});
    Routines::EtatCA(cnx(), Valeurs::debutPeriode(QDate(2024, 3, 1)),
                     Valeurs::finPeriode(QDate(2024, 3, 31)));
    const auto lignes = lignesCA();
    ASSERT_EQ(lignes.size(), 2);
    EXPECT_EQ(lignes[0][0].toDateTime(), dt(1, 3, 0, 0, 1));
    EXPECT_EQ(lignes[0][1].toString(), QStringLiteral("mars"));
    EXPECT_EQ(lignes[0][2].toString(), QStringLiteral("ILLIMITÉ"));
    EXPECT_EQ(lignes[0][3].toLongLong(), 2);
    EXPECT_EQ(lignes[0][4].toLongLong(), dedans);
    // A profile number that names no profile gives Null.
    EXPECT_TRUE(lignes[1][2].isNull());

    // A second run empties the table first.
    Routines::EtatCA(cnx(), Valeurs::debutPeriode(QDate(2024, 2, 1)),
                     Valeurs::finPeriode(QDate(2024, 2, 29)));
    const auto fevrier = lignesCA();
    ASSERT_EQ(fevrier.size(), 1);
    EXPECT_EQ(fevrier[0][1].toString(), QStringLiteral("février"));
}

TEST_P(EtatCABase, MonthNamesAreFrenchLowerCase) {
    const QStringList mois = {"janvier", "février", "mars",      "avril",   "mai",      "juin",
                              "juillet", "août",    "septembre", "octobre", "novembre", "décembre"};
    for (int m = 1; m <= 12; ++m)
        vente(QDateTime(QDate(2023, m, 10), QTime(10, 0)), {{m, 1}});
    Routines::executer(QStringLiteral("EtatCA"), cnx(),
                       {Valeurs::valeurDate(QDateTime(QDate(2023, 1, 1), QTime(0, 0))),
                        Valeurs::valeurDate(QDateTime(QDate(2023, 12, 31), QTime(23, 59, 59)))});
    const auto lignes = lignesCA();
    ASSERT_EQ(lignes.size(), 12);
    for (int m = 0; m < 12; ++m)
        EXPECT_EQ(lignes[m][1].toString(), mois[m]);
}

TEST_P(EtatCABase, TheReaderRunsInsideAndAFailureRollsEverythingBack) {
    vente(dt(10, 3, 9, 0, 0), {{1, 1}});
    Routines::EtatCA(cnx(), dt(1, 3, 0, 0, 0), dt(31, 3, 23, 59, 59));
    ASSERT_EQ(lignesCA().size(), 1);
    vente(dt(10, 4, 9, 0, 0), {{1, 1}, {2, 1}});
    qint64 vus = -1;
    EXPECT_THROW(
        Routines::EtatCA(cnx(), dt(1, 4, 0, 0, 0), dt(30, 4, 23, 59, 59),
                         [&] {
                             vus = cnx().valeurUnique(QStringLiteral("SELECT COUNT(*) FROM CA")).toLongLong();
                             throw ErreurExecution(ErreurExecution::ErreurBase, QStringLiteral("lecture"));
                         }),
        ErreurExecution);
    EXPECT_EQ(vus, 2);
    // The March rows are back: the deletion was rolled back with the rest.
    const auto lignes = lignesCA();
    ASSERT_EQ(lignes.size(), 1);
    EXPECT_EQ(lignes[0][1].toString(), QStringLiteral("mars"));
}

// The procedure's parameters are day/month/year texts; a bound that is no date must not pass for an
// empty period (CA emptied, nothing selected, success).
TEST_P(EtatCABase, BoundsAsDayMonthYearTextAndInvalidBoundsRefused) {
    vente(dt(10, 3, 9, 0, 0), {{1, 1}});
    Routines::executer(QStringLiteral("EtatCA"), cnx(),
                       {QStringLiteral("01/03/2024 00:00:00"), QStringLiteral("31/03/2024 23:59:59")});
    ASSERT_EQ(lignesCA().size(), 1);

    EXPECT_THROW(Routines::executer(QStringLiteral("EtatCA"), cnx(),
                                    {QStringLiteral("31/02/2024 00:00:00"), QStringLiteral("31/03/2024")}),
                 ErreurExecution);
    EXPECT_THROW(
        Routines::executer(QStringLiteral("EtatCA"), cnx(), {QVariant(), QDateTime::currentDateTime()}),
        ErreurExecution);
    EXPECT_THROW(Routines::EtatCA(cnx(), QDateTime(), dt(31, 3, 23, 59, 59)), ErreurExecution);
    EXPECT_FALSE(cnx().enTransaction());
    // The rows of the last good run are still there.
    EXPECT_EQ(lignesCA().size(), 1);
}

// Two workstations building the report at once, each on its own connection: each reads exactly the
// rows of its own period, never the other's.
TEST_P(EtatCABase, TwoReportsBuiltAtOnceNeverMixRows) {
    for (int j = 2; j <= 4; ++j)
        vente(dt(j, 3, 10, 0, 0), {{1, 1}});
    for (int j = 2; j <= 3; ++j)
        vente(dt(j, 4, 10, 0, 0), {{2, 1}});
    const ParametresConnexion parametres = base().parametres();
    std::atomic<int> melanges{0};
    std::atomic<int> lectures{0};
    std::atomic<int> echecs{0};
    const auto rapport = [&](int mois, qint64 reference, int attendus) {
        try {
            Connexion c(parametres);
            for (int i = 0; i < 15; ++i) {
                Routines::EtatCA(c, dt(1, mois, 0, 0, 0), dt(28, mois, 23, 59, 59), [&] {
                    QSqlQuery q = c.executer(QStringLiteral("SELECT Reference FROM CA"));
                    int n = 0;
                    while (q.next())
                        n += q.value(0).toLongLong() == reference ? 1 : 1000;
                    if (n != attendus)
                        ++melanges;
                    ++lectures;
                });
            }
        } catch (const ErreurExecution&) {
            ++echecs;
        }
    };
    std::thread mars(rapport, 3, 1, 3);
    std::thread avril(rapport, 4, 2, 2);
    mars.join();
    avril.join();
    EXPECT_EQ(echecs, 0);
    EXPECT_EQ(lectures, 30);
    EXPECT_EQ(melanges, 0);
}

// The same body for one site: its name compared as the layer compares names, bound, never a pattern.
TEST_P(EtatCABase, EtatCAsiteKeepsTheSiteLinesOfThePeriodOnly) {
    const QDateTime an(QDate(2024, 1, 1), QTime(0, 0)), fin(QDate(2024, 12, 31), QTime(23, 59, 59));
    for (const QDateTime& d : {an, fin, an.addSecs(-1)})
        vente(d, {{1, 1}}, 0, QStringLiteral("Nord"));
    const qint64 nord = vente(an.addSecs(1), {{2, 1}, {2, 1}}, 1, QStringLiteral("Nord"));
    const qint64 isle = vente(dt(3, 6, 8, 0, 0), {{5, 1}}, 0, QStringLiteral("L'Isle"));
    vente(dt(4, 6, 8, 0, 0), {{6, 1}}, 0, QStringLiteral("Nörd"));
    vente(dt(5, 6, 8, 0, 0), {{7, 1}});
    auto site = [&](const QVariant& nom) {
        Routines::executer(
            QStringLiteral("EtatCAsite"), cnx(),
            {QStringLiteral("01/01/2024 00:00:00"), QStringLiteral("31/12/2024 23:59:59"), nom});
        QList<qint64> ventes;
        for (const QVariantList& l : lignesCA())
            ventes << l[4].toLongLong();
        return ventes;
    };
    EXPECT_EQ(site(QStringLiteral("nORD")), QList<qint64>{nord});
    EXPECT_EQ(lignesCA()[0][2].toString(), QStringLiteral("ILLIMITÉ"));
    EXPECT_EQ(site(QStringLiteral("l'isle")), QList<qint64>{isle});
    for (const QVariant& rien : {QVariant(QStringLiteral("N%")), QVariant(QStringLiteral("N_rd")),
                                 QVariant(QStringLiteral("Inconnu")), QVariant(QString())})
        EXPECT_TRUE(site(rien).isEmpty()) << rien.toString().toStdString();
    qint64 vus = -1;
    Routines::EtatCAsite(cnx(), an, fin, QStringLiteral("Nord"), [&] {
        vus = cnx().valeurUnique(QStringLiteral("SELECT COUNT(*) FROM CA")).toLongLong();
    });
    EXPECT_EQ(vus, 1);
}

DORVANE_SUR_CHAQUE_BASE(EtatCABase);

TEST(Routines, RegistryKeepsTheStoredProcedureContracts) {
    EXPECT_TRUE(Routines::existe(QStringLiteral("EtatCA")) && Routines::existe(QStringLiteral("EtatCAsite")));
    EXPECT_FALSE(Routines::existe(QStringLiteral("etatca")));
    EXPECT_TRUE(
        VerifierStoredProcedure(QStringLiteral("EtatCA"), QStringLiteral("CREATE PROCEDURE EtatCA ...")));
    EffacerStoredProcedure(QStringLiteral("EtatCA"));
    EXPECT_TRUE(VerifierStoredProcedure(QStringLiteral("EtatCA"), QString()));
    EXPECT_FALSE(VerifierStoredProcedure(QStringLiteral("Inconnue"), QString()));
    EXPECT_NO_THROW(EffacerStoredProcedure(QStringLiteral("Inconnue")));

    int appels = 0;
    Routines::enregistrer(QStringLiteral("RoutineEssai"),
                          [&](Connexion&, const QVariantList& p) { appels += p.size(); });
    EXPECT_TRUE(VerifierStoredProcedure(QStringLiteral("RoutineEssai"), QString()));
    Connexion fermee;
    Routines::executer(QStringLiteral("RoutineEssai"), fermee, {1, 2});
    EXPECT_THROW(Routines::executer(QStringLiteral("Inconnue"), fermee, {}), ErreurExecution);
    EXPECT_EQ(appels, 2);
}
