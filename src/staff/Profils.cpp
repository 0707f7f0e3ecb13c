#include "staff/Profils.h"

#include "common/ErreurExecution.h"
#include "db/Connexion.h"
#include "db/Valeurs.h"

#include <QSqlQuery>
#include <limits>

namespace Profils {

const char* const SqlDetailQuota =
    "SELECT Quota.RefArticle, ArticleEnStock.Designation, ArticleEnStock.CodeArticle, Quota.QtePermise, "
    "Quota.Periodicite, Quota.NoQota, Quota.NoLigne, Tailles.NoTaille, Tailles.Taille, Tailles.NoFamille, "
    "Tailles.Ordre FROM Quota LEFT OUTER JOIN ArticleEnStock ON ArticleEnStock.Reference = Quota.RefArticle "
    "LEFT OUTER JOIN Tailles ON ArticleEnStock.Taille = Tailles.NoTaille WHERE Quota.NoQota = ? "
    "ORDER BY Quota.RefArticle";

bool ProfilExiste(Connexion& connexion, const QString& nom) {
    // LIKE on the escaped name folds every letter on both backends (the column's own comparison folds
    // ASCII only on SQLite); the exact comparison then rules out anything LIKE would take more widely.
    QSqlQuery q = connexion.executer(
        QStringLiteral("SELECT Profile FROM ProfileQuota WHERE Profile LIKE ? ESCAPE '\\'"),
        {Valeurs::echapperLike(nom)});
    while (q.next())
        if (Valeurs::egalSansCasse(Valeurs::lireTexte(q.value(0)), nom))
            return true;
    return false;
}

std::optional<qint64> AjouterProfil(Connexion& connexion, const QString& nom) {
    TransactionEcriture t(connexion);
    // Held until the commit: two workstations never add one name twice.
    connexion.verrouillerTable(QStringLiteral("ProfileQuota"));
    if (ProfilExiste(connexion, nom))
        return std::nullopt;
    const qint64 numero = Valeurs::lireEntier(connexion.valeurUnique(
        QStringLiteral("INSERT INTO ProfileQuota (Profile) VALUES (?) RETURNING NoQuota"), {nom}));
    t.valider();
    return numero;
}

bool RenommerProfil(Connexion& connexion, qint64 noQuota, const QString& nom) {
    TransactionEcriture t(connexion);
    connexion.verrouillerTable(QStringLiteral("ProfileQuota"));
    if (ProfilExiste(connexion, nom))
        return false;
    QSqlQuery q = connexion.executer(QStringLiteral("UPDATE ProfileQuota SET Profile = ? WHERE NoQuota = ?"),
                                     {nom, noQuota});
    const int lignes = q.numRowsAffected();
    q.finish();
    if (lignes == 0)
        throw ErreurExecution(ErreurExecution::ErreurBase,
                              QStringLiteral("Le profil n° %1 n'existe plus.").arg(noQuota),
                              QStringLiteral("RenommerProfil"));
    t.valider();
    return true;
}

bool SupprimerProfil(Connexion& connexion, qint64 noQuota) {
    TransactionEcriture t(connexion);
    // Held until the commit, so that no employee takes the profile between the check and the delete.
    connexion.verrouillerTable(QStringLiteral("Utilisateurs"));
    const qint64 salaries = Valeurs::lireEntier(connexion.valeurUnique(
        QStringLiteral("SELECT COUNT(*) FROM Utilisateurs WHERE Quota = ?"), {noQuota}));
    if (salaries > 0)
        return false;
    connexion.executer(QStringLiteral("DELETE FROM ProfileQuota WHERE NoQuota = ?"), {noQuota}).finish();
    t.valider();
    return true;
}

std::optional<qint64> AjouterLigneQuota(Connexion& connexion, qint64 noQuota, qint64 refArticle) {
    TransactionEcriture t(connexion);
    connexion.verrouillerTable(QStringLiteral("Quota"));
    const qint64 lignes = Valeurs::lireEntier(connexion.valeurUnique(
        QStringLiteral("SELECT COUNT(*) FROM Quota WHERE NoQota = ? AND RefArticle = ?"),
        {noQuota, refArticle}));
    if (lignes > 0)
        return std::nullopt;
    const qint64 numero = Valeurs::lireEntier(connexion.valeurUnique(
        QStringLiteral("INSERT INTO Quota (NoQota, RefArticle) VALUES (?, ?) RETURNING NoLigne"),
        {noQuota, refArticle}));
    t.valider();
    return numero;
}

void SupprimerLigneQuota(Connexion& connexion, qint64 noLigne) {
    TransactionEcriture t(connexion);
    connexion.executer(QStringLiteral("DELETE FROM Quota WHERE NoLigne = ?"), {noLigne}).finish();
    t.valider();
}

Quantite LireQuantite(const QString& texte) {
    QString chiffres;
    chiffres.reserve(texte.size());
    for (QChar c : texte) {
        if (c.isSpace())
            continue;
        if (c < u'0' || c > u'9')
            return {Quantite::Etat::Invalide, {}};
        chiffres += c;
    }
    if (chiffres.isEmpty())
        return {Quantite::Etat::Valide, QVariant(QMetaType(QMetaType::LongLong))};
    // Leading zeros do not make a number larger.
    qsizetype debut = 0;
    while (debut < chiffres.size() - 1 && chiffres[debut] == u'0')
        ++debut;
    chiffres = chiffres.mid(debut);
    if (chiffres.size() > 10)
        return {Quantite::Etat::TropGrande, {}};
    const qint64 n = chiffres.toLongLong();
    if (n > std::numeric_limits<qint32>::max())
        return {Quantite::Etat::TropGrande, {}};
    return {Quantite::Etat::Valide, n};
}

} // namespace Profils
