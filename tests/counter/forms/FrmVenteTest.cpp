#include "counter/forms/FrmVente.h"

#include "app/forms/RegistreMenu.h"
#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/forms/Calendrier.h"
#include "common/forms/Instance.h"
#include "db/Recordset.h"
#include "db/Valeurs.h"
#include "reports/forms/FenCrystalRep.h"
#include "support/CouvertureLangues.h"
#include "support/FormeSurBase.h"
#include "support/ServeurSmtpDeTest.h"
#include "support/ServiceSessionScripte.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QVariant nulEntier() {
    return QVariant(QMetaType::fromType<qlonglong>());
}

class FrmVenteTest : public FormeSurBaseTest {
protected:
    void SetUp() override {
        FormeSurBaseTest::SetUp();
        principale.setObjectName(QStringLiteral("FrmPrincipal"));
    }
    void TearDown() override {
        f.Unload();
        DetruireInstance<FrmVente>();
        FormeSurBaseTest::TearDown();
    }
    // A withdrawal dated `jour` days after 1 January 2020 at 10:00 (newer numbers, newer dates).
    void vente(qint64 numero, int jour, const QString& badge, const QString& nom, const QVariant& total,
               const QVariant& machine = 1) {
        base->executer(
            QStringLiteral(
                "INSERT INTO Ventes (NumVente, LaDate, Utilisateur, Nom, Prenom, TypeMouvement, Total, "
                "NoMachine, Ticket) VALUES (?, ?, ?, ?, 'Léa', 3, ?, ?, ?)"),
            {numero, Valeurs::valeurDate(QDateTime(QDate(2020, 1, 1).addDays(jour), QTime(10, 0))), badge,
             nom, total, machine, QStringLiteral("T-%1").arg(numero)});
    }
    void ligne(qint64 numero, qint64 reference, const QString& designation, const QVariant& machine = 1) {
        base->executer(
            QStringLiteral("INSERT INTO DetailVente (NumVente, Reference, Designation, PrixAchatUnit, "
                           "Quantite, NoMachine) VALUES (?, ?, ?, 2.5, 1, ?)"),
            {numero, reference, designation, machine});
    }
    // Twelve withdrawals, 1 to 12, each with one line of reference 100 + its number.
    void journal() {
        const char* const noms[] = {"MARTIN", "DURAND", "Petit",   "O'NEIL", "Durant", "Bernard",
                                    "Dubois", "Moreau", "Laurent", "Simon",  "Michel", "Lefèvre"};
        for (int n = 1; n <= 12; ++n) {
            vente(n, n * 10, QStringLiteral("B%1").arg(n, 3, 10, QLatin1Char('0')),
                  QString::fromUtf8(noms[n - 1]), n * 1.5);
            ligne(n, 100 + n, QStringLiteral("Article %1").arg(n));
        }
    }
    void ouvrir() {
        f.Show();
        ASSERT_TRUE(f.estCharge());
        ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
    }
    // The main window takes the focus back, as between two openings from the menu.
    void revenirAuMenu() {
        principale.show();
        principale.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&principale));
    }
    qint64 courant() const {
        return f.data1->AbsolutePosition() < 0
                   ? -1
                   : Valeurs::lireEntier(f.data1->Field(QStringLiteral("NumVente")));
    }
    // The References of the lines grid.
    QList<qint64> lignes() const {
        QList<qint64> l;
        for (int i = 0; i < f.DBGrid2->model()->rowCount(); ++i)
            l << f.DBGrid2->model()->index(i, 1).data().toLongLong();
        return l;
    }
    static QStringList entetes(QTableView* grille) {
        QStringList l;
        for (int i = 0; i < grille->model()->columnCount(); ++i)
            l << grille->model()->headerData(i, Qt::Horizontal).toString();
        return l;
    }
    void cliquerEntete(int colonne) {
        QHeaderView* h = f.DBGrid1->horizontalHeader();
        QTest::mouseClick(h->viewport(), Qt::LeftButton, {},
                          QPoint(h->sectionViewportPosition(colonne) + 5, h->height() / 2));
    }
    qint64 compte(const QString& table) {
        return Valeurs::lireEntier(base->valeurUnique(QStringLiteral("SELECT COUNT(*) FROM ") + table));
    }

    QWidget principale;
    FrmVente f;
};

} // namespace

// The menu's button opens the one journal, newest first, with its design, the amounts and dates in their
// formats and the current withdrawal's ticket and lines; a header never sorts; "Fermer" (or Esc) hides it
// and the next opening shows, in the date mode, a withdrawal recorded meanwhile on top; the close box
// unloads it and gives the menu back; a database that cannot be read is shown and nothing opens.
TEST_F(FrmVenteTest, OpensFromTheMenuNewestFirstAndShowsTheNewOnesAtEachOpening) {
    vente(1, 0, QStringLiteral("B1"), QStringLiteral("DUPONT"), 1234.5, nulEntier());
    vente(2, 40, QStringLiteral("B2"), QStringLiteral("MARTIN"), QVariant(QMetaType::fromType<double>()));
    ligne(1, 501, QStringLiteral("Gants"), 0);
    ligne(1, 502, QStringLiteral("Casque"), 3);
    ligne(2, 503, QStringLiteral("Lunettes"));
    dossier->ecrireIni(QStringLiteral("Email"), QStringLiteral("Mailto3"), QStringLiteral("b@x.fr"));
    dossier->ecrireIni(QStringLiteral("Email"), QStringLiteral("Mailto0"), QStringLiteral("a@x.fr"));
    ServiceSessionScripte session;
    QList<QObject*> montrees;
    session.surModal([&](QObject* form) { montrees << form; });
    FormBase::Sablier(true);
    ASSERT_TRUE(RegistreMenu::global().ouvrir(QStringLiteral("CmdVente"), &principale));
    FrmVente& menu = Instance<FrmVente>();
    ASSERT_EQ(montrees, QList<QObject*>{&menu});
    ASSERT_TRUE(menu.estCharge());
    menu.Unload();

    ouvrir();
    EXPECT_FALSE(FormBase::SablierActif());
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Journal des consommations"));
    EXPECT_EQ(clesManquantes(&f), QStringList());
    EXPECT_EQ(f.Command1->text() + f.Command2->text() + f.Label2->text(),
              QStringLiteral("Supprimer l'enregistrementExport ExcelDétail"));
    EXPECT_EQ(entetes(f.DBGrid1),
              (QStringList{"No:", "Date", "Salarié", "Nom", "Ticket", "Prénom", "Montant"}));
    EXPECT_EQ(entetes(f.DBGrid2), (QStringList{"NumVente", "Réference", "Désignation", "Prix", "Quantité",
                                               "N° Machine", "QteDistribuer"}));
    EXPECT_EQ(entetes(f.DataGridRetour),
              (QStringList{"Ref: ", "Ref fournisseur", "Désignation", "Salarié", "Nom", "Ticket", "Prénom",
                           "Date retrait", "Date retour"}));
    // No returns handled: no box, no returns read; no address box without the GSM setting, though the
    // list is read.
    EXPECT_FALSE(f.CheckRetour->isVisible());
    EXPECT_FALSE(f.DataGridRetour->isVisible());
    EXPECT_FALSE(f.data3->IsOpen());
    EXPECT_FALSE(f.ComboAdressEmail->isVisible() || f.Label4->isVisible());
    ASSERT_EQ(f.ComboAdressEmail->count(), 2);
    EXPECT_EQ(f.ComboAdressEmail->itemText(1), QStringLiteral("b@x.fr"));

    QAbstractItemModel* m = f.DBGrid1->model();
    EXPECT_EQ(m->index(0, 0).data().toString(), QStringLiteral("2"));
    EXPECT_EQ(m->index(1, 1).data().toString(), QStringLiteral("01/01/2020 10:00:00"));
    EXPECT_EQ(m->index(1, 6).data().toString(), QStringLiteral("1\u00A0234,50\u00A0€"));
    EXPECT_EQ(m->index(0, 6).data().toString(), QString());
    EXPECT_EQ(f.DBGrid1->currentIndex().row(), 0);
    EXPECT_TRUE(f.TextCherche->hasFocus());
    EXPECT_EQ(f.TextTicket->text(), QStringLiteral("T-2"));
    EXPECT_TRUE(f.TextTicket->isReadOnly());
    EXPECT_EQ(lignes(), QList<qint64>{503});
    EXPECT_EQ(f.DBGrid2->model()->index(0, 3).data().toString(), QStringLiteral("2,50\u00A0€"));
    // A row clicked: its ticket and its lines, whatever their machine.
    QTest::mouseClick(f.DBGrid1->viewport(), Qt::LeftButton, {},
                      f.DBGrid1->visualRect(m->index(1, 3)).center());
    EXPECT_EQ(courant(), 1);
    EXPECT_EQ(f.TextTicket->text(), QStringLiteral("T-1"));
    EXPECT_EQ(lignes(), (QList<qint64>{501, 502}));
    cliquerEntete(3);
    EXPECT_EQ(m->index(0, 0).data().toString(), QStringLiteral("2"));

    // Esc is "Fermer"; reopened with the GSM setting: the address box, and only the withdrawal's own
    // machine's lines (a Null machine is machine 0).
    Global().OptionVersionGSM = true;
    QTest::keyClick(f.TextCherche, Qt::Key_Escape);
    EXPECT_FALSE(f.isVisible());
    EXPECT_TRUE(f.estCharge());
    vente(3, 80, QStringLiteral("B3"), QStringLiteral("ZOLA"), 3);
    revenirAuMenu();
    f.SSOptionNom->click();
    ouvrir();
    EXPECT_TRUE(f.SSOptionDate->isChecked());
    EXPECT_EQ(f.ModeRecherche, 1);
    EXPECT_EQ(courant(), 3);
    EXPECT_TRUE(f.ComboAdressEmail->isVisible() && f.Label4->isVisible());
    EXPECT_EQ(f.ComboAdressEmail->count(), 2);
    f.data1->MoveLast();
    EXPECT_EQ(lignes(), QList<qint64>{501});

    principale.setEnabled(false);
    f.close();
    EXPECT_FALSE(f.estCharge());
    EXPECT_FALSE(f.data1->IsOpen());
    EXPECT_TRUE(principale.isEnabled());

    Global().NomBase = QStringLiteral("ABSENTE");
    dialogues.attendreMessageContenant(QString::number(ErreurExecution::BaseInaccessible) + u' ');
    montrees.clear();
    ASSERT_TRUE(RegistreMenu::global().ouvrir(QStringLiteral("CmdVente"), &principale));
    EXPECT_TRUE(montrees.isEmpty());
    EXPECT_FALSE(menu.estCharge());
}

// The date mode from eight characters and its key filter; the name from the current row, a quote being a
// quote; a click empties the box; "Salarié" and "Date" in the header choose the mode, "Nom" does nothing;
// the lines follow every move, a number 0 keeping those shown, a failure logged under its description.
// Opening, and opening again from the menu, shows the journal newest first without sorting it in memory;
// the name mode chosen again makes no collation key again.
TEST_F(FrmVenteTest, OpeningSortsNothingAndTheNameModeMakesItsKeysOnce) {
    journal();
    ouvrir();
    EXPECT_EQ(courant(), 12);
    EXPECT_EQ(f.data1->TravailFait().tris, 0);
    f.SSOptionNom->click();
    EXPECT_EQ(f.data1->TravailFait().tris, 1);
    EXPECT_EQ(f.data1->TravailFait().clesCalculees, 12);
    f.SSOptionDate->click();
    f.SSOptionNom->click();
    EXPECT_EQ(f.data1->TravailFait().clesCalculees, 12);
    EXPECT_EQ(f.data1->ValueAt(0, f.data1->FieldIndex(QStringLiteral("Nom"))).toString(),
              QStringLiteral("Bernard"));
    f.cmdClose->click();
    revenirAuMenu();
    const int tris = f.data1->TravailFait().tris;
    ouvrir();
    EXPECT_EQ(courant(), 12);
    EXPECT_EQ(f.data1->TravailFait().tris, tris);
}

TEST_F(FrmVenteTest, SearchesByDateBadgeAndNameAndTheLinesFollow) {
    journal();
    vente(0, 500, QStringLiteral("B000"), QStringLiteral("ZÉRO"), 1);
    ouvrir();
    f.data1->MoveTo(9);
    ASSERT_EQ(courant(), 4);
    QTest::keyClicks(f.TextCherche, QStringLiteral("01/02/2"));
    EXPECT_EQ(courant(), 4);
    QTest::keyClicks(f.TextCherche, QStringLiteral("0"));
    EXPECT_EQ(courant(), 3); // none on the 1st of February: the newest before it
    EXPECT_EQ(lignes(), QList<qint64>{103});
    f.TextCherche->clear();
    QTest::keyClicks(f.TextCherche, QStringLiteral("15/05/2021"));
    EXPECT_EQ(courant(), 0);
    EXPECT_EQ(lignes(), QList<qint64>{112}); // "15/05/20" went to number 12; number 0 keeps its lines
    EXPECT_EQ(f.TextTicket->text(), QStringLiteral("T-0"));
    f.TextCherche->clear();
    QTest::keyClicks(f.TextCherche, QStringLiteral("1a/B2: x"));
    EXPECT_EQ(f.TextCherche->text(), QStringLiteral("1/2: "));
    QTest::keyClick(f.TextCherche, Qt::Key_Backspace);
    EXPECT_EQ(f.TextCherche->text(), QStringLiteral("1/2:"));
    QTest::mouseClick(f.TextCherche, Qt::LeftButton);
    EXPECT_EQ(f.TextCherche->text(), QString());

    f.SSOptionNom->click();
    EXPECT_EQ(f.ModeRecherche, 4);
    QTest::keyClicks(f.TextCherche, QStringLiteral("o'n"));
    EXPECT_EQ(courant(), 4);
    EXPECT_EQ(f.DBGrid1->currentIndex().row(), f.data1->AbsolutePosition());
    EXPECT_EQ(lignes(), QList<qint64>{104});

    f.TextCherche->setText(QStringLiteral("MAR"));
    cliquerEntete(3);
    EXPECT_EQ(f.ModeRecherche, 4);
    EXPECT_EQ(f.TextCherche->text(), QStringLiteral("MAR"));
    cliquerEntete(2);
    EXPECT_TRUE(f.SSOptionClient->isChecked());
    EXPECT_EQ(f.ModeRecherche, 2);
    EXPECT_EQ(f.TextCherche->text(), QString());
    f.data1->MoveFirst();
    QTest::keyClicks(f.TextCherche, QStringLiteral("b01"));
    EXPECT_EQ(courant(), 10);
    cliquerEntete(1);
    EXPECT_EQ(f.ModeRecherche, 1);
    EXPECT_EQ(f.TextCherche->text(), QString());

    base->executer(QStringLiteral("DROP TABLE DetailVente"));
    f.data1->MoveTo(3);
    EXPECT_EQ(lignes(), QList<qint64>());
    const QStringList journal = dossier->lignesJournal();
    ASSERT_EQ(journal.size(), 1);
    const QString contexte = journal.first().section(u'|', 0, 0);
    EXPECT_TRUE(contexte.contains(QStringLiteral("DetailVente")) &&
                journal.first().section(u'|', 1).contains(contexte))
        << journal.first().toStdString();

    // An empty journal: searches and deletion do nothing.
    base->executer(QStringLiteral("DELETE FROM Ventes"));
    f.data1->Requery();
    QTest::keyClicks(f.TextCherche, QStringLiteral("dur"));
    f.Command1->click();
    EXPECT_EQ(f.TextTicket->text(), QString());
}

// Deletion asks first; the header goes, its lines stay, the next row is current; a refusal is shown, the
// row kept.
TEST_F(FrmVenteTest, DeletionAsksRemovesTheHeaderKeepsTheLinesAndShowsARefusal) {
    journal();
    base->executer(QStringLiteral("CREATE TRIGGER refus BEFORE DELETE ON Ventes WHEN OLD.NumVente = 10 BEGIN "
                                  "SELECT RAISE(ABORT, 'vente verrouillée'); END"));
    ouvrir();
    f.data1->MoveTo(1);
    const QString question = QStringLiteral("Confirmer la suppression !");
    const int style = StyleMessage::YesNo | StyleMessage::Exclamation;
    dialogues.attendreMessage(question, Reponse::Non, QStringLiteral("Confirmation"), style);
    f.Command1->click();
    EXPECT_EQ(compte(QStringLiteral("Ventes")), 12);
    dialogues.attendreMessage(question, Reponse::Oui, QStringLiteral("Confirmation"), style);
    f.Command1->click();
    EXPECT_EQ(compte(QStringLiteral("Ventes")), 11);
    EXPECT_EQ(compte(QStringLiteral("DetailVente")), 12);
    EXPECT_EQ(courant(), 10);
    EXPECT_EQ(f.DBGrid1->currentIndex().row(), 1);
    EXPECT_EQ(lignes(), QList<qint64>{110});

    dialogues.attendreMessage(question, Reponse::Oui, QStringLiteral("Confirmation"), style);
    dialogues.attendreMessageContenant(QStringLiteral("vente verrouillée"));
    f.Command1->click();
    EXPECT_TRUE(dialogues.messages().last().startsWith(QString::number(ErreurExecution::ErreurBase) + u' '))
        << dialogues.messages().last().toStdString();
    EXPECT_EQ(compte(QStringLiteral("Ventes")), 11);
    EXPECT_EQ(courant(), 10);
}

// With returns: the box shown and the returns read newest first; ticked, they cover the journal, a mode
// sorts them and the search still moves the journal; nothing is deleted then; a reload starts with the
// journal in front.
TEST_F(FrmVenteTest, ReturnsCoverTheJournalWhileTheSearchMovesTheJournal) {
    journal();
    for (const auto& [nom, retrait] :
         {std::pair{"Ébert", "2023-05-01 10:00:00"}, std::pair{"Zola", "2024-05-01 10:00:00"},
          std::pair{"Adam", "2022-05-01 10:00:00"}})
        base->executer(QStringLiteral("INSERT INTO Retour (NomUser, LaDateRetrait) VALUES (?, ?)"),
                       {QString::fromUtf8(nom), QString::fromLatin1(retrait)});
    Global().OptionAvecRetour = true;
    ouvrir();
    EXPECT_TRUE(f.CheckRetour->isVisible());
    EXPECT_FALSE(f.DataGridRetour->isVisible());
    QAbstractItemModel* r = f.DataGridRetour->model();
    EXPECT_EQ(r->index(0, 4).data().toString(), QStringLiteral("Zola"));
    EXPECT_EQ(r->index(0, 7).data().toString(), QStringLiteral("01/05/2024 10:00:00"));
    f.CheckRetour->click();
    EXPECT_TRUE(f.DataGridRetour->isVisible());
    EXPECT_EQ(f.DataGridRetour->mapTo(&f, QPoint()), f.DBGrid1->mapTo(&f, QPoint()));

    f.SSOptionNom->click();
    EXPECT_EQ(r->index(0, 4).data().toString(), QStringLiteral("Adam"));
    EXPECT_EQ(f.DBGrid1->model()->index(0, 0).data().toString(), QStringLiteral("12"));
    f.data1->MoveTo(5);
    const int retourCourant = f.data3->AbsolutePosition();
    QTest::keyClicks(f.TextCherche, QStringLiteral("o'n"));
    EXPECT_EQ(courant(), 4);
    EXPECT_EQ(f.data3->AbsolutePosition(), retourCourant);
    f.Command1->click();
    EXPECT_EQ(compte(QStringLiteral("Ventes")), 12);

    f.Unload();
    revenirAuMenu();
    ouvrir();
    EXPECT_FALSE(f.CheckRetour->isChecked());
    EXPECT_FALSE(f.DataGridRetour->isVisible());
}

// 200 withdrawals and their returns in each language: every caption whole; the French and Dutch pictures
// saved for a look.
TEST_F(FrmVenteTest, EveryLanguageFitsAndScreenshotsInFrenchAndDutch) {
    const QStringList noms = {"Lefèvre", "Dupré", "Bégué",   "Müller",
                              "Nowak",   "Kováč", "O'Neill", "Van den Berghe"};
    const QStringList articles = {"Gants nitrile", "Chaussures S3", "Lunettes", "Casque",
                                  "Bouchons d'oreilles"};
    for (int n = 1; n <= 200; ++n) {
        vente(n, n, QStringLiteral("7A%1").arg(3100 + n), noms[n % noms.size()].toUpper(), n * 12.25, n % 4);
        ligne(n, 1000 + n % 20, articles[n % articles.size()] + QStringLiteral(" T%1").arg(n % 9), n % 4);
        if (n % 3 == 0)
            ligne(n, 2000 + n % 7, articles[(n + 2) % articles.size()], n % 4);
    }
    for (int i = 0; i < 30; ++i)
        base->executer(
            QStringLiteral("INSERT INTO Retour (ReferenceArticle, RefFournisseur, Designation, "
                           "Utilisateur, NomUser, PrenomUser, LaDateRetrait, LaDateRetour, Ticket) "
                           "VALUES (?, ?, ?, ?, ?, 'Élodie', ?, ?, ?)"),
            {1000 + i, QStringLiteral("REF-%1").arg(i * 7, 3, 10, QLatin1Char('0')),
             articles[i % articles.size()], QStringLiteral("7A%1").arg(3100 + i),
             noms[i % noms.size()].toUpper(),
             Valeurs::valeurDate(QDateTime(QDate(2024, 3, 1).addDays(i), QTime(9, 30))),
             Valeurs::valeurDate(QDateTime(QDate(2024, 3, 2).addDays(i), QTime(16, 5))),
             QString::number(4000 + i)});
    Global().OptionAvecRetour = true;
    Global().OptionVersionGSM = true;
    dossier->ecrireIni(QStringLiteral("Email"), QStringLiteral("Mailto0"),
                       QStringLiteral("achats@exemple.fr"));
    const QStringList langues = {"FR", "NL", "PL", "SK", "DE"};
    const QStringList titres = {"Journal des consommations", "Verbruiksjournaal", "Dziennik pobrań",
                                "Denník spotreby", "Verbrauchsjournal"};
    for (int i = 0; i < langues.size(); ++i) {
        const std::string langue = langues[i].toStdString();
        Global().LangueCourante = langues[i];
        Global().FichierLangue = dossier->fichier(fichiersLangueLivres()[i]);
        ouvrir();
        EXPECT_EQ(f.windowTitle(), titres[i]);
        if (langues[i] == QLatin1String("NL")) {
            EXPECT_EQ(entetes(f.DBGrid2).mid(4),
                      (QStringList{"Aantal", "Automaat nr.", "Uit te geven aantal"}));
        }
        f.data1->MoveTo(2);
        for (QWidget* w : f.findChildren<QWidget*>()) {
            const bool legende = qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w);
            if (legende && w->isVisible()) {
                EXPECT_LE(w->sizeHint().width(), w->width())
                    << langue << " " << w->objectName().toStdString();
            }
        }
        for (QTableView* g : {f.DBGrid1, f.DBGrid2, f.DataGridRetour})
            for (int c = 0; c < g->model()->columnCount(); ++c)
                EXPECT_LE(g->horizontalHeader()->sectionSizeHint(c), g->columnWidth(c) + 1)
                    << langue << " " << g->objectName().toStdString() << " " << c;
        if (i < 2) {
            f.grab().save(QStringLiteral("/tmp/dorvane-frmvente-%1.png").arg(langues[i]));
            f.CheckRetour->click();
            f.grab().save(QStringLiteral("/tmp/dorvane-frmvente-retours-%1.png").arg(langues[i]));
        }
        f.Unload();
        revenirAuMenu();
    }
}

namespace {

// The export writes into a temporary folder of the test's own.
class FrmVenteExportTest : public FrmVenteTest {
protected:
    void SetUp() override {
        FrmVenteTest::SetUp();
        if (HasFatalFailure())
            return;
        m_tmpAvant = qgetenv("TMPDIR");
        qputenv("TMPDIR", QFile::encodeName(tmp.path()));
    }
    void TearDown() override {
        qputenv("TMPDIR", m_tmpAvant);
        DetruireInstance<Calendrier>();
        DetruireInstance<FenCrystalRep>();
        FrmVenteTest::TearDown();
    }
    // The calendar answers with the period from the first to the last day.
    void periode(ServiceSessionScripte& session, const QDate& debut, const QDate& fin) {
        session.surModal([=](QObject* forme) {
            EXPECT_EQ(forme, &Instance<Calendrier>());
            Global().DateDebut = QDateTime(debut, QTime());
            Global().DateFin = QDateTime(fin, QTime());
        });
    }
    static QByteArray lire(const QString& chemin) {
        QFile fichier(chemin);
        return fichier.open(QIODevice::ReadOnly) ? fichier.readAll() : QByteArray("<absent>");
    }
    void quitterAdresse(const QString& texte) {
        f.ComboAdressEmail->setEditText(texte);
        f.ComboAdressEmail->setFocus();
        QCoreApplication::processEvents();
        f.cmdClose->setFocus();
        QCoreApplication::processEvents();
    }

    QTemporaryDir tmp;

private:
    QByteArray m_tmpAvant;
};

} // namespace

// The journal of the chosen period is written to the temporary folder, an older export of any case
// deleted, and opened; ticked, the returns whatever the period; an export that fails is shown and
// nothing is opened.
TEST_F(FrmVenteExportTest, ExportsTheJournalOrTheReturnsAndOpensThem) {
    Global().OptionAvecRetour = true;
    journal();
    base->executer(QStringLiteral("INSERT INTO Retour (Designation, LaDateRetrait) VALUES ('Casque', NULL)"));
    ServiceSessionScripte session;
    ouvrir();
    const QString chemin = QDir(tmp.path()).filePath(QStringLiteral("consoQuorel.csv"));
    const QString ancien = QDir(tmp.path()).filePath(QStringLiteral("CONSOQUOREL.CSV"));
    QFile(ancien).open(QIODevice::WriteOnly);

    periode(session, QDate(2020, 1, 11), QDate(2020, 1, 21));
    session.attendreOuvrirDocument(chemin);
    QTest::mouseClick(f.Command2, Qt::LeftButton);
    EXPECT_FALSE(QFile::exists(ancien));
    const QList<QByteArray> lignes = lire(chemin).split('\n');
    ASSERT_EQ(lignes.size(), 4);
    EXPECT_TRUE(lignes[0].startsWith("NumVente;LaDate;"));
    EXPECT_EQ(lignes[1], "1;11/01/2020 10:00:00;B001;MARTIN;L\xe9"
                         "a;101;Article 1;1;;;;;1;1,5\r");
    EXPECT_TRUE(lignes[2].startsWith("2;21/01/2020 10:00:00;B002;DURAND;"));

    f.CheckRetour->setChecked(true);
    periode(session, QDate(2030, 1, 1), QDate(2030, 1, 1));
    session.attendreOuvrirDocument(chemin);
    QTest::mouseClick(f.Command2, Qt::LeftButton);
    EXPECT_TRUE(lire(chemin).endsWith(";Casque;;;;;;;;;;;;;\r\n")) << lire(chemin).toStdString();

    // Nothing opens it: a message names the file, in the language of the form.
    periode(session, QDate(2030, 1, 1), QDate(2030, 1, 1));
    session.attendreOuvrirDocument(chemin, false);
    dialogues.attendreMessage(
        QStringLiteral("Le fichier a été enregistré, mais aucun programme n'a pu l'ouvrir :\n") + chemin,
        Reponse::OK, QStringLiteral("Dorvane"), StyleMessage::OK | StyleMessage::Information);
    QTest::mouseClick(f.Command2, Qt::LeftButton);
    Global().LangueCourante = QStringLiteral("NL");
    Global().FichierLangue = dossier->fichier(QStringLiteral("nederlands.lng"));
    periode(session, QDate(2030, 1, 1), QDate(2030, 1, 1));
    session.attendreOuvrirDocument(chemin, false);
    dialogues.attendreMessage(
        QStringLiteral("Het bestand is opgeslagen, maar geen enkel programma kon het openen:\n") + chemin);
    QTest::mouseClick(f.Command2, Qt::LeftButton);

    // A folder in the way: the error, nothing opened.
    QFile::remove(chemin);
    ASSERT_TRUE(QDir().mkpath(chemin));
    periode(session, QDate(2020, 1, 1), QDate(2020, 1, 31));
    dialogues.attendreMessageContenant(QString::number(ErreurExecution::PathFileAccess) + u' ');
    QTest::mouseClick(f.Command2, Qt::LeftButton);
    EXPECT_EQ(session.documentsOuverts().size(), 4);
}

// In the multi-machine installation the address is checked before the calendar (the box turning yellow),
// then the export is written to the program folder and mailed; a refused mail shows the error instead of
// the end message.
TEST_F(FrmVenteExportTest, MailsTheExportToTheTypedAddressAndShowsARefusal) {
    Global().OptionVersionGSM = true;
    ServeurSmtpDeTest serveur;
    ServeurSmtpDeTest refus({QStringLiteral("--refuser"), QStringLiteral("554")});
    for (const auto& [cle, valeur] : {std::pair{"SMTP", "127.0.0.1"}, {"MailFrom", "lise@exemple.fr"}})
        dossier->ecrireIni("Email", cle, valeur);
    dossier->ecrireIni("Email", "Port", QString::number(serveur.port()));
    journal();
    ServiceSessionScripte session;
    ouvrir();
    const QColor jaune(255, 255, 0);
    EXPECT_NE(f.ComboAdressEmail->palette().color(QPalette::Base), jaune);

    // No calendar is shown for a refused address.
    session.surModal([](QObject*) { ADD_FAILURE() << "calendar shown"; });
    f.ComboAdressEmail->setEditText(QString());
    dialogues.attendreMessage(QStringLiteral("Veuillez renseigner votre Email"), Reponse::OK, std::nullopt,
                              StyleMessage::Exclamation);
    QTest::mouseClick(f.Command2, Qt::LeftButton);
    EXPECT_EQ(f.ComboAdressEmail->palette().color(QPalette::Base), jaune);
    f.ComboAdressEmail->setEditText(QStringLiteral("nom.prenom"));
    dialogues.attendreMessage(QStringLiteral("Mauvais format d'adresse Email"), Reponse::OK, std::nullopt,
                              StyleMessage::Exclamation);
    QTest::mouseClick(f.Command2, Qt::LeftButton);

    const QString chemin = dossier->fichier(QStringLiteral("consoQuorel.csv"));
    f.ComboAdressEmail->setEditText(QStringLiteral("paul@exemple.fr"));
    periode(session, QDate(2020, 1, 1), QDate(2020, 1, 31));
    dialogues.attendreMessage(QStringLiteral("Opération terminée !"), Reponse::OK, std::nullopt,
                              StyleMessage::OK);
    QTest::mouseClick(f.Command2, Qt::LeftButton);
    EXPECT_EQ(Global().AdresseEmail, QStringLiteral("paul@exemple.fr"));
    ASSERT_EQ(serveur.nombre(), 1);
    EXPECT_EQ(serveur.enveloppe(1).value("a").toArray().first().toString(),
              QStringLiteral("paul@exemple.fr"));
    EXPECT_TRUE(serveur.message(1).contains("Subject: Consommations distributeur automatique d'E.P.I. : "));
    const QByteArray fichier = lire(chemin);
    EXPECT_EQ(fichier.count("\r\n"), 4);
    EXPECT_EQ(ServeurSmtpDeTest::piecesJointes(serveur.message(1)).value(QStringLiteral("consoQuorel.csv")),
              fichier);
    EXPECT_EQ(f.ComboAdressEmail->palette().color(QPalette::Base), jaune);

    // The server refuses the recipient: its reply, never the end message.
    dossier->ecrireIni("Email", "Port", QString::number(refus.port()));
    periode(session, QDate(2020, 1, 1), QDate(2020, 1, 31));
    dialogues.attendreMessageContenant(QString::number(ErreurExecution::EnvoiEmailEchec) + u' ');
    QTest::mouseClick(f.Command2, Qt::LeftButton);
    EXPECT_EQ(refus.nombre(), 0);
    EXPECT_EQ(serveur.nombre(), 1);

    // Leaving the box adds an address with "." and "@" once.
    const int avant = f.ComboAdressEmail->count();
    quitterAdresse(QStringLiteral("z@w"));
    EXPECT_EQ(f.ComboAdressEmail->count(), avant);
    quitterAdresse(QStringLiteral("z@w.fr"));
    quitterAdresse(QStringLiteral("z@w.fr"));
    EXPECT_EQ(f.ComboAdressEmail->count(), avant + 1);
    EXPECT_EQ(f.ComboAdressEmail->itemText(avant), QStringLiteral("z@w.fr"));
}
