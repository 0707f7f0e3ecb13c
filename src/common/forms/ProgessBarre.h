#pragma once

#include <QWidget>

class QLabel;

// A percentage shown as a bar filled from the left with the text "<value>%" centred over it. The host
// sets the colours and font, then Value. The bar is not clamped: 150 draws past the right edge.
class ProgessBarre : public QWidget {
    Q_OBJECT
public:
    explicit ProgessBarre(QWidget* parent = nullptr);

    // Colours are written &HBBGGRR, as the hosts' designs give them.
    quint32 BackColor() const;
    void setBackColor(quint32 couleur);
    quint32 FillCouleur() const;
    void setFillCouleur(quint32 couleur);
    quint32 FontColor() const;
    void setFontColor(quint32 couleur);
    double FontSize() const;
    void setFontSize(double points);
    bool FontBold() const;
    void setFontBold(bool gras);
    void setValue(int valeur);

    QWidget* Shape1;
    QLabel* Label1;

protected:
    void resizeEvent(QResizeEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    void disposer();
    static void colorer(QWidget* w, QPalette::ColorRole role, quint32 couleur);
    static quint32 couleurDe(const QWidget* w, QPalette::ColorRole role);
};
