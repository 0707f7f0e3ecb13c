#pragma once

#include <QString>
#include <QVariant>
#include <optional>

// What the article card shows for the values of one article.
namespace CarteArticle {

// The text of a box for a field: empty for Null, numbers with the workstation's decimal separator and
// without trailing zeros (a price of 12.50 shows 12,5).
QString texteChamp(const QVariant& valeur);

// The reserve in packs and units, "<packs> P + <units> U" (27 at 6 a pack: "4 P + 3 U"). The reserve is
// the box's text taken as a whole number, the pack size the article's QteParPaket. nullopt when either
// is missing or not a number, or the pack size is 0: the card then keeps what it showed.
std::optional<QString> reserveEnPaquets(const QString& reserve, const QVariant& parPaquet);

// The stock alert: the total quantity is below the alert level (false when either is Null).
bool alerteStock(const QVariant& qteGlobal, const QVariant& stockAlert);

// Whether a box's text is a negative number; nullopt when it is empty or not a number.
std::optional<bool> negatif(const QString& texte);

} // namespace CarteArticle
