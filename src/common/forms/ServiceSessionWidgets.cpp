#include "common/forms/ServiceSessionWidgets.h"

#include <QEvent>
#include <QEventLoop>
#include <QPointer>
#include <QWidget>

namespace {

// Ends the local loop when the form is hidden or closed.
class GuetteurFin : public QObject {
public:
    explicit GuetteurFin(QEventLoop* boucle) : m_boucle(boucle) {}

protected:
    bool eventFilter(QObject* objet, QEvent* e) override {
        if (e->type() == QEvent::Hide || e->type() == QEvent::Close) {
            auto* w = qobject_cast<QWidget*>(objet);
            // A close that the form refused leaves it shown; only a real hide ends the show.
            if (e->type() == QEvent::Hide || (w && !w->isVisible()))
                m_boucle->quit();
        }
        return false;
    }

private:
    QEventLoop* m_boucle;
};

} // namespace

void ServiceSessionWidgets::terminer(int code) {
    ServiceSessionCommun::terminer(code);
    for (QEventLoop* b : m_boucles)
        b->quit();
}

void ServiceSessionWidgets::montrerModal(QObject* form) {
    QPointer<QWidget> w = qobject_cast<QWidget*>(form);
    if (!w)
        return;
    if (!w->isWindow())
        w->setWindowFlag(Qt::Window, true);
    const Qt::WindowModality avant = w->windowModality();
    if (w->isVisible())
        w->hide(); // modality can only change while hidden
    w->setWindowModality(Qt::ApplicationModal);

    QEventLoop boucle;
    GuetteurFin guetteur(&boucle);
    w->installEventFilter(&guetteur);
    QObject::connect(w, &QObject::destroyed, &boucle, &QEventLoop::quit);
    m_boucles.append(&boucle);

    w->show();
    w->raise();
    w->activateWindow();
    if (w && w->isVisible())
        boucle.exec(QEventLoop::DialogExec);

    m_boucles.removeOne(&boucle);
    if (w) {
        w->removeEventFilter(&guetteur);
        if (!w->isVisible())
            w->setWindowModality(avant);
    }
}
