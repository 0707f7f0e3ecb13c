#include "common/mCommonDialog.h"
#include "common/mod_API_ChoixImprimante.h"
#include "support/ServiceDialogueScripte.h"

#include <gtest/gtest.h>

using namespace mCommonDialog;

namespace {
const QChar NUL(0);
}

TEST(mCommonDialogFiltre, BarresEtDeuxPointsDeviennentDesNulsSuivisDUnDoubleNul) {
    EXPECT_EQ(FiltreNul(QStringLiteral("JPEG Files (*.JPG)|*.JPG")),
              QStringLiteral("JPEG Files (*.JPG)") + NUL + QStringLiteral("*.JPG") + NUL + NUL);
    // A colon separates too, even inside a description.
    EXPECT_EQ(EntreesFiltre(QStringLiteral("Images: JPEG|*.jpg")),
              (QList<EntreeFiltre>{{QStringLiteral("Images"), QStringLiteral(" JPEG")}}));
}

TEST(mCommonDialogFiltre, EntreesJusquAuPremierElementVide) {
    const auto e = EntreesFiltre(QStringLiteral("JPEG Files (*.JPG)|*.JPG|All (*.*)|*.*"));
    ASSERT_EQ(e.size(), 2);
    EXPECT_EQ(e[0], (EntreeFiltre{QStringLiteral("JPEG Files (*.JPG)"), QStringLiteral("*.JPG")}));
    EXPECT_EQ(e[1], (EntreeFiltre{QStringLiteral("All (*.*)"), QStringLiteral("*.*")}));
    // A trailing separator, a description without pattern, an empty text.
    EXPECT_EQ(EntreesFiltre(QStringLiteral("Excel Files (*.xls)|*.xls|")).size(), 1);
    EXPECT_EQ(EntreesFiltre(QStringLiteral("Excel Files (*.xls)|*.xls|Tout")).size(), 1);
    EXPECT_TRUE(EntreesFiltre(QString()).isEmpty());
    // The platform's list ends at the double NUL: what follows an empty item is never offered.
    EXPECT_EQ(EntreesFiltre(QStringLiteral("A|*.a||B|*.b")).size(), 1);
}

TEST(mCommonDialogFiltre, ChampNDonneLaNiemeEntree) {
    const QString liste = FiltreNul(QStringLiteral("JPEG Files (*.JPG)|*.JPG|All (*.*)|*.*"));
    EXPECT_EQ(ChampN(liste, 1), QStringLiteral("JPEG Files (*.JPG)") + NUL + QStringLiteral("*.JPG"));
    EXPECT_EQ(ChampN(liste, 2), QStringLiteral("All (*.*)") + NUL + QStringLiteral("*.*"));
    EXPECT_EQ(ChampN(liste, 3), QString());
    EXPECT_EQ(ChampN(liste, 0), QString());
    EXPECT_EQ(ChampN(liste, -1), QString());
}

// --- over the dialog service ---

TEST(mCommonDialogVBGetOpenFileName, DeuxiemeFiltreChoisiEtDrapeauxTransmis) {
    ServiceDialogueScripte d;
    ResultatOuvertureFichier r;
    r.Accepte = true;
    r.FileName = QStringLiteral("/srv/import/salaries.xls");
    r.FilterIndex = 2;
    r.ReadOnly = true;
    r.Flags = 0x1004;
    d.attendreOuverture(r, [](const DemandeOuvertureFichier& dem) {
        EXPECT_EQ(dem.Filter, QStringLiteral("JPEG Files (*.JPG)|*.JPG|All (*.*)|*.*"));
        EXPECT_EQ(dem.FilterIndex, 2);
        EXPECT_EQ(dem.InitDir, QStringLiteral("/srv/import"));
        EXPECT_EQ(dem.DlgTitle, QStringLiteral("Importation"));
        EXPECT_EQ(dem.DefaultExt, QStringLiteral("xls"));
        EXPECT_TRUE(dem.FileMustExist);
        EXPECT_FALSE(dem.Vignettes);
        // The caller's hook and template bits never reach the dialog; the Booleans add their bits.
        EXPECT_EQ(dem.Flags & (Drapeaux::EnableHook | Drapeaux::EnableTemplate), 0);
        EXPECT_EQ(dem.Flags & Drapeaux::FileMustExist, Drapeaux::FileMustExist);
        EXPECT_EQ(dem.Flags & Drapeaux::HideReadOnly, Drapeaux::HideReadOnly);
        EXPECT_EQ(dem.Flags & Drapeaux::NoChangeDir, Drapeaux::NoChangeDir);
    });

    ParametresOuverture p;
    p.Filter = QStringLiteral("JPEG Files (*.JPG)|*.JPG|All (*.*)|*.*");
    p.FilterIndex = 2;
    p.FileMustExist = true;
    p.HideReadOnly = true;
    p.InitDir = QStringLiteral("/srv/import");
    p.DlgTitle = QStringLiteral("Importation");
    p.DefaultExt = QStringLiteral("xls");
    p.Flags = Drapeaux::EnableHook | Drapeaux::EnableTemplate | Drapeaux::NoChangeDir;

    ASSERT_TRUE(VBGetOpenFileName(p));
    EXPECT_EQ(p.FileName, QStringLiteral("/srv/import/salaries.xls"));
    EXPECT_EQ(p.FileTitle, QStringLiteral("salaries.xls"));
    EXPECT_EQ(p.Filter, QStringLiteral("All (*.*)") + NUL + QStringLiteral("*.*"));
    EXPECT_EQ(p.FilterIndex, 2);
    EXPECT_TRUE(p.ReadOnly);
    EXPECT_EQ(p.Flags, 0x1004);
    EXPECT_EQ(DernierRetour(), 1);
}

TEST(mCommonDialogVBGetOpenFileName, AnnuleVideLesSorties) {
    ServiceDialogueScripte d;
    d.attendreOuvertureAnnulee();
    ParametresOuverture p;
    p.FileName = QStringLiteral("ancien.xls");
    p.FileTitle = QStringLiteral("ancien.xls");
    p.Filter = QStringLiteral("Excel Files (*.xls)|*.xls");
    p.FilterIndex = 1;
    p.Flags = Drapeaux::FileMustExist;

    EXPECT_FALSE(VBGetOpenFileName(p));
    EXPECT_TRUE(p.FileName.isEmpty());
    EXPECT_TRUE(p.FileTitle.isEmpty());
    EXPECT_TRUE(p.Filter.isEmpty());
    EXPECT_EQ(p.Flags, 0);
    EXPECT_EQ(p.FilterIndex, -1);
    EXPECT_EQ(DernierRetour(), 0);
}

TEST(mCommonDialogOuvrirFichierDialog, VignettesTitreEtCheminChoisi) {
    ServiceDialogueScripte d;
    ResultatOuvertureFichier r;
    r.Accepte = true;
    r.FileName = QStringLiteral("/photos/photo.jpg");
    d.attendreOuverture(r, [](const DemandeOuvertureFichier& dem) {
        EXPECT_TRUE(dem.Vignettes);
        EXPECT_EQ(dem.DlgTitle, QStringLiteral("Open A File"));
        EXPECT_EQ(dem.Filter, QStringLiteral("JPEG Files (*.JPG)|*.JPG"));
        EXPECT_EQ(dem.InitDir, QStringLiteral("/photos"));
        EXPECT_LE(dem.FilterIndex, 1);
        EXPECT_EQ(dem.Flags, 277349422);
    });
    EXPECT_EQ(OuvrirFichierDialog(QStringLiteral("/photos"), QStringLiteral("JPEG Files (*.JPG)|*.JPG")),
              QStringLiteral("/photos/photo.jpg"));

    d.attendreOuvertureAnnulee();
    EXPECT_EQ(OuvrirFichierDialog(QStringLiteral("/photos"), QStringLiteral("JPEG Files (*.JPG)|*.JPG")),
              QString());
}

class ChoisirImprimanteTest : public ::testing::Test {
protected:
    void SetUp() override {
        ImprimanteCourante() = ChoixImprimante{QStringLiteral("Bureau"), 1, 1, {}};
        mod_API_ChoixImprimante::definirCollectionImprimantes([] {
            return QStringList{QStringLiteral("Bureau"), QStringLiteral("Atelier")};
        });
    }
    void TearDown() override {
        mod_API_ChoixImprimante::definirCollectionImprimantes({});
        ImprimanteCourante() = ChoixImprimante{};
    }
    static ResultatImprimante resultat(int code, const QString& nom, int orientation, int copies,
                                       const QString& fichier = {}) {
        ResultatImprimante r;
        r.Code = code;
        r.Choix = ChoixImprimante{nom, orientation, copies, fichier};
        return r;
    }
};

TEST_F(ChoisirImprimanteTest, ChoixDevientLImprimanteCourante) {
    ServiceDialogueScripte d;
    d.attendreImprimante(resultat(1, QStringLiteral("Atelier"), 2, 3));
    EXPECT_TRUE(mod_API_ChoixImprimante::ChoisirImprimante());
    EXPECT_EQ(ImprimanteCourante().NomImprimante, QStringLiteral("Atelier"));
    EXPECT_EQ(ImprimanteCourante().Orientation, 2);
    EXPECT_EQ(ImprimanteCourante().Copies, 3);

    // The PDF file the dialog offers when no printer is installed stands for the printer until a printer
    // is chosen; the dialog is told which file to propose.
    d.attendreImprimante(
        resultat(1, QString(), 1, 1, QStringLiteral("/tmp/mars.pdf")),
        [](const QString& propose) { EXPECT_EQ(propose, QStringLiteral("/home/mars.pdf")); });
    EXPECT_TRUE(mod_API_ChoixImprimante::ChoisirImprimante(QStringLiteral("/home/mars.pdf")));
    EXPECT_EQ(ImprimanteCourante().Fichier, QStringLiteral("/tmp/mars.pdf"));
    d.attendreImprimante(resultat(1, QStringLiteral("Fantome"), 1, 1));
    EXPECT_TRUE(mod_API_ChoixImprimante::ChoisirImprimante());
    EXPECT_EQ(ImprimanteCourante().Fichier, QStringLiteral("/tmp/mars.pdf"));
    d.attendreImprimante(resultat(1, QStringLiteral("Bureau"), 1, 1));
    EXPECT_TRUE(mod_API_ChoixImprimante::ChoisirImprimante());
    EXPECT_EQ(ImprimanteCourante().NomImprimante, QStringLiteral("Bureau"));
    EXPECT_TRUE(ImprimanteCourante().Fichier.isEmpty());
}

TEST_F(ChoisirImprimanteTest, ImprimanteInconnueGardeLaCouranteMaisPrendOrientationEtCopies) {
    ServiceDialogueScripte d;
    d.attendreImprimante(resultat(1, QStringLiteral("Fantome"), 2, 4));
    EXPECT_TRUE(mod_API_ChoixImprimante::ChoisirImprimante());
    EXPECT_EQ(ImprimanteCourante().NomImprimante, QStringLiteral("Bureau"));
    EXPECT_EQ(ImprimanteCourante().Orientation, 2);
    EXPECT_EQ(ImprimanteCourante().Copies, 4);
}

TEST_F(ChoisirImprimanteTest, AnnuleOuEchecNeChangeRien) {
    ServiceDialogueScripte d;
    d.attendreImprimante(resultat(0, QStringLiteral("Atelier"), 2, 3));
    EXPECT_FALSE(mod_API_ChoixImprimante::ChoisirImprimante());
    d.attendreImprimante(resultat(4107, QString(), 1, 1));
    d.attendreMessage(QStringLiteral("Erreur inatendue"), Reponse::OK, QStringLiteral("Dorvane"),
                      StyleMessage::OK);
    EXPECT_FALSE(mod_API_ChoixImprimante::ChoisirImprimante());
    EXPECT_EQ(ImprimanteCourante().NomImprimante, QStringLiteral("Bureau"));
    EXPECT_EQ(ImprimanteCourante().Orientation, 1);
    EXPECT_EQ(ImprimanteCourante().Copies, 1);
}
