#include "stock/Familles.h"

#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "db/Connexion.h"
#include "db/Valeurs.h"

#include <QStringList>
#include <QVariantList>

namespace Familles {

namespace {

ErreurExecution familleIntrouvable(qint64 noFamille, const char* source) {
    return ErreurExecution(ErreurExecution::ErreurBase,
                           QStringLiteral("La famille n° %1 n'existe plus.").arg(noFamille),
                           QLatin1String(source));
}

} // namespace

bool FamilleProtegee(qint64 noFamille) {
    const EtatGlobal& g = Global();
    return noFamille == g.FamilleChaussures || noFamille == g.FamilleGants;
}

qint64 EnregisterNewFamille(Connexion& connexion, const QString& nom, const QString& fonction) {
    // The family and its first size are one write: a family without its size would have no size at all.
    TransactionEcriture t(connexion);
    connexion.executer(
        QStringLiteral("DELETE FROM Familles WHERE NoFamille = 0 OR NomFamille IS NULL OR NomFamille = ''"));
    const qint64 numero = Valeurs::lireEntier(connexion.valeurUnique(
        QStringLiteral("INSERT INTO Familles (NomFamille, Fonction) VALUES (?, ?) RETURNING NoFamille"),
        {nom, fonction}));
    connexion.executer(QStringLiteral("INSERT INTO Tailles (Taille, Ordre, NoFamille) VALUES (?, ?, ?)"),
                       {QStringLiteral("-"), 1, numero});
    t.valider();
    return numero;
}

void ModifierFamille(Connexion& connexion, qint64 noFamille, const QString& nom, const QString& fonction) {
    QStringList affectations;
    QVariantList valeurs;
    if (!FamilleProtegee(noFamille) && !nom.isEmpty()) {
        affectations << QStringLiteral("NomFamille = ?");
        valeurs << nom;
    }
    if (!fonction.isEmpty()) {
        affectations << QStringLiteral("Fonction = ?");
        valeurs << fonction;
    }
    TransactionEcriture t(connexion);
    if (affectations.isEmpty()) {
        if (connexion
                .valeurUnique(QStringLiteral("SELECT NoFamille FROM Familles WHERE NoFamille = ?"),
                              {noFamille})
                .isNull())
            throw familleIntrouvable(noFamille, "ModifierFamille");
        return;
    }
    valeurs << noFamille;
    QSqlQuery q = connexion.executer(QStringLiteral("UPDATE Familles SET %1 WHERE NoFamille = ?")
                                         .arg(affectations.join(QStringLiteral(", "))),
                                     valeurs);
    const int lignes = q.numRowsAffected();
    q.finish();
    if (lignes == 0)
        throw familleIntrouvable(noFamille, "ModifierFamille");
    t.valider();
}

bool SupprimerFamille(Connexion& connexion, qint64 noFamille) {
    if (FamilleProtegee(noFamille))
        return false;
    TransactionEcriture t(connexion);
    connexion.executer(QStringLiteral("DELETE FROM Familles WHERE NoFamille = ?"), {noFamille}).finish();
    t.valider();
    return true;
}

} // namespace Familles
