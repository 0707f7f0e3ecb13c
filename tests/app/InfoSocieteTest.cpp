#include "app/InfoSociete.h"

#include "common/ErreurExecution.h"
#include "db/Recordset.h"
#include "support/BaseDeTest.h"

#include <gtest/gtest.h>

namespace {

class InfoSocieteTest : public TestAvecBase {};

TEST_P(InfoSocieteTest, LectureEtEcritureParChamp) {
    cnx().executer(QStringLiteral("UPDATE InfoSociete SET NOM = ?, Tel = NULL, MotPasse = ?, AdEmail = NULL"),
                   {QStringLiteral("Kestavon"), QStringLiteral("Secret")});
    EnregistrementSociete s;
    s.charger(cnx());
    ASSERT_TRUE(s.estCharge());
    EXPECT_EQ(s.texte(QStringLiteral("nom")), QStringLiteral("Kestavon"));
    EXPECT_EQ(s.champ(QStringLiteral("MotPasse")).toString(), QStringLiteral("Secret"));
    EXPECT_TRUE(s.champ(QStringLiteral("Tel")).isNull());
    EXPECT_TRUE(s.champ(QStringLiteral("AdEmail")).isNull());
    EXPECT_EQ(s.texte(QStringLiteral("VD")).left(3), QStringLiteral("016"));

    // Only the named fields are written; an empty text stays an empty text, not Null.
    s.definirChamp(QStringLiteral("Tel"), QStringLiteral("01 23 45"));
    s.definirChamp(QStringLiteral("AdEmail"), QString());
    s.definirChamp(QStringLiteral("NOM"), QStringLiteral("Autre"));
    s.enregistrer(cnx(), {QStringLiteral("Tel"), QStringLiteral("AdEmail")});
    EXPECT_EQ(cnx().valeurUnique(QStringLiteral("SELECT Tel FROM InfoSociete")).toString(),
              QStringLiteral("01 23 45"));
    const QVariant ad = cnx().valeurUnique(QStringLiteral("SELECT AdEmail FROM InfoSociete"));
    EXPECT_FALSE(ad.isNull());
    EXPECT_EQ(ad.toString(), QString());
    EXPECT_EQ(cnx().valeurUnique(QStringLiteral("SELECT NOM FROM InfoSociete")).toString(),
              QStringLiteral("Kestavon"));

    // Then every field still changed.
    s.enregistrer(cnx());
    EXPECT_EQ(cnx().valeurUnique(QStringLiteral("SELECT NOM FROM InfoSociete")).toString(),
              QStringLiteral("Autre"));
    // An apostrophe is a value like any other.
    s.definirChamp(QStringLiteral("Ville"), QStringLiteral("L'Isle d'Abeau"));
    s.enregistrer(cnx());
    EXPECT_EQ(cnx().valeurUnique(QStringLiteral("SELECT Ville FROM InfoSociete")).toString(),
              QStringLiteral("L'Isle d'Abeau"));
}

TEST_P(InfoSocieteTest, TableVideEstUneErreur) {
    cnx().executer(QStringLiteral("DELETE FROM InfoSociete"));
    EnregistrementSociete s;
    EXPECT_THROW(s.charger(cnx()), ErreurExecution);
    EXPECT_FALSE(s.estCharge());
    EXPECT_THROW(s.enregistrer(cnx()), ErreurExecution);
}

// A write that fails keeps what was typed, for the next try.
TEST_P(InfoSocieteTest, UneEcritureRefuseeGardeLaSaisie) {
    EnregistrementSociete s;
    s.charger(cnx());
    s.definirChamp(QStringLiteral("NOM"), QStringLiteral("Talmer"));
    const auto autre = base().ouvrir();
    EXPECT_THROW(s.enregistrer(*autre), ErreurExecution);
    cnx().executer(QStringLiteral("DELETE FROM InfoSociete"));
    EXPECT_THROW(s.enregistrer(cnx()), ErreurExecution);
    EXPECT_EQ(s.texte(QStringLiteral("NOM")), QStringLiteral("Talmer"));
    EXPECT_FALSE(s.recordset()->EditMode());
}

DORVANE_SUR_CHAQUE_BASE(InfoSocieteTest);

} // namespace
