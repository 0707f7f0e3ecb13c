#include "BaseDeTest.h"
#include "DossierProgrammeTemp.h"

#include "common/ErreurExecution.h"
#include "db/Valeurs.h"
#include "stock/Fournisseurs.h"

#include <QFile>
#include <QSqlQuery>
#include <gtest/gtest.h>

class FournisseursTest : public TestAvecBase {
protected:
    qint64 fournisseur(const QString& code) {
        return Valeurs::lireEntier(cnx().valeurUnique(
            QStringLiteral("INSERT INTO Fournisseur (No, CodeFournisseur) VALUES (1, ?) RETURNING Nauto"),
            {code}));
    }
    // "No|CodeFournisseur|Societe" ("null" for Null), "" when the supplier does not exist.
    QString ligne(qint64 nauto) {
        QSqlQuery q = cnx().executer(
            QStringLiteral("SELECT No, CodeFournisseur, Societe FROM Fournisseur WHERE Nauto = ?"), {nauto});
        if (!q.next())
            return QString();
        QStringList l;
        for (int i = 0; i < 3; ++i)
            l << (q.value(i).isNull() ? QStringLiteral("null") : q.value(i).toString());
        return l.join(u'|');
    }
};

TEST_P(FournisseursTest, AjoutParLeCompteurDeLaBaseCodeUniqueSansCasseEtLitteral) {
    // The counter is at 7: rows 6 and 7 were deleted, row 5 is a creation that did not finish.
    qint64 n[8] = {};
    for (int i = 1; i <= 7; ++i)
        n[i] = fournisseur(QStringLiteral("F%1").arg(i));
    cnx().executer(QStringLiteral("DELETE FROM Fournisseur WHERE Nauto IN (?, ?)"), {n[6], n[7]});
    cnx().executer(QStringLiteral("UPDATE Fournisseur SET No = 0 WHERE Nauto = ?"), {n[5]});
    const std::optional<qint64> nouveau = Fournisseurs::AjouterFournisseur(cnx());
    ASSERT_EQ(nouveau, n[7] + 1);
    EXPECT_EQ(ligne(*nouveau), QStringLiteral("%1|%1|null").arg(*nouveau));
    EXPECT_TRUE(ligne(n[5]).isEmpty());

    // The next number is another supplier's code: refused, nothing left, the one after given next time.
    using E = Fournisseurs::Enregistrement;
    const QString suivant = QString::number(*nouveau + 1);
    ASSERT_EQ(Fournisseurs::ModifierFournisseur(cnx(), n[1], {{QStringLiteral("CodeFournisseur"), suivant}}),
              E::Fait);
    EXPECT_FALSE(Fournisseurs::AjouterFournisseur(cnx()).has_value());
    EXPECT_TRUE(ligne(*nouveau + 1).isEmpty());
    EXPECT_EQ(Fournisseurs::AjouterFournisseur(cnx()), *nouveau + 2);

    // Accented capitals too (the SQLite column folds ASCII only); nothing of a refused write stays.
    ASSERT_EQ(Fournisseurs::ModifierFournisseur(cnx(), n[1], {{QStringLiteral("CodeFournisseur"), "ÉTOILE"}}),
              E::Fait);
    EXPECT_EQ(Fournisseurs::ModifierFournisseur(
                  cnx(), n[2],
                  {{QStringLiteral("Societe"), "GAMMA"}, {QStringLiteral("CodeFournisseur"), "étoile"}}),
              E::CodeExistant);
    EXPECT_EQ(ligne(n[2]), QStringLiteral("1|F2|null"));
    // Its own code in other capitals; a quote as typed.
    EXPECT_EQ(Fournisseurs::ModifierFournisseur(cnx(), n[1], {{QStringLiteral("CodeFournisseur"), "L'A"}}),
              E::Fait);
    EXPECT_EQ(Fournisseurs::ModifierFournisseur(cnx(), n[1], {{QStringLiteral("CodeFournisseur"), "l'a"}}),
              E::Fait);
    EXPECT_EQ(Fournisseurs::ModifierFournisseur(cnx(), n[3], {{QStringLiteral("CodeFournisseur"), "L'A"}}),
              E::CodeExistant);
    EXPECT_THROW(Fournisseurs::ModifierFournisseur(cnx(), 9999, {{QStringLiteral("Tel"), "1"}}),
                 ErreurExecution);
    EXPECT_FALSE(cnx().enTransaction());
    Fournisseurs::SupprimerFournisseur(cnx(), n[2]);
    EXPECT_TRUE(ligne(n[2]).isEmpty());
}

DORVANE_SUR_CHAQUE_BASE(FournisseursTest);

// A file converted from a numeric column holds 1000 for "01000"; its name's case is Windows'.
TEST(CodesPostaux, CodeNumeriqueLuAvecSesZeros) {
    DossierProgrammeTemp dossier;
    ASSERT_TRUE(QFile::remove(dossier.fichier(QStringLiteral("CP.MDB"))));
    EXPECT_EQ(Fournisseurs::OuvrirCodesPostaux(), nullptr);
    {
        ParametresConnexion p;
        p.fichier = dossier.fichier(QStringLiteral("cp.mdb"));
        p.creer = true;
        Connexion cp(p);
        cp.executer(QStringLiteral("CREATE TABLE CodesPostaux (CodePostal INTEGER, Localite varchar(100))"));
        cp.executer(QStringLiteral("INSERT INTO CodesPostaux VALUES (1000, 'BOURG'), (75001, 'PARIS')"));
    }
    auto cp = Fournisseurs::OuvrirCodesPostaux();
    ASSERT_NE(cp, nullptr);
    EXPECT_EQ(Fournisseurs::ChercherLocalite(*cp, QStringLiteral("01000")), QStringLiteral("BOURG"));
    EXPECT_EQ(Fournisseurs::ChercherLocalite(*cp, QStringLiteral("75001")), QStringLiteral("PARIS"));
    EXPECT_EQ(Fournisseurs::ChercherLocalite(*cp, QStringLiteral("75002")), QString());
}
