#pragma once

#include <QString>
#include <QVariant>

// Amounts as the program shows them, in the French way: "1 234,50 €", the group separator and the blank
// before "€" being U+00A0 NO-BREAK SPACE, two decimals, the state's decimal separator. Grids, forms and
// reports all go through here.
namespace Monnaie {

// Rounded to the cent half away from zero, from the amount as stored (4 decimals), so that 2.675 shows
// as 2,68 whatever its binary neighbour is.
QString texteMonnaie(double montant);
// A Null or non-numeric value gives an empty text.
QString texteMonnaie(const QVariant& montant);

} // namespace Monnaie
