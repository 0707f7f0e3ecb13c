#include "BaseDeTest.h"

#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "db/Valeurs.h"
#include "stock/CarteArticle.h"
#include "stock/EditionArticle.h"

#include <gtest/gtest.h>

using namespace EditionArticle;

namespace {

class EditionArticleTest : public TestAvecBase {
protected:
    void article(qint64 reference, const QVariant& code) {
        cnx().executer(
            QStringLiteral("INSERT INTO ArticleEnStock (Reference, Designation, CodeArticle) VALUES "
                           "(?, 'ANCIEN', CAST(? AS INT))"),
            {reference, code});
    }
    QVariant valeur(const QString& sql) { return cnx().valeurUnique(sql); }
};

FicheArticle fiche(qint64 reference, const QString& designation) {
    FicheArticle f;
    f.reference = reference;
    f.designation = designation;
    return f;
}

} // namespace

TEST(EditionArticle, TypedNumbersAndRecomputedPrices) {
    EXPECT_EQ(lireEntier(QStringLiteral("-12"), -20, 20).valeur, -12);
    for (const char* refuse : {"12a", "--1", "1-", "2,5", "-"})
        EXPECT_EQ(lireEntier(QString::fromLatin1(refuse), -20, 20).etat, EtatSaisie::PasUnNombre) << refuse;
    EXPECT_EQ(lireEntier(QStringLiteral("2147483648"), 0, 2147483647).etat, EtatSaisie::HorsLimites);
    EXPECT_EQ(lireEntier(QStringLiteral("99999999999999999999"), 0, 9).etat, EtatSaisie::HorsLimites);
    EXPECT_DOUBLE_EQ(lireMontant(QStringLiteral("12.5")).valeur, 12.5);
    EXPECT_DOUBLE_EQ(lireMontant(QStringLiteral("-,5")).valeur, -0.5);
    for (const char* refuse : {"1,2,3", "1e5", ",", "1 000"})
        EXPECT_EQ(lireMontant(QString::fromLatin1(refuse)).etat, EtatSaisie::PasUnNombre) << refuse;
    EXPECT_EQ(lireMontant(QStringLiteral("1000000000000000")).etat, EtatSaisie::HorsLimites);

    // Rounded to the cent; a step without operand is skipped and the next one runs.
    using CarteArticle::BoxQuittee;
    CarteArticle::Prix p = CarteArticle::prixApresSaisie(BoxQuittee::PrixPaquet, QString(),
                                                         QStringLiteral("12,504"), QStringLiteral("3"));
    EXPECT_EQ(p.paquet, QStringLiteral("12,5"));
    EXPECT_EQ(p.unitaire, QStringLiteral("4,17"));
    p = CarteArticle::prixApresSaisie(BoxQuittee::PrixPaquet, QString(), QStringLiteral("10"),
                                      QStringLiteral("0"));
    EXPECT_EQ(p.paquet, QStringLiteral("10"));
    EXPECT_FALSE(p.unitaire);
}

TEST_P(EditionArticleTest, SavesNumbersAndRemovals) {
    article(1001, 5);
    article(1002, QVariant());
    cnx().executer(
        QStringLiteral("INSERT INTO ConfigMachines (NoMachine, Etage, ReferenceArticle, CodeArticle, "
                       "Designation) VALUES (1, 1, 1002, 0, 'ANCIEN')"));
    // The GSM version keeps the machines' own designations.
    ASSERT_EQ(enregistrerArticle(cnx(), 1002, fiche(1002, QStringLiteral("B")), true), Enregistrement::Fait);
    EXPECT_EQ(valeur(QStringLiteral("SELECT Designation FROM ConfigMachines")).toString(),
              QStringLiteral("ANCIEN"));
    // Without a chosen code the reference becomes the code, and joins the pool once.
    ASSERT_EQ(enregistrerArticle(cnx(), 1002, fiche(1002, QStringLiteral("B")), false), Enregistrement::Fait);
    EXPECT_EQ(
        valeur(QStringLiteral("SELECT CodeArticle FROM ArticleEnStock WHERE Reference = 1002")).toLongLong(),
        1002);
    EXPECT_EQ(valeur(QStringLiteral("SELECT CodeArticle FROM ConfigMachines")).toLongLong(), 1002);
    EXPECT_EQ(Valeurs::lireEntier(
                  valeur(QStringLiteral("SELECT COUNT(*) FROM CodeArticle WHERE CodeArticle = 1002"))),
              1);
    // An article deleted meanwhile: nothing written, its slots untouched.
    EXPECT_EQ(enregistrerArticle(cnx(), 999, fiche(1002, QStringLiteral("C")), false),
              Enregistrement::ArticleAbsent);
    EXPECT_EQ(valeur(QStringLiteral("SELECT Designation FROM ConfigMachines")).toString(),
              QStringLiteral("B"));

    EXPECT_THROW(enregistrerChamp(cnx(), 1001, QStringLiteral("CodeBar = NULL, Designation"), 1),
                 ErreurExecution);
    EXPECT_FALSE(enregistrerChamp(cnx(), 4321, QStringLiteral("CodeBar"), QStringLiteral("1")));
    EXPECT_FALSE(supprimerArticle(cnx(), 4321, QVariant()));

    cnx().executer(QStringLiteral("DELETE FROM ArticleEnStock"));
    article(0, QVariant());
    EXPECT_EQ(ajouterArticle(cnx(), QDate(2026, 3, 14)), 1000) << "a largest reference of 0";
}

TEST_P(EditionArticleTest, ACodeTakenMeanwhileIsRefused) {
    article(1001, QVariant());
    article(1002, 7);
    // Code 7 was free when the card offered it; another workstation gave it meanwhile.
    FicheArticle f = fiche(1001, QStringLiteral("A"));
    f.codeArticle = 7;
    EXPECT_EQ(enregistrerArticle(cnx(), 1001, f, false), Enregistrement::CodePris);
    EXPECT_EQ(
        valeur(QStringLiteral("SELECT Designation FROM ArticleEnStock WHERE Reference = 1001")).toString(),
        QStringLiteral("ANCIEN"))
        << "nothing written";
    // Nor may the reference become another article's code; an article keeping its code is saved.
    cnx().executer(QStringLiteral("UPDATE ArticleEnStock SET CodeArticle = 1001 WHERE Reference = 1002"));
    EXPECT_EQ(enregistrerArticle(cnx(), 1001, fiche(1001, QStringLiteral("A")), false),
              Enregistrement::CodePris);
    cnx().executer(QStringLiteral("UPDATE ArticleEnStock SET CodeArticle = 1001"));
    EXPECT_EQ(enregistrerArticle(cnx(), 1001, fiche(1001, QStringLiteral("A")), false), Enregistrement::Fait);
}

DORVANE_SUR_CHAQUE_BASE(EditionArticleTest);
