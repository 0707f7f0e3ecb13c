#include "OutilsProcessus.h"
#include "ServiceDialogueScripte.h"
#include "bench/FichierMixte.h"

#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "mail/ZipClass.h"
#include "mail/ZipFile.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <cerrno>
#include <csignal>
#include <sys/resource.h>
#include <zlib.h>

using OutilsProcessus::lancer;

namespace {

quint16 lu16(const QByteArray& o, qsizetype p) {
    return qFromLittleEndian<quint16>(o.constData() + p);
}
quint32 lu32(const QByteArray& o, qsizetype p) {
    return qFromLittleEndian<quint32>(o.constData() + p);
}

// Little-endian fields, 16-bit below 0x10000 unless given as quint32.
struct Octets {
    QByteArray o;
    QDataStream s{&o, QIODevice::WriteOnly};
    Octets() { s.setByteOrder(QDataStream::LittleEndian); }
    template <typename... T> Octets& operator()(T... v) {
        (s << ... << v);
        return *this;
    }
};

// One entry as the central directory gives it, with the name of its local header.
struct Entree {
    QByteArray nom, nomLocal, commentaire;
    quint32 position = 0;
    quint16 drapeaux = 0, drapeauxLocaux = 0;
};

// The entries of an archive, read from the end record that closes it and its central directory.
std::vector<Entree> entrees(const QByteArray& a, QByteArray* commentaire = nullptr) {
    std::vector<Entree> r;
    const qsizetype fin = a.lastIndexOf(QByteArray("PK\x05\x06", 4));
    EXPECT_EQ(fin + 22 + lu16(a, fin + 20), a.size());
    if (commentaire)
        *commentaire = a.mid(fin + 22);
    qsizetype p = lu32(a, fin + 16);
    EXPECT_EQ(p + lu32(a, fin + 12), fin);
    for (int i = 0; i < lu16(a, fin + 10); ++i) {
        const quint16 n = lu16(a, p + 28), x = lu16(a, p + 30), c = lu16(a, p + 32);
        Entree e{a.mid(p + 46, n), {}, a.mid(p + 46 + n + x, c), lu32(a, p + 42)};
        e.nomLocal = a.mid(e.position + 30, lu16(a, e.position + 26));
        e.drapeaux = lu16(a, p + 8);
        e.drapeauxLocaux = lu16(a, e.position + 6);
        r.push_back(e);
        p += 46 + n + x + c;
    }
    return r;
}

class ZipClassTest : public ::testing::Test {
protected:
    void SetUp() override { reinitialiserEtatGlobal(); }
    void TearDown() override { reinitialiserEtatGlobal(); }

    QString chemin(const QString& nom) const { return m_dossier.filePath(nom); }
    // A file with these bytes, last changed at that local time.
    QString fichier(const QString& nom, const QByteArray& octets,
                    const QDateTime& modifie = QDateTime(QDate(2024, 5, 6), QTime(7, 8, 10))) const {
        QFile f(chemin(nom));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.write(octets) == octets.size() && f.flush());
        EXPECT_TRUE(f.setFileTime(modifie, QFileDevice::FileModificationTime));
        return f.fileName();
    }
    static QByteArray contenu(const QString& chemin) {
        QFile f(chemin);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static void sansErreur(const QString& archive) {
        EXPECT_TRUE(lancer(QStringLiteral("unzip"), {QStringLiteral("-t"), archive})
                        .contains("No errors detected in compressed data"));
    }
    static QString zipinfo(const QString& archive, int* code = nullptr) {
        return QString::fromLocal8Bit(
            lancer(QStringLiteral("zipinfo"), {QStringLiteral("-v"), archive}, code));
    }

    QTemporaryDir m_dossier;
    ServiceDialogueScripte m_dialogues;
};

TEST_F(ZipClassTest, OneEntryByteForByte) {
    QByteArray texte;
    for (int i = 0; i < 200; ++i)
        texte += "Gants nitrile taille " + QByteArray::number(i % 11) + "\r\n";
    ZipClass zip;
    ASSERT_TRUE(zip.AddFile(
        fichier(QStringLiteral("bon.txt"), texte, QDateTime(QDate(2021, 7, 2), QTime(16, 5, 9)))));
    EXPECT_EQ(zip.FileCount(), 1);
    const QString archive = chemin(QStringLiteral("a.zip"));
    ASSERT_TRUE(zip.WriteZip(archive, false));

    const auto* source = reinterpret_cast<const Bytef*>(texte.constData());
    uLongf longueur = compressBound(static_cast<uLong>(texte.size()));
    QByteArray flux(static_cast<qsizetype>(longueur), '\0');
    ASSERT_EQ(
        compress(reinterpret_cast<Bytef*>(flux.data()), &longueur, source, static_cast<uLong>(texte.size())),
        Z_OK);
    const QByteArray donnees = flux.mid(2, static_cast<qsizetype>(longueur) - 6);
    const auto crc = static_cast<quint32>(crc32(0, source, static_cast<uInt>(texte.size())));
    const auto taille = static_cast<quint32>(texte.size()), compresse = static_cast<quint32>(longueur - 6);
    const auto repertoire = static_cast<quint32>(37 + donnees.size());
    // 2 July 2021 16:05:09 is date 21218 and time 32932: DOS keeps even seconds.
    const QByteArray attendu =
        Octets()(0x04034B50u, quint16(20), quint16(2), quint16(8), quint16(32932), quint16(21218), crc,
                 compresse, taille, quint16(7), quint16(0))
            .o +
        "bon.txt" + donnees +
        Octets()(0x02014B50u, quint16(20), quint16(20), quint16(2), quint16(8), quint16(32932),
                 quint16(21218), crc, compresse, taille, quint16(7), quint16(0), quint16(0), quint16(0),
                 quint16(0x20), 0u, 0u)
            .o +
        "bon.txt" +
        Octets()(0x06054B50u, quint16(0), quint16(0), quint16(1), quint16(1), 53u, repertoire, quint16(0)).o;
    EXPECT_EQ(contenu(archive).toHex(' '), attendu.toHex(' '));

    const QString info = zipinfo(archive);
    EXPECT_TRUE(info.contains(QStringLiteral("version of encoding software:                   2.0")));
    EXPECT_TRUE(info.contains(QStringLiteral("compression method:                             deflated")));
    EXPECT_TRUE(info.contains(QStringLiteral("2021 Jul 2 16:05:08"))) << info.toStdString();
    EXPECT_EQ(lancer(QStringLiteral("unzip"), {QStringLiteral("-p"), archive, QStringLiteral("bon.txt")}),
              texte);
}

// An empty file, a large one of text and random bytes, and one path added twice, all read back whole.
TEST_F(ZipClassTest, EmptyLargeAndTwiceReadBackWhole) {
    const QString vide = fichier(QStringLiteral("vide.csv"), QByteArray());
    const QByteArray gros = FichierMixte::contenu(20 * 1000 * 1000);
    ZipClass zip;
    ASSERT_TRUE(zip.AddFile(vide));
    ASSERT_TRUE(zip.AddFile(fichier(QStringLiteral("export.xls"), gros)));
    ASSERT_TRUE(zip.AddFile(vide));
    EXPECT_EQ(zip.FileCount(), 3);
    const QString archive = chemin(QStringLiteral("lot.zip"));
    ASSERT_TRUE(zip.WriteZip(archive, true));

    const QByteArray a = contenu(archive);
    // The empty file: deflate's empty final block, sizes 2 and 0, the CRC of nothing.
    EXPECT_EQ(a.mid(14, 12), QByteArray("\0\0\0\0\x02\0\0\0\0\0\0\0", 12));
    EXPECT_EQ(a.mid(38, 2), QByteArray("\x03\x00", 2));
    const std::vector<Entree> e = entrees(a);
    ASSERT_EQ(e.size(), 3u);
    EXPECT_EQ(e[1].position, 40u);
    EXPECT_EQ(e[2].nom, QByteArray("vide.csv"));
    EXPECT_EQ(e[2].nomLocal, QByteArray("vide.csv"));
    sansErreur(archive);
    EXPECT_TRUE(lancer(QStringLiteral("unzip"),
                       {QStringLiteral("-p"), archive, QStringLiteral("export.xls")}) == gros);
}

TEST_F(ZipClassTest, AnExistingArchiveIsKeptOrReplacedWhole) {
    const QString archive = fichier(QStringLiteral("envoi.zip"), QByteArray(100000, 'x'));
    ZipClass zip;
    ASSERT_TRUE(zip.AddFile(fichier(QStringLiteral("etat.pdf"), "%PDF-1.4 etat")));
    EXPECT_FALSE(zip.WriteZip(archive, false));
    EXPECT_EQ(contenu(archive), QByteArray(100000, 'x'));
    ASSERT_TRUE(zip.WriteZip(archive, true));
    const QByteArray a = contenu(archive);
    EXPECT_EQ(a.size(), 30 + 8 + 15 + 46 + 8 + 22);
    sansErreur(archive);

    // A write failing midway (no file may grow past 100,000 bytes) keeps the old archive and leaves no
    // partial one beside it.
    ASSERT_TRUE(
        zip.AddFile(fichier(QStringLiteral("hasard.bin"), FichierMixte::contenu(400000).mid(200000))));
    rlimit avant{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &avant), 0);
    const auto signalAvant = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limite = avant;
    limite.rlim_cur = 100000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limite), 0);
    // The message names the archive and the system's reason.
    m_dialogues.attendreMessageContenant(QStringLiteral("Impossible d'écrire %1 : %2")
                                             .arg(QDir::toNativeSeparators(archive), qt_error_string(EFBIG)));
    const bool ecrit = zip.WriteZip(archive, true);
    setrlimit(RLIMIT_FSIZE, &avant);
    std::signal(SIGXFSZ, signalAvant);
    EXPECT_FALSE(ecrit);
    EXPECT_EQ(m_dialogues.appels().value(0).style, StyleMessage::OK);
    EXPECT_EQ(contenu(archive), a);
    EXPECT_EQ(QDir(m_dossier.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
              QStringList({"envoi.zip", "etat.pdf", "hasard.bin"}));

    // Without entries: the end record alone, which unzip and zipinfo call an empty zipfile.
    const QString vide = chemin(QStringLiteral("vide.zip"));
    EXPECT_TRUE(ZipClass().WriteZip(vide, false));
    EXPECT_EQ(contenu(vide), QByteArray("PK\x05\x06", 4) + QByteArray(18, '\0'));
    int code = 0;
    EXPECT_TRUE(
        lancer(QStringLiteral("unzip"), {QStringLiteral("-t"), vide}, &code).contains("zipfile is empty"));
    EXPECT_EQ(code, 1);
}

TEST_F(ZipClassTest, NamesAndCommentsInTheCodePage) {
    EXPECT_EQ(ZipFile::GetFileName(QStringLiteral("C:\\RPT SQL\\Conso.xls")), QStringLiteral("Conso.xls"));
    EXPECT_EQ(ZipFile::GetFileName(QStringLiteral("/tmp/a\\b/c.pdf")), QStringLiteral("c.pdf"));
    EXPECT_EQ(ZipFile::GetFileName(QStringLiteral("C:Conso.xls")), QStringLiteral("C:Conso.xls"));

    const QString source = fichier(QStringLiteral("Consommation.xls"), "classeur");
    for (const char* langue : {"poland.lng", "french.lng"}) {
        Global().FichierLangue = chemin(QString::fromLatin1(langue));
        ZipClass zip;
        zip.Comment(QStringLiteral("Envoi de mai"));
        ASSERT_TRUE(zip.AddFile(source, QString::fromUtf8("Łódź"), QStringLiteral("Période 05/2024 €")));
        ASSERT_TRUE(zip.AddFile(source));
        const QString archive = chemin(QStringLiteral("noms.zip"));
        ASSERT_TRUE(zip.WriteZip(archive, true));
        QByteArray commentaire;
        const std::vector<Entree> e = entrees(contenu(archive), &commentaire);
        ASSERT_EQ(e.size(), 2u);
        // Windows-1250 has every character; Windows-1252 lacks "Ł" and "ź": name and comment in UTF-8.
        const bool polonais = langue[0] == 'p';
        const QByteArray nom = polonais ? QByteArray("\xA3\xF3"
                                                     "d\x9F")
                                        : QString::fromUtf8("Łódź").toUtf8();
        const QByteArray commentaireEntree =
            polonais ? QByteArray("P\xE9riode 05/2024 \x80") : QStringLiteral("Période 05/2024 €").toUtf8();
        EXPECT_EQ(e[0].nom, nom) << langue;
        EXPECT_EQ(e[0].nomLocal, nom) << langue;
        EXPECT_EQ(e[0].commentaire, commentaireEntree) << langue;
        EXPECT_EQ(e[0].drapeaux, polonais ? 2 : 0x0802) << langue;
        EXPECT_EQ(e[0].drapeauxLocaux, e[0].drapeaux) << langue;
        EXPECT_EQ(e[1].nomLocal, QByteArray("Consommation.xls"));
        EXPECT_EQ(e[1].commentaire, QByteArray());
        EXPECT_EQ(e[1].drapeaux, 2);
        EXPECT_EQ(e[1].drapeauxLocaux, 2);
        EXPECT_EQ(commentaire, QByteArray("Envoi de mai"));
        const QString info = zipinfo(archive);
        EXPECT_TRUE(info.contains(QStringLiteral("The zipfile comment is 12 bytes long")))
            << info.toStdString();
        EXPECT_TRUE(
            info.contains(QStringLiteral("length of file comment:                         %1 characters")
                              .arg(commentaireEntree.size())));
        EXPECT_TRUE(info.contains(
            QStringLiteral("length of filename:                             %1 characters").arg(nom.size())));
        sansErreur(archive);
    }
}

// Two names the code page cannot write no longer become one "?" name: each reads back whole.
TEST_F(ZipClassTest, NamesOutsideTheCodePageAreWrittenInUtf8) {
    Global().FichierLangue = chemin(QStringLiteral("french.lng"));
    ZipClass zip;
    ASSERT_TRUE(zip.AddFile(fichier(QString::fromUtf8("Łódź_日本.txt"), "un")));
    ASSERT_TRUE(
        zip.AddFile(fichier(QString::fromUtf8("Łódź_日本.txt"), "deux"), QString::fromUtf8("Łódź_中国.txt")));
    ASSERT_TRUE(zip.AddFile(fichier(QStringLiteral("Lodz_x.txt"), "trois")));
    const QString archive = chemin(QStringLiteral("noms.zip"));
    ASSERT_TRUE(zip.WriteZip(archive, true));
    const std::vector<Entree> e = entrees(contenu(archive));
    ASSERT_EQ(e.size(), 3u);
    EXPECT_EQ(e[0].nom, QString::fromUtf8("Łódź_日本.txt").toUtf8());
    EXPECT_EQ(e[1].nomLocal, QString::fromUtf8("Łódź_中国.txt").toUtf8());
    EXPECT_EQ(e[2].nom, QByteArray("Lodz_x.txt"));
    EXPECT_EQ(e[2].drapeaux, 2);
    sansErreur(archive);
    // zipinfo prints names as the locale writes them.
    const QByteArray locale = qgetenv("LC_ALL");
    qputenv("LC_ALL", "C.UTF-8");
    const QString info = QString::fromUtf8(lancer(QStringLiteral("zipinfo"), {archive}));
    qputenv("LC_ALL", locale);
    for (const char* nom : {"Łódź_日本.txt", "Łódź_中国.txt", "Lodz_x.txt"})
        EXPECT_TRUE(info.contains(QString::fromUtf8(nom))) << info.toStdString();
}

TEST_F(ZipClassTest, BadInputIsRefusedClearly) {
    ZipClass zip;
    EXPECT_FALSE(zip.AddFile(chemin(QStringLiteral("absent.xls"))));
    EXPECT_FALSE(zip.AddFile(m_dossier.path()));
    EXPECT_FALSE(zip.AddFile(QString()));
    EXPECT_EQ(zip.FileCount(), 0);
    // Linux has no hidden attribute: a dot-file is a file.
    EXPECT_TRUE(zip.AddFile(fichier(QStringLiteral(".cache"), "c")));

    // Names and comments go into 16-bit lengths, counted in bytes of the code page.
    const QString source = fichier(QStringLiteral("etat.pdf"), "etat");
    EXPECT_THROW(zip.AddFile(source, QString(65536, u'n')), ErreurExecution);
    EXPECT_THROW(zip.AddFile(source, QString(), QString(65536, u'c')), ErreurExecution);
    EXPECT_EQ(zip.FileCount(), 1);
    EXPECT_TRUE(zip.AddFile(source, QString(65535, u'n'), QString(30000, u'é')));
    // A name the page cannot write counts its UTF-8 bytes: 16,383 signs of 4 bytes fit, 16,384 do not.
    EXPECT_THROW(zip.AddFile(source, QStringLiteral("\U0001F600").repeated(16384)), ErreurExecution);
    EXPECT_TRUE(zip.AddFile(source, QStringLiteral("\U0001F600").repeated(16383)));
    EXPECT_THROW(zip.Comment(QString(65536, u'c')), ErreurExecution);
    zip.Comment(QString(65535, u'c'));
    // Dates DOS cannot write: the first moment of 1980, the last of 2107.
    ASSERT_TRUE(
        zip.AddFile(fichier(QStringLiteral("ancien.txt"), "a", QDateTime(QDate(1975, 3, 1), QTime(12, 0)))));
    ASSERT_TRUE(
        zip.AddFile(fichier(QStringLiteral("futur.txt"), "f", QDateTime(QDate(2150, 1, 1), QTime(12, 0)))));

    // Archives nowhere to be written: a message, false, nothing written.
    for (const QString& archive : {chemin(QStringLiteral("etat.pdf/a.zip")),
                                   chemin(QStringLiteral("absent/a.zip")), m_dossier.path()}) {
        m_dialogues.attendreMessageContenant(QDir::toNativeSeparators(archive));
        EXPECT_FALSE(zip.WriteZip(archive, true));
    }
    EXPECT_EQ(contenu(source), QByteArray("etat"));
    EXPECT_FALSE(QFileInfo::exists(chemin(QStringLiteral("absent"))));

    const QString archive = chemin(QStringLiteral("limites.zip"));
    ASSERT_TRUE(zip.WriteZip(archive, true));
    QByteArray commentaire;
    const std::vector<Entree> e = entrees(contenu(archive), &commentaire);
    ASSERT_EQ(e.size(), 5u);
    EXPECT_EQ(e[1].nom, QByteArray(65535, 'n'));
    EXPECT_EQ(e[1].commentaire, QByteArray(30000, '\xE9'));
    EXPECT_EQ(e[2].nom, QStringLiteral("\U0001F600").repeated(16383).toUtf8());
    EXPECT_EQ(commentaire, QByteArray(65535, 'c'));
    // zipinfo reads it all; it only warns (exit 1) that it shortens the long names it prints.
    int code = 0;
    const QString info = zipinfo(archive, &code);
    EXPECT_EQ(code, 1);
    EXPECT_TRUE(info.contains(QStringLiteral("1980 Jan 1 00:00:00")));
    EXPECT_TRUE(info.contains(QStringLiteral("2107 Dec 31 23:59:58")));

    // 4 GiB do not fit the 32-bit sizes: refused before a byte is read (the file is sparse).
    QFile enorme(chemin(QStringLiteral("enorme.bin")));
    ASSERT_TRUE(enorme.open(QIODevice::WriteOnly));
    if (!enorme.resize(qint64(1) << 32))
        GTEST_SKIP() << "no sparse file of 4 GiB here";
    enorme.close();
    EXPECT_THROW(zip.AddFile(enorme.fileName()), ErreurExecution);
    enorme.remove();
    EXPECT_EQ(zip.FileCount(), 5);
}

} // namespace
