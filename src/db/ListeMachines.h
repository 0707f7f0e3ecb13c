#pragma once

#include <QString>

class Connexion;

// The numbers of every machine, ascending, joined by "," (empty without machines): the machine list of
// an employee allowed on all of them. Opens and closes a connection of its own to the main database, so
// that any subsystem can ask at any time. Never throws: a failure is logged under
// "ListeDesMachinesAutorise" and the numbers read before it are returned.
QString ListeDesMachinesAutorise();

// The same list read on the caller's connection (inside its transaction, on its thread); a failure
// throws ErreurExecution and logs nothing.
QString ListeDesMachinesAutorise(Connexion& connexion);
