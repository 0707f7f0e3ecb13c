#pragma once

#include "db/Connexion.h"
#include "db/Valeurs.h"

#include <QDateTime>
#include <QVariant>

// A withdrawal of one line written straight into the journal (an invalid date is Null), for the tests
// that read it back.
inline void ajouterRetrait(Connexion& c, const QDateTime& date, const QString& badge, int type,
                           const QVariant& reference, const QVariant& refFournisseur,
                           const QVariant& designation = QStringLiteral("Gants"), int quantite = 1) {
    const QVariant numero = c.valeurUnique(
        QStringLiteral(
            "INSERT INTO Ventes (LaDate, Utilisateur, TypeMouvement) VALUES (?, ?, ?) RETURNING NumVente"),
        {date.isValid() ? Valeurs::valeurDate(date) : QVariant(QMetaType::fromType<QString>()), badge, type});
    c.executer(
        QStringLiteral("INSERT INTO DetailVente (NumVente, Reference, RefFournisseur, Designation, Quantite) "
                       "VALUES (?, ?, ?, ?, ?)"),
        {numero, reference, refFournisseur, designation, quantite});
}
