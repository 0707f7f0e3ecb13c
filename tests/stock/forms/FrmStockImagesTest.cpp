#include "BaseDeTest.h"
#include "common/EtatGlobal.h"
#include "common/FnWendrox.h"
#include "common/MODTranslate.h"
#include "common/ServiceDialogue.h"
#include "common/forms/Instance.h"
#include "db/Recordset.h"
#include "db/Valeurs.h"
#include "imaging/forms/FenScanner.h"
#include "stock/ImagesArticle.h"
#include "stock/forms/FrmStock.h"
#include "support/ScannerDeTest.h"
#include "support/ServiceDialogueScripte.h"
#include "support/ServiceSessionScripte.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

QByteArray jpeg(const QSize& taille, QColor couleur, qsizetype octets = 0) {
    QImage im(taille, QImage::Format_RGB32);
    im.fill(couleur);
    QByteArray donnees;
    QBuffer tampon(&donnees);
    tampon.open(QIODevice::WriteOnly);
    im.save(&tampon, "JPG", 90);
    if (octets > 0)
        donnees.append(QByteArray(octets - donnees.size(), '\0'));
    return donnees;
}

QByteArray lire(const QString& chemin) {
    QFile f(chemin);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class FrmStockImagesTest : public TestAvecBase {
protected:
    void SetUp() override {
        TestAvecBase::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        Global().Msg = MODTranslate::TextesMessages(QStringLiteral("FR"));
        images = QDir(base().dossier()).filePath(QStringLiteral("image"));
        ailleurs = QDir(base().dossier()).filePath(QStringLiteral("ailleurs"));
        QDir().mkpath(images);
        QDir().mkpath(ailleurs);
        Global().CheminImage = images;
        cnx().executer(QStringLiteral("INSERT INTO Familles (NomFamille) VALUES ('GANTS')"));
        cnx().executer(QStringLiteral("INSERT INTO Tailles (Taille, Ordre, NoFamille) VALUES ('S', 1, 1)"));
        cnx().executer(
            QStringLiteral("INSERT INTO ArticleEnStock (Reference, CodeArticle, Designation, RefFournisseur, "
                           "QteEnStock, QteParPaket, StockAlert, Famille, Taille, Image) "
                           "VALUES (1234, 1, 'GANT NITRILE', 'RF-1', 10, 6, 2, 1, 1, 'ancienne')"));
    }
    void TearDown() override {
        f.reset();
        DetruireInstance<FenScanner>();
        dialogues.verifierTout();
        TestAvecBase::TearDown();
        reinitialiserEtatGlobal();
    }

    void ouvrir() {
        f = std::make_unique<FrmStock>();
        f->Load();
        f->Show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(f.get()));
    }
    void reactiver() {
        QWidget autre;
        autre.show();
        autre.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&autre));
        f->hide();
        f->Show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(f.get()));
    }
    QString ecrire(const QString& dossier, const QString& nom, const QByteArray& octets) {
        const QString chemin = QDir(dossier).filePath(nom);
        QFile fichier(chemin);
        EXPECT_TRUE(fichier.open(QIODevice::WriteOnly));
        fichier.write(octets);
        return chemin;
    }
    QString image() {
        return Valeurs::lireTexte(
            cnx().valeurUnique(QStringLiteral("SELECT Image FROM ArticleEnStock WHERE Reference = 1234")));
    }
    QByteArray ligne(const QString& nom) {
        return cnx()
            .valeurUnique(QStringLiteral("SELECT Picture FROM ImageProduit WHERE RefImage = ?"), {nom})
            .toByteArray();
    }
    // The user picks that file in the picture dialog, which opens in `dossierInitial`.
    void choisir(const QString& chemin, const QString& dossierInitial) {
        ResultatOuvertureFichier r;
        r.Accepte = true;
        r.FileName = chemin;
        dialogues.attendreOuverture(r, [dossierInitial](const DemandeOuvertureFichier& d) {
            EXPECT_EQ(d.Filter, QStringLiteral("JPEG Files (*.JPG)|*.JPG"));
            EXPECT_TRUE(d.Vignettes);
            EXPECT_EQ(QDir::cleanPath(d.InitDir), QDir::cleanPath(dossierInitial));
        });
    }

    QString images, ailleurs;
    ServiceDialogueScripte dialogues;
    std::unique_ptr<FrmStock> f;
};

} // namespace

TEST_P(FrmStockImagesTest, ChoosingAPictureFileFromTheCard) {
    Global().ImagesEnBase = true;
    ouvrir();
    // The blank picture is made at the first activation, file and row.
    const QString vierge = QDir(FnWendrox::CheminApplication()).filePath(QStringLiteral("aavierge.jpg"));
    ASSERT_TRUE(QFile::exists(vierge));
    EXPECT_EQ(ligne(QStringLiteral("aavierge")), lire(vierge));
    EXPECT_TRUE(f->Image1->isHidden()) << "the article's picture has no row";

    choisir(ecrire(ailleurs, QStringLiteral("trop.jpg"), jpeg({40, 30}, Qt::red, 520001)), images);
    dialogues.attendreMessage(Global().msg(48), Reponse::OK, std::nullopt, StyleMessage::Critique);
    f->CmdChoixImage->click();
    EXPECT_EQ(image(), QStringLiteral("ancienne"));

    // 520000 bytes are taken: the name, and the file's bytes as the row.
    const QByteArray haute = jpeg({60, 120}, Qt::blue, 520000);
    choisir(ecrire(ailleurs, QStringLiteral("photo.jpg"), haute), images);
    f->CmdChoixImage->click();
    EXPECT_EQ(image(), QStringLiteral("photo"));
    EXPECT_EQ(ligne(QStringLiteral("photo")), haute);
    EXPECT_FALSE(f->Image1->isHidden());
    EXPECT_EQ(f->Image1->size(), QSize(95, 190)) << "a tall picture is 190 pixels high";

    // The dialog opens where the last picture came from; what is no picture changes nothing.
    choisir(ecrire(ailleurs, QStringLiteral("texte.jpg"), QByteArray("pas une image")), ailleurs);
    dialogues.attendreMessage(QStringLiteral("A picture file is no good format"), Reponse::OK,
                              QStringLiteral("Erreur"), StyleMessage::Critique);
    f->CmdChoixImage->click();
    EXPECT_EQ(image(), QStringLiteral("photo"));
    dialogues.attendreOuvertureAnnulee();
    f->CmdChoixImage->click();
    EXPECT_EQ(image(), QStringLiteral("photo"));

    // The open database (on PostgreSQL the error log), and a link to it under a picture's name, are
    // refused before they are read.
    QString base = Connexion::cheminFichier(FnWendrox::CheminApplication(), Global().NomBase);
    JournalDeTest journal;
    if (!cnx().estSQLite() && journal.creer(FnWendrox::CheminApplication()))
        base = QDir(FnWendrox::CheminApplication()).filePath(QStringLiteral("MAINTEN.MDB"));
    const QString lien = QDir(ailleurs).filePath(QStringLiteral("base.jpg"));
    ASSERT_TRUE(QFile::link(base, lien));
    for (const QString& chemin : {lien, base}) {
        choisir(chemin, ailleurs);
        dialogues.attendreMessage(
            QDir::toNativeSeparators(chemin) +
                QStringLiteral(" est un fichier de la base de données du programme : il "
                               "ne peut pas être choisi ici."),
            Reponse::OK, std::nullopt, StyleMessage::Critique);
        f->CmdChoixImage->click();
    }
    EXPECT_EQ(image(), QStringLiteral("photo"));
    EXPECT_EQ(ligne(QStringLiteral("base")), QByteArray());
}

TEST_P(FrmStockImagesTest, ScanningFromTheCard) {
    ScannerDeTest sane;
    ASSERT_TRUE(sane.valide());
    Global().ImagesEnBase = true;
    // An earlier scan left its row.
    const QByteArray ancienne = jpeg({190, 100}, Qt::red);
    cnx().executer(QStringLiteral("INSERT INTO ImageProduit (RefImage, Picture) VALUES ('1234', ?)"),
                   {ancienne});
    ouvrir();
    ServiceSessionScripte session;
    std::function<void(FenScanner&)> utilisateur;
    session.surModal([&](QObject* o) {
        auto* s = qobject_cast<FenScanner*>(o);
        ASSERT_NE(s, nullptr);
        s->Reglages = ScannerDeTest::couleur();
        utilisateur(*s);
    });
    auto scanner = [](FenScanner& s) {
        s.Command2->click();
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return !s.AcquisitionEnCours() && !s.ImageAcquise().isNull(); }, 10000));
    };
    const QString fichier = QDir(images).filePath(QStringLiteral("1234.jpg"));

    // Scanned, then the window closed: the article keeps its picture.
    utilisateur = [&](FenScanner& s) {
        scanner(s);
        s.close();
    };
    f->CmdScanner->click();
    EXPECT_EQ(image(), QStringLiteral("ancienne"));
    EXPECT_FALSE(QFile::exists(fichier));
    // "OK" without a scan: nothing either.
    utilisateur = [](FenScanner& s) { s.cmdOK->click(); };
    f->CmdScanner->click();
    EXPECT_EQ(image(), QStringLiteral("ancienne"));
    EXPECT_EQ(ligne(QStringLiteral("1234")), ancienne);

    // Scanned and OK: the file 190 wide, the name, and the row replaced by the new picture.
    utilisateur = [&](FenScanner& s) {
        scanner(s);
        s.cmdOK->click();
    };
    f->CmdScanner->click();
    EXPECT_EQ(QImageReader(fichier).size(), QSize(190, 142));
    EXPECT_EQ(image(), QStringLiteral("1234"));
    EXPECT_EQ(ligne(QStringLiteral("1234")), lire(fichier));
    EXPECT_EQ(f->Image1->size(), QSize(254, 190)); // from the stored 190 x 142
    f->OptionFiche->click();
    f->grab().save(QStringLiteral("/tmp/dorvane-frmstock-scan.png"));
    EXPECT_EQ(session.formsModales().size(), 3);
}

TEST_P(FrmStockImagesTest, PicturesInFilesAndTheBlankPicture) {
    Global().ImagesEnBase = false;
    ecrire(images, QStringLiteral("Ancienne.JPG"), jpeg({120, 60}, Qt::green));
    ouvrir();
    EXPECT_FALSE(f->Image1->isHidden());
    EXPECT_EQ(f->Image1->size(), QSize(380, 190));
    EXPECT_EQ(lire(QDir(FnWendrox::CheminApplication()).filePath(QStringLiteral("aavierge.jpg"))).left(2),
              QByteArray("\xFF\xD8"));
    EXPECT_EQ(cnx().valeurUnique(QStringLiteral("SELECT COUNT(*) FROM ImageProduit")).toLongLong(), 0);

    // Deleted, it comes back at the next activation.
    const QString vierge = QDir(FnWendrox::CheminApplication()).filePath(QStringLiteral("aavierge.jpg"));
    ASSERT_TRUE(QFile::remove(vierge));
    reactiver();
    EXPECT_TRUE(QFile::exists(vierge));

    // A picture file that cannot be read says so.
    ecrire(images, QStringLiteral("Ancienne.JPG"), QByteArray("abimee"));
    dialogues.attendreMessage(QStringLiteral("A picture file is no good format"), Reponse::OK,
                              QStringLiteral("Erreur"), StyleMessage::Critique);
    reactiver();
    EXPECT_TRUE(f->Image1->pixmap().isNull());
}

TEST_P(FrmStockImagesTest, TheGridLeavesThePictureToTheCard) {
    Global().ImagesEnBase = false;
    ecrire(images, QStringLiteral("Ancienne.JPG"), jpeg({120, 60}, Qt::green));
    // A second article, whose picture file cannot be read.
    cnx().executer(
        QStringLiteral("INSERT INTO ArticleEnStock (Reference, CodeArticle, Designation, RefFournisseur, "
                       "QteEnStock, QteParPaket, StockAlert, Famille, Taille, Image) "
                       "VALUES (1235, 2, 'GANT CUIR', 'RF-2', 1, 1, 0, 1, 1, 'abimee')"));
    ecrire(images, QStringLiteral("abimee.jpg"), QByteArray("pas une image"));
    ouvrir();
    ASSERT_TRUE(f->FrameFicheProduit->isHidden());
    EXPECT_EQ(f->Image1->size(), QSize(380, 190)) << "read at the activation";

    // The search moves the card, hidden behind the grid, without reading its picture: nothing said.
    f->TextCherche->setText(QStringLiteral("1235"));
    EXPECT_EQ(f->Text2[0]->text(), QStringLiteral("1235"));
    EXPECT_EQ(f->Image1->size(), QSize(380, 190));
    // The card shown reads it, and says it cannot be read.
    dialogues.attendreMessage(QStringLiteral("A picture file is no good format"), Reponse::OK,
                              QStringLiteral("Erreur"), StyleMessage::Critique);
    f->OptionFiche->click();
    EXPECT_TRUE(f->Image1->pixmap().isNull());
    // Shown, the card reads the picture of each article it moves to.
    f->RsStockGlobal->MoveFirst();
    EXPECT_FALSE(f->Image1->pixmap().isNull());
    EXPECT_EQ(f->Image1->size(), QSize(380, 190));
}

DORVANE_SUR_CHAQUE_BASE(FrmStockImagesTest);
