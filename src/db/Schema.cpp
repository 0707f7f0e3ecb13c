#include "db/Schema.h"

#include "common/ChaineConnexion.h"
#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/FnWendrox.h"
#include "db/Connexion.h"
#include "db/EtapesSchema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <mutex>
#include <optional>
#include <vector>

namespace Schema {

namespace {

// Tables in a neutral notation; ddl() turns the type words into each backend's types.
// IDENT is a key the database assigns, read back with INSERT ... RETURNING.
const char* const TablesPrincipales[] = {
    "InfoSociete (Id IDENT, NOM TEXT, Adresse TEXT, CodePostal TEXT, Ville TEXT, Tel TEXT, Fax TEXT, "
    "MotPasse TEXT, AdEmail TEXT, VD TEXT)",
    "CA (NomMois TEXT, TypeMouvement INT, LaDate DATETIME, Utilisateur TEXT, Nom TEXT, Prenom TEXT, "
    "Reference BIGINT, Designation TEXT, Quantite INT, NomFamille TEXT, NomSite TEXT, NomService TEXT, "
    "Profile TEXT, CodeFournisseur TEXT, Societe TEXT, PrixAchatUnit MONEY, Taille TEXT, RefFournisseur "
    "TEXT, "
    "NumVente BIGINT, NoMachine INT)",
    "ArticleEnStock (Reference BIGINT PRIMARY KEY, Designation TEXT, RefFournisseur TEXT, CodeArticle INT, "
    "CodeBar TEXT, QteEnStock INT, QteParPaket INT, StockAlert INT, DelaiLivraison INT, PrixAchatUnit MONEY, "
    "PrixAchatGlobal MONEY, Prix INT, Taille INT, Famille INT, NoFournisseur INT, Image TEXT, "
    "DateCreation DATETIME, DateDernierMouvement DATETIME)",
    "CodeArticle (CodeArticle INT PRIMARY KEY, Reference BIGINT)",
    "MouvementStock (Id IDENT, DateEntree DATETIME, Qte INT, NomFournisseur TEXT, RefProduit BIGINT, "
    "RefFournisseur TEXT, Designation TEXT, Commentaire TEXT)",
    "ImageProduit (RefImage TEXT PRIMARY KEY, Picture BLOB)",
    "Familles (NoFamille IDENT, NomFamille TEXT, Fonction TEXT)",
    "Tailles (NoTaille IDENT, Taille TEXT, Ordre INT, NoFamille INT)",
    "Fournisseur (Nauto IDENT, No INT, CodeFournisseur TEXT UNIQUE, Societe TEXT, NomContact TEXT, "
    "Adresse TEXT, CodePostal TEXT, Ville TEXT, Tel TEXT, Fax TEXT)",
    "Utilisateurs (IdUtilisateur IDENT, NoBadge TEXT, MatriculeSalarie TEXT, Nom TEXT, Prenom TEXT, Site "
    "INT, "
    "Service INT, Quota INT, TailleChaussure INT, TailleMain INT, Langue TEXT, MachineAutorise TEXT, "
    "NoUtilisateur TEXT)",
    "BadgeMaintenance (Id IDENT, NoBadge TEXT)",
    "Sites (NoSite IDENT, NomSite TEXT, Adresse TEXT, Info TEXT)",
    "Services (NoService IDENT, NomService TEXT, Site INT, Info TEXT)",
    "ProfileQuota (NoQuota IDENT, Profile TEXT UNIQUE)",
    "Quota (NoLigne IDENT, NoQota INT, RefArticle BIGINT, QtePermise INT, Periodicite INT)",
    "PlageHoraire (NoQuota INT, NoJour INT, NomJour TEXT, HeureDebut TEXT, Heurefin TEXT, "
    "PRIMARY KEY (NoQuota, NoJour))",
    "Ventes (NumVente IDENT, LaDate DATETIME, Utilisateur TEXT, Nom TEXT, Prenom TEXT, TypeMouvement INT, "
    "Total MONEY, NoMachine INT, NoAffaire TEXT, Ticket TEXT)",
    "DetailVente (Id IDENT, NumVente BIGINT, Reference BIGINT, Designation TEXT, Quantite INT, "
    "PrixAchatUnit MONEY, NomFamille TEXT, NoFamille INT, NomSite TEXT, NoSite INT, NomService TEXT, "
    "NoService INT, Profile INT, CodeFournisseur TEXT, Societe TEXT, Taille TEXT, RefFournisseur TEXT, "
    "CodeArticle INT, NoMachine INT)",
    "Retour (Noligne IDENT, ReferenceArticle BIGINT, RefFournisseur TEXT, Designation TEXT, CodBar TEXT, "
    "NomFamille TEXT, Utilisateur TEXT, NomUser TEXT, PrenomUser TEXT, NomService TEXT, NomSite TEXT, "
    "Profile TEXT, Image TEXT, LaDateRetrait DATETIME, LaDateRetour DATETIME, NoMachine INT, Ticket TEXT)",
    "ListeNoAffaire (NoAffaire TEXT PRIMARY KEY, Libelle TEXT)",
    "Machines (NoMachine INT PRIMARY KEY, Location TEXT, NbEmplacement INT, NbPorte INT, Type INT, "
    "Chargement TEXT)",
    "ConfigMachines (NoMachine INT, Etage INT, ReferenceArticle BIGINT, CodeArticle INT, Designation TEXT, "
    "PRIMARY KEY (NoMachine, Etage))",
    "EmplacementsMachine1 (NoMachine INT, NoEmpl INT, Etage INT, Colonne INT, Reference BIGINT, Qte INT, "
    "DateChargement DATETIME, EtageBloquer INT, PRIMARY KEY (NoMachine, NoEmpl))",
    "TRemplissageMachine (Etage INT, Reference BIGINT, CodeArticle INT, NbUnite DOUBLE, Aremplir DOUBLE, "
    "NumMach INT)",
    "ARemplissageMachine (Etage INT, ReferenceArticle BIGINT, Designation TEXT, RefFournisseur TEXT, "
    "CodeArticle TEXT, NbUnite DOUBLE, Aremplir DOUBLE, NbArticle INT, NoMachine INT, Location TEXT, "
    "Image TEXT, Picture BLOB)",
    "InfoEtat (Titre TEXT, Periode TEXT)",
    "SchemaDorvane (Version INT)",
};

const char* const Index[] = {
    "CREATE INDEX IX_DetailVente_NumVente ON DetailVente (NumVente, NoMachine)",
    "CREATE INDEX IX_EmplacementsMachine1_Reference ON EmplacementsMachine1 (Reference)",
    // The period reports and the counter history select on the date.
    "CREATE INDEX IX_Ventes_LaDate ON Ventes (LaDate)",
    "CREATE INDEX IX_Utilisateurs_NoBadge ON Utilisateurs (NoBadge)",
};

// The machine quantity: the sum of the slots' Qte, a slot without Qte counting one unit, 0 without slot.
const char* const VueStockGlobal =
    "CREATE VIEW StockGlobal AS SELECT A.Reference, COALESCE(M.QteSlots, 0) AS QteEnMachine, A.Designation, "
    "T.Taille, A.QteParPaket, A.Prix, A.PrixAchatUnit, A.PrixAchatGlobal, F.NomFamille, A.StockAlert, "
    "A.RefFournisseur, A.DateCreation, A.DateDernierMouvement, A.CodeBar, A.CodeArticle, A.Image, R.Societe, "
    "R.Adresse, R.CodePostal, R.Ville, R.NomContact, R.Tel, R.Fax, R.CodeFournisseur, A.QteEnStock, "
    "A.QteEnStock + COALESCE(M.QteSlots, 0) AS QteGlobal, "
    "A.PrixAchatUnit * 1.0 * (A.QteEnStock + COALESCE(M.QteSlots, 0)) AS ValeurStock, F.NoFamille, "
    "A.DelaiLivraison "
    "FROM ArticleEnStock A "
    "LEFT OUTER JOIN Tailles T ON T.NoTaille = A.Taille "
    "LEFT OUTER JOIN (SELECT Reference, SUM(COALESCE(Qte, 1)) AS QteSlots FROM EmplacementsMachine1 "
    "WHERE Reference IS NOT NULL GROUP BY Reference) M ON M.Reference = A.Reference "
    "LEFT OUTER JOIN Familles F ON F.NoFamille = A.Famille "
    "LEFT OUTER JOIN Fournisseur R ON R.No = A.NoFournisseur";

const char* const VueGrUtilisateur =
    "CREATE VIEW GrUtilisateur AS SELECT U.Nom, U.Prenom, U.NoBadge, U.TailleChaussure, TC.Taille AS "
    "TailleCh, "
    "TC.Ordre AS OrdreCh, U.TailleMain, TM.Taille AS TailleM, TM.Ordre AS OrdreM, SV.NoService, U.Service, "
    "SV.NomService, U.Site, S.NomSite, U.Quota, P.Profile, U.NoUtilisateur, S.NoSite, U.MatriculeSalarie, "
    "U.MachineAutorise, U.Langue, U.IdUtilisateur "
    "FROM Utilisateurs U "
    "LEFT OUTER JOIN Sites S ON U.Site = S.NoSite "
    "LEFT OUTER JOIN Services SV ON U.Service = SV.NoService "
    "LEFT OUTER JOIN ProfileQuota P ON U.Quota = P.NoQuota "
    "LEFT OUTER JOIN Tailles TC ON U.TailleChaussure = TC.NoTaille "
    "LEFT OUTER JOIN Tailles TM ON U.TailleMain = TM.NoTaille";

// A column of the neutral notation: "Name TYPE" after the opening parenthesis or a comma.
const QRegularExpression& colonneNeutre() {
    static const QRegularExpression colonne(
        QStringLiteral("(\\(|, )(\\w+) (IDENT|TEXT|BIGINT|INT|MONEY|DOUBLE|BOOL|DATETIME|BLOB)\\b"));
    return colonne;
}

// A table of the neutral notation in one backend's words, without "CREATE TABLE".
QString corpsTable(const QString& neutre, bool sqlite) {
    struct Remplacement {
        const char* mot;
        const char* sqlite;
        const char* pg;
    };
    static const Remplacement types[] = {
        {"IDENT", "INTEGER PRIMARY KEY AUTOINCREMENT",
         "INTEGER GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY"},
        {"TEXT", "TEXT COLLATE NOCASE", "citext"},
        {"BIGINT", "BIGINT", "BIGINT"},
        {"INT", "INTEGER", "INTEGER"},
        {"MONEY", "NUMERIC(19,4)", "NUMERIC(19,4)"},
        {"DOUBLE", "REAL", "DOUBLE PRECISION"},
        {"BOOL", "BOOLEAN", "BOOLEAN"},
        {"DATETIME", "DATETIME", "TIMESTAMP(0)"},
        {"BLOB", "BLOB", "BYTEA"},
    };
    // Only the word after a column name is a type: "Name TYPE".
    QString r;
    qsizetype fin = 0;
    auto it = colonneNeutre().globalMatch(neutre);
    while (it.hasNext()) {
        const auto m = it.next();
        r += neutre.mid(fin, m.capturedStart(3) - fin);
        for (const auto& t : types) {
            if (m.captured(3) == QLatin1String(t.mot)) {
                r += QLatin1String(sqlite ? t.sqlite : t.pg);
                break;
            }
        }
        fin = m.capturedEnd(3);
    }
    r += neutre.mid(fin);
    return r;
}

QString ddl(const QString& neutre, bool sqlite) {
    return QStringLiteral("CREATE TABLE ") + corpsTable(neutre, sqlite);
}

// PostgreSQL advisory lock taken while the table of our number is made (any fixed key of ours).
constexpr qint64 VerrouCreationNumero = 0x446f7276616e65; // "Dorvane"

// Every thread that brings a database up to date reads the steps: always under this lock.
std::mutex& verrouEtapes() {
    static std::mutex m;
    return m;
}

std::vector<Etape>& etapes() {
    static std::vector<Etape> liste;
    return liste;
}

// The program's own steps, registered once, before the steps are first counted or run.
void chargerEtapesProgramme() {
    static std::once_flag fait;
    std::call_once(fait, [] { enregistrerEtapesSchema(); });
}

void executerTout(Connexion& c, const QStringList& instructions) {
    for (const QString& sql : instructions)
        c.executer(sql);
}

} // namespace

int versionCourante() {
    chargerEtapesProgramme();
    const std::lock_guard verrou(verrouEtapes());
    int v = 1;
    for (const Etape& e : etapes())
        v = std::max(v, e.version);
    return v;
}

QStringList instructionsBasePrincipale(bool sqlite) {
    QStringList r;
    if (!sqlite)
        r << QStringLiteral("CREATE EXTENSION IF NOT EXISTS citext");
    for (const char* t : TablesPrincipales)
        r << ddl(QString::fromUtf8(t), sqlite);
    for (const char* i : Index)
        r << QString::fromUtf8(i);
    r << QString::fromUtf8(VueStockGlobal) << QString::fromUtf8(VueGrUtilisateur);
    return r;
}

QString creationTableSiAbsente(const QString& neutre, bool sqlite) {
    return QStringLiteral("CREATE TABLE IF NOT EXISTS ") + corpsTable(neutre, sqlite);
}

QStringList colonnesTable(const QString& table) {
    for (const char* t : TablesPrincipales) {
        const QString neutre = QString::fromUtf8(t);
        if (neutre.section(u' ', 0, 0).compare(table, Qt::CaseInsensitive) != 0)
            continue;
        QStringList colonnes;
        auto it = colonneNeutre().globalMatch(neutre);
        while (it.hasNext())
            colonnes << it.next().captured(2);
        return colonnes;
    }
    return {};
}

void creerBasePrincipale(Connexion& c) {
    TransactionEcriture t(c);
    executerTout(c, instructionsBasePrincipale(c.estSQLite()));
    c.executer(QStringLiteral("INSERT INTO SchemaDorvane (Version) VALUES (?)"), {1});
    // The company row: empty texts, no password nor address, the newest layout number.
    c.executer(
        QStringLiteral(
            "INSERT INTO InfoSociete (NOM, Adresse, CodePostal, Ville, Tel, Fax, MotPasse, AdEmail, VD) "
            "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
        {QString(""), QString(""), QString(""), QString(""), QString(""), QString(""),
         QVariant(QMetaType::fromType<QString>()), QVariant(QMetaType::fromType<QString>()),
         QStringLiteral("016")});
    for (const QString& p :
         {QStringLiteral("ILLIMITÉ"), QStringLiteral("QUOTAS GENERAL"), QStringLiteral("CHEF")})
        c.executer(QStringLiteral("INSERT INTO ProfileQuota (Profile) VALUES (?)"), {p});
    t.valider();
    mettreAJour(c);
}

void creerBaseDroits(Connexion& c) {
    TransactionEcriture t(c);
    if (!c.estSQLite())
        c.executer(QStringLiteral("CREATE EXTENSION IF NOT EXISTS citext"));
    c.executer(ddl(
        QStringLiteral("Gestionnaire (Utilisateur TEXT, Salarie BOOL, ArticleEnStock BOOL, "
                       "JournalConsomation BOOL, Report BOOL, BadgesMaintenances BOOL, Machines BOOL, "
                       "Fournisseurs BOOL, MouvementDeStock BOOL, Profils BOOL, Familles BOOL, Tailles BOOL, "
                       "SitesEtServices BOOL, Comptoir BOOL)"),
        c.estSQLite()));
    t.valider();
}

void enregistrerEtape(int version, std::function<void(Connexion&)> appliquer) {
    const std::lock_guard verrou(verrouEtapes());
    auto& liste = etapes();
    // A database takes the first step of a number and would never run a second one of the same number.
    if (version <= 1 ||
        std::any_of(liste.begin(), liste.end(), [&](const Etape& e) { return e.version == version; }))
        qFatal("Dorvane: schema step %d is registered twice, or does not follow the creation (version 1)",
               version);
    liste.push_back({version, std::move(appliquer)});
    std::stable_sort(liste.begin(), liste.end(),
                     [](const Etape& a, const Etape& b) { return a.version < b.version; });
}

void retirerEtape(int version) {
    const std::lock_guard verrou(verrouEtapes());
    auto& liste = etapes();
    liste.erase(
        std::remove_if(liste.begin(), liste.end(), [&](const Etape& e) { return e.version == version; }),
        liste.end());
}

int versionBase(Connexion& c) {
    try {
        return static_cast<int>(
            c.valeurUnique(QStringLiteral("SELECT MAX(Version) FROM SchemaDorvane")).toLongLong());
    } catch (const ErreurExecution&) {
        return 0;
    }
}

int mettreAJour(Connexion& c) {
    chargerEtapesProgramme();
    {
        // A database brought from elsewhere (a converted server database) has the tables of the first
        // layout but not our number: it starts at version 1.
        TransactionEcriture t(c);
        // Two workstations may find the table missing at once: on PostgreSQL nothing holds a table that
        // does not exist yet, so a lock of our own does (SQLite's BEGIN IMMEDIATE holds the file).
        if (!c.estSQLite())
            c.executer(QStringLiteral("SELECT pg_advisory_xact_lock(%1)").arg(VerrouCreationNumero));
        const QString existe =
            c.estSQLite()
                ? QStringLiteral(
                      "SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND name = 'SchemaDorvane'")
                : QStringLiteral("SELECT COUNT(*) FROM pg_class WHERE oid = to_regclass('schemadorvane')");
        if (c.valeurUnique(existe).toLongLong() == 0) {
            c.executer(ddl(QStringLiteral("SchemaDorvane (Version INT)"), c.estSQLite()));
            c.executer(QStringLiteral("INSERT INTO SchemaDorvane (Version) VALUES (?)"), {1});
        }
        t.valider();
    }
    for (;;) {
        TransactionEcriture t(c);
        c.verrouillerTable(QStringLiteral("SchemaDorvane"));
        const int actuelle = static_cast<int>(
            c.valeurUnique(QStringLiteral("SELECT MAX(Version) FROM SchemaDorvane")).toLongLong());
        std::optional<Etape> suivante;
        {
            const std::lock_guard verrou(verrouEtapes());
            const auto& liste = etapes();
            const auto it = std::find_if(liste.begin(), liste.end(),
                                         [&](const Etape& e) { return e.version > actuelle; });
            if (it != liste.end())
                suivante = *it;
        }
        if (!suivante) {
            t.valider();
            return actuelle;
        }
        suivante->appliquer(c);
        c.executer(QStringLiteral("DELETE FROM SchemaDorvane"));
        c.executer(QStringLiteral("INSERT INTO SchemaDorvane (Version) VALUES (?)"), {suivante->version});
        t.valider();
    }
}

} // namespace Schema

namespace {

// A database name as a quoted identifier ("VEZ" stays "VEZ", a quote is doubled).
QString identifiantQuote(const QString& nom) {
    QString n = nom;
    n.replace(u'"', QStringLiteral("\"\""));
    return u'"' + n + u'"';
}

bool creerFichier(const QString& dossier, const QString& base, bool principale, QString* erreur) {
    const QString chemin = Connexion::cheminFichier(dossier, base);
    if (QFileInfo::exists(chemin))
        return true;
    ParametresConnexion p;
    p.base = base;
    p.dossier = dossier;
    p.creer = true;
    try {
        Connexion c(p);
        if (principale)
            Schema::creerBasePrincipale(c);
        else
            Schema::creerBaseDroits(c);
        return true;
    } catch (const ErreurExecution& e) {
        // Never leave a half-made file that the program would then open as a real database.
        for (const QString& suffixe : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
            QFile::remove(chemin + suffixe);
        if (erreur)
            *erreur = e.description();
        return false;
    }
}

bool creerBaseServeur(const ParametresConnexion& serveur, const QString& base, bool principale,
                      QString* erreur) {
    bool creee = false;
    try {
        {
            ParametresConnexion admin = serveur;
            admin.base = QStringLiteral("postgres");
            Connexion c(admin);
            if (c.valeurUnique(QStringLiteral("SELECT 1 FROM pg_database WHERE datname = ?"), {base})
                    .isValid())
                return true;
            c.executer(QStringLiteral("CREATE DATABASE %1").arg(identifiantQuote(base)));
            creee = true;
        }
        ParametresConnexion p = serveur;
        p.base = base;
        Connexion c(p);
        if (principale)
            Schema::creerBasePrincipale(c);
        else
            Schema::creerBaseDroits(c);
        return true;
    } catch (const ErreurExecution& e) {
        if (erreur)
            *erreur = e.description();
        if (creee) {
            try {
                ParametresConnexion admin = serveur;
                admin.base = QStringLiteral("postgres");
                Connexion c(admin);
                c.executer(QStringLiteral("DROP DATABASE IF EXISTS %1").arg(identifiantQuote(base)));
            } catch (const ErreurExecution&) {
            }
        }
        return false;
    }
}

} // namespace

bool creerBasesDossierProgramme(const QString& dossier, QString* erreur) {
    // Found as the program finds it, whatever its case ("AUTOMAT.INI" in a folder copied from Windows).
    const QString ini = FnWendrox::CheminDansDossier(dossier, QStringLiteral("automat.ini"));
    QString nom = FnWendrox::LireIniString(ini, QStringLiteral("Base de donnée"), QStringLiteral("Nom"),
                                           QStringLiteral("VEZ"));
    if (nom.isEmpty())
        nom = QStringLiteral("VEZ");
    // "Nom" names the file "<Nom>.db" of this folder: a path, ".." or a character that no file name holds
    // would put the database elsewhere, or nowhere.
    static const QRegularExpression interdit(QStringLiteral("[/\\\\<>:\"|?*\\x00-\\x1F\\x7F]|\\.\\."));
    if (nom.contains(interdit)) {
        if (erreur)
            *erreur = QStringLiteral("Nom de base invalide dans %1 : \"%2\" (un nom de fichier, sans \"/\", "
                                     "\"\\\", \"..\", < > : \" | ? *)")
                          .arg(ini, nom);
        return false;
    }
    const QString droits = Global().NomBaseDroits;
    // A folder where a database file should be: the program could not open it.
    for (const QString& base : {nom, droits}) {
        const QFileInfo fichier(Connexion::cheminFichier(dossier, base));
        if (fichier.exists() && !fichier.isFile()) {
            if (erreur)
                *erreur = QStringLiteral("Un dossier porte le nom de la base : %1").arg(fichier.filePath());
            return false;
        }
    }
    if (!creerFichier(dossier, nom, true, erreur) || !creerFichier(dossier, droits, false, erreur))
        return false;
    const QString serveur =
        FnWendrox::LireIniString(ini, QStringLiteral("Base de donnée"), QStringLiteral("Serveur"), QString());
    if (serveur.isEmpty())
        return true;
    const ChaineConnexion::Identifiants id = ChaineConnexion::lireIdentifiants(ini);
    ParametresConnexion p;
    p.serveur = serveur;
    p.utilisateur = id.utilisateur;
    p.motDePasse = id.motDePasse;
    return creerBaseServeur(p, nom, true, erreur) && creerBaseServeur(p, droits, false, erreur);
}
