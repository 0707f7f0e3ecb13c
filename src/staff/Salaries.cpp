#include "staff/Salaries.h"

#include "db/Recordset.h"

#include <QStringList>

namespace Salaries {

void OuvrirListe(Connexion& connexion, Recordset& liste) {
    liste.Open(connexion, QStringLiteral("GrUtilisateur"), {}, QStringLiteral("Utilisateurs"),
               {QStringLiteral("IdUtilisateur")});
}

} // namespace Salaries
