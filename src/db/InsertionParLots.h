#pragma once

#include <QString>
#include <QStringList>
#include <QVariantList>

class Connexion;

// Rows written into one table in statements of many rows ("INSERT ... VALUES (...), (...)"): full lots as
// rows come, then what is left in lots of halving sizes, so that a few statements of fixed sizes, kept on
// the connection, serve every count of rows. Lots stay within the backend's limit on bound values.
// terminer() writes the last rows; rows not yet written when the object goes without it are dropped.
class InsertionParLots {
public:
    InsertionParLots(Connexion& connexion, const QString& table, const QStringList& colonnes);
    // One row, a value per column in their order.
    void ajouter(const QVariantList& ligne);
    void terminer();

private:
    void ecrire(qsizetype lignes);

    Connexion& m_connexion;
    QString m_entete, m_ligne;
    qsizetype m_colonnes, m_parLot;
    QVariantList m_valeurs;
};
