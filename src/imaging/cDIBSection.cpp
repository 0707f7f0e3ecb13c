#include "imaging/cDIBSection.h"

#include "common/ErreurExecution.h"
#include "common/ServiceDialogue.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPainter>
#include <QTime>

#include <algorithm>
#include <atomic>
#include <cfenv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <system_error>
#include <thread>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Handles only need to be distinct and non-zero: nothing outside this class dereferences them.
quintptr nouveauHandle() {
    static std::atomic<quintptr> compteur{0x1000};
    return ++compteur;
}

// Three-operand raster operation with the default white brush: only the half of the truth table where
// the pattern bit is 1 matters.
inline quint8 rop3(quint8 table, quint8 s, quint8 d) {
    quint8 r = 0;
    if (table & 0x10)
        r |= quint8(~s & ~d);
    if (table & 0x20)
        r |= quint8(~s & d);
    if (table & 0x40)
        r |= quint8(s & ~d);
    if (table & 0x80)
        r |= quint8(s & d);
    return r;
}

#if defined(__SSE2__)
// The blue, green and red bytes at p as the first three floats; p + 4 may be read only when it lies in
// the bitmap.
inline __m128 pixelEnFlottants(const uchar* p, bool quatreOctetsLisibles) {
    qint32 mot;
    if (quatreOctetsLisibles)
        std::memcpy(&mot, p, 4);
    else
        mot = qint32(p[0]) | (qint32(p[1]) << 8) | (qint32(p[2]) << 16);
    const __m128i z = _mm_setzero_si128();
    const __m128i o = _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(mot), z), z);
    return _mm_cvtepi32_ps(o);
}
#endif

inline quint8 tableRop(quint32 eRop) {
    return quint8((eRop >> 16) & 0xFF);
}

// The part of a blit of w x h from (sl, st) of a source sw x sh to (dl, dt) of a target tw x th that
// lies inside both; false when nothing does.
struct Zone {
    qint32 sl, st, dl, dt, w, h;
};
bool rogner(Zone& z, qint32 sw, qint32 sh, qint32 tw, qint32 th) {
    auto ajuster = [](qint32& s, qint32& d, qint32& n, qint32 tailleS, qint32 tailleD) {
        qint64 debut = std::max<qint64>({0, -qint64(s), -qint64(d)});
        qint64 fin = std::min<qint64>({qint64(n), qint64(tailleS) - s, qint64(tailleD) - d});
        if (fin <= debut)
            return false;
        s = qint32(s + debut);
        d = qint32(d + debut);
        n = qint32(fin - debut);
        return true;
    };
    return ajuster(z.sl, z.dl, z.w, sw, tw) && ajuster(z.st, z.dt, z.h, sh, th);
}

// Runs f over the rows [0, lignes) in contiguous shares, one thread per share; small jobs stay on the
// calling thread. When no thread can be had, that share runs here.
void repartir(qint32 lignes, qint64 travail, const std::function<void(qint32, qint32)>& f) {
    const unsigned coeurs = std::max(1u, std::thread::hardware_concurrency());
    const qint32 parts = qint32(std::min<qint64>({qint64(coeurs), travail / 500000 + 1, qint64(lignes)}));
    if (parts <= 1) {
        f(0, lignes);
        return;
    }
    std::vector<std::thread> fils;
    fils.reserve(size_t(parts - 1));
    for (qint32 p = 1; p < parts; ++p) {
        const qint32 debut = qint32(qint64(lignes) * p / parts),
                     fin = qint32(qint64(lignes) * (p + 1) / parts);
        try {
            fils.emplace_back(f, debut, fin);
        } catch (const std::system_error&) {
            f(debut, fin);
        }
    }
    f(0, qint32(qint64(lignes) / parts));
    for (auto& t : fils)
        t.join();
}

} // namespace

cDIBSection::~cDIBSection() {
    ClearUp();
}

qint32 cDIBSection::octetsParLigne(qint32 largeur) {
    const qint64 octets = qint64(largeur) * 3 + 3;
    if (octets > std::numeric_limits<qint32>::max() || octets < std::numeric_limits<qint32>::min())
        throw ErreurExecution(ErreurExecution::Overflow, QStringLiteral("Overflow"));
    return qint32(octets) & ~3;
}

qint32 cDIBSection::BytesPerScanLine() const {
    return ((m_info.biWidth * 3) + 3) & ~3;
}

void cDIBSection::liberer() {
    std::free(m_bits);
    m_bits = nullptr;
    m_info = EnTeteBitmap();
}

bool cDIBSection::CreateDIB(quintptr lHDC, qint32 lWidth, qint32 lHeight, quintptr& hDibOut) {
    Q_UNUSED(lHDC);
    hDibOut = 0;
    if (lWidth <= 0 || lHeight <= 0)
        return false;
    qint64 taille = 0;
    try {
        taille = qint64(octetsParLigne(lWidth)) * lHeight;
    } catch (const ErreurExecution&) {
        return false;
    }
    if (taille > std::numeric_limits<qint32>::max())
        return false;
    // calloc: a fresh bitmap is black, and large pages are not touched until drawn on.
    void* bits = std::calloc(size_t(taille), 1);
    if (!bits)
        return false;
    liberer();
    m_hDib = 0;
    m_bits = static_cast<uchar*>(bits);
    m_info.biWidth = lWidth;
    m_info.biHeight = lHeight;
    m_info.biSizeImage = quint32(taille);
    hDibOut = nouveauHandle();
    return true;
}

bool cDIBSection::Create(qint32 lWidth, qint32 lHeight) {
    ClearUp();
    m_hdc = nouveauHandle();
    quintptr dib = 0;
    if (CreateDIB(m_hdc, lWidth, lHeight, dib)) {
        m_hDib = dib;
        return true;
    }
    m_hdc = 0;
    return false;
}

void cDIBSection::ClearUp() {
    liberer();
    m_hdc = 0;
    m_hDib = 0;
}

void cDIBSection::CreateFromPicture(const QImage& picture) {
    if (picture.isNull())
        return;
    if (Create(picture.width(), picture.height()))
        LoadPictureBlt(picture, 0, 0, picture.width(), picture.height(), OperationRaster::SRCCOPY);
}

void cDIBSection::LoadPictureBlt(const QImage& source, qint32 lSrcLeft, qint32 lSrcTop, qint32 lSrcWidth,
                                 qint32 lSrcHeight, quint32 eRop) {
    if (!m_bits || source.isNull())
        return;
    Zone z{
        lSrcLeft, lSrcTop, 0, 0, lSrcWidth < 0 ? Width() : lSrcWidth, lSrcHeight < 0 ? Height() : lSrcHeight};
    if (!rogner(z, source.width(), source.height(), Width(), Height()))
        return;
    const QImage src = (source.format() == QImage::Format_RGB32 || source.format() == QImage::Format_ARGB32)
                           ? source
                           : source.convertToFormat(QImage::Format_RGB32);
    const quint8 table = tableRop(eRop);
    const bool copie = eRop == OperationRaster::SRCCOPY;
    for (qint32 y = 0; y < z.h; ++y) {
        const QRgb* s = reinterpret_cast<const QRgb*>(src.constScanLine(z.st + y)) + z.sl;
        uchar* d = ligne(Height() - 1 - (z.dt + y)) + 3 * z.dl;
        for (qint32 x = 0; x < z.w; ++x, d += 3) {
            const QRgb p = s[x];
            if (copie) {
                d[0] = quint8(qBlue(p));
                d[1] = quint8(qGreen(p));
                d[2] = quint8(qRed(p));
            } else {
                d[0] = rop3(table, quint8(qBlue(p)), d[0]);
                d[1] = rop3(table, quint8(qGreen(p)), d[1]);
                d[2] = rop3(table, quint8(qRed(p)), d[2]);
            }
        }
    }
}

void cDIBSection::LoadPictureBlt(const cDIBSection& source, qint32 lSrcLeft, qint32 lSrcTop, qint32 lSrcWidth,
                                 qint32 lSrcHeight, quint32 eRop) {
    if (!m_bits || !source.m_bits)
        return;
    Zone z{
        lSrcLeft, lSrcTop, 0, 0, lSrcWidth < 0 ? Width() : lSrcWidth, lSrcHeight < 0 ? Height() : lSrcHeight};
    if (!rogner(z, source.Width(), source.Height(), Width(), Height()))
        return;
    const quint8 table = tableRop(eRop);
    for (qint32 y = 0; y < z.h; ++y) {
        const uchar* s = source.ligne(source.Height() - 1 - (z.st + y)) + 3 * z.sl;
        uchar* d = ligne(Height() - 1 - (z.dt + y)) + 3 * z.dl;
        if (eRop == OperationRaster::SRCCOPY) {
            std::memmove(d, s, size_t(z.w) * 3);
        } else {
            for (qint32 i = 0; i < z.w * 3; ++i)
                d[i] = rop3(table, s[i], d[i]);
        }
    }
}

void cDIBSection::PaintPicture(QImage& target, qint32 lLeft, qint32 lTop, qint32 lWidth, qint32 lHeight,
                               qint32 lSrcLeft, qint32 lSrcTop, quint32 eRop) const {
    if (!m_bits || target.isNull())
        return;
    Zone z{lSrcLeft, lSrcTop, lLeft, lTop, lWidth < 0 ? Width() : lWidth, lHeight < 0 ? Height() : lHeight};
    if (!rogner(z, Width(), Height(), target.width(), target.height()))
        return;
    if (target.format() != QImage::Format_RGB32 && target.format() != QImage::Format_ARGB32 &&
        target.format() != QImage::Format_ARGB32_Premultiplied)
        target.convertTo(QImage::Format_RGB32);
    const quint8 table = tableRop(eRop);
    for (qint32 y = 0; y < z.h; ++y) {
        const uchar* s = ligne(Height() - 1 - (z.st + y)) + 3 * z.sl;
        QRgb* d = reinterpret_cast<QRgb*>(target.scanLine(z.dt + y)) + z.dl;
        for (qint32 x = 0; x < z.w; ++x, s += 3) {
            const QRgb ancien = d[x];
            d[x] = qRgb(rop3(table, s[2], quint8(qRed(ancien))), rop3(table, s[1], quint8(qGreen(ancien))),
                        rop3(table, s[0], quint8(qBlue(ancien))));
        }
    }
}

bool cDIBSection::PaintPicture(QPainter& target, qint32 lLeft, qint32 lTop, qint32 lWidth, qint32 lHeight,
                               qint32 lSrcLeft, qint32 lSrcTop, quint32 eRop) const {
    QPainter::CompositionMode mode;
    switch (eRop) {
    case OperationRaster::SRCCOPY:
        mode = QPainter::CompositionMode_Source;
        break;
    case OperationRaster::SRCPAINT:
        mode = QPainter::RasterOp_SourceOrDestination;
        break;
    case OperationRaster::SRCAND:
        mode = QPainter::RasterOp_SourceAndDestination;
        break;
    case OperationRaster::SRCINVERT:
        mode = QPainter::RasterOp_SourceXorDestination;
        break;
    case OperationRaster::NOTSRCCOPY:
        mode = QPainter::RasterOp_NotSource;
        break;
    default:
        return false;
    }
    if (!m_bits || !target.isActive())
        return false;
    Zone z{lSrcLeft, lSrcTop, lLeft, lTop, lWidth < 0 ? Width() : lWidth, lHeight < 0 ? Height() : lHeight};
    // The painter's device bounds clip the target side; only the source side is clipped here.
    if (!rogner(z, Width(), Height(), std::numeric_limits<qint32>::max() / 2,
                std::numeric_limits<qint32>::max() / 2))
        return true;
    const QImage morceau = versImage().copy(z.sl, z.st, z.w, z.h);
    const QPainter::CompositionMode avant = target.compositionMode();
    target.setCompositionMode(mode);
    target.drawImage(QPoint(z.dl, z.dt), morceau);
    target.setCompositionMode(avant);
    return true;
}

QImage cDIBSection::versImage() const {
    if (!m_bits)
        return QImage();
    QImage image(Width(), Height(), QImage::Format_RGB888);
    if (image.isNull())
        return image;
    uchar* haut = image.bits();
    const qsizetype pas = image.bytesPerLine();
    repartir(Height(), qint64(Width()) * Height() / 2, [&](qint32 debut, qint32 fin) {
        for (qint32 y = debut; y < fin; ++y) {
            const uchar* s = ligne(Height() - 1 - y);
            uchar* d = haut + y * pas;
            // Four pixels (three 32-bit words) at a time: blue and red change places.
            qint32 x = 0;
            for (; x + 4 <= Width(); x += 4, s += 12, d += 12) {
                quint32 w[3];
                std::memcpy(w, s, 12);
                const quint32 o[3] = {((w[0] >> 16) & 0xFFu) | (w[0] & 0xFF00u) | ((w[0] & 0xFFu) << 16) |
                                          (((w[1] >> 8) & 0xFFu) << 24),
                                      (w[1] & 0xFFu) | ((w[0] >> 24) << 8) | ((w[2] & 0xFFu) << 16) |
                                          (w[1] & 0xFF000000u),
                                      ((w[1] >> 16) & 0xFFu) | ((w[2] >> 24) << 8) | (w[2] & 0xFF0000u) |
                                          (((w[2] >> 8) & 0xFFu) << 24)};
                std::memcpy(d, o, 12);
            }
            for (; x < Width(); ++x, s += 3, d += 3) {
                d[0] = s[2];
                d[1] = s[1];
                d[2] = s[0];
            }
        }
    });
    return image;
}

bool cDIBSection::CopyToClipboard(bool AsDIB) {
    if (AsDIB) {
        MsgBox(QStringLiteral("I don't know how to put a DIB on the clipboard! Copy as bitmap instead!!!"));
        return false;
    }
    if (!m_bits || !qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return false;
    QClipboard* presse = QGuiApplication::clipboard();
    if (!presse)
        return false;
    const QImage image = versImage();
    if (image.isNull())
        return false;
    presse->setImage(image);
    return presse->image().size() == image.size();
}

void cDIBSection::RandomiseBits(bool bGray) {
    if (!m_bits)
        return;
    std::mt19937 generateur(quint32(QTime::currentTime().msecsSinceStartOfDay()));
    std::uniform_real_distribution<float> fraction(0.0f, 1.0f);
    auto valeur = [&] { return quint8(std::lrintf(fraction(generateur) * 255.0f)); };
    for (qint32 y = 0; y < Height(); ++y) {
        uchar* d = ligne(y);
        for (qint32 x = 0; x < Width(); ++x, d += 3) {
            if (bGray) {
                d[0] = d[1] = d[2] = valeur();
            } else {
                d[0] = 0;
                d[1] = valeur();
                d[2] = valeur();
            }
        }
    }
}

std::unique_ptr<cDIBSection> cDIBSection::Resample(qint32 lNewHeight, qint32 lNewWidth) const {
    if (!m_bits)
        return nullptr;
    auto cDib = std::make_unique<cDIBSection>();
    if (!cDib->Create(lNewWidth, lNewHeight))
        return nullptr;
    if (lNewWidth == Width() && lNewHeight == Height())
        cDib->LoadPictureBlt(*this);
    else
        ResampleDib(*cDib);
    return cDib;
}

// Bilinear resampling in memory rows, with the scales (size - 1) / new size in single precision and every
// intermediate rounded half to even. Each needed source column is interpolated vertically once per
// destination row, then the destination row is interpolated horizontally from those values; the rows
// are shared out between threads, each writing its own rows only.
void cDIBSection::ResampleDib(cDIBSection& cDibTo) const {
    const qint32 sw = Width(), sh = Height();
    const qint32 dw = cDibTo.Width(), dh = cDibTo.Height();
    const float xScale = float(double(sw - 1) / double(dw));
    const float yScale = float(double(sh - 1) / double(dh));

    // Per destination column: the two source columns (the right one is the last column when the source
    // is only one pixel wide) and the two weights.
    std::vector<qint32> xLow(static_cast<size_t>(dw)), xHigh(static_cast<size_t>(dw));
    std::vector<float> wLow(static_cast<size_t>(dw)), wHigh(static_cast<size_t>(dw));
    std::vector<char> utile(size_t(sw), 0);
    for (qint32 x = 0; x < dw; ++x) {
        const float sx = xScale * float(x);
        const qint32 xl = std::clamp(qint32(std::floor(sx)), 0, sw - 1);
        const float dx = sx - float(xl);
        xLow[size_t(x)] = xl;
        xHigh[size_t(x)] = std::min(xl + 1, sw - 1);
        wLow[size_t(x)] = 1.0f - dx;
        wHigh[size_t(x)] = dx;
        utile[size_t(xl)] = 1;
        utile[size_t(xHigh[size_t(x)])] = 1;
    }
    std::vector<qint32> colonnes;
    for (qint32 c = 0; c < sw; ++c)
        if (utile[size_t(c)])
            colonnes.push_back(c);
    const uchar* finSource = m_bits + m_info.biSizeImage;

    // Vertical values are kept four floats per source column (blue, green, red, unused) so that one
    // pixel is one SSE register. The SSE operations are the same single-precision products and sums, and
    // their conversion rounds half to even like lrintf; the saturating packs are the clamp to 0..255.
    auto traiter = [&](qint32 yDebut, qint32 yFin) {
        const int arrondiAvant = std::fegetround();
        if (arrondiAvant != FE_TONEAREST)
            std::fesetround(FE_TONEAREST);
        std::vector<float> v(size_t(sw) * 4, 0.0f);
        for (qint32 y = yDebut; y < yFin; ++y) {
            const float sy = yScale * float(y);
            const qint32 yl = std::clamp(qint32(std::floor(sy)), 0, sh - 1);
            const float dy = sy - float(yl);
            const float uy = 1.0f - dy;
            const uchar* r0 = ligne(yl);
            const uchar* r1 = ligne(std::min(yl + 1, sh - 1));
            uchar* d = cDibTo.ligne(y);
#if defined(__SSE2__)
            const __m128 uyv = _mm_set1_ps(uy), dyv = _mm_set1_ps(dy);
            float* vc = v.data();
            for (const qint32 c : colonnes) {
                const uchar* p0 = r0 + 3 * c;
                const uchar* p1 = r1 + 3 * c;
                const __m128 a = pixelEnFlottants(p0, p0 + 4 <= finSource);
                const __m128 b = pixelEnFlottants(p1, p1 + 4 <= finSource);
                const __m128 m = _mm_add_ps(_mm_mul_ps(uyv, a), _mm_mul_ps(dyv, b));
                _mm_storeu_ps(vc + 4 * c, _mm_cvtepi32_ps(_mm_cvtps_epi32(m)));
            }
            // Plain pointers: stores through uchar* would otherwise make the compiler reload the
            // vectors' data pointers at every pixel.
            const float* vv = v.data();
            const qint32* xl = xLow.data();
            const qint32* xh = xHigh.data();
            const float* wl = wLow.data();
            const float* wh = wHigh.data();
            for (qint32 x = 0; x < dw; ++x, d += 3) {
                const __m128 a = _mm_loadu_ps(vv + 4 * xl[x]);
                const __m128 b = _mm_loadu_ps(vv + 4 * xh[x]);
                const __m128 m =
                    _mm_add_ps(_mm_mul_ps(_mm_set1_ps(wl[x]), a), _mm_mul_ps(_mm_set1_ps(wh[x]), b));
                const __m128i e = _mm_cvtps_epi32(m);
                const __m128i o = _mm_packus_epi16(_mm_packs_epi32(e, e), _mm_setzero_si128());
                const qint32 mot = _mm_cvtsi128_si32(o);
                // The fourth byte is the next pixel's blue, written over at once; never on the last pixel,
                // so the row's fill bytes stay as they are.
                if (x + 1 < dw)
                    std::memcpy(d, &mot, 4);
                else
                    std::memcpy(d, &mot, 3);
            }
#else
            for (const qint32 c : colonnes)
                for (int k = 0; k < 3; ++k)
                    v[size_t(4 * c + k)] =
                        float(std::lrintf(uy * float(r0[3 * c + k]) + dy * float(r1[3 * c + k])));
            for (qint32 x = 0; x < dw; ++x, d += 3) {
                const float* a = v.data() + 4 * xLow[size_t(x)];
                const float* b = v.data() + 4 * xHigh[size_t(x)];
                const float wl = wLow[size_t(x)], wh = wHigh[size_t(x)];
                for (int k = 0; k < 3; ++k)
                    d[k] = quint8(std::clamp(std::lrintf(wl * a[k] + wh * b[k]), 0L, 255L));
            }
#endif
        }
        if (arrondiAvant != FE_TONEAREST)
            std::fesetround(arrondiAvant);
    };

    repartir(dh, qint64(dw) * dh + qint64(colonnes.size()) * dh, traiter);
}
