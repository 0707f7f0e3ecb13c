#pragma once

#include <QChar>
#include <QString>

// Key filters of the numeric boxes: a typed character above the control range is refused unless it is
// a digit or one of the box's extra characters; "." and "," typed in a decimal box become the
// workstation's decimal separator (the state's SeparateurDecimal).
namespace SaisieNumerique {

inline const QString Chiffres = QStringLiteral("0123456789");

// True when the typed character may go into the box: control characters (backspace, return) always,
// others only when they are digits or in `autres`.
bool toucheAcceptee(QChar c, const QString& autres = QString());
// True when every character of a pasted or typed text passes toucheAcceptee.
bool texteAccepte(const QString& texte, const QString& autres = QString());
// "." and "," become SeparateurDecimal; every other character is returned as it is.
QChar echangerSeparateur(QChar c);
// The same over a whole text.
QString echangerSeparateurs(const QString& texte);

} // namespace SaisieNumerique
