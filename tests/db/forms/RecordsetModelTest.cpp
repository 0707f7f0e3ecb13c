#include "BaseDeTest.h"

#include "db/Connexion.h"
#include "db/Recordset.h"
#include "db/RecordsetModel.h"

#include <QApplication>
#include <QItemSelectionModel>
#include <QScrollBar>
#include <QTableView>
#include <gtest/gtest.h>

class GrilleBase : public TestAvecBase {};

// A grid over a recordset keeps its current row, selection and scroll position when a row is added,
// when a row above is deleted and through a header-click sort.
TEST_P(GrilleBase, ChangesKeepTheCurrentRowAndScrollPosition) {
    {
        TransactionEcriture t(cnx());
        for (int i = 0; i < 300; ++i)
            cnx().executer(QStringLiteral("INSERT INTO Utilisateurs (Nom) VALUES (?)"),
                           {QStringLiteral("Nom%1").arg(i, 3, 10, QLatin1Char('0'))});
        t.valider();
    }
    Recordset rs;
    rs.Open(cnx(), QStringLiteral("Utilisateurs order by IdUtilisateur"));
    RecordsetModel modele(&rs);
    modele.setColonnes({QStringLiteral("IdUtilisateur"), QStringLiteral("Nom")});
    QTableView vue;
    vue.setModel(&modele);
    vue.resize(300, 200);
    vue.show();
    QApplication::processEvents();
    const QModelIndex depart = modele.index(150, 1);
    vue.setCurrentIndex(depart);
    vue.scrollTo(depart, QAbstractItemView::PositionAtCenter);
    QApplication::processEvents();
    const int defilement = vue.verticalScrollBar()->value();
    ASSERT_GT(defilement, 0);
    const auto courant = [&] { return vue.currentIndex().data().toString(); };

    rs.AddNew();
    rs.SetField(QStringLiteral("Nom"), QStringLiteral("Nouveau"));
    rs.Update();
    QApplication::processEvents();
    EXPECT_EQ(modele.rowCount(), 301);
    EXPECT_EQ(vue.currentIndex().row(), 150);
    EXPECT_EQ(courant(), QStringLiteral("Nom150"));
    EXPECT_EQ(vue.verticalScrollBar()->value(), defilement);

    rs.MoveTo(10);
    rs.Delete();
    QApplication::processEvents();
    EXPECT_EQ(vue.currentIndex().row(), 149);
    EXPECT_EQ(courant(), QStringLiteral("Nom150"));

    vue.setSortingEnabled(true);
    vue.sortByColumn(1, Qt::DescendingOrder);
    QApplication::processEvents();
    EXPECT_EQ(modele.index(0, 1).data().toString(), QStringLiteral("Nouveau"));
    EXPECT_EQ(courant(), QStringLiteral("Nom150"));
    EXPECT_TRUE(vue.selectionModel()->isSelected(vue.currentIndex()));
}

INSTANTIATE_TEST_SUITE_P(Bases, GrilleBase, ::testing::Values(Moteur::SQLite), nomMoteur);
