#include "BaseDeTest.h"

#include "common/ErreurExecution.h"
#include "counter/JournalVentes.h"
#include "db/Recordset.h"
#include "db/Valeurs.h"
#include "support/DossierProgrammeTemp.h"
#include "support/OrdreFrancais.h"

#include <QSqlQuery>
#include <QTemporaryDir>
#include <atomic>
#include <barrier>
#include <gtest/gtest.h>
#include <thread>
#include <tuple>

using namespace JournalVentes;

namespace {

QVariant nulTexte() {
    return QVariant(QMetaType::fromType<QString>());
}
QVariant nulEntier() {
    return QVariant(QMetaType::fromType<qlonglong>());
}
QVariant date(const char* texte) {
    return Valeurs::valeurDate(
        QDateTime::fromString(QLatin1String(texte), QStringLiteral("yyyy-MM-dd HH:mm:ss")));
}
// A field of every row, in the order shown.
QStringList colonne(const Recordset& rs, const char* champ) {
    QStringList l;
    for (int i = 0; i < rs.RecordCount(); ++i)
        l << Valeurs::lireTexte(rs.ValueAt(i, rs.FieldIndex(QLatin1String(champ))));
    return l;
}
qint64 courant(const Recordset& rs) {
    return rs.AbsolutePosition() < 0 ? -1 : Valeurs::lireEntier(rs.Field(QStringLiteral("NumVente")));
}

} // namespace

class JournalVentesBase : public TestAvecBase {
protected:
    void vente(qint64 numero, const QVariant& laDate, const QVariant& badge, const QVariant& nom,
               const QVariant& machine) {
        cnx().executer(
            QStringLiteral("INSERT INTO Ventes (NumVente, LaDate, Utilisateur, Nom, TypeMouvement, "
                           "Total, NoMachine) VALUES (?, ?, ?, ?, 3, 1234.5, ?)"),
            {numero, laDate, badge, nom, machine});
    }
    void ligne(qint64 numero, qint64 reference, const QVariant& machine) {
        cnx().executer(
            QStringLiteral("INSERT INTO DetailVente (NumVente, Reference, Designation, PrixAchatUnit, "
                           "Quantite, NoMachine) VALUES (?, ?, 'Gants', 3.75, 1, ?)"),
            {numero, reference, machine});
    }
    qint64 compte(const QString& sql, const QVariantList& valeurs = {}) {
        return Valeurs::lireEntier(
            cnx().valeurUnique(QStringLiteral("SELECT COUNT(*) FROM ") + sql, valeurs));
    }
    // Seven withdrawals, 0 to 6, written in number order, with Nulls in every column searched.
    void journal() {
        vente(0, date("2018-01-01 09:00:00"), QStringLiteral("Z9"), QStringLiteral("Éric"), 1);
        vente(1, date("2019-12-31 23:00:00"), QStringLiteral("B100"), QStringLiteral("DURAND"), 1);
        vente(2, date("2020-02-01 00:00:00"), QStringLiteral("B200"), QStringLiteral("O'NEIL"), 2);
        vente(3, date("2020-02-01 08:30:00"), QStringLiteral("A300"), QStringLiteral("Dupont"), nulEntier());
        vente(4, nulTexte(), nulTexte(), nulTexte(), 1);
        vente(5, date("2021-06-15 10:00:00"), QStringLiteral("b250"), QStringLiteral("Durandal"), 2);
        vente(6, date("2020-03-01 12:00:00"), QStringLiteral("C1%_x"), QStringLiteral("Großmann"), 3);
    }
};

// The journal read in the date mode's order, which the date mode then keeps without a sort, then each
// mode's order (text in French order, a Null date last), the current row kept; the returns newest
// withdrawal first, read only, sorted by their own fields.
TEST_P(JournalVentesBase, JournalAndReturnsInTheOrderOfEachMode) {
    journal();
    Recordset rs;
    OuvrirJournal(cnx(), rs);
    EXPECT_EQ(colonne(rs, "NumVente"), (QStringList{"5", "6", "3", "2", "1", "0", "4"}));
    rs.MoveTo(3);
    TrierSelonMode(rs, ParDate, false);
    EXPECT_EQ(colonne(rs, "NumVente"), (QStringList{"5", "6", "3", "2", "1", "0", "4"}));
    EXPECT_EQ(courant(rs), 2);
    EXPECT_EQ(rs.TravailFait().tris, 0);
    TrierSelonMode(rs, ParNom, false);
    EXPECT_EQ(colonne(rs, "NumVente"), (QStringList{"4", "3", "1", "5", "0", "6", "2"}));
    TrierSelonMode(rs, ParSalarie, false);
    EXPECT_EQ(colonne(rs, "NumVente"), (QStringList{"4", "3", "1", "2", "5", "6", "0"}));

    for (const auto& [retrait, nom, badge] :
         {std::tuple{date("2020-01-01 08:00:00"), "Ébert", "K2"}, std::tuple{nulTexte(), "Adam", "k1"},
          std::tuple{date("2024-05-05 08:00:00"), "Zola", "J3"}})
        cnx().executer(
            QStringLiteral("INSERT INTO Retour (LaDateRetrait, NomUser, Utilisateur) VALUES (?, ?, ?)"),
            {retrait, QString::fromUtf8(nom), QString::fromUtf8(badge)});
    Recordset retours;
    OuvrirRetours(cnx(), retours);
    EXPECT_EQ(colonne(retours, "NomUser"), (QStringList{"Zola", "Ébert", "Adam"}));
    EXPECT_EQ(retours.FieldCount(), 17);
    EXPECT_FALSE(retours.Modifiable());
    TrierSelonMode(retours, ParNom, true);
    EXPECT_EQ(colonne(retours, "NomUser"), (QStringList{"Adam", "Ébert", "Zola"}));
    TrierSelonMode(retours, ParSalarie, true);
    EXPECT_EQ(colonne(retours, "NomUser"), (QStringList{"Zola", "Adam", "Ébert"}));
}

// Names and badges with accents, case, blanks and Null: each text mode of the journal and of the returns
// orders them as the collator compares them, the keys made once.
TEST_P(JournalVentesBase, TextModesOrderAsTheCollatorWithKeysMadeOnce) {
    const QVariantList noms{QStringLiteral("Élodie"),
                            QStringLiteral("elodie"),
                            QStringLiteral("Émile"),
                            QStringLiteral("Eric"),
                            nulTexte(),
                            QStringLiteral("Eric ")};
    for (int n = 1; n <= 12; ++n) {
        const QVariant& nom = noms.at(n % noms.size());
        const QVariant& badge = noms.at((n * 5) % noms.size());
        vente(n, date(n % 3 ? "2024-03-01 10:00:00" : "2024-02-01 10:00:00"), badge, nom, 1);
        cnx().executer(
            QStringLiteral("INSERT INTO Retour (LaDateRetrait, NomUser, Utilisateur) VALUES (?, ?, ?)"),
            {n < 7 ? date("2024-01-01 08:00:00") : nulTexte(), nom, badge});
    }
    const auto textes = [](const Recordset& rs, const char* champ) {
        QStringList l;
        for (int i = 0; i < rs.RecordCount(); ++i)
            l << texteOuNul(rs.ValueAt(i, rs.FieldIndex(QLatin1String(champ))));
        return l;
    };
    for (const bool retours : {false, true}) {
        Recordset rs;
        if (retours)
            OuvrirRetours(cnx(), rs);
        else
            OuvrirJournal(cnx(), rs);
        const char* nom = retours ? "NomUser" : "Nom";
        // The values in the order read, from which each sort starts.
        rs.Sort(QString());
        QVariantList nomsLus, badgesLus;
        for (int i = 0; i < rs.RecordCount(); ++i) {
            nomsLus << rs.ValueAt(i, rs.FieldIndex(QLatin1String(nom)));
            badgesLus << rs.ValueAt(i, rs.FieldIndex(QStringLiteral("Utilisateur")));
        }
        TrierSelonMode(rs, ParNom, retours);
        EXPECT_EQ(textes(rs, nom), ordreFrancais(nomsLus)) << retours;
        TrierSelonMode(rs, ParSalarie, retours);
        EXPECT_EQ(textes(rs, "Utilisateur"), ordreFrancais(badgesLus)) << retours;
        const qint64 cles = rs.TravailFait().clesCalculees;
        EXPECT_EQ(cles, 20) << retours; // two columns of ten names, the Nulls have none
        TrierSelonMode(rs, ParDate, retours);
        TrierSelonMode(rs, ParNom, retours);
        EXPECT_EQ(textes(rs, nom), ordreFrancais(nomsLus)) << retours;
        EXPECT_EQ(rs.TravailFait().clesCalculees, cles) << retours;
    }
}

TEST(JournalVentes, SearchDatesTakeTwoDigitYearsAroundNineteenThirty) {
    const auto lue = [](const char* texte) {
        const QDateTime d = LireDateRecherche(QString::fromUtf8(texte));
        return d.isValid() ? d.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toStdString()
                           : std::string("-");
    };
    EXPECT_EQ(lue("01/02/20"), "2020-02-01 00:00:00");
    EXPECT_EQ(lue("01/02/29"), "2029-02-01 00:00:00");
    EXPECT_EQ(lue("01/02/30"), "1930-02-01 00:00:00");
    EXPECT_EQ(lue(" 1/2/2020 7:05 "), "2020-02-01 07:05:00");
    EXPECT_EQ(lue("29/02/2024 23:59:59"), "2024-02-29 23:59:59");
    for (const char* rien : {"31/02/2026", "99/99/99", "01/02/200", "01-02-2020", "01/02/2020 24:00",
                             "01/02/2020 10", "", "********"})
        EXPECT_EQ(lue(rien), "-") << rien;
}

TEST(JournalVentes, AddressesFromMailto0ToMailto50InOrderGapsClosed) {
    QTemporaryDir dir;
    const QString ini = ecrireFichierTest(dir.filePath(QStringLiteral("automat.ini")),
                                          "[Email]\r\nMailto50=fin@x.fr\r\nMailto2=  b@y.fr \r\nMailto1=\r\n"
                                          "Mailto0=a@x.fr\r\nMailto51=trop@x.fr\r\n");
    EXPECT_EQ(AdressesEmail(ini), (QStringList{"a@x.fr", "b@y.fr", "fin@x.fr"}));
}

// Badge and name from the current row, every character literal but the wildcards; the date from the
// first row once eight characters are typed; nothing found: the first row; no date: no move.
TEST_P(JournalVentesBase, SearchesMoveTheJournalOrLeaveItWhereItWas) {
    journal();
    Recordset rs;
    OuvrirJournal(cnx(), rs);
    TrierSelonMode(rs, ParNom, false);
    rs.MoveFirst();
    const auto cherche = [&](Mode mode, const QString& texte) {
        EXPECT_TRUE(Chercher(rs, mode, texte)) << texte.toStdString();
        return courant(rs);
    };
    EXPECT_EQ(cherche(ParNom, QStringLiteral("dur")), 1);
    EXPECT_EQ(cherche(ParNom, QStringLiteral("dura")), 1); // the current row first
    EXPECT_EQ(cherche(ParNom, QStringLiteral("duranda")), 5);
    EXPECT_EQ(cherche(ParNom, QStringLiteral("dux")), 4); // none: the first row
    EXPECT_EQ(cherche(ParNom, QStringLiteral("o'n")), 2);
    EXPECT_EQ(cherche(ParNom, QString(200, u'a')), 4);
    EXPECT_EQ(cherche(ParNom, QStringLiteral("groß")), 6); // "ß" is no "SS"
    TrierSelonMode(rs, ParSalarie, false);
    rs.MoveFirst();
    EXPECT_EQ(cherche(ParSalarie, QStringLiteral("c1%x")), 6);
    EXPECT_EQ(cherche(ParSalarie, QStringLiteral("c1_")), 4); // "_" is no wildcard

    // Dates, over the journal in number order so that the find shows where it starts.
    rs.Sort(QStringLiteral("NumVente"), Recordset::Ordre::Decroissant);
    rs.MoveTo(4);
    EXPECT_EQ(cherche(ParDate, QStringLiteral("01/03/2")), 2); // seven characters: no find
    EXPECT_EQ(cherche(ParDate, QStringLiteral("15/06/2021 10:00")), 5);
    EXPECT_EQ(cherche(ParDate, QStringLiteral("15/06/2021 10:00:01")), 6); // none: the first row
    rs.MoveTo(5);
    for (const char* rien : {"31/02/2026", "99/99/99", "********", "%%%%%%%%"}) {
        EXPECT_FALSE(Chercher(rs, ParDate, QString::fromLatin1(rien))) << rien;
        EXPECT_EQ(courant(rs), 1) << rien;
    }
    // Newest first, as the date mode shows it: the newest of the day, or before it; at or before the
    // hour typed; nothing before the date: the first row.
    TrierSelonMode(rs, ParDate, false);
    for (const auto& [d, attendu] :
         {std::pair{"01/02/2020", 3}, std::pair{"31/01/20", 1}, std::pair{"01/02/2020 08:29", 2},
          std::pair{"01/02/2020 8:30", 3}, std::pair{"01/01/2099", 5}, std::pair{"01/02/30", 5}}) {
        rs.MoveTo(6);
        EXPECT_EQ(cherche(ParDate, QString::fromLatin1(d)), attendu) << d;
    }

    cnx().executer(QStringLiteral("DELETE FROM Ventes"));
    rs.Requery();
    for (Mode m : {ParDate, ParSalarie, ParNom})
        EXPECT_FALSE(Chercher(rs, m, QStringLiteral("01/02/2020")));
}

// A journal of several months shown newest first: a day lands on its newest withdrawal, a day without
// any on the newest one before it, whatever the row the journal stood on.
TEST_P(JournalVentesBase, DateSearchOverMonthsLandsOnTheNewestOfTheDayOrBefore) {
    // Three withdrawals a day from March to September 2026, none on Sundays nor from 10 to 20 June;
    // numbers follow the dates but for one late entry of 15 June written last.
    qint64 numero = 0;
    TransactionEcriture t(cnx());
    for (QDate jour(2026, 3, 1); jour <= QDate(2026, 9, 30); jour = jour.addDays(1)) {
        if (jour.dayOfWeek() == 7 || (jour >= QDate(2026, 6, 10) && jour <= QDate(2026, 6, 20)))
            continue;
        for (const QTime heure : {QTime(8, 5), QTime(12, 30), QTime(17, 45)})
            vente(++numero, Valeurs::valeurDate(QDateTime(jour, heure)), QStringLiteral("B1"),
                  QStringLiteral("DURAND"), 1);
    }
    const qint64 tardive = numero + 1;
    vente(tardive, date("2026-06-15 23:59:59"), QStringLiteral("B2"), QStringLiteral("MARTIN"), 2);
    vente(tardive + 1, date("2026-06-15 18:00:00"), QStringLiteral("B2"), QStringLiteral("MARTIN"), 2);
    t.valider();
    Recordset rs;
    OuvrirJournal(cnx(), rs);
    TrierSelonMode(rs, ParDate, false);
    const auto trouve = [&](const char* texte) {
        rs.MoveTo(rs.RecordCount() / 2);
        EXPECT_TRUE(Chercher(rs, ParDate, QString::fromLatin1(texte))) << texte;
        return Valeurs::lireDate(rs.Field(QStringLiteral("LaDate"))).toString(QStringLiteral("dd/MM HH:mm"));
    };
    EXPECT_EQ(trouve("15/06/2026"), QStringLiteral("15/06 23:59"));
    EXPECT_EQ(courant(rs), tardive);
    EXPECT_EQ(trouve("14/06/2026"), QStringLiteral("09/06 17:45")); // none from the 10th to the 20th
    EXPECT_EQ(trouve("07/06/26"), QStringLiteral("06/06 17:45"));   // a Sunday
    EXPECT_EQ(trouve("02/03/2026"), QStringLiteral("02/03 17:45"));
    EXPECT_EQ(trouve("15/06/2026 18:00"), QStringLiteral("15/06 18:00"));
    EXPECT_EQ(trouve("30/09/2026"), QStringLiteral("30/09 17:45"));
    EXPECT_EQ(trouve("28/02/2026"), QStringLiteral("30/09 17:45")); // before them all: the first row
    EXPECT_EQ(rs.AbsolutePosition(), 0);
}

// The current withdrawal's lines: by number alone, or with the machine (a Null one is machine 0), a line
// repeated shown once, a number 0 keeping the lines shown. Deletion removes the header and keeps its
// lines; a refusal leaves journal and database as they were; nothing without a current row.
TEST_P(JournalVentesBase, LinesByNumberAndMachineAndTheDeletionKeepsThem) {
    journal();
    ligne(2, 11, 5);
    ligne(2, 10, 2);
    ligne(2, 10, 2);
    ligne(3, 12, 0);
    ligne(3, 13, nulEntier());
    ligne(99, 15, 1); // no withdrawal
    if (cnx().estSQLite()) {
        cnx().executer(QStringLiteral("CREATE TRIGGER refus BEFORE DELETE ON Ventes WHEN OLD.NumVente = 3 "
                                      "BEGIN SELECT RAISE(ABORT, 'vente verrouillée'); END"));
    } else {
        cnx().executer(
            QStringLiteral("CREATE FUNCTION refus() RETURNS trigger AS $$ BEGIN IF OLD.NumVente = 3 "
                           "THEN RAISE EXCEPTION 'vente verrouillée'; END IF; RETURN OLD; END $$ "
                           "LANGUAGE plpgsql"));
        cnx().executer(QStringLiteral(
            "CREATE TRIGGER refus BEFORE DELETE ON Ventes FOR EACH ROW EXECUTE FUNCTION refus()"));
    }
    Recordset rs, lignes;
    OuvrirJournal(cnx(), rs);
    // Newest number first, the order the positions below are counted in.
    rs.Sort(QStringLiteral("NumVente"), Recordset::Ordre::Decroissant);
    const auto lues = [&](qint64 numero, bool gsm) {
        rs.Find(QStringLiteral("NumVente"), Recordset::Comparaison::Egal, numero, Recordset::Depart::Premier);
        EXPECT_EQ(AfficherDetailVente(cnx(), lignes, rs, gsm), numero != 0) << numero;
        return colonne(lignes, "Reference");
    };
    EXPECT_EQ(lues(2, false), (QStringList{"10", "11"}));
    EXPECT_EQ(lignes.FieldCount(), 6);
    EXPECT_DOUBLE_EQ(Valeurs::lireMonnaie(lignes.Field(QStringLiteral("PrixAchatUnit"))), 3.75);
    EXPECT_EQ(lues(2, true), QStringList{"10"});
    EXPECT_EQ(lues(3, true), QStringList{"12"});
    EXPECT_EQ(lues(3, false), (QStringList{"12", "13"}));
    EXPECT_EQ(lues(0, false), (QStringList{"12", "13"}));
    EXPECT_EQ(lues(4, true), QStringList());

    rs.MoveTo(4);
    ASSERT_EQ(courant(rs), 2);
    SupprimerVente(rs);
    EXPECT_EQ(courant(rs), 1);
    rs.MoveLast();
    SupprimerVente(rs);
    EXPECT_EQ(courant(rs), 1);
    EXPECT_EQ(colonne(rs, "NumVente"), (QStringList{"6", "5", "4", "3", "1"}));
    EXPECT_EQ(compte(QStringLiteral("Ventes")), 5);
    EXPECT_EQ(compte(QStringLiteral("DetailVente")), 6);
    rs.MoveTo(3);
    try {
        SupprimerVente(rs);
        ADD_FAILURE() << "the refusal was not reported";
    } catch (const ErreurExecution& e) {
        EXPECT_TRUE(e.description().contains(QStringLiteral("vente verrouillée")))
            << e.description().toStdString();
    }
    EXPECT_EQ(courant(rs), 3);
    EXPECT_EQ(rs.RecordCount(), 5);
    EXPECT_EQ(compte(QStringLiteral("Ventes")), 5);
    rs.MoveLast();
    rs.MoveNext();
    EXPECT_FALSE(AfficherDetailVente(cnx(), lignes, rs, false));
    SupprimerVente(rs);
    EXPECT_EQ(compte(QStringLiteral("Ventes")), 5);
}

// Two workstations deleting withdrawals, some the same, while a third records new ones with their lines:
// every deleted header gone once, every other header and every line kept, nobody refused.
TEST_P(JournalVentesBase, TwoWorkstationsDeleteWhileAThirdRecords) {
    // Numbered by the database, as the machines' rows are.
    const auto nouvelle = [](Connexion& c, const QString& nom) {
        TransactionEcriture t(c);
        QSqlQuery q = c.executer(QStringLiteral("INSERT INTO Ventes (LaDate, Nom, TypeMouvement, NoMachine) "
                                                "VALUES (?, ?, 3, 0) RETURNING NumVente"),
                                 {date("2024-02-01 08:00:00"), nom});
        q.next();
        const qint64 numero = Valeurs::lireEntier(q.value(0));
        q.finish();
        c.executer(
            QStringLiteral("INSERT INTO DetailVente (NumVente, Reference, NoMachine) VALUES (?, 1, 0)"),
            {numero});
        t.valider();
        return numero;
    };
    QList<qint64> anciennes;
    for (int n = 0; n < 120; ++n)
        anciennes << nouvelle(cnx(), QStringLiteral("ANCIENNE"));
    const ParametresConnexion p = base().parametres();
    std::barrier depart(3);
    QString erreurs[3];
    std::atomic<int> refus{0};
    auto supprimer = [&](int poste, int premier, int dernier) {
        try {
            Connexion c(p);
            Recordset rs;
            OuvrirJournal(c, rs);
            depart.arrive_and_wait();
            for (int i = premier; i <= dernier; ++i) {
                if (!rs.Find(QStringLiteral("NumVente"), Recordset::Comparaison::Egal, anciennes.at(i),
                             Recordset::Depart::Premier))
                    continue;
                // A sale the other workstation took out first is refused, and stays in this one's list.
                try {
                    SupprimerVente(rs);
                } catch (const ErreurExecution& e) {
                    if (e.numero() != Recordset::ViolationConcurrence || i < 50 || i > 69)
                        throw;
                    ++refus;
                }
            }
        } catch (const ErreurExecution& e) {
            erreurs[poste] = e.description();
        }
    };
    std::thread a(supprimer, 0, 0, 69);
    std::thread b(supprimer, 1, 50, 99);
    std::thread c([&] {
        try {
            Connexion c(p);
            depart.arrive_and_wait();
            for (int i = 0; i < 60; ++i)
                nouvelle(c, QStringLiteral("NOUVEAU"));
        } catch (const ErreurExecution& e) {
            erreurs[2] = e.description();
        }
    });
    a.join();
    b.join();
    c.join();
    for (const QString& e : erreurs)
        EXPECT_TRUE(e.isEmpty()) << e.toStdString();
    EXPECT_LE(refus, 20);
    EXPECT_EQ(compte(QStringLiteral("Ventes WHERE Nom = 'NOUVEAU'")), 60);
    EXPECT_EQ(compte(QStringLiteral("Ventes WHERE Nom = 'ANCIENNE' AND NumVente >= ?"), {anciennes.at(100)}),
              20);
    EXPECT_EQ(compte(QStringLiteral("Ventes WHERE Nom = 'ANCIENNE'")), 20);
    EXPECT_EQ(compte(QStringLiteral("DetailVente")), 180);
}

DORVANE_SUR_CHAQUE_BASE(JournalVentesBase);
