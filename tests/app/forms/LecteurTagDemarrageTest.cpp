#include "DemarrageFixture.h"

#include "common/LecteurTag.h"
#include "staff/ACR120U.h"
#include "staff/PiloteACR120PCSC.h"

namespace {

class LecteurTagDemarrageTest : public DemarrageFixture {
protected:
    void TearDown() override {
        DemarrageFixture::TearDown();
        installerLecteurTag(nullptr);
        ACR120U::installerPilote(nullptr);
        ACR120U::HandleLecteurACR120 = 0;
    }
};

// The reader's library as the program installs it, with no PC/SC service to reach: the client's
// socket is pointed where nothing listens (the library reads it once a process, so no other test of
// this program may reach PC/SC before).
TEST_F(LecteurTagDemarrageTest, SansServicePCSCLeDemarragePrevientPuisOuvre) {
    QTemporaryDir vide;
    ASSERT_TRUE(vide.isValid());
    qputenv("PCSCLITE_CSOCK_NAME", vide.filePath(QStringLiteral("pcscd.comm")).toUtf8());
    PiloteACR120PCSC pilote;
    ACR120U::installerPilote(&pilote);
    LecteurTagACR120 lecteur;
    installerLecteurTag(&lecteur);
    dossier->ecrireIni(QStringLiteral("Badge"), QStringLiteral("TypeLecteurBadge"), QStringLiteral("6"));
    dialogues->attendreMessage(QStringLiteral("( X ) Invalid Port : -2000\nDefaut Lecteur Tag"), Reponse::OK);

    ASSERT_FALSE(Main().has_value());
    EXPECT_FALSE(session->termine());
    EXPECT_TRUE(frmPrincipal().isVisible());
    EXPECT_EQ(Global().TypeLecteurBadge, 6);
    EXPECT_EQ(ACR120U::HandleLecteurACR120, -2000);
    // The counter's polling and the close find nothing and say nothing.
    EXPECT_EQ(LecteurTagCourant().LireTagACR120(), QString());
    frmPrincipal().Unload();
    EXPECT_EQ(session->codeFin(), 0);
    EXPECT_EQ(dialogues->messages().size(), 1);
    qunsetenv("PCSCLITE_CSOCK_NAME");
}

} // namespace
