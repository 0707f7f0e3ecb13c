#include "BaseDeTest.h"

#include "common/ErreurExecution.h"
#include "db/Recordset.h"
#include "db/Routines.h"
#include "db/Valeurs.h"
#include "staff/BadgeSalarie.h"
#include "staff/Badges.h"
#include "staff/BadgesMaintenance.h"
#include "staff/SauvegardeSalarie.h"

#include <QHash>
#include <QSqlQuery>
#include <barrier>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <thread>
#include <vector>

namespace {

// One workstation's try at giving the round's badge; true when it wrote it.
using Ecriture = std::function<bool(Connexion& c, qint64 salarie, const QString& badge)>;
struct Tour {
    Ecriture premier, second;
};

// Two workstations, each a thread with a connection of its own, giving each round's badge "T-<round>" at
// the same moment (every round starts on a barrier), each to its own employee of `salaries` (two per
// round). Who wrote, two slots per round; the errors met.
std::vector<int> deuxPostes(const ParametresConnexion& p, const std::vector<Tour>& tours,
                            const std::vector<qint64>& salaries, QStringList& erreurs) {
    std::vector<int> ecrits(tours.size() * 2, 0);
    QString erreur[2];
    std::barrier depart(2);
    auto poste = [&](int i) {
        std::optional<Connexion> c;
        try {
            c.emplace(p);
        } catch (const ErreurExecution& e) {
            erreur[i] = e.description();
        }
        for (size_t t = 0; t < tours.size(); ++t) {
            depart.arrive_and_wait();
            if (!c || !erreur[i].isEmpty())
                continue;
            try {
                const Ecriture& e = i == 0 ? tours[t].premier : tours[t].second;
                ecrits[2 * t + i] = e(*c, salaries[2 * t + i], QStringLiteral("T-%1").arg(t));
            } catch (const ErreurExecution& e) {
                erreur[i] = QStringLiteral("%1 : %2").arg(t).arg(e.description());
            }
        }
    };
    std::thread a(poste, 0);
    std::thread b(poste, 1);
    a.join();
    b.join();
    for (const QString& e : erreur)
        if (!e.isEmpty())
            erreurs << e;
    return ecrits;
}

} // namespace

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

// Every writer of a badge checks who holds it, then writes: two workstations giving one new badge at
// once must leave it with exactly one holder, employee or maintenance badge.
TEST_P(BadgesBase, TwoWorkstationsGivingOneBadgeAtOnceLeaveItOneHolder) {
    const Ecriture carte = [](Connexion& c, qint64 salarie, const QString& badge) {
        SauvegardeSalarie::Carte fiche;
        fiche.badge = badge;
        return SauvegardeSalarie::enregistrer(c, salarie, fiche, 1, false).etat ==
               SauvegardeSalarie::Etat::Enregistre;
    };
    const Ecriture bouton = [](Connexion& c, qint64 salarie, const QString& badge) {
        Recordset ligne;
        ligne.Open(c,
                   QStringLiteral("SELECT IdUtilisateur, NoBadge FROM Utilisateurs WHERE IdUtilisateur = ?"),
                   {salarie}, QStringLiteral("Utilisateurs"), {QStringLiteral("IdUtilisateur")});
        return BadgeSalarie::AttribuerBadge(c, ligne, badge) == BadgeSalarie::Resultat::Enregistre;
    };
    const Ecriture maintenance = [](Connexion& c, qint64, const QString& badge) {
        return BadgesMaintenance::AjouterBadge(c, badge) == BadgesMaintenance::Resultat::Enregistre;
    };
    // The add with the badge the serial reader gave.
    const Ecriture ajout = [](Connexion& c, qint64, const QString& badge) {
        Recordset liste;
        liste.Open(c, QStringLiteral("SELECT IdUtilisateur, NoBadge, MatriculeSalarie FROM Utilisateurs "
                                     "WHERE IdUtilisateur = 0"));
        const SauvegardeSalarie::Ajout a = SauvegardeSalarie::ajouter(c, liste, badge);
        return a.ajoute && Valeurs::lireTexte(c.valeurUnique(
                               QStringLiteral("SELECT NoBadge FROM Utilisateurs WHERE IdUtilisateur = ?"),
                               {a.id})) == badge;
    };
    std::vector<Tour> tours(200, Tour{carte, carte});
    for (const Tour& melange : {Tour{bouton, bouton}, Tour{carte, bouton}, Tour{bouton, maintenance},
                                Tour{maintenance, maintenance}, Tour{ajout, carte}, Tour{ajout, maintenance}})
        tours.insert(tours.end(), 20, melange);

    std::vector<qint64> salaries;
    {
        TransactionEcriture t(cnx());
        for (size_t i = 0; i < tours.size() * 2; ++i)
            salaries.push_back(Valeurs::lireEntier(cnx().valeurUnique(
                QStringLiteral("INSERT INTO Utilisateurs (NoBadge, Nom) VALUES (?, 'Course') RETURNING "
                               "IdUtilisateur"),
                {QStringLiteral("E-%1").arg(i)})));
        t.valider();
    }
    QStringList erreurs;
    const std::vector<int> ecrits = deuxPostes(base().parametres(), tours, salaries, erreurs);
    EXPECT_TRUE(erreurs.isEmpty()) << erreurs.join(u'\n').toStdString();

    QHash<QString, int> titulaires;
    QSqlQuery q = cnx().executer(
        QStringLiteral("SELECT NoBadge FROM Utilisateurs UNION ALL SELECT NoBadge FROM BadgeMaintenance"));
    while (q.next())
        ++titulaires[q.value(0).toString()];
    int fautes = 0;
    for (size_t t = 0; t < tours.size() && fautes < 5; ++t) {
        const QString badge = QStringLiteral("T-%1").arg(t);
        if (titulaires.value(badge) != 1 || ecrits[2 * t] + ecrits[2 * t + 1] != 1) {
            ++fautes;
            ADD_FAILURE() << "tour " << t << " : " << titulaires.value(badge) << " titulaires, "
                          << ecrits[2 * t] + ecrits[2 * t + 1] << " écritures";
        }
    }
}

DORVANE_SUR_CHAQUE_BASE(BadgesBase);
