#pragma once

#include <QMouseEvent>
#include <QObject>
#include <QWidget>

#include <functional>

// A click on a box that has no clicked signal (a line edit): a left release inside it. The filter belongs
// to the box it watches: `box->installEventFilter(new ClicBox(box, action))`.
class ClicBox : public QObject {
public:
    ClicBox(QObject* parent, std::function<void()> clic) : QObject(parent), m_clic(std::move(clic)) {}

protected:
    bool eventFilter(QObject* objet, QEvent* e) override {
        if (e->type() == QEvent::MouseButtonRelease) {
            const auto* w = qobject_cast<QWidget*>(objet);
            const auto* souris = static_cast<QMouseEvent*>(e);
            if (w && souris->button() == Qt::LeftButton && w->rect().contains(souris->position().toPoint()))
                m_clic();
        }
        return QObject::eventFilter(objet, e);
    }

private:
    std::function<void()> m_clic;
};
