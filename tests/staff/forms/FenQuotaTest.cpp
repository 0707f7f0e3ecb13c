#include "staff/forms/FenQuota.h"
#include "app/forms/RegistreMenu.h"
#include "common/EtatGlobal.h"
#include "common/forms/Instance.h"
#include "db/Valeurs.h"
#include "stock/forms/FrmStock.h"
#include "support/FormeSurBase.h"
#include "support/ServiceSessionScripte.h"

#include <QApplication>
#include <QClipboard>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QTimeEdit>
#include <gtest/gtest.h>

namespace {

constexpr int StyleErreur = StyleMessage::OKCancel | StyleMessage::Exclamation;
constexpr int StyleQuestion = StyleMessage::YesNo | StyleMessage::Exclamation;

class FenQuotaTest : public FormeSurBaseTest {
protected:
    void SetUp() override {
        FormeSurBaseTest::SetUp();
        if (HasFatalFailure())
            return;
        EtatGlobal& g = Global();
        g.NoProfilIllimite = static_cast<int>(numero("ILLIMITÉ"));
        g.NoProfilQuotasGeneral = static_cast<int>(numero("QUOTAS GENERAL"));
        g.NoProfilChef = static_cast<int>(numero("CHEF"));
        // Complete cards, which the article form lets the picker leave.
        referentielCartes(*base);
        carteComplete(*base, 12, 5, QStringLiteral("ZINC GANT"));
        carteComplete(*base, 13, 6, QStringLiteral("CASQUE"));
    }
    void TearDown() override {
        DetruireInstance<FenQuota>();
        DetruireInstance<FrmStock>();
        session.verifierTout();
        QLocale::setDefault(QLocale::c());
        FormeSurBaseTest::TearDown();
    }
    qint64 numero(const char* profil) {
        return Valeurs::lireEntier(
            base->valeurUnique(QStringLiteral("SELECT NoQuota FROM ProfileQuota WHERE Profile = ?"),
                               {QString::fromUtf8(profil)}));
    }
    qint64 nombre(const QString& sql, const QVariantList& valeurs = {}) {
        return Valeurs::lireEntier(base->valeurUnique(sql, valeurs));
    }
    QStringList colonne(QTableView* g, int c = 0) {
        QStringList l;
        for (int r = 0; r < g->model()->rowCount(); ++r)
            l << g->model()->index(r, c).data().toString();
        return l;
    }
    void cliquerLigne(QTableView* g, int ligne) {
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {},
                          g->visualRect(g->model()->index(ligne, 0)).center());
    }
    FenQuota& ouvrir() {
        FenQuota& f = Instance<FenQuota>();
        f.Show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&f));
        return f;
    }
    // The name frame from "Ajouter Profil", typed, then OK.
    void nouveauProfil(FenQuota& f, const QString& tape) {
        QTest::mouseClick(f.CmdAddProfile, Qt::LeftButton);
        EXPECT_TRUE(f.SSFrame1->isVisible() && f.Text1->text().isEmpty());
        QTest::keyClicks(f.Text1, tape);
        QTest::mouseClick(f.Command1, Qt::LeftButton);
    }
    // Plays the user in the article picker, which offers only "Séléctionner": picks that reference, or
    // closes it when 0.
    void choisir(qint64 reference) {
        session.surModal([reference](QObject* forme) {
            FrmStock& stock = Instance<FrmStock>();
            EXPECT_EQ(forme, &stock);
            EXPECT_TRUE(stock.CmdSelectionerVide->isHidden() && stock.FrameFicheProduit->isHidden());
            if (reference != 0 &&
                stock.RsStockGlobal->Find(QStringLiteral("Reference"), Recordset::Comparaison::Egal,
                                          reference, Recordset::Depart::Premier))
                stock.CmdSelectioner->click();
            else
                stock.cmdClose->click();
        });
    }
    bool articleEnGrille() {
        FrmStock& stock = Instance<FrmStock>();
        return stock.CmdSelectioner->isHidden() && !stock.CmdAjout->isHidden() && !stock.isVisible();
    }

    ServiceSessionScripte session;
};

} // namespace

TEST_F(FenQuotaTest, ProfilesCreatedRenamedDeletedAndMadeForAnEmployee) {
    base->executer(QStringLiteral("INSERT INTO Quota (NoQota, RefArticle) VALUES (?, 12)"),
                   {Global().NoProfilIllimite});
    RegistreMenu registre;
    enregistrerFormesMenu(registre);
    FenQuota& f = Instance<FenQuota>();
    f.DepuisFicheSalarie = true;
    session.surModal([&](QObject* forme) {
        EXPECT_EQ(forme, &f);
        EXPECT_FALSE(f.DepuisFicheSalarie);
    });
    ASSERT_TRUE(registre.ouvrir(QStringLiteral("CmdProfile"), nullptr));
    ouvrir();
    EXPECT_EQ(f.size(), QSize(793, 578));
    // The first profile's lines show at once.
    EXPECT_EQ(colonne(f.DBGrid2, 2), (QStringList{"ZINC GANT"}));

    // Typed names in capitals; a taken name keeps the frame open; the unchanged name on a rename too.
    nouveauProfil(f, QStringLiteral("test"));
    EXPECT_FALSE(f.SSFrame1->isVisible());
    EXPECT_EQ(f.profils().Field(QStringLiteral("Profile")), QStringLiteral("TEST"));
    EXPECT_EQ(f.detail().RecordCount(), 0);
    const QString existe = QStringLiteral("Ce Profil existe déjà !");
    dialogues.attendreMessage(existe, Reponse::OK, std::nullopt, StyleMessage::OK | StyleMessage::Critique);
    nouveauProfil(f, QStringLiteral("test"));
    EXPECT_TRUE(f.SSFrame1->isVisible());
    QTest::mouseClick(f.Command2, Qt::LeftButton);
    nouveauProfil(f, QStringLiteral("l'atelier"));
    nouveauProfil(f, QStringLiteral("t%"));
    EXPECT_EQ(colonne(f.DataGrid1).mid(3), (QStringList{"TEST", "L'ATELIER", "T%"}));
    cliquerLigne(f.DataGrid1, 3);
    QTest::mouseClick(f.Command3, Qt::LeftButton);
    EXPECT_EQ(f.Text1->text(), QStringLiteral("TEST"));
    dialogues.attendreMessage(existe);
    QTest::mouseClick(f.Command1, Qt::LeftButton);
    cliquerLigne(f.DataGrid1, 0);
    QTest::mouseClick(f.Command3, Qt::LeftButton);
    EXPECT_FALSE(f.SSFrame1->isVisible()); // ILLIMITÉ is never renamed

    // Delete: never ILLIMITÉ, nor a profile in use; an unused one after the question, its lines kept.
    dialogues.attendreMessage(QStringLiteral("Suppression non autorisée !"), Reponse::OK,
                              QStringLiteral("Erreur"), StyleErreur);
    QTest::mouseClick(f.CmdDelProfile, Qt::LeftButton);
    const qint64 test = numero("TEST");
    base->executer(QStringLiteral("INSERT INTO Utilisateurs (NoBadge, Quota) VALUES ('B1', ?)"),
                   {numero("L'ATELIER")});
    base->executer(QStringLiteral("INSERT INTO Quota (NoQota, RefArticle) VALUES (?, 13)"), {test});
    cliquerLigne(f.DataGrid1, 4);
    dialogues.attendreMessage(QStringLiteral("Confirmer la suppression de: L'ATELIER !"), Reponse::Oui,
                              QStringLiteral("Confirmation"), StyleQuestion);
    dialogues.attendreMessage(QStringLiteral("Ce profile est utilisée, la suppression n'est pas autorisée !"),
                              Reponse::OK, QStringLiteral("Erreur"), StyleErreur);
    QTest::mouseClick(f.CmdDelProfile, Qt::LeftButton);
    cliquerLigne(f.DataGrid1, 3);
    dialogues.attendreMessage(QStringLiteral("Confirmer la suppression de: TEST !"), Reponse::Oui);
    QTest::mouseClick(f.CmdDelProfile, Qt::LeftButton);
    EXPECT_EQ(colonne(f.DataGrid1).mid(3), (QStringList{"L'ATELIER", "T%"}));
    EXPECT_EQ(nombre(QStringLiteral("SELECT COUNT(*) FROM Quota WHERE NoQota = ?"), {test}), 1);

    // From the employee form: no deletion, the profile made on request, "Fermer" tells the opener.
    f.DepuisFicheSalarie = true;
    QTest::mouseClick(f.CmdDelProfile, Qt::LeftButton);
    EXPECT_EQ(f.profils().RecordCount(), 5);
    f.Unload();
    ResultatProfilSalarie r = f.AjoutProfileSalarie(QStringLiteral("b0042"));
    ASSERT_EQ(r.issue, ResultatProfilSalarie::Issue::Cree);
    EXPECT_EQ(r.noQuota, numero("b0042"));
    EXPECT_EQ(Valeurs::lireEntier(f.profils().Field(QStringLiteral("NoQuota"))), r.noQuota);
    EXPECT_TRUE(f.detail().IsOpen());
    EXPECT_EQ(f.AjoutProfileSalarie(QStringLiteral("B0042")).issue, ResultatProfilSalarie::Issue::Refuse);
    QSignalSpy fermee(&f, &FenQuota::fermee);
    ouvrir();
    QTest::mouseClick(f.cmdClose, Qt::LeftButton);
    EXPECT_EQ(fermee.count(), 1);
    base->executer(QStringLiteral("ALTER TABLE ProfileQuota RENAME TO ProfilePerdu"));
    r = f.AjoutProfileSalarie(QStringLiteral("B7"));
    EXPECT_EQ(r.issue, ResultatProfilSalarie::Issue::Echec);
    EXPECT_TRUE(r.description.contains(QStringLiteral("ProfileQuota"), Qt::CaseInsensitive));
}

TEST_F(FenQuotaTest, ArticlesPickedOnceQuantitiesWrittenAndTheArticleFormGivenBack) {
    FenQuota& f = ouvrir();
    nouveauProfil(f, QStringLiteral("atelier"));
    for (qint64 reference : {12, 12, 0, 13}) {
        choisir(reference);
        QTest::mouseClick(f.CmdAddArticle, Qt::LeftButton);
    }
    EXPECT_EQ(nombre(QStringLiteral("SELECT COUNT(*) FROM Quota WHERE NoQota = ? AND QtePermise IS NULL AND "
                                    "Periodicite IS NULL"),
                     {numero("ATELIER")}),
              2);
    EXPECT_EQ(colonne(f.DBGrid2), (QStringList{"12", "13"}));
    EXPECT_EQ(f.LabelDesignation->text(), QStringLiteral("CASQUE")); // the new line is current
    // No article for ILLIMITÉ or CHEF: the picker does not even open.
    for (int ligne : {0, 2}) {
        cliquerLigne(f.DataGrid1, ligne);
        QTest::mouseClick(f.CmdAddArticle, Qt::LeftButton);
    }
    EXPECT_EQ(session.formsModales().size(), 4);

    // Digits and blanks only, pasted text too; written when the line changes.
    cliquerLigne(f.DataGrid1, 3);
    QTest::keyClicks(f.Text2, QStringLiteral("1a 000"));
    EXPECT_EQ(f.Text2->text(), QStringLiteral("1 000"));
    QApplication::clipboard()->setText(QStringLiteral("3x0"));
    QTest::keyClick(f.Text3, Qt::Key_V, Qt::ControlModifier);
    cliquerLigne(f.DBGrid2, 1);
    const QString ligne12 = QStringLiteral("SELECT %1 FROM Quota WHERE RefArticle = 12");
    EXPECT_EQ(nombre(ligne12.arg(QLatin1String("QtePermise"))), 1000);
    EXPECT_EQ(nombre(ligne12.arg(QLatin1String("Periodicite"))), 30);
    QTest::keyClicks(f.Text2, QStringLiteral("99999999999"));
    dialogues.attendreMessage(QStringLiteral("Quantité trop grande!"), Reponse::OK, std::nullopt,
                              StyleMessage::Exclamation);
    cliquerLigne(f.DBGrid2, 0);
    EXPECT_TRUE(
        base->valeurUnique(QStringLiteral("SELECT QtePermise FROM Quota WHERE RefArticle = 13")).isNull());
    // The header sorts the lines; an emptied box writes Null.
    QTest::mouseClick(f.DBGrid2->horizontalHeader()->viewport(), Qt::LeftButton, {},
                      QPoint(f.DBGrid2->horizontalHeader()->sectionViewportPosition(2) + 5, 5));
    EXPECT_EQ(colonne(f.DBGrid2), (QStringList{"13", "12"}));
    f.Text3->clear();
    cliquerLigne(f.DBGrid2, 0);
    EXPECT_TRUE(base->valeurUnique(ligne12.arg(QLatin1String("Periodicite"))).isNull());
    cliquerLigne(f.DBGrid2, 1);
    dialogues.attendreMessage(QStringLiteral("Confirmer la suppression de: 12 !"), Reponse::Oui,
                              QStringLiteral("Confirmation"), StyleQuestion);
    QTest::mouseClick(f.CmdDelArticle, Qt::LeftButton);
    EXPECT_EQ(colonne(f.DBGrid2), (QStringList{"13"}));

    // "Fermer" writes what was typed and gives the article form back; so does closing the window.
    QTest::keyClicks(f.Text2, QStringLiteral("4"));
    QTest::mouseClick(f.cmdClose, Qt::LeftButton);
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(nombre(QStringLiteral("SELECT QtePermise FROM Quota WHERE RefArticle = 13")), 4);
    EXPECT_TRUE(articleEnGrille());
    ouvrir();
    cliquerLigne(f.DataGrid1, 3);
    choisir(13);
    QTest::mouseClick(f.CmdAddArticle, Qt::LeftButton);
    EXPECT_FALSE(Instance<FrmStock>().CmdSelectioner->isHidden());
    f.close();
    EXPECT_FALSE(Global().FenQuotaOuverte);
    EXPECT_TRUE(articleEnGrille());
}

TEST_F(FenQuotaTest, WeekWindowsLoadedAndSavedOnlyAfterAChange) {
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    Global().OptionPlageHoraire = true;
    const qint64 general = Global().NoProfilQuotasGeneral;
    base->executer(
        QStringLiteral("INSERT INTO PlageHoraire (NoQuota, NoJour, NomJour, HeureDebut, Heurefin) "
                       "VALUES (?, 2, 'LUNDI', '7:5:00', '16:30:00'), (?, 3, NULL, '07:05:00', 'xx')"),
        {general, general});
    base->executer(QStringLiteral("INSERT INTO ProfileQuota (Profile) VALUES ('ATELIER')"));
    FenQuota& f = ouvrir();
    // Its own width, within the screen's.
    EXPECT_EQ(f.width(), std::min(1033, f.screen()->availableGeometry().width() -
                                            (f.frameGeometry().width() - f.width())));
    EXPECT_FALSE(f.Command4->isEnabled());
    const auto heures = [&](int jour) {
        return f.DTPickerStart[jour]->time().toString(QStringLiteral("HH:mm")) + u'-' +
               f.DTPickerEnd[jour]->time().toString(QStringLiteral("HH:mm"));
    };
    cliquerLigne(f.DataGrid1, 1);
    EXPECT_EQ(heures(2) + u' ' + heures(3), QStringLiteral("07:05-16:30 07:05-00:00"));
    EXPECT_EQ(f.LabelJour[2]->text() + f.LabelJour[3]->text(), QStringLiteral("LUNDIMardi"));
    EXPECT_EQ(dossier->lignesJournal().filter(QStringLiteral("\"xx\"")).size(), 1);
    cliquerLigne(f.DataGrid1, 3);
    EXPECT_EQ(heures(2), QStringLiteral("00:00-00:00"));
    EXPECT_FALSE(f.Command4->isEnabled());
    // A click into a start picker turns "Valider" on; the digits typed then replace the hours and the
    // minutes.
    QLineEdit* lundi = f.DTPickerStart[2]->findChild<QLineEdit*>();
    QTest::mouseClick(lundi, Qt::LeftButton, {}, QPoint(6, lundi->height() / 2));
    EXPECT_TRUE(f.Command4->isEnabled());
    QTest::keyClicks(f.DTPickerStart[2], QStringLiteral("9:30"));
    EXPECT_EQ(heures(2), QStringLiteral("09:30-00:00"));
    cliquerLigne(f.DataGrid1, 2);
    cliquerLigne(f.DataGrid1, 3);
    EXPECT_FALSE(f.Command4->isEnabled());

    // Monday 07:05 to 16:30: the seven days written, named from the locale.
    f.DTPickerStart[2]->setTime(QTime(7, 5));
    f.DTPickerEnd[2]->setTime(QTime(16, 30));
    QTest::mouseClick(f.Command4, Qt::LeftButton);
    EXPECT_FALSE(f.Command4->isEnabled());
    EXPECT_EQ(
        base->valeurUnique(
            QStringLiteral("SELECT group_concat(NoJour || ' ' || NomJour || ' ' || HeureDebut || ' ' || "
                           "Heurefin, ', ') FROM (SELECT * FROM PlageHoraire WHERE NoQuota = ? "
                           "ORDER BY NoJour)"),
            {numero("ATELIER")}),
        QStringLiteral("1 dimanche 0:0:00 0:0:00, 2 lundi 7:5:00 16:30:00, 3 mardi 0:0:00 0:0:00, "
                       "4 mercredi 0:0:00 0:0:00, 5 jeudi 0:0:00 0:0:00, 6 vendredi 0:0:00 0:0:00, "
                       "7 samedi 0:0:00 0:0:00"));

    // An end time alone is a change; a failed save writes nothing, says why and may be tried again.
    f.DTPickerEnd[3]->setTime(QTime(12, 0));
    EXPECT_TRUE(f.Command4->isEnabled());
    f.DTPickerStart[1]->setTime(QTime(6, 0));
    base->executer(QStringLiteral("CREATE TRIGGER refus BEFORE UPDATE ON PlageHoraire WHEN NEW.NoJour = 5 "
                                  "BEGIN SELECT RAISE(ABORT, 'jour 5 refusé'); END"));
    dialogues.attendreMessageContenant(QStringLiteral("jour 5 refusé"));
    QTest::mouseClick(f.Command4, Qt::LeftButton);
    EXPECT_TRUE(f.Command4->isEnabled());
    EXPECT_EQ(nombre(QStringLiteral("SELECT COUNT(*) FROM PlageHoraire WHERE HeureDebut = '6:0:00' OR "
                                    "Heurefin = '12:0:00'")),
              0);
    EXPECT_EQ(dossier->lignesJournal().filter(QStringLiteral("jour 5 refusé")).size(), 1);

    // Without the option the block is out of sight and "Valider" does nothing; with an empty list neither.
    f.Unload();
    Global().OptionPlageHoraire = false;
    base->executer(QStringLiteral("DELETE FROM ProfileQuota"));
    ouvrir();
    EXPECT_EQ(f.width(), 793);
    EXPECT_GE(f.BlocPlageHoraire->x(), f.width());
    for (QPushButton* b : {f.Command3, f.CmdAddArticle, f.CmdDelProfile, f.Command4}) {
        b->setEnabled(true);
        b->click();
    }
    Global().OptionPlageHoraire = true;
    f.DTPickerStart[4]->setTime(QTime(9, 0));
    f.Command4->click();
    EXPECT_EQ(nombre(QStringLiteral("SELECT COUNT(*) FROM PlageHoraire")), 9);
    EXPECT_EQ(session.formsModales().size(), 0);
}
