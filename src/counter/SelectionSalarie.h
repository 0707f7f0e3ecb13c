#pragma once

#include <QList>
#include <QString>

class Recordset;

// The employee searches of the counter over its employee list (GrUtilisateur in name order). Each one
// moves the list's current row; the counter then fills its boxes and card from it.
namespace SelectionSalarie {

enum class Resultat {
    Aucun,    // nobody matches: the position is past the last row
    Approche, // a row matches, but it is not the one typed (a wildcard badge, the start of a name)
    Exact,    // the row's badge or name is the text, without regard to case
};

// From the first row, the first whose `champ` matches `texte` without regard to case; "*" and "%" typed
// are wildcards, every other character (quotes included) is literal. Exact when the field is the text
// itself. The counter finds badges and supplier references so.
Resultat ChercherTexte(Recordset& liste, const QString& champ, const QString& texte);

// ChercherTexte on NoBadge.
Resultat ChercherBadge(Recordset& salaries, const QString& badge);

// From the first row, the first whose Nom begins with `nom` without regard to case, with the same
// wildcards; Exact when the name is `nom` itself.
Resultat ChercherNom(Recordset& salaries, const QString& nom);

enum class Sens { Precedent, Suivant };
// One step of the spin button: back unless already before the first row, on unless already past the
// last. False when the step leaves the position outside the rows.
bool Avancer(Recordset& salaries, Sens sens);

// The employee card: the field shown and the index of its value label, in the order the card is filled.
struct ChampCarte {
    QString champ;
    int label;
};
const QList<ChampCarte>& Carte();

} // namespace SelectionSalarie
