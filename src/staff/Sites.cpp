#include "staff/Sites.h"

#include "common/ErreurExecution.h"
#include "db/Connexion.h"
#include "db/Valeurs.h"

#include <QSqlQuery>
#include <QVariantList>

namespace Sites {

namespace {

// True when the query finds a row whose `champ` equals `nom` (LIKE on the escaped name folds every
// letter on both backends; the column's own comparison folds ASCII only on SQLite).
bool nomExiste(Connexion& connexion, const QString& table, const QString& champ, const QString& nom,
               const QString& condition = QString(), const QVariantList& valeurs = {}) {
    QString sql = QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2 LIKE ? ESCAPE '\\'").arg(table, champ);
    if (!condition.isEmpty())
        sql += QStringLiteral(" AND ") + condition;
    QVariantList v{Valeurs::echapperLike(nom)};
    v += valeurs;
    return Valeurs::lireEntier(connexion.valeurUnique(sql, v)) > 0;
}

void modifier(Connexion& connexion, const QString& sql, const QVariantList& valeurs, const QString& quoi,
              qint64 numero, const char* source) {
    TransactionEcriture t(connexion);
    QSqlQuery q = connexion.executer(sql, valeurs);
    const int lignes = q.numRowsAffected();
    q.finish();
    if (lignes == 0)
        throw ErreurExecution(ErreurExecution::ErreurBase,
                              QStringLiteral("%1 n° %2 n'existe plus.").arg(quoi).arg(numero),
                              QLatin1String(source));
    t.valider();
}

// Deletes one row unless an employee refers to it, in one transaction.
void supprimer(Connexion& connexion, const QString& table, const QString& cle, const QString& colonneSalarie,
               qint64 numero, const QString& quoi, const char* source) {
    TransactionEcriture t(connexion);
    const qint64 salaries = Valeurs::lireEntier(connexion.valeurUnique(
        QStringLiteral("SELECT COUNT(*) FROM Utilisateurs WHERE %1 = ?").arg(colonneSalarie), {numero}));
    if (salaries > 0)
        throw ErreurExecution(
            ErreurExecution::ErreurBase,
            QStringLiteral("%1 n° %2 est utilisé par %3 salarié(s).").arg(quoi).arg(numero).arg(salaries),
            QLatin1String(source));
    connexion.executer(QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(table, cle), {numero}).finish();
    t.valider();
}

} // namespace

std::optional<qint64> AjouterSite(Connexion& connexion, const QString& nom, const QString& adresse,
                                  const QString& info) {
    TransactionEcriture t(connexion);
    if (nomExiste(connexion, QStringLiteral("Sites"), QStringLiteral("NomSite"), nom))
        return std::nullopt;
    const qint64 numero = Valeurs::lireEntier(connexion.valeurUnique(
        QStringLiteral("INSERT INTO Sites (NomSite, Adresse, Info) VALUES (?, ?, ?) RETURNING NoSite"),
        {nom, adresse, info}));
    t.valider();
    return numero;
}

void ModifierSite(Connexion& connexion, qint64 noSite, const QString& nom, const QString& adresse,
                  const QString& info) {
    modifier(connexion,
             QStringLiteral("UPDATE Sites SET NomSite = ?, Adresse = ?, Info = ? WHERE NoSite = ?"),
             {nom, adresse, info, noSite}, QStringLiteral("Le site"), noSite, "ModifierSite");
}

void SupprimerSite(Connexion& connexion, qint64 noSite) {
    supprimer(connexion, QStringLiteral("Sites"), QStringLiteral("NoSite"), QStringLiteral("Site"), noSite,
              QStringLiteral("Le site"), "SupprimerSite");
}

std::optional<qint64> AjouterService(Connexion& connexion, const QString& nom, const QString& info,
                                     std::optional<qint64> site) {
    TransactionEcriture t(connexion);
    const bool existe =
        site ? nomExiste(connexion, QStringLiteral("Services"), QStringLiteral("NomService"), nom,
                         QStringLiteral("Site = ?"), {*site})
             : nomExiste(connexion, QStringLiteral("Services"), QStringLiteral("NomService"), nom);
    if (existe)
        return std::nullopt;
    const qint64 numero = Valeurs::lireEntier(connexion.valeurUnique(
        QStringLiteral("INSERT INTO Services (NomService, Info, Site) VALUES (?, ?, ?) RETURNING NoService"),
        {nom, info, site ? QVariant(*site) : QVariant(QMetaType(QMetaType::LongLong))}));
    t.valider();
    return numero;
}

void ModifierService(Connexion& connexion, qint64 noService, const QString& nom, const QString& info) {
    modifier(connexion, QStringLiteral("UPDATE Services SET NomService = ?, Info = ? WHERE NoService = ?"),
             {nom, info, noService}, QStringLiteral("Le service"), noService, "ModifierService");
}

void SupprimerService(Connexion& connexion, qint64 noService) {
    supprimer(connexion, QStringLiteral("Services"), QStringLiteral("NoService"), QStringLiteral("Service"),
              noService, QStringLiteral("Le service"), "SupprimerService");
}

} // namespace Sites
