#include "BaseDeTest.h"
#include "bench/DonneesBench.h"

#include "common/ErreurExecution.h"
#include "db/Valeurs.h"
#include "machines/ModeleMachine.h"

#include <QHash>
#include <QSqlQuery>
#include <gtest/gtest.h>

using namespace ModeleMachine;

TEST(ModeleMachine, ImpairsEtFacteurs) {
    for (double x : {7.0, 3.0, 0.5, 2.5, -3.0, 1e9 + 1})
        EXPECT_TRUE(EstImpair(x)) << x;
    for (double x : {6.0, 4.0, 0.0, -2.0, 1e9})
        EXPECT_FALSE(EstImpair(x)) << x;

    const QHash<int, int> facteurs{{1, 4}, {2, 2}, {4, 2},  {3, 1}, {5, 1},
                                   {6, 1}, {8, 1}, {10, 1}, {0, 1}, {-1, 1}};
    for (auto it = facteurs.cbegin(); it != facteurs.cend(); ++it)
        EXPECT_EQ(FacteurModele(it.key()), it.value()) << it.key();
    for (int type : {0, 6, 7, 8, 10}) {
        EXPECT_FALSE(GeometrieModele(type).has_value()) << type;
        EXPECT_TRUE(EmplacementsModele(type).isEmpty()) << type;
    }
}

class ModeleMachineBaseTest : public TestAvecBase {
protected:
    qint64 compte(const QString& sql, const QVariantList& valeurs = {}) {
        return Valeurs::lireEntier(cnx().valeurUnique(sql, valeurs));
    }
    // "floor/column" of a slot, "" when it does not exist.
    QString place(int machine, int noEmpl) {
        QSqlQuery q = cnx().executer(
            QStringLiteral(
                "SELECT Etage, Colonne FROM EmplacementsMachine1 WHERE NoMachine = ? AND NoEmpl = ?"),
            {machine, noEmpl});
        return q.next() ? QStringLiteral("%1/%2")
                              .arg(Valeurs::lireEntier(q.value(0)))
                              .arg(Valeurs::lireEntier(q.value(1)))
                        : QString();
    }
};

TEST_P(ModeleMachineBaseTest, EmplacementsDesCinqModelesEtageParEtage) {
    // Machine m gets model m.
    for (int type = 1; type <= 5; ++type)
        CreerEmplacementsMachine(cnx(), type, type);
    EXPECT_FALSE(cnx().enTransaction());
    const int attendus[] = {36, 90, 180, 126, 252};
    for (int type = 1; type <= 5; ++type) {
        EXPECT_EQ(
            compte(QStringLiteral("SELECT COUNT(*) FROM EmplacementsMachine1 WHERE NoMachine = ?"), {type}),
            attendus[type - 1]);
        // Each floor holds its share of slots, each in a column of its own.
        const Geometrie g = *GeometrieModele(type);
        EXPECT_EQ(compte(QStringLiteral("SELECT COUNT(*) FROM (SELECT Etage FROM EmplacementsMachine1 WHERE "
                                        "NoMachine = ? GROUP BY Etage HAVING COUNT(DISTINCT Colonne) = ?) f"),
                         {type, g.parEtage()}),
                  g.etages);
    }
    EXPECT_EQ(place(1, 1), QStringLiteral("1/1"));
    EXPECT_EQ(place(1, 10), QStringLiteral("2/1"));
    EXPECT_EQ(place(1, 18), QStringLiteral("2/33"));
    EXPECT_EQ(place(1, 28), QStringLiteral("4/1"));
    EXPECT_EQ(place(1, 36), QStringLiteral("4/33"));
    EXPECT_EQ(place(2, 18), QStringLiteral("1/35"));
    EXPECT_EQ(place(2, 19), QStringLiteral("2/1"));
    EXPECT_EQ(place(3, 180), QStringLiteral("5/36"));
    EXPECT_EQ(place(4, 126), QStringLiteral("7/35"));
    EXPECT_EQ(place(5, 252), QStringLiteral("7/36"));
    EXPECT_EQ(
        compte(QStringLiteral("SELECT COUNT(*) FROM EmplacementsMachine1 WHERE Reference IS NOT NULL OR "
                              "Qte IS NOT NULL OR DateChargement IS NOT NULL")),
        0);
}

TEST_P(ModeleMachineBaseTest, AutreModeleOuMachineDejaGarnieNAjouteRien) {
    const auto refus = [&](int type, int machine) {
        try {
            CreerEmplacementsMachine(cnx(), type, machine);
            ADD_FAILURE() << "type " << type << " machine " << machine << " accepted";
        } catch (const ErreurExecution& e) {
            EXPECT_EQ(e.numero(), AppelIncorrect);
        }
        EXPECT_FALSE(cnx().enTransaction());
    };
    for (int type : {6, 8, 10, 0})
        refus(type, 7);
    EXPECT_EQ(compte(QStringLiteral("SELECT COUNT(*) FROM EmplacementsMachine1")), 0);

    // A slot of its own, outside the model's numbering, or the model's own slots: nothing more.
    cnx().executer(QStringLiteral("INSERT INTO EmplacementsMachine1 (NoMachine, NoEmpl, Etage, Colonne, "
                                  "Reference) VALUES (7, 500, 9, 9, 100001)"));
    refus(1, 7);
    EXPECT_EQ(compte(QStringLiteral("SELECT COUNT(*) FROM EmplacementsMachine1 WHERE NoMachine = 7")), 1);
    CreerEmplacementsMachine(cnx(), 1, 8);
    refus(2, 8);
    EXPECT_EQ(compte(QStringLiteral("SELECT COUNT(*) FROM EmplacementsMachine1 WHERE NoMachine = 8")), 36);
}

TEST_P(ModeleMachineBaseTest, MachinesDeBancToutesCompletes) {
    for (int i = 0; i < 40; ++i)
        cnx().executer(QStringLiteral("INSERT INTO ArticleEnStock (Reference, CodeArticle, Designation) "
                                      "VALUES (?, ?, ?)"),
                       {100001 + i, i + 1, QStringLiteral("Article %1").arg(i)});
    // The 8 machines of the common data go.
    cnx().executer(
        QStringLiteral("INSERT INTO Machines (NoMachine, Type, Chargement) VALUES (99, 1, 'ETAGE')"));
    cnx().executer(QStringLiteral("INSERT INTO ConfigMachines (NoMachine, Etage) VALUES (99, 1)"));
    DonneesBench::remplirMachines(cnx(), 34);
    EXPECT_FALSE(cnx().enTransaction());
    EXPECT_EQ(compte(QStringLiteral("SELECT COUNT(*) FROM Machines")), 34);
    EXPECT_EQ(compte(QStringLiteral("SELECT MIN(NoMachine) + 100 * MAX(NoMachine) FROM Machines")), 3401);
    EXPECT_EQ(compte(QStringLiteral("SELECT COUNT(*) FROM ConfigMachines WHERE NoMachine = 99")), 0);
    // Every model with every loading of the kinds, twice over.
    EXPECT_EQ(
        compte(QStringLiteral("SELECT COUNT(*) FROM (SELECT Type, Chargement FROM Machines GROUP BY Type, "
                              "Chargement HAVING COUNT(*) >= 2) g")),
        16);

    QSqlQuery q = cnx().executer(
        QStringLiteral("SELECT M.NoMachine, M.Type, M.Chargement, M.NbEmplacement, M.NbPorte, "
                       "(SELECT COUNT(*) FROM EmplacementsMachine1 E WHERE E.NoMachine = M.NoMachine), "
                       "(SELECT COUNT(*) FROM ConfigMachines C WHERE C.NoMachine = M.NoMachine), "
                       "(SELECT MAX(Etage) FROM ConfigMachines C WHERE C.NoMachine = M.NoMachine), "
                       "(SELECT COUNT(*) FROM EmplacementsMachine1 E WHERE E.NoMachine = M.NoMachine AND "
                       "Reference IS NOT NULL) "
                       "FROM Machines M ORDER BY M.NoMachine"));
    qint64 total = 0, charges = 0;
    while (q.next()) {
        const qint64 no = Valeurs::lireEntier(q.value(0)), type = Valeurs::lireEntier(q.value(1));
        const QString chargement = Valeurs::lireTexte(q.value(2));
        const qint64 places = Valeurs::lireEntier(q.value(3)), portes = Valeurs::lireEntier(q.value(4));
        const std::string contexte = "machine " + std::to_string(no);
        EXPECT_EQ(Valeurs::lireEntier(q.value(5)), places) << contexte;
        // Whole plans, numbered from 1.
        qint64 plan = portes;
        if (chargement == QLatin1String("CASIER"))
            plan = places;
        else if (chargement != QLatin1String("ETAGE"))
            plan = 36 / FacteurModele(int(type)) + (type == 8 ? 1 : 0);
        EXPECT_EQ(Valeurs::lireEntier(q.value(6)), plan) << contexte;
        EXPECT_EQ(Valeurs::lireEntier(q.value(7)), plan) << contexte;
        if (const auto g = GeometrieModele(int(type)); g && chargement != QLatin1String("CASIER")) {
            EXPECT_EQ(places, g->emplacements) << contexte;
            EXPECT_EQ(portes, g->etages) << contexte;
        }
        total += places;
        charges += Valeurs::lireEntier(q.value(8));
    }
    q.finish();
    EXPECT_NEAR(double(charges) / double(total), 0.8, 0.03);

    // Lockers: the cell of locker n is (row, column) with G lockers to a column.
    const QString g =
        QStringLiteral("(CASE M.Type WHEN 1 THEN 9 WHEN 2 THEN 18 WHEN 10 THEN 62 ELSE 36 END)");
    EXPECT_EQ(
        compte(QStringLiteral("SELECT COUNT(*) FROM EmplacementsMachine1 E JOIN Machines M ON M.NoMachine = "
                              "E.NoMachine WHERE M.Chargement = 'CASIER' AND (E.Etage <> (E.NoEmpl + %1 - 1) "
                              "/ %1 OR E.Colonne <> E.NoEmpl - (E.Etage - 1) * %1)")
                   .arg(g)),
        0);
    EXPECT_EQ(
        compte(QStringLiteral("SELECT NbPorte * 1000 + NbEmplacement FROM Machines WHERE NoMachine = 16")),
        14868);
    // A planned article is one of the articles, with its code; some slots hold a quantity.
    EXPECT_EQ(
        compte(QStringLiteral("SELECT COUNT(*) FROM ConfigMachines C LEFT JOIN ArticleEnStock A ON "
                              "A.Reference = C.ReferenceArticle WHERE C.ReferenceArticle IS NOT NULL AND "
                              "(A.CodeArticle IS NULL OR A.CodeArticle <> C.CodeArticle)")),
        0);
    EXPECT_GT(compte(QStringLiteral("SELECT COUNT(*) FROM ConfigMachines WHERE ReferenceArticle IS NULL")),
              0);
    EXPECT_GT(compte(QStringLiteral("SELECT COUNT(*) FROM EmplacementsMachine1 WHERE Qte > 1")), 0);
}

DORVANE_SUR_CHAQUE_BASE(ModeleMachineBaseTest);
