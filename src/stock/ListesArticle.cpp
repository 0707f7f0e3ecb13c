#include "stock/ListesArticle.h"

#include "db/Connexion.h"

#include <QSqlQuery>

namespace ListesArticle {

QList<Ligne> lireLignes(Connexion& connexion, const QString& sql, const QVariantList& valeurs) {
    QList<Ligne> lignes;
    QSqlQuery q = connexion.executer(sql, valeurs);
    while (q.next())
        lignes.append({q.value(0), q.value(1).isNull() ? QString() : q.value(1).toString()});
    return lignes;
}

QList<Ligne> familles(Connexion& connexion) {
    return lireLignes(connexion,
                      QStringLiteral("SELECT NoFamille, NomFamille FROM Familles ORDER BY NoFamille"));
}

QList<Ligne> fournisseurs(Connexion& connexion) {
    return lireLignes(connexion, QStringLiteral("SELECT No, Societe FROM Fournisseur ORDER BY Nauto"));
}

QList<Ligne> tailles(Connexion& connexion, qint64 noFamille) {
    return lireLignes(
        connexion,
        QStringLiteral("SELECT NoTaille, Taille FROM Tailles WHERE NoFamille = ? ORDER BY Ordre, NoTaille"),
        {noFamille});
}

} // namespace ListesArticle
