// EtatCA over the generator's 100,000 withdrawal lines: the routine beside the same statements timed
// inside one sqlite3 shell session (".timer on") on the same file, and inside one psql session
// ("\timing") on the same PostgreSQL database when DORVANE_TEST_PG is set.
#include "DonneesBench.h"
#include "OutilsBench.h"
#include "common/ErreurExecution.h"
#include "db/Connexion.h"
#include "db/Routines.h"
#include "db/Valeurs.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cstdio>
#include <vector>

namespace {

const char* const Usage =
    "Usage: bench_etatca [--help]\n"
    "\n"
    "Times Routines::EtatCA over the whole period of the generated data (bench/DonneesBench.h: 100,000\n"
    "withdrawal lines over two years) against the same statements (BEGIN, the lock on PostgreSQL, DELETE\n"
    "FROM CA, the INSERT ... SELECT, COMMIT) run in one session of the engine's own shell, timed there:\n"
    "sqlite3 with \".timer on\" on the same file, psql with \"\\timing on\" on the same database. No "
    "process\n"
    "start nor connection is timed on either side. One warm-up, then the median of 7 runs on each side.\n"
    "\n"
    "SQLite always (a temporary folder; needs the sqlite3 shell); PostgreSQL as well when DORVANE_TEST_PG\n"
    "holds a libpq connection string, e.g. under scripts/with-postgres (needs psql).\n";

constexpr int Fois = 7;

const QDateTime Debut = Valeurs::debutPeriode(DonneesBench::premierJour());
const QDateTime Fin = Valeurs::finPeriode(DonneesBench::dernierJour());

QByteArray script(bool sqlite, const QString& entete, int runs) {
    return scriptTableTravail(QStringLiteral("CA"), Routines::sqlEtatCA(), Valeurs::texteDate(Debut),
                              Valeurs::texteDate(Fin), sqlite, entete, runs);
}

double tempsRoutine(Connexion& c, qint64* lignes) {
    std::vector<double> t;
    for (int i = 0; i <= Fois; ++i) {
        QElapsedTimer chrono;
        chrono.start();
        Routines::EtatCA(c, Debut, Fin);
        if (i > 0)
            t.push_back(chrono.nsecsElapsed() / 1e6);
    }
    *lignes = c.valeurUnique(QStringLiteral("SELECT COUNT(*) FROM CA")).toLongLong();
    return mediane(t);
}

void afficher(const char* moteur, double routine, double shell, const char* nomShell, qint64 lignes) {
    std::printf("%-10s | EtatCA routine %8.1f ms | %-22s %8.1f ms | ratio %.2f | CA rows %lld\n", moteur,
                routine, nomShell, shell, shell > 0 ? routine / shell : 0.0, static_cast<long long>(lignes));
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
            afficher("SQLite", routine, shell, "sqlite3 shell (.timer)", lignes);
        }

        surServeurBench(
            QStringLiteral("bench_etatca"), DonneesBench::remplir, [&](Connexion& cp, const QString& nom) {
                qint64 lignes = 0;
                const double routine = tempsRoutine(cp, &lignes);
                const double psql =
                    tempsPsql(nom, script(false, QStringLiteral("\\timing on\n"), Fois + 1), Fois, 5);
                afficher("PostgreSQL", routine, psql, "psql (\\timing)", lignes);
            });
    } catch (const ErreurExecution& e) {
        std::fprintf(stderr, "Échec : %s\n", qPrintable(e.description()));
        return 1;
    }
    return 0;
}
