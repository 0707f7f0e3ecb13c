#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <functional>

class Connexion;
class Recordset;

// The database's stored procedures, as routines of the program: looked up by name, each run in one
// transaction on the caller's connection.
namespace Routines {

// A routine: the connection and the procedure's parameters in order.
using Routine = std::function<void(Connexion&, const QVariantList&)>;

// Adds (or replaces) a routine. The program's own routines are present from the start.
void enregistrer(const QString& nom, Routine routine);
// True when a routine of exactly that name exists (case counts).
bool existe(const QString& nom);
QStringList noms();
// Runs a routine; an unknown name is an ErreurExecution.
void executer(const QString& nom, Connexion& connexion, const QVariantList& parametres);

// The INSERT ... SELECT that fills CA, with its two bound bounds (start, end), the same text on both
// backends and in the sqlite3 shell.
QString sqlEtatCA();
// Empties CA and fills it with the withdrawal lines strictly inside (debut, fin), identical lines of one
// withdrawal merged. `lecture`, when given, runs inside the same transaction, which holds CA, so that two
// reports built at once never read each other's rows. A failure rolls the whole routine back; a bound
// that is no date is refused (ErreurExecution) before anything changes. Called by name, the bounds may
// also be the procedure's texts "dd/MM/yyyy HH:mm:ss".
void EtatCA(Connexion& connexion, const QDateTime& debut, const QDateTime& fin,
            const std::function<void()>& lecture = {});
// EtatCA restricted to the lines of one site: those whose DetailVente.NomSite equals `site`, every letter
// folded and accents kept ("nord" takes the lines of "Nord", "Nörd" does not), every character of the
// name taken as it is. An empty site names none: CA is emptied and nothing selected. By name it takes
// the bounds as EtatCA does, then the site's name.
void EtatCAsite(Connexion& connexion, const QDateTime& debut, const QDateTime& fin, const QString& site,
                const std::function<void()>& lecture = {});

// The condition "NoBadge equals `badge`" (every letter folded, accents kept, every other character as
// typed: the layer's LIKE on the escaped badge), its values appended to `valeurs`. Beside it stands the
// column's own equality wherever that gives the same rows, so that the badge index answers.
QString conditionNoBadge(const Connexion& connexion, const QString& badge, QVariantList& valeurs);

// The GrUtilisateur rows whose NoBadge equals `badge` (every letter folded, accents kept, every other
// character as typed), opened read-only in `resultat`; the surname reads as NOM as well as Nom. Throws
// ErreurExecution when the database refuses.
void BadgeIndentifie(Connexion& connexion, const QString& badge, Recordset& resultat);

} // namespace Routines

// The services that keep the original's contracts over the registry (which needs no connection); both
// log their failures under their own name.
// True when the routine exists. A routine the program does not provide cannot be created from a
// creation text here: that is logged and gives false.
bool VerifierStoredProcedure(const QString& nom, const QString& texte);
// A routine of the program cannot be dropped; an unknown name is logged as the failed DROP was.
void EffacerStoredProcedure(const QString& nom);
