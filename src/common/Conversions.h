#pragma once

#include <QColor>
#include <QString>

// Geometry and colours as the forms' designs give them: twips (15 to a pixel) and colours written
// &HBBGGRR (blue, green, red), including the system colours &H800000nn.
namespace Conversions {

constexpr int TwipsParPixel = 15;

int twipsEnPixels(double twips);
double pixelsEnTwips(int pixels);

// &HBBGGRR to a colour; a system colour (&H800000nn) takes the application palette's colour.
QColor couleurVB(quint32 bgr);
// A text written "&H00C0C0C0&", "&HC0C0C0" or decimal; an unreadable text gives black.
QColor couleurVB(const QString& texte);
// A colour back to &HBBGGRR.
quint32 couleurEnVB(const QColor& couleur);

} // namespace Conversions
