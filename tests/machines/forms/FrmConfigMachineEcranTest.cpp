#include "machines/forms/FrmConfigMachine.h"
#include "machines/forms/FrmConfigMachineCasier.h"

#include "common/EtatGlobal.h"
#include "common/MODTranslate.h"
#include "common/forms/Instance.h"
#include "support/EcransDeTest.h"
#include "support/FormeSurBase.h"
#include "support/ServiceSessionScripte.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QStyle>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

namespace {

class FrmConfigMachineEcranTest : public FormeSurBaseTest {
protected:
    void SetUp() override {
        FormeSurBaseTest::SetUp();
        machine(1, 3, "ETAGE", 12, 12, "Hall A");
        machine(2, 3, "COLONNE", 36, 36, "Quai 36 colonnes");
        // A model 8 with its special row 37, lockers of type 10 (62 to a column) and of 14 columns.
        machine(3, 8, "COLONNE", 36, 37, "Modèle 8");
        machine(4, 10, "CASIER", 2, 124, "Vestiaire");
        machine(5, 1, "CASIER", 14, 126, "Quatorze portes");
    }
    void TearDown() override {
        DetruireInstance<FrmConfigMachineCasier>();
        DetruireInstance<FrmConfigMachine>();
        FormeSurBaseTest::TearDown();
    }
    // Machine `no` with `lignes` plan rows numbered from 1.
    void machine(int no, int type, const char* chargement, int portes, int lignes, const char* lieu) {
        base->executer(
            QStringLiteral("INSERT INTO Machines (NoMachine, Type, Chargement, Location, NbEmplacement, "
                           "NbPorte) VALUES (?, ?, ?, ?, ?, ?)"),
            {no, type, QLatin1String(chargement), QString::fromUtf8(lieu), lignes * 2, portes});
        for (int r = 1; r <= lignes; ++r)
            base->executer(
                QStringLiteral(
                    "INSERT INTO ConfigMachines (NoMachine, Etage, Designation) VALUES (?, ?, 'x')"),
                {no, r});
    }
    void langue(const QString& code) {
        Global().LangueCourante = code;
        Global().FichierLangue = dossier->fichier(MODTranslate::NomFichierLangue(code));
        Global().Msg = MODTranslate::TextesMessages(code);
    }
    // The machine window shown on `ecran`, on its list.
    static FrmConfigMachine& montrer(QScreen* ecran) {
        FrmConfigMachine& f = Instance<FrmConfigMachine>();
        f.Load();
        f.move(ecran->geometry().topLeft() + QPoint(20, 0));
        f.Show();
        f.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&f));
        return f;
    }
    // The machine opened from the list.
    static void ouvrir(FormeMachine& f, int no) {
        if (f.dispositionAffichee())
            f.cmdClose->click();
        ASSERT_TRUE(f.allerALaMachine(no));
        f.DataGrid1_DblClick();
    }
    // Every control the window shows, the grid among them, whole in sight together: nothing to scroll.
    static void toutEnVue(QWidget& f, const std::string& contexte) {
        const QRect zone = f.screen()->availableGeometry();
        EXPECT_TRUE(zone.contains(f.frameGeometry())) << contexte;
        for (const QScrollArea* a : f.findChildren<QScrollArea*>())
            EXPECT_FALSE(a->isVisible() && a->window() == &f) << contexte << ": contents scroll";
        int vus = 0;
        for (QWidget* w : f.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (!w->isVisibleTo(&f))
                continue;
            ++vus;
            EXPECT_TRUE(atteignable(w, &f) && enVue(w, &f))
                << contexte << ": " << w->objectName().toStdString() << " at "
                << QString("%1,%2 %3x%4")
                       .arg(w->x())
                       .arg(w->y())
                       .arg(w->width())
                       .arg(w->height())
                       .toStdString();
        }
        EXPECT_GE(vus, 4) << contexte;
    }

    ServiceSessionScripte session;
};

} // namespace

// At 1024 x 768, in French and Dutch: the machine window on its list, on a floor machine and a column
// machine, the locker window on a locker machine of 14 columns and on its list, each with every control in
// sight beside its grid; on the desktop they keep their design sizes. Pictures of both sizes are saved.
TEST_F(FrmConfigMachineEcranTest, ALaTailleDeLEcranToutEnVueAvecLaGrille) {
    QScreen* petit = ecranDeTest("2 1024x768");
    if (!petit)
        GTEST_SKIP() << "needs the test screens of the offscreen platform";
    for (const char* code : {"FR", "NL"}) {
        langue(QString::fromLatin1(code));
        for (QScreen* ecran : {petit, QGuiApplication::primaryScreen()}) {
            const bool bureau = ecran != petit;
            const std::string contexte = std::string(code) + (bureau ? " desktop" : " 1024x768");
            const QString image = QStringLiteral("/tmp/dorvane-machines-%1-%2-%3.png")
                                      .arg(QLatin1String(code), bureau ? "1920" : "1024");
            FrmConfigMachine& f = montrer(ecran);
            toutEnVue(f, contexte + " list");
            // Where the design does not fit, the screen's whole height, frame included.
            const QRect zone = ecran->availableGeometry();
            EXPECT_EQ(f.size(), bureau ? QSize(818, 800)
                                       : QSize(818, zone.height() - f.frameGeometry().height() + f.height()))
                << contexte;
            ouvrir(f, 1);
            toutEnVue(f, contexte + " floors");
            ouvrir(f, 2);
            toutEnVue(f, contexte + " columns");
            f.grab().save(image.arg(QStringLiteral("colonnes")));

            int vues = 0;
            session.surModal([&](QObject* o) {
                auto* c = qobject_cast<FrmConfigMachineCasier*>(o);
                ASSERT_NE(c, nullptr);
                c->move(ecran->geometry().topLeft() + QPoint(10, 0));
                c->show();
                c->activateWindow();
                ASSERT_TRUE(QTest::qWaitForWindowActive(c));
                ++vues;
                EXPECT_EQ(c->size(), bureau
                                         ? QSize(1185, 708)
                                         : QSize(zone.width() - c->frameGeometry().width() + c->width(), 708))
                    << contexte;
                EXPECT_EQ(c->MSFlexGrid1->columnCount(), 15);
                toutEnVue(*c, contexte + " lockers");
                c->grab().save(image.arg(QStringLiteral("casiers")));
                c->cmdClose->click();
                toutEnVue(*c, contexte + " locker list");
                c->cmdClose->click();
            });
            f.cmdClose->click();
            ouvrir(f, 5);
            EXPECT_EQ(vues, 1);
            DetruireInstance<FrmConfigMachineCasier>();
            DetruireInstance<FrmConfigMachine>();
        }
    }
}

// Every row caption of the floor, column and locker views whole on its line, in the five languages,
// measured with the cell's font against the caption column.
TEST_F(FrmConfigMachineEcranTest, LegendesDesLignesEntieresDansLesCinqLangues) {
    for (const char* code : {"FR", "NL", "PL", "SK", "DE"}) {
        langue(QString::fromLatin1(code));
        FrmConfigMachine& f = Instance<FrmConfigMachine>();
        f.Show();
        int legendes = 0;
        const auto mesurer = [&](QTableWidget* g, const char* vue) {
            const int marge = 2 * (g->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, g) + 1);
            for (int r = 1; r < g->rowCount(); ++r) {
                const QTableWidgetItem* item = g->item(r, 0);
                if (!item || item->text().isEmpty())
                    continue;
                ++legendes;
                const QFontMetrics m(item->font());
                EXPECT_LE(m.horizontalAdvance(item->text()) + marge, g->columnWidth(0))
                    << code << " " << vue << ": \"" << item->text().toStdString() << "\"";
                EXPECT_LE(m.height(), g->rowHeight(r)) << code << " " << vue << " row " << r;
            }
        };
        for (int no : {1, 2, 3}) {
            ouvrir(f, no);
            mesurer(f.MSFlexGrid1, no == 1 ? "floors" : "columns");
        }
        FrmConfigMachineCasier& c = Instance<FrmConfigMachineCasier>();
        c.Show();
        ouvrir(c, 4);
        mesurer(c.MSFlexGrid1, "lockers");
        EXPECT_EQ(c.MSFlexGrid1->item(62, 0)->text(), Global().msg(10) + QStringLiteral("62"));
        // 12 floors, 36 and 37 columns, 62 locker rows.
        EXPECT_EQ(legendes, 12 + 36 + 37 + 62) << code;
        DetruireInstance<FrmConfigMachineCasier>();
        DetruireInstance<FrmConfigMachine>();
    }
}
