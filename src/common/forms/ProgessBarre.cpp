#include "common/forms/ProgessBarre.h"

#include "common/Conversions.h"

#include <QLabel>
#include <cmath>

ProgessBarre::ProgessBarre(QWidget* parent)
    : QWidget(parent), Shape1(new QWidget(this)), Label1(new QLabel(this)) {
    setObjectName(QStringLiteral("ProgessBarre"));
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Label1->setObjectName(QStringLiteral("Label1"));
    setAutoFillBackground(true);
    Shape1->setAutoFillBackground(true);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setAttribute(Qt::WA_TransparentForMouseEvents);
    Label1->setText(QStringLiteral("100%"));

    resize(Conversions::twipsEnPixels(2535), Conversions::twipsEnPixels(375));
    setBackColor(0xFFFFFF);
    setFillCouleur(0xC08000); // blue
    setFontColor(0x000000);
    QFont f = Label1->font();
    f.setPointSizeF(8);
    Label1->setFont(f);
    Label1->adjustSize();
    // At design time the rectangle fills the control, matching the text "100%".
    Shape1->setGeometry(0, 0, width(), height());
    Label1->raise();
    disposer();
}

void ProgessBarre::colorer(QWidget* w, QPalette::ColorRole role, quint32 couleur) {
    QPalette p = w->palette();
    p.setColor(role, Conversions::couleurVB(couleur));
    w->setPalette(p);
}

quint32 ProgessBarre::couleurDe(const QWidget* w, QPalette::ColorRole role) {
    return Conversions::couleurEnVB(w->palette().color(role));
}

quint32 ProgessBarre::BackColor() const {
    return couleurDe(this, QPalette::Window);
}
void ProgessBarre::setBackColor(quint32 couleur) {
    colorer(this, QPalette::Window, couleur);
}
quint32 ProgessBarre::FillCouleur() const {
    return couleurDe(Shape1, QPalette::Window);
}
void ProgessBarre::setFillCouleur(quint32 couleur) {
    colorer(Shape1, QPalette::Window, couleur);
}
quint32 ProgessBarre::FontColor() const {
    return couleurDe(Label1, QPalette::WindowText);
}
void ProgessBarre::setFontColor(quint32 couleur) {
    colorer(Label1, QPalette::WindowText, couleur);
}

double ProgessBarre::FontSize() const {
    return Label1->font().pointSizeF();
}
void ProgessBarre::setFontSize(double points) {
    QFont f = Label1->font();
    f.setPointSizeF(points);
    Label1->setFont(f);
    Label1->adjustSize();
    disposer();
}

bool ProgessBarre::FontBold() const {
    return Label1->font().bold();
}
void ProgessBarre::setFontBold(bool gras) {
    QFont f = Label1->font();
    f.setBold(gras);
    Label1->setFont(f);
    Label1->adjustSize();
    disposer();
}

void ProgessBarre::setValue(int valeur) {
    // Not clamped: above 100 the bar runs past the right edge, as hosts have always seen it.
    const double largeur = (static_cast<double>(width()) / 100.0) * valeur;
    Shape1->resize(static_cast<int>(std::lround(largeur)), Shape1->height());
    Label1->setText(QString::number(valeur) + QLatin1Char('%'));
}

void ProgessBarre::disposer() {
    Shape1->resize(Shape1->width(), height());
    const int hauteurTexte = Label1->height();
    // Halves go to the even neighbour.
    const int haut = Shape1->y() + static_cast<int>(std::nearbyint((height() - hauteurTexte) / 2.0));
    Label1->setGeometry(Shape1->x(), haut, width(), hauteurTexte);
}

void ProgessBarre::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    disposer();
}

void ProgessBarre::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    disposer();
}
