#include "stock/forms/FrmStock.h"
#include "BaseDeTest.h"
#include "app/forms/RegistreMenu.h"
#include "common/EtatGlobal.h"
#include "common/MODTranslate.h"
#include "common/forms/Instance.h"
#include "db/Recordset.h"
#include "db/RecordsetModel.h"
#include "support/CouvertureLangues.h"
#include "support/ServiceDialogueScripte.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>
#include <memory>

namespace {

// One article row; every field may be Null.
struct Article {
    qint64 reference;
    QVariant code;
    QVariant designation = QStringLiteral("GANT NITRILE");
    QVariant refFournisseur = QStringLiteral("RF-1");
    QVariant qteEnStock = 10;
    QVariant parPaquet = 6;
    QVariant alerte = 2;
    QVariant reserveMini = 12;
    QVariant prixUnit = 2.5;
    QVariant prixPack = 15.0;
    QVariant prix = 2;
    QVariant famille = 1;
    QVariant fournisseur = 1;
};

class FrmStockTest : public TestAvecBase {
protected:
    void SetUp() override {
        TestAvecBase::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        Global().Msg = MODTranslate::TextesMessages(QStringLiteral("FR"));
        cnx().executer(QStringLiteral("INSERT INTO Familles (NomFamille) VALUES ('GANTS')"));
        cnx().executer(QStringLiteral("INSERT INTO Familles (NomFamille) VALUES ('CASQUES')"));
        cnx().executer(
            QStringLiteral("INSERT INTO Fournisseur (No, CodeFournisseur, Societe, Adresse, Ville) "
                           "VALUES (1, 'F1', 'PROTECTA', '3 rue des Forges', 'Lyon')"));
    }
    void TearDown() override {
        f.reset();
        dialogues.verifierTout();
        TestAvecBase::TearDown();
        reinitialiserEtatGlobal();
    }

    void ajouter(const Article& a) {
        cnx().executer(
            QStringLiteral(
                "INSERT INTO ArticleEnStock (Reference, CodeArticle, Designation, RefFournisseur, "
                "QteEnStock, QteParPaket, StockAlert, DelaiLivraison, PrixAchatUnit, PrixAchatGlobal, "
                "Prix, Famille, NoFournisseur) VALUES (?, CAST(? AS INT), ?, ?, CAST(? AS INT), "
                "CAST(? AS INT), CAST(? AS INT), CAST(? AS INT), CAST(? AS NUMERIC(19,4)), "
                "CAST(? AS NUMERIC(19,4)), CAST(? AS INT), CAST(? AS INT), CAST(? AS INT))"),
            {a.reference, a.code, a.designation, a.refFournisseur, a.qteEnStock, a.parPaquet, a.alerte,
             a.reserveMini, a.prixUnit, a.prixPack, a.prix, a.famille, a.fournisseur});
    }
    // `n` plain articles, references 1001 on, each carrying its own code.
    void ajouterArticles(int n) {
        TransactionEcriture t(cnx());
        for (int i = 1; i <= n; ++i) {
            Article a{1000 + i, i};
            a.designation = QStringLiteral("ARTICLE %1").arg(i, 3, 10, QLatin1Char('0'));
            a.refFournisseur = QStringLiteral("RF-%1").arg(i);
            ajouter(a);
        }
        t.valider();
    }

    void ouvrir() {
        f = std::make_unique<FrmStock>();
        f->Load();
        f->Show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(f.get()));
    }
    // Back to the form from another window, as from the main menu.
    void reactiver() {
        QWidget autre;
        autre.show();
        autre.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&autre));
        f->hide();
        f->Show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(f.get()));
    }
    // The article of that reference on the card.
    void aller(qint64 reference) {
        ASSERT_TRUE(f->RsStockGlobal->Find(QStringLiteral("Reference"), Recordset::Comparaison::Egal,
                                           reference, Recordset::Depart::Premier));
    }
    QToolButton* fleche(Qt::ArrowType sens) {
        for (QToolButton* b : f->SpinButton1->findChildren<QToolButton*>())
            if (b->arrowType() == sens)
                return b;
        return nullptr;
    }
    QString texte(int i) const { return f->Text2[i]->text(); }
    QString libelle(int i) const { return f->Label2.value(i)->text(); }

    ServiceDialogueScripte dialogues;
    std::unique_ptr<FrmStock> f;
};

} // namespace

TEST_P(FrmStockTest, CardShowsTheCurrentArticleAndTheSpinButtonWraps) {
    ajouterArticles(250);
    Article reserve{1003, 3};
    reserve.designation = QStringLiteral("ARTICLE 003");
    reserve.refFournisseur = QStringLiteral("RF-3");
    reserve.reserveMini = 27;
    reserve.qteEnStock = 5;
    reserve.alerte = 8;
    reserve.prix = 0;
    reserve.prixPack = 12.5;
    cnx().executer(QStringLiteral("DELETE FROM ArticleEnStock WHERE Reference = 1003"));
    ajouter(reserve);
    cnx().executer(QStringLiteral("UPDATE ArticleEnStock SET QteEnStock = 8, StockAlert = 8, DelaiLivraison "
                                  "= 5, Prix = 1 WHERE Reference = 1004"));
    cnx().executer(QStringLiteral("UPDATE ArticleEnStock SET StockAlert = -4 WHERE Reference = 1005"));
    ouvrir();
    EXPECT_TRUE(f->FrameFicheProduit->isHidden()) << "each activation starts in the grid";
    EXPECT_EQ(f->FrameFicheProduit->title(), QStringLiteral("Fiche produit N°: 1 / 250"));

    QToolButton* suivant = fleche(Qt::RightArrow);
    QToolButton* precedent = fleche(Qt::LeftArrow);
    ASSERT_TRUE(suivant && precedent);
    QTest::mouseClick(suivant, Qt::LeftButton);
    QTest::mouseClick(suivant, Qt::LeftButton);
    EXPECT_EQ(f->FrameFicheProduit->title(), QStringLiteral("Fiche produit N°: 3 / 250"));
    EXPECT_EQ(texte(0), QStringLiteral("1003"));
    EXPECT_EQ(texte(1), QStringLiteral("ARTICLE 003"));
    EXPECT_EQ(libelle(40), QStringLiteral("4 P + 3 U"));
    EXPECT_EQ(libelle(39), QStringLiteral("5"));
    EXPECT_EQ(libelle(37), QStringLiteral("5"));
    EXPECT_FALSE(f->LabelStockAlerte->isHidden()) << "5 in all, alert at 8";
    EXPECT_TRUE(f->Check1->isChecked());
    EXPECT_FALSE(f->Check3->isChecked());
    EXPECT_EQ(texte(9), QStringLiteral("12,5"));
    EXPECT_EQ(f->ComboBox2->currentText(), QStringLiteral("GANTS"));
    EXPECT_EQ(f->ComboBox2->currentIndex(), 0);
    EXPECT_EQ(f->ComboBox3->currentText(), QStringLiteral("PROTECTA"));
    EXPECT_EQ(texte(10), QStringLiteral("3 rue des Forges"));
    EXPECT_EQ(f->ComboBox4->currentText(), QStringLiteral("3"));
    EXPECT_FALSE(f->ComboBox4->isEnabled()) << "a code changes only through its own button";
    EXPECT_EQ(f->Command9->text(), QStringLiteral("Historique article RF-3"));
    EXPECT_EQ(f->Text2[5]->palette().color(QPalette::Text), QColor(Qt::black));
    EXPECT_EQ(f->DBGrid2->currentIndex().row(), 2) << "the grid follows the card";

    QTest::mouseClick(suivant, Qt::LeftButton);
    EXPECT_EQ(libelle(40), QStringLiteral("0 P + 5 U"));
    EXPECT_TRUE(f->LabelStockAlerte->isHidden()) << "8 in all, alert at 8";
    EXPECT_FALSE(f->Check1->isChecked());
    EXPECT_FALSE(f->Check3->isChecked());
    QTest::mouseClick(suivant, Qt::LeftButton);
    EXPECT_EQ(f->Text2[5]->palette().color(QPalette::Text), QColor(255, 0, 0)) << "a negative alert level";
    QTest::mouseClick(suivant, Qt::LeftButton);
    EXPECT_EQ(f->Text2[5]->palette().color(QPalette::Text), QColor(Qt::black));

    // Past the last article: the first; before the first: the first.
    f->RsStockGlobal->MoveLast();
    EXPECT_EQ(f->FrameFicheProduit->title(), QStringLiteral("Fiche produit N°: 250 / 250"));
    QTest::mouseClick(suivant, Qt::LeftButton);
    EXPECT_EQ(f->FrameFicheProduit->title(), QStringLiteral("Fiche produit N°: 1 / 250"));
    EXPECT_EQ(texte(0), QStringLiteral("1001"));
    QTest::mouseClick(precedent, Qt::LeftButton);
    EXPECT_EQ(texte(0), QStringLiteral("1001"));
    EXPECT_EQ(f->FrameFicheProduit->title(), QStringLiteral("Fiche produit N°: 1 / 250"));
}

TEST_P(FrmStockTest, NullFieldsLeaveTheBoxesEmpty) {
    ajouterArticles(2);
    // Its reference is the code of another article: it keeps no code at load.
    ajouter({1, QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant(),
             QVariant(), QVariant(), QVariant(), QVariant(), QVariant()});
    ouvrir();
    aller(1002);
    const QString avant = f->Command9->text();
    const QString paquets = libelle(40);
    aller(1);
    EXPECT_EQ(texte(0), QStringLiteral("1"));
    for (int i : {1, 4, 5, 7, 9, 16, 18, 10})
        EXPECT_TRUE(texte(i).isEmpty()) << i;
    EXPECT_TRUE(f->ComboBox2->currentText().isEmpty());
    EXPECT_TRUE(f->ComboBox3->currentText().isEmpty());
    EXPECT_TRUE(f->ComboBox4->currentText().isEmpty());
    EXPECT_TRUE(f->ComboBox4->isEnabled()) << "a free code can be chosen";
    EXPECT_FALSE(f->Check1->isChecked());
    EXPECT_TRUE(f->LabelStockAlerte->isHidden());
    EXPECT_EQ(f->Command9->text(), avant) << "no supplier reference: the caption stays";
    EXPECT_EQ(libelle(40), paquets);
    EXPECT_TRUE(
        cnx()
            .valeurUnique(QStringLiteral("SELECT CodeArticle FROM ArticleEnStock WHERE Reference = 1"))
            .isNull());
}

TEST_P(FrmStockTest, GridColumnsHeadersKeysAndViews) {
    ajouterArticles(3);
    Article sansCode{1010, QVariant()};
    sansCode.designation = QStringLiteral("BOUCHONS");
    sansCode.famille = 2;
    ajouter(sansCode);
    ouvrir();
    // The article without code got its reference as code at load.
    EXPECT_EQ(
        cnx()
            .valeurUnique(QStringLiteral("SELECT CodeArticle FROM ArticleEnStock WHERE Reference = 1010"))
            .toLongLong(),
        1010);
    cnx().executer(QStringLiteral("UPDATE ArticleEnStock SET CodeArticle = NULL WHERE Reference = 1010"));
    reactiver();

    RecordsetModel* m = f->ModeleStock;
    ASSERT_EQ(m->columnCount(), 12);
    EXPECT_EQ(m->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Réference"));
    EXPECT_EQ(m->headerData(11, Qt::Horizontal).toString(), QStringLiteral("Stock Alarm"));
    EXPECT_EQ(m->data(m->index(0, 6)).toString(), QStringLiteral("2,50\u00a0€"));
    EXPECT_EQ(m->data(m->index(0, 7)).toString(), QStringLiteral("25,00\u00a0€"));
    QHeaderView* entete = f->DBGrid2->horizontalHeader();
    EXPECT_EQ(entete->sectionResizeMode(7), QHeaderView::Fixed);
    EXPECT_EQ(entete->sectionResizeMode(8), QHeaderView::Interactive);
    EXPECT_FALSE(m->flags(m->index(0, 2)) & Qt::ItemIsEditable);

    // Headers: a search option, or a sort, or nothing.
    QTest::mouseClick(entete->viewport(), Qt::LeftButton, {},
                      QPoint(entete->sectionViewportPosition(5) + 5, entete->height() / 2));
    EXPECT_EQ(f->RsStockGlobal->SortField(), QStringLiteral("NomFamille"));
    EXPECT_EQ(m->data(m->index(0, 5)).toString(), QStringLiteral("CASQUES"));
    emit entete->sectionClicked(2);
    EXPECT_TRUE(f->SSOptionDesi->isChecked());
    EXPECT_EQ(f->ModeRecherche, 2);
    EXPECT_EQ(f->RsStockGlobal->SortField(), QStringLiteral("Designation"));
    emit entete->sectionClicked(7);
    EXPECT_EQ(f->RsStockGlobal->SortField(), QStringLiteral("Designation"));

    // The grid takes digits only; "@" anywhere empties and focuses the search box.
    f->RsStockGlobal->MoveFirst(); // "ARTICLE 001" in designation order
    f->DBGrid2->setFocus();
    f->DBGrid2->setCurrentIndex(m->index(0, 2));
    QTest::keyClick(f->DBGrid2, 'B');
    EXPECT_EQ(f->DBGrid2->currentIndex().row(), 0) << "the letter never reached the grid's search";
    f->TextCherche->setText(QStringLiteral("123"));
    QTest::keyClick(f->DBGrid2, '@');
    EXPECT_TRUE(f->TextCherche->text().isEmpty());
    EXPECT_TRUE(f->TextCherche->hasFocus());
    EXPECT_TRUE(f->SaisieCodeBarre);
    f->Text2[1]->setFocus();
    const QString designation = texte(1);
    f->TextCherche->setText(QStringLiteral("9"));
    QTest::keyClick(f->Text2[1], '@');
    EXPECT_EQ(texte(1), designation);
    EXPECT_TRUE(f->TextCherche->text().isEmpty());
    EXPECT_TRUE(f->TextCherche->hasFocus());

    // A double click shows that article's card; "Tableau" needs an article code.
    const QModelIndex bouchons = m->index(3, 2);
    ASSERT_EQ(m->data(bouchons).toString(), QStringLiteral("BOUCHONS"));
    QTest::mouseClick(f->DBGrid2->viewport(), Qt::LeftButton, {}, f->DBGrid2->visualRect(bouchons).center());
    QTest::mouseDClick(f->DBGrid2->viewport(), Qt::LeftButton, {}, f->DBGrid2->visualRect(bouchons).center());
    EXPECT_FALSE(f->FrameFicheProduit->isHidden());
    EXPECT_EQ(texte(0), QStringLiteral("1010"));
    dialogues.attendreMessage(
        QStringLiteral("Veuillez d'abord choisir un Code Article pour cette référence !"), Reponse::OK,
        QStringLiteral("Dorvane"), 16);
    QTest::mouseClick(f->OptionTableau, Qt::LeftButton);
    EXPECT_FALSE(f->FrameFicheProduit->isHidden());
    EXPECT_TRUE(f->OptionFiche->isChecked());
    // Coming back from a message box or another program is no activation: the card stays.
    QEvent activation(QEvent::WindowActivate);
    QCoreApplication::sendEvent(f.get(), &activation);
    EXPECT_FALSE(f->FrameFicheProduit->isHidden());
    QTest::mouseClick(fleche(Qt::RightArrow), Qt::LeftButton);
    QTest::mouseClick(f->OptionTableau, Qt::LeftButton);
    EXPECT_TRUE(f->FrameFicheProduit->isHidden());
}

TEST_P(FrmStockTest, ActivationRefreshesAndKeepsTheArticle) {
    ajouterArticles(5);
    ouvrir();
    aller(1004);
    f->SSOptionDesi->click();
    EXPECT_EQ(f->ModeRecherche, 2);
    f->OptionFiche->click();
    cnx().executer(QStringLiteral("UPDATE ArticleEnStock SET QteEnStock = 77 WHERE Reference = 1004"));
    cnx().executer(QStringLiteral("INSERT INTO EmplacementsMachine1 (NoMachine, NoEmpl, Reference, Qte) "
                                  "VALUES (1, 1, 1004, 3)"));
    reactiver();
    EXPECT_EQ(texte(0), QStringLiteral("1004"));
    EXPECT_EQ(libelle(39), QStringLiteral("77"));
    EXPECT_EQ(libelle(38), QStringLiteral("3"));
    EXPECT_EQ(libelle(37), QStringLiteral("80"));
    EXPECT_TRUE(f->FrameFicheProduit->isHidden());
    EXPECT_TRUE(f->SSOptionRef->isChecked());
    EXPECT_EQ(f->ModeRecherche, 1);
    EXPECT_EQ(f->RsStockGlobal->SortField(), QStringLiteral("Reference"));

    // Unloading closes the list and the connection.
    EXPECT_TRUE(f->Unload());
    EXPECT_FALSE(f->RsStockGlobal->IsOpen());
    EXPECT_EQ(f->connexionOuverte(), nullptr);
}

TEST_P(FrmStockTest, EmptyArticleTable) {
    ouvrir();
    EXPECT_EQ(f->ModeleStock->rowCount(), 0);
    EXPECT_EQ(f->FrameFicheProduit->title(), QStringLiteral("Fiche produit:"));
    QTest::mouseClick(fleche(Qt::RightArrow), Qt::LeftButton);
    f->OptionFiche->click();
    dialogues.attendreMessage(
        QStringLiteral("Veuillez d'abord choisir un Code Article pour cette référence !"));
    f->OptionTableau->click();
    EXPECT_FALSE(f->FrameFicheProduit->isHidden());
}

TEST_P(FrmStockTest, CodePoolFromTheForm) {
    ajouterArticles(2);
    cnx().executer(QStringLiteral("UPDATE ArticleEnStock SET CodeArticle = 3 WHERE Reference = 1002"));
    ouvrir();
    EXPECT_EQ(f->ComboBox4->count(), 0);

    f->Command2->click();
    EXPECT_FALSE(f->Frame1->isHidden());
    f->Text3->clear();
    QTest::keyClicks(f->Text3, QStringLiteral("5x0"));
    EXPECT_EQ(f->Text3->text(), QStringLiteral("50")) << "digits only";
    f->Text3->setText(QStringLiteral("50001"));
    f->Command3->click();
    EXPECT_FALSE(f->Frame1->isHidden());
    EXPECT_EQ(cnx().valeurUnique(QStringLiteral("SELECT COUNT(*) FROM CodeArticle")).toLongLong(), 0);
    f->Text3->setText(QStringLiteral("5"));
    f->Command3->click();
    EXPECT_TRUE(f->Frame1->isHidden());
    EXPECT_EQ(f->Text3->text(), QStringLiteral("99"));
    EXPECT_EQ(cnx().valeurUnique(QStringLiteral("SELECT COUNT(*) FROM CodeArticle")).toLongLong(), 5);
    // Codes 1 and 3 are the articles'.
    EXPECT_EQ(f->ComboBox4->count(), 3);
    EXPECT_EQ(f->ComboBox4->itemText(0), QStringLiteral("2"));

    // Releasing a code: refused, then confirmed.
    aller(1002);
    dialogues.attendreMessage(QStringLiteral("Confirmer la modification du code article!"), Reponse::Non,
                              QStringLiteral("Confirmation"), 4);
    f->Command7->click();
    EXPECT_EQ(f->ComboBox4->currentText(), QStringLiteral("3"));
    dialogues.attendreMessage(QStringLiteral("Confirmer la modification du code article!"), Reponse::Oui);
    f->Command7->click();
    EXPECT_TRUE(
        cnx()
            .valeurUnique(QStringLiteral("SELECT CodeArticle FROM ArticleEnStock WHERE Reference = 1002"))
            .isNull());
    EXPECT_EQ(texte(0), QStringLiteral("1002"));
    EXPECT_TRUE(f->ComboBox4->currentText().isEmpty());
    EXPECT_TRUE(f->ComboBox4->isEnabled());
    EXPECT_EQ(f->ComboBox4->findText(QStringLiteral("1")), -1);
    EXPECT_EQ(f->ComboBox4->itemText(1), QStringLiteral("3")) << "the released code is free again";
    f->Command2->click();
    f->Command4->click();
    EXPECT_TRUE(f->Frame1->isHidden());
}

TEST_P(FrmStockTest, TranslationsAndMenu) {
    std::unique_ptr<FrmStock> neuve = std::make_unique<FrmStock>();
    const QStringList manquantes = clesManquantes(neuve.get());
    EXPECT_TRUE(manquantes.isEmpty()) << manquantes.join(QLatin1Char('\n')).toStdString();

    ajouterArticles(3);
    Global().LangueCourante = QStringLiteral("NL");
    Global().FichierLangue = QStringLiteral(DORVANE_RESOURCES_DIR) + QStringLiteral("/nederlands.lng");
    Global().Msg = MODTranslate::TextesMessages(QStringLiteral("NL"));
    ouvrir();
    EXPECT_EQ(f->windowTitle(), QStringLiteral("Artikelen in voorraad"));
    EXPECT_EQ(f->FrameFicheProduit->title(), QStringLiteral("Productfiche N°: 1 / 3"));
    EXPECT_EQ(f->ModeleStock->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Referentie"));
    EXPECT_EQ(f->Command9->text(), QStringLiteral("Artikels historisch RF-1"));

    // The menu's button opens the single instance, preloaded.
    RegistreMenu& r = RegistreMenu::global();
    EXPECT_TRUE(r.boutonsPrecharges().contains(QStringLiteral("CmdStock")));
    EXPECT_EQ(r.instance(QStringLiteral("CmdStock")), &Instance<FrmStock>());
    DetruireInstance<FrmStock>();
}

DORVANE_SUR_CHAQUE_BASE(FrmStockTest);
