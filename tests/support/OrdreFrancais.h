#pragma once

// The order the lists must show, made by the collator's own comparison (French, without regard to case),
// for tests of the sorts: stable over the values as given, Null first (last in descending order). Each
// value as its text, Null as "<Null>".

#include <QCollator>
#include <QStringList>
#include <QVariantList>
#include <algorithm>

inline QString texteOuNul(const QVariant& v) {
    return v.isNull() ? QStringLiteral("<Null>") : v.toString();
}

inline QStringList ordreFrancais(const QVariantList& valeurs, bool decroissant = false) {
    QCollator collateur(QLocale(QLocale::French, QLocale::France));
    collateur.setCaseSensitivity(Qt::CaseInsensitive);
    QVariantList v = valeurs;
    std::stable_sort(v.begin(), v.end(), [&](const QVariant& a, const QVariant& b) {
        const QVariant& x = decroissant ? b : a;
        const QVariant& y = decroissant ? a : b;
        if (x.isNull() || y.isNull())
            return x.isNull() && !y.isNull();
        return collateur.compare(x.toString(), y.toString()) < 0;
    });
    QStringList l;
    for (const QVariant& x : v)
        l << texteOuNul(x);
    return l;
}
