#include "DemarrageFixture.h"

#include "Version.h"
#include "app/forms/FrmChoixBD.h"
#include "common/forms/FormBase.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QLockFile>
#include <QTest>

namespace {

class MainTest : public DemarrageFixture {
protected:
    void motPasse(const QVariant& mdp) {
        executer(QStringLiteral("UPDATE InfoSociete SET MotPasse = ?"), {mdp});
    }

    // Plays the password dialog: each entry typed, then Ok.
    void repondreMotsDePasse(const QStringList& essais) {
        session->surModal([this, essais](QObject* form) {
            auto* dlg = qobject_cast<CodeAccesDlg*>(form);
            ASSERT_NE(dlg, nullptr) << form->objectName().toStdString();
            for (const QString& e : essais) {
                if (!dlg->isVisible() && Global().FinDemandee)
                    break;
                dlg->Text1->setText(e);
                QTest::mouseClick(dlg->Command1, Qt::LeftButton);
                ++essaisJoues;
                if (Global().FinDemandee || dlg->AccesValide)
                    break;
            }
        });
    }
    int essaisJoues = 0;
};

TEST_F(MainTest, DemarrageNormalSansMotDePasse) {
    const auto code = Main();
    EXPECT_FALSE(code.has_value());
    EXPECT_FALSE(session->termine());
    EXPECT_TRUE(frmPrincipal().isVisible());
    EXPECT_FALSE(fenLoading().isVisible());
    EXPECT_TRUE(fenLoading().estCharge()); // kept loaded, hidden
    EXPECT_EQ(frmPrincipal().windowTitle(), QStringLiteral("Dorvane - " DORVANE_VERSION_STRING));
    EXPECT_EQ(fenLoading().Label1->text(), QStringLiteral("Connexion au serveur en cours...  "));
    EXPECT_EQ(fenLoading().lblVersion->text(), QStringLiteral("Version " DORVANE_VERSION_STRING));
    EXPECT_EQ(fenLoading().windowTitle(), QStringLiteral("Loading VEZ"));
    EXPECT_EQ(fenLoading().picIcon->pixmap().size(), QSize(48, 48)) << "the picture built into the program";
    // Settings and login reached the state.
    EXPECT_EQ(Global().NomBase, QStringLiteral("VEZ"));
    EXPECT_EQ(Global().UtilisateurSQL, QStringLiteral("sa"));
    EXPECT_EQ(Global().LangueCourante, QStringLiteral("FR"));
    EXPECT_TRUE(Global().FichierLangue.endsWith(QStringLiteral("french.lng")));
    EXPECT_TRUE(Global().CheminImage.endsWith(QStringLiteral("image")));
    EXPECT_EQ(Global().Msg[1], QStringLiteral("Fermer"));
    EXPECT_TRUE(Global().ChaineConnexion.startsWith(QStringLiteral("uid=sa;pwd=")));
    EXPECT_TRUE(instanceProgramme().estPris());
}

TEST_F(MainTest, ReglagesParticuliers) {
    dossier->ecrireIni(QStringLiteral("Machine"), QStringLiteral("Langue"), QString());
    dossier->ecrireIni(QStringLiteral("Base de donnée"), QStringLiteral("Chemin Image"), QString());
    dossier->ecrireIni(QStringLiteral("Machine"), QStringLiteral("LimitationAcces"), QStringLiteral("oui"));
    dossier->ecrireIni(QStringLiteral("Base de donnée"), QStringLiteral("VersionSQLserver"),
                       QStringLiteral("2008 "));
    dossier->ecrireIni(QStringLiteral("Badge"), QStringLiteral("Gants"), QStringLiteral("7"));
    dossier->ecrireIni(QStringLiteral("Badge"), QStringLiteral("LectureBadge16Bits"), QStringLiteral("OUI"));
    dossier->ecrireIni(QStringLiteral("PortCom"), QStringLiteral("PeripheriqueLecteurBadge"),
                       QStringLiteral("/dev/ttyUSB0"));
    ASSERT_FALSE(Main().has_value());
    EXPECT_TRUE(Global().LectureBadge16Bits);
    EXPECT_EQ(Global().PeripheriqueLecteurBadge, QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(Global().LangueCourante, QStringLiteral("FR"));
    EXPECT_EQ(Global().CheminImage, QDir(dossier->chemin()).filePath(QStringLiteral("image")));
    EXPECT_FALSE(Global().OptionLimitationAcces); // "OUI" exactly
    EXPECT_TRUE(Global().ChaineConnexion.contains(QStringLiteral("{SQL Server Native Client 10.0}")));
    EXPECT_EQ(Global().FamilleGants, 7);
}

TEST_F(MainTest, ParametresAbsentsDonnentLesDefauts) {
    QFile::remove(dossier->cheminIni());
    ASSERT_FALSE(Main().has_value());
    EXPECT_EQ(Global().NomBase, QStringLiteral("VEZ"));
    EXPECT_EQ(Global().TypeLecteurBadge, 1);
    EXPECT_EQ(Global().FamilleChaussures, 3);
    // The start's profile check leaves the number of the database's unlimited profile, not the default.
    EXPECT_EQ(Global().NoProfilIllimite,
              valeur(QStringLiteral("SELECT NoQuota FROM ProfileQuota WHERE Profile = ?"),
                     {QStringLiteral("ILLIMITÉ")})
                  .toInt());
    EXPECT_NE(Global().NoProfilIllimite, 83);
    EXPECT_TRUE(Global().OptionLienSiteService);
    EXPECT_EQ(Global().LongeurCodeArticle, 2);
}

TEST_F(MainTest, MultiBaseDeuxiemeBoutonPrendAutomat1) {
    dossier->ecrireIni(QStringLiteral("Base de donnée"), QStringLiteral("MultiBase"), QStringLiteral("OUI"));
    dossier->ecrireIni(QStringLiteral("Base de donnée"), QStringLiteral("TextBD0"),
                       QStringLiteral("Usine Nord"));
    dossier->ecrireIni(QStringLiteral("Base de donnée"), QStringLiteral("TextBD1"),
                       QStringLiteral("Usine Sud"));
    // The second file names a database that does not exist.
    QFile::copy(dossier->cheminIni(), dossier->fichier(QStringLiteral("automat1.ini")));
    IniFile::ecrire(dossier->fichier(QStringLiteral("automat1.ini")), QStringLiteral("Base de donnée"),
                    QStringLiteral("Nom"), QStringLiteral("SUD"));
    IniFile::ecrire(dossier->fichier(QStringLiteral("automat1.ini")), QStringLiteral("Base de donnée"),
                    QStringLiteral("MultiBase"), QStringLiteral("NON"));

    QStringList legendes;
    session->surModal([&](QObject* form) {
        auto* choix = qobject_cast<FrmChoixBD*>(form);
        ASSERT_NE(choix, nullptr);
        EXPECT_EQ(choix->windowTitle(), QStringLiteral("Choix BD"));
        for (auto* b : choix->CommandButtonDataBase)
            legendes << b->text();
        EXPECT_EQ(choix->CommandButtonDataBase[1]->objectName(), QStringLiteral("CommandButtonDataBase(1)"));
        QTest::mouseClick(choix->CommandButtonDataBase[1], Qt::LeftButton);
        EXPECT_FALSE(choix->estCharge());
    });
    dialogues->attendreMessage(QStringLiteral("Pas de base de donnée!"), Reponse::OK);
    const auto code = Main();
    ASSERT_TRUE(code.has_value());
    EXPECT_EQ(legendes, (QStringList{QStringLiteral("Usine Nord"), QStringLiteral("Usine Sud")}));
    EXPECT_TRUE(Global().CheminIni.endsWith(QStringLiteral("automat1.ini")));
    EXPECT_EQ(Global().NomBase, QStringLiteral("SUD"));
    // The missing database ends the start cleanly, without the main window and without creating a file.
    EXPECT_TRUE(session->termine());
    EXPECT_FALSE(frmPrincipal().isVisible());
    EXPECT_FALSE(fenLoading().isVisible());
    EXPECT_FALSE(QFile::exists(dossier->fichier(QStringLiteral("SUD.db"))));
}

TEST_F(MainTest, MultiBaseFermeeGardeAutomatIni) {
    dossier->ecrireIni(QStringLiteral("Base de donnée"), QStringLiteral("MultiBase"), QStringLiteral("OUI"));
    session->surModal([&](QObject* form) {
        auto* choix = qobject_cast<FrmChoixBD*>(form);
        ASSERT_NE(choix, nullptr);
        EXPECT_EQ(choix->CommandButtonDataBase[0]->text(), QStringLiteral("--"));
        choix->close();
    });
    ASSERT_FALSE(Main().has_value());
    EXPECT_TRUE(Global().CheminIni.endsWith(QStringLiteral("automat.ini")));
}

TEST_F(MainTest, SecondeCopieSeTaitQuandUneCopieVivanteTientLeVerrou) {
    QLockFile autre(verrou.filePath(QStringLiteral("dorvane.lock")));
    ASSERT_TRUE(autre.tryLock(0));
    const auto code = Main();
    ASSERT_TRUE(code.has_value());
    EXPECT_EQ(*code, 0);
    EXPECT_EQ(session->codeFin(), 0);
    EXPECT_TRUE(dialogues->appels().isEmpty());
    EXPECT_FALSE(fenLoading().estCharge());
    EXPECT_FALSE(frmPrincipal().estCharge());
}

TEST_F(MainTest, MultiInstanceIgnoreLeVerrou) {
    dossier->ecrireIni(QStringLiteral("Base de donnée"), QStringLiteral("Multi Instance"),
                       QStringLiteral("OUI"));
    QLockFile autre(verrou.filePath(QStringLiteral("dorvane.lock")));
    ASSERT_TRUE(autre.tryLock(0));
    EXPECT_FALSE(Main().has_value());
    EXPECT_TRUE(frmPrincipal().isVisible());
    EXPECT_FALSE(instanceProgramme().estPris());
}

TEST_F(MainTest, LegendeTraduiteSansMarqueNePrendPasLeVerrou) {
    dossier->ecrireIni(QStringLiteral("Machine"), QStringLiteral("Langue"), QStringLiteral("NL"));
    dossier->ecrireFichier(QStringLiteral("nederlands.lng"),
                           QByteArray("[FenLoading]\nForm.Caption=Laden\n"));
    EXPECT_FALSE(Main().has_value());
    EXPECT_EQ(fenLoading().windowTitle(), QStringLiteral("Laden"));
    EXPECT_FALSE(instanceProgramme().estPris());
}

TEST_F(MainTest, MotDePasseRefuseTroisFoisTermine) {
    motPasse(QStringLiteral("Secret"));
    repondreMotsDePasse(
        {QStringLiteral("secret"), QStringLiteral("Secret "), QString(), QStringLiteral("Secret")});
    dialogues->attendreMessage(QStringLiteral("Mot de passe incorect !"))
        .attendreMessage(QStringLiteral("Mot de passe incorect !"))
        .attendreMessage(QStringLiteral("Mot de passe incorect !"));
    const auto code = Main();
    ASSERT_TRUE(code.has_value());
    EXPECT_EQ(essaisJoues, 3);
    EXPECT_TRUE(session->termine());
    EXPECT_FALSE(frmPrincipal().isVisible());
}

TEST_F(MainTest, DeuxErreursPuisLeBonMotDePasse) {
    motPasse(QStringLiteral("Secret"));
    repondreMotsDePasse({QStringLiteral("secret"), QStringLiteral("SECRET"), QStringLiteral("Secret")});
    dialogues->attendreMessage(QStringLiteral("Mot de passe incorect !"))
        .attendreMessage(QStringLiteral("Mot de passe incorect !"));
    EXPECT_FALSE(Main().has_value());
    EXPECT_TRUE(codeAccesDlg().AccesValide);
    EXPECT_TRUE(frmPrincipal().isVisible());
    EXPECT_FALSE(session->termine());
}

TEST_F(MainTest, AnnulerTermine) {
    motPasse(QStringLiteral("Secret"));
    session->surModal([](QObject* form) {
        auto* dlg = qobject_cast<CodeAccesDlg*>(form);
        ASSERT_NE(dlg, nullptr);
        QTest::mouseClick(dlg->Command2, Qt::LeftButton);
    });
    const auto code = Main();
    ASSERT_TRUE(code.has_value());
    EXPECT_EQ(*code, 0);
    EXPECT_FALSE(frmPrincipal().isVisible());
}

TEST_F(MainTest, MotDePasseVideOuNullSansDialogue) {
    // No modal callback: a password dialog would fail the test.
    motPasse(QString(""));
    EXPECT_FALSE(Main().has_value());
    EXPECT_TRUE(session->formsModales().isEmpty());
}

TEST_F(MainTest, EchecDuChargementJournaliseEtTermine) {
    // A company table without its row: the window's load fails, the user is shown what the log got.
    executer(QStringLiteral("DELETE FROM InfoSociete"));
    dialogues->attendreMessageContenant(
        QStringLiteral("La table InfoSociete ne contient aucun enregistrement."));
    const auto code = Main();
    ASSERT_TRUE(code.has_value());
    EXPECT_EQ(*code, 1);
    const QStringList journal = dossier->lignesJournal();
    ASSERT_EQ(journal.size(), 1);
    EXPECT_TRUE(journal[0].startsWith(QStringLiteral("Form load frm principale|")));
    const QString ligne = journal[0].section(QLatin1Char('|'), 1);
    EXPECT_EQ(dialogues->messages().value(0), QStringLiteral("Form load frm principale\n") + ligne);
    EXPECT_FALSE(frmPrincipal().isVisible());
    EXPECT_FALSE(fenLoading().isVisible());
    EXPECT_FALSE(FormBase::SablierActif());
}

} // namespace
