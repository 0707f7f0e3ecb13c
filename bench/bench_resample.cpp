// Times cDIBSection::Resample against QImage::scaled (smooth, Format_RGB32) on the same pictures, and
// checks that the bytes are those of the plain one-pixel-at-a-time computation.
#include "OutilsBench.h"
#include "imaging/cDIBSection.h"

#include <QElapsedTimer>
#include <QGuiApplication>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

namespace {

void remplir(cDIBSection& dib, quint32 graine) {
    std::mt19937 g(graine);
    for (qint32 y = 0; y < dib.Height(); ++y) {
        uchar* r = dib.DIBSectionBitsPtr() + qsizetype(y) * dib.BytesPerScanLine();
        for (qint32 x = 0; x < dib.Width() * 3; ++x)
            r[x] = uchar((x * 7 + y * 3 + (g() & 31)) & 0xFF);
    }
}

// The formulas as written, one destination pixel at a time.
std::vector<uchar> reference(const cDIBSection& s, qint32 dw, qint32 dh) {
    const qint32 sw = s.Width(), sh = s.Height(), sl = s.BytesPerScanLine();
    const qint32 dl = ((dw * 3) + 3) & ~3;
    std::vector<uchar> d(size_t(dl) * dh, 0);
    const float xs = float(double(sw - 1) / dw), ys = float(double(sh - 1) / dh);
    const uchar* b = s.DIBSectionBitsPtr();
    for (qint32 y = 0; y < dh; ++y) {
        const float sy = ys * float(y);
        const qint32 yl = qint32(std::floor(sy));
        const float dy = sy - float(yl);
        for (qint32 x = 0; x < dw; ++x) {
            const float sx = xs * float(x);
            const qint32 xl = qint32(std::floor(sx));
            const float dx = sx - float(xl);
            for (int k = 0; k < 3; ++k) {
                auto px = [&](qint32 cx, qint32 cy) { return float(b[qsizetype(cy) * sl + 3 * cx + k]); };
                const float v0 = float(std::lrintf((1 - dy) * px(xl, yl) + dy * px(xl, yl + 1)));
                const float v1 = float(std::lrintf((1 - dy) * px(xl + 1, yl) + dy * px(xl + 1, yl + 1)));
                const long c = std::lrintf((1 - dx) * v0 + dx * v1);
                d[size_t(y) * dl + 3 * x + k] = uchar(std::clamp(c, 0L, 255L));
            }
        }
    }
    return d;
}

void mesurer(qint32 sw, qint32 sh, qint32 dw, qint32 dh, int fois) {
    cDIBSection source;
    source.Create(sw, sh);
    remplir(source, quint32(sw * 31 + sh));
    const QImage image = source.versImage().convertToFormat(QImage::Format_RGB32);

    std::unique_ptr<cDIBSection> resultat;
    const double nous = medianeMs(fois, [&] { resultat = source.Resample(dh, dw); });
    QImage echelle;
    const double qt = medianeMs(
        fois, [&] { echelle = image.scaled(dw, dh, Qt::IgnoreAspectRatio, Qt::SmoothTransformation); });
    const std::vector<uchar> attendu = reference(source, dw, dh);
    const bool exact =
        resultat && std::memcmp(attendu.data(), resultat->DIBSectionBitsPtr(), attendu.size()) == 0;
    std::printf(
        "Resample %dx%d -> %dx%d: %.2f ms   QImage::scaled smooth RGB32: %.2f ms   ratio %.2f   bytes %s\n",
        sw, sh, dw, dh, nous, qt, nous / qt, exact ? "exact" : "DIFFERENT");
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    mesurer(4000, 3000, 190, 142, 21);
    mesurer(400, 300, 1600, 1200, 21);
    return 0;
}
