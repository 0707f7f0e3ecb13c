#include "app/InstallationDossier.h"
#include "db/Schema.h"

#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

// dorvane-setup [program folder]: lays out a program folder (default: $DORVANE_HOME, else the current
// folder).
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = app.arguments();
    if (args.size() > 2 || (args.size() == 2 && args.at(1).startsWith(QLatin1Char('-')))) {
        err << "usage: dorvane-setup [program folder]\n";
        return 2;
    }
    QString dossier = args.size() == 2 ? args.at(1) : qEnvironmentVariable("DORVANE_HOME");
    if (dossier.isEmpty())
        dossier = QDir::currentPath();

#ifdef DORVANE_RESOURCES_DIR
    const QString ressources = dossierRessources(QStringLiteral(DORVANE_RESOURCES_DIR));
#else
    const QString ressources = dossierRessources();
#endif
    // The user manuals are built with the program, into the build folder.
#ifdef DORVANE_DOCUMENTS_DIR
    const QString documents = dossierDocumentsConstruits(QStringLiteral(DORVANE_DOCUMENTS_DIR));
#else
    const QString documents = dossierDocumentsConstruits();
#endif
    // The embedded databases (or those of the server the settings name) come after the files.
    ajouterEtapeInstallation(creerBasesDossierProgramme);
    QString erreur;
    if (!installerDossierProgramme(dossier, ressources, &erreur, documents)) {
        err << "dorvane-setup: " << erreur << '\n';
        return 1;
    }
    QTextStream(stdout) << "Program folder ready: " << QDir(dossier).absolutePath() << '\n';
    return 0;
}
