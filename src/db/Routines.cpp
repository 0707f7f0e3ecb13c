#include "db/Routines.h"

#include "common/ErreurExecution.h"
#include "common/MajBase.h"
#include "db/Connexion.h"
#include "db/Recordset.h"
#include "db/Valeurs.h"

#include <QHash>
#include <QMutex>
#include <optional>

namespace Routines {

namespace {

// A bound of EtatCA and EtatCAsite: a date, or the procedure's own text "dd/MM/yyyy HH:mm:ss" (or ISO text).
QDateTime borneEtatCA(const QVariant& valeur) {
    if (valeur.metaType().id() == QMetaType::QString) {
        const QString t = valeur.toString().trimmed();
        for (const QString& format : {QStringLiteral("dd/MM/yyyy HH:mm:ss"), QStringLiteral("dd/MM/yyyy")}) {
            const QDateTime d = QDateTime::fromString(t, format);
            if (d.isValid())
                return d;
        }
    }
    return Valeurs::lireDate(valeur);
}

// The one parameter of the machine sheets' routines: the machine's number.
qint64 numeroMachine(const QString& nom, const QVariantList& p) {
    if (p.size() != 1)
        throw ErreurExecution(ErreurExecution::ErreurBase, QStringLiteral("%1 attend un paramètre").arg(nom),
                              nom);
    return Valeurs::lireEntier(p.at(0));
}

struct Registre {
    QMutex verrou;
    QHash<QString, Routine> routines;
    QHash<QString, RoutineResultat> resultats;
    Registre() {
        resultats.insert(QStringLiteral("RemplissageMachine"),
                         [](Connexion& c, const QVariantList& p, Recordset& r) {
                             RemplissageMachine(c, numeroMachine(QStringLiteral("RemplissageMachine"), p), r);
                         });
        resultats.insert(
            QStringLiteral("PresentationArticle"), [](Connexion& c, const QVariantList& p, Recordset& r) {
                PresentationArticle(c, numeroMachine(QStringLiteral("PresentationArticle"), p), r);
            });
        routines.insert(QStringLiteral("EtatCA"), [](Connexion& c, const QVariantList& p) {
            if (p.size() != 2)
                throw ErreurExecution(ErreurExecution::ErreurBase,
                                      QStringLiteral("EtatCA attend deux paramètres"),
                                      QStringLiteral("EtatCA"));
            EtatCA(c, borneEtatCA(p.at(0)), borneEtatCA(p.at(1)));
        });
        routines.insert(QStringLiteral("EtatCAsite"), [](Connexion& c, const QVariantList& p) {
            if (p.size() != 3)
                throw ErreurExecution(ErreurExecution::ErreurBase,
                                      QStringLiteral("EtatCAsite attend trois paramètres"),
                                      QStringLiteral("EtatCAsite"));
            EtatCAsite(c, borneEtatCA(p.at(0)), borneEtatCA(p.at(1)), Valeurs::lireTexte(p.at(2)));
        });
        // The summaries of a period take their bounds as EtatCA does.
        using Resume = void (*)(Connexion&, const QDateTime&, const QDateTime&, const std::function<void()>&);
        const std::pair<const char*, Resume> resumes[] = {{"ConsoParCentreCout", &ConsoParCentreCout},
                                                          {"AjoutSuiviParHeure", &AjoutSuiviParHeure},
                                                          {"AjoutCAparArticle", &AjoutCAparArticle}};
        for (const auto& [nom, resume] : resumes) {
            const QString n = QString::fromUtf8(nom);
            routines.insert(n, [n, resume](Connexion& c, const QVariantList& p) {
                if (p.size() != 2)
                    throw ErreurExecution(ErreurExecution::ErreurBase,
                                          QStringLiteral("%1 attend deux paramètres").arg(n), n);
                resume(c, borneEtatCA(p.at(0)), borneEtatCA(p.at(1)), {});
            });
        }
    }
};

Registre& registre() {
    static Registre r;
    return r;
}

} // namespace

// A name is one routine's: registering it under one kind drops it from the other.
void enregistrer(const QString& nom, Routine routine) {
    Registre& r = registre();
    QMutexLocker l(&r.verrou);
    r.resultats.remove(nom);
    r.routines.insert(nom, std::move(routine));
}

void enregistrer(const QString& nom, RoutineResultat routine) {
    Registre& r = registre();
    QMutexLocker l(&r.verrou);
    r.routines.remove(nom);
    r.resultats.insert(nom, std::move(routine));
}

bool existe(const QString& nom) {
    Registre& r = registre();
    QMutexLocker l(&r.verrou);
    return r.routines.contains(nom) || r.resultats.contains(nom);
}

QStringList noms() {
    Registre& r = registre();
    QMutexLocker l(&r.verrou);
    QStringList n = r.routines.keys() + r.resultats.keys();
    n.sort();
    return n;
}

namespace {

ErreurExecution inconnue(const QString& nom) {
    return ErreurExecution(ErreurExecution::ErreurBase,
                           QStringLiteral("Procédure stockée inconnue : %1").arg(nom), nom);
}

} // namespace

void executer(const QString& nom, Connexion& connexion, const QVariantList& parametres) {
    Routine routine;
    RoutineResultat avecResultat;
    {
        Registre& r = registre();
        QMutexLocker l(&r.verrou);
        routine = r.routines.value(nom);
        avecResultat = r.resultats.value(nom);
    }
    if (routine) {
        routine(connexion, parametres);
        return;
    }
    if (!avecResultat)
        throw inconnue(nom);
    Recordset resultat;
    avecResultat(connexion, parametres, resultat);
}

void ouvrir(const QString& nom, Connexion& connexion, const QVariantList& parametres, Recordset& resultat) {
    RoutineResultat routine;
    bool sansResultat = false;
    {
        Registre& r = registre();
        QMutexLocker l(&r.verrou);
        routine = r.resultats.value(nom);
        sansResultat = r.routines.contains(nom);
    }
    if (sansResultat)
        throw ErreurExecution(ErreurExecution::ErreurBase,
                              QStringLiteral("La procédure stockée %1 ne renvoie pas de lignes").arg(nom),
                              nom);
    if (!routine)
        throw inconnue(nom);
    routine(connexion, parametres, resultat);
}

namespace {

// The SELECT of CA's rows up to its condition on the period, and what follows the condition. The
// month's French name comes from the date's text ("yyyy-MM-dd ..."), so that every backend and the
// sqlite3 shell run the same text; both bounds strict.
const char* const DebutSelectionCA =
    "SELECT CASE SUBSTR(CAST(Ventes.LaDate AS TEXT), 6, 2) WHEN '01' THEN 'janvier' WHEN '02' THEN "
    "'février' WHEN '03' THEN 'mars' WHEN '04' THEN 'avril' WHEN '05' THEN 'mai' WHEN '06' THEN 'juin' "
    "WHEN '07' THEN 'juillet' WHEN '08' THEN 'août' WHEN '09' THEN 'septembre' WHEN '10' THEN 'octobre' "
    "WHEN '11' THEN 'novembre' WHEN '12' THEN 'décembre' END AS NomMois, "
    "Ventes.TypeMouvement, Ventes.LaDate, Ventes.Utilisateur, Ventes.Nom, Ventes.Prenom, "
    "DetailVente.Reference, DetailVente.Designation, DetailVente.Quantite, DetailVente.NomFamille, "
    "DetailVente.NomSite, DetailVente.NomService, ProfileQuota.Profile, DetailVente.CodeFournisseur, "
    "DetailVente.Societe, DetailVente.PrixAchatUnit, DetailVente.Taille, DetailVente.RefFournisseur, "
    "Ventes.NumVente, DetailVente.NoMachine "
    "FROM Ventes INNER JOIN DetailVente ON Ventes.NumVente = DetailVente.NumVente "
    "LEFT OUTER JOIN ProfileQuota ON DetailVente.Profile = ProfileQuota.NoQuota "
    "WHERE Ventes.LaDate > ? AND Ventes.LaDate < ? ";
const char* const FinSelectionCA =
    "GROUP BY Ventes.TypeMouvement, Ventes.LaDate, Ventes.Utilisateur, Ventes.Nom, Ventes.Prenom, "
    "DetailVente.Reference, DetailVente.Designation, DetailVente.Quantite, DetailVente.NomFamille, "
    "DetailVente.NomSite, DetailVente.NomService, ProfileQuota.Profile, DetailVente.CodeFournisseur, "
    "DetailVente.Societe, DetailVente.PrixAchatUnit, DetailVente.Taille, DetailVente.RefFournisseur, "
    "Ventes.NumVente, DetailVente.NoMachine";
const char* const InsertionCA =
    "INSERT INTO CA (NomMois, TypeMouvement, LaDate, Utilisateur, Nom, Prenom, Reference, Designation, "
    "Quantite, NomFamille, NomSite, NomService, Profile, CodeFournisseur, Societe, PrixAchatUnit, Taille, "
    "RefFournisseur, NumVente, NoMachine) ";
// The site's lines: the layer's comparison of names (every letter folded, accents kept) on the escaped
// name, so that no character of it is a pattern.
const char* const ConditionSite = "AND DetailVente.NomSite LIKE ? ESCAPE '\\' ";

QString sqlSelectionCA(bool parSite) {
    return QString::fromUtf8(DebutSelectionCA) + (parSite ? QString::fromUtf8(ConditionSite) : QString()) +
           QString::fromUtf8(FinSelectionCA);
}

QString sqlRemplissageCA(bool parSite) {
    return QString::fromUtf8(InsertionCA) + sqlSelectionCA(parSite);
}

// The summaries read CA's rows of the period (L) without writing CA, so that their sums are those of
// the consumption reports. A line's amount is its PrixAchatUnit (the line's value, its quantity
// included); a Null quantity or amount adds nothing; Null machines, sites, services and articles make
// groups of their own.
const char* const SqlConsoParCentreCout =
    "INSERT INTO ConsoParMachineSecteur (NoMachine, Location, NomSite, NomService, Reference, Designation, "
    "Quantite, Montant) "
    "SELECT L.NoMachine, MAX(Machines.Location), L.NomSite, L.NomService, L.Reference, MAX(L.Designation), "
    "SUM(COALESCE(L.Quantite, 0)), ROUND(SUM(COALESCE(L.PrixAchatUnit, 0)), 4) "
    "FROM (%1) L LEFT OUTER JOIN Machines ON Machines.NoMachine = L.NoMachine "
    "GROUP BY L.NoMachine, L.NomSite, L.NomService, L.Reference";
// The hour from the date's text, as the month is read.
const char* const SqlSuiviParHeure =
    "INSERT INTO EtatSuiviParHeure (Heure, NbRetraits, Quantite) "
    "SELECT CAST(SUBSTR(CAST(L.LaDate AS TEXT), 12, 2) AS INTEGER), COUNT(DISTINCT L.NumVente), "
    "SUM(COALESCE(L.Quantite, 0)) FROM (%1) L "
    "GROUP BY CAST(SUBSTR(CAST(L.LaDate AS TEXT), 12, 2) AS INTEGER)";
const char* const SqlCAparArticle =
    "INSERT INTO CAparArticle (Reference, Designation, Quantite, Montant) "
    "SELECT L.Reference, MAX(L.Designation), SUM(COALESCE(L.Quantite, 0)), "
    "ROUND(SUM(COALESCE(L.PrixAchatUnit, 0)), 4) FROM (%1) L GROUP BY L.Reference";

QString sqlResume(const char* texte) {
    return QString::fromUtf8(texte).arg(sqlSelectionCA(false));
}

// The body of every routine of the period: `table` held, emptied and filled by `sql`, then `lecture`,
// all in one transaction; a bound that is no date refused before anything changes.
void remplirPeriode(Connexion& c, const QString& routine, const QString& table, const QDateTime& debut,
                    const QDateTime& fin, const QString& sql, const QVariantList& autres,
                    const std::function<void()>& lecture) {
    // A missing bound would compare with Null: the table emptied and nothing selected, as if the period
    // held no withdrawal.
    if (!debut.isValid() || !fin.isValid())
        throw ErreurExecution(ErreurExecution::ErreurBase,
                              QStringLiteral("%1 : période invalide").arg(routine), routine);
    TransactionEcriture t(c);
    c.verrouillerTable(table);
    c.executer(QStringLiteral("DELETE FROM ") + table);
    if (!sql.isEmpty())
        c.executer(sql, QVariantList{Valeurs::valeurDate(debut), Valeurs::valeurDate(fin)} + autres);
    if (lecture)
        lecture();
    t.valider();
}

// The body of EtatCA and EtatCAsite: without a site every line of the period, with one only its lines.
// An empty site names no site: CA is emptied and nothing selected.
void remplirCA(Connexion& c, const QString& routine, const QDateTime& debut, const QDateTime& fin,
               const std::optional<QString>& site, const std::function<void()>& lecture) {
    if (!site)
        remplirPeriode(c, routine, QStringLiteral("CA"), debut, fin, sqlRemplissageCA(false), {}, lecture);
    else
        remplirPeriode(c, routine, QStringLiteral("CA"), debut, fin,
                       site->isEmpty() ? QString() : sqlRemplissageCA(true), {Valeurs::echapperLike(*site)},
                       lecture);
}

} // namespace

QString sqlEtatCA() {
    return sqlRemplissageCA(false);
}

void EtatCA(Connexion& c, const QDateTime& debut, const QDateTime& fin,
            const std::function<void()>& lecture) {
    remplirCA(c, QStringLiteral("EtatCA"), debut, fin, std::nullopt, lecture);
}

void EtatCAsite(Connexion& c, const QDateTime& debut, const QDateTime& fin, const QString& site,
                const std::function<void()>& lecture) {
    remplirCA(c, QStringLiteral("EtatCAsite"), debut, fin, site, lecture);
}

QString sqlConsoParCentreCout() {
    return sqlResume(SqlConsoParCentreCout);
}

void ConsoParCentreCout(Connexion& c, const QDateTime& debut, const QDateTime& fin,
                        const std::function<void()>& lecture) {
    remplirPeriode(c, QStringLiteral("ConsoParCentreCout"), QStringLiteral("ConsoParMachineSecteur"), debut,
                   fin, sqlConsoParCentreCout(), {}, lecture);
}

void AjoutSuiviParHeure(Connexion& c, const QDateTime& debut, const QDateTime& fin,
                        const std::function<void()>& lecture) {
    remplirPeriode(c, QStringLiteral("AjoutSuiviParHeure"), QStringLiteral("EtatSuiviParHeure"), debut, fin,
                   sqlResume(SqlSuiviParHeure), {}, lecture);
}

void AjoutCAparArticle(Connexion& c, const QDateTime& debut, const QDateTime& fin,
                       const std::function<void()>& lecture) {
    remplirPeriode(c, QStringLiteral("AjoutCAparArticle"), QStringLiteral("CAparArticle"), debut, fin,
                   sqlResume(SqlCAparArticle), {}, lecture);
}

QString conditionNoBadge(const Connexion& c, const QString& colonne, const QString& valeur,
                         QVariantList& valeurs) {
    // citext's equality folds as its LIKE does. SQLite's NOCASE folds ASCII letters only, and two other
    // characters fold to ASCII ones (KELVIN SIGN to "k", LONG S to "s"): there the equality gives LIKE's
    // rows only for a value of ASCII characters without those two letters, as every reader gives badges.
    bool egaliteExacte = true;
    if (c.estSQLite())
        for (const QChar ch : valeur)
            egaliteExacte =
                egaliteExacte && ch.unicode() < 0x80 && ch.toLower() != u'k' && ch.toLower() != u's';
    const QString like = colonne + QStringLiteral(" LIKE ? ESCAPE '\\'");
    if (egaliteExacte)
        valeurs << valeur;
    valeurs << Valeurs::echapperLike(valeur);
    return egaliteExacte ? colonne + QStringLiteral(" = ? AND ") + like : like;
}

void BadgeIndentifie(Connexion& c, const QString& badge, Recordset& resultat) {
    QVariantList valeurs;
    const QString condition = conditionNoBadge(c, QStringLiteral("NoBadge"), badge, valeurs);
    resultat.Open(c, QStringLiteral("SELECT * FROM GrUtilisateur WHERE ") + condition, valeurs);
}

namespace {

// The columns of both sheets' rows, the article and the machine joined when they exist; %1 is the line's
// table (alias L), %2 its reference column, %3 its machine column, %4 its two quantities.
const char* const SqlLignesFiche =
    "SELECT L.Etage, L.%2 AS ReferenceArticle, A.Designation, A.RefFournisseur, "
    "CASE WHEN L.CodeArticle IS NULL OR L.CodeArticle = 0 THEN A.CodeArticle ELSE L.CodeArticle END "
    "AS CodeArticle, %4, L.%3 AS NoMachine, M.Location, A.Image "
    "FROM %1 L LEFT OUTER JOIN ArticleEnStock A ON A.Reference = L.%2 "
    "LEFT OUTER JOIN Machines M ON M.NoMachine = L.%3 ";

QString sqlLignesFiche(const char* table, const char* reference, const char* machine, const char* quantites) {
    return QString::fromUtf8(SqlLignesFiche)
        .arg(QString::fromUtf8(table), QString::fromUtf8(reference), QString::fromUtf8(machine),
             QString::fromUtf8(quantites));
}

} // namespace

QString sqlRemplissageMachine() {
    // Null floors (the global sheet's) first on both backends.
    return sqlLignesFiche("TRemplissageMachine", "Reference", "NumMach", "L.NbUnite, L.Aremplir") +
           QStringLiteral("ORDER BY CASE WHEN L.Etage IS NULL THEN 0 ELSE 1 END, L.Etage, L.Reference, "
                          "L.NumMach");
}

void RemplissageMachine(Connexion& c, qint64 machine, Recordset& resultat) {
    Q_UNUSED(machine);
    resultat.Open(c, sqlRemplissageMachine());
}

void PresentationArticle(Connexion& c, qint64 machine, Recordset& resultat) {
    static const QString sql =
        sqlLignesFiche(
            "ConfigMachines", "ReferenceArticle", "NoMachine",
            "CAST(NULL AS DOUBLE PRECISION) AS NbUnite, CAST(NULL AS DOUBLE PRECISION) AS Aremplir") +
        QStringLiteral("WHERE L.NoMachine = ? AND L.ReferenceArticle IS NOT NULL AND L.ReferenceArticle <> 0 "
                       "ORDER BY L.Etage");
    resultat.Open(c, sql, {machine});
}

QString sqlSelectionQuotaArticleStock() {
    return QStringLiteral(
        "SELECT RefArticle, Periodicite, QtePermise FROM Quota WHERE NoQota = ? ORDER BY NoLigne");
}

void SelectionQuotaArticleStock(Connexion& c, qint64 profil, Recordset& resultat) {
    resultat.Open(c, sqlSelectionQuotaArticleStock(), {profil});
}

QString sqlSelectionQuotaConso(const Connexion& c, const QDateTime& debut, const QDateTime& fin,
                               const QString& nom, const QString& prenom, qint64 reference,
                               QVariantList& valeurs) {
    // Every condition is on a grouped column: WHERE selects what the procedure's HAVING kept. The
    // grouping covers every column, so identical lines of one withdrawal come once.
    valeurs << reference << Valeurs::valeurDate(debut) << Valeurs::valeurDate(fin);
    const QString conditionNom = conditionNoBadge(c, QStringLiteral("Ventes.Nom"), nom, valeurs);
    const QString conditionPrenom = conditionNoBadge(c, QStringLiteral("Ventes.Prenom"), prenom, valeurs);
    static const QString colonnes =
        QStringLiteral("Ventes.LaDate, Ventes.Utilisateur, DetailVente.Reference, DetailVente.Quantite, "
                       "Ventes.NumVente, Ventes.Nom, Ventes.Prenom");
    // After the date, the withdrawal's number and the quantity (the only columns left that differ within
    // one withdrawal) give one order on both backends.
    return QStringLiteral("SELECT ") + colonnes +
           QStringLiteral(
               " FROM Ventes INNER JOIN DetailVente ON Ventes.NumVente = DetailVente.NumVente "
               "WHERE DetailVente.Reference = ? AND Ventes.LaDate >= ? AND Ventes.LaDate < ? AND ") +
           conditionNom + QStringLiteral(" AND ") + conditionPrenom + QStringLiteral(" GROUP BY ") +
           colonnes + QStringLiteral(" ORDER BY Ventes.LaDate, Ventes.NumVente, DetailVente.Quantite");
}

void SelectionQuotaConso(Connexion& c, const QDateTime& debut, const QDateTime& fin, const QString& nom,
                         const QString& prenom, qint64 reference, Recordset& resultat) {
    // A missing bound would compare with Null: no row, as if nothing had been taken.
    if (!debut.isValid() || !fin.isValid())
        throw ErreurExecution(ErreurExecution::ErreurBase,
                              QStringLiteral("SelectionQuotaConso : période invalide"),
                              QStringLiteral("SelectionQuotaConso"));
    QVariantList valeurs;
    const QString sql = sqlSelectionQuotaConso(c, debut, fin, nom, prenom, reference, valeurs);
    resultat.Open(c, sql, valeurs);
}

} // namespace Routines

bool VerifierStoredProcedure(const QString& nom, const QString& texte) {
    if (Routines::existe(nom))
        return true;
    if (!texte.isEmpty())
        MajBase::SignalerErreur(
            QStringLiteral("VerifierStoredProcedure"),
            ErreurExecution(ErreurExecution::ErreurBase,
                            QStringLiteral("Procédure stockée non fournie par le programme : %1").arg(nom)));
    return false;
}

void EffacerStoredProcedure(const QString& nom) {
    if (Routines::existe(nom))
        return;
    MajBase::SignalerErreur(
        QStringLiteral("EffacerStoredProcedure"),
        ErreurExecution(
            ErreurExecution::ErreurBase,
            QStringLiteral("Impossible de supprimer la procédure '%1', car elle n'existe pas.").arg(nom)));
}
