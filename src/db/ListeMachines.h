#pragma once

#include <QString>

// The numbers of every machine, in order, joined by "," (empty without machines). Opens and closes a
// connection of its own to the main database, so that any subsystem can ask at any time.
QString ListeDesMachinesAutorise();
