#include "staff/Badges.h"

#include "db/Connexion.h"
#include "db/Routines.h"
#include "db/Valeurs.h"

#include <QSqlQuery>

namespace Badges {

void VerrouillerBadges(Connexion& c, bool maintenance) {
    c.verrouillerTable(QStringLiteral("Utilisateurs"));
    if (maintenance)
        c.verrouillerTable(QStringLiteral("BadgeMaintenance"));
}

bool EstBadgeMaintenance(Connexion& c, const QString& badge, std::optional<qint64> sauf) {
    QVariantList valeurs;
    QString sql = QStringLiteral("SELECT Id FROM BadgeMaintenance WHERE ") +
                  Routines::conditionNoBadge(c, QStringLiteral("NoBadge"), badge, valeurs);
    if (sauf) {
        sql += QStringLiteral(" AND Id <> ?");
        valeurs << *sauf;
    }
    return !c.valeurUnique(sql, valeurs).isNull();
}

std::optional<Titulaire> TitulaireBadge(Connexion& c, const QString& badge, std::optional<qint64> sauf) {
    QVariantList valeurs;
    QString sql = QStringLiteral("SELECT IdUtilisateur, Nom, Prenom FROM Utilisateurs WHERE ") +
                  Routines::conditionNoBadge(c, QStringLiteral("NoBadge"), badge, valeurs);
    if (sauf) {
        sql += QStringLiteral(" AND IdUtilisateur <> ?");
        valeurs << *sauf;
    }
    sql += QStringLiteral(" ORDER BY IdUtilisateur");
    QSqlQuery q = c.executer(sql, valeurs);
    if (!q.next())
        return std::nullopt;
    return Titulaire{Valeurs::lireEntier(q.value(0)), Valeurs::lireTexte(q.value(1)),
                     Valeurs::lireTexte(q.value(2))};
}

} // namespace Badges
