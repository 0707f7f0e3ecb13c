#include "BaseDeTest.h"

#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "db/Connexion.h"
#include "db/Recordset.h"
#include "db/Schema.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace {

const QStringList TablesEtVues = {"InfoSociete",
                                  "CA",
                                  "ArticleEnStock",
                                  "CodeArticle",
                                  "MouvementStock",
                                  "ImageProduit",
                                  "Familles",
                                  "Tailles",
                                  "Fournisseur",
                                  "Utilisateurs",
                                  "BadgeMaintenance",
                                  "Sites",
                                  "Services",
                                  "ProfileQuota",
                                  "Quota",
                                  "PlageHoraire",
                                  "Ventes",
                                  "DetailVente",
                                  "Retour",
                                  "ListeNoAffaire",
                                  "Machines",
                                  "ConfigMachines",
                                  "EmplacementsMachine1",
                                  "TRemplissageMachine",
                                  "ARemplissageMachine",
                                  "InfoEtat",
                                  "SchemaDorvane",
                                  "StockGlobal",
                                  "GrUtilisateur"};

void ecrireIni(const QString& dossier, const QString& contenu) {
    QFile f(QDir(dossier).filePath(QStringLiteral("automat.ini")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(contenu.toUtf8());
}

} // namespace

class SchemaBase : public TestAvecBase {};

TEST_P(SchemaBase, NewDatabaseHoldsEveryTableViewAndTheSeed) {
    for (const QString& t : TablesEtVues)
        EXPECT_NO_THROW(cnx().executer(QStringLiteral("SELECT * FROM %1 WHERE 1 = 0").arg(t)))
            << t.toStdString();
    EXPECT_EQ(cnx().valeurUnique(QStringLiteral("SELECT COUNT(*) FROM InfoSociete")).toLongLong(), 1);
    Recordset societe;
    societe.Open(cnx(), QStringLiteral("InfoSociete"));
    EXPECT_EQ(societe.Field(QStringLiteral("VD")).toString(), QStringLiteral("016"));
    EXPECT_EQ(societe.Field(QStringLiteral("NOM")).toString(), QString());
    EXPECT_FALSE(societe.Field(QStringLiteral("NOM")).isNull());
    EXPECT_TRUE(societe.Field(QStringLiteral("MotPasse")).isNull());
    EXPECT_TRUE(societe.Field(QStringLiteral("AdEmail")).isNull());
    Recordset profils;
    profils.Open(cnx(), QStringLiteral("SELECT Profile FROM ProfileQuota ORDER BY NoQuota"));
    QStringList noms;
    for (profils.MoveFirst(); !profils.IsEOF(); profils.MoveNext())
        noms << profils.Field(0).toString();
    EXPECT_EQ(noms, QStringList({"ILLIMITÉ", "QUOTAS GENERAL", "CHEF"}));
    EXPECT_EQ(Schema::versionBase(cnx()), Schema::versionCourante());
}

TEST_P(SchemaBase, UniqueNamesAreRefusedWithoutRegardToCase) {
    EXPECT_THROW(cnx().executer(QStringLiteral("INSERT INTO ProfileQuota (Profile) VALUES (?)"),
                                {QStringLiteral("chef")}),
                 ErreurExecution);
    cnx().executer(QStringLiteral("INSERT INTO Fournisseur (CodeFournisseur) VALUES (?)"),
                   {QStringLiteral("ABC")});
    EXPECT_THROW(cnx().executer(QStringLiteral("INSERT INTO Fournisseur (CodeFournisseur) VALUES (?)"),
                                {QStringLiteral("abc")}),
                 ErreurExecution);
}

TEST_P(SchemaBase, ViewsJoinEveryArticleAndEmployee) {
    cnx().executer(QStringLiteral("INSERT INTO Tailles (Taille, Ordre, NoFamille) VALUES (?, ?, ?)"),
                   {QStringLiteral("XL"), 4, 1});
    cnx().executer(
        QStringLiteral(
            "INSERT INTO ArticleEnStock (Reference, Designation, Taille, QteEnStock, PrixAchatUnit) "
            "VALUES (?, ?, ?, ?, ?)"),
        {1, QStringLiteral("Gant"), 1, 10, 2.5});
    cnx().executer(
        QStringLiteral("INSERT INTO ArticleEnStock (Reference, Designation, QteEnStock) VALUES (?, ?, ?)"),
        {2, QStringLiteral("Casque"), 3});
    // Two slots with the article: one without Qte (one unit), one with 4.
    cnx().executer(
        QStringLiteral(
            "INSERT INTO EmplacementsMachine1 (NoMachine, NoEmpl, Reference, Qte) VALUES (1, 1, ?, NULL)"),
        {1});
    cnx().executer(
        QStringLiteral(
            "INSERT INTO EmplacementsMachine1 (NoMachine, NoEmpl, Reference, Qte) VALUES (1, 2, ?, ?)"),
        {1, 4});
    cnx().executer(QStringLiteral(
        "INSERT INTO EmplacementsMachine1 (NoMachine, NoEmpl, Reference) VALUES (1, 3, NULL)"));
    Recordset rs;
    rs.Open(cnx(), QStringLiteral("SELECT * FROM StockGlobal ORDER BY Reference"));
    ASSERT_EQ(rs.RecordCount(), 2);
    EXPECT_EQ(rs.FieldNames().at(1).toLower(), QStringLiteral("qteenmachine"));
    EXPECT_EQ(rs.FieldNames().size(), 29);
    EXPECT_EQ(rs.Field(QStringLiteral("QteEnMachine")).toLongLong(), 5);
    EXPECT_EQ(rs.Field(QStringLiteral("Taille")).toString(), QStringLiteral("XL"));
    EXPECT_EQ(rs.Field(QStringLiteral("QteGlobal")).toLongLong(), 15);
    EXPECT_DOUBLE_EQ(rs.Field(QStringLiteral("ValeurStock")).toDouble(), 37.5);
    rs.MoveNext();
    EXPECT_EQ(rs.Field(QStringLiteral("QteEnMachine")).toLongLong(), 0);
    EXPECT_TRUE(rs.Field(QStringLiteral("Taille")).isNull());

    cnx().executer(QStringLiteral("INSERT INTO Utilisateurs (NoBadge, Nom, Quota, Site) VALUES (?, ?, ?, ?)"),
                   {QStringLiteral("B1"), QStringLiteral("Martin"), 2, 99});
    Recordset u;
    u.Open(cnx(), QStringLiteral("GrUtilisateur"));
    ASSERT_EQ(u.RecordCount(), 1);
    EXPECT_EQ(u.FieldCount(), 22);
    EXPECT_EQ(u.Field(QStringLiteral("Profile")).toString(), QStringLiteral("QUOTAS GENERAL"));
    EXPECT_TRUE(u.Field(QStringLiteral("NomSite")).isNull());
    EXPECT_EQ(u.FieldNames().at(15).toLower(), QStringLiteral("profile"));
}

TEST_P(SchemaBase, UpgradeStepsRunOnceInOrder) {
    // This step counts its own runs; it is taken out at the end, so later tests see the program's steps only.
    auto passages = std::make_shared<int>(0);
    const int cible = Schema::versionCourante() + 1;
    Schema::enregistrerEtape(cible, [passages](Connexion& c) {
        ++*passages;
        c.executer(QStringLiteral("CREATE TABLE IF NOT EXISTS EtapeEssai (x INTEGER)"));
    });
    EXPECT_EQ(Schema::mettreAJour(cnx()), cible);
    EXPECT_EQ(Schema::mettreAJour(cnx()), cible);
    EXPECT_EQ(*passages, 1);
    EXPECT_NO_THROW(cnx().executer(QStringLiteral("SELECT x FROM EtapeEssai")));
    EXPECT_EQ(Schema::versionBase(cnx()), cible);
    // A database without our number starts at the first layout and gets every step.
    cnx().executer(QStringLiteral("DROP TABLE SchemaDorvane"));
    cnx().executer(QStringLiteral("DROP TABLE EtapeEssai"));
    EXPECT_EQ(Schema::mettreAJour(cnx()), cible);
    EXPECT_EQ(*passages, 2);
    EXPECT_NO_THROW(cnx().executer(QStringLiteral("SELECT x FROM EtapeEssai")));
    Schema::retirerEtape(cible);
    EXPECT_EQ(Schema::versionCourante(), cible - 1);
}

DORVANE_SUR_CHAQUE_BASE(SchemaBase);

TEST(CreationDossier, CreatesEmbeddedDatabasesOnceAndTheShellReadsThem) {
    QTemporaryDir dossier;
    ecrireIni(dossier.path(), QStringLiteral("[Base de donnée]\nNom=VEZ\n"));
    QString erreur;
    ASSERT_TRUE(creerBasesDossierProgramme(dossier.path(), &erreur)) << erreur.toStdString();
    const QString vez = QDir(dossier.path()).filePath(QStringLiteral("VEZ.db"));
    const QString droits = QDir(dossier.path()).filePath(Global().NomBaseDroits + QStringLiteral(".db"));
    ASSERT_TRUE(QFileInfo::exists(vez));
    ASSERT_TRUE(QFileInfo::exists(droits));

    QProcess shell;
    shell.start(QStringLiteral("sqlite3"),
                {vez, QStringLiteral("SELECT VD FROM InfoSociete; PRAGMA journal_mode; "
                                     "SELECT COUNT(*) FROM StockGlobal;")});
    ASSERT_TRUE(shell.waitForFinished(10000));
    EXPECT_EQ(QString::fromUtf8(shell.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts),
              QStringList({"016", "wal", "0"}));

    // A second run leaves what exists alone.
    {
        ParametresConnexion p;
        p.dossier = dossier.path();
        p.base = QStringLiteral("VEZ");
        Connexion c(p);
        c.executer(QStringLiteral("UPDATE InfoSociete SET NOM = ?"), {QStringLiteral("ACME")});
    }
    ASSERT_TRUE(creerBasesDossierProgramme(dossier.path(), &erreur));
    ParametresConnexion p;
    p.dossier = dossier.path();
    p.base = Global().NomBaseDroits;
    Connexion d(p);
    EXPECT_EQ(d.valeurUnique(QStringLiteral("SELECT COUNT(*) FROM Gestionnaire")).toLongLong(), 0);
    p.base = QStringLiteral("VEZ");
    Connexion c(p);
    EXPECT_EQ(c.valeurUnique(QStringLiteral("SELECT NOM FROM InfoSociete")).toString(),
              QStringLiteral("ACME"));
}

TEST(CreationDossier, CreatesQuotedDatabasesOnTheNamedServer) {
    ParametresConnexion admin;
    if (!serveurPostgreSQLDeTest(&admin))
        GTEST_SKIP() << "DORVANE_TEST_PG n'est pas défini";
    QTemporaryDir dossier;
    const QString nom = QStringLiteral("Vez-%1").arg(QCoreApplication::applicationPid());
    const QString droitsAvant = Global().NomBaseDroits;
    Global().NomBaseDroits = QStringLiteral("Droits-%1").arg(QCoreApplication::applicationPid());
    const QString droits = Global().NomBaseDroits;
    // "P" as typed (the throw-away server trusts its user, whatever the password).
    const QString password =
        QStringLiteral("P=") + (admin.motDePasse.isEmpty() ? QStringLiteral("x") : admin.motDePasse) + u'\n';
    ecrireIni(dossier.path(), QStringLiteral("[Base de donnée]\nNom=%1\nServeur=%2\nUtilisateur=%3\n%4")
                                  .arg(nom, admin.serveur, admin.utilisateur, password));
    QString erreur;
    const bool ok = creerBasesDossierProgramme(dossier.path(), &erreur);
    Global().NomBaseDroits = droitsAvant;
    ASSERT_TRUE(ok) << erreur.toStdString();
    ParametresConnexion p = admin;
    p.base = nom;
    {
        Connexion c(p);
        EXPECT_EQ(c.valeurUnique(QStringLiteral("SELECT VD FROM InfoSociete")).toString(),
                  QStringLiteral("016"));
        EXPECT_EQ(c.valeurUnique(QStringLiteral("SELECT COUNT(*) FROM ProfileQuota")).toLongLong(), 3);
    }
    Connexion a(admin);
    a.executer(QStringLiteral("DROP DATABASE IF EXISTS \"%1\" WITH (FORCE)").arg(nom));
    a.executer(QStringLiteral("DROP DATABASE IF EXISTS \"%1\" WITH (FORCE)").arg(droits));
}

TEST_P(SchemaBase, RightsDatabaseOpensFromTheStateAndOnlyReads) {
    Connexion droits;
    droits.ouvrirDroits();
    EXPECT_EQ(droits.valeurUnique(QStringLiteral("SELECT COUNT(*) FROM Gestionnaire")).toLongLong(), 0);
    if (droits.estSQLite()) {
        EXPECT_THROW(droits.executer(QStringLiteral("INSERT INTO Gestionnaire (Utilisateur) VALUES (?)"),
                                     {QStringLiteral("x")}),
                     ErreurExecution);
    }
}
