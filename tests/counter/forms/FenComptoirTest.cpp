#include "counter/forms/FenComptoir.h"

#include "app/forms/RegistreMenu.h"
#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/LecteurTag.h"
#include "common/forms/Instance.h"
#include "common/forms/SpinButton.h"
#include "db/Recordset.h"
#include "support/CouvertureLangues.h"
#include "support/FormeSurBase.h"
#include "support/LecteurTagDeTest.h"
#include "support/ServiceSessionScripte.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

QVariant nul() {
    return QVariant(QMetaType::fromType<QString>());
}

// The counter with its hand-out counted.
class Comptoir : public FenComptoir {
public:
    int remises = 0;

protected:
    void EffectuerRemiseArticle() override { ++remises; }
};

class FenComptoirTest : public FormeSurBaseTest {
protected:
    void TearDown() override {
        f.Unload();
        DetruireInstance<FenComptoir>();
        installerLecteurTag(nullptr);
        FormeSurBaseTest::TearDown();
    }
    void article(qint64 reference, const QVariant& refFournisseur, const QVariant& designation) {
        base->executer(QStringLiteral("INSERT INTO ArticleEnStock (Reference, RefFournisseur, Designation, "
                                      "QteEnStock) VALUES (?, ?, ?, 5)"),
                       {reference, refFournisseur, designation});
    }
    // An employee with a full card: site, service, profile, sizes and personnel number from the name.
    void salarie(const QVariant& nom, const QVariant& badge, const QString& prenom = QString()) {
        base->executer(
            QStringLiteral("INSERT INTO Utilisateurs (Nom, NoBadge, Prenom, MatriculeSalarie, Site, "
                           "Service, Quota, TailleMain, TailleChaussure) VALUES "
                           "(?, ?, ?, ?, ?, ?, ?, ?, ?)"),
            {nom, badge, prenom.isEmpty() ? nul() : QVariant(prenom), QStringLiteral("M-") + nom.toString(),
             site, service, profil, main, pied});
    }
    void donneesCarte() {
        base->executer(QStringLiteral("INSERT INTO Sites (NomSite) VALUES ('Usine Nord')"));
        site = base->valeurUnique(QStringLiteral("SELECT MAX(NoSite) FROM Sites")).toLongLong();
        base->executer(QStringLiteral("INSERT INTO Services (NomService, Site) VALUES ('Atelier', ?)"),
                       {site});
        service = base->valeurUnique(QStringLiteral("SELECT MAX(NoService) FROM Services")).toLongLong();
        profil = base->valeurUnique(QStringLiteral("SELECT MIN(NoQuota) FROM ProfileQuota")).toLongLong();
        base->executer(QStringLiteral("INSERT INTO Tailles (Taille, Ordre, NoFamille) VALUES ('T9', 1, 1)"));
        main = base->valeurUnique(QStringLiteral("SELECT MAX(NoTaille) FROM Tailles")).toLongLong();
        base->executer(QStringLiteral("INSERT INTO Tailles (Taille, Ordre, NoFamille) VALUES ('43', 1, 2)"));
        pied = base->valeurUnique(QStringLiteral("SELECT MAX(NoTaille) FROM Tailles")).toLongLong();
    }
    // The main window takes the focus back, as between two openings from the menu.
    void revenirAuMenu() {
        principale.show();
        principale.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&principale));
    }
    void ouvrir() {
        f.Show();
        ASSERT_TRUE(f.estCharge());
        ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
    }
    // The card, Label2 0 to 10.
    QStringList carte() const {
        QStringList l;
        for (QLabel* v : f.Label2)
            l << v->text();
        return l;
    }
    bool carteVide() const {
        for (int i : {0, 1, 2, 3, 4, 5, 6, 9})
            if (!f.Label2[i]->text().isEmpty())
                return false;
        return true;
    }
    static void touche(QWidget* w, QEvent::Type type, int cle, bool repetition) {
        QKeyEvent e(type, cle, Qt::NoModifier, QString(), repetition);
        QCoreApplication::sendEvent(w, &e);
    }

    qint64 site = 0, service = 0, profil = 0, main = 0, pied = 0;
    QWidget principale;
    Comptoir f;
};

} // namespace

// The menu's button opens the one counter; its design; the lists read at each opening; a failed load
// says why and leaves the form closed.
TEST_F(FenComptoirTest, OpensFromTheMenuWithItsDesignAndReadsTheListsAtEachOpening) {
    article(300, QStringLiteral("GT-0042"), QStringLiteral("Gants nitrile"));
    article(100, nul(), QStringLiteral("Sans référence"));
    article(200, QString(20, u'A'), QStringLiteral("Vingt"));
    article(400, QString(21, u'B'), QStringLiteral("Vingt et un"));
    salarie(QStringLiteral("BERTIN"), QStringLiteral("7A31C"));
    ServiceSessionScripte session;
    QList<QObject*> montrees;
    session.surModal([&](QObject* form) { montrees << form; });
    ASSERT_TRUE(RegistreMenu::global().ouvrir(QStringLiteral("CmdComptoir"), &principale));
    FenComptoir& menu = Instance<FenComptoir>();
    ASSERT_EQ(montrees, QList<QObject*>{&menu});
    EXPECT_TRUE(menu.estCharge());
    EXPECT_EQ(menu.windowTitle(), QStringLiteral("Comptoir"));
    EXPECT_EQ(menu.size(), QSize(838, 658));
    EXPECT_TRUE(menu.TimerLecteurComptoir->isActive());
    EXPECT_EQ(menu.TimerLecteurComptoir->interval(), 1000);
    EXPECT_EQ(menu.Combo1->count(), 3);
    menu.Unload();
    EXPECT_FALSE(menu.TimerLecteurComptoir->isActive());

    ouvrir();
    // The quota check runs on the form's connection: no line for the article gives 2, a line that
    // permits nothing gives 1.
    base->executer(QStringLiteral("INSERT INTO Quota (NoQota, RefArticle, Periodicite, QtePermise) "
                                  "VALUES (?, 300, 30, 0)"),
                   {Global().NoProfilQuotasGeneral});
    EXPECT_EQ(f.VerifierQuota(100, QStringLiteral("BERTIN"), QString()), 2);
    EXPECT_EQ(f.VerifierQuota(300, QStringLiteral("BERTIN"), QString()), 1);
    // The SAP export keeps its outcome on the form: a host that refuses the connection is no answer.
    dossier->ecrireIni(QStringLiteral("SAP"), QStringLiteral("Adresse"), QStringLiteral("127.0.0.1"));
    dossier->ecrireIni(QStringLiteral("SAP"), QStringLiteral("Port"), QStringLiteral("1"));
    f.ExportSAPReussi = true;
    f.ExportToSapXML(QString(), QStringLiteral("Gants"), QStringLiteral("300"), QStringLiteral("CC1"), 1);
    EXPECT_FALSE(f.ExportSAPReussi);
    const QStringList legendes = {
        "No Badge: ",  "Nom: ",        "Service: ",          "Prénom: ",           "Taille Main: ",
        "Site: ",      "Profil: ",     "Taille chaussure: ", "Réference: ",        "Désignation: ",
        "Taille: ",    "Déscriptif: ", "Fiche technique: ",  "Réf. Fournisseur: ", "Matricule: ",
        "Qté dispo: ", "Qté: "};
    ASSERT_EQ(f.Label1.size(), 17);
    for (int i = 0; i < 17; ++i) {
        EXPECT_EQ(f.Label1[i]->text(), legendes[i]) << i;
        EXPECT_EQ(f.Label1[i]->objectName(), QStringLiteral("Label1(%1)").arg(i));
    }
    ASSERT_EQ(f.Label2.size(), 11);
    EXPECT_EQ(f.findChild<QLabel*>(QStringLiteral("Label2(10)")), f.Label2[10]);
    EXPECT_EQ(f.CmdSave->text(), QStringLiteral("Enregister [F11]"));
    EXPECT_EQ(f.CommandButton2->text(), QStringLiteral(" Imprimer l'historique"));
    EXPECT_EQ(f.LabelMessage->text(), QStringLiteral("QUOTA DEPASSE !"));
    EXPECT_FALSE(f.LabelMessage->isVisible());
    EXPECT_TRUE(f.LabelMessage->font().bold());
    EXPECT_EQ(f.LabelMessage->font().pointSize(), 18);
    EXPECT_EQ(f.TextQte->text(), QStringLiteral("1"));
    EXPECT_TRUE(f.TextQte->font().bold());
    EXPECT_DOUBLE_EQ(f.TextQte->font().pointSizeF(), 13.5);
    EXPECT_FALSE(f.List1->isVisible());
    EXPECT_FALSE(f.Lst->isVisible());
    EXPECT_FALSE(f.Image1->isVisible());
    EXPECT_EQ(f.DataGrid1->model()->headerData(2, Qt::Horizontal).toString(),
              QStringLiteral("Réf. fournisseur"));
    // Tab order.
    QStringList ordre;
    for (QWidget* w = f.TextUtilisateur; ordre.size() < 14; w = w->nextInFocusChain())
        if (w->parentWidget() == &f && (w->focusPolicy() & Qt::TabFocus))
            ordre << w->objectName();
    EXPECT_EQ(ordre, (QStringList{"TextUtilisateur", "TextReference", "TextRefFournisseur", "TextNom",
                                  "SpinButton1", "TextQte", "TextBox1", "TextBox2", "DataGrid1",
                                  "CommandButton1", "CommandButton2", "Combo1", "cmdClose", "CmdSave"}));
    EXPECT_EQ(clesManquantes(&f), QStringList());

    // The list: supplier-reference order, a Null reference left out, the references alongside.
    const QStringList items = {QString(20, u'A') + " |-Vingt", QString(21, u'B') + " |-Vingt et un",
                               "GT-0042 |--------------Gants nitrile"};
    QStringList combo, refs;
    for (int i = 0; i < f.Combo1->count(); ++i) {
        combo << f.Combo1->itemText(i);
        refs << f.List1->item(i)->text();
    }
    EXPECT_EQ(combo, items);
    EXPECT_EQ(refs, (QStringList{"200", "400", "300"}));
    EXPECT_EQ(f.RsArticles->RecordCount(), 4);
    EXPECT_EQ(f.RsArticles->Field(QStringLiteral("Reference")).toLongLong(), 100);
    // Typed text completes inline to the first item beginning with it, case ignored; nothing is added.
    EXPECT_TRUE(f.Combo1->isEditable());
    EXPECT_EQ(f.Combo1->font().pointSize(), 9);
    f.Combo1->setFocus();
    QTest::keyClicks(f.Combo1->lineEdit(), QStringLiteral("gt"));
    EXPECT_EQ(f.Combo1->lineEdit()->text(), QStringLiteral("gt") + items[2].mid(2));
    EXPECT_EQ(f.Combo1->lineEdit()->selectedText(), items[2].mid(2));
    QTest::keyClick(f.Combo1->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(f.Combo1->currentIndex(), 2);
    EXPECT_EQ(f.Combo1->count(), 3);

    // Closed by its button: nothing kept; the next opening sees the article added meanwhile.
    f.TextUtilisateur->setText(QStringLiteral("7A31C"));
    EXPECT_TRUE(f.SalarieSelectionne);
    QTest::mouseClick(f.cmdClose, Qt::LeftButton);
    EXPECT_FALSE(f.estCharge());
    EXPECT_FALSE(f.isVisible());
    EXPECT_FALSE(f.TimerLecteurComptoir->isActive());
    EXPECT_FALSE(f.RsSalaries->IsOpen());
    f.TextQte->setText(QStringLiteral("7"));
    f.LabelMessage->show();
    article(500, QStringLiteral("CASQUE-1"), QStringLiteral("Casque"));
    EXPECT_FALSE(f.ImagesOuvertes);
    Global().ImagesEnBase = true;
    revenirAuMenu();
    ouvrir();
    EXPECT_TRUE(f.ImagesOuvertes);
    EXPECT_EQ(f.TextUtilisateur->text() + f.TextNom->text() + f.TextQte->text(), QStringLiteral("1"));
    EXPECT_FALSE(f.LabelMessage->isVisible());
    EXPECT_TRUE(carteVide());
    EXPECT_EQ(f.Combo1->count(), 4);
    EXPECT_EQ(f.Combo1->itemText(2), QStringLiteral("CASQUE-1 |-------------Casque"));
    EXPECT_EQ(f.List1->item(2)->text(), QStringLiteral("500"));
    EXPECT_EQ(f.List1->count(), 4);
    EXPECT_FALSE(f.SalarieSelectionne);
    f.Unload();

    // A database that cannot be read: its number, a blank and its text; the form stays closed.
    Global().NomBase = QStringLiteral("ABSENTE");
    dialogues.attendreMessageContenant(QString::number(ErreurExecution::BaseInaccessible) + u' ');
    montrees.clear();
    ASSERT_TRUE(RegistreMenu::global().ouvrir(QStringLiteral("CmdComptoir"), &principale));
    EXPECT_TRUE(montrees.isEmpty());
    EXPECT_FALSE(menu.estCharge());
    EXPECT_FALSE(menu.TimerLecteurComptoir->isActive());
    ASSERT_EQ(dialogues.messages().size(), 1);
    EXPECT_TRUE(dialogues.messages().first().startsWith(QStringLiteral("-2147467259 ")))
        << dialogues.messages().first().toStdString();
}

// Badge and name searches run into each other until the two boxes agree; quotes and long texts are
// plain characters; every search drops the history and hides the message.
TEST_F(FenComptoirTest, BadgeAndNameSearchesFillTheCardAndSelectOnlyOnAMatch) {
    donneesCarte();
    salarie(QStringLiteral("BERTIN"), QStringLiteral("7A31C"), QStringLiteral("Paul"));
    salarie(QStringLiteral("BERGER"), QStringLiteral("B-100"), QStringLiteral("Anne"));
    salarie(QStringLiteral("O'NEIL"), QStringLiteral("ON'1"));
    salarie(nul(), QStringLiteral("SANS-NOM"));
    salarie(QStringLiteral("SANSBADGE"), nul());
    base->executer(QStringLiteral("INSERT INTO Ventes (Utilisateur, TypeMouvement) VALUES ('7A31C', 3)"));
    ouvrir();

    QTest::keyClicks(f.TextUtilisateur, QStringLiteral("7A31"));
    EXPECT_FALSE(f.SalarieSelectionne);
    EXPECT_TRUE(carteVide());
    f.RsHistorique->Open(f.connexion(), QStringLiteral("Ventes"));
    EXPECT_EQ(f.DataGrid1->model()->rowCount(), 1);
    f.LabelMessage->show();
    QTest::keyClicks(f.TextUtilisateur, QStringLiteral("c"));
    EXPECT_TRUE(f.SalarieSelectionne);
    EXPECT_EQ(f.TextNom->text(), QStringLiteral("BERTIN"));
    EXPECT_EQ(carte(), (QStringList{"M-BERTIN", "T9", "Usine Nord", "Paul", "ILLIMITÉ", "Atelier", "43", "",
                                    "", "BERTIN", ""}));
    EXPECT_FALSE(f.RsHistorique->IsOpen());
    EXPECT_EQ(f.DataGrid1->model()->rowCount(), 0);
    EXPECT_FALSE(f.LabelMessage->isVisible());

    // A prefix: the card and the name box empty, nobody selected.
    f.TextUtilisateur->setText(QStringLiteral("7A31"));
    EXPECT_FALSE(f.SalarieSelectionne);
    EXPECT_TRUE(carteVide());
    EXPECT_TRUE(f.TextNom->text().isEmpty());
    // A name with a quote; the badge box keeps its text.
    QTest::keyClicks(f.TextNom, QStringLiteral("O'N"));
    EXPECT_TRUE(f.SalarieSelectionne);
    EXPECT_EQ(f.Label2[9]->text(), QStringLiteral("O'NEIL"));
    EXPECT_EQ(f.TextUtilisateur->text(), QStringLiteral("7A31"));
    // The start of a name: the first in name order; the whole name brings its badge, the name box stays.
    f.TextNom->setText(QStringLiteral("BER"));
    EXPECT_EQ(f.Label2[9]->text(), QStringLiteral("BERGER"));
    EXPECT_EQ(f.Label2[3]->text(), QStringLiteral("Anne"));
    EXPECT_EQ(f.TextUtilisateur->text(), QStringLiteral("7A31"));
    EXPECT_TRUE(f.SalarieSelectionne);
    QTest::keyClicks(f.TextNom, QStringLiteral("TIN"));
    EXPECT_EQ(f.TextUtilisateur->text(), QStringLiteral("7A31C"));
    EXPECT_EQ(f.TextNom->text(), QStringLiteral("BERTIN"));
    EXPECT_EQ(f.Label2[3]->text(), QStringLiteral("Paul"));
    EXPECT_TRUE(f.SalarieSelectionne);
    // Typed in lower case: the badge's search writes the stored name back.
    f.TextNom->setText(QStringLiteral("berger"));
    EXPECT_EQ(f.TextNom->text(), QStringLiteral("BERGER"));
    EXPECT_EQ(f.TextUtilisateur->text(), QStringLiteral("B-100"));
    EXPECT_TRUE(f.SalarieSelectionne);

    // A wildcard reaching a badge selects nobody and leaves the card as it was.
    f.TextUtilisateur->setText(QStringLiteral("7A3*"));
    EXPECT_FALSE(f.SalarieSelectionne);
    EXPECT_EQ(f.Label2[9]->text(), QStringLiteral("BERGER"));
    // Quotes and long texts are characters: nobody, no failure.
    for (const QString& t : {QStringLiteral("'; --"), QString(250, u'x')}) {
        f.TextUtilisateur->setText(t);
        EXPECT_FALSE(f.SalarieSelectionne);
        EXPECT_TRUE(carteVide());
    }
    f.TextUtilisateur->setText(QStringLiteral("ON'1"));
    EXPECT_EQ(f.TextNom->text(), QStringLiteral("O'NEIL"));
    f.TextNom->setText(QString(250, u'B'));
    EXPECT_FALSE(f.SalarieSelectionne);
    // A name that matches nobody empties the badge box, whose search empties the name box in turn.
    f.TextUtilisateur->setText(QStringLiteral("B-100"));
    f.TextNom->setText(QStringLiteral("ZZZ"));
    EXPECT_TRUE(f.TextUtilisateur->text().isEmpty());
    EXPECT_TRUE(f.TextNom->text().isEmpty());
    EXPECT_TRUE(carteVide());
    EXPECT_FALSE(f.SalarieSelectionne);
    // "%" in the name box: the first name; emptied by hand, the first employee by name is selected.
    f.TextNom->setText(QStringLiteral("%"));
    EXPECT_EQ(f.Label2[9]->text(), QStringLiteral("BERGER"));
    EXPECT_TRUE(f.SalarieSelectionne);
    f.TextNom->setText(QStringLiteral("O"));
    f.TextNom->clear();
    EXPECT_EQ(f.Label2[9]->text(), QStringLiteral("BERGER"));
    EXPECT_TRUE(f.SalarieSelectionne);

    // Null name or badge: what is there is shown, and the employee is selected.
    f.TextUtilisateur->setText(QStringLiteral("SANS-NOM"));
    EXPECT_TRUE(f.SalarieSelectionne);
    EXPECT_EQ(f.Label2[0]->text(), QStringLiteral("M-"));
    f.TextNom->setText(QStringLiteral("SANSBADGE"));
    EXPECT_TRUE(f.SalarieSelectionne);
    EXPECT_EQ(f.Label2[9]->text(), QStringLiteral("SANSBADGE"));
    EXPECT_EQ(f.TextUtilisateur->text(), QStringLiteral("SANS-NOM"));
}

// Left arrow: next in name order; right arrow: previous. Past either end the card and boxes empty and the
// list is back on its first row; namesakes land on the first of them; an empty list does nothing.
TEST_F(FenComptoirTest, SpinButtonStepsThroughTheNamesAndEmptiesPastTheEnds) {
    salarie(QStringLiteral("ABEL"), QStringLiteral("A1"));
    salarie(QStringLiteral("DUPONT"), QStringLiteral("D1"), QStringLiteral("Jean"));
    salarie(QStringLiteral("BRUNO"), QStringLiteral("B1"));
    salarie(QStringLiteral("DUPONT"), QStringLiteral("D2"), QStringLiteral("Marc"));
    salarie(QStringLiteral("ZOLA"), QStringLiteral("Z1"));
    ouvrir();
    QToolButton* suivant = f.SpinButton1->flecheGauche();
    QToolButton* precedent = f.SpinButton1->flecheDroite();
    auto etat = [&] {
        return f.TextNom->text() + u'|' + f.TextUtilisateur->text() + u'|' + f.Label2[3]->text() + u'|' +
               (f.SalarieSelectionne ? u'1' : u'0');
    };

    QTest::mouseClick(suivant, Qt::LeftButton);
    EXPECT_EQ(etat(), QStringLiteral("BRUNO|B1||1"));
    QTest::mouseClick(suivant, Qt::LeftButton);
    EXPECT_EQ(etat(), QStringLiteral("DUPONT|D1|Jean|1"));
    QTest::mouseClick(suivant, Qt::LeftButton);
    EXPECT_EQ(etat(), QStringLiteral("DUPONT|D2|Marc|1"));
    QTest::mouseClick(suivant, Qt::LeftButton);
    EXPECT_EQ(etat(), QStringLiteral("ZOLA|Z1|Marc|1")); // ZOLA has no first name: the label stays
    // Up onto the second DUPONT: the name's search lands on the first one.
    QTest::mouseClick(precedent, Qt::LeftButton);
    EXPECT_EQ(etat(), QStringLiteral("DUPONT|D1|Jean|1"));
    EXPECT_EQ(f.RsSalaries->Field(QStringLiteral("NoBadge")).toString(), QStringLiteral("D1"));

    // Past the last: everything empties, nobody selected, back on the first row; then the second.
    f.TextNom->setText(QStringLiteral("ZOLA"));
    QTest::mouseClick(suivant, Qt::LeftButton);
    EXPECT_EQ(etat(), QStringLiteral("|||0"));
    EXPECT_TRUE(carteVide());
    EXPECT_EQ(f.RsSalaries->AbsolutePosition(), 0);
    QTest::mouseClick(suivant, Qt::LeftButton);
    EXPECT_EQ(etat(), QStringLiteral("BRUNO|B1||1"));
    // A badge nobody holds leaves the list past its last row: down begins again, up takes the last.
    f.TextNom->clear();
    f.TextUtilisateur->setText(QStringLiteral("X"));
    ASSERT_TRUE(f.RsSalaries->IsEOF());
    QTest::mouseClick(suivant, Qt::LeftButton);
    EXPECT_EQ(etat(), QStringLiteral("|||0"));
    QTest::mouseClick(suivant, Qt::LeftButton);
    EXPECT_EQ(etat(), QStringLiteral("BRUNO|B1||1"));
    f.TextNom->clear();
    f.TextUtilisateur->setText(QStringLiteral("X"));
    QTest::mouseClick(precedent, Qt::LeftButton);
    EXPECT_EQ(etat(), QStringLiteral("ZOLA|Z1||1"));
    // By the keyboard: Right goes up, Left down; before the first.
    f.SpinButton1->setFocus();
    QTest::keyClick(f.SpinButton1, Qt::Key_Right);
    EXPECT_EQ(etat(), QStringLiteral("DUPONT|D1|Jean|1"));
    QTest::keyClick(f.SpinButton1, Qt::Key_Left);
    EXPECT_EQ(etat(), QStringLiteral("DUPONT|D2|Marc|1"));
    f.TextNom->setText(QStringLiteral("ABEL"));
    QTest::keyClick(f.SpinButton1, Qt::Key_Right);
    EXPECT_EQ(etat(), QStringLiteral("|||0"));
    EXPECT_EQ(f.RsSalaries->AbsolutePosition(), 0);
    QTest::keyClick(f.SpinButton1, Qt::Key_Left);
    EXPECT_EQ(etat(), QStringLiteral("BRUNO|B1||1"));

    // No employee at all: the arrows and the boxes do nothing.
    f.Unload();
    base->executer(QStringLiteral("DELETE FROM Utilisateurs"));
    ouvrir();
    f.TextNom->setText(QStringLiteral("X"));
    f.TextUtilisateur->setText(QStringLiteral("Y"));
    QTest::mouseClick(suivant, Qt::LeftButton);
    QTest::mouseClick(precedent, Qt::LeftButton);
    EXPECT_EQ(etat(), QStringLiteral("X|Y||0"));
}

// F11 hands out once however long it is held; Enter in the badge box goes on to the reference; F12
// switches the language whatever has the focus and reaches no box; every other key types as usual.
TEST_F(FenComptoirTest, KeysHandOutOnceMoveOnFromTheBadgeAndSwitchTheLanguage) {
    dossier->ecrireIni(QStringLiteral("Machine"), QStringLiteral("Langue"), QStringLiteral("NL"));
    Global().LangueCourante = QStringLiteral("NL");
    Global().FichierLangue = dossier->fichier(QStringLiteral("nederlands.lng"));
    ouvrir();
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Balie"));
    EXPECT_EQ(f.Label1[0]->text(), QStringLiteral("Badgenr: "));
    EXPECT_EQ(f.LegendeDataGrid1->text(), QStringLiteral("Historiek"));

    f.TextQte->setFocus();
    touche(f.TextQte, QEvent::KeyPress, Qt::Key_F11, false);
    for (int i = 0; i < 5; ++i) {
        touche(f.TextQte, QEvent::KeyRelease, Qt::Key_F11, true);
        touche(f.TextQte, QEvent::KeyPress, Qt::Key_F11, true);
    }
    EXPECT_EQ(f.remises, 0);
    touche(f.TextQte, QEvent::KeyRelease, Qt::Key_F11, false);
    EXPECT_EQ(f.remises, 1);
    f.TextUtilisateur->setFocus();
    QTest::keyClick(f.TextUtilisateur, Qt::Key_F11);
    EXPECT_EQ(f.remises, 2);

    // Enter, from the keyboard or the keypad, in the badge box only.
    QTest::keyClick(f.TextUtilisateur, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), f.TextReference);
    QTest::keyClick(f.TextReference, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), f.TextReference);
    f.TextUtilisateur->setFocus();
    QTest::keyClick(f.TextUtilisateur, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(QApplication::focusWidget(), f.TextReference);

    // F12 in the badge box: French, then the configured Dutch again; the box never sees it.
    f.TextUtilisateur->setFocus();
    QSignalSpy saisie(f.TextUtilisateur, &QLineEdit::textChanged);
    QTest::keyClick(f.TextUtilisateur, Qt::Key_F12);
    EXPECT_EQ(Global().LangueCourante, QStringLiteral("FR"));
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Comptoir"));
    EXPECT_EQ(f.Label1[0]->text(), QStringLiteral("No Badge: "));
    EXPECT_EQ(f.CommandButton2->text(), QStringLiteral(" Imprimer l'historique"));
    QTest::keyClick(f.TextUtilisateur, Qt::Key_F12);
    EXPECT_EQ(Global().LangueCourante, QStringLiteral("NL"));
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Balie"));
    EXPECT_EQ(f.CmdSave->text(), QStringLiteral("Opslaan [F11]"));
    EXPECT_EQ(saisie.size(), 0);
    EXPECT_EQ(f.remises, 2);

    // Other keys reach the boxes.
    f.TextQte->setFocus();
    f.TextQte->end(false);
    QTest::keyClicks(f.TextQte, QStringLiteral("2"));
    QTest::keyClick(f.TextQte, Qt::Key_Backspace);
    QTest::keyClicks(f.TextQte, QStringLiteral("5"));
    EXPECT_EQ(f.TextQte->text(), QStringLiteral("15"));
}

// The reader is polled every second with the contactless reader only; a new tag goes to the badge box
// once, and the focus to the reference.
TEST_F(FenComptoirTest, ReaderPolledOnlyForTheContactlessReader) {
    salarie(QStringLiteral("BERTIN"), QStringLiteral("04E1B7"));
    LecteurDeTest lecteur;
    installerLecteurTag(&lecteur);
    Global().TypeLecteurBadge = 6;
    ouvrir();
    EXPECT_EQ(f.TimerLecteurComptoir->interval(), 1000);
    f.TimerLecteurComptoir->setInterval(10);
    QSignalSpy ecritures(f.TextUtilisateur, &QLineEdit::textChanged);
    f.TextNom->setFocus();
    QTest::qWait(100);
    EXPECT_GT(lecteur.lectures, 2);
    EXPECT_EQ(ecritures.size(), 0);

    lecteur.tag = QStringLiteral("04E1B7");
    ASSERT_TRUE(QTest::qWaitFor([&] { return f.TextUtilisateur->text() == lecteur.tag; }, 2000));
    const int lues = lecteur.lectures;
    QTest::qWait(100);
    EXPECT_GT(lecteur.lectures, lues);
    EXPECT_EQ(ecritures.size(), 1);
    EXPECT_EQ(QApplication::focusWidget(), f.TextReference);
    EXPECT_TRUE(f.SalarieSelectionne);
    EXPECT_EQ(f.TextNom->text(), QStringLiteral("BERTIN"));
    // Changed by hand while the tag stays: written back at the next poll.
    f.TextUtilisateur->setText(QStringLiteral("0"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return f.TextUtilisateur->text() == lecteur.tag; }, 2000));
    // A 60-character tag nobody holds.
    lecteur.tag = QString(60, u'F');
    ASSERT_TRUE(QTest::qWaitFor([&] { return f.TextUtilisateur->text() == lecteur.tag; }, 2000));
    EXPECT_FALSE(f.SalarieSelectionne);

    // Any other reader: the timer runs and reads nothing.
    Global().TypeLecteurBadge = 2;
    lecteur.lectures = 0;
    QTest::qWait(100);
    EXPECT_EQ(lecteur.lectures, 0);
    // Closed: no more polling.
    Global().TypeLecteurBadge = 6;
    f.Unload();
    QTest::qWait(50);
    EXPECT_EQ(lecteur.lectures, 0);
}

// 30 employees and 20 articles in each language: every control inside the window, no caption cut; the
// French and Dutch pictures saved for a look.
TEST_F(FenComptoirTest, EveryLanguageFitsAndScreenshotsInFrenchAndDutch) {
    donneesCarte();
    const QStringList noms = {"Lefèvre", "Dupré",   "Bégué",          "Müller",   "Nowak",
                              "Kováč",   "O'Neill", "Van den Berghe", "Da Silva", "Łukasik"};
    for (int i = 0; i < 30; ++i)
        salarie(noms[i % noms.size()].toUpper() + (i >= 10 ? QString::number(i) : QString()),
                QStringLiteral("%1").arg(0x7A3100 + i, 0, 16).toUpper(), QStringLiteral("Élodie"));
    const QStringList articles = {"Gants nitrile", "Chaussures S3", "Lunettes", "Casque",
                                  "Bouchons d'oreilles"};
    for (int i = 0; i < 20; ++i)
        article(1000 + i, QStringLiteral("REF-%1").arg(i * 7, 3, 10, QLatin1Char('0')),
                articles[i % articles.size()] + QStringLiteral(" T%1").arg(i));
    const QStringList langues = {"FR", "NL", "PL", "SK", "DE"};
    const QStringList titres = {"Comptoir", "Balie", "Punkt wydawania", "Výdajné miesto", "Ausgabetheke"};
    for (int i = 0; i < langues.size(); ++i) {
        const QString& langue = langues[i];
        Global().LangueCourante = langue;
        Global().FichierLangue = dossier->fichier(fichiersLangueLivres()[i]);
        ouvrir();
        QTest::keyClicks(f.TextNom, QStringLiteral("Kov"));
        f.Combo1->setCurrentIndex(3);
        f.LabelMessage->show();
        const QRect client = f.rect();
        for (QWidget* w : f.findChildren<QWidget*>()) {
            if (w->parentWidget() != &f || !w->isVisible())
                continue;
            EXPECT_TRUE(client.contains(w->geometry())) << w->objectName().toStdString();
            if (auto* l = qobject_cast<QLabel*>(w); l && !l->wordWrap()) {
                EXPECT_LE(l->sizeHint().width(), l->width())
                    << langue.toStdString() << " " << l->objectName().toStdString();
            } else if (l) {
                EXPECT_LE(l->heightForWidth(l->width()), l->height())
                    << langue.toStdString() << " " << l->objectName().toStdString();
            }
        }
        for (QPushButton* b : f.findChildren<QPushButton*>())
            EXPECT_LE(b->sizeHint().width(), b->width())
                << langue.toStdString() << " " << b->objectName().toStdString();
        EXPECT_EQ(f.windowTitle(), titres[i]);
        if (i < 2)
            f.grab().save(QStringLiteral("/tmp/dorvane-comptoir-%1.png").arg(langue));
        f.Unload();
        revenirAuMenu();
    }
}
