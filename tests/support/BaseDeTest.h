#pragma once

#include "db/Connexion.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
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
