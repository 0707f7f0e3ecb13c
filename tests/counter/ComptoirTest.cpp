#include "BaseDeTest.h"

#include "counter/ArticlesComptoir.h"
#include "counter/SelectionSalarie.h"
#include "db/Recordset.h"

#include <gtest/gtest.h>

namespace {

QVariant nul() {
    return QVariant(QMetaType::fromType<QString>());
}

} // namespace

class ComptoirBase : public TestAvecBase {
protected:
    void article(qint64 reference, const QVariant& refFournisseur, const QVariant& designation) {
        cnx().executer(QStringLiteral("INSERT INTO ArticleEnStock (Reference, RefFournisseur, Designation) "
                                      "VALUES (?, ?, ?)"),
                       {reference, refFournisseur, designation});
    }
    void salarie(const QVariant& nom, const QVariant& badge) {
        cnx().executer(QStringLiteral("INSERT INTO Utilisateurs (Nom, NoBadge) VALUES (?, ?)"), {nom, badge});
    }
    static QString courant(const Recordset& rs, const char* champ) {
        return rs.Field(QLatin1String(champ)).toString();
    }
};

TEST(ArticlesComptoir, ItemsPadTheSupplierReferenceToTwentyOneCharacters) {
    using ArticlesComptoir::ElementCombo;
    EXPECT_EQ(ElementCombo(QStringLiteral("GT-0042"), QStringLiteral("Gants nitrile")),
              QStringLiteral("GT-0042 |--------------Gants nitrile"));
    EXPECT_EQ(ElementCombo(QStringLiteral("ABCDE"), QStringLiteral("x")),
              QStringLiteral("ABCDE |") + QString(16, u'-') + QStringLiteral("x"));
    EXPECT_EQ(ElementCombo(QString(20, u'R'), QStringLiteral("Casque")), QString(20, u'R') + " |-Casque");
    EXPECT_EQ(ElementCombo(QString(21, u'R'), QStringLiteral("Casque")), QString(21, u'R') + " |-Casque");
    EXPECT_EQ(ElementCombo(QString(60, u'R'), QString()), QString(60, u'R') + " |-");
    EXPECT_EQ(ElementCombo(QString(), QStringLiteral("Bottes")),
              QStringLiteral(" |") + QString(21, u'-') + "Bottes");
}

// The list in French supplier-reference order, Null references left out of both lists alike; the
// recordset then in Reference order on its first row, every article in it.
TEST_P(ComptoirBase, ArticlesListedBySupplierReferenceThenSearchedByReference) {
    article(300, QStringLiteral("GT-0042"), QStringLiteral("Gants nitrile"));
    article(100, nul(), QStringLiteral("Sans référence"));
    article(250, QStringLiteral("éponge"), nul());
    article(120, QStringLiteral("Ecran"), QStringLiteral("Écran facial"));
    article(900, QStringLiteral("ab"), QStringLiteral("Lunettes 'UV'"));
    article(50, QStringLiteral("zz"), QStringLiteral("Bouchons"));
    Recordset rs;
    const ArticlesComptoir::Liste l = ArticlesComptoir::ChargerArticles(cnx(), rs);
    EXPECT_EQ(l.elements,
              (QStringList{"ab |-------------------Lunettes 'UV'", "Ecran |----------------Écran facial",
                           "éponge |---------------", "GT-0042 |--------------Gants nitrile",
                           "zz |-------------------Bouchons"}));
    EXPECT_EQ(l.references, (QStringList{"900", "120", "250", "300", "50"}));
    ASSERT_EQ(rs.RecordCount(), 6);
    EXPECT_EQ(rs.AbsolutePosition(), 0);
    QStringList ordre;
    for (int i = 0; i < rs.RecordCount(); ++i)
        ordre << rs.ValueAt(i, rs.FieldIndex(QStringLiteral("Reference"))).toString();
    EXPECT_EQ(ordre, (QStringList{"50", "100", "120", "250", "300", "900"}));

    // Nothing at all: empty lists, an empty recordset.
    cnx().executer(QStringLiteral("DELETE FROM ArticleEnStock"));
    const ArticlesComptoir::Liste vide = ArticlesComptoir::ChargerArticles(cnx(), rs);
    EXPECT_TRUE(vide.elements.isEmpty());
    EXPECT_TRUE(vide.references.isEmpty());
    EXPECT_EQ(rs.RecordCount(), 0);
}

TEST_P(ComptoirBase, BadgeAndNameSearchesFromTheFirstRowWithTypedWildcardsOnly) {
    using SelectionSalarie::Resultat;
    salarie(QStringLiteral("BERTIN"), QStringLiteral("7A31C"));
    salarie(QStringLiteral("BERGER"), QStringLiteral("B'1"));
    salarie(QStringLiteral("O'NEIL"), QStringLiteral("50%"));
    salarie(QStringLiteral("DUPONT"), QStringLiteral("D2"));
    salarie(QStringLiteral("DUPONT"), QStringLiteral("D1"));
    salarie(nul(), QStringLiteral("SANS-NOM"));
    salarie(QStringLiteral("Zoé"), nul());
    Recordset rs;
    rs.Open(cnx(), QStringLiteral("GrUtilisateur order by Nom"));
    auto badge = [&](const QString& texte) { return SelectionSalarie::ChercherBadge(rs, texte); };
    auto nom = [&](const QString& texte) { return SelectionSalarie::ChercherNom(rs, texte); };

    rs.MoveLast();
    EXPECT_EQ(badge(QStringLiteral("7a31c")), Resultat::Exact);
    EXPECT_EQ(courant(rs, "Nom"), QStringLiteral("BERTIN"));
    // A prefix is nobody; the position is then past the last row.
    EXPECT_EQ(badge(QStringLiteral("7A31")), Resultat::Aucun);
    EXPECT_TRUE(rs.IsEOF());
    // Typed wildcards reach a badge without selecting it; quotes and "_" are characters.
    EXPECT_EQ(badge(QStringLiteral("7A3*")), Resultat::Approche);
    EXPECT_EQ(courant(rs, "NoBadge"), QStringLiteral("7A31C"));
    EXPECT_EQ(badge(QStringLiteral("%1")), Resultat::Approche);
    EXPECT_EQ(courant(rs, "NoBadge"), QStringLiteral("B'1"));
    EXPECT_EQ(badge(QStringLiteral("B'1")), Resultat::Exact);
    EXPECT_EQ(badge(QStringLiteral("B_1")), Resultat::Aucun);
    // A badge holding "%" is matched by the pattern, and equals the text: selected.
    EXPECT_EQ(badge(QStringLiteral("50%")), Resultat::Exact);
    EXPECT_EQ(badge(QString(250, u'9')), Resultat::Aucun);
    EXPECT_EQ(badge(QString()), Resultat::Aucun);

    // Names: the beginning, case ignored; the whole name is Exact; the first of two namesakes.
    EXPECT_EQ(nom(QStringLiteral("ber")), Resultat::Approche);
    EXPECT_EQ(courant(rs, "Nom"), QStringLiteral("BERGER"));
    EXPECT_EQ(nom(QStringLiteral("bertin")), Resultat::Exact);
    EXPECT_EQ(courant(rs, "NoBadge"), QStringLiteral("7A31C"));
    EXPECT_EQ(nom(QStringLiteral("O'N")), Resultat::Approche);
    EXPECT_EQ(courant(rs, "Nom"), QStringLiteral("O'NEIL"));
    EXPECT_EQ(nom(QStringLiteral("DUPONT")), Resultat::Exact);
    EXPECT_EQ(courant(rs, "NoBadge"), QStringLiteral("D2"));
    EXPECT_EQ(nom(QStringLiteral("*NEIL")), Resultat::Approche);
    EXPECT_EQ(courant(rs, "Nom"), QStringLiteral("O'NEIL"));
    EXPECT_EQ(nom(QStringLiteral("zoe")), Resultat::Aucun);
    EXPECT_EQ(nom(QStringLiteral("zzz")), Resultat::Aucun);
    // An empty box: the first employee who has a name.
    EXPECT_EQ(nom(QString()), Resultat::Approche);
    EXPECT_EQ(courant(rs, "Nom"), QStringLiteral("BERGER"));
    EXPECT_EQ(nom(QStringLiteral("%")), Resultat::Approche);
    EXPECT_EQ(courant(rs, "Nom"), QStringLiteral("BERGER"));
}

DORVANE_SUR_CHAQUE_BASE(ComptoirBase);
