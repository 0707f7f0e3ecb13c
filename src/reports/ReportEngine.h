#pragma once

#include "reports/ReportDefinition.h"
#include "reports/ReportDocument.h"
#include "reports/ReportTable.h"

#include <QList>
#include <QString>
#include <QVariant>

// The report engine: a definition and the tables the caller binds to it, by position, laid out once into
// a document of pages.
namespace ReportEngine {

// Lays the report out. The tables are the definition's tables in order (table 1 feeds the detail);
// extra tables are ignored. A table missing, or a field the definition names that its table does not
// have, is the ErreurExecution ReportDefinition::ErrorNumber naming the file and the place. The print
// date is FnWendrox::Maintenant().
ReportDocument layout(const ReportDefinition& definition, const QList<ReportTable>& tables);

// A value as a report shows it: "" for Null; integers rounded to the nearest (a half to the even one);
// decimals with the state's decimal separator; money through the program's money text; dates
// dd/MM/yyyy.
QString formatValue(const QVariant& value, ReportFormat format, int decimals = 2);

} // namespace ReportEngine
