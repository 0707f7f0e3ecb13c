#include "bench/FichierMixte.h"

#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "mail/Email.h"
#include "support/ServeurSmtpDeTest.h"

#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <tuple>
#include <vector>

namespace {

const QString Lise = QStringLiteral("lise@exemple.fr");
const QString Paul = QStringLiteral("paul@exemple.fr");
const QByteArray Commandes = "HELO 127.0.0.1\r\nMAIL FROM: <lise@exemple.fr>\r\n"
                             "RCPT TO: <paul@exemple.fr>\r\nDATA\r\n";
const QByteArray Tete = "From: \"lise\" <lise@exemple.fr>\r\nTo: \"paul\" <paul@exemple.fr>\r\n";

// The server's end, scripted by the test: it records what the client writes and answers what it is told,
// in the pieces it is given.
class PairScripte {
public:
    PairScripte() {
        m_serveur.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&m_serveur, &QTcpServer::newConnection, [this] {
            m_client = m_serveur.nextPendingConnection();
            m_client->setSocketOption(QAbstractSocket::LowDelayOption, 1);
            QObject::connect(m_client, &QTcpSocket::readyRead, [this] { m_recu += m_client->readAll(); });
        });
    }
    quint16 port() const { return m_serveur.serverPort(); }
    QTcpSocket* client() {
        if (!QTest::qWaitFor([this] { return m_client != nullptr; }, 5000))
            ADD_FAILURE() << "the client did not connect";
        return m_client;
    }
    void dire(const QByteArray& texte) {
        client()->write(texte);
        m_client->flush();
    }
    bool aUnClient() const { return m_client != nullptr; }
    QByteArray m_recu;

private:
    QTcpServer m_serveur;
    QTcpSocket* m_client = nullptr;
};

using Etat = std::pair<QString, QString>;
using Progres = std::tuple<qint64, qint64, int>;
using Fin = std::pair<bool, QString>;

class EmailDialogueTest : public ::testing::Test {
protected:
    EmailDialogueTest() {
        QObject::connect(&m_email, &Email::EtatEnvoi,
                         [this](const QString& m, const QString& r) { m_etats.emplace_back(m, r); });
        QObject::connect(&m_email, &Email::ProgressionEnvoi,
                         [this](qint64 e, qint64 t, int p) { m_progres.emplace_back(e, t, p); });
        QObject::connect(&m_email, &Email::EnvoiTermine,
                         [this](bool envoye, const QString& d) { m_fins.emplace_back(envoye, d); });
        m_email.setSeveurSmtp(QStringLiteral("127.0.0.1"));
    }
    void SetUp() override { reinitialiserEtatGlobal(); }
    void TearDown() override { reinitialiserEtatGlobal(); }

    QString fichier(const QString& nom, const QByteArray& octets) const {
        QFile f(m_dossier.filePath(nom));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.write(octets) == octets.size());
        return f.fileName();
    }
    void envoyer(qint32 port, const QString& adresseLocale = {}, const QString& sujet = QStringLiteral("R"),
                 const QString& expediteur = Lise) {
        m_etats.clear();
        m_progres.clear();
        m_fins.clear();
        m_email.Envoie(expediteur, Paul, sujet, QStringLiteral("Bonjour"), port, adresseLocale);
    }
    // Each reply in turn, waiting until the client writes or the dialogue ends.
    void jouer(PairScripte& pair, const QByteArrayList& reponses) {
        for (const QByteArray& r : reponses) {
            const qsizetype avant = pair.m_recu.size();
            pair.dire(r);
            // A reply that is to get nothing written waits to the end.
            static_cast<void>(
                QTest::qWaitFor([&] { return pair.m_recu.size() > avant || !m_fins.empty(); }, 5000));
        }
    }
    bool attendreFin(int ms = 10000) {
        return QTest::qWaitFor([this] { return !m_fins.empty(); }, ms);
    }
    std::vector<QString> statuts() const {
        std::vector<QString> s;
        for (const auto& [m, r] : m_etats)
            s.push_back(m);
        return s;
    }
    static qint32 erreur(const std::function<void()>& f) {
        try {
            f();
        } catch (const ErreurExecution& e) {
            return e.numero();
        }
        return 0;
    }
    // From (0, total, 0) to (total, total, 100), never going back, each percentage to the nearest.
    void verifierProgres(qint64 total) const {
        ASSERT_FALSE(m_progres.empty());
        EXPECT_EQ(m_progres.front(), Progres(0, total, 0));
        EXPECT_EQ(m_progres.back(), Progres(total, total, 100));
        for (size_t i = 1; i < m_progres.size(); ++i) {
            const auto [envoye, t, p] = m_progres[i];
            EXPECT_TRUE(t == total && p == std::nearbyint(envoye * 100.0 / total) &&
                        envoye >= std::get<0>(m_progres[i - 1]))
                << i << ": " << envoye;
        }
    }

    QTemporaryDir m_dossier;
    Email m_email;
    std::vector<Etat> m_etats;
    std::vector<Progres> m_progres;
    std::vector<Fin> m_fins;
};

TEST_F(EmailDialogueTest, WritesTheCommandsAndTheMessageWhateverTheReadsBring) {
    PairScripte pair;
    m_email.PieceJointeAjout(fichier(QStringLiteral("k.txt"), "Dor"));
    envoyer(pair.port());
    // A greeting in pieces is one reply, answered at its line end only.
    pair.dire("22");
    QTest::qWait(50);
    pair.dire("0 ready");
    QTest::qWait(50);
    EXPECT_TRUE(pair.m_recu.isEmpty() && m_etats.empty());
    // A multi-line reply is one, read in the code page; two replies in one piece are two; then one byte at
    // a time.
    jouer(pair, {"\r\n", "250-serveur \x80\r\n250 HELP\r\n", "250 OK\r\n250 OK\r\n"});
    for (const char c : QByteArray("354 go ahead\r\n")) {
        pair.dire(QByteArray(1, c));
        QTest::qWait(2);
    }
    jouer(pair, {"250 OK queued\r\n"});
    ASSERT_TRUE(attendreFin());

    const QByteArray message =
        Tete + "Subject: R\r\n\r\nbegin 664 k.txt\r\n#1&]R\r\n`\r\nend\r\n\r\nBonjour\r\n.\r\n";
    EXPECT_EQ(pair.m_recu, Commandes + message);
    EXPECT_EQ(m_etats, std::vector<Etat>({{"Connection", "220 ready\r\n"},
                                          {"Connecté...", "250-serveur €\r\n250 HELP\r\n"},
                                          {"Mail From accepté...", "250 OK\r\n"},
                                          {"RCPT est accepté", "250 OK\r\n"},
                                          {"Envoie Email en cours...", "354 go ahead\r\n"}}));
    EXPECT_EQ(m_fins, std::vector<Fin>({{true, "250 OK queued\r\n"}}));
    // Each command line counts its length, then one more.
    verifierProgres(Commandes.size() + message.size() + 4);
    EXPECT_EQ(std::vector<Progres>(m_progres.begin() + 1, m_progres.begin() + 5),
              std::vector<Progres>({{16, 206, 8}, {47, 206, 23}, {76, 206, 37}, {83, 206, 40}}));

    // Over: a further reply gets nothing.
    jouer(pair, {"250 OK\r\n"});
    QTest::qWait(50);
    EXPECT_EQ(pair.m_recu, Commandes + message);
    EXPECT_EQ(m_etats.size(), 5u);
    EXPECT_EQ(m_fins.size(), 1u);
}

TEST_F(EmailDialogueTest, LoginGoesThroughEhloAndAuthLogin) {
    Global().AuthentificationSmtp = true;
    Global().UtilisateurSmtp = QStringLiteral("gestion");
    Global().MotDePasseSmtp = QStringLiteral("mot2passe");
    // The password's answer is 235; 250 from some servers is taken as well.
    for (const char* accepte : {"235 2.7.0 Authentication successful\r\n", "250 OK\r\n"}) {
        PairScripte pair;
        envoyer(pair.port());
        jouer(pair, {"220 serveur.test ESMTP\r\n", "250-serveur.test\r\n250 AUTH LOGIN\r\n",
                     "334 VXNlciBOYW1lAA==\r\n", "334 UGFzc3dvcmQA\r\n", accepte});
        EXPECT_EQ(pair.m_recu, "EHLO 127.0.0.1\r\nAUTH LOGIN \r\nZ2VzdGlvbg==\r\nbW90MnBhc3Nl\r\n"
                               "MAIL FROM: <lise@exemple.fr>\r\n");
        EXPECT_EQ(statuts(), std::vector<QString>({"Connection", "Authentification...", "User...",
                                                   "password...", "Connecté..."}));
        EXPECT_TRUE(m_fins.empty());
    }
}

// The first reply that is not the one expected is reported, nothing of its step is written, the outcome
// follows at once, and later replies change nothing.
TEST_F(EmailDialogueTest, AnUnexpectedReplyEndsTheDialogue) {
    const QByteArrayList accord{"220 ok\r\n", "250 ok\r\n", "250 ok\r\n", "250 ok\r\n", "354 go\r\n"};
    const QByteArray rcpt = Commandes.first(Commandes.indexOf("DATA"));
    const QByteArray message = Commandes + Tete + "Subject: R\r\n\r\nBonjour\r\n.\r\n";
    const std::vector<std::tuple<qsizetype, QByteArray, QString, QByteArray>> cas{
        {0, "554 no service\r\n", "554 no service\r\n", ""},
        {3, "553 5.7.1 relay denied\r\n",
         "Le serveur n'est pas open relay ou alors le destinataire est inconnu", rcpt},
        {4, "451 try later\r\n", "451 try later\r\n", Commandes},
        {5, "550 spam\r\n", "", message}, // the message refused: the outcome alone tells
    };
    for (const auto& [n, refus, statut, ecrit] : cas) {
        SCOPED_TRACE(refus.toStdString());
        PairScripte pair;
        envoyer(pair.port());
        jouer(pair, accord.mid(0, n) + QByteArrayList{refus});
        ASSERT_TRUE(attendreFin());
        EXPECT_EQ(m_fins, std::vector<Fin>({{false, QString::fromLatin1(refus)}}));
        EXPECT_EQ(pair.m_recu, ecrit);
        EXPECT_EQ(m_etats.size(), n + (statut.isEmpty() ? 0 : 1));
        if (!statut.isEmpty()) {
            EXPECT_EQ(m_etats.back(), Etat(statut, QString::fromLatin1(refus)));
        }
        const QByteArray recu = pair.m_recu;
        jouer(pair, {"250 ok\r\n354 go\r\n"});
        QTest::qWait(50);
        EXPECT_EQ(pair.m_recu, recu);
        EXPECT_EQ(m_fins.size(), 1u);
    }
}

TEST_F(EmailDialogueTest, SocketFailuresAndRefusalsBeforeConnecting) {
    const quint16 libre = PairScripte().port(); // no one listens there any more
    envoyer(libre);
    ASSERT_TRUE(attendreFin());
    EXPECT_EQ(m_etats, std::vector<Etat>({{"Connection refused", "0"}}));
    EXPECT_EQ(m_fins, std::vector<Fin>({{false, "Connection refused"}}));

    // The server closing after its greeting, or in the middle of a reply.
    const QString ferme = QStringLiteral("The remote host closed the connection");
    for (const QByteArray dernier : {"220 ready\r\n", "220 ready\r\n250 O"}) {
        PairScripte pair;
        envoyer(pair.port());
        jouer(pair, {dernier});
        pair.client()->disconnectFromHost();
        ASSERT_TRUE(attendreFin());
        EXPECT_EQ(m_etats, std::vector<Etat>({{"Connection", "220 ready\r\n"}, {ferme, "1"}}));
        EXPECT_EQ(m_fins, std::vector<Fin>({{false, ferme}}));
    }

    // From a local address, with the server's port as its own. Silence has no end of its own: the host's
    // close ends it. That very address then fails the bind.
    PairScripte pair;
    envoyer(pair.port(), QStringLiteral("127.0.0.2"));
    EXPECT_EQ(pair.client()->peerAddress(), QHostAddress(QStringLiteral("127.0.0.2")));
    EXPECT_EQ(pair.client()->peerPort(), pair.port());
    QTest::qWait(200);
    EXPECT_TRUE(m_fins.empty() && m_etats.empty());
    m_email.FermerWinsock();
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return pair.client()->state() != QAbstractSocket::ConnectedState; }, 5000));
    envoyer(pair.port(), QStringLiteral("127.0.0.1"));
    ASSERT_TRUE(attendreFin());
    EXPECT_EQ(m_etats, std::vector<Etat>({{"The bound address is already in use", "8"}}));

    // Refused before any connection: a sender without "@", a port or local address out of place, a file
    // gone.
    PairScripte personne;
    EXPECT_EQ(erreur([&] { envoyer(personne.port(), {}, {}, QStringLiteral("lise.exemple.fr")); }),
              ErreurExecution::InvalidProcedureCall);
    for (const qint32 port : {0, 65536})
        EXPECT_EQ(erreur([&] { envoyer(port); }), ErreurExecution::InvalidProcedureCall);
    EXPECT_EQ(erreur([&] { envoyer(personne.port(), QStringLiteral("ici")); }),
              ErreurExecution::InvalidProcedureCall);
    const QString parti = fichier(QStringLiteral("parti.pdf"), "x");
    m_email.PieceJointeAjout(parti);
    QFile::remove(parti);
    EXPECT_EQ(erreur([&] { envoyer(personne.port()); }), ErreurExecution::FileNotFound);
    QTest::qWait(100);
    EXPECT_TRUE(m_fins.empty());
    EXPECT_FALSE(personne.aUnClient());
}

// Through a real server: aiosmtpd on 127.0.0.1 writes down every mail it takes.
class EmailServeurTest : public EmailDialogueTest {};

TEST_F(EmailServeurTest, TheServerStoresTheMailByteForByte) {
    // The last line of each block holds 14 bytes and begins with ".".
    const QString a = fichier(QStringLiteral("a59.bin"), FichierMixte::contenu(59));
    const QString b = fichier(QStringLiteral("b104.bin"), FichierMixte::contenu(104));
    const QByteArray blocs = m_email.EncoderPieceJointeUU(a) + m_email.EncoderPieceJointeUU(b);
    ASSERT_EQ(blocs.count("\r\n."), 2);
    m_email.PieceJointeAjout(a);
    m_email.PieceJointeAjout(b);
    Global().AuthentificationSmtp = true;
    Global().UtilisateurSmtp = QStringLiteral("gestion");
    Global().MotDePasseSmtp = QStringLiteral("mot2passe");
    ServeurSmtpDeTest s({"--auth", "gestion", "mot2passe"});
    envoyer(s.port(), {}, QStringLiteral("Période €"));
    ASSERT_TRUE(attendreFin()) << s.erreurs().toStdString();
    EXPECT_EQ(m_fins[0], Fin(true, "250 OK queued as 1\r\n"));
    EXPECT_EQ(s.message(1), Tete + "Subject: P\xE9riode \x80\r\n\r\n" + blocs + "\r\nBonjour\r\n");
    EXPECT_EQ(s.enveloppe(1).toVariantMap(),
              QVariantMap({{"de", Lise}, {"a", QVariantList{Paul}}, {"utilisateur", "gestion"}}));

    // A sender outside the code page goes with "?", as the subject.
    envoyer(s.port(), {}, QStringLiteral("Łódź"), QStringLiteral("ł@exemple.fr"));
    ASSERT_TRUE(attendreFin());
    EXPECT_TRUE(m_fins[0].first) << m_fins[0].second.toStdString();
    EXPECT_EQ(s.enveloppe(2).value("de").toString(), QStringLiteral("?@exemple.fr"));
}

TEST_F(EmailServeurTest, ALargeAttachmentKeepsEventsFlowing) {
    const QString gros = fichier(QStringLiteral("gros.bin"), FichierMixte::contenu(10 * 1000 * 1000));
    m_email.PieceJointeAjout(gros);
    ServeurSmtpDeTest s;
    // The timer fires while the file is being encoded.
    int pourcentage = 0;
    QObject::connect(&m_email, &Email::ProgressionPieceJointe,
                     [&](bool, const QString&, int p) { pourcentage = p; });
    std::vector<int> tops;
    QTimer minuterie;
    QObject::connect(&minuterie, &QTimer::timeout, [&] { tops.push_back(pourcentage); });
    minuterie.start(0);
    envoyer(s.port());
    minuterie.stop();
    EXPECT_TRUE(std::any_of(tops.begin(), tops.end(), [](int p) { return p > 0 && p < 100; }));
    ASSERT_TRUE(attendreFin(60000));
    ASSERT_TRUE(m_fins[0].first) << m_fins[0].second.toStdString();
    const QByteArray tete = Tete + "Subject: R\r\n\r\n";
    const QByteArray bloc = m_email.EncoderPieceJointeUU(gros);
    EXPECT_TRUE(s.message(1) == tete + bloc + "\r\nBonjour\r\n");
    // No line begins with a dot: the count follows the bytes to the end without going back.
    verifierProgres(Commandes.size() + tete.size() + bloc.size() + 2 + 7 + 5 + 4);
    EXPECT_GT(m_progres.size(), 6u);
}

} // namespace
