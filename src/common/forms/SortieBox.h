#pragma once

#include <QFocusEvent>
#include <QObject>

#include <functional>

// A box left for another control of its window: the focus moved by a click, Tab or the program. The focus
// going to a message box, a menu or another window is no leaving: the box still has it when its window
// comes back. The filter belongs to the box it watches: `box->installEventFilter(new SortieBox(box,
// action))`.
class SortieBox : public QObject {
public:
    SortieBox(QObject* parent, std::function<void()> sortie) : QObject(parent), m_sortie(std::move(sortie)) {}

protected:
    bool eventFilter(QObject* objet, QEvent* e) override {
        if (e->type() == QEvent::FocusOut) {
            const Qt::FocusReason r = static_cast<QFocusEvent*>(e)->reason();
            if (r != Qt::ActiveWindowFocusReason && r != Qt::PopupFocusReason && r != Qt::MenuBarFocusReason)
                m_sortie();
        }
        return QObject::eventFilter(objet, e);
    }

private:
    std::function<void()> m_sortie;
};
