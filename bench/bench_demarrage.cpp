// The program's start against a bare Qt program doing the same data work, each a process of its own.
// The program's side is this executable started again with "--programme": the start of src/app/main.cpp
// up to the main window shown, the one-second wait of the loading window taken out.
#include "DonneesBench.h"
#include "OutilsBench.h"
#include "app/InstallationDossier.h"
#include "app/InstanceUnique.h"
#include "app/ReglagesProcessus.h"
#include "app/forms/FrmPrincipal.h"
#include "app/forms/Main.h"
#include "app/forms/ServicesProgramme.h"
#include "common/EtatGlobal.h"
#include "common/FnWendrox.h"
#include "common/IniFile.h"
#include "db/Connexion.h"
#include "db/Schema.h"
#include "nu/FinDemarrage.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

namespace {

const char* const Usage =
    "Usage: bench_demarrage [--help]\n"
    "\n"
    "Times the program's start against a bare program doing the same data work, each started as a new\n"
    "process (QT_QPA_PLATFORM=offscreen), from just before the process is started to its main window\n"
    "shown and painted once. The program's side is this executable run again with \"--programme\": the\n"
    "start of src/app/main.cpp (process settings, services, Main: settings, the loading window, the\n"
    "main window's load with the database upkeep and the company record, the article form loaded\n"
    "hidden over its list), with the loading window's wait to the next whole second taken out (its\n"
    "clock jumps a second at each reading, so that it paints once and goes on). The bare side is\n"
    "bench_demarrage_nu (Qt Widgets and Sql only): it reads the settings file, shows a loading window,\n"
    "opens the database, runs the same queries and reads every row (the article list included),\n"
    "then shows a main window of the same buttons and pictures. The program folder is laid out by the\n"
    "setup routine; its database holds the generated data (bench/DonneesBench.h: 2,000 articles,\n"
    "50,000 employees, 100,000 withdrawals). One warm-up, then 9 runs of each side in alternating\n"
    "order; medians, the ratio, and the shared libraries mapped by each side when its window shows.\n"
    "SQLite always; PostgreSQL as well when DORVANE_TEST_PG holds a libpq connection string, e.g.\n"
    "under scripts/with-postgres.\n";

constexpr int Fois = 9;

// The program's side, in the child process: as src/app/main.cpp, up to the main window shown.
int programme(int argc, char** argv) {
    ReglagesProcessus::appliquer();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Dorvane"));
    const ServicesProgramme services;
    QApplication::setQuitOnLastWindowClosed(false);
    // The loading window's wait ends at the first whole second: each reading of this clock is a second
    // later than the one before, so the wait paints once and returns.
    int lectures = 0;
    FnWendrox::definirHorloge([&lectures] { return QDateTime::currentDateTime().addSecs(lectures++); });
    definirCheminVerrou(qEnvironmentVariable("BENCH_VERROU"));
    Main();
    if (Global().FinDemandee || !frmPrincipal().isVisible()) {
        std::fprintf(stderr, "the start did not reach the main window\n");
        return 1;
    }
    QCoreApplication::processEvents();
    signalerFenetreMontree();
    instanceProgramme().liberer();
    std::_Exit(0);
}

// One start of `programme`; its time in ms and its libraries, or -1.
double demarrer(const QString& programme, const QStringList& arguments, const QString& dossier, int* libs) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DORVANE_HOME"), dossier);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("BENCH_VERROU"), QDir(dossier).filePath(QStringLiteral("bench.lock")));
    env.insert(QStringLiteral("BENCH_T0"), QString::number(maintenantNs()));
    p.setProcessEnvironment(env);
    p.start(programme, arguments);
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(programme), p.readAllStandardError().constData());
        return -1;
    }
    const QList<QByteArray> champs = p.readAllStandardOutput().trimmed().split(' ');
    if (champs.size() != 2)
        return -1;
    *libs = champs.at(1).toInt();
    return champs.at(0).toLongLong() / 1e6;
}

void mesurer(const char* moteur, const QString& dossier, const QStringList& argumentsNu) {
    const QString ici = QCoreApplication::applicationFilePath();
    const QString nu =
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("bench_demarrage_nu"));
    std::vector<double> nous, eux;
    int libsNous = 0, libsEux = 0;
    for (int essai = 0; essai <= Fois; ++essai) {
        for (int cote = 0; cote < 2; ++cote) {
            const bool programmeDabord = essai % 2 == 0;
            if ((cote == 0) == programmeDabord) {
                const double t = demarrer(ici, {QStringLiteral("--programme")}, dossier, &libsNous);
                if (t < 0)
                    return;
                if (essai > 0)
                    nous.push_back(t);
            } else {
                const double t = demarrer(nu, argumentsNu, dossier, &libsEux);
                if (t < 0)
                    return;
                if (essai > 0)
                    eux.push_back(t);
            }
        }
    }
    std::printf("%-10s | program %7.1f ms, %3d libraries | bare %7.1f ms, %3d libraries | ratio %.2f\n",
                moteur, mediane(nous), libsNous, mediane(eux), libsEux, mediane(nous) / mediane(eux));
}

// A program folder as the setup lays it out, with `serveur` (empty: SQLite) in its settings and the
// generated data in its database.
bool preparer(const QString& dossier, const ParametresConnexion* serveur, const QString& nom) {
    QString erreur;
    if (!installerDossierProgramme(dossier, dossierRessources(QStringLiteral(DORVANE_RESOURCES_DIR)),
                                   &erreur)) {
        std::fprintf(stderr, "setup: %s\n", qPrintable(erreur));
        return false;
    }
    const QString ini = FnWendrox::CheminDansDossier(dossier, QStringLiteral("automat.ini"));
    const QString section = QStringLiteral("Base de donnée");
    FnWendrox::EcrireIniString(ini, section, QStringLiteral("Nom"), nom);
    if (serveur) {
        FnWendrox::EcrireIniString(ini, section, QStringLiteral("Serveur"), serveur->serveur);
        FnWendrox::EcrireIniString(ini, section, QStringLiteral("Utilisateur"), serveur->utilisateur);
        FnWendrox::EcrireIniString(ini, section, QStringLiteral("P"),
                                   serveur->motDePasse.isEmpty() ? QStringLiteral("x") : serveur->motDePasse);
    }
    if (!creerBasesDossierProgramme(dossier, &erreur)) {
        std::fprintf(stderr, "databases: %s\n", qPrintable(erreur));
        return false;
    }
    ParametresConnexion p;
    if (serveur) {
        p = *serveur;
    } else {
        p.dossier = dossier;
    }
    p.base = nom;
    Connexion c(p);
    DonneesBench::remplir(c);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--programme") == 0)
        return programme(argc, argv);
    if (aideDemandee(argc, argv, Usage))
        return 0;
    QCoreApplication app(argc, argv);
    try {
        {
            QTemporaryDir dossier;
            if (!preparer(dossier.path(), nullptr, QStringLiteral("VEZ")))
                return 1;
            mesurer("SQLite", dossier.path(), {dossier.path()});
        }
        ParametresConnexion admin;
        if (serveurBench(&admin)) {
            const QString nom = QStringLiteral("bench_demarrage_%1").arg(QCoreApplication::applicationPid());
            QTemporaryDir dossier;
            if (preparer(dossier.path(), &admin, nom))
                mesurer("PostgreSQL", dossier.path(), {dossier.path()});
            Connexion a(admin);
            for (const QString& base : {nom, Global().NomBaseDroits})
                a.executer(QStringLiteral("DROP DATABASE IF EXISTS \"%1\" WITH (FORCE)").arg(base));
        }
    } catch (const ErreurExecution& e) {
        std::fprintf(stderr, "Échec : %s\n", qPrintable(e.description()));
        return 1;
    }
    return 0;
}
