#include "common/forms/LigneGrille.h"

#include "BaseDeTest.h"
#include "db/Connexion.h"
#include "db/Recordset.h"
#include "db/RecordsetModel.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

class LigneGrilleTest : public TestAvecBase {
protected:
    void SetUp() override {
        TestAvecBase::SetUp();
        if (HasFatalFailure())
            return;
        TransactionEcriture t(cnx());
        for (int i = 0; i < 300; ++i)
            cnx().executer(QStringLiteral("INSERT INTO Utilisateurs (Nom) VALUES (?)"), {nom(i)});
        t.valider();
    }
    static QString nom(int i) { return QStringLiteral("Nom%1").arg(i, 3, 10, QLatin1Char('0')); }
    bool trouver(Recordset& rs, int i) {
        return rs.Find(QStringLiteral("Nom"), Recordset::Comparaison::EgalTexte, nom(i),
                       Recordset::Depart::Premier);
    }
    // The grid's current row, selected and wholly inside the grid, is the recordset's.
    static void ligneEnVue(const QTableView& vue, const Recordset& rs, int ligne) {
        // The form's layout, then the scroll it calls for.
        for (int k = 0; k < 3; ++k)
            QApplication::processEvents();
        ASSERT_EQ(rs.AbsolutePosition(), ligne);
        EXPECT_EQ(vue.currentIndex().row(), ligne);
        EXPECT_TRUE(vue.selectionModel()->isRowSelected(ligne, QModelIndex()));
        const QRect r = vue.visualRect(vue.currentIndex());
        EXPECT_TRUE(r.top() >= 0 && r.bottom() < vue.viewport()->height())
            << ligne << ": " << r.top() << ".." << r.bottom() << " in " << vue.viewport()->height();
    }
};

// A small form: the grid over the recordset and, below it, a card the move fills.
TEST_P(LigneGrilleTest, TheCurrentRowIsWhollyInViewAfterEveryMoveAndTheGridMovesTheRecordset) {
    Recordset rs;
    rs.Open(cnx(), QStringLiteral("Utilisateurs order by IdUtilisateur"));
    RecordsetModel modele(&rs);
    modele.setColonnes({QStringLiteral("IdUtilisateur"), QStringLiteral("Nom")});
    QWidget fenetre;
    auto* v = new QVBoxLayout(&fenetre);
    auto* vue = new QTableView(&fenetre);
    vue->setModel(&modele);
    vue->setSelectionBehavior(QAbstractItemView::SelectRows);
    vue->verticalHeader()->hide();
    auto* carte = new QLabel(&fenetre);
    v->addWidget(vue, 1);
    v->addWidget(carte);
    new LigneGrille(vue, &rs);
    int lignesCarte = 1;
    QObject::connect(&rs, &Recordset::MoveComplete, carte, [&] {
        carte->setText(QStringList(lignesCarte, rs.Field(QStringLiteral("Nom")).toString()).join(u'\n'));
    });
    fenetre.resize(320, 300);
    fenetre.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&fenetre));

    // Far below, back above, to the end.
    for (int i : {280, 40, 299}) {
        ASSERT_TRUE(trouver(rs, i));
        ligneEnVue(*vue, rs, i);
    }
    // Moved while hidden: in view once shown.
    vue->hide();
    ASSERT_TRUE(trouver(rs, 20));
    vue->show();
    ligneEnVue(*vue, rs, 20);
    // The card grows with a move down and takes height from the grid.
    lignesCarte = 5;
    ASSERT_TRUE(trouver(rs, 150));
    ligneEnVue(*vue, rs, 150);
    // The window made smaller.
    fenetre.resize(320, 200);
    ligneEnVue(*vue, rs, 150);
    // A list emptied by a filter and whole again: the scroll reaches beyond what the empty list allowed.
    rs.Filter([](const LigneRecordset& l) {
        return l[QStringLiteral("Nom")].toString() == QLatin1String("Nom005");
    });
    QApplication::processEvents();
    rs.Filter(nullptr);
    ASSERT_TRUE(trouver(rs, 260));
    ligneEnVue(*vue, rs, 260);
    // Scrolled away, then read again on the same row.
    vue->scrollToTop();
    rs.Requery();
    ligneEnVue(*vue, rs, 260);

    // A click on a row, then the arrow key, move the recordset.
    const QModelIndex cible = modele.index(22, 1);
    QTest::mouseClick(vue->viewport(), Qt::LeftButton, {}, vue->visualRect(cible).center());
    EXPECT_EQ(rs.AbsolutePosition(), 22);
    EXPECT_EQ(carte->text().section(u'\n', 0, 0), nom(22));
    QTest::keyClick(vue, Qt::Key_Down);
    EXPECT_EQ(rs.AbsolutePosition(), 23);

    // The current row deleted: the next one is current, in the recordset and in a grid that keeps one row
    // selected by moving on by itself.
    vue->setSelectionMode(QAbstractItemView::SingleSelection);
    rs.Delete();
    ligneEnVue(*vue, rs, 23);
    EXPECT_EQ(rs.Field(QStringLiteral("Nom")).toString(), nom(24));
    EXPECT_EQ(carte->text().section(u'\n', 0, 0), nom(24));
}

// A form's own handling of a row chosen in the grid: a refusal keeps the recordset and puts the grid back
// on its row; run after the grid's event, a choice the grid has already left is dropped.
TEST_P(LigneGrilleTest, AFormsChoiceReplacesTheMove) {
    Recordset rs;
    rs.Open(cnx(), QStringLiteral("Utilisateurs order by IdUtilisateur"));
    RecordsetModel modele(&rs);
    QTableView vue;
    vue.setModel(&modele);
    vue.setSelectionBehavior(QAbstractItemView::SelectRows);
    auto* ligne = new LigneGrille(&vue, &rs);
    bool accepte = false;
    QList<int> choix;
    ligne->setChoix([&](int l) {
        choix << l;
        if (accepte)
            rs.MoveTo(l);
        else
            ligne->suivre();
    });
    vue.resize(300, 200);
    vue.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&vue));
    rs.MoveTo(3);
    vue.setCurrentIndex(modele.index(5, 0));
    EXPECT_EQ(choix, QList<int>{5});
    EXPECT_EQ(rs.AbsolutePosition(), 3);
    EXPECT_EQ(vue.currentIndex().row(), 3);
    accepte = true;
    vue.setCurrentIndex(modele.index(6, 0));
    EXPECT_EQ(rs.AbsolutePosition(), 6);

    ligne->setChoix([&](int l) { choix << l, rs.MoveTo(l); }, true);
    choix.clear();
    vue.setCurrentIndex(modele.index(8, 0));
    vue.setCurrentIndex(modele.index(9, 0));
    EXPECT_EQ(rs.AbsolutePosition(), 6);
    QApplication::processEvents();
    EXPECT_EQ(choix, QList<int>{9});
    EXPECT_EQ(rs.AbsolutePosition(), 9);
}

INSTANTIATE_TEST_SUITE_P(Bases, LigneGrilleTest, ::testing::Values(Moteur::SQLite), nomMoteur);

} // namespace
