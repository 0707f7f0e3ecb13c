#include "staff/forms/FrmUtilisateur.h"

#include "app/forms/RegistreMenu.h"
#include "common/EtatGlobal.h"
#include "common/forms/Instance.h"
#include "db/Connexion.h"
#include "db/Recordset.h"
#include "db/Valeurs.h"
#include "support/FormeSurBase.h"
#include "support/OrdreFrancais.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class FrmUtilisateurTest : public FormeSurBaseTest {
protected:
    void TearDown() override {
        DetruireInstance<FrmUtilisateur>();
        FormeSurBaseTest::TearDown();
    }
    qint64 salarie(const QVariantMap& v) {
        QStringList colonnes, marques;
        QVariantList valeurs;
        for (auto it = v.begin(); it != v.end(); ++it) {
            colonnes << it.key();
            marques << QStringLiteral("?");
            valeurs << it.value();
        }
        base->executer(QStringLiteral("INSERT INTO Utilisateurs (%1) VALUES (%2)")
                           .arg(colonnes.join(u','), marques.join(u',')),
                       valeurs);
        return cle(QStringLiteral("SELECT MAX(IdUtilisateur) FROM Utilisateurs"));
    }
    qint64 cle(const QString& sql, const QVariantList& valeurs = {}) {
        return Valeurs::lireEntier(base->valeurUnique(sql, valeurs));
    }
    FrmUtilisateur& ouvrir() {
        FrmUtilisateur& f = Instance<FrmUtilisateur>();
        f.Show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&f));
        return f;
    }
    // The main window takes the focus back, as when the user goes back to the menu.
    void revenirAuMenu() {
        principale.show();
        principale.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&principale));
    }
    static QStringList colonne(const FrmUtilisateur& f, int c) {
        QStringList l;
        for (int r = 0; r < f.DBGrid1->model()->rowCount(); ++r)
            l << f.DBGrid1->model()->index(r, c).data().toString();
        return l;
    }
    static QStringList lignes(const QComboBox* c) {
        QStringList l;
        for (int i = 0; i < c->count(); ++i)
            l << c->itemText(i);
        return l;
    }

    QWidget principale;
};

} // namespace

TEST_F(FrmUtilisateurTest, OpensByNameSearchesTheLoadedRowsLiterallyAndComesBackFromTheMenu) {
    for (const char* nom : {"Martin", "DUPONT", "Leduc", "Dupré", "Lot 50%", "Lot 500", "O'Neil"})
        salarie(
            {{"Nom", QString::fromUtf8(nom)}, {"NoBadge", QStringLiteral("B-") + QString::fromUtf8(nom)}});
    salarie({{"NoBadge", QStringLiteral("sans-nom")}});
    ASSERT_TRUE(RegistreMenu::global().ouvrir(QStringLiteral("CmdEmplacement"), &principale));
    FrmUtilisateur& f = Instance<FrmUtilisateur>();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Gestion des salariés"));
    EXPECT_TRUE(f.SSOptionNom->isChecked());
    EXPECT_EQ(f.ModeRecherche, 2);
    EXPECT_EQ(colonne(f, 2),
              (QStringList{"", "DUPONT", "Dupré", "Leduc", "Lot 50%", "Lot 500", "Martin", "O'Neil"}));
    EXPECT_EQ(f.DBGrid1->model()->columnCount(), 10);
    EXPECT_EQ(f.DBGrid1->model()->headerData(9, Qt::Horizontal).toString(), QStringLiteral("Accès Machine"));
    // Read-only: a double click edits nothing; column 9 offers its cell button.
    for (int c = 0; c < 10; ++c)
        EXPECT_FALSE(f.DBGrid1->model()->flags(f.DBGrid1->model()->index(1, c)) & Qt::ItemIsEditable) << c;
    EXPECT_EQ(f.DBGrid1->editTriggers(), QAbstractItemView::NoEditTriggers);
    const QModelIndex machines = f.DBGrid1->model()->index(1, 9);
    f.DBGrid1->scrollTo(machines);
    const QRect cellule = f.DBGrid1->visualRect(machines);
    QSignalSpy bouton(&f, &FrmUtilisateur::DBGrid1_ButtonClick);
    QTest::mouseClick(f.DBGrid1->viewport(), Qt::LeftButton, {},
                      QPoint(cellule.right() - 4, cellule.center().y()));
    ASSERT_EQ(bouton.size(), 1);
    EXPECT_EQ(bouton.at(0).at(0).toInt(), 9);

    QTest::keyClicks(f.TextCherche, QStringLiteral("du"));
    EXPECT_EQ(colonne(f, 2), (QStringList{"DUPONT", "Dupré", "Leduc"}));
    EXPECT_EQ(f.Text2[1]->text(), QStringLiteral("DUPONT"));
    f.TextCherche->setText(QStringLiteral("50%"));
    EXPECT_EQ(colonne(f, 2), (QStringList{"Lot 50%"}));
    f.TextCherche->setText(QStringLiteral("o'n"));
    EXPECT_EQ(colonne(f, 2), (QStringList{"O'Neil"}));
    // Nobody: the box empties and the list holds every surname again; typing then searches them all;
    // the option chosen again shows everyone.
    f.TextCherche->setText(QString(300, u'x'));
    EXPECT_TRUE(f.TextCherche->text().isEmpty());
    EXPECT_EQ(f.data1->RecordCount(), 7);
    QTest::keyClicks(f.TextCherche, QStringLiteral("a"));
    EXPECT_EQ(colonne(f, 2), (QStringList{"Martin"}));
    QTest::mouseClick(f.SSOptionNom, Qt::LeftButton);
    EXPECT_EQ(f.data1->RecordCount(), 8);
    EXPECT_EQ(f.Text2[0]->text(), QStringLiteral("sans-nom"));
    // A click in the box empties it; an empty box still leaves out the row without a surname.
    QTest::keyClicks(f.TextCherche, QStringLiteral("lot"));
    EXPECT_EQ(f.data1->RecordCount(), 2);
    QTest::mouseClick(f.TextCherche, Qt::LeftButton);
    EXPECT_TRUE(f.TextCherche->text().isEmpty());
    EXPECT_EQ(f.data1->RecordCount(), 7);

    // After "Fermer" the menu shows the same window, in name mode, the box empty, everyone listed.
    QTest::mouseClick(f.SSOptionBadge, Qt::LeftButton);
    f.TextCherche->setText(QStringLiteral("B-Martin"));
    EXPECT_EQ(f.Text2[1]->text(), QStringLiteral("Martin"));
    QTest::mouseClick(f.cmdClose, Qt::LeftButton);
    EXPECT_FALSE(f.isVisible());
    EXPECT_TRUE(f.estCharge());
    revenirAuMenu();
    ASSERT_TRUE(RegistreMenu::global().ouvrir(QStringLiteral("CmdEmplacement"), &principale));
    EXPECT_EQ(RegistreMenu::global().instanceExistante(QStringLiteral("CmdEmplacement")), &f);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
    EXPECT_TRUE(f.SSOptionNom->isChecked());
    EXPECT_EQ(f.ModeRecherche, 2);
    EXPECT_TRUE(f.TextCherche->text().isEmpty());
    EXPECT_EQ(f.data1->RecordCount(), 8);
    EXPECT_EQ(colonne(f, 2).at(1), QStringLiteral("DUPONT"));
}

TEST_F(FrmUtilisateurTest, ASurnameMatchingNobodyLosesNoEmployeeAndAFoundRowIsWhollyInView) {
    {
        TransactionEcriture t(*base);
        for (int i = 0; i < 3998; ++i)
            base->executer(QStringLiteral("INSERT INTO Utilisateurs (Nom, NoBadge) VALUES (?, ?)"),
                           {QStringLiteral("NOM%1").arg(i, 4, 10, QLatin1Char('0')),
                            QStringLiteral("B%1").arg(i, 4, 10, QLatin1Char('0'))});
        t.valider();
    }
    salarie({{"Nom", QStringLiteral("DUPONT")}, {"NoBadge", QStringLiteral("D1")}});
    salarie({{"Nom", QStringLiteral("DURAND")}, {"NoBadge", QStringLiteral("D2")}});
    FrmUtilisateur& f = ouvrir();
    QTest::keyClicks(f.TextCherche, QStringLiteral("XYZ"));
    EXPECT_TRUE(f.TextCherche->text().isEmpty());
    EXPECT_EQ(f.data1->RecordCount(), 4000);
    QTest::keyClicks(f.TextCherche, QStringLiteral("DU"));
    EXPECT_EQ(colonne(f, 2), (QStringList{"DUPONT", "DURAND"}));
    EXPECT_EQ(f.Text2[1]->text(), QStringLiteral("DUPONT"));
    // "DUX" is nobody again; the box emptied by hand lists everyone.
    QTest::keyClicks(f.TextCherche, QStringLiteral("X"));
    EXPECT_EQ(f.data1->RecordCount(), 4000);
    QTest::keyClicks(f.TextCherche, QStringLiteral("DU"));
    f.TextCherche->selectAll();
    QTest::keyClick(f.TextCherche, Qt::Key_Delete);
    EXPECT_EQ(f.data1->RecordCount(), 4000);

    // A badge far down the list: its row wholly inside the grid.
    QTest::mouseClick(f.SSOptionBadge, Qt::LeftButton);
    f.TextCherche->setText(QStringLiteral("B3900"));
    for (int k = 0; k < 3; ++k)
        QApplication::processEvents();
    EXPECT_EQ(f.Text2[1]->text(), QStringLiteral("NOM3900"));
    const QRect ligne = f.DBGrid1->visualRect(f.DBGrid1->currentIndex());
    EXPECT_EQ(f.DBGrid1->currentIndex().row(), f.data1->AbsolutePosition());
    EXPECT_TRUE(ligne.top() >= 0 && ligne.bottom() < f.DBGrid1->viewport()->height());
}

TEST_F(FrmUtilisateurTest, BadgeModeFindsWholeBadgesForwardAndHeadersChooseTheMode) {
    salarie(
        {{"Nom", QStringLiteral("Abel")}, {"NoBadge", QStringLiteral("0999")}, {"MatriculeSalarie", "M9"}});
    salarie(
        {{"Nom", QStringLiteral("Bruno")}, {"NoBadge", QStringLiteral("1234")}, {"MatriculeSalarie", "M1"}});
    salarie({{"Nom", QStringLiteral("Carl")}, {"NoBadge", QStringLiteral("12")}, {"MatriculeSalarie", "M2"}});
    FrmUtilisateur& f = ouvrir();
    QHeaderView* entete = f.DBGrid1->horizontalHeader();
    emit entete->sectionClicked(1);
    EXPECT_TRUE(f.SSOptionBadge->isChecked());
    EXPECT_EQ(colonne(f, 1), (QStringList{"0999", "12", "1234"}));
    f.data1->MoveFirst();
    // "1" is no whole badge: the row stays; "12" reaches badge 12, below.
    QTest::keyClicks(f.TextCherche, QStringLiteral("1"));
    EXPECT_EQ(f.Text2[0]->text(), QStringLiteral("0999"));
    QTest::keyClicks(f.TextCherche, QStringLiteral("2"));
    EXPECT_EQ(f.Text2[0]->text(), QStringLiteral("12"));
    EXPECT_EQ(f.DBGrid1->currentIndex().row(), 1);
    // Typed wildcards; a quote is a character; nothing found keeps the row; no wrap to the rows above.
    f.TextCherche->setText(QStringLiteral("12*"));
    EXPECT_EQ(f.Text2[0]->text(), QStringLiteral("12"));
    f.TextCherche->setText(QStringLiteral("'%"));
    EXPECT_EQ(f.Text2[0]->text(), QStringLiteral("12"));
    f.data1->MoveLast();
    f.TextCherche->setText(QStringLiteral("0999"));
    EXPECT_EQ(f.Text2[0]->text(), QStringLiteral("1234"));
    EXPECT_EQ(f.DBGrid1->currentIndex().row(), 2);

    emit entete->sectionClicked(4); // "Profil": nothing
    EXPECT_TRUE(f.SSOptionBadge->isChecked());
    emit entete->sectionClicked(0);
    EXPECT_TRUE(f.SSOptionMatricule->isChecked());
    EXPECT_TRUE(f.TextCherche->text().isEmpty());
    EXPECT_EQ(colonne(f, 0), (QStringList{"M1", "M2", "M9"}));
    f.data1->MoveFirst();
    f.TextCherche->setText(QStringLiteral("m9"));
    EXPECT_EQ(f.Text2[1]->text(), QStringLiteral("Abel"));
    emit entete->sectionClicked(2);
    EXPECT_TRUE(f.SSOptionNom->isChecked());
    EXPECT_EQ(colonne(f, 2), (QStringList{"Abel", "Bruno", "Carl"}));
}

TEST_F(FrmUtilisateurTest, CardListsByKeyServicesOfTheChosenSiteAndMaintenanceBadges) {
    Global().OptionLienSiteService = true;
    base->executer(QStringLiteral("INSERT INTO Sites (NomSite) VALUES ('Nord'), ('Sud')"));
    const qint64 nord = cle(QStringLiteral("SELECT NoSite FROM Sites WHERE NomSite = 'Nord'"));
    base->executer(
        QStringLiteral("INSERT INTO Services (NomService, Site) VALUES ('Atelier', ?), ('Bureau', ?), "
                       "('Quai', 0)"),
        {nord, nord});
    const qint64 bureau = cle(QStringLiteral("SELECT NoService FROM Services WHERE NomService = 'Bureau'"));
    base->executer(
        QStringLiteral("INSERT INTO Tailles (Taille, Ordre, NoFamille) VALUES ('L', 3, 1), ('S', 1, 1), "
                       "('M', 2, 1), ('42', 1, 3)"));
    Global().FamilleGants = 1;
    Global().FamilleChaussures = 3;
    const qint64 m = cle(QStringLiteral("SELECT NoTaille FROM Tailles WHERE Taille = 'M'"));
    const qint64 chef = cle(QStringLiteral("SELECT NoQuota FROM ProfileQuota WHERE Profile = 'CHEF'"));
    salarie({{"Nom", QStringLiteral("Abel")},
             {"NoBadge", QStringLiteral("A1")},
             {"Site", nord},
             {"Service", bureau},
             {"Quota", chef},
             {"TailleMain", m},
             {"Langue", QStringLiteral("NL")}});
    const qint64 perdu = salarie({{"Nom", QStringLiteral("Bruno")},
                                  {"NoBadge", QStringLiteral("B1")},
                                  {"Site", 999},
                                  {"Service", 999},
                                  {"TailleMain", 999}});
    salarie({{"Nom", QStringLiteral("Carl")}, {"NoBadge", QStringLiteral("C1")}});
    base->executer(QStringLiteral("INSERT INTO BadgeMaintenance (NoBadge) VALUES ('M1')"));
    FrmUtilisateur& f = ouvrir();

    EXPECT_EQ(lignes(f.Combo1), (QStringList{"Nord", "Sud"}));
    EXPECT_EQ(lignes(f.Combo3).size(), 3); // the profiles of a new database
    EXPECT_EQ(lignes(f.Combo4), (QStringList{"S", "M", "L"}));
    EXPECT_EQ(lignes(f.Combo5), (QStringList{"42"}));
    EXPECT_EQ(lignes(f.Combo6), (QStringList{"FR", "DE", "NL", "PL", "SK"}));
    EXPECT_EQ(f.Combo1->currentText(), QStringLiteral("Nord"));
    EXPECT_EQ(lignes(f.Combo2), (QStringList{"Atelier", "Bureau"}));
    EXPECT_EQ(f.Combo2->currentData().toLongLong(), bureau);
    EXPECT_EQ(f.Combo3->currentText(), QStringLiteral("CHEF"));
    EXPECT_EQ(f.Combo4->currentText(), QStringLiteral("M"));
    EXPECT_EQ(f.Combo4->currentData().toLongLong(), m);
    EXPECT_EQ(f.Combo6->currentText(), QStringLiteral("NL"));
    // Choosing a site lists its services; a site without any leaves the list empty.
    f.Combo1->setCurrentIndex(1);
    EXPECT_EQ(f.Combo2->count(), 0);
    f.Combo1->setCurrentIndex(0);
    EXPECT_EQ(lignes(f.Combo2), (QStringList{"Atelier", "Bureau"}));

    // Keys pointing at nothing show empty and stay in the row; no site, no service list; no language, "FR".
    f.data1->MoveNext();
    EXPECT_EQ(f.Text2[1]->text(), QStringLiteral("Bruno"));
    EXPECT_EQ(f.Combo1->currentIndex(), -1);
    EXPECT_EQ(f.Combo4->currentIndex(), -1);
    EXPECT_EQ(f.Combo2->count(), 0);
    f.data1->MoveNext();
    EXPECT_EQ(f.Combo2->count(), 0);
    EXPECT_EQ(f.Combo6->currentText(), QStringLiteral("FR"));
    EXPECT_EQ(cle(QStringLiteral("SELECT Site FROM Utilisateurs WHERE IdUtilisateur = ?"), {perdu}), 999);

    // Services shared by all sites: every service, whatever the site chosen.
    Global().OptionLienSiteService = false;
    f.Combo1->setCurrentIndex(1);
    EXPECT_EQ(lignes(f.Combo2), (QStringList{"Atelier", "Bureau", "Quai"}));

    // 2,000 sites: no length limit on the lists.
    base->executer(
        QStringLiteral("WITH RECURSIVE s(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM s WHERE i < 2000) "
                       "INSERT INTO Sites (NomSite) SELECT 'S' || i FROM s"));
    f.RemplirColSite();
    EXPECT_EQ(f.Combo1->count(), 2002);

    // A maintenance badge, compared whole without regard to case.
    dialogues.attendreMessage(QStringLiteral("Badge déjà utilisé pour la maintenance!"), Reponse::OK,
                              QStringLiteral("Erreur"), StyleMessage::OKCancel | StyleMessage::Exclamation);
    EXPECT_TRUE(f.BadgeMaintenanceUtilise(QStringLiteral("m1")));
    EXPECT_FALSE(f.BadgeMaintenanceUtilise(QStringLiteral("M")));
}

TEST_F(FrmUtilisateurTest, MobileBoxDigitsOnlyAndBarCodeBadgesKeptWhole) {
    dossier->ecrireIni(QStringLiteral("Machine "), QStringLiteral("ControlRetourProduitavecSMS"),
                       QStringLiteral("OUI"));
    Global().TypeLecteurBadge = 3;
    const qint64 id = salarie({{"Nom", QStringLiteral("Abel")},
                               {"NoBadge", QStringLiteral("0000000047111")},
                               {"NoUtilisateur", QStringLiteral("0612")}});
    salarie({{"Nom", QStringLiteral("Bruno")}, {"NoBadge", QStringLiteral("B1")}});
    FrmUtilisateur& f = ouvrir();
    EXPECT_TRUE(f.Text2[4]->isVisible());
    EXPECT_FALSE(f.Combo6->isVisible());
    EXPECT_EQ(f.Label2[9]->text(), QStringLiteral("Tel mobile:"));
    EXPECT_EQ(f.Text2[4]->text(), QStringLiteral("0612"));
    f.Text2[4]->setFocus();
    f.Text2[4]->end(false);
    QTest::keyClicks(f.Text2[4], QStringLiteral("a3-b4"));
    EXPECT_EQ(f.Text2[4]->text(), QStringLiteral("061234"));
    // Enter moves on as Tab.
    f.Text2[1]->setFocus();
    QTest::keyClick(f.Text2[1], Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), f.Text2[2]);

    // The stored 13 digits show whole and refuse a further character; typing and pasting stop at 12.
    EXPECT_EQ(f.Text2[0]->text(), QStringLiteral("0000000047111"));
    f.Text2[0]->setFocus();
    f.Text2[0]->end(false);
    QTest::keyClicks(f.Text2[0], QStringLiteral("9"));
    EXPECT_EQ(f.Text2[0]->text(), QStringLiteral("0000000047111"));
    f.data1->MoveNext();
    f.Text2[0]->clear();
    QTest::keyClicks(f.Text2[0], QStringLiteral("1234567890123"));
    EXPECT_EQ(f.Text2[0]->text(), QStringLiteral("123456789012"));
    QApplication::clipboard()->setText(QStringLiteral("9876543210987"));
    f.Text2[0]->selectAll();
    f.Text2[0]->paste();
    EXPECT_EQ(f.Text2[0]->text(), QStringLiteral("987654321098"));
    // Back to the first row: unchanged on the card and in the database.
    f.data1->MoveFirst();
    EXPECT_EQ(f.Text2[0]->text(), QStringLiteral("0000000047111"));
    EXPECT_EQ(
        base->valeurUnique(QStringLiteral("SELECT NoBadge FROM Utilisateurs WHERE IdUtilisateur = ?"), {id})
            .toString(),
        QStringLiteral("0000000047111"));

    // "oui" is not "OUI": no mobile box after the next load.
    f.Unload();
    revenirAuMenu();
    dossier->ecrireIni(QStringLiteral("Machine "), QStringLiteral("ControlRetourProduitavecSMS"),
                       QStringLiteral("oui"));
    ouvrir();
    EXPECT_FALSE(f.Text2[4]->isVisible());
    EXPECT_TRUE(f.Combo6->isVisible());
    EXPECT_EQ(f.Label2[9]->text(), QStringLiteral("Langue:"));
}

namespace {

class FrmUtilisateurTris : public FormeSurLesDeuxBasesTest {
protected:
    void TearDown() override {
        DetruireInstance<FrmUtilisateur>();
        FormeSurLesDeuxBasesTest::TearDown();
    }
    // A column of the view, in the order the list reads it.
    QVariantList lus(const char* champ) {
        QVariantList v;
        QSqlQuery q = bd().executer(QStringLiteral("SELECT %1 FROM GrUtilisateur").arg(QLatin1String(champ)));
        while (q.next())
            v << (q.value(0).isNull() ? QVariant() : QVariant(q.value(0).toString()));
        return v;
    }
    static QStringList montres(const FrmUtilisateur& f, const char* champ) {
        QStringList l;
        for (int i = 0; i < f.data1->RecordCount(); ++i)
            l << texteOuNul(f.data1->ValueAt(i, f.data1->FieldIndex(QLatin1String(champ))));
        return l;
    }
};

} // namespace

// Each header orders its column as the collator compares (accents, case, blanks, Null first), on either
// backend, each column's keys made once; a name changed on the card and saved takes its new place at the
// next sort.
TEST_P(FrmUtilisateurTris, HeaderSortsOrderAsTheCollatorAndASavedNameMovesToItsPlace) {
    const QVariantList noms{QStringLiteral("Élodie"),
                            QStringLiteral("elodie"),
                            QStringLiteral("Émile"),
                            QStringLiteral("Eric"),
                            QVariant(QMetaType::fromType<QString>()),
                            QStringLiteral(" Eric")};
    for (int i = 0; i < noms.size(); ++i)
        bd().executer(
            QStringLiteral("INSERT INTO Utilisateurs (Nom, Prenom, NoBadge, MatriculeSalarie) VALUES "
                           "(?, 'Léa', ?, ?)"),
            {noms.at(i), noms.at((i + 1) % noms.size()), noms.at((i + 2) % noms.size())});
    FrmUtilisateur& f = Instance<FrmUtilisateur>();
    f.Show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
    QHeaderView* entete = f.DBGrid1->horizontalHeader();
    const char* const champs[] = {"MatriculeSalarie", "NoBadge", "Nom"};
    for (const int c : {0, 1, 2, 1, 0, 2}) {
        emit entete->sectionClicked(c);
        EXPECT_EQ(montres(f, champs[c]), ordreFrancais(lus(champs[c]))) << c;
    }
    EXPECT_EQ(f.data1->TravailFait().clesCalculees, 15); // three columns of five texts, each made once
    ASSERT_TRUE(f.data1->Find(QStringLiteral("Nom"), Recordset::Comparaison::EgalTexte,
                              QStringLiteral("Émile"), Recordset::Depart::Premier));
    f.Text2[1]->setText(QStringLiteral("Aaron"));
    QTest::mouseClick(f.CmdModif, Qt::LeftButton);
    emit entete->sectionClicked(1);
    emit entete->sectionClicked(2);
    EXPECT_EQ(montres(f, "Nom"), ordreFrancais(lus("Nom")));
    EXPECT_FALSE(montres(f, "Nom").contains(QStringLiteral("Émile")));
    EXPECT_LT(montres(f, "Nom").indexOf(QStringLiteral("Aaron")),
              montres(f, "Nom").indexOf(QStringLiteral("elodie")));
}

INSTANTIATE_TEST_SUITE_P(Bases, FrmUtilisateurTris, ::testing::ValuesIn(moteursDeTest()), nomMoteur);
