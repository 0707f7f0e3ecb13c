#include "reports/forms/FenCrystalRep.h"

#include "common/Conversions.h"
#include "common/EtatGlobal.h"
#include "common/FnWendrox.h"
#include "common/forms/Instance.h"
#include "reports/DestinationExport.h"
#include "reports/forms/FenCompteRendu.h"
#include "support/FormeSurBase.h"
#include "support/OutilsProcessus.h"
#include "support/ServeurSmtpDeTest.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString Sujet = QStringLiteral("Rapport du distributeur automatique d'E.P.I. : ");

QByteArray contenu(const QString& chemin) {
    QFile f(chemin);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<absent>");
}

class FenCrystalRepEnvoiTest : public FormeSurBaseTest {
protected:
    void SetUp() override {
        FormeSurBaseTest::SetUp();
        if (HasFatalFailure())
            return;
        Global().OptionVersionGSM = true;
        Global().CheminRapports = FnWendrox::AjouteBackslash(dossier->fichier("RPT SQL"));
        for (const auto& [cle, valeur] : {std::pair{"SMTP", "127.0.0.1"}, {"MailFrom", "lise@exemple.fr"}})
            dossier->ecrireIni("Email", cle, valeur);
        dossier->ecrireFichier("RPT SQL/ConsParSite.RPT", R"({"tables": ["CA", "InfoEtat", "InfoSociete"],
  "reportHeader": {"height": 12, "elements": [
    {"type": "text", "x": 0, "y": 0, "width": 180, "height": 6, "field": "InfoEtat.Titre"}]},
  "detail": {"height": 5, "elements": [{"type": "text", "x": 0, "y": 0, "width": 60, "height": 5, "field": "Nom"}]}})");
        FenCompteRendu::periode().TextDebut->setText("01/03/2026");
        FenCompteRendu::periode().TextFin->setText("31/03/2026");
        m_tmpdir = qgetenv("TMPDIR");
        qputenv("TMPDIR", QFile::encodeName(m_temporaire.path()));
    }
    void TearDown() override {
        qputenv("TMPDIR", m_tmpdir);
        DetruireInstance<FenCrystalRep>();
        DetruireInstance<FenCompteRendu>();
        FormeSurBaseTest::TearDown();
    }
    // The viewer holding the report of that title, closed again as a caller's batch leaves it.
    FenCrystalRep& rapport(const QString& titre) {
        FenCrystalRep& f = Instance<FenCrystalRep>();
        f.Load();
        QString fichier = "ConsParSite.RPT";
        EXPECT_EQ(f.ImprimerEtat2(fichier, "", titre, "CA"), ResultatEtat::Pret);
        f.Unload();
        return f;
    }
    QString temporaire(const QString& nom) const { return m_temporaire.filePath(nom); }
    QStringList fichiersTemporaires() const {
        return QDir(m_temporaire.path())
            .entryList({"*.pdf", "*.xlsx", "*.zip"}, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    }

    QTemporaryDir m_temporaire;
    QByteArray m_tmpdir;
};

} // namespace

TEST_F(FenCrystalRepEnvoiTest, DestinationFollowsTheSendingMethodAndTheGsmConfigurationAlwaysMails) {
    EXPECT_EQ(DestinationExport("SMTP", false), 1);
    EXPECT_EQ(DestinationExport("Outlook MAPI", false), 2);
    EXPECT_EQ(DestinationExport("VIM", false), 3);
    EXPECT_EQ(DestinationExport("Exchange", false), 4);
    EXPECT_EQ(DestinationExport("Lotus", false), 6);
    EXPECT_EQ(DestinationExport("Fax", false), 0);
    EXPECT_EQ(DestinationExport("smtp", false), 0);
    EXPECT_EQ(DestinationExport("Outlook MAPI", true), 1);
    EXPECT_EQ(DestinationExport("", true), 1);
}

// The batch of presentation sheets sends the report of a viewer it has already closed.
TEST_F(FenCrystalRepEnvoiTest, BothButtonsLeaveTheirFilesAndMailThemFromTheClosedViewer) {
    base->executer("INSERT INTO CA (Nom) VALUES ('O''Neil'), ('Dupont')");
    ServeurSmtpDeTest serveur;
    dossier->ecrireIni("Email", "Port", QString::number(serveur.port()));
    FenCrystalRep& f = rapport("Conso 03/2026");
    f.ComboAdressEmail->setEditText("paul@exemple.fr");
    // An older archive of the same name is replaced.
    QFile ancien(temporaire("Conso 03-2026.zip"));
    ASSERT_TRUE(ancien.open(QIODevice::WriteOnly) && ancien.write("ancien") == 6);
    ancien.close();

    f.CmdenvoieEmailExcel_Click();
    EXPECT_EQ(fichiersTemporaires(), QStringList({"Conso 03-2026.xlsx", "Conso 03-2026.zip"}));
    ASSERT_EQ(serveur.nombre(), 1);
    EXPECT_EQ(Global().AdresseEmail, "paul@exemple.fr");
    EXPECT_EQ(serveur.enveloppe(1).value("a").toArray().first().toString(), "paul@exemple.fr");
    EXPECT_TRUE(serveur.message(1).contains("Subject: " + Sujet.toUtf8() + "\r\n"));
    const QMap<QString, QByteArray> pieces = ServeurSmtpDeTest::piecesJointes(serveur.message(1));
    EXPECT_EQ(pieces.keys(), QStringList{"Conso 03-2026.zip"});
    EXPECT_EQ(pieces.value("Conso 03-2026.zip"), contenu(temporaire("Conso 03-2026.zip")));
    EXPECT_TRUE(OutilsProcessus::lancer("unzip", {"-t", temporaire("Conso 03-2026.zip")})
                    .contains("No errors detected in compressed data"));
    EXPECT_EQ(OutilsProcessus::lancer("unzip", {"-p", temporaire("Conso 03-2026.zip")}),
              contenu(temporaire("Conso 03-2026.xlsx")));

    // The PDF through the button itself; the files of the first send stay.
    f.CmdEmail->click();
    EXPECT_EQ(fichiersTemporaires(),
              QStringList({"Conso 03-2026.pdf", "Conso 03-2026.xlsx", "Conso 03-2026.zip"}));
    ASSERT_EQ(serveur.nombre(), 2);
    EXPECT_EQ(ServeurSmtpDeTest::piecesJointes(serveur.message(2)).value("Conso 03-2026.pdf"),
              contenu(temporaire("Conso 03-2026.pdf")));
    const QString texte = OutilsProcessus::textePdf(temporaire("Conso 03-2026.pdf"));
    EXPECT_TRUE(texte.contains("Conso 03/2026") && texte.contains("O'Neil")) << texte.toStdString();

    // The next report frees the last one: when it fails, there is nothing left to send.
    dialogues.attendreMessageContenant("Absent.RPT");
    QString fichier = "Absent.RPT";
    f.Load();
    EXPECT_EQ(f.ImprimerEtat2(fichier, "", "Autre", "CA"), ResultatEtat::Abandonne);
    dialogues.attendreMessage("5 Aucun état à envoyer");
    f.CmdEmail_Click();
    dialogues.verifierTout();
    EXPECT_EQ(serveur.nombre(), 2);
    EXPECT_EQ(dossier->lignesJournal().last(), "CmdEmail_Click|N°: 5 Aucun état à envoyer");
}

TEST_F(FenCrystalRepEnvoiTest, BadInputIsShownAndSendsNothing) {
    ServeurSmtpDeTest refus({"--refuser", "550"});
    dossier->ecrireIni("Email", "Port", QString::number(refus.port()));
    FenCrystalRep& f = rapport("Relevé: atelier/nord");
    const QString titre = "Relevé- atelier-nord";

    // No address, or one without "@": the combo turns yellow and nothing is written.
    f.ComboAdressEmail->setEditText("");
    dialogues.attendreMessage("Veuillez renseigner votre Email", Reponse::OK, std::nullopt,
                              StyleMessage::OK | StyleMessage::Exclamation);
    f.CmdEmail_Click();
    EXPECT_EQ(f.ComboAdressEmail->palette().color(QPalette::Base), Conversions::couleurVB(0x00FFFF));
    f.ComboAdressEmail->setEditText("service achats");
    dialogues.attendreMessage("Mauvais format d'adresse Email", Reponse::OK, std::nullopt,
                              StyleMessage::OK | StyleMessage::Exclamation);
    f.CmdenvoieEmailExcel_Click();
    dialogues.verifierTout();
    EXPECT_TRUE(fichiersTemporaires().isEmpty());
    EXPECT_TRUE(Global().AdresseEmail.isEmpty());

    // A workbook that cannot be written: shown, logged under the button's name, nothing zipped or sent.
    f.ComboAdressEmail->setEditText("paul@exemple.fr");
    ASSERT_TRUE(QDir(m_temporaire.path()).mkdir(titre + ".xlsx"));
    dialogues.attendreMessageContenant("75 ");
    f.CmdenvoieEmailExcel_Click();
    dialogues.verifierTout();
    EXPECT_TRUE(dossier->lignesJournal().last().startsWith("CmdenvoieEmailExcel|N°: 75"))
        << dossier->lignesJournal().last().toStdString();
    EXPECT_FALSE(QFile::exists(temporaire(titre + ".zip")));

    // An archive that cannot be written: the archive's own message alone, and no older archive mailed.
    ASSERT_TRUE(QDir(temporaire(titre + ".xlsx")).removeRecursively());
    ASSERT_TRUE(QDir(m_temporaire.path()).mkdir(titre + ".zip"));
    dialogues.attendreMessageContenant(QDir::toNativeSeparators(temporaire(titre + ".zip")));
    f.CmdenvoieEmailExcel_Click();
    dialogues.verifierTout();
    EXPECT_TRUE(QFile::exists(temporaire(titre + ".xlsx")));

    // A refused recipient: the error once, nothing else.
    dialogues.attendreMessageContenant("26100 ");
    f.CmdEmail_Click();
    dialogues.verifierTout();
    EXPECT_TRUE(QFile::exists(temporaire(titre + ".pdf")));
    EXPECT_EQ(refus.nombre(), 0);

    // An address holding blanks is refused before any connection.
    f.ComboAdressEmail->setEditText("paul dupont@exemple.fr");
    dialogues.attendreMessageContenant("5 Invalid procedure call");
    f.CmdEmail_Click();
    dialogues.verifierTout();
    EXPECT_EQ(Global().AdresseEmail, "paul dupont@exemple.fr");

    // A temporary folder that cannot be written: logged, and the program folder takes the files. An
    // empty report still goes.
    ServeurSmtpDeTest serveur;
    dossier->ecrireIni("Email", "Port", QString::number(serveur.port()));
    base->executer("DELETE FROM CA");
    f.ComboAdressEmail->setEditText("paul@exemple.fr");
    rapport("Vide");
    qputenv("TMPDIR", QFile::encodeName(temporaire(titre + ".pdf") + "/sous"));
    f.CmdenvoieEmailExcel_Click();
    EXPECT_TRUE(dossier->lignesJournal().contains(
        "CmdenvoieEmailExcel_Click|Impossible de trouver le chemin du répertoire temporaire !"));
    EXPECT_TRUE(QFile::exists(dossier->fichier("Vide.xlsx")));
    ASSERT_EQ(serveur.nombre(), 1);
    EXPECT_EQ(ServeurSmtpDeTest::piecesJointes(serveur.message(1)).value("Vide.zip"),
              contenu(dossier->fichier("Vide.zip")));
}
