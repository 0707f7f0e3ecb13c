#include "db/ListeMachines.h"

#include "common/ErreurExecution.h"
#include "common/MajBase.h"
#include "db/Connexion.h"
#include "db/Valeurs.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

namespace {

// Appends the numbers as they are read, so that a read failing midway leaves those read before it.
void lireNumeros(Connexion& c, QStringList& numeros) {
    QSqlQuery q = c.executer(QStringLiteral("SELECT NoMachine FROM Machines ORDER BY NoMachine"));
    while (q.next()) {
        // A row without a number names no machine: an empty item would make the list unreadable.
        const QVariant numero = q.value(0);
        if (!numero.isNull())
            numeros << QString::number(Valeurs::lireEntier(numero));
    }
    // A read that stops midway ends the loop like the last row: the driver's error tells them apart.
    if (q.lastError().isValid())
        throw ErreurExecution(ErreurExecution::ErreurBase, Connexion::texteErreur(q),
                              QStringLiteral("ListeDesMachinesAutorise"));
}

} // namespace

QString ListeDesMachinesAutorise() {
    const QString procedure = QStringLiteral("ListeDesMachinesAutorise");
    QStringList numeros;
    try {
        Connexion c;
        c.ouvrirPrincipale();
        lireNumeros(c, numeros);
    } catch (const ErreurExecution& e) {
        MajBase::SignalerErreur(procedure, e);
    } catch (const std::exception& e) {
        MajBase::SignalerErreur(procedure, e);
    }
    return numeros.join(QLatin1Char(','));
}

QString ListeDesMachinesAutorise(Connexion& connexion) {
    QStringList numeros;
    lireNumeros(connexion, numeros);
    return numeros.join(QLatin1Char(','));
}
