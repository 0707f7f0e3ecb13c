#include "BaseDeTest.h"
#include "EtatMachineDeTest.h"

#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/MODTranslate.h"
#include "db/Valeurs.h"
#include "machines/EnregistrerConfigMachine.h"
#include "machines/GrilleCasiers.h"

#include <QElapsedTimer>
#include <QImage>
#include <QPdfWriter>
#include <QProcess>
#include <QSqlRecord>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace {

const QVariant Nul = QVariant(QMetaType::fromType<qint64>());
constexpr qint64 A = 5001, B = 5002, C = 5003;

class GrilleCasiersTest : public TestAvecBase {
protected:
    void SetUp() override {
        TestAvecBase::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        Global().Msg = MODTranslate::TextesMessages(QStringLiteral("FR"));
        for (qint64 r : {A, B, C})
            cnx().executer(QStringLiteral("INSERT INTO ArticleEnStock (Reference, CodeArticle, Designation, "
                                          "RefFournisseur) VALUES (?, ?, ?, ?)"),
                           {r, r - 5000, QStringLiteral("Article %1").arg(r - 5000),
                            r == C ? QVariant(QMetaType::fromType<QString>())
                                   : QVariant(QStringLiteral("RF%1").arg(r - 5000))});
    }
    // A locker machine with lockers 1 to n, locker k planned with article(k) (0: none), designation
    // "ancienne", and a slot per locker (NoEmpl k; Colonne and Etage its cell with G to a column) holding
    // charge(k) (0: empty).
    void machine(int no, int G, int n, const std::function<qint64(int)>& article,
                 const std::function<qint64(int)>& charge) {
        cnx().executer(
            QStringLiteral("INSERT INTO Machines (NoMachine, Type, Chargement, NbPorte) VALUES (?, 10, "
                           "'CASIER', 14)"),
            {no});
        for (int k = 1; k <= n; ++k) {
            const qint64 a = article(k), s = charge(k);
            cnx().executer(QStringLiteral("INSERT INTO ConfigMachines (NoMachine, Etage, ReferenceArticle, "
                                          "CodeArticle, Designation) VALUES (?, ?, ?, ?, 'ancienne')"),
                           {no, k, a ? QVariant(a) : Nul, a ? QVariant(a - 5000) : Nul});
            const auto [x, y] = GrilleCasiers::Cellule(k, G);
            cnx().executer(
                QStringLiteral("INSERT INTO EmplacementsMachine1 (NoMachine, NoEmpl, Etage, Colonne, "
                               "Reference, Qte) VALUES (?, ?, ?, ?, ?, ?)"),
                {no, k, y, x, s ? QVariant(s) : Nul, s ? QVariant(k % 3 + 1) : Nul});
        }
    }
    QStringList contenu(int no) { return EtatMachineDeTest::contenu(cnx(), no); }
    QStringList config(int no) { return EtatMachineDeTest::config(cnx(), no); }
};

} // namespace

TEST(GrilleCasiers, GeometrieDesModelesEtCellules) {
    // Model, factor, rows, lockers per column, scrolling; the cell of a few lockers.
    const int modeles[][5] = {{1, 4, 10, 9, 0},  {2, 2, 19, 18, 0}, {4, 2, 19, 18, 0}, {3, 1, 37, 36, 0},
                              {5, 1, 37, 36, 0}, {6, 1, 37, 36, 0}, {8, 1, 37, 36, 0}, {10, 1, 63, 62, 1}};
    for (const auto& [type, f, lignes, g, defile] : modeles) {
        const auto geo = ModeleMachine::GeometrieCasiersModele(type);
        ASSERT_TRUE(geo) << type;
        EXPECT_EQ(QList<int>({geo->facteur, geo->lignes, geo->parColonne, int(geo->defilement)}),
                  QList<int>({f, lignes, g, defile}))
            << type;
    }
    for (int autre : {0, 7, 9, 11})
        EXPECT_FALSE(ModeleMachine::GeometrieCasiersModele(autre)) << autre;
    using P = std::pair<qint64, qint64>;
    EXPECT_EQ(GrilleCasiers::Cellule(1, 9), P(1, 1));
    EXPECT_EQ(GrilleCasiers::Cellule(9, 9), P(9, 1));
    EXPECT_EQ(GrilleCasiers::Cellule(10, 9), P(1, 2));
    EXPECT_EQ(GrilleCasiers::Cellule(20, 18), P(2, 2));
    EXPECT_EQ(GrilleCasiers::Cellule(62, 62), P(62, 1));
    EXPECT_EQ(GrilleCasiers::Cellule(63, 62), P(1, 2));
    EXPECT_EQ(GrilleCasiers::Cellule(124, 62), P(62, 2));
    EXPECT_EQ(GrilleCasiers::Cellule(0, 36), P(36, 0));
    EXPECT_FALSE(GrilleCasiers::DansLesTables(36, 0));
    EXPECT_FALSE(GrilleCasiers::DansLesTables(64, 1));
    EXPECT_FALSE(GrilleCasiers::DansLesTables(1, 15));
    EXPECT_TRUE(GrilleCasiers::DansLesTables(63, 14));
}

TEST_P(GrilleCasiersTest, LectureDesCasiersEtDesTables) {
    // Model 2 lockers: 20 planned with A, 21 with C (no supplier reference), 22 with an unknown article,
    // 23 with none; locker 0 is left out.
    cnx().executer(
        QStringLiteral("INSERT INTO ConfigMachines (NoMachine, Etage, ReferenceArticle, CodeArticle) "
                       "VALUES (1, 20, 5001, 1), (1, 21, 5003, 3), (1, 22, 7777, NULL), (1, 23, NULL, "
                       "NULL), (1, 0, 5002, 2)"));
    GrilleCasiers g;
    EXPECT_EQ(g.Facteur * 1000 + g.lignes, 1037);
    g.Lire(cnx(), 1, 2, 3);
    EXPECT_EQ(QList<int>({g.Facteur, g.lignes, g.parColonne, int(g.defilement)}), QList<int>({2, 19, 18, 0}));
    ASSERT_EQ(g.casiers.size(), 4);
    QStringList textes;
    for (const GrilleCasiers::Casier& k : g.casiers)
        textes << QStringLiteral("%1:%2,%3 %4/%5/%6")
                      .arg(k.numero)
                      .arg(k.x)
                      .arg(k.y)
                      .arg(GrilleCasiers::Texte(k, GrilleCasiers::Option::RefFournisseur),
                           GrilleCasiers::Texte(k, GrilleCasiers::Option::Reference),
                           GrilleCasiers::Texte(k, GrilleCasiers::Option::CodeArticle));
    textes.sort();
    EXPECT_EQ(textes, (QStringList{"20:2,2 RF1/5001/1", "21:3,2 /5003/3", "22:4,2 /7777/", "23:5,2 //"}));
    const GrilleCasiers::Tables& t = g.tables;
    EXPECT_EQ(QList<qint64>({t.ReferenceCase[2][2], t.CodeArticleCase[2][2], t.ReferenceCase[4][2],
                             t.CodeArticleCase[4][2], t.ReferenceCase[5][2]}),
              QList<qint64>({A, 1, 7777, 0, 0}));
    EXPECT_EQ(t.DesignationCase[2][2] + u'|' + t.DesignationCase[4][2], QStringLiteral("Article 1|"));
    EXPECT_TRUE(t.Dessinee[5][2]);
    EXPECT_FALSE(t.Dessinee[6][2]);

    // Another machine: nothing of the first survives; model 7 keeps the geometry of the last model read.
    cnx().executer(
        QStringLiteral("INSERT INTO ConfigMachines (NoMachine, Etage, ReferenceArticle) VALUES (2, 37, "
                       "5002)"));
    g.Lire(cnx(), 2, 10, 1);
    EXPECT_EQ(g.parColonne * 100 + g.lignes, 6263);
    EXPECT_EQ(g.tables.ReferenceCase[2][2] + g.tables.ReferenceCase[37][1], B);
    g.Lire(cnx(), 2, 7, 2);
    EXPECT_EQ(g.parColonne * 100 + g.lignes, 3663);
    EXPECT_EQ(g.tables.ReferenceCase[1][2], B);

    // A locker beyond the doors, beyond column 14, or beyond the rows stops the reading.
    cnx().executer(
        QStringLiteral("INSERT INTO ConfigMachines (NoMachine, Etage) VALUES (3, 19), (4, 541), (5, 10)"));
    EXPECT_THROW(g.Lire(cnx(), 3, 2, 1), ErreurExecution);  // 19 is (1, 2)
    EXPECT_THROW(g.Lire(cnx(), 4, 3, 15), ErreurExecution); // 541 is (1, 16)
    EXPECT_NO_THROW(g.Lire(cnx(), 5, 1, 2));                // 10 is (1, 2)
    g.Facteur = 1;
    EXPECT_THROW(g.Lire(cnx(), 5, 7, 0), ErreurExecution); // no door
}

TEST_P(GrilleCasiersTest, StockDUnArticleEtOccupation) {
    // Lockers 1 and 2 hold A with 2 and 3 units (Qte k % 3 + 1), 3 holds B with 1, 4 holds A with a Null Qte.
    machine(
        1, 62, 4, [](int) { return 0; }, [](int k) { return k == 3 ? B : A; });
    cnx().executer(QStringLiteral("UPDATE EmplacementsMachine1 SET Qte = NULL WHERE NoEmpl = 4"));
    EXPECT_EQ(LireStockMachine(cnx(), 1, A, true), 5);
    EXPECT_EQ(LireStockMachine(cnx(), 1, A, false), 3);
    EXPECT_EQ(LireStockMachine(cnx(), 1, B, true), 1);
    EXPECT_EQ(LireStockMachine(cnx(), 1, C, true) + LireStockMachine(cnx(), 1, C, false), 0);
    EXPECT_EQ(LireStockMachine(cnx(), 1, 5001.5, false), 0);
    EXPECT_EQ(LireStockMachine(cnx(), 0, A, false), 0);

    GrilleCasiers::Table<bool> occupation{};
    EXPECT_TRUE(VerifierMachineVide(cnx(), 1, occupation));
    EXPECT_TRUE(occupation[4][1]); // Colonne 4, Etage 1
    cnx().executer(QStringLiteral("UPDATE EmplacementsMachine1 SET Reference = NULL WHERE NoEmpl = 4"));
    EXPECT_TRUE(VerifierMachineVide(cnx(), 1, occupation));
    EXPECT_FALSE(occupation[4][1]);
    // No slot, or a slot outside the table: false.
    EXPECT_FALSE(VerifierMachineVide(cnx(), 9, occupation));
    cnx().executer(QStringLiteral("UPDATE EmplacementsMachine1 SET Colonne = 64 WHERE NoEmpl = 2"));
    EXPECT_FALSE(VerifierMachineVide(cnx(), 1, occupation));
    // A failing database: 0, logged.
    cnx().executer(QStringLiteral("ALTER TABLE EmplacementsMachine1 RENAME TO EmplacementsX"));
    EXPECT_EQ(LireStockMachine(cnx(), 1, A, true), 0);
}

TEST_P(GrilleCasiersTest, EnregistrementParNumeroDeCasierEnUneTransaction) {
    // 70 lockers of a model 10 (62 to a column), locker k planned with A for k <= 30, else none; every
    // slot loaded with A.
    machine(
        1, 62, 70, [](int k) { return k <= 30 ? A : 0; }, [](int) { return A; });
    GrilleCasiers g;
    g.Lire(cnx(), 1, 10, 2);
    GrilleCasiers::Tables& t = g.tables;
    // Lockers 2 to 4 take B, locker 5 C (without supplier reference), locker 6 is emptied, locker 64
    // (cell (2, 2)) takes B; a cell without locker is ignored.
    for (int x = 2; x <= 4; ++x) {
        t.ReferenceCase[x][1] = B;
        t.CodeArticleCase[x][1] = 2;
        t.DesignationCase[x][1] = QStringLiteral("Article 2");
    }
    t.ReferenceCase[5][1] = C;
    t.CodeArticleCase[5][1] = 3;
    t.DesignationCase[5][1].clear();
    t.ReferenceCase[6][1] = 0;
    t.ReferenceCase[2][2] = B;
    t.ReferenceCase[20][2] = C;
    BilanConfigMachine b = EnregistrerConfigCasiers(cnx(), 1, g.parColonne, t);
    EXPECT_FALSE(cnx().enTransaction());
    const QStringList c = config(1);
    EXPECT_EQ(c.mid(0, 7),
              (QStringList{"1 5001 1 ancienne", "2 5002 2 Article 2", "3 5002 2 Article 2",
                           "4 5002 2 Article 2", "5 5003 3 -", "6 - - ancienne", "7 5001 1 ancienne"}));
    EXPECT_EQ(c.at(63), QStringLiteral("64 5002 - -"));
    EXPECT_EQ(c.at(64), QStringLiteral("65 - - ancienne"));
    // Slots 2 to 6, and those of unplanned lockers 31 to 70 but 64, emptied.
    const QStringList s = contenu(1);
    EXPECT_EQ(s.filter(QStringLiteral(" -")).size(), 5 + 40);
    EXPECT_EQ(s.at(63), QStringLiteral("64 -"));
    EXPECT_EQ(s.at(29), QStringLiteral("30 5001"));
    EXPECT_EQ(b.lignesPlan * 1000 + b.emplacements, 6 * 1000 + 45);
    // Saved again: nothing changes.
    b = EnregistrerConfigCasiers(cnx(), 1, g.parColonne, t);
    EXPECT_EQ(b.lignesPlan * 1000 + b.emplacements, 0);

    // Drawn 36 to a column (a model 7 after the model 10): locker 40 is cell (4, 2), not (40, 1); a slot
    // of a locker not drawn and a plan row outside the tables are left.
    g.Lire(cnx(), 1, 7, 2);
    ASSERT_EQ(g.lignes * 100 + g.parColonne, 6336);
    g.tables.ReferenceCase[4][2] = C;
    g.tables.CodeArticleCase[4][2] = 3;
    cnx().executer(
        QStringLiteral("INSERT INTO EmplacementsMachine1 (NoMachine, NoEmpl, Reference) VALUES (1, 200, "
                       "5001), (1, 2000, 5001)"));
    cnx().executer(
        QStringLiteral("INSERT INTO ConfigMachines (NoMachine, Etage, ReferenceArticle) VALUES (1, "
                       "2000, 5001)"));
    b = EnregistrerConfigCasiers(cnx(), 1, g.parColonne, g.tables);
    EXPECT_EQ(config(1).at(39), QStringLiteral("40 5003 3 -"));
    EXPECT_EQ(config(1).last(), QStringLiteral("2000 5001 - -"));
    EXPECT_EQ(contenu(1).mid(70), (QStringList{"200 5001", "2000 5001"}));

    // A failure midway writes nothing.
    g.tables.ReferenceCase[1][1] = C;
    cnx().executer(QStringLiteral("ALTER TABLE EmplacementsMachine1 RENAME TO EmplacementsX"));
    EXPECT_THROW(EnregistrerConfigCasiers(cnx(), 1, g.parColonne, g.tables), ErreurExecution);
    EXPECT_FALSE(cnx().enTransaction());
    EXPECT_EQ(config(1).first(), QStringLiteral("1 5001 1 ancienne"));
}

TEST_P(GrilleCasiersTest, EcrivainsSimultanesEtMachineQuiChargePendantLaSauvegarde) {
    // Machines 1 to 4, 36 lockers planned A and loaded with A; each workstation plans B everywhere, two of
    // them on machine 1, while a machine loads a few slots with B.
    for (int m = 1; m <= 4; ++m)
        machine(
            m, 36, 36, [](int) { return A; }, [](int) { return A; });
    GrilleCasiers::Tables planB;
    planB.vider();
    for (int x = 1; x <= 36; ++x) {
        planB.ReferenceCase[x][1] = B;
        planB.CodeArticleCase[x][1] = 2;
        planB.Dessinee[x][1] = true;
    }
    PostesDeTest postes(base());
    for (int m : {1, 1, 2, 3, 4})
        postes.lancer([m, &planB](Connexion& c) { EnregistrerConfigCasiers(c, m, 36, planB); });
    postes.lancer([](Connexion& c) { EtatMachineDeTest::machineQuiCharge(c, 1, 4); });
    const QStringList erreurs = postes.attendre();
    ASSERT_TRUE(erreurs.isEmpty()) << erreurs.join(u'\n').toStdString();
    for (int m = 1; m <= 4; ++m) {
        EXPECT_EQ(config(m).filter(QStringLiteral(" 5002 2 ")).size(), 36) << m;
        EXPECT_EQ(contenu(m).filter(QStringLiteral(" 5002")).size() * 100 +
                      contenu(m).filter(QStringLiteral(" -")).size(),
                  6 * 100 + 30)
            << m;
    }
}

TEST(GrilleCasiers, ImpressionSurUnePageAvecTitreEtGrille) {
    QTemporaryDir dossier;
    const QString fichier = dossier.filePath(QStringLiteral("casiers.pdf"));
    QImage grille(300, 200, QImage::Format_RGB32);
    grille.fill(Qt::red);
    {
        QPdfWriter pdf(fichier);
        ImprimerGrilleCasiers(pdf, QStringLiteral("Contenu machine Quai Nord"), grille);
    }
    QProcess texte;
    texte.start(QStringLiteral("pdftotext"), {fichier, QStringLiteral("-")});
    ASSERT_TRUE(texte.waitForFinished(20000));
    EXPECT_TRUE(QString::fromUtf8(texte.readAllStandardOutput())
                    .contains(QStringLiteral("Contenu machine Quai Nord")));
    // A device that cannot be painted on: an error, not a silent success.
    QImage vide;
    EXPECT_THROW(ImprimerGrilleCasiers(vide, QStringLiteral("x"), grille), ErreurExecution);
}

DORVANE_SUR_CHAQUE_BASE(GrilleCasiersTest);
