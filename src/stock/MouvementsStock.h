#pragma once

class Connexion;
class Recordset;

// The stock journal (table MouvementStock) as the movement list shows it: newest first, by entry date,
// and within one date by the order of booking, the latest first.
namespace MouvementsStock {

// Opens every movement in that order. Throws ErreurExecution; the recordset is then closed.
void ouvrir(Recordset& mouvements, Connexion& connexion);

// Reads the journal again in that order, a sort by another column dropped, on the same movement.
void relire(Recordset& mouvements);

} // namespace MouvementsStock
