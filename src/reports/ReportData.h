#pragma once

#include "reports/ReportTable.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <functional>

class Connexion;

// The data of one report, as the viewer hands it to the engine: which tables a report file is bound to,
// by position, and their snapshots, read in one transaction with the builder of the work table and the
// report header InfoEtat, so that two workstations printing at once never print each other's title or
// rows, and a failure leaves no half-written header. Every snapshot is in memory once read: no query or
// recordset stays open while the report is shown.
namespace ReportData {

// The binding rules, in the order they are tried (text comparisons exact and case-sensitive).
enum class Rule {
    Machines,  // the file name contains "ConsParMachine": CA, InfoEtat, InfoSociete, Machines
    Returns,   // the source contains "Retour": source, InfoSociete, InfoEtat; nothing is shown when empty
    Articles,  // no CA in the source (or one of the three employee reports), no source: ArticleEnStock,
               // Familles, Fournisseur, InfoSociete, InfoEtat
    Employees, // the same, the source exactly "GrUtilisateur": GrUtilisateur, InfoSociete
    Source,    // the same, any other source: source, InfoEtat, InfoSociete
    CA         // otherwise (the source names CA): CA as filtered, InfoEtat, InfoSociete
};

// What one position of a report receives.
enum class Table {
    Source,   // the record source, as the caller gives it
    CA,       // the table CA, or "select * from CA " followed by the CA filter
    InfoEtat, // the others whole, by name
    InfoSociete,
    Machines,
    ArticleEnStock,
    Familles,
    Fournisseur,
    GrUtilisateur
};

// The rule for a report file name (as the caller names it) and a record source (as given: a name, a
// name followed by " order by ...", or a SELECT whose typed values are bound, "?" in the text).
Rule rule(const QString& fileName, const QString& source);
// The tables of a rule, position 1 first.
QList<Table> tables(Rule rule);
// The name a table is read under ("CA" whole, "InfoEtat", ...); "" for the record source, which the
// caller names.
QString tableName(Table table);

// A builder fills the report's work table on the connection inside a transaction of its own that holds
// that table, and calls `read` inside that same transaction once the table is filled: the header is then
// written and every table read before anything is committed. It returns false, without calling `read`,
// when there is nothing to print (its work is then committed or rolled back as it chooses). Failures are
// ErreurExecution; the transaction then rolls back, the header included. Routines::EtatCA takes such a
// `read` as its reading hook.
using Builder = std::function<bool(Connexion& connexion, const std::function<void()>& read)>;

// A builder for work that has no transaction of its own: a write transaction that holds `workTables`, in
// that order, `fill` (false: nothing to print, its work committed), then `read`.
Builder inTransaction(const QStringList& workTables, std::function<bool(Connexion&)> fill);

// The rule of every builder step: a failure of the builder's own work (its routine, its statements, its
// count) is logged under `procedure` and goes on to the viewer, which shows its number and description
// and prints nothing: a failure never reads as an empty period. A failure of the viewer's read goes on
// as it is, the viewer's own.
Builder logged(const QString& procedure, Builder builder);

struct Request {
    QString fileName; // as the caller names it: the rules test this name, never its English twin's
    QString title;    // InfoEtat.Titre
    QString period;   // InfoEtat.Periode (periodLine)
    QString source;   // the record source
    QVariantList values;
    QString filter; // of CA: appended to "select * from CA " when not empty
    QVariantList filterValues;
    Builder builder; // may be empty
};

struct Snapshot {
    enum class Outcome {
        Ready,          // the tables are read
        NothingToPrint, // the builder found nothing: no table is read, the header is left as it was
        EmptyReturns    // a returns report whose source holds no row (the header is written)
    };
    Outcome outcome = Outcome::Ready;
    Rule rule = Rule::Source;
    QList<ReportTable> tables; // in binding order
};

// Runs the builder (or a write transaction of its own), writes the header (InfoEtat holds exactly one
// row afterwards) and reads the tables of the request's rule, all in one transaction on `connexion`, which
// holds InfoEtat and, where the rule binds it, CA (InfoEtat last, so that two reports never wait on each
// other in a circle). A source or filter the database refuses, a builder that says it printed but never
// read, and an empty company record (InfoSociete) are ErreurExecution; nothing is then written.
Snapshot read(Connexion& connexion, const Request& request);

// The report file to open: when `french` is false and "<fileName less its last four characters>EN.rpt"
// exists in `folder` (names compared without regard to case), that name; otherwise `fileName`.
QString reportFile(const QString& folder, const QString& fileName, bool french);

// The period line of the header: "Période du <start> au <end>" in French, else "Period from <start> to
// <end>"; a text that reads as a date d/M/yyyy is written dd/MM/yyyy, any other text as it stands.
QString periodLine(const QString& start, const QString& end, bool french);

} // namespace ReportData
