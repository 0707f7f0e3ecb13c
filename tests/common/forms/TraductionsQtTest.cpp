#include "common/forms/TraductionsQt.h"
#include "common/EtatGlobal.h"
#include "common/forms/FormBase.h"

#include <QCalendarWidget>
#include <QCoreApplication>
#include <QDateEdit>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {
QString annuler() {
    return QCoreApplication::translate("QPlatformTheme", "Cancel");
}
} // namespace

TEST(TraductionsQt, QtButtonsFollowTheLanguageAndOneTranslationAtATime) {
    ASSERT_TRUE(InstallerTraductionsQt(QStringLiteral("FR")));
    EXPECT_EQ(annuler(), QStringLiteral("Annuler"));
    ASSERT_TRUE(InstallerTraductionsQt(QStringLiteral("NL")));
    EXPECT_EQ(annuler(), QStringLiteral("Annuleren"));
    ASSERT_TRUE(InstallerTraductionsQt(QStringLiteral("DE")));
    EXPECT_EQ(annuler(), QStringLiteral("Abbrechen"));
    EXPECT_TRUE(InstallerTraductionsQt(QStringLiteral("PL")));
    EXPECT_TRUE(InstallerTraductionsQt(QStringLiteral("SK")));
    // An unknown code leaves Qt's own English.
    EXPECT_FALSE(InstallerTraductionsQt(QStringLiteral("XX")));
    EXPECT_EQ(annuler(), QStringLiteral("Cancel"));
}

TEST(TraductionsQt, FormsInstallTheCurrentLanguageWhenTheyLoad) {
    reinitialiserEtatGlobal();
    Global().LangueCourante = QStringLiteral("NL");
    FormBase forme(QStringLiteral("FormeVide"));
    forme.Load();
    EXPECT_EQ(annuler(), QStringLiteral("Annuleren"));
    Global().LangueCourante = QStringLiteral("FR");
    SuivreLangueCourante();
    EXPECT_EQ(annuler(), QStringLiteral("Annuler"));
    reinitialiserEtatGlobal();
}

// Date widgets of any form, also those created after the form was loaded and the calendar that drops
// down from a date box, take the interface language for month and day names, and follow its changes.
TEST(TraductionsQt, DateWidgetsFollowTheLanguage) {
    reinitialiserEtatGlobal();
    Global().LangueCourante = QStringLiteral("PL");
    FormBase forme(QStringLiteral("FormeVide"));
    forme.Load();
    auto* date = new QDateEdit(QDate(2024, 12, 1));
    date->setDisplayFormat(QStringLiteral("d MMMM yyyy"));
    date->setCalendarPopup(true);
    (new QVBoxLayout(&forme))->addWidget(date);
    forme.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&forme));
    EXPECT_EQ(date->locale().name(), QStringLiteral("pl_PL"));
    EXPECT_EQ(date->text(), QStringLiteral("1 ") + QLocale(QStringLiteral("pl_PL")).monthName(12) +
                                QStringLiteral(" 2024"));

    QCalendarWidget* deroulant = date->calendarWidget();
    Global().LangueCourante = QStringLiteral("DE");
    SuivreLangueCourante();
    EXPECT_EQ(date->text(), QStringLiteral("1 Dezember 2024"));
    EXPECT_EQ(deroulant->locale().name(), QStringLiteral("de_DE"));
    EXPECT_EQ(deroulant->locale().dayName(1), QStringLiteral("Montag"));
    EXPECT_EQ(deroulant->firstDayOfWeek(), Qt::Monday);
    EXPECT_EQ(QLocale().decimalPoint(), QLocale::system().decimalPoint()) << "numbers keep the system's";

    forme.Unload();
    reinitialiserEtatGlobal();
}
