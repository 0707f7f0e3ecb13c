#include "BaseDeTest.h"

#include "db/Recordset.h"
#include "db/Routines.h"
#include "staff/Badges.h"

#include <gtest/gtest.h>

class BadgesBase : public TestAvecBase {};

// Every letter folded, accents kept, every other character literal, whether the badge index answers
// (plain ASCII) or the layer's LIKE does: the look-up and the ownership checks agree.
TEST_P(BadgesBase, BadgesCompareLiterallyWithoutCase) {
    const QString long250 = QString(249, u'x') + u'%';
    // KELVIN SIGN folds to "k", which SQLite's own equality cannot see.
    for (const QString& b : {QStringLiteral("AB12"), QStringLiteral("A\\B'%"), QStringLiteral("KÉ_9"),
                             QStringLiteral("\u212A7"), long250, QStringLiteral("ab12")})
        cnx().executer(QStringLiteral("INSERT INTO Utilisateurs (NoBadge, Nom, Prenom) VALUES (?, ?, 'Zoé')"),
                       {b, QStringLiteral("N-") + b.left(4)});
    cnx().executer(QStringLiteral("INSERT INTO BadgeMaintenance (NoBadge) VALUES ('MAINT-1')"));
    auto trouves = [&](const QString& badge) {
        Recordset rs;
        Routines::BadgeIndentifie(cnx(), badge, rs);
        return rs.RecordCount() ? rs.Field(QStringLiteral("NOM")).toString() : QString::number(0);
    };
    EXPECT_EQ(trouves(QStringLiteral("aB12")), QStringLiteral("N-AB12"));
    EXPECT_EQ(trouves(QStringLiteral("a\\b'%")), QStringLiteral("N-A\\B'"));
    for (const QString& b : {QStringLiteral("ké_9"), QStringLiteral("k7"), long250.toUpper()})
        EXPECT_NE(trouves(b), QStringLiteral("0")) << b.toStdString();
    for (const char* rien : {"AB%", "AB_2", "ab1", "KE_9", "A\\\\B'%", "", "xx"})
        EXPECT_EQ(trouves(QString::fromUtf8(rien)), QStringLiteral("0")) << rien;

    EXPECT_TRUE(Badges::EstBadgeMaintenance(cnx(), QStringLiteral("maint-1")));
    EXPECT_FALSE(Badges::EstBadgeMaintenance(cnx(), QStringLiteral("MAINT-%")));
    // Inside the saver's transaction; the row being saved is left out.
    TransactionEcriture t(cnx());
    const auto premier = Badges::TitulaireBadge(cnx(), QStringLiteral("AB12"));
    ASSERT_TRUE(premier);
    EXPECT_EQ(premier->nom + premier->prenom, QStringLiteral("N-AB12Zoé"));
    const auto second = Badges::TitulaireBadge(cnx(), QStringLiteral("AB12"), premier->idUtilisateur);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->nom, QStringLiteral("N-ab12"));
    cnx().executer(QStringLiteral("DELETE FROM Utilisateurs WHERE IdUtilisateur = ?"),
                   {second->idUtilisateur});
    EXPECT_FALSE(Badges::TitulaireBadge(cnx(), QStringLiteral("aB12"), premier->idUtilisateur));
    EXPECT_FALSE(Badges::TitulaireBadge(cnx(), QStringLiteral("AB_2")));
}

DORVANE_SUR_CHAQUE_BASE(BadgesBase);
