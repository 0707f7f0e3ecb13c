#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>
#include <memory>
#include <optional>
#include <utility>

class Connexion;

// The suppliers (table Fournisseur) and the postal-code lookup in "CP.MDB". Each writing routine runs in
// one write transaction on the caller's connection and throws ErreurExecution; nothing is written when
// it fails or refuses.
namespace Fournisseurs {

// The message of a supplier code that another supplier already has.
inline const QString MessageCodeExistant = QStringLiteral("ce code fournisseur existe déja !");

// True when a supplier other than `saufNauto` has this code: every letter compared without regard to
// case, every other character as typed (quotes, "%" and "_" included).
bool CodeExiste(Connexion& connexion, const QString& code, qint64 saufNauto = -1);

// Creates a supplier whose No and CodeFournisseur are the number the database gives it (Nauto), the
// other fields empty, and returns that number. The leftovers of an interrupted creation (No = 0) go
// first. nullopt when that code is already another supplier's: nothing is created, and the number
// stays used, so that the next creation takes the following one.
std::optional<qint64> AjouterFournisseur(Connexion& connexion);

// The edited fields of a supplier: a column of the edit panel (Societe, NomContact, CodeFournisseur,
// Adresse, CodePostal, Ville, Tel, Fax) and its text.
using Champs = QList<std::pair<QString, QString>>;
enum class Enregistrement { Fait, CodeExistant };
// Writes the fields into the supplier `nauto`; CodeExistant, and nothing written, when the new code is
// another supplier's. A supplier that no longer exists, or a column outside the panel, is an error.
Enregistrement ModifierFournisseur(Connexion& connexion, qint64 nauto, const Champs& champs);

// Deletes a supplier. The articles that name it keep its number.
void SupprimerFournisseur(Connexion& connexion, qint64 nauto);

// "CP.MDB" of the program folder, found without regard to case and opened read-only; nullptr when the
// folder has none. Throws ErreurExecution when the file cannot be opened.
std::unique_ptr<Connexion> OuvrirCodesPostaux();

// The town (Localite) of the first row of CodesPostaux whose code is the 5-character text `codePostal`;
// a stored code of digits only shorter than 5 characters (a file converted from a numeric column holds
// 1000 for "01000") is read with its leading zeros. "" when no row has it or on any failure (logged).
QString ChercherLocalite(Connexion& codesPostaux, const QString& codePostal);

} // namespace Fournisseurs
