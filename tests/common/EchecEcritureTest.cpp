#include "common/EchecEcriture.h"

#include <QFile>
#include <gtest/gtest.h>

// (A write stopped partway, whose reason Qt loses, is tried through the zip writer.)
TEST(EchecEcriture, AFullDiskIsNamed) {
    QFile plein(QStringLiteral("/dev/full"));
    if (!plein.open(QIODevice::WriteOnly))
        GTEST_SKIP() << "no /dev/full here";
    EXPECT_NE(plein.write(QByteArray(100000, 'x')), 100000);
    EXPECT_EQ(EchecEcriture::message(plein),
              QStringLiteral("Impossible d'écrire /dev/full : le disque est plein"));
}
