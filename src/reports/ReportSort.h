#pragma once

#include <QDateTime>
#include <QList>
#include <QVariant>
#include <vector>

// The order of report rows: Null first, then numbers and dates by value, then text in French dictionary
// order without regard to case, as every list the user sees is ordered.
namespace ReportSort {

struct Key {
    qint8 kind = 0; // 0 Null, 1 number or date, 2 text
    double value = 0;
    bool operator==(const Key& o) const { return kind == o.kind && value == o.value; }
    bool operator<(const Key& o) const { return kind != o.kind ? kind < o.kind : value < o.value; }
};

// One key per value; texts that compare equal ("Dupont", "DUPONT") get equal keys.
std::vector<Key> keys(const std::vector<QVariant>& values);

// The positions 0..n-1 in the order of the keys (one list per sort field, `descending` per field),
// ties kept in their order.
std::vector<int> order(const std::vector<std::vector<Key>>& keys, const std::vector<bool>& descending);

// A date's wall-clock time (milliseconds): stored dates are local times without zone, and comparing them
// as instants would move them across a change of hour.
double wallClock(const QDateTime& date);

} // namespace ReportSort
