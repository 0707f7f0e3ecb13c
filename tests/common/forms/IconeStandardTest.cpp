#include "common/forms/IconeStandard.h"

#include <QImage>
#include <QWidget>
#include <gtest/gtest.h>

// The icons read from Qt's PNG files are the style's own, pixel for pixel, at every size it draws them.
TEST(IconeStandard, GivesTheStylesPicturesAndReadsPngWithoutGuessing) {
    QWidget w;
    for (const QStyle::StandardPixmap p :
         {QStyle::SP_MediaSkipBackward, QStyle::SP_MediaSkipForward, QStyle::SP_ArrowUp, QStyle::SP_ArrowDown,
          QStyle::SP_DriveNetIcon}) {
        const QIcon style = w.style()->standardIcon(p);
        const QIcon nous = iconeStandard(&w, p);
        ASSERT_FALSE(nous.isNull()) << p;
        for (const int taille : {16, 24, 32, 48})
            EXPECT_EQ(nous.pixmap(taille, taille).toImage(), style.pixmap(taille, taille).toImage())
                << p << " " << taille;
    }
    EXPECT_EQ(lirePng(QStringLiteral(":/qt-project.org/styles/commonstyle/images/up-16.png")).size(),
              QSize(16, 16));
    EXPECT_TRUE(lirePng(QStringLiteral(":/absent.png")).isNull());
}
