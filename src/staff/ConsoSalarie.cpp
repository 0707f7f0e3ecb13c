#include "staff/ConsoSalarie.h"

#include "common/ErreurExecution.h"
#include "db/Connexion.h"
#include "db/InsertionParLots.h"
#include "db/Recordset.h"
#include "db/Valeurs.h"

#include <QSqlQuery>

namespace ConsoSalarie {

namespace {

const char* const SqlDetailProfil =
    "SELECT Quota.RefArticle, ArticleEnStock.Designation, ArticleEnStock.CodeArticle, Quota.QtePermise, "
    "Quota.Periodicite, Quota.NoQota, Quota.NoLigne, Tailles.NoTaille, Tailles.Taille, Tailles.NoFamille, "
    "Tailles.Ordre FROM Quota LEFT OUTER JOIN ArticleEnStock ON ArticleEnStock.Reference = Quota.RefArticle "
    "LEFT OUTER JOIN Tailles ON ArticleEnStock.Taille = Tailles.NoTaille WHERE Quota.NoQota ";

// The lines of one employee: the size is the article's (empty when the article or its size is gone), the
// profile its name, as EtatCA writes CA. Lines equal in every grouped column come out as one row.
const char* const SqlLignes =
    "SELECT Ventes.TypeMouvement, Ventes.LaDate, Ventes.Utilisateur, Ventes.Nom, Ventes.Prenom, "
    "DetailVente.Reference, DetailVente.Designation, DetailVente.Quantite, DetailVente.NomFamille, "
    "DetailVente.NomSite, DetailVente.NomService, ProfileQuota.Profile, DetailVente.CodeFournisseur, "
    "DetailVente.Societe, DetailVente.PrixAchatUnit, Tailles.Taille, Ventes.NumVente "
    "FROM Ventes INNER JOIN DetailVente ON Ventes.NumVente = DetailVente.NumVente %1"
    "LEFT OUTER JOIN ArticleEnStock ON ArticleEnStock.Reference = DetailVente.Reference "
    "LEFT OUTER JOIN Tailles ON Tailles.NoTaille = ArticleEnStock.Taille "
    "LEFT OUTER JOIN ProfileQuota ON ProfileQuota.NoQuota = DetailVente.Profile "
    "WHERE Ventes.LaDate > ? AND Ventes.LaDate < ? AND Ventes.Nom LIKE ? ESCAPE '\\' "
    "AND Ventes.Prenom LIKE ? ESCAPE '\\' "
    "GROUP BY Ventes.TypeMouvement, Ventes.LaDate, Ventes.Utilisateur, Ventes.Nom, Ventes.Prenom, "
    "DetailVente.Reference, DetailVente.Designation, DetailVente.Quantite, DetailVente.NomFamille, "
    "DetailVente.NomSite, DetailVente.NomService, DetailVente.Profile, ProfileQuota.Profile, "
    "DetailVente.CodeFournisseur, DetailVente.Societe, DetailVente.PrixAchatUnit, Tailles.Taille, "
    "Ventes.NumVente";

// The month as EtatCA names it.
QString nomMois(const QDate& jour) {
    static const char* const Mois[] = {"janvier", "février", "mars",      "avril",   "mai",      "juin",
                                       "juillet", "août",    "septembre", "octobre", "novembre", "décembre"};
    return jour.isValid() ? QString::fromUtf8(Mois[jour.month() - 1]) : QString();
}

bool egalEntier(const QVariant& a, const QVariant& b) {
    return !a.isNull() && !b.isNull() && Valeurs::lireEntier(a) == Valeurs::lireEntier(b);
}

} // namespace

void OuvrirDetailProfil(Connexion& c, Recordset& detail, const QVariant& quota) {
    const QString sql = QString::fromUtf8(SqlDetailProfil) +
                        (quota.isNull() ? QStringLiteral("IS NULL") : QStringLiteral("= ?")) +
                        QStringLiteral(" ORDER BY Quota.NoLigne");
    detail.Open(c, sql, quota.isNull() ? QVariantList() : QVariantList{Valeurs::lireEntier(quota)});
}

std::optional<bool> TailleManquante(const Recordset& detail, const QVariant& tailleChaussure,
                                    const QVariant& ordreMain, int familleChaussures, int familleGants) {
    const int nbLignes = detail.RecordCount();
    if (nbLignes == 0)
        return std::nullopt;
    const int cFamille = detail.FieldIndex(QStringLiteral("NoFamille"));
    const int cTaille = detail.FieldIndex(QStringLiteral("NoTaille"));
    const int cOrdre = detail.FieldIndex(QStringLiteral("Ordre"));
    bool chaussure = false, chaussureTrouvee = false, gant = false, gantTrouve = false;
    for (int i = 0; i < nbLignes; ++i) {
        const QVariant famille = detail.ValueAt(i, cFamille);
        if (egalEntier(famille, familleChaussures)) {
            chaussure = true;
            chaussureTrouvee = chaussureTrouvee || egalEntier(detail.ValueAt(i, cTaille), tailleChaussure);
        }
        if (egalEntier(famille, familleGants)) {
            gant = true;
            const QVariant ordre = detail.ValueAt(i, cOrdre);
            gantTrouve = gantTrouve || (!ordre.isNull() && !ordreMain.isNull() &&
                                        Valeurs::lireEntier(ordre) >= Valeurs::lireEntier(ordreMain));
        }
    }
    return (chaussure && !chaussureTrouvee) || (gant && !gantTrouve);
}

bool RemplirCA(Connexion& c, const DemandeConso& d, const std::function<void()>& lecture) {
    if (!d.debut.isValid() || !d.fin.isValid())
        throw ErreurExecution(ErreurExecution::ErreurBase, QStringLiteral("Période invalide"),
                              QStringLiteral("ConsoSalarie"));
    TransactionEcriture t(c);
    c.verrouillerTable(QStringLiteral("CA"));
    c.executer(QStringLiteral("DELETE FROM CA"));
    {
        Recordset lignes;
        lignes.Open(
            c,
            QString::fromUtf8(SqlLignes).arg(
                d.versionGSM ? QStringLiteral("AND Ventes.NoMachine = DetailVente.NoMachine ") : QString()),
            {Valeurs::valeurDate(d.debut), Valeurs::valeurDate(d.fin), Valeurs::echapperLike(d.nom),
             Valeurs::echapperLike(d.prenom)});
        InsertionParLots insertion(
            c, QStringLiteral("CA"),
            {QStringLiteral("NomMois"), QStringLiteral("TypeMouvement"), QStringLiteral("LaDate"),
             QStringLiteral("Utilisateur"), QStringLiteral("Nom"), QStringLiteral("Prenom"),
             QStringLiteral("Reference"), QStringLiteral("Designation"), QStringLiteral("Quantite"),
             QStringLiteral("NomFamille"), QStringLiteral("NomSite"), QStringLiteral("NomService"),
             QStringLiteral("Profile"), QStringLiteral("CodeFournisseur"), QStringLiteral("Societe"),
             QStringLiteral("PrixAchatUnit"), QStringLiteral("Taille"), QStringLiteral("NumVente")});
        static const char* const Copiees[] = {
            "TypeMouvement",   "LaDate",   "Utilisateur",   "Nom",     "Prenom",     "Reference",
            "Designation",     "Quantite", "NomFamille",    "NomSite", "NomService", "Profile",
            "CodeFournisseur", "Societe",  "PrixAchatUnit", "Taille",  "NumVente"};
        QList<int> champs;
        for (const char* nom : Copiees)
            champs << lignes.FieldIndex(QLatin1String(nom));
        const int champDate = lignes.FieldIndex(QStringLiteral("LaDate"));
        QVariantList ligne;
        for (int i = 0; i < lignes.RecordCount(); ++i) {
            const QDateTime date = Valeurs::lireDate(lignes.ValueAt(i, champDate));
            ligne.clear();
            ligne << nomMois(date.date());
            for (size_t k = 0; k < std::size(Copiees); ++k) {
                const QLatin1String champ(Copiees[k]);
                QVariant v = lignes.ValueAt(i, champs.at(static_cast<qsizetype>(k)));
                if (!v.isNull()) {
                    // SQLite's upper() folds ASCII letters only.
                    if (champ == QLatin1String("NomFamille"))
                        v = Valeurs::lireTexte(v).toUpper();
                    else if (champ == QLatin1String("LaDate"))
                        v = Valeurs::valeurDate(date);
                    else if (champ == QLatin1String("PrixAchatUnit"))
                        v = Valeurs::valeurMonnaie(Valeurs::lireMonnaie(v));
                }
                ligne << v;
            }
            insertion.ajouter(ligne);
        }
        insertion.terminer();
    }
    const bool lignes = Valeurs::lireEntier(c.valeurUnique(QStringLiteral("SELECT COUNT(*) FROM CA"))) > 0;
    if (lignes && lecture)
        lecture();
    t.valider();
    return lignes;
}

} // namespace ConsoSalarie
