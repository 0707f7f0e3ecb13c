#pragma once

#include <QDate>
#include <QString>
#include <QVariant>

class Connexion;

// The alert levels of the articles, from what was withdrawn during a period.
namespace AlertesStock {

// Units withdrawn per reference strictly inside the period (two bound timestamps: after the first day's
// 00:00:00, before the last day's 23:59:59), every movement type counted.
QString sqlConsommations();

// The level for `total` units over `jours` days: without delay (Null) the consumption of 7 days; with a
// delay, that of delay + 6 days and at least 1. Halves go to the even neighbour. CalculerAlertes computes
// the same in the database.
qint64 niveauAlerte(double total, qint64 jours, const QVariant& delai);

// Recomputes StockAlert of every article consumed during the period, in one statement over the grouped
// consumption, inside one transaction; articles without consumption keep their level. False, with
// nothing changed, when no computation is possible: an invalid day, a period of less than one day, or no
// withdrawal in it.
// ErreurExecution when the database refuses (rolled back).
bool CalculerAlertes(Connexion& connexion, const QDate& premier, const QDate& dernier);

} // namespace AlertesStock
