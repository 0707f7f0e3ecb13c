#include "BaseDeTest.h"

#include "app/MiseAJourBase.h"
#include "common/EtatGlobal.h"
#include "db/Connexion.h"
#include "db/Recordset.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace MiseAJourBase;

TEST(MiseAJourBase, VersionIsTheFirstThreeCharactersWhenNumeric) {
    EXPECT_EQ(versionDepuisVD(QStringLiteral("000-rev2")), 0);
    EXPECT_EQ(versionDepuisVD(QStringLiteral("012")), 12);
    EXPECT_EQ(versionDepuisVD(QStringLiteral("016")), 16);
    EXPECT_EQ(versionDepuisVD(QStringLiteral(" 7")), 7);
    EXPECT_FALSE(versionDepuisVD(QStringLiteral(" 7x")).has_value());
    EXPECT_EQ(versionDepuisVD(QStringLiteral("-12")), -12);
    EXPECT_FALSE(versionDepuisVD(QStringLiteral("A12")).has_value());
    EXPECT_FALSE(versionDepuisVD(QStringLiteral("1.5")).has_value());
    EXPECT_FALSE(versionDepuisVD(QStringLiteral("+")).has_value());
    EXPECT_FALSE(versionDepuisVD(QString()).has_value());
    EXPECT_EQ(vdApresMigration(QStringLiteral("000-rev2")), QStringLiteral("001-rev2"));
    EXPECT_EQ(vdApresMigration(QString()), QStringLiteral("001"));
}

class MiseAJourBaseBase : public TestAvecBase {
protected:
    QStringList profils() {
        Recordset rs;
        rs.Open(cnx(), QStringLiteral("SELECT Profile FROM ProfileQuota ORDER BY NoQuota"));
        QStringList r;
        for (rs.MoveFirst(); !rs.IsEOF(); rs.MoveNext())
            r << rs.Field(0).toString();
        return r;
    }
};

TEST_P(MiseAJourBaseBase, SystemProfilesAreAddedOnlyWhenMissing) {
    cnx().executer(QStringLiteral("DELETE FROM ProfileQuota"));
    FixerQuotaTOUS(cnx());
    EXPECT_EQ(profils(), QStringList({"ILLIMITÉ"}));
    const qint64 illimite =
        cnx().valeurUnique(QStringLiteral("SELECT NoQuota FROM ProfileQuota")).toLongLong();
    EXPECT_EQ(Global().NoProfilIllimite, illimite);

    FixerQuotaTOUS(cnx());
    EXPECT_EQ(profils(), QStringList({"ILLIMITÉ", "QUOTAS GENERAL", "CHEF"}));
    EXPECT_EQ(Global().NoProfilIllimite, illimite);
    EXPECT_EQ(Global().NoProfilChef,
              cnx()
                  .valeurUnique(QStringLiteral("SELECT NoQuota FROM ProfileQuota WHERE Profile = ?"),
                                {QStringLiteral("CHEF")})
                  .toLongLong());
    FixerQuotaTOUS(cnx());
    EXPECT_EQ(profils().size(), 3);

    // A profile without the accent satisfies the first search.
    cnx().executer(QStringLiteral("DELETE FROM ProfileQuota"));
    cnx().executer(QStringLiteral("INSERT INTO ProfileQuota (Profile) VALUES (?)"),
                   {QStringLiteral("Illimite")});
    FixerQuotaTOUS(cnx());
    EXPECT_EQ(profils(), QStringList({"Illimite", "QUOTAS GENERAL", "CHEF"}));
}

TEST_P(MiseAJourBaseBase, VersionZeroRewritesTheLayoutNumber) {
    cnx().executer(QStringLiteral("UPDATE InfoSociete SET VD = ?"), {QStringLiteral("000-rev2")});
    CreerProcedureEtatCA(cnx(), 0);
    EXPECT_EQ(cnx().valeurUnique(QStringLiteral("SELECT VD FROM InfoSociete")).toString(),
              QStringLiteral("001-rev2"));
    cnx().executer(QStringLiteral("UPDATE InfoSociete SET VD = ?"), {QStringLiteral("012")});
    CreerProcedureEtatCA(cnx(), 12);
    EXPECT_EQ(cnx().valeurUnique(QStringLiteral("SELECT VD FROM InfoSociete")).toString(),
              QStringLiteral("012"));
    // Through the main window's recordset.
    cnx().executer(QStringLiteral("UPDATE InfoSociete SET VD = ?"), {QStringLiteral("000")});
    Recordset societe;
    societe.Open(cnx(), QStringLiteral("InfoSociete"));
    CreerProcedureEtatCA(cnx(), 0, &societe);
    EXPECT_EQ(societe.Field(QStringLiteral("VD")).toString(), QStringLiteral("001"));
    EXPECT_EQ(cnx().valeurUnique(QStringLiteral("SELECT VD FROM InfoSociete")).toString(),
              QStringLiteral("001"));
}

TEST_P(MiseAJourBaseBase, PicturesMigrateOnceByLiteralName) {
    QTemporaryDir images;
    auto ecrire = [&](const QString& nom, const QByteArray& octets) {
        QFile f(QDir(images.path()).filePath(nom));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(octets);
    };
    ecrire(QStringLiteral("gant.jpg"), QByteArray("\xFF\xD8gant", 6));
    ecrire(QStringLiteral("O'Neil 50%.JPG"), QByteArray("\xFF\xD8oneil", 7));
    Global().CheminImage = images.path();
    int reference = 0;
    for (const char* image : {"gant", "gant", "O'Neil 50%", "absent", "gan_"})
        cnx().executer(QStringLiteral("INSERT INTO ArticleEnStock (Reference, Image) VALUES (?, ?)"),
                       {++reference, QString::fromUtf8(image)});
    Global().ImagesEnBase = false;
    MigrerImagesEnBase(cnx());
    EXPECT_TRUE(Global().ImagesEnBase);
    Recordset rs;
    rs.Open(cnx(), QStringLiteral("SELECT RefImage, Picture FROM ImageProduit ORDER BY RefImage"));
    ASSERT_EQ(rs.RecordCount(), 2);
    EXPECT_EQ(rs.Field(0).toString(), QStringLiteral("gant"));
    rs.MoveNext();
    EXPECT_EQ(rs.Field(0).toString(), QStringLiteral("O'Neil 50%"));
    EXPECT_EQ(rs.Field(1).toByteArray(), QByteArray("\xFF\xD8oneil", 7));

    // Once the table holds a picture, nothing runs again.
    ecrire(QStringLiteral("absent.jpg"), QByteArray("x"));
    MigrerImagesEnBase(cnx());
    EXPECT_EQ(cnx().valeurUnique(QStringLiteral("SELECT COUNT(*) FROM ImageProduit")).toLongLong(), 2);
}

TEST_P(MiseAJourBaseBase, MigrationFlagsAndPrimaryKeyCheck) {
    QTemporaryDir vide;
    Global().CheminImage = vide.path();
    cnx().executer(QStringLiteral("INSERT INTO ArticleEnStock (Reference, Image) VALUES (?, ?)"),
                   {1, QStringLiteral("rien")});
    MigrerImagesEnBase(cnx());
    EXPECT_TRUE(Global().ImagesEnBase);
    // Without a picture folder nothing is read, not even from the working folder.
    QTemporaryDir courant;
    QFile leurre(QDir(courant.path()).filePath(QStringLiteral("rien.jpg")));
    ASSERT_TRUE(leurre.open(QIODevice::WriteOnly));
    leurre.write("x");
    leurre.close();
    const QString avant = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(courant.path()));
    Global().CheminImage.clear();
    MigrerImagesEnBase(cnx());
    QDir::setCurrent(avant);
    EXPECT_TRUE(Global().ImagesEnBase);
    EXPECT_EQ(cnx().valeurUnique(QStringLiteral("SELECT COUNT(*) FROM ImageProduit")).toLongLong(), 0);

    cnx().executer(QStringLiteral("DROP TABLE ImageProduit"));
    MigrerImagesEnBase(cnx());
    EXPECT_FALSE(Global().ImagesEnBase);

    Global().CodeArticleSansCle = true;
    VerifierClePrimaireCodeArticle(cnx());
    EXPECT_FALSE(Global().CodeArticleSansCle);
    cnx().executer(QStringLiteral("DROP TABLE CodeArticle"));
    cnx().executer(QStringLiteral("CREATE TABLE CodeArticle (CodeArticle INTEGER, Reference BIGINT)"));
    VerifierClePrimaireCodeArticle(cnx());
    EXPECT_TRUE(Global().CodeArticleSansCle);
}

DORVANE_SUR_CHAQUE_BASE(MiseAJourBaseBase);
