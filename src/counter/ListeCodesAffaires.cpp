#include "counter/ListeCodesAffaires.h"

#include "common/ErreurExecution.h"
#include "db/Connexion.h"
#include "db/Recordset.h"
#include "db/Schema.h"
#include "db/Valeurs.h"

#include <QSqlQuery>

namespace ListeCodesAffaires {

namespace {

ErreurExecution refus(const QString& texte) {
    return ErreurExecution(ErreurExecution::ErreurBase, texte, Table);
}

} // namespace

void OuvrirListe(Connexion& connexion, Recordset& rs) {
    rs.Open(connexion, Table);
}

QStringList Entetes(const Recordset& rs) {
    const QStringList schema = Schema::colonnesTable(Table);
    QStringList entetes;
    for (const QString& champ : rs.FieldNames()) {
        QString entete = champ;
        for (const QString& colonne : schema)
            if (Valeurs::egalSansCasse(colonne, champ))
                entete = colonne;
        entetes << entete;
    }
    return entetes;
}

void VerifierCode(Connexion& connexion, const QVariant& code, const std::optional<QVariant>& ancien) {
    // SQLite's key takes any number of rows without a code; the original server's did not.
    if (code.isNull() || !code.isValid())
        throw refus(QStringLiteral("Impossible d'insérer la valeur NULL dans la colonne '%1', table '%2' ; "
                                   "cette colonne n'accepte pas les valeurs NULL.")
                        .arg(ChampCode, Table));
    const QString texte = Valeurs::lireTexte(code);
    const bool ancienCode = ancien && !ancien->isNull() && ancien->isValid();
    const QString avant = ancienCode ? Valeurs::lireTexte(*ancien) : QString();
    if (ancienCode && avant == texte)
        return;
    // The layer's LIKE folds every letter on both backends; beside it, whether the column's own
    // comparison (the key's) takes the two codes for one.
    QSqlQuery q = connexion.executer(
        QStringLiteral("SELECT %1, CASE WHEN %1 = ? THEN 1 ELSE 0 END FROM %2 WHERE %1 LIKE ? ESCAPE '\\'")
            .arg(ChampCode, Table),
        {texte, Valeurs::echapperLike(texte)});
    while (q.next()) {
        const QString autre = Valeurs::lireTexte(q.value(0));
        // The row itself, whose code changes only by its case.
        if (ancienCode && autre == avant)
            continue;
        if (!Valeurs::egalSansCasse(autre, texte) || Valeurs::lireEntier(q.value(1)) != 0)
            continue;
        throw refus(QStringLiteral("Violation de la contrainte PRIMARY KEY. Impossible d'insérer une clé en "
                                   "double dans l'objet '%1' : le code « %2 » est celui de la ligne « %3 ».")
                        .arg(Table, texte, autre));
    }
}

void VerifierLigne(Connexion& connexion, const Recordset& rs) {
    if (rs.FieldIndex(ChampCode) < 0)
        return;
    const std::optional<QVariant> ancien =
        rs.EditAdd() ? std::nullopt : std::optional<QVariant>(rs.OriginalValue(ChampCode));
    VerifierCode(connexion, rs.Field(ChampCode), ancien);
}

void SupprimerCourant(Recordset& rs) {
    // The row after the deleted one takes its place; past the end, the last one.
    rs.Delete();
    if (rs.IsEOF())
        rs.MoveLast();
}

} // namespace ListeCodesAffaires
