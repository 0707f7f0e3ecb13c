#include "BaseDeTest.h"

#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "db/Valeurs.h"
#include "stock/Familles.h"

#include <QSqlQuery>
#include <gtest/gtest.h>

class FamillesTest : public TestAvecBase {
protected:
    void TearDown() override {
        reinitialiserEtatGlobal();
        TestAvecBase::TearDown();
    }
    qint64 famille(const QVariant& nom, const QString& fonction = QString()) {
        return Valeurs::lireEntier(cnx().valeurUnique(
            QStringLiteral("INSERT INTO Familles (NomFamille, Fonction) VALUES (?, ?) RETURNING NoFamille"),
            {nom, fonction}));
    }
    // "name|function" of a family, "" when it does not exist.
    QString ligne(qint64 numero) {
        QSqlQuery q = cnx().executer(
            QStringLiteral("SELECT NomFamille, Fonction FROM Familles WHERE NoFamille = ?"), {numero});
        return q.next() ? Valeurs::lireTexte(q.value(0)) + u'|' + Valeurs::lireTexte(q.value(1)) : QString();
    }
    qint64 compte(const QString& sql, const QVariantList& valeurs = {}) {
        return Valeurs::lireEntier(cnx().valeurUnique(sql, valeurs));
    }
};

TEST_P(FamillesTest, NouvelleFamilleAvecSaPremiereTailleEnUneEcriture) {
    const qint64 gardee = famille(QStringLiteral("CHAUSSURES"));
    famille(QString());
    famille(QVariant(QMetaType::fromType<QString>()));
    cnx().executer(QStringLiteral("INSERT INTO Familles (NoFamille, NomFamille) VALUES (0, 'RESTE')"));

    const qint64 n =
        Familles::EnregisterNewFamille(cnx(), QStringLiteral("GANTS HIVER"), QStringLiteral("Froid"));
    EXPECT_EQ(ligne(n), QStringLiteral("GANTS HIVER|Froid"));
    QSqlQuery q =
        cnx().executer(QStringLiteral("SELECT Taille, Ordre FROM Tailles WHERE NoFamille = ?"), {n});
    ASSERT_TRUE(q.next());
    EXPECT_EQ(Valeurs::lireTexte(q.value(0)), QStringLiteral("-"));
    EXPECT_EQ(Valeurs::lireEntier(q.value(1)), 1);
    EXPECT_FALSE(q.next());
    q.finish();
    // The leftovers of interrupted creations went; the real family stayed.
    EXPECT_EQ(compte(QStringLiteral("SELECT COUNT(*) FROM Familles")), 2);
    EXPECT_FALSE(ligne(gardee).isEmpty());

    // An empty name is stored, and goes at the next creation.
    const qint64 vide = Familles::EnregisterNewFamille(cnx(), QString(), QString());
    EXPECT_EQ(ligne(vide), QStringLiteral("|"));
    Familles::EnregisterNewFamille(cnx(), QStringLiteral("LUNETTES"), QString());
    EXPECT_TRUE(ligne(vide).isEmpty());

    // When the size cannot be written, neither is the family.
    cnx().executer(QStringLiteral("ALTER TABLE Tailles RENAME COLUMN Ordre TO Rang"));
    EXPECT_THROW(Familles::EnregisterNewFamille(cnx(), QStringLiteral("CASQUES"), QString()),
                 ErreurExecution);
    EXPECT_EQ(compte(QStringLiteral("SELECT COUNT(*) FROM Familles WHERE NomFamille = 'CASQUES'")), 0);
    EXPECT_FALSE(cnx().enTransaction());
}

TEST_P(FamillesTest, FamillesChaussuresEtGantsGardentLeurNomEtRestent) {
    const qint64 chaussures = famille(QStringLiteral("CHAUSSURES"), QStringLiteral("Pieds"));
    const qint64 gants = famille(QStringLiteral("GANTS"), QStringLiteral("Mains"));
    const qint64 autre = famille(QStringLiteral("LUNETTES"), QStringLiteral("Yeux"));
    Global().FamilleChaussures = int(chaussures);
    Global().FamilleGants = int(gants);
    cnx().executer(QStringLiteral("INSERT INTO Tailles (Taille, Ordre, NoFamille) VALUES ('M', 1, ?)"),
                   {autre});

    Familles::ModifierFamille(cnx(), chaussures, QStringLiteral("BOTTES"), QStringLiteral("Sécurité"));
    EXPECT_EQ(ligne(chaussures), QStringLiteral("CHAUSSURES|Sécurité"));
    Familles::ModifierFamille(cnx(), autre, QStringLiteral("MASQUES"), QString());
    EXPECT_EQ(ligne(autre), QStringLiteral("MASQUES|Yeux"));
    EXPECT_THROW(Familles::ModifierFamille(cnx(), 9999, QStringLiteral("X"), QString()), ErreurExecution);

    EXPECT_FALSE(Familles::SupprimerFamille(cnx(), chaussures));
    EXPECT_FALSE(Familles::SupprimerFamille(cnx(), gants));
    EXPECT_TRUE(Familles::SupprimerFamille(cnx(), autre));
    EXPECT_FALSE(ligne(chaussures).isEmpty());
    EXPECT_FALSE(ligne(gants).isEmpty());
    EXPECT_TRUE(ligne(autre).isEmpty());
    // Its sizes stay.
    EXPECT_EQ(compte(QStringLiteral("SELECT COUNT(*) FROM Tailles WHERE NoFamille = ?"), {autre}), 1);
}

DORVANE_SUR_CHAQUE_BASE(FamillesTest);
