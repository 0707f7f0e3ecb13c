#pragma once

#include <QImage>

// A quarter turn anticlockwise, pixel for pixel: the old top edge becomes the left edge, so the old
// top-right pixel ends at the top left. The result is width and height swapped, in Format_RGB32.
QImage tournerQuartAntihoraire(const QImage& source);
