#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <vector>

class Connexion;
class QSqlQuery;
class Recordset;

// One table handed to a report: the rows of a record source copied into memory, so that no query or
// recordset stays open while the report is laid out or shown. Values keep the types the database layer
// reads (QDateTime for dates, double for money, qint64 for whole numbers, bool for flags).
class ReportTable {
public:
    ReportTable() = default;

    // The rows of `source` on `connexion`: a SELECT with its bound values, or a table or view name,
    // optionally followed by " order by " and columns, whose rows are then put in French order (text
    // without regard to case), as the lists of the program are. Throws ErreurExecution as the
    // connection does.
    static ReportTable read(Connexion& connexion, const QString& source, const QVariantList& values = {});
    // The rows left in an executed query, from its current position; values normalised from the
    // column kinds the driver reports (SQLite columns by their declared type).
    static ReportTable fromQuery(QSqlQuery& query);
    // The visible rows of an open recordset, in its current order and filter.
    static ReportTable fromRecordset(const Recordset& recordset);

    int columnCount() const { return static_cast<int>(m_columns.size()); }
    int rowCount() const { return m_rows; }
    const QStringList& columns() const { return m_columns; }
    // Column names compare without regard to case (PostgreSQL gives them in lower case); -1 when absent.
    int columnIndex(const QString& name) const;
    const QVariant& value(int row, int column) const {
        return m_values.at(static_cast<qsizetype>(row) * m_columns.size() + column);
    }

    // True when the record source already gives the row order ("... order by ..."): a definition's
    // own sort then only breaks the ties of the source's columns, when they are known (a table name
    // followed by columns), and leaves the rows as they came otherwise.
    bool ordered() const { return m_ordered; }
    void setOrdered(bool ordered) { m_ordered = ordered; }
    // The source's order columns, each with true when descending; empty when unknown.
    const QList<std::pair<QString, bool>>& order() const { return m_order; }
    void setOrder(const QList<std::pair<QString, bool>>& order) {
        m_order = order;
        m_ordered = m_ordered || !order.isEmpty();
    }

    // For tables built in code (tests, builders).
    void setColumns(const QStringList& columns);
    void appendRow(const QVariantList& values);

private:
    // The values row after row, in blocks of at most BlockSize: a long read grows one block at a time and
    // never moves or copies what it already holds (SQLite cannot tell the row count beforehand). Copies of
    // a table share the blocks.
    class Values {
    public:
        const QVariant& at(qsizetype i) const { return m_blocks.at(i >> BlockBits)[i & (BlockSize - 1)]; }
        QVariant& operator[](qsizetype i) { return m_blocks[i >> BlockBits][i & (BlockSize - 1)]; }
        qsizetype size() const { return m_size; }
        void append(QVariant&& value) {
            // The first block grows as a list does, so that a small table stays small; the next ones are
            // taken whole.
            if (m_blocks.isEmpty() || m_blocks.constLast().size() == BlockSize) {
                m_blocks.emplaceBack();
                if (m_blocks.size() > 1)
                    m_blocks.last().reserve(BlockSize);
            }
            m_blocks.last().push_back(std::move(value));
            ++m_size;
        }
        void clear() {
            m_blocks.clear();
            m_size = 0;
        }

    private:
        static constexpr int BlockBits = 14;
        static constexpr qsizetype BlockSize = qsizetype(1) << BlockBits;
        QList<std::vector<QVariant>> m_blocks;
        qsizetype m_size = 0;
    };

    void sortBy(const QString& columns);

    QStringList m_columns;
    Values m_values;
    int m_rows = 0;
    bool m_ordered = false;
    QList<std::pair<QString, bool>> m_order;
};
