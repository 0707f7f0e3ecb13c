#include "counter/forms/FenComptoir.h"

#include "BaseDeTest.h"
#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "db/Recordset.h"
#include "db/Valeurs.h"
#include "support/FormeSurBase.h"
#include "support/LecteurTagDeTest.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

const QString Question = QStringLiteral("Confirmez l'enregistrement pour: \r\nBERTIN Zoé");
const QString PasDeSelection = QStringLiteral("Erreur\r\nPas d'article ou de salarié correspondant!");
const QString Depassement = QStringLiteral("6 Dépassement de capacité");

// Scripted boxes that let the event loop run while the next one is open, as a real box does.
class DialoguesOuverts : public ServiceDialogueScripte {
public:
    std::function<void()> pendant;
    int message(const QString& texte, int style, const QString& titre) override {
        if (auto p = std::exchange(pendant, {}))
            p();
        return ServiceDialogueScripte::message(texte, style, titre);
    }
};

// The counter on either backend: the program folder (settings, error log) of the form tests, and on
// PostgreSQL the server's database in place of the embedded one.
class FenComptoirRemiseTest : public FormeSurLesDeuxBasesTest {
protected:
    void SetUp() override {
        FormeSurLesDeuxBasesTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        // BERTIN Zoé and DURAND Luc of one profile; gloves at 1.25 with 9 in reserve, plugs with -2.
        profil = Valeurs::lireEntier(bd().valeurUnique(
            QStringLiteral("INSERT INTO ProfileQuota (Profile) VALUES ('Gants') RETURNING NoQuota")));
        bd().executer(QStringLiteral("INSERT INTO Utilisateurs (Nom, Prenom, NoBadge, Quota) VALUES "
                                     "('BERTIN', 'Zoé', '7A31C', ?), ('DURAND', 'Luc', '04E1B7', ?)"),
                      {profil, profil});
        bd().executer(QStringLiteral("INSERT INTO ArticleEnStock (Reference, Designation, QteEnStock, "
                                     "PrixAchatUnit) VALUES (1001, 'Gants nitrile', 9, 1.25), "
                                     "(1003, 'Bouchons', -2, 0.1)"));
        f.Show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
        f.TextUtilisateur->setText(QStringLiteral("7A31C"));
    }
    void TearDown() override {
        f.Unload();
        installerLecteurTag(nullptr);
        FormeSurLesDeuxBasesTest::TearDown();
    }
    // The article chosen as the operator chooses it: its reference typed into the box.
    void choisirArticle(qint64 reference) {
        f.TextReference->clear();
        QTest::keyClicks(f.TextReference, QString::number(reference));
        ASSERT_TRUE(f.ArticleSelectionne);
        ASSERT_EQ(f.RsArticles->Field(QStringLiteral("Reference")).toLongLong(), reference);
        ASSERT_EQ(f.TextQte->text(), QStringLiteral("1"));
    }
    void f11() { QTest::keyClick(f.TextQte, Qt::Key_F11); }
    // The stock of 1001, then the withdrawals: "badge total|quantity amount profile machine" each.
    QStringList etat() {
        QStringList l(bd().valeurUnique(QStringLiteral("SELECT QteEnStock FROM ArticleEnStock WHERE "
                                                       "Reference = 1001"))
                          .toString());
        QSqlQuery q = bd().executer(
            QStringLiteral("SELECT V.Utilisateur, V.TypeMouvement, V.Total, D.Quantite, D.PrixAchatUnit, "
                           "D.Profile, D.NoMachine FROM Ventes V JOIN DetailVente D ON D.NumVente = "
                           "V.NumVente ORDER BY V.NumVente"));
        while (q.next())
            l << QStringLiteral("%1 %2 %3|%4 %5 %6 %7")
                     .arg(q.value(0).toString())
                     .arg(q.value(1).toLongLong())
                     .arg(Valeurs::lireMonnaie(q.value(2)))
                     .arg(q.value(3).toLongLong())
                     .arg(Valeurs::lireMonnaie(q.value(4)))
                     .arg(q.value(5).toLongLong() == profil ? QStringLiteral("profil")
                                                            : q.value(5).toString())
                     .arg(q.value(6).toLongLong());
        return l;
    }
    bool ok() const { return f.LabelMessage->isVisible() && f.LabelMessage->text() == "ENREGISTREMENT OK"; }

    qint64 profil = 0;
    FenComptoir f;
};

} // namespace

// The question names the employee; No and a missing article write nothing; Yes records under the
// hourglass and says so; F11 records at once, an empty or zero quantity being one.
TEST_P(FenComptoirRemiseTest, SaveAsksThenRecordsAndF11RecordsAtOnce) {
    ASSERT_TRUE(f.SalarieSelectionne);
    dialogues.attendreMessage(Question, Reponse::Oui, QStringLiteral("Dorvane"), StyleMessage::YesNo)
        .attendreMessage(PasDeSelection, Reponse::OK, QStringLiteral("Dorvane"), StyleMessage::OK);
    QTest::mouseClick(f.CmdSave, Qt::LeftButton);
    choisirArticle(1001);
    f.TextQte->setText(QStringLiteral("4"));
    dialogues.attendreMessage(Question, Reponse::Non);
    QTest::mouseClick(f.CmdSave, Qt::LeftButton);
    EXPECT_EQ(etat(), QStringList{"9"});
    EXPECT_FALSE(f.LabelMessage->isVisible());

    dialogues.attendreMessage(Question, Reponse::Oui);
    QTest::mouseClick(f.CmdSave, Qt::LeftButton);
    EXPECT_TRUE(ok());
    EXPECT_FALSE(FormBase::SablierActif());
    EXPECT_EQ(etat(), (QStringList{"5", "7A31C 3 1.25|4 5 profil 0"}));
    EXPECT_EQ(f.TextQte->text(), QStringLiteral("4"));
    for (const QString& qte : {QString(), QStringLiteral("000")}) {
        f.LabelMessage->hide();
        f.TextQte->setText(qte);
        f11();
        EXPECT_TRUE(ok());
    }
    EXPECT_EQ(etat(), (QStringList{"3", "7A31C 3 1.25|4 5 profil 0", "7A31C 3 1.25|1 1.25 profil 0",
                                   "7A31C 3 1.25|1 1.25 profil 0"}));
    EXPECT_TRUE(dossier->lignesJournal().isEmpty());
}

// A quantity past 32 bits, a reserve that would leave its range, a line the database refuses: the
// number and text shown, one log row each under "EnregistrerVente", nothing written, the card and the
// quantity kept.
TEST_P(FenComptoirRemiseTest, AFailedRecordingIsShownLoggedAndWritesNothing) {
    choisirArticle(1003);
    for (const QString& qte : {QStringLiteral("99999999999"), QStringLiteral("2147483647")}) {
        f.TextQte->setText(qte);
        dialogues.attendreMessage(Depassement, Reponse::OK, QStringLiteral("Dorvane"), StyleMessage::OK);
        f11();
        EXPECT_EQ(f.TextQte->text(), qte);
    }
    EXPECT_EQ(
        bd().valeurUnique(QStringLiteral("SELECT QteEnStock FROM ArticleEnStock WHERE Reference = 1003")),
        QVariant(qint64(-2)));

    refuserInsertions(bd(), QStringLiteral("DetailVente"), QStringLiteral("ligne refusée"));
    choisirArticle(1001);
    dialogues.attendreMessage(Question, Reponse::Oui)
        .attendreMessageContenant(QString::number(ErreurExecution::ErreurBase) + QStringLiteral(" "));
    QTest::mouseClick(f.CmdSave, Qt::LeftButton);
    EXPECT_TRUE(dialogues.messages().last().contains(QStringLiteral("ligne refusée")));
    EXPECT_FALSE(FormBase::SablierActif());
    EXPECT_FALSE(f.LabelMessage->isVisible());
    EXPECT_EQ(etat(), QStringList{"9"});
    const QStringList journal = dossier->lignesJournal();
    ASSERT_EQ(journal.size(), 3);
    EXPECT_EQ(journal.mid(0, 2),
              QStringList(2, QStringLiteral("EnregistrerVente|N°: 6 Dépassement de capacité")));
    EXPECT_TRUE(
        journal[2].startsWith(QStringLiteral("EnregistrerVente|N°: %1 ").arg(ErreurExecution::ErreurBase)));
    EXPECT_EQ(f.Label2[9]->text() + u' ' + f.Label2[7]->text() + u' ' + f.TextQte->text(),
              QStringLiteral("BERTIN Gants nitrile 1"));
}

// While a box is open the reader is not polled: a badge laid on it then cannot slip another employee
// under the confirmed one; the polling resumes once the box is answered.
TEST_P(FenComptoirRemiseTest, TheReaderWaitsForTheAnswer) {
    LecteurDeTest lecteur;
    installerLecteurTag(&lecteur);
    Global().TypeLecteurBadge = 6;
    f.TimerLecteurComptoir->setInterval(10);
    choisirArticle(1001);
    DialoguesOuverts boites;
    int lues = -1;
    boites.pendant = [&] {
        lecteur.tag = QStringLiteral("04E1B7");
        lues = lecteur.lectures;
        QTest::qWait(150);
    };
    boites.attendreMessage(Question, Reponse::Oui);
    QTest::mouseClick(f.CmdSave, Qt::LeftButton);
    EXPECT_EQ(lecteur.lectures, lues);
    EXPECT_EQ(etat(), (QStringList{"8", "7A31C 3 1.25|1 1.25 profil 0"}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return f.Label2[9]->text() == QStringLiteral("DURAND"); }, 2000));

    // The same for the box of a hand-out from F11.
    f.ArticleSelectionne = false;
    lecteur.tag = QStringLiteral("7A31C");
    boites.pendant = [&] {
        lues = lecteur.lectures;
        QTest::qWait(150);
    };
    boites.attendreMessage(PasDeSelection);
    f11();
    EXPECT_EQ(lecteur.lectures, lues);
    EXPECT_EQ(f.TextUtilisateur->text(), QStringLiteral("04E1B7"));
}

INSTANTIATE_TEST_SUITE_P(Bases, FenComptoirRemiseTest, ::testing::ValuesIn(moteursDeTest()), nomMoteur);
