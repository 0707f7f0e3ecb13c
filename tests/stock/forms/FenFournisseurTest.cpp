#include "stock/forms/FenFournisseur.h"
#include "app/forms/RegistreMenu.h"
#include "common/EtatGlobal.h"
#include "common/MODTranslate.h"
#include "db/Connexion.h"
#include "db/Schema.h"
#include "db/Valeurs.h"
#include "support/CouvertureLangues.h"
#include "support/DossierProgrammeTemp.h"
#include "support/FormeSurBase.h"
#include "support/ServiceDialogueScripte.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>
#include <optional>

namespace {

// A program folder with its database, suppliers ACME (A1), BETA (B2), GAMMA (C3), two postal codes in
// the shipped "CP.MDB" and the French message table.
class FenFournisseurTest : public FormeSurBaseTest {
protected:
    void SetUp() override {
        FormeSurBaseTest::SetUp();
        if (HasFatalFailure())
            return;
        for (const char* s : {"A1ACME", "B2BETA", "C3GAMMA"})
            base->executer(QStringLiteral("INSERT INTO Fournisseur (No, CodeFournisseur, Societe) VALUES "
                                          "((SELECT COUNT(*) + 1 FROM Fournisseur), ?, ?)"),
                           {QString::fromLatin1(s, 2), QString::fromLatin1(s + 2)});
        ParametresConnexion p;
        p.fichier = dossier->fichier(QStringLiteral("CP.MDB"));
        Connexion(p).executer(
            QStringLiteral("INSERT INTO CodesPostaux VALUES ('75001', 'PARIS'), ('1000', 'BOURG')"));
    }
    QString champ(qint64 nauto, const QString& colonne) {
        return Valeurs::lireTexte(base->valeurUnique(
            QStringLiteral("SELECT %1 FROM Fournisseur WHERE Nauto = ?").arg(colonne), {nauto}));
    }
    QStringList colonne(FenFournisseur& f, int c) {
        QStringList l;
        for (int r = 0; r < f.DBGrid1->model()->rowCount(); ++r)
            l << f.DBGrid1->model()->index(r, c).data().toString();
        return l;
    }
    void cliquerLigne(FenFournisseur& f, int ligne) {
        const QRect r = f.DBGrid1->visualRect(f.DBGrid1->model()->index(ligne, 3));
        QTest::mouseClick(f.DBGrid1->viewport(), Qt::LeftButton, {}, r.center());
        QCoreApplication::processEvents();
    }
    // Leaves the postal code for the fax box, as a click there would; the town box as it is then.
    QString quitterCodePostal(FenFournisseur& f, const QString& code) {
        f.MaskEdBox1[11]->setFocus();
        f.MaskEdBox1[11]->setText(code);
        f.MaskEdBox1[14]->setFocus(Qt::MouseFocusReason);
        return f.MaskEdBox1[12]->text();
    }
};

} // namespace

TEST_F(FenFournisseurTest, AjoutSaisieVilleDuCodePostalCodeDejaPrisEtSuppression) {
    RegistreMenu registre;
    enregistrerFormesMenu(registre);
    EXPECT_NE(qobject_cast<FenFournisseur*>(registre.instance(QStringLiteral("CmdFournissueur"))), nullptr);
    FenFournisseur f;
    f.Show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
    QTest::mouseClick(f.cmdAdd, Qt::LeftButton);
    EXPECT_EQ(colonne(f, 1), (QStringList{"1", "2", "3", "4"}));
    EXPECT_EQ(f.MaskEdBox1[2]->text(), QStringLiteral("4"));
    EXPECT_TRUE(f.MaskEdBox1[0]->hasFocus());

    // Capitals where the panel wants them; Enter stores and goes on, so does Tab.
    QTest::keyClicks(f.MaskEdBox1[0], QStringLiteral("delta sud"));
    QTest::keyClicks(f.MaskEdBox1[1], QStringLiteral("jean"));
    QTest::keyClick(f.MaskEdBox1[0], Qt::Key_Return);
    EXPECT_TRUE(f.MaskEdBox1[1]->hasFocus());
    EXPECT_EQ(champ(4, QStringLiteral("Societe")) + champ(4, QStringLiteral("NomContact")),
              QStringLiteral("DELTA SUDjean"));
    EXPECT_EQ(quitterCodePostal(f, QStringLiteral("7500")), QString());
    EXPECT_EQ(quitterCodePostal(f, QStringLiteral("75001")), QStringLiteral("PARIS"));
    EXPECT_TRUE(f.MaskEdBox1[12]->hasFocus());
    EXPECT_EQ(quitterCodePostal(f, QStringLiteral("01000")), QStringLiteral("PARIS")); // a town is there
    f.MaskEdBox1[12]->clear();
    EXPECT_EQ(quitterCodePostal(f, QStringLiteral("01000")), QStringLiteral("BOURG"));
    f.MaskEdBox1[12]->clear();
    QTest::keyClicks(f.MaskEdBox1[12], QStringLiteral("lyon"));
    QTest::keyClick(f.MaskEdBox1[12], Qt::Key_Tab);
    EXPECT_EQ(champ(4, QStringLiteral("CodePostal")) + champ(4, QStringLiteral("Ville")),
              QStringLiteral("01000LYON"));

    // Another supplier's code, in other capitals: refused by Tab, by a move to another row and by
    // "Fermer"; the form and what was typed stay.
    const QString message = QStringLiteral("ce code fournisseur existe déja !");
    f.MaskEdBox1[2]->setFocus();
    f.MaskEdBox1[2]->clear();
    QTest::keyClicks(f.MaskEdBox1[2], QStringLiteral("b2"));
    dialogues.attendreMessage(message, Reponse::OK, QStringLiteral("Dorvane"), 16);
    QTest::keyClick(f.MaskEdBox1[2], Qt::Key_Tab);
    EXPECT_TRUE(f.MaskEdBox1[2]->hasFocus());
    dialogues.attendreMessage(message);
    cliquerLigne(f, 0);
    EXPECT_EQ(f.DBGrid1->currentIndex().row(), 3);
    dialogues.attendreMessage(message);
    QTest::mouseClick(f.cmdClose, Qt::LeftButton);
    EXPECT_TRUE(f.estCharge());
    EXPECT_EQ(f.MaskEdBox1[2]->text() + champ(4, QStringLiteral("CodeFournisseur")), QStringLiteral("B24"));
    // A code of its own is stored when the row is left.
    f.MaskEdBox1[2]->setText(QStringLiteral("D4"));
    cliquerLigne(f, 1);
    EXPECT_EQ(champ(4, QStringLiteral("CodeFournisseur")), QStringLiteral("D4"));
    EXPECT_EQ(f.MaskEdBox1[0]->text(), QStringLiteral("BETA"));

    const QString question = QStringLiteral("Confirmer la suppression !");
    dialogues.attendreMessage(question, Reponse::Non, QStringLiteral("Confirmation"), 52);
    QTest::mouseClick(f.cmdDelete, Qt::LeftButton);
    dialogues.attendreMessage(question, Reponse::Oui);
    QTest::mouseClick(f.cmdDelete, Qt::LeftButton);
    EXPECT_EQ(colonne(f, 3), (QStringList{"ACME", "GAMMA", "DELTA SUD"}));
    EXPECT_EQ(f.MaskEdBox1[0]->text(), QStringLiteral("GAMMA"));
    EXPECT_TRUE(clesManquantes(&f).isEmpty()) << clesManquantes(&f).join(u'\n').toStdString();
    QTest::mouseClick(f.cmdClose, Qt::LeftButton);
    EXPECT_FALSE(f.estCharge());

    // Without "CP.MDB" the town stays as typed.
    ASSERT_TRUE(QFile::remove(dossier->fichier(QStringLiteral("CP.MDB"))));
    f.Show();
    EXPECT_EQ(quitterCodePostal(f, QStringLiteral("75001")), QString());
    f.Unload();
}
