#include "BaseDeTest.h"

#include "app/InstallationDossier.h"
#include "common/EtatGlobal.h"
#include "db/ListeMachines.h"

#include <QDir>
#include <gtest/gtest.h>

class ListeMachinesBase : public TestAvecBase {};

TEST_P(ListeMachinesBase, NumbersAscendingAndFailuresLoggedNeverThrown) {
    ParametresConnexion journal;
    journal.fichier = QDir(base().dossier()).filePath(QStringLiteral("MAINTEN.MDB"));
    ASSERT_TRUE(creerJournalErreurs(journal.fichier));
    auto machines = [&](const QList<int>& numeros) {
        cnx().executer(QStringLiteral("DELETE FROM Machines"));
        for (const int n : numeros)
            cnx().executer(QStringLiteral("INSERT INTO Machines (NoMachine) VALUES (?)"), {n});
        return ListeDesMachinesAutorise();
    };
    EXPECT_EQ(machines({}), QString());
    EXPECT_EQ(machines({3, 1, 12}), QStringLiteral("1,3,12"));
    EXPECT_EQ(machines({7}), QStringLiteral("7"));
    EXPECT_EQ(Connexion(journal).valeurUnique(QStringLiteral("SELECT COUNT(*) FROM Erreurs")).toInt(), 0);

    const QString nom = Global().NomBase;
    Global().NomBase = QStringLiteral("absente_") + nom;
    EXPECT_EQ(ListeDesMachinesAutorise(), QString());
    Global().NomBase = nom;
    EXPECT_EQ(Connexion(journal).valeurUnique(QStringLiteral("SELECT Contexte FROM Erreurs")).toString(),
              QStringLiteral("ListeDesMachinesAutorise"));
    EXPECT_EQ(Connexion(journal).valeurUnique(QStringLiteral("SELECT COUNT(*) FROM Erreurs")).toInt(), 1);
}

DORVANE_SUR_CHAQUE_BASE(ListeMachinesBase);
