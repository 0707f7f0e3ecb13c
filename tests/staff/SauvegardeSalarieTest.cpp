#include "BaseDeTest.h"

#include "common/ErreurExecution.h"
#include "db/Recordset.h"
#include "db/Valeurs.h"
#include "staff/Salaries.h"
#include "staff/SauvegardeSalarie.h"

#include <QHash>
#include <QSqlQuery>
#include <gtest/gtest.h>

using SauvegardeSalarie::Carte;
using SauvegardeSalarie::Etat;

namespace {

class SauvegardeSalarieBase : public TestAvecBase {
protected:
    qint64 salarie(const QString& nom, const QString& badge, const QString& matricule = QString()) {
        return Valeurs::lireEntier(cnx().valeurUnique(
            QStringLiteral(
                "INSERT INTO Utilisateurs (Nom, Prenom, NoBadge, MatriculeSalarie) VALUES (?, 'Jean', "
                "?, ?) RETURNING IdUtilisateur"),
            {nom, badge, matricule.isNull() ? QVariant(QMetaType::fromType<QString>()) : matricule}));
    }
    // The written columns joined by "|", Null as "~"; "" when the row is gone.
    QString ligne(qint64 id) {
        QSqlQuery q = cnx().executer(
            QStringLiteral(
                "SELECT NoBadge, Nom, Prenom, MatriculeSalarie, TailleChaussure, TailleMain, Site, "
                "Service, Quota, Langue, NoUtilisateur, MachineAutorise FROM Utilisateurs WHERE "
                "IdUtilisateur = ?"),
            {id});
        QStringList v;
        for (int i = 0; i < 12 && (i > 0 || q.next()); ++i)
            v << (q.value(i).isNull() ? QStringLiteral("~") : q.value(i).toString());
        return v.join(u'|');
    }
    qint64 compter() {
        return Valeurs::lireEntier(cnx().valeurUnique(QStringLiteral("SELECT COUNT(*) FROM Utilisateurs")));
    }
};

} // namespace

TEST(ChaineAleatoire, ThirtyCharactersFromZeroToZEquallyLikely) {
    QHash<QChar, int> comptes;
    for (int i = 0; i < 2000; ++i) {
        const QString p = SauvegardeSalarie::ChaineAleatoire();
        ASSERT_EQ(p.size(), 30);
        for (const QChar c : p)
            ++comptes[c];
    }
    // 60,000 draws over the 43 characters "0" to "Z": about 1,395 each, a standard deviation of about 37.
    EXPECT_EQ(comptes.size(), 43);
    for (auto it = comptes.cbegin(); it != comptes.cend(); ++it) {
        EXPECT_TRUE(it.key() >= u'0' && it.key() <= u'Z') << int(it.key().unicode());
        EXPECT_NEAR(it.value(), 60000.0 / 43, 250);
    }
}

TEST_P(SauvegardeSalarieBase, SavesTheCardAndRefusesABadgeHeldElsewhereOnBothLayouts) {
    cnx().executer(QStringLiteral("INSERT INTO BadgeMaintenance (NoBadge) VALUES ('M1')"));
    const qint64 dupont = salarie(QStringLiteral("DUPONT"), QStringLiteral("D1"));
    const qint64 abel = salarie(QStringLiteral("Abel"), QStringLiteral("A1"), QStringLiteral("7"));
    cnx().executer(QStringLiteral("UPDATE Utilisateurs SET Site = 1, Service = 4, Quota = 2, TailleMain = 5, "
                                  "Langue = 'NL', NoUtilisateur = '0612' WHERE IdUtilisateur = ?"),
                   {abel});
    // Empty boxes and unset lists keep their column; no service chosen writes Null.
    Carte c;
    c.badge = QStringLiteral("A1");
    c.prenom = QStringLiteral("Zoé O'Neil");
    c.tailleChaussure = 9;
    c.mobile = QString();
    EXPECT_EQ(SauvegardeSalarie::enregistrer(cnx(), abel, c, 1, false).etat, Etat::Enregistre);
    EXPECT_EQ(ligne(abel), QStringLiteral("A1|Abel|Zoé O'Neil|7|9|5|1|~|2|NL|0612|~"));
    // A badge of 250 characters with quotes, every list chosen, the mobile number typed.
    const QString long250 = QStringLiteral("'; DROP TABLE Utilisateurs; --\"") + QString(219, u'9');
    c = {long250, QStringLiteral("Abel-Bis"), {}, QStringLiteral("M'7"), QStringLiteral("0699"), {}, 6, 1, 3,
         1,       QStringLiteral("DE")};
    EXPECT_EQ(SauvegardeSalarie::enregistrer(cnx(), abel, c, 1, false).etat, Etat::Enregistre);
    EXPECT_EQ(ligne(abel), long250 + QStringLiteral("|Abel-Bis|Zoé O'Neil|M'7|9|6|1|3|1|DE|0699|~"));

    // DUPONT's badge or a maintenance badge on another employee refuses the whole save; DUPONT keeps his.
    for (const bool ancienne : {false, true}) {
        c = {};
        c.nom = QStringLiteral("Refusé");
        c.badge = QStringLiteral("d1");
        const SauvegardeSalarie::Resultat r = SauvegardeSalarie::enregistrer(cnx(), abel, c, 1, ancienne);
        EXPECT_EQ(r.etat, Etat::BadgeSalarie) << ancienne;
        EXPECT_EQ(r.nom + u' ' + r.prenom, QStringLiteral("DUPONT Jean"));
        c.badge = QStringLiteral("m1");
        EXPECT_EQ(SauvegardeSalarie::enregistrer(cnx(), abel, c, 1, ancienne).etat, Etat::BadgeMaintenance);
        EXPECT_TRUE(ligne(abel).startsWith(long250 + QStringLiteral("|Abel-Bis|")));
        c.badge = QStringLiteral("D1");
        c.nom.clear();
        c.matricule = QString::number(ancienne);
        EXPECT_EQ(SauvegardeSalarie::enregistrer(cnx(), dupont, c, 1, ancienne).etat, Etat::Enregistre);
        EXPECT_TRUE(ligne(dupont).startsWith(QStringLiteral("D1|DUPONT|Jean|") + c.matricule));
    }

    // Bar-code badges: at most 12 digits padded and checked; 13 digits or a non-digit leave both columns.
    c = {};
    c.badge = QStringLiteral("4711");
    EXPECT_EQ(SauvegardeSalarie::enregistrer(cnx(), abel, c, 3, false).boite, QStringLiteral("000000004711"));
    for (const char* boite : {"0000000047111", "47a1", "-4711"}) {
        c.badge = QString::fromLatin1(boite);
        EXPECT_EQ(SauvegardeSalarie::enregistrer(cnx(), abel, c, 3, false).boite, c.badge);
        EXPECT_EQ(ligne(abel).section(u'|', 10, 10), QStringLiteral("0AAAAAA*aehbbb+"));
        EXPECT_EQ(ligne(abel).section(u'|', 0, 0), QStringLiteral("0000000047111")) << boite;
    }
    // The older layout knows no bar codes: the text as typed.
    c.badge = QStringLiteral("4712");
    SauvegardeSalarie::enregistrer(cnx(), abel, c, 3, true);
    EXPECT_TRUE(ligne(abel).startsWith(QStringLiteral("4712|")));

    // A row deleted elsewhere: the concurrency violation.
    cnx().executer(QStringLiteral("DELETE FROM Utilisateurs WHERE IdUtilisateur = ?"), {abel});
    try {
        SauvegardeSalarie::enregistrer(cnx(), abel, c, 1, false);
        ADD_FAILURE() << "ligne supprimée enregistrée";
    } catch (const ErreurExecution& e) {
        EXPECT_EQ(e.numero(), -2147217864);
    }
}

TEST_P(SauvegardeSalarieBase, AddTidiesPlaceholdersForwardFromTheCurrentRowAndDeleteTakesTheKey) {
    cnx().executer(QStringLiteral("INSERT INTO Machines (NoMachine) VALUES (5), (1), (2)"));
    Recordset liste;
    Salaries::OuvrirListe(cnx(), liste);
    // Empty list: personnel number "0", a placeholder badge, sizes Null, every machine.
    SauvegardeSalarie::Ajout a = SauvegardeSalarie::ajouter(cnx(), liste);
    ASSERT_TRUE(a.ajoute);
    const QString p = ligne(a.id).section(u'|', 0, 0);
    EXPECT_EQ(p.size(), 30);
    EXPECT_EQ(ligne(a.id), p + QStringLiteral("|~|~|0|~|~|~|~|~|~|0|1,2,5"));
    cnx().executer(QStringLiteral("DELETE FROM Utilisateurs"));

    // Sorted by name: A (badge "0", above), B (personnel number "0"), C, D (badge "0", below).
    const qint64 a0 = salarie(QStringLiteral("A"), QStringLiteral("0"));
    const qint64 b0 = salarie(QStringLiteral("B"), QStringLiteral("BB"), QStringLiteral("0"));
    salarie(QStringLiteral("C"), QStringLiteral("CC"));
    const qint64 d0 = salarie(QStringLiteral("D"), QStringLiteral("0"));
    liste.Requery();
    liste.Sort(QStringLiteral("Nom"));
    // From the last row no personnel number "0" is found, so the second search starts past the last row:
    // D stays and a row is added, the same placeholder as badge and personnel number.
    liste.MoveLast();
    a = SauvegardeSalarie::ajouter(cnx(), liste);
    ASSERT_TRUE(a.ajoute);
    EXPECT_EQ(ligne(a.id).section(u'|', 0, 0), ligne(a.id).section(u'|', 3, 3));
    EXPECT_EQ(compter(), 5);
    // From B: B takes its badge, D (below) is deleted, A (above) stays, nothing is added.
    liste.Requery();
    liste.Find(QStringLiteral("Nom"), Recordset::Comparaison::Egal, QStringLiteral("B"),
               Recordset::Depart::Premier);
    EXPECT_FALSE(SauvegardeSalarie::ajouter(cnx(), liste).ajoute);
    EXPECT_EQ(ligne(b0).section(u'|', 3, 3), QStringLiteral("BB"));
    EXPECT_TRUE(ligne(d0).isEmpty());
    EXPECT_FALSE(ligne(a0).isEmpty());
    EXPECT_EQ(compter(), 4);

    // The serial reader's badge when free; "ERREUR", nothing, an employee's or a maintenance badge give
    // the placeholder.
    cnx().executer(QStringLiteral("INSERT INTO BadgeMaintenance (NoBadge) VALUES ('M1')"));
    for (const char* lu : {"12345", "ERREUR", "", "cc", "m1"}) {
        liste.Requery();
        a = SauvegardeSalarie::ajouter(cnx(), liste, QString::fromLatin1(lu));
        EXPECT_EQ(ligne(a.id).section(u'|', 0, 0).size(), *lu == '1' ? 5 : 30) << lu;
    }
    // The older layout: badge and personnel number left empty.
    EXPECT_EQ(ligne(SauvegardeSalarie::ajouterAncienneBase(cnx())),
              QStringLiteral("~|~|~|~|~|~|~|~|~|~|0|1,2,5"));

    // Two rows with one badge: the key says which goes.
    const qint64 premier = salarie(QStringLiteral("Martin"), QStringLiteral("X1"));
    const qint64 second = salarie(QStringLiteral("DUPONT"), QStringLiteral("X1"));
    EXPECT_TRUE(SauvegardeSalarie::supprimer(cnx(), second));
    EXPECT_FALSE(SauvegardeSalarie::supprimer(cnx(), second));
    EXPECT_FALSE(ligne(premier).isEmpty());
}

DORVANE_SUR_CHAQUE_BASE(SauvegardeSalarieBase);
