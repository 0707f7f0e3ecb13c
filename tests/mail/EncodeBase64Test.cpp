#include "mail/EncodeBase64.h"

#include <QStringList>
#include <gtest/gtest.h>

using EncodeBase64::EncoderBase64;

namespace {

QByteArray octets(int n) {
    QByteArray o;
    for (int i = 0; i < n; ++i)
        o.append(static_cast<char>((i * 37 + 11) & 0xFF));
    return o;
}

} // namespace

TEST(EncodeBase64, GroupsOfThreeAndTheFill) {
    EXPECT_EQ(EncoderBase64("Dor"), QStringLiteral("RG9y"));
    EXPECT_EQ(EncoderBase64("abc"), QStringLiteral("YWJj"));
    EXPECT_EQ(EncoderBase64("D"), QStringLiteral("RA=="));
    EXPECT_EQ(EncoderBase64("Do"), QStringLiteral("RG8="));
    EXPECT_EQ(EncoderBase64(QByteArray()), QString());
    EXPECT_EQ(EncoderBase64("\xFB\xEF\xBE\xFF\xFF\xFF"), QStringLiteral("++++////"));
}

// 57 bytes make a full line of 76 digits; every line but the last is full, and none ends the text.
TEST(EncodeBase64, LinesOf76JoinedByCrLf) {
    EXPECT_EQ(EncoderBase64(octets(57)), QString::fromLatin1(octets(57).toBase64()));
    const QString cinquanteHuit = EncoderBase64(octets(58));
    EXPECT_EQ(cinquanteHuit.size(), 76 + 2 + 4);
    EXPECT_EQ(cinquanteHuit.mid(76, 2), QStringLiteral("\r\n"));
    const QStringList deux = EncoderBase64(octets(114)).split(QStringLiteral("\r\n"));
    EXPECT_EQ(deux.size(), 2);
    EXPECT_EQ(deux.value(1).size(), 76);

    for (int n = 0; n <= 800; ++n) {
        const QString texte = EncoderBase64(octets(n));
        const QStringList lignes = texte.split(QStringLiteral("\r\n"));
        EXPECT_EQ(texte.count(u'\r') + texte.count(u'\n'), 2 * (lignes.size() - 1)) << n;
        for (qsizetype i = 0; i + 1 < lignes.size(); ++i)
            EXPECT_EQ(lignes[i].size(), 76) << n;
        EXPECT_TRUE(lignes.last().size() > 0 || n == 0) << n;
        // Every byte value in each place of a group (37 is prime to 256), as RFC 4648 encodes it.
        EXPECT_EQ(lignes.join(QString()), QString::fromLatin1(octets(n).toBase64())) << n;
    }
}
