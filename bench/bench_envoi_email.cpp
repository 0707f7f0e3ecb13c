// One mail with a 1 MB attachment to the tests' SMTP server: EnvoiEmail::EnvoyerEmail (the settings, the
// attachment list, the send, the wait, the close and "Emaillog.txt") beside the mail control's own Envoie
// followed to its outcome, for the same file and server, same run.
#include "EnvoiControle.h"
#include "FichierMixte.h"
#include "OutilsBench.h"
#include "ServeurLocal.h"

#include "common/EtatGlobal.h"
#include "common/IniFile.h"
#include "mail/EnvoiEmail.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

namespace {

const char* const Usage =
    "Usage: bench_envoi_email [--help]\n"
    "\n"
    "Starts the tests' SMTP server (tests/mail/serveur_smtp.py, /usr/bin/python3, python3-aiosmtpd,\n"
    "127.0.0.1) and sends one mail with a 1 MB attachment (half text, half random bytes), no login, from a\n"
    "program folder of its own whose settings name that server:\n"
    "  - EnvoiEmail::EnvoyerEmail: the settings read, the attachment list set, Envoie, the wait to the\n"
    "    outcome, the close, the list emptied and \"Emaillog.txt\" written (one object for all runs, as the\n"
    "    viewer keeps it, so the log grows);\n"
    "  - Email::Envoie alone on a new control, followed to EnvoiTermine, then closed.\n"
    "They run alternately, one warm-up then 21 timed runs each; medians and worst times shown, with the\n"
    "ratio. Target: under 1.2.\n";

constexpr qsizetype Taille = 1000 * 1000;
constexpr int Fois = 21;

const QString Lise = QStringLiteral("lise@exemple.fr");
const QString Paul = QStringLiteral("paul@exemple.fr");
const QString Sujet = QStringLiteral("Rapport");

} // namespace

int main(int argc, char** argv) {
    if (aideDemandee(argc, argv, Usage))
        return 0;
    QCoreApplication app(argc, argv);

    QTemporaryDir dossier;
    const QString fichier = dossier.filePath(QStringLiteral("Conso.zip"));
    const QString boite = dossier.filePath(QStringLiteral("boite"));
    const QString programme = dossier.filePath(QStringLiteral("programme"));
    if (!dossier.isValid() || !FichierMixte::ecrire(fichier, Taille) || !QDir().mkpath(boite) ||
        !QDir().mkpath(programme)) {
        std::fprintf(stderr, "no folder to write in\n");
        return 1;
    }
    ServeurLocal serveur(QStringLiteral(DORVANE_SCRIPT_SERVEUR_SMTP), {boite});
    if (serveur.port() == 0) {
        std::fprintf(stderr, "the SMTP server did not start: %s\n", qPrintable(serveur.erreurs()));
        return 1;
    }

    qputenv("DORVANE_HOME", QFile::encodeName(programme));
    Global().CheminIni = QDir(programme).filePath(QStringLiteral("automat.ini"));
    try {
        for (const auto& [cle, valeur] : {std::pair{QStringLiteral("SMTP"), QStringLiteral("127.0.0.1")},
                                          {QStringLiteral("Port"), QString::number(serveur.port())},
                                          {QStringLiteral("MailFrom"), Lise},
                                          {QStringLiteral("Mailto0"), Paul}})
            IniFile::ecrire(Global().CheminIni, QStringLiteral("Email"), cle, valeur);
    } catch (const ErreurExecution& e) {
        std::fprintf(stderr, "settings: %s\n", qPrintable(e.description()));
        return 1;
    }

    EnvoiEmail envoi;
    std::vector<double> tNous, tControle;
    for (int i = 0; i <= Fois; ++i) {
        QElapsedTimer chrono;
        chrono.start();
        const ResultatEnvoi r = envoi.EnvoyerEmail(Sujet, QString(), fichier);
        const double ta = chrono.nsecsElapsed() / 1e6;
        chrono.restart();
        const bool b = envoiControle(serveur.port(), fichier, Lise, Paul, Sujet, QString());
        const double tb = chrono.nsecsElapsed() / 1e6;
        if (!r.envoye() || !b) {
            std::fprintf(stderr, "a send failed (EnvoyerEmail: %s, Envoie %d)\n",
                         r.envoye() ? "sent" : qPrintable(r.erreur->description()), b);
            return 1;
        }
        // The server keeps every mail: the same two each time.
        QDir(boite).removeRecursively();
        QDir().mkpath(boite);
        if (i > 0) {
            tNous.push_back(ta);
            tControle.push_back(tb);
        }
    }
    if (!QFile::exists(QDir(programme).filePath(QStringLiteral("Emaillog.txt")))) {
        std::fprintf(stderr, "no Emaillog.txt\n");
        return 1;
    }

    const double mNous = mediane(tNous), mControle = mediane(tControle);
    std::printf("1 MB attachment: EnvoyerEmail %.1f ms (worst %.1f)   Envoie to its outcome %.1f ms (worst "
                "%.1f)   ratio %.2f\n",
                mNous, *std::max_element(tNous.begin(), tNous.end()), mControle,
                *std::max_element(tControle.begin(), tControle.end()), mNous / mControle);
    return 0;
}
