#include "common/IniFile.h"
#include "common/ErreurExecution.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray lireOctets(const QString& chemin) {
    QFile f(chemin);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void ecrireOctets(const QString& chemin, const QByteArray& octets) {
    QFile f(chemin);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(octets);
}

} // namespace

TEST(IniFile, NomsEtValeursRognesSansEgardALaCasse) {
    const IniFile ini = IniFile::depuisOctets("\xEF\xBB\xBF[ BASE DE DONN\xC3\x89\x45 ]\r\n"
                                              "  Multi Instance  =   OUI  \r\n"
                                              "Nom=\"VEZ2\"\r\n"
                                              "Vide=\r\n"
                                              "Quote='a\"\r\n"
                                              "[Machine ]\n"
                                              "Langue = NL\n"
                                              "langue = DE\n");
    EXPECT_TRUE(ini.valide());
    bool trouve = false;
    EXPECT_EQ(ini.valeur(QStringLiteral("Base de donnée"), QStringLiteral("multi instance"), &trouve),
              QStringLiteral("OUI"));
    EXPECT_TRUE(trouve);
    EXPECT_EQ(ini.valeur(QStringLiteral("base de donnée"), QStringLiteral("Nom")), QStringLiteral("VEZ2"));
    EXPECT_EQ(ini.valeur(QStringLiteral("base de donnée"), QStringLiteral("Vide"), &trouve), QString());
    EXPECT_TRUE(trouve);
    EXPECT_EQ(ini.valeur(QStringLiteral("base de donnée"), QStringLiteral("Quote")), QStringLiteral("'a\""));
    EXPECT_EQ(ini.valeur(QStringLiteral("Machine"), QStringLiteral("Langue")), QStringLiteral("NL"));
    EXPECT_EQ(ini.valeur(QStringLiteral("Machine "), QStringLiteral("LANGUE")), QStringLiteral("NL"));
    ini.valeur(QStringLiteral("Machine"), QStringLiteral("Absent"), &trouve);
    EXPECT_FALSE(trouve);
    // Accents are not folded away: "donnee" is another section.
    EXPECT_FALSE(ini.contientSection(QStringLiteral("Base de donnee")));
}

TEST(IniFile, ValeurCoupeeA254Caracteres) {
    const QByteArray longue(300, 'x');
    const IniFile ini = IniFile::depuisOctets("[S]\nK=" + longue + "\n");
    EXPECT_EQ(ini.valeur(QStringLiteral("S"), QStringLiteral("K")), QString(254, QLatin1Char('x')));
}

TEST(IniFile, EncodagesMelangesEtLignesCassees) {
    QByteArray octets;
    octets += "[Base de donn\xC3\xA9\x65]\n";         // UTF-8
    octets += "Chemin Image=C:\\Images\\\xE9t\xE9\n"; // Windows-1252 "été"
    octets += "Nom=Soci\xC3\xA9t\xC3\xA9\n";          // UTF-8 again
    octets += "[Cass\xE9\n";                          // missing bracket: passed over
    octets += QByteArray("\x00\x01\xFF\xFE junk\n", 11);
    octets += "sans egal\n";
    octets += "=sans cle\n";
    octets += "; Nom=commentaire\n";
    octets += "Serveur=srv"; // no final line end
    const IniFile ini = IniFile::depuisOctets(octets);
    const QString s = QStringLiteral("base de donnée");
    EXPECT_EQ(ini.valeur(s, QStringLiteral("Chemin Image")), QStringLiteral("C:\\Images\\été"));
    EXPECT_EQ(ini.valeur(s, QStringLiteral("Nom")), QStringLiteral("Société"));
    EXPECT_EQ(ini.valeur(s, QStringLiteral("Serveur")), QStringLiteral("srv"));
    EXPECT_EQ(ini.sections(), QStringList{QStringLiteral("Base de donnée")});

    // Windows-1250 for the Polish and Slovak files: 0xB3 is "ł" there, "³" in Windows-1252.
    const IniFile pl = IniFile::depuisOctets("[F]\nT=\xB3\n", IniFile::CodePage::Windows1250);
    EXPECT_EQ(pl.valeur(QStringLiteral("F"), QStringLiteral("T")), QStringLiteral("ł"));
    EXPECT_EQ(IniFile::codePagePour(QStringLiteral("/x/POLAND.LNG")), IniFile::CodePage::Windows1250);
    EXPECT_EQ(IniFile::codePagePour(QStringLiteral("/x/french.lng")), IniFile::CodePage::Windows1252);
}

TEST(IniFile, FichierAbsentInvalide) {
    QTemporaryDir dir;
    EXPECT_FALSE(IniFile::lire(dir.filePath(QStringLiteral("absent.ini"))).valide());
    EXPECT_FALSE(IniFile::lire(dir.path()).valide()); // a folder is not a settings file
}

TEST(IniFile, EcritureGardeChaqueAutreOctet) {
    QTemporaryDir dir;
    const QString chemin = dir.filePath(QStringLiteral("automat.ini"));
    const QByteArray avant = "\xEF\xBB\xBF; commentaire\r\n"
                             "[Base de donn\xC3\xA9\x65]\r\n"
                             "Nom = VEZ\r\n"
                             "Serveur=srv\r\n"
                             "\r\n"
                             "[Machine]\r\n"
                             "Langue=FR\r\n"
                             "Nom=autre\r\n";
    ecrireOctets(chemin, avant);

    IniFile::ecrire(chemin, QStringLiteral("BASE DE DONNÉE"), QStringLiteral("nom"), QStringLiteral("TEST"));
    QByteArray attendu = avant;
    attendu.replace("Nom = VEZ\r\n", "Nom =TEST\r\n");
    EXPECT_EQ(lireOctets(chemin), attendu);

    // A new key goes to the end of its section, before the blank line, with the file's line end.
    IniFile::ecrire(chemin, QStringLiteral("Base de donnée"), QStringLiteral("P"), QStringLiteral("é"));
    attendu.replace("Serveur=srv\r\n", "Serveur=srv\r\nP=\xC3\xA9\r\n");
    EXPECT_EQ(lireOctets(chemin), attendu);

    // A new section goes to the end of the file.
    IniFile::ecrire(chemin, QStringLiteral("Email"), QStringLiteral("SMTP"), QStringLiteral("mail\nhost"));
    attendu += "[Email]\r\nSMTP=mail host\r\n";
    EXPECT_EQ(lireOctets(chemin), attendu);

    const IniFile relu = IniFile::lire(chemin);
    EXPECT_EQ(relu.valeur(QStringLiteral("Machine"), QStringLiteral("Nom")), QStringLiteral("autre"));
    EXPECT_EQ(relu.valeur(QStringLiteral("Base de donnée"), QStringLiteral("Nom")), QStringLiteral("TEST"));
}

TEST(IniFile, EcritureSurDerniereLigneSansFinEtFichierNeuf) {
    QTemporaryDir dir;
    const QString chemin = dir.filePath(QStringLiteral("a.ini"));
    ecrireOctets(chemin, "[S]\nA=1");
    IniFile::ecrire(chemin, QStringLiteral("S"), QStringLiteral("B"), QStringLiteral("2"));
    EXPECT_EQ(lireOctets(chemin), QByteArray("[S]\nA=1\nB=2\n"));

    const QString neuf = dir.filePath(QStringLiteral("neuf.ini"));
    IniFile::ecrire(neuf, QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("v"));
    EXPECT_EQ(lireOctets(neuf), QByteArray("[S]\nK=v\n"));
}

TEST(IniFile, EcritureImpossibleLaisseLeFichier) {
    QTemporaryDir dir;
    const QString fichier = dir.filePath(QStringLiteral("fichier"));
    ecrireOctets(fichier, "[S]\nK=1\n");
    // Under a regular file, in a missing folder, onto a folder.
    const QString sousFichier = fichier + QStringLiteral("/automat.ini");
    const QString dossierAbsent = dir.filePath(QStringLiteral("absent/automat.ini"));
    QDir(dir.path()).mkdir(QStringLiteral("dossier.ini"));
    const QString dossier = dir.filePath(QStringLiteral("dossier.ini"));
    for (const QString& chemin : {sousFichier, dossierAbsent, dossier}) {
        try {
            IniFile::ecrire(chemin, QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("2"));
            ADD_FAILURE() << "no failure for " << chemin.toStdString();
        } catch (const ErreurExecution& e) {
            EXPECT_EQ(e.numero(), ErreurExecution::PathFileAccess);
        }
    }
    EXPECT_EQ(lireOctets(fichier), QByteArray("[S]\nK=1\n"));
    EXPECT_TRUE(QFileInfo(dossier).isDir());
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("absent"))));
    // No temporary file left behind.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("fichier")});
}

TEST(IniFile, CacheSuitLesChangementsDuFichier) {
    QTemporaryDir dir;
    const QString chemin = dir.filePath(QStringLiteral("french.lng"));
    ecrireOctets(chemin, "[F]\nT=un\n");
    auto a = IniFile::enCache(chemin);
    EXPECT_EQ(a->valeur(QStringLiteral("F"), QStringLiteral("T")), QStringLiteral("un"));
    EXPECT_EQ(IniFile::enCache(chemin).get(), a.get());
    ecrireOctets(chemin, "[F]\nT=deux\n");
    EXPECT_EQ(IniFile::enCache(chemin)->valeur(QStringLiteral("F"), QStringLiteral("T")),
              QStringLiteral("deux"));
    IniFile::ecrire(chemin, QStringLiteral("F"), QStringLiteral("T"), QStringLiteral("trois"));
    EXPECT_EQ(IniFile::enCache(chemin)->valeur(QStringLiteral("F"), QStringLiteral("T")),
              QStringLiteral("trois"));
    QFile::remove(chemin);
    EXPECT_FALSE(IniFile::enCache(chemin)->valide());
}

TEST(IniFile, FinsDeLigneCrSeulesLuesEtGardees) {
    // Lone CR (old Mac editors), LF and CR LF, even mixed in one file.
    const IniFile ini = IniFile::depuisOctets("[S]\rA=1\rB=2\r[T]\nC=3\r\nD=4");
    EXPECT_EQ(ini.valeur(QStringLiteral("S"), QStringLiteral("A")), QStringLiteral("1"));
    EXPECT_EQ(ini.valeur(QStringLiteral("S"), QStringLiteral("B")), QStringLiteral("2"));
    EXPECT_EQ(ini.valeur(QStringLiteral("T"), QStringLiteral("C")), QStringLiteral("3"));
    EXPECT_EQ(ini.valeur(QStringLiteral("T"), QStringLiteral("D")), QStringLiteral("4"));

    QTemporaryDir dir;
    const QString chemin = dir.filePath(QStringLiteral("a.ini"));
    ecrireOctets(chemin, "[S]\rA=1\rB=2\r");
    IniFile::ecrire(chemin, QStringLiteral("S"), QStringLiteral("A"), QStringLiteral("9"));
    IniFile::ecrire(chemin, QStringLiteral("S"), QStringLiteral("C"), QStringLiteral("3"));
    IniFile::ecrire(chemin, QStringLiteral("U"), QStringLiteral("K"), QStringLiteral("v"));
    EXPECT_EQ(lireOctets(chemin), QByteArray("[S]\rA=9\rB=2\rC=3\r[U]\rK=v\r"));
    ecrireOctets(chemin, "[S]\rA=1");
    IniFile::ecrire(chemin, QStringLiteral("U"), QStringLiteral("K"), QStringLiteral("v"));
    EXPECT_EQ(lireOctets(chemin), QByteArray("[S]\rA=1\r[U]\rK=v\r"));
}

TEST(IniFile, EcritureDansLEncodageDuFichier) {
    QTemporaryDir dir;
    // A Windows-1252 file stays single-byte: "Zürich" is Z FC r i c h.
    const QString ancien = dir.filePath(QStringLiteral("automat.ini"));
    ecrireOctets(ancien, "[Soci\xE9t\xE9]\r\nVille=Paris\r\n");
    IniFile::ecrire(ancien, QStringLiteral("Société"), QStringLiteral("Ville"), QStringLiteral("Zürich"));
    IniFile::ecrire(ancien, QStringLiteral("Société"), QStringLiteral("Clé"), QStringLiteral("été"));
    IniFile::ecrire(ancien, QStringLiteral("Données"), QStringLiteral("K"), QStringLiteral("ü"));
    EXPECT_EQ(lireOctets(ancien),
              QByteArray(
                  "[Soci\xE9t\xE9]\r\nVille=Z\xFCrich\r\nCl\xE9=\xE9t\xE9\r\n[Donn\xE9\x65s]\r\nK=\xFC\r\n"));
    // Text the code page cannot hold goes in UTF-8, which the reader takes line by line.
    IniFile::ecrire(ancien, QStringLiteral("Société"), QStringLiteral("Ville"), QStringLiteral("Łódź"));
    EXPECT_EQ(IniFile::lire(ancien).valeur(QStringLiteral("Société"), QStringLiteral("Ville")),
              QStringLiteral("Łódź"));
    EXPECT_EQ(IniFile::lire(ancien).valeur(QStringLiteral("Société"), QStringLiteral("Clé")),
              QStringLiteral("été"));

    // A UTF-8 file, and a plain ASCII one, take UTF-8.
    const QString utf8 = dir.filePath(QStringLiteral("utf8.ini"));
    ecrireOctets(utf8, "[S]\nNom=Soci\xC3\xA9t\xC3\xA9\n");
    IniFile::ecrire(utf8, QStringLiteral("S"), QStringLiteral("Ville"), QStringLiteral("Zürich"));
    EXPECT_EQ(lireOctets(utf8), QByteArray("[S]\nNom=Soci\xC3\xA9t\xC3\xA9\nVille=Z\xC3\xBCrich\n"));
    const QString ascii = dir.filePath(QStringLiteral("ascii.ini"));
    ecrireOctets(ascii, "[S]\nNom=VEZ\n");
    IniFile::ecrire(ascii, QStringLiteral("S"), QStringLiteral("Nom"), QStringLiteral("é"));
    EXPECT_EQ(lireOctets(ascii), QByteArray("[S]\nNom=\xC3\xA9\n"));
}

TEST(IniFile, DoublonsEtSectionsRepetees) {
    // A section written twice is one section; the first line of a key wins wherever it stands, and
    // names match through case and encoding ("CLÉ" in Windows-1252, "clé" in UTF-8).
    const IniFile ini = IniFile::depuisOctets("k=avant\n[A]\nk=1\nCL\xC9=a\n[B]\nk=2\n[a]\nK=3\nj=4\n"
                                              "cl\xC3\xA9=b\n[b]\nj=5\n");
    EXPECT_EQ(ini.valeur(QStringLiteral("A"), QStringLiteral("k")), QStringLiteral("1"));
    EXPECT_EQ(ini.valeur(QStringLiteral("a"), QStringLiteral("J")), QStringLiteral("4"));
    EXPECT_EQ(ini.valeur(QStringLiteral("A"), QStringLiteral("Clé")), QStringLiteral("a"));
    EXPECT_EQ(ini.valeur(QStringLiteral("B"), QStringLiteral("k")), QStringLiteral("2"));
    EXPECT_EQ(ini.valeur(QStringLiteral("B"), QStringLiteral("j")), QStringLiteral("5"));
    EXPECT_EQ(ini.sections(), (QStringList{QStringLiteral("A"), QStringLiteral("B")}));
    EXPECT_EQ(ini.cles(QStringLiteral("a")),
              (QStringList{QStringLiteral("k"), QStringLiteral("CLÉ"), QStringLiteral("j")}));
    EXPECT_TRUE(ini.contientSection(QStringLiteral("b")));
    EXPECT_FALSE(ini.contientSection(QStringLiteral("C")));
}
