#include "stock/MouvementsStock.h"

#include "db/Recordset.h"

namespace MouvementsStock {

void ouvrir(Recordset& mouvements, Connexion& connexion) {
    // Entries of one day share their date: the key gives the order in which they were booked.
    mouvements.Open(connexion,
                    QStringLiteral("SELECT * FROM MouvementStock ORDER BY DateEntree DESC, Id DESC"), {},
                    QStringLiteral("MouvementStock"), {QStringLiteral("Id")});
}

void relire(Recordset& mouvements) {
    // Back to the order the rows are read in, the journal's.
    if (!mouvements.SortField().isEmpty())
        mouvements.Sort(QString());
    mouvements.Requery();
}

} // namespace MouvementsStock
