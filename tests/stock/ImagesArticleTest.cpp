#include "BaseDeTest.h"

#include "common/ErreurExecution.h"
#include "db/Valeurs.h"
#include "stock/ImagesArticle.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace ImagesArticle;

namespace {

// A JPEG of that size, padded after its end to exactly `octets` bytes when asked.
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

class ImagesArticleTest : public TestAvecBase {
protected:
    void SetUp() override {
        TestAvecBase::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        cnx().executer(
            QStringLiteral("INSERT INTO ArticleEnStock (Reference, Image) VALUES (1234, 'ancienne')"));
        images = QDir(dossier.path()).filePath(QStringLiteral("image"));
        ailleurs = QDir(dossier.path()).filePath(QStringLiteral("ailleurs"));
        QDir().mkpath(images);
        QDir().mkpath(ailleurs);
    }
    QString ecrire(const QString& dossierFichier, const QString& nom, const QByteArray& octets) {
        const QString chemin = QDir(dossierFichier).filePath(nom);
        QFile f(chemin);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(octets);
        return chemin;
    }
    QString image() {
        return Valeurs::lireTexte(
            cnx().valeurUnique(QStringLiteral("SELECT Image FROM ArticleEnStock WHERE Reference = 1234")));
    }
    qint64 lignes() {
        return Valeurs::lireEntier(cnx().valeurUnique(QStringLiteral("SELECT COUNT(*) FROM ImageProduit")));
    }

    QTemporaryDir dossier;
    QString images, ailleurs;
};

} // namespace

TEST_P(ImagesArticleTest, ChoosingAFileStoresItsNameAndInTheDatabaseItsBytes) {
    const QByteArray limite = jpeg({40, 30}, Qt::red, TailleMaximale);
    ASSERT_EQ(limite.size(), 520000);
    const QString trop =
        ecrire(ailleurs, QStringLiteral("trop.jpg"), jpeg({40, 30}, Qt::red, TailleMaximale + 1));
    EXPECT_EQ(choisirFichier(cnx(), 1234, trop, true), IssueChoix::TropGrand);
    EXPECT_EQ(image(), QStringLiteral("ancienne"));
    EXPECT_EQ(lignes(), 0);

    QString nom;
    const QString photo = ecrire(ailleurs, QStringLiteral("photo.jpg"), limite);
    EXPECT_EQ(choisirFichier(cnx(), 1234, photo, true, &nom), IssueChoix::Enregistre);
    EXPECT_EQ(nom, QStringLiteral("photo"));
    EXPECT_EQ(image(), QStringLiteral("photo"));
    EXPECT_EQ(lireImage(cnx(), QStringLiteral("photo")), limite);

    // The same name again (another case) replaces the row: one row, the new bytes, the new spelling.
    const QByteArray bleue = jpeg({30, 60}, Qt::blue);
    const QString autre = ecrire(images, QStringLiteral("PHOTO.jpg"), bleue);
    EXPECT_EQ(choisirFichier(cnx(), 1234, autre, true), IssueChoix::Enregistre);
    EXPECT_EQ(lignes(), 1);
    EXPECT_EQ(lireImage(cnx(), QStringLiteral("photo")), bleue);
    EXPECT_EQ(cnx().valeurUnique(QStringLiteral("SELECT RefImage FROM ImageProduit")).toString(),
              QStringLiteral("PHOTO"));
    // A name is a name, not a pattern.
    EXPECT_FALSE(lireImage(cnx(), QStringLiteral("PH_TO")));

    // The last four characters go, whatever they are; in files only the name is stored.
    const QString jpegLong = ecrire(ailleurs, QStringLiteral("a.jpeg"), bleue);
    EXPECT_EQ(choisirFichier(cnx(), 1234, jpegLong, false), IssueChoix::Enregistre);
    EXPECT_EQ(image(), QStringLiteral("a."));
    EXPECT_EQ(lignes(), 1);
    EXPECT_FALSE(QFile::exists(QDir(images).filePath(QStringLiteral("a.jpeg"))));

    // What is not a picture changes nothing.
    for (const QByteArray& mauvais : {QByteArray(), QByteArray("pas une image")}) {
        const QString f = ecrire(ailleurs, QStringLiteral("x.jpg"), mauvais);
        EXPECT_EQ(choisirFichier(cnx(), 1234, f, true), IssueChoix::PasUneImage);
        EXPECT_EQ(image(), QStringLiteral("a."));
        EXPECT_EQ(lignes(), 1);
    }
    EXPECT_THROW(choisirFichier(cnx(), 1234, QDir(ailleurs).filePath(QStringLiteral("absent.jpg")), true),
                 ErreurExecution);
}

TEST_P(ImagesArticleTest, AScanNamesThePictureAfterTheReferenceAndReplacesItsRow) {
    const QString fichier = fichierImage(images + QStringLiteral("/"), QStringLiteral(" 1234 "));
    EXPECT_EQ(fichier, QDir(images).filePath(QStringLiteral("1234.jpg")));
    const QByteArray premiere = jpeg({190, 142}, Qt::red);
    ecrire(images, QStringLiteral("1234.jpg"), premiere);
    enregistrerScan(cnx(), 1234, fichier, true);
    EXPECT_EQ(image(), QStringLiteral("1234"));
    EXPECT_EQ(lireImage(cnx(), QStringLiteral("1234")), premiere);

    // A new scan of an article that has its row: the row follows the file.
    const QByteArray seconde = jpeg({190, 150}, Qt::green);
    ecrire(images, QStringLiteral("1234.jpg"), seconde);
    enregistrerScan(cnx(), 1234, fichier, true);
    EXPECT_EQ(lignes(), 1);
    EXPECT_EQ(lireImage(cnx(), QStringLiteral("1234")), seconde);

    // In files, the name only; a failure leaves the article as it was.
    cnx().executer(QStringLiteral("UPDATE ArticleEnStock SET Image = 'ancienne'"));
    enregistrerScan(cnx(), 1234, fichier, false);
    EXPECT_EQ(image(), QStringLiteral("1234"));
    cnx().executer(QStringLiteral("UPDATE ArticleEnStock SET Image = 'ancienne'"));
    EXPECT_THROW(enregistrerScan(cnx(), 1234, QDir(images).filePath(QStringLiteral("absent.jpg")), true),
                 ErreurExecution);
    EXPECT_EQ(image(), QStringLiteral("ancienne"));
}

TEST_P(ImagesArticleTest, ThePictureShownFromTheDatabaseOrTheFolder) {
    const QByteArray haute = jpeg({60, 120}, Qt::red);
    cnx().executer(QStringLiteral("INSERT INTO ImageProduit (RefImage, Picture) VALUES ('Haute', ?)"),
                   {haute});
    Affichage a = imageArticle(cnx(), QStringLiteral("HAUTE"), images, true);
    EXPECT_EQ(a.etat, Affichage::Visible);
    EXPECT_EQ(a.image.size(), QSize(60, 120));
    EXPECT_EQ(imageArticle(cnx(), QStringLiteral("autre"), images, true).etat, Affichage::Cachee);
    EXPECT_EQ(imageArticle(cnx(), QVariant(), images, true).etat, Affichage::Cachee);

    // 190 pixels high, the width in proportion.
    EXPECT_EQ(tailleAffichee({60, 120}), QSize(95, 190));
    EXPECT_EQ(tailleAffichee({400, 300}), QSize(253, 190));
    EXPECT_EQ(tailleAffichee({380, 190}), QSize(380, 190));
    EXPECT_EQ(tailleAffichee({1000, 100}), QSize(380, 38));

    // Files: found without regard to case; a file that is no picture says so.
    EXPECT_EQ(imageArticle(cnx(), QStringLiteral("haute "), images, false).etat, Affichage::Cachee);
    ecrire(images, QStringLiteral("Haute.JPG"), haute);
    a = imageArticle(cnx(), QStringLiteral("haute "), images, false);
    EXPECT_EQ(a.etat, Affichage::Visible);
    EXPECT_EQ(a.image.size(), QSize(60, 120));
    ecrire(images, QStringLiteral("casse.jpg"), QByteArray("pas une image"));
    EXPECT_EQ(imageArticle(cnx(), QStringLiteral("casse"), images, false).etat, Affichage::Illisible);
}

TEST_P(ImagesArticleTest, TheBlankPictureIsMadeWhenItsFileIsMissing) {
    const QImage source = imageViergeLivree();
    ASSERT_FALSE(source.isNull());
    const QString programme = dossier.path();
    const QString fichier = QDir(programme).filePath(QStringLiteral("aavierge.jpg"));
    EXPECT_TRUE(creerImageVierge(cnx(), source, programme, true));
    QImageReader lecteur(fichier);
    EXPECT_EQ(lecteur.format(), "jpeg");
    EXPECT_EQ(lecteur.read().size(), source.size());
    QFile f(fichier);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(lireImage(cnx(), NomVierge), f.readAll());
    f.close();

    // Present: nothing done, not even the missing row.
    cnx().executer(QStringLiteral("DELETE FROM ImageProduit"));
    EXPECT_FALSE(creerImageVierge(cnx(), source, programme, true));
    EXPECT_EQ(lignes(), 0);

    // Made again when deleted; a row already there is kept.
    const QByteArray ancienne = jpeg({10, 10}, Qt::blue);
    cnx().executer(QStringLiteral("INSERT INTO ImageProduit (RefImage, Picture) VALUES ('AAVIERGE', ?)"),
                   {ancienne});
    ASSERT_TRUE(QFile::remove(fichier));
    EXPECT_TRUE(creerImageVierge(cnx(), source, programme, true));
    EXPECT_TRUE(QFile::exists(fichier));
    EXPECT_EQ(lignes(), 1);
    EXPECT_EQ(lireImage(cnx(), NomVierge), ancienne);

    // A folder that cannot be written: no file, no row, no error.
    cnx().executer(QStringLiteral("DELETE FROM ImageProduit"));
    EXPECT_FALSE(creerImageVierge(cnx(), source, QDir(programme).filePath(QStringLiteral("absent")), true));
    EXPECT_EQ(lignes(), 0);
}

DORVANE_SUR_CHAQUE_BASE(ImagesArticleTest);
