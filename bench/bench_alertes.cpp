// The alert computation over the generator's 2,000 articles and 100,000 withdrawal lines: the routine
// beside its grouped consumption query timed inside one sqlite3 shell session (".timer on") on a copy
// of the file, and inside one psql session ("\timing") when DORVANE_TEST_PG is set.
#include "DonneesBench.h"
#include "OutilsBench.h"
#include "common/ErreurExecution.h"
#include "db/Connexion.h"
#include "db/Valeurs.h"
#include "stock/AlertesStock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdio>
#include <vector>

namespace {

const char* const Usage =
    "Usage: bench_alertes [--help]\n"
    "\n"
    "Times AlertesStock::CalculerAlertes over the whole period of the generated data (bench/DonneesBench.h:\n"
    "2,000 articles, 100,000 withdrawal lines over two years: the grouped query, the levels and their\n"
    "writing, in one transaction) against the grouped consumption query alone, run in one session of the\n"
    "engine's own shell and timed there: sqlite3 with \".timer on\" on a copy of the file, psql with\n"
    "\"\\timing on\" on the same database. One warm-up, then the median of 7 runs on each side, and the\n"
    "ratio (the target is 1.2 at most); levels that stay are not written again, so the same timing\n"
    "with every level reset before each run (all 2,000 written) is shown as well, with its ratio.\n"
    "On PostgreSQL, the statements the routine runs (heard through the connection, the period written in)\n"
    "are also run by psql in one transaction, every level reset before each run outside the timing: the\n"
    "cost of writing the 2,000 levels, which the grouped query alone does not pay.\n"
    "Then the levels written are checked against AlertesStock::niveauAlerte (the C++ rounding) computed\n"
    "from the grouped query's rows, and the articles that differ are counted.\n"
    "SQLite always (a temporary folder; needs the sqlite3 shell); PostgreSQL as well when DORVANE_TEST_PG\n"
    "holds a libpq connection string, e.g. under scripts/with-postgres (needs psql).\n";

constexpr int Fois = 7;

QByteArray script(const QString& entete) {
    QString q = AlertesStock::sqlConsommations();
    q.replace(q.indexOf(u'?'), 1,
              u'\'' + Valeurs::texteDate(Valeurs::debutPeriode(DonneesBench::premierJour())) + u'\'');
    q.replace(q.indexOf(u'?'), 1,
              u'\'' + Valeurs::texteDate(Valeurs::finPeriode(DonneesBench::dernierJour())) + u'\'');
    QString s = entete;
    for (int i = 0; i <= Fois; ++i)
        s += q + QStringLiteral(";\n");
    return s.toUtf8();
}

// `toutEcrire`: every level is reset before each run (outside the timing), so that each run writes all.
double tempsRoutine(Connexion& c, bool toutEcrire = false) {
    std::vector<double> t;
    for (int i = 0; i <= Fois; ++i) {
        if (toutEcrire)
            c.executer(QStringLiteral("UPDATE ArticleEnStock SET StockAlert = -1"));
        QElapsedTimer chrono;
        chrono.start();
        AlertesStock::CalculerAlertes(c, DonneesBench::premierJour(), DonneesBench::dernierJour());
        if (i > 0)
            t.push_back(chrono.nsecsElapsed() / 1e6);
    }
    return mediane(t);
}

// The grouped query alone, through the layer, every row read.
double tempsRequete(Connexion& c) {
    return medianeMs(Fois, [&] {
        QSqlQuery q = c.executer(AlertesStock::sqlConsommations(),
                                 {Valeurs::valeurDate(Valeurs::debutPeriode(DonneesBench::premierJour())),
                                  Valeurs::valeurDate(Valeurs::finPeriode(DonneesBench::dernierJour()))});
        while (q.next())
            q.value(1);
    });
}

// The statements the routine runs, as psql runs them: heard through the connection while it computes
// every level afresh, the bound period and day count written in (our own constants), in one transaction.
// Before each run the levels are reset with the timing off, so that psql writes every level too.
QByteArray scriptRoutine(Connexion& c) {
    const qint64 jours = DonneesBench::premierJour().daysTo(DonneesBench::dernierJour()) + 1;
    const QString debut =
        u'\'' + Valeurs::texteDate(Valeurs::debutPeriode(DonneesBench::premierJour())) + u'\'';
    const QString fin = u'\'' + Valeurs::texteDate(Valeurs::finPeriode(DonneesBench::dernierJour())) + u'\'';
    QStringList instructions;
    c.executer(QStringLiteral("UPDATE ArticleEnStock SET StockAlert = -1"));
    Connexion::setSuiviRequetes([&](const QString& sql) { instructions << sql; });
    AlertesStock::CalculerAlertes(c, DonneesBench::premierJour(), DonneesBench::dernierJour());
    Connexion::setSuiviRequetes(nullptr);
    QString run =
        QStringLiteral("\\timing off\nUPDATE ArticleEnStock SET StockAlert = -1;\n\\timing on\nBEGIN;\n");
    for (QString sql : std::as_const(instructions)) {
        // The day count comes first where the statement has it (the rate per day), then the period.
        QStringList valeurs = {debut, fin};
        if (sql.count(u'?') == 3)
            valeurs.prepend(QString::number(jours));
        for (const QString& v : std::as_const(valeurs))
            sql.replace(sql.indexOf(u'?'), 1, v);
        run += sql + QStringLiteral(";\n");
    }
    run += QStringLiteral("COMMIT;\n");
    QString script;
    for (int i = 0; i <= Fois; ++i)
        script += run;
    return script.toUtf8();
}

// The number of statements psql times in each run of scriptRoutine.
int instructionsScript(const QByteArray& script) {
    return static_cast<int>(script.count(";\n") / (Fois + 1)) - 1;
}

void afficher(const char* moteur, double routine, double shell, const char* nomShell, qint64 alertes) {
    std::printf("%-10s | alerts routine %8.1f ms | %-22s %8.1f ms | ratio %.2f | articles with alert %lld\n",
                moteur, routine, nomShell, shell, shell > 0 ? routine / shell : 0.0,
                static_cast<long long>(alertes));
}

// Articles whose written level differs from the C++ computation over the grouped query's rows.
int ecarts(Connexion& c) {
    const qint64 jours = DonneesBench::premierJour().daysTo(DonneesBench::dernierJour()) + 1;
    QSqlQuery q =
        c.executer(QStringLiteral("SELECT a.StockAlert, c.GrTotal, a.DelaiLivraison FROM (") +
                       AlertesStock::sqlConsommations() +
                       QStringLiteral(") c INNER JOIN ArticleEnStock a ON a.Reference = c.Reference"),
                   {Valeurs::valeurDate(Valeurs::debutPeriode(DonneesBench::premierJour())),
                    Valeurs::valeurDate(Valeurs::finPeriode(DonneesBench::dernierJour()))});
    int n = 0, differents = 0;
    while (q.next()) {
        ++n;
        if (q.value(0).toLongLong() != AlertesStock::niveauAlerte(q.value(1).toDouble(), jours, q.value(2)))
            ++differents;
    }
    std::printf("           | levels checked against the C++ rounding: %d articles, %d differ\n", n,
                differents);
    return differents;
}

qint64 alertes(Connexion& c) {
    return c.valeurUnique(QStringLiteral("SELECT COUNT(*) FROM ArticleEnStock WHERE StockAlert > 0"))
        .toLongLong();
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
            const QString copie = dossier.filePath(QStringLiteral("copie.db"));
            c.executer(QStringLiteral("VACUUM INTO ?"), {copie});
            const double routine = tempsRoutine(c);
            const double shell = tempsSqlite3(copie, script(QStringLiteral(".timer on\n")), Fois, 1);
            afficher("SQLite", routine, shell, "sqlite3 shell (.timer)", alertes(c));
            const double tout = tempsRoutine(c, true);
            std::printf("SQLite     | every level changed at each run: routine %8.1f ms | ratio %.2f\n", tout,
                        tout / shell);
            ecarts(c);
            std::printf("SQLite     | the grouped query alone through the layer %8.1f ms\n", tempsRequete(c));
        }
        surServeurBench(
            QStringLiteral("bench_alertes"), DonneesBench::remplir, [&](Connexion& cp, const QString& nom) {
                const double routine = tempsRoutine(cp);
                const double psql = tempsPsql(nom, script(QStringLiteral("\\timing on\n")), Fois, 1);
                afficher("PostgreSQL", routine, psql, "psql (\\timing)", alertes(cp));
                const double tout = tempsRoutine(cp, true);
                std::printf("PostgreSQL | every level changed at each run: routine %8.1f ms | ratio %.2f\n",
                            tout, tout / psql);
                const QByteArray statements = scriptRoutine(cp);
                const double memes = tempsPsql(nom, statements, Fois, instructionsScript(statements));
                std::printf("PostgreSQL | every level changed: the routine's own statements in psql %8.1f ms "
                            "| routine / psql ratio %.2f\n",
                            memes, tout / memes);
                ecarts(cp);
                std::printf("PostgreSQL | the grouped query alone through the layer %8.1f ms\n",
                            tempsRequete(cp));
            });
    } catch (const ErreurExecution& e) {
        std::fprintf(stderr, "Échec : %s\n", qPrintable(e.description()));
        return 1;
    }
    return 0;
}
