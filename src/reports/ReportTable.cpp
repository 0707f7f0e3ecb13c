#include "reports/ReportTable.h"

#include "db/Connexion.h"
#include "db/Recordset.h"
#include "db/Valeurs.h"
#include "reports/HashTexte.h"
#include "reports/ReportSort.h"

#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSqlResult>
#include <sqlite3.h>
#include <vector>

using Valeurs::TypeColonne;

namespace {

// The kinds of the query's columns: SQLite reports dates and money as text or numbers, so its declared
// types decide there; PostgreSQL's driver types say it already.
QList<TypeColonne> columnKinds(const QSqlQuery& query, const QSqlRecord& record) {
    QList<TypeColonne> kinds;
    sqlite3_stmt* statement = nullptr;
    const bool sqlite = query.driver() && query.driver()->dbmsType() == QSqlDriver::SQLite;
    if (sqlite) {
        const QVariant h = query.result()->handle();
        if (h.isValid() && qstrcmp(h.typeName(), "sqlite3_stmt*") == 0)
            statement = *static_cast<sqlite3_stmt* const*>(h.data());
    }
    for (int i = 0; i < record.count(); ++i) {
        if (sqlite) {
            const char* declared = statement ? sqlite3_column_decltype(statement, i) : nullptr;
            kinds << Valeurs::typeDepuisDeclaration(declared ? QString::fromUtf8(declared) : QString());
        } else {
            kinds << Valeurs::typeDepuisMetaType(record.field(i).metaType().id());
        }
    }
    return kinds;
}

} // namespace

ReportTable ReportTable::read(Connexion& connexion, const QString& source, const QVariantList& values) {
    static const QRegularExpression select(QStringLiteral("^\\s*(select|with)\\b"),
                                           QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression orderBy(QStringLiteral("\\border\\s+by\\b"),
                                            QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression tableOrder(
        QStringLiteral("^\\s*[A-Za-z_][A-Za-z0-9_]*\\s+order\\s+by\\s+(.+?)\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    // The record sources of the program: a table name, optionally followed by " order by " and columns,
    // or a whole SELECT.
    const bool whole = select.match(source).hasMatch();
    const QString sql = whole ? source : QStringLiteral("SELECT * FROM ") + source.trimmed();
    QSqlQuery query = connexion.executer(sql, values);
    ReportTable table = fromQuery(query);
    table.m_ordered = orderBy.match(source).hasMatch();
    // The database orders text its own way: "table order by columns" is put in French order here.
    const QRegularExpressionMatch m = tableOrder.match(source);
    if (!whole && m.hasMatch())
        table.sortBy(m.captured(1));
    return table;
}

void ReportTable::sortBy(const QString& columns) {
    static const QRegularExpression term(QStringLiteral("^([A-Za-z_][A-Za-z0-9_]*)(?:\\s+(asc|desc))?$"),
                                         QRegularExpression::CaseInsensitiveOption);
    std::vector<std::vector<ReportSort::Key>> keys;
    std::vector<bool> descending;
    QList<std::pair<QString, bool>> terms;
    for (const QString& t : columns.split(u',')) {
        const QRegularExpressionMatch m = term.match(t.trimmed());
        const int column = m.hasMatch() ? columnIndex(m.captured(1)) : -1;
        if (column < 0)
            return; // an expression: the database's order stands
        std::vector<QVariant> values;
        values.reserve(m_rows);
        for (int r = 0; r < m_rows; ++r)
            values.push_back(value(r, column));
        keys.push_back(ReportSort::keys(values));
        descending.push_back(m.captured(2).compare(QLatin1String("desc"), Qt::CaseInsensitive) == 0);
        terms.append({m.captured(1), descending.back()});
    }
    m_order = terms;
    const std::vector<int> order = ReportSort::order(keys, descending);
    const qsizetype n = m_columns.size();
    Values sorted;
    for (const int r : order)
        for (qsizetype i = 0; i < n; ++i)
            sorted.append(std::move(m_values[r * n + i]));
    m_values = std::move(sorted);
}

ReportTable ReportTable::fromQuery(QSqlQuery& query) {
    ReportTable table;
    const QSqlRecord record = query.record();
    const int n = record.count();
    for (int i = 0; i < n; ++i)
        table.m_columns << record.fieldName(i);
    const QList<TypeColonne> kinds = columnKinds(query, record);
    // Work tables repeat texts in many rows (month, site, family, article, supplier): those rows share one
    // copy, which halves what a long table holds. Each column keeps the last text met in each slot of a
    // small table indexed by the text's hash (HashTexte): a repeated text is found with one comparison, and
    // nothing grows, rehashes or allocates while the rows are read. A column whose texts mostly differ
    // (badges, names) stops looking once it has missed Essai texts and found fewer.
    constexpr size_t Slots = 4096;
    constexpr int Essai = 8192;
    struct Partage {
        std::vector<QString> textes;
        int vus = 0, trouves = 0;
        bool actif = true;
    };
    std::vector<Partage> partages(static_cast<size_t>(n));
    const Valeurs::NormaliseurLecture normaliser(kinds, false);
    while (query.next()) {
        for (int i = 0; i < n; ++i) {
            QVariant v = normaliser(query.value(i), i);
            Partage& p = partages[static_cast<size_t>(i)];
            if (p.actif && !v.data_ptr().is_null && v.metaType().id() == QMetaType::QString) {
                const QString& t = *static_cast<const QString*>(v.constData());
                if (p.textes.empty())
                    p.textes.resize(Slots);
                QString& deja = p.textes[HashTexte()(t) & (Slots - 1)];
                if (deja == t && !deja.isNull()) {
                    ++p.trouves;
                    v = QVariant(deja);
                } else if (++p.vus == Essai && p.trouves < Essai) {
                    p.actif = false;
                    p.textes = {};
                } else {
                    deja = t;
                }
            }
            table.m_values.append(std::move(v));
        }
        ++table.m_rows;
    }
    return table;
}

ReportTable ReportTable::fromRecordset(const Recordset& recordset) {
    ReportTable table;
    table.m_columns = recordset.FieldNames();
    const int n = recordset.FieldCount();
    table.m_rows = recordset.RecordCount();
    for (int r = 0; r < table.m_rows; ++r)
        for (int i = 0; i < n; ++i)
            table.m_values.append(recordset.ValueAt(r, i));
    return table;
}

int ReportTable::columnIndex(const QString& name) const {
    for (int i = 0; i < m_columns.size(); ++i)
        if (Valeurs::egalSansCasse(m_columns.at(i), name))
            return i;
    return -1;
}

void ReportTable::setColumns(const QStringList& columns) {
    m_columns = columns;
    m_values.clear();
    m_rows = 0;
}

void ReportTable::appendRow(const QVariantList& values) {
    for (int i = 0; i < m_columns.size(); ++i)
        m_values.append(i < values.size() ? QVariant(values.at(i)) : QVariant());
    ++m_rows;
}
