#pragma once

class QLabel;

// Turns the picture shown in the picture control a quarter turn anticlockwise, swaps the control's width
// and height, and leaves the turned picture on the clipboard as well. A control without a picture is
// left alone.
void RotationImage(QLabel* Picture);
