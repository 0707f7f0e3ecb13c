#include "imaging/cDIBSection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

namespace {

// The resampling formulas written out one pixel at a time, in memory rows. A source of one column or
// one row reads its last pixel again instead of the one past it.
std::vector<uchar> reference(const cDIBSection& s, qint32 dw, qint32 dh) {
    const qint32 sw = s.Width(), sh = s.Height(), sl = s.BytesPerScanLine();
    const qint32 dl = cDIBSection::octetsParLigne(dw);
    std::vector<uchar> d(size_t(dl) * dh, 0);
    const float xs = float(double(sw - 1) / dw), ys = float(double(sh - 1) / dh);
    const uchar* b = s.DIBSectionBitsPtr();
    auto px = [&](qint32 x, qint32 y, int k) {
        return float(b[qsizetype(std::min(y, sh - 1)) * sl + 3 * std::min(x, sw - 1) + k]);
    };
    for (qint32 y = 0; y < dh; ++y) {
        const float sy = ys * float(y);
        const qint32 yl = qint32(std::floor(sy));
        const float dy = sy - float(yl);
        for (qint32 x = 0; x < dw; ++x) {
            const float sx = xs * float(x);
            const qint32 xl = qint32(std::floor(sx));
            const float dx = sx - float(xl);
            for (int k = 0; k < 3; ++k) {
                const float v0 = float(std::lrintf((1 - dy) * px(xl, yl, k) + dy * px(xl, yl + 1, k)));
                const float v1 =
                    float(std::lrintf((1 - dy) * px(xl + 1, yl, k) + dy * px(xl + 1, yl + 1, k)));
                d[size_t(y) * dl + 3 * x + k] =
                    uchar(std::clamp(std::lrintf((1 - dx) * v0 + dx * v1), 0L, 255L));
            }
        }
    }
    return d;
}

void remplirAuHasard(cDIBSection& d, quint32 graine) {
    std::mt19937 g(graine);
    for (qint32 y = 0; y < d.Height(); ++y) {
        uchar* r = d.DIBSectionBitsPtr() + qsizetype(y) * d.BytesPerScanLine();
        for (qint32 i = 0; i < d.Width() * 3; ++i)
            r[i] = uchar(g());
    }
}

std::vector<uchar> octets(const cDIBSection& d) {
    return std::vector<uchar>(d.DIBSectionBitsPtr(), d.DIBSectionBitsPtr() + d.InfoBitmap().biSizeImage);
}

} // namespace

TEST(Resample, SameSizeIsAnIdenticalCopy) {
    cDIBSection s;
    ASSERT_TRUE(s.Create(37, 11));
    remplirAuHasard(s, 1);
    const auto c = s.Resample(11, 37);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(octets(*c), octets(s));
    EXPECT_NE(c->DIBSectionBitsPtr(), s.DIBSectionBitsPtr());
}

TEST(Resample, ArgumentsAreHeightThenWidthAndSourceIsUnchanged) {
    cDIBSection s;
    ASSERT_TRUE(s.Create(400, 300));
    remplirAuHasard(s, 2);
    const auto avant = octets(s);
    const auto r = s.Resample(142, 190);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->Width(), 190);
    EXPECT_EQ(r->Height(), 142);
    EXPECT_EQ(octets(s), avant);
    // The first column and row take source pixel (0, 0) exactly.
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(r->DIBSectionBitsPtr()[k], s.DIBSectionBitsPtr()[k]);
    // Scales 399/190 and 299/142: destination (1, 1) lies at source (2.1, 2.105...).
    EXPECT_EQ(octets(*r), reference(s, 190, 142));
}

TEST(Resample, MatchesTheFormulasByteForByte) {
    // Down, up, mixed, odd widths (fill bytes), thin sources, and sizes large enough to be split between
    // threads.
    struct Cas {
        qint32 sw, sh, dw, dh;
    };
    const Cas cas[] = {
        {400, 300, 190, 142},  {7, 5, 29, 13}, {29, 13, 7, 5}, {10, 40, 31, 3},
        {2, 2, 5, 5},          {3, 1, 9, 4},   {1, 6, 4, 3},   {640, 480, 1024, 768},
        {1601, 999, 333, 777}, {3, 3, 4, 4}}; // the last: scales of exactly 0.5, ties everywhere
    quint32 graine = 10;
    for (const Cas& c : cas) {
        cDIBSection s;
        ASSERT_TRUE(s.Create(c.sw, c.sh));
        remplirAuHasard(s, ++graine);
        const auto r = s.Resample(c.dh, c.dw);
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(octets(*r), reference(s, c.dw, c.dh))
            << c.sw << "x" << c.sh << " -> " << c.dw << "x" << c.dh;
    }
}

TEST(Resample, RoundingDoesNotFollowTheCallersMode) {
    cDIBSection s;
    ASSERT_TRUE(s.Create(50, 40));
    remplirAuHasard(s, 3);
    const auto attendu = reference(s, 123, 77);
    std::fesetround(FE_UPWARD);
    const auto r = s.Resample(77, 123);
    const int mode = std::fegetround();
    std::fesetround(FE_TONEAREST);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(mode, FE_UPWARD);
    EXPECT_EQ(octets(*r), attendu);
}

TEST(Resample, GreyStaysGreyAndFillBytesAreLeftAlone) {
    cDIBSection s;
    ASSERT_TRUE(s.Create(64, 48));
    std::mt19937 g(4);
    for (qint32 y = 0; y < 48; ++y)
        for (qint32 x = 0; x < 64; ++x)
            std::memset(s.DIBSectionBitsPtr() + y * s.BytesPerScanLine() + 3 * x, int(g() & 0xFF), 3);
    for (const auto& [w, h] : {std::pair{190, 142}, std::pair{21, 13}, std::pair{33, 97}}) {
        const auto r = s.Resample(h, w);
        ASSERT_NE(r, nullptr);
        const uchar* b = r->DIBSectionBitsPtr();
        for (qint32 y = 0; y < h; ++y) {
            const uchar* ligne = b + y * r->BytesPerScanLine();
            for (qint32 x = 0; x < w; ++x) {
                ASSERT_EQ(ligne[3 * x], ligne[3 * x + 1]);
                ASSERT_EQ(ligne[3 * x + 1], ligne[3 * x + 2]);
            }
            for (qint32 i = 3 * w; i < r->BytesPerScanLine(); ++i)
                ASSERT_EQ(ligne[i], 0) << "fill byte written";
        }
    }
    // White everywhere: no value spills into the fill bytes either.
    std::memset(s.DIBSectionBitsPtr(), 0xFF, s.InfoBitmap().biSizeImage);
    const auto r = s.Resample(5, 5);
    for (qint32 y = 0; y < 5; ++y) {
        EXPECT_EQ(r->DIBSectionBitsPtr()[y * 16 + 14], 0xFF);
        EXPECT_EQ(r->DIBSectionBitsPtr()[y * 16 + 15], 0);
    }
}

TEST(Resample, OnePixelSourceGivesAFlatColour) {
    cDIBSection s;
    ASSERT_TRUE(s.Create(1, 1));
    s.DIBSectionBitsPtr()[0] = 10;
    s.DIBSectionBitsPtr()[1] = 20;
    s.DIBSectionBitsPtr()[2] = 30;
    const auto r = s.Resample(3, 4);
    ASSERT_NE(r, nullptr);
    for (qint32 y = 0; y < 3; ++y)
        for (qint32 x = 0; x < 4; ++x) {
            const uchar* p = r->DIBSectionBitsPtr() + y * r->BytesPerScanLine() + 3 * x;
            EXPECT_EQ(p[0], 10);
            EXPECT_EQ(p[1], 20);
            EXPECT_EQ(p[2], 30);
        }
}

TEST(Resample, ImpossibleTargetsGiveNothing) {
    cDIBSection vide;
    EXPECT_EQ(vide.Resample(10, 10), nullptr);
    cDIBSection s;
    ASSERT_TRUE(s.Create(4, 4));
    EXPECT_EQ(s.Resample(0, 10), nullptr);
    EXPECT_EQ(s.Resample(10, -1), nullptr);
    EXPECT_EQ(s.Resample(100000, 100000), nullptr);
}
