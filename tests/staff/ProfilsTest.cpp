#include "BaseDeTest.h"

#include "common/ErreurExecution.h"
#include "db/Valeurs.h"
#include "staff/PlagesHoraires.h"
#include "staff/Profils.h"

#include <QLocale>
#include <QSqlQuery>
#include <gtest/gtest.h>
#include <tuple>

namespace {

class ProfilsBase : public TestAvecBase {
protected:
    void TearDown() override {
        QLocale::setDefault(QLocale::c());
        TestAvecBase::TearDown();
    }
    qint64 nombre(const QString& sql, const QVariantList& valeurs = {}) {
        return Valeurs::lireEntier(cnx().valeurUnique(sql, valeurs));
    }
    // "NoJour NomJour HeureDebut Heurefin" of each stored day, in day order.
    QStringList semaine(qint64 noQuota) {
        QStringList l;
        QSqlQuery q = cnx().executer(QStringLiteral("SELECT NoJour, NomJour, HeureDebut, Heurefin FROM "
                                                    "PlageHoraire WHERE NoQuota = ? ORDER BY NoJour"),
                                     {noQuota});
        while (q.next())
            l << QStringLiteral("%1 %2 %3 %4")
                     .arg(q.value(0).toInt())
                     .arg(q.value(1).toString(), q.value(2).toString(), q.value(3).toString());
        return l;
    }
    // Makes the backend refuse any write of day 5.
    void refuserJour5() {
        if (cnx().estSQLite()) {
            for (const char* quand : {"INSERT", "UPDATE"})
                cnx().executer(
                    QStringLiteral("CREATE TRIGGER refus%1 BEFORE %1 ON PlageHoraire WHEN "
                                   "NEW.NoJour = 5 BEGIN SELECT RAISE(ABORT, 'jour 5 refusé'); END")
                        .arg(QLatin1String(quand)));
        } else {
            cnx().executer(
                QStringLiteral("CREATE FUNCTION refus_jour5() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN "
                               "IF NEW.NoJour = 5 "
                               "THEN RAISE EXCEPTION 'jour 5 refusé'; END IF; RETURN NEW; END $$"));
            cnx().executer(
                QStringLiteral("CREATE TRIGGER refus BEFORE INSERT OR UPDATE ON PlageHoraire FOR EACH "
                               "ROW EXECUTE FUNCTION refus_jour5()"));
        }
    }
};

} // namespace

TEST_P(ProfilsBase, NamesComparedLiterallyWithoutCaseOnCreateAndRename) {
    const auto test = Profils::AjouterProfil(cnx(), QStringLiteral("TEST"));
    ASSERT_TRUE(test);
    // Every letter folded (accents kept, "É" included), every other character as typed.
    for (const char* doublon : {"test", "Test", "illimité", "quotas general"})
        EXPECT_FALSE(Profils::AjouterProfil(cnx(), QString::fromUtf8(doublon))) << doublon;
    for (const char* nouveau : {"T%", "T*", "T_ST", "L'ATELIER", "ILLIMITE", "", " TEST"})
        EXPECT_TRUE(Profils::AjouterProfil(cnx(), QString::fromUtf8(nouveau))) << nouveau;
    EXPECT_FALSE(Profils::AjouterProfil(cnx(), QStringLiteral("l'atelier")));
    EXPECT_FALSE(Profils::AjouterProfil(cnx(), QString()));
    EXPECT_EQ(nombre(QStringLiteral("SELECT COUNT(*) FROM ProfileQuota")), 3 + 8);

    // The unchanged name is refused like any taken one; a free name is written.
    EXPECT_FALSE(Profils::RenommerProfil(cnx(), *test, QStringLiteral("TEST")));
    EXPECT_FALSE(Profils::RenommerProfil(cnx(), *test, QStringLiteral("t*")));
    EXPECT_TRUE(Profils::RenommerProfil(cnx(), *test, QStringLiteral("ESSAI")));
    EXPECT_EQ(nombre(QStringLiteral("SELECT NoQuota FROM ProfileQuota WHERE Profile = 'ESSAI'")), *test);
    EXPECT_THROW(Profils::RenommerProfil(cnx(), 99999, QStringLiteral("AUTRE")), ErreurExecution);
}

TEST_P(ProfilsBase, DeleteRefusedWhileInUseAndLinesAddedOnce) {
    const qint64 atelier = *Profils::AjouterProfil(cnx(), QStringLiteral("ATELIER"));
    const qint64 chef = nombre(QStringLiteral("SELECT NoQuota FROM ProfileQuota WHERE Profile = 'CHEF'"));
    cnx().executer(QStringLiteral("INSERT INTO Tailles (Taille, Ordre, NoFamille) VALUES ('XL', 1, 1)"));
    cnx().executer(QStringLiteral("INSERT INTO ArticleEnStock (Reference, Designation, CodeArticle, Taille) "
                                  "VALUES (13, 'GANT', 7, ?)"),
                   {nombre(QStringLiteral("SELECT MAX(NoTaille) FROM Tailles"))});

    const auto ligne = Profils::AjouterLigneQuota(cnx(), atelier, 13);
    ASSERT_TRUE(ligne);
    EXPECT_FALSE(Profils::AjouterLigneQuota(cnx(), atelier, 13));
    EXPECT_TRUE(Profils::AjouterLigneQuota(cnx(), atelier, 12)); // no such article: the line still shows
    EXPECT_TRUE(Profils::AjouterLigneQuota(cnx(), chef, 13));
    QSqlQuery q = cnx().executer(QLatin1String(Profils::SqlDetailQuota), {atelier});
    QStringList detail;
    while (q.next()) {
        QStringList champs;
        for (int c : {0, 1, 2, 8})
            champs << Valeurs::lireTexte(q.value(c));
        detail << champs.join(u'|');
    }
    q.finish();
    EXPECT_EQ(detail, (QStringList{"12|||", "13|GANT|7|XL"}));

    // The largest quantity the column holds, on both backends.
    cnx().executer(QStringLiteral("UPDATE Quota SET QtePermise = ? WHERE NoLigne = ?"),
                   {Profils::LireQuantite(QStringLiteral("2 147 483 647")).valeur, *ligne});
    EXPECT_EQ(nombre(QStringLiteral("SELECT QtePermise FROM Quota WHERE NoLigne = ?"), {*ligne}), 2147483647);
    Profils::SupprimerLigneQuota(cnx(), *ligne);
    EXPECT_EQ(nombre(QStringLiteral("SELECT COUNT(*) FROM Quota WHERE NoQota = ?"), {atelier}), 1);

    // An employee's profile stays; once free, only its own row goes.
    PlagesHoraires::EnregistrerPlages(cnx(), atelier, PlagesHoraires::Semaine{});
    cnx().executer(QStringLiteral("INSERT INTO Utilisateurs (NoBadge, Quota) VALUES ('B1', ?)"), {atelier});
    EXPECT_FALSE(Profils::SupprimerProfil(cnx(), atelier));
    cnx().executer(QStringLiteral("UPDATE Utilisateurs SET Quota = ?"), {chef});
    EXPECT_TRUE(Profils::SupprimerProfil(cnx(), atelier));
    EXPECT_EQ(nombre(QStringLiteral("SELECT COUNT(*) FROM Quota WHERE NoQota = ?"), {atelier}), 1);
    EXPECT_EQ(nombre(QStringLiteral("SELECT COUNT(*) FROM PlageHoraire WHERE NoQuota = ?"), {atelier}), 7);
    const qint64 general =
        nombre(QStringLiteral("SELECT NoQuota FROM ProfileQuota WHERE Profile = 'QUOTAS GENERAL'"));
    EXPECT_TRUE(Profils::SupprimerProfil(cnx(), general));
}

TEST(Profils, QuantitiesAsTyped) {
    const auto lu = [](const char* t) { return Profils::LireQuantite(QString::fromUtf8(t)); };
    EXPECT_EQ(lu("1 000").valeur, QVariant(qint64(1000)));
    EXPECT_EQ(lu("2147483647").valeur, QVariant(qint64(2147483647)));
    EXPECT_TRUE(lu("   ").valeur.isNull());
    EXPECT_EQ(lu("   ").etat, Profils::Quantite::Etat::Valide);
    for (const char* grand : {"2147483648", "99999999999", "9 999 999 999 999 999 999 999"})
        EXPECT_EQ(lu(grand).etat, Profils::Quantite::Etat::TropGrande) << grand;
    EXPECT_EQ(lu("12a").etat, Profils::Quantite::Etat::Invalide);
}

TEST_P(ProfilsBase, WeekWrittenInOneTransaction) {
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    const qint64 p = *Profils::AjouterProfil(cnx(), QStringLiteral("ATELIER"));
    PlagesHoraires::Semaine s;
    s[2].debut = QTime(7, 5);
    s[2].fin = QTime(16, 30);
    PlagesHoraires::EnregistrerPlages(cnx(), p, s);
    EXPECT_EQ(semaine(p),
              (QStringList{"1 dimanche 0:0:00 0:0:00", "2 lundi 7:5:00 16:30:00", "3 mardi 0:0:00 0:0:00",
                           "4 mercredi 0:0:00 0:0:00", "5 jeudi 0:0:00 0:0:00", "6 vendredi 0:0:00 0:0:00",
                           "7 samedi 0:0:00 0:0:00"}));

    // Names stay as first written; times stored with or without leading zeros read alike, others as 00:00.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    cnx().executer(QStringLiteral("UPDATE PlageHoraire SET HeureDebut = '07:05:00', Heurefin = 'midi' "
                                  "WHERE NoJour = 3"));
    const PlagesHoraires::Semaine lue = PlagesHoraires::LirePlages(cnx(), p);
    EXPECT_EQ(std::tuple(lue[2].debut, lue[2].fin, lue[3].debut, lue[3].fin),
              std::tuple(QTime(7, 5), QTime(16, 30), QTime(7, 5), QTime(0, 0)));
    EXPECT_FALSE(PlagesHoraires::LirePlages(cnx(), p + 1)[1].enregistree);
    s[7].fin = QTime(23, 59);
    PlagesHoraires::EnregistrerPlages(cnx(), p, s);
    EXPECT_EQ(semaine(p).at(6), QStringLiteral("7 samedi 0:0:00 23:59:00"));

    // A failing day leaves the whole week as it was, for a new profile as for a stored one.
    refuserJour5();
    const qint64 neuf = *Profils::AjouterProfil(cnx(), QStringLiteral("NEUF"));
    EXPECT_THROW(PlagesHoraires::EnregistrerPlages(cnx(), neuf, s), ErreurExecution);
    EXPECT_TRUE(semaine(neuf).isEmpty());
    const QStringList avant = semaine(p);
    s[1].debut = QTime(6, 0);
    EXPECT_THROW(PlagesHoraires::EnregistrerPlages(cnx(), p, s), ErreurExecution);
    EXPECT_EQ(semaine(p), avant);
}

DORVANE_SUR_CHAQUE_BASE(ProfilsBase);
