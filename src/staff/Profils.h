#pragma once

#include <QString>
#include <QVariant>
#include <QtGlobal>
#include <optional>

class Connexion;

// The profiles (table ProfileQuota) and their quota lines (table Quota). Each write runs in one write
// transaction on the caller's connection and throws ErreurExecution; nothing is written when it fails.
// Names are compared as the layer compares names: every letter without regard to case, accents kept,
// every other character as typed ("%", "*", "_" and quotes included).
namespace Profils {

// The detail of one profile: every quota line, also one whose article or size is gone (empty columns
// then), with the article's code, designation and size. One bound value: the profile's NoQuota.
extern const char* const SqlDetailQuota;

// True when a profile of that name exists.
bool ProfilExiste(Connexion& connexion, const QString& nom);
// Creates a profile and returns its number; nullopt, with nothing written, when the name exists.
std::optional<qint64> AjouterProfil(Connexion& connexion, const QString& nom);
// Renames a profile; false, with nothing written, when a profile of that name exists (the profile itself
// included: an unchanged name is refused too). A profile that no longer exists throws.
bool RenommerProfil(Connexion& connexion, qint64 noQuota, const QString& nom);
// Deletes the profile's own row; false, with nothing deleted, when an employee still has the profile. Its
// quota lines and time windows stay.
bool SupprimerProfil(Connexion& connexion, qint64 noQuota);

// Adds a line for the article to the profile and returns its NoLigne; nullopt when the profile already
// has a line for it. QtePermise and Periodicite start Null.
std::optional<qint64> AjouterLigneQuota(Connexion& connexion, qint64 noQuota, qint64 refArticle);
// Deletes one quota line.
void SupprimerLigneQuota(Connexion& connexion, qint64 noLigne);

// A quantity or a period as typed: every blank dropped ("1 000" is 1000), nothing left is Null.
struct Quantite {
    enum class Etat { Valide, TropGrande, Invalide };
    Etat etat = Etat::Valide;
    QVariant valeur; // Valide: the whole number, or Null
};
// Above 2147483647 the value is TropGrande; anything but digits and blanks is Invalide.
Quantite LireQuantite(const QString& texte);

} // namespace Profils
