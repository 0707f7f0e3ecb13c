#include "common/Conversions.h"
#include "common/EtatGlobal.h"
#include "common/SaisieNumerique.h"

#include <QGuiApplication>
#include <QPalette>
#include <gtest/gtest.h>

using namespace Conversions;

TEST(Conversions, TwipsEtCouleursBleuVertRouge) {
    EXPECT_EQ(twipsEnPixels(1500), 100);
    EXPECT_EQ(twipsEnPixels(375), 25);
    EXPECT_EQ(twipsEnPixels(22), 1); // rounded, not truncated
    EXPECT_DOUBLE_EQ(pixelsEnTwips(100), 1500.0);

    EXPECT_EQ(couleurVB(0x0000FFu), QColor(255, 0, 0));
    EXPECT_EQ(couleurVB(0xFF0000u), QColor(0, 0, 255));
    EXPECT_EQ(couleurVB(0x00C0FFu), QColor(255, 192, 0));
    EXPECT_EQ(couleurVB(QStringLiteral("&H00C0FF&")), QColor(255, 192, 0));
    EXPECT_EQ(couleurVB(QStringLiteral("&H8000000F&")), QGuiApplication::palette().color(QPalette::Button));
    EXPECT_EQ(couleurEnVB(QColor(255, 192, 0)), 0x00C0FFu);
    for (quint32 c : {0x000000u, 0xFFFFFFu, 0x123456u, 0x8080FFu})
        EXPECT_EQ(couleurEnVB(couleurVB(c)), c);
}

TEST(SaisieNumerique, ChiffresCaracteresDeControleEtSeparateur) {
    using namespace SaisieNumerique;
    EXPECT_TRUE(toucheAcceptee(u'7'));
    EXPECT_FALSE(toucheAcceptee(u'a'));
    EXPECT_FALSE(toucheAcceptee(u' '));
    EXPECT_FALSE(toucheAcceptee(u'-'));
    EXPECT_TRUE(toucheAcceptee(QChar(8)));                  // backspace
    EXPECT_TRUE(toucheAcceptee(QChar(13)));                 // return
    EXPECT_TRUE(toucheAcceptee(u' ', QStringLiteral(" "))); // telephone fields also take a blank
    EXPECT_TRUE(texteAccepte(QStringLiteral("01 23"), QStringLiteral(" ")));
    EXPECT_FALSE(texteAccepte(QStringLiteral("01x23")));

    Global().SeparateurDecimal = QStringLiteral(",");
    EXPECT_EQ(echangerSeparateur(u'.'), QChar(u','));
    EXPECT_EQ(echangerSeparateur(u','), QChar(u','));
    EXPECT_EQ(echangerSeparateur(u'5'), QChar(u'5'));
    Global().SeparateurDecimal = QStringLiteral(".");
    EXPECT_EQ(echangerSeparateurs(QStringLiteral("1,5")), QStringLiteral("1.5"));
    reinitialiserEtatGlobal();
}
