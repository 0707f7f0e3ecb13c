#include "bench/FichierMixte.h"
#include "bench/ServeurLocal.h"
#include "support/FormeSurBase.h"
#include "support/ServeurSmtpDeTest.h"

#include "common/EtatGlobal.h"
#include "common/PageDeCode.h"
#include "mail/EnvoiEmail.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// The status lines of one whole dialogue without login as the log keeps them: the reply keeps its own
// line end, then the log's.
const QString Dialogue =
    QStringLiteral("Connection 220 [^\r\n]*\r\n\r\nConnecté\\.\\.\\. 250 [^\r\n]*\r\n\r\n"
                   "Mail From accepté\\.\\.\\. 250 [^\r\n]*\r\n\r\n"
                   "RCPT est accepté 250 [^\r\n]*\r\n\r\n"
                   "Envoie Email en cours\\.\\.\\. 354 [^\r\n]*\r\n\r\n");

bool correspond(const QString& texte, const QString& motif) {
    return QRegularExpression(QStringLiteral("^(?:%1)$").arg(motif)).match(texte).hasMatch();
}

class EnvoiEmailTest : public FormeSurBaseTest {
protected:
    void SetUp() override {
        FormeSurBaseTest::SetUp();
        if (HasFatalFailure())
            return;
        email("SMTP", "127.0.0.1");
        email("MailFrom", "lise@exemple.fr");
        email("Mailto0", "paul@exemple.fr");
        dossier->ecrireFichier("a.csv", FichierMixte::contenu(5000));
    }
    void email(const char* cle, const QString& valeur) const { dossier->ecrireIni("Email", cle, valeur); }
    void vers(const ServeurSmtpDeTest& s) const { email("Port", QString::number(s.port())); }
    // "" when sent, else the error's number and description.
    QString envoyer(const QString& nom = "a.csv", qint64* ms = nullptr) {
        QElapsedTimer chrono;
        chrono.start();
        const ResultatEnvoi r = m_envoi.EnvoyerEmail("Rapport", "Bonjour", dossier->fichier(nom));
        if (ms)
            *ms = chrono.elapsed();
        return r.envoye() ? QString() : QString::number(r.erreur->numero()) + u' ' + r.erreur->description();
    }
    // "Emaillog.txt" read in the code page.
    QString journalEmail() const {
        QFile f(dossier->fichier("Emaillog.txt"));
        return f.open(QIODevice::ReadOnly) ? PageDeCode::depuisOctets(f.readAll()) : "<absent>";
    }

    EnvoiEmail m_envoi;
};

TEST_F(EnvoiEmailTest, MailsTheFileToMailto0OrAdresseEmailAndLogsEveryStatus) {
    ServeurSmtpDeTest serveur;
    ASSERT_GT(serveur.port(), 32767);
    vers(serveur);
    qint64 ms = 0;
    ASSERT_EQ(envoyer("a.csv", &ms), "") << serveur.erreurs().toStdString();
    EXPECT_LT(ms, 3000); // the end of the dialogue ends the wait
    ASSERT_EQ(serveur.nombre(), 1);
    EXPECT_EQ(serveur.enveloppe(1).value("de").toString(), "lise@exemple.fr");
    EXPECT_EQ(serveur.enveloppe(1).value("a").toVariant(), QVariantList{"paul@exemple.fr"});
    EXPECT_TRUE(serveur.enveloppe(1).value("utilisateur").isNull());
    EXPECT_TRUE(serveur.message(1).contains("Subject: Rapport\r\n\r\nbegin 664 a.csv\r\n"));
    EXPECT_EQ(ServeurSmtpDeTest::piecesJointes(serveur.message(1)),
              (QMap<QString, QByteArray>{{"a.csv", FichierMixte::contenu(5000)}}));
    // Read in the code page: "é" of another encoding would not match.
    EXPECT_TRUE(correspond(journalEmail(), Dialogue + "\r\n")) << journalEmail().toStdString();

    // AdresseEmail comes first; the log holds both sends; the list is emptied after each.
    Global().AdresseEmail = "marc@exemple.fr";
    ASSERT_EQ(envoyer(), "");
    EXPECT_EQ(serveur.enveloppe(2).value("a").toVariant(), QVariantList{"marc@exemple.fr"});
    EXPECT_TRUE(correspond(journalEmail(), Dialogue + Dialogue + "\r\n"));
    EXPECT_FALSE(m_envoi.Email1().AvecPiecesJointes());
    EXPECT_TRUE(dossier->lignesJournal().isEmpty());
}

// Not sent: the number of ours with the server's reply, the socket's error or the silence; the log is
// written all the same and the error log gets nothing.
TEST_F(EnvoiEmailTest, AFailedDialogueIsNotSentAndStillLogged) {
    {
        ServeurSmtpDeTest refus({"--refuser", "554"});
        vers(refus);
        EXPECT_EQ(envoyer(), "26100 554 5.7.1 Relay refused for <paul@exemple.fr>");
        EXPECT_EQ(refus.nombre(), 0);
        EXPECT_TRUE(
            journalEmail().endsWith("Le serveur n'est pas open relay ou alors le destinataire est "
                                    "inconnu 554 5.7.1 Relay refused for <paul@exemple.fr>\r\n\r\n\r\n"));
    }
    quint16 libre = 0;
    {
        QTcpServer ferme;
        ferme.listen(QHostAddress::LocalHost, 0);
        libre = ferme.serverPort();
    }
    email("Port", QString::number(libre));
    EXPECT_EQ(envoyer(), "26100 Connection refused");
    email("SMTP", "");
    EXPECT_EQ(envoyer(), "26100 Host not found");
    email("SMTP", "127.0.0.1");

    // A server that greets, then says nothing, is cut off at the limit.
    QTcpServer muet;
    muet.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&muet, &QTcpServer::newConnection,
                     [&muet] { muet.nextPendingConnection()->write("220 muet.test\r\n"); });
    email("Port", QString::number(muet.serverPort()));
    m_envoi.setDelaiSansReponse(300);
    qint64 ms = 0;
    EXPECT_EQ(envoyer("a.csv", &ms),
              "26100 Pas de réponse du serveur SMTP depuis 0.3 s (dernière réponse : 220 muet.test)");
    EXPECT_TRUE(ms >= 300 && ms < 3000) << ms;
    EXPECT_TRUE(journalEmail().endsWith("Connection 220 muet.test\r\n\r\n\r\n"));

    // The limit counts silence, not the whole dialogue: two pauses shorter than it, longer together.
    ServeurSmtpDeTest lent({"--retard-rcpt", "0.8", "--retard-message", "0.8"});
    vers(lent);
    m_envoi.setDelaiSansReponse(1200);
    EXPECT_EQ(envoyer("a.csv", &ms), "");
    EXPECT_GE(ms, 1600);
    EXPECT_EQ(lent.nombre(), 1);
    EXPECT_TRUE(dossier->lignesJournal().isEmpty());
}

// Bad settings, addresses and files stop the send before any connection: logged under "EnvoyerEmail",
// no "Emaillog.txt".
TEST_F(EnvoiEmailTest, RunTimeFailuresAreLoggedAndWriteNoEmaillog) {
    ServeurSmtpDeTest serveur;
    vers(serveur);
    email("MailFrom", "dorvane.exemple.fr");
    const QString sansArobase = envoyer();
    EXPECT_TRUE(sansArobase.startsWith("5 ")) << sansArobase.toStdString();
    EXPECT_EQ(dossier->lignesJournal(), QStringList{"EnvoyerEmail|N°: " + sansArobase});
    email("MailFrom", "lise@exemple.fr");

    for (const char* port : {"0", "70000", "abc", "25x", "-25", "99999999999"}) {
        email("Port", port);
        EXPECT_TRUE(envoyer().startsWith("5 Port SMTP invalide")) << port;
    }
    EXPECT_EQ(EnvoiEmail::PortSmtp(""), 25);
    vers(serveur);
    email("Mailto0", "");
    EXPECT_TRUE(envoyer().startsWith("5 "));
    email("Mailto0", "paul@exemple.fr");
    EXPECT_TRUE(envoyer("parti.csv").startsWith("53 "));

    EXPECT_EQ(dossier->lignesJournal().filter(QRegularExpression("^EnvoyerEmail\\|N°: ")).size(), 9);
    EXPECT_FALSE(QFile::exists(dossier->fichier("Emaillog.txt")));
    EXPECT_EQ(serveur.nombre(), 0);

    // A log that cannot be written is logged; the mail goes all the same.
    ASSERT_TRUE(QDir(dossier->chemin()).mkdir("Emaillog.txt"));
    EXPECT_EQ(envoyer(), "");
    EXPECT_EQ(serveur.nombre(), 1);
    EXPECT_TRUE(dossier->lignesJournal().value(9).startsWith("EnvoyerEmail|N°: 75 "));
}

TEST_F(EnvoiEmailTest, TheLoginFollowsUserAtEverySend) {
    ServeurSmtpDeTest avecLogin({"--auth", "gestion", "mot2passe"});
    vers(avecLogin);
    email("User", "gestion");
    email("Pass", "mot2passe");
    ASSERT_EQ(envoyer(), "");
    EXPECT_EQ(avecLogin.enveloppe(1).value("utilisateur").toString(), "gestion");
    EXPECT_TRUE(journalEmail().contains("password... 334 "));

    // "User" emptied in the same run: no AUTH, which a server without login would refuse.
    ServeurSmtpDeTest sansLogin;
    vers(sansLogin);
    email("User", "");
    ASSERT_EQ(envoyer(), "");
    EXPECT_TRUE(sansLogin.enveloppe(1).value("utilisateur").isNull());
    const QString journal = m_envoi.JournalEmail();
    EXPECT_TRUE(correspond(journal.mid(journal.lastIndexOf("Connection ")), Dialogue));
}

// The peak of this process's resident memory in KiB, since the last remettrePointe().
qint64 pointeMemoire() {
    QFile f("/proc/self/status");
    const QByteArray s = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    const qsizetype p = s.indexOf("VmHWM:");
    return p < 0 ? -1 : s.mid(p + 6, s.indexOf('\n', p) - p - 6).trimmed().split(' ').value(0).toLongLong();
}
void remettrePointe() {
    QFile f("/proc/self/clear_refs");
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

// A server sending a 10 MB reply line, with or without its line end, ends the send at once without the
// process or the log taking it in; a server quoting the login back leaves it out of the log.
TEST_F(EnvoiEmailTest, AnOverlongReplyFailsAtOnceAndTheLoginNeverReachesTheLog) {
    const QString script = QStringLiteral(DORVANE_RESOURCES_DIR "/../tests/mail/serveur_smtp_brut.py");
    m_envoi.setDelaiSansReponse(20000);
    for (const char* mode : {"ligne", "sans-fin"}) {
        ServeurLocal brut(script, {mode, "10000000"});
        ASSERT_NE(brut.port(), 0) << brut.erreurs().toStdString();
        email("Port", QString::number(brut.port()));
        m_envoi.viderJournal();
        remettrePointe();
        const qint64 avant = pointeMemoire();
        qint64 ms = 0;
        EXPECT_EQ(envoyer("a.csv", &ms),
                  "26100 Réponse du serveur SMTP refusée : une ligne de plus de 4096 octets")
            << mode;
        EXPECT_LT(ms, 5000) << mode;
        if (avant > 0) {
            EXPECT_LT(pointeMemoire() - avant, 10 * 1024) << mode;
        }
        EXPECT_LT(QFileInfo(dossier->fichier("Emaillog.txt")).size(), 4096) << mode;
        EXPECT_TRUE(journalEmail().startsWith("Réponse du serveur SMTP refusée : une ligne de plus de 4096 "
                                              "octets 220 " +
                                              QString(508, u'x') + "\r\n"))
            << mode;
    }

    ServeurLocal echo(script, {"echo-auth"});
    email("Port", QString::number(echo.port()));
    email("User", "gestion");
    email("Pass", "mot2passe");
    m_envoi.viderJournal();
    const QString refus = envoyer();
    const QString journal = journalEmail();
    EXPECT_EQ(refus, "26100 535 bad credentials for **** **** (****)");
    EXPECT_TRUE(journal.contains("535 bad credentials for **** **** (****)")) << journal.toStdString();
    for (const QString& secret :
         {QStringLiteral("Z2VzdGlvbg=="), QStringLiteral("bW90MnBhc3Nl"), QStringLiteral("mot2passe")})
        EXPECT_FALSE(journal.contains(secret) || refus.contains(secret)) << secret.toStdString();
}

// The wait lasts as long as the server takes. A second send asked for meanwhile (the wait handles events)
// is refused and leaves the first alone.
TEST_F(EnvoiEmailTest, ASlowServerIsWaitedForAndASecondSendIsRefused) {
    ServeurSmtpDeTest lent({"--retard-rcpt", "8"});
    vers(lent);
    dossier->ecrireFichier("b.csv", "b");
    QString second = "<pas appelé>";
    QTimer::singleShot(500, [&] { second = envoyer("b.csv"); });
    qint64 ms = 0;
    EXPECT_EQ(envoyer("a.csv", &ms), "");
    EXPECT_GE(ms, 8000);
    ASSERT_EQ(lent.nombre(), 1);
    EXPECT_EQ(ServeurSmtpDeTest::piecesJointes(lent.message(1)).keys(), QStringList{"a.csv"});
    EXPECT_TRUE(second.startsWith("5 Un e-mail est déjà en cours d'envoi")) << second.toStdString();
    EXPECT_EQ(dossier->lignesJournal(), QStringList{"EnvoyerEmail|N°: " + second});
    EXPECT_TRUE(correspond(journalEmail(), Dialogue + "\r\n"));
}

} // namespace
