#include "common/PageDeCode.h"
#include "common/EtatGlobal.h"

#include <gtest/gtest.h>

// The page follows the language file chosen at start; characters it lacks become "?".
TEST(PageDeCode, TheLanguageFilesPageAndAQuestionMarkForTheRest) {
    reinitialiserEtatGlobal();
    const QString texte = QStringLiteral("Łódź €");
    EXPECT_EQ(PageDeCode::versOctets(texte), QByteArray("?\xF3"
                                                        "d? \x80"));
    Global().FichierLangue = QStringLiteral("/programme/french.lng");
    EXPECT_EQ(PageDeCode::versOctets(texte), QByteArray("?\xF3"
                                                        "d? \x80"));
    Global().FichierLangue = QStringLiteral("/programme/POLAND.LNG");
    EXPECT_EQ(PageDeCode::versOctets(texte), QByteArray("\xA3\xF3"
                                                        "d\x9F \x80"));
    Global().FichierLangue = QStringLiteral("/programme/slovaque.lng");
    EXPECT_EQ(PageDeCode::versOctets(QStringLiteral("Žilina")), QByteArray("\x8Eilina"));

    // One "?" for a character beyond 16 bits; a SUB control of the text itself stays SUB.
    EXPECT_EQ(PageDeCode::versOctets(QStringLiteral("a\U0001F600b")), QByteArray("a?b"));
    EXPECT_EQ(PageDeCode::versOctets(QStringLiteral("\x1A\u4E2D\U0001F600\x1A")), QByteArray("\x1A??\x1A"));
    EXPECT_EQ(PageDeCode::versOctets(QString()), QByteArray());
    reinitialiserEtatGlobal();
}
