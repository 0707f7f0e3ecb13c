#include "OutilsProcessus.h"
#include "bench/FichierMixte.h"

#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "mail/Email.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <tuple>
#include <vector>

using OutilsProcessus::lancer;

namespace {

// Decodes each pair (block file, source file) with binascii, every data line cut to its length character
// and the characters of its bytes (a2b_uu refuses the blank padding), and compares with the source.
const char* const VerifierBlocs = R"(
import binascii, math, sys
for bloc, source in zip(sys.argv[1::2], sys.argv[2::2]):
    lignes = open(bloc, 'rb').read().split(b'\r\n')
    assert lignes[0].startswith(b'begin 664 ') and lignes[-3:] == [b'`', b'end', b''], bloc
    donnees = [binascii.a2b_uu(l[:1 + math.ceil(4 * ((l[0] - 32) & 63) / 3)]) for l in lignes[1:-3]]
    assert b''.join(donnees) == open(source, 'rb').read(), bloc
print('ok')
)";

using Progression = std::tuple<bool, QString, int>;

class EmailTest : public ::testing::Test {
protected:
    void SetUp() override { reinitialiserEtatGlobal(); }
    void TearDown() override { reinitialiserEtatGlobal(); }

    QString fichier(const QString& nom, const QByteArray& octets) const {
        QFile f(m_dossier.filePath(nom));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.write(octets) == octets.size());
        return f.fileName();
    }
    static qint32 erreur(const std::function<void()>& f) {
        try {
            f();
        } catch (const ErreurExecution& e) {
            return e.numero();
        }
        return 0;
    }

    QTemporaryDir m_dossier;
    Email m_email;
};

TEST_F(EmailTest, UuencodedBlocksDecodeBackToTheFiles) {
    std::vector<Progression> progres;
    QObject::connect(&m_email, &Email::ProgressionPieceJointe,
                     [&](bool enCours, const QString& f, int p) { progres.emplace_back(enCours, f, p); });
    EXPECT_EQ(m_email.EncoderPieceJointeUU(fichier(QStringLiteral("k.txt"), "Dor")),
              QByteArray("begin 664 k.txt\r\n#1&]R\r\n`\r\nend\r\n"));
    EXPECT_EQ(m_email.EncoderPieceJointeUU(fichier(QStringLiteral("abc"), "abc")),
              QByteArray("begin 664 abc\r\n#86)C\r\n`\r\nend\r\n"));

    // A multiple of 45 ends with a line of no bytes before the closing "`"; progress counts it.
    progres.clear();
    const QList<QByteArray> quatreVingtDix =
        m_email.EncoderPieceJointeUU(fichier(QStringLiteral("q.bin"), QByteArray(90, 'x'))).split('\n');
    ASSERT_EQ(quatreVingtDix.size(), 7);
    EXPECT_TRUE(quatreVingtDix[1].startsWith('M') && quatreVingtDix[2].startsWith('M'));
    EXPECT_EQ(quatreVingtDix.mid(3), QList<QByteArray>({"`\r", "`\r", "end\r", ""}));
    const QString q = QStringLiteral("q.bin");
    EXPECT_EQ(progres,
              std::vector<Progression>({{true, q, 33}, {true, q, 66}, {true, q, 100}, {false, q, 133}}));

    // Every byte value at every place of a group, every length of last line, read back by binascii.
    QStringList arguments{QStringLiteral("-c"), QString::fromLatin1(VerifierBlocs)};
    for (const int n : {0, 1, 2, 44, 45, 46, 59, 89, 90, 1000, 10 * 1000 * 1000}) {
        const QString source = fichier(QStringLiteral("f%1").arg(n), FichierMixte::contenu(n));
        const QByteArray bloc = m_email.EncoderPieceJointeUU(source);
        EXPECT_EQ(bloc.count(' '), 2) << n; // those of "begin 664 "
        EXPECT_EQ(bloc.count('\n'), bloc.count("\r\n")) << n;
        EXPECT_EQ(bloc.count('\n'), n / 45 + 4) << n;
        arguments << fichier(QStringLiteral("f%1.uu").arg(n), bloc) << source;
    }
    EXPECT_EQ(lancer(QStringLiteral("/usr/bin/python3"), arguments), QByteArray("ok\n"));

    // The name after the last "/" or "\", in the code page; files that are missing or not files.
    EXPECT_TRUE(m_email.EncoderPieceJointeUU(fichier(QStringLiteral("Łódź a\\b.txt"), "x"))
                    .startsWith("begin 664 b.txt\r\n"));
    EXPECT_TRUE(m_email.EncoderPieceJointeUU(fichier(QStringLiteral("Łódź.txt"), "x"))
                    .startsWith("begin 664 ?\xF3"
                                "d?.txt\r\n"));
    for (const QString& absent :
         {m_dossier.filePath(QStringLiteral("absent")), m_dossier.filePath("absent/")})
        EXPECT_EQ(erreur([&] { m_email.EncoderPieceJointeUU(absent); }), ErreurExecution::FileNotFound);
    EXPECT_EQ(erreur([&] { m_email.EncoderPieceJointeUU(m_dossier.path() + u'/'); }),
              ErreurExecution::PathFileAccess);
}

// Events go on between lines while a large file is encoded, but not after each line.
TEST_F(EmailTest, EventsAreHandledWhileEncodingAtMostEvery10Ms) {
    const QString source = fichier(QStringLiteral("gros.bin"), FichierMixte::contenu(10 * 1000 * 1000));
    int pourcentage = 0;
    bool lent = false;
    QObject::connect(&m_email, &Email::ProgressionPieceJointe, [&](bool, const QString&, int p) {
        pourcentage = p;
        // A host slow once, midway: the events waiting meanwhile must not wait for the end.
        if (p == 50 && !lent) {
            lent = true;
            QThread::msleep(20);
        }
    });
    std::vector<int> tops;
    QTimer minuterie;
    QObject::connect(&minuterie, &QTimer::timeout, [&] { tops.push_back(pourcentage); });
    minuterie.start(0);
    QElapsedTimer chrono;
    chrono.start();
    const QByteArray bloc = m_email.EncoderPieceJointeUU(source);
    const qint64 duree = chrono.elapsed();
    minuterie.stop();
    EXPECT_EQ(bloc.size(), 20 + 222222 * 63 + 1 + 16 + 2 + 8);
    EXPECT_LE(static_cast<qint64>(tops.size()), duree / 10 + 2);
    EXPECT_TRUE(std::any_of(tops.begin(), tops.end(), [](int p) { return p >= 50 && p < 100; }));
}

TEST_F(EmailTest, AttachmentListCountsAsTheControlDoes) {
    std::vector<std::pair<int, QString>> listes;
    QObject::connect(&m_email, &Email::ListePiecesJointes,
                     [&](int n, const QString& l) { listes.emplace_back(n, l); });
    const QString a = fichier(QStringLiteral("A"), "a"), b = fichier(QStringLiteral("B"), "b"),
                  c = fichier(QStringLiteral("C"), "c");
    EXPECT_FALSE(m_email.AvecPiecesJointes());
    EXPECT_EQ(m_email.EncoderPiecesJointes(), QByteArray());
    m_email.PieceJointeSuppr(a); // nothing listed: no event
    m_email.PieceJointeAjout(a);
    m_email.PieceJointeAjout(b);
    m_email.PieceJointeSuppr(a);
    // B stays attached, although the count is 0; a second removal is then ignored.
    EXPECT_TRUE(m_email.AvecPiecesJointes());
    EXPECT_EQ(m_email.EncoderPiecesJointes(), m_email.EncoderPieceJointeUU(b));
    m_email.PieceJointeSuppr(b);
    EXPECT_EQ(m_email.EncoderPiecesJointes(), m_email.EncoderPieceJointeUU(b));
    m_email.PieceJointeAjout(c);
    EXPECT_EQ(m_email.EncoderPiecesJointes(), m_email.EncoderPieceJointeUU(c));
    m_email.PieceJointeSuppr(c);
    EXPECT_FALSE(m_email.AvecPiecesJointes());
    // A path listed twice is attached twice, and removed twice at once.
    m_email.PieceJointeAjout(a);
    m_email.PieceJointeAjout(a);
    EXPECT_EQ(m_email.EncoderPiecesJointes(),
              m_email.EncoderPieceJointeUU(a) + m_email.EncoderPieceJointeUU(a));
    m_email.PieceJointeSuppr(a);
    EXPECT_FALSE(m_email.AvecPiecesJointes());
    EXPECT_EQ(m_email.EncoderPiecesJointes(), QByteArray());
    const std::vector<std::pair<int, QString>> attendu{
        {1, a}, {2, a + u',' + b}, {0, b}, {1, c}, {0, QString()}, {1, a}, {2, a + u',' + a}, {0, QString()}};
    EXPECT_EQ(listes, attendu);

    // A listed file gone by the time it is encoded.
    m_email.PieceJointeAjout(m_dossier.filePath(QStringLiteral("parti.pdf")));
    EXPECT_EQ(erreur([&] { m_email.EncoderPiecesJointes(); }), ErreurExecution::FileNotFound);
}

TEST_F(EmailTest, LoginOnOneLineAndReplyCodes) {
    EXPECT_EQ(Email::EncoderBase64Smtp(QString()), QString());
    EXPECT_EQ(Email::EncoderBase64Smtp(QStringLiteral("mot€")), QStringLiteral("bW90gA=="));
    const QString long60 = QString(60, u'p');
    EXPECT_EQ(Email::EncoderBase64Smtp(long60), QString::fromLatin1(QByteArray(60, 'p').toBase64()));
    EXPECT_EQ(Email::EncoderBase64Smtp(long60).size(), 80);

    EXPECT_TRUE(Email::VerifierReponseSmtp(QStringLiteral("220 smtp.exemple.fr ESMTP\r\n"), 220));
    EXPECT_TRUE(Email::VerifierReponseSmtp(QStringLiteral("250-PIPELINING\r\n250 HELP\r\n"), 250));
    EXPECT_FALSE(Email::VerifierReponseSmtp(QStringLiteral("235"), 250));
    EXPECT_FALSE(Email::VerifierReponseSmtp(QStringLiteral("22"), 220));
    EXPECT_FALSE(Email::VerifierReponseSmtp(QStringLiteral("0220"), 220));
    EXPECT_FALSE(Email::VerifierReponseSmtp(QString(), 220));
}

TEST_F(EmailTest, MessageHeadersBlocksBodyAndCount) {
    const QString lise = QStringLiteral("lise@exemple.fr"), paul = QStringLiteral("paul@exemple.fr");
    const QByteArray commandes = "HELO 127.0.0.1\r\nMAIL FROM: <lise@exemple.fr>\r\n"
                                 "RCPT TO: <paul@exemple.fr>\r\nDATA\r\n";
    const QString k = fichier(QStringLiteral("k.txt"), "Dor");
    const QByteArray bloc = m_email.EncoderPieceJointeUU(k);
    const QByteArray message =
        Email::Message(lise, paul, QStringLiteral("Rapport\r\nde mai"), QStringLiteral("Bonjour"), bloc);
    EXPECT_EQ(message, QByteArray("From: \"lise\" <lise@exemple.fr>\r\nTo: \"paul\" <paul@exemple.fr>\r\n"
                                  "Subject: Rapport  de mai\r\n\r\n"
                                  "begin 664 k.txt\r\n#1&]R\r\n`\r\nend\r\n\r\nBonjour\r\n.\r\n"));
    EXPECT_EQ(Email::TailleTotale(QStringLiteral("127.0.0.1"), lise, paul,
                                  QStringLiteral("Rapport\r\nde mai"), QStringLiteral("Bonjour"), bloc),
              commandes.size() + message.size() + 4);

    // Without attachments, in the code page; an empty subject and body.
    EXPECT_EQ(Email::Message(lise, QStringLiteral("@x"), QString(), QString(), QByteArray()),
              QByteArray("From: \"lise\" <lise@exemple.fr>\r\nTo: \"\" <@x>\r\nSubject: \r\n\r\n\r\n.\r\n"));
    const QByteArray accents =
        Email::Message(lise, paul, QStringLiteral("Période €"), QStringLiteral("Łą"), {});
    EXPECT_TRUE(accents.contains("Subject: P\xE9riode \x80\r\n\r\n??\r\n.\r\n"));

    // A 59-byte file's last line holds 14 bytes: its length character is "."; doubled in the message, as
    // are the body's leading dots, but not the terminator. The count is of the text before doubling.
    const QByteArray bloc59 =
        m_email.EncoderPieceJointeUU(fichier(QStringLiteral("c59"), QByteArray(59, 'c')));
    ASSERT_TRUE(bloc59.contains("\r\n.")) << bloc59.constData();
    const QString corps = QStringLiteral(".\r\nfin\r\n..\n.");
    const QByteArray envoye = Email::Message(lise, paul, QStringLiteral("s"), corps, bloc59 + bloc);
    EXPECT_EQ(envoye.count("\n.."), 4);
    EXPECT_TRUE(envoye.endsWith("\r\n...\n..\r\n.\r\n"));
    QByteArray recu = envoye;
    recu.replace("\n..", "\n.");
    const QByteArray attendu =
        "From: \"lise\" <lise@exemple.fr>\r\nTo: \"paul\" <paul@exemple.fr>\r\nSubject: s\r\n\r\n" + bloc59 +
        bloc + "\r\n" + corps.toLatin1() + "\r\n.\r\n";
    EXPECT_EQ(recu, attendu);
    EXPECT_EQ(Email::TailleTotale(QStringLiteral("127.0.0.1"), lise, paul, QStringLiteral("s"), corps,
                                  bloc59 + bloc),
              commandes.size() + attendu.size() + 4);

    // Addresses that would break a command or a header, refused before anything is built.
    for (const QString& adresse : {QStringLiteral("lise.exemple.fr"), QStringLiteral("x@y.fr>"), QString(),
                                   QStringLiteral("x@y.fr\r\nRCPT TO: <z@w.fr"), QStringLiteral("x y@z.fr"),
                                   QStringLiteral("<x@y.fr"), QStringLiteral("x@y\t.fr")}) {
        EXPECT_EQ(erreur([&] { Email::NomAdresse(adresse); }), ErreurExecution::InvalidProcedureCall)
            << adresse.toStdString();
        EXPECT_EQ(erreur([&] { Email::Message(lise, adresse, QString(), QString(), {}); }),
                  ErreurExecution::InvalidProcedureCall);
    }
    const QString longue = QString(290, u'l') + QStringLiteral("@exemple.fr");
    EXPECT_EQ(Email::NomAdresse(longue), QString(290, u'l'));
    EXPECT_EQ(Email::NomAdresse(QStringLiteral("a@b@c")), QStringLiteral("a"));
}

} // namespace
