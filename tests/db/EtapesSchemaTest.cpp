#include "BaseDeTest.h"

#include "common/ErreurExecution.h"
#include "db/Connexion.h"
#include "db/Schema.h"

#include <QSqlQuery>
#include <QStringList>
#include <QThread>
#include <atomic>
#include <gtest/gtest.h>
#include <latch>
#include <memory>
#include <thread>

namespace {

// A step of the test's own, taken out again however the test ends.
class EtapeDeTest {
public:
    EtapeDeTest(int version, std::function<void(Connexion&)> appliquer) : m_version(version) {
        Schema::enregistrerEtape(version, std::move(appliquer));
    }
    ~EtapeDeTest() { Schema::retirerEtape(m_version); }
    EtapeDeTest(const EtapeDeTest&) = delete;
    EtapeDeTest& operator=(const EtapeDeTest&) = delete;

private:
    int m_version;
};

// Two workstations starting together: each thread opens its own connection, waits for the other, then
// brings the database up to date. What each reached, or its error.
QStringList deuxPostes(const ParametresConnexion& p) {
    std::latch depart(2);
    QString resultats[2];
    auto poste = [&](int i) {
        std::unique_ptr<Connexion> c;
        try {
            c = std::make_unique<Connexion>(p);
        } catch (const ErreurExecution& e) {
            resultats[i] = e.description();
        }
        depart.arrive_and_wait();
        if (!c)
            return;
        try {
            resultats[i] = QString::number(Schema::mettreAJour(*c));
        } catch (const ErreurExecution& e) {
            resultats[i] = e.description();
        }
    };
    std::thread a(poste, 0);
    std::thread b(poste, 1);
    a.join();
    b.join();
    return {resultats[0], resultats[1]};
}

} // namespace

class EtapesSchemaBase : public TestAvecBase {};

TEST_P(EtapesSchemaBase, TwoWorkstationsStartingTogetherRunAStepOnce) {
    std::atomic<int> passages{0};
    const int cible = Schema::versionCourante() + 1;
    const EtapeDeTest etape(cible, [&passages](Connexion& c) {
        ++passages;
        // Long enough for the other workstation to come in meanwhile; a second run fails on the table.
        QThread::msleep(300);
        c.executer(QStringLiteral("CREATE TABLE EtapeConcurrente (x INTEGER)"));
    });
    const QString atteinte = QString::number(cible);
    const auto verifier = [&](int essai) {
        EXPECT_EQ(deuxPostes(base().parametres()).join(QStringLiteral(" | ")).toStdString(),
                  (atteinte + QStringLiteral(" | ") + atteinte).toStdString())
            << essai;
        EXPECT_EQ(passages.exchange(0), 1) << essai;
        EXPECT_EQ(cnx().valeurUnique(QStringLiteral("SELECT COUNT(*) FROM SchemaDorvane")).toLongLong(), 1)
            << essai;
        EXPECT_EQ(Schema::versionBase(cnx()), cible) << essai;
    };
    verifier(0);

    // A database without our number (converted from elsewhere): both workstations find the number's
    // table missing at the same moment; one makes it, the other waits for it. The window is narrow, so
    // a few tries.
    for (int essai = 1; essai <= 5; ++essai) {
        cnx().executer(QStringLiteral("DROP TABLE SchemaDorvane"));
        cnx().executer(QStringLiteral("DROP TABLE EtapeConcurrente"));
        verifier(essai);
    }
}

TEST_P(EtapesSchemaBase, SearchedColumnsAreFoundThroughAnIndex) {
    // What the counter, the badge readers, the stock forms and the supplier join look for, and the index
    // each must use; a plan without it scans the table (or, on SQLite, builds a temporary index).
    const struct {
        const char* sql;
        const char* index;
    } requetes[] = {
        {"SELECT * FROM ArticleEnStock WHERE CodeBar = '3401234567890'", "IX_ArticleEnStock_CodeBar"},
        {"SELECT NumVente, LaDate FROM Ventes WHERE Utilisateur = '04A1B2C3D4'", "IX_Ventes_Utilisateur"},
        {"SELECT * FROM DetailVente WHERE Reference = 100012", "IX_DetailVente_Reference"},
        {"SELECT CodeArticle FROM CodeArticle WHERE Reference = 100012", "IX_CodeArticle_Reference"},
        {"SELECT * FROM Utilisateurs WHERE MatriculeSalarie = 'M004512'", "IX_Utilisateurs_MatriculeSalarie"},
        {"SELECT * FROM StockGlobal WHERE Reference = 100012", "IX_Fournisseur_No"},
        {"SELECT * FROM StockGlobal", "IX_Fournisseur_No"},
    };
    const bool sqlite = cnx().estSQLite();
    // Empty tables: PostgreSQL is told to prefer any index to a scan, as it would with real volumes.
    TransactionEcriture t(cnx());
    if (!sqlite)
        cnx().executer(QStringLiteral("SET LOCAL enable_seqscan = off"));
    for (const auto& r : requetes) {
        QSqlQuery q =
            cnx().executer((sqlite ? QStringLiteral("EXPLAIN QUERY PLAN ") : QStringLiteral("EXPLAIN ")) +
                           QLatin1String(r.sql));
        QStringList plan, materialises;
        while (q.next())
            plan << q.value(sqlite ? 3 : 0).toString();
        // SQLite may index a subquery's transient result (the view's slot sums): that is no table.
        for (const QString& ligne : plan)
            if (ligne.startsWith(QLatin1String("MATERIALIZE ")))
                materialises << ligne.section(u' ', 1, 1);
        const QString texte = plan.join(u'\n');
        EXPECT_TRUE(texte.contains(QLatin1String(r.index), Qt::CaseInsensitive)) << r.sql << "\n"
                                                                                 << texte.toStdString();
        for (const QString& ligne : plan)
            EXPECT_FALSE(ligne.contains(QLatin1String("AUTOMATIC")) &&
                         !materialises.contains(ligne.section(u' ', 1, 1)))
                << r.sql << "\n"
                << texte.toStdString();
    }
}

// The summaries' work tables come with a new database; their step run again on a database that lost its
// number changes nothing, rows included.
TEST_P(EtapesSchemaBase, SummaryWorkTablesArriveOnceAndTheirStepMayRunTwice) {
    const QStringList insertions = {
        "INSERT INTO ConsoParMachineSecteur (NoMachine, Location, NomSite, NomService, Reference, "
        "Designation, "
        "Quantite, Montant) VALUES (2, 'Hall B', 'Nord', 'Atelier', 12345678901, 'Gants', 4, 5.0001)",
        "INSERT INTO EtatSuiviParHeure (Heure, NbRetraits, Quantite) VALUES (8, 2, 6)",
        "INSERT INTO CAparArticle (Reference, Designation, Quantite, Montant) VALUES (12345678901, 'Gants', "
        "4, "
        "5)"};
    for (const QString& sql : insertions)
        cnx().executer(sql);
    cnx().executer(QStringLiteral("UPDATE SchemaDorvane SET Version = 2"));
    EXPECT_EQ(Schema::mettreAJour(cnx()), Schema::versionCourante());
    EXPECT_EQ(
        cnx()
            .valeurUnique(QStringLiteral("SELECT (SELECT COUNT(*) FROM ConsoParMachineSecteur) + (SELECT "
                                         "COUNT(*) FROM EtatSuiviParHeure) + (SELECT COUNT(*) FROM "
                                         "CAparArticle)"))
            .toLongLong(),
        3);
    EXPECT_EQ(
        cnx()
            .valeurUnique(QStringLiteral("SELECT Montant FROM ConsoParMachineSecteur WHERE NomSite = 'NORD' "
                                         "AND Reference = 12345678901"))
            .toDouble(),
        5.0001);
}

DORVANE_SUR_CHAQUE_BASE(EtapesSchemaBase);

TEST(EtapesSchema, ANumberTakenTwiceStopsAndATestsStepGoesAway) {
    const int avant = Schema::versionCourante();
    {
        const EtapeDeTest etape(avant + 1, [](Connexion&) {});
        EXPECT_EQ(Schema::versionCourante(), avant + 1);
        // The second step of a number would never run: refused at once, and so is a step at the creation.
        EXPECT_DEATH(Schema::enregistrerEtape(avant + 1, [](Connexion&) {}), "registered twice");
        EXPECT_DEATH(Schema::enregistrerEtape(1, [](Connexion&) {}), "registered twice");
    }
    EXPECT_EQ(Schema::versionCourante(), avant);
}
