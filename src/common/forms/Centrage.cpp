#include "common/forms/Centrage.h"

#include "common/EtatGlobal.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace FonctionUtilitaires {

namespace {
int gauche(int interieure) {
    return static_cast<int>((Global().LargeurFenPrincipale - interieure) / 2);
}
int haut(int interieure) {
    return static_cast<int>((Global().HauteurFenPrincipale - interieure) / 2);
}
} // namespace

void CentrerForm(QWidget* frm) {
    if (!frm)
        return;
    // move() places the frame; the client area's size is what counts, as in the original.
    frm->move(gauche(frm->width()), haut(frm->height()));
}

void CentrerFormEnHaut(QWidget* frm) {
    if (!frm)
        return;
    frm->move(gauche(frm->width()), 0);
}

void CentrerFrame(QWidget* cadre) {
    if (!cadre)
        return;
    const QRect g = cadre->frameGeometry();
    cadre->move(gauche(g.width()), haut(g.height()));
}

void CentrerSurEcran(QWidget* frm) {
    const QScreen* ecran = QGuiApplication::primaryScreen();
    if (!frm || !ecran)
        return;
    const QRect r = ecran->geometry();
    frm->move(r.x() + (r.width() - frm->width()) / 2, r.y() + (r.height() - frm->height()) / 2);
}

} // namespace FonctionUtilitaires
