#include "BaseDeTest.h"
#include "DossierProgrammeTemp.h"

#include "common/ErreurExecution.h"
#include "db/Valeurs.h"
#include "stock/CatalogueFournisseur.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QSqlRecord>
#include <gtest/gtest.h>
#include <memory>

namespace {

// "fichiersalvendo.MDB" in the folder, its tables as a converted Access file has them (no keys).
std::unique_ptr<Connexion> creerCatalogue(const QString& dossier) {
    ParametresConnexion p;
    p.fichier = QDir(dossier).filePath(QStringLiteral("fichiersalvendo.MDB"));
    p.creer = true;
    auto c = std::make_unique<Connexion>(p);
    const QString ligne =
        QStringLiteral("REFBASE TEXT, Designation TEXT, RefFournisseur TEXT, NomTaille TEXT, "
                       "Famille INTEGER, NomFamille TEXT, No INTEGER, Reference TEXT");
    const QString article =
        QStringLiteral("DelaiLivraison INTEGER, Marque TEXT, Descriptif TEXT, Norme TEXT, "
                       "FicheTech TEXT, QteParPaket INTEGER, PrixAchatUnit REAL");
    c->executer(QStringLiteral("CREATE TABLE article (REFBASE TEXT, \"Numéro\" INTEGER, Image TEXT, %1)")
                    .arg(article));
    c->executer(QStringLiteral("CREATE TABLE FICHIERARTICLE3 (%1)").arg(ligne));
    c->executer(QStringLiteral("CREATE TABLE FICHIERARTICLE4 (%1, %2, NoFournisseur INTEGER, Image TEXT, "
                               "Taille INTEGER)")
                    .arg(ligne, article));
    return c;
}

// The work table's rows, "a|b|..." ("null" for Null).
QStringList lignes(Connexion& c, const QString& colonnes) {
    QStringList r;
    QSqlQuery q = c.executer(QStringLiteral("SELECT %1 FROM FICHIERARTICLE4 ORDER BY rowid").arg(colonnes));
    while (q.next()) {
        QStringList l;
        for (int i = 0; i < q.record().count(); ++i)
            l << (q.value(i).isNull() ? QStringLiteral("null") : q.value(i).toString());
        r << l.join(u'|');
    }
    return r;
}

QByteArray lire(const QString& chemin) {
    QFile f(chemin);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST(CatalogueFournisseur, LignesCompleteesParLePremierArticleQuiLesCommenceEtSaReference) {
    DossierProgrammeTemp dossier;
    auto c = creerCatalogue(dossier.chemin());
    CatalogueFournisseur::ImporterArticlesCatalogue(); // no lines: nothing to do
    c->executer(QStringLiteral("INSERT INTO article (REFBASE, Marque, QteParPaket, PrixAchatUnit) VALUES "
                               "('AB2', 'M2', 2, 2.5), ('AB1', 'M1', 10, 12.25), ('L''AB', 'MQ', 1, 1)"));
    c->executer(QStringLiteral(
        "INSERT INTO FICHIERARTICLE3 (REFBASE, RefFournisseur, Designation, Famille) VALUES "
        "('AB', 'X-AB1', 'gant', 7), ('ab', 'X-AB2', 'botte', 7), " // AB1 first; the second line lacks it
        "('QQ', 'Q', 'casque', NULL), ('L''A', 'L''AB-9', 'masque', 8), ('L''AB', NULL, 'lunette', 8)"));
    CatalogueFournisseur::ImporterArticlesCatalogue();
    const QString colonnes = QStringLiteral(
        "REFBASE, Designation, Famille, Marque, QteParPaket, PrixAchatUnit, NoFournisseur, Image");
    EXPECT_EQ(lignes(*c, colonnes), (QStringList{"AB|gant|7|M1|10|12.25|1|AB1", "L'A|masque|8|MQ|1|1|1|L'AB",
                                                 "QQ|casque|null|null|null|null|1|QQ"}));

    // A second run appends the lines again; one that fails appends nothing.
    CatalogueFournisseur::ImporterArticlesCatalogue();
    c->executer(
        QStringLiteral("CREATE TRIGGER refus BEFORE INSERT ON FICHIERARTICLE4 WHEN NEW.REFBASE = 'QQ' "
                       "BEGIN SELECT RAISE(ABORT, 'refus'); END"));
    EXPECT_THROW(CatalogueFournisseur::ImporterArticlesCatalogue(), ErreurExecution);
    EXPECT_EQ(lignes(*c, colonnes).size(), 6);
}

class CatalogueTaillesTest : public TestAvecBase {};

TEST_P(CatalogueTaillesTest, TaillesDeLaFamilleParLeurTexteEtRienSansCatalogue) {
    QList<qint64> t;
    for (const auto& [texte, famille] :
         std::initializer_list<std::pair<const char*, int>>{{"M", 7}, {"L'XL", 7}, {"S", 8}, {"M", 8}})
        t << Valeurs::lireEntier(cnx().valeurUnique(
            QStringLiteral(
                "INSERT INTO Tailles (Taille, Ordre, NoFamille) VALUES (?, 1, ?) RETURNING NoTaille"),
            {QString::fromUtf8(texte), famille}));
    // No catalogue: the four do nothing and create nothing.
    CatalogueFournisseur::ImporterArticlesCatalogue();
    CatalogueFournisseur::ImporterTaillesCatalogue(cnx());
    CatalogueFournisseur::OuvrirCatalogue();
    CatalogueFournisseur::ImageSalvendo();
    EXPECT_TRUE(CatalogueFournisseur::FichierCatalogue().isEmpty());

    auto c = creerCatalogue(base().dossier());
    CatalogueFournisseur::ImporterTaillesCatalogue(cnx()); // an empty work table is no fault
    CatalogueFournisseur::OuvrirCatalogue();
    c->executer(QStringLiteral("INSERT INTO FICHIERARTICLE4 (REFBASE, Famille, NomTaille, Taille) VALUES "
                               "('A', 7, 'm', NULL), ('B', 7, 'l''xl', NULL), ('C', 7, 'S', 99), "
                               "('D', NULL, 'M', NULL), ('E', 8, 'S', 5)"));
    CatalogueFournisseur::ImporterTaillesCatalogue(cnx());
    EXPECT_EQ(lignes(*c, QStringLiteral("Taille")), (QStringList{QString::number(t[0]), QString::number(t[1]),
                                                                 "99", "null", QString::number(t[2])}));
}

DORVANE_SUR_CHAQUE_BASE(CatalogueTaillesTest);

TEST(CatalogueFournisseur, ImagesCopieesSousLeurNomDansImage) {
    DossierProgrammeTemp dossier;
    auto c = creerCatalogue(dossier.chemin());
    c->executer(QStringLiteral("INSERT INTO article (REFBASE, \"Numéro\", Image) VALUES ('AB1', 1, 'AB1'), "
                               "('AB2', 2, 'AB2'), ('AB3', 3, 'AB3'), ('EV', 4, '../evade')"));
    const QString source = dossier.fichier(QStringLiteral("image/imagessalvendo/"));
    for (const QString& nom :
         {QStringLiteral("1/zoom_1.jpg"), QStringLiteral("2/ZOOM_1.JPG"), QStringLiteral("4/zoom_1.jpg")}) {
        QDir().mkpath(QFileInfo(source + nom).path());
        ecrireFichierTest(source + nom, nom.left(1).toUtf8());
    }
    ecrireFichierTest(dossier.fichier(QStringLiteral("image/AB1.jpg")), "ancienne");
    CatalogueFournisseur::ImageSalvendo();
    EXPECT_EQ(lire(dossier.fichier(QStringLiteral("image/AB1.jpg"))), QByteArray("1"));
    EXPECT_EQ(lire(dossier.fichier(QStringLiteral("image/AB2.jpg"))), QByteArray("2")); // any case
    EXPECT_FALSE(QFile::exists(dossier.fichier(QStringLiteral("image/AB3.jpg"))));
    EXPECT_FALSE(QFile::exists(dossier.fichier(QStringLiteral("evade.jpg"))));

    // A copy that cannot be made stops the run; what was copied before stays.
    QFile::remove(dossier.fichier(QStringLiteral("image/AB1.jpg")));
    QFile::remove(dossier.fichier(QStringLiteral("image/AB2.jpg")));
    QDir().mkpath(dossier.fichier(QStringLiteral("image/AB2.jpg"))); // a folder where the picture goes
    try {
        CatalogueFournisseur::ImageSalvendo();
        ADD_FAILURE() << "no error";
    } catch (const ErreurExecution& e) {
        EXPECT_EQ(e.numero(), ErreurExecution::PathFileAccess);
    }
    EXPECT_EQ(lire(dossier.fichier(QStringLiteral("image/AB1.jpg"))), QByteArray("1"));
}
