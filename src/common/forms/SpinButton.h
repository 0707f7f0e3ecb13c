#pragma once

#include <QWidget>

class QToolButton;

// A horizontal spin button: one control with two arrows side by side. The left arrow spins down, the right
// arrow spins up; held, an arrow repeats. With the focus, the Left and Right keys do the same.
class SpinButton : public QWidget {
    Q_OBJECT
public:
    explicit SpinButton(QWidget* parent = nullptr);

    QToolButton* flecheGauche() const { return m_gauche; }
    QToolButton* flecheDroite() const { return m_droite; }

signals:
    void SpinDown();
    void SpinUp();

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    QToolButton* m_gauche;
    QToolButton* m_droite;
};
