#pragma once

#include <QString>

// Bar-code badge numbers: 12 digits of the employee's number followed by the EAN-13 check digit, and the
// text a bar-code font draws as the symbol.
namespace BadgeEAN13 {

// The 13-digit number of a 12-digit body: the body followed by its check digit. "" when `code` is not 12
// digits "0" to "9".
QString CalculChecksumEAN13(const QString& code);

// The outcome of EAN13: the font text ("" when the code is refused) and what the code became.
struct ResultatEAN13 {
    QString texte;
    QString code;
};

// The 15-character font text of a number of at most 12 characters: the first digit, six letters of set A
// ("A" to "J") or set B ("K" to "T") as the first digit selects them, "*", six letters "a" to "j", "+";
// `code` becomes the 13-digit number. Refused (""): more than 12 characters, the code unchanged; any
// character other than "0" to "9", the code left-padded with "0" to 12 characters.
ResultatEAN13 EAN13(const QString& code);

} // namespace BadgeEAN13
