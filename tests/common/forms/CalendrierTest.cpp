#include "common/forms/Calendrier.h"
#include "common/EtatGlobal.h"
#include "support/DossierProgrammeTemp.h"

#include <QCalendarWidget>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

class CalendrierTest : public ::testing::Test {
protected:
    void SetUp() override { reinitialiserEtatGlobal(); }
    void TearDown() override { reinitialiserEtatGlobal(); }

    void ouvrir() {
        c.Show();
        c.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&c));
    }

    // A mouse click on a day of the calendar, as the user makes it.
    void cliquer(const QDate& jour) {
        c.calendar1->setCurrentPage(jour.year(), jour.month());
        auto* vue = c.calendar1->findChild<QTableView*>(QStringLiteral("qt_calendar_calendarview"));
        ASSERT_NE(vue, nullptr);
        QAbstractItemModel* m = vue->model();
        // Days of the neighbouring months share the grid: the first cell before the 15th, the last after.
        QModelIndex cible;
        for (int r = 0; r < m->rowCount() && !cible.isValid(); ++r)
            for (int col = 0; col < m->columnCount(); ++col) {
                const QModelIndex i = m->index(r, col);
                if (m->data(i).toString() != QString::number(jour.day()))
                    continue;
                cible = i;
                if (jour.day() < 15)
                    break;
            }
        ASSERT_TRUE(cible.isValid());
        QTest::mouseClick(vue->viewport(), Qt::LeftButton, {}, vue->visualRect(cible).center());
        ASSERT_EQ(c.calendar1->selectedDate(), jour);
    }

    QDate mars(int jour) const { return QDate(QDate::currentDate().year(), 3, jour); }
    static QDateTime minuit(const QDate& d) { return QDateTime(d, QTime(0, 0)); }

    Calendrier c;
};

} // namespace

TEST_F(CalendrierTest, OpenAndCloseGivesFirstOfDecemberToToday) {
    c.NombreJours = 17;
    Global().DateFin = minuit(QDate(2001, 1, 1));
    Global().LargeurFenPrincipale = 1024;
    ouvrir();
    EXPECT_EQ(c.pos(), QPoint((1024 - c.width()) / 2, 0)) << "centred at the top";
    const QDate decembre(QDate::currentDate().year(), 12, 1);
    EXPECT_EQ(c.calendar1->selectedDate(), decembre);
    EXPECT_EQ(c.Text1->text(), decembre.toString(QStringLiteral("dd/MM/yyyy")));
    EXPECT_TRUE(c.Text2->text().isEmpty());
    EXPECT_TRUE(c.Label2[0]->text().isEmpty()) << "setting the date at load is no selection";
    EXPECT_EQ(Global().DateDebut, minuit(decembre));
    EXPECT_EQ(Global().DateFin, minuit(QDate(2001, 1, 1)));

    QTest::mouseClick(c.Command1, Qt::LeftButton);
    EXPECT_FALSE(c.isVisible());
    EXPECT_FALSE(c.estCharge());
    EXPECT_EQ(Global().DateDebut, minuit(decembre));
    EXPECT_EQ(Global().DateFin, minuit(QDate::currentDate()));
    EXPECT_EQ(c.NombreJours, 17);
}

TEST_F(CalendrierTest, OneClickGivesAOneDayPeriod) {
    ouvrir();
    cliquer(mars(15));
    EXPECT_EQ(c.Text1->text(), mars(15).toString(QStringLiteral("dd/MM/yyyy")));
    EXPECT_EQ(c.Text2->text(), c.Text1->text());
    EXPECT_TRUE(c.Command1->hasFocus());
    QTest::mouseClick(c.Command1, Qt::LeftButton);
    EXPECT_EQ(Global().DateDebut, minuit(mars(15)));
    EXPECT_EQ(Global().DateFin, minuit(mars(15)));
    EXPECT_EQ(c.Label2[0]->text(), QStringLiteral("1 Jours"));
    EXPECT_EQ(c.NombreJours, 1);
}

// A click on the day the calendar already shows selected changes no selection, yet it is a period
// of one day like any other: the count must not stay at a previous use's value.
TEST_F(CalendrierTest, ClickOnTheDayShownAtOpeningCountsOneDay) {
    c.NombreJours = 31;
    ouvrir();
    const QDate decembre(QDate::currentDate().year(), 12, 1);
    cliquer(decembre);
    QTest::mouseClick(c.Command1, Qt::LeftButton);
    EXPECT_EQ(Global().DateDebut, minuit(decembre));
    EXPECT_EQ(Global().DateFin, minuit(decembre));
    EXPECT_EQ(c.Label2[0]->text(), QStringLiteral("1 Jours"));
    EXPECT_EQ(c.NombreJours, 1);
}

TEST_F(CalendrierTest, TwoClicksGiveAPeriodAndAThirdStartsAgain) {
    ouvrir();
    cliquer(mars(1));
    cliquer(mars(31));
    EXPECT_EQ(c.Label2[0]->text(), QStringLiteral("31 Jours"));
    EXPECT_EQ(c.NombreJours, 31);
    EXPECT_EQ(Global().DateDebut, minuit(mars(1)));
    EXPECT_EQ(Global().DateFin, minuit(mars(31)));

    cliquer(mars(20));
    EXPECT_EQ(Global().DateDebut, minuit(mars(20)));
    EXPECT_EQ(Global().DateFin, minuit(mars(20)));
    EXPECT_EQ(c.Label2[0]->text(), QStringLiteral("1 Jours"));
}

TEST_F(CalendrierTest, AnEarlierSecondDayIsAccepted) {
    ouvrir();
    cliquer(mars(10));
    cliquer(mars(5));
    EXPECT_EQ(Global().DateDebut, minuit(mars(10)));
    EXPECT_EQ(Global().DateFin, minuit(mars(5)));
    EXPECT_EQ(c.NombreJours, -4);
    EXPECT_EQ(c.Label2[0]->text(), QStringLiteral("-4 Jours"));
}

TEST_F(CalendrierTest, KeyboardMovesTheSelectionButOnlyClicksSetThePeriod) {
    ouvrir();
    cliquer(mars(10));
    auto* vue = c.calendar1->findChild<QTableView*>(QStringLiteral("qt_calendar_calendarview"));
    vue->setFocus();
    QTest::keyClick(vue, Qt::Key_Right);
    QTest::keyClick(vue, Qt::Key_Right);
    EXPECT_EQ(c.Text2->text(), mars(12).toString(QStringLiteral("dd/MM/yyyy")));
    EXPECT_EQ(c.NombreJours, 3);
    EXPECT_EQ(Global().DateFin, minuit(mars(10)));
}

TEST_F(CalendrierTest, ReopeningStartsAfresh) {
    ouvrir();
    cliquer(mars(15));
    c.Unload();
    ouvrir();
    const QDate decembre(QDate::currentDate().year(), 12, 1);
    EXPECT_TRUE(c.Text2->text().isEmpty());
    EXPECT_TRUE(c.Label2[0]->text().isEmpty());
    EXPECT_EQ(Global().DateDebut, minuit(decembre));
    EXPECT_EQ(c.NombreJours, 1) << "kept from the last use";
    // A first click without a second one, then a new activation: the next click is a first day again.
    cliquer(mars(3));
    c.Unload();
    ouvrir();
    cliquer(mars(8));
    EXPECT_EQ(Global().DateDebut, minuit(mars(8)));
    EXPECT_EQ(Global().DateFin, minuit(mars(8)));
}

TEST_F(CalendrierTest, TranslatedOnActivationAndByF12) {
    DossierProgrammeTemp dossier;
    dossier.ecrireIni(QStringLiteral("Machine"), QStringLiteral("Langue"), QStringLiteral("NL"));
    Global().LangueCourante = QStringLiteral("NL");
    Global().FichierLangue = dossier.fichier(QStringLiteral("nederlands.lng"));
    ouvrir();
    EXPECT_EQ(c.windowTitle(), QStringLiteral("Datumselectie"));
    EXPECT_EQ(c.Command1->text(), QStringLiteral("Sluiten"));
    EXPECT_EQ(c.Label2[1]->text(), QStringLiteral("Tot:"));

    QTest::keyClick(c.Command1, Qt::Key_F12);
    EXPECT_EQ(Global().LangueCourante, QStringLiteral("FR"));
    EXPECT_EQ(c.windowTitle(), QStringLiteral("Sélection de date"));
    EXPECT_EQ(c.Command1->text(), QStringLiteral("Fermer"));
    QTest::keyClick(c.Command1, Qt::Key_F12);
    EXPECT_EQ(c.Label1->text(), QStringLiteral("Vanaf:"));
    EXPECT_TRUE(c.isVisible()) << "F12 does not press the focused button";
}

// The calendar takes its month and day names and its first day of the week from the interface
// language, not from the system, and changes with F12.
TEST_F(CalendrierTest, MonthAndDayNamesFollowTheLanguage) {
    DossierProgrammeTemp dossier;
    dossier.ecrireIni(QStringLiteral("Machine"), QStringLiteral("Langue"), QStringLiteral("NL"));
    Global().LangueCourante = QStringLiteral("NL");
    Global().FichierLangue = dossier.fichier(QStringLiteral("nederlands.lng"));
    ouvrir();
    auto* mois = c.calendar1->findChild<QToolButton*>(QStringLiteral("qt_calendar_monthbutton"));
    auto* vue = c.calendar1->findChild<QTableView*>(QStringLiteral("qt_calendar_calendarview"));
    ASSERT_TRUE(mois && vue);
    // Row 0 of the grid holds the day names, the first day of the week first.
    auto premierJour = [vue] { return vue->model()->index(0, 0).data().toString(); };

    EXPECT_EQ(c.calendar1->locale().name(), QStringLiteral("nl_NL"));
    EXPECT_EQ(c.calendar1->firstDayOfWeek(), Qt::Monday);
    EXPECT_EQ(mois->text(), QStringLiteral("december"));
    EXPECT_EQ(premierJour(), QStringLiteral("ma"));
    EXPECT_EQ(c.Text1->text(),
              QDate(QDate::currentDate().year(), 12, 1).toString(QStringLiteral("dd/MM/yyyy")))
        << "the boxes keep their format";

    QTest::keyClick(c.Command1, Qt::Key_F12);
    EXPECT_EQ(c.calendar1->locale().name(), QStringLiteral("fr_FR"));
    EXPECT_EQ(mois->text(), QStringLiteral("décembre"));
    EXPECT_EQ(premierJour(), QStringLiteral("lun."));
}
