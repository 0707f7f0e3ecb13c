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

// The price boxes recomputed when one of the card's boxes is left (texts with the workstation's
// separator; nullopt: the box keeps its text, when an operand is empty, not a number, or the pack size 0):
//  - units per pack left: unit price = pack price / units per pack (taken whole), two decimals ("2,50");
//  - unit price left: pack price = units per pack x unit price rounded to the cent, as a plain number;
//  - pack price left: the pack price rounded to the cent, then the unit price = that / units per pack
//    rounded to the cent, both as plain numbers ("12,5", "2,5").
enum class BoxQuittee { ParPaquet, PrixUnitaire, PrixPaquet };
struct Prix {
    std::optional<QString> unitaire;
    std::optional<QString> paquet;
};
Prix prixApresSaisie(BoxQuittee box, const QString& unitaire, const QString& paquet,
                     const QString& parPaquet);

} // namespace CarteArticle
