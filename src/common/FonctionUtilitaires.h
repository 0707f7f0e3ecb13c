#pragma once

#include <QString>
#include <QVariant>

// Null-safe conversions of values read from the database (an invalid or null QVariant is the Null).
namespace FonctionUtilitaires {

// "" for Null, else the value as text; a value that has no text form is logged under "ConvertNullStr"
// and gives "".
QString ConvertNullStr(const QVariant& valeur);
// "" for Null, else the value as text; a value that has no text form throws ErreurExecution (13).
QString NullEnChaine(const QVariant& valeur);
// 0 for Null or "", else the value as a number; a text takes "." or the state's SeparateurDecimal as its
// decimal point. A value that does not convert throws ErreurExecution (13, Type mismatch).
double ConvertNullDbl(const QVariant& valeur);

} // namespace FonctionUtilitaires
