#pragma once

// Header only: the reach checks need the widgets, which only the form tests link.

#include <QByteArray>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QRect>
#include <QScreen>
#include <QScrollArea>
#include <QString>
#include <algorithm>

// The screens the form tests' offscreen platform offers, side by side. The platform makes them in the
// order of the list and the first is the primary screen: the desktop one, where forms open at their own
// size. The others are what the screen tests place forms on: the smallest screen the program is made
// for (1024 x 768, and the same less a 40-pixel task bar), one below it, and a 4K screen at scale 2:
// 1920 x 1080 in the program's units, 2 device pixels to a unit.
// DORVANE_ECRAN_TEST=<width>x<height> (the second run of the form tests: "1024x768") makes the screen of
// that size the primary one, where every form then opens: it comes first, the others after it.
struct EcranDeTest {
    const char* nom;
    QRect geometrie;
    double dpr = 1;
};

inline const QList<EcranDeTest>& ecransDeTest() {
    static const QList<EcranDeTest> ecrans = [] {
        QList<EcranDeTest> liste{
            {"1 bureau 1920x1080", {0, 0, 1920, 1080}}, {"2 1024x768", {1920, 0, 1024, 768}},
            {"3 1024x728", {2944, 0, 1024, 728}},       {"4 640x480", {3968, 0, 640, 480}},
            {"5 4K x2", {4608, 0, 1920, 1080}, 2},
        };
        const QList<QByteArray> taille = qgetenv("DORVANE_ECRAN_TEST").split('x');
        if (taille.size() != 2)
            return liste;
        const QSize voulue(taille[0].toInt(), taille[1].toInt());
        const auto premier = std::find_if(liste.begin(), liste.end(), [&](const EcranDeTest& e) {
            return e.geometrie.size() == voulue && e.dpr == 1;
        });
        if (premier == liste.end())
            qFatal("DORVANE_ECRAN_TEST: no test screen of %dx%d", voulue.width(), voulue.height());
        std::rotate(liste.begin(), premier, premier + 1);
        int x = 0;
        for (EcranDeTest& e : liste) {
            e.geometrie.moveTopLeft(QPoint(x, 0));
            x += e.geometrie.width();
        }
        return liste;
    }();
    return ecrans;
}

// The offscreen platform's configuration file for these screens.
inline QByteArray configurationEcransDeTest() {
    QJsonArray ecrans;
    for (const EcranDeTest& e : ecransDeTest())
        ecrans.append(QJsonObject{{"name", QString::fromLatin1(e.nom)},
                                  {"x", e.geometrie.x()},
                                  {"y", e.geometrie.y()},
                                  {"width", e.geometrie.width()},
                                  {"height", e.geometrie.height()},
                                  {"dpr", e.dpr}});
    return QJsonDocument(QJsonObject{{"screens", ecrans}}).toJson(QJsonDocument::Compact);
}

// The screen of that name; nullptr when the platform has not got it (tests run on a real display).
inline QScreen* ecranDeTest(const char* nom) {
    for (QScreen* s : QGuiApplication::screens())
        if (s->name() == QLatin1String(nom))
            return s;
    return nullptr;
}

// Whether the user can bring the control into sight: inside its window and every parent, or inside
// scrolled contents that can be scrolled to it.
inline bool atteignable(const QWidget* controle, const QWidget* fenetre) {
    if (!controle->isVisibleTo(fenetre))
        return false;
    QRect r = controle->rect();
    const QWidget* w = controle;
    while (w != fenetre) {
        const QWidget* parent = w->parentWidget();
        if (!parent)
            return false;
        const auto* zone = qobject_cast<const QScrollArea*>(parent->parentWidget());
        if (zone && zone->widget() == w) {
            // In the scrolled contents, within what the scroll bars reach; it then shows in the viewport.
            const QSize vue = parent->size();
            if (!w->rect().contains(r) ||
                (zone->horizontalScrollBarPolicy() == Qt::ScrollBarAlwaysOff && r.right() >= vue.width()) ||
                (zone->verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOff && r.bottom() >= vue.height()))
                return false;
            r = QRect(QPoint(0, 0), r.size().boundedTo(vue));
        } else {
            r.translate(w->pos());
            if (!parent->rect().contains(r))
                return false;
        }
        w = parent;
    }
    return !r.isEmpty();
}

// Whether the control shows whole in its window as it stands, nothing scrolled.
inline bool enVue(const QWidget* controle, const QWidget* fenetre) {
    if (!controle->isVisibleTo(fenetre))
        return false;
    const QRect r(controle->mapTo(fenetre, QPoint(0, 0)), controle->size());
    for (const QWidget* w = controle->parentWidget(); w; w = w->parentWidget()) {
        if (!QRect(w->mapTo(fenetre, QPoint(0, 0)), w->size()).contains(r))
            return false;
        if (w == fenetre)
            break;
    }
    return true;
}
