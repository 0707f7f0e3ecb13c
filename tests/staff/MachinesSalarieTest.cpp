#include "BaseDeTest.h"

#include "common/ErreurExecution.h"
#include "db/Recordset.h"
#include "db/Valeurs.h"
#include "staff/BadgeSalarie.h"
#include "staff/MachinesSalarie.h"
#include "staff/Salaries.h"

#include <gtest/gtest.h>

using MachinesSalarie::EcrireListe;
using MachinesSalarie::LireListe;
using Resultat = BadgeSalarie::Resultat;

// Stored lists as the machines and older versions left them: blanks, empty items, garbage, repeats.
TEST(MachinesSalarie, ListesLuesEtEcrites) {
    auto lue = LireListe(QStringLiteral(" 2,0,-1,7,2,,a,99999999999,2.5,"));
    EXPECT_EQ(lue.numeros, (QList<qint64>{-1, 0, 2, 7}));
    EXPECT_EQ(lue.refuses, (QStringList{"a", "99999999999", "2.5"}));
    QStringList liste;
    for (int i = 300; i >= 1; --i)
        liste << QString::number(i);
    EXPECT_EQ(EcrireListe(LireListe(liste.join(u',')).numeros).size(), 1091);
    EXPECT_EQ(EcrireListe({7, 1, 7, 40}), QStringLiteral("1,7,40"));
    EXPECT_EQ(EcrireListe({}), QString());
}

class MachinesSalarieBase : public TestAvecBase {
protected:
    qint64 salarie(const QString& nom, const QString& badge) {
        cnx().executer(
            QStringLiteral("INSERT INTO Utilisateurs (Nom, NoBadge, MachineAutorise) VALUES (?, ?, '1')"),
            {nom, badge});
        return Valeurs::lireEntier(
            cnx().valeurUnique(QStringLiteral("SELECT MAX(IdUtilisateur) FROM Utilisateurs")));
    }
    QString enBase(qint64 id, const char* champ) {
        return Valeurs::lireTexte(cnx().valeurUnique(
            QStringLiteral("SELECT %1 FROM Utilisateurs WHERE IdUtilisateur = ?").arg(QLatin1String(champ)),
            {id}));
    }
};

// The badge goes in with the row's pending changes, in one transaction; a maintenance badge, another
// employee's badge or a vanished row write nothing. Then the machines to choose from.
TEST_P(MachinesSalarieBase, BadgeLuEnregistreAvecLaLigneOuRienEtMachinesParNumero) {
    const qint64 a = salarie(QStringLiteral("Martin"), QStringLiteral("A1"));
    salarie(QStringLiteral("Dupont"), QStringLiteral("B2"));
    cnx().executer(QStringLiteral("INSERT INTO BadgeMaintenance (NoBadge) VALUES ('M-1')"));
    Recordset liste;
    Salaries::OuvrirListe(cnx(), liste);
    ASSERT_TRUE(liste.Find(QStringLiteral("IdUtilisateur"), Recordset::Comparaison::Egal, a,
                           Recordset::Depart::Premier));

    liste.SetField(QStringLiteral("MachineAutorise"), QStringLiteral("1,2"));
    EXPECT_EQ(BadgeSalarie::AttribuerBadge(cnx(), liste, QStringLiteral("b2")), Resultat::DejaUtilise);
    EXPECT_EQ(BadgeSalarie::AttribuerBadge(cnx(), liste, QStringLiteral("m-1")), Resultat::BadgeMaintenance);
    EXPECT_EQ(enBase(a, "NoBadge") + enBase(a, "MachineAutorise"), QStringLiteral("A11"));
    EXPECT_TRUE(liste.EditMode());
    EXPECT_FALSE(cnx().enTransaction());
    liste.CancelUpdate();

    // Its own badge again; then a tag with the pending list.
    EXPECT_EQ(BadgeSalarie::AttribuerBadge(cnx(), liste, QStringLiteral("A1")), Resultat::Enregistre);
    liste.SetField(QStringLiteral("MachineAutorise"), QStringLiteral("5"));
    EXPECT_EQ(BadgeSalarie::AttribuerBadge(cnx(), liste, QStringLiteral("0A1B2C3D")), Resultat::Enregistre);
    EXPECT_EQ(enBase(a, "NoBadge"), QStringLiteral("0A1B2C3D"));
    EXPECT_EQ(enBase(a, "MachineAutorise"), QStringLiteral("5"));
    EXPECT_EQ(liste.Field(QStringLiteral("NoBadge")).toString(), QStringLiteral("0A1B2C3D"));
    EXPECT_FALSE(liste.EditMode());
    const QString long250 = QString(250, u'7');
    EXPECT_EQ(BadgeSalarie::AttribuerBadge(cnx(), liste, long250), Resultat::Enregistre);
    EXPECT_EQ(enBase(a, "NoBadge"), long250);

    // Deleted from another workstation meanwhile.
    std::unique_ptr<Connexion> autre = base().ouvrir();
    autre->executer(QStringLiteral("DELETE FROM Utilisateurs WHERE IdUtilisateur = ?"), {a});
    EXPECT_THROW(BadgeSalarie::AttribuerBadge(cnx(), liste, QStringLiteral("C3")), ErreurExecution);
    EXPECT_FALSE(cnx().enTransaction());
    EXPECT_TRUE(
        cnx()
            .valeurUnique(QStringLiteral("SELECT IdUtilisateur FROM Utilisateurs WHERE NoBadge = 'C3'"))
            .isNull());

    // The machines by number, a Null place as "", and the table's failure.
    cnx().executer(
        QStringLiteral("INSERT INTO Machines (NoMachine, Location) VALUES (12, 'Hall B'), (3, NULL)"));
    const QList<MachinesSalarie::Machine> m = MachinesSalarie::Machines(cnx());
    ASSERT_EQ(m.size(), 2);
    EXPECT_EQ(QString::number(m[0].numero) + m[0].location + QString::number(m[1].numero) + m[1].location,
              QStringLiteral("312Hall B"));
    cnx().executer(QStringLiteral("DROP TABLE Machines"));
    EXPECT_THROW(MachinesSalarie::Machines(cnx()), ErreurExecution);
}

DORVANE_SUR_CHAQUE_BASE(MachinesSalarieBase);
