#include "imaging/forms/RotationImage.h"

#include "imaging/RotationQuart.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>

void RotationImage(QLabel* Picture) {
    if (!Picture)
        return;
    const QPixmap avant = Picture->pixmap();
    if (avant.isNull())
        return;
    const QImage tournee = tournerQuartAntihoraire(avant.toImage());
    if (tournee.isNull())
        return;
    Picture->resize(Picture->height(), Picture->width());
    Picture->clear();
    if (QClipboard* presse = QGuiApplication::clipboard())
        presse->setImage(tournee);
    Picture->setPixmap(QPixmap::fromImage(tournee));
}
