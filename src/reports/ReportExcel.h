#pragma once

#include "reports/ReportDefinition.h"
#include "reports/ReportTable.h"

#include <QList>
#include <QString>

// A report written as an Excel workbook (.xlsx): one sheet holding the lines of the report header (company,
// title, period), the column heads, then the group headers, details, group totals and the report totals
// in the order the report prints them. Numbers stay numbers and dates stay dates, with the report's
// formats; a column is a text or field of the detail band, and every other value goes under the detail
// column it stands over on paper.
namespace ReportExcel {

// The file name of a report's export: its title with `extension` (".xlsx" for the workbook), any character
// a file name cannot hold replaced by "-".
QString fileName(const QString& title, const QString& extension = QStringLiteral(".xlsx"));

// Writes the report of `definition` over `tables` (bound as ReportEngine::layout binds them) to `path`.
// The workbook is written under a temporary name in the same folder and renamed at the end, so that a
// failed write leaves neither a partial file nor the temporary one, and an older file of that name stays
// whole. Throws ErreurExecution PathFileAccess when the file cannot be written, and as
// ReportEngine::layout does for the definition.
void write(const ReportDefinition& definition, const QList<ReportTable>& tables, const QString& path);

} // namespace ReportExcel
