#pragma once

#include <QString>
#include <QVariant>
#include <QtGlobal>
#include <optional>

class Connexion;
class Recordset;

// The writes of the employee card: the save of the card into its row, the add of a new row (with the
// tidying of the placeholder rows left by earlier adds) and the deletion. Each writing routine is one
// write transaction on the caller's connection; it throws ErreurExecution and then leaves the database as
// it was.
namespace SauvegardeSalarie {

// The placeholder badge of a new row: 30 characters of codes 48 to 90 ("0" to "9", ":" to "@", "A" to
// "Z"), each equally likely; no quote, comma or lower-case letter.
QString ChaineAleatoire();

// What the badge box gives: with bar-code badges (reader type 3) a number of at most 12 digits is padded
// with "0" to 12 and saved as its 13-digit EAN-13 number with the bar-code font text in NoUtilisateur; a
// longer text or one with another character than a digit is not written. On the older layout, and with
// the other readers, the text as typed. An empty box writes nothing.
struct BadgeSaisi {
    bool ecrit = false;
    QString noBadge;
    QString noUtilisateur; // bar-code badges only; empty: not written
    QString boite;         // what the box shows after a save
};
BadgeSaisi lireBadge(const QString& texte, int typeLecteurBadge, bool ancienneBase);

// The card as the save writes it. An empty text and an unset list (nullopt) leave their column as
// stored; a service not chosen is written Null.
struct Carte {
    QString badge;
    QString nom;
    QString prenom;
    QString matricule;
    std::optional<QString> mobile; // the mobile-phone option only
    std::optional<QVariant> tailleChaussure;
    std::optional<QVariant> tailleMain;
    std::optional<QVariant> site;
    QVariant service; // Null: no service chosen
    std::optional<QVariant> quota;
    QString langue;
};

enum class Etat {
    Enregistre,
    BadgeSalarie,     // another employee holds the badge: `nom` and `prenom` say who
    BadgeMaintenance, // the badge is a maintenance badge
};
struct Resultat {
    Etat etat = Etat::Enregistre;
    QString nom;
    QString prenom;
    QString boite; // what the badge box shows
};

// Writes the card into the employee row `id`. A badge that another employee (the row itself left out) or
// a maintenance badge holds refuses the whole save; the older layout asks BadgeIndentifie. A row that no
// longer exists is Recordset::ViolationConcurrence.
Resultat enregistrer(Connexion& connexion, qint64 id, const Carte& carte, int typeLecteurBadge,
                     bool ancienneBase);

// The add on the newer layout. On a list with rows, the tidying first, on the list as it is shown and from
// its current row forward: the first row whose MatriculeSalarie is "0" takes its own NoBadge as personnel
// number; from that row on (from past the last row when none was found), the first row whose NoBadge is
// "0" is deleted, and nothing is added. Otherwise a new row: NoBadge the badge read by the serial reader
// when it is neither "ERREUR", "" nor held by an employee or a maintenance badge, else the placeholder;
// MatriculeSalarie the placeholder, "0" on an empty list; sizes Null, NoUtilisateur "0", MachineAutorise
// every machine. The list's rows are not read again here.
struct Ajout {
    bool ajoute = false; // false: a placeholder row was deleted instead
    qint64 id = 0;       // the new row
};
Ajout ajouter(Connexion& connexion, Recordset& liste, const QString& badgeLu = QString());

// The add on the older layout: sizes Null, NoUtilisateur "0", every machine; badge and personnel number
// left empty. Returns the new row's IdUtilisateur.
qint64 ajouterAncienneBase(Connexion& connexion);

// Deletes the employee row `id`; false when it was gone already.
bool supprimer(Connexion& connexion, qint64 id);

} // namespace SauvegardeSalarie
