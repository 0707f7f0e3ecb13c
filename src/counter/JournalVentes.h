#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

class Connexion;
class Recordset;

// What the consumption journal needs besides its widgets: the journal of withdrawals and the returns,
// the sort of each search mode, the searches, the lines of a withdrawal and its deletion. Every routine
// works on the caller's connection and recordsets; database failures are ErreurExecution.
namespace JournalVentes {

// The search modes: by date, by employee badge, by surname.
enum Mode { ParDate = 1, ParSalarie = 2, ParNom = 4 };

// Every withdrawal of Ventes in the date mode's order: the newest date first (a Null date last), the
// newest number first among the same date; written back to Ventes by NumVente.
void OuvrirJournal(Connexion& connexion, Recordset& journal);
// Every return of Retour, the newest withdrawal date first (a Null date last); read only.
void OuvrirRetours(Connexion& connexion, Recordset& retours);

// Sorts the list shown by the mode's field: the date newest first, the badge or the name in French
// order without regard to case. `retours` tells the returns from the journal (their fields differ).
// The current row stays.
void TrierSelonMode(Recordset& liste, Mode mode, bool retours);

// The date of a date-mode search text: day/month/year with a year of two or four digits, optionally
// followed by hours:minutes and seconds. A two-digit year from 30 to 99 is 19xx, from 00 to 29 20xx.
// An invalid QDateTime when the text is no date ("31/02/2026", "99/99/99").
QDateTime LireDateRecherche(const QString& texte);

// The search of the journal as the operator types. Nothing on an empty journal.
//  - ParSalarie, ParNom: from the current row forward (that row included), the first whose badge or
//    surname begins with `texte` without regard to case, "*" and "%" standing for any run of
//    characters and every other character literal (quotes included);
//  - ParDate: only once the text has 8 characters, from the first row. Over a list shown newest date
//    first, the newest withdrawal of the text's day (at or before its hour when the text gives one),
//    else the newest before it; over any other order, the first dated at or after the text's date. A
//    text that is no date ends the search and the journal stays on its row (false).
// When no row is found the journal goes to its first row. True when the search ran.
bool Chercher(Recordset& journal, Mode mode, const QString& texte);

// Reads into `lignes` the lines of the journal's current withdrawal (its number, and with `versionGSM`
// its machine too, a Null machine being machine 0), each distinct line once. False, `lignes` left as they
// were, when there is no current withdrawal or its number is Null or 0.
bool AfficherDetailVente(Connexion& connexion, Recordset& lignes, const Recordset& journal, bool versionGSM);

// Deletes the journal's current withdrawal from Ventes by its number; its lines stay in DetailVente.
// The journal then shows the next row (the last when the deleted row was the last). Nothing without a
// current withdrawal. A refusal of the database is an ErreurExecution, journal and database unchanged.
void SupprimerVente(Recordset& journal);

// The addresses of keys "Mailto0" to "Mailto50" of section "Email" of the settings file, in that order,
// the empty ones left out.
QStringList AdressesEmail(const QString& cheminIni);

} // namespace JournalVentes
