#include "reports/ReportSort.h"

#include "db/Valeurs.h"

#include <QCollator>
#include <QHash>
#include <QLocale>
#include <algorithm>

namespace ReportSort {

double wallClock(const QDateTime& d) {
    return static_cast<double>(d.date().toJulianDay()) * 86400000.0 + d.time().msecsSinceStartOfDay();
}

std::vector<Key> keys(const std::vector<QVariant>& values) {
    std::vector<Key> k(values.size());
    // Text is ranked once per distinct value, then rows compare ranks.
    QHash<QString, int> distinct;
    std::vector<QString> texts;
    std::vector<int> textOf(values.size(), -1);
    for (size_t i = 0; i < values.size(); ++i) {
        const QVariant& v = values[i];
        if (!v.isValid() || v.isNull())
            continue;
        const int type = v.metaType().id();
        if (type == QMetaType::QDateTime) {
            k[i] = {1, wallClock(v.toDateTime())};
        } else if (type == QMetaType::QDate) {
            k[i] = {1, wallClock(QDateTime(v.toDate(), QTime(0, 0)))};
        } else if (Valeurs::estNombre(v) || type == QMetaType::Bool) {
            k[i] = {1, v.toDouble()};
        } else {
            k[i].kind = 2;
            const QString t = v.toString();
            auto it = distinct.constFind(t);
            if (it == distinct.constEnd()) {
                it = distinct.insert(t, static_cast<int>(texts.size()));
                texts.push_back(t);
            }
            textOf[i] = *it;
        }
    }
    if (texts.empty())
        return k;
    QCollator collator(QLocale(QLocale::French, QLocale::France));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::vector<int> sorted(texts.size());
    for (size_t i = 0; i < sorted.size(); ++i)
        sorted[i] = static_cast<int>(i);
    std::sort(sorted.begin(), sorted.end(),
              [&](int a, int b) { return collator.compare(texts[a], texts[b]) < 0; });
    std::vector<double> rank(texts.size());
    for (size_t i = 0; i < sorted.size(); ++i)
        rank[sorted[i]] = i > 0 && collator.compare(texts[sorted[i - 1]], texts[sorted[i]]) == 0
                              ? rank[sorted[i - 1]]
                              : static_cast<double>(i);
    for (size_t i = 0; i < values.size(); ++i)
        if (textOf[i] >= 0)
            k[i].value = rank[textOf[i]];
    return k;
}

std::vector<int> order(const std::vector<std::vector<Key>>& keys, const std::vector<bool>& descending) {
    const size_t n = keys.empty() ? 0 : keys.front().size();
    std::vector<int> index(n);
    for (size_t i = 0; i < n; ++i)
        index[i] = static_cast<int>(i);
    std::stable_sort(index.begin(), index.end(), [&](int a, int b) {
        for (size_t f = 0; f < keys.size(); ++f) {
            const Key& x = keys[f][a];
            const Key& y = keys[f][b];
            if (x == y)
                continue;
            return descending[f] ? y < x : x < y;
        }
        return false;
    });
    return index;
}

} // namespace ReportSort
