#include "BaseDeTest.h"

#include "common/ErreurExecution.h"
#include "db/Recordset.h"
#include "db/Valeurs.h"
#include "stock/Tailles.h"

#include <QSqlQuery>
#include <gtest/gtest.h>

using Tailles::Suppression;

class TaillesTest : public TestAvecBase {
protected:
    void SetUp() override {
        TestAvecBase::SetUp();
        if (HasFatalFailure() || IsSkipped())
            return;
        F = Valeurs::lireEntier(cnx().valeurUnique(
            QStringLiteral("INSERT INTO Familles (NomFamille) VALUES ('GANTS') RETURNING NoFamille")));
    }
    qint64 taille(const QString& texte, int ordre, qint64 famille = -1) {
        return Valeurs::lireEntier(cnx().valeurUnique(
            QStringLiteral(
                "INSERT INTO Tailles (Taille, Ordre, NoFamille) VALUES (?, ?, ?) RETURNING NoTaille"),
            {texte, ordre, famille < 0 ? F : famille}));
    }
    // The family's list as the form shows it: "text:order" in its order.
    QStringList liste() {
        Recordset rs;
        Tailles::OuvrirTaillesFamille(rs, cnx(), F);
        QStringList l;
        for (; !rs.IsEOF(); rs.MoveNext())
            l << Valeurs::lireTexte(rs.Field(QStringLiteral("Taille"))) + u':' +
                     QString::number(Valeurs::lireEntier(rs.Field(QStringLiteral("Ordre"))));
        return l;
    }
    qint64 F = 0;
};

TEST_P(TaillesTest, AjoutRefuseLesDoublonsLitteralementEtPrendLOrdreSuivant) {
    ASSERT_TRUE(Tailles::AjouterTaille(cnx(), F, QStringLiteral("XL")).has_value());
    EXPECT_EQ(liste(), QStringList{"XL:1"});
    EXPECT_FALSE(Tailles::AjouterTaille(cnx(), F, QStringLiteral("XL")).has_value());
    EXPECT_FALSE(Tailles::AjouterTaille(cnx(), F, QStringLiteral("xl")).has_value());

    cnx().executer(QStringLiteral("DELETE FROM Tailles"));
    taille(QStringLiteral("S"), 1);
    taille(QStringLiteral("M"), 2);
    taille(QStringLiteral("D'ÉTÉ"), 5);
    // Quotes and letters beyond ASCII compare as the server would; wildcards are plain characters.
    EXPECT_FALSE(Tailles::AjouterTaille(cnx(), F, QStringLiteral("d'été")).has_value());
    EXPECT_FALSE(Tailles::TailleExiste(cnx(), F, QStringLiteral("d'ete")));
    EXPECT_FALSE(Tailles::TailleExiste(cnx(), F, QStringLiteral("_")));
    EXPECT_FALSE(Tailles::TailleExiste(cnx(), F, QStringLiteral("%")));
    ASSERT_TRUE(Tailles::AjouterTaille(cnx(), F, QStringLiteral("%")).has_value());
    EXPECT_EQ(liste(), (QStringList{"S:1", "M:2", "D'ÉTÉ:5", "%:6"}));
    // Another family has a list of its own.
    const qint64 autre = Valeurs::lireEntier(cnx().valeurUnique(
        QStringLiteral("INSERT INTO Familles (NomFamille) VALUES ('X') RETURNING NoFamille")));
    EXPECT_TRUE(Tailles::AjouterTaille(cnx(), autre, QStringLiteral("S")).has_value());

    EXPECT_THROW(Tailles::ModifierTaille(cnx(), 9999, QStringLiteral("Z")), ErreurExecution);
}

TEST_P(TaillesTest, SuppressionRefuseeTailleUniqueEtTaillesUtilisees) {
    const qint64 tu = taille(QStringLiteral("T.U."), 1);
    const qint64 deux = taille(QStringLiteral("2"), 2);
    const qint64 trois = taille(QStringLiteral("3"), 3);
    const qint64 article = taille(QStringLiteral("40"), 4);
    const qint64 chaussure = taille(QStringLiteral("41"), 5);
    const qint64 main = taille(QStringLiteral("8"), 6);
    cnx().executer(
        QStringLiteral("INSERT INTO ArticleEnStock (Reference, Designation, Taille) VALUES (1, 'A', ?)"),
        {article});
    cnx().executer(QStringLiteral("INSERT INTO Utilisateurs (NoBadge, TailleChaussure) VALUES ('B1', ?)"),
                   {chaussure});
    cnx().executer(QStringLiteral("INSERT INTO Utilisateurs (NoBadge, TailleMain) VALUES ('B2', ?)"), {main});

    EXPECT_EQ(Tailles::SupprimerTaille(cnx(), tu), Suppression::TailleUnique);
    EXPECT_EQ(Tailles::SupprimerTaille(cnx(), article), Suppression::Utilisee);
    EXPECT_EQ(Tailles::SupprimerTaille(cnx(), chaussure), Suppression::Utilisee);
    EXPECT_EQ(Tailles::SupprimerTaille(cnx(), main), Suppression::Utilisee);
    EXPECT_EQ(Tailles::SupprimerTaille(cnx(), deux), Suppression::Faite);
    EXPECT_EQ(liste(), (QStringList{"T.U.:1", "3:3", "40:4", "41:5", "8:6"}));
    EXPECT_FALSE(cnx().enTransaction());
    Q_UNUSED(trois);
}

TEST_P(TaillesTest, DeplacementEchangeAvecLeVoisinEtFaitLeTour) {
    taille(QStringLiteral("A"), 1);
    const qint64 b = taille(QStringLiteral("B"), 2);
    const qint64 c = taille(QStringLiteral("C"), 3);
    taille(QStringLiteral("Z"), 1,
           Valeurs::lireEntier(cnx().valeurUnique(
               QStringLiteral("INSERT INTO Familles (NomFamille) VALUES ('Y') RETURNING NoFamille"))));

    Tailles::DeplacerTaille(cnx(), c, Tailles::Sens::VersFin);
    EXPECT_EQ(liste(), (QStringList{"C:1", "B:2", "A:3"}));
    Tailles::DeplacerTaille(cnx(), c, Tailles::Sens::VersDebut);
    EXPECT_EQ(liste(), (QStringList{"A:1", "B:2", "C:3"}));
    Tailles::DeplacerTaille(cnx(), b, Tailles::Sens::VersDebut);
    EXPECT_EQ(liste(), (QStringList{"B:1", "A:2", "C:3"}));
    Tailles::DeplacerTaille(cnx(), b, Tailles::Sens::VersFin);
    EXPECT_EQ(liste(), (QStringList{"A:1", "B:2", "C:3"}));
    EXPECT_THROW(Tailles::DeplacerTaille(cnx(), 9999, Tailles::Sens::VersFin), ErreurExecution);
}

DORVANE_SUR_CHAQUE_BASE(TaillesTest);
