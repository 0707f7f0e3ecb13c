#include "reports/ReportTable.h"

#include "db/Connexion.h"
#include "db/Recordset.h"
#include "db/Valeurs.h"
#include "reports/ReportSort.h"

#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSqlResult>
#include <sqlite3.h>
#include <unordered_map>
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

// The texts a column shares, found by a plain FNV-1a hash of their characters: much cheaper than QHash's
// seeded one, and the values are the program's own rows, never keys an attacker chooses.
struct HashTexte {
    size_t operator()(QStringView texte) const noexcept {
        quint64 h = 14695981039346656037ull;
        for (const QChar c : texte) {
            h ^= c.unicode();
            h *= 1099511628211ull;
        }
        return static_cast<size_t>(h);
    }
};
// Each key views the text of its own value, which the map holds: the view lives as long as the entry.
using TextesPartages = std::unordered_map<QStringView, QVariant, HashTexte>;

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
    }
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
    // Work tables repeat texts in many rows (month, site, family, article, names): those rows share one
    // copy. A column stops sharing once its texts are mostly distinct (badges, dates as text).
    constexpr int MinShared = 8192;
    std::vector<TextesPartages> shared(n);
    std::vector<bool> sharing(n, true);
    while (query.next()) {
        for (int i = 0; i < n; ++i) {
            QVariant v = Valeurs::normaliser(query.value(i), kinds.at(i));
            if (sharing[i] && v.metaType().id() == QMetaType::QString && !v.isNull()) {
                const QString& t = *static_cast<const QString*>(v.constData());
                const auto it = shared[i].find(QStringView(t));
                if (it != shared[i].end()) {
                    v = it->second;
                } else if (shared[i].size() < MinShared ||
                           shared[i].size() < static_cast<size_t>(table.m_rows) / 2) {
                    QVariant copie = v;
                    const QStringView cle(*static_cast<const QString*>(copie.constData()));
                    shared[i].emplace(cle, std::move(copie));
                } else {
                    sharing[i] = false;
                    shared[i].clear();
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
