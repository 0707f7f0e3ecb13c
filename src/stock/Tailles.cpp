#include "stock/Tailles.h"

#include "common/ErreurExecution.h"
#include "db/Connexion.h"
#include "db/Recordset.h"
#include "db/Valeurs.h"

namespace Tailles {

namespace {

const QString SqlTaillesFamille = QStringLiteral(
    "SELECT NoTaille, Taille, Ordre, NoFamille FROM Tailles WHERE NoFamille = ? ORDER BY Ordre, NoTaille");

ErreurExecution tailleIntrouvable(qint64 noTaille, const char* source) {
    return ErreurExecution(ErreurExecution::ErreurBase,
                           QStringLiteral("La taille n° %1 n'existe plus.").arg(noTaille),
                           QLatin1String(source));
}

// One field of a size's row; false when the size does not exist (a Null field is a row all the same).
bool lireChamp(Connexion& connexion, qint64 noTaille, const QString& champ, QVariant* valeur) {
    QSqlQuery q = connexion.executer(QStringLiteral("SELECT %1 FROM Tailles WHERE NoTaille = ?").arg(champ),
                                     {noTaille});
    if (!q.next())
        return false;
    *valeur = q.value(0);
    return true;
}

} // namespace

void OuvrirTaillesFamille(Recordset& tailles, Connexion& connexion, qint64 noFamille) {
    tailles.Open(connexion, SqlTaillesFamille, {noFamille}, QStringLiteral("Tailles"),
                 {QStringLiteral("NoTaille")});
}

bool TailleExiste(Connexion& connexion, qint64 noFamille, const QString& taille) {
    // LIKE on the escaped text folds every letter on both backends (the column's own comparison folds
    // ASCII only on SQLite); the exact comparison then rules out anything LIKE would take more widely.
    QSqlQuery q = connexion.executer(
        QStringLiteral("SELECT Taille FROM Tailles WHERE NoFamille = ? AND Taille LIKE ? ESCAPE '\\'"),
        {noFamille, Valeurs::echapperLike(taille)});
    while (q.next())
        if (Valeurs::egalSansCasse(Valeurs::lireTexte(q.value(0)), taille))
            return true;
    return false;
}

std::optional<qint64> AjouterTaille(Connexion& connexion, qint64 noFamille, const QString& taille) {
    TransactionEcriture t(connexion);
    // Held until the commit: two workstations adding at once neither add one size twice nor take the
    // same order.
    connexion.verrouillerTable(QStringLiteral("Tailles"));
    if (TailleExiste(connexion, noFamille, taille))
        return std::nullopt;
    const qint64 ordre = Valeurs::lireEntier(connexion.valeurUnique(
        QStringLiteral("SELECT COALESCE(MAX(Ordre), 0) + 1 FROM Tailles WHERE NoFamille = ?"), {noFamille}));
    const qint64 numero = Valeurs::lireEntier(connexion.valeurUnique(
        QStringLiteral("INSERT INTO Tailles (Taille, Ordre, NoFamille) VALUES (?, ?, ?) RETURNING NoTaille"),
        {taille, ordre, noFamille}));
    t.valider();
    return numero;
}

void ModifierTaille(Connexion& connexion, qint64 noTaille, const QString& taille) {
    TransactionEcriture t(connexion);
    QSqlQuery q = connexion.executer(QStringLiteral("UPDATE Tailles SET Taille = ? WHERE NoTaille = ?"),
                                     {taille, noTaille});
    const int lignes = q.numRowsAffected();
    q.finish();
    if (lignes == 0)
        throw tailleIntrouvable(noTaille, "ModifierTaille");
    t.valider();
}

Suppression SupprimerTaille(Connexion& connexion, qint64 noTaille) {
    TransactionEcriture t(connexion);
    // Nothing in the schema ties articles and employees to their sizes: the check and the delete are
    // one transaction, and no article or employee can take the size in between (PostgreSQL: the tables
    // are held; SQLite: the write transaction holds the file).
    connexion.verrouillerTable(QStringLiteral("ArticleEnStock"));
    connexion.verrouillerTable(QStringLiteral("Utilisateurs"));
    QVariant taille;
    if (!lireChamp(connexion, noTaille, QStringLiteral("Taille"), &taille))
        return Suppression::Faite; // already gone
    if (Valeurs::egalSansCasse(Valeurs::lireTexte(taille), TailleUnique))
        return Suppression::TailleUnique;
    const qint64 utilisations = Valeurs::lireEntier(connexion.valeurUnique(
        QStringLiteral("SELECT (SELECT COUNT(*) FROM ArticleEnStock WHERE Taille = ?) + "
                       "(SELECT COUNT(*) FROM Utilisateurs WHERE TailleChaussure = ? OR TailleMain = ?)"),
        {noTaille, noTaille, noTaille}));
    if (utilisations > 0)
        return Suppression::Utilisee;
    connexion.executer(QStringLiteral("DELETE FROM Tailles WHERE NoTaille = ?"), {noTaille}).finish();
    t.valider();
    return Suppression::Faite;
}

void DeplacerTaille(Connexion& connexion, qint64 noTaille, Sens sens) {
    TransactionEcriture t(connexion);
    connexion.verrouillerTable(QStringLiteral("Tailles"));
    QVariant famille;
    if (!lireChamp(connexion, noTaille, QStringLiteral("NoFamille"), &famille))
        throw tailleIntrouvable(noTaille, "DeplacerTaille");
    // The order the family's list shows (the recordset's, Null orders first on both backends).
    Recordset liste;
    if (famille.isNull())
        liste.Open(connexion, QStringLiteral("SELECT NoTaille, Ordre FROM Tailles WHERE NoFamille IS NULL "
                                             "ORDER BY Ordre, NoTaille"));
    else
        liste.Open(connexion,
                   QStringLiteral("SELECT NoTaille, Ordre FROM Tailles WHERE NoFamille = ? "
                                  "ORDER BY Ordre, NoTaille"),
                   {famille});
    const int n = liste.RecordCount();
    if (!liste.Find(QStringLiteral("NoTaille"), Recordset::Comparaison::Egal, noTaille,
                    Recordset::Depart::Premier) ||
        n < 2)
        return;
    const int position = liste.AbsolutePosition();
    const int voisin = sens == Sens::VersFin ? (position + 1) % n : (position + n - 1) % n;
    const QVariant ordre = liste.Field(QStringLiteral("Ordre"));
    liste.MoveTo(voisin);
    const QVariant ordreVoisin = liste.Field(QStringLiteral("Ordre"));
    const QVariant noVoisin = liste.Field(QStringLiteral("NoTaille"));
    liste.Close();
    const QString sql = QStringLiteral("UPDATE Tailles SET Ordre = ? WHERE NoTaille = ?");
    connexion.executer(sql, {ordreVoisin, noTaille}).finish();
    connexion.executer(sql, {ordre, noVoisin}).finish();
    t.valider();
}

} // namespace Tailles
