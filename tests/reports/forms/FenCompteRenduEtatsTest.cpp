#include "MenuEtatsDeTest.h"
#include "RetraitDeTest.h"
#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/FnWendrox.h"
#include "common/forms/Instance.h"
#include "reports/forms/FenCompteRendu.h"
#include "reports/forms/FenCrystalRep.h"
#include "support/FormeSurBase.h"
#include "support/ServiceSessionScripte.h"

#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// What the viewer was asked to show.
struct Impression {
    QString fichier; // the definition it opened
    QString titre;
    QObject* proprietaire = nullptr;
    QStringList profils; // of CA's lines, sorted, "-" for none
    QStringList textes;  // of its first page
};

class FenCompteRenduEtatsTest : public MenuEtatsDeTest<Impression> {
protected:
    void SetUp() override {
        MenuEtatsDeTest::SetUp();
        if (HasFatalFailure())
            return;
        FnWendrox::definirHorloge([] { return QDateTime(QDate(2026, 6, 14), QTime(10, 0)); });
        Global().CheminRapports = FnWendrox::AjouteBackslash(dossier->fichier("RPT SQL"));
        Global().ClientOrmax = true;
        for (const char* nom : {"Soudure", "Magasin l'Est", "Peinture"})
            base->executer("INSERT INTO ProfileQuota (Profile) VALUES (?)", {QString::fromUtf8(nom)});
        for (const QVariant& p : {QVariant("Soudure"), QVariant("Magasin l'Est"), QVariant("Peinture"),
                                  QVariant(), QVariant("Soudure")})
            vente(QDateTime(QDate(2026, 5, 12), QTime(9, 0)), p);
    }
    Impression lire(FenCrystalRep& v) override {
        Impression i{v.definition().fileName, v.windowTitle(), v.proprietaireModal(), {}, {}};
        const ReportTable& ca = v.tables().at(0);
        for (int r = 0; r < ca.rowCount(); ++r) {
            const QVariant p = ca.value(r, ca.columnIndex("Profile"));
            i.profils << (p.isNull() ? QStringLiteral("-") : p.toString());
        }
        i.profils.sort();
        for (const ReportItem& e : v.document().items(0))
            i.textes << e.text;
        return i;
    }
    // One withdrawal line of the named profile (a Null: none).
    void vente(const QDateTime& date, const QVariant& nomProfil) {
        const QVariant no =
            nomProfil.isNull()
                ? QVariant(QMetaType::fromType<qint64>())
                : base->valeurUnique("SELECT NoQuota FROM ProfileQuota WHERE Profile = ?", {nomProfil});
        retraitDeTest(*base, date,
                      {"NoMachine", "Reference", "Designation", "Quantite", "PrixAchatUnit", "Profile"},
                      {2, 10, "Gants", 1, 2.5, no});
    }
};

} // namespace

// Each consumption button: its file, titled by its own caption, its sibling's (the pictures) or the
// business units' fixed title, over the menu's period, modal over the menu; the option pair chooses the
// articles' file; another language opens the English twin, its captions English, under the translated
// caption.
TEST_F(FenCompteRenduEtatsTest, EachConsumptionButtonPrintsItsFileUnderItsTitleOverTheMenu) {
    FenCompteRendu& f = montrer();
    const QString machines = "Consommations par Machines", salaries = "Consommations par Salariés",
                  mensuelles = "Consommations Mensuelles", unite = "Consommations par Business unit";
    const struct {
        QPushButton* bouton;
        const char* fichier;
        QString titre;
    } boutons[] = {
        {f.Command3, "ConsParMachine.rpt", machines},
        {f.CmdConsoMachineGraph, "ConsParMachineGraf.rpt", machines},
        {f.Command4, "ConsParMachine1-2.rpt", unite},
        {f.Command5, "ConsParMachine3-4.rpt", unite},
        {f.Command6, "ConsParMachine5-6-7-8.rpt", unite},
        {f.Command7, "ConsParMachine9-10.rpt", unite},
        {f.CmdConsoParSalarie, "ConsParSalarie.RPT", salaries},
        {f.Command9, "ConsParSalariegraf.RPT", salaries},
        {f.CmdConsoParSalarieDetail, "ConsParSalariedetail.RPT", "Consommations par Salariés détaillées"},
        {f.CmdCAparFamille, "ConsParFamille.RPT", "Consommations par Familles"},
        {f.cmdConsoMensuel, "ConsParMois.RPT", mensuelles},
        {f.CmdConsoMensuelGraph, "ConsParMoisGrap.RPT", mensuelles},
        {f.CmdConsoParFournisseur, "ConsParFournisseur.RPT", "Consommations par Fournisseurs"},
        {f.CmdConsoParProfile, "ConsParProfile.RPT", "Consommations par Profil"},
        {f.CmdConsoParService, "ConsParService.RPT", "Consommations par Services"},
        {f.CmdConsoParSite, "ConsParSite.RPT", "Consommations par Sites"},
        {f.Command1, "ConsParProfileParSalarie.RPT", "Consommations par Profil par salariés"},
        {f.Command2, "ConsParServiceParSalarie.RPT", "Consommations Services par salariés"},
        {f.CmdConsoGlobal, "ConsParRefGlobal.RPT", "Consommations par Articles"},
        {f.Command10, "ConsParProfileParSalarieDetail.RPT", "Consommations par Profil par salariés"},
    };
    for (const auto& b : boutons) {
        const Impression imp = cliquer(b.bouton);
        const std::string nom = b.bouton->objectName().toStdString();
        EXPECT_EQ(imp.fichier, QString::fromUtf8(b.fichier)) << nom;
        EXPECT_EQ(imp.titre, b.titre) << nom;
        EXPECT_EQ(imp.proprietaire, &f) << nom;
        EXPECT_EQ(imp.profils, (QStringList{"-", "Magasin l'Est", "Peinture", "Soudure", "Soudure"})) << nom;
    }
    f.SSOption1->setChecked(true);
    EXPECT_EQ(cliquer(f.CmdConsoGlobal).fichier, QStringLiteral("consParDesiGlobal.RPT"));
    EXPECT_EQ(base->valeurUnique("SELECT Periode FROM InfoEtat").toString(),
              QStringLiteral("Période du 01/05/2026 au 31/05/2026"));
    EXPECT_TRUE(dialogues.appels().isEmpty());

    // Dutch: the translated captions are the titles, the English twin is opened where there is one.
    f.Unload();
    // Back to another window, from which the menu opens again.
    QWidget principale;
    principale.show();
    principale.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&principale));
    Global().LangueCourante = "NL";
    Global().FichierLangue = dossier->fichier("nederlands.lng");
    montrer();
    f.grab().save(QStringLiteral("/tmp/dorvane-compterendu-NL.png"));
    const Impression nl = cliquer(f.Command3);
    EXPECT_EQ(nl.fichier, QStringLiteral("ConsParMachineEN.rpt"));
    EXPECT_EQ(nl.titre, QStringLiteral("Verbruik per automaat"));
    EXPECT_TRUE(nl.textes.contains("Description") && nl.textes.contains("Verbruik per automaat") &&
                !nl.textes.contains(QString::fromUtf8("Désignation")))
        << nl.textes.join(u'|').toStdString();
    EXPECT_EQ(cliquer(f.CmdConsoMachineGraph).titre, QStringLiteral("Verbruik per automaat"));
    EXPECT_EQ(cliquer(f.Command6).titre, unite);
    EXPECT_EQ(cliquer(f.Command10).titre, QStringLiteral("Verbruik per profiel per werknemer"));
}

// The profile filter keeps the lines of the profiles selected, and those without a profile; none
// selected: every line.
TEST_F(FenCompteRenduEtatsTest, ProfileFilterKeepsTheSelectedProfilesAndThoseWithout) {
    FenCompteRendu& f = montrer();
    const auto selectionner = [&](const QStringList& noms) {
        f.ListProfil->clearSelection();
        for (const QString& nom : noms) {
            const QList<QListWidgetItem*> entrees = f.ListProfil->findItems(nom, Qt::MatchExactly);
            ASSERT_EQ(entrees.size(), 1) << nom.toStdString();
            entrees.first()->setSelected(true);
        }
    };
    selectionner({"Soudure", "Magasin l'Est"});
    EXPECT_EQ(cliquer(f.Command10).profils, (QStringList{"-", "Magasin l'Est", "Soudure", "Soudure"}));
    selectionner({});
    EXPECT_EQ(cliquer(f.Command10).profils,
              (QStringList{"-", "Magasin l'Est", "Peinture", "Soudure", "Soudure"}));
    // A profile without lines: those without a profile still.
    selectionner({"CHEF"});
    EXPECT_EQ(cliquer(f.Command10).profils, QStringList{"-"});

    EXPECT_TRUE(dossier->lignesJournal().isEmpty());
}

// A period that is no date stops every button before anything is built; an empty period is told, by the
// articles' button and the cost-centre report too; a failure is told as such, never as an empty period.
TEST_F(FenCompteRenduEtatsTest, BadOrEmptyPeriodsAndFailuresAreToldAndPrintNothing) {
    FenCompteRendu& f = montrer();
    base->executer("INSERT INTO CA (Nom) VALUES ('avant')");
    // Typed elsewhere: no box is left on the way to the button.
    f.ListProfil->setFocus();
    const int exclamation = StyleMessage::OK | StyleMessage::Exclamation;
    f.TextDebut->setText("12/13/2026");
    dialogues.attendreMessage(QString::fromUtf8("La date de départ n'est pas valide"), Reponse::OK,
                              QStringLiteral("Dorvane"), exclamation);
    cliquer(f.CmdConsoParService);
    f.TextDebut->setText("01/06/2026");
    f.TextFin->setText("");
    dialogues.attendreMessage("La date de fin n'est pas valide", Reponse::OK, QStringLiteral("Dorvane"),
                              exclamation);
    cliquer(f.Command11);
    dialogues.verifierTout();
    EXPECT_EQ(base->valeurUnique("SELECT COUNT(*) FROM CA WHERE Nom = 'avant'").toInt(), 1);

    // June: nothing withdrawn.
    f.TextFin->setText("30/06/2026");
    const QString vide = QString::fromUtf8("Il n'y a pas eu d'opérations sur cette période");
    for (QPushButton* b : {f.CmdConsoParService, f.CmdConsoGlobal, f.Command11}) {
        dialogues.attendreMessage(vide, Reponse::OK, QStringLiteral("Dorvane"), exclamation);
        cliquer(b);
    }
    dialogues.verifierTout();

    // Failures: the viewer shows its own (a missing definition), the cost-centre report's is told here.
    f.TextDebut->setText("01/05/2026");
    QFile::remove(dossier->fichier("RPT SQL/ConsParFournisseur.RPT"));
    dialogues.attendreMessageContenant(QString::number(ErreurExecution::FileNotFound) + u' ');
    cliquer(f.CmdConsoParFournisseur);
    base->executer("DROP TABLE ConsoParMachineSecteur");
    dialogues.attendreMessageContenant(QString::number(ErreurExecution::ErreurBase) + u' ', Reponse::OK);
    cliquer(f.Command11);
    dialogues.verifierTout();
    EXPECT_EQ(dialogues.messages().count(vide), 3);
    EXPECT_TRUE(imprimes.isEmpty());
    EXPECT_EQ(cliquer(f.Command3).fichier, QStringLiteral("ConsParMachine.rpt"));
}
