#include "bench/FichierMixte.h"
#include "bench/ServeurLocal.h"

#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "mail/Email.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <tuple>
#include <vector>

namespace {

const QString Lise = QStringLiteral("lise@exemple.fr");
const QString Paul = QStringLiteral("paul@exemple.fr");
const QString Local = QStringLiteral("127.0.0.1");
const QString Refus = QStringLiteral("Le serveur n'est pas open relay ou alors le destinataire est inconnu");
const QByteArray Commandes = "HELO 127.0.0.1\r\nMAIL FROM: <lise@exemple.fr>\r\n"
                             "RCPT TO: <paul@exemple.fr>\r\nDATA\r\n";

// The other end of the connection, scripted by the test: it records what the client writes and says what
// the test tells it to, in the pieces the test chooses.
class PairScripte {
public:
    PairScripte() {
        m_serveur.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&m_serveur, &QTcpServer::newConnection, [this] {
            m_client = m_serveur.nextPendingConnection();
            m_client->setSocketOption(QAbstractSocket::LowDelayOption, 1);
            QObject::connect(m_client, &QTcpSocket::readyRead, [this] { m_recu += m_client->readAll(); });
            QObject::connect(m_client, &QTcpSocket::disconnected, [this] { m_deconnecte = true; });
        });
    }
    quint16 port() const { return m_serveur.serverPort(); }
    bool connecte() {
        return QTest::qWaitFor([this] { return m_client != nullptr; }, 5000);
    }
    void dire(const QByteArray& texte) {
        m_client->write(texte);
        m_client->flush();
    }
    // Waits until the client has written `fin` last.
    bool attendre(const QByteArray& fin) {
        return QTest::qWaitFor([&] { return m_recu.endsWith(fin); }, 5000);
    }
    void fermer() { m_client->disconnectFromHost(); }
    const QByteArray& recu() const { return m_recu; }
    bool deconnecte() const { return m_deconnecte; }
    bool aEuUnClient() const { return m_client != nullptr || m_serveur.hasPendingConnections(); }

private:
    QTcpServer m_serveur;
    QTcpSocket* m_client = nullptr;
    QByteArray m_recu;
    bool m_deconnecte = false;
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
        m_email.setSeveurSmtp(Local);
    }
    void SetUp() override { reinitialiserEtatGlobal(); }
    void TearDown() override { reinitialiserEtatGlobal(); }

    QString fichier(const QString& nom, const QByteArray& octets) const {
        QFile f(m_dossier.filePath(nom));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.write(octets) == octets.size());
        return f.fileName();
    }
    void envoyer(quint16 port, const QString& sujet = QStringLiteral("Rapport"),
                 const QString& corps = QStringLiteral("Bonjour"), const QString& expediteur = Lise) {
        m_etats.clear();
        m_progres.clear();
        m_fins.clear();
        m_email.Envoie(expediteur, Paul, sujet, corps, port, QString());
    }
    bool attendreFin(int ms = 10000) {
        return QTest::qWaitFor([this] { return !m_fins.empty(); }, ms);
    }
    static qint32 erreur(const std::function<void()>& f) {
        try {
            f();
        } catch (const ErreurExecution& e) {
            return e.numero();
        }
        return 0;
    }
    // The first argument never goes back, each percentage is its share of the total to the nearest
    // (halves to even), and the last event is the whole.
    void verifierProgres(qint64 total) const {
        ASSERT_FALSE(m_progres.empty());
        EXPECT_EQ(m_progres.front(), Progres(0, total, 0));
        EXPECT_EQ(m_progres.back(), Progres(total, total, 100));
        for (size_t i = 0; i < m_progres.size(); ++i) {
            const auto [envoye, t, p] = m_progres[i];
            EXPECT_EQ(t, total);
            EXPECT_EQ(p, static_cast<int>(std::nearbyint(envoye * 100.0 / total))) << i;
            if (i > 0) {
                EXPECT_GE(envoye, std::get<0>(m_progres[i - 1])) << i;
            }
        }
    }

    QTemporaryDir m_dossier;
    Email m_email;
    std::vector<Etat> m_etats;
    std::vector<Progres> m_progres;
    std::vector<Fin> m_fins;
};

TEST_F(EmailDialogueTest, WritesTheCommandsAndTheMessageAndReportsEachStep) {
    PairScripte pair;
    std::vector<std::tuple<bool, QString, int>> pieces;
    QObject::connect(&m_email, &Email::ProgressionPieceJointe,
                     [&](bool enCours, const QString& f, int p) { pieces.emplace_back(enCours, f, p); });
    m_email.PieceJointeAjout(fichier(QStringLiteral("k.txt"), "Dor"));
    envoyer(pair.port());
    EXPECT_EQ(pieces.front(), std::make_tuple(false, QString(), 0));
    ASSERT_TRUE(pair.connecte());

    // The greeting in three pieces is one reply: nothing goes before its line end.
    pair.dire("22");
    QTest::qWait(50);
    pair.dire("0 ready");
    QTest::qWait(50);
    EXPECT_TRUE(pair.recu().isEmpty());
    EXPECT_TRUE(m_etats.empty());
    pair.dire("\r\n");
    ASSERT_TRUE(pair.attendre("HELO 127.0.0.1\r\n"));
    // A multi-line answer is one reply; then two replies in one piece are two.
    pair.dire("250-serveur.test\r\n250 HELP\r\n");
    ASSERT_TRUE(pair.attendre("MAIL FROM: <lise@exemple.fr>\r\n"));
    pair.dire("250 OK\r\n250 OK\r\n");
    ASSERT_TRUE(pair.attendre("DATA\r\n"));
    // One byte at a time.
    for (const char c : QByteArray("354 go ahead\r\n")) {
        pair.dire(QByteArray(1, c));
        QTest::qWait(5);
    }
    const QByteArray bloc = m_email.EncoderPieceJointeUU(m_dossier.filePath(QStringLiteral("k.txt")));
    const QByteArray message =
        Email::Message(Lise, Paul, QStringLiteral("Rapport"), QStringLiteral("Bonjour"), bloc);
    ASSERT_TRUE(pair.attendre("\r\n.\r\n"));
    EXPECT_EQ(pair.recu(), Commandes + message);
    EXPECT_TRUE(m_fins.empty());
    pair.dire("250 OK queued\r\n");
    ASSERT_TRUE(attendreFin());

    const std::vector<Etat> etats{{"Connection", "220 ready\r\n"},
                                  {"Connecté...", "250-serveur.test\r\n250 HELP\r\n"},
                                  {"Mail From accepté...", "250 OK\r\n"},
                                  {"RCPT est accepté", "250 OK\r\n"},
                                  {"Envoie Email en cours...", "354 go ahead\r\n"}};
    EXPECT_EQ(m_etats, etats);
    EXPECT_EQ(m_fins, std::vector<Fin>({{true, "250 OK queued\r\n"}}));
    // Every command line is counted at its length, then one more; the message to the whole.
    const qint64 total = Commandes.size() + message.size() + 4;
    verifierProgres(total);
    std::vector<qint64> lignes;
    for (size_t i = 1; i <= 4 && i < m_progres.size(); ++i)
        lignes.push_back(std::get<0>(m_progres[i]));
    EXPECT_EQ(lignes, std::vector<qint64>({16, 47, 76, 83}));

    // The dialogue is over: a further reply sends nothing and reports nothing.
    pair.dire("250 OK\r\n");
    QTest::qWait(100);
    EXPECT_EQ(pair.recu(), Commandes + message);
    EXPECT_EQ(m_etats.size(), etats.size());
    EXPECT_EQ(m_fins.size(), 1u);
    m_email.FermerWinsock();
    EXPECT_TRUE(QTest::qWaitFor([&] { return pair.deconnecte(); }, 5000));
}

TEST_F(EmailDialogueTest, LoginGoesThroughEhloAndAuthLogin) {
    Global().AuthentificationSmtp = true;
    Global().UtilisateurSmtp = QStringLiteral("gestion");
    Global().MotDePasseSmtp = QStringLiteral("mot2passe");
    // The password's answer is 235 by the rules, 250 from some servers: both lead to MAIL FROM.
    for (const QByteArray accepte : {"235 2.7.0 Authentication successful\r\n", "250 OK\r\n"}) {
        PairScripte pair;
        envoyer(pair.port());
        ASSERT_TRUE(pair.connecte());
        pair.dire("220 serveur.test ESMTP\r\n");
        ASSERT_TRUE(pair.attendre("EHLO 127.0.0.1\r\n"));
        pair.dire("250-serveur.test\r\n250-AUTH LOGIN PLAIN\r\n250 HELP\r\n");
        ASSERT_TRUE(pair.attendre("AUTH LOGIN \r\n"));
        pair.dire("334 VXNlciBOYW1lAA==\r\n");
        ASSERT_TRUE(pair.attendre("Z2VzdGlvbg==\r\n"));
        pair.dire("334 UGFzc3dvcmQA\r\n");
        ASSERT_TRUE(pair.attendre("bW90MnBhc3Nl\r\n"));
        pair.dire(accepte);
        ASSERT_TRUE(pair.attendre("MAIL FROM: <lise@exemple.fr>\r\n"));
        std::vector<QString> statuts;
        for (const auto& [m, r] : m_etats)
            statuts.push_back(m);
        EXPECT_EQ(statuts, std::vector<QString>({"Connection", "Authentification...", "User...",
                                                 "password...", "Connecté..."}));
        EXPECT_EQ(m_etats.back().second, QString::fromLatin1(accepte));
        EXPECT_TRUE(m_fins.empty());
    }
}

// The first reply that is not the expected one is reported, nothing of its step is sent, and the outcome
// tells at once; later replies change nothing.
TEST_F(EmailDialogueTest, AnUnexpectedReplyEndsTheDialogue) {
    struct Cas {
        QByteArrayList reponses; // the last one is refused
        QByteArray recu;         // what the client wrote in all
        QString statut;          // the status of the refusal
    };
    const std::vector<Cas> cas{
        {{"554 no service\r\n"}, "", "554 no service\r\n"},
        {{"220 ok\r\n", "250 ok\r\n", "250 ok\r\n", "553 5.7.1 relay denied\r\n"},
         Commandes.left(Commandes.indexOf("DATA")),
         Refus},
        {{"220 ok\r\n", "250 ok\r\n", "250 ok\r\n", "250 ok\r\n", "451 try later\r\n"},
         Commandes,
         "451 try later\r\n"},
        {{"220 ok\r\n", "250 ok\r\n", "250 ok\r\n", "250 ok\r\n", "354 go\r\n", "550 spam\r\n"}, "", ""},
    };
    for (const Cas& c : cas) {
        const QByteArray refusee = c.reponses.back();
        SCOPED_TRACE(refusee.toStdString());
        PairScripte pair;
        envoyer(pair.port());
        ASSERT_TRUE(pair.connecte());
        for (const QByteArray& r : c.reponses) {
            const qsizetype avant = pair.recu().size();
            pair.dire(r);
            if (r != refusee) {
                ASSERT_TRUE(QTest::qWaitFor([&] { return pair.recu().size() > avant; }, 5000));
            }
        }
        ASSERT_TRUE(attendreFin());
        EXPECT_EQ(m_fins, std::vector<Fin>({{false, QString::fromLatin1(refusee)}}));
        // The refused message is reported by the outcome alone, as replies after it are.
        if (c.statut.isEmpty()) {
            EXPECT_EQ(m_etats.size(), 5u);
            EXPECT_TRUE(pair.recu().endsWith("\r\n.\r\n"));
        } else {
            EXPECT_EQ(m_etats.back(), Etat(c.statut, QString::fromLatin1(refusee)));
            EXPECT_EQ(pair.recu(), c.recu);
        }
        const size_t etats = m_etats.size();
        const QByteArray recu = pair.recu();
        pair.dire("250 ok\r\n354 go\r\n");
        QTest::qWait(100);
        EXPECT_EQ(pair.recu(), recu);
        EXPECT_EQ(m_etats.size(), etats);
        EXPECT_EQ(m_fins.size(), 1u);
    }
}

TEST_F(EmailDialogueTest, FailuresBeforeOrDuringTheConnection) {
    // Refused: no one listens on the port any more.
    quint16 libre = 0;
    {
        QTcpServer s;
        s.listen(QHostAddress::LocalHost, 0);
        libre = s.serverPort();
    }
    envoyer(libre);
    ASSERT_TRUE(attendreFin());
    EXPECT_EQ(m_etats, std::vector<Etat>({{"Connection refused", "0"}}));
    EXPECT_EQ(m_fins, std::vector<Fin>({{false, "Connection refused"}}));

    // The server closing after its greeting, and one that closes with a reply unfinished.
    for (const QByteArray& dernier : {QByteArray("220 ready\r\n"), QByteArray("220 ready\r\n250 O")}) {
        PairScripte pair;
        envoyer(pair.port());
        ASSERT_TRUE(pair.connecte());
        pair.dire(dernier);
        ASSERT_TRUE(pair.attendre("HELO 127.0.0.1\r\n"));
        pair.fermer();
        ASSERT_TRUE(attendreFin());
        const QString ferme = QStringLiteral("The remote host closed the connection");
        EXPECT_EQ(m_etats, std::vector<Etat>({{"Connection", "220 ready\r\n"}, {ferme, "1"}}));
        EXPECT_EQ(m_fins, std::vector<Fin>({{false, ferme}}));
    }

    // A server that never answers: no outcome; the host's close ends it, and a new send starts afresh.
    {
        PairScripte pair;
        envoyer(pair.port());
        ASSERT_TRUE(pair.connecte());
        QTest::qWait(300);
        EXPECT_TRUE(m_fins.empty() && m_etats.empty());
        m_email.FermerWinsock();
        ASSERT_TRUE(QTest::qWaitFor([&] { return pair.deconnecte(); }, 5000));
        PairScripte autre;
        envoyer(autre.port());
        ASSERT_TRUE(autre.connecte());
        autre.dire("220 ok\r\n");
        EXPECT_TRUE(autre.attendre("HELO 127.0.0.1\r\n"));
        pair.dire("220 late\r\n");
        QTest::qWait(100);
        EXPECT_EQ(m_etats.size(), 1u);
        m_email.FermerWinsock();
    }

    // Refused at once, before any connection: a sender without "@", a file gone, a port out of range.
    PairScripte pair;
    const QString parti = fichier(QStringLiteral("parti.pdf"), "x");
    m_email.PieceJointeAjout(parti);
    QFile::remove(parti);
    EXPECT_EQ(erreur([&] { envoyer(pair.port(), {}, {}, QStringLiteral("lise.exemple.fr")); }),
              ErreurExecution::InvalidProcedureCall);
    EXPECT_EQ(erreur([&] { envoyer(pair.port()); }), ErreurExecution::FileNotFound);
    m_email.PieceJointeSuppr(parti);
    for (const qint32 port : {0, -25, 65536})
        EXPECT_EQ(erreur([&] { m_email.Envoie(Lise, Paul, {}, {}, port, {}); }),
                  ErreurExecution::InvalidProcedureCall);
    EXPECT_EQ(erreur([&] { m_email.Envoie(Lise, Paul, {}, {}, pair.port(), QStringLiteral("ici")); }),
              ErreurExecution::InvalidProcedureCall);
    QTest::qWait(100);
    EXPECT_FALSE(pair.aEuUnClient());
    EXPECT_TRUE(m_fins.empty());
}

// Through a real server: aiosmtpd on 127.0.0.1, which writes down every mail it takes.
class EmailServeurTest : public EmailDialogueTest {
protected:
    std::unique_ptr<ServeurLocal> serveur(const QStringList& options) {
        auto s = std::make_unique<ServeurLocal>(
            QStringLiteral(DORVANE_RESOURCES_DIR "/../tests/mail/serveur_smtp.py"),
            QStringList{m_boite.path()} + options);
        EXPECT_NE(s->port(), 0) << s->erreurs().toStdString();
        return s;
    }
    QByteArray recu(int n, const char* extension) const {
        QFile f(m_boite.filePath(QStringLiteral("%1.%2").arg(n).arg(extension)));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<absent>");
    }

    QTemporaryDir m_boite;
};

TEST_F(EmailServeurTest, TheServerStoresTheMailByteForByte) {
    // A last line of 14 bytes begins with "." in both blocks.
    const QString a = fichier(QStringLiteral("a59.bin"), FichierMixte::contenu(59));
    const QString b = fichier(QStringLiteral("b104.bin"), FichierMixte::contenu(104));
    const QByteArray blocs = m_email.EncoderPieceJointeUU(a) + m_email.EncoderPieceJointeUU(b);
    ASSERT_EQ(blocs.count("\r\n."), 2);
    m_email.PieceJointeAjout(a);
    m_email.PieceJointeAjout(b);
    Global().AuthentificationSmtp = true;
    Global().UtilisateurSmtp = QStringLiteral("gestion");
    Global().MotDePasseSmtp = QStringLiteral("mot2passe");
    const QString corps = QStringLiteral("Bonjour,\r\n.ligne\r\nfin");
    const auto s = serveur({"--auth", "gestion", "mot2passe"});
    envoyer(s->port(), QStringLiteral("Période €"), corps);
    ASSERT_TRUE(attendreFin()) << s->erreurs().toStdString() << m_etats.back().second.toStdString();
    ASSERT_TRUE(m_fins[0].first) << m_fins[0].second.toStdString();
    EXPECT_EQ(recu(1, "eml"), "From: \"lise\" <lise@exemple.fr>\r\nTo: \"paul\" <paul@exemple.fr>\r\n"
                              "Subject: P\xE9riode \x80\r\n\r\n" +
                                  blocs + "\r\nBonjour,\r\n.ligne\r\nfin\r\n");
    const QJsonObject enveloppe = QJsonDocument::fromJson(recu(1, "json")).object();
    EXPECT_EQ(enveloppe.value("de").toString(), Lise);
    EXPECT_EQ(enveloppe.value("a").toVariant().toStringList(), QStringList{Paul});
    EXPECT_EQ(enveloppe.value("utilisateur").toString(), QStringLiteral("gestion"));
    m_email.FermerWinsock();

    // A sender outside the code page goes with "?", as every text of the dialogue.
    envoyer(s->port(), QStringLiteral("Łódź"), QString(), QStringLiteral("ł@exemple.fr"));
    ASSERT_TRUE(attendreFin());
    EXPECT_TRUE(m_fins[0].first) << m_fins[0].second.toStdString();
    EXPECT_EQ(QJsonDocument::fromJson(recu(2, "json")).object().value("de").toString(),
              QStringLiteral("?@exemple.fr"));
    m_email.FermerWinsock();

    // A wrong password stops at MAIL FROM's place; a refused recipient before DATA.
    Global().MotDePasseSmtp = QStringLiteral("faux");
    envoyer(s->port());
    ASSERT_TRUE(attendreFin());
    EXPECT_FALSE(m_fins[0].first);
    EXPECT_TRUE(m_fins[0].second.startsWith("535 ")) << m_fins[0].second.toStdString();
    m_email.FermerWinsock();
    Global().AuthentificationSmtp = false;
    const auto refus = serveur({"--refuser", "553"});
    envoyer(refus->port());
    ASSERT_TRUE(attendreFin());
    EXPECT_EQ(m_etats.back().first, Refus);
    EXPECT_TRUE(m_fins[0].second.startsWith("553 5.7.1 Relay refused for <paul@exemple.fr>"));
    m_email.FermerWinsock();
    EXPECT_EQ(recu(3, "eml"), "<absent>");
}

TEST_F(EmailServeurTest, ALargeAttachmentKeepsEventsFlowing) {
    const qsizetype taille = 10 * 1000 * 1000;
    const QString gros = fichier(QStringLiteral("gros.bin"), FichierMixte::contenu(taille));
    m_email.PieceJointeAjout(gros);
    const auto s = serveur({});
    // The timer fires while the file is being encoded, midway.
    int pourcentage = 0;
    QObject::connect(&m_email, &Email::ProgressionPieceJointe,
                     [&](bool, const QString&, int p) { pourcentage = p; });
    std::vector<int> tops;
    QTimer minuterie;
    QObject::connect(&minuterie, &QTimer::timeout, [&] { tops.push_back(pourcentage); });
    minuterie.start(0);
    envoyer(s->port());
    minuterie.stop();
    EXPECT_TRUE(std::any_of(tops.begin(), tops.end(), [](int p) { return p > 0 && p < 100; }));
    ASSERT_TRUE(attendreFin(60000));
    ASSERT_TRUE(m_fins[0].first) << m_fins[0].second.toStdString();
    const QByteArray bloc = m_email.EncoderPieceJointeUU(gros);
    const QByteArray tete = "From: \"lise\" <lise@exemple.fr>\r\nTo: \"paul\" <paul@exemple.fr>\r\n"
                            "Subject: Rapport\r\n\r\n";
    EXPECT_TRUE(recu(1, "eml") == tete + bloc + "\r\nBonjour\r\n");
    // No line begins with a dot: the count follows the bytes to the end without going back.
    verifierProgres(Commandes.size() + tete.size() + bloc.size() + 2 + 7 + 5 + 4);
    EXPECT_GT(m_progres.size(), 6u);
}

} // namespace
