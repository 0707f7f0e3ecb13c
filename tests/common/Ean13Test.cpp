#include "common/Ean13.h"

#include <gtest/gtest.h>

TEST(Ean13, CheckDigitAndValidityRefuseAnythingButTheRightDigits) {
    EXPECT_EQ(Ean13::withCheckDigit(u"000000000123"), QStringLiteral("0000000001236"));
    EXPECT_EQ(Ean13::withCheckDigit(u"400638133393"), QStringLiteral("4006381333931"));
    EXPECT_EQ(Ean13::checkDigit(u"000000000055"), 0); // a weighted sum of 20: 0, not 10
    // 11 or 13 digits, a letter, digits of another script.
    for (const QString& bad : {QStringLiteral("00000000012"), QStringLiteral("0000000001234"),
                               QStringLiteral("00000000012A"), QStringLiteral("٠٠٠٠٠٠٠٠٠١٢٣")})
        EXPECT_TRUE(Ean13::checkDigit(bad) == -1 && Ean13::withCheckDigit(bad).isEmpty())
            << bad.toStdString();
    EXPECT_TRUE(Ean13::isValid(u"4006381333931") && Ean13::isValid(u"0000000000550"));
    for (const char* bad : {"4006381333932", "400638133393", "40063813339310", "400638133393A"})
        EXPECT_FALSE(Ean13::isValid(QString::fromLatin1(bad)) ||
                     !Ean13::modules(QString::fromLatin1(bad)).isEmpty())
            << bad;
}

// The digits of the left half have the parity of their set (odd for A, even for B) as the first digit
// selects it, those of the right half are even: that is how a reader finds the first digit.
TEST(Ean13, ModulesCarryTheGuardsAndTheParityOfTheFirstDigit) {
    EXPECT_EQ(Ean13::leftSets(10), QString());
    for (int first = 0; first <= 9; ++first) {
        const QString m = Ean13::modules(Ean13::withCheckDigit(QString::number(first) + "12345678901"));
        ASSERT_EQ(m.size(), Ean13::Modules);
        EXPECT_TRUE(m.startsWith(u"101") && m.mid(45, 5) == u"01010" && m.endsWith(u"101"));
        QString sets;
        for (int d = 0; d < 6; ++d) {
            sets += m.mid(3 + 7 * d, 7).count(u'1') % 2 == 1 ? u'A' : u'B';
            EXPECT_EQ(m.mid(50 + 7 * d, 7).count(u'1') % 2, 0);
        }
        EXPECT_EQ(sets, Ean13::leftSets(first));
    }
    EXPECT_EQ(Ean13::leftSets(9), QStringLiteral("ABBABA"));
    EXPECT_TRUE(Ean13::isGuard(2) && Ean13::isGuard(45) && Ean13::isGuard(49) && Ean13::isGuard(92));
    EXPECT_FALSE(Ean13::isGuard(3) || Ean13::isGuard(44) || Ean13::isGuard(50) || Ean13::isGuard(95));
}
