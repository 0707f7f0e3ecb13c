#include "staff/BadgeEAN13.h"

#include <gtest/gtest.h>

using BadgeEAN13::CalculChecksumEAN13;
using BadgeEAN13::EAN13;

TEST(BadgeEAN13, FontTextFollowsTheParityTableAndRefusalsKeepTheCode) {
    auto verifier = [](const QString& code, const char* texte, const char* numero) {
        const auto r = EAN13(code);
        EXPECT_EQ(r.texte, QString::fromLatin1(texte)) << code.toStdString();
        EXPECT_EQ(r.code, QString::fromLatin1(numero)) << code.toStdString();
    };
    verifier(QStringLiteral("123"), "0AAAAAA*aabcdg+", "0000000001236");
    verifier(QString(), "0AAAAAA*aaaaaa+", "0000000000000");
    verifier(QStringLiteral("987654321098"), "9IRQFOD*cbajic+", "9876543210982");
    // Refused: too long (unchanged), anything but ASCII digits (padded).
    verifier(QStringLiteral("1234567890123"), "", "1234567890123");
    verifier(QStringLiteral("12A"), "", "00000000012A");
    verifier(QStringLiteral(" 12"), "", "000000000 12");
    // Digits 2 to 7 of 1 to 9: set A ("A" + d) or B ("K" + d) as the first digit selects them.
    const char* const jeux[] = {"AABABB", "AABBAB", "AABBBA", "ABAABB", "ABBAAB",
                                "ABBBAA", "ABABAB", "ABABBA", "ABBABA"};
    for (int premier = 1; premier <= 9; ++premier) {
        const auto r = EAN13(QString::number(premier) + QStringLiteral("00000000000"));
        QString attendu = QString::number(premier);
        for (int i = 0; i < 6; ++i)
            attendu += jeux[premier - 1][i] == 'A' ? u'A' : u'K';
        EXPECT_EQ(r.texte.left(7), attendu);
    }
    EXPECT_EQ(CalculChecksumEAN13(QStringLiteral("000000000042")), QStringLiteral("0000000000420"));
    EXPECT_EQ(CalculChecksumEAN13(QStringLiteral("000000000055")), QStringLiteral("0000000000550"));
    EXPECT_EQ(CalculChecksumEAN13(QStringLiteral("42")), QString());
}
