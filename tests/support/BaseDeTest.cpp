#include "BaseDeTest.h"

#include "app/InstallationDossier.h"
#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "db/Schema.h"

#include <QCoreApplication>
#include <QDir>
#include <QHash>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

QHash<QString, QString> lireChaineLibpq(const QByteArray& texte) {
    QHash<QString, QString> r;
    for (const QString& morceau : QString::fromUtf8(texte).split(u' ', Qt::SkipEmptyParts)) {
        const qsizetype egal = morceau.indexOf(u'=');
        if (egal > 0)
            r.insert(morceau.left(egal).trimmed(), morceau.mid(egal + 1).trimmed());
    }
    return r;
}

int g_numero = 0;

QString identifiant(const QString& nom) {
    QString n = nom;
    n.replace(u'"', QStringLiteral("\"\""));
    return u'"' + n + u'"';
}

} // namespace

bool serveurPostgreSQLDeTest(ParametresConnexion* p) {
    const QByteArray texte = qgetenv("DORVANE_TEST_PG");
    if (texte.trimmed().isEmpty())
        return false;
    const auto valeurs = lireChaineLibpq(texte);
    p->serveur = valeurs.value(QStringLiteral("host"), QStringLiteral("localhost"));
    if (valeurs.contains(QStringLiteral("port")))
        p->serveur += u':' + valeurs.value(QStringLiteral("port"));
    p->utilisateur = valeurs.value(QStringLiteral("user"));
    p->motDePasse = valeurs.value(QStringLiteral("password"));
    p->base = valeurs.value(QStringLiteral("dbname"), QStringLiteral("postgres"));
    return true;
}

QStringList lignesTexte(Connexion& c, const QString& sql, const QVariantList& valeurs) {
    QSqlQuery q = c.executer(sql, valeurs);
    QStringList r;
    while (q.next()) {
        QStringList champs;
        for (int i = 0; i < q.record().count(); ++i)
            champs << (q.value(i).isNull() ? QString() : q.value(i).toString());
        r << champs.join(u'|');
    }
    return r;
}

bool JournalDeTest::creer(const QString& dossier) {
    m_parametres.fichier = QDir(dossier).filePath(QStringLiteral("MAINTEN.MDB"));
    return creerJournalErreurs(m_parametres.fichier);
}

QStringList JournalDeTest::lignes() {
    Connexion c(m_parametres);
    return lignesTexte(c, QStringLiteral("SELECT Contexte, Erreur FROM Erreurs ORDER BY Id"));
}

void refuserInsertions(Connexion& c, const QString& table, const QString& message) {
    QString texte = message;
    texte.replace(u'\'', QStringLiteral("''"));
    if (c.estSQLite()) {
        c.executer(
            QStringLiteral("CREATE TRIGGER refus_%1 BEFORE INSERT ON %1 BEGIN SELECT RAISE(ABORT, '%2'); END")
                .arg(table, texte));
        return;
    }
    c.executer(QStringLiteral("CREATE FUNCTION refus_%1() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN RAISE "
                              "EXCEPTION '%2'; END $$")
                   .arg(table, texte));
    c.executer(
        QStringLiteral("CREATE TRIGGER refus_%1 BEFORE INSERT ON %1 FOR EACH ROW EXECUTE FUNCTION refus_%1()")
            .arg(table));
}

std::vector<Moteur> moteursDeTest() {
    // Both always: CTest lists the tests when they are built, without a server; the PostgreSQL ones skip
    // at run time when DORVANE_TEST_PG is unset (and fail when it is set and the server is unreachable).
    return {Moteur::SQLite, Moteur::PostgreSQL};
}

std::string nomMoteur(const ::testing::TestParamInfo<Moteur>& info) {
    return info.param == Moteur::SQLite ? "SQLite" : "PostgreSQL";
}

BaseDeTest::BaseDeTest(Moteur moteur) : m_moteur(moteur) {
    m_dossierChemin = m_dossier.path();
    const QString suffixe = QStringLiteral("%1_%2").arg(QCoreApplication::applicationPid()).arg(++g_numero);
    m_homeDefini = qEnvironmentVariableIsSet("DORVANE_HOME");
    m_homeAvant = qgetenv("DORVANE_HOME");
    qputenv("DORVANE_HOME", QFile::encodeName(m_dossierChemin));
    EtatGlobal& g = Global();
    m_serveurAvant = g.NomServeur;
    m_baseAvant = g.NomBase;
    m_utilisateurAvant = g.UtilisateurSQL;
    m_motDePasseAvant = g.MotDePasseSQL;
    m_droitsAvant = g.NomBaseDroits;
    try {
        if (moteur == Moteur::SQLite) {
            m_parametres.base = QStringLiteral("VEZ");
            m_parametres.dossier = m_dossierChemin;
            m_baseDroits = QStringLiteral("gestionnaire");
            ParametresConnexion creation = m_parametres;
            creation.creer = true;
            {
                Connexion c(creation);
                Schema::creerBasePrincipale(c);
            }
            creation.base = m_baseDroits;
            Connexion d(creation);
            Schema::creerBaseDroits(d);
        } else {
            ParametresConnexion admin;
            if (!serveurPostgreSQLDeTest(&admin))
                throw ErreurExecution(ErreurExecution::BaseInaccessible,
                                      QStringLiteral("DORVANE_TEST_PG n'est pas défini"));
            m_parametres = admin;
            m_parametres.base = QStringLiteral("dorvane_t") + suffixe;
            m_baseDroits = QStringLiteral("dorvane_d") + suffixe;
            {
                Connexion a(admin);
                a.executer(QStringLiteral("CREATE DATABASE %1").arg(identifiant(m_parametres.base)));
                a.executer(QStringLiteral("CREATE DATABASE %1").arg(identifiant(m_baseDroits)));
            }
            {
                Connexion c(m_parametres);
                Schema::creerBasePrincipale(c);
            }
            ParametresConnexion droits = m_parametres;
            droits.base = m_baseDroits;
            Connexion d(droits);
            Schema::creerBaseDroits(d);
        }
        g.NomServeur = m_parametres.serveur;
        g.NomBase = m_parametres.base;
        g.UtilisateurSQL = m_parametres.utilisateur;
        g.MotDePasseSQL = m_parametres.motDePasse;
        g.NomBaseDroits = m_baseDroits;
        m_valide = true;
    } catch (const ErreurExecution& e) {
        m_erreur = e.description();
    }
}

BaseDeTest::~BaseDeTest() {
    if (m_moteur == Moteur::PostgreSQL) {
        ParametresConnexion admin;
        if (serveurPostgreSQLDeTest(&admin)) {
            try {
                Connexion a(admin);
                for (const QString& nom : {m_parametres.base, m_baseDroits})
                    if (!nom.isEmpty())
                        a.executer(
                            QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(identifiant(nom)));
            } catch (const ErreurExecution&) {
            }
        }
    }
    EtatGlobal& g = Global();
    g.NomServeur = m_serveurAvant;
    g.NomBase = m_baseAvant;
    g.UtilisateurSQL = m_utilisateurAvant;
    g.MotDePasseSQL = m_motDePasseAvant;
    g.NomBaseDroits = m_droitsAvant;
    if (m_homeDefini)
        qputenv("DORVANE_HOME", m_homeAvant);
    else
        qunsetenv("DORVANE_HOME");
}

std::unique_ptr<Connexion> BaseDeTest::ouvrir() const {
    return std::make_unique<Connexion>(m_parametres);
}

void TestAvecBase::SetUp() {
    ParametresConnexion serveur;
    if (GetParam() == Moteur::PostgreSQL && !serveurPostgreSQLDeTest(&serveur))
        GTEST_SKIP() << "DORVANE_TEST_PG n'est pas défini";
    m_base = std::make_unique<BaseDeTest>(GetParam());
    ASSERT_TRUE(m_base->valide()) << m_base->erreur().toStdString();
    try {
        m_cnx = m_base->ouvrir();
    } catch (const ErreurExecution& e) {
        FAIL() << e.description().toStdString();
    }
}

void TestAvecBase::TearDown() {
    m_cnx.reset();
    m_base.reset();
}

void PostesDeTest::lancer(std::function<void(Connexion&)> travail) {
    m_postes.emplace_back([this, travail = std::move(travail)] {
        try {
            auto c = m_base.ouvrir();
            travail(*c);
        } catch (const ErreurExecution& e) {
            const QMutexLocker l(&m_verrou);
            m_erreurs << e.description();
        }
    });
}

QStringList PostesDeTest::attendre() {
    for (std::thread& t : m_postes)
        t.join();
    m_postes.clear();
    const QMutexLocker l(&m_verrou);
    return m_erreurs;
}
