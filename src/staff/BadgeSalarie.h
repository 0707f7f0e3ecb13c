#pragma once

#include <QString>

class Connexion;
class Recordset;

// A badge read from a reader given to the current employee of the employee list.
namespace BadgeSalarie {

enum class Resultat {
    Enregistre,       // the row holds the badge, in memory and in the database
    BadgeMaintenance, // a maintenance badge: nothing written
    DejaUtilise       // another employee holds it: nothing written
};

// Writes `badge` into NoBadge of the current row of `liste` (the employee list, open on `connexion`)
// together with the row's pending changes, in one transaction that first checks that the badge is
// neither a maintenance badge nor another employee's. When the write fails (ErreurExecution) the
// database is left as it was; the row then keeps its pending changes for the caller to cancel.
Resultat AttribuerBadge(Connexion& connexion, Recordset& liste, const QString& badge);

} // namespace BadgeSalarie
