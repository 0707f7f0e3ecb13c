#pragma once

// The global refill lines of a machine list without the layer, for the benchmarks that compare them.

#include "OutilsBench.h"
#include "common/ErreurExecution.h"
#include "db/Connexion.h"
#include "db/Valeurs.h"
#include "machines/CalculRemplissage.h"

#include <QHash>
#include <QSqlQuery>
#include <QStringList>
#include <cmath>
#include <vector>

// The machines of the database, as the machine window lists them.
inline QList<CalculRemplissage::Machine> machines(Connexion& c) {
    QList<CalculRemplissage::Machine> l;
    QSqlQuery q = c.executer(QStringLiteral(
        "SELECT NoMachine, Type, NbEmplacement, NbPorte, Chargement FROM Machines ORDER BY NoMachine"));
    while (q.next())
        l.append({static_cast<qint32>(Valeurs::lireEntier(q.value(0))),
                  static_cast<int>(Valeurs::lireEntier(q.value(1))), q.value(2), q.value(3), q.value(4)});
    return l;
}

// The bare side of the global refill lines, in the caller's bare transaction: the same statements through
// QSqlQuery, the lines computed in a plain loop, written in lots of 16 rows through one statement
// prepared once.
inline void remplissageNu(Connexion& c, const QList<CalculRemplissage::Machine>& liste) {
    if (!c.estSQLite())
        sqlNu(c, QStringLiteral("LOCK TABLE TRemplissageMachine IN EXCLUSIVE MODE"));
    sqlNu(c, QStringLiteral("DELETE FROM TRemplissageMachine"));
    QVariantList numeros;
    QStringList marques;
    for (const CalculRemplissage::Machine& m : liste) {
        numeros << m.noMachine;
        marques << QStringLiteral("?");
    }
    const QString dans = marques.join(QStringLiteral(", "));
    std::vector<QList<QVariant>> plans, charges;
    lireNu(c,
           QStringLiteral("SELECT NoMachine, ReferenceArticle, COUNT(ReferenceArticle) FROM ConfigMachines "
                          "WHERE ReferenceArticle IS NOT NULL AND NoMachine IN (") +
               dans +
               QStringLiteral(") GROUP BY NoMachine, ReferenceArticle ORDER BY NoMachine, ReferenceArticle"),
           numeros, plans);
    lireNu(c,
           QStringLiteral(
               "SELECT NoMachine, Reference, COUNT(Reference) FROM EmplacementsMachine1 WHERE Reference "
               "IS NOT NULL AND NoMachine IN (") +
               dans + QStringLiteral(") GROUP BY NoMachine, Reference"),
           numeros, charges);
    QHash<QPair<qint64, qint64>, qint64> presents;
    for (const QList<QVariant>& r : charges)
        presents.insert({r[0].toLongLong(), r[1].toLongLong()}, r[2].toLongLong());
    QHash<qint64, double> capacites;
    for (const CalculRemplissage::Machine& m : liste) {
        const QString ch = m.chargement.toString();
        capacites.insert(m.noMachine, ch == QLatin1String("CASIER") ? 1.0
                                      : ch == QLatin1String("ETAGE")
                                          ? std::nearbyint(m.nbEmplacement.toDouble() / m.nbPorte.toDouble())
                                          : m.nbPorte.toDouble());
    }
    QVariantList valeurs;
    QStringList lignes;
    const QVariant nul(QMetaType::fromType<qint64>());
    // Lots of 16 rows through one statement prepared once, the rest through one of its own.
    QSqlQuery lot(c.db());
    bool lotPrepare = false;
    auto ecrire = [&] {
        if (lignes.isEmpty())
            return;
        const QString sql = QStringLiteral("INSERT INTO TRemplissageMachine (Etage, Reference, CodeArticle, "
                                           "NbUnite, Aremplir, NumMach) VALUES ") +
                            lignes.join(QStringLiteral(", "));
        if (lignes.size() < 16) {
            sqlNu(c, sql, valeurs);
        } else {
            if (!lotPrepare && !(lotPrepare = lot.prepare(sql)))
                throw ErreurExecution(ErreurExecution::ErreurBase, Connexion::texteErreur(lot),
                                      QStringLiteral("bench"));
            for (int i = 0; i < valeurs.size(); ++i)
                lot.bindValue(i, valeurs.at(i));
            if (!lot.exec())
                throw ErreurExecution(ErreurExecution::ErreurBase, Connexion::texteErreur(lot),
                                      QStringLiteral("bench"));
        }
        lignes.clear();
        valeurs.clear();
    };
    for (const QList<QVariant>& r : plans) {
        const qint64 no = r[0].toLongLong(), ref = r[1].toLongLong();
        const double n = static_cast<double>(presents.value({no, ref}));
        valeurs << nul << ref << nul << n << r[2].toDouble() * capacites.value(no) - n << no;
        lignes << QStringLiteral("(?, ?, ?, ?, ?, ?)");
        if (lignes.size() == 16)
            ecrire();
    }
    ecrire();
}
