#include "common/Monnaie.h"
#include "common/EtatGlobal.h"

#include <gtest/gtest.h>

TEST(Monnaie, FrenchTextWithNoBreakSpacesAndTheStateSeparator) {
    EtatGlobal& g = Global();
    const QString separateur = g.SeparateurDecimal;
    g.SeparateurDecimal = QStringLiteral(",");
    const auto texte = [](double v) { return Monnaie::texteMonnaie(v); };
    EXPECT_EQ(texte(1234.5), QString::fromUtf8("1\u00a0234,50\u00a0€"));
    EXPECT_EQ(texte(-1234567.891), QString::fromUtf8("-1\u00a0234\u00a0567,89\u00a0€"));
    EXPECT_EQ(texte(999.999), QString::fromUtf8("1\u00a0000,00\u00a0€"));
    // Cents rounded half away from zero from the stored 4 decimals, whatever the binary value.
    EXPECT_EQ(texte(2.675), QString::fromUtf8("2,68\u00a0€"));
    EXPECT_EQ(texte(0.125), QString::fromUtf8("0,13\u00a0€"));
    EXPECT_EQ(texte(-0.004), QString::fromUtf8("0,00\u00a0€"));
    EXPECT_EQ(Monnaie::texteMonnaie(QVariant()), QString());
    EXPECT_EQ(Monnaie::texteMonnaie(QVariant(QStringLiteral("abc"))), QString());
    g.SeparateurDecimal = QStringLiteral(".");
    EXPECT_EQ(texte(1234.5), QString::fromUtf8("1\u00a0234.50\u00a0€"));
    g.SeparateurDecimal = separateur;
}
