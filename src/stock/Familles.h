#pragma once

#include <QString>
#include <QtGlobal>

class Connexion;

// The article families (table Familles). Each routine runs in one write transaction on the caller's
// connection and throws ErreurExecution; nothing is written when it fails.
namespace Familles {

// The shoe and glove families of the settings (FamilleChaussures, FamilleGants): their names stay and
// they cannot be deleted here, since the employees' shoe and glove sizes are taken from them.
bool FamilleProtegee(qint64 noFamille);

// Creates a family with its first size "-" (Ordre 1), so that it can be used at once, and returns the
// number the database gave it. The leftovers of an interrupted creation (number 0, or no name) go first.
qint64 EnregisterNewFamille(Connexion& connexion, const QString& nom, const QString& fonction);

// Writes what was typed into a family: the name unless it is empty or the family is protected, the
// function unless it is empty. A family that no longer exists is an error.
void ModifierFamille(Connexion& connexion, qint64 noFamille, const QString& nom, const QString& fonction);

// Deletes a family; false (nothing done) for a protected one. Its sizes and articles stay as they are.
bool SupprimerFamille(Connexion& connexion, qint64 noFamille);

} // namespace Familles
