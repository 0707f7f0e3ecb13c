#include "staff/MachinesSalarie.h"

#include "common/ErreurExecution.h"
#include "db/Connexion.h"
#include "db/Valeurs.h"

#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <limits>

namespace MachinesSalarie {

QList<Machine> Machines(Connexion& connexion) {
    QList<Machine> machines;
    QSqlQuery q =
        connexion.executer(QStringLiteral("SELECT NoMachine, Location FROM Machines ORDER BY NoMachine"));
    while (q.next())
        machines.append({Valeurs::lireEntier(q.value(0)), Valeurs::lireTexte(q.value(1))});
    // A read that stops midway ends the loop like the last row.
    if (q.lastError().isValid())
        throw ErreurExecution(ErreurExecution::ErreurBase, Connexion::texteErreur(q),
                              QStringLiteral("MachinesSalarie"));
    return machines;
}

Liste LireListe(const QString& texte) {
    Liste liste;
    for (const QString& brut : texte.split(u',')) {
        const QString item = brut.trimmed();
        if (item.isEmpty())
            continue;
        bool ok = false;
        const qint64 n = item.toLongLong(&ok);
        // Machine numbers are 32-bit in the database.
        if (ok && n >= std::numeric_limits<qint32>::min() && n <= std::numeric_limits<qint32>::max())
            liste.numeros.append(n);
        else
            liste.refuses.append(item);
    }
    std::sort(liste.numeros.begin(), liste.numeros.end());
    liste.numeros.erase(std::unique(liste.numeros.begin(), liste.numeros.end()), liste.numeros.end());
    return liste;
}

QString EcrireListe(QList<qint64> numeros) {
    std::sort(numeros.begin(), numeros.end());
    numeros.erase(std::unique(numeros.begin(), numeros.end()), numeros.end());
    QStringList textes;
    textes.reserve(numeros.size());
    for (const qint64 n : numeros)
        textes << QString::number(n);
    return textes.join(u',');
}

} // namespace MachinesSalarie
