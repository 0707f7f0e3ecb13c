#include "BaseDeTest.h"
#include "support/DossierProgrammeTemp.h"

#include "common/ErreurExecution.h"
#include "db/Routines.h"
#include "db/Valeurs.h"
#include "reports/CompteRendu.h"
#include "reports/ReportBuilders.h"

#include <QSqlRecord>
#include <QThread>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

using ReportBuilders::Periode;
using ReportData::Snapshot;

namespace {

const QVariant Nul = QVariant(QMetaType::fromType<QString>());

QDateTime septembre(int jour, int h, int m, int s = 0) {
    return QDateTime(QDate(2026, 9, jour), QTime(h, m, s));
}

Periode periode(const QString& debut, const QString& fin) {
    return {true, debut, fin};
}

// A line of the journal: machine, site, service, article, quantity, value (Nul for a Null).
struct Ligne {
    QVariant machine, site, service, reference;
    QString designation;
    int quantite;
    QVariant prix;
};

class ReportBuildersBase : public TestAvecBase {
protected:
    // One withdrawal with its lines; its number.
    qint64 vente(const QDateTime& date, const QList<Ligne>& lignes) {
        const qint64 n = cnx()
                             .valeurUnique("INSERT INTO Ventes (LaDate, TypeMouvement, Nom) VALUES (?, 3, "
                                           "'O''Neil') RETURNING NumVente",
                                           {Valeurs::valeurDate(date)})
                             .toLongLong();
        for (const Ligne& l : lignes)
            cnx().executer("INSERT INTO DetailVente (NumVente, NoMachine, NomSite, NomService, Reference, "
                           "Designation, Quantite, PrixAchatUnit) VALUES (?, ?, ?, ?, ?, ?, ?, ?)",
                           {n, l.machine, l.site, l.service, l.reference, l.designation, l.quantite, l.prix});
        return n;
    }
    qint64 compte(const QString& table) {
        return cnx().valeurUnique("SELECT COUNT(*) FROM " + table).toLongLong();
    }
    Snapshot lire(const QString& fichier, const QString& source, ReportData::Builder constructeur,
                  const QString& filtre = QString()) {
        ReportData::Request r;
        r.fileName = fichier;
        r.source = source;
        r.title = "Essai";
        r.filter = filtre;
        r.builder = std::move(constructeur);
        return ReportData::read(cnx(), r);
    }
    // The rows of a query as "a|b|c" texts, Nulls empty.
    QStringList rangs(const QString& sql) { return lignesTexte(cnx(), sql); }
    // One withdrawal line of the named profile (none for a Null) on that day of September.
    void venteProfil(int jour, const QVariant& profil) {
        const QVariant no =
            profil.isNull()
                ? QVariant(QMetaType::fromType<qint64>())
                : cnx().valeurUnique("SELECT NoQuota FROM ProfileQuota WHERE Profile = ?", {profil});
        vente(septembre(jour, 10, 0), {{2, "Nord", "Atelier", 10, "Gants", 1, 1.25}});
        cnx().executer("UPDATE DetailVente SET Profile = ? WHERE Id = (SELECT MAX(Id) FROM DetailVente)",
                       {no});
    }
    // The profiles of CA's lines that the profile filter of `choisis` leaves, sorted, "-" for none;
    // "rien" when nothing is left to print.
    QStringList profilsRestants(Connexion& c, const QStringList& choisis, const QString& debut = "01/09/2026",
                                const QString& fin = "30/09/2026") {
        const CompteRendu::Instruction filtre = CompteRendu::filtreProfils(choisis);
        ReportData::Request r;
        r.fileName = "ConsParProfileParSalarieDetail.RPT";
        r.source = "CA";
        r.builder = ReportBuilders::etatCA(periode(debut, fin), filtre.sql, filtre.valeurs);
        const Snapshot s = ReportData::read(c, r);
        if (s.outcome != Snapshot::Outcome::Ready)
            return {"rien"};
        QStringList profils;
        const ReportTable& ca = s.tables.at(0);
        for (int l = 0; l < ca.rowCount(); ++l) {
            const QVariant p = ca.value(l, ca.columnIndex("Profile"));
            profils << (p.isNull() ? QStringLiteral("-") : p.toString());
        }
        profils.sort();
        return profils;
    }
};

} // namespace

// CreerEtatCA's step: only for a period of the menu that is a period; EtatCA's strict bounds; the
// additional statement runs before the count, with its values bound; a text that is no date runs nothing.
TEST_P(ReportBuildersBase, EtatCAStepRunsForAMenuPeriodAndCountsAfterTheStatement) {
    cnx().executer("INSERT INTO CA (Nom) VALUES ('avant'), ('avant'), ('avant')");
    const Ligne gant{2, "Nord", "Atelier", 10, "Gants", 1, 1.25};
    vente(septembre(1, 0, 0, 0), {gant});
    const qint64 matin = vente(septembre(1, 8, 15), {gant});
    const qint64 soir = vente(septembre(30, 17, 40), {gant});
    vente(QDateTime(QDate(2026, 10, 1), QTime(9, 0)), {gant});

    EXPECT_EQ(
        lire("ConsParService.RPT", "CA", ReportBuilders::etatCA({false, "01/09/2026", "30/09/2026"})).outcome,
        Snapshot::Outcome::NothingToPrint);
    for (const auto& [debut, fin] : QList<QPair<QString, QString>>{{"29/02/2026", "30/09/2026"},
                                                                   {"", "30/09/2026"},
                                                                   {"01/09/2026", ""},
                                                                   {"30/09/2026", "01/09/2026"},
                                                                   {"01/09/2026' OR '1'='1", "30/09/2026"},
                                                                   {"01/09/2026", "30/09/2026'); --"}})
        EXPECT_EQ(lire("ConsParService.RPT", "CA", ReportBuilders::etatCA(periode(debut, fin))).outcome,
                  Snapshot::Outcome::NothingToPrint)
            << debut.toStdString() << " " << fin.toStdString();
    EXPECT_EQ(compte("CA"), 3);

    const Snapshot s =
        lire("ConsParService.RPT", "CA", ReportBuilders::etatCA(periode("1/9/2026", "30/09/2026")));
    ASSERT_EQ(s.outcome, Snapshot::Outcome::Ready);
    ASSERT_EQ(s.tables[0].rowCount(), 2);
    const int date = s.tables[0].columnIndex("LaDate");
    EXPECT_EQ(s.tables[0].value(0, date).toDateTime().toString("dd/MM HH:mm") + " " +
                  s.tables[0].value(1, date).toDateTime().toString("dd/MM HH:mm"),
              QStringLiteral("01/09 08:15 30/09 17:40"));

    const QString instruction = "DELETE FROM CA WHERE NumVente = ? OR Nom = ?";
    const Snapshot un = lire("ConsParService.RPT", "CA",
                             ReportBuilders::etatCA(periode("01/09/2026", "30/09/2026"), instruction,
                                                    {matin, QStringLiteral("x' OR 'a'='a")}));
    ASSERT_EQ(un.outcome, Snapshot::Outcome::Ready);
    EXPECT_EQ(un.tables[0].rowCount(), 1);
    EXPECT_EQ(
        lire("ConsParService.RPT", "CA",
             ReportBuilders::etatCA(periode("01/09/2026", "30/09/2026"), instruction, {matin, "O'Neil"}))
            .outcome,
        Snapshot::Outcome::NothingToPrint);
    EXPECT_EQ(compte("CA"), 0);
    Q_UNUSED(soir);
}

// A failure of the step's own work rolls back and is logged under its name before it goes on; a failure of
// the viewer's read goes on unlogged.
TEST_P(ReportBuildersBase, OwnFailuresRollBackAndAreLoggedReadFailuresGoOn) {
    DossierProgrammeTemp dossier;
    ASSERT_TRUE(dossier.valide());
    vente(septembre(2, 9, 0), {{2, "Nord", "Atelier", 10, "Gants", 1, 1.25}});
    cnx().executer("INSERT INTO CA (Nom) VALUES ('avant')");
    const Periode p = periode("01/09/2026", "30/09/2026");

    EXPECT_THROW(lire("ConsParService.RPT", "CA", ReportBuilders::etatCA(p, "DELETE FROM TableAbsente")),
                 ErreurExecution);
    EXPECT_EQ(rangs("SELECT Nom FROM CA"), QStringList{"avant"});
    QStringList journal = dossier.lignesJournal();
    ASSERT_EQ(journal.size(), 1);
    EXPECT_TRUE(journal[0].startsWith("CreerEtatCA|N°: ")) << journal[0].toStdString();
    EXPECT_TRUE(journal[0].contains("TableAbsente", Qt::CaseInsensitive)) << journal[0].toStdString();

    EXPECT_THROW(lire("ConsParService.RPT", "CA", ReportBuilders::etatCA(p), "WHERE ColonneAbsente = 1"),
                 ErreurExecution);
    EXPECT_EQ(rangs("SELECT Nom FROM CA"), QStringList{"avant"});
    EXPECT_EQ(dossier.lignesJournal().size(), 1);

    // The cost-centre step leaves the logging to its builder.
    cnx().executer("DROP TABLE ConsoParMachineSecteur");
    EXPECT_THROW(lire("consoparmachineServiceTalmer.rpt", "ConsoParMachineSecteur",
                      ReportBuilders::consoParCentreCout(p)),
                 ErreurExecution);
    // The summaries log and answer false.
    cnx().executer("DROP TABLE CAparArticle");
    EXPECT_FALSE(ReportBuilders::CreerEtatCAparArticle(cnx(), p));
    journal = dossier.lignesJournal();
    ASSERT_EQ(journal.size(), 2);
    EXPECT_TRUE(journal[1].startsWith("CreerEtatCAparArticle|")) << journal[1].toStdString();
    EXPECT_FALSE(cnx().enTransaction());
}

// The cost-centre table: one row per machine, site, service and article over the lines EtatCA takes for the
// same bounds, a line's value counted once whatever its quantity, Null keys in groups of their own.
TEST_P(ReportBuildersBase, CostCentreSumsPerMachineSiteServiceAndArticleAsCADoes) {
    cnx().executer("INSERT INTO Machines (NoMachine, Location) VALUES (2, 'Hall B'), (5, 'Quai 5')");
    vente(septembre(1, 0, 0, 0), {{2, "Nord", "Atelier", 10, "Gants", 9, 9.0}}); // on the bound: out
    vente(septembre(3, 8, 15), {{2, "Nord", "Atelier", 10, "Gants", 4, 5.0},
                                {2, "Nord", "Atelier", 11, "Lunettes", 1, 3.5},
                                {2, "Nord", "Peinture", 10, "Gants", 2, 2.5}});
    // Two identical lines of one withdrawal are one line, as in CA.
    vente(septembre(4, 10, 0),
          {{2, "Nord", "Atelier", 10, "Gants", 1, 1.25}, {2, "Nord", "Atelier", 10, "Gants", 1, 1.25}});
    vente(septembre(30, 17, 40), {{5, "Sud", "Peinture", 12, "Casque", 3, 30.0}});
    vente(septembre(30, 18, 0),
          {{Nul, Nul, Nul, 12, "Casque", 1, Nul}, {9, "Sud", "Quai", 13, "Bottes", 2, 0.1}});
    vente(QDateTime(QDate(2026, 10, 1), QTime(9, 0)), {{5, "Sud", "Peinture", 12, "Casque", 7, 70.0}});

    const Periode p = periode("01/09/2026", "30/09/2026");
    const Snapshot s = lire("consoparmachineServiceTalmer.rpt", "ConsoParMachineSecteur",
                            ReportBuilders::consoParCentreCout(p));
    ASSERT_EQ(s.outcome, Snapshot::Outcome::Ready);
    EXPECT_EQ(s.rule, ReportData::Rule::Source);
    ASSERT_EQ(s.tables.size(), 3);
    EXPECT_EQ(s.tables[0].rowCount(), 6);
    EXPECT_GE(s.tables[1].columnIndex("Periode"), 0);
    EXPECT_GE(s.tables[2].columnIndex("NOM"), 0);

    const QString lignes =
        "SELECT NoMachine, Location, NomSite, NomService, Reference, Designation, Quantite, "
        "CAST(ROUND(Montant * 100) AS INTEGER) FROM ConsoParMachineSecteur ";
    EXPECT_EQ(rangs(lignes + "WHERE NoMachine IS NOT NULL ORDER BY NoMachine, NomService, Reference"),
              (QStringList{"2|Hall B|Nord|Atelier|10|Gants|5|625", "2|Hall B|Nord|Atelier|11|Lunettes|1|350",
                           "2|Hall B|Nord|Peinture|10|Gants|2|250", "5|Quai 5|Sud|Peinture|12|Casque|3|3000",
                           "9||Sud|Quai|13|Bottes|2|10"}));
    EXPECT_EQ(rangs(lignes + "WHERE NoMachine IS NULL"), QStringList{"||||12|Casque|1|0"});

    // The same sums as CA's for the same bounds.
    const QStringList resume = rangs("SELECT SUM(Quantite), CAST(ROUND(SUM(Montant) * 100) AS INTEGER) FROM "
                                     "ConsoParMachineSecteur");
    const std::optional<ReportBuilders::Bornes> b = ReportBuilders::bornes(p.debut, p.fin);
    Routines::EtatCA(cnx(), b->debut, b->fin);
    EXPECT_EQ(resume, rangs("SELECT SUM(Quantite), CAST(ROUND(SUM(COALESCE(PrixAchatUnit, 0)) * 100) AS "
                            "INTEGER) FROM CA"));

    // No period: nothing runs; an empty month: the table emptied, nothing to print.
    EXPECT_EQ(lire("consoparmachineServiceTalmer.rpt", "ConsoParMachineSecteur",
                   ReportBuilders::consoParCentreCout(periode("31/09/2026", "30/11/2026")))
                  .outcome,
              Snapshot::Outcome::NothingToPrint);
    EXPECT_EQ(compte("ConsoParMachineSecteur"), 6);
    EXPECT_EQ(lire("consoparmachineServiceTalmer.rpt", "ConsoParMachineSecteur",
                   ReportBuilders::consoParCentreCout(periode("01/11/2026", "30/11/2026")))
                  .outcome,
              Snapshot::Outcome::NothingToPrint);
    EXPECT_EQ(compte("ConsoParMachineSecteur"), 0);
}

// The two summaries no window calls: per hour, withdrawals counted once; per article, quantities as in CA.
TEST_P(ReportBuildersBase, SummariesPerHourAndPerArticle) {
    vente(septembre(1, 8, 5),
          {{2, "Nord", "Atelier", 10, "Gants", 2, 2.5}, {2, "Nord", "Atelier", 11, "Lunettes", 1, 3.5}});
    vente(septembre(2, 8, 55), {{5, "Sud", "Peinture", 10, "Gants", 3, 3.75}});
    vente(septembre(30, 17, 40), {{Nul, Nul, Nul, 12, "Casque", 1, Nul}});
    vente(QDateTime(QDate(2026, 10, 1), QTime(8, 30)), {{5, "Sud", "Peinture", 10, "Gants", 5, 5.0}});
    const Periode p = periode("01/09/2026", "30/09/2026");

    EXPECT_TRUE(ReportBuilders::CreerEtatSuiviParHeure(cnx(), p));
    EXPECT_EQ(rangs("SELECT Heure, NbRetraits, Quantite FROM EtatSuiviParHeure ORDER BY Heure"),
              (QStringList{"8|2|6", "17|1|1"}));
    EXPECT_TRUE(ReportBuilders::CreerEtatCAparArticle(cnx(), p));
    const QStringList articles = rangs(
        "SELECT Reference, Designation, Quantite, CAST(ROUND(Montant * 100) AS INTEGER) FROM CAparArticle "
        "ORDER BY Reference");
    EXPECT_EQ(articles, (QStringList{"10|Gants|5|625", "11|Lunettes|1|350", "12|Casque|1|0"}));
    const std::optional<ReportBuilders::Bornes> b = ReportBuilders::bornes(p.debut, p.fin);
    Routines::EtatCA(cnx(), b->debut, b->fin);
    EXPECT_EQ(rangs("SELECT Reference, SUM(Quantite) FROM CA GROUP BY Reference ORDER BY Reference"),
              (QStringList{"10|5", "11|1", "12|1"}));

    // By name, with the procedure's texts; a missing bound or a wrong count is refused, the table kept.
    Routines::executer("AjoutCAparArticle", cnx(),
                       {QString("01/10/2026 00:00:00"), QString("31/10/2026 23:59:59")});
    EXPECT_EQ(rangs("SELECT Reference, Quantite FROM CAparArticle"), QStringList{"10|5"});
    EXPECT_THROW(Routines::executer("AjoutSuiviParHeure", cnx(), {QString("01/10/2026"), Nul}),
                 ErreurExecution);
    EXPECT_THROW(Routines::executer("ConsoParCentreCout", cnx(), {QString("01/10/2026")}), ErreurExecution);
    EXPECT_EQ(compte("EtatSuiviParHeure"), 2);

    // No date, or an empty period: false.
    EXPECT_FALSE(ReportBuilders::CreerEtatSuiviParHeure(cnx(), periode("29/02/2026", "30/09/2026")));
    EXPECT_EQ(compte("EtatSuiviParHeure"), 2);
    EXPECT_FALSE(ReportBuilders::CreerEtatCAparArticle(cnx(), periode("01/11/2026", "30/11/2026")));
    EXPECT_EQ(compte("CAparArticle"), 0);
}

// Two workstations building the cost-centre report of different periods at once, each on its own
// connection: each reads its own period's rows, though the table is filled a while before it is read.
TEST_P(ReportBuildersBase, TwoCostCentreReportsAtOnceEachPrintTheirOwnRows) {
    cnx().executer("INSERT INTO Machines (NoMachine, Location) VALUES (2, 'Hall B'), (5, 'Quai 5')");
    for (int jour = 1; jour <= 20; ++jour) {
        vente(QDateTime(QDate(2026, 9, jour), QTime(10, 0)),
              {{2, "Nord", "Atelier", 10 + jour, "Gants", 1, 1.0}});
        vente(QDateTime(QDate(2026, 10, jour), QTime(10, 0)),
              {{5, "Sud", "Quai", 40 + jour, "Casque", 1, 1.0}});
    }
    const ParametresConnexion parametres = base().parametres();
    std::atomic<int> ecarts{0}, lectures{0};
    const auto poste = [&](int mois, const QString& location) {
        try {
            Connexion c(parametres);
            const QString fin =
                QStringLiteral("%1/%2/2026").arg(mois == 9 ? 30 : 31).arg(mois, 2, 10, QChar('0'));
            for (int i = 0; i < 5; ++i) {
                const ReportData::Builder etape = ReportBuilders::consoParCentreCout(
                    periode(QStringLiteral("01/%1/2026").arg(mois, 2, 10, QChar('0')), fin));
                ReportData::Request r;
                r.fileName = "consoparmachineServiceTalmer.rpt";
                r.source = "ConsoParMachineSecteur";
                r.builder = [&](Connexion& cx, const std::function<void()>& lecture) {
                    return etape(cx, [&] {
                        QThread::msleep(30);
                        lecture();
                    });
                };
                const Snapshot s = ReportData::read(c, r);
                const ReportTable& t = s.tables.value(0);
                bool siens = t.rowCount() == 20;
                for (int l = 0; l < t.rowCount(); ++l)
                    siens = siens && Valeurs::lireTexte(t.value(l, t.columnIndex("Location"))) == location;
                if (!siens)
                    ++ecarts;
                ++lectures;
            }
        } catch (const ErreurExecution& e) {
            ADD_FAILURE() << e.description().toStdString();
        }
    };
    std::thread septembre(poste, 9, QStringLiteral("Hall B"));
    std::thread octobre(poste, 10, QStringLiteral("Quai 5"));
    septembre.join();
    octobre.join();
    EXPECT_EQ(lectures, 10);
    EXPECT_EQ(ecarts, 0);
}

// The profile filter: the lines of the profiles named and those without a profile stay; names compare as
// the column compares them (case folded), every other character as it is (quotes, "%", "_"); a thousand
// names are one list; two workstations filtering at once each print their own profiles.
TEST_P(ReportBuildersBase, ProfileFilterKeepsTheNamedProfilesAndTheLinesWithoutOne) {
    const QString long100(100, u'x');
    QStringList noms = {"Soudure", "Magasin l'Est", "Peinture", "100%", "100x", "_", "a", long100};
    for (const QString& n : noms)
        cnx().executer("INSERT INTO ProfileQuota (Profile) VALUES (?)", {n});
    for (const QString& n : noms)
        venteProfil(2, n);
    venteProfil(3, QVariant());

    EXPECT_EQ(profilsRestants(cnx(), {"Soudure", "Magasin l'Est"}),
              (QStringList{"-", "Magasin l'Est", "Soudure"}));
    EXPECT_EQ(profilsRestants(cnx(), {}),
              (QStringList{"-", "100%", "100x", "Magasin l'Est", "Peinture", "Soudure", "_", "a", long100}));
    EXPECT_EQ(profilsRestants(cnx(), {"SOUDURE", "100%", "_", "A"}),
              (QStringList{"-", "100%", "Soudure", "_", "a"}));
    EXPECT_EQ(profilsRestants(cnx(), {"Absent", "x' OR '1'='1"}), QStringList{"-"});
    EXPECT_EQ(profilsRestants(cnx(), {"Soudure"}, "01/10/2026", "31/10/2026"), QStringList{"rien"});

    QStringList mille = {"Peinture", long100, "Magasin l'Est"};
    for (int i = 0; mille.size() < 1000; ++i)
        mille << QStringLiteral("Profil %1").arg(i);
    EXPECT_EQ(profilsRestants(cnx(), mille), (QStringList{"-", "Magasin l'Est", "Peinture", long100}));

    // Two workstations at once, each its own selection, on connections of their own.
    const ParametresConnexion parametres = base().parametres();
    std::atomic<int> ecarts{0};
    const auto poste = [&](const QString& profil) {
        try {
            Connexion c(parametres);
            for (int i = 0; i < 5; ++i)
                if (profilsRestants(c, {profil}) != (QStringList{"-", profil}))
                    ++ecarts;
        } catch (const ErreurExecution& e) {
            ADD_FAILURE() << e.description().toStdString();
        }
    };
    std::thread soudure(poste, QStringLiteral("Soudure"));
    std::thread peinture(poste, QStringLiteral("Peinture"));
    soudure.join();
    peinture.join();
    EXPECT_EQ(ecarts, 0);
}

DORVANE_SUR_CHAQUE_BASE(ReportBuildersBase);
