#include "reports/CompteRendu.h"

#include "common/ErreurExecution.h"
#include "common/FnWendrox.h"
#include "db/Connexion.h"
#include "db/Valeurs.h"

#include <QDateTime>
#include <QSqlError>

namespace CompteRendu {

namespace {

// The weekday numbered from Sunday = 1 to Saturday = 7.
int jourSemaine(const QDate& d) {
    return d.dayOfWeek() % 7 + 1;
}

QString dateFormule(const QDate& d) {
    return QStringLiteral("Date(%1,%2,%3)").arg(d.year()).arg(d.month()).arg(d.day());
}

} // namespace

QDate aujourdhui() {
    return FnWendrox::Maintenant().date();
}

Periode debutAnnee(const QDate& aujourdhui) {
    return {QDate(aujourdhui.year(), 1, 1), aujourdhui};
}

Periode debutMois(const QDate& aujourdhui) {
    return {QDate(aujourdhui.year(), aujourdhui.month(), 1), aujourdhui};
}

Periode moisDernier(const QDate& aujourdhui) {
    const QDate premier = QDate(aujourdhui.year(), aujourdhui.month(), 1).addMonths(-1);
    return {premier, premier.addMonths(1).addDays(-1)};
}

Periode semaineDerniere(const QDate& aujourdhui) {
    const QDate d = aujourdhui.addDays(-7);
    const int jour = jourSemaine(d);
    const QDate lundi = jour == 1 ? d.addDays(-6) : d.addDays(2 - jour);
    return {lundi, lundi.addDays(6)};
}

QString ConstruireFormuleSelection(const QString& champ, const QDate& debut, const QDate& fin) {
    if (champ.isEmpty())
        return QString();
    const QString borne = QLatin1Char('{') + champ + QLatin1Char('}');
    return borne + QStringLiteral(">=") + dateFormule(debut) + QStringLiteral(" and ") + borne +
           QStringLiteral("<=") + dateFormule(fin);
}

void lireProfils(Connexion& connexion, const std::function<void(const QString&)>& ajouter) {
    QSqlQuery q = connexion.executer(QStringLiteral("SELECT Profile FROM ProfileQuota ORDER BY NoQuota"));
    while (q.next())
        ajouter(Valeurs::lireTexte(q.value(0)));
    // A read broken off midway ends the loop too: it is a failure, not the end of the table.
    if (q.lastError().isValid())
        throw ErreurExecution(ErreurExecution::ErreurBase, Connexion::texteErreur(q),
                              QStringLiteral("lireProfils"));
}

Instruction filtreProfils(const QStringList& profils) {
    if (profils.isEmpty())
        return {};
    // One list rather than a chain of "Profile <> ?": SQLite refuses an expression a thousand terms
    // deep, and a Null profile is in no list either way.
    QStringList marques;
    marques.fill(QStringLiteral("?"), profils.size());
    Instruction i;
    i.sql = QStringLiteral("DELETE FROM CA WHERE Profile NOT IN (") + marques.join(QStringLiteral(", ")) +
            QLatin1Char(')');
    for (const QString& p : profils)
        i.valeurs << p;
    return i;
}

} // namespace CompteRendu
