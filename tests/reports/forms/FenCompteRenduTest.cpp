#include "reports/forms/FenCompteRendu.h"

#include "BaseDeTest.h"
#include "common/EtatGlobal.h"
#include "common/FnWendrox.h"
#include "common/forms/Calendrier.h"
#include "common/forms/Instance.h"
#include "reports/forms/FenCrystalRep.h"
#include "support/CouvertureLangues.h"
#include "support/FormeSurBase.h"
#include "support/ServiceSessionScripte.h"

#include <QCalendarWidget>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

void aujourdhui(const QDate& jour) {
    FnWendrox::definirHorloge([jour] { return QDateTime(jour, QTime(10, 0)); });
}

FenCompteRendu& menu() {
    return Instance<FenCompteRendu>();
}

QString periode() {
    return menu().TextDebut->text() + QStringLiteral(" - ") + menu().TextFin->text();
}

void detruireFormes() {
    DetruireInstance<FenCompteRendu>();
    DetruireInstance<FenCrystalRep>();
    DetruireInstance<Calendrier>();
}

class FenCompteRenduTest : public FormeSurBaseTest {
protected:
    void SetUp() override {
        FormeSurBaseTest::SetUp();
        aujourdhui(QDate(2028, 3, 14)); // a Tuesday
    }
    void TearDown() override {
        detruireFormes();
        FnWendrox::definirHorloge({});
        session.verifierTout();
        FormeSurBaseTest::TearDown();
    }
    void montrer() {
        menu().Show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&menu()));
    }
    ServiceSessionScripte session;
};

} // namespace

TEST_F(FenCompteRenduTest, OpensOnLastMonthByReferenceOnBlueWithEveryReportButtonEnabled) {
    montrer();
    FenCompteRendu& f = menu();
    EXPECT_EQ(periode(), QStringLiteral("01/02/2028 - 29/02/2028"));
    EXPECT_TRUE(Global().EtatDepuisCompteRendu);
    EXPECT_TRUE(f.SSOption2->isChecked());
    for (QWidget* w :
         std::initializer_list<QWidget*>{&f, f.Frame1, f.Frame2, f.Frame3, f.SSOption1, f.SSOption2}) {
        EXPECT_EQ(w->palette().color(w->backgroundRole()), QColor(0, 116, 177))
            << qPrintable(w->objectName());
        EXPECT_TRUE(w->autoFillBackground()) << qPrintable(w->objectName());
    }
    EXPECT_TRUE(Instance<FenCrystalRep>().estCharge());
    EXPECT_FALSE(Instance<FenCrystalRep>().isVisible());
    EXPECT_EQ(f.connexionOuverte(), nullptr);

    // Name and caption of each button; a picture button has no caption.
    const QStringList boutons =
        QString::fromUtf8(
            "Command3|Consommations par Machines;CmdConsoMachineGraph|;Command4|KRV Vardel;"
            "Command7|ZNT Orlenz;CmdConsoParSalarie|Consommations par Salariés;Command9|;"
            "CmdConsoParSalarieDetail|Consommations par Salariés détaillées;"
            "CmdCAparFamille|Consommations par Familles;cmdConsoMensuel|Consommations Mensuelles;"
            "CmdConsoMensuelGraph|;CmdConsoParFournisseur|Consommations par Fournisseurs;"
            "CmdConsoParProfile|Consommations par Profil;CmdConsoParService|Consommations par Services;"
            "CmdConsoParSite|Consommations par Sites;Command1|Consommations par Profil par salariés;"
            "Command2|Consommations Services par salariés;CmdConsoGlobal|Consommations par Articles;"
            "Command10|Consommations par Profil et salariés détaillées;"
            "Command11|Consommations par centre de coût;CmdArticleRupture|Article à commander;"
            "cmdPaieModeJournalier|Article en stock;CmdValeurStock|Valeur du Stock;"
            "CmdValeurStockParFournisseur|Valeur du Stock par Fournisseur;"
            "CmdSalarié(0)|Salariés par Nom;CmdSalarié(5)|Salariés par Taille chaussure;"
            "CmdSalarié(8)|Salariés par No Machine;CmdRetourRetrait|Liste Sortie-Retour;"
            "Command8|Status des articles avec retour")
            .split(u';');
    for (const QString& bouton : boutons) {
        const QString nom = bouton.section(u'|', 0, 0), legende = bouton.section(u'|', 1);
        auto* b = f.findChild<QPushButton*>(nom);
        ASSERT_TRUE(b) << qPrintable(nom);
        EXPECT_EQ(b->text(), legende);
        EXPECT_EQ(b->icon().isNull(), !legende.isEmpty()) << qPrintable(nom);
        EXPECT_TRUE(b->isEnabled()) << qPrintable(nom);
    }
    // Every caption and tooltip, the pictures' included, in the five languages.
    EXPECT_EQ(clesManquantes(&f), QStringList());
    EXPECT_EQ(f.Command4->parentWidget(), f.Frame3);
    EXPECT_EQ(f.Frame3->title(), QStringLiteral("Consommations par Business Unit "));
    EXPECT_TRUE(f.Frame2->title().isEmpty());
    // Neither the customer variant nor the returns option here.
    for (QWidget* w : std::initializer_list<QWidget*>{f.Frame3, f.CmdRetourRetrait, f.Command8, f.List1})
        EXPECT_FALSE(w->isVisible()) << qPrintable(w->objectName());

    // "Par référence" again at each load; the period is last month's again.
    f.SSOption1->setChecked(true);
    f.TextDebut->setText(QStringLiteral("01/01/2028"));
    QTest::mouseClick(f.cmdClose, Qt::LeftButton);
    EXPECT_FALSE(f.estCharge());
    montrer();
    EXPECT_TRUE(f.SSOption2->isChecked());
    EXPECT_EQ(periode(), QStringLiteral("01/02/2028 - 29/02/2028"));
}

TEST_F(FenCompteRenduTest, ShortcutsAndTheDateDialogWriteBothTextsAndSetTheFlagButFromTheYearStart) {
    FenCompteRendu& f = menu();
    f.Load();
    bool& drapeau = Global().EtatDepuisCompteRendu;
    const auto cliquer = [&](QPushButton* b, const QDate& jour) {
        aujourdhui(jour);
        drapeau = false;
        QTest::mouseClick(b, Qt::LeftButton);
        return periode();
    };
    EXPECT_EQ(cliquer(f.cmdDebutAnnee, QDate(2027, 1, 3)), QStringLiteral("01/01/2027 - 03/01/2027"));
    EXPECT_FALSE(drapeau);
    EXPECT_EQ(cliquer(f.cmdMoisDernier, QDate(2027, 1, 3)), QStringLiteral("01/12/2026 - 31/12/2026"));
    EXPECT_TRUE(drapeau);
    EXPECT_EQ(cliquer(f.cmdDebutMois, QDate(2028, 2, 29)), QStringLiteral("01/02/2028 - 29/02/2028"));
    EXPECT_TRUE(drapeau);
    EXPECT_EQ(cliquer(f.cmdSemaineDerniere, QDate(2026, 10, 4)), QStringLiteral("21/09/2026 - 27/09/2026"));
    EXPECT_TRUE(drapeau);

    session.surModal([](QObject* o) {
        auto* c = qobject_cast<Calendrier*>(o);
        ASSERT_TRUE(c);
        for (const QDate& jour : {QDate(2026, 1, 5), QDate(2026, 1, 20)}) {
            c->calendar1->setSelectedDate(jour);
            emit c->calendar1->clicked(jour);
        }
        c->Unload();
    });
    EXPECT_EQ(cliquer(f.CommandDate, QDate(2026, 10, 4)), QStringLiteral("05/01/2026 - 20/01/2026"));
    EXPECT_TRUE(drapeau);
    EXPECT_EQ(session.formsModales().size(), 1);
}

// Only a move to another control of the menu leaves a box: the check then warns, the text stays as
// typed and the focus where it went.
TEST_F(FenCompteRenduTest, LeavingABoxWarnsWhenItsTextIsNoDate) {
    montrer();
    FenCompteRendu& f = menu();
    const auto quitter = [&](QLineEdit* boite, const QString& texte, QLineEdit* vers) {
        vers->setText(QStringLiteral("01/01/2026"));
        boite->setFocus();
        boite->setText(texte);
        Global().EtatDepuisCompteRendu = false;
        QTest::mouseClick(vers, Qt::LeftButton);
        EXPECT_EQ(boite->text(), texte);
        EXPECT_EQ(QApplication::focusWidget(), vers);
        EXPECT_TRUE(Global().EtatDepuisCompteRendu);
    };
    const int exclamation = StyleMessage::OK | StyleMessage::Exclamation;
    dialogues.attendreMessage(QStringLiteral("La date de fin n'est pas valide"), Reponse::OK,
                              QStringLiteral("Dorvane"), exclamation);
    quitter(f.TextFin, QStringLiteral("30/02/2026"), f.TextDebut);
    dialogues.attendreMessage(QStringLiteral("La date de départ n'est pas valide"), Reponse::OK,
                              QStringLiteral("Dorvane"), exclamation);
    quitter(f.TextDebut, QString(), f.TextFin);
    dialogues.attendreMessage(QStringLiteral("La date de départ n'est pas valide"));
    quitter(f.TextDebut, QString(300, u'1'), f.TextFin);
    dialogues.verifierTout();
    quitter(f.TextDebut, QStringLiteral(" 1/3/2026"), f.TextFin);
    EXPECT_EQ(dialogues.appels().size(), 3);

    // Another window taking the focus is no leaving.
    f.TextFin->setText(QStringLiteral("31/02/2026"));
    QWidget autre;
    autre.show();
    autre.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&autre));
    f.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
    EXPECT_EQ(QApplication::focusWidget(), f.TextFin);
    EXPECT_EQ(dialogues.appels().size(), 3);
}

TEST_F(FenCompteRenduTest, VariantsShowTheirButtonsAndF12SwitchesTheCaptions) {
    EtatGlobal& g = Global();
    dossier->ecrireIni(QStringLiteral("Machine"), QStringLiteral("Langue"), QStringLiteral("DE"));
    g.FichierLangue = dossier->fichier(QStringLiteral("deutch.lng"));
    FenCompteRendu& f = menu();
    const auto legendes = [&] {
        return QStringList{
            f.windowTitle(),         f.cmdMoisDernier->text(),    f.SSOption2->text(),
            f.CmdSalarie[8]->text(), f.Frame3->title().trimmed(), f.CmdConsoMachineGraph->toolTip()};
    };
    QWidget principale;
    for (const bool variantes : {true, false}) {
        // The customer variant (company "Ormax SA" in "Brelaz") and "AvecRetour" "OUI", then neither.
        g.ClientOrmax = g.OptionAvecRetour = variantes;
        montrer();
        for (QWidget* w : std::initializer_list<QWidget*>{f.Frame3, f.CmdRetourRetrait, f.Command8})
            EXPECT_EQ(w->isVisible(), variantes) << qPrintable(w->objectName());
        const QString suffixe = variantes ? QString() : QStringLiteral("-sans-variantes");
        f.grab().save(QStringLiteral("/tmp/dorvane-compterendu-FR%1.png").arg(suffixe));
        QTest::keyClick(f.TextDebut, Qt::Key_F12);
        EXPECT_EQ(legendes(), (QStringList{"Berichte", "Letzter Monat", "Nach Referenz",
                                           "Mitarbeiter nach Automatennummer", "Verbrauch pro Business Unit",
                                           "Diagramm des Verbrauchs pro Automat"}));
        f.grab().save(QStringLiteral("/tmp/dorvane-compterendu-DE%1.png").arg(suffixe));
        QTest::keyClick(f.TextDebut, Qt::Key_F12);
        EXPECT_EQ(legendes(), (QStringList{"Report", "Le mois dernier", "Par référence",
                                           "Salariés par No Machine", "Consommations par Business Unit",
                                           "Graphique des consommations par machines"}));
        f.Unload();
        // Back to the main window, from which the menu opens again.
        principale.show();
        principale.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&principale));
    }
}

// A window that writes the period before the menu was ever opened prints its own period; once the menu
// closed, a report that writes none prints last month.
TEST_F(FenCompteRenduTest, ThePeriodHandedToTheViewerBeforeTheMenuOpensAndAfterItCloses) {
    Global().CheminRapports = FnWendrox::AjouteBackslash(dossier->fichier(QStringLiteral("RPT SQL")));
    base->executer(QStringLiteral("INSERT INTO CA (Nom) VALUES ('Dupont')"));
    const auto imprimer = [&] {
        FenCrystalRep& viewer = Instance<FenCrystalRep>();
        viewer.Load();
        QString fichier = QStringLiteral("ConsParSite.RPT");
        EXPECT_EQ(viewer.ImprimerEtat2(fichier, QString(), QStringLiteral("Site"), QStringLiteral("CA")),
                  ResultatEtat::Pret);
        viewer.Unload();
        return base->valeurUnique(QStringLiteral("SELECT Periode FROM InfoEtat")).toString();
    };
    ASSERT_EQ(InstanceExistante<FenCompteRendu>(), nullptr);
    const FenCompteRendu::BoitesPeriode boites = FenCompteRendu::periode();
    EXPECT_TRUE(menu().estCharge());
    EXPECT_FALSE(menu().isVisible());
    boites.TextDebut->setText(QStringLiteral("05/01/2026"));
    boites.TextFin->setText(QStringLiteral("20/01/2026"));
    EXPECT_EQ(imprimer(), QStringLiteral("Période du 05/01/2026 au 20/01/2026"));

    montrer();
    QTest::mouseClick(menu().cmdClose, Qt::LeftButton);
    EXPECT_EQ(imprimer(), QStringLiteral("Période du 01/02/2028 au 29/02/2028"));
}

namespace {

// The profile list on either backend.
class FenCompteRenduProfils : public FormeSurLesDeuxBasesTest {
protected:
    void TearDown() override {
        detruireFormes();
        FormeSurLesDeuxBasesTest::TearDown();
    }
    QStringList liste() {
        QStringList l;
        for (int i = 0; i < menu().ListProfil->count(); ++i)
            l << menu().ListProfil->item(i)->text();
        return l;
    }
};

} // namespace

TEST_P(FenCompteRenduProfils, ListedInTableOrderAndCountedAfreshAtEachLoad) {
    const QString long100(100, u'P');
    for (const QString& nom : {QStringLiteral("Soudure"), QStringLiteral("Magasin l'Est"), long100,
                               QStringLiteral("Atelier \"Nord\"")})
        bd().executer(QStringLiteral("INSERT INTO ProfileQuota (Profile) VALUES (?)"), {nom});
    bd().executer(QStringLiteral("INSERT INTO ProfileQuota (Profile) VALUES (NULL)"));
    FenCompteRendu& f = menu();
    f.Load();
    EXPECT_EQ(liste(), (QStringList{"ILLIMITÉ", "QUOTAS GENERAL", "CHEF", "Soudure", "Magasin l'Est", long100,
                                    "Atelier \"Nord\"", ""}));
    EXPECT_EQ(f.NbProfils, 8);
    EXPECT_TRUE(f.ListProfil->isVisibleTo(&f));
    EXPECT_EQ(f.connexionOuverte(), nullptr);

    f.Unload();
    bd().executer(QStringLiteral("DELETE FROM ProfileQuota"));
    f.Load();
    EXPECT_TRUE(liste().isEmpty());
    EXPECT_EQ(f.NbProfils, 0);
    EXPECT_TRUE(f.ListProfil->isVisibleTo(&f));
}

// The load goes on after the failure: the period, the viewer.
TEST_P(FenCompteRenduProfils, AFailureIsLoggedAndLeavesTheListHidden) {
    bd().executer(QStringLiteral("ALTER TABLE ProfileQuota RENAME TO ProfileQuotaAncien"));
    aujourdhui(QDate(2028, 3, 14));
    FenCompteRendu& f = menu();
    f.Load();
    FnWendrox::definirHorloge({});
    EXPECT_FALSE(f.ListProfil->isVisibleTo(&f));
    EXPECT_EQ(f.NbProfils, 0);
    EXPECT_EQ(f.connexionOuverte(), nullptr);
    const QStringList journal = dossier->lignesJournal();
    ASSERT_EQ(journal.size(), 1);
    EXPECT_TRUE(journal.first().startsWith(QStringLiteral("RemplirListProfil|N°: ")))
        << qPrintable(journal.first());
    EXPECT_EQ(periode(), QStringLiteral("01/02/2028 - 29/02/2028"));
    EXPECT_TRUE(Instance<FenCrystalRep>().estCharge());
}

INSTANTIATE_TEST_SUITE_P(Bases, FenCompteRenduProfils, ::testing::ValuesIn(moteursDeTest()), nomMoteur);
