#include "reports/forms/FenCrystalRep.h"

#include "bench/FichierMixte.h"
#include "common/EtatGlobal.h"
#include "common/forms/Instance.h"
#include "common/forms/ProgessBarre.h"
#include "support/FormeSurBase.h"
#include "support/ServeurSmtpDeTest.h"

#include <QLabel>
#include <gtest/gtest.h>

namespace {

class FenCrystalRepEmailTest : public FormeSurBaseTest {
protected:
    void SetUp() override {
        FormeSurBaseTest::SetUp();
        if (HasFatalFailure())
            return;
        Global().OptionVersionGSM = true;
        for (const auto& [cle, valeur] : {std::pair{"SMTP", "127.0.0.1"},
                                          {"MailFrom", "lise@exemple.fr"},
                                          {"Mailto0", "paul@exemple.fr"}})
            dossier->ecrireIni("Email", cle, valeur);
    }
    void TearDown() override {
        DetruireInstance<FenCrystalRep>();
        FormeSurBaseTest::TearDown();
    }
    int envoisAuJournal() const {
        QFile f(dossier->fichier("Emaillog.txt"));
        return f.open(QIODevice::ReadOnly) ? static_cast<int>(f.readAll().count("Connection 220 ")) : -1;
    }
};

TEST_F(FenCrystalRepEmailTest, SendsWithoutShowingTheViewerFollowsTheProgressAndKeepsItsLog) {
    ServeurSmtpDeTest serveur;
    dossier->ecrireIni("Email", "Port", QString::number(serveur.port()));
    dossier->ecrireFichier("export.zip", FichierMixte::contenu(1000));
    const QString piece = dossier->fichier("export.zip");
    FenCrystalRep& f = Instance<FenCrystalRep>();
    ASSERT_FALSE(f.estCharge());

    // Connected after the viewer's handlers: each percentage above 0 shown, 0 at the end of each file,
    // the bar left alone otherwise.
    QString attendu = "0%";
    int milieux = 0;
    auto verifier = [&](bool montre, int p) {
        if (montre)
            attendu = QString::number(p) + u'%';
        EXPECT_EQ(f.ProgressBar1->Label1->text(), attendu) << p;
        milieux += p > 0 && p < 100;
    };
    Email& email = f.envoiEmail().Email1();
    QObject::connect(&email, &Email::ProgressionEnvoi, [&](qint64, qint64, int p) { verifier(p > 0, p); });
    QObject::connect(&email, &Email::ProgressionPieceJointe, [&](bool enCours, const QString&, int p) {
        verifier(!enCours || p > 0, enCours ? p : 0);
    });

    const ResultatEnvoi r = f.EnvoyerEmail("Rapport", "", piece);
    ASSERT_TRUE(r.envoye()) << r.erreur->description().toStdString();
    EXPECT_TRUE(f.estCharge());
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(ServeurSmtpDeTest::piecesJointes(serveur.message(1)).value("export.zip"),
              FichierMixte::contenu(1000));
    EXPECT_GT(milieux, 10);
    EXPECT_EQ(attendu, "100%");
    EXPECT_EQ(f.ProgressBar1->Label1->text(), "0%");

    // The log holds every send of the viewer's load, and starts afresh at the next load.
    ASSERT_TRUE(f.EnvoyerEmail("Rapport", "", piece).envoye());
    ASSERT_TRUE(f.EnvoyerEmail("Rapport", "", piece).envoye());
    EXPECT_EQ(envoisAuJournal(), 3);
    EXPECT_EQ(serveur.nombre(), 3);
    f.Unload();
    ASSERT_TRUE(f.EnvoyerEmail("Rapport", "", piece).envoye());
    EXPECT_EQ(envoisAuJournal(), 1);
}

} // namespace
