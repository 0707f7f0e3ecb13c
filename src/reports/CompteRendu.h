#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <functional>

class Connexion;

// What the reports menu computes without its window: the periods of its four shortcuts, the date
// selection formula of the report engine, the profile names of its profile filter and the statement that
// filter hands the consumption builder.
namespace CompteRendu {

struct Periode {
    QDate debut;
    QDate fin;
};

// Today, as the program's clock gives it (FnWendrox::Maintenant), without its time.
QDate aujourdhui();

// The shortcuts, from `aujourdhui`:
// from 1 January of its year to that day;
Periode debutAnnee(const QDate& aujourdhui);
// from the first of its month to that day;
Periode debutMois(const QDate& aujourdhui);
// the whole previous calendar month;
Periode moisDernier(const QDate& aujourdhui);
// Monday to Sunday, the week before the Monday-to-Sunday week that holds that day.
Periode semaineDerniere(const QDate& aujourdhui);

// "{<champ>}>=Date(y,m,d) and {<champ>}<=Date(y,m,d)" from the two days, numbers without leading zeros;
// "" for an empty field name.
QString ConstruireFormuleSelection(const QString& champ, const QDate& debut, const QDate& fin);

// Hands `ajouter` the name of every profile (ProfileQuota.Profile), in the table's order; a Null name is
// "". A failure is an ErreurExecution; the names handed before it stay handed.
void lireProfils(Connexion& connexion, const std::function<void(const QString&)>& ajouter);

// A statement for the consumption builder, with its values to bind.
struct Instruction {
    QString sql;
    QVariantList valeurs;
};

// The profile filter: the statement that keeps in CA only the lines of the profiles named, each name
// bound ("DELETE FROM CA WHERE Profile NOT IN (?, ...)"). Names compare as the column compares (case
// folded); lines without a profile stay. No name: no statement, every line stays.
Instruction filtreProfils(const QStringList& profils);

} // namespace CompteRendu
