// The profile filter of the reports menu over the generator's 100,000 withdrawal lines: CreerEtatCA's step
// with the filter's statement for 1,000 profile names beside EtatCA followed by the same DELETE through a
// bare QSqlQuery, in the same run.
#include "DonneesBench.h"
#include "OutilsBench.h"
#include "common/DateTexte.h"
#include "db/Routines.h"
#include "db/Valeurs.h"
#include "reports/CompteRendu.h"
#include "reports/ReportBuilders.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <cstdio>
#include <vector>

namespace {

const char* const Usage =
    "Usage: bench_filtre_profils [--help]\n"
    "\n"
    "Over the generated data (bench/DonneesBench.h: 100,000 withdrawal lines over two years), whole period:\n"
    "CreerEtatCA's step (EtatCA, then the profile filter's DELETE FROM CA WHERE Profile NOT IN (...) with\n"
    "1,000 bound names, half of the generator's profiles among them, then the count of CA, in one\n"
    "transaction) against, in the same run, Routines::EtatCA then the same DELETE prepared, bound and run\n"
    "through a bare QSqlQuery (target: 1.2 at most). One warm-up, then the median of 9 runs on each side,\n"
    "the sides alternating.\n"
    "SQLite always (a temporary folder); PostgreSQL as well when DORVANE_TEST_PG holds a libpq connection\n"
    "string, e.g. under scripts/with-postgres.\n";

constexpr int Fois = 9;
constexpr int NombreNoms = 1000;

// Every other profile of the generator, then names no line carries, up to 1,000.
QStringList nomsChoisis(Connexion& c) {
    QStringList noms;
    QSqlQuery q = c.executer(QStringLiteral("SELECT Profile FROM ProfileQuota ORDER BY NoQuota"));
    for (int i = 0; q.next(); ++i)
        if (i % 2 == 0)
            noms << q.value(0).toString();
    for (int i = 0; noms.size() < NombreNoms; ++i)
        noms << QStringLiteral("Profil sans ligne %1").arg(i);
    return noms;
}

void mesurer(const char* moteur, Connexion& c) {
    const QDateTime debut = Valeurs::debutPeriode(DonneesBench::premierJour());
    const QDateTime fin = Valeurs::finPeriode(DonneesBench::dernierJour());
    const ReportBuilders::Periode periode{true, DateTexte::ecrire(DonneesBench::premierJour()),
                                          DateTexte::ecrire(DonneesBench::dernierJour())};
    const CompteRendu::Instruction filtre = CompteRendu::filtreProfils(nomsChoisis(c));
    std::vector<double> etape, nu;
    qint64 lignesEtape = 0, lignesNues = 0;
    for (int i = 0; i <= Fois; ++i) {
        QElapsedTimer chrono;
        chrono.start();
        const bool lignes = ReportBuilders::etatCA(periode, filtre.sql, filtre.valeurs)(c, [] {});
        const double a = chrono.nsecsElapsed() / 1e6;
        if (!lignes)
            throw ErreurExecution(ErreurExecution::ErreurBase, QStringLiteral("CA vide"),
                                  QStringLiteral("bench"));
        lignesEtape = c.valeurUnique(QStringLiteral("SELECT COUNT(*) FROM CA")).toLongLong();

        chrono.restart();
        Routines::EtatCA(c, debut, fin);
        // Prepared, bound and run as the layer runs it; a DELETE gives no row to read.
        std::vector<QList<QVariant>> aucune;
        lireNu(c, filtre.sql, filtre.valeurs, aucune);
        const double b = chrono.nsecsElapsed() / 1e6;
        lignesNues = c.valeurUnique(QStringLiteral("SELECT COUNT(*) FROM CA")).toLongLong();
        if (i > 0) {
            etape.push_back(a);
            nu.push_back(b);
        }
    }
    const double me = mediane(etape), mn = mediane(nu);
    std::printf("%-10s | CreerEtatCA step, 1,000 names %8.1f ms | EtatCA + bare DELETE %8.1f ms | ratio %.2f "
                "| CA rows left %lld / %lld\n",
                moteur, me, mn, mn > 0 ? me / mn : 0.0, static_cast<long long>(lignesEtape),
                static_cast<long long>(lignesNues));
}

} // namespace

int main(int argc, char** argv) {
    if (aideDemandee(argc, argv, Usage))
        return 0;
    QCoreApplication app(argc, argv);
    return surLesDeuxBases(QStringLiteral("bench_filtre_profils"), DonneesBench::remplir, mesurer);
}
