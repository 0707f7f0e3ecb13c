#include "RetraitDeTest.h"
#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/FnWendrox.h"
#include "common/forms/Instance.h"
#include "db/Valeurs.h"
#include "reports/forms/FenCompteRendu.h"
#include "reports/forms/FenCrystalRep.h"
#include "support/FormeSurBase.h"
#include "support/ServiceSessionScripte.h"

#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class FenCrystalRepBuildersTest : public FormeSurBaseTest {
protected:
    void SetUp() override {
        FormeSurBaseTest::SetUp();
        if (HasFatalFailure())
            return;
        // The shipped definitions, as the setup laid them out.
        Global().CheminRapports = FnWendrox::AjouteBackslash(dossier->fichier("RPT SQL"));
        base->executer("UPDATE InfoSociete SET NOM = ?", {QStringLiteral("Société Élan")});
        base->executer("INSERT INTO Machines (NoMachine, Location) VALUES (2, 'Hall B'), (5, 'Quai 5')");
        vente(QDateTime(QDate(2026, 9, 1), QTime(0, 0)), 2, "Atelier", 10, "Gants nitrile", 9, 90.0);
        vente(QDateTime(QDate(2026, 9, 1), QTime(8, 15)), 2, "Atelier", 10, "Gants nitrile", 4, 5.0);
        vente(QDateTime(QDate(2026, 9, 12), QTime(11, 0)), 2, "Peinture", 11, "Lunettes", 1, 2.5);
        vente(QDateTime(QDate(2026, 9, 30), QTime(17, 40)), 5, "Atelier", 12, "Casque", 2, 7.25);
        vente(QDateTime(QDate(2026, 10, 1), QTime(9, 0)), 5, "Atelier", 12, "Casque", 8, 29.0);
        periode("01/09/2026", "30/09/2026");
    }
    void TearDown() override {
        DetruireInstance<FenCrystalRep>();
        DetruireInstance<FenCompteRendu>();
        session.verifierTout();
        FormeSurBaseTest::TearDown();
    }
    qint64 vente(const QDateTime& date, int machine, const QString& service, int reference,
                 const QString& designation, int quantite, double prix) {
        return retraitDeTest(
            *base, date,
            {"NoMachine", "NomSite", "NomService", "Reference", "Designation", "Quantite", "PrixAchatUnit"},
            {machine, "Nord", service, reference, designation, quantite, prix});
    }
    void periode(const QString& debut, const QString& fin) {
        FenCompteRendu::periode().TextDebut->setText(debut);
        FenCompteRendu::periode().TextFin->setText(fin);
    }
    qint64 nombre(const QString& sql) { return base->valeurUnique(sql).toLongLong(); }
    ResultatEtat consommations(const ReportData::Builder& etape) {
        OptionsEtat options;
        options.constructeur = etape;
        QString fichier = "ConsParSite.RPT";
        return Instance<FenCrystalRep>().ImprimerEtat(fichier, "", "Consommations par Services", "CA",
                                                      nullptr, "", options);
    }
    static QString pdfTexte(const QString& pdf) {
        QProcess p;
        p.start("pdftotext", {"-layout", pdf, "-"});
        EXPECT_TRUE(p.waitForFinished(30000));
        return QString::fromUtf8(p.readAllStandardOutput()).replace(QChar(0x00A0), u' ');
    }

    ServiceSessionScripte session;
};

} // namespace

// CreerEtatCA's step in the viewer: nothing while the flag is down, the rows of the period otherwise; its
// own failure shown with its number, never told as an empty period.
TEST_F(FenCrystalRepBuildersTest, EtatCAStepFillsTheViewerOrTellsNothingOrItsFailure) {
    FenCrystalRep& f = Instance<FenCrystalRep>();
    base->executer("INSERT INTO CA (Nom) VALUES ('avant'), ('avant'), ('avant')");
    Global().EtatDepuisCompteRendu = false;
    EXPECT_EQ(consommations(f.CreerEtatCA()), ResultatEtat::RienAImprimer);
    EXPECT_EQ(nombre("SELECT COUNT(*) FROM CA WHERE Nom = 'avant'"), 3);

    Global().EtatDepuisCompteRendu = true;
    session.surModal([&](QObject*) {
        EXPECT_EQ(nombre("SELECT COUNT(*) FROM CA"), 3);
        EXPECT_EQ(nombre("SELECT SUM(Quantite) FROM CA"), 7);
        f.close();
    });
    EXPECT_EQ(consommations(f.CreerEtatCA()), ResultatEtat::Pret);

    dialogues.attendreMessageContenant(QString::number(ErreurExecution::ErreurBase) + u' ');
    EXPECT_EQ(consommations(f.CreerEtatCA("DELETE FROM TableAbsente")), ResultatEtat::Abandonne);
    EXPECT_FALSE(f.estCharge());
    EXPECT_EQ(nombre("SELECT COUNT(*) FROM CA"), 3);
    EXPECT_EQ(session.formsModales().size(), 1);
}

// The cost-centre report: French only, titled "ConsoParCentreCout", its groups and sums to the cent; an
// empty period unloads the viewer silently; a failure is logged and handed back, nothing shown.
TEST_F(FenCrystalRepBuildersTest, CostCentreReportShownOverItsOwnerEmptyOrFailing) {
    FenCrystalRep& f = Instance<FenCrystalRep>();
    QWidget proprietaire;
    const QString pdf = dossier->fichier("centre.pdf");
    session.surModal([&](QObject* forme) {
        EXPECT_EQ(forme, &f);
        EXPECT_EQ(f.proprietaireModal(), &proprietaire);
        EXPECT_EQ(f.windowTitle(), QStringLiteral("ConsoParCentreCout"));
        dialogues.attendreEnregistrementChoisi(pdf);
        QTest::mouseClick(f.CmdExportPdf, Qt::LeftButton);
        f.close();
    });
    std::optional<ErreurExecution> erreur;
    EXPECT_TRUE(f.CreerEtatConsoParCentreCout("consoparmachineServiceTalmer.rpt", &proprietaire, &erreur));
    EXPECT_FALSE(erreur);
    EXPECT_EQ(nombre("SELECT COUNT(*) FROM ConsoParMachineSecteur"), 3);
    const QString texte = pdfTexte(pdf);
    for (const QString& attendu :
         {QStringLiteral("Société Élan"), QStringLiteral("ConsoParCentreCout"),
          QStringLiteral("Période du 01/09/2026 au 30/09/2026"), QStringLiteral("Hall B"),
          QStringLiteral("Quai 5"), QStringLiteral("Gants nitrile"), QStringLiteral("Total du service"),
          QStringLiteral("Total général")})
        EXPECT_TRUE(texte.contains(attendu)) << attendu.toStdString() << "\n" << texte.toStdString();
    // The line of 4 units worth 5.00 counts 5.00; services 5.00 and 2.50, machines 7.50 and 7.25.
    QStringList sommes;
    for (const QString& ligne : texte.split(u'\n'))
        if (ligne.contains(QStringLiteral("Total")))
            sommes << ligne.simplified();
    EXPECT_EQ(sommes, (QStringList{"Total du service 4 5,00 €", "Total du service 1 2,50 €",
                                   "Total de la machine 5 7,50 €", "Total du service 2 7,25 €",
                                   "Total de la machine 2 7,25 €", "Total général 7 14,75 €"}))
        << texte.toStdString();

    // Another language, a twin beside it: the French file all the same.
    Global().LangueCourante = "NL";
    QFile::copy(dossier->fichier("RPT SQL/ConsParSiteEN.rpt"),
                dossier->fichier("RPT SQL/consoparmachineServiceTalmerEN.rpt"));
    session.surModal([&](QObject*) {
        bool francais = false;
        for (const ReportItem& i : f.document().items(0))
            francais = francais || i.text == QStringLiteral("Désignation");
        EXPECT_TRUE(francais);
        f.close();
    });
    EXPECT_TRUE(f.CreerEtatConsoParCentreCout("consoparmachineServiceTalmer.rpt", &proprietaire));

    // November: no viewer, nothing said.
    periode("01/11/2026", "30/11/2026");
    EXPECT_FALSE(f.CreerEtatConsoParCentreCout("consoparmachineServiceTalmer.rpt", &proprietaire, &erreur));
    EXPECT_FALSE(erreur);
    EXPECT_FALSE(f.estCharge());
    EXPECT_EQ(session.formsModales().size(), 2);

    // A failure: logged and handed back, no box, no viewer.
    periode("01/09/2026", "30/09/2026");
    base->executer("DROP TABLE ConsoParMachineSecteur");
    EXPECT_FALSE(f.CreerEtatConsoParCentreCout("consoparmachineServiceTalmer.rpt", &proprietaire, &erreur));
    ASSERT_TRUE(erreur);
    EXPECT_EQ(erreur->numero(), ErreurExecution::ErreurBase);
    EXPECT_FALSE(f.CreerEtatConsoParCentreCout("Absent.rpt", &proprietaire, &erreur));
    ASSERT_TRUE(erreur);
    EXPECT_EQ(erreur->numero(), ErreurExecution::FileNotFound);
    EXPECT_FALSE(f.estCharge());
    const QStringList journal = dossier->lignesJournal();
    ASSERT_EQ(journal.size(), 2);
    for (const QString& ligne : journal)
        EXPECT_TRUE(ligne.startsWith("CreerEtatConsoParCentreCout|")) << ligne.toStdString();
    EXPECT_EQ(session.formsModales().size(), 2);
    EXPECT_FALSE(FormBase::SablierActif());
}

// The two summaries no button calls, for the menu's period.
TEST_F(FenCrystalRepBuildersTest, SummariesForTheMenuPeriod) {
    FenCrystalRep& f = Instance<FenCrystalRep>();
    EXPECT_TRUE(f.CreerEtatSuiviParHeure());
    EXPECT_EQ(nombre("SELECT COUNT(*) FROM EtatSuiviParHeure"), 3);
    EXPECT_TRUE(f.CreerEtatCAparArticle());
    EXPECT_EQ(nombre("SELECT SUM(Quantite) FROM CAparArticle"), 7);
    periode("29/02/2026", "30/09/2026");
    EXPECT_FALSE(f.CreerEtatSuiviParHeure());
    EXPECT_FALSE(f.CreerEtatCAparArticle());
}
