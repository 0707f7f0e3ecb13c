#pragma once

#include "common/EtatGlobal.h"
#include "common/MODTranslate.h"
#include "db/Connexion.h"
#include "db/Schema.h"
#include "support/BaseDeTest.h"
#include "support/DossierProgrammeTemp.h"
#include "support/ServiceDialogueScripte.h"

#include <QFile>
#include <gtest/gtest.h>
#include <memory>
#include <optional>

// Articles complete as the article form lets the picker leave them: `referentielCartes` writes the family
// "GANTS" (1), its size "S" and the supplier 1 they stand on, once; `carteComplete` one article.
inline void referentielCartes(Connexion& c) {
    for (const char* sql : {"INSERT INTO Familles (NomFamille) VALUES ('GANTS')",
                            "INSERT INTO Tailles (Taille, Ordre, NoFamille) VALUES ('S', 1, 1)",
                            "INSERT INTO Fournisseur (No, CodeFournisseur, Societe) VALUES (1, 'F1', 'P')"})
        c.executer(QLatin1String(sql));
}
inline void carteComplete(Connexion& c, qint64 reference, int code, const QString& designation,
                          const QVariant& refFournisseur = QStringLiteral("RF")) {
    c.executer(
        QStringLiteral("INSERT INTO ArticleEnStock (Reference, CodeArticle, Designation, RefFournisseur, "
                       "QteEnStock, QteParPaket, StockAlert, DelaiLivraison, PrixAchatUnit, "
                       "PrixAchatGlobal, Prix, Famille, NoFournisseur, Taille) "
                       "VALUES (?, ?, ?, ?, 1, 1, 1, 1, 1, 1, 2, 1, 1, 1)"),
        {reference, code, designation, refFournisseur});
}

// What the form tests start from: a program folder with its databases, the French message table, a
// connection to the main database and scripted dialogs. A fixture that adds to SetUp calls this one first
// and stops on a fatal failure.
class FormeSurBaseTest : public ::testing::Test {
protected:
    void SetUp() override {
        reinitialiserEtatGlobal();
        dossier.emplace();
        ASSERT_TRUE(dossier->valide()) << dossier->erreur().toStdString();
        QString erreur;
        ASSERT_TRUE(creerBasesDossierProgramme(dossier->chemin(), &erreur)) << erreur.toStdString();
        Global().Msg = MODTranslate::TextesMessages(QStringLiteral("FR"));
        base.emplace(Connexion::parametresPrincipale());
    }
    void TearDown() override {
        base.reset();
        dialogues.verifierTout();
        dossier.reset();
        reinitialiserEtatGlobal();
    }

    std::optional<DossierProgrammeTemp> dossier;
    std::optional<Connexion> base;
    ServiceDialogueScripte dialogues;
};

// The same on either backend: on PostgreSQL the forms work on a database of the test server in place of
// the embedded one, the program folder keeping the settings and the error log. `bd()` is the database the
// forms work on.
class FormeSurLesDeuxBasesTest : public FormeSurBaseTest, public ::testing::WithParamInterface<Moteur> {
protected:
    void SetUp() override {
        ParametresConnexion p;
        if (GetParam() == Moteur::PostgreSQL && !serveurPostgreSQLDeTest(&p))
            GTEST_SKIP() << "DORVANE_TEST_PG n'est pas défini";
        FormeSurBaseTest::SetUp();
        if (HasFatalFailure())
            return;
        if (GetParam() == Moteur::PostgreSQL) {
            serveur = std::make_unique<BaseDeTest>(Moteur::PostgreSQL);
            ASSERT_TRUE(serveur->valide()) << serveur->erreur().toStdString();
            qputenv("DORVANE_HOME", QFile::encodeName(dossier->chemin())); // where the log is
            pg = serveur->ouvrir();
        }
    }
    void TearDown() override {
        pg.reset();
        serveur.reset();
        FormeSurBaseTest::TearDown();
    }
    Connexion& bd() { return pg ? *pg : *base; }

    std::unique_ptr<BaseDeTest> serveur;
    std::unique_ptr<Connexion> pg;
};
