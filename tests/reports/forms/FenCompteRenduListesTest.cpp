#include "MenuEtatsDeTest.h"
#include "common/EtatGlobal.h"
#include "common/FnWendrox.h"
#include "common/MODTranslate.h"
#include "common/forms/Instance.h"
#include "db/Valeurs.h"
#include "reports/forms/FenCompteRendu.h"
#include "reports/forms/FenCrystalRep.h"

#include <QDir>
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
    QString titre;   // its window's caption
    QObject* proprietaire = nullptr;
    int tables = 0;
    QStringList lignes; // the first column asked for, of each row of table 1
};

// The stock and employee lists and the returns reports of the menu, over the shipped definitions.
class FenCompteRenduListesTest : public MenuEtatsDeTest<Impression> {
protected:
    void SetUp() override {
        MenuEtatsDeTest::SetUp();
        if (HasFatalFailure())
            return;
        FnWendrox::definirHorloge([] { return QDateTime(QDate(2026, 12, 3), QTime(10, 0)); });
        Global().CheminRapports =
            FnWendrox::AjouteBackslash(QDir(QStringLiteral(DORVANE_RESOURCES_DIR)).filePath("RPT SQL"));
    }
    Impression lire(FenCrystalRep& v) override {
        Impression i{v.definition().fileName,
                     v.windowTitle(),
                     v.proprietaireModal(),
                     static_cast<int>(v.tables().size()),
                     {}};
        const ReportTable& t = v.tables().at(0);
        for (int r = 0; r < t.rowCount(); ++r)
            i.lignes << Valeurs::lireTexte(t.value(r, t.columnIndex(colonne)));
        return i;
    }
    Impression choisir(FenCompteRendu& f, int ordre) {
        return cliquer(f.List1->viewport(), f.List1->visualItemRect(f.List1->item(ordre)).center());
    }
    void periode(FenCompteRendu& f, const char* debut, const char* fin) {
        f.TextDebut->setText(QString::fromLatin1(debut));
        f.TextFin->setText(QString::fromLatin1(fin));
    }

    QString colonne = QStringLiteral("Designation");
};

} // namespace

// Stock and employee lists need no withdrawal in the period: each opens its file under its caption,
// read at the click, modal over the menu; the option pair chooses the stock file; a period text that is
// no date stops them first; another language opens the English twin under the translated caption.
TEST_F(FenCompteRenduListesTest, StockAndEmployeeListsUnderTheirCaptions) {
    base->executer("INSERT INTO ArticleEnStock (Reference, Designation, QteEnStock, StockAlert) VALUES "
                   "(1, 'Gants', 2, 5), (2, 'Bottes', 9, 5), (3, 'Écran', 0, 1)");
    base->executer("INSERT INTO Utilisateurs (Nom) VALUES ('Martin'), ('Dupont')");
    FenCompteRendu& f = montrer();
    periode(f, "01/06/2026", "30/06/2026");

    Impression i = cliquer(f.CmdArticleRupture);
    EXPECT_EQ(i.fichier, "ArticleRupture.RPT");
    EXPECT_EQ(i.titre, "Article à commander");
    EXPECT_EQ(i.proprietaire, &f);
    EXPECT_EQ(i.tables, 5);
    i = cliquer(f.cmdPaieModeJournalier);
    EXPECT_EQ(i.fichier, "StockParRef.RPT");
    EXPECT_EQ(i.tables, 3);
    QTest::mouseClick(f.SSOption1, Qt::LeftButton);
    i = cliquer(f.cmdPaieModeJournalier);
    EXPECT_EQ(i.fichier, "StockParDesi.RPT");
    EXPECT_EQ(i.titre, "Article en stock");
    EXPECT_EQ(cliquer(f.CmdValeurStock).fichier, "ValeurStock.RPT");
    i = cliquer(f.CmdValeurStockParFournisseur);
    EXPECT_EQ(i.fichier, "ValeurStockpardesi.RPT");
    EXPECT_EQ(i.titre, "Valeur du Stock par Fournisseur");

    const QStringList salaries = {"SalarieNom.RPT",      "Salariebadge.RPT",     "Salariesite.RPT",
                                  "SalarieService.RPT",  "SalarieProfile.RPT",   "SalarieTailleCh.RPT",
                                  "SalarieTailleMa.RPT", "SalarieMatricule.RPT", "SalarieParMachine.RPT"};
    colonne = QStringLiteral("Nom");
    for (int n = 0; n < 9; ++n) {
        i = cliquer(f.CmdSalarie[n]);
        EXPECT_EQ(i.fichier, salaries[n]);
        EXPECT_EQ(i.titre, f.CmdSalarie[n]->text());
        EXPECT_EQ(i.tables, 2);
        EXPECT_EQ(i.lignes.size(), 2);
    }

    // "Depuis" 12/13/2026: told, nothing printed.
    f.TextDebut->setText(QStringLiteral("12/13/2026"));
    dialogues.attendreMessage(QStringLiteral("La date de départ n'est pas valide"), Reponse::OK,
                              QStringLiteral("Dorvane"), StyleMessage::OK | StyleMessage::Exclamation);
    EXPECT_TRUE(cliquer(f.CmdSalarie[5]).fichier.isEmpty());
    dialogues.verifierTout();
    f.TextDebut->setText(QStringLiteral("01/06/2026"));

    // F12 to Dutch: the translated caption, the English twin.
    dossier->ecrireIni(QStringLiteral("Machine"), QStringLiteral("Langue"), QStringLiteral("NL"));
    Global().FichierLangue = dossier->fichier(QStringLiteral("nederlands.lng"));
    QTest::keyClick(f.TextDebut, Qt::Key_F12);
    i = cliquer(f.CmdSalarie[5]);
    EXPECT_EQ(i.titre, "Werknemers op schoenmaat");
    EXPECT_EQ(i.fichier, "SalarieTailleChEN.rpt");
}

// The returns: the list of orders rebuilt at each press in the message table's language; a choice prints
// the period's withdrawals in that order and hides the list; the status per article; an empty period
// tells so and shows no window.
TEST_F(FenCompteRenduListesTest, ReturnsListAndStatusOverTheMenuPeriod) {
    Global().OptionAvecRetour = true;
    for (const char* r : {"(10, 'Gants', 'Dupont', '2026-11-30 23:59:59', NULL)",
                          "(10, 'Gants', 'Martin', '2026-11-01 "
                          "00:00:00', '2026-11-02 08:00:00')",
                          "(20, 'Lunettes', 'Abel', '2026-11-10 10:00:00', NULL)",
                          "(10, 'Gants', 'Octobre', '2026-10-28 10:00:00', '2026-11-03 10:00:00')",
                          "(10, 'Gants', 'Decembre', '2026-12-01 00:00:00', NULL)"})
        base->executer(
            QStringLiteral("INSERT INTO Retour (ReferenceArticle, Designation, NomUser, LaDateRetrait, "
                           "LaDateRetour) VALUES ") +
            QLatin1String(r));
    FenCompteRendu& f = montrer();
    periode(f, "01/11/2026", "30/11/2026");
    colonne = QStringLiteral("NomUser");
    EXPECT_TRUE(f.CmdRetourRetrait->isVisible() && f.CmdRetourRetrait->isEnabled());
    EXPECT_TRUE(f.Command8->isVisible() && f.Command8->isEnabled());

    QTest::mouseClick(f.CmdRetourRetrait, Qt::LeftButton);
    ASSERT_TRUE(f.List1->isVisible());
    f.grab().save(QStringLiteral("/tmp/dorvane-compterendu-retours-FR.png"));
    QStringList entrees;
    for (int n = 0; n < f.List1->count(); ++n)
        entrees << f.List1->item(n)->text();
    EXPECT_EQ(entrees, (QStringList{"Date de Retour", "Date de Retrait", "Nom, Prenom", "Ref. Article",
                                    "Désignation", "Famille d'article", "No Machine"}));
    Impression i = choisir(f, 3);
    EXPECT_EQ(i.fichier, "RetraitRetour.RPT");
    EXPECT_EQ(i.titre, "Liste Sortie-Retour");
    EXPECT_EQ(i.proprietaire, &f);
    EXPECT_EQ(i.lignes, (QStringList{"Dupont", "Martin", "Abel"}));
    EXPECT_FALSE(f.List1->isVisible());
    QTest::mouseClick(f.CmdRetourRetrait, Qt::LeftButton);
    EXPECT_EQ(f.List1->count(), 7);
    EXPECT_EQ(choisir(f, 1).lignes, (QStringList{"Dupont", "Abel", "Martin"}));

    i = cliquer(f.Command8);
    EXPECT_EQ(i.fichier, "ListeDerniersRetraitRetour.rpt");
    EXPECT_EQ(i.titre, "Status des articles avec retour");
    EXPECT_EQ(i.lignes, (QStringList{"Dupont", "Martin", "Abel"}));

    // A text that is no date, a quote in it or not: told first, nothing printed, the list hidden.
    const int exclamation = StyleMessage::OK | StyleMessage::Exclamation;
    periode(f, "01/11/2026') OR (1=1", "30/11/2026");
    dialogues.attendreMessage(QStringLiteral("La date de départ n'est pas valide"), Reponse::OK,
                              QStringLiteral("Dorvane"), exclamation);
    EXPECT_TRUE(cliquer(f.Command8).fichier.isEmpty());
    periode(f, "01/11/2026", "31/11/2026");
    QTest::mouseClick(f.CmdRetourRetrait, Qt::LeftButton);
    dialogues.attendreMessage(QStringLiteral("La date de fin n'est pas valide"), Reponse::OK,
                              QStringLiteral("Dorvane"), exclamation);
    EXPECT_TRUE(choisir(f, 2).fichier.isEmpty());
    dialogues.verifierTout();
    EXPECT_FALSE(f.List1->isVisible());

    // A period without withdrawal: the message, no window, the list hidden.
    periode(f, "02/12/2026", "31/12/2026");
    dialogues.attendreMessage(QStringLiteral("Il n'y a pas eu d'opérations sur cette période"));
    EXPECT_TRUE(cliquer(f.Command8).fichier.isEmpty());
    QTest::mouseClick(f.CmdRetourRetrait, Qt::LeftButton);
    dialogues.attendreMessage(QStringLiteral("Il n'y a pas eu d'opérations sur cette période"));
    EXPECT_TRUE(choisir(f, 1).fichier.isEmpty());
    dialogues.verifierTout();
    EXPECT_FALSE(f.List1->isVisible());
    EXPECT_FALSE(Instance<FenCrystalRep>().isVisible());

    // In Dutch the entries follow the message table.
    Global().Msg = MODTranslate::TextesMessages(QStringLiteral("NL"));
    dossier->ecrireIni(QStringLiteral("Machine"), QStringLiteral("Langue"), QStringLiteral("NL"));
    Global().FichierLangue = dossier->fichier(QStringLiteral("nederlands.lng"));
    QTest::keyClick(f.TextDebut, Qt::Key_F12);
    QTest::mouseClick(f.CmdRetourRetrait, Qt::LeftButton);
    f.grab().save(QStringLiteral("/tmp/dorvane-compterendu-retours-NL.png"));
    EXPECT_EQ(f.List1->item(0)->text(), "Datum van Return");
    EXPECT_EQ(f.List1->item(1)->text(), "Datum van intrekking");
    EXPECT_EQ(f.List1->item(6)->text(), "Aantal Machine");
}
