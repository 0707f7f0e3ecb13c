#include "counter/forms/FenComptoir.h"

#include "BaseDeTest.h"
#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/forms/FormBase.h"
#include "db/Recordset.h"
#include "db/Valeurs.h"
#include "support/FormeSurBase.h"
#include "support/LecteurTagDeTest.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

const QString Question = QStringLiteral("Confirmez l'enregistrement pour: \r\nBERTIN Zoé");
const QString PasDeSelection = QStringLiteral("Erreur\r\nPas d'article ou de salarié correspondant!");
const QString Depassement = QStringLiteral("6 Dépassement de capacité");
const QString Titre = QStringLiteral("Dorvane"); // no title of their own

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

// The counter on either backend: the program folder (settings, the error log) of the form tests, and on
// PostgreSQL the server's database in place of the embedded one.
class FenComptoirRemiseTest : public FormeSurBaseTest, public ::testing::WithParamInterface<Moteur> {
protected:
    void SetUp() override {
        ParametresConnexion p;
        if (GetParam() == Moteur::PostgreSQL && !serveurPostgreSQLDeTest(&p))
            GTEST_SKIP() << "DORVANE_TEST_PG n'est pas défini";
        FormeSurBaseTest::SetUp();
        if (HasFatalFailure())
            return;
        if (GetParam() == Moteur::PostgreSQL) {
            serveur = std::make_unique<BaseDeTest>(Moteur::PostgreSQL);
            ASSERT_TRUE(serveur->valide()) << serveur->erreur().toStdString();
            // The log stays in the program folder.
            qputenv("DORVANE_HOME", QFile::encodeName(dossier->chemin()));
            pg = serveur->ouvrir();
        }
        donnees();
    }
    void TearDown() override {
        f.Unload();
        installerLecteurTag(nullptr);
        pg.reset();
        serveur.reset();
        FormeSurBaseTest::TearDown();
    }
    Connexion& bd() { return pg ? *pg : *base; }
    QVariant valeur(const QString& sql, const QVariantList& valeurs = {}) {
        return bd().valeurUnique(sql, valeurs);
    }
    qint64 identite(const QString& insertion, const QVariantList& valeurs) {
        return Valeurs::lireEntier(valeur(insertion, valeurs));
    }

    // BERTIN Zoé and DURAND Luc; gloves 1001 at 1.25 with 9 in reserve; 1002 with no price, family, size
    // nor reserve; 1003 with -2 in reserve.
    void donnees() {
        const qint64 site = identite(
            QStringLiteral("INSERT INTO Sites (NomSite) VALUES ('Usine Nord') RETURNING NoSite"), {});
        const qint64 service =
            identite(QStringLiteral(
                         "INSERT INTO Services (NomService, Site) VALUES ('Atelier', ?) RETURNING NoService"),
                     {site});
        profil = identite(
            QStringLiteral("INSERT INTO ProfileQuota (Profile) VALUES ('Profil gants') RETURNING NoQuota"),
            {});
        for (const auto& [nom, prenom, badge] :
             {std::tuple{"BERTIN", "Zoé", "7A31C"}, std::tuple{"DURAND", "Luc", "04E1B7"}})
            bd().executer(
                QStringLiteral("INSERT INTO Utilisateurs (Nom, Prenom, NoBadge, MatriculeSalarie, Site, "
                               "Service, Quota) VALUES (?, ?, ?, 'M-0042', ?, ?, ?)"),
                {QString::fromUtf8(nom), QString::fromUtf8(prenom), QString::fromUtf8(badge), site, service,
                 profil});
        const qint64 famille = identite(
            QStringLiteral("INSERT INTO Familles (NomFamille) VALUES ('Gants') RETURNING NoFamille"), {});
        const qint64 taille = identite(
            QStringLiteral(
                "INSERT INTO Tailles (Taille, Ordre, NoFamille) VALUES ('9', 1, ?) RETURNING NoTaille"),
            {famille});
        bd().executer(QStringLiteral("INSERT INTO Fournisseur (No, CodeFournisseur, Societe) VALUES "
                                     "(100, 'F100', 'Protec')"));
        bd().executer(
            QStringLiteral("INSERT INTO ArticleEnStock (Reference, Designation, RefFournisseur, "
                           "CodeArticle, QteEnStock, PrixAchatUnit, Taille, Famille, NoFournisseur) "
                           "VALUES (1001, 'Gants nitrile', 'GT-42', 17, 9, 1.25, ?, ?, 100)"),
            {taille, famille});
        bd().executer(QStringLiteral("INSERT INTO ArticleEnStock (Reference, Designation, QteEnStock) VALUES "
                                     "(1002, 'Sans prix', NULL), (1003, 'Bouchons', -2)"));
    }
    void ouvrir() {
        f.Show();
        ASSERT_TRUE(f.estCharge());
        ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
    }
    // The article as its selection leaves it: the current row of the list, its card, a quantity of 1.
    void choisirArticle(qint64 reference) {
        ASSERT_TRUE(f.RsArticles->Find(QStringLiteral("Reference"), Recordset::Comparaison::Egal, reference,
                                       Recordset::Depart::Premier));
        f.Label2[7]->setText(f.RsArticles->Field(QStringLiteral("Designation")).toString());
        f.Label2[8]->setText(f.RsArticles->Field(QStringLiteral("Taille")).toString());
        f.Label2[10]->setText(f.RsArticles->Field(QStringLiteral("QteEnStock")).toString());
        f.TextQte->setText(QStringLiteral("1"));
        f.ArticleSelectionne = true;
    }
    void f11() { QTest::keyClick(f.TextQte, Qt::Key_F11); }
    QVariant stock(qint64 reference) {
        return valeur(QStringLiteral("SELECT QteEnStock FROM ArticleEnStock WHERE Reference = ?"),
                      {reference});
    }
    qint64 lignes(const char* table) {
        return Valeurs::lireEntier(
            valeur(QStringLiteral("SELECT COUNT(*) FROM %1").arg(QLatin1String(table))));
    }
    // The last withdrawal: its header and its line.
    void derniere(Recordset& entete, Recordset& ligne) {
        const QVariant n = valeur(QStringLiteral("SELECT MAX(NumVente) FROM Ventes"));
        entete.Open(bd(), QStringLiteral("SELECT * FROM Ventes WHERE NumVente = ?"), {n});
        ligne.Open(bd(), QStringLiteral("SELECT * FROM DetailVente WHERE NumVente = ?"), {n});
        ASSERT_EQ(entete.RecordCount(), 1);
        ASSERT_EQ(ligne.RecordCount(), 1);
    }
    bool ok() const { return f.LabelMessage->isVisible() && f.LabelMessage->text() == "ENREGISTREMENT OK"; }

    qint64 profil = 0;
    std::unique_ptr<BaseDeTest> serveur;
    std::unique_ptr<Connexion> pg;
    FenComptoir f;
};

} // namespace

// The question names the employee; Yes records under the hourglass, No and a missing selection write
// nothing; F11 records without a question; the quantity rule; Null values; an article gone from the
// stock; the multi-machine option.
TEST_P(FenComptoirRemiseTest, SaveAsksThenRecordsAndF11RecordsAtOnce) {
    ouvrir();
    f.TextUtilisateur->setText(QStringLiteral("7A31C"));
    ASSERT_TRUE(f.SalarieSelectionne);
    dialogues.attendreMessage(Question, Reponse::Oui, Titre, StyleMessage::YesNo)
        .attendreMessage(PasDeSelection, Reponse::OK, Titre, StyleMessage::OK);
    QTest::mouseClick(f.CmdSave, Qt::LeftButton);
    EXPECT_EQ(lignes("Ventes"), 0);
    EXPECT_FALSE(f.LabelMessage->isVisible());

    choisirArticle(1001);
    f.TextQte->setText(QStringLiteral("4"));
    dialogues.attendreMessage(Question, Reponse::Non);
    QTest::mouseClick(f.CmdSave, Qt::LeftButton);
    EXPECT_EQ(lignes("Ventes"), 0);
    dialogues.attendreMessage(Question, Reponse::Oui);
    QTest::mouseClick(f.CmdSave, Qt::LeftButton);
    EXPECT_TRUE(ok());
    EXPECT_FALSE(FormBase::SablierActif());
    Recordset v, d;
    derniere(v, d);
    EXPECT_EQ(v.Field(QStringLiteral("TypeMouvement")).toLongLong(), 3);
    EXPECT_EQ(v.Field(QStringLiteral("Utilisateur")).toString(), QStringLiteral("7A31C"));
    EXPECT_EQ(v.Field(QStringLiteral("Nom")).toString() + u' ' + v.Field(QStringLiteral("Prenom")).toString(),
              QStringLiteral("BERTIN Zoé"));
    EXPECT_DOUBLE_EQ(v.Field(QStringLiteral("Total")).toDouble(), 1.25);
    EXPECT_TRUE(v.Field(QStringLiteral("NoMachine")).isNull());
    EXPECT_EQ(d.Field(QStringLiteral("Quantite")).toLongLong(), 4);
    EXPECT_DOUBLE_EQ(d.Field(QStringLiteral("PrixAchatUnit")).toDouble(), 5.0);
    EXPECT_EQ(d.Field(QStringLiteral("NoMachine")), QVariant(qint64(0)));
    EXPECT_EQ(d.Field(QStringLiteral("Profile")).toLongLong(), profil);
    QStringList article;
    for (const char* champ : {"Reference", "Designation", "NomFamille", "Taille", "CodeFournisseur",
                              "Societe", "RefFournisseur", "CodeArticle", "NomSite", "NomService"})
        article << d.Field(QLatin1String(champ)).toString();
    EXPECT_EQ(article, (QStringList{"1001", "Gants nitrile", "Gants", "9", "F100", "Protec", "GT-42", "17",
                                    "Usine Nord", "Atelier"}));
    EXPECT_EQ(stock(1001).toLongLong(), 5);
    // The quantity typed stays for the next hand-out.
    EXPECT_EQ(f.TextQte->text(), QStringLiteral("4"));

    // F11: no question; an empty box and zeros each hand out one.
    for (const QString& qte : {QString(), QStringLiteral("000")}) {
        f.LabelMessage->hide();
        f.TextQte->setText(qte);
        f11();
        EXPECT_TRUE(ok());
        derniere(v, d);
        EXPECT_EQ(d.Field(QStringLiteral("Quantite")).toLongLong(), 1);
    }
    EXPECT_EQ(stock(1001).toLongLong(), 3);

    // "VersionGSM" "OUI": the header is the counter's, machine 0. No price, family, size nor reserve:
    // Nulls kept, the reserve 0 less one.
    Global().OptionVersionGSM = true;
    choisirArticle(1002);
    f11();
    EXPECT_TRUE(ok());
    derniere(v, d);
    EXPECT_EQ(v.Field(QStringLiteral("NoMachine")), QVariant(qint64(0)));
    EXPECT_TRUE(v.Field(QStringLiteral("Total")).isNull());
    for (const char* nul : {"PrixAchatUnit", "NomFamille", "Taille", "NoFamille"})
        EXPECT_TRUE(d.Field(QLatin1String(nul)).isNull()) << nul;
    EXPECT_EQ(stock(1002).toLongLong(), -1);

    // Deleted since the counter opened: header and line, no reserve anywhere.
    bd().executer(QStringLiteral("DELETE FROM ArticleEnStock WHERE Reference = 1001"));
    choisirArticle(1001);
    f.LabelMessage->hide();
    f11();
    EXPECT_TRUE(ok());
    derniere(v, d);
    EXPECT_EQ(d.Field(QStringLiteral("Reference")).toLongLong(), 1001);
    EXPECT_TRUE(stock(1001).isNull());
    EXPECT_EQ(lignes("Ventes"), 5);
    EXPECT_EQ(lignes("DetailVente"), 5);
    EXPECT_TRUE(dossier->lignesJournal().isEmpty());
}

// A quantity past 32 bits, a reserve that would leave its range, a line the database refuses: the
// error's number and text shown, one log row each under "EnregistrerVente", nothing written, the card and
// the quantity as they were.
TEST_P(FenComptoirRemiseTest, AFailedRecordingIsShownLoggedAndWritesNothing) {
    ouvrir();
    f.TextUtilisateur->setText(QStringLiteral("7A31C"));
    choisirArticle(1003);
    for (const QString& qte : {QStringLiteral("99999999999"), QStringLiteral("2147483647")}) {
        f.TextQte->setText(qte);
        dialogues.attendreMessage(Depassement, Reponse::OK, Titre, StyleMessage::OK);
        f11();
        EXPECT_FALSE(f.LabelMessage->isVisible());
        EXPECT_EQ(f.TextQte->text(), qte);
    }
    EXPECT_EQ(dossier->lignesJournal(),
              QStringList(2, QStringLiteral("EnregistrerVente|N°: 6 Dépassement de capacité")));
    EXPECT_EQ(stock(1003).toLongLong(), -2);

    refuserInsertions(bd(), QStringLiteral("DetailVente"), QStringLiteral("ligne refusée"));
    choisirArticle(1001);
    f.TextQte->setText(QStringLiteral("4"));
    dialogues.attendreMessage(Question, Reponse::Oui)
        .attendreMessageContenant(QStringLiteral("ligne refusée"), Reponse::OK, Titre);
    QTest::mouseClick(f.CmdSave, Qt::LeftButton);
    ASSERT_EQ(dialogues.messages().size(), 4);
    EXPECT_TRUE(dialogues.messages().last().startsWith(QString::number(ErreurExecution::ErreurBase) + u' '));
    EXPECT_FALSE(FormBase::SablierActif());
    EXPECT_FALSE(f.LabelMessage->isVisible());
    EXPECT_EQ(lignes("Ventes") + lignes("DetailVente"), 0);
    EXPECT_EQ(stock(1001).toLongLong(), 9);
    const QStringList journal = dossier->lignesJournal();
    ASSERT_EQ(journal.size(), 3);
    EXPECT_TRUE(journal.last().startsWith(
        QStringLiteral("EnregistrerVente|N°: %1 ").arg(ErreurExecution::ErreurBase)));
    EXPECT_EQ(f.Label2[9]->text() + u' ' + f.Label2[7]->text() + u' ' + f.TextQte->text(),
              QStringLiteral("BERTIN Gants nitrile 4"));
    EXPECT_TRUE(f.SalarieSelectionne && f.ArticleSelectionne);
}

// While the question is open the reader is not polled: a badge laid on it then cannot slip another
// employee under the confirmed one; the polling resumes with the answer.
TEST_P(FenComptoirRemiseTest, TheReaderWaitsForTheAnswer) {
    LecteurDeTest lecteur;
    installerLecteurTag(&lecteur);
    Global().TypeLecteurBadge = 6;
    ouvrir();
    f.TimerLecteurComptoir->setInterval(10);
    f.TextUtilisateur->setText(QStringLiteral("7A31C"));
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
    EXPECT_TRUE(ok());
    EXPECT_EQ(valeur(QStringLiteral("SELECT Utilisateur FROM Ventes")).toString(), QStringLiteral("7A31C"));
    EXPECT_TRUE(f.TimerLecteurComptoir->isActive());
    ASSERT_TRUE(QTest::qWaitFor([&] { return f.TextUtilisateur->text() == lecteur.tag; }, 2000));
    EXPECT_EQ(f.Label2[9]->text(), QStringLiteral("DURAND"));

    // The same for the boxes of a hand-out from F11.
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
