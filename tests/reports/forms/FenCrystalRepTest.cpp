#include "reports/forms/FenCrystalRep.h"
#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/FnWendrox.h"
#include "common/MODTranslate.h"
#include "common/forms/Instance.h"
#include "db/Connexion.h"
#include "db/Schema.h"
#include "reports/forms/FenCompteRendu.h"
#include "support/CouvertureLangues.h"
#include "support/DossierProgrammeTemp.h"
#include "support/FormeSurBase.h"
#include "support/ServiceDialogueScripte.h"
#include "support/ServiceSessionScripte.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPrintPreviewWidget>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>
#include <optional>

namespace {

// A consumption list over CA; `marque` tells a file from its twin.
QByteArray definition(const QString& marque, const QString& champTitre = "Titre") {
    return QStringLiteral(R"({"tables": ["CA", "InfoEtat", "InfoSociete"],
  "reportHeader": {"height": 24, "elements": [
    {"type": "text", "x": 0, "y": 0, "width": 120, "height": 6, "field": "InfoSociete.NOM"},
    {"type": "text", "x": 0, "y": 6, "width": 180, "height": 6, "field": "InfoEtat.%2"},
    {"type": "text", "x": 0, "y": 12, "width": 180, "height": 6, "field": "InfoEtat.Periode"},
    {"type": "text", "x": 0, "y": 18, "width": 180, "height": 6, "text": "%1"}]},
  "detail": {"height": 5, "elements": [{"type": "text", "x": 0, "y": 0, "width": 60, "height": 5, "field": "Nom"}]}})")
        .arg(marque, champTitre)
        .toUtf8();
}

// The standard output of a program that must succeed.
QByteArray lancerProgramme(const QString& programme, const QStringList& arguments) {
    QProcess p;
    p.start(programme, arguments);
    EXPECT_TRUE(p.waitForFinished(30000)) << programme.toStdString();
    EXPECT_EQ(p.exitCode(), 0) << programme.toStdString() << ": " << p.readAllStandardError().toStdString();
    return p.readAllStandardOutput();
}

class FenCrystalRepTest : public FormeSurBaseTest {
protected:
    void SetUp() override {
        FormeSurBaseTest::SetUp();
        if (HasFatalFailure())
            return;
        Global().CheminRapports = FnWendrox::AjouteBackslash(dossier->fichier("RPT SQL"));
        base->executer("UPDATE InfoSociete SET NOM = ?", {QStringLiteral("Société Élan")});
        base->executer("INSERT INTO CA (Nom) VALUES ('O''Neil'), ('Dupont')");
        // The test's own report in place of the shipped one, whose twin translates the shipped layout.
        dossier->ecrireFichier("RPT SQL/ConsParSite.RPT", definition("Édition française"));
        QFile::remove(dossier->fichier("RPT SQL/ConsParSiteEN.rpt"));
        FenCompteRendu::periode().TextDebut->setText("01/03/2026");
        FenCompteRendu::periode().TextFin->setText("31/03/2026");
    }
    void TearDown() override {
        DetruireInstance<FenCrystalRep>();
        DetruireInstance<FenCompteRendu>();
        ImprimanteCourante() = ChoixImprimante{};
        session.verifierTout();
        FormeSurBaseTest::TearDown();
    }
    QStringList entete() {
        QStringList r;
        QSqlQuery q = base->executer("SELECT Titre, Periode FROM InfoEtat");
        while (q.next())
            r << q.value(0).toString() + u'|' + q.value(1).toString();
        return r;
    }
    bool imprime(const FenCrystalRep& f, const QString& texte) {
        for (const ReportItem& i : f.document().items(0))
            if (i.text == texte)
                return true;
        return false;
    }

    ServiceSessionScripte session;
};

} // namespace

TEST_F(FenCrystalRepTest, EnglishTwinOpenedAndNamedToTheCallerElseTheFrenchFile) {
    // The twin is the test's own, in another case than the shipped one.
    dossier->ecrireFichier("RPT SQL/consparsiteEN.RPT", definition("English edition"));
    Global().LangueCourante = "NL";
    FenCrystalRep& f = Instance<FenCrystalRep>();
    f.Load();
    QString fichier = "ConsParSite.RPT";
    ASSERT_EQ(f.ImprimerEtat2(fichier, "", "Consommations du Site Nord", "CA"), ResultatEtat::Pret);
    EXPECT_EQ(fichier, QStringLiteral("ConsParSiteEN.rpt"));
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Consommations du Site Nord"));
    EXPECT_TRUE(imprime(f, "English edition"));
    EXPECT_TRUE(imprime(f, "O'Neil"));
    EXPECT_EQ(entete(), QStringList{"Consommations du Site Nord|Period from 01/03/2026 to 31/03/2026"});

    QFile::remove(dossier->fichier("RPT SQL/consparsiteEN.RPT"));
    fichier = "ConsParSite.RPT";
    ASSERT_EQ(f.ImprimerEtat2(fichier, "", "Deuxième", "CA"), ResultatEtat::Pret);
    EXPECT_EQ(fichier, QStringLiteral("ConsParSite.RPT"));
    EXPECT_TRUE(imprime(f, "Édition française"));
    EXPECT_EQ(entete(), QStringList{"Deuxième|Period from 01/03/2026 to 31/03/2026"});
}

TEST_F(FenCrystalRepTest, ShownModalWithNavigationPrintAndExportsAndThePdfReadsBack) {
    for (int i = 0; i < 130; ++i)
        base->executer("INSERT INTO CA (Nom) VALUES (?)", {QStringLiteral("Salarié %1").arg(i)});
    const QString pdf = dossier->fichier("export.pdf");
    const QString xlsx = dossier->fichier("export.xlsx");
    FenCrystalRep& f = Instance<FenCrystalRep>();
    session.surModal([&](QObject*) {
        EXPECT_FALSE(FormBase::SablierActif());
        EXPECT_TRUE(f.CmdImprimer->isVisibleTo(&f));
        EXPECT_FALSE(f.CmdEmail->isVisibleTo(&f));
        ASSERT_EQ(f.CRViewer1->pageCount(), 3);
        QTest::mouseClick(f.CmdDernierePage, Qt::LeftButton);
        QTest::mouseClick(f.CmdPagePrecedente, Qt::LeftButton);
        EXPECT_EQ(f.TextPage->value(), 2);
        f.TextPage->setValue(1);
        EXPECT_EQ(f.CRViewer1->currentPage(), 1);
        EXPECT_EQ(f.LabelPages->text(), QStringLiteral("/ 3"));
        dialogues.attendreImprimante({0, {}}); // cancelled: nothing printed
        QTest::mouseClick(f.CmdImprimer, Qt::LeftButton);
        dialogues.attendreEnregistrement({true, pdf}, [](const DemandeEnregistrementFichier& d) {
            EXPECT_EQ(d.FileName, QStringLiteral("Consommations - mars.pdf"));
        });
        QTest::mouseClick(f.CmdExportPdf, Qt::LeftButton);
        dialogues.attendreEnregistrementChoisi(xlsx);
        QTest::mouseClick(f.CmdExportExcel, Qt::LeftButton);
        f.close();
    });
    QString fichier = "ConsParSite.RPT";
    EXPECT_EQ(f.ImprimerEtat(fichier, "", "Consommations / mars", "CA", nullptr), ResultatEtat::Pret);
    EXPECT_EQ(session.formsModales().size(), 1);
    EXPECT_FALSE(f.estCharge());
    EXPECT_EQ(f.document().pageCount(), 3); // kept once closed, for a caller that mails it
    EXPECT_TRUE(QFile::exists(xlsx));

    QProcess p;
    p.start("pdftotext", {pdf, "-"});
    ASSERT_TRUE(p.waitForFinished(30000));
    const QString texte = QString::fromUtf8(p.readAllStandardOutput());
    for (const char* attendu :
         {"Société Élan", "Consommations / mars", "Période du 01/03/2026 au 31/03/2026"})
        EXPECT_TRUE(texte.contains(QString::fromUtf8(attendu))) << attendu << "\n" << texte.toStdString();
}

// With no printer installed "Imprimer" offers a PDF file named after the report; printing to it writes the
// report's pages. A file that cannot be written is named in the failure, in the interface language.
TEST_F(FenCrystalRepTest, PrintingToThePdfFileWritesThePagesAndAFailureNamesTheFile) {
    for (int i = 0; i < 130; ++i)
        base->executer("INSERT INTO CA (Nom) VALUES (?)", {QStringLiteral("Salarié %1").arg(i)});
    FenCrystalRep& f = Instance<FenCrystalRep>();
    f.Load();
    QString fichier = "ConsParSite.RPT";
    ASSERT_EQ(f.ImprimerEtat2(fichier, "", "Consommations / mars", "CA"), ResultatEtat::Pret);
    ASSERT_EQ(f.document().pageCount(), 3);

    const QString pdf = dossier->fichier("impression.pdf");
    dialogues.attendreImprimante({1, {QString(), 1, 1, pdf}}, [](const QString& propose) {
        EXPECT_EQ(propose, QDir::home().filePath("Consommations - mars.pdf"));
    });
    QTest::mouseClick(f.CmdImprimer, Qt::LeftButton);
    const QString infos = QString::fromUtf8(lancerProgramme("pdfinfo", {pdf}));
    EXPECT_TRUE(infos.contains(QRegularExpression("Pages:\\s+3\\n"))) << infos.toStdString();
    const QString texte = QString::fromUtf8(lancerProgramme("pdftotext", {pdf, "-"}));
    for (const char* attendu : {"Société Élan", "Consommations / mars", "Salarié 0", "Salarié 129"})
        EXPECT_TRUE(texte.contains(QString::fromUtf8(attendu))) << attendu;

    // A path under a regular file cannot be written, whoever runs the test.
    const QString impossible = dossier->fichier("automat.ini/impression.pdf");
    dialogues.attendreImprimante({1, {QString(), 1, 1, impossible}});
    dialogues.attendreMessage("75 Impression impossible sur " + impossible, Reponse::OK);
    QTest::mouseClick(f.CmdImprimer, Qt::LeftButton);
    Global().LangueCourante = "NL";
    Global().FichierLangue = dossier->fichier("nederlands.lng");
    dialogues.attendreImprimante({1, {QString(), 1, 1, impossible}});
    dialogues.attendreMessage("75 Afdrukken niet mogelijk op " + impossible, Reponse::OK);
    QTest::mouseClick(f.CmdImprimer, Qt::LeftButton);
    EXPECT_FALSE(QFile::exists(impossible));
}

// Every failure shows its number and description; nothing is shown and the viewer is unloaded.
TEST_F(FenCrystalRepTest, FailuresEmptyReturnsAndNothingToPrintOpenNoWindow) {
    dossier->ecrireFichier("RPT SQL/Casse.RPT", definition("x", "Inconnu"));
    dossier->ecrireFichier("RPT SQL/RetraitRetour.RPT", definition("x").replace("\"CA\"", "\"Retour\""));
    QFile::remove(dossier->fichier("RPT SQL/RetraitRetourEN.rpt")); // the shipped twin of another layout
    FenCrystalRep& f = Instance<FenCrystalRep>();
    const auto essai = [&](QString fichier, const QString& source, const OptionsEtat& options = {}) {
        const ResultatEtat r = f.ImprimerEtat(fichier, "", "Titre", source, nullptr, "", options);
        EXPECT_FALSE(f.estCharge());
        return r;
    };
    Global().LangueCourante = "NL"; // neither twin nor file
    dialogues.attendreMessageContenant(QStringLiteral("%1 ").arg(ErreurExecution::FileNotFound));
    EXPECT_EQ(essai("Absent.RPT", "CA"), ResultatEtat::Abandonne);
    dialogues.attendreMessageContenant(QStringLiteral("%1 ").arg(ErreurExecution::ErreurBase));
    EXPECT_EQ(essai("ConsParSite.RPT", "select * from TableInconnue"), ResultatEtat::Abandonne);
    dialogues.attendreMessageContenant(QStringLiteral("%1 ").arg(ReportDefinition::ErrorNumber));
    EXPECT_EQ(essai("Casse.RPT", "CA"), ResultatEtat::Abandonne);

    OptionsEtat options;
    options.valeurs = {QStringLiteral("O'Neil")};
    dialogues.attendreMessage(Global().msg(27));
    EXPECT_EQ(essai("RetraitRetour.RPT", "select * from Retour where NomUser = ?", options),
              ResultatEtat::Abandonne);
    options.constructeur = [](Connexion&, const std::function<void()>&) { return false; };
    EXPECT_EQ(essai("ConsParSite.RPT", "CA", options), ResultatEtat::RienAImprimer);
    base->executer("DELETE FROM InfoSociete");
    dialogues.attendreMessageContenant("InfoSociete");
    EXPECT_EQ(essai("ConsParSite.RPT", "CA"), ResultatEtat::Abandonne);
    EXPECT_EQ(entete(), QStringList{"Titre|Period from 01/03/2026 to 31/03/2026"});
    EXPECT_TRUE(session.formsModales().isEmpty());
    EXPECT_FALSE(FormBase::SablierActif());
}

TEST_F(FenCrystalRepTest, GsmShowsTheMailControlsAndTheRecipientListIsKept) {
    Global().OptionVersionGSM = true;
    Global().LargeurFenPrincipale = 1200;
    dossier->ecrireIni("Email", "Type", "7");
    dossier->ecrireIni("Email", "Mailto0", "chef@site.fr");
    dossier->ecrireIni("Email", "Mailto3", "achat@site.fr");
    FenCrystalRep& f = Instance<FenCrystalRep>();
    // The period's menu loaded the viewer; the configuration counts at its next load.
    f.Unload();
    f.Show();
    QEvent activation(QEvent::WindowActivate);
    QCoreApplication::sendEvent(&f, &activation);
    for (QWidget* w : {(QWidget*)f.CmdImprimer, (QWidget*)f.CmdExportPdf, (QWidget*)f.CmdExportExcel,
                       (QWidget*)f.ComboEmail})
        EXPECT_FALSE(w->isVisible()) << w->objectName().toStdString();
    for (QWidget* w : {(QWidget*)f.CmdEmail, (QWidget*)f.CmdenvoieEmailExcel, (QWidget*)f.ComboAdressEmail})
        EXPECT_TRUE(w->isVisible()) << w->objectName().toStdString();
    EXPECT_EQ(f.ComboEmail->currentText(), QStringLiteral("Outlook MAPI"));
    EXPECT_EQ(f.CRViewer1->geometry().topLeft(), QPoint(0, 32));
    // Across the window, or its scrolled contents on a small screen, but for the margins (1193 of 1200).
    EXPECT_EQ(f.CRViewer1->width(), f.CRViewer1->parentWidget()->width() - 7);
    EXPECT_EQ(FenCrystalRep::HauteurReservee(40), 880);
    EXPECT_EQ(FenCrystalRep::HauteurReservee(30), 800);

    for (const char* saisie : {"abc", "x@yfr", "x.y.fr", "chef@site.fr", "x@y.fr"}) {
        f.ComboAdressEmail->setEditText(saisie);
        QFocusEvent perte(QEvent::FocusOut);
        QCoreApplication::sendEvent(f.ComboAdressEmail, &perte);
    }
    f.ComboEmail->setCurrentIndex(4);
    f.Unload();
    QStringList ecrit;
    for (const char* cle : {"Mailto0", "Mailto1", "Mailto2", "Mailto3", "Type"})
        ecrit << FnWendrox::LireIniString(Global().CheminIni, "Email", cle, "");
    // Keys beyond the list keep their values.
    EXPECT_EQ(ecrit, (QStringList{"chef@site.fr", "achat@site.fr", "x@y.fr", "achat@site.fr", "4"}));
}

TEST_F(FenCrystalRepTest, LanguageFilesCoverTheViewerAndThePeriodForm) {
    const QStringList manquantes = clesManquantes(&Instance<FenCrystalRep>(), {"LabelPages"}) +
                                   clesManquantes(&Instance<FenCompteRendu>());
    EXPECT_TRUE(manquantes.isEmpty()) << manquantes.join(u'\n').toStdString();
}
