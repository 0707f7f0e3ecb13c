#pragma once

#include "db/Connexion.h"

#include <QMutex>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <thread>
#include <vector>

// The backends the database tests run on: SQLite always, PostgreSQL when DORVANE_TEST_PG holds a libpq
// connection string ("host=... port=... user=... dbname=..."); both are listed, PostgreSQL skips without it.
std::vector<Moteur> moteursDeTest();
std::string nomMoteur(const ::testing::TestParamInfo<Moteur>& info);
// The server of DORVANE_TEST_PG as our connection parameters (base = its dbname); false when unset.
bool serveurPostgreSQLDeTest(ParametresConnexion* parametres);

// Makes the database refuse every row inserted into `table` with `message`, as a trigger of the
// installation's database would (table names are ours, never typed text).
void refuserInsertions(Connexion& connexion, const QString& table, const QString& message);

// The rows of a query as "a|b|c" texts, Nulls empty.
QStringList lignesTexte(Connexion& connexion, const QString& sql, const QVariantList& valeurs = {});

// The error log "MAINTEN.MDB" beside a test database, created empty: its rows read back in order, as
// "Contexte|Erreur".
class JournalDeTest {
public:
    // False when the log cannot be created in `dossier`.
    bool creer(const QString& dossier);
    QStringList lignes();

private:
    ParametresConnexion m_parametres;
};

// A fresh main database with the schema and seed, and an empty rights database, under names unique to
// the process; dropped at destruction. While it lives, DORVANE_HOME and the state's connection fields
// point at it, so that code opening "the" database opens this one.
class BaseDeTest {
public:
    explicit BaseDeTest(Moteur moteur);
    ~BaseDeTest();
    BaseDeTest(const BaseDeTest&) = delete;
    BaseDeTest& operator=(const BaseDeTest&) = delete;

    bool valide() const { return m_valide; }
    const QString& erreur() const { return m_erreur; }
    Moteur moteur() const { return m_moteur; }
    const QString& dossier() const { return m_dossierChemin; }
    ParametresConnexion parametres() const { return m_parametres; }
    std::unique_ptr<Connexion> ouvrir() const;

private:
    Moteur m_moteur;
    QTemporaryDir m_dossier;
    QString m_dossierChemin;
    ParametresConnexion m_parametres;
    QString m_baseDroits;
    bool m_valide = false;
    QString m_erreur;
    QByteArray m_homeAvant;
    bool m_homeDefini = false;
    QString m_serveurAvant, m_baseAvant, m_utilisateurAvant, m_motDePasseAvant, m_droitsAvant;
};

// Workstations at once on one test database: each task runs in a thread of its own on a connection of
// its own; the descriptions of the ErreurExecution the tasks throw are kept, in the order they came.
class PostesDeTest {
public:
    explicit PostesDeTest(const BaseDeTest& base) : m_base(base) {}
    ~PostesDeTest() { attendre(); }
    PostesDeTest(const PostesDeTest&) = delete;
    PostesDeTest& operator=(const PostesDeTest&) = delete;

    void lancer(std::function<void(Connexion&)> travail);
    // Waits for every workstation started so far; the failures of all of them.
    QStringList attendre();

private:
    const BaseDeTest& m_base;
    std::vector<std::thread> m_postes;
    QMutex m_verrou;
    QStringList m_erreurs;
};

// A test over one backend: SetUp makes the database (and fails the test when it cannot, PostgreSQL
// included) and opens a connection to it.
class TestAvecBase : public ::testing::TestWithParam<Moteur> {
protected:
    void SetUp() override;
    void TearDown() override;
    Connexion& cnx() { return *m_cnx; }
    BaseDeTest& base() { return *m_base; }

private:
    std::unique_ptr<BaseDeTest> m_base;
    std::unique_ptr<Connexion> m_cnx;
};

#define DORVANE_SUR_CHAQUE_BASE(Suite)                                                                       \
    INSTANTIATE_TEST_SUITE_P(Bases, Suite, ::testing::ValuesIn(moteursDeTest()), nomMoteur)
