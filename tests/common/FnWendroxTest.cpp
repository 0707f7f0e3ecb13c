#include "common/FnWendrox.h"
#include "common/EtatGlobal.h"
#include "common/IniFile.h"
#include "support/DossierProgrammeTemp.h"
#include "support/ServiceDialogueScripte.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

using namespace FnWendrox;

namespace {

QString ecrireIniTemp(const QTemporaryDir& dir, const QByteArray& octets) {
    return ecrireFichierTest(dir.filePath(QStringLiteral("automat.ini")), octets);
}

QByteArray octetsDe(const QString& chemin) {
    QFile f(chemin);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const QString MessageEchec =
    QStringLiteral("Erreur N°:\n75\nPath/File access error\nAppuyez sur (A) pour continuer");

} // namespace

TEST(LireIni, ValeursRogneesCoupeesEtDefauts) {
    QTemporaryDir dir;
    const QString ini =
        ecrireIniTemp(dir, "[ BASE DE DONN\xC3\x89\x45 ]\r\nMulti Instance= OUI \r\n"
                           "Long=" +
                               QByteArray(300, 'a') + "\r\nVide=\r\n[Machine ]\r\nLangue=NL\r\n");
    ServiceDialogueScripte d; // no message expected
    const QString s = QStringLiteral("Base de donnée");
    EXPECT_EQ(LireIniString(ini, s, QStringLiteral("Multi Instance"), QStringLiteral("NON")),
              QStringLiteral("OUI"));
    EXPECT_EQ(LireIniString(ini, s, QStringLiteral("Long"), QString()).size(), 254);
    EXPECT_EQ(LireIniString(ini, s, QStringLiteral("Vide"), QStringLiteral("x")), QString());
    EXPECT_EQ(LireIniString(ini, s, QStringLiteral("Absent"), QStringLiteral("  dé  ")),
              QStringLiteral("dé"));
    EXPECT_EQ(LireIniString(ini, QStringLiteral("Machine"), QStringLiteral("Langue"), QString()),
              QStringLiteral("NL"));
    EXPECT_EQ(LireIniString(dir.filePath(QStringLiteral("absent.ini")), s, QStringLiteral("Nom"),
                            QStringLiteral("VEZ")),
              QStringLiteral("VEZ"));
    // A folder where the file should be reads as a missing file.
    EXPECT_EQ(LireIniString(dir.path(), s, QStringLiteral("Nom"), QStringLiteral("VEZ")),
              QStringLiteral("VEZ"));
}

TEST(LireIni, UneLigneWindows1252DansUnFichierUtf8) {
    QTemporaryDir dir;
    const QString ini =
        ecrireIniTemp(dir, "[Base de donn\xC3\xA9\x65]\nNom=Caf\xC3\xA9\nChemin Image=/d/\xE9t\xE9\n"
                           "Serveur=h\xC3\xB4te\n");
    ServiceDialogueScripte d;
    const QString s = QStringLiteral("Base de donnée");
    EXPECT_EQ(LireIniString(ini, s, QStringLiteral("Nom"), QString()), QStringLiteral("Café"));
    EXPECT_EQ(LireIniString(ini, s, QStringLiteral("Chemin Image"), QString()), QStringLiteral("/d/été"));
    EXPECT_EQ(LireIniString(ini, s, QStringLiteral("Serveur"), QString()), QStringLiteral("hôte"));
}

TEST(LireIni, EntiersCommeLaFonctionDeProfil) {
    QTemporaryDir dir;
    const QString ini =
        ecrireIniTemp(dir, "[Badge]\nA=12abc\nB=-7\nC=abc\nD=\nE=40000\nF= +3 \nG=32767\nH=-32768\n"
                           "I=99999999999999999999999\n");
    const QString s = QStringLiteral("Badge");
    {
        ServiceDialogueScripte d;
        EXPECT_EQ(LireIniInteger(ini, s, QStringLiteral("A"), 5), 12);
        EXPECT_EQ(LireIniInteger(ini, s, QStringLiteral("B"), 5), -7);
        EXPECT_EQ(LireIniInteger(ini, s, QStringLiteral("C"), 5), 0);
        EXPECT_EQ(LireIniInteger(ini, s, QStringLiteral("D"), 5), 5);
        EXPECT_EQ(LireIniInteger(ini, s, QStringLiteral("Absent"), 5), 5);
        EXPECT_EQ(LireIniInteger(ini, s, QStringLiteral("F"), 5), 3);
        EXPECT_EQ(LireIniInteger(ini, s, QStringLiteral("G"), 5), 32767);
        EXPECT_EQ(LireIniInteger(ini, s, QStringLiteral("H"), 5), -32768);
    }
    ServiceDialogueScripte d;
    const QString overflow = QStringLiteral("Erreur N°:\n6\nOverflow\nAppuyez sur (A) pour continuer");
    d.attendreMessage(overflow, Reponse::OK, QStringLiteral("LireIniInteger"), StyleMessage::OK);
    d.attendreMessage(overflow, Reponse::OK, QStringLiteral("LireIniInteger"), StyleMessage::OK);
    EXPECT_EQ(LireIniInteger(ini, s, QStringLiteral("E"), 5), 0);
    EXPECT_EQ(LireIniInteger(ini, s, QStringLiteral("I"), 5), 0);
}

TEST(EcrireIni, ChangeUneLigneEtGardeLeReste) {
    QTemporaryDir dir;
    const QByteArray avant =
        "; settings\r\n[Base de donn\xC3\xA9\x65]\r\nNom=VEZ\r\n\r\n[Machine]\r\nLangue=FR\r\n";
    const QString ini = ecrireIniTemp(dir, avant);
    ServiceDialogueScripte d;
    EXPECT_EQ(LireIniString(ini, QStringLiteral("Machine"), QStringLiteral("Langue"), QString()),
              QStringLiteral("FR"));
    EcrireIniString(ini, QStringLiteral("machine"), QStringLiteral("LANGUE"), QStringLiteral("DE"));
    QByteArray attendu = avant;
    attendu.replace("Langue=FR", "Langue=DE");
    EXPECT_EQ(octetsDe(ini), attendu);
    // The next read sees the new value at once, whatever the file's time stamp.
    EXPECT_EQ(LireIniString(ini, QStringLiteral("Machine"), QStringLiteral("Langue"), QString()),
              QStringLiteral("DE"));
}

TEST(EcrireIni, EchecSignaleEtFichierIntact) {
    QTemporaryDir dir;
    const QString fichier = ecrireIniTemp(dir, "[S]\nK=1\n");
    QDir(dir.path()).mkdir(QStringLiteral("dossier.ini"));
    ServiceDialogueScripte d;
    for (const QString& chemin :
         {fichier + QStringLiteral("/sous.ini"), dir.filePath(QStringLiteral("absent/a.ini")),
          dir.filePath(QStringLiteral("dossier.ini"))}) {
        d.attendreMessage(MessageEchec, Reponse::OK, QStringLiteral("EcrireIniString"), StyleMessage::OK);
        EcrireIniString(chemin, QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("2"));
    }
    EXPECT_EQ(octetsDe(fichier), QByteArray("[S]\nK=1\n"));
}

TEST(Fichiers, ExistenceSansEgardALaCasse) {
    QTemporaryDir dir;
    QFile(dir.filePath(QStringLiteral("photo.jpg"))).open(QIODevice::WriteOnly);
    QDir(dir.path()).mkdir(QStringLiteral("sous"));
    QFile(dir.filePath(QStringLiteral("sous/a.txt"))).open(QIODevice::WriteOnly);
    EXPECT_TRUE(FichierExiste(dir.path(), QStringLiteral("PHOTO.JPG")));
    EXPECT_TRUE(FichierExiste(dir.path() + QLatin1Char('/'), QStringLiteral("photo.jpg")));
    EXPECT_FALSE(FichierExiste(dir.path(), QStringLiteral("photo.jpeg")));
    EXPECT_FALSE(FichierExiste(dir.path(), QStringLiteral("*.jpg")));
    EXPECT_FALSE(FichierExiste(dir.path(), QStringLiteral("sous"))); // a folder is no file
    EXPECT_FALSE(FichierExiste(dir.path(), QStringLiteral("sous/a.txt")));
    EXPECT_FALSE(FichierExiste(dir.filePath(QStringLiteral("absent")), QStringLiteral("photo.jpg")));
    EXPECT_FALSE(FichierExiste(dir.path(), QString()));
    // The path found keeps the file's real spelling, so that it opens on a case-sensitive file system.
    EXPECT_EQ(FichierExistant(dir.path(), QStringLiteral("PHOTO.JPG")),
              dir.filePath(QStringLiteral("photo.jpg")));
    EXPECT_TRUE(QFile::exists(FichierExistant(dir.path(), QStringLiteral("Photo.Jpg"))));
    EXPECT_EQ(FichierExistant(dir.path(), QStringLiteral("sous")), QString());

    // The settings file of a folder copied from Windows; where there is none, the name as given.
    QFile(dir.filePath(QStringLiteral("AUTOMAT.INI"))).open(QIODevice::WriteOnly);
    EXPECT_EQ(CheminDansDossier(dir.path(), QStringLiteral("automat.ini")),
              dir.filePath(QStringLiteral("AUTOMAT.INI")));
    EXPECT_EQ(CheminDansDossier(dir.path(), QStringLiteral("automat1.ini")),
              dir.filePath(QStringLiteral("automat1.ini")));
    EXPECT_EQ(CheminDansDossier(dir.path(), QStringLiteral("SOUS")), dir.filePath(QStringLiteral("SOUS")));
}

TEST(Fichiers, DossierAccessibleEnEcriture) {
    QTemporaryDir dir;
    // Another workstation's "test.tst", even one that cannot be opened, is left alone and stops nothing.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("test.tst")));
    EXPECT_TRUE(DossierAccessibleEnEcriture(dir.path()));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{QStringLiteral("test.tst")});
    // Checks of one folder at once never refuse each other.
    std::atomic<int> refus{0};
    std::vector<std::thread> postes;
    for (int p = 0; p < 4; ++p)
        postes.emplace_back([&] {
            for (int i = 0; i < 200; ++i)
                if (!DossierAccessibleEnEcriture(dir.path()))
                    ++refus;
        });
    for (std::thread& t : postes)
        t.join();
    EXPECT_EQ(refus, 0);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).size(), 1);
    EXPECT_FALSE(DossierAccessibleEnEcriture(dir.filePath(QStringLiteral("absent"))));
    QFile f(dir.filePath(QStringLiteral("fichier")));
    f.open(QIODevice::WriteOnly);
    f.close();
    EXPECT_FALSE(DossierAccessibleEnEcriture(dir.filePath(QStringLiteral("fichier"))));
}

TEST(Fichiers, NomEtCheminDUnFichier) {
    EXPECT_EQ(NomFichier(QStringLiteral("C:\\Program\\image\\12.JPG")), QStringLiteral("12.JPG"));
    EXPECT_EQ(CheminFichier(QStringLiteral("C:\\Program\\image\\12.JPG")),
              QStringLiteral("C:\\Program\\image"));
    EXPECT_EQ(NomFichier(QStringLiteral("/home/u/image/12.jpg")), QStringLiteral("12.jpg"));
    EXPECT_EQ(CheminFichier(QStringLiteral("/home/u/image/12.jpg")), QStringLiteral("/home/u/image"));
    EXPECT_EQ(NomFichier(QStringLiteral("C:photo.jpg")), QStringLiteral("photo.jpg"));
    EXPECT_EQ(NomFichier(QStringLiteral("photo.jpg")), QStringLiteral("photo.jpg"));
    EXPECT_EQ(CheminFichier(QStringLiteral("photo.jpg")), QString());
    EXPECT_EQ(AjouteBackslash(QStringLiteral("/a")), QStringLiteral("/a/"));
    EXPECT_EQ(AjouteBackslash(QStringLiteral("/a/")), QStringLiteral("/a/"));
    EXPECT_EQ(AjouteBackslash(QStringLiteral("C:\\a\\")), QStringLiteral("C:\\a\\"));
}

TEST(Fichiers, CheminApplicationGardeLaCasse) {
    QTemporaryDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("Dorvane Home"));
    const QByteArray avant = qgetenv("DORVANE_HOME");
    qputenv("DORVANE_HOME", QFile::encodeName(dir.filePath(QStringLiteral("Dorvane Home"))));
    EXPECT_EQ(CheminApplication(), dir.filePath(QStringLiteral("Dorvane Home")) + QLatin1Char('/'));
    EXPECT_TRUE(QDir(CheminApplication()).exists());
    qunsetenv("DORVANE_HOME");
    EXPECT_EQ(CheminApplication(), QCoreApplication::applicationDirPath() + QLatin1Char('/'));
    if (!avant.isEmpty())
        qputenv("DORVANE_HOME", avant);
}

namespace {
// A clock the test moves: each reading advances it by `pas` milliseconds.
struct HorlogeTest {
    QDateTime t;
    qint64 pas;
    int lectures = 0;
    QDateTime lire() {
        ++lectures;
        const QDateTime r = t;
        t = t.addMSecs(pas);
        return r;
    }
};
} // namespace

TEST(Attendre, SecondesEntieresEtEvenementsTraites) {
    const QDate jour(2024, 3, 1);
    auto h = std::make_shared<HorlogeTest>(HorlogeTest{QDateTime(jour, QTime(10, 0, 0, 900)), 40});
    definirHorloge([h] { return h->lire(); });
    QDateTime fin;
    auto finir = [&] { fin = h->t; };

    // 1.0 s from 10:00:00.9 ends at 10:00:01.0.
    Attendre(1.0);
    finir();
    EXPECT_GE(fin, QDateTime(jour, QTime(10, 0, 1, 0)));
    EXPECT_LT(fin, QDateTime(jour, QTime(10, 0, 1, 100)));

    // 0.1 s lasts until the next second begins.
    h->t = QDateTime(jour, QTime(10, 0, 5, 0));
    Attendre(0.1);
    finir();
    EXPECT_GE(fin, QDateTime(jour, QTime(10, 0, 6, 0)));
    EXPECT_LT(fin, QDateTime(jour, QTime(10, 0, 6, 100)));

    // Timers of the program run during the wait.
    h->t = QDateTime(jour, QTime(10, 0, 9, 500));
    bool minuterieVue = false;
    QTimer::singleShot(0, [&] { minuterieVue = true; });
    Attendre(0);
    EXPECT_TRUE(minuterieVue);
    definirHorloge({});

    // With the real clock, a short wait ends within a second and a bit.
    QElapsedTimer chrono;
    chrono.start();
    Attendre(0.1);
    EXPECT_LE(chrono.elapsed(), 1100);
}
