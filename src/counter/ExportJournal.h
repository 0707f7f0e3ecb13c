#pragma once

#include <QDate>
#include <QString>

class Connexion;

// The journal and the returns as semicolon-separated text for spreadsheet programs ("consoQuorel.csv"):
// a header of the field names, then one line per row; values joined by ";", a Null value empty; dates
// dd/MM/yyyy HH:mm:ss (the date alone at midnight); decimals in their shortest text with 4 decimals at
// most and SeparateurDecimal; whole numbers plain; a value holding ";", a quote, CR or LF quoted
// (ChampCSV). Every line ends with CR LF, and the text is in the installation's code page (PageDeCode),
// which the spreadsheet programs of the workstations read. The file is replaced whole or not at all.
// Rows are streamed from the database, never held whole.
namespace ExportJournal {

// The withdrawal lines dated from the first day at 00:00:00 up to, not including, the last day at
// 23:59:59, oldest first: NumVente, LaDate, Utilisateur, Nom, Prenom of Ventes; Reference, Designation,
// Quantite, NomFamille, RefFournisseur, NomService, NomSite, NoMachine of DetailVente; Total of Ventes;
// NoAffaire of Ventes when VersionBase is 16 or more. Lines are matched to their withdrawal by number,
// and by machine too with OptionVersionGSM.
// A failure is logged under "ConsoAutreMethode", then thrown (ErreurExecution); the file is then left
// as it was.
void ConsoAutreMethode(Connexion& connexion, const QString& fichier, const QDate& debut, const QDate& fin);

// Every return of Retour, every column in the table's order, the newest withdrawal date first (a Null
// date last), then by row number. A failure is thrown (ErreurExecution), the file left as it was.
void ExporterRetoursCSV(Connexion& connexion, const QString& fichier);

} // namespace ExportJournal
