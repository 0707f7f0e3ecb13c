// One mail with a 2 MB attachment to the tests' SMTP server: Email::Envoie to its outcome, beside a bare
// QTcpSocket that sends the same commands and the same message to the same server, same run.
#include "EnvoiControle.h"
#include "FichierMixte.h"
#include "OutilsBench.h"
#include "ServeurLocal.h"
#include "mail/Email.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>

namespace {

const char* const Usage =
    "Usage: bench_email [--help]\n"
    "\n"
    "Starts the tests' SMTP server (tests/mail/serveur_smtp.py, /usr/bin/python3, python3-aiosmtpd,\n"
    "127.0.0.1) and sends one mail with a 2 MB attachment (half text, half random bytes), no login:\n"
    "  - Email::Envoie to EnvoiTermine (the file encoded, the message built, the dialogue in the socket's\n"
    "    events, the progress followed as a host follows it);\n"
    "  - a bare QTcpSocket: the file encoded and the message built by the same functions, then HELO,\n"
    "    MAIL FROM, RCPT TO, DATA and the message written on a new connection, each reply waited for.\n"
    "They run alternately, one warm-up then 21 timed runs each; medians and worst times shown, with the\n"
    "ratio. Target: under 1.5. Then the peak resident memory of one send of each side, alone in a process\n"
    "of its own after a first small send (/proc/self/status, the peak reset through clear_refs), above\n"
    "the resident size before it, against the attachment. Target: under 3 times the attachment.\n";

constexpr qsizetype Taille = 2 * 1000 * 1000;
constexpr int Fois = 21;

const QString Lise = QStringLiteral("lise@exemple.fr");
const QString Paul = QStringLiteral("paul@exemple.fr");
const QString Sujet = QStringLiteral("Rapport");
const QString Corps = QStringLiteral("Bonjour");

bool nous(quint16 port, const QString& fichier) {
    return envoiControle(port, fichier, Lise, Paul, Sujet, Corps);
}

// Reads one whole reply (its last line's fourth character is not "-") and checks its code.
bool reponse(QTcpSocket& s, const char* code) {
    QByteArray ligne;
    for (;;) {
        while (!s.canReadLine())
            if (!s.waitForReadyRead(30000))
                return false;
        ligne = s.readLine();
        if (ligne.size() < 4 || ligne[3] != '-')
            return ligne.startsWith(code);
    }
}

bool nu(quint16 port, const QString& fichier) {
    Email encodeur;
    const QByteArray message =
        Email::Message(Lise, Paul, Sujet, Corps, encodeur.EncoderPieceJointeUU(fichier));
    QTcpSocket s;
    s.connectToHost(QStringLiteral("127.0.0.1"), port);
    if (!s.waitForConnected(30000) || !reponse(s, "220"))
        return false;
    const std::pair<QByteArray, const char*> etapes[] = {
        {Email::LigneSmtp(QStringLiteral("HELO 127.0.0.1")), "250"},
        {Email::LigneSmtp(QStringLiteral("MAIL FROM: <") + Lise + u'>'), "250"},
        {Email::LigneSmtp(QStringLiteral("RCPT TO: <") + Paul + u'>'), "250"},
        {Email::LigneSmtp(QStringLiteral("DATA")), "354"},
        {message, "250"}};
    for (const auto& [texte, code] : etapes) {
        s.write(texte);
        if (!reponse(s, code))
            return false;
    }
    return true;
}

bool cote(const char* nom, quint16 port, const QString& fichier) {
    return std::strcmp(nom, "nous") == 0 ? nous(port, fichier) : nu(port, fichier);
}

// One side in a new process of this benchmark: its peak resident memory above its start, in MB.
double picEnfant(const char* nom, quint16 port, const QString& fichier, const QString& petit) {
    QProcess p;
    p.start(QCoreApplication::applicationFilePath(),
            {QStringLiteral("--pic"), QString::fromLatin1(nom), QString::number(port), fichier, petit});
    if (!p.waitForFinished(120000) || p.exitCode() != 0) {
        std::fprintf(stderr, "the %s run failed: %s\n", nom, p.readAllStandardError().constData());
        return -1;
    }
    return p.readAllStandardOutput().trimmed().toDouble();
}

} // namespace

int main(int argc, char** argv) {
    if (aideDemandee(argc, argv, Usage))
        return 0;
    QCoreApplication app(argc, argv);
    if (argc == 6 && std::strcmp(argv[1], "--pic") == 0) {
        const quint16 port = static_cast<quint16>(std::atoi(argv[3]));
        // The first send sets the network layer up; the second is measured.
        if (!cote(argv[2], port, QString::fromLocal8Bit(argv[5])))
            return 1;
        remettrePic();
        const double avant = memoire("VmRSS:");
        if (!cote(argv[2], port, QString::fromLocal8Bit(argv[4])))
            return 1;
        std::printf("%.2f\n", memoire("VmHWM:") - avant);
        return 0;
    }

    QTemporaryDir dossier;
    const QString fichier = dossier.filePath(QStringLiteral("export.xls"));
    const QString petit = dossier.filePath(QStringLiteral("petit.txt"));
    const QString boite = dossier.filePath(QStringLiteral("boite"));
    if (!dossier.isValid() || !FichierMixte::ecrire(fichier, Taille) || !FichierMixte::ecrire(petit, 100) ||
        !QDir().mkpath(boite)) {
        std::fprintf(stderr, "no folder to write in\n");
        return 1;
    }
    ServeurLocal serveur(QStringLiteral(DORVANE_SCRIPT_SERVEUR_SMTP), {boite});
    if (serveur.port() == 0) {
        std::fprintf(stderr, "the SMTP server did not start: %s\n", qPrintable(serveur.erreurs()));
        return 1;
    }

    std::vector<double> tNous, tNu;
    for (int i = 0; i <= Fois; ++i) {
        QElapsedTimer chrono;
        chrono.start();
        const bool a = nous(serveur.port(), fichier);
        const double ta = chrono.nsecsElapsed() / 1e6;
        chrono.restart();
        const bool b = nu(serveur.port(), fichier);
        const double tb = chrono.nsecsElapsed() / 1e6;
        if (!a || !b) {
            std::fprintf(stderr, "a send failed (Envoie %d, bare %d)\n", a, b);
            return 1;
        }
        // The server keeps every mail: the same two each time.
        QDir(boite).removeRecursively();
        QDir().mkpath(boite);
        if (i > 0) {
            tNous.push_back(ta);
            tNu.push_back(tb);
        }
    }
    const double pNous = picEnfant("nous", serveur.port(), fichier, petit);
    const double pNu = picEnfant("nu", serveur.port(), fichier, petit);
    if (pNous < 0 || pNu < 0)
        return 1;

    const double mNous = mediane(tNous), mNu = mediane(tNu);
    const double mo = Taille / 1048576.0;
    std::printf(
        "2 MB attachment: Envoie to its outcome %.1f ms (worst %.1f)   bare QTcpSocket %.1f ms (worst "
        "%.1f)   ratio %.2f\n",
        mNous, *std::max_element(tNous.begin(), tNous.end()), mNu, *std::max_element(tNu.begin(), tNu.end()),
        mNous / mNu);
    std::printf(
        "peak memory above the start: Envoie %.1f MB (%.2f x the attachment)   bare %.1f MB (%.2f x)\n",
        pNous, pNous / mo, pNu, pNu / mo);
    return 0;
}
