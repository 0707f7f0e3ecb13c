#include "staff/forms/FenSites.h"
#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/MODTranslate.h"
#include "common/forms/Calendrier.h"
#include "common/forms/Instance.h"
#include "db/Connexion.h"
#include "db/Schema.h"
#include "db/Valeurs.h"
#include "reports/forms/FenCompteRendu.h"
#include "reports/forms/FenCrystalRep.h"
#include "support/CouvertureLangues.h"
#include "support/DossierProgrammeTemp.h"
#include "support/FormeSurBase.h"
#include "support/ServiceDialogueScripte.h"
#include "support/ServiceSessionScripte.h"

#include <QDate>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>
#include <optional>

namespace {

constexpr int Style54 = StyleMessage::CancelTryContinue | StyleMessage::Exclamation;

class FenSitesTest : public FormeSurBaseTest {
protected:
    void SetUp() override {
        FormeSurBaseTest::SetUp();
        if (HasFatalFailure())
            return;
    }
    void TearDown() override {
        DetruireInstance<FenCrystalRep>();
        DetruireInstance<FenCompteRendu>();
        DetruireInstance<Calendrier>();
        session.verifierTout();
        FormeSurBaseTest::TearDown();
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
    void ajouterSite(FenSites& f, const QString& nom) {
        QTest::mouseClick(f.CommandAddSite, Qt::LeftButton);
        EXPECT_EQ(f.CommandModifSite->text(), QStringLiteral("Enregistrer"));
        EXPECT_TRUE(f.CommandModifSite->font().underline());
        f.Text3->setText(nom);
        QTest::mouseClick(f.CommandModifSite, Qt::LeftButton);
        EXPECT_EQ(f.CommandModifSite->text(), QStringLiteral("Modifier"));
        EXPECT_FALSE(f.CommandModifSite->font().underline());
    }
    void ajouterService(FenSites& f, const QString& nom) {
        QTest::mouseClick(f.cmdAdd, Qt::LeftButton);
        f.Text1->setText(nom);
        QTest::mouseClick(f.CmdModifier, Qt::LeftButton);
        EXPECT_EQ(f.CmdModifier->text(), QStringLiteral("Modifier"));
    }

    ServiceSessionScripte session;
};

} // namespace

TEST_F(FenSitesTest, SitesAddedOnceChangedInPlaceAndDeletedUnlessInUse) {
    FenSites f;
    f.Show();
    ASSERT_TRUE(f.estCharge());
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Sites et Services"));
    EXPECT_FALSE(f.cmdAdd->isEnabled()); // no site, no service

    ajouterSite(f, QStringLiteral("Nord"));
    EXPECT_EQ(nombre(QStringLiteral("SELECT COUNT(*) FROM Sites WHERE NomSite = 'Nord'")), 1);
    EXPECT_TRUE(f.cmdAdd->isEnabled());
    for (const QString& doublon :
         {QStringLiteral("Nord"), QStringLiteral("NORD"), QStringLiteral("L'Isle")}) {
        if (doublon == QStringLiteral("L'Isle"))
            ajouterSite(f, doublon); // saved the first time
        dialogues.attendreMessage(QStringLiteral("Le Site ") + doublon + QStringLiteral("  existe déjà !"),
                                  Reponse::Continuer, QStringLiteral("Erreur"), Style54);
        ajouterSite(f, doublon);
        EXPECT_TRUE(f.Text3->text().isEmpty());
    }
    EXPECT_EQ(nombre(QStringLiteral("SELECT COUNT(*) FROM Sites")), 2);
    // "Ajouter" then the save with no name saves nothing.
    ajouterSite(f, QString());
    EXPECT_EQ(colonne(f.DataGrid2), (QStringList{"Nord", "L'Isle"}));

    // A change keeps its row, the name of another site included; Null reads as "".
    cliquerLigne(f.DataGrid2, 0);
    EXPECT_EQ(f.Text3->text(), QStringLiteral("Nord"));
    EXPECT_TRUE(f.Text5->text().isEmpty());
    f.Text3->setText(QStringLiteral("L'Isle"));
    f.Text5->setText(QStringLiteral("1 rue \"%\""));
    QTest::mouseClick(f.CommandModifSite, Qt::LeftButton);
    EXPECT_EQ(f.sites().AbsolutePosition(), 0);
    EXPECT_EQ(colonne(f.DataGrid2, 1).first(), QStringLiteral("1 rue \"%\""));

    // In use: refused, the row stays; unused: gone without a question.
    const qint64 premier = Valeurs::lireEntier(f.sites().Field(QStringLiteral("NoSite")));
    base->executer(QStringLiteral("INSERT INTO Utilisateurs (NoBadge, Site) VALUES ('B1', ?)"), {premier});
    dialogues.attendreMessage(QStringLiteral("Suppression non autorisé !"), Reponse::Annuler,
                              QStringLiteral("Erreur"), Style54);
    QTest::mouseClick(f.CommandSuppSite, Qt::LeftButton);
    EXPECT_EQ(f.sites().RecordCount(), 2);
    cliquerLigne(f.DataGrid2, 1);
    QTest::mouseClick(f.CommandSuppSite, Qt::LeftButton);
    EXPECT_EQ(nombre(QStringLiteral("SELECT COUNT(*) FROM Sites")), 1);
    EXPECT_EQ(f.sites().RecordCount(), 1);

    EXPECT_TRUE(clesManquantes(&f).isEmpty()) << clesManquantes(&f).join(u'\n').toStdString();
    f.Unload();
}

TEST_F(FenSitesTest, ServicesOfTheCurrentSiteOrSharedByAllAfterTheOption) {
    base->executer(QStringLiteral("INSERT INTO Sites (NomSite) VALUES ('Nord'), ('Sud')"));
    const qint64 nord = nombre(QStringLiteral("SELECT NoSite FROM Sites WHERE NomSite = 'Nord'"));
    base->executer(QStringLiteral("INSERT INTO Services (NomService, Site) VALUES ('Zinc', ?), ('Quai', ?)"),
                   {nord + 1, nord + 1});
    Global().OptionLienSiteService = true;
    {
        FenSites f;
        f.Show();
        ajouterService(f, QStringLiteral("Atelier"));
        ajouterService(f, QStringLiteral("Bureau"));
        EXPECT_EQ(nombre(QStringLiteral("SELECT COUNT(*) FROM Services WHERE Site = ?"), {nord}), 2);
        EXPECT_EQ(colonne(f.DBGrid1), (QStringList{"Atelier", "Bureau"}));
        cliquerLigne(f.DataGrid2, 1);
        EXPECT_EQ(colonne(f.DBGrid1), (QStringList{"Quai", "Zinc"}));
        EXPECT_EQ(f.Text1->text(), QStringLiteral("Quai"));
        ajouterService(f, QStringLiteral("Atelier")); // another site's name is free here

        // A service in use stays; an unused one goes.
        cliquerLigne(f.DBGrid1, 1);
        const qint64 quai = Valeurs::lireEntier(f.services().Field(QStringLiteral("NoService")));
        base->executer(QStringLiteral("INSERT INTO Utilisateurs (NoBadge, Service) VALUES ('B1', ?)"),
                       {quai});
        dialogues.attendreMessage(QStringLiteral("Suppression non autorisé !"), Reponse::OK,
                                  QStringLiteral("Erreur"), Style54);
        QTest::mouseClick(f.CmdDel, Qt::LeftButton);
        EXPECT_EQ(colonne(f.DBGrid1), (QStringList{"Atelier", "Quai", "Zinc"}));
        cliquerLigne(f.DBGrid1, 2);
        QTest::mouseClick(f.CmdDel, Qt::LeftButton);
        EXPECT_EQ(colonne(f.DBGrid1), (QStringList{"Atelier", "Quai"}));
        f.Unload();
    }
    Global().OptionLienSiteService = false;
    FenSites f;
    f.Show();
    ajouterService(f, QStringLiteral("Magasin"));
    EXPECT_TRUE(base->valeurUnique(QStringLiteral("SELECT Site FROM Services WHERE NomService = 'Magasin'"))
                    .isNull());
    EXPECT_EQ(colonne(f.DBGrid1), (QStringList{"Atelier", "Atelier", "Bureau", "Magasin", "Quai"}));
    dialogues.attendreMessage(QStringLiteral("Le Service Atelier  existe déjà !"), Reponse::Reessayer,
                              QStringLiteral("Erreur"), Style54);
    ajouterService(f, QStringLiteral("Atelier"));
    EXPECT_TRUE(f.Text1->text().isEmpty());
    // A change keeps the row.
    f.services().MoveTo(3);
    f.Text2->setText(QStringLiteral("Réserve"));
    QTest::mouseClick(f.CmdModifier, Qt::LeftButton);
    EXPECT_EQ(f.Text1->text(), QStringLiteral("Magasin"));
    EXPECT_EQ(colonne(f.DBGrid1, 1).at(3), QStringLiteral("Réserve"));
    f.Unload();
}

TEST_F(FenSitesTest, ConsumptionOfTheSiteForOrmaxOnlyNothingToPrintOrTheReport) {
    Global().CheminRapports = QStringLiteral(DORVANE_RESOURCES_DIR "/RPT SQL/");
    base->executer(QStringLiteral("INSERT INTO Sites (NomSite) VALUES ('Nord'), ('Sud')"));
    const auto vente = [&](const QDateTime& date, const QString& site, const QString& designation) {
        const qint64 n = base->valeurUnique(QStringLiteral("INSERT INTO Ventes (LaDate, Utilisateur, Nom, "
                                                           "Prenom, TypeMouvement) VALUES (?, 'B1', 'Abel', "
                                                           "'Zoé', 3) RETURNING NumVente"),
                                            {Valeurs::valeurDate(date)})
                             .toLongLong();
        base->executer(QStringLiteral("INSERT INTO DetailVente (NumVente, Reference, Designation, Quantite, "
                                      "PrixAchatUnit, NoMachine, NomSite, NomService, Taille) "
                                      "VALUES (?, 7, ?, 2, 1.5, 0, ?, 'Atelier', 'XL')"),
                       {n, designation, site});
    };
    const QDate today = QDate::currentDate();
    vente(QDateTime(today, QTime(8, 0)), QStringLiteral("Nord"), QStringLiteral("Gant cuir"));
    vente(QDateTime(today, QTime(9, 0)), QStringLiteral("Sud"), QStringLiteral("Casque"));

    FenSites f;
    f.Show();
    QEvent activation(QEvent::WindowActivate);
    QCoreApplication::sendEvent(&f, &activation);
    EXPECT_FALSE(f.CmdConsoParSite->isVisibleTo(&f));
    Global().ClientOrmax = true;
    f.Hide();
    f.Show();
    QCoreApplication::sendEvent(&f, &activation);
    EXPECT_TRUE(f.CmdConsoParSite->isVisibleTo(&f));
    EXPECT_TRUE(f.CmdPeriode->isVisibleTo(&f));

    // The default period, then the report of Nord exported and read back.
    const QString pdf = dossier->fichier("site.pdf");
    session.surModal([&](QObject* forme) {
        EXPECT_EQ(forme, &Instance<FenCrystalRep>());
        EXPECT_EQ(nombre(QStringLiteral("SELECT COUNT(*) FROM CA")), 1);
        EXPECT_EQ(nombre(QStringLiteral("SELECT COUNT(*) FROM CA WHERE NomSite = 'Nord'")), 1);
        dialogues.attendreEnregistrementChoisi(pdf);
        QTest::mouseClick(Instance<FenCrystalRep>().CmdExportPdf, Qt::LeftButton);
        Instance<FenCrystalRep>().close();
    });
    QTest::mouseClick(f.CmdConsoParSite, Qt::LeftButton);
    const QString debut = QStringLiteral("01/01/%1").arg(today.year());
    EXPECT_EQ(f.DebutPeriode, debut);
    EXPECT_EQ(f.FinPeriode, today.toString(QStringLiteral("dd/MM/yyyy")));
    EXPECT_EQ(Instance<FenCompteRendu>().TextDebut->text(), debut);
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    ASSERT_TRUE(p.waitForFinished(30000));
    const QString texte = QString::fromUtf8(p.readAllStandardOutput());
    for (const QString& attendu :
         {QStringLiteral("Consommations du Site Nord"), debut, QStringLiteral("Gant cuir"),
          QStringLiteral("Atelier"), QStringLiteral("Abel")})
        EXPECT_TRUE(texte.contains(attendu)) << attendu.toStdString() << "\n" << texte.toStdString();
    EXPECT_FALSE(texte.contains(QStringLiteral("Casque")));

    // A period chosen in the calendar without withdrawals, and a period that ends before it starts.
    const QString rien = Global().msg(27);
    session.surModal([&](QObject* forme) {
        EXPECT_EQ(forme, &Instance<Calendrier>());
        Global().DateDebut = QDateTime(today.addYears(-2), QTime());
        Global().DateFin = QDateTime(today.addYears(-1), QTime());
    });
    dialogues.attendreMessage(rien, Reponse::OK, QStringLiteral("Dorvane"), StyleMessage::Exclamation);
    QTest::mouseClick(f.CmdPeriode, Qt::LeftButton);
    EXPECT_EQ(f.DebutPeriode, today.addYears(-2).toString(QStringLiteral("dd/MM/yyyy")));
    f.DebutPeriode = today.toString(QStringLiteral("dd/MM/yyyy"));
    f.FinPeriode = today.addDays(-1).toString(QStringLiteral("dd/MM/yyyy"));
    dialogues.attendreMessage(rien, Reponse::OK, QStringLiteral("Dorvane"), StyleMessage::Exclamation);
    QTest::mouseClick(f.CmdConsoParSite, Qt::LeftButton);
    EXPECT_EQ(session.formsModales().size(), 2);

    // A failure is shown with its number, never as an empty period, and logged; CA stays as it was.
    f.DebutPeriode = debut;
    f.FinPeriode = today.toString(QStringLiteral("dd/MM/yyyy"));
    base->executer(QStringLiteral("INSERT INTO CA (Nom) VALUES ('avant')"));
    base->executer(QStringLiteral("CREATE TRIGGER refus BEFORE INSERT ON CA BEGIN SELECT RAISE(ABORT, "
                                  "'CA refusée'); END"));
    dialogues.attendreMessageContenant(QString::number(ErreurExecution::ErreurBase) + QStringLiteral(" "));
    QTest::mouseClick(f.CmdConsoParSite, Qt::LeftButton);
    EXPECT_EQ(session.formsModales().size(), 2);
    EXPECT_EQ(nombre(QStringLiteral("SELECT COUNT(*) FROM CA WHERE Nom = 'avant'")), 1);
    EXPECT_EQ(nombre(QStringLiteral("SELECT COUNT(*) FROM CA")), 1);
    const QStringList journal = dossier->lignesJournal();
    ASSERT_FALSE(journal.isEmpty());
    EXPECT_TRUE(journal.last().startsWith(QStringLiteral("CreerEtatCAparSite|")))
        << journal.last().toStdString();
    EXPECT_TRUE(journal.last().contains(QStringLiteral("CA refusée")));
    f.Unload();
}
