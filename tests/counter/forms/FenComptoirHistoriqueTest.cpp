#include "counter/forms/FenComptoir.h"

#include "OutilsProcessus.h"
#include "common/EtatGlobal.h"
#include "common/ServiceDialogue.h"
#include "common/forms/Instance.h"
#include "common/forms/SpinButton.h"
#include "counter/RetraitsDeTest.h"
#include "db/Recordset.h"
#include "support/FormeSurBase.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

QVariant nul() {
    return QVariant(QMetaType::fromType<QString>());
}

const QDateTime Debut(QDate(2026, 3, 2), QTime(8, 0));

class FenComptoirHistoriqueTest : public FormeSurBaseTest {
protected:
    void TearDown() override {
        f.Unload();
        DetruireInstance<FenComptoir>();
        ImprimanteCourante() = ChoixImprimante{};
        FormeSurBaseTest::TearDown();
    }
    void salarie(const QString& nom, const QString& prenom, const QString& badge) {
        base->executer(QStringLiteral("INSERT INTO Utilisateurs (Nom, Prenom, NoBadge) VALUES (?, ?, ?)"),
                       {nom, prenom, badge});
    }
    void retrait(const QDateTime& date, const QString& badge, int type, const QVariant& reference,
                 const QVariant& refFournisseur, const QVariant& designation = QStringLiteral("Gants")) {
        ajouterRetrait(*base, date, badge, type, reference, refFournisseur, designation);
    }
    // 501 counter withdrawals of AB12, a minute apart from Debut, then a return; two of one second last.
    void historiqueComplet() {
        TransactionEcriture t(*base);
        for (int i = 0; i < 499; ++i)
            retrait(Debut.addSecs(60 * i), QStringLiteral("AB12"), 3, 1000 + i,
                    i == 3 ? nul() : QVariant(QStringLiteral("R%1").arg(i)),
                    i == 4 ? QVariant(QStringLiteral("Longue ") + QString(143, u'w'))
                           : QVariant(QStringLiteral("Article %1").arg(i)));
        retrait(Debut.addDays(30), QStringLiteral("AB12"), 3, 5, QStringLiteral("eb"));
        retrait(Debut.addDays(30), QStringLiteral("AB12"), 3, 6, QStringLiteral("éa"));
        retrait(Debut.addDays(31), QStringLiteral("AB12"), 4, 7, QStringLiteral("RETOUR"));
        t.valider();
    }
    void ouvrir() {
        f.Show();
        ASSERT_TRUE(f.estCharge());
        ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
    }
    // The grid's row as it shows it.
    QString ligne(int r) const {
        QStringList cellules;
        for (int c = 0; c < 5; ++c)
            cellules << f.DataGrid1->model()->index(r, c).data().toString();
        return cellules.join(u'|');
    }
    int lignes() const { return f.DataGrid1->model()->rowCount(); }
    QStringList legendes() const {
        QStringList l;
        for (int c = 0; c < 5; ++c)
            l << f.DataGrid1->model()->headerData(c, Qt::Horizontal).toString();
        return l;
    }
    // The print-out, the print dialog answered with that PDF file.
    void imprimer(const QString& pdf) {
        dialogues.attendreImprimante({1, ChoixImprimante{QString(), 1, 1, pdf}});
        QTest::mouseClick(f.CommandButton2, Qt::LeftButton);
    }
    // The non-empty lines of the print-out, trimmed.
    static QStringList imprime(const QString& pdf) {
        QStringList l;
        for (const QString& t : OutilsProcessus::textePdf(pdf).split(u'\n'))
            if (const QString s = QString(t).remove(u'\f').trimmed(); !s.isEmpty())
                l << s;
        return l;
    }

    FenComptoir f;
};

} // namespace

// Nothing with an empty badge box; the badge box's history on its first row, read-only, read again as it
// stands until an employee search or a spin step drops it; the badge compared as the layer compares
// badges; a failure to read shows its number and text.
TEST_F(FenComptoirHistoriqueTest, ViewButtonShowsTheBadgeBoxHistoryOnItsFirstRow) {
    salarie(QStringLiteral("BERTIN"), QStringLiteral("Zoé"), QStringLiteral("AB12"));
    salarie(QStringLiteral("BERGER"), QStringLiteral("Anne"), QStringLiteral("B-100"));
    historiqueComplet();
    ajouterRetrait(*base, Debut, QStringLiteral("B-100"), 3, 99, QStringLiteral("CASQUE"),
                   QStringLiteral("Casque"), 2);
    ouvrir();
    EXPECT_EQ(f.CommandButton1->text(), QStringLiteral("Visualiser l'historique"));
    EXPECT_EQ(f.LegendeDataGrid1->text(), QStringLiteral("Historique"));
    EXPECT_EQ(legendes(), (QStringList{"Date", "Référence", "Réf. fournisseur", "Désignation", "Qté"}));

    QTest::mouseClick(f.CommandButton1, Qt::LeftButton);
    EXPECT_FALSE(f.RsHistorique->IsOpen());
    EXPECT_EQ(lignes(), 0);

    QTest::keyClicks(f.TextUtilisateur, QStringLiteral("ab12"));
    ASSERT_TRUE(f.SalarieSelectionne);
    QTest::mouseClick(f.CommandButton1, Qt::LeftButton);
    EXPECT_FALSE(FormBase::SablierActif());
    ASSERT_EQ(lignes(), 500);
    EXPECT_EQ(ligne(0), QStringLiteral("01/04/2026|6|éa|Gants|1"));
    EXPECT_EQ(ligne(1), QStringLiteral("01/04/2026|5|eb|Gants|1"));
    EXPECT_EQ(ligne(499), QStringLiteral("02/03/2026|1001|R1|Article 1|1"));
    EXPECT_EQ(f.DataGrid1->currentIndex().row(), 0);
    EXPECT_FALSE(f.DataGrid1->model()->flags(f.DataGrid1->model()->index(0, 3)) & Qt::ItemIsEditable);
    f.grab().save(QStringLiteral("/tmp/dorvane-comptoir-historique-FR.png"));

    // Again: the same query reads the rows again, and the grid goes back to its first row.
    f.DataGrid1->setCurrentIndex(f.DataGrid1->model()->index(9, 0));
    ASSERT_EQ(f.RsHistorique->AbsolutePosition(), 9);
    retrait(Debut.addDays(40), QStringLiteral("AB12"), 3, 8, QStringLiteral("NOUVEAU"));
    QTest::mouseClick(f.CommandButton1, Qt::LeftButton);
    EXPECT_EQ(lignes(), 500);
    EXPECT_EQ(ligne(0), QStringLiteral("11/04/2026|8|NOUVEAU|Gants|1"));
    EXPECT_EQ(f.RsHistorique->AbsolutePosition(), 0);
    EXPECT_EQ(f.DataGrid1->currentIndex().row(), 0);

    // A spin step drops it: the view then shows the other employee's.
    QTest::mouseClick(f.SpinButton1->flecheDroite(), Qt::LeftButton);
    ASSERT_EQ(f.TextUtilisateur->text(), QStringLiteral("B-100"));
    EXPECT_FALSE(f.RsHistorique->IsOpen());
    EXPECT_EQ(lignes(), 0);
    QTest::mouseClick(f.CommandButton1, Qt::LeftButton);
    ASSERT_EQ(lignes(), 1);
    EXPECT_EQ(ligne(0), QStringLiteral("02/03/2026|99|CASQUE|Casque|2"));

    // The badge box's text, not the selected employee: "_" is a character, so is a quote.
    for (const QString& badge : {QStringLiteral("a_12"), QStringLiteral("AB12'")}) {
        f.TextUtilisateur->setText(badge);
        QTest::mouseClick(f.CommandButton1, Qt::LeftButton);
        EXPECT_TRUE(f.RsHistorique->IsOpen());
        EXPECT_EQ(lignes(), 0) << badge.toStdString();
    }

    // A database that refuses: the number, a blank and the text; the hourglass gone.
    base->executer(QStringLiteral("ALTER TABLE DetailVente RENAME TO DetailVenteAilleurs"));
    f.TextUtilisateur->setText(QStringLiteral("AB12"));
    dialogues.attendreMessageContenant(QStringLiteral("DetailVente"));
    QTest::mouseClick(f.CommandButton1, Qt::LeftButton);
    ASSERT_EQ(dialogues.messages().size(), 1);
    EXPECT_TRUE(QRegularExpression("^-?\\d+ ").match(dialogues.messages().first()).hasMatch())
        << dialogues.messages().first().toStdString();
    EXPECT_FALSE(FormBase::SablierActif());
}

// Every row printed whatever the current row, after the name and the header, to the file the print
// dialog gave (the one offered without a printer names the employee); an empty history or badge box
// prints the name line and the header only; a cancelled dialog prints nothing; a failure shows its
// text alone.
TEST_F(FenComptoirHistoriqueTest, PrintOutHoldsEveryRowOfTheRefreshedHistory) {
    salarie(QStringLiteral("BERTIN"), QStringLiteral("Zoé"), QStringLiteral("AB12"));
    salarie(QStringLiteral("BERGER"), QStringLiteral("Anne"), QStringLiteral("B-100"));
    historiqueComplet();
    const QString pdf = dossier->fichier(QStringLiteral("historique.pdf"));
    ouvrir();
    EXPECT_EQ(f.CommandButton2->text(), QStringLiteral(" Imprimer l'historique"));
    f.TextUtilisateur->setText(QStringLiteral("AB12"));
    QTest::mouseClick(f.CommandButton1, Qt::LeftButton);
    f.DataGrid1->setCurrentIndex(f.DataGrid1->model()->index(9, 0));
    ASSERT_EQ(f.RsHistorique->AbsolutePosition(), 9);

    dialogues.attendreImprimante({1, ChoixImprimante{QString(), 1, 1, pdf}}, [](const QString& propose) {
        EXPECT_EQ(QFileInfo(propose).fileName(), QStringLiteral("Historique Zoé BERTIN.pdf"));
    });
    QTest::mouseClick(f.CommandButton2, Qt::LeftButton);
    ASSERT_EQ(f.Lst->count(), 501);
    EXPECT_EQ(f.Lst->item(0)->text(),
              QStringLiteral("Date\t\tRéférence\tQté\tRéf. fournisseur\tDésignation"));
    EXPECT_EQ(f.Lst->item(1)->text(), QStringLiteral("01/04/2026\t6\t\t1\téa\t\t\tGants"));
    EXPECT_EQ(f.DataGrid1->currentIndex().row(), 0);
    // Every row, the last one last, whatever the pages.
    const QStringList l = imprime(pdf);
    ASSERT_EQ(l.size(), 502);
    EXPECT_EQ(l.at(0), QStringLiteral("Zoé BERTIN"));
    const QString entete = QStringLiteral("DateRéférenceQtéRéf.fournisseurDésignation");
    EXPECT_EQ(QString(l.at(1)).remove(u' '), entete);
    EXPECT_EQ(l.at(501).split(QRegularExpression("\\s{2,}")),
              (QStringList{"02/03/2026", "1001", "1", "R1", "Article 1"}));

    // No withdrawal, then an empty badge box (the card emptied, the history dropped).
    f.TextUtilisateur->setText(QStringLiteral("B-100"));
    imprimer(pdf);
    EXPECT_EQ(f.Lst->count(), 1);
    EXPECT_EQ(imprime(pdf).join(u'/').remove(u' '), QStringLiteral("AnneBERGER/") + entete);
    f.TextUtilisateur->clear();
    imprimer(pdf);
    EXPECT_EQ(imprime(pdf).join(u'/').remove(u' '), entete);

    // Cancelled: nothing printed.
    ASSERT_TRUE(QFile::remove(pdf));
    dialogues.attendreImprimante({0, ChoixImprimante{}});
    QTest::mouseClick(f.CommandButton2, Qt::LeftButton);
    EXPECT_FALSE(QFile::exists(pdf));

    // An output that cannot be written: its text alone, OK and no title.
    const QString impossible = dossier->fichier(QStringLiteral("automat.ini/historique.pdf"));
    f.TextUtilisateur->setText(QStringLiteral("AB12"));
    dialogues.attendreImprimante({1, ChoixImprimante{QString(), 1, 1, impossible}});
    dialogues.attendreMessage(QStringLiteral("Impression impossible sur ") + impossible, Reponse::OK,
                              QStringLiteral("Dorvane"), StyleMessage::OK);
    QTest::mouseClick(f.CommandButton2, Qt::LeftButton);
    EXPECT_FALSE(QFile::exists(impossible));
}

// In Dutch the grid's captions, and the print-out's header, come from the Dutch file; a look at the grid.
TEST_F(FenComptoirHistoriqueTest, DutchCaptionsAndAPictureOfTheGrid) {
    salarie(QStringLiteral("BERTIN"), QStringLiteral("Zoé"), QStringLiteral("AB12"));
    historiqueComplet();
    dossier->ecrireIni(QStringLiteral("Machine"), QStringLiteral("Langue"), QStringLiteral("NL"));
    Global().LangueCourante = QStringLiteral("NL");
    Global().FichierLangue = dossier->fichier(QStringLiteral("nederlands.lng"));
    ouvrir();
    f.TextUtilisateur->setText(QStringLiteral("AB12"));
    imprimer(dossier->fichier(QStringLiteral("historique.pdf")));
    EXPECT_EQ(legendes(), (QStringList{"Datum", "Referentie", "Ref. leverancier", "Omschrijving", "Aantal"}));
    EXPECT_EQ(f.LegendeDataGrid1->text(), QStringLiteral("Historiek"));
    EXPECT_EQ(f.Lst->item(0)->text(),
              QStringLiteral("Datum\t\tReferentie\tAantal\tRef. leverancier\tOmschrijving"));
    EXPECT_EQ(lignes(), 500);
    f.grab().save(QStringLiteral("/tmp/dorvane-comptoir-historique-NL.png"));
}
