#include "app/InstallationDossier.h"
#include "common/IniFile.h"
#include "db/Schema.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <memory>
#include <gtest/gtest.h>

namespace {

void ecrire(const QString& chemin, const QByteArray& octets) {
    QDir().mkpath(QFileInfo(chemin).path());
    QFile f(chemin);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(octets);
}

QByteArray lire(const QString& chemin) {
    QFile f(chemin);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A small resources folder of our own, so the test does not depend on what others ship.
struct Ressources {
    QTemporaryDir dir;
    Ressources() {
        ecrire(dir.filePath(QStringLiteral("automat.ini")), "[Base de donn\xC3\xA9\x65]\nNom=VEZ\n");
        ecrire(dir.filePath(QStringLiteral("french.lng")), "[F]\nT=un\n");
        ecrire(dir.filePath(QStringLiteral("icon/door02.gif")), "GIF1");
        ecrire(dir.filePath(QStringLiteral("RPT SQL/Etat.RPT")), "v1");
        ecrire(dir.filePath(QStringLiteral("documents/mu_quorel.pdf")), "%PDF");
    }
};

} // namespace

TEST(InstallationDossier, PremiereInstallationPuisMiseAJour) {
    Ressources r;
    QTemporaryDir cible;
    const QString home = cible.filePath(QStringLiteral("home"));
    QString erreur;
    ASSERT_TRUE(installerDossierProgramme(home, r.dir.path(), &erreur)) << erreur.toStdString();
    const QDir d(home);
    for (const QString& nom : {QStringLiteral("icon"), QStringLiteral("image"), QStringLiteral("documents"),
                               QStringLiteral("RPT SQL")})
        EXPECT_TRUE(QFileInfo(d.filePath(nom)).isDir()) << nom.toStdString();
    EXPECT_EQ(lire(d.filePath(QStringLiteral("icon/door02.gif"))), QByteArray("GIF1"));
    EXPECT_EQ(lire(d.filePath(QStringLiteral("documents/mu_quorel.pdf"))), QByteArray("%PDF"));

    // The empty error log, with its table.
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("test-setup"));
        db.setDatabaseName(d.filePath(QStringLiteral("MAINTEN.MDB")));
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec(QStringLiteral("SELECT COUNT(*) FROM Erreurs")));
        ASSERT_TRUE(q.next());
        EXPECT_EQ(q.value(0).toInt(), 0);
        ASSERT_TRUE(q.exec(
            QStringLiteral("INSERT INTO Erreurs (DateErreur, Contexte, Erreur) VALUES ('a','b','c')")));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("test-setup"));

    // The user edits the settings; a new release ships new language files, icons and reports.
    IniFile::ecrire(d.filePath(QStringLiteral("automat.ini")), QStringLiteral("Base de donnée"),
                    QStringLiteral("Nom"), QStringLiteral("AUTRE"));
    const QByteArray iniEdite = lire(d.filePath(QStringLiteral("automat.ini")));
    ecrire(d.filePath(QStringLiteral("image/12.jpg")), "photo");
    ecrire(d.filePath(QStringLiteral("documents/mu_quorel.pdf")), "%PDF local");
    ecrire(r.dir.filePath(QStringLiteral("automat.ini")), "[Base de donn\xC3\xA9\x65]\nNom=NOUVEAU\n");
    ecrire(r.dir.filePath(QStringLiteral("french.lng")), "[F]\nT=deux\n");
    ecrire(r.dir.filePath(QStringLiteral("icon/door02.gif")), "GIF2");
    ecrire(r.dir.filePath(QStringLiteral("RPT SQL/Etat.RPT")), "v2");
    ecrire(r.dir.filePath(QStringLiteral("documents/mu_quorel.pdf")), "%PDF v2");

    ASSERT_TRUE(installerDossierProgramme(home, r.dir.path(), &erreur)) << erreur.toStdString();
    EXPECT_EQ(lire(d.filePath(QStringLiteral("automat.ini"))), iniEdite);
    EXPECT_EQ(lire(d.filePath(QStringLiteral("french.lng"))), QByteArray("[F]\nT=deux\n"));
    EXPECT_EQ(lire(d.filePath(QStringLiteral("icon/door02.gif"))), QByteArray("GIF2"));
    EXPECT_EQ(lire(d.filePath(QStringLiteral("RPT SQL/Etat.RPT"))), QByteArray("v2"));
    EXPECT_EQ(lire(d.filePath(QStringLiteral("documents/mu_quorel.pdf"))), QByteArray("%PDF local"));
    EXPECT_EQ(lire(d.filePath(QStringLiteral("image/12.jpg"))), QByteArray("photo"));
    // The log kept its row.
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("test-setup2"));
        db.setDatabaseName(d.filePath(QStringLiteral("MAINTEN.MDB")));
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec(QStringLiteral("SELECT COUNT(*) FROM Erreurs")) && q.next());
        EXPECT_EQ(q.value(0).toInt(), 1);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("test-setup2"));
}

TEST(InstallationDossier, ManuelsConstruitsPosesQuandIlsManquent) {
    Ressources r;
    QTemporaryDir construits, cible;
    ecrire(construits.filePath(QStringLiteral("mu_quorel.pdf")), "%PDF fr");
    ecrire(construits.filePath(QStringLiteral("mu_quorelNL.pdf")), "%PDF nl");
    // The installation's own manual and a document of its own.
    ecrire(cible.filePath(QStringLiteral("documents/MU_QUOREL.PDF")), "%PDF local");
    ecrire(cible.filePath(QStringLiteral("documents/procedure.pdf")), "%PDF site");
    QString erreur;
    ASSERT_TRUE(installerDossierProgramme(cible.path(), r.dir.path(), &erreur, construits.path()))
        << erreur.toStdString();
    const QDir d(cible.path());
    EXPECT_EQ(lire(d.filePath(QStringLiteral("documents/MU_QUOREL.PDF"))), QByteArray("%PDF local"));
    EXPECT_FALSE(QFile::exists(d.filePath(QStringLiteral("documents/mu_quorel.pdf"))));
    EXPECT_EQ(lire(d.filePath(QStringLiteral("documents/mu_quorelNL.pdf"))), QByteArray("%PDF nl"));
    EXPECT_EQ(lire(d.filePath(QStringLiteral("documents/procedure.pdf"))), QByteArray("%PDF site"));
    // A later build: what the installation has is kept.
    ecrire(construits.filePath(QStringLiteral("mu_quorelNL.pdf")), "%PDF nl v2");
    ASSERT_TRUE(installerDossierProgramme(cible.path(), r.dir.path(), &erreur, construits.path()));
    EXPECT_EQ(lire(d.filePath(QStringLiteral("documents/mu_quorelNL.pdf"))), QByteArray("%PDF nl"));
    // A folder of built documents that is not there is said.
    EXPECT_FALSE(installerDossierProgramme(cible.path(), r.dir.path(), &erreur,
                                           construits.filePath(QStringLiteral("absent"))));
    EXPECT_TRUE(erreur.contains(QStringLiteral("absent")));
}

TEST(InstallationDossier, FichiersExistantsDAutreCasseGardes) {
    Ressources r;
    QTemporaryDir cible;
    ecrire(cible.filePath(QStringLiteral("AUTOMAT.INI")), "[Machine]\nLangue=NL\n");
    ecrire(cible.filePath(QStringLiteral("mainten.mdb")), "");
    ASSERT_TRUE(installerDossierProgramme(cible.path(), r.dir.path()));
    EXPECT_FALSE(QFile::exists(cible.filePath(QStringLiteral("automat.ini"))));
    EXPECT_FALSE(QFile::exists(cible.filePath(QStringLiteral("MAINTEN.MDB"))));
    EXPECT_EQ(lire(cible.filePath(QStringLiteral("AUTOMAT.INI"))), QByteArray("[Machine]\nLangue=NL\n"));
}

TEST(InstallationDossier, EchecsClairs) {
    Ressources r;
    QTemporaryDir cible;
    QString erreur;
    ecrire(cible.filePath(QStringLiteral("fichier")), "x");
    EXPECT_FALSE(installerDossierProgramme(cible.filePath(QStringLiteral("fichier")), r.dir.path(), &erreur));
    EXPECT_FALSE(erreur.isEmpty());
    erreur.clear();
    EXPECT_FALSE(
        installerDossierProgramme(cible.filePath(QStringLiteral("fichier/sous")), r.dir.path(), &erreur));
    EXPECT_FALSE(erreur.isEmpty());
    EXPECT_FALSE(installerDossierProgramme(cible.filePath(QStringLiteral("h")),
                                           cible.filePath(QStringLiteral("absent")), &erreur));
    // A folder where a shipped file should go.
    QDir(cible.path()).mkpath(QStringLiteral("h2/french.lng"));
    EXPECT_FALSE(installerDossierProgramme(cible.filePath(QStringLiteral("h2")), r.dir.path(), &erreur));
    EXPECT_TRUE(erreur.contains(QStringLiteral("french.lng"))) << erreur.toStdString();
}

TEST(InstallationDossier, EtapesAjouteesAppeleesApresLesFichiers) {
    Ressources r;
    QTemporaryDir cible;
    // The step stays registered for the rest of the process: it holds what it writes and lets every
    // later lay-out go on.
    struct Vu {
        QString dossier;
        bool fichiersPoses = false;
    };
    auto vu = std::make_shared<Vu>();
    ajouterEtapeInstallation([vu](const QString& dossier, QString*) {
        vu->dossier = dossier;
        vu->fichiersPoses = QFile::exists(QDir(dossier).filePath(QStringLiteral("automat.ini")));
        return true;
    });
    EXPECT_TRUE(installerDossierProgramme(cible.path(), r.dir.path()));
    EXPECT_EQ(vu->dossier, QDir(cible.path()).absolutePath());
    EXPECT_TRUE(vu->fichiersPoses);
}

TEST(InstallationDossier, RessourcesLivreesCompletes) {
    // The shipped settings file holds every key at its default.
    const IniFile ini =
        IniFile::lire(QDir(QStringLiteral(DORVANE_RESOURCES_DIR)).filePath(QStringLiteral("automat.ini")));
    ASSERT_TRUE(ini.valide());
    const QString bd = QStringLiteral("Base de donnée");
    EXPECT_EQ(ini.valeur(bd, QStringLiteral("Nom")), QStringLiteral("VEZ"));
    EXPECT_EQ(ini.valeur(bd, QStringLiteral("Multi Instance")), QStringLiteral("NON"));
    EXPECT_EQ(ini.valeur(bd, QStringLiteral("LienSiteService")), QStringLiteral("OUI"));
    EXPECT_EQ(ini.valeur(QStringLiteral("Profile"), QStringLiteral("TOUS")), QStringLiteral("83"));
    EXPECT_EQ(ini.valeur(QStringLiteral("Badge"), QStringLiteral("Chaussures")), QStringLiteral("3"));
    EXPECT_EQ(ini.valeur(QStringLiteral("Machine"), QStringLiteral("LongeurCodeArticle")),
              QStringLiteral("2"));
    EXPECT_EQ(ini.valeur(QStringLiteral("Machine"), QStringLiteral("Langue")), QStringLiteral("FR"));
    EXPECT_EQ(ini.valeur(QStringLiteral("Machine"), QStringLiteral("ControlRetourProduitavecSMS")),
              QStringLiteral("NON"));
    EXPECT_EQ(ini.cles(QStringLiteral("Email")).size(), 51 + 6);
    EXPECT_EQ(ini.valeur(QStringLiteral("SAP"), QStringLiteral("Port")), QStringLiteral("51000"));
}

// The lay-out as dorvane-setup runs it: the files, then the databases the settings name.
static bool installerAvecBases(const QString& dossier, const QString& ressources, QString* erreur) {
    return installerDossierProgramme(dossier, ressources, erreur) &&
           creerBasesDossierProgramme(dossier, erreur);
}

TEST(InstallationDossier, ReglagesEnMajusculesLusParLaCreationDesBases) {
    Ressources r;
    QTemporaryDir cible;
    ecrire(cible.filePath(QStringLiteral("AUTOMAT.INI")), "[Base de donn\xE9\x65]\r\nNom=ACME\r\n");
    QString erreur;
    ASSERT_TRUE(installerAvecBases(cible.path(), r.dir.path(), &erreur)) << erreur.toStdString();
    EXPECT_TRUE(QFileInfo(cible.filePath(QStringLiteral("ACME.db"))).isFile());
    EXPECT_FALSE(QFileInfo::exists(cible.filePath(QStringLiteral("VEZ.db"))));
    EXPECT_FALSE(QFileInfo::exists(cible.filePath(QStringLiteral("automat.ini"))));
}

TEST(InstallationDossier, DossierALaPlaceDUnFichierEtNomDeBaseRefuses) {
    Ressources r;
    QString erreur;
    for (const QString& nom : {QStringLiteral("automat.ini"), QStringLiteral("VEZ.db"),
                               QStringLiteral("Mainten.mdb"), QStringLiteral("gestionnaire.db")}) {
        QTemporaryDir cible;
        QDir(cible.path()).mkdir(nom);
        erreur.clear();
        EXPECT_FALSE(installerAvecBases(cible.path(), r.dir.path(), &erreur)) << nom.toStdString();
        EXPECT_TRUE(erreur.contains(nom)) << erreur.toStdString();
        EXPECT_FALSE(QFileInfo::exists(cible.filePath(QStringLiteral("VEZ.db"))) &&
                     nom != QStringLiteral("VEZ.db"));
    }

    // "Nom" names a file of the program folder, nothing else.
    QTemporaryDir parent;
    const QString home = parent.filePath(QStringLiteral("home"));
    for (const QString& nom : {QStringLiteral("../dehors"), QStringLiteral("a/b"), QStringLiteral("a\\b"),
                               QStringLiteral(".."), QStringLiteral("x:y"), QStringLiteral("a\tb")}) {
        const QString ini = QDir(home).filePath(QStringLiteral("automat.ini"));
        ecrire(ini, "[Base de donn\xC3\xA9\x65]\nNom=" + nom.toUtf8() + "\n");
        IniFile::oublierCache(ini);
        erreur.clear();
        EXPECT_FALSE(installerAvecBases(home, r.dir.path(), &erreur)) << nom.toStdString();
        EXPECT_TRUE(erreur.contains(nom)) << erreur.toStdString();
    }
    EXPECT_EQ(QDir(parent.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("home")});
    EXPECT_TRUE(QDir(home).entryList({QStringLiteral("*.db")}, QDir::AllEntries).isEmpty());
}
