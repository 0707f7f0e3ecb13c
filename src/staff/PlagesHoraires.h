#pragma once

#include <QString>
#include <QTime>
#include <QVariant>
#include <QtGlobal>
#include <array>

class Connexion;

// The weekday time windows of a profile (table PlageHoraire): one row per day, NoJour 1 = Sunday to
// 7 = Saturday, times kept as the text "H:M:00" without leading zeros (7 h 05 is "7:5:00").
namespace PlagesHoraires {

struct PlageJour {
    bool enregistree = false; // the day has a row
    QString nomJour;          // its NomJour (may be empty)
    QTime debut{0, 0};
    QTime fin{0, 0};
};
// Index 1 to 7 is NoJour; index 0 is unused.
using Semaine = std::array<PlageJour, 8>;

// The stored windows of a profile; a day without a row, a Null time or a time that does not read as one
// is 00:00 (the last is written to the error log).
Semaine LirePlages(Connexion& connexion, qint64 noQuota);
// Writes the seven days in one transaction: a day without a row gets one, named after the weekday in
// the default locale (Sunday first); NomJour of an existing row stays. Throws ErreurExecution, nothing
// written then.
void EnregistrerPlages(Connexion& connexion, qint64 noQuota, const Semaine& semaine);

// "7:5:00" for 07:05.
QString TexteHeure(const QTime& heure);
// Reads "7:5:00", "07:05:00" or "7:05": the hour and the minute; an invalid QTime otherwise.
QTime LireHeure(const QString& texte);
// The full weekday name of NoJour (1 = Sunday) in the default locale.
QString NomJour(int noJour);

} // namespace PlagesHoraires
