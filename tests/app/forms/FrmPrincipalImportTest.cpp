#include "DemarrageFixture.h"

#include "common/MODTranslate.h"
#include "common/forms/ProgessBarre.h"

#include <QProcess>
#include <QTest>

namespace {

// Notes, each time the bar shows, whether the menu and the company panel could be used then.
class TemoinBarre : public QObject {
public:
    QList<bool> menuActif;

protected:
    bool eventFilter(QObject* objet, QEvent* e) override {
        if (e->type() == QEvent::Show)
            menuActif << (frmPrincipal().SSPanel1->isEnabled() || frmPrincipal().SSPanelInfoCom->isEnabled());
        return QObject::eventFilter(objet, e);
    }
};

} // namespace

class FrmPrincipalImportTest : public DemarrageFixture {
protected:
    static void SetUpTestSuite() {
        s_dossier = std::make_unique<QTemporaryDir>();
        const QString script = QStringLiteral(DORVANE_RESOURCES_DIR "/../tests/staff/classeurs_xls.py");
        s_erreur.clear();
        for (const QStringList& arguments :
             {QStringList{script, s_dossier->path()},
              QStringList{script, QStringLiteral("--echec"), s_dossier->filePath(QStringLiteral("echec.xls")),
                          QStringLiteral("6000"), QStringLiteral("5000")}}) {
            QProcess p;
            p.start(QStringLiteral("/usr/bin/python3"), arguments);
            p.waitForFinished(60000);
            if (p.exitCode() != 0)
                s_erreur += QString::fromUtf8(p.readAllStandardError());
        }
    }
    static void TearDownTestSuite() { s_dossier.reset(); }

    void SetUp() override {
        ASSERT_TRUE(s_erreur.isEmpty()) << qPrintable(s_erreur);
        DemarrageFixture::SetUp();
        if (HasFatalFailure())
            return;
        // The program's own registration of the button, without the task forms (nothing preloaded).
        RegistreMenu& registre = RegistreMenu::global();
        enregistrerFormesMenu(registre);
        for (const QString& b : registre.boutons())
            if (b != QLatin1String("CmdImportSalarie"))
                registre.retirer(b);
        Global().NomBase = QStringLiteral("VEZ");
        Global().CheminIni = dossier->cheminIni();
        Global().LangueCourante = QStringLiteral("FR");
        Global().Msg = MODTranslate::TextesMessages(QStringLiteral("FR"));
        dossier->ecrireIni(QStringLiteral("Machine"), QStringLiteral("ButtonImport"), QStringLiteral("OUI"));
        frmPrincipal().Load();
        frmPrincipal().show();
        frmPrincipal().ProgessBarre1->installEventFilter(&temoin);
    }

    static QString fichier(const char* nom) { return s_dossier->filePath(QString::fromUtf8(nom)); }
    void cliquer() { QTest::mouseClick(bouton(QStringLiteral("CmdImportSalarie")), Qt::LeftButton); }
    qint64 salaries() { return valeur(QStringLiteral("SELECT COUNT(*) FROM Utilisateurs")).toLongLong(); }
    // After a run: the bar is gone and the menu usable again.
    void verifierFin() {
        EXPECT_TRUE(frmPrincipal().ProgessBarre1->isHidden());
        EXPECT_TRUE(frmPrincipal().SSPanel1->isEnabled());
        EXPECT_TRUE(bouton(QStringLiteral("CmdImportSalarie"))->isEnabled());
        EXPECT_FALSE(frmPrincipal().importEnCours());
    }

    TemoinBarre temoin;
    static inline std::unique_ptr<QTemporaryDir> s_dossier;
    static inline QString s_erreur;
};

TEST_F(FrmPrincipalImportTest, ButtonRunsTheVariantsRoutineWithTheMenuClosedMeanwhile) {
    const QString mauvaisFormat = QStringLiteral("Le fichier n'est pas au bon format !");
    ASSERT_TRUE(bouton(QStringLiteral("CmdImportSalarie"))->isEnabled());
    // Cancelled: nothing.
    dialogues->attendreOuvertureAnnulee();
    cliquer();
    EXPECT_TRUE(temoin.menuActif.isEmpty());

    // The generic routine: the request of the import, the bar shown with the menu closed.
    ResultatOuvertureFichier choisi;
    choisi.Accepte = true;
    choisi.FileName = fichier("import_generique.xls");
    dialogues->attendreOuverture(choisi, [](const DemandeOuvertureFichier& d) {
        EXPECT_EQ(d.Filter, QStringLiteral("Excel Files (*.xls)|*.xls"));
        EXPECT_EQ(d.FilterIndex, 1);
        EXPECT_TRUE(d.FileMustExist);
        EXPECT_TRUE(d.HideReadOnly);
        EXPECT_FALSE(d.MultiSelect);
        EXPECT_EQ(d.DefaultExt, QStringLiteral("xls"));
    });
    cliquer();
    EXPECT_EQ(temoin.menuActif, QList<bool>{false});
    verifierFin();
    EXPECT_EQ(salaries(), 9);
    EXPECT_TRUE(dossier->lignesJournal().isEmpty());

    // A workbook without the routine's sheet, or a file gone since the dialog: each routine's message.
    dialogues->attendreFichierChoisi(fichier("import_liste.xls"));
    dialogues->attendreMessage(Global().msg(41), Reponse::OK, std::nullopt, StyleMessage::OK);
    cliquer();
    frmPrincipal().ClientFenorel = true;
    dialogues->attendreFichierChoisi(fichier("efface.xls"));
    dialogues->attendreMessage(mauvaisFormat, Reponse::OK, std::nullopt, StyleMessage::OK);
    cliquer();
    frmPrincipal().ClientFenorel = false;
    Global().ClientTalmer = true;
    dialogues->attendreFichierChoisi(fichier("import_generique.xls"));
    dialogues->attendreMessage(mauvaisFormat, Reponse::OK, std::nullopt,
                               StyleMessage::OK | StyleMessage::Critique);
    cliquer();
    verifierFin();
    // Logged under the routine's name, except "Rapport 1"'s.
    const QStringList journal = dossier->lignesJournal();
    ASSERT_EQ(journal.size(), 2);
    EXPECT_TRUE(journal[0].startsWith(QStringLiteral("ImportSalarie|"))) << journal[0].toStdString();
    EXPECT_TRUE(journal[1].startsWith(QStringLiteral("ImportSalarieFenorel|"))) << journal[1].toStdString();

    // "Rapport 1" imports its two rows, the bar shown once more.
    dialogues->attendreFichierChoisi(fichier("import_rapport.xls"));
    cliquer();
    verifierFin();
    EXPECT_EQ(salaries(), 11);
    EXPECT_EQ(temoin.menuActif, (QList<bool>{false, false}));
}

// The program's own databases are refused before anything opens them (closing them in this process would
// drop SQLite's locks), through a link of another name too.
TEST_F(FrmPrincipalImportTest, TheProgramsOwnDatabasesAreRefusedBeforeAnyRead) {
    const QDir programme(dossier->chemin());
    const QString lien = s_dossier->filePath(QStringLiteral("base.xls"));
    QFile::remove(lien);
    ASSERT_TRUE(QFile::link(programme.filePath(QStringLiteral("VEZ.db")), lien));
    for (const QString& chemin : {lien, programme.filePath(QStringLiteral("gestionnaire.db")),
                                  programme.filePath(QStringLiteral("MAINTEN.MDB"))}) {
        dialogues->attendreFichierChoisi(chemin);
        dialogues->attendreMessageContenant(
            QStringLiteral("est un fichier de la base de données du programme"));
        cliquer();
    }
    verifierFin();
    EXPECT_TRUE(temoin.menuActif.isEmpty());
    EXPECT_TRUE(dossier->lignesJournal().isEmpty());
}

TEST_F(FrmPrincipalImportTest, FailureAtARowKeepsNothingLogsOnceAndNamesTheRow) {
    executer(QStringLiteral("CREATE TRIGGER refus BEFORE INSERT ON Utilisateurs WHEN NEW.NoBadge = 'ECHEC' "
                            "BEGIN SELECT RAISE(ABORT, 'badge refusé'); END"));
    dialogues->attendreFichierChoisi(fichier("echec.xls"));
    dialogues->attendreMessageContenant(QStringLiteral("« Feuil1 », ligne 5001 :\nbadge refusé"));
    cliquer();
    verifierFin();
    EXPECT_EQ(salaries(), 0);
    EXPECT_EQ(valeur(QStringLiteral("SELECT COUNT(*) FROM Sites")).toLongLong(), 0);
    const QStringList journal = dossier->lignesJournal();
    ASSERT_EQ(journal.size(), 1);
    EXPECT_TRUE(journal[0].startsWith(QStringLiteral("ImportSalarie|"))) << journal[0].toStdString();
    EXPECT_TRUE(journal[0].contains(QStringLiteral("badge refusé")));
}
