#include "staff/BadgeSalarie.h"

#include "db/Connexion.h"
#include "db/Recordset.h"
#include "db/Valeurs.h"
#include "staff/Badges.h"

namespace BadgeSalarie {

Resultat AttribuerBadge(Connexion& connexion, Recordset& liste, const QString& badge) {
    const qint64 id = Valeurs::lireEntier(liste.Field(QStringLiteral("IdUtilisateur")));
    bool enMemoire = false;
    try {
        TransactionEcriture t(connexion);
        Badges::VerrouillerBadges(connexion, true);
        if (Badges::EstBadgeMaintenance(connexion, badge))
            return Resultat::BadgeMaintenance;
        // Two employees with one badge would share their withdrawals.
        if (Badges::TitulaireBadge(connexion, badge, id))
            return Resultat::DejaUtilise;
        liste.SetField(QStringLiteral("NoBadge"), badge);
        liste.Update();
        enMemoire = true;
        t.valider();
    } catch (...) {
        // The row took the values in memory while the database rolled them back: read it again.
        if (enMemoire) {
            try {
                liste.Requery();
            } catch (...) {
            }
        }
        throw;
    }
    return Resultat::Enregistre;
}

} // namespace BadgeSalarie
