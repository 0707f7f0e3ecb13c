#pragma once

#include "db/Connexion.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>

// What a machine's tables hold, as the machine tests compare it.
namespace EtatMachineDeTest {

// The rows of a query on machine `no`, blank-joined, "-" for Null.
inline QStringList rangs(Connexion& c, const char* sql, int no) {
    QSqlQuery q = c.executer(QLatin1String(sql), {no});
    QStringList l;
    while (q.next()) {
        QStringList r;
        for (int i = 0; i < q.record().count(); ++i)
            r << (q.value(i).isNull() ? QStringLiteral("-") : q.value(i).toString());
        l << r.join(u' ');
    }
    return l;
}

// The slots of machine `no`: "NoEmpl Reference".
inline QStringList contenu(Connexion& c, int no) {
    return rangs(c, "SELECT NoEmpl, Reference FROM EmplacementsMachine1 WHERE NoMachine = ? ORDER BY NoEmpl",
                 no);
}

// The plan of machine `no`: "Etage ReferenceArticle CodeArticle Designation".
inline QStringList config(Connexion& c, int no) {
    return rangs(c,
                 "SELECT Etage, ReferenceArticle, CodeArticle, Designation FROM ConfigMachines WHERE "
                 "NoMachine = ? ORDER BY Etage",
                 no);
}

} // namespace EtatMachineDeTest
