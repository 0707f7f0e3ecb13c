#include "stock/forms/FrmStock.h"
#include "BaseDeTest.h"
#include "app/forms/RegistreMenu.h"
#include "common/EtatGlobal.h"
#include "common/FnWendrox.h"
#include "common/MODTranslate.h"
#include "common/forms/Calendrier.h"
#include "common/forms/Instance.h"
#include "common/forms/SortieBox.h"
#include "db/Recordset.h"
#include "db/RecordsetModel.h"
#include "db/Valeurs.h"
#include "reports/forms/FenCompteRendu.h"
#include "reports/forms/FenCrystalRep.h"
#include "stock/EntreeStock.h"
#include "support/CouvertureLangues.h"
#include "support/EcransDeTest.h"
#include "support/OrdreFrancais.h"
#include "support/ServiceDialogueScripte.h"
#include "support/ServiceSessionScripte.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFont>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <tuple>

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
    QVariant taille = 1; // "S" of family 1: a complete card may be left
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
        for (const char* t : {"S", "M", "L"})
            cnx().executer(QStringLiteral("INSERT INTO Tailles (Taille, Ordre, NoFamille) VALUES (?, 1, 1)"),
                           {QLatin1String(t)});
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
                "Prix, Famille, NoFournisseur, Taille) VALUES (?, CAST(? AS INT), ?, ?, CAST(? AS INT), "
                "CAST(? AS INT), CAST(? AS INT), CAST(? AS INT), CAST(? AS NUMERIC(19,4)), "
                "CAST(? AS NUMERIC(19,4)), CAST(? AS INT), CAST(? AS INT), CAST(? AS INT), CAST(? AS INT))"),
            {a.reference, a.code, a.designation, a.refFournisseur, a.qteEnStock, a.parPaquet, a.alerte,
             a.reserveMini, a.prixUnit, a.prixPack, a.prix, a.famille, a.fournisseur, a.taille});
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
    bool jaune(int i) const {
        const QLabel* l = f->Label2.value(i);
        return l->autoFillBackground() && l->palette().color(QPalette::Window) == QColor(255, 255, 0);
    }
    QVariant champ(qint64 reference, const char* nom) {
        return cnx().valeurUnique(
            QStringLiteral("SELECT %1 FROM ArticleEnStock WHERE Reference = ?").arg(QLatin1String(nom)),
            {reference});
    }
    void suivant() { QTest::mouseClick(fleche(Qt::RightArrow), Qt::LeftButton); }
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
    ajouterArticles(5);
    // Its reference is the code of another article: it keeps no code at load.
    ajouter({1, QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant(),
             QVariant(), QVariant(), QVariant(), QVariant(), QVariant()});
    cnx().executer(QStringLiteral("UPDATE ArticleEnStock SET QteEnStock = 325, CodeBar = '3760123456789', "
                                  "DelaiLivraison = 27 WHERE Reference IN (1002, 1004)"));
    cnx().executer(QStringLiteral("INSERT INTO CodeArticle (CodeArticle) VALUES (9)"));
    const auto valeursVides = [this](const char* quand) {
        for (int i : {31, 37, 39, 40})
            EXPECT_TRUE(libelle(i).isEmpty())
                << quand << ": Label2(" << i << ") " << libelle(i).toStdString();
    };
    ouvrir();
    aller(1002);
    ASSERT_EQ(libelle(39) + u'|' + libelle(31) + u'|' + libelle(40),
              QStringLiteral("325|3760123456789|4 P + 3 U"));
    const QString avant = f->Command9->text();
    aller(1);
    valeursVides("an article without values");
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
    EXPECT_TRUE(
        cnx()
            .valeurUnique(QStringLiteral("SELECT CodeArticle FROM ArticleEnStock WHERE Reference = 1"))
            .isNull());

    // A new article shows nothing of the article shown before it, neither when added nor once saved.
    f->OptionFiche->click();
    aller(1004);
    f->CmdAjout->click();
    ASSERT_EQ(texte(0), QStringLiteral("1006"));
    valeursVides("a new article");
    f->ComboBox4->setCurrentIndex(f->ComboBox4->findText(QStringLiteral("9")));
    QTest::keyClicks(f->Text2[1], QStringLiteral("bouchons"));
    f->Text2[16]->setText(QStringLiteral("RF-9"));
    f->Text2[9]->setText(QStringLiteral("12"));
    f->ComboBox2->setCurrentIndex(0);
    f->ComboBox1->setCurrentIndex(0);
    f->ComboBox3->setCurrentIndex(0);
    f->OptionTableau->click();
    f->OptionFiche->click();
    ASSERT_EQ(champ(1006, "Designation").toString(), QStringLiteral("BOUCHONS")) << "saved";
    EXPECT_EQ(texte(0), QStringLiteral("1006"));
    valeursVides("a saved new article");
    EXPECT_TRUE(champ(1006, "QteEnStock").isNull());
    EXPECT_TRUE(champ(1006, "CodeBar").isNull());
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
    // Nor is a card without code left by the arrows.
    dialogues.attendreMessage(
        QStringLiteral("Veuillez d'abord choisir un Code Article pour cette référence !"));
    QTest::mouseClick(fleche(Qt::RightArrow), Qt::LeftButton);
    EXPECT_EQ(texte(0), QStringLiteral("1010"));
    aller(1001);
    QTest::mouseClick(f->OptionTableau, Qt::LeftButton);
    EXPECT_TRUE(f->FrameFicheProduit->isHidden());
}

// Every sorting header orders its column as the collator compares (accents, case, blanks, Null first),
// numbers as numbers; a sort again by a text column makes no key again.
TEST_P(FrmStockTest, HeaderSortsOrderAsTheCollatorComparesAndKeepTheirKeys) {
    cnx().executer(QStringLiteral("UPDATE Familles SET NomFamille = 'Émile' WHERE NomFamille = 'GANTS'"));
    cnx().executer(QStringLiteral("INSERT INTO Familles (NomFamille) VALUES (' Eric')"));
    const QVariantList textes{QStringLiteral("Élodie"),
                              QStringLiteral("elodie"),
                              QStringLiteral("Émile"),
                              QStringLiteral("Eric"),
                              QVariant(QMetaType::fromType<QString>()),
                              QStringLiteral("Eric ")};
    for (int i = 0; i < textes.size(); ++i) {
        Article a{2000 + (i * 7) % 6, 50 - i};
        a.designation = textes.at(i);
        a.refFournisseur = textes.at((i + 2) % textes.size());
        a.famille = 1 + i % 3;
        a.prixUnit = i % 4 == 1 ? QVariant() : QVariant(1.5 * (i % 3));
        a.qteEnStock = 5 - i;
        ajouter(a);
    }
    ouvrir();
    f->OptionTableau->click();
    Recordset& rs = *f->RsStockGlobal;
    const auto montres = [&](int c) {
        QStringList l;
        for (int i = 0; i < rs.RecordCount(); ++i)
            l << texteOuNul(rs.ValueAt(i, c));
        return l;
    };
    QHeaderView* entete = f->DBGrid2->horizontalHeader();
    for (const int colonne : {2, 1, 5, 0, 4, 6, 8, 9, 10, 11, 2, 5}) {
        emit entete->sectionClicked(colonne);
        const int c = rs.FieldIndex(f->ModeleStock->champ(colonne));
        QVariantList valeurs;
        bool texte = false;
        for (int i = 0; i < rs.RecordCount(); ++i) {
            valeurs << rs.ValueAt(i, c);
            texte = texte || valeurs.last().metaType().id() == QMetaType::QString;
        }
        if (texte) {
            EXPECT_EQ(montres(c), ordreFrancais(valeurs)) << colonne;
        } else {
            for (int i = 1; i < valeurs.size(); ++i)
                EXPECT_TRUE(
                    valeurs.at(i - 1).isNull() ||
                    (!valeurs.at(i).isNull() && valeurs.at(i - 1).toDouble() <= valeurs.at(i).toDouble()))
                    << colonne;
        }
    }
    // Designations, suppliers' references and families: their texts, each key made once.
    EXPECT_EQ(rs.TravailFait().clesCalculees, 5 + 5 + 6);
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

TEST_P(FrmStockTest, OpenedItReadsItsListOnceAndEachLaterShowingReadsTheQuantitiesAgain) {
    ajouterArticles(3);
    int lectures = 0;
    Connexion::setSuiviRequetes([&](const QString& sql) {
        if (sql.contains(QLatin1String("StockGlobal"), Qt::CaseInsensitive))
            ++lectures;
    });
    struct Fin {
        ~Fin() { Connexion::setSuiviRequetes(nullptr); }
    } fin;
    const auto entree = [this](int qte) {
        EntreeStock::Mouvement m;
        m.reference = 1001;
        m.qte = qte;
        m.jour = QDate::currentDate();
        ASSERT_TRUE(EntreeStock::entrerStock(cnx(), m));
    };
    const auto montrer = [this] {
        f->Show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(f.get()));
    };

    // Opened as the menu opens an unloaded form: the load reads the list, the activation does not, with
    // nothing written meanwhile (on PostgreSQL, by anyone on the server: other tests may write).
    f = std::make_unique<FrmStock>();
    montrer();
    if (GetParam() == Moteur::SQLite)
        EXPECT_EQ(lectures, 1);
    else
        EXPECT_LE(lectures, 2);
    EXPECT_EQ(libelle(39), QStringLiteral("10"));
    EXPECT_EQ(f->ComboBox1->currentText(), QStringLiteral("S")) << "the card filled over the lists";

    // A stock entry elsewhere, then the form again: read again.
    entree(5);
    lectures = 0;
    reactiver();
    EXPECT_EQ(lectures, 1);
    EXPECT_EQ(libelle(39), QStringLiteral("15"));

    // Loaded beforehand as the main window loads it, shown later: the quantities of the showing.
    QWidget principale;
    const auto fermer = [&] {
        ASSERT_TRUE(f->Unload());
        principale.show();
        principale.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&principale));
    };
    fermer();
    f->Load();
    QApplication::processEvents();
    {
        // Another workstation's entry: nothing this program runs.
        QSqlQuery q(cnx().db());
        ASSERT_TRUE(q.exec(
            QStringLiteral("UPDATE ArticleEnStock SET QteEnStock = QteEnStock + 5 WHERE Reference = 1001")));
    }
    lectures = 0;
    montrer();
    EXPECT_EQ(lectures, 1);
    EXPECT_EQ(libelle(39), QStringLiteral("20"));
    // Loaded, a stock entry at once, shown: no event loop between, read again all the same.
    fermer();
    f->Load();
    entree(5);
    lectures = 0;
    montrer();
    EXPECT_EQ(lectures, 1);
    EXPECT_EQ(libelle(39), QStringLiteral("25"));
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

TEST_P(FrmStockTest, KeyFiltersAndTheComputationsOnLeavingABox) {
    ajouterArticles(2);
    ouvrir();
    f->OptionFiche->click();
    aller(1001);
    ASSERT_FALSE(f->FicheModifiee);
    f->Text2[4]->setFocus();
    f->Text2[4]->clear();
    QTest::keyClick(f->Text2[4], 'a');
    EXPECT_TRUE(f->FicheModifiee) << "a refused key marks the card too";
    QTest::keyClicks(f->Text2[4], QStringLiteral("4-,"));
    EXPECT_EQ(texte(4), QStringLiteral("4"));
    f->Text2[9]->setText(QStringLiteral("10"));
    f->Text2[5]->setFocus();
    EXPECT_EQ(texte(7), QStringLiteral("2,50")) << "10 a pack of 4";
    f->Text2[5]->clear();
    QTest::keyClicks(f->Text2[5], QStringLiteral("-3x"));
    EXPECT_EQ(texte(5), QStringLiteral("-3"));
    f->Text2[1]->clear();
    QTest::keyClicks(f->Text2[1], QStringLiteral("gant d'hiver 100%"));
    EXPECT_EQ(texte(1), QStringLiteral("GANT D'HIVER 100%"));

    // Prices: letters refused, "." typed as the separator; Enter leaves the box.
    f->Text2[9]->setFocus();
    f->Text2[9]->clear();
    QTest::keyClicks(f->Text2[9], QStringLiteral("1x2.5"));
    EXPECT_EQ(texte(9), QStringLiteral("12,5"));
    QTest::keyClick(f->Text2[9], Qt::Key_Return);
    EXPECT_TRUE(f->OptionFiche->hasFocus());
    EXPECT_EQ(texte(7), QStringLiteral("3,13"));
    f->Text2[7]->setFocus();
    f->Text2[7]->setText(QStringLiteral("2,555"));
    f->Text2[1]->setFocus();
    EXPECT_EQ(texte(9), QStringLiteral("10,24")) << "4 x 2,56";
    Global().SeparateurDecimal = QStringLiteral(".");
    f->Text2[7]->clear();
    QTest::keyClicks(f->Text2[7], QStringLiteral("1,5"));
    EXPECT_EQ(texte(7), QStringLiteral("1.5"));
}

TEST_P(FrmStockTest, LeavingTheCardChecksItThenSavesItWhole) {
    ajouterArticles(2);
    cnx().executer(QStringLiteral("INSERT INTO CodeArticle (CodeArticle) VALUES (1), (2), (3), (4)"));
    cnx().executer(
        QStringLiteral("INSERT INTO ConfigMachines (NoMachine, Etage, ReferenceArticle, CodeArticle, "
                       "Designation) VALUES (1, 1, 1002, 2, 'ANCIEN')"));
    ouvrir();
    cnx().executer(QStringLiteral(
        "UPDATE ArticleEnStock SET CodeArticle = NULL, Famille = NULL WHERE Reference = 1002"));
    reactiver();
    f->OptionFiche->click();
    aller(1002);
    f->Text2[1]->clear();

    // The code first, then the boxes in their order; nothing moves.
    const QString msg12 = QStringLiteral("Veuillez d'abord choisir un Code Article pour cette référence !");
    const QString msg15 = QStringLiteral("Veuillez compléter le champ en jaune !");
    dialogues.attendreMessage(msg12, Reponse::OK, QStringLiteral("Dorvane"), StyleMessage::Critique);
    suivant();
    EXPECT_EQ(texte(0), QStringLiteral("1002"));
    EXPECT_TRUE(jaune(6));
    f->ComboBox4->showPopup();
    f->ComboBox4->hidePopup();
    EXPECT_FALSE(jaune(6));
    EXPECT_TRUE(f->FicheModifiee);
    f->ComboBox4->setCurrentIndex(f->ComboBox4->findText(QStringLiteral("3")));
    dialogues.attendreMessage(msg15, Reponse::OK, QStringLiteral("Dorvane"), StyleMessage::Critique);
    suivant();
    EXPECT_TRUE(jaune(1));
    EXPECT_TRUE(f->Text2[1]->hasFocus());
    QTest::keyClicks(f->Text2[1], QStringLiteral("gant d'hiver 100%"));
    EXPECT_FALSE(jaune(1));

    // Sizes are a family's.
    dialogues.attendreMessage(QStringLiteral("Veuillez d'abord sélectionner la famille !"), Reponse::OK,
                              std::nullopt, StyleMessage::Exclamation);
    f->ComboBox1->showPopup();
    EXPECT_TRUE(f->ComboBox1->currentText().isEmpty());
    EXPECT_TRUE(f->ComboBox2->hasFocus());
    f->ComboBox2->showPopup();
    f->ComboBox2->hidePopup();
    f->ComboBox2->setCurrentIndex(0);
    ASSERT_EQ(f->ComboBox1->count(), 3);
    f->ComboBox1->setCurrentIndex(f->ComboBox1->findText(QStringLiteral("L")));
    f->Check1->click();
    f->Check3->click();
    suivant();
    EXPECT_EQ(texte(0), QStringLiteral("1001")) << "saved, then moved";
    EXPECT_FALSE(f->FicheModifiee);
    EXPECT_EQ(champ(1002, "Designation").toString(), QStringLiteral("GANT D'HIVER 100%"));
    EXPECT_EQ(champ(1002, "CodeArticle").toLongLong(), 3);
    EXPECT_EQ(champ(1002, "Famille").toLongLong(), 1);
    EXPECT_EQ(champ(1002, "Taille").toLongLong(), 3);
    EXPECT_EQ(champ(1002, "Prix").toLongLong(), 0) << "both boxes ticked";
    QSqlQuery q = cnx().executer(QStringLiteral("SELECT CodeArticle, Designation FROM ConfigMachines"));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toLongLong(), 3);
    EXPECT_EQ(q.value(1).toString(), QStringLiteral("GANT D'HIVER 100%"));
    q.finish();

    // Only "Commande Possible", then neither.
    aller(1002);
    f->Check1->click();
    f->Check3->click();
    suivant();
    EXPECT_EQ(champ(1002, "Prix").toLongLong(), 2);
    aller(1002);
    f->Check3->click();
    suivant();
    EXPECT_EQ(champ(1002, "Prix").toLongLong(), 1);
}

TEST_P(FrmStockTest, AFailedSaveKeepsTheCardAndWhatWasTyped) {
    ajouterArticles(2);
    ouvrir();
    f->OptionFiche->click();
    aller(1001);
    cnx().executer(QStringLiteral("ALTER TABLE ConfigMachines RENAME TO ConfigMachinesAbsente"));
    f->Text2[1]->setFocus();
    f->Text2[1]->end(false);
    QTest::keyClicks(f->Text2[1], QStringLiteral(" bis"));
    f->Text2[7]->setText(QStringLiteral("9,99"));
    dialogues.attendreMessageContenant(QStringLiteral("achines"));
    suivant();
    EXPECT_EQ(texte(0), QStringLiteral("1001"));
    EXPECT_EQ(texte(1), QStringLiteral("ARTICLE 001 BIS"));
    EXPECT_EQ(texte(7), QStringLiteral("9,99"));
    EXPECT_TRUE(f->FicheModifiee);
    EXPECT_EQ(champ(1001, "Designation").toString(), QStringLiteral("ARTICLE 001")) << "nothing written";
    EXPECT_DOUBLE_EQ(champ(1001, "PrixAchatUnit").toDouble(), 2.5);
    // Nor is the form closed.
    dialogues.attendreMessageContenant(QStringLiteral("achines"));
    f->cmdClose->click();
    EXPECT_TRUE(f->isVisible());
    // A box without a number is refused before anything is written.
    f->Text2[9]->setText(QStringLiteral("1,2,3"));
    dialogues.attendreMessage(QStringLiteral("Veuillez compléter le champ en jaune !"));
    suivant();
    EXPECT_TRUE(jaune(23));
    EXPECT_TRUE(f->Text2[9]->hasFocus());

    cnx().executer(QStringLiteral("ALTER TABLE ConfigMachinesAbsente RENAME TO ConfigMachines"));
    f->Text2[9]->setText(QStringLiteral("40"));
    suivant();
    EXPECT_EQ(texte(0), QStringLiteral("1002"));
    EXPECT_EQ(champ(1001, "Designation").toString(), QStringLiteral("ARTICLE 001 BIS"));
    EXPECT_DOUBLE_EQ(champ(1001, "PrixAchatUnit").toDouble(), 9.99);

    // A free code chosen on the card, given to another article by another workstation meanwhile.
    cnx().executer(QStringLiteral("UPDATE ArticleEnStock SET CodeArticle = NULL WHERE Reference = 1002"));
    cnx().executer(QStringLiteral("INSERT INTO CodeArticle (CodeArticle) VALUES (5)"));
    reactiver();
    f->OptionFiche->click();
    aller(1002);
    f->ComboBox4->setCurrentIndex(f->ComboBox4->findText(QStringLiteral("5")));
    QTest::keyClicks(f->Text2[1], QStringLiteral(" X"));
    cnx().executer(QStringLiteral("UPDATE ArticleEnStock SET CodeArticle = 5 WHERE Reference = 1001"));
    dialogues.attendreMessageContenant(QStringLiteral("Le code article 5 vient d'être attribué"));
    suivant();
    EXPECT_EQ(texte(0) + texte(1) + f->ComboBox4->currentText(), QStringLiteral("1002ARTICLE 002 X5"));
    EXPECT_LT(f->ComboBox4->findText(QStringLiteral("5")), 0) << "no longer offered";
    EXPECT_TRUE(champ(1002, "CodeArticle").isNull());
}

// On the smallest screen the card scrolls: it still behaves as the full-size card.
TEST_P(FrmStockTest, OnASmallScreenClicksLeaveTheFocusAndTheScrolledCardFollowsIt) {
    QScreen* petit = ecranDeTest("2 1024x768");
    if (!petit)
        GTEST_SKIP() << "needs the test screens of the offscreen platform";
    ajouterArticles(2);
    f = std::make_unique<FrmStock>();
    f->Load();
    // The card fits 1024 x 768 in every language; with a larger font it does not (measured at the show,
    // the card showing).
    QFont police = f->font();
    police.setPointSizeF(police.pointSizeF() * 1.5);
    f->setFont(police);
    f->OptionFiche->click();
    f->move(petit->geometry().topLeft() + QPoint(10, 10));
    f->Show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(f.get()));
    auto* defilement = f->findChild<QScrollArea*>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_NE(defilement, nullptr);
    f->OptionFiche->click();
    aller(1001);
    QWidget* contenu = defilement->widget();
    const auto decale = [&] {
        return defilement->horizontalScrollBar()->value() + defilement->verticalScrollBar()->value();
    };
    const auto auDebut = [&] {
        defilement->horizontalScrollBar()->setValue(0);
        defilement->verticalScrollBar()->setValue(0);
    };

    // Clicks on what takes no focus: the pack price keeps the focus and what was typed, unformatted.
    f->Text2[9]->setFocus();
    f->Text2[9]->selectAll();
    QTest::keyClicks(f->Text2[9], QStringLiteral("40"));
    f->Text2[7]->setText(QStringLiteral("9,99"));
    int sorties = 0;
    f->Text2[9]->installEventFilter(new SortieBox(f->Text2[9], [&] { ++sorties; }));
    QPoint vide;
    for (int y = 0; y < defilement->viewport()->height() && vide.isNull(); y += 4)
        for (int x = 0; x < defilement->viewport()->width() && vide.isNull(); x += 4)
            if (const QPoint p = contenu->mapFrom(defilement->viewport(), QPoint(x, y)); !contenu->childAt(p))
                vide = p;
    ASSERT_FALSE(vide.isNull()) << "no empty space in sight";
    QTest::mouseClick(contenu, Qt::LeftButton, {}, vide);
    defilement->ensureWidgetVisible(f->Label2.value(23));
    QTest::mouseClick(f->Label2.value(23), Qt::LeftButton);
    EXPECT_EQ(texte(7), QStringLiteral("9,99"));
    // The arrows leave the card as typed: 9.99 saved, not 40 / 6.
    defilement->ensureWidgetVisible(f->SpinButton1);
    suivant();
    EXPECT_EQ(texte(0), QStringLiteral("1002"));
    EXPECT_DOUBLE_EQ(champ(1001, "PrixAchatUnit").toDouble(), 9.99);
    QTest::mouseClick(fleche(Qt::LeftArrow), Qt::LeftButton);
    EXPECT_EQ(texte(0) + texte(7) + texte(9), QStringLiteral("10019,9940"));
    EXPECT_TRUE(f->Text2[9]->hasFocus());
    EXPECT_EQ(sorties, 0);

    // Keys a box leaves do not scroll the card, nor does the wheel a control leaves unused (a disabled
    // combo); the wheel over a label does.
    auDebut();
    QTest::keyClick(f->Text2[9], Qt::Key_PageDown);
    const QPoint pas = defilement->verticalScrollBar()->maximum() > 0 ? QPoint(0, -120) : QPoint(-120, 0);
    const auto molette = [&](QWidget* sous) {
        const QPointF ici = sous->mapTo(defilement->viewport(), QPointF(2, 2));
        QWheelEvent e(ici, defilement->viewport()->mapToGlobal(ici), {}, pas, Qt::NoButton, {},
                      Qt::NoScrollPhase, false);
        QApplication::sendEvent(defilement->viewport(), &e);
    };
    ASSERT_FALSE(f->ComboBox4->isEnabled());
    molette(f->ComboBox4);
    EXPECT_EQ(decale(), 0);
    molette(f->Label2.value(23));
    EXPECT_GT(decale(), 0);

    // Every control of the card reached by Tab, or moved to by Enter, is brought into view.
    f->Text2[0]->setFocus();
    auDebut();
    bool defile = false;
    for (int i = 0; i < 40; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* focus = QApplication::focusWidget();
        if (focus == f->DBGrid2) // larger than the window: it keeps Tab for its cells
            break;
        EXPECT_TRUE(enVue(focus, f.get())) << focus->objectName().toStdString();
        defile = defile || decale() > 0;
    }
    EXPECT_TRUE(defile) << "some control to tab to out of sight";
    defilement->ensureWidgetVisible(f->Text2[9]);
    QTest::keyClick(f->Text2[9], Qt::Key_Return);
    EXPECT_TRUE(f->OptionFiche->hasFocus());
    EXPECT_TRUE(enVue(f->OptionFiche, f.get()));
}

TEST_P(FrmStockTest, AddingDeletingBarCodeReturnsAndClosing) {
    Global().OptionAvecRetour = true;
    ouvrir();
    f->CmdAjout->click();
    EXPECT_EQ(texte(0), QStringLiteral("1000")) << "empty table";
    EXPECT_FALSE(f->FrameFicheProduit->isHidden());
    EXPECT_TRUE(f->Text2[1]->hasFocus());
    EXPECT_EQ(champ(1000, "Image").toString(), QStringLiteral("aavierge"));
    EXPECT_EQ(Valeurs::lireDate(champ(1000, "DateCreation")), QDateTime(QDate::currentDate(), QTime(0, 0)));
    ajouter({1234, 57});
    cnx().executer(QStringLiteral("INSERT INTO CodeArticle (CodeArticle, Reference) VALUES (57, 1234)"));
    f->CmdAjout->click();
    EXPECT_EQ(texte(0), QStringLiteral("1235"));

    // The bar code is written alone: what is typed on the card stays.
    aller(1234);
    f->Text2[1]->setFocus();
    f->Text2[1]->end(false);
    QTest::keyClicks(f->Text2[1], QStringLiteral(" neuf"));
    dialogues.attendreSaisie(QStringLiteral("Veuillez scanner le Code EAN !"),
                             QStringLiteral("@3760123456789"));
    f->CmdCodeBar->click();
    EXPECT_EQ(dialogues.appels().last().titre, QStringLiteral("Code à Bar"));
    EXPECT_EQ(champ(1234, "CodeBar").toString(), QStringLiteral("3760123456789"));
    EXPECT_EQ(libelle(31), QStringLiteral("3760123456789"));
    EXPECT_EQ(texte(1), QStringLiteral("GANT NITRILE NEUF"));
    EXPECT_TRUE(f->FicheModifiee);

    // Deleting (the card saved first): refused, then confirmed; the code goes back to the pool.
    const QString question = QStringLiteral("Confirmer la suppression de l'article!");
    dialogues.attendreMessage(question, Reponse::Non, QStringLiteral("Confirmation"), StyleMessage::YesNo);
    f->cmdDelete->click();
    EXPECT_EQ(champ(1234, "Designation").toString(), QStringLiteral("GANT NITRILE NEUF"));
    dialogues.attendreMessage(question, Reponse::Oui);
    f->cmdDelete->click();
    EXPECT_TRUE(champ(1234, "Reference").isNull());
    EXPECT_TRUE(cnx()
                    .valeurUnique(QStringLiteral("SELECT Reference FROM CodeArticle WHERE CodeArticle = 57"))
                    .isNull());
    EXPECT_GE(f->ComboBox4->findText(QStringLiteral("57")), 0);
    EXPECT_EQ(f->ModeleStock->rowCount(), 2);

    // The returnable articles only, and back.
    cnx().executer(QStringLiteral("UPDATE ArticleEnStock SET Prix = 0 WHERE Reference = 1235"));
    f->Check2->click();
    EXPECT_EQ(f->ModeleStock->rowCount(), 1);
    EXPECT_EQ(texte(0), QStringLiteral("1235"));
    f->Check2->click();
    EXPECT_EQ(f->ModeleStock->rowCount(), 2);

    // "Fermer": the picture folder is written only once one was chosen, even when the card stays.
    Global().CheminIni = QDir(base().dossier()).filePath(QStringLiteral("automat.ini"));
    FnWendrox::EcrireIniString(Global().CheminIni, QStringLiteral("Base de donnée"),
                               QStringLiteral("Chemin Image"), QStringLiteral("/srv/images"));
    auto dossierImages = [] {
        return FnWendrox::LireIniString(Global().CheminIni, QStringLiteral("Base de donnée"),
                                        QStringLiteral("Chemin Image"), QString());
    };
    const QString msg12 = QStringLiteral("Veuillez d'abord choisir un Code Article pour cette référence !");
    dialogues.attendreMessage(msg12);
    f->cmdClose->click();
    EXPECT_EQ(dossierImages(), QStringLiteral("/srv/images"));
    EXPECT_TRUE(f->isVisible());
    f->DossierImages = QStringLiteral("/srv/photos");
    f->DossierImagesChoisi = true;
    dialogues.attendreMessage(msg12);
    f->cmdClose->click();
    EXPECT_EQ(dossierImages(), QStringLiteral("/srv/photos"));
    cnx().executer(QStringLiteral("UPDATE ArticleEnStock SET CodeArticle = Reference, Designation = 'X', "
                                  "RefFournisseur = 'R', PrixAchatGlobal = 1, Famille = 1, Taille = 1, "
                                  "NoFournisseur = 1"));
    f->RsStockGlobal->Requery();
    QTest::keyClicks(f->Text2[1], QStringLiteral("y"));
    f->cmdClose->click();
    EXPECT_FALSE(f->isVisible());
    EXPECT_FALSE(f->OptionFiche->isChecked());
    EXPECT_EQ(champ(1000, "Designation").toString(), QStringLiteral("XY")) << "saved on the way out";
}

TEST_P(FrmStockTest, StockEntry) {
    ajouterArticles(3);
    cnx().executer(
        QStringLiteral("UPDATE ArticleEnStock SET QteEnStock = 12, QteParPaket = 5 WHERE Reference = 1002"));
    auto mouvements = [this] {
        return Valeurs::lireEntier(cnx().valeurUnique(QStringLiteral("SELECT COUNT(*) FROM MouvementStock")));
    };
    ouvrir();
    f->OptionFiche->click();
    aller(1002);
    f->CmdEntreStock->click();
    EXPECT_FALSE(f->FrmEntreStock->isHidden());
    EXPECT_TRUE(f->Text2[3]->hasFocus());
    QTest::keyClicks(f->Text2[3], QStringLiteral("4x"));
    EXPECT_EQ(f->Label4->text(), QStringLiteral("TOTAL: 4 x 5 = 20"));
    QTest::keyClicks(f->Text1, QStringLiteral("Livraison d'avril"));
    f->CmdOkStock->click();
    EXPECT_TRUE(f->FrmEntreStock->isHidden());
    EXPECT_TRUE(f->cmdClose->hasFocus());
    EXPECT_EQ(texte(0), QStringLiteral("1002"));
    EXPECT_EQ(libelle(39), QStringLiteral("32"));
    EXPECT_EQ(champ(1002, "QteEnStock").toLongLong(), 32);
    QSqlQuery q = cnx().executer(QStringLiteral("SELECT Qte, NomFournisseur, RefProduit, RefFournisseur, "
                                                "Designation, Commentaire FROM MouvementStock"));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toLongLong(), 20);
    EXPECT_EQ(q.value(1).toString(), QStringLiteral("PROTECTA"));
    EXPECT_EQ(q.value(2).toLongLong(), 1002);
    EXPECT_EQ(q.value(3).toString(), QStringLiteral("RF-2"));
    EXPECT_EQ(q.value(4).toString(), QStringLiteral("ARTICLE 002"));
    EXPECT_EQ(q.value(5).toString(), QStringLiteral("Livraison d'avril"));
    q.finish();

    // An empty count books nothing and keeps the article.
    aller(1003);
    f->CmdEntreStock->click();
    f->CmdOkStock->click();
    EXPECT_TRUE(f->FrmEntreStock->isHidden());
    EXPECT_EQ(texte(0), QStringLiteral("1003"));
    EXPECT_EQ(mouvements(), 1);

    // Too many: the message while typing and at OK; nothing written, the frame stays.
    const QString msg37 = QStringLiteral("Quantité trop grande!");
    f->CmdEntreStock->click();
    dialogues.attendreMessage(msg37, Reponse::OK, std::nullopt, StyleMessage::Critique);
    f->Text2[3]->setText(QStringLiteral("999999999"));
    dialogues.attendreMessage(msg37, Reponse::OK, std::nullopt, StyleMessage::Critique);
    f->CmdOkStock->click();
    EXPECT_FALSE(f->FrmEntreStock->isHidden());
    EXPECT_EQ(mouvements(), 1);

    // The journal refuses its row: the reserve stays as it was.
    cnx().executer(QStringLiteral("ALTER TABLE MouvementStock RENAME TO MouvementStockAbsent"));
    f->Text2[3]->setText(QStringLiteral("2"));
    EXPECT_EQ(f->Label4->text(), QStringLiteral("TOTAL: 2 x 6 = 12"));
    dialogues.attendreMessageContenant(QStringLiteral("ouvement"));
    f->CmdOkStock->click();
    EXPECT_FALSE(f->FrmEntreStock->isHidden());
    EXPECT_EQ(champ(1003, "QteEnStock").toLongLong(), 10);
    f->CmdAnnulStock->click();
    EXPECT_TRUE(f->FrmEntreStock->isHidden());
}

TEST_P(FrmStockTest, SearchBoxFromTheCurrentRowAndBarCodes) {
    const char* const designations[] = {"CASQUE", "GANT CUIR", "LUNETTES", "GANT NITRILE"};
    for (int i = 0; i < 4; ++i) {
        Article a{1001 + i, i + 1};
        a.designation = QString::fromUtf8(designations[i]);
        ajouter(a);
    }
    cnx().executer(QStringLiteral("UPDATE ArticleEnStock SET CodeBar = '3760123' WHERE Reference = 1003"));
    ouvrir();
    auto ici = [this] { return f->RsStockGlobal->Field(QStringLiteral("Reference")).toLongLong(); };
    auto taper = [this](const char* t) {
        f->TextCherche->clear();
        QTest::keyClicks(f->TextCherche, QString::fromUtf8(t));
    };
    f->SSOptionDesi->click();
    f->Command5->click();
    taper("gan");
    EXPECT_EQ(ici(), 1002);
    f->Command6->click();
    taper("gan");
    EXPECT_EQ(ici(), 1003) << "nothing from the last row (LUNETTES) on: the list stays";

    // By reference letters cannot be typed; "@", the code and Enter search the bar codes, then the
    // options' column applies again.
    f->SSOptionRef->click();
    f->Command5->click();
    taper("10a03");
    EXPECT_EQ(f->TextCherche->text(), QStringLiteral("1003"));
    f->SSOptionDesi->click();
    f->Command5->click();
    QTest::keyClick(f->DBGrid2, '@');
    QTest::keyClicks(f->TextCherche, QStringLiteral("3760"));
    EXPECT_EQ(ici(), 1003);
    EXPECT_EQ(f->TextCherche->text(), QStringLiteral("3760"));
    QTest::keyClick(f->TextCherche, Qt::Key_Return);
    f->Command5->click();
    taper("gant n");
    EXPECT_EQ(ici(), 1004);

    // From a changed card the card is saved before the list moves; a click empties the box and shows
    // the grid.
    f->OptionFiche->click();
    aller(1001);
    QTest::keyClicks(f->Text2[1], QStringLiteral(" bis"));
    taper("gant c");
    EXPECT_EQ(ici(), 1002);
    EXPECT_EQ(champ(1001, "Designation").toString(), QStringLiteral("CASQUE BIS"));
    QTest::mouseClick(f->TextCherche, Qt::LeftButton);
    EXPECT_TRUE(f->FrameFicheProduit->isHidden());
    EXPECT_TRUE(f->TextCherche->text().isEmpty());
}

TEST_P(FrmStockTest, PickerAnswersMachineAndProfileCallers) {
    ajouterArticles(3);
    ServiceSessionScripte session;
    f = std::make_unique<FrmStock>();
    f->Load();
    cnx().executer(QStringLiteral("UPDATE ArticleEnStock SET CodeArticle = NULL WHERE Reference = 1002"));
    QWidget appelant;
    std::function<void()> utilisateur;
    session.surModal([&](QObject*) {
        f->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(f.get()));
        utilisateur();
        f->hide();
    });

    // A machine form: an article without code is refused and the picker stays.
    Global().ConfigMachineOuverte = true;
    utilisateur = [&] {
        aller(1002);
        dialogues.attendreMessage(QStringLiteral("Pas de code article attribué.\nOpération annulée !"),
                                  Reponse::OK, std::nullopt, StyleMessage::Exclamation);
        f->CmdSelectioner->click();
        EXPECT_TRUE(f->isVisible());
        aller(1003);
        f->CmdSelectioner->click();
    };
    ChoixArticle c = f->ChoisirArticle(&appelant, {true, false});
    EXPECT_EQ(c.nature, ChoixArticle::Nature::Article);
    EXPECT_EQ(std::tuple(c.codeArticle, c.reference, c.designation, c.refFournisseur),
              std::tuple(3, 1003, QStringLiteral("ARTICLE 003"), QStringLiteral("RF-3")));
    utilisateur = [&] { f->CmdSelectionerVide->click(); };
    c = f->ChoisirArticle(&appelant, {true, false});
    EXPECT_EQ(c.nature, ChoixArticle::Nature::Vide);
    EXPECT_EQ(std::tuple(c.codeArticle, c.reference, c.designation, c.refFournisseur),
              std::tuple(0, 0, QString(), QStringLiteral("0")));
    utilisateur = [&] { f->cmdClose->click(); };
    EXPECT_EQ(f->ChoisirArticle(&appelant).nature, ChoixArticle::Nature::Aucun);

    // The profile form takes an article without code (here by a double click).
    Global().ConfigMachineOuverte = false;
    Global().FenQuotaOuverte = true;
    utilisateur = [&] {
        aller(1002);
        emit f->DBGrid2->doubleClicked(f->DBGrid2->currentIndex());
    };
    c = f->ChoisirArticle(&appelant, {false, true});
    EXPECT_EQ(std::tuple(c.nature, c.reference, c.codeArticle),
              std::tuple(ChoixArticle::Nature::Article, 1002, 0));

    // The caller closes: the normal form, searching by designation unless by reference.
    f->SSOptionRefFour->click();
    f->DBGridStockVisible();
    EXPECT_TRUE(f->CmdSelectioner->isHidden());
    EXPECT_FALSE(f->CmdAjout->isHidden());
    EXPECT_EQ(f->ModeRecherche, 2);
}

DORVANE_SUR_CHAQUE_BASE(FrmStockTest);

// The period buttons, the alert prompt and its computation, and the article history through the viewer.
TEST_P(FrmStockTest, AlertsAndArticleHistory) {
    ajouterArticles(2);
    cnx().executer(QStringLiteral("UPDATE ArticleEnStock SET StockAlert = 50, DelaiLivraison = NULL"));
    cnx().executer(QStringLiteral("UPDATE InfoSociete SET NOM = 'Société Élan'"));
    const QDate hier = QDate::currentDate().addDays(-1);
    const auto retrait = [&](qint64 reference, int machine, const char* nom, int qte) {
        const QVariant num = cnx().valeurUnique(
            QStringLiteral("INSERT INTO Ventes (LaDate, Utilisateur, Nom, Prenom) VALUES (?, ?, ?, 'Jo') "
                           "RETURNING NumVente"),
            {Valeurs::valeurDate(QDateTime(hier, QTime(10, 0))), QLatin1String(nom), QLatin1String(nom)});
        cnx().executer(QStringLiteral("INSERT INTO DetailVente (NumVente, Reference, Designation, Quantite, "
                                      "NomFamille, NoMachine) VALUES (?, ?, 'ARTICLE 001', ?, 'GANTS', ?)"),
                       {num, reference, qte, machine});
    };
    retrait(1001, 3, "MARTIN", 31);
    retrait(1001, 4, "DURAND", 62);
    retrait(1001, 7, "LEROY", 5);
    Global().ClientOrmax = true;
    Global().CheminRapports = QStringLiteral(DORVANE_RESOURCES_DIR "/RPT SQL/");
    QTemporaryDir dossier;
    Global().CheminIni = dossier.filePath(QStringLiteral("automat.ini"));
    ServiceSessionScripte session;
    ouvrir();

    // Without a period: the history reads nothing, the prompt offers the last 31 days.
    dialogues.attendreMessage(Global().msg(27), Reponse::OK, std::nullopt, StyleMessage::Exclamation);
    QTest::mouseClick(f->Command9, Qt::LeftButton);
    const QString du = Calendrier::texteDate(QDate::currentDate().addDays(-30));
    const QString au = Calendrier::texteDate(QDate::currentDate());
    const QString invite =
        Global().msg(18) + QStringLiteral("\ndu %1 au %2 soit 31 jour(s)\nchoisissez oui!").arg(du, au);
    dialogues.attendreMessage(invite, Reponse::Non, Global().msg(17),
                              StyleMessage::YesNoCancel | StyleMessage::Information);
    QTest::mouseClick(f->Command1, Qt::LeftButton);
    EXPECT_EQ(champ(1001, "StockAlert").toLongLong(), 50);
    // The period stays; the count is the dialog's.
    dialogues.attendreMessage(
        QString(invite).replace(QStringLiteral("31 jour"),
                                QStringLiteral("%1 jour").arg(Instance<Calendrier>().NombreJours)),
        Reponse::Oui);
    QTest::mouseClick(f->Command1, Qt::LeftButton);
    EXPECT_EQ(champ(1001, "StockAlert").toLongLong(), 22) << "98 units over 31 days, 7 days of it";
    EXPECT_EQ(champ(1002, "StockAlert").toLongLong(), 50) << "no consumption";

    // A period chosen in the dialog; an end before the start computes nothing.
    const auto choisir = [&](const QDate& debut, const QDate& fin) {
        session.surModal([=](QObject* o) {
            auto* cal = qobject_cast<Calendrier*>(o);
            ASSERT_TRUE(cal);
            Global().DateDebut = QDateTime(debut, QTime());
            Global().DateFin = QDateTime(fin, QTime());
            cal->Text2->setText(Calendrier::texteDate(fin));
            cal->Unload();
        });
    };
    choisir(hier, hier.addDays(-3));
    QTest::mouseClick(f->CmdPeriode, Qt::LeftButton);
    EXPECT_EQ(f->DateDebutPeriode, Calendrier::texteDate(hier));
    f->DateFinPeriode = Calendrier::texteDate(hier.addDays(-3));
    dialogues.attendreMessage(Global().msg(35), Reponse::OK, std::nullopt, StyleMessage::Exclamation);
    f->CalulDesStockAlerte();
    EXPECT_EQ(champ(1001, "StockAlert").toLongLong(), 22);

    // The history of one business unit, then of all, each printing its own period.
    choisir(hier, hier);
    QTest::mouseClick(f->CmdPeriode, Qt::LeftButton);
    FenCompteRendu::periode().TextDebut->setText(QStringLiteral("01/01/2000"));
    aller(1001);
    const QString pdf = dossier.filePath(QStringLiteral("historique.pdf"));
    QStringList textes;
    session.surModal([&](QObject* o) {
        auto* v = qobject_cast<FenCrystalRep*>(o);
        ASSERT_TRUE(v);
        textes.clear();
        for (int p = 0; p < v->document().pageCount(); ++p)
            for (const ReportItem& i : v->document().items(p))
                textes << i.text;
        dialogues.attendreEnregistrementChoisi(pdf);
        QTest::mouseClick(v->CmdExportPdf, Qt::LeftButton);
        v->close();
    });
    f->Combo1->setCurrentText(QStringLiteral("KRV Brelaz"));
    QTest::mouseClick(f->Command9, Qt::LeftButton);
    EXPECT_TRUE(textes.contains(QStringLiteral("MARTIN")) && textes.contains(QStringLiteral("DURAND")));
    EXPECT_FALSE(textes.contains(QStringLiteral("LEROY"))) << "machine 7 is no machine of KRV Brelaz";
    EXPECT_EQ(Instance<FenCompteRendu>().TextDebut->text(), Calendrier::texteDate(hier));
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    ASSERT_TRUE(p.waitForFinished(30000));
    const QString texte = QString::fromUtf8(p.readAllStandardOutput());
    for (const QString& attendu : {QStringLiteral("ARTICLE 001"), QStringLiteral("MARTIN"),
                                   QStringLiteral("93"), QStringLiteral("Total général"),
                                   QStringLiteral("Période du %1 au %1").arg(Calendrier::texteDate(hier))})
        EXPECT_TRUE(texte.contains(attendu)) << attendu.toStdString() << "\n" << texte.toStdString();

    f->Combo1->setCurrentText(QStringLiteral("TOUTES!"));
    QTest::mouseClick(f->Command9, Qt::LeftButton);
    EXPECT_TRUE(textes.contains(QStringLiteral("LEROY")));

    // A period without withdrawals of the article.
    aller(1002);
    dialogues.attendreMessage(Global().msg(27), Reponse::OK, std::nullopt, StyleMessage::Exclamation);
    QTest::mouseClick(f->Command9, Qt::LeftButton);
    DetruireInstance<FenCrystalRep>();
    DetruireInstance<FenCompteRendu>();
    DetruireInstance<Calendrier>();
}
