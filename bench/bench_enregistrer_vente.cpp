// One counter hand-out over the generator's data: EnregistrerVente beside bare QSqlQuery objects, prepared
// once, running the same three statements (header, line, guarded decrement) in one write transaction, on
// the same connection, alternately. SQLite, and PostgreSQL when DORVANE_TEST_PG is set.
#include "DonneesBench.h"
#include "OutilsBench.h"
#include "RemiseNue.h"
#include "common/ErreurExecution.h"
#include "counter/EnregistrerVente.h"
#include "db/Connexion.h"
#include "db/Recordset.h"
#include "db/Valeurs.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <algorithm>
#include <cstdio>
#include <limits>
#include <vector>

namespace {

const char* const Usage =
    "Usage: bench_enregistrer_vente [--help]\n"
    "\n"
    "Fills a database with the shared generator (bench/DonneesBench.h: 50,000 employees, 2,000 articles,\n"
    "100,000 withdrawals) and times one hand-out of one unit of an article to an employee, the values read\n"
    "as the counter reads them:\n"
    "  - EnregistrerVente (the Ventes header with its number read back, the DetailVente line, the relative\n"
    "    decrement of the reserve with its 32-bit guard, in one write transaction);\n"
    "  - bare QSqlQuery objects on the same connection, prepared once before the runs, beginning the\n"
    "    same transaction (BEGIN IMMEDIATE on SQLite), binding and running the same three statements with\n"
    "    the same values, and committing.\n"
    "Both run alternately, each side first every other run, one warm-up then 401 timed runs each;\n"
    "medians and worst times shown, with the ratio (target: under 1.1); the rows and the reserve are\n"
    "checked afterwards.\n"
    "SQLite always (a temporary folder); PostgreSQL as well when DORVANE_TEST_PG holds a libpq\n"
    "connection string, e.g. under scripts/with-postgres.\n";

constexpr int Fois = 401;

qint64 entier(Connexion& c, const QString& sql, const QVariantList& valeurs = {}) {
    return Valeurs::lireEntier(c.valeurUnique(sql, valeurs));
}

void mesurer(const char* moteur, Connexion& c) {
    // An employee with a full card and a priced article, read as the counter reads its two lists.
    Recordset salaries, articles;
    salaries.Open(c, QStringLiteral("SELECT * FROM GrUtilisateur WHERE IdUtilisateur = ?"), {qint64(4242)});
    articles.Open(c, QStringLiteral("SELECT * FROM StockGlobal WHERE Reference = ?"),
                  {DonneesBench::PremiereReference + 421});
    const ValeursVente v = ValeursCourantes(salaries, articles);
    const qint64 reference = v.Reference.toLongLong();
    const QString sqlReserve = QStringLiteral("SELECT QteEnStock FROM ArticleEnStock WHERE Reference = ?");
    const qint64 reserveAvant = entier(c, sqlReserve, {reference});
    const qint64 ventesAvant = entier(c, QStringLiteral("SELECT COUNT(*) FROM Ventes"));

    RemiseNue remiseNue(c);
    std::vector<double> routine, nue;
    auto chrono = [](auto&& f) {
        QElapsedTimer t;
        t.start();
        f();
        return t.nsecsElapsed() / 1e6;
    };
    for (int i = 0; i <= Fois; ++i) {
        // Each side goes first every other run: a commit's wait on the disk does not favour either.
        double a = 0, b = 0;
        dansLOrdre(
            i, [&] { a = chrono([&] { EnregistrerVente(c, v, 1); }); },
            [&] { b = chrono([&] { remiseNue(v, 1); }); });
        if (i > 0) {
            routine.push_back(a);
            nue.push_back(b);
        }
    }
    const qint64 faites = 2 * (Fois + 1);
    const bool juste = entier(c, sqlReserve, {reference}) == reserveAvant - faites &&
                       entier(c, QStringLiteral("SELECT COUNT(*) FROM Ventes")) == ventesAvant + faites &&
                       entier(c, QStringLiteral("SELECT COUNT(*) FROM DetailVente WHERE NumVente > ?"),
                              {ventesAvant}) == faites;
    const double mr = mediane(routine), mn = mediane(nue);
    std::printf(
        "%-10s | EnregistrerVente %6.3f ms (worst %7.3f) | QSqlQuery %6.3f ms (worst %7.3f) | ratio %.2f "
        "| %lld hand-outs, reserve and rows %s\n",
        moteur, mr, *std::max_element(routine.begin(), routine.end()), mn,
        *std::max_element(nue.begin(), nue.end()), mn > 0 ? mr / mn : 0.0, static_cast<long long>(faites),
        juste ? "checked" : "WRONG");
    if (!juste)
        throw ErreurExecution(ErreurExecution::ErreurBase, QStringLiteral("rows or reserve wrong"));
}

} // namespace

int main(int argc, char** argv) {
    if (aideDemandee(argc, argv, Usage))
        return 0;
    QCoreApplication app(argc, argv);
    return surLesDeuxBases(QStringLiteral("bench_enregistrer_vente"), DonneesBench::remplir,
                           [](const char* moteur, Connexion& c) { mesurer(moteur, c); });
}
