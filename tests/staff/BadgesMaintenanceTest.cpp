#include "BaseDeTest.h"

#include "common/ErreurExecution.h"
#include "db/Recordset.h"
#include "db/Valeurs.h"
#include "staff/BadgesMaintenance.h"

#include <gtest/gtest.h>

using BadgesMaintenance::Resultat;

TEST(BadgesMaintenanceNumero, BarCodeBadgesArePaddedAndCheckedOtherReadersTakeTheText) {
    struct Cas {
        const char* texte;
        int type;
        const char* badge; // nullptr: nothing to add
        const char* boite;
    };
    const Cas cas[] = {
        {"", 1, nullptr, nullptr},
        {"ab'%", 1, "ab'%", "ab'%"},
        {"0A1B2C", 6, "0A1B2C", "0A1B2C"},
        {"42", 3, "0000000000420", "000000000042"},
        // A stored number shown whole stands as it is; numbers of another reader reach no check digit.
        {"0000000001236", 3, "0000000001236", "0000000001236"},
        {"4A", 3, nullptr, nullptr},
        {"-12", 3, nullptr, nullptr},
        {"12345678901234", 3, nullptr, nullptr},
    };
    for (const Cas& c : cas) {
        const auto n = BadgesMaintenance::NumeroDeLaBoite(QString::fromLatin1(c.texte), c.type);
        ASSERT_EQ(n.has_value(), c.badge != nullptr) << c.texte;
        if (n) {
            EXPECT_EQ(n->badge, QString::fromLatin1(c.badge)) << c.texte;
            EXPECT_EQ(n->texte, QString::fromLatin1(c.boite)) << c.texte;
        }
    }
}

class BadgesMaintenanceBase : public TestAvecBase {
protected:
    QStringList badges() {
        Recordset rs;
        rs.Open(cnx(), QStringLiteral("BadgeMaintenance order by Id"));
        QStringList l;
        for (rs.MoveFirst(); !rs.IsEOF(); rs.MoveNext())
            l << Valeurs::lireTexte(rs.Field(QStringLiteral("NoBadge")));
        return l;
    }
};

// Both writers refuse a number held by another maintenance row or by an employee, letters without
// regard to case, every other character literal; a refused or failed change leaves the row.
TEST_P(BadgesMaintenanceBase, AddAndChangeRefuseNumbersAlreadyHeld) {
    cnx().executer(QStringLiteral("INSERT INTO Utilisateurs (NoBadge, Nom) VALUES ('EMP-12345', 'Durand')"));
    const QString long250 = QString(249, u'x') + u'\'';
    EXPECT_EQ(BadgesMaintenance::AjouterBadge(cnx(), QStringLiteral("M'1%")), Resultat::Enregistre);
    EXPECT_EQ(BadgesMaintenance::AjouterBadge(cnx(), QStringLiteral("m'1%")), Resultat::DejaMaintenance);
    EXPECT_EQ(BadgesMaintenance::AjouterBadge(cnx(), QStringLiteral("M'%")), Resultat::Enregistre);
    EXPECT_EQ(BadgesMaintenance::AjouterBadge(cnx(), QStringLiteral("emp-12345")), Resultat::BadgeSalarie);
    EXPECT_EQ(BadgesMaintenance::AjouterBadge(cnx(), QStringLiteral("EMP-1234")), Resultat::Enregistre);
    EXPECT_EQ(BadgesMaintenance::AjouterBadge(cnx(), long250), Resultat::Enregistre);
    EXPECT_EQ(badges(), (QStringList{"M'1%", "M'%", "EMP-1234", long250}));

    Recordset rs;
    rs.Open(cnx(), QStringLiteral("BadgeMaintenance order by Id"));
    rs.MoveTo(2);
    EXPECT_EQ(BadgesMaintenance::ModifierBadge(cnx(), rs, QStringLiteral("Emp-12345")),
              Resultat::BadgeSalarie);
    EXPECT_EQ(BadgesMaintenance::ModifierBadge(cnx(), rs, QStringLiteral("m'%")), Resultat::DejaMaintenance);
    EXPECT_EQ(rs.Field(QStringLiteral("NoBadge")).toString(), QStringLiteral("EMP-1234"));
    // Its own number in other letters is no other row's.
    EXPECT_EQ(BadgesMaintenance::ModifierBadge(cnx(), rs, QStringLiteral("emp-1234")), Resultat::Enregistre);
    EXPECT_EQ(BadgesMaintenance::ModifierBadge(cnx(), rs, QStringLiteral("M'_")), Resultat::Enregistre);
    EXPECT_EQ(rs.Field(QStringLiteral("NoBadge")).toString(), QStringLiteral("M'_"));
    EXPECT_EQ(badges(), (QStringList{"M'1%", "M'%", "M'_", long250}));

    // Deleted meanwhile by another workstation: the error reaches the caller, the row keeps its number.
    cnx().executer(QStringLiteral("DELETE FROM BadgeMaintenance WHERE NoBadge = ?"), {QStringLiteral("M'_")});
    EXPECT_THROW(BadgesMaintenance::ModifierBadge(cnx(), rs, QStringLiteral("NEUF")), ErreurExecution);
    EXPECT_FALSE(rs.EditMode());
    EXPECT_EQ(rs.Field(QStringLiteral("NoBadge")).toString(), QStringLiteral("M'_"));
    EXPECT_FALSE(cnx().enTransaction());
    EXPECT_EQ(BadgesMaintenance::AjouterBadge(cnx(), QStringLiteral("NEUF")), Resultat::Enregistre);
}

DORVANE_SUR_CHAQUE_BASE(BadgesMaintenanceBase);
