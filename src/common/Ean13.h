#pragma once

#include <QString>
#include <QStringView>

// EAN-13 numbers: the check digit, the encoding sets of the digits and the 95 modules of the symbol. The
// badge numbers, the bar-code font text and the bars of the reports all rest on these.
namespace Ean13 {

// Modules of the symbol, from the start guard to the end guard, and the blank modules a reader needs on
// either side.
constexpr int Modules = 95;
constexpr int LeftQuietZone = 11;
constexpr int RightQuietZone = 7;

// The check digit (0 to 9) of 12 digits, -1 when `digits` is not exactly 12 characters "0" to "9".
int checkDigit(QStringView digits);
// `digits` followed by its check digit; "" when it is not 12 digits.
QString withCheckDigit(QStringView digits);
// True for 13 digits whose last one is the check digit of the first 12.
bool isValid(QStringView code);

// The encoding sets of digits 2 to 7 that the first digit of a number selects: six letters, 'A' for the
// odd-parity set and 'B' for the even one ("AAAAAA" for 0, "ABBABA" for 9). Digits 8 to 13 always use
// the right-hand set. "" for a first digit outside 0 to 9.
QString leftSets(int firstDigit);

// The symbol of a valid code: Modules characters, '1' for a dark module and '0' for a light one; ""
// when the code is not valid.
QString modules(QStringView code);
// True for the modules of the three guards (start, centre, end), whose bars are drawn longer than the
// digits' bars.
bool isGuard(int module);

} // namespace Ean13
