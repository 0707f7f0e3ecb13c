#include "common/forms/SpinButton.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QToolButton>

namespace {

QToolButton* fleche(Qt::ArrowType sens, QWidget* parent) {
    auto* b = new QToolButton(parent);
    b->setArrowType(sens);
    b->setAutoRepeat(true);
    // The control takes the focus as a whole, not each arrow.
    b->setFocusPolicy(Qt::NoFocus);
    b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    return b;
}

} // namespace

SpinButton::SpinButton(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    m_gauche = fleche(Qt::LeftArrow, this);
    m_droite = fleche(Qt::RightArrow, this);
    auto* l = new QHBoxLayout(this);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(0);
    l->addWidget(m_gauche);
    l->addWidget(m_droite);
    connect(m_gauche, &QToolButton::clicked, this, &SpinButton::SpinDown);
    connect(m_droite, &QToolButton::clicked, this, &SpinButton::SpinUp);
}

void SpinButton::keyPressEvent(QKeyEvent* e) {
    switch (e->key()) {
    case Qt::Key_Left:
        emit SpinDown();
        break;
    case Qt::Key_Right:
        emit SpinUp();
        break;
    default:
        QWidget::keyPressEvent(e);
    }
}
