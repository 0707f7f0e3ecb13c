#include "imaging/RotationQuart.h"

#include <gtest/gtest.h>

TEST(RotationQuart, QuarterTurnAnticlockwise) {
    // 3 x 2:  a b c      turned:  c f
    //         d e f               b e
    //                             a d
    QImage im(3, 2, QImage::Format_RGB32);
    const QRgb a = qRgb(1, 0, 0), b = qRgb(2, 0, 0), c = qRgb(3, 0, 0);
    const QRgb d = qRgb(4, 0, 0), e = qRgb(5, 0, 0), f = qRgb(6, 0, 0);
    im.setPixel(0, 0, a), im.setPixel(1, 0, b), im.setPixel(2, 0, c);
    im.setPixel(0, 1, d), im.setPixel(1, 1, e), im.setPixel(2, 1, f);
    const QImage t = tournerQuartAntihoraire(im);
    ASSERT_EQ(t.size(), QSize(2, 3));
    EXPECT_EQ(t.pixel(0, 0), c);
    EXPECT_EQ(t.pixel(1, 0), f);
    EXPECT_EQ(t.pixel(0, 1), b);
    EXPECT_EQ(t.pixel(1, 1), e);
    EXPECT_EQ(t.pixel(0, 2), a);
    EXPECT_EQ(t.pixel(1, 2), d);
    // Four turns give the picture back.
    EXPECT_EQ(tournerQuartAntihoraire(tournerQuartAntihoraire(tournerQuartAntihoraire(t))), im);
    EXPECT_TRUE(tournerQuartAntihoraire(QImage()).isNull());
}
