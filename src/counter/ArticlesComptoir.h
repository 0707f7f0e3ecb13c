#pragma once

#include <QString>
#include <QStringList>

class Connexion;
class Recordset;

// The counter's articles: the recordset it searches and the list it offers to choose from.
namespace ArticlesComptoir {

// The list's item for an article: the supplier reference, " |", hyphens up to a width of 21 characters,
// then the designation ("GT-0042 |--------------Gants nitrile"); a reference of more than 20 characters is
// followed by " |-" and the designation.
QString ElementCombo(const QString& refFournisseur, const QString& designation);

// The items and, at the same index, the Reference of their article as text.
struct Liste {
    QStringList elements;
    QStringList references;
};

// Every row of `articles` from the first to the last whose RefFournisseur is not Null, in the recordset's
// order. Reads the rows without moving.
Liste ListeArticles(const Recordset& articles);

// The counter's load: opens `articles` over StockGlobal in supplier-reference order, lists it, then reads
// it again in Reference order, positioned on the first row. Throws ErreurExecution.
Liste ChargerArticles(Connexion& connexion, Recordset& articles);

} // namespace ArticlesComptoir
