#pragma once

#include <QList>
#include <QString>
#include <QVariant>
#include <QVariantList>

class Connexion;

// The lists the article card chooses from: families, suppliers and the sizes of a family, each line with
// the number the card writes back and the name it shows (a Null name shows as an empty text). Families
// and suppliers come in the order the rows were created.
namespace ListesArticle {

struct Ligne {
    QVariant numero;
    QString nom;
};

// The first two columns of a query's rows, bound values given.
QList<Ligne> lireLignes(Connexion& connexion, const QString& sql, const QVariantList& valeurs = {});

// NoFamille and NomFamille of every family.
QList<Ligne> familles(Connexion& connexion);
// No and Societe of every supplier.
QList<Ligne> fournisseurs(Connexion& connexion);
// NoTaille and Taille of the sizes of one family, in their order.
QList<Ligne> tailles(Connexion& connexion, qint64 noFamille);

} // namespace ListesArticle
