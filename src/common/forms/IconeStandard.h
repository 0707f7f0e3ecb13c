#pragma once

#include <QIcon>
#include <QPixmap>
#include <QStyle>

class QWidget;

// A PNG picture, read as the PNG it is. Qt's reader, left to guess, first asks every image-format plugin
// whether it reads "png" (none does: Qt reads it itself), which loads all of them and the twenty-odd
// libraries they bring (TIFF, WebP, MNG, SVG, ...). A null pixmap when the file is missing or no PNG.
QPixmap lirePng(const QString& chemin);

// The style's icon `icone` of `widget`, as QStyle::standardIcon gives it. The navigation and arrow icons,
// which the style reads from Qt's own PNG files (after the desktop's icon theme, when there is one), are
// read here through lirePng, the same pictures at the same sizes; any other icon is the style's.
QIcon iconeStandard(const QWidget* widget, QStyle::StandardPixmap icone);
