#include "app/InfoSociete.h"

#include <gtest/gtest.h>

namespace {

TEST(VariantesClient, OrmaxSeulementAvecBrelaz) {
    auto v =
        calculerVariantesClient(QStringLiteral("ormax sa"), QStringLiteral("Brelaz"), QStringLiteral("OUI"));
    EXPECT_TRUE(v.ClientOrmax);
    EXPECT_FALSE(v.ImportSalarieVisible);
    EXPECT_FALSE(v.ClientTalmer);

    // Another town falls through to the other tests, here the settings key.
    v = calculerVariantesClient(QStringLiteral("ORMAX"), QStringLiteral("Lyon"), QStringLiteral("NON"));
    EXPECT_FALSE(v.ClientOrmax);
    EXPECT_FALSE(v.ImportSalarieVisible);
    v = calculerVariantesClient(QStringLiteral("ORMAX"), QStringLiteral("Lyon"), QStringLiteral("OUI"));
    EXPECT_TRUE(v.ImportSalarieVisible);
    v = calculerVariantesClient(QStringLiteral("Ormax Talmer"), QStringLiteral("Lyon"),
                                QStringLiteral("NON"));
    EXPECT_TRUE(v.ClientTalmer);
    EXPECT_TRUE(v.ImportSalarieVisible);
}

TEST(VariantesClient, TalmerFenorelEtKestavon) {
    auto v = calculerVariantesClient(QStringLiteral("Talmer et Kestavon"), QString(), QStringLiteral("NON"));
    EXPECT_TRUE(v.ClientTalmer);
    EXPECT_TRUE(v.ImportSalarieVisible);
    EXPECT_TRUE(v.ListeAlarmeVisible);
    EXPECT_FALSE(v.ClientFenorel);

    v = calculerVariantesClient(QStringLiteral("fenorel"), QString(), QStringLiteral("NON"));
    EXPECT_TRUE(v.ClientFenorel);
    EXPECT_TRUE(v.ImportSalarieVisible);
    EXPECT_FALSE(v.ListeAlarmeVisible);

    v = calculerVariantesClient(QStringLiteral("KESTAVON"), QString(), QStringLiteral("NON"));
    EXPECT_TRUE(v.ListeAlarmeVisible);
    EXPECT_FALSE(v.ImportSalarieVisible);
}

TEST(VariantesClient, CleButtonImport) {
    // Anything but exactly "NON" shows the import button; Null fields behave as empty texts.
    EXPECT_TRUE(calculerVariantesClient(QString(), QString(), QStringLiteral("non")).ImportSalarieVisible);
    EXPECT_TRUE(calculerVariantesClient(QString(), QString(), QString()).ImportSalarieVisible);
    EXPECT_FALSE(calculerVariantesClient(QString(), QString(), QStringLiteral("NON")).ImportSalarieVisible);
}

} // namespace
