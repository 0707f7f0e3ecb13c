#include "app/forms/CodeAccesDlg.h"
#include "app/forms/FenLoading.h"
#include "app/forms/FrmChoixBD.h"
#include "app/forms/FrmPrincipal.h"
#include "app/forms/frmAbout.h"
#include "common/EtatGlobal.h"
#include "support/CouvertureLangues.h"
#include "support/ServiceDialogueScripte.h"
#include "support/ServiceSessionScripte.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class CodeAccesDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        dlg.MotPasseSociete = [this] { return attendu; };
        dlg.Load();
    }
    QVariant attendu = QStringLiteral("Secret");
    ServiceDialogueScripte dialogues;
    ServiceSessionScripte session;
    CodeAccesDlg dlg;
};

TEST_F(CodeAccesDlgTest, EntreeDansText1Verifie) {
    EXPECT_EQ(dlg.Text1->echoMode(), QLineEdit::Password);
    dlg.Text1->setText(QStringLiteral("Secret"));
    QTest::keyClick(dlg.Text1, Qt::Key_Return);
    EXPECT_TRUE(dlg.AccesValide);
    EXPECT_EQ(dlg.MDP(), QStringLiteral("Secret"));

    // Esc is "Annuler".
    dlg.show();
    QTest::keyClick(dlg.Text1, Qt::Key_Escape);
    EXPECT_FALSE(dlg.AccesValide);
    EXPECT_FALSE(dlg.isVisible());
}

TEST_F(CodeAccesDlgTest, RelachementSeulDEntreeNeComptePas) {
    // The release of the key that closed the message box reaches the box without its press.
    dlg.Text1->setText(QStringLiteral("x"));
    QTest::keyRelease(dlg.Text1, Qt::Key_Return);
    EXPECT_FALSE(dlg.AccesValide);
    EXPECT_TRUE(dialogues.appels().isEmpty());
}

TEST_F(CodeAccesDlgTest, MotDePasseNullNeValideRien) {
    attendu = QVariant();
    dialogues.attendreMessage(QStringLiteral("Mot de passe incorect !"));
    dlg.Text1->clear();
    QTest::mouseClick(dlg.Command1, Qt::LeftButton);
    EXPECT_FALSE(dlg.AccesValide);
    EXPECT_FALSE(session.termine());
}

TEST_F(CodeAccesDlgTest, NouveauMotDePasse) {
    dlg.NouveauMDP();
    EXPECT_EQ(dlg.Label1->text(), QStringLiteral("Entrez le nouveau mot de passe:"));
    EXPECT_FALSE(dlg.Text2->isHidden());
    EXPECT_FALSE(dlg.Label2->isHidden());
    // Two empty entries agree.
    EXPECT_TRUE(dlg.Command1->isEnabled());
    QTest::keyClicks(dlg.Text1, QStringLiteral("abc"));
    QTest::keyClicks(dlg.Text2, QStringLiteral("ab"));
    EXPECT_FALSE(dlg.Command1->isEnabled());
    QTest::keyClicks(dlg.Text2, QStringLiteral("c"));
    EXPECT_TRUE(dlg.Command1->isEnabled());
    QTest::mouseClick(dlg.Command1, Qt::LeftButton);
    EXPECT_TRUE(dlg.AccesValide);
    EXPECT_TRUE(dialogues.appels().isEmpty());
}

// Every caption of the start-up forms is in the five language files.
TEST(LanguesDemarrage, ChaqueLegendeAUneTraduction) {
    FenLoading chargement;
    FrmChoixBD choix;
    CodeAccesDlg acces;
    frmAbout apropos;
    FrmPrincipal principal;
    QStringList manquantes =
        clesManquantes(&chargement, {QStringLiteral("lblVersion"), QStringLiteral("lblDescription")});
    manquantes << clesManquantes(
        &choix, {QStringLiteral("CommandButtonDataBase(0)"), QStringLiteral("CommandButtonDataBase(1)")});
    manquantes << clesManquantes(&acces);
    manquantes << clesManquantes(&apropos, {QStringLiteral("lblVersion"), QStringLiteral("Label1")});
    // The main window's caption carries the version: the files leave it alone.
    QStringList principale = clesManquantes(&principal);
    principale.removeIf([](const QString& c) { return c.endsWith(QStringLiteral("Form.Caption")); });
    manquantes << principale;
    EXPECT_EQ(manquantes.join(QLatin1Char('\n')).toStdString(), "");
}

TEST(LanguesDemarrage, LaFenetreDeChargementGardeSaMarque) {
    for (const QString& nom : fichiersLangueLivres()) {
        const QString chemin = QDir(QStringLiteral(DORVANE_RESOURCES_DIR)).filePath(nom);
        const IniFile ini = IniFile::lire(chemin, IniFile::codePagePour(chemin));
        bool trouve = false;
        const QString legende =
            ini.valeur(QStringLiteral("FenLoading"), QStringLiteral("Form.Caption"), &trouve);
        EXPECT_TRUE(!trouve || legende.contains(QStringLiteral("Loading VEZ"), Qt::CaseInsensitive))
            << nom.toStdString();
        trouve = false;
        ini.valeur(QStringLiteral("FrmPrincipal"), QStringLiteral("Form.Caption"), &trouve);
        EXPECT_FALSE(trouve) << nom.toStdString();
    }
}

} // namespace
