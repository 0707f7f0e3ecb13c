#include "app/InstallationDossier.h"

#include "common/EchecEcriture.h"
#include "common/FnWendrox.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QSaveFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace {

QList<EtapeInstallation>& etapes() {
    static QList<EtapeInstallation> liste;
    return liste;
}

void poserErreur(QString* erreur, const QString& texte) {
    if (erreur)
        *erreur = texte;
}

// The existing entry of that name in the folder, whatever its case (a folder copied from a Windows
// installation may spell "AUTOMAT.INI"); "" when there is none.
QString nomExistant(const QDir& dossier, const QString& nom) {
    if (QFileInfo::exists(dossier.filePath(nom)))
        return nom;
    const QStringList entrees = dossier.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString& e : entrees)
        if (e.compare(nom, Qt::CaseInsensitive) == 0)
            return e;
    return QString();
}

QByteArray contenu(const QString& chemin, bool* ok) {
    QFile f(chemin);
    *ok = f.open(QIODevice::ReadOnly);
    return *ok ? f.readAll() : QByteArray();
}

// The file `nom` of the folder, found as the program finds it (FnWendrox::FichierExistant: whatever its
// case), in `existant` ("" when there is none). False with a message when a folder holds the name: the
// program could not use the file, so the lay-out must not say it is ready.
bool fichierDuDossier(const QDir& dossier, const QString& nom, QString* existant, QString* erreur) {
    *existant = FnWendrox::FichierExistant(dossier.path(), nom);
    if (existant->isEmpty()) {
        const QString autre = nomExistant(dossier, nom);
        if (!autre.isEmpty()) {
            poserErreur(
                erreur,
                QStringLiteral("Un dossier porte le nom du fichier : %1").arg(dossier.filePath(autre)));
            return false;
        }
    }
    return true;
}

// Copies `source` to `cible`; when `rafraichir`, an existing different file is replaced.
bool copierFichier(const QString& source, const QDir& dossierCible, const QString& nom, bool rafraichir,
                   QString* erreur) {
    QString existant;
    if (!fichierDuDossier(dossierCible, nom, &existant, erreur))
        return false;
    if (!existant.isEmpty() && !rafraichir)
        return true;
    const QString cible = existant.isEmpty() ? dossierCible.filePath(nom) : existant;
    bool ok = false;
    const QByteArray octets = contenu(source, &ok);
    if (!ok) {
        poserErreur(erreur, QStringLiteral("Lecture impossible : %1").arg(source));
        return false;
    }
    if (!existant.isEmpty()) {
        bool lu = false;
        if (contenu(cible, &lu) == octets && lu)
            return true;
    }
    QSaveFile f(cible);
    if (!f.open(QIODevice::WriteOnly) || f.write(octets) != octets.size() || !f.commit()) {
        poserErreur(erreur, EchecEcriture::message(f));
        return false;
    }
    return true;
}

bool creerDossier(const QDir& parent, const QString& nom, QDir* resultat, QString* erreur) {
    const QString existant = nomExistant(parent, nom);
    const QString chemin = parent.filePath(existant.isEmpty() ? nom : existant);
    if (!QFileInfo(chemin).isDir() && !parent.mkpath(existant.isEmpty() ? nom : existant)) {
        poserErreur(erreur, QStringLiteral("Création du dossier impossible : %1").arg(chemin));
        return false;
    }
    *resultat = QDir(chemin);
    return true;
}

// Copies a resource folder into the program folder, recursively.
bool copierDossier(const QDir& source, const QDir& cible, bool rafraichir, QString* erreur) {
    const QFileInfoList entrees =
        source.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QFileInfo& e : entrees) {
        if (e.isDir()) {
            QDir sous;
            if (!creerDossier(cible, e.fileName(), &sous, erreur) ||
                !copierDossier(QDir(e.absoluteFilePath()), sous, rafraichir, erreur))
                return false;
        } else if (!copierFichier(e.absoluteFilePath(), cible, e.fileName(), rafraichir, erreur)) {
            return false;
        }
    }
    return true;
}

} // namespace

namespace {

// A folder named by the environment variable, else the compiled-in one when it is there, else the folder
// `voisin` beside the executable.
QString dossierChoisi(const char* variable, const QString& compile, const QString& voisin) {
    const QString env = qEnvironmentVariable(variable);
    if (!env.isEmpty())
        return QDir(env).absolutePath();
    if (!compile.isEmpty() && QFileInfo(compile).isDir())
        return compile;
    const QString base = QCoreApplication::instance()
                             ? QCoreApplication::applicationDirPath()
                             : QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
    return QDir(base).filePath(voisin);
}

} // namespace

QString dossierRessources(const QString& compile) {
    return dossierChoisi("DORVANE_RESOURCES", compile, QStringLiteral("resources"));
}

QString dossierDocumentsConstruits(const QString& compile) {
    // A folder the variable names is taken as it is: setup reports it when it is missing.
    const QString d = dossierChoisi("DORVANE_DOCUMENTS", compile, QStringLiteral("documents"));
    return qEnvironmentVariableIsEmpty("DORVANE_DOCUMENTS") && !QFileInfo(d).isDir() ? QString() : d;
}

namespace {

// An empty side database at that path: one table, made by `ddl`. Nothing is done when the file exists.
bool creerBaseAnnexe(const QString& chemin, const QString& ddl, QString* erreur) {
    if (QFileInfo(chemin).isFile())
        return true;
    if (QFileInfo::exists(chemin)) {
        poserErreur(erreur, QStringLiteral("Un dossier porte le nom du fichier : %1").arg(chemin));
        return false;
    }
    static int compteur = 0;
    const QString nom = QStringLiteral("dorvane-setup-annexe-%1").arg(++compteur);
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), nom);
        db.setDatabaseName(chemin);
        if (db.open()) {
            QSqlQuery q(db);
            ok = q.exec(ddl);
            if (!ok)
                poserErreur(erreur, q.lastError().text());
            q.finish();
        } else {
            poserErreur(erreur, db.lastError().text());
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(nom);
    if (!ok)
        QFile::remove(chemin); // never leave a side database without its table
    return ok;
}

} // namespace

bool creerJournalErreurs(const QString& chemin, QString* erreur) {
    return creerBaseAnnexe(chemin,
                           QStringLiteral("CREATE TABLE Erreurs (Id INTEGER PRIMARY KEY AUTOINCREMENT, "
                                          "DateErreur TEXT, Contexte TEXT, Erreur TEXT)"),
                           erreur);
}

void ajouterEtapeInstallation(EtapeInstallation etape) {
    etapes().append(std::move(etape));
}

bool installerDossierProgramme(const QString& dossier, const QString& ressources, QString* erreur,
                               const QString& documents) {
    const QDir source(ressources);
    if (!source.exists()) {
        poserErreur(erreur, QStringLiteral("Dossier des ressources introuvable : %1").arg(ressources));
        return false;
    }
    if (QFileInfo::exists(dossier) && !QFileInfo(dossier).isDir()) {
        poserErreur(erreur, QStringLiteral("Ce n'est pas un dossier : %1").arg(dossier));
        return false;
    }
    if (!QDir().mkpath(dossier)) {
        poserErreur(erreur, QStringLiteral("Création du dossier impossible : %1").arg(dossier));
        return false;
    }
    const QDir cible(QDir(dossier).absolutePath());

    // Shipped files the program never writes are refreshed; the others are only copied when missing.
    const QStringList rafraichis{QStringLiteral("icon"), QStringLiteral("RPT SQL")};
    QDir dossierDocuments;
    for (const QString& nom : {QStringLiteral("icon"), QStringLiteral("image"), QStringLiteral("documents"),
                               QStringLiteral("RPT SQL")}) {
        QDir d;
        if (!creerDossier(cible, nom, &d, erreur))
            return false;
        if (nom == QLatin1String("documents"))
            dossierDocuments = d;
    }
    const QFileInfoList entrees =
        source.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QFileInfo& e : entrees) {
        if (e.isDir()) {
            QDir sous;
            const bool rafraichir = rafraichis.contains(e.fileName(), Qt::CaseInsensitive);
            if (!creerDossier(cible, e.fileName(), &sous, erreur) ||
                !copierDossier(QDir(e.absoluteFilePath()), sous, rafraichir, erreur))
                return false;
        } else {
            const bool langue = e.suffix().compare(QLatin1String("lng"), Qt::CaseInsensitive) == 0;
            if (!copierFichier(e.absoluteFilePath(), cible, e.fileName(), langue, erreur))
                return false;
        }
    }

    // The built manuals, as the shipped documents: copied when missing.
    if (!documents.isEmpty()) {
        if (!QFileInfo(documents).isDir()) {
            poserErreur(erreur, QStringLiteral("Dossier des documents introuvable : %1").arg(documents));
            return false;
        }
        if (!copierDossier(QDir(documents), dossierDocuments, false, erreur))
            return false;
    }

    QString journal;
    if (!fichierDuDossier(cible, QStringLiteral("MAINTEN.MDB"), &journal, erreur) ||
        (journal.isEmpty() && !creerJournalErreurs(cible.filePath(QStringLiteral("MAINTEN.MDB")), erreur)))
        return false;
    // The postal codes "CP.MDB": its table without rows, until a converted file takes its place.
    QString codesPostaux;
    if (!fichierDuDossier(cible, QStringLiteral("CP.MDB"), &codesPostaux, erreur) ||
        (codesPostaux.isEmpty() &&
         !creerBaseAnnexe(cible.filePath(QStringLiteral("CP.MDB")),
                          QStringLiteral("CREATE TABLE CodesPostaux (CodePostal TEXT COLLATE NOCASE, "
                                         "Localite TEXT COLLATE NOCASE)"),
                          erreur)))
        return false;

    for (const EtapeInstallation& etape : etapes())
        if (!etape(cible.absolutePath(), erreur))
            return false;
    return true;
}
