#include "BaseDeTest.h"

#include "common/ErreurExecution.h"
#include "db/Recordset.h"
#include "stock/RechercheArticle.h"

#include <gtest/gtest.h>

using namespace RechercheArticle;

namespace {

class RechercheArticleTest : public TestAvecBase {};

} // namespace

TEST_P(RechercheArticleTest, ForwardFromTheCurrentRowAndLiteral) {
    // Reference, code, designation, supplier reference, bar code.
    const QVariantList lignes[] = {
        {1001, 1, "GANT NITRILE", "X_1", "3760000000011"}, {1002, 2, "CASQUE", "AB-8", QVariant()},
        {1003, 3, "GANT CUIR", "X*1", "3760111111111"},    {1004, 4, "O'NEIL LUNETTES", "A", QVariant()},
        {1005, 5, "500 BOUCHONS", "B", QVariant()},        {1006, 6, "50% COTON", "C", QVariant()},
        {1007, 7, "écran facial", QVariant(), QVariant()},
    };
    for (const QVariantList& l : lignes)
        cnx().executer(QStringLiteral("INSERT INTO ArticleEnStock (Reference, CodeArticle, Designation, "
                                      "RefFournisseur, CodeBar) VALUES (?, CAST(? AS INT), ?, ?, ?)"),
                       l);
    Recordset rs;
    rs.Open(cnx(), QStringLiteral("StockGlobal order by Reference"));
    // The reference shown after a search from `depuis` (0: from the current row); 0 when nothing matched.
    auto trouve = [&rs](qint64 depuis, int mode, const char* texte, bool codeBarre = false) {
        if (depuis)
            rs.Find(QStringLiteral("Reference"), Recordset::Comparaison::Egal, depuis,
                    Recordset::Depart::Premier);
        return chercher(rs, mode, codeBarre, QString::fromUtf8(texte))
                   ? rs.Field(QStringLiteral("Reference")).toLongLong()
                   : 0;
    };
    EXPECT_EQ(trouve(1002, ParDesignation, "gan"), 1003);
    EXPECT_EQ(trouve(1001, ParDesignation, "ÉCR"), 1007) << "every letter folded";
    EXPECT_EQ(trouve(1001, ParDesignation, "ecr"), 0) << "accents kept";
    // Typed characters match themselves only: quotes, "%", "_" and "*".
    EXPECT_EQ(trouve(1001, ParDesignation, "o'neil"), 1004);
    EXPECT_EQ(trouve(1001, ParDesignation, "50%"), 1006);
    EXPECT_EQ(trouve(1002, ParRefFournisseur, "x_"), 0);
    EXPECT_EQ(trouve(1002, ParRefFournisseur, "x*"), 1003);
    // Numbers are equal, not begun with; a text that is no number fails before the list moves.
    EXPECT_EQ(trouve(1001, ParReference, "100"), 0);
    EXPECT_EQ(trouve(1001, ParCodeArticle, "6"), 1006);
    EXPECT_THROW(chercher(rs, ParCodeArticle, false, QStringLiteral("6a")), ErreurExecution);
    EXPECT_EQ(rs.Field(QStringLiteral("Reference")).toLongLong(), 1006);
    // A bar code whatever the mode, its "@" left out.
    EXPECT_EQ(trouve(1002, ParReference, "@3760", true), 1003);
    rs.Close();
}

DORVANE_SUR_CHAQUE_BASE(RechercheArticleTest);
