#include "BaseDeTest.h"

#include "db/Recordset.h"
#include "staff/FicheSalarie.h"
#include "staff/Salaries.h"

#include <gtest/gtest.h>

class FicheSalarieBase : public TestAvecBase {
protected:
    void salarie(const QVariant& nom, const QVariant& badge, const QVariant& matricule = QVariant()) {
        cnx().executer(
            QStringLiteral("INSERT INTO Utilisateurs (Nom, NoBadge, MatriculeSalarie) VALUES (?, ?, ?)"),
            {nom.isValid() ? nom : QVariant(QMetaType::fromType<QString>()),
             badge.isValid() ? badge : QVariant(QMetaType::fromType<QString>()),
             matricule.isValid() ? matricule : QVariant(QMetaType::fromType<QString>())});
    }
    static QStringList noms(const QList<FicheSalarie::Ligne>& l) {
        QStringList r;
        for (const auto& x : l)
            r << x.nom;
        return r;
    }
    static QStringList colonne(const Recordset& rs, const QString& champ) {
        QStringList r;
        for (int i = 0; i < rs.RecordCount(); ++i)
            r << rs.ValueAt(i, rs.FieldIndex(champ)).toString();
        return r;
    }
    QString courant(const Recordset& rs, const char* champ = "Nom") {
        return rs.Field(QLatin1String(champ)).toString();
    }
};

TEST_P(FicheSalarieBase, ListsByKeyOrOrderAndServicesOfTheSite) {
    Connexion& c = cnx();
    c.executer(QStringLiteral("INSERT INTO Sites (NomSite) VALUES ('Zinc'), ('Atelier')"));
    const qint64 zinc =
        c.valeurUnique(QStringLiteral("SELECT NoSite FROM Sites WHERE NomSite = 'Zinc'")).toLongLong();
    c.executer(QStringLiteral("INSERT INTO Services (NomService, Site) VALUES ('Quai', ?), ('Bureau', ?), "
                              "('Accueil', ?)"),
               {zinc, zinc, zinc + 1});
    c.executer(
        QStringLiteral("INSERT INTO Tailles (Taille, Ordre, NoFamille) VALUES ('XL', 4, 1), ('S', 1, 1), "
                       "('M', 2, 1), ('42', 1, 3)"));
    // Table order, not names; sizes by their order within the family.
    EXPECT_EQ(noms(FicheSalarie::sites(c)), (QStringList{"Zinc", "Atelier"}));
    EXPECT_EQ(FicheSalarie::sites(c).first().numero.toLongLong(), zinc);
    EXPECT_EQ(noms(FicheSalarie::tailles(c, 1)), (QStringList{"S", "M", "XL"}));
    EXPECT_EQ(noms(FicheSalarie::tailles(c, 3)), (QStringList{"42"}));
    EXPECT_EQ(noms(FicheSalarie::services(c, true, zinc)), (QStringList{"Quai", "Bureau"}));
    EXPECT_TRUE(FicheSalarie::services(c, true, zinc + 5).isEmpty());
    EXPECT_EQ(noms(FicheSalarie::services(c, false, 0)), (QStringList{"Quai", "Bureau", "Accueil"}));
    EXPECT_EQ(noms(FicheSalarie::profils(c)).size(), 3); // the three of a new database
}

TEST_P(FicheSalarieBase, SearchesTakeTheTextLiterallyButTypedWildcardsInBadgeMode) {
    salarie(QStringLiteral("Dupré"), QStringLiteral("1234"), QStringLiteral("M1"));
    salarie(QStringLiteral("A_B"), QStringLiteral("12"), QStringLiteral("m2"));
    salarie(QStringLiteral("AxB"), QStringLiteral("1_2"), QStringLiteral("M'3"));
    salarie(QVariant(), QStringLiteral("A%"), QVariant());
    Recordset rs;
    Salaries::OuvrirListe(cnx(), rs);
    rs.Sort(QStringLiteral("Nom"));
    auto filtrer = [&](const char* texte) {
        rs.Filter(FicheSalarie::filtreNom(rs, QString::fromUtf8(texte)));
        return colonne(rs, QStringLiteral("Nom"));
    };
    // Names: accents kept, "_" and "*" as typed, no surname never listed.
    EXPECT_EQ(filtrer("DUPRE"), QStringList());
    EXPECT_EQ(filtrer("dupré"), (QStringList{"Dupré"}));
    EXPECT_EQ(filtrer("a_"), (QStringList{"A_B"}));
    EXPECT_EQ(filtrer("*"), QStringList());
    EXPECT_EQ(filtrer("").size(), 3);
    rs.Filter(nullptr);

    // Badges and personnel numbers: the whole value, "*" and "%" typed as wildcards, "_" and quotes as
    // characters; French order puts punctuation before digits.
    rs.Sort(QStringLiteral("NoBadge"));
    ASSERT_EQ(colonne(rs, QStringLiteral("NoBadge")), (QStringList{"1_2", "12", "1234", "A%"}));
    rs.MoveFirst();
    EXPECT_TRUE(FicheSalarie::chercher(rs, FicheSalarie::ParBadge, QStringLiteral("%34")));
    EXPECT_EQ(courant(rs, "NoBadge"), QStringLiteral("1234"));
    rs.MoveFirst();
    EXPECT_FALSE(FicheSalarie::chercher(rs, FicheSalarie::ParBadge, QStringLiteral("1_")));
    EXPECT_EQ(courant(rs, "NoBadge"), QStringLiteral("1_2"));
    EXPECT_TRUE(FicheSalarie::chercher(rs, FicheSalarie::ParBadge, QStringLiteral("a*")));
    EXPECT_EQ(courant(rs, "NoBadge"), QStringLiteral("A%"));
    rs.MoveFirst();
    EXPECT_TRUE(FicheSalarie::chercher(rs, FicheSalarie::ParMatricule, QStringLiteral("m'3")));
    EXPECT_TRUE(FicheSalarie::chercher(rs, FicheSalarie::ParMatricule, QStringLiteral("M2")));
    EXPECT_EQ(courant(rs, "NoBadge"), QStringLiteral("12"));
    // The empty text matches no Null; an empty list does nothing.
    EXPECT_FALSE(FicheSalarie::chercher(rs, FicheSalarie::ParMatricule, QString()));
    EXPECT_EQ(courant(rs, "NoBadge"), QStringLiteral("12"));
    rs.Filter([](const LigneRecordset&) { return false; });
    EXPECT_FALSE(FicheSalarie::chercher(rs, FicheSalarie::ParBadge, QStringLiteral("12")));
}

DORVANE_SUR_CHAQUE_BASE(FicheSalarieBase);
