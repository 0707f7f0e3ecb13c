#include "common/ErreurExecution.h"
#include "imaging/cDIBSection.h"
#include "imaging/mIntelJPEGLibrary.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

namespace {

void peindre(cDIBSection& d, qint32 w, qint32 h) {
    ASSERT_TRUE(d.Create(w, h));
    for (qint32 y = 0; y < h; ++y)
        for (qint32 x = 0; x < w; ++x) {
            uchar* p = d.DIBSectionBitsPtr() + y * d.BytesPerScanLine() + 3 * x;
            p[0] = uchar(x * 255 / w);
            p[1] = uchar(y * 255 / h);
            p[2] = uchar((x + y) & 0x7F);
        }
}

QByteArray lire(const QString& chemin) {
    QFile f(chemin);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The error SaveJPG throws, or a test failure when it does not throw.
ErreurExecution erreurDe(const cDIBSection& d, const QString& chemin) {
    try {
        mIntelJPEGLibrary::SaveJPG(d, chemin, 90);
    } catch (const ErreurExecution& e) {
        return e;
    }
    ADD_FAILURE() << "no error for " << chemin.toStdString();
    return ErreurExecution(0, QString());
}

} // namespace

TEST(SaveJPG, WritesAJpegOfTheBitmapsSize) {
    QTemporaryDir dossier;
    cDIBSection d;
    peindre(d, 190, 142);
    const QString chemin = dossier.filePath("article.jpg");
    EXPECT_TRUE(mIntelJPEGLibrary::SaveJPG(d, chemin, 90));
    QImageReader lecteur(chemin);
    EXPECT_EQ(lecteur.format(), "jpeg");
    const QImage lu = lecteur.read();
    ASSERT_EQ(lu.size(), QSize(190, 142));
    // Right way up and in the right colours: the picture's top-left pixel is the last memory row's first.
    const uchar* hautGauche = d.DIBSectionBitsPtr() + 141 * d.BytesPerScanLine();
    const QRgb p = lu.pixel(0, 0);
    EXPECT_NEAR(qBlue(p), hautGauche[0], 8);
    EXPECT_NEAR(qGreen(p), hautGauche[1], 8);
    EXPECT_NEAR(qRed(p), hautGauche[2], 8);
    // The quality reaches the encoder.
    const QString faible = dossier.filePath("faible.jpg");
    EXPECT_TRUE(mIntelJPEGLibrary::SaveJPG(d, faible, 10));
    EXPECT_LT(QFileInfo(faible).size(), QFileInfo(chemin).size());
    // Nothing else left in the folder.
    EXPECT_EQ(QDir(dossier.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

TEST(SaveJPG, OverAnExistingFileKeepsItsTimesAndPermissions) {
    QTemporaryDir dossier;
    const QString chemin = dossier.filePath("ancien.jpg");
    {
        QFile f(chemin);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("not a picture");
    }
    const QByteArray nomLocal = QFile::encodeName(chemin);
    ASSERT_EQ(::chmod(nomLocal.constData(), 0640), 0);
    const struct timespec temps[2] = {{978350400, 123456789}, {978307200, 987654321}}; // January 2001
    ASSERT_EQ(::utimensat(AT_FDCWD, nomLocal.constData(), temps, 0), 0);

    cDIBSection d;
    peindre(d, 33, 17);
    EXPECT_TRUE(mIntelJPEGLibrary::SaveJPG(d, chemin, 90));
    struct stat apres {};
    ASSERT_EQ(::stat(nomLocal.constData(), &apres), 0); // before any read moves the access time
    EXPECT_EQ(apres.st_mode & 07777, 0640u);
    EXPECT_EQ(apres.st_mtim.tv_sec, temps[1].tv_sec);
    EXPECT_EQ(apres.st_mtim.tv_nsec, temps[1].tv_nsec);
    EXPECT_EQ(apres.st_atim.tv_sec, temps[0].tv_sec);
    EXPECT_EQ(QImage(chemin).size(), QSize(33, 17));
    EXPECT_EQ(QDir(dossier.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST(SaveJPG, MissingFolderIsTheWriteFailureAndLeavesNoFile) {
    QTemporaryDir dossier;
    cDIBSection d;
    peindre(d, 8, 8);
    const QString chemin = dossier.filePath("absent/article.jpg");
    const ErreurExecution e = erreurDe(d, chemin);
    EXPECT_EQ(e.numero(), 26001);
    EXPECT_EQ(e.description(), "Failed to save to JPG 1");
    EXPECT_TRUE(e.source().endsWith(".mIntelJPEGLibrary"));
    EXPECT_FALSE(QFileInfo::exists(chemin));
    EXPECT_FALSE(QFileInfo::exists(dossier.filePath("absent")));

    // A path under a regular file is no folder either.
    const QString fichier = dossier.filePath("fichier");
    QFile f(fichier);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    EXPECT_EQ(erreurDe(d, fichier + "/article.jpg").numero(), 26001);
}

TEST(SaveJPG, FailedWriteKeepsTheOldPicture) {
    QTemporaryDir dossier;
    const QString chemin = dossier.filePath("article.jpg");
    cDIBSection d;
    peindre(d, 20, 10);
    ASSERT_TRUE(mIntelJPEGLibrary::SaveJPG(d, chemin, 90));
    const QByteArray avant = lire(chemin);

    cDIBSection vide; // no pixels: the writer refuses it
    const ErreurExecution e = erreurDe(vide, chemin);
    EXPECT_EQ(e.numero(), 26001);
    EXPECT_TRUE(e.description().startsWith("Failed to save to JPG "));
    EXPECT_EQ(lire(chemin), avant);
    EXPECT_EQ(QDir(dossier.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"article.jpg"});
}

TEST(SaveJPG, TargetThatCannotBeReplacedIsRefusedUntouched) {
    QTemporaryDir dossier;
    const QString chemin = dossier.filePath("article.jpg");
    ASSERT_TRUE(QDir(dossier.path()).mkdir("article.jpg"));
    QFile dedans(chemin + "/garde.txt");
    ASSERT_TRUE(dedans.open(QIODevice::WriteOnly));
    dedans.write("x");
    dedans.close();

    cDIBSection d;
    peindre(d, 8, 8);
    const ErreurExecution e = erreurDe(d, chemin);
    EXPECT_EQ(e.numero(), ErreurExecution::PathFileAccess);
    EXPECT_EQ(e.description(), "Path/File access error");
    EXPECT_TRUE(QFileInfo(chemin).isDir());
    EXPECT_TRUE(QFileInfo::exists(chemin + "/garde.txt"));
    EXPECT_EQ(QDir(dossier.path()).entryList(QDir::Files | QDir::Hidden).size(), 0);
}
