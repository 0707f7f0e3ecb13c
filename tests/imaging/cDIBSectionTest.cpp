#include "imaging/cDIBSection.h"
#include "common/ErreurExecution.h"
#include "support/ServiceDialogueScripte.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPainter>
#include <gtest/gtest.h>

#include <cstring>
#include <limits>

namespace {

// Byte at (x, memory row y), channel k (0 blue, 1 green, 2 red).
uchar octet(const cDIBSection& d, int x, int y, int k) {
    return d.DIBSectionBitsPtr()[qsizetype(y) * d.BytesPerScanLine() + 3 * x + k];
}

QImage damier(int w, int h) {
    QImage im(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            im.setPixel(x, y, qRgb(10 * x + 1, 20 * y + 2, (x * 7 + y * 13) & 0xFF));
    return im;
}

} // namespace

TEST(cDIBSection, RowSizeAndHeader) {
    cDIBSection d;
    const int attendu[] = {4, 8, 12, 12};
    for (int w = 1; w <= 4; ++w) {
        ASSERT_TRUE(d.Create(w, 5));
        EXPECT_EQ(d.BytesPerScanLine(), attendu[w - 1]) << "width " << w;
        EXPECT_EQ(cDIBSection::octetsParLigne(w), attendu[w - 1]);
    }
    ASSERT_TRUE(d.Create(190, 142));
    EXPECT_EQ(d.BytesPerScanLine(), 572);
    EXPECT_EQ(d.BytesPerScanLine() - 3 * d.Width(), 2);
    const EnTeteBitmap& h = d.InfoBitmap();
    EXPECT_EQ(h.biSize, 40u);
    EXPECT_EQ(h.biWidth, 190);
    EXPECT_EQ(h.biHeight, 142);
    EXPECT_EQ(h.biPlanes, 1);
    EXPECT_EQ(h.biBitCount, 24);
    EXPECT_EQ(h.biCompression, 0u);
    EXPECT_EQ(h.biSizeImage, 142u * 572u);
    EXPECT_NE(d.hdc(), 0u);
    EXPECT_NE(d.hDib(), 0u);
    EXPECT_NE(d.DIBSectionBitsPtr(), nullptr);
    // A new bitmap is black, fill bytes included.
    for (quint32 i = 0; i < h.biSizeImage; ++i)
        ASSERT_EQ(d.DIBSectionBitsPtr()[i], 0);

    d.ClearUp();
    EXPECT_EQ(d.hdc(), 0u);
    EXPECT_EQ(d.hDib(), 0u);
    EXPECT_EQ(d.DIBSectionBitsPtr(), nullptr);
    EXPECT_EQ(d.Width(), 0);
}

TEST(cDIBSection, BadSizesAreRefused) {
    cDIBSection d;
    ASSERT_TRUE(d.Create(3, 3));
    const std::pair<qint32, qint32> mauvaises[] = {
        {0, 10},
        {10, 0},
        {-1, 10},
        {10, -5},
        {std::numeric_limits<qint32>::max(), 1}, // width * 3 overflows
        {715827883, 1},                          // just over
        {100000, 100000},                        // height * row size overflows
    };
    for (const auto& [w, h] : mauvaises) {
        EXPECT_FALSE(d.Create(w, h)) << w << " x " << h;
        EXPECT_EQ(d.DIBSectionBitsPtr(), nullptr);
        EXPECT_EQ(d.hdc(), 0u);
        EXPECT_EQ(d.Width(), 0);
    }
    quintptr h = 99;
    EXPECT_FALSE(d.CreateDIB(0, 0, 1, h));
    EXPECT_EQ(h, 0u);
    EXPECT_THROW(cDIBSection::octetsParLigne(std::numeric_limits<qint32>::max()), ErreurExecution);
    // An empty picture leaves the object empty.
    d.CreateFromPicture(QImage());
    EXPECT_EQ(d.DIBSectionBitsPtr(), nullptr);
}

TEST(cDIBSection, PictureInAndOutKeepsLayout) {
    const QImage im = damier(5, 3);
    cDIBSection d;
    d.CreateFromPicture(im);
    ASSERT_EQ(d.Width(), 5);
    ASSERT_EQ(d.Height(), 3);
    // Memory row 0 is the picture's bottom row; bytes are blue, green, red.
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) {
            const QRgb p = im.pixel(x, 2 - y);
            EXPECT_EQ(octet(d, x, y, 0), qBlue(p));
            EXPECT_EQ(octet(d, x, y, 1), qGreen(p));
            EXPECT_EQ(octet(d, x, y, 2), qRed(p));
        }
    // Fill bytes of a 5-pixel row (15 + 1) stay zero.
    for (int y = 0; y < 3; ++y)
        EXPECT_EQ(d.DIBSectionBitsPtr()[y * 16 + 15], 0);
    EXPECT_EQ(d.versImage().convertToFormat(QImage::Format_RGB32), im);

    // Wider pictures go through the four-pixel path of the conversion.
    const QImage grand = damier(13, 4);
    cDIBSection g;
    g.CreateFromPicture(grand);
    EXPECT_EQ(g.versImage().convertToFormat(QImage::Format_RGB32), grand);
}

TEST(cDIBSection, BlitsClipAndApplyRasterOperations) {
    cDIBSection d;
    ASSERT_TRUE(d.Create(4, 4));
    const QImage source = damier(6, 6);
    // Negative size means this bitmap's; the source origin moves the window.
    d.LoadPictureBlt(source, 2, 1);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(d.versImage().pixel(x, y), source.pixel(x + 2, y + 1));
    // A window running off the source leaves the rest of this bitmap alone.
    QImage blanc(4, 4, QImage::Format_RGB32);
    blanc.fill(Qt::white);
    d.LoadPictureBlt(blanc);
    d.LoadPictureBlt(source, 4, 4);
    EXPECT_EQ(d.versImage().pixel(0, 0), source.pixel(4, 4));
    EXPECT_EQ(d.versImage().pixel(1, 1), source.pixel(5, 5));
    EXPECT_EQ(d.versImage().pixel(2, 2), qRgb(255, 255, 255));
    EXPECT_EQ(d.versImage().pixel(3, 0), qRgb(255, 255, 255));
    d.LoadPictureBlt(source, -100, -100); // nothing overlaps: nothing happens

    // XOR twice gives back the original; AND with black gives black.
    d.LoadPictureBlt(source);
    const QImage avant = d.versImage();
    d.LoadPictureBlt(blanc, 0, 0, -1, -1, OperationRaster::SRCINVERT);
    EXPECT_EQ(d.versImage().pixel(1, 2), qRgb(255 - qRed(avant.pixel(1, 2)), 255 - qGreen(avant.pixel(1, 2)),
                                              255 - qBlue(avant.pixel(1, 2))));
    d.LoadPictureBlt(blanc, 0, 0, -1, -1, OperationRaster::SRCINVERT);
    EXPECT_EQ(d.versImage(), avant);
    QImage noir(4, 4, QImage::Format_RGB32);
    noir.fill(Qt::black);
    d.LoadPictureBlt(noir, 0, 0, -1, -1, OperationRaster::SRCAND);
    EXPECT_EQ(d.versImage().pixel(3, 3), qRgb(0, 0, 0));
}

TEST(cDIBSection, PaintPictureToImageAndPainter) {
    cDIBSection d;
    d.CreateFromPicture(damier(3, 2));
    QImage cible(6, 5, QImage::Format_RGB32);
    cible.fill(Qt::white);
    d.PaintPicture(cible, 2, 1);
    EXPECT_EQ(cible.pixel(2, 1), d.versImage().pixel(0, 0));
    EXPECT_EQ(cible.pixel(4, 2), d.versImage().pixel(2, 1));
    EXPECT_EQ(cible.pixel(1, 1), qRgb(255, 255, 255));
    EXPECT_EQ(cible.pixel(5, 3), qRgb(255, 255, 255));
    d.PaintPicture(cible, 5, 4, -1, -1, 1, 1); // clipped to the one pixel that fits
    EXPECT_EQ(cible.pixel(5, 4), d.versImage().pixel(1, 1));

    QImage toile(3, 2, QImage::Format_RGB32);
    toile.fill(Qt::black);
    {
        QPainter p(&toile);
        EXPECT_TRUE(d.PaintPicture(p));
        EXPECT_FALSE(d.PaintPicture(p, 0, 0, -1, -1, 0, 0, OperationRaster::DSTINVERT));
    }
    EXPECT_EQ(toile, d.versImage().convertToFormat(QImage::Format_RGB32));
}

TEST(cDIBSection, RandomiseBits) {
    cDIBSection d;
    ASSERT_TRUE(d.Create(41, 7)); // 123 bytes of pixels, 1 fill byte
    d.RandomiseBits(true);
    int differents = 0;
    for (int y = 0; y < 7; ++y) {
        for (int x = 0; x < 41; ++x) {
            EXPECT_EQ(octet(d, x, y, 0), octet(d, x, y, 1));
            EXPECT_EQ(octet(d, x, y, 1), octet(d, x, y, 2));
            differents += octet(d, x, y, 0) != octet(d, 0, 0, 0);
        }
        EXPECT_EQ(d.DIBSectionBitsPtr()[y * 124 + 123], 0);
    }
    EXPECT_GT(differents, 0);
    d.RandomiseBits(false);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 41; ++x)
            EXPECT_EQ(octet(d, x, y, 0), 0);
}

TEST(cDIBSection, ClipboardCopy) {
    cDIBSection d;
    d.CreateFromPicture(damier(7, 3));
    EXPECT_TRUE(d.CopyToClipboard());
    const QImage lu = QGuiApplication::clipboard()->image();
    EXPECT_EQ(lu.size(), QSize(7, 3));
    EXPECT_EQ(lu.convertToFormat(QImage::Format_RGB32), d.versImage().convertToFormat(QImage::Format_RGB32));

    ServiceDialogueScripte dialogues;
    dialogues.attendreMessage("I don't know how to put a DIB on the clipboard! Copy as bitmap instead!!!");
    EXPECT_FALSE(d.CopyToClipboard(true));

    cDIBSection vide;
    EXPECT_FALSE(vide.CopyToClipboard());
}
