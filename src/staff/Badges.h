#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

class Connexion;

// Who holds a badge number: the one place every writer of a badge (employee card, maintenance badges,
// imports) asks. A badge is compared as the layer compares names: every letter without regard to case,
// accents kept, every other character as typed ("%", "_", "\" and quotes included). Each check is one
// read on the caller's connection, so that it can run inside the caller's write transaction; it throws
// ErreurExecution when the database refuses.
namespace Badges {

// Holds the employees, then the maintenance badges when `maintenance` is set, until the commit of the
// caller's write transaction: no other workstation gives a badge between the checks below and the write
// that follows them. Taken first in the transaction, always in that order, so that two writers never wait
// on each other (PostgreSQL; on SQLite the write transaction already holds the file).
void VerrouillerBadges(Connexion& connexion, bool maintenance);

// True when the number is a maintenance badge, leaving out the row `sauf` (the row being changed).
bool EstBadgeMaintenance(Connexion& connexion, const QString& badge,
                         std::optional<qint64> sauf = std::nullopt);

// The employee row holding a badge.
struct Titulaire {
    qint64 idUtilisateur = 0;
    QString nom;
    QString prenom;
};

// The employee row (the lowest IdUtilisateur when several do) whose NoBadge is `badge`, leaving out the
// row `sauf` (the row being saved); nullopt when none holds it.
std::optional<Titulaire> TitulaireBadge(Connexion& connexion, const QString& badge,
                                        std::optional<qint64> sauf = std::nullopt);

} // namespace Badges
