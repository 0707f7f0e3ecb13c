#include "common/forms/TraductionsQt.h"
#include "common/EtatGlobal.h"
#include "common/forms/FormBase.h"

#include <QCoreApplication>
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
