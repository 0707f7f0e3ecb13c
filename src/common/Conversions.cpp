#include "common/Conversions.h"

#include <QGuiApplication>
#include <QPalette>
#include <cmath>

namespace Conversions {

int twipsEnPixels(double twips) {
    return static_cast<int>(std::lround(twips / TwipsParPixel));
}

double pixelsEnTwips(int pixels) {
    return static_cast<double>(pixels) * TwipsParPixel;
}

namespace {

QColor couleurSysteme(quint32 index) {
    const QPalette p = QGuiApplication::instance() ? QGuiApplication::palette() : QPalette();
    switch (index) {
    case 0x04:
        return p.color(QPalette::Window); // menu
    case 0x05:
        return p.color(QPalette::Base); // window background
    case 0x07:
        return p.color(QPalette::WindowText); // menu text
    case 0x08:
        return p.color(QPalette::Text); // window text
    case 0x0D:
        return p.color(QPalette::Highlight);
    case 0x0E:
        return p.color(QPalette::HighlightedText);
    case 0x0F:
        return p.color(QPalette::Button); // button face
    case 0x10:
        return p.color(QPalette::Mid); // button shadow
    case 0x11:
        return p.color(QPalette::Disabled, QPalette::Text);
    case 0x12:
        return p.color(QPalette::ButtonText);
    case 0x14:
        return p.color(QPalette::Light);
    case 0x15:
        return p.color(QPalette::Dark);
    case 0x16:
        return p.color(QPalette::Midlight);
    case 0x17:
        return p.color(QPalette::ToolTipText);
    case 0x18:
        return p.color(QPalette::ToolTipBase);
    default:
        return p.color(QPalette::Window);
    }
}

} // namespace

QColor couleurVB(quint32 bgr) {
    if (bgr & 0x80000000u)
        return couleurSysteme(bgr & 0xFFu);
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

QColor couleurVB(const QString& texte) {
    QString t = texte.trimmed();
    bool ok = false;
    quint32 v = 0;
    if (t.startsWith(QLatin1String("&H"), Qt::CaseInsensitive)) {
        t = t.mid(2);
        if (t.endsWith(QLatin1Char('&')))
            t.chop(1);
        v = t.toUInt(&ok, 16);
    } else {
        v = t.toUInt(&ok, 10);
    }
    return ok ? couleurVB(v) : QColor(Qt::black);
}

quint32 couleurEnVB(const QColor& couleur) {
    const QColor c = couleur.toRgb();
    return static_cast<quint32>(c.red()) | (static_cast<quint32>(c.green()) << 8) |
           (static_cast<quint32>(c.blue()) << 16);
}

} // namespace Conversions
