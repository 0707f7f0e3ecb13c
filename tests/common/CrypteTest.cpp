#include "common/Crypte.h"
#include "common/ChaineConnexion.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(Crypte, DescramblesWindowsBytesWithTheKeyAndThe255Rule) {
    EXPECT_EQ(Crypte::Decrypte(QByteArray("\xEA\xD3", 2)), QByteArray("sa"));
    EXPECT_EQ(Crypte::Decrypte(QString::fromLatin1("\xEA\xD3")), QStringLiteral("sa"));
    EXPECT_EQ(Crypte::Decrypte(QByteArray()), QByteArray());
    // 'a' (97) minus 'w' (119) is negative: 255 is added, giving 233.
    EXPECT_EQ(Crypte::Decrypte(QByteArray("a")), QByteArray("\xE9"));
    EXPECT_EQ(Crypte::Decrypte(QString::fromLatin1("a")), QStringLiteral("é"));
    // The key repeats after its eighth character.
    const QByteArray cle = "wrenalupw";
    QByteArray brouille;
    for (const char c : cle)
        brouille.append(static_cast<char>(static_cast<unsigned char>(c) + 1));
    EXPECT_EQ(Crypte::Decrypte(brouille), QByteArray(9, '\x01'));
    // Windows-1252 characters outside Latin-1: "€" is byte 0x80.
    EXPECT_EQ(Crypte::Decrypte(QStringLiteral("€")), QString(QChar(0x80 - 0x77)));
}

TEST(ChaineConnexion, LoginFromTheSettings) {
    using namespace ChaineConnexion;
    const Identifiants vide = identifiantsDepuis(QString(), QStringLiteral("ignoré"));
    EXPECT_EQ(vide.utilisateur, QStringLiteral("sa"));
    EXPECT_EQ(vide.motDePasse, QStringLiteral("tovek"));
    const Identifiants cr =
        identifiantsDepuis(QString::fromLatin1("CR\xEA\xD3"), QString::fromLatin1("\xEA\xD3"));
    const Identifiants crMinuscule =
        identifiantsDepuis(QString::fromLatin1("cr\xEA\xD3"), QString::fromLatin1("\xEA\xD3"));
    EXPECT_EQ(cr.motDePasse, QStringLiteral("sa"));
    EXPECT_EQ(cr.utilisateur, QStringLiteral("sa"));
    EXPECT_EQ(crMinuscule.motDePasse, cr.motDePasse);
    EXPECT_EQ(crMinuscule.utilisateur, cr.utilisateur);
    const Identifiants tape = identifiantsDepuis(QStringLiteral("secret"), QStringLiteral("dupont"));
    EXPECT_EQ(tape.utilisateur, QStringLiteral("dupont"));
    EXPECT_EQ(tape.motDePasse, QStringLiteral("secret"));
}

TEST(ChaineConnexion, ConnectionStringByteForByte) {
    EXPECT_EQ(ChaineConnexion::construire("u", "p", "srv", "VEZ", QString()),
              QStringLiteral("uid=u;pwd=p;driver={SQL Server}; server=srv;database=VEZ;dsn=''"));
    EXPECT_EQ(
        ChaineConnexion::construire("u", "p", "srv", "VEZ", "2008"),
        QStringLiteral("uid=u;pwd=p;driver={SQL Server Native Client 10.0}; server=srv;database=VEZ;dsn=''"));
    EXPECT_EQ(ChaineConnexion::construire("u", "p", "srv", "VEZ", "2005"),
              QStringLiteral("uid=u;pwd=p;driver={SQL Server}; server=srv;database=VEZ;dsn=''"));
}

TEST(ChaineConnexion, ReadsTheKeysFromTheSettingsFile) {
    QTemporaryDir dossier;
    const QString ini = dossier.filePath(QStringLiteral("automat.ini"));
    QFile f(ini);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    // Scrambled values are Windows-1252 bytes, as an installer wrote them.
    f.write("[Base de donn\xE9"
            "e]\r\nP=cR\xEA\xD3\r\nUtilisateur=\xEA\xD3\r\nVersionSQLserver=2008 \r\n");
    f.close();
    const auto id = ChaineConnexion::lireIdentifiants(ini);
    EXPECT_EQ(id.utilisateur, QStringLiteral("sa"));
    EXPECT_EQ(id.motDePasse, QStringLiteral("sa"));
    EXPECT_EQ(ChaineConnexion::lireChaineConnexion(ini, id.utilisateur, id.motDePasse, "srv", "VEZ"),
              QStringLiteral(
                  "uid=sa;pwd=sa;driver={SQL Server Native Client 10.0}; server=srv;database=VEZ;dsn=''"));
    const auto absent = ChaineConnexion::lireIdentifiants(dossier.filePath(QStringLiteral("absent.ini")));
    EXPECT_EQ(absent.utilisateur, QStringLiteral("sa"));

    // "abc2" scrambles to D8 D4 C8 A0: the last byte is a no-break space in Windows-1252, part of the
    // value, not a blank to trim. Blanks around it still go.
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("[Base de donn\xE9"
            "e]\r\nP= CR\xD8\xD4\xC8\xA0 \r\nUtilisateur=\t\xEA\xD3\xA0\r\n");
    f.close();
    const auto chiffre = ChaineConnexion::lireIdentifiants(ini);
    EXPECT_EQ(chiffre.motDePasse, QStringLiteral("abc2"));
    EXPECT_EQ(chiffre.utilisateur, QStringLiteral("sa;"));
}
