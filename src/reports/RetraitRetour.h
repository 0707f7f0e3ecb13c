#pragma once

#include <QDate>
#include <QString>
#include <QVariantList>
#include <array>
#include <optional>

// The withdrawals and returns reports of the reports menu, without its window: their record sources over
// table Retour for a period. A withdrawal belongs to the period by its own date, its return wherever it
// falls; the bounds are bound, never written into the text.
namespace RetraitRetour {

// The entries of the list of sort orders, as message-table numbers, in list order.
inline constexpr std::array<int, 7> MessagesOrdres = {42, 43, 44, 45, 5, 46, 47};

struct Source {
    QString sql;          // "select * from Retour where ... order by ..."
    QVariantList valeurs; // its two bounds
};

// "select * from Retour where (LaDateRetrait >= ?) AND (LaDateRetrait <= ?)" followed by the order of
// list entry `ordre` (0 to 6), bound to `premierJour` at 00:00:00 and `dernierJour` at 23:59:59, both
// included; nullopt for any other entry.
std::optional<Source> liste(const QDate& premierJour, const QDate& dernierJour, int ordre);

// The status per article: the same period, " order by ReferenceArticle, LaDateRetrait Desc".
Source statut(const QDate& premierJour, const QDate& dernierJour);

} // namespace RetraitRetour
