#include "app/InstallationDossier.h"
#include "app/forms/Main.h"
#include "bench/DonneesBench.h"
#include "db/Connexion.h"
#include "db/Schema.h"
#include "manuel/LivreManuel.h"
#include "manuel/PhotosManuel.h"
#include "support/EcransDeTest.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTextStream>

namespace {

// A program folder of its own, with a small database: a few dozen employees, articles and withdrawals. The
// company is one whose menu has the job-code list, so that every button of the menu may be shown.
bool preparerDossier(const QTemporaryDir& dir, QString* erreur) {
    if (!installerDossierProgramme(dir.path(), dossierRessources(QStringLiteral(DORVANE_RESOURCES_DIR)),
                                   erreur) ||
        !creerBasesDossierProgramme(dir.path(), erreur))
        return false;
    ParametresConnexion p;
    p.base = QStringLiteral("VEZ");
    p.dossier = dir.path() + QLatin1Char('/');
    Connexion c;
    c.ouvrir(p);
    DonneesBench::Volumes v;
    v.salaries = 40;
    v.articles = 30;
    v.ventes = 120;
    v.codesAffaires = 20;
    DonneesBench::remplirVolumes(c, v);
    c.executer(
        QStringLiteral("UPDATE InfoSociete SET NOM = ?, Adresse = ?, CodePostal = ?, Ville = ?, Tel = ?"),
        {QStringLiteral("KESTAVON ATELIERS DU RHÔNE"), QStringLiteral("12 rue de l'Industrie"),
         QStringLiteral("69007"), QStringLiteral("Lyon"), QStringLiteral("04 72 00 00 00")});
    return true;
}

} // namespace

// dorvane-manuel <chapters folder> <language> <PDF> <pictures folder>: makes the pictures the chapters ask
// for from the program itself, offscreen, then the PDF.
int main(int argc, char** argv) {
    // The offscreen platform says at each window that it cannot raise it: not worth a line of the build's.
    static const QtMessageHandler suivant = qInstallMessageHandler(nullptr);
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& contexte, const QString& message) {
        if (!message.startsWith(QLatin1String("This plugin does not support")) &&
            !message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR")))
            suivant(type, contexte, message);
    });
    // The offscreen platform, with a desktop-sized screen so that every window opens at its own size.
    QTemporaryFile ecrans;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        QByteArray plateforme("offscreen");
        if (ecrans.open() && ecrans.write(configurationEcransDeTest()) > 0 && ecrans.flush())
            plateforme += ":configfile=" + ecrans.fileName().toLocal8Bit();
        qputenv("QT_QPA_PLATFORM", plateforme);
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Dorvane"));
    QApplication::setQuitOnLastWindowClosed(false);
    QTextStream err(stderr);
    const QStringList args = app.arguments();
    if (args.size() != 5) {
        err << "usage: dorvane-manuel <chapters folder> <language> <PDF> <pictures folder>\n";
        return 2;
    }
    const QString sources = args.at(1), langue = args.at(2).toUpper(), pdf = args.at(3), photos = args.at(4);

    QString erreur;
    const QList<LivreManuel::Chapitre> chapitres = LivreManuel::lireChapitres(sources, &erreur);
    if (chapitres.isEmpty()) {
        err << "dorvane-manuel: " << erreur << '\n';
        return 1;
    }
    QStringList noms;
    for (const LivreManuel::Chapitre& c : chapitres)
        for (const QString& n : PhotosManuel::nomsDemandes(c.markdown))
            if (!noms.contains(n))
                noms << n;

    QTemporaryDir dossier;
    QTemporaryDir verrou;
    if (!dossier.isValid() || !verrou.isValid() || !preparerDossier(dossier, &erreur)) {
        err << "dorvane-manuel: program folder: " << erreur << '\n';
        return 1;
    }
    qputenv("DORVANE_HOME", QFile::encodeName(dossier.path()));
    definirCheminVerrou(verrou.filePath(QStringLiteral("dorvane.lock")));
    QDir(photos).removeRecursively();
    const bool photographie = PhotosManuel::photographier(langue, noms, photos, nullptr, &erreur);
    definirCheminVerrou(QString()); // the lock goes before its folder
    if (!photographie) {
        err << "dorvane-manuel: " << langue << ": cannot show the window of " << erreur << '\n';
        return 1;
    }
    if (!LivreManuel::ecrire(chapitres, photos, LivreManuel::textes(langue), pdf, nullptr, &erreur)) {
        err << "dorvane-manuel: " << erreur << '\n';
        return 1;
    }
    return 0;
}
