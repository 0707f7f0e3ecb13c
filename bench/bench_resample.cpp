// Times cDIBSection::Resample (bilinear, four source pixels per destination pixel, 24-bit) against Qt's
// own bilinear sampling of the same 24-bit picture (QPainter with SmoothPixmapTransform), and shows
// QImage::scaled (smooth, Format_RGB32) beside; checks that our bytes are those of the plain
// one-pixel-at-a-time computation.
#include "OutilsBench.h"
#include "imaging/cDIBSection.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPainter>
#include <QThread>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

namespace {

const char* const Usage =
    "Usage: bench_resample [--help]\n"
    "\n"
    "Times cDIBSection::Resample against a baseline doing the same work: Qt's bilinear sampling (four\n"
    "source pixels per destination pixel) of the same picture, 24-bit to 24-bit (QPainter::drawImage with\n"
    "SmoothPixmapTransform on Format_RGB888). QImage::scaled with Qt::SmoothTransformation on RGB32 is\n"
    "shown beside: it averages every source pixel under a destination pixel when it shrinks, which is\n"
    "more work than bilinear sampling. Each side allocates its result inside the timer and frees it\n"
    "outside; both may use several threads. Median of 21 runs; a 4000x3000 picture shrunk to 190x142 and a\n"
    "400x300 one enlarged to 1600x1200. \"bytes exact\": ours are those of the formulas computed one\n"
    "pixel at a time.\n";

// The median time of `fois` calls of f; what f returns is freed after the timer has stopped.
template <typename F> double medianeHorsLiberation(int fois, F&& f) {
    std::vector<double> t;
    for (int i = 0; i < fois; ++i) {
        QElapsedTimer chrono;
        chrono.start();
        const auto resultat = f();
        t.push_back(chrono.nsecsElapsed() / 1e6);
    }
    return mediane(std::move(t));
}

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
    const QImage image24 = source.versImage(); // Format_RGB888
    const QImage image32 = image24.convertToFormat(QImage::Format_RGB32);

    const double nous = medianeHorsLiberation(fois, [&] { return source.Resample(dh, dw); });
    auto bilineaireQt = [&] {
        QImage d(dw, dh, QImage::Format_RGB888);
        QPainter p(&d);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(QRectF(0, 0, dw, dh), image24, QRectF(0, 0, sw, sh));
        p.end();
        return d;
    };
    const double bilineaire = medianeHorsLiberation(fois, bilineaireQt);
    const double lisse = medianeHorsLiberation(
        fois, [&] { return image32.scaled(dw, dh, Qt::IgnoreAspectRatio, Qt::SmoothTransformation); });

    const std::unique_ptr<cDIBSection> resultat = source.Resample(dh, dw);
    const std::vector<uchar> attendu = reference(source, dw, dh);
    const bool exact =
        resultat && std::memcmp(attendu.data(), resultat->DIBSectionBitsPtr(), attendu.size()) == 0;
    std::printf("%4dx%-4d -> %4dx%-4d | Resample %7.2f ms | Qt bilinear RGB888 %7.2f ms | ratio %5.2f | "
                "QImage::scaled smooth RGB32 %7.2f ms | bytes %s\n",
                sw, sh, dw, dh, nous, bilineaire, nous / bilineaire, lisse, exact ? "exact" : "DIFFERENT");
}

} // namespace

int main(int argc, char** argv) {
    if (aideDemandee(argc, argv, Usage))
        return 0;
    sansEcranParDefaut();
    QGuiApplication app(argc, argv);
    std::printf("threads available: %d\n", QThread::idealThreadCount());
    mesurer(4000, 3000, 190, 142, 21);
    mesurer(400, 300, 1600, 1200, 21);
    return 0;
}
