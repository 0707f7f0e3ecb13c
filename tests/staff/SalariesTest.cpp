#include "BaseDeTest.h"

#include "common/ErreurExecution.h"
#include "db/Recordset.h"
#include "staff/Salaries.h"

#include <gtest/gtest.h>

class SalariesBase : public TestAvecBase {};

TEST_P(SalariesBase, TheListWritesUtilisateursOnlyAndReadsTheJoinsAgain) {
    cnx().executer(QStringLiteral("INSERT INTO Sites (NomSite) VALUES ('Nord'), ('Sud')"));
    cnx().executer(QStringLiteral("INSERT INTO Utilisateurs (NoBadge, Nom, Site) VALUES ('B1', 'Abel', 1)"));
    auto nomEnBase = [&](const QVariant& id) {
        return cnx().valeurUnique(QStringLiteral("SELECT Nom FROM Utilisateurs WHERE IdUtilisateur = ?"),
                                  {id});
    };
    Recordset liste;
    Salaries::OuvrirListe(cnx(), liste);
    // A joined field is refused before anything is held.
    try {
        liste.SetField(QStringLiteral("NomSite"), QStringLiteral("X"));
        ADD_FAILURE() << "champ joint écrit";
    } catch (const ErreurExecution& e) {
        EXPECT_TRUE(e.description().contains(QStringLiteral("NomSite")) &&
                    e.description().contains(QStringLiteral("Utilisateurs")));
    }
    EXPECT_FALSE(liste.EditMode());

    // An added row reads its number back; a requery shows the joined names and keeps the row.
    liste.AddNew();
    liste.SetField(QStringLiteral("Nom"), QStringLiteral("Zoé O'Neil"));
    liste.SetField(QStringLiteral("Site"), 1);
    liste.Update();
    const QVariant zoe = liste.Field(QStringLiteral("IdUtilisateur"));
    EXPECT_EQ(nomEnBase(zoe).toString(), QStringLiteral("Zoé O'Neil"));
    liste.SetField(QStringLiteral("Site"), 2);
    liste.Update();
    liste.Requery();
    EXPECT_EQ(liste.Field(QStringLiteral("IdUtilisateur")), zoe);
    EXPECT_EQ(liste.Field(QStringLiteral("NomSite")).toString(), QStringLiteral("Sud"));

    // Deleted by another workstation meanwhile: the concurrency violation, the row kept in edition.
    base().ouvrir()->executer(QStringLiteral("DELETE FROM Utilisateurs WHERE IdUtilisateur = ?"), {zoe});
    liste.SetField(QStringLiteral("Nom"), QStringLiteral("Zoé 2"));
    try {
        liste.Update();
        ADD_FAILURE() << "ligne supprimée mise à jour";
    } catch (const ErreurExecution& e) {
        EXPECT_EQ(e.numero(), -2147217864);
    }
    EXPECT_TRUE(liste.EditMode());
}

DORVANE_SUR_CHAQUE_BASE(SalariesBase);
