#include "imaging/forms/RotationImage.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <gtest/gtest.h>

TEST(RotationImage, TurnsThePictureSwapsTheBoxAndFillsTheClipboard) {
    QImage im(3, 2, QImage::Format_RGB32);
    im.fill(qRgb(0, 0, 255));
    const QRgb hautDroit = qRgb(255, 0, 0), basGauche = qRgb(0, 255, 0);
    im.setPixel(2, 0, hautDroit);
    im.setPixel(0, 1, basGauche);

    QLabel boite;
    boite.setObjectName("Picture1");
    boite.resize(120, 45);
    boite.setPixmap(QPixmap::fromImage(im));
    RotationImage(&boite);

    EXPECT_EQ(boite.size(), QSize(45, 120));
    const QImage tournee = boite.pixmap().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(tournee.size(), QSize(2, 3));
    EXPECT_EQ(tournee.pixel(0, 0), hautDroit);
    EXPECT_EQ(tournee.pixel(1, 2), basGauche);
    const QImage presse = QApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(presse, tournee);

    // A box without a picture is left as it is.
    QLabel videBoite;
    videBoite.resize(30, 10);
    RotationImage(&videBoite);
    EXPECT_EQ(videBoite.size(), QSize(30, 10));
    RotationImage(nullptr);
}
