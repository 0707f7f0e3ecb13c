#include "DemarrageFixture.h"

#include "Version.h"
#include "app/DroitsAcces.h"
#include "app/forms/frmAbout.h"
#include "common/ErreurExecution.h"
#include "common/LecteurTag.h"
#include "common/forms/Instance.h"
#include "reports/forms/FenCompteRendu.h"
#include "reports/forms/FenCrystalRep.h"

#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

namespace {

// Types a text key by key, accented letters included (QTest::keyClicks takes ASCII only).
void taper(QWidget* w, const QString& texte) {
    for (const QChar c : texte) {
        const int touche = c.toUpper().unicode();
        QKeyEvent appui(QEvent::KeyPress, touche, Qt::NoModifier, QString(c));
        QKeyEvent relache(QEvent::KeyRelease, touche, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(w, &appui);
        QCoreApplication::sendEvent(w, &relache);
    }
}

class FrmPrincipalTest : public DemarrageFixture {
protected:
    // What Main would have set before the load.
    void preparerEtat() {
        Global().NomBase = QStringLiteral("VEZ");
        Global().CheminIni = dossier->cheminIni();
        Global().LangueCourante = QStringLiteral("FR");
    }
    void charger() {
        preparerEtat();
        Global().FinDemandee = false; // a previous unload ended the (scripted) run
        frmPrincipal().Load();
    }
    void societe(const QString& nom, const QString& ville) {
        executer(QStringLiteral("UPDATE InfoSociete SET NOM = ?, Ville = ?"), {nom, ville});
    }
    void droits(const QString& login, bool comptoir) {
        ParametresConnexion p;
        p.base = Global().NomBaseDroits;
        p.dossier = dossier->chemin();
        Connexion c(p);
        QVariantList v{login};
        for (int i = 0; i < 13; ++i)
            v << (i == 12 ? comptoir : true);
        c.executer(QStringLiteral("INSERT INTO Gestionnaire (Utilisateur, Salarie, ArticleEnStock, "
                                  "JournalConsomation, Report, BadgesMaintenances, Machines, Fournisseurs, "
                                  "MouvementDeStock, Profils, Familles, Tailles, SitesEtServices, Comptoir) "
                                  "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                   v);
    }
};

TEST_F(FrmPrincipalTest, ChargementLegendeBoutonsEtCouleurs) {
    // The journal's button with no form behind it.
    RegistreMenu::global().retirer(QStringLiteral("CmdVente"));
    charger();
    ASSERT_FALSE(frmPrincipal().baseInaccessible());
    EXPECT_TRUE(frmPrincipal().societe().estCharge());
    EXPECT_EQ(frmPrincipal().windowTitle(), QStringLiteral("Dorvane - " DORVANE_VERSION_STRING));
    const QList<QPair<QString, QString>> legendes{
        {QStringLiteral("CmdEmplacement"), QStringLiteral(" Salariés")},
        {QStringLiteral("CmdStock"), QStringLiteral(" Articles en Stock")},
        {QStringLiteral("CmdVente"), QStringLiteral(" Journal des consommations")},
        {QStringLiteral("CmdReport"), QStringLiteral(" Report")},
        {QStringLiteral("CmdComptoir"), QStringLiteral(" Comptoir")},
        {QStringLiteral("CmdMachines"), QStringLiteral(" Machines")},
        {QStringLiteral("CmdProfile"), QStringLiteral(" Profils")},
        {QStringLiteral("CmdSites"), QStringLiteral(" Sites et Services")},
        {QStringLiteral("CmdBadgeMainten"), QStringLiteral(" Badges Maintenances")},
        {QStringLiteral("CmdFamilles"), QStringLiteral(" Familles")},
        {QStringLiteral("CmdTailles"), QStringLiteral(" Tailles")},
        {QStringLiteral("CmdFournissueur"), QStringLiteral(" Fournisseurs")},
        {QStringLiteral("CmdMouvementStock"), QStringLiteral(" Mouvements de Stock")},
        {QStringLiteral("CmdListealarme"), QStringLiteral(" Liste des codes affaires")},
        {QStringLiteral("CmdApropos"), QStringLiteral(" Info Version")},
        {QStringLiteral("CmdInfoCom"), QStringLiteral(" Informations Société")},
        {QStringLiteral("cmdClose"), QStringLiteral(" Quitter")},
        {QStringLiteral("CmdImportSalarie"), QStringLiteral("Importation Salariés")},
        {QStringLiteral("Commandhelp"), QStringLiteral(" Aide sur Dorvane")},
        {QStringLiteral("CmdDotation"), QStringLiteral("Calcul des besoins")},
    };
    for (const auto& [nom, texte] : legendes) {
        auto* b = bouton(nom);
        ASSERT_NE(b, nullptr) << nom.toStdString();
        EXPECT_EQ(b->text(), texte) << nom.toStdString();
    }
    // Tab goes down the first column, then on to the top of the next.
    QStringList ordre;
    for (QWidget* w = bouton(QStringLiteral("CmdEmplacement")); ordre.size() < 8; w = w->nextInFocusChain())
        if (qobject_cast<QPushButton*>(w))
            ordre << w->objectName();
    EXPECT_EQ(ordre, (QStringList{"CmdEmplacement", "CmdProfile", "CmdSites", "CmdBadgeMainten",
                                  "CmdComptoir", "CmdImportSalarie", "CmdListealarme", "CmdStock"}));
    EXPECT_EQ(frmPrincipal().palette().color(QPalette::Window), QColor(0, 143, 213));
    EXPECT_EQ(frmPrincipal().boutonsMenu().size(), 17);
    // Pictures come from the folder's "icon/"; help has none.
    EXPECT_FALSE(bouton(QStringLiteral("CmdStock"))->icon().isNull());
    EXPECT_TRUE(bouton(QStringLiteral("Commandhelp"))->icon().isNull());
    // No form registered: visible but greyed; the window's own buttons work.
    EXPECT_FALSE(bouton(QStringLiteral("CmdVente"))->isEnabled());
    EXPECT_TRUE(bouton(QStringLiteral("CmdApropos"))->isEnabled());
    EXPECT_TRUE(bouton(QStringLiteral("CmdInfoCom"))->isEnabled());
    EXPECT_FALSE(bouton(QStringLiteral("CmdDotation"))->isVisibleTo(&frmPrincipal()));
    EXPECT_TRUE(Global().CheminRapports.endsWith(QStringLiteral("RPT SQL/")));
    EXPECT_GT(Global().LargeurFenPrincipale, 0);
}

TEST_F(FrmPrincipalTest, DossierIconesAbsentSansMessage) {
    QDir(dossier->fichier(QStringLiteral("icon"))).removeRecursively();
    charger();
    for (QPushButton* b : frmPrincipal().boutonsMenu())
        EXPECT_TRUE(b->icon().isNull()) << b->objectName().toStdString();
    EXPECT_TRUE(dialogues->appels().isEmpty());
}

TEST_F(FrmPrincipalTest, VariantesClient) {
    societe(QStringLiteral("ormax sa"), QStringLiteral("Brelaz"));
    dossier->ecrireIni(QStringLiteral("Machine"), QStringLiteral("ButtonImport"), QStringLiteral("OUI"));
    dossier->ecrireIni(QStringLiteral("APPLICATION"), QStringLiteral("Dotation"), QStringLiteral("OUI"));
    charger();
    EXPECT_TRUE(Global().ClientOrmax);
    EXPECT_FALSE(bouton(QStringLiteral("CmdImportSalarie"))->isVisibleTo(&frmPrincipal()));
    EXPECT_FALSE(bouton(QStringLiteral("CmdListealarme"))->isVisibleTo(&frmPrincipal()));
    EXPECT_TRUE(bouton(QStringLiteral("CmdDotation"))->isVisibleTo(&frmPrincipal()));

    frmPrincipal().Unload();
    societe(QStringLiteral("Kestavon Talmer"), QStringLiteral("Brelaz"));
    charger();
    EXPECT_FALSE(Global().ClientOrmax);
    EXPECT_TRUE(Global().ClientTalmer);
    EXPECT_TRUE(bouton(QStringLiteral("CmdImportSalarie"))->isVisibleTo(&frmPrincipal()));
    EXPECT_TRUE(bouton(QStringLiteral("CmdListealarme"))->isVisibleTo(&frmPrincipal()));
}

TEST_F(FrmPrincipalTest, PanneauSocieteEnregistreEtFiltreLesTouches) {
    executer(QStringLiteral("UPDATE InfoSociete SET NOM = NULL, Tel = NULL, Fax = NULL, Ville = 'Lyon'"));
    charger();
    auto& f = frmPrincipal();
    QTest::mouseClick(bouton(QStringLiteral("CmdInfoCom")), Qt::LeftButton);
    EXPECT_TRUE(f.SSPanelInfoCom->isVisibleTo(&f));
    // Black labels on the window's blue would not be readable.
    EXPECT_NE(f.SSPanelInfoCom->palette().color(QPalette::Window), QColor(0, 143, 213));
    EXPECT_EQ(f.SSPanel1->palette().color(QPalette::Window), QColor(0, 143, 213));

    f.TextTel->clear();
    taper(f.TextTel, QStringLiteral("01 a2B3-.45é"));
    EXPECT_EQ(f.TextTel->text(), QStringLiteral("01 2345"));
    // Control keys pass.
    QTest::keyClick(f.TextTel, Qt::Key_Backspace);
    QTest::keyClick(f.TextTel, Qt::Key_Backspace);
    EXPECT_EQ(f.TextTel->text(), QStringLiteral("01 23"));
    taper(f.TextTel, QStringLiteral(" 45"));
    taper(f.TextNom, QStringLiteral("société éa"));
    EXPECT_EQ(f.TextNom->text(), QStringLiteral("SOCIÉTÉ ÉA"));
    QTest::mouseClick(f.cmdOK, Qt::LeftButton);
    EXPECT_FALSE(f.SSPanelInfoCom->isVisibleTo(&f));

    EXPECT_EQ(valeur(QStringLiteral("SELECT Tel FROM InfoSociete")).toString(), QStringLiteral("01 23 45"));
    EXPECT_EQ(valeur(QStringLiteral("SELECT NOM FROM InfoSociete")).toString(), QStringLiteral("SOCIÉTÉ ÉA"));
    // A Null field left empty stays Null.
    EXPECT_TRUE(valeur(QStringLiteral("SELECT Fax FROM InfoSociete")).isNull());
    EXPECT_EQ(valeur(QStringLiteral("SELECT Ville FROM InfoSociete")).toString(), QStringLiteral("Lyon"));
}

TEST_F(FrmPrincipalTest, FermetureEcritAdEmail) {
    executer(QStringLiteral("UPDATE InfoSociete SET AdEmail = NULL"));
    charger();
    EXPECT_EQ(Global().AdresseEmail, QString());
    QTest::mouseClick(bouton(QStringLiteral("cmdClose")), Qt::LeftButton);
    EXPECT_EQ(session->codeFin(), 0);
    const QVariant v = valeur(QStringLiteral("SELECT AdEmail FROM InfoSociete"));
    EXPECT_FALSE(v.isNull());
    EXPECT_EQ(v.toString(), QString());
    EXPECT_EQ(frmPrincipal().connexionOuverte(), nullptr);

    executer(QStringLiteral("UPDATE InfoSociete SET AdEmail = 'achats@exemple.fr'"));
    charger();
    EXPECT_EQ(Global().AdresseEmail, QStringLiteral("achats@exemple.fr"));
    Global().AdresseEmail = QStringLiteral("magasin@exemple.fr");
    frmPrincipal().close();
    EXPECT_EQ(valeur(QStringLiteral("SELECT AdEmail FROM InfoSociete")).toString(),
              QStringLiteral("magasin@exemple.fr"));
}

TEST_F(FrmPrincipalTest, LecteurTagAbsentPrevientEtContinue) {
    Global().TypeLecteurBadge = 6;
    dialogues->attendreMessage(texteLecteurTagAbsent() + QStringLiteral("\nDefaut Lecteur Tag"), Reponse::OK);
    charger();
    EXPECT_FALSE(session->termine());
    EXPECT_TRUE(frmPrincipal().windowTitle().startsWith(QStringLiteral("Dorvane - ")));
}

TEST_F(FrmPrincipalTest, BaseAbsente) {
    preparerEtat();
    Global().NomBase = QStringLiteral("ABSENTE");
    Global().OptionLimitationAcces = true;
    enregistrerFormesFactices();
    dialogues->attendreMessage(QStringLiteral("Pas de base de donnée!"), Reponse::OK);
    frmPrincipal().Load();
    EXPECT_TRUE(frmPrincipal().baseInaccessible());
    EXPECT_FALSE(QFile::exists(dossier->fichier(QStringLiteral("ABSENTE.db"))));
    // The rights were never read: the buttons they govern stay closed, the others work.
    EXPECT_FALSE(bouton(QStringLiteral("CmdStock"))->isEnabled());
    EXPECT_FALSE(bouton(QStringLiteral("CmdVente"))->isEnabled());
    EXPECT_TRUE(bouton(QStringLiteral("CmdListealarme"))->isEnabled());
    EXPECT_TRUE(bouton(QStringLiteral("CmdApropos"))->isEnabled());
    EXPECT_THROW(frmPrincipal().motPasseSociete(), ErreurExecution);
}

TEST_F(FrmPrincipalTest, DroitsSansComptoir) {
    enregistrerFormesFactices();
    Global().OptionLimitationAcces = true;
    droits(DroitsAcces::UserName().toUpper(), false);
    charger();
    EXPECT_TRUE(frmPrincipal().droitsAppliques());
    for (const QString& nom : DroitsAcces::boutonsGouvernes())
        EXPECT_EQ(bouton(nom)->isEnabled(), nom != QLatin1String("CmdComptoir")) << nom.toStdString();
    EXPECT_TRUE(bouton(QStringLiteral("cmdClose"))->isEnabled());
    EXPECT_TRUE(bouton(QStringLiteral("CmdInfoCom"))->isEnabled());
}

TEST_F(FrmPrincipalTest, DroitsSansLigneOuSansLimitation) {
    enregistrerFormesFactices();
    Global().OptionLimitationAcces = true;
    droits(QStringLiteral("%"), false);
    charger();
    for (const QString& nom : DroitsAcces::boutonsGouvernes())
        EXPECT_TRUE(bouton(nom)->isEnabled()) << nom.toStdString();

    frmPrincipal().Unload();
    // Without the limitation, the rights database is not even opened.
    QFile::remove(dossier->fichier(QStringLiteral("gestionnaire.db")));
    Global().OptionLimitationAcces = false;
    charger();
    EXPECT_FALSE(frmPrincipal().droitsAppliques());
    EXPECT_TRUE(bouton(QStringLiteral("CmdComptoir"))->isEnabled());
}

TEST_F(FrmPrincipalTest, BaseDesDroitsAbsenteTermine) {
    enregistrerFormesFactices();
    Global().OptionLimitationAcces = true;
    QFile::remove(dossier->fichier(QStringLiteral("gestionnaire.db")));
    dialogues->attendreMessageContenant(QString(), Reponse::OK);
    charger();
    EXPECT_TRUE(session->termine());
    EXPECT_FALSE(bouton(QStringLiteral("CmdStock"))->isEnabled());
}

TEST_F(FrmPrincipalTest, BoutonsMenuPassentParLeRegistre) {
    int preparations = 0;
    EntreeMenu e;
    e.fabrique = [] { return new QWidget; };
    e.preparer = [&](QWidget*) { ++preparations; };
    e.affichage = AffichageMenu::Modal;
    RegistreMenu::global().enregistrer(QStringLiteral("CmdVente"), e);
    charger();
    QTest::mouseClick(bouton(QStringLiteral("CmdInfoCom")), Qt::LeftButton);
    ASSERT_TRUE(frmPrincipal().SSPanelInfoCom->isVisibleTo(&frmPrincipal()));
    QList<QObject*> montrees;
    session->surModal([&](QObject* f) { montrees << f; });
    QTest::mouseClick(bouton(QStringLiteral("CmdVente")), Qt::LeftButton);
    QTest::mouseClick(bouton(QStringLiteral("CmdVente")), Qt::LeftButton);
    EXPECT_EQ(preparations, 2);
    ASSERT_EQ(montrees.size(), 2);
    EXPECT_EQ(montrees[0], montrees[1]); // one instance
    EXPECT_FALSE(frmPrincipal().SSPanelInfoCom->isVisibleTo(&frmPrincipal()));
}

// " Report": the reports menu, modal over the main window, the company panel hidden first; greyed for a
// user without the right.
TEST_F(FrmPrincipalTest, ReportOuvreLeMenuDesEtatsModalSansLePanneau) {
    enregistrerFormesMenu(RegistreMenu::global());
    charger();
    QTest::mouseClick(bouton(QStringLiteral("CmdInfoCom")), Qt::LeftButton);
    ASSERT_TRUE(frmPrincipal().SSPanelInfoCom->isVisibleTo(&frmPrincipal()));
    QList<QObject*> montrees;
    session->surModal([&](QObject* f) {
        montrees << f;
        EXPECT_TRUE(Instance<FenCompteRendu>().estCharge());
        EXPECT_EQ(Instance<FenCompteRendu>().proprietaireModal(), &frmPrincipal());
        Instance<FenCompteRendu>().Unload();
    });
    QTest::mouseClick(bouton(QStringLiteral("CmdReport")), Qt::LeftButton);
    EXPECT_EQ(montrees, QList<QObject*>{&Instance<FenCompteRendu>()});
    EXPECT_FALSE(frmPrincipal().SSPanelInfoCom->isVisibleTo(&frmPrincipal()));

    frmPrincipal().Unload();
    Global().OptionLimitationAcces = true;
    droits(DroitsAcces::UserName().toUpper(), true);
    ParametresConnexion p;
    p.base = Global().NomBaseDroits;
    p.dossier = dossier->chemin();
    Connexion(p).executer(QStringLiteral("UPDATE Gestionnaire SET Report = ?"), {false});
    charger();
    EXPECT_FALSE(bouton(QStringLiteral("CmdReport"))->isEnabled());
    EXPECT_TRUE(bouton(QStringLiteral("CmdVente"))->isEnabled());
    DetruireInstance<FenCrystalRep>();
}

TEST_F(FrmPrincipalTest, AideOuvreLeManuel) {
    charger();
    const QString manuel = dossier->fichier(QStringLiteral("documents/mu_quorel.pdf"));
    dossier->ecrireFichier(QStringLiteral("documents/mu_quorel.pdf"), QByteArray("%PDF-1.4\n"));
    Global().LangueCourante = QStringLiteral("NL");
    session->attendreOuvrirDocument(manuel);
    QTest::mouseClick(bouton(QStringLiteral("Commandhelp")), Qt::LeftButton);

    dossier->ecrireFichier(QStringLiteral("documents/mu_quorelNL.pdf"), QByteArray("%PDF-1.4\n"));
    session->attendreOuvrirDocument(dossier->fichier(QStringLiteral("documents/mu_quorelNL.pdf")));
    QTest::mouseClick(bouton(QStringLiteral("Commandhelp")), Qt::LeftButton);

    // Missing manual: nothing at all.
    Global().LangueCourante = QStringLiteral("FR");
    QFile::remove(manuel);
    QTest::mouseClick(bouton(QStringLiteral("Commandhelp")), Qt::LeftButton);
    EXPECT_EQ(session->documentsOuverts().size(), 2);
}

TEST_F(FrmPrincipalTest, ListeDesMachinesEnOrdreNumerique) {
    charger();
    EXPECT_EQ(frmPrincipal().ListeDesMachinesAutorise(), QString());
    for (int no : {12, 3, 7})
        executer(QStringLiteral("INSERT INTO Machines (NoMachine, Location, NbEmplacement, NbPorte, Type, "
                                "Chargement) VALUES (?, 'Atelier', 10, 1, 1, 'ETAGE')"),
                 {no});
    EXPECT_EQ(frmPrincipal().ListeDesMachinesAutorise(), QStringLiteral("3,7,12"));
    // After the window's connection is closed it still answers, on a connection of its own.
    frmPrincipal().Unload();
    EXPECT_EQ(frmPrincipal().ListeDesMachinesAutorise(), QStringLiteral("3,7,12"));
}

TEST_F(FrmPrincipalTest, RedimensionnementCentreLesPanneaux) {
    charger();
    frmPrincipal().resize(1200, 900);
    frmPrincipal().show();
    QCoreApplication::processEvents();
    const QRect r = frmPrincipal().SSPanel1->geometry();
    EXPECT_EQ(r.left(), (frmPrincipal().width() - r.width()) / 2);
    EXPECT_EQ(r.top(), (frmPrincipal().height() - r.height()) / 2);

    // At its smallest every button is whole.
    frmPrincipal().resize(frmPrincipal().minimumSize());
    QCoreApplication::processEvents();
    for (QPushButton* b : frmPrincipal().SSPanel1->findChildren<QPushButton*>()) {
        const QRect place(b->mapTo(&frmPrincipal(), QPoint(0, 0)), b->size());
        EXPECT_TRUE(frmPrincipal().rect().contains(place)) << b->objectName().toStdString();
    }
}

// ---------------------------------------------------------------------------------------------------

class FrmAboutTest : public DemarrageFixture {};

TEST_F(FrmAboutTest, LegendeVersionEtTouches) {
    frmAbout about;
    about.Load();
    about.show();
    EXPECT_EQ(about.windowTitle(), QStringLiteral("A propos de Dorvane"));
    EXPECT_EQ(about.lblVersion->text(), QStringLiteral("Version " DORVANE_VERSION_STRING));
    EXPECT_EQ(about.lblTitle->text(), QStringLiteral(DORVANE_FILE_DESCRIPTION));
    // F1 alone and Shift+Ctrl+F1 do nothing; Shift+F1 opens the settings file.
    QTest::keyClick(&about, Qt::Key_F1);
    QTest::keyClick(&about, Qt::Key_F1, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_TRUE(session->documentsOuverts().isEmpty());
    session->attendreOuvrirDocument(dossier->fichier(QStringLiteral("automat.ini")));
    QTest::keyClick(about.cmdOK, Qt::Key_F1, Qt::ShiftModifier);
    EXPECT_EQ(session->documentsOuverts().size(), 1);
}

TEST_F(FrmAboutTest, MiseAJourNeTermineQueSiElleDemarre) {
    frmAbout about;
    about.Load();
    // Missing: nothing.
    QTest::mouseClick(about.Command1, Qt::LeftButton);
    EXPECT_TRUE(session->programmesDemarres().isEmpty());

    dossier->ecrireFichier(QStringLiteral("DVUpdate.exe"), QByteArray("MZ"));
    const QString chemin = dossier->fichier(QStringLiteral("DVUpdate.exe"));
    session->attendreDemarrerProgramme(chemin, false);
    QTest::mouseClick(about.Command1, Qt::LeftButton);
    EXPECT_FALSE(session->termine());

    session->attendreDemarrerProgramme(chemin, true);
    QTest::mouseClick(about.Command1, Qt::LeftButton);
    EXPECT_EQ(session->codeFin(), 0);
}

TEST_F(FrmAboutTest, BoutonInfoVersionOuvreLaBoite) {
    Global().CheminIni = dossier->cheminIni();
    frmPrincipal().Load();
    QObject* montree = nullptr;
    session->surModal([&](QObject* f) { montree = f; });
    QTest::mouseClick(bouton(QStringLiteral("CmdApropos")), Qt::LeftButton);
    ASSERT_NE(qobject_cast<frmAbout*>(montree), nullptr);
}

} // namespace
