#include "counter/forms/frmListeAlarme.h"

#include "app/forms/DemarrageFixture.h"
#include "common/EtatGlobal.h"
#include "common/MODTranslate.h"
#include "common/forms/Instance.h"
#include "db/RecordsetModel.h"
#include "support/FormeSurBase.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSqlQuery>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <QWindow>
#include <gtest/gtest.h>

namespace {

const QString ErreurDonnees = QStringLiteral("Data error event hit err:");

class frmListeAlarmeTest : public FormeSurBaseTest {
protected:
    void TearDown() override {
        f.Unload();
        FormeSurBaseTest::TearDown();
    }
    void codes(const QStringList& liste) {
        for (const QString& c : liste)
            base->executer(QStringLiteral("INSERT INTO ListeNoAffaire (NoAffaire, Libelle) VALUES (?, ?)"),
                           {c, QStringLiteral("Affaire ") + c});
    }
    QStringList table() {
        QStringList l;
        QSqlQuery q = base->executer(QStringLiteral("SELECT NoAffaire FROM ListeNoAffaire"));
        while (q.next())
            l << (q.value(0).isNull() ? QStringLiteral("<null>") : q.value(0).toString());
        l.sort();
        return l;
    }
    void ouvrir() {
        f.Show();
        ASSERT_TRUE(f.estCharge());
        ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
    }
    QTableView* grille() { return f.grdDataGrid; }
    QStringList colonne(int c = 0) {
        QStringList l;
        for (int r = 0; r < f.liste().RecordCount(); ++r)
            l << grille()->model()->index(r, c).data().toString();
        return l;
    }
    // The grid's row changes are handled once the grid's own event is over.
    static void attendre() {
        for (int i = 0; i < 3; ++i)
            QApplication::processEvents();
    }
    void cliquer(int ligne, int c = 0) {
        const QRect r = grille()->visualRect(grille()->model()->index(ligne, c));
        QTest::mouseClick(grille()->viewport(), Qt::LeftButton, {}, r.center());
        attendre();
    }
    void touche(Qt::Key k) {
        QTest::keyClick(QApplication::focusWidget(), k);
        attendre();
    }
    // Types into the grid's current cell, key by key (accented letters included), then Enter.
    void taper(const QString& texte) {
        grille()->setFocus();
        for (const QChar c : texte) {
            QWidget* w = QApplication::focusWidget();
            QKeyEvent appui(QEvent::KeyPress, c.toUpper().unicode(), Qt::NoModifier, QString(c));
            QKeyEvent relache(QEvent::KeyRelease, c.toUpper().unicode(), Qt::NoModifier, QString(c));
            QCoreApplication::sendEvent(w, &appui);
            QCoreApplication::sendEvent(w, &relache);
        }
        touche(Qt::Key_Return);
    }
    // "&Add", the code typed into the new-row line, then the row left for the one above.
    void ajouter(const QString& code) {
        QTest::mouseClick(f.cmdAdd, Qt::LeftButton);
        attendre();
        ASSERT_EQ(grille()->currentIndex().row(), f.modele()->ligneNouvelle());
        grille()->setCurrentIndex(grille()->model()->index(f.modele()->ligneNouvelle(), 0));
        taper(code);
        touche(Qt::Key_Up);
    }
    QString barre() const { return f.datPrimaryRS->caption(); }

    frmListeAlarme f;
};

} // namespace

// Its design, the first row's position, no translation in Dutch nor by F12; the unload closes the list and
// puts the pointer back; a form made too small keeps its grid.
TEST_F(frmListeAlarmeTest, OpensUntranslatedWithItsBarAndKeepsItsDesign) {
    codes({QStringLiteral("A12"), QStringLiteral("B7")});
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Table"));
    Global().LangueCourante = QStringLiteral("NL");
    Global().FichierLangue = dossier->fichier(MODTranslate::NomFichierLangue(QStringLiteral("NL")));
    ouvrir();
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Liste des codes"));
    EXPECT_EQ(barre(), QStringLiteral("Record: 1"));
    EXPECT_EQ(grille()->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("NoAffaire"));
    EXPECT_EQ(grille()->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Libelle"));
    EXPECT_EQ(grille()->model()->rowCount(), 3); // and the new-row line
    const QStringList legendes{"&Add", "&Delete", "&Update", "&Refresh", "&Close"};
    const auto verifierLegendes = [&] {
        QStringList l;
        for (QPushButton* b : {f.cmdAdd, f.cmdDelete, f.cmdUpdate, f.cmdRefresh, f.cmdClose})
            l << b->text();
        EXPECT_EQ(l, legendes);
    };
    verifierLegendes();
    QTest::keyClick(grille(), Qt::Key_F12);
    EXPECT_EQ(Global().LangueCourante, QStringLiteral("NL"));
    verifierLegendes();
    // The bar follows every move; its ends stop there.
    QTest::mouseClick(f.datPrimaryRS->dernier, Qt::LeftButton);
    EXPECT_EQ(barre(), QStringLiteral("Record: 2"));
    QTest::mouseClick(f.datPrimaryRS->suivant, Qt::LeftButton);
    EXPECT_EQ(barre(), QStringLiteral("Record: 2"));
    QTest::mouseClick(f.datPrimaryRS->precedent, Qt::LeftButton);
    EXPECT_EQ(barre(), QStringLiteral("Record: 1"));
    EXPECT_EQ(grille()->currentIndex().row(), 0);

    // The grid takes what the bar and the buttons leave, 2 pixels above the bar.
    f.resize(600, 500);
    EXPECT_EQ(f.picButtons->geometry().bottom(), 499);
    EXPECT_EQ(grille()->height(), 500 - f.datPrimaryRS->height() - 2 - f.picButtons->height());
    EXPECT_EQ(f.datPrimaryRS->y(), grille()->height() + 2);
    const int hauteur = grille()->height();
    f.resize(600, 40);
    EXPECT_EQ(grille()->height(), hauteur);

    FormBase::Sablier(true);
    QTest::mouseClick(f.cmdClose, Qt::LeftButton);
    EXPECT_FALSE(f.estCharge());
    EXPECT_FALSE(FormBase::SablierActif());
    EXPECT_EQ(f.connexionOuverte(), nullptr);
    EXPECT_FALSE(f.liste().IsOpen());
}

// Codes typed into the new-row line are written when the row is left; what the key or the check refuses is
// shown as the data control shows it, stays typed and writes nothing; a code changed in place updates
// its row.
TEST_F(frmListeAlarmeTest, RowsWrittenWhenLeftAndRefusalsShown) {
    codes({QStringLiteral("A12"), QStringLiteral("É1")});
    ouvrir();
    ajouter(QStringLiteral("C3"));
    EXPECT_EQ(table(), (QStringList{"A12", "C3", "É1"}));
    EXPECT_EQ(barre(), QStringLiteral("Record: 2"));

    // The same code in another case: the database's words, directly after the data control's.
    dialogues.attendreMessageContenant(ErreurDonnees + QStringLiteral("UNIQUE constraint failed"),
                                       Reponse::OK, QStringLiteral("Dorvane"));
    ajouter(QStringLiteral("c3"));
    EXPECT_EQ(dialogues.appels().last().style, StyleMessage::OK);
    EXPECT_EQ(table().size(), 3);
    // Still on the new-row line with what was typed; "&Update" says the same without the prefix.
    const int nouvelle = f.modele()->ligneNouvelle();
    EXPECT_EQ(grille()->currentIndex().row(), nouvelle);
    EXPECT_EQ(grille()->model()->index(nouvelle, 0).data().toString(), QStringLiteral("c3"));
    dialogues.attendreMessageContenant(QStringLiteral("UNIQUE constraint failed"));
    QTest::mouseClick(f.cmdUpdate, Qt::LeftButton);
    EXPECT_FALSE(dialogues.messages().last().startsWith(ErreurDonnees));
    // "&Delete" gives the new row up.
    QTest::mouseClick(f.cmdDelete, Qt::LeftButton);
    attendre();
    EXPECT_FALSE(f.liste().EditMode());
    EXPECT_EQ(grille()->currentIndex().row(), 2);

    // A row without a code: the check's words after the data control's.
    QTest::mouseClick(f.cmdAdd, Qt::LeftButton);
    attendre();
    touche(Qt::Key_Right);
    taper(QStringLiteral("Sans code"));
    dialogues.attendreMessage(ErreurDonnees +
                              QStringLiteral("Impossible d'insérer la valeur NULL dans la "
                                             "colonne 'NoAffaire', table 'ListeNoAffaire' ; "
                                             "cette colonne n'accepte pas les valeurs NULL."));
    touche(Qt::Key_Up);
    QTest::mouseClick(f.cmdDelete, Qt::LeftButton);
    attendre();
    // Blanks are the empty code: stored once.
    ajouter(QStringLiteral("  "));
    dialogues.attendreMessageContenant(ErreurDonnees + QStringLiteral("UNIQUE"));
    ajouter(QStringLiteral(" "));
    QTest::mouseClick(f.cmdDelete, Qt::LeftButton);
    attendre();
    EXPECT_EQ(table(), (QStringList{"", "A12", "C3", "É1"}));

    // Changed in place: one row, the new code.
    cliquer(0);
    ASSERT_EQ(grille()->currentIndex().data().toString(), QStringLiteral("A12"));
    taper(QStringLiteral("A13"));
    EXPECT_EQ(table(), (QStringList{"", "A12", "C3", "É1"}));
    cliquer(1);
    EXPECT_EQ(table(), (QStringList{"", "A13", "C3", "É1"}));
    EXPECT_EQ(barre(), QStringLiteral("Record: 2"));
}

// Delete takes the current row at once and goes to the next, or to the new last; on an empty list it says
// why. The sort buttons follow the last header clicked; the header click sorts ascending and keeps the
// current row.
TEST_F(frmListeAlarmeTest, DeleteAndSortButtons) {
    codes({QStringLiteral("b2"), QStringLiteral("A1"), QStringLiteral("é3"), QStringLiteral("C4")});
    ouvrir();
    const QStringList lu{"b2", "A1", "é3", "C4"};
    ASSERT_EQ(colonne(), lu);
    QTest::mouseClick(f.Command1, Qt::LeftButton);
    QTest::mouseClick(f.Command2, Qt::LeftButton);
    EXPECT_EQ(colonne(), lu);

    cliquer(2);
    QHeaderView* entetes = grille()->horizontalHeader();
    QTest::mouseClick(entetes->viewport(), Qt::LeftButton, {},
                      QPoint(entetes->sectionViewportPosition(0) + 5, entetes->height() / 2));
    attendre();
    EXPECT_EQ(f.colonneTri().toLower(), QStringLiteral("noaffaire"));
    EXPECT_EQ(colonne(), (QStringList{"A1", "b2", "C4", "é3"}));
    EXPECT_EQ(grille()->currentIndex().data().toString(), QStringLiteral("é3"));
    EXPECT_EQ(barre(), QStringLiteral("Record: 4"));
    QTest::mouseClick(f.Command1, Qt::LeftButton);
    EXPECT_EQ(colonne(), (QStringList{"é3", "C4", "b2", "A1"}));
    QTest::mouseClick(f.Command2, Qt::LeftButton);
    EXPECT_EQ(colonne(), (QStringList{"A1", "b2", "C4", "é3"}));

    cliquer(1);
    QTest::mouseClick(f.cmdDelete, Qt::LeftButton);
    attendre();
    EXPECT_EQ(grille()->currentIndex().data().toString(), QStringLiteral("C4"));
    cliquer(2);
    QTest::mouseClick(f.cmdDelete, Qt::LeftButton);
    attendre();
    EXPECT_EQ(grille()->currentIndex().row(), 1);
    EXPECT_EQ(grille()->currentIndex().data().toString(), QStringLiteral("C4"));
    EXPECT_EQ(barre(), QStringLiteral("Record: 2"));
    EXPECT_EQ(table(), (QStringList{"A1", "C4"}));
    QTest::mouseClick(f.cmdDelete, Qt::LeftButton);
    QTest::mouseClick(f.cmdDelete, Qt::LeftButton);
    attendre();
    EXPECT_TRUE(table().isEmpty());
    dialogues.attendreMessage(
        QStringLiteral("Delete : BOF ou EOF est vrai, ou l'enregistrement courant a été "
                       "supprimé"),
        Reponse::OK, QStringLiteral("Dorvane"), StyleMessage::OK);
    QTest::mouseClick(f.cmdDelete, Qt::LeftButton);
    // Typed into the only line left, then "&Update".
    grille()->setCurrentIndex(grille()->model()->index(0, 0));
    taper(QStringLiteral("Z9"));
    QTest::mouseClick(f.cmdUpdate, Qt::LeftButton);
    EXPECT_EQ(table(), QStringList{"Z9"});
}

// A table the database refuses at opening leaves an empty grid, without a word; "&Refresh" then says why.
TEST_F(frmListeAlarmeTest, TableRefusedAtOpeningLeavesAnEmptyGrid) {
    base->executer(QStringLiteral("DROP TABLE ListeNoAffaire"));
    ouvrir();
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Liste des codes"));
    EXPECT_EQ(grille()->model()->rowCount(), 0);
    EXPECT_TRUE(dialogues.appels().isEmpty());
    dialogues.attendreMessageContenant(QStringLiteral("ListeNoAffaire"));
    QTest::mouseClick(f.cmdRefresh, Qt::LeftButton);
    dialogues.attendreMessageContenant(QStringLiteral("BOF ou EOF"));
    QTest::mouseClick(f.cmdDelete, Qt::LeftButton);
    // Back: read by "&Refresh".
    base->executer(QStringLiteral("CREATE TABLE ListeNoAffaire (NoAffaire TEXT COLLATE NOCASE PRIMARY KEY, "
                                  "Libelle TEXT COLLATE NOCASE)"));
    base->executer(QStringLiteral("INSERT INTO ListeNoAffaire (NoAffaire) VALUES ('R1')"));
    QTest::mouseClick(f.cmdRefresh, Qt::LeftButton);
    EXPECT_EQ(grille()->model()->rowCount(), 2);
    EXPECT_EQ(barre(), QStringLiteral("Record: 1"));
}

namespace {

class frmListeAlarmeMenuTest : public DemarrageFixture {};

} // namespace

// For a company whose name holds Kestavon, the menu's button shows and opens the list modal over the main
// window.
TEST_F(frmListeAlarmeMenuTest, KestavonOpensTheListModalOverTheMainWindow) {
    executer(QStringLiteral("UPDATE InfoSociete SET NOM = 'Ateliers Kestavon'"));
    executer(QStringLiteral("INSERT INTO ListeNoAffaire (NoAffaire) VALUES ('K1')"));
    Global().NomBase = QStringLiteral("VEZ");
    Global().CheminIni = dossier->cheminIni();
    Global().LangueCourante = QStringLiteral("FR");
    enregistrerFormesMenu(RegistreMenu::global());
    frmPrincipal().Load();
    frmPrincipal().show();
    QPushButton* b = bouton(QStringLiteral("CmdListealarme"));
    ASSERT_TRUE(b->isVisibleTo(&frmPrincipal()));
    ASSERT_TRUE(b->isEnabled());
    frmListeAlarme* vue = nullptr;
    session->surModal([&](QObject* forme) {
        vue = qobject_cast<frmListeAlarme*>(forme);
        ASSERT_NE(vue, nullptr);
        EXPECT_TRUE(vue->estCharge());
        EXPECT_EQ(vue->windowTitle(), QStringLiteral("Liste des codes"));
        EXPECT_EQ(vue->liste().RecordCount(), 1);
        ASSERT_NE(vue->windowHandle(), nullptr);
        EXPECT_EQ(vue->windowHandle()->transientParent(), frmPrincipal().windowHandle());
        vue->Unload();
    });
    QTest::mouseClick(b, Qt::LeftButton);
    EXPECT_EQ(vue, &Instance<frmListeAlarme>());
    EXPECT_EQ(session->formsModales().size(), 1);
}
