#include "db/ListeMachines.h"

#include "db/Connexion.h"

#include <QSqlQuery>
#include <QStringList>

QString ListeDesMachinesAutorise() {
    Connexion c;
    c.ouvrirPrincipale();
    QSqlQuery q = c.executer(QStringLiteral("SELECT NoMachine FROM Machines ORDER BY NoMachine"));
    QStringList numeros;
    while (q.next())
        numeros << q.value(0).toString();
    return numeros.join(QLatin1Char(','));
}
