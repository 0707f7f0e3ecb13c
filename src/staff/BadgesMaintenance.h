#pragma once

#include <QString>
#include <optional>

class Connexion;
class Recordset;

// The maintenance badges (table BadgeMaintenance): the numbers the machines' technicians identify
// themselves with. A number is either a maintenance badge or an employee's, never both: the add and the
// change check both inside their write transaction, comparing as the ownership checks do (letters
// without regard to case, every other character as typed). They throw ErreurExecution; nothing is
// written when they fail.
namespace BadgesMaintenance {

enum class Resultat {
    Enregistre,
    DejaMaintenance, // another maintenance row holds the number
    BadgeSalarie     // an employee holds it
};

// The number a badge box's text stands for, and what the box shows then.
struct NumeroBoite {
    QString badge;
    QString texte;
};
// Nothing for an empty text. With bar-code badges (`typeLecteurBadge` 3) up to 12 digits are left-padded
// with "0" to 12 (the box's text) and followed by their check digit, 13 digits stand as they are, and
// any other text (a letter, more than 13 characters: a number of another reader) gives nothing. With the
// other readers the text stands as it is.
std::optional<NumeroBoite> NumeroDeLaBoite(const QString& texte, int typeLecteurBadge);

// Adds a row for the number unless a maintenance row or an employee holds it.
Resultat AjouterBadge(Connexion& connexion, const QString& badge);

// Writes the number into the current row of `badges`, a recordset over BadgeMaintenance opened on
// `connexion`, unless another maintenance row or an employee holds it. The row keeps its number when
// the change is refused or fails.
Resultat ModifierBadge(Connexion& connexion, Recordset& badges, const QString& badge);

} // namespace BadgesMaintenance
