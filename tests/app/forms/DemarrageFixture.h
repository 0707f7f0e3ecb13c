#pragma once

#include "app/InstanceUnique.h"
#include "app/forms/CodeAccesDlg.h"
#include "app/forms/FenLoading.h"
#include "app/forms/FrmPrincipal.h"
#include "app/forms/Main.h"
#include "app/forms/RegistreMenu.h"
#include "common/EtatGlobal.h"
#include "common/IniFile.h"
#include "db/Connexion.h"
#include "db/Schema.h"
#include "support/DossierProgrammeTemp.h"
#include "support/ServiceDialogueScripte.h"
#include "support/ServiceSessionScripte.h"

#include <QFrame>
#include <QPushButton>
#include <QTemporaryDir>
#include <QVariant>
#include <gtest/gtest.h>
#include <memory>
#include <optional>

// A program folder with its databases, scripted dialogs and session, and a lock of its own; the
// program's single windows are put back to unloaded after each test.
class DemarrageFixture : public ::testing::Test {
protected:
    void SetUp() override {
        reinitialiserEtatGlobal();
        dossier.emplace();
        ASSERT_TRUE(dossier->valide()) << dossier->erreur().toStdString();
        QString erreur;
        ASSERT_TRUE(creerBasesDossierProgramme(dossier->chemin(), &erreur)) << erreur.toStdString();
        ASSERT_TRUE(verrou.isValid());
        definirCheminVerrou(verrou.filePath(QStringLiteral("dorvane.lock")));
        dialogues = std::make_unique<ServiceDialogueScripte>();
        session = std::make_unique<ServiceSessionScripte>();
    }

    void TearDown() override {
        {
            // Unloading the main window ends the run: absorb that in a session of its own.
            ServiceSessionScripte fin;
            if (frmPrincipal().estCharge())
                frmPrincipal().Unload();
            frmPrincipal().hide();
            frmPrincipal().SSPanelInfoCom->hide();
            if (fenLoading().estCharge())
                fenLoading().Unload();
            fenLoading().hide();
            if (codeAccesDlg().estCharge())
                codeAccesDlg().Unload();
        }
        RegistreMenu::global().vider();
        session.reset();
        dialogues.reset();
        definirCheminVerrou(QString());
        dossier.reset();
        reinitialiserEtatGlobal();
    }

    // A statement on the folder's main database, with its values bound.
    void executer(const QString& sql, const QVariantList& valeurs = {}) {
        Connexion c;
        c.ouvrir(parametresBase());
        c.executer(sql, valeurs);
    }
    QVariant valeur(const QString& sql, const QVariantList& valeurs = {}) {
        Connexion c;
        c.ouvrir(parametresBase());
        return c.valeurUnique(sql, valeurs);
    }
    ParametresConnexion parametresBase() const {
        ParametresConnexion p;
        p.base = QStringLiteral("VEZ");
        p.dossier = dossier->chemin();
        return p;
    }

    // Every menu button gets a test form, so that only the rights decide what is greyed.
    static void enregistrerFormesFactices() {
        for (const QString& b : MenuPrincipal::boutonsRegistre()) {
            EntreeMenu e;
            e.fabrique = [] { return new QWidget; };
            e.affichage = AffichageMenu::Modal;
            RegistreMenu::global().enregistrer(b, e);
        }
    }

    QPushButton* bouton(const QString& nom) { return frmPrincipal().findChild<QPushButton*>(nom); }

    std::optional<DossierProgrammeTemp> dossier;
    QTemporaryDir verrou;
    std::unique_ptr<ServiceDialogueScripte> dialogues;
    std::unique_ptr<ServiceSessionScripte> session;
};
