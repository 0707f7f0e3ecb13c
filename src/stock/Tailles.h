#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

class Connexion;
class Recordset;

// The sizes of each article family (table Tailles), kept in the order of their Ordre. Each writing
// routine runs in one write transaction on the caller's connection and throws ErreurExecution; nothing
// is written when it fails.
namespace Tailles {

// The size that cannot be deleted.
inline const QString TailleUnique = QStringLiteral("T.U.");

// The family's sizes in their order (Ordre, then creation), written through by NoTaille.
void OuvrirTaillesFamille(Recordset& tailles, Connexion& connexion, qint64 noFamille);

// True when the family already has a size of that text: every letter compared without regard to case,
// every other character as typed (quotes, "%" and "_" included).
bool TailleExiste(Connexion& connexion, qint64 noFamille, const QString& taille);

// Adds a size after the family's last one (its Ordre + 1; 1 for a family without sizes) and returns its
// NoTaille; nullopt, and nothing written, when the family already has that size.
std::optional<qint64> AjouterTaille(Connexion& connexion, qint64 noFamille, const QString& taille);

// Renames a size (it keeps its NoTaille, so employees and articles keep it). A size that no longer
// exists is an error.
void ModifierTaille(Connexion& connexion, qint64 noTaille, const QString& taille);

enum class Suppression {
    Faite,
    TailleUnique, // "T.U." is never deleted
    Utilisee      // an article or an employee still refers to it
};
// Deletes a size unless it is refused; the orders of the others stay as they are.
Suppression SupprimerTaille(Connexion& connexion, qint64 noTaille);

enum class Sens { VersDebut, VersFin };
// Exchanges the size's Ordre with its neighbour's in the family's order: the next one (after the last
// comes the first) or the previous one (before the first comes the last).
void DeplacerTaille(Connexion& connexion, qint64 noTaille, Sens sens);

} // namespace Tailles
