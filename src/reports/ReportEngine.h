#pragma once

#include "reports/ReportDefinition.h"
#include "reports/ReportDocument.h"
#include "reports/ReportTable.h"

#include <QList>
#include <QString>
#include <QVariant>

// One value of a band, as an export writes it.
struct ReportCell {
    QVariant value; // as read (number, date, text); a total as a number; a fixed text as its text
    ReportFormat format = ReportFormat::Text;
    int decimals = 2;
    int element = 0; // its index among the elements of its band
    QString field;   // the field shown, "" for a fixed text or a count of rows
    QRectF rect;     // in its band, millimetres
    ReportFont font;
    bool total = false; // a sum or a count
};

// One band as printed, in the order of the report: the headers once, then groups, details and totals.
struct ReportRow {
    enum class Kind { ReportHeader, PageHeader, GroupHeader, Detail, GroupFooter, ReportFooter };
    Kind kind = Kind::Detail;
    int level = 0; // groups: from 0, the outermost
    QList<ReportCell> cells;
};

// The report engine: a definition and the tables the caller binds to it, by position, laid out once into
// a document of pages.
namespace ReportEngine {

// Lays the report out. The tables are the definition's tables in order (table 1 feeds the detail);
// extra tables are ignored. A table missing, or a field the definition names that its table does not
// have, is the ErreurExecution ReportDefinition::ErrorNumber naming the file and the place. The print
// date is FnWendrox::Maintenant().
ReportDocument layout(const ReportDefinition& definition, const QList<ReportTable>& tables);

// The same report as rows of values: the texts, fields and totals of every band the layout prints (the
// page header once, no page footer), with the same filter, order, groups and sums; pictures, bars and
// charts left out. Fails as layout() does.
QList<ReportRow> tabulate(const ReportDefinition& definition, const QList<ReportTable>& tables);

// A value as a report shows it: "" for Null; integers rounded to the nearest (a half to the even one);
// decimals with the state's decimal separator; money through the program's money text; dates
// dd/MM/yyyy, dates with their time dd/MM/yyyy HH:mm:ss.
QString formatValue(const QVariant& value, ReportFormat format, int decimals = 2);

} // namespace ReportEngine
