#pragma once

#include "common/EtatGlobal.h"
#include "common/MODTranslate.h"
#include "db/Connexion.h"
#include "db/Schema.h"
#include "support/DossierProgrammeTemp.h"
#include "support/ServiceDialogueScripte.h"

#include <gtest/gtest.h>
#include <optional>

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
