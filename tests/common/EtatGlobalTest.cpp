#include "common/EtatGlobal.h"
#include <gtest/gtest.h>

TEST(EtatGlobal, ValeursParDefautEtReinitialisation) {
    reinitialiserEtatGlobal();
    EXPECT_EQ(Global().NomBase, QStringLiteral("VEZ"));
    EXPECT_EQ(Global().LangueCourante, QStringLiteral("FR"));
    EXPECT_EQ(Global().NoProfilIllimite, 83);
    EXPECT_TRUE(Global().OptionLienSiteService);
    Global().NomBase = QStringLiteral("AUTRE");
    Global().Msg[3] = QStringLiteral("x");
    reinitialiserEtatGlobal();
    EXPECT_EQ(Global().NomBase, QStringLiteral("VEZ"));
    EXPECT_EQ(Global().msg(3), QString());
    EXPECT_EQ(Global().msg(0), QString());
    EXPECT_EQ(Global().msg(49), QString());
}
