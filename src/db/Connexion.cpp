#include "db/Connexion.h"

#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/FnWendrox.h"
#include "db/Valeurs.h"

#include <QAtomicInteger>
#include <QDir>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlRecord>
#include <QSqlResult>
#include <QUrl>
#include <atomic>
#include <optional>
#include <sqlite3.h>

namespace {

QAtomicInteger<quint64> g_compteur;

// like(motif, texte[, echappement]) as SQLite calls it for "texte LIKE motif [ESCAPE e]": every Latin
// letter folded, accents kept (the built-in one folds ASCII only).
void fonctionLike(sqlite3_context* contexte, int nbArguments, sqlite3_value** arguments) {
    for (int i = 0; i < nbArguments; ++i) {
        if (sqlite3_value_type(arguments[i]) == SQLITE_NULL) {
            sqlite3_result_null(contexte);
            return;
        }
    }
    auto texteDe = [](sqlite3_value* v) {
        const auto* octets = reinterpret_cast<const char*>(sqlite3_value_text(v));
        return QString::fromUtf8(octets, sqlite3_value_bytes(v));
    };
    const QString motif = texteDe(arguments[0]);
    const QString texte = texteDe(arguments[1]);
    QChar echappement;
    if (nbArguments == 3) {
        const QString e = texteDe(arguments[2]);
        if (e.size() != 1) {
            sqlite3_result_error(contexte, "ESCAPE expression must be a single character", -1);
            return;
        }
        echappement = e.at(0);
    }
    sqlite3_result_int(contexte, Valeurs::correspondLike(texte, motif, u'%', u'_', echappement) ? 1 : 0);
}

sqlite3* poigneeSQLite(const QSqlDatabase& db) {
    const QVariant v = db.driver()->handle();
    if (!v.isValid() || qstrcmp(v.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(v.data());
}

// The statements' listener of setSuiviRequetes.
std::function<void(const QString&)>& suiviRequetes() {
    static std::function<void(const QString&)> suivi;
    return suivi;
}

std::atomic<quint64> requetes{0};

} // namespace

void decomposerServeur(const QString& serveur, QString* hote, int* port) {
    QString s = serveur.trimmed();
    *port = 5432;
    const qsizetype deuxPoints = s.lastIndexOf(u':');
    if (deuxPoints > 0) {
        bool ok = false;
        const int p = s.mid(deuxPoints + 1).toInt(&ok);
        if (ok && p > 0) {
            *port = p;
            s.truncate(deuxPoints);
        }
    }
    *hote = s;
}

Connexion::Connexion() {
    m_nom = QStringLiteral("dorvane-%1").arg(++g_compteur);
}

Connexion::Connexion(const ParametresConnexion& parametres) : Connexion() {
    ouvrir(parametres);
}

Connexion::~Connexion() {
    fermer();
}

ParametresConnexion Connexion::parametresPrincipale() {
    const EtatGlobal& g = Global();
    ParametresConnexion p;
    p.serveur = g.NomServeur.trimmed();
    p.base = g.NomBase;
    p.utilisateur = g.UtilisateurSQL;
    p.motDePasse = g.MotDePasseSQL;
    p.dossier = FnWendrox::CheminApplication();
    return p;
}

ParametresConnexion Connexion::parametresDroits() {
    ParametresConnexion p = parametresPrincipale();
    p.base = Global().NomBaseDroits;
    p.lectureSeule = p.serveur.isEmpty(); // the program only reads the rights
    return p;
}

QString Connexion::cheminFichier(const QString& dossier, const QString& base) {
    return QDir(dossier).filePath(base + QStringLiteral(".db"));
}

QString Connexion::refusFichierDeBase(const QString& chemin) {
    const QString choisi = QFileInfo(chemin).canonicalFilePath();
    if (choisi.isEmpty())
        return QString();
    const EtatGlobal& g = Global();
    const QString dossier = FnWendrox::CheminApplication();
    const QString journal = FnWendrox::FichierExistant(dossier, QStringLiteral("MAINTEN.MDB"));
    for (const QString& base :
         {cheminFichier(dossier, g.NomBase), cheminFichier(dossier, g.NomBaseDroits),
          journal.isEmpty() ? QDir(dossier).filePath(QStringLiteral("MAINTEN.MDB")) : journal})
        for (const QString& suffixe : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
            if (QFileInfo(base + suffixe).canonicalFilePath() == choisi)
                return QStringLiteral("%1 est un fichier de la base de données du programme : il ne peut pas "
                                      "être choisi ici.")
                    .arg(QDir::toNativeSeparators(chemin));
    return QString();
}

void Connexion::ouvrir(const ParametresConnexion& parametres) {
    fermer();
    m_parametres = parametres;
    static std::atomic<quint64> ouvertures{0};
    m_ouverture = ++ouvertures;
    // The helpers return the failure's text, so that no handle on the connection is alive when it goes.
    const QString erreur =
        parametres.serveur.trimmed().isEmpty() ? ouvrirSQLite(parametres) : ouvrirPostgreSQL(parametres);
    if (!erreur.isEmpty())
        echec(erreur);
}

void Connexion::echec(const QString& texte) {
    fermer();
    throw ErreurExecution(ErreurExecution::BaseInaccessible, texte, QStringLiteral("Connexion"));
}

QString Connexion::ouvrirSQLite(const ParametresConnexion& p) {
    m_moteur = Moteur::SQLite;
    const QString chemin =
        QFileInfo(p.fichier.isEmpty() ? cheminFichier(p.dossier, p.base) : p.fichier).absoluteFilePath();
    const bool existait = QFileInfo(chemin).isFile();
    if (!existait && !p.creer)
        return (QStringLiteral("Base de données introuvable : %1").arg(chemin));
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_nom);
    // A URI with an explicit mode, so that opening never creates the file.
    const QString mode =
        p.lectureSeule ? QStringLiteral("ro") : (p.creer ? QStringLiteral("rwc") : QStringLiteral("rw"));
    const QString uri = QStringLiteral("file:") + QString::fromLatin1(QUrl::toPercentEncoding(chemin, "/")) +
                        QStringLiteral("?mode=") + mode;
    db.setDatabaseName(uri);
    QString options = QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=30000");
    if (p.lectureSeule)
        options += QStringLiteral(";QSQLITE_OPEN_READONLY");
    db.setConnectOptions(options);
    if (!db.open())
        return (QStringLiteral("Ouverture impossible de %1 : %2").arg(chemin, db.lastError().text()));
    {
        // A file that is not a database opens fine; the first read tells.
        QSqlQuery sonde(db);
        if (!sonde.exec(QStringLiteral("PRAGMA schema_version")) || !sonde.next())
            return (QStringLiteral("%1 n'est pas une base de données lisible : %2")
                        .arg(chemin, sonde.lastError().text()));
    }
    sqlite3* poignee = poigneeSQLite(db);
    if (!poignee)
        return (QStringLiteral("Pilote SQLite inattendu"));
    const int drapeaux = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    if (sqlite3_create_function_v2(poignee, "like", 2, drapeaux, nullptr, fonctionLike, nullptr, nullptr,
                                   nullptr) != SQLITE_OK ||
        sqlite3_create_function_v2(poignee, "like", 3, drapeaux, nullptr, fonctionLike, nullptr, nullptr,
                                   nullptr) != SQLITE_OK)
        return (QStringLiteral("Fonction LIKE non installée : %1")
                    .arg(QString::fromUtf8(sqlite3_errmsg(poignee))));
    {
        // A desktop's share: 64 MB of page cache (SQLite's default is 2 MB, less than the withdrawals of
        // a year) and the file read through a 256 MB map rather than copied page by page. Both are per
        // connection and grow only as pages are read.
        QSqlQuery reglage(db);
        if (!reglage.exec(QStringLiteral("PRAGMA cache_size=-65536")) ||
            !reglage.exec(QStringLiteral("PRAGMA mmap_size=268435456")))
            return (QStringLiteral("Réglage impossible de %1 : %2").arg(chemin, reglage.lastError().text()));
    }
    if (!existait) {
        // WAL stays in the file once set: readers never wait for the writer.
        QSqlQuery wal(db);
        wal.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
    }
    return QString();
}

QString Connexion::ouvrirPostgreSQL(const ParametresConnexion& p) {
    m_moteur = Moteur::PostgreSQL;
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_nom);
    QString hote;
    int port = 5432;
    decomposerServeur(p.serveur, &hote, &port);
    db.setHostName(hote);
    db.setPort(port);
    db.setDatabaseName(p.base);
    db.setUserName(p.utilisateur);
    db.setPassword(p.motDePasse);
    // Backslashes in string literals stay plain characters whatever the server's or the database's
    // setting: our statements write `ESCAPE '\'`. Set at connection start, so that the driver, which
    // reads the setting once when it connects to escape the values it sends, sees the same.
    db.setConnectOptions(QStringLiteral("connect_timeout=10;options='-c standard_conforming_strings=on'"));
    if (!db.open())
        return (QStringLiteral("Connexion impossible à la base %1 sur %2 : %3")
                    .arg(p.base, p.serveur, db.lastError().text()));
    QSqlQuery sonde(db);
    if (!sonde.exec(QStringLiteral("SELECT 1")))
        return (QStringLiteral("Base %1 inaccessible : %2").arg(p.base, sonde.lastError().text()));
    return QString();
}

void Connexion::fermer() {
    oublierInstructions();
    if (!QSqlDatabase::contains(m_nom))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_nom, false);
        if (db.isOpen()) {
            if (m_enTransaction) {
                QSqlQuery q(db);
                q.exec(QStringLiteral("ROLLBACK"));
            }
            db.close();
        }
    }
    m_enTransaction = false;
    QSqlDatabase::removeDatabase(m_nom);
}

bool Connexion::estOuverte() const {
    return QSqlDatabase::contains(m_nom) && QSqlDatabase::database(m_nom, false).isOpen();
}

QSqlDatabase Connexion::db() const {
    return QSqlDatabase::database(m_nom, false);
}

QString Connexion::texteErreur(const QSqlQuery& requete) {
    const QSqlError e = requete.lastError();
    QString t = e.databaseText().trimmed();
    if (t.isEmpty())
        t = e.text().trimmed();
    return t;
}

void Connexion::verifierValeurs(const QString& sql, const QVariantList& valeurs) {
    for (qsizetype i = 0; i < valeurs.size(); ++i) {
        const QVariant& v = valeurs.at(i);
        if (v.metaType().id() == QMetaType::QString && v.toString().contains(QChar(u'\0')))
            throw ErreurExecution(ErreurExecution::ErreurBase,
                                  QStringLiteral("Texte refusé : la valeur %1 contient un caractère nul [%2]")
                                      .arg(i + 1)
                                      .arg(sql),
                                  QStringLiteral("Connexion"));
    }
}

void Connexion::setSuiviRequetes(std::function<void(const QString& sql)> suivi) {
    suiviRequetes() = std::move(suivi);
}

quint64 Connexion::nombreRequetes() {
    return requetes.load(std::memory_order_relaxed);
}

QSqlQuery Connexion::executer(const QString& sql, const QVariantList& valeurs) {
    verifierValeurs(sql, valeurs);
    requetes.fetch_add(1, std::memory_order_relaxed);
    if (const auto& suivi = suiviRequetes())
        suivi(sql);
    if (!estOuverte())
        throw ErreurExecution(ErreurExecution::BaseInaccessible, QStringLiteral("Connexion fermée"),
                              QStringLiteral("Connexion"));
    QSqlQuery q(db());
    // On PostgreSQL a forward-only result streams row by row, and any other statement on the connection
    // throws the rows not yet read away: the result is fetched whole, so that a caller may run statements
    // while it reads (the table names record() asks for, once a connection).
    q.setForwardOnly(estSQLite());
    // Without values the text runs as it stands: PostgreSQL cannot prepare DDL, LOCK or CREATE DATABASE.
    bool ok;
    if (valeurs.isEmpty()) {
        ok = q.exec(sql);
    } else {
        if (!q.prepare(sql))
            throw ErreurExecution(ErreurExecution::ErreurBase,
                                  texteErreur(q) + QStringLiteral(" [") + sql + u']',
                                  QStringLiteral("Connexion"));
        for (const QVariant& v : valeurs)
            q.addBindValue(v);
        ok = q.exec();
    }
    if (!ok) {
        // The statement, never the values: the text reaches message boxes and the error log, and the values
        // can be passwords or personal data.
        throw ErreurExecution(ErreurExecution::ErreurBase,
                              texteErreur(q) + QStringLiteral(" [") + sql + QStringLiteral("] (") +
                                  QString::number(valeurs.size()) + QStringLiteral(" valeurs)"),
                              QStringLiteral("Connexion"));
    }
    return q;
}

QVariant Connexion::valeurUnique(const QString& sql, const QVariantList& valeurs) {
    // Read whole and finished here: no reader can hold the statement, so it can be kept.
    if (!valeurs.isEmpty())
        return InstructionPreparee(*this, sql).valeurUnique(valeurs);
    QSqlQuery q = executer(sql, valeurs);
    return q.next() ? q.value(0) : QVariant();
}

QString Connexion::parametreDate() const {
    return estSQLite() ? QStringLiteral("?") : QStringLiteral("CAST(? AS timestamp)");
}

void Connexion::debutEcriture() {
    if (m_enTransaction)
        throw ErreurExecution(ErreurExecution::ErreurBase, QStringLiteral("Transaction déjà ouverte"),
                              QStringLiteral("Connexion"));
    if (estSQLite()) {
        InstructionPreparee(*this, QStringLiteral("BEGIN IMMEDIATE")).executer({});
    } else if (!db().transaction()) {
        throw ErreurExecution(ErreurExecution::ErreurBase, db().lastError().text(),
                              QStringLiteral("Connexion"));
    }
    m_enTransaction = true;
}

void Connexion::valider() {
    if (!m_enTransaction)
        return;
    if (estSQLite()) {
        try {
            InstructionPreparee(*this, QStringLiteral("COMMIT")).executer({});
        } catch (const ErreurExecution&) {
            // A refused COMMIT leaves the transaction open and the file locked: end it here.
            annuler();
            throw;
        }
    } else if (!db().commit()) {
        const QString t = db().lastError().text();
        annuler();
        throw ErreurExecution(ErreurExecution::ErreurBase, t, QStringLiteral("Connexion"));
    }
    m_enTransaction = false;
}

void Connexion::annuler() {
    if (!m_enTransaction)
        return;
    m_enTransaction = false;
    if (!estOuverte())
        return;
    if (estSQLite()) {
        QSqlQuery q(db());
        q.exec(QStringLiteral("ROLLBACK"));
    } else {
        db().rollback();
    }
}

QString Connexion::etatDesDonnees() {
    if (m_enTransaction)
        return QString();
    const QString sql =
        estSQLite() ? QStringLiteral(
                          "SELECT total_changes() || '/' || (SELECT data_version FROM pragma_data_version) "
                          "|| '/' || (SELECT schema_version FROM pragma_schema_version)")
                    : QStringLiteral("SELECT txid_current_snapshot()::text");
    return QString::number(m_ouverture) + u'/' + InstructionPreparee(*this, sql).valeurUnique({}).toString();
}

void Connexion::verrouillerTable(const QString& table) {
    if (estSQLite())
        return;
    // Table names are ours, never typed text.
    executer(QStringLiteral("LOCK TABLE %1 IN EXCLUSIVE MODE").arg(table));
}

TransactionEcriture::TransactionEcriture(Connexion& connexion) : m_connexion(connexion) {
    m_connexion.debutEcriture();
}

TransactionEcriture::~TransactionEcriture() {
    if (!m_finie)
        m_connexion.annuler();
}

void TransactionEcriture::valider() {
    m_connexion.valider();
    m_finie = true;
}

QList<Valeurs::TypeColonne> Connexion::typesColonnes(const QSqlQuery& requete) const {
    QList<Valeurs::TypeColonne> types;
    const QSqlRecord enregistrement = requete.record();
    const int n = enregistrement.count();
    types.reserve(n);
    sqlite3_stmt* instruction = nullptr;
    if (estSQLite()) {
        const QVariant h = requete.result()->handle();
        if (h.isValid() && qstrcmp(h.typeName(), "sqlite3_stmt*") == 0)
            instruction = *static_cast<sqlite3_stmt* const*>(h.data());
    }
    for (int i = 0; i < n; ++i) {
        if (estSQLite()) {
            const char* declaration = instruction ? sqlite3_column_decltype(instruction, i) : nullptr;
            types << Valeurs::typeDepuisDeclaration(declaration ? QString::fromUtf8(declaration) : QString());
        } else {
            const QSqlField champ = enregistrement.field(i);
            types << Valeurs::typeDepuisChampPostgreSQL(champ.metaType().id(), champ.typeID(),
                                                        champ.length());
        }
    }
    return types;
}

qsizetype Connexion::valeursParInstruction() const {
    if (!estSQLite())
        return 65535;
    sqlite3* poignee = poigneeSQLite(db());
    return poignee ? sqlite3_limit(poignee, SQLITE_LIMIT_VARIABLE_NUMBER, -1) : 999;
}

// A kept statement: `requete` goes when the connection closes; `valeurs` is the number its first run
// bound, so that a later run can never reuse a value bound by an earlier one.
struct Connexion::Gardee {
    QString sql;
    std::optional<QSqlQuery> requete;
    qsizetype valeurs = -1;
    bool pretee = false;
    bool aPreparer = false;
    quint64 usage = 0;
};

namespace {

constexpr qsizetype MaxGardees = 64;

ErreurExecution erreurInstruction(const QSqlQuery& q, const QString& sql) {
    return ErreurExecution(ErreurExecution::ErreurBase,
                           Connexion::texteErreur(q) + QStringLiteral(" [") + sql + u']',
                           QStringLiteral("Connexion"));
}

ErreurExecution connexionFermee() {
    return ErreurExecution(ErreurExecution::BaseInaccessible, QStringLiteral("Connexion fermée"),
                           QStringLiteral("Connexion"));
}

} // namespace

std::shared_ptr<Connexion::Gardee> Connexion::preparer(const QString& sql) {
    auto g = std::make_shared<Gardee>();
    g->sql = sql;
    g->requete.emplace(db());
    // Fetched whole on PostgreSQL, as executer() fetches it.
    g->requete->setForwardOnly(estSQLite());
    if (!g->requete->prepare(sql)) {
        const ErreurExecution e = erreurInstruction(*g->requete, sql);
        g->requete.reset();
        throw e;
    }
    return g;
}

std::shared_ptr<Connexion::Gardee> Connexion::preter(const QString& sql) {
    if (!estOuverte())
        throw connexionFermee();
    std::shared_ptr<Gardee> g = m_gardees.value(sql);
    if (g && g->pretee) {
        // Already lent: one of its own, not kept, but dropped with the others if the connection closes.
        std::erase_if(m_horsCache, [](const std::weak_ptr<Gardee>& w) { return w.expired(); });
        g = preparer(sql);
        m_horsCache.push_back(g);
    } else if (!g) {
        g = preparer(sql);
        if (m_gardees.size() >= MaxGardees) {
            auto ancienne = m_gardees.end();
            for (auto it = m_gardees.begin(); it != m_gardees.end(); ++it)
                if (!(*it)->pretee && (ancienne == m_gardees.end() || (*it)->usage < (*ancienne)->usage))
                    ancienne = it;
            if (ancienne != m_gardees.end())
                m_gardees.erase(ancienne);
        }
        m_gardees.insert(sql, g);
    }
    g->pretee = true;
    g->usage = ++m_usage;
    return g;
}

void Connexion::oublierInstructions() {
    for (const std::shared_ptr<Gardee>& g : std::as_const(m_gardees))
        g->requete.reset();
    m_gardees.clear();
    for (const std::weak_ptr<Gardee>& w : m_horsCache)
        if (const std::shared_ptr<Gardee> g = w.lock())
            g->requete.reset();
    m_horsCache.clear();
}

InstructionPreparee::InstructionPreparee(Connexion& connexion, const QString& sql)
    : m_gardee(connexion.preter(sql)) {}

InstructionPreparee::~InstructionPreparee() {
    if (m_gardee->requete)
        m_gardee->requete->finish();
    m_gardee->pretee = false;
}

QSqlQuery& InstructionPreparee::executer(const QVariantList& valeurs) {
    Connexion::Gardee& g = *m_gardee;
    Connexion::verifierValeurs(g.sql, valeurs);
    requetes.fetch_add(1, std::memory_order_relaxed);
    if (const auto& suivi = suiviRequetes())
        suivi(g.sql);
    if (!g.requete)
        throw connexionFermee();
    if (g.valeurs >= 0 && valeurs.size() != g.valeurs)
        throw ErreurExecution(
            ErreurExecution::ErreurBase,
            QStringLiteral("%1 valeurs pour %2 attendues [%3]").arg(valeurs.size()).arg(g.valeurs).arg(g.sql),
            QStringLiteral("Connexion"));
    QSqlQuery& q = *g.requete;
    q.finish();
    // After a failure (a lost connection, a table changed under it) the statement may be gone from the
    // server: prepared again rather than trusted.
    if (g.aPreparer) {
        if (!q.prepare(g.sql))
            throw erreurInstruction(q, g.sql);
        g.aPreparer = false;
    }
    for (int i = 0; i < valeurs.size(); ++i)
        q.bindValue(i, valeurs.at(i));
    if (!q.exec()) {
        g.aPreparer = true;
        // The statement, never the values, as Connexion::executer.
        throw ErreurExecution(ErreurExecution::ErreurBase,
                              Connexion::texteErreur(q) + QStringLiteral(" [") + g.sql +
                                  QStringLiteral("] (") + QString::number(valeurs.size()) +
                                  QStringLiteral(" valeurs)"),
                              QStringLiteral("Connexion"));
    }
    g.valeurs = valeurs.size();
    return q;
}

QVariant InstructionPreparee::valeurUnique(const QVariantList& valeurs) {
    QSqlQuery& q = executer(valeurs);
    QVariant v = q.next() ? q.value(0) : QVariant();
    q.finish();
    return v;
}
