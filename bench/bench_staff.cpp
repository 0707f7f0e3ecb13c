// The badge look-up among the generator's 50,000 employees: BadgeIndentifie beside a bare QSqlQuery
// running the same statement in the same process. SQLite, and PostgreSQL when DORVANE_TEST_PG is set.
#include "DonneesBench.h"
#include "OutilsBench.h"
#include "common/ErreurExecution.h"
#include "db/Connexion.h"
#include "db/Recordset.h"
#include "db/Routines.h"
#include "db/Valeurs.h"

#include <QCoreApplication>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdio>
#include <vector>

namespace {

const char* const Usage =
    "Usage: bench_staff [--help]\n"
    "\n"
    "Fills a database with the shared generator (bench/DonneesBench.h: 50,000 employees with ten-digit\n"
    "hexadecimal badges) and times the look-up of one badge, typed in lower case as a reader may give it:\n"
    "  - Routines::BadgeIndentifie (the GrUtilisateur rows of the badge, into a Recordset);\n"
    "  - a bare QSqlQuery on the same connection preparing, binding and running the same statement and\n"
    "    reading every value of its rows.\n"
    "Then, on SQLite, the same with badges holding a \"k\" (which its own equality cannot answer), so that\n"
    "every row passes the layer's LIKE: the worst case of the look-up.\n"
    "Both run alternately over the same badges (found ones, and one that no employee holds), one warm-up\n"
    "then 41 timed runs each; medians and worst times shown, with the ratio. Target: under 20 ms.\n"
    "SQLite always (a temporary folder); PostgreSQL as well when DORVANE_TEST_PG holds a libpq\n"
    "connection string, e.g. under scripts/with-postgres.\n";

constexpr int Fois = 41;

// Badges of the data, typed in lower case, and one nobody holds.
QStringList badges(Connexion& c) {
    QStringList r;
    QSqlQuery q = c.executer(QStringLiteral("SELECT NoBadge FROM Utilisateurs WHERE NoBadge IS NOT NULL AND "
                                            "IdUtilisateur IN (7, 12345, 25000, 49999)"));
    while (q.next())
        r << q.value(0).toString().toLower();
    r << QStringLiteral("zz-aucun");
    return r;
}

size_t requeteNue(Connexion& c, const QString& badge) {
    QVariantList valeurs;
    const QString sql = QStringLiteral("SELECT * FROM GrUtilisateur WHERE ") +
                        Routines::conditionNoBadge(c, QStringLiteral("NoBadge"), badge, valeurs);
    std::vector<QList<QVariant>> rangs;
    lireNu(c, sql, valeurs, rangs);
    return rangs.size();
}

void mesurer(const char* moteur, Connexion& c, const QStringList& liste) {
    std::vector<double> routine, nue;
    qsizetype trouves = 0;
    for (int i = 0; i <= Fois; ++i) {
        const QString& badge = liste.at(i % liste.size());
        QElapsedTimer chrono;
        chrono.start();
        Recordset rs;
        Routines::BadgeIndentifie(c, badge, rs);
        const double a = chrono.nsecsElapsed() / 1e6;
        trouves += rs.RecordCount();
        chrono.restart();
        requeteNue(c, badge);
        const double b = chrono.nsecsElapsed() / 1e6;
        if (i > 0) {
            routine.push_back(a);
            nue.push_back(b);
        }
    }
    const double mr = mediane(routine), mn = mediane(nue);
    std::printf("%-10s | BadgeIndentifie %7.2f ms (worst %7.2f) | QSqlQuery %7.2f ms (worst %7.2f) | ratio "
                "%.2f | rows found %lld of %d look-ups\n",
                moteur, mr, *std::max_element(routine.begin(), routine.end()), mn,
                *std::max_element(nue.begin(), nue.end()), mn > 0 ? mr / mn : 0.0,
                static_cast<long long>(trouves), Fois + 1);
}

} // namespace

int main(int argc, char** argv) {
    if (aideDemandee(argc, argv, Usage))
        return 0;
    QCoreApplication app(argc, argv);
    try {
        QTemporaryDir dossier;
        const ParametresConnexion p = creerBaseBench(dossier.path(), DonneesBench::remplir);
        {
            Connexion c(p);
            const QStringList liste = badges(c);
            mesurer("SQLite", c, liste);
            QStringList avecK;
            for (const QString& b : liste)
                avecK << u'k' + b;
            mesurer("SQLite (k)", c, avecK);
        }
        surServeurBench(QStringLiteral("bench_staff"), DonneesBench::remplir,
                        [](Connexion& c, const QString&) { mesurer("PostgreSQL", c, badges(c)); });
    } catch (const ErreurExecution& e) {
        std::fprintf(stderr, "Échec : %s\n", qPrintable(e.description()));
        return 1;
    }
    return 0;
}
