#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

class Connexion;

// The machines an employee may use: the machines to choose from and the list kept in
// Utilisateurs.MachineAutorise, numbers joined by "," without blanks ("1,2,5").
namespace MachinesSalarie {

struct Machine {
    qint64 numero = 0;
    QString location; // "" when Null
};

// Every machine, by ascending number. Throws ErreurExecution when the database refuses.
QList<Machine> Machines(Connexion& connexion);

// A stored list as read: its numbers, ascending and once each, and the items that are no whole number.
// Items are trimmed; empty items (",," or a trailing comma) are ignored.
struct Liste {
    QList<qint64> numeros;
    QStringList refuses;
};
Liste LireListe(const QString& texte);

// The text of a list: the numbers ascending, once each, joined by ",".
QString EcrireListe(QList<qint64> numeros);

} // namespace MachinesSalarie
