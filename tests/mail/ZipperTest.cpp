#include "mail/Zipper.h"
#include "OutilsProcessus.h"
#include "ServiceDialogueScripte.h"
#include "bench/FichierMixte.h"
#include "common/EtatGlobal.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray contenu(const QString& chemin) {
    QFile f(chemin);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<absent>");
}

class ZipperTest : public ::testing::Test {
protected:
    void SetUp() override { reinitialiserEtatGlobal(); }
    void TearDown() override { reinitialiserEtatGlobal(); }
    QString chemin(const QString& nom) const { return m_dossier.filePath(nom); }

    QTemporaryDir m_dossier;
    ServiceDialogueScripte m_dialogues;
};

} // namespace

// The file goes in under its own name and replaces an older archive whole.
TEST_F(ZipperTest, PacksTheFileUnderItsNameReplacingAnOlderArchive) {
    const QByteArray octets = FichierMixte::contenu(300000);
    QFile f(chemin("Conso 03-2026.xlsx"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(octets) == octets.size());
    f.close();
    QFile ancien(chemin("Conso.zip"));
    ASSERT_TRUE(ancien.open(QIODevice::WriteOnly) && ancien.write(QByteArray(500000, 'x')) == 500000);
    ancien.close();

    ASSERT_TRUE(Zipper(f.fileName(), chemin("Conso.zip")));
    const QString liste =
        QString::fromLocal8Bit(OutilsProcessus::lancer("unzip", {"-l", chemin("Conso.zip")}));
    EXPECT_TRUE(liste.contains("Conso 03-2026.xlsx")) << liste.toStdString();
    EXPECT_TRUE(liste.contains("1 file")) << liste.toStdString();
    EXPECT_TRUE(OutilsProcessus::lancer("unzip", {"-t", chemin("Conso.zip")})
                    .contains("No errors detected in compressed data"));
    EXPECT_EQ(OutilsProcessus::lancer("unzip", {"-p", chemin("Conso.zip")}), octets);
}

// A missing file gives the end record alone; an archive that cannot be written is told once and gives
// false, leaving nothing behind.
TEST_F(ZipperTest, MissingFileGivesTheEndRecordAloneAndAFailedWriteGivesFalse) {
    ASSERT_TRUE(Zipper(chemin("absent.xlsx"), chemin("vide.zip")));
    EXPECT_EQ(contenu(chemin("vide.zip")), QByteArray("PK\x05\x06", 4) + QByteArray(18, '\0'));

    ASSERT_TRUE(QDir(m_dossier.path()).mkdir("dossier.zip"));
    m_dialogues.attendreMessageContenant(QDir::toNativeSeparators(chemin("dossier.zip")));
    EXPECT_FALSE(Zipper(chemin("absent.xlsx"), chemin("dossier.zip")));
    m_dialogues.verifierTout();
    EXPECT_TRUE(QFileInfo(chemin("dossier.zip")).isDir());
}
