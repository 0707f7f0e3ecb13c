#include "imaging/RotationQuart.h"

QImage tournerQuartAntihoraire(const QImage& source) {
    if (source.isNull())
        return QImage();
    const QImage src = source.convertToFormat(QImage::Format_RGB32);
    const int w = src.width(), h = src.height();
    QImage tournee(h, w, QImage::Format_RGB32);
    if (tournee.isNull())
        return tournee;
    for (int y = 0; y < h; ++y) {
        const QRgb* s = reinterpret_cast<const QRgb*>(src.constScanLine(y));
        for (int x = 0; x < w; ++x)
            reinterpret_cast<QRgb*>(tournee.scanLine(w - 1 - x))[y] = s[x];
    }
    return tournee;
}
