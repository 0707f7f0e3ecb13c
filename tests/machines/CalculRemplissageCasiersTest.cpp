#include "BaseDeTest.h"
#include "EtatMachineDeTest.h"

#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "machines/CalculRemplissageCasiers.h"
#include "reports/ReportBuilders.h"
#include "reports/ReportData.h"
#include "reports/ReportDefinition.h"
#include "reports/ReportEngine.h"

#include <QDir>
#include <QFile>
#include <QMutex>
#include <QSet>
#include <QStringDecoder>
#include <gtest/gtest.h>
#include <thread>

using namespace CalculRemplissageCasiers;

namespace {

constexpr qint64 A = 5001, B = 5002, C = 5003, Inconnu = 7777;

class CalculRemplissageCasiersTest : public TestAvecBase {
protected:
    void SetUp() override {
        TestAvecBase::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        ASSERT_TRUE(m_journal.creer(base().dossier()));
        for (qint64 r : {A, B, C})
            cnx().executer(
                QStringLiteral("INSERT INTO ArticleEnStock (Reference, CodeArticle, Designation, "
                               "RefFournisseur) VALUES (?, ?, ?, ?)"),
                {r, r - 5000, QStringLiteral("Article %1").arg(r - 5000), QStringLiteral("RF%1").arg(r)});
    }
    void machine(int no, int type, const char* chargement, const QVariant& emplacements,
                 const QVariant& portes) {
        cnx().executer(
            QStringLiteral("INSERT INTO Machines (NoMachine, Type, Chargement, NbEmplacement, NbPorte) "
                           "VALUES (?, ?, ?, ?, ?)"),
            {no, type, QLatin1String(chargement), emplacements, portes});
    }
    // A plan row: locker or row `etage` planned with `article` (0: none), its code unless `sansCode`.
    void plan(int no, int etage, qint64 article, bool sansCode = false) {
        const QVariant nul(QMetaType::fromType<qint64>());
        cnx().executer(
            QStringLiteral("INSERT INTO ConfigMachines (NoMachine, Etage, ReferenceArticle, CodeArticle, "
                           "Designation) VALUES (?, ?, ?, ?, ?)"),
            {no, etage, article ? QVariant(article) : nul,
             article && !sansCode ? QVariant(article - 5000) : nul, QStringLiteral("plan %1").arg(etage)});
    }
    void slot(int no, int noEmpl, int etage, int colonne, qint64 article, const QVariant& qte = QVariant()) {
        cnx().executer(
            QStringLiteral("INSERT INTO EmplacementsMachine1 (NoMachine, NoEmpl, Etage, Colonne, Reference, "
                           "Qte) VALUES (?, ?, ?, ?, ?, ?)"),
            {no, noEmpl, etage, colonne,
             article ? QVariant(article) : QVariant(QMetaType::fromType<qint64>()),
             qte.isValid() ? qte : QVariant(QMetaType::fromType<qint64>())});
    }
    QStringList lignes(const char* sql) { return EtatMachineDeTest::rangs(cnx(), sql); }
    // The lines, in the order a sheet prints them.
    QStringList tRemplissage(const char* ordre = "Etage, Reference") {
        return lignes(
            ("SELECT Etage, Reference, CodeArticle, NbUnite, Aremplir, NumMach FROM TRemplissageMachine "
             "ORDER BY " +
             QByteArray(ordre))
                .constData());
    }
    QStringList journal() {
        QStringList r = m_journal.lignes();
        for (QString& l : r)
            l = l.section(u'|', 0, 0);
        return r;
    }
    // Runs a computation as a sheet does: in one write transaction holding the work tables.
    void enTransaction(const std::function<void(Connexion&)>& travail) {
        TransactionEcriture t(cnx());
        cnx().verrouillerTable(QStringLiteral("TRemplissageMachine"));
        cnx().verrouillerTable(QStringLiteral("ARemplissageMachine"));
        travail(cnx());
        t.valider();
    }

    JournalDeTest m_journal;
};

// Rows the way the sheets read them: numbers as whole texts.
QStringList normaliser(QStringList l) {
    for (QString& s : l)
        s.replace(QStringLiteral(".0"), QString());
    return l;
}

} // namespace

TEST(CalculRemplissageCasiers, LigneDeGrilleSelonLeModele) {
    EXPECT_EQ(QList<int>({CasiersParColonne(1), CasiersParColonne(2), CasiersParColonne(4),
                          CasiersParColonne(5), CasiersParColonne(10), CasiersParColonne(0)}),
              QList<int>({9, 18, 18, 36, 36, 36}));
    QList<qint64> l;
    for (qint64 n : {18, 19, 36, 37, 0})
        l << LigneCasier(n, CasiersParColonne(2));
    EXPECT_EQ(l, QList<qint64>({18, 1, 18, 1, 18}));
    EXPECT_EQ(LigneCasier(75, CasiersParColonne(10)), 3);
    EXPECT_EQ(LigneCasier(40, CasiersParColonne(10)), 4);
    EXPECT_EQ(QList<qint64>({LigneCasier(1, 9), LigneCasier(9, 9), LigneCasier(10, 9), LigneCasier(18, 9)}),
              QList<qint64>({1, 9, 1, 9}));
}

// A model 2 machine: A planned in lockers 1, 2, 19 and 20 and held in 3 of them (one slot of another
// article and another machine's slots besides), B planned without a code, C planned and held nowhere.
TEST_P(CalculRemplissageCasiersTest, FeuillesParCasierEtTotalParArticle) {
    machine(4, 2, "CASIER", 36, 2);
    machine(5, 2, "CASIER", 36, 2);
    for (int k : {1, 2, 19, 20})
        plan(4, k, A);
    plan(4, 3, B, true);
    plan(4, 21, C);
    plan(4, 22, 0);
    for (int k : {1, 19, 20})
        slot(4, k, 1, k, A, 2);
    slot(4, 2, 1, 2, B, 1);
    slot(5, 1, 1, 1, A, 5);
    enTransaction([](Connexion& c) { RemplisageMachineFicheReappro(c, 4, 2, false); });
    EXPECT_EQ(normaliser(tRemplissage()),
              QStringList({"1 5001 1 3 -2 4", "1 5001 1 3 -2 4", "2 5001 1 3 -2 4", "2 5001 1 3 -2 4",
                           "3 5003 3 0 1 4"}));
    enTransaction([](Connexion& c) { RemplisageMachine(c, 4, false); });
    EXPECT_EQ(normaliser(tRemplissage("Reference")), QStringList({"- 5001 - 3 1 4", "- 5003 - 0 1 4"}));
    // Units rather than lockers with the multiple-quantity option.
    enTransaction([](Connexion& c) { RemplisageMachine(c, 4, true); });
    EXPECT_EQ(normaliser(tRemplissage("Reference")), QStringList({"- 5001 - 6 -2 4", "- 5003 - 0 1 4"}));
    // No configured locker: an empty table.
    enTransaction([](Connexion& c) { RemplisageMachineFicheReappro(c, 5, 2, false); });
    EXPECT_TRUE(tRemplissage().isEmpty());
    EXPECT_TRUE(journal().isEmpty());
}

// Lockers holding 6 and 1 units of A (and one with a Null quantity); C planned and held nowhere; an
// article the file lacks left out, B kept without a code.
TEST_P(CalculRemplissageCasiersTest, QuantitesMultiplesParCasier) {
    machine(4, 10, "CASIER", 868, 14);
    for (int k : {1, 37, 75})
        plan(4, k, A);
    plan(4, 2, C);
    plan(4, 3, B, true);
    plan(4, 4, Inconnu);
    slot(4, 1, 1, 1, A, 6);
    slot(4, 37, 1, 37, A, 1);
    slot(4, 75, 2, 13, A);
    cnx().executer(QStringLiteral("INSERT INTO ARemplissageMachine (Etage, NbArticle) VALUES (9, 9)"));
    enTransaction([](Connexion& c) { RemplisageMachineFicheReapproQteMultiple(c, 4, 10, true); });
    EXPECT_EQ(
        lignes("SELECT Etage, ReferenceArticle, Designation, NoMachine, RefFournisseur, NbArticle FROM "
               "ARemplissageMachine ORDER BY Etage, ReferenceArticle, Designation"),
        QStringList({"1 5001 plan 1 4 RF5001 7", "1 5001 plan 37 4 RF5001 7", "2 5003 plan 2 4 RF5003 0",
                     "3 5001 plan 75 4 RF5001 7", "3 5002 plan 3 4 RF5002 0"}));
}

// Every listed machine, each row counted by its own number: a floor machine of 45 slots on 5 doors
// (floor 3 empty, floor 5 not in the plan), a model 1 column machine (columns 1 and 5 are its rows 1 and
// 2), a locker machine (14 doors: a locker holds 14); an unlisted machine's rows stay out.
TEST_P(CalculRemplissageCasiersTest, GlobalParNumeroDeLigne) {
    machine(1, 5, "ETAGE", 45, 5);
    machine(2, 1, "COLONNE", 36, 4);
    machine(3, 10, "CASIER", 868, 14);
    machine(9, 5, "ETAGE", 45, 5);
    for (int e : {1, 2, 3})
        plan(1, e, A);
    for (int k = 1; k <= 4; ++k)
        slot(1, k, k == 4 ? 5 : 1 + (k > 2), 1, A);
    plan(2, 1, B);
    plan(2, 2, C);
    slot(2, 1, 1, 1, B);
    slot(2, 2, 1, 5, C);
    slot(2, 3, 2, 5, C);
    plan(3, 40, A);
    slot(3, 40, 1, 40, A);
    plan(9, 1, A);
    const QList<CalculRemplissage::Machine> liste = {
        {1, 5, 45, 5, "ETAGE"}, {2, 1, 36, 4, "COLONNE"}, {3, 10, 868, 14, "CASIER"}};
    enTransaction([&](Connexion& c) { RemplissageMachineGlobal(c, liste); });
    EXPECT_EQ(normaliser(tRemplissage("NumMach, Etage")),
              QStringList({"1 5001 1 2 7 1", "2 5001 1 1 8 1", "3 5001 1 0 9 1", "1 5002 2 1 3 2",
                           "2 5003 3 2 2 2", "1 5001 1 1 13 3"}));

    // A floor machine without doors is left out, logged under the computation's name; the others print.
    QList<qint32> laissees;
    enTransaction([&](Connexion& c) {
        laissees = RemplissageMachineGlobal(c, {{1, 5, 45, 5, "ETAGE"}, {9, 5, 45, 0, "ETAGE"}});
    });
    EXPECT_EQ(laissees, QList<qint32>({9}));
    EXPECT_EQ(normaliser(tRemplissage()).size(), 3);
    EXPECT_EQ(journal(), QStringList({"RemplissageMachineGlobal"}));
}

TEST_P(CalculRemplissageCasiersTest, EtiquettesDUneGrille) {
    GrilleCasiers::Table<qint64> t{};
    for (int j = 1; j <= 5; ++j)
        t[1][j] = QList<qint64>({5, 5, 9, 9, 5}).at(j - 1);
    // 5, 0, 5: one label.
    t[2][1] = 5;
    t[2][3] = 5;
    // Beyond the grid's size: not read.
    t[3][6] = 8;
    t[4][2] = 8;
    bool une = false;
    enTransaction([&](Connexion& c) { une = PlancheEtiquettes(c, 4, t, 4, 6); });
    EXPECT_TRUE(une);
    EXPECT_EQ(normaliser(tRemplissage("Etage, NbUnite")),
              QStringList({"1 5 - 1 - 4", "1 9 - 3 - 4", "1 5 - 5 - 4", "2 5 - 1 - 4"}));

    // The label sheet prints a row's labels left to right, whatever order the table gives them in.
    cnx().executer(QStringLiteral("UPDATE InfoSociete SET NOM = 'Société Élan'"));
    cnx().executer(
        QStringLiteral("INSERT INTO ARemplissageMachine (Etage, NbUnite, Designation) SELECT Etage, "
                       "NbUnite, 'L' || CAST(Etage AS TEXT) || '-' || CAST(CAST(NbUnite AS INTEGER) AS "
                       "TEXT) FROM TRemplissageMachine ORDER BY Etage DESC, NbUnite DESC"));
    ReportData::Request demande;
    demande.fileName = QStringLiteral("FicheImageProduit.RPT");
    demande.source = QStringLiteral("ARemplissageMachine order by etage");
    const ReportDocument doc = ReportEngine::layout(
        ReportDefinition::load(
            QDir(QStringLiteral(DORVANE_RESOURCES_DIR)).filePath(QStringLiteral("RPT SQL")),
            demande.fileName),
        ReportData::read(cnx(), demande).tables);
    QStringList etiquettes;
    for (const ReportItem& it : doc.items(0))
        if (it.text.startsWith(u'L'))
            etiquettes << it.text;
    EXPECT_EQ(etiquettes, QStringList({"L1-1", "L1-3", "L1-5", "L2-1"}));

    enTransaction(
        [&](Connexion& c) { une = PlancheEtiquettes(c, 4, GrilleCasiers::Table<qint64>{}, 37, 15); });
    EXPECT_FALSE(une);
    EXPECT_TRUE(tRemplissage().isEmpty());
}

// Per-locker sheets of two machines built at once by several workstations: each prints its own lines.
TEST_P(CalculRemplissageCasiersTest, FeuillesSimultaneesDeDeuxMachines) {
    for (int no : {1, 2}) {
        machine(no, 10, "CASIER", 868, 14);
        for (int k = 1; k <= 60; ++k)
            plan(no, k, no == 1 ? A : C);
    }
    QMutex verrou;
    QStringList erreurs;
    std::vector<std::thread> postes;
    for (int i = 0; i < 6; ++i)
        postes.emplace_back([&, no = 1 + i % 2] {
            try {
                auto c = base().ouvrir();
                for (int fois = 0; fois < 4; ++fois) {
                    QStringList lues;
                    ReportBuilders::CreerEtatRemplissageMach(
                        no, 1, QStringLiteral("RemplissageMachine"), [&](Connexion& cx) {
                            RemplisageMachineFicheReappro(cx, no, 10, false);
                            return true;
                        })(*c, [&] {
                        QSqlQuery q = c->executer(
                            QStringLiteral("SELECT NoMachine, ReferenceArticle FROM ARemplissageMachine"));
                        while (q.next())
                            lues << q.value(0).toString() + u' ' + q.value(1).toString();
                    });
                    if (lues.size() != 60 || QSet<QString>(lues.begin(), lues.end()).size() != 1 ||
                        lues.first() != QStringLiteral("%1 %2").arg(no).arg(no == 1 ? A : C)) {
                        const QMutexLocker l(&verrou);
                        erreurs << QStringLiteral("machine %1: %2 lignes").arg(no).arg(lues.size());
                    }
                }
            } catch (const ErreurExecution& e) {
                const QMutexLocker l(&verrou);
                erreurs << e.description();
            }
        });
    for (std::thread& t : postes)
        t.join();
    EXPECT_TRUE(erreurs.isEmpty()) << erreurs.join(u'\n').toStdString();
}

DORVANE_SUR_CHAQUE_BASE(CalculRemplissageCasiersTest);

// Machine 4, model 2, 3 doors: the grid's rows with their captions, in the installation's code page.
TEST(CalculRemplissageCasiers, ExportDeLaConfiguration) {
    reinitialiserEtatGlobal();
    Global().FichierLangue = QStringLiteral("/programme/french.lng");
    QTemporaryDir dossier;
    const QString chemin = QDir(dossier.path()).filePath(QStringLiteral("ConfigMachine4.csv"));
    QList<QStringList> grille = {{"", "Etage 1", "Etage 2", "Etage 3"}};
    for (int r = 1; r <= 18; ++r)
        grille.append({QStringLiteral("Colonne %1").arg(r), QString(), QString(), QString()});
    grille[1][1] = QStringLiteral("A-1");
    grille[1][2] = QStringLiteral("B-19");
    grille[2][1] = QStringLiteral("Gant été");
    grille[3][1] = QStringLiteral("x;\"y\"");
    ExporterConfigurationCsv(chemin, grille);
    QFile f(chemin);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray octets = f.readAll();
    f.close();
    const QList<QByteArray> l = octets.split('\n');
    ASSERT_EQ(l.size(), 20);
    EXPECT_TRUE(l.last().isEmpty());
    EXPECT_EQ(l[0], QByteArray(";Etage 1;Etage 2;Etage 3\r"));
    EXPECT_EQ(l[1], QByteArray("Colonne 1;A-1;B-19;\r"));
    EXPECT_EQ(l[2], QByteArray("Colonne 2;Gant \xe9t\xe9;;\r"));
    EXPECT_EQ(l[3], QByteArray("Colonne 3;\"x;\"\"y\"\"\";;\r"));
    EXPECT_EQ(octets.count("\r\n"), 19);

    // A second export replaces the file; a folder in the way is refused and leaves nothing behind.
    ExporterConfigurationCsv(chemin, {{"1", "2"}});
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("1;2\r\n"));
    f.close();
    const QString bloque = QDir(dossier.path()).filePath(QStringLiteral("ConfigMachine5.csv"));
    ASSERT_TRUE(QDir().mkpath(bloque));
    try {
        ExporterConfigurationCsv(bloque, grille);
        ADD_FAILURE() << "no failure";
    } catch (const ErreurExecution& e) {
        EXPECT_EQ(e.numero(), ErreurExecution::PathFileAccess);
    }
    EXPECT_EQ(QDir(dossier.path()).entryList(QDir::Files), QStringList({"ConfigMachine4.csv"}));
    reinitialiserEtatGlobal();
}
