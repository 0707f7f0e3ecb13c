// The report builders over the generator's 100,000 withdrawal lines: ConsoParCentreCout beside its
// statements timed in one sqlite3 / psql session, and CreerEtatCA's step with the viewer's read of CA beside
// EtatCA followed by a bare SELECT * FROM CA.
#include "DonneesBench.h"
#include "OutilsBench.h"
#include "common/DateTexte.h"
#include "common/ErreurExecution.h"
#include "db/Connexion.h"
#include "db/Routines.h"
#include "db/Valeurs.h"
#include "reports/ReportBuilders.h"
#include "reports/ReportData.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cstdio>
#include <vector>

namespace {

const char* const Usage =
    "Usage: bench_conso_centre_cout [--help]\n"
    "\n"
    "Over the generated data (bench/DonneesBench.h: 100,000 withdrawal lines over two years), whole period:\n"
    "  1. Routines::ConsoParCentreCout against the same statements (BEGIN, the lock on PostgreSQL, DELETE\n"
    "     FROM ConsoParMachineSecteur, the INSERT ... SELECT, COMMIT) run in one session of the engine's "
    "own\n"
    "     shell and timed there: sqlite3 with \".timer on\" on the same file, psql with \"\\timing on\" on "
    "the\n"
    "     same database (target: 1.1 at most). No process start nor connection is timed on either side.\n"
    "  2. CreerEtatCA's step as the viewer runs it (ReportData::read: EtatCA, the count, the header written\n"
    "     and CA, InfoEtat and InfoSociete read into memory, in one transaction) against, in the same run,\n"
    "     Routines::EtatCA then a bare QSqlQuery reading every value of SELECT * FROM CA (target: 1.2 at\n"
    "     most).\n"
    "One warm-up, then the median of 7 runs on each side, the two sides of step 2 alternating.\n"
    "SQLite always (a temporary folder; needs the sqlite3 shell); PostgreSQL as well when DORVANE_TEST_PG\n"
    "holds a libpq connection string, e.g. under scripts/with-postgres (needs psql).\n";

constexpr int Fois = 7;

const QDateTime Debut = Valeurs::debutPeriode(DonneesBench::premierJour());
const QDateTime Fin = Valeurs::finPeriode(DonneesBench::dernierJour());

QByteArray script(bool sqlite, const QString& entete, int runs) {
    return scriptTableTravail(QStringLiteral("ConsoParMachineSecteur"), Routines::sqlConsoParCentreCout(),
                              Valeurs::texteDate(Debut), Valeurs::texteDate(Fin), sqlite, entete, runs);
}

double tempsRoutine(Connexion& c, qint64* lignes) {
    std::vector<double> t;
    for (int i = 0; i <= Fois; ++i) {
        QElapsedTimer chrono;
        chrono.start();
        Routines::ConsoParCentreCout(c, Debut, Fin);
        if (i > 0)
            t.push_back(chrono.nsecsElapsed() / 1e6);
    }
    *lignes = c.valeurUnique(QStringLiteral("SELECT COUNT(*) FROM ConsoParMachineSecteur")).toLongLong();
    return mediane(t);
}

void afficherCentre(const char* moteur, double routine, double shell, const char* nomShell, qint64 lignes) {
    std::printf("%-10s | ConsoParCentreCout %8.1f ms | %-22s %8.1f ms | ratio %.2f | rows %lld\n", moteur,
                routine, nomShell, shell, shell > 0 ? routine / shell : 0.0, static_cast<long long>(lignes));
}

// CreerEtatCA's step with the viewer's read, beside EtatCA and a bare read of CA, alternately.
void mesurerEtape(const char* moteur, Connexion& c) {
    const ReportBuilders::Periode periode{true, DateTexte::ecrire(DonneesBench::premierJour()),
                                          DateTexte::ecrire(DonneesBench::dernierJour())};
    ReportData::Request requete;
    requete.fileName = QStringLiteral("ConsParSite.RPT");
    requete.title = QStringLiteral("Consommations par Sites");
    requete.period = ReportData::periodLine(periode.debut, periode.fin, true);
    requete.source = QStringLiteral("CA");
    std::vector<double> etape, nu;
    int lignesEtape = 0;
    size_t lignesNues = 0;
    for (int i = 0; i <= Fois; ++i) {
        QElapsedTimer chrono;
        chrono.start();
        requete.builder = ReportBuilders::etatCA(periode);
        const ReportData::Snapshot s = ReportData::read(c, requete);
        const double a = chrono.nsecsElapsed() / 1e6;
        lignesEtape = s.tables.value(0).rowCount();

        chrono.restart();
        Routines::EtatCA(c, Debut, Fin);
        std::vector<QList<QVariant>> rangs;
        lireNu(c, QStringLiteral("SELECT * FROM CA"), rangs);
        const double b = chrono.nsecsElapsed() / 1e6;
        lignesNues = rangs.size();
        if (i > 0) {
            etape.push_back(a);
            nu.push_back(b);
        }
    }
    const double me = mediane(etape), mn = mediane(nu);
    std::printf(
        "%-10s | CreerEtatCA step + read %8.1f ms | EtatCA + bare SELECT * FROM CA %8.1f ms | ratio %.2f "
        "| rows %d / %zu\n",
        moteur, me, mn, mn > 0 ? me / mn : 0.0, lignesEtape, lignesNues);
}

} // namespace

int main(int argc, char** argv) {
    if (aideDemandee(argc, argv, Usage))
        return 0;
    QCoreApplication app(argc, argv);
    try {
        QTemporaryDir dossier;
        ParametresConnexion p = creerBaseBench(dossier.path(), DonneesBench::remplir);
        const QString fichier = Connexion::cheminFichier(p.dossier, p.base);
        {
            Connexion c(p);
            qint64 lignes = 0;
            const double routine = tempsRoutine(c, &lignes);
            const double shell =
                tempsSqlite3(fichier, script(true, QStringLiteral(".timer on\n"), Fois + 1), Fois, 4);
            afficherCentre("SQLite", routine, shell, "sqlite3 shell (.timer)", lignes);
            mesurerEtape("SQLite", c);
        }

        surServeurBench(
            QStringLiteral("bench_centre"), DonneesBench::remplir, [&](Connexion& cp, const QString& nom) {
                qint64 lignes = 0;
                const double routine = tempsRoutine(cp, &lignes);
                const double psql =
                    tempsPsql(nom, script(false, QStringLiteral("\\timing on\n"), Fois + 1), Fois, 5);
                afficherCentre("PostgreSQL", routine, psql, "psql (\\timing)", lignes);
                mesurerEtape("PostgreSQL", cp);
            });
    } catch (const ErreurExecution& e) {
        std::fprintf(stderr, "Échec : %s\n", qPrintable(e.description()));
        return 1;
    }
    return 0;
}
