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

// A routine with a result: it opens its rows in `resultat`.
using RoutineResultat = std::function<void(Connexion&, const QVariantList&, Recordset& resultat)>;

// Adds (or replaces) a routine. The program's own routines are present from the start.
void enregistrer(const QString& nom, Routine routine);
void enregistrer(const QString& nom, RoutineResultat routine);
// True when a routine of exactly that name exists (case counts), with a result or without.
bool existe(const QString& nom);
QStringList noms();
// Runs a routine; an unknown name is an ErreurExecution. A routine with a result runs, its rows unread.
void executer(const QString& nom, Connexion& connexion, const QVariantList& parametres);
// Runs a routine with a result and opens its rows in `resultat`; an unknown name, or one of a routine
// without a result, is an ErreurExecution.
void ouvrir(const QString& nom, Connexion& connexion, const QVariantList& parametres, Recordset& resultat);

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

// The summaries of a period, each over the rows EtatCA writes into CA for the same bounds (CA itself is
// neither read nor written), in one transaction that holds its own work table, empties it and fills it;
// `lecture`, when given, runs inside that transaction. A line's amount is its PrixAchatUnit (the line's
// value, quantity included); a Null quantity or amount adds nothing; Null keys group apart. A bound that
// is no date is refused before anything changes; a failure rolls the routine back. By name they take
// the bounds as EtatCA does.
// ConsoParMachineSecteur: per machine (its Location from Machines, Null when Machines lacks it), site,
// service and article (its designation), the quantities and amounts summed.
void ConsoParCentreCout(Connexion& connexion, const QDateTime& debut, const QDateTime& fin,
                        const std::function<void()>& lecture = {});
// Its INSERT ... SELECT, with the two bounds bound, as it runs.
QString sqlConsoParCentreCout();
// EtatSuiviParHeure: per hour of the day (0 to 23) holding withdrawals, their number (NumVente counted
// once) and the quantities summed.
void AjoutSuiviParHeure(Connexion& connexion, const QDateTime& debut, const QDateTime& fin,
                        const std::function<void()>& lecture = {});
// CAparArticle: per article (Reference, its designation), the quantities and amounts summed.
void AjoutCAparArticle(Connexion& connexion, const QDateTime& debut, const QDateTime& fin,
                       const std::function<void()>& lecture = {});

// The condition "`colonne` equals `valeur`" (every letter folded, accents kept, every other character as
// typed: the layer's LIKE on the escaped value), its values appended to `valeurs`; a Null value equals
// nothing. Beside it stands the column's own equality wherever that gives the same rows, so that an index
// on the column (the badge's) answers. `colonne` is the program's own text, never a typed one.
QString conditionNoBadge(const Connexion& connexion, const QString& colonne, const QString& valeur,
                         QVariantList& valeurs);

// The GrUtilisateur rows whose NoBadge equals `badge` (every letter folded, accents kept, every other
// character as typed), opened read-only in `resultat`; the surname reads as NOM as well as Nom. Throws
// ErreurExecution when the database refuses.
void BadgeIndentifie(Connexion& connexion, const QString& badge, Recordset& resultat);

// The rows of the machine sheets, each a query in the caller's transaction, opened read-only in
// `resultat`: Etage, ReferenceArticle, Designation, RefFournisseur, CodeArticle (the line's unless Null or
// 0, else the article's), NbUnite, Aremplir, NoMachine, Location and Image (the article's picture name).
// RemplissageMachine: every line of TRemplissageMachine (the global sheets hold every machine there and
// pass the last one: `machine` filters nothing), with its article and machine when they exist, by Etage
// (Null first), then reference and machine.
void RemplissageMachine(Connexion& connexion, qint64 machine, Recordset& resultat);
// PresentationArticle: the ConfigMachines rows of `machine` planned with an article, by Etage; NbUnite and
// Aremplir Null.
void PresentationArticle(Connexion& connexion, qint64 machine, Recordset& resultat);
QString sqlRemplissageMachine();

// The statement of SelectionQuotaArticleStock; its one value is the profile's number.
QString sqlSelectionQuotaArticleStock();
// The quota lines of profile `profil` (Quota.NoQota): RefArticle, Periodicite, QtePermise, in the order
// of their NoLigne, so that of several lines for one article the first written counts; opened read-only
// in `resultat`. Throws ErreurExecution when the database refuses.
void SelectionQuotaArticleStock(Connexion& connexion, qint64 profil, Recordset& resultat);

// The statement of SelectionQuotaConso with its values appended to `valeurs`, as the routine runs it.
QString sqlSelectionQuotaConso(const Connexion& connexion, const QDateTime& debut, const QDateTime& fin,
                               const QString& nom, const QString& prenom, qint64 reference,
                               QVariantList& valeurs);
// The withdrawal lines of article `reference` made under that surname and first name (Ventes.Nom and
// Ventes.Prenom, every letter folded, accents kept, every other character as typed) with LaDate at or
// after `debut` and before `fin`: LaDate, Utilisateur, Reference, Quantite, NumVente, Nom, Prenom, by
// date, identical lines of one withdrawal given once; opened read-only in `resultat`. A bound that is no
// date is refused (ErreurExecution) rather than taken for an empty period; so is a database refusal.
void SelectionQuotaConso(Connexion& connexion, const QDateTime& debut, const QDateTime& fin,
                         const QString& nom, const QString& prenom, qint64 reference, Recordset& resultat);

} // namespace Routines

// The services that keep the original's contracts over the registry (which needs no connection); both
// log their failures under their own name.
// True when the routine exists. A routine the program does not provide cannot be created from a
// creation text here: that is logged and gives false.
bool VerifierStoredProcedure(const QString& nom, const QString& texte);
// A routine of the program cannot be dropped; an unknown name is logged as the failed DROP was.
void EffacerStoredProcedure(const QString& nom);
