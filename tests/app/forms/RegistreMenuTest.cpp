#include "app/forms/RegistreMenu.h"
#include "common/EtatGlobal.h"
#include "common/forms/FormBase.h"
#include "support/ServiceSessionScripte.h"

#include <gtest/gtest.h>

namespace {

// A task form standing in for the real ones: counts its loads and remembers what the menu set.
class FormeEssai : public FormBase {
public:
    FormeEssai() : FormBase(QStringLiteral("FormeEssai")) { ++s_creations; }
    int chargements = 0;
    bool DepuisFicheSalarie = true;
    bool chargeeAuMomentDePreparer = false;
    bool seDechargerAuChargement = false;
    static inline int s_creations = 0;

protected:
    void Form_Load() override {
        ++chargements;
        DepuisFicheSalarie = true; // what a load would reset; the menu's step comes after it
        if (seDechargerAuChargement)
            Unload();
    }
};

class RegistreMenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        reinitialiserEtatGlobal();
        FormeEssai::s_creations = 0;
    }
    void TearDown() override { registre.vider(); }

    void enregistrerProfils(AffichageMenu affichage = AffichageMenu::ModalDevant) {
        registre.enregistrerForme<FormeEssai>(QStringLiteral("CmdProfile"), affichage, [](FormeEssai& f) {
            f.chargeeAuMomentDePreparer = f.estCharge();
            f.DepuisFicheSalarie = false;
        });
    }

    RegistreMenu registre;
    QWidget principale;
};

} // namespace

TEST_F(RegistreMenuTest, BoutonSansFormeNOuvreRien) {
    ServiceSessionScripte session;
    EXPECT_FALSE(registre.estEnregistre(QStringLiteral("CmdComptoir")));
    EXPECT_EQ(registre.instance(QStringLiteral("CmdComptoir")), nullptr);
    EXPECT_FALSE(registre.ouvrir(QStringLiteral("CmdComptoir"), &principale));
    EXPECT_TRUE(session.formsModales().isEmpty());
}

TEST_F(RegistreMenuTest, ModalChargePrepareApresLeChargementPuisMontreSurLaFenetrePrincipale) {
    ServiceSessionScripte session;
    enregistrerProfils();
    FormeEssai* vue = nullptr;
    session.surModal([&](QObject* form) {
        vue = dynamic_cast<FormeEssai*>(form);
        ASSERT_NE(vue, nullptr);
        EXPECT_TRUE(vue->estCharge());
        EXPECT_FALSE(vue->DepuisFicheSalarie);
        vue->Unload();
    });

    ASSERT_TRUE(registre.estEnregistre(QStringLiteral("CmdProfile")));
    EXPECT_EQ(registre.instanceExistante(QStringLiteral("CmdProfile")), nullptr); // created on first use only
    EXPECT_TRUE(registre.ouvrir(QStringLiteral("CmdProfile"), &principale));
    ASSERT_EQ(session.formsModales().size(), 1);
    EXPECT_EQ(vue, registre.instanceExistante(QStringLiteral("CmdProfile")));
    EXPECT_TRUE(vue->chargeeAuMomentDePreparer);
    EXPECT_EQ(vue->chargements, 1);
}

TEST_F(RegistreMenuTest, DeuxClicsMontrentLaMemeInstanceEtRechargentApresDechargement) {
    ServiceSessionScripte session;
    enregistrerProfils();
    session.surModal([](QObject* form) { static_cast<FormeEssai*>(form)->Unload(); });

    registre.ouvrir(QStringLiteral("CmdProfile"), &principale);
    registre.ouvrir(QStringLiteral("CmdProfile"), &principale);
    ASSERT_EQ(session.formsModales().size(), 2);
    EXPECT_EQ(session.formsModales().at(0), session.formsModales().at(1));
    EXPECT_EQ(FormeEssai::s_creations, 1);
    // Unloaded by the user in between: each opening loads it afresh.
    EXPECT_EQ(static_cast<FormeEssai*>(session.formsModales().at(0))->chargements, 2);
}

TEST_F(RegistreMenuTest, NonModalMontreSansAttendreEtNeRechargePasUneFormeOuverte) {
    ServiceSessionScripte session;
    registre.enregistrerForme<FormeEssai>(QStringLiteral("CmdEmplacement"), AffichageMenu::NonModal);

    EXPECT_TRUE(registre.ouvrir(QStringLiteral("CmdEmplacement"), &principale));
    auto* f = static_cast<FormeEssai*>(registre.instanceExistante(QStringLiteral("CmdEmplacement")));
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(f->isVisible());
    EXPECT_TRUE(session.formsModales().isEmpty());

    registre.ouvrir(QStringLiteral("CmdEmplacement"), &principale);
    EXPECT_EQ(f->chargements, 1);
    EXPECT_EQ(FormeEssai::s_creations, 1);
}

TEST_F(RegistreMenuTest, PrechargementChargeSansMontrer) {
    ServiceSessionScripte session;
    registre.enregistrerForme<FormeEssai>(QStringLiteral("CmdStock"), AffichageMenu::NonModal, {}, true);
    enregistrerProfils();
    EXPECT_EQ(registre.boutonsPrecharges(), QStringList{QStringLiteral("CmdStock")});

    registre.precharger();
    auto* stock = static_cast<FormeEssai*>(registre.instanceExistante(QStringLiteral("CmdStock")));
    ASSERT_NE(stock, nullptr);
    EXPECT_TRUE(stock->estCharge());
    EXPECT_FALSE(stock->isVisible());
    EXPECT_EQ(registre.instanceExistante(QStringLiteral("CmdProfile")), nullptr);

    // The stock button then shows the preloaded instance without loading it again.
    registre.ouvrir(QStringLiteral("CmdStock"), &principale);
    EXPECT_EQ(registre.instanceExistante(QStringLiteral("CmdStock")), stock);
    EXPECT_EQ(stock->chargements, 1);
    EXPECT_TRUE(stock->isVisible());
}

TEST_F(RegistreMenuTest, FormeQuiSeDechargeAuChargementNEstNiPrepareeNiMontree) {
    ServiceSessionScripte session;
    enregistrerProfils();
    auto* f = static_cast<FormeEssai*>(registre.instance(QStringLiteral("CmdProfile")));
    f->seDechargerAuChargement = true;

    EXPECT_TRUE(registre.ouvrir(QStringLiteral("CmdProfile"), &principale));
    EXPECT_TRUE(session.formsModales().isEmpty());
    EXPECT_TRUE(f->DepuisFicheSalarie);
}

TEST_F(RegistreMenuTest, LeMenuEtLesAutresAppelantsPartagentLInstanceEtLaTableDitCommentMontrer) {
    ServiceSessionScripte session;
    // Way of showing and preloading come from the menu table: "Salariés" is modeless.
    registre.enregistrerForme<FormeEssai>(QStringLiteral("CmdEmplacement"));
    FormeEssai& directe = Instance<FormeEssai>();
    directe.DepuisFicheSalarie = false; // set by another form before the menu opens it
    EXPECT_EQ(registre.instance(QStringLiteral("CmdEmplacement")), &directe);
    EXPECT_TRUE(registre.ouvrir(QStringLiteral("CmdEmplacement"), &principale));
    EXPECT_TRUE(directe.isVisible());
    EXPECT_TRUE(session.formsModales().isEmpty());
    EXPECT_EQ(FormeEssai::s_creations, 1);
    directe.Unload();

    // A button that runs a routine is registered as well, and is given the owner.
    QWidget* proprietaire = nullptr;
    registre.enregistrerAction(QStringLiteral("CmdImportSalarie"), [&](QWidget* w) { proprietaire = w; });
    EXPECT_TRUE(registre.estEnregistre(QStringLiteral("CmdImportSalarie")));
    EXPECT_EQ(registre.instance(QStringLiteral("CmdImportSalarie")), nullptr);
    EXPECT_TRUE(registre.ouvrir(QStringLiteral("CmdImportSalarie"), &principale));
    EXPECT_EQ(proprietaire, &principale);

    // Forgetting the button deletes the instance; the next caller gets a new one.
    registre.vider();
    EXPECT_EQ(InstanceExistante<FormeEssai>(), nullptr);
}
