#include "common/forms/BoutonMultiligne.h"

#include <QFontMetrics>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <algorithm>

namespace {
constexpr int Marge = 4;
}

BoutonMultiligne::BoutonMultiligne(const QString& legende, QWidget* parent) : QPushButton(legende, parent) {
    setAutoDefault(false);
}

QRect BoutonMultiligne::zoneTexte() const {
    return rect().adjusted(Marge, 2, -Marge, -2);
}

QSize BoutonMultiligne::sizeHint() const {
    // As wide as a plain button would be up to its current width, the height its lines take there.
    const QSize plain = QPushButton::sizeHint();
    const int largeur = width() > 2 * Marge ? width() : plain.width();
    const QRect lignes = fontMetrics().boundingRect(QRect(0, 0, largeur - 2 * Marge, 10000),
                                                    Qt::AlignCenter | Qt::TextWordWrap, text());
    return QSize(largeur, std::max(plain.height(), lignes.height() + 8));
}

QSize BoutonMultiligne::minimumSizeHint() const {
    return QSize(2 * Marge + fontMetrics().averageCharWidth() * 4, QPushButton::minimumSizeHint().height());
}

void BoutonMultiligne::paintEvent(QPaintEvent* e) {
    Q_UNUSED(e);
    QStylePainter p(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    p.drawControl(QStyle::CE_PushButton, option);
    p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    p.drawText(zoneTexte(), Qt::AlignCenter | Qt::TextWordWrap, text());
}
