#pragma once

#include "db/Connexion.h"
#include "db/Valeurs.h"

#include <QDateTime>
#include <QStringList>
#include <QVariantList>

// A withdrawal of "Abel" at `date` with one line, whose columns and values are given; its number.
inline qint64 retraitDeTest(Connexion& c, const QDateTime& date, const QStringList& colonnes,
                            const QVariantList& valeurs) {
    const qint64 n = c.valeurUnique(QStringLiteral("INSERT INTO Ventes (LaDate, TypeMouvement, Nom) VALUES "
                                                   "(?, 3, 'Abel') RETURNING NumVente"),
                                    {Valeurs::valeurDate(date)})
                         .toLongLong();
    QStringList marques;
    marques.fill(QStringLiteral("?"), colonnes.size());
    c.executer(QStringLiteral("INSERT INTO DetailVente (NumVente, ") + colonnes.join(QStringLiteral(", ")) +
                   QStringLiteral(") VALUES (?, ") + marques.join(QStringLiteral(", ")) + u')',
               QVariantList{n} + valeurs);
    return n;
}
