#pragma once

#include <QObject>
#include <QString>

class QLineEdit;

// The key filter of a numeric box: typed characters that are neither digits nor among the box's extra
// characters are refused; in a decimal box "." and "," are typed as the workstation's separator. A
// pasted text keeps only the characters a typed key could bring.
class FiltreSaisie : public QObject {
    Q_OBJECT
public:
    FiltreSaisie(const QString& autres, bool decimal, QObject* parent);

    // Filters that box; the filter belongs to it.
    static FiltreSaisie* installer(QLineEdit* champ, const QString& autres = QString(), bool decimal = false);
    // Lifts the box's filter, typed and pasted, when it has one.
    static void retirer(QLineEdit* champ);
    static bool estInstalle(QLineEdit* champ);

protected:
    bool eventFilter(QObject* objet, QEvent* e) override;

private:
    QString m_autres;
    bool m_decimal;
};
