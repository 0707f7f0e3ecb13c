// Recordset::Open beside a bare QSqlQuery reading every value of the same query, on the generator's
// data; then a Find, a Sort and a first read of every date. SQLite, and PostgreSQL when DORVANE_TEST_PG
// is set.
#include "DonneesBench.h"
#include "OutilsBench.h"
#include "common/ErreurExecution.h"
#include "db/Connexion.h"
#include "db/Recordset.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

const char* const Usage =
    "Usage: bench_recordset [--help]\n"
    "\n"
    "Times Recordset::Open against a bare QSqlQuery (forward only, every value of every row read with\n"
    "value(i) and kept in a list per row) over the same query on the same connection, for SELECT * FROM\n"
    "Ventes (100,000 rows, dates and money), SELECT LaDate FROM Ventes, SELECT * FROM StockGlobal (2,000\n"
    "articles) and SELECT * FROM GrUtilisateur (50,000 employees). Both sides free their rows outside the\n"
    "timer; they run in alternating order, one warm-up then 7 timed runs each, and the median is shown.\n"
    "Then, for ours only: a Find near the end of GrUtilisateur, a Sort by Nom, and the first read of every\n"
    "LaDate of Ventes.\n"
    "\n"
    "The data come from bench/DonneesBench.h. SQLite always (a temporary folder); PostgreSQL as well when\n"
    "DORVANE_TEST_PG holds a libpq connection string, e.g. under scripts/with-postgres.\n";

constexpr int Fois = 7;

struct Requete {
    const char* nom;
    const char* sql;
};
const Requete Requetes[] = {
    {"Ventes *", "SELECT * FROM Ventes"},
    {"Ventes LaDate", "SELECT LaDate FROM Ventes"},
    {"StockGlobal *", "SELECT * FROM StockGlobal"},
    {"GrUtilisateur *", "SELECT * FROM GrUtilisateur"},
};

void comparer(const char* moteur, Connexion& c, const Requete& requete) {
    const QString sql = QString::fromLatin1(requete.sql);
    std::vector<double> nu, rs;
    size_t lignes = 0;
    int lignesRs = 0;
    auto mesurerNu = [&](bool garder) {
        std::vector<QList<QVariant>> rangs;
        QElapsedTimer chrono;
        chrono.start();
        lireNu(c, sql, rangs);
        const double t = chrono.nsecsElapsed() / 1e6;
        if (garder)
            nu.push_back(t);
        lignes = rangs.size();
    }; // the rows go here, outside the timer
    auto mesurerRs = [&](bool garder) {
        auto r = std::make_unique<Recordset>();
        QElapsedTimer chrono;
        chrono.start();
        r->Open(c, sql);
        const double t = chrono.nsecsElapsed() / 1e6;
        if (garder)
            rs.push_back(t);
        lignesRs = r->RecordCount();
    }; // and here
    for (int essai = 0; essai <= Fois; ++essai) {
        const bool garder = essai > 0;
        dansLOrdre(
            essai, [&] { mesurerNu(garder); }, [&] { mesurerRs(garder); });
    }
    const double a = mediane(nu), b = mediane(rs);
    std::printf("%-10s | %-16s | %7zu | %9.1f ms | %9.1f ms | %5.2f%s\n", moteur, requete.nom, lignes, a, b,
                b / a, static_cast<size_t>(lignesRs) == lignes ? "" : "  (ROW COUNTS DIFFER)");
}

void autres(const char* moteur, Connexion& c) {
    Recordset u;
    u.Open(c, QStringLiteral("SELECT * FROM GrUtilisateur"));
    u.MoveLast();
    const QVariant badge = u.Field(QStringLiteral("NoBadge"));
    const double find = medianeMs(Fois, [&] {
        u.Find(QStringLiteral("NoBadge"), Recordset::Comparaison::Egal, badge, Recordset::Depart::Premier);
    });
    const double tri = medianeMs(Fois, [&] {
        u.Sort(QString());
        u.Sort(QStringLiteral("Nom"));
    });
    std::vector<double> dates;
    for (int essai = 0; essai < Fois; ++essai) {
        auto v = std::make_unique<Recordset>();
        v->Open(c, QStringLiteral("SELECT * FROM Ventes"));
        const int colonne = v->FieldIndex(QStringLiteral("LaDate"));
        QElapsedTimer chrono;
        chrono.start();
        qint64 somme = 0;
        for (int i = 0; i < v->RecordCount(); ++i)
            somme += v->ValueAt(i, colonne).toDateTime().date().day();
        dates.push_back(chrono.nsecsElapsed() / 1e6);
        if (somme == 0)
            std::printf("(no dates)\n");
    }
    std::printf(
        "%-10s | ours only: Find NoBadge from the first row %.1f ms | Sort by Nom %.1f ms | first read "
        "of every LaDate of Ventes %.1f ms\n",
        moteur, find, tri, mediane(dates));
}

void mesurer(const char* moteur, Connexion& c) {
    for (const Requete& r : Requetes)
        comparer(moteur, c, r);
    autres(moteur, c);
}

} // namespace

int main(int argc, char** argv) {
    if (aideDemandee(argc, argv, Usage))
        return 0;
    QCoreApplication app(argc, argv);
    std::printf("%-10s | %-16s | %7s | %12s | %12s | %5s\n", "backend", "query", "rows", "QSqlQuery",
                "Recordset", "ratio");
    return surLesDeuxBases(QStringLiteral("bench_recordset"), DonneesBench::remplir,
                           [](const char* moteur, Connexion& c) { mesurer(moteur, c); });
}
