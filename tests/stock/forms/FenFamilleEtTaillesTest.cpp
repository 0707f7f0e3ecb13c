#include "common/EtatGlobal.h"
#include "common/MODTranslate.h"
#include "db/Connexion.h"
#include "db/Schema.h"
#include "db/Valeurs.h"
#include "stock/forms/FenFamille.h"
#include "stock/forms/FenTailles.h"
#include "support/CouvertureLangues.h"
#include "support/DossierProgrammeTemp.h"
#include "support/FormeSurBase.h"
#include "support/ServiceDialogueScripte.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>
#include <optional>

namespace {

class FormesStockTest : public FormeSurBaseTest {
protected:
    qint64 inserer(const QString& sql, const QVariantList& valeurs = {}) {
        return Valeurs::lireEntier(base->valeurUnique(sql, valeurs));
    }
    qint64 famille(const QString& nom, const QString& fonction = QString()) {
        return inserer(
            QStringLiteral("INSERT INTO Familles (NomFamille, Fonction) VALUES (?, ?) RETURNING NoFamille"),
            {nom, fonction});
    }
    qint64 taille(qint64 famille, const QString& texte, int ordre) {
        return inserer(
            QStringLiteral(
                "INSERT INTO Tailles (Taille, Ordre, NoFamille) VALUES (?, ?, ?) RETURNING NoTaille"),
            {texte, ordre, famille});
    }
    QStringList colonne(QTableView* grille, int c) {
        QStringList l;
        for (int r = 0; r < grille->model()->rowCount(); ++r)
            l << grille->model()->index(r, c).data().toString();
        return l;
    }
    void cliquerLigne(QTableView* grille, int ligne, int c = 0) {
        const QRect r = grille->visualRect(grille->model()->index(ligne, c));
        QTest::mouseClick(grille->viewport(), Qt::LeftButton, {}, r.center());
    }
};

} // namespace

TEST_F(FormesStockTest, FamilleNouvelleEnMajusculesAvecSaTailleEnregistreeParAjouterOuEnregistrer) {
    FenFamille f;
    f.Show();
    ASSERT_TRUE(f.estCharge());
    QTest::mouseClick(f.cmdAdd, Qt::LeftButton);
    EXPECT_EQ(f.CmdModif->text(), QStringLiteral("Enregistrer"));
    EXPECT_EQ(f.SSFrame1->title(), QStringLiteral("Nouveau"));
    QTest::keyClicks(f.Text2, QStringLiteral("gants hiver"));
    QTest::keyClicks(f.Text1, QStringLiteral("Froid"));
    EXPECT_EQ(f.Text2->text(), QStringLiteral("GANTS HIVER"));
    // "Ajouter" again saves the family typed first.
    QTest::mouseClick(f.cmdAdd, Qt::LeftButton);
    EXPECT_TRUE(f.nouvelleFamille());
    EXPECT_TRUE(f.Text2->text().isEmpty());
    QTest::keyClicks(f.Text2, QStringLiteral("casques"));
    QTest::mouseClick(f.CmdModif, Qt::LeftButton);
    EXPECT_FALSE(f.nouvelleFamille());
    EXPECT_EQ(f.CmdModif->text(), QStringLiteral("Modifier"));

    EXPECT_EQ(colonne(f.DBGrid1, 3), (QStringList{"GANTS HIVER", "CASQUES"}));
    EXPECT_EQ(colonne(f.DBGrid1, 4), (QStringList{"Froid", ""}));
    EXPECT_EQ(inserer(QStringLiteral("SELECT COUNT(*) FROM Tailles WHERE Taille = '-'")), 2);
    EXPECT_TRUE(clesManquantes(&f).isEmpty()) << clesManquantes(&f).join(u'\n').toStdString();
    f.Unload();
}

TEST_F(FormesStockTest, FamilleChaussuresSansQuestionLesAutresApresConfirmation) {
    Global().FamilleChaussures = int(famille(QStringLiteral("CHAUSSURES"), QStringLiteral("Pieds")));
    famille(QStringLiteral("LUNETTES"));
    famille(QStringLiteral("MASQUES"));
    FenFamille f;
    f.Show();
    f.Text2->setText(QStringLiteral("BOTTES"));
    f.Text1->setText(QStringLiteral("Sécurité"));
    QTest::mouseClick(f.CmdModif, Qt::LeftButton);
    EXPECT_EQ(f.Text2->text(), QStringLiteral("CHAUSSURES"));
    EXPECT_EQ(colonne(f.DBGrid1, 4).first(), QStringLiteral("Sécurité"));
    QTest::mouseClick(f.cmdDelete, Qt::LeftButton); // no question, nothing deleted

    cliquerLigne(f.DBGrid1, 1, 3);
    const QString question = QStringLiteral("Confirmer la suppression de: LUNETTES !");
    dialogues.attendreMessage(question, Reponse::Non, QStringLiteral("Confirmation"), StyleMessage::YesNo);
    QTest::mouseClick(f.cmdDelete, Qt::LeftButton);
    dialogues.attendreMessage(question, Reponse::Oui);
    QTest::mouseClick(f.cmdDelete, Qt::LeftButton);
    EXPECT_EQ(colonne(f.DBGrid1, 3), (QStringList{"CHAUSSURES", "MASQUES"}));
    EXPECT_EQ(f.Text2->text(), QStringLiteral("MASQUES"));
    f.Unload();
}

TEST_F(FormesStockTest, FamilleErreursMontreesSaisieGardeeEtModeNouvelleFamilleSurvitALaTraduction) {
    famille(QStringLiteral("CHAUSSURES"));
    // A translated interface whose file names the modify button.
    dossier->ecrireFichier(QStringLiteral("nederlands.lng"),
                           "[FenFamille]\nCmdModif.Caption=Wijzigen\n[Grid]\nFenFamille.DBGrid1.Columns(3)."
                           "Caption=Familie\n");
    Global().LangueCourante = QStringLiteral("NL");
    Global().FichierLangue = dossier->fichier(QStringLiteral("nederlands.lng"));
    Global().Msg = MODTranslate::TextesMessages(QStringLiteral("NL"));
    FenFamille f;
    f.Show();
    QEvent activation(QEvent::WindowActivate);
    QCoreApplication::sendEvent(&f, &activation);
    EXPECT_EQ(f.CmdModif->text(), QStringLiteral("Wijzigen"));
    EXPECT_EQ(f.DBGrid1->model()->headerData(3, Qt::Horizontal).toString(), QStringLiteral("Familie"));

    QTest::mouseClick(f.cmdAdd, Qt::LeftButton);
    QTest::keyClicks(f.Text2, QStringLiteral("casques"));
    QCoreApplication::sendEvent(&f, &activation);
    EXPECT_EQ(f.CmdModif->text(), QStringLiteral("Opslaan"));

    // The first size cannot be written: neither is the family; the panel keeps it.
    base->executer(QStringLiteral("ALTER TABLE Tailles RENAME COLUMN Ordre TO Rang"));
    dialogues.attendreMessageContenant(QStringLiteral("Ordre"));
    QTest::mouseClick(f.CmdModif, Qt::LeftButton);
    EXPECT_TRUE(f.nouvelleFamille());
    EXPECT_EQ(f.Text2->text(), QStringLiteral("CASQUES"));
    EXPECT_EQ(inserer(QStringLiteral("SELECT COUNT(*) FROM Familles")), 1);
    ASSERT_FALSE(dossier->lignesJournal().isEmpty());
    EXPECT_TRUE(dossier->lignesJournal().last().startsWith(QStringLiteral("EnregisterNewFamille|")));

    base->executer(QStringLiteral("ALTER TABLE Tailles RENAME COLUMN Rang TO Ordre"));
    QTest::mouseClick(f.CmdModif, Qt::LeftButton);
    EXPECT_EQ(colonne(f.DBGrid1, 3), (QStringList{"CHAUSSURES", "CASQUES"}));

    // A modification refused by the database is shown; the form stays open with what was typed.
    base->executer(QStringLiteral("ALTER TABLE Familles RENAME COLUMN Fonction TO Role"));
    f.Text1->setText(QStringLiteral("Pieds"));
    dialogues.attendreMessageContenant(QStringLiteral("Fonction"));
    QTest::mouseClick(f.CmdModif, Qt::LeftButton);
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(f.Text1->text(), QStringLiteral("Pieds"));
    f.Unload();
}

TEST_F(FormesStockTest, TaillesAjoutDoublonRefusModificationEtFleches) {
    const qint64 gants = famille(QStringLiteral("GANTS"));
    taille(gants, QStringLiteral("T.U."), 1);
    taille(gants, QStringLiteral("M"), 2);
    taille(famille(QStringLiteral("CHAUSSURES")), QStringLiteral("42"), 1);
    FenTailles f;
    f.Show();
    ASSERT_TRUE(f.estCharge());
    EXPECT_EQ(f.Text1->text(), QStringLiteral("T.U."));
    cliquerLigne(f.DataGrid2, 1);
    EXPECT_EQ(colonne(f.DBGrid1, 0), QStringList{"42"});
    cliquerLigne(f.DataGrid2, 0);

    f.Text1->setText(QStringLiteral("XL"));
    QTest::mouseClick(f.cmdAdd, Qt::LeftButton);
    EXPECT_EQ(colonne(f.DBGrid1, 0), (QStringList{"T.U.", "M", "XL"}));
    EXPECT_EQ(f.DBGrid1->currentIndex().row(), 2);
    dialogues.attendreMessage(QStringLiteral("La taille XL  existe déjà !"), Reponse::OK,
                              QStringLiteral("Erreur"), 54);
    QTest::mouseClick(f.cmdAdd, Qt::LeftButton);
    EXPECT_TRUE(f.Text1->text().isEmpty());

    cliquerLigne(f.DBGrid1, 0);
    dialogues.attendreMessage(QStringLiteral("Suppression non autorisé !"), Reponse::OK,
                              QStringLiteral("Erreur"), 54);
    QTest::mouseClick(f.CmdDel, Qt::LeftButton);

    const QString question =
        QStringLiteral("Cette modification à une incidence sur les tailles des salariés.\nEtes vous sûr ?");
    cliquerLigne(f.DBGrid1, 1);
    f.Text1->setText(QStringLiteral("L"));
    dialogues.attendreMessage(question, Reponse::Non, QStringLiteral("Attention!"), 52);
    QTest::mouseClick(f.CmdModifier, Qt::LeftButton);
    EXPECT_EQ(f.Text1->text(), QStringLiteral("M"));
    f.Text1->setText(QStringLiteral("L"));
    dialogues.attendreMessage(question, Reponse::Oui);
    QTest::mouseClick(f.CmdModifier, Qt::LeftButton);
    EXPECT_EQ(colonne(f.DBGrid1, 0), (QStringList{"T.U.", "L", "XL"}));
    EXPECT_EQ(f.DBGrid1->currentIndex().row(), 1);

    // The moved size stays selected, also round the end; a deleted one leaves the others' orders.
    cliquerLigne(f.DBGrid1, 2);
    QTest::mouseClick(f.SpinDown, Qt::LeftButton);
    EXPECT_EQ(colonne(f.DBGrid1, 0), (QStringList{"XL", "L", "T.U."}));
    EXPECT_EQ(f.Text1->text(), QStringLiteral("XL"));
    cliquerLigne(f.DBGrid1, 1);
    QTest::mouseClick(f.CmdDel, Qt::LeftButton);
    EXPECT_EQ(colonne(f.DBGrid1, 0), (QStringList{"XL", "T.U."}));
    EXPECT_TRUE(clesManquantes(&f).isEmpty()) << clesManquantes(&f).join(u'\n').toStdString();
    f.Unload();
}
