#include "BaseDeTest.h"

#include "db/Valeurs.h"
#include "stock/CodesArticles.h"

#include <QSqlQuery>
#include <gtest/gtest.h>

using namespace CodesArticles;

class CodesArticlesTest : public TestAvecBase {
protected:
    void article(qint64 reference, const QVariant& code) {
        cnx().executer(QStringLiteral("INSERT INTO ArticleEnStock (Reference, Designation, CodeArticle) "
                                      "VALUES (?, 'ARTICLE', CAST(? AS INT))"),
                       {reference, code});
    }
    QVariant codeDe(qint64 reference) {
        return cnx().valeurUnique(
            QStringLiteral("SELECT CodeArticle FROM ArticleEnStock WHERE Reference = ?"), {reference});
    }
    QList<qint64> pool() {
        QList<qint64> codes;
        QSqlQuery q =
            cnx().executer(QStringLiteral("SELECT CodeArticle FROM CodeArticle ORDER BY CodeArticle"));
        while (q.next())
            codes << q.value(0).toLongLong();
        return codes;
    }
};

TEST(CodesArticles, CountTypedInTheCreationBox) {
    EXPECT_EQ(lireNombreCodes(QStringLiteral("5")), 5);
    EXPECT_EQ(lireNombreCodes(QStringLiteral(" 50000 ")), 50000);
    EXPECT_EQ(lireNombreCodes(QStringLiteral("0")), 0);
    for (const char* refuse : {"50001", "", "A", "12a", "1e9", "inf"})
        EXPECT_FALSE(lireNombreCodes(QString::fromLatin1(refuse)).has_value()) << refuse;
}

TEST_P(CodesArticlesTest, CodesOneToNAreCreatedOnceAndFreeCodesFollowTheArticles) {
    cnx().executer(QStringLiteral("INSERT INTO CodeArticle (CodeArticle, Reference) VALUES (3, 1003)"));
    EXPECT_EQ(creerCodes(cnx(), 5), 4);
    EXPECT_EQ(pool(), (QList<qint64>{1, 2, 3, 4, 5}));
    EXPECT_EQ(creerCodes(cnx(), 5), 0) << "the second time adds nothing";
    EXPECT_EQ(creerCodes(cnx(), 0), 0);
    EXPECT_EQ(cnx()
                  .valeurUnique(QStringLiteral("SELECT Reference FROM CodeArticle WHERE CodeArticle = 3"))
                  .toLongLong(),
              1003)
        << "an existing code stays as it was";

    article(1001, 2);
    article(1002, 4);
    article(1003, QVariant());
    EXPECT_EQ(codesLibres(cnx()), (QList<qint64>{1, 3, 5}));

    EXPECT_TRUE(libererCode(cnx(), 1002));
    EXPECT_TRUE(codeDe(1002).isNull());
    EXPECT_EQ(codesLibres(cnx()), (QList<qint64>{1, 3, 4, 5}));
    EXPECT_FALSE(libererCode(cnx(), 1002)) << "no code left to release";
    EXPECT_FALSE(libererCode(cnx(), 999));

    // The largest count in one go.
    EXPECT_EQ(creerCodes(cnx(), MaximumCodes), MaximumCodes - 5);
    EXPECT_EQ(Valeurs::lireEntier(cnx().valeurUnique(QStringLiteral("SELECT COUNT(*) FROM CodeArticle"))),
              MaximumCodes);
}

TEST_P(CodesArticlesTest, AnArticleWithoutCodeGetsItsReferenceUnlessAnotherArticleCarriesIt) {
    EXPECT_FALSE(attribuerCodeArticleVierge(cnx()).has_value()) << "no article";
    article(1000, QVariant());
    article(1001, 1000); // carries the reference of the first as its code
    article(1002, QVariant());
    article(1003, QVariant());
    cnx().executer(QStringLiteral("INSERT INTO CodeArticle (CodeArticle) VALUES (1003)"));

    EXPECT_EQ(attribuerCodeArticleVierge(cnx()), 1002);
    EXPECT_TRUE(codeDe(1000).isNull()) << "two articles would answer to code 1000";
    EXPECT_EQ(codeDe(1002).toLongLong(), 1002);
    EXPECT_EQ(attribuerCodeArticleVierge(cnx()), 1003) << "one article per call";
    EXPECT_EQ(pool(), (QList<qint64>{1002, 1003})) << "the pool row is added once";
    EXPECT_FALSE(attribuerCodeArticleVierge(cnx()).has_value());
    EXPECT_TRUE(codeDe(1000).isNull());
}

DORVANE_SUR_CHAQUE_BASE(CodesArticlesTest);
