#include "machines/forms/FrmConfigMachine.h"
#include "machines/forms/FrmConfigMachineCasier.h"

#include "common/EtatGlobal.h"
#include "common/FnWendrox.h"
#include "common/forms/BoutonMultiligne.h"
#include "common/forms/Instance.h"
#include "machines/EtatMachineDeTest.h"
#include "machines/GrilleCasiers.h"
#include "reports/forms/FenCrystalRep.h"
#include "support/FormeSurBase.h"
#include "support/ServiceSessionScripte.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// The machine list as a user drives it: double clicks on its rows, the sheets of the machine opened, back
// to the list. On either backend.
class FrmConfigMachineListeTest : public FormeSurLesDeuxBasesTest {
protected:
    void SetUp() override {
        FormeSurLesDeuxBasesTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        Global().CheminRapports = FnWendrox::AjouteBackslash(dossier->fichier(QStringLiteral("RPT SQL")));
        for (int i = 1; i <= 3; ++i)
            bd().executer(
                QStringLiteral("INSERT INTO ArticleEnStock (Reference, CodeArticle, Designation, "
                               "RefFournisseur) VALUES (?, ?, ?, ?)"),
                {5000 + i, i, QStringLiteral("Gants taille %1").arg(6 + i), QStringLiteral("RF%1").arg(i)});
        machine(1, 3, "ETAGE", 30, 4, "Hall A", 3);
        machine(2, 3, "ETAGE", 30, 4, "Hall B", 2);
        machine(3, 3, "ETAGE", 30, 4, "Hall C", 1);
        machine(4, 3, "COLONNE", 180, 8, "Colonnes du quai", 3);
        // Lockers of model 2 (18 to a column), each planned and loaded with one unit.
        machine(5, 2, "CASIER", 3, 3, "Vestiaire", 3);
        for (int k = 1; k <= 3; ++k) {
            const auto [x, y] = GrilleCasiers::Cellule(k, 18);
            bd().executer(
                QStringLiteral("INSERT INTO EmplacementsMachine1 (NoMachine, NoEmpl, Etage, Colonne, "
                               "Reference, Qte) VALUES (5, ?, ?, ?, ?, 1)"),
                {k, y, x, 5000 + k});
        }
        // The sheets: each read once the viewer is shown, then closed.
        session.surModal([this](QObject* o) {
            if (auto* v = qobject_cast<FenCrystalRep*>(o)) {
                ++m_fiches;
                v->close();
                return;
            }
            auto* f = qobject_cast<FrmConfigMachineCasier*>(o);
            ASSERT_NE(f, nullptr);
            f->show();
            f->activateWindow();
            ASSERT_TRUE(QTest::qWaitFor([f] { return QApplication::activeWindow() == f; }));
            if (m_casier)
                m_casier(*f);
        });
    }
    void TearDown() override {
        DetruireInstance<FrmConfigMachineCasier>();
        DetruireInstance<FrmConfigMachine>();
        DetruireInstance<FenCrystalRep>();
        FormeSurLesDeuxBasesTest::TearDown();
    }
    // Machine `no` with rows 1 to `lignes` of its plan holding articles 5001, 5002, ...
    void machine(int no, int type, const char* chargement, int places, int portes, const char* lieu,
                 int lignes) {
        bd().executer(
            QStringLiteral("INSERT INTO Machines (NoMachine, Type, Chargement, Location, NbEmplacement, "
                           "NbPorte) VALUES (?, ?, ?, ?, ?, ?)"),
            {no, type, QLatin1String(chargement), QString::fromUtf8(lieu), places, portes});
        for (int r = 1; r <= lignes; ++r)
            bd().executer(QStringLiteral("INSERT INTO ConfigMachines (NoMachine, Etage, ReferenceArticle, "
                                         "CodeArticle, Designation) VALUES (?, ?, ?, ?, 'plan')"),
                          {no, r, 5000 + r, r});
    }

    // A user's double click on the row's place, as the view receives it: a click, then the double click
    // of the same button, then its release.
    static void doubleClic(FormeMachine& f, int ligne) {
        QWidget* v = f.DataGrid1->viewport();
        const QPoint p = f.DataGrid1->visualRect(f.DataGrid1->model()->index(ligne, 3)).center();
        QTest::mouseClick(v, Qt::LeftButton, {}, p);
        QTest::mouseDClick(v, Qt::LeftButton, {}, p);
        QTest::mouseRelease(v, Qt::LeftButton, {}, p);
    }
    // Where the list stands, as the title and the sheets read it: "NoMachine", and while the list shows,
    // the row highlighted.
    static QString ligneDeLaListe(FormeMachine& f) {
        QString l = f.listeMachines().Field(QStringLiteral("NoMachine")).toString();
        const QModelIndex courant = f.DataGrid1->currentIndex();
        if (f.DataGrid1->isVisible() &&
            f.DataGrid1->selectionModel()->isRowSelected(courant.row(), QModelIndex()))
            l += u' ' + QString::number(courant.row());
        return l;
    }
    // The machines named by the report table, then by the work table, after the sheet `bouton` prints.
    QString fiche(QPushButton* bouton) {
        bd().executer(QStringLiteral("DELETE FROM ARemplissageMachine"));
        bd().executer(QStringLiteral("DELETE FROM TRemplissageMachine"));
        const int avant = m_fiches;
        QTest::mouseClick(bouton, Qt::LeftButton);
        EXPECT_EQ(m_fiches, avant + 1) << bouton->objectName().toStdString();
        using EtatMachineDeTest::rangs;
        return rangs(bd(), "SELECT DISTINCT NoMachine FROM ARemplissageMachine ORDER BY NoMachine")
                   .join(u',') +
               u'|' +
               rangs(bd(), "SELECT DISTINCT NumMach FROM TRemplissageMachine ORDER BY NumMach").join(u',');
    }

    ServiceSessionScripte session;
    std::function<void(FrmConfigMachineCasier&)> m_casier;
    int m_fiches = 0;
};

} // namespace

// Each row double clicked where its place is written: the title, the sheets and the list's row name that
// machine, and "Autre Machine" finds the list on it; the same in the locker window reached from the list,
// and on its own list.
TEST_P(FrmConfigMachineListeTest, DoubleClicOuvreLaMachineDeLaLigneEtLaListeYReste) {
    FrmConfigMachine& f = Instance<FrmConfigMachine>();
    f.Show();
    f.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
    const QStringList lieux{"Hall A", "Hall B", "Hall C", "Colonnes du quai"};
    for (int r = 0; r < 4; ++r) {
        SCOPED_TRACE(r);
        const int no = r + 1;
        const QString n = QString::number(no);
        doubleClic(f, r);
        ASSERT_TRUE(f.dispositionAffichee());
        EXPECT_EQ(f.NoMachineCourante, no);
        EXPECT_EQ(f.Label3->text(), QStringLiteral("Contenu machine ") + lieux[r]);
        EXPECT_EQ(ligneDeLaListe(f), n);
        EXPECT_EQ(fiche(f.CmdRmplir), n + u'|' + n);
        EXPECT_EQ(fiche(f.Command1), n + u'|');
        EXPECT_EQ(fiche(f.Command2), n + u'|' + n);
        fiche(f.Command3);
        EXPECT_EQ(ligneDeLaListe(f), n);
        // The plan saved as it stands is drawn again: the same machine.
        QTest::mouseClick(f.CmdModeConfig, Qt::LeftButton);
        QTest::mouseClick(f.CmdEnregiConfig, Qt::LeftButton);
        EXPECT_EQ(f.NoMachineCourante, no);
        EXPECT_EQ(f.Label3->text(), QStringLiteral("Contenu machine ") + lieux[r]);
        QTest::mouseClick(f.cmdClose, Qt::LeftButton);
        ASSERT_FALSE(f.dispositionAffichee());
        EXPECT_EQ(ligneDeLaListe(f), QStringLiteral("%1 %2").arg(no).arg(r));
    }

    // The locker machine: its window, opened on it, then its own list double clicked on it.
    int tours = 0;
    m_casier = [&](FrmConfigMachineCasier& c) {
        ++tours;
        for (int fois = 0; fois < 2; ++fois) {
            SCOPED_TRACE(fois);
            ASSERT_TRUE(c.dispositionAffichee());
            EXPECT_EQ(c.NoMachineCourante, 5);
            EXPECT_EQ(c.Label3->text(), QStringLiteral("Contenu machine Vestiaire"));
            EXPECT_EQ(ligneDeLaListe(c), QStringLiteral("5"));
            EXPECT_EQ(fiche(c.CmdRmplir), QStringLiteral("5|5"));
            EXPECT_EQ(fiche(c.Command1), QStringLiteral("5|"));
            EXPECT_EQ(fiche(c.Command2), QStringLiteral("5|5"));
            EXPECT_EQ(fiche(c.Command4), QStringLiteral("5|5"));
            QTest::mouseClick(c.cmdClose, Qt::LeftButton);
            ASSERT_FALSE(c.dispositionAffichee());
            EXPECT_EQ(ligneDeLaListe(c), QStringLiteral("5 4"));
            if (fois == 0)
                doubleClic(c, 4);
        }
        QTest::mouseClick(c.cmdClose, Qt::LeftButton);
        EXPECT_FALSE(c.isVisible());
    };
    doubleClic(f, 4);
    EXPECT_EQ(tours, 1);
    // The machine window stays hidden, on the locker machine.
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(ligneDeLaListe(f), QStringLiteral("5"));
    EXPECT_TRUE(dossier->lignesJournal().isEmpty()) << dossier->lignesJournal().join(u'\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Bases, FrmConfigMachineListeTest, ::testing::ValuesIn(moteursDeTest()), nomMoteur);
