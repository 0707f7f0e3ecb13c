#pragma once

#include <QPushButton>

// A push button whose caption wraps onto several lines, centred, as the designs' narrow buttons show
// long captions ("Fiche global de réapprovisionnement" on a button of 2175 twips). The caption stays the
// button's text: translations and tests read and write it as for any button. It never takes Enter for
// itself (no auto-default).
class BoutonMultiligne : public QPushButton {
    Q_OBJECT
public:
    explicit BoutonMultiligne(const QString& legende, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    QRect zoneTexte() const;
};
