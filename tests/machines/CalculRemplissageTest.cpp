#include "BaseDeTest.h"
#include "EtatMachineDeTest.h"

#include "common/ErreurExecution.h"
#include "machines/CalculRemplissage.h"
#include "reports/ReportBuilders.h"
#include "support/DossierProgrammeTemp.h"

#include <QMutex>
#include <QThread>
#include <gtest/gtest.h>
#include <thread>

using namespace EtatMachineDeTest;
using ModeleMachine::Disposition;

namespace {

const QVariant Nul = QVariant(QMetaType::fromType<qint64>());

class CalculRemplissageTest : public TestAvecBase {
protected:
    void SetUp() override {
        TestAvecBase::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        articles(cnx());
    }
    void machine(int no, int type, const QVariant& chargement, const QVariant& places, const QVariant& portes,
                 const QList<std::pair<int, QVariant>>& lignes) {
        EtatMachineDeTest::machine(cnx(), no, type, chargement, places, portes, lignes);
    }
    void emplacements(int no, int n, const QVariant& etage, const QVariant& colonne, const QVariant& ref) {
        EtatMachineDeTest::emplacements(cnx(), m_numeros, no, n, etage, colonne, ref);
    }
    // The machines as the window's list holds them.
    QList<CalculRemplissage::Machine> liste(const QList<int>& numeros) {
        QList<CalculRemplissage::Machine> l;
        for (int no : numeros) {
            QSqlQuery q =
                cnx().executer(QStringLiteral("SELECT Type, NbEmplacement, NbPorte, Chargement FROM "
                                              "Machines WHERE NoMachine = ?"),
                               {no});
            EXPECT_TRUE(q.next()) << no;
            l.append({no, int(Valeurs::lireEntier(q.value(0))), q.value(1), q.value(2), q.value(3)});
        }
        return l;
    }
    QStringList lignes() { return lignesRemplissage(cnx()); }
    template <typename F> auto enTransaction(F&& calcul) {
        TransactionEcriture t(cnx());
        auto r = calcul();
        t.valider();
        return r;
    }

    QHash<int, int> m_numeros;
};

} // namespace

TEST_P(CalculRemplissageTest, LesLignesDuTableauTellesQuellesJusquAuPremierZero) {
    cnx().executer(QStringLiteral("INSERT INTO TRemplissageMachine (NumMach) VALUES (99)"));
    DispositionMachine::Tableau t{};
    for (size_t i = 1; i <= 37; ++i)
        t[i] = {0, double(i), 5001, 1, double(i % 5), 4.5 - double(i), 4};
    auto copier = [&] {
        return enTransaction([&] {
            CalculRemplissage::RemplisageMachine(cnx(), t);
            return lignes();
        });
    };
    QStringList l = copier();
    // 36 rows, never row 37; fractions and negative values as computed.
    ASSERT_EQ(l.size(), 36);
    EXPECT_EQ(l.first(), QStringLiteral("4 1 5001 1 1 3.5"));
    EXPECT_EQ(l.last(), QStringLiteral("4 36 5001 1 1 -31.5"));
    t[3][1] = 0;
    EXPECT_EQ(copier().size(), 2);
    t[1][1] = 0;
    EXPECT_TRUE(copier().isEmpty());
    // Outside a transaction nothing is written.
    t[1][1] = 1;
    EXPECT_THROW(CalculRemplissage::RemplisageMachine(cnx(), t), ErreurExecution);
    EXPECT_TRUE(lignes().isEmpty());
}

TEST_P(CalculRemplissageTest, GlobalUneLigneParArticlePlanifieEtMachineSansPortesLaissee) {
    DossierProgrammeTemp dossier;
    ASSERT_TRUE(dossier.valide());
    const QVariant etage = QStringLiteral("ETAGE");
    // Floors: 45 slots, 5 doors (9 a floor); A on 4 floors, 20 loaded; B planned, never loaded; X loaded,
    // not planned.
    machine(1, 3, etage, 45, 5, {{1, A}, {2, A}, {3, A}, {4, A}, {5, B}, {6, Nul}});
    emplacements(1, 20, 1, 1, A);
    emplacements(1, 2, 5, 1, X);
    emplacements(1, 3, 5, 1, Nul);
    // Columns, 8 doors: A on 2 columns, 5 loaded (11); C overloaded (8 - 10).
    machine(2, 3, QStringLiteral("COLONNE"), 180, 8, {{1, C}, {2, A}, {3, A}});
    emplacements(2, 5, 1, 2, A);
    emplacements(2, 10, 1, 1, C);
    // Lockers: 4 of D, 1 loaded.
    machine(3, 10, QStringLiteral("CASIER"), 868, 14, {{1, D}, {2, D}, {7, D}, {9, D}});
    emplacements(3, 1, 1, 1, D);
    // A floor machine without doors, another without plan, a Null loading (by columns), a machine not listed.
    machine(4, 3, etage, 180, 0, {{1, A}});
    machine(5, 3, etage, 180, Nul, {{1, A}});
    machine(6, 3, etage, 180, 5, {});
    machine(7, 3, QVariant(QMetaType::fromType<QString>()), 180, 6, {{1, B}});
    machine(9, 3, etage, 180, 5, {{1, A}});

    QList<qint32> laissees = enTransaction([&] {
        return CalculRemplissage::RemplissageMachineGlobal(cnx(), liste({1, 2, 3, 4, 5, 6, 7}));
    });
    EXPECT_EQ(laissees, (QList<qint32>{4, 5}));
    EXPECT_EQ(lignes(), (QStringList{"1 - 5001 - 20 16", "1 - 5002 - 0 9", "2 - 5001 - 5 11",
                                     "2 - 5003 - 10 -2", "3 - 5004 - 1 3", "7 - 5002 - 0 6"}));
    EXPECT_EQ(dossier.lignesJournal(),
              (QStringList{"RemplissageMachineGlobal|N°: 11 Division par zéro (machine 4)",
                           "RemplissageMachineGlobal|N°: 11 Division par zéro (machine 5)"}));

    // Capacities: halves to the even neighbour; a locker holds one whatever its counts.
    auto capacite = [](const char* chargement, const QVariant& places, const QVariant& portes) {
        const std::optional<qint16> c =
            CalculRemplissage::Capacite({1, 3, places, portes, QString::fromLatin1(chargement)});
        return c ? int(*c) : -1;
    };
    EXPECT_EQ(capacite("ETAGE", 50, 4), 12);
    EXPECT_EQ(capacite("ETAGE", 70, 4), 18);
    EXPECT_EQ(capacite("ETAGE", 100, 8), 12);
    EXPECT_EQ(capacite("ETAGE", 108, 8), 14);
    EXPECT_EQ(capacite("etage", 108, 8), 8);
    EXPECT_EQ(capacite("CASIER", Nul, 0), 1);
    EXPECT_EQ(capacite("ETAGE", 108, Nul), -1);
    // A Null count where the capacity needs it, or one beyond 16 bits: an error, no sheet.
    for (const auto& [chargement, places, portes, numero] :
         {std::tuple{"ETAGE", Nul, QVariant(4), ErreurExecution::InvalidUseOfNull},
          {"COLONNE", QVariant(4), Nul, ErreurExecution::InvalidUseOfNull},
          {"ETAGE", QVariant(70000), QVariant(2), ErreurExecution::Overflow}}) {
        try {
            capacite(chargement, places, portes);
            ADD_FAILURE() << chargement;
        } catch (const ErreurExecution& e) {
            EXPECT_EQ(e.numero(), numero);
        }
    }
    cnx().executer(QStringLiteral("UPDATE Machines SET NbEmplacement = NULL WHERE NoMachine = 6"));
    {
        TransactionEcriture t(cnx());
        EXPECT_THROW(CalculRemplissage::RemplissageMachineGlobal(cnx(), liste({1, 6})), ErreurExecution);
    }
    EXPECT_EQ(lignes().size(), 6);
    // An empty list empties the table.
    EXPECT_TRUE(
        enTransaction([&] { return CalculRemplissage::RemplissageMachineGlobal(cnx(), {}); }).isEmpty());
    EXPECT_TRUE(lignes().isEmpty());
}

TEST_P(CalculRemplissageTest, ParPositionSurSaLigneDeLayoutEtEtagesOccupes) {
    DossierProgrammeTemp dossier;
    ASSERT_TRUE(dossier.valide());
    // Model 1 by columns (factor 4): rows 1, 2, 3 are columns 1, 5, 9; row 3 has no loaded slot.
    machine(1, 1, QStringLiteral("COLONNE"), 36, 9, {{1, A}, {2, B}, {3, Nul}});
    emplacements(1, 2, 1, 1, A);
    emplacements(1, 3, 2, 5, B);
    emplacements(1, 1, 1, 9, Nul);
    // Floors 30 / 4: 7.5 a floor; floors 2 and 5 planned, counted on their own floors.
    machine(2, 8, QStringLiteral("ETAGE"), 30, 4, {{2, C}, {5, Nul}});
    emplacements(2, 3, 2, 1, C);
    emplacements(2, 1, 5, 1, C);
    machine(3, 10, QStringLiteral("CASIER"), 62, 1, {{4, D}});
    emplacements(3, 4, 1, 1, Nul);
    cnx().executer(QStringLiteral(
        "UPDATE EmplacementsMachine1 SET Reference = 5004 WHERE NoMachine = 3 AND NoEmpl = 4"));
    machine(4, 3, QStringLiteral("ETAGE"), 30, 0, {{1, C}});

    const QList<qint32> laissees = enTransaction([&] {
        return CalculRemplissage::RemplissageMachineParEtage(cnx(), liste({1, 2, 3, 4}));
    });
    EXPECT_EQ(laissees, QList<qint32>{4});
    EXPECT_EQ(lignes(), (QStringList{"1 1 5001 1 2 7", "1 2 5002 2 3 6", "1 3 - - 0 9", "2 1 5003 3 3 4.5",
                                     "2 2 - - 1 6.5", "3 1 5004 4 1 1"}));
    EXPECT_EQ(dossier.lignesJournal(),
              QStringList{"RemplissageMachineParEtage|N°: 11 Division par zéro (machine 4)"});

    // Loaded rows, through the same mapping; rows without slots keep their flags.
    std::array<bool, 38> occupes{};
    occupes[7] = true;
    ASSERT_TRUE(
        CalculRemplissage::VerifierMachineVide(cnx(), liste({1}).first(), Disposition::Colonnes, occupes));
    EXPECT_TRUE(occupes[1] && occupes[2] && occupes[7]);
    EXPECT_FALSE(occupes[3]);
    ASSERT_TRUE(
        CalculRemplissage::VerifierMachineVide(cnx(), liste({1}).first(), Disposition::Etages, occupes));
    EXPECT_TRUE(occupes[2]);
    EXPECT_TRUE(occupes[1]);
    // A machine without slot, or a slot beyond row 37: false, logged, the flags kept.
    const std::array<bool, 38> avant = occupes;
    EXPECT_FALSE(
        CalculRemplissage::VerifierMachineVide(cnx(), liste({4}).first(), Disposition::Etages, occupes));
    emplacements(2, 1, 38, 1, C);
    EXPECT_FALSE(
        CalculRemplissage::VerifierMachineVide(cnx(), liste({2}).first(), Disposition::Etages, occupes));
    EXPECT_EQ(occupes, avant);
    const QStringList journal = dossier.lignesJournal();
    ASSERT_EQ(journal.size(), 3);
    EXPECT_TRUE(journal[1].startsWith("VerifierMachineVide|N°: 3021 ")) << journal[1].toStdString();
    EXPECT_TRUE(journal[2].startsWith("VerifierMachineVide|N°: 9 ")) << journal[2].toStdString();
    EXPECT_EQ(CalculRemplissage::LireStockMachine(cnx(), 2, double(C)), 5);
}

// Sheets built at once on several workstations, each computation in its sheet's transaction: each sheet
// reads its own lines, as computed from its grid, its list or its positions.
TEST_P(CalculRemplissageTest, FichesEnMemeTempsSurPlusieursPostesLisentChacuneLeursLignes) {
    for (int no = 1; no <= 4; ++no) {
        machine(no, 3, QStringLiteral("ETAGE"), 180, 5, {{1, A}, {2, B}, {3, C}});
        emplacements(no, no, 1, 1, A);
    }
    const QList<CalculRemplissage::Machine> machines = liste({1, 2, 3, 4});
    QMutex verrou;
    QStringList erreurs;
    auto poste = [&](int no) {
        DispositionMachine::Tableau grille{};
        for (size_t e = 1; e <= 3; ++e)
            grille[e] = {0, double(e), double(A), 1, 0, 36, double(no)};
        const std::function<void(Connexion&)> calculs[] = {
            [&](Connexion& cx) { CalculRemplissage::RemplisageMachine(cx, grille); },
            [&](Connexion& cx) { CalculRemplissage::RemplissageMachineGlobal(cx, {machines.at(no - 1)}); },
            [&](Connexion& cx) { CalculRemplissage::RemplissageMachineParEtage(cx, {machines.at(no - 1)}); }};
        try {
            auto c = base().ouvrir();
            for (int tour = 0; tour < 24; ++tour) {
                const ReportData::Builder b = ReportBuilders::CreerEtatRemplissageMach(
                    no, 1, QStringLiteral("RemplissageMachine"), [&](Connexion& cx) {
                        calculs[(tour + no) % 3](cx);
                        return true;
                    });
                b(*c, [&] {
                    QThread::msleep(1);
                    const QVariant lu = c->valeurUnique(
                        QStringLiteral("SELECT COUNT(*) * 100 + SUM(NoMachine) FROM ARemplissageMachine"));
                    if (Valeurs::lireEntier(lu) != 300 + 3 * no) {
                        const QMutexLocker l(&verrou);
                        erreurs << QStringLiteral("poste %1 : %2").arg(no).arg(lu.toString());
                    }
                });
            }
        } catch (const ErreurExecution& e) {
            const QMutexLocker l(&verrou);
            erreurs << e.description();
        }
    };
    std::vector<std::thread> postes;
    for (int no = 1; no <= 4; ++no)
        postes.emplace_back(poste, no);
    for (std::thread& t : postes)
        t.join();
    EXPECT_TRUE(erreurs.isEmpty()) << erreurs.join(u'\n').toStdString();
}

DORVANE_SUR_CHAQUE_BASE(CalculRemplissageTest);
