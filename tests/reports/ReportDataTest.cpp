#include "BaseDeTest.h"

#include "common/ErreurExecution.h"
#include "db/Routines.h"
#include "db/Valeurs.h"
#include "reports/ReportData.h"

#include <QThread>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

using ReportData::Rule;
using ReportData::Snapshot;

namespace {

QStringList colonne(const ReportTable& t, const QString& nom) {
    QStringList r;
    for (int i = 0; i < t.rowCount(); ++i)
        r << Valeurs::lireTexte(t.value(i, t.columnIndex(nom)));
    return r;
}

ReportData::Request demande(const QString& fichier, const QString& source, const QString& titre = "Essai") {
    ReportData::Request r;
    r.fileName = fichier;
    r.source = source;
    r.title = titre;
    r.period = ReportData::periodLine("1/3/2026", "31/03/2026", true);
    return r;
}

} // namespace

TEST(ReportData, RulesInTheirOrderWithExactNames) {
    EXPECT_EQ(ReportData::rule("ConsParMachineGraf.rpt", "select * from Retour"), Rule::Machines);
    EXPECT_EQ(ReportData::rule("ConsUnSalarie.rpt", "select * from Retour"), Rule::Returns);
    EXPECT_EQ(ReportData::rule("ConsUnSalarie.rpt", ""), Rule::Articles);
    EXPECT_EQ(ReportData::rule("ConsSur1refeParSalarieTalmer.RPT", "select * from CA where Nom = ?"),
              Rule::Source);
    EXPECT_EQ(ReportData::rule("ConsUnSalarie.RPT", "CA"), Rule::CA);
    EXPECT_EQ(ReportData::rule("Stock.RPT", "select * from ca"), Rule::Source);
}

class ReportDataBase : public TestAvecBase {
protected:
    void SetUp() override {
        TestAvecBase::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        cnx().executer("UPDATE InfoSociete SET NOM = ?", {QStringLiteral("Société Élan")});
        cnx().executer("INSERT INTO InfoEtat (Titre, Periode) VALUES ('Ancien', 'Ancienne')");
        cnx().executer(
            "INSERT INTO ARemplissageMachine (Etage, Designation) VALUES (3, 'Gants'), (1, 'Bottes'), "
            "(2, 'Lunettes')");
        cnx().executer(
            "INSERT INTO CA (Nom, Prenom, Reference) VALUES ('O''Neil', 'Zoé', 1), ('Dupont', 'Émile', "
            "2), ('Dupont', 'Émile', 1)");
    }
    QStringList entete() {
        QStringList r;
        QSqlQuery q = cnx().executer("SELECT Titre, Periode FROM InfoEtat");
        while (q.next())
            r << q.value(0).toString() + u'|' + q.value(1).toString();
        return r;
    }
};

// Every rule binds its tables by position, from the sources as given; the header holds one row.
TEST_P(ReportDataBase, TablesByPositionFromTheSourcesAsGivenAndOneHeaderRow) {
    Snapshot s =
        ReportData::read(cnx(), demande("FicheImageProduit.RPT", "ARemplissageMachine order by Etage"));
    ASSERT_EQ(s.tables.size(), 3);
    EXPECT_EQ(colonne(s.tables[0], "Designation"), (QStringList{"Bottes", "Lunettes", "Gants"}));
    EXPECT_EQ(colonne(s.tables[2], "NOM"), QStringList{"Société Élan"});
    s = ReportData::read(cnx(), demande("ConsParSite.RPT", "CA", "Consommations du Site Nord"));
    EXPECT_EQ(colonne(s.tables[1], "Titre"), QStringList{"Consommations du Site Nord"});
    EXPECT_EQ(entete(), QStringList{"Consommations du Site Nord|Période du 01/03/2026 au 31/03/2026"});

    // The employee report binds the whole CA whatever the filter; another takes the filter, its value bound.
    ReportData::Request r = demande("ConsUnSalarie.rpt", "CA");
    r.filter = "where Nom = ? order by Prenom";
    r.filterValues = {QStringLiteral("O'Neil")};
    EXPECT_EQ(ReportData::read(cnx(), r).tables[0].rowCount(), 3);
    r.fileName = "ConsParSite.RPT";
    EXPECT_EQ(colonne(ReportData::read(cnx(), r).tables[0], "Prenom"), QStringList{"Zoé"});
    r = demande("ConsSur1refeParSalarie.RPT", "select * from CA where Nom = ? and Reference = ?");
    r.values = {QStringLiteral("Dupont"), 1};
    EXPECT_EQ(ReportData::read(cnx(), r).tables[0].rowCount(), 1);

    cnx().executer("INSERT INTO Utilisateurs (Nom) VALUES ('Zoé'), ('émile'), ('Dupont')");
    EXPECT_EQ(ReportData::read(cnx(), demande("CodeBarSalarie.RPT", "GrUtilisateur")).tables.size(), 2);
    s = ReportData::read(cnx(), demande("CodeBarSalarie.RPT", "GrUtilisateur order by Nom"));
    ASSERT_EQ(s.tables.size(), 3);
    EXPECT_EQ(colonne(s.tables[0], "Nom"), (QStringList{"Dupont", "émile", "Zoé"}));
    EXPECT_EQ(entete().size(), 1);
}

// A failure anywhere, the builder's included, leaves the header and the work table as they were.
TEST_P(ReportDataBase, FailuresAndBuildersLeaveNoHalfWrittenHeader) {
    const QStringList avant{"Ancien|Ancienne"};
    EXPECT_THROW(ReportData::read(cnx(), demande("X.RPT", "select * from TableInconnue")), ErreurExecution);
    ReportData::Request r = demande("ConsParSite.RPT", "CA");
    r.builder = [](Connexion& c, const std::function<void()>& lire) -> bool {
        TransactionEcriture t(c);
        c.executer("DELETE FROM CA");
        lire();
        throw ErreurExecution(ErreurExecution::ErreurBase, "échec du constructeur");
    };
    EXPECT_THROW(ReportData::read(cnx(), r), ErreurExecution);
    EXPECT_EQ(cnx().valeurUnique("SELECT COUNT(*) FROM CA").toInt(), 3);
    r.builder = [](Connexion&, const std::function<void()>&) { return false; };
    EXPECT_EQ(ReportData::read(cnx(), r).outcome, Snapshot::Outcome::NothingToPrint);
    EXPECT_EQ(entete(), avant);
    EXPECT_FALSE(cnx().enTransaction());

    r.builder = ReportData::inTransaction({"CA"}, [](Connexion& c) {
        c.executer("DELETE FROM CA WHERE Reference = 2");
        return true;
    });
    EXPECT_EQ(ReportData::read(cnx(), r).tables[0].rowCount(), 2);
}

// Two workstations printing at once on their own connections, with and without a builder: each prints
// its own title and its own period's rows, and the header table keeps one row.
TEST_P(ReportDataBase, TwoReportsAtOnceEachPrintItsOwnTitleAndRows) {
    for (int mois : {3, 4})
        for (int jour = 2; jour <= mois; ++jour) {
            const QVariant n = cnx().valeurUnique(
                "INSERT INTO Ventes (LaDate, TypeMouvement) VALUES (?, 3) RETURNING NumVente",
                {Valeurs::valeurDate(QDateTime(QDate(2026, mois, jour), QTime(10, 0)))});
            cnx().executer("INSERT INTO DetailVente (NumVente, Reference, Quantite) VALUES (?, ?, 1)",
                           {n, mois});
        }
    const ParametresConnexion parametres = base().parametres();
    std::atomic<int> ecarts{0}, lectures{0};
    const auto poste = [&](int mois) {
        try {
            Connexion c(parametres);
            for (int i = 0; i < 8; ++i) {
                const QString titre = QStringLiteral("Poste %1 n°%2").arg(mois).arg(i);
                ReportData::Request r = demande("ConsParSite.RPT", "CA", titre);
                if (i % 2 == 0) {
                    // The header is held a while before the commit: the other workstation must wait.
                    r.builder = [mois](Connexion& cx, const std::function<void()>& lire) {
                        Routines::EtatCA(cx, Valeurs::debutPeriode(QDate(2026, mois, 1)),
                                         Valeurs::finPeriode(QDate(2026, mois, 28)), [&] {
                                             lire();
                                             QThread::msleep(20);
                                         });
                        return true;
                    };
                } else {
                    r.fileName = "FicheImageProduit.RPT";
                    r.source = "ARemplissageMachine";
                }
                const Snapshot s = ReportData::read(c, r);
                if (colonne(s.tables[1], "Titre") != QStringList{titre})
                    ++ecarts;
                if (s.rule == Rule::CA &&
                    colonne(s.tables[0], "Reference") != QStringList(mois - 1, QString::number(mois)))
                    ++ecarts;
                ++lectures;
            }
        } catch (const ErreurExecution& e) {
            ADD_FAILURE() << e.description().toStdString();
        }
    };
    std::thread mars(poste, 3);
    std::thread avril(poste, 4);
    mars.join();
    avril.join();
    EXPECT_EQ(lectures, 16);
    EXPECT_EQ(ecarts, 0);
    EXPECT_EQ(entete().size(), 1);
}

DORVANE_SUR_CHAQUE_BASE(ReportDataBase);
