#pragma once

// Shared by the benchmarks: usage, timing and the test server of DORVANE_TEST_PG.

#include "common/ErreurExecution.h"
#include "db/Connexion.h"
#include "db/Schema.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QList>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <QTemporaryDir>
#include <QVariant>
#include <QVariantList>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <utility>
#include <vector>

// With "--help" or "-h" among the arguments: prints `usage` and gives true (the benchmark then ends).
inline bool aideDemandee(int argc, char** argv, const char* usage) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(usage, stdout);
            return true;
        }
    }
    return false;
}

// The benchmarks that paint run without a display unless the environment names a platform.
inline void sansEcranParDefaut() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

// Every value of every row of an executed query.
inline void lireRangs(QSqlQuery& q, std::vector<QList<QVariant>>& rangs) {
    const int n = q.record().count();
    while (q.next()) {
        QList<QVariant> r;
        r.reserve(n);
        for (int i = 0; i < n; ++i)
            r.append(q.value(i));
        rangs.push_back(std::move(r));
    }
}

// The bare reading of a query, every value of every row, as the Recordset reads it without the layer.
inline void lireNu(Connexion& c, const QString& sql, std::vector<QList<QVariant>>& rangs) {
    QSqlQuery q(c.db());
    q.setForwardOnly(true);
    if (!q.exec(sql))
        throw ErreurExecution(ErreurExecution::ErreurBase, Connexion::texteErreur(q),
                              QStringLiteral("bench"));
    lireRangs(q, rangs);
}

// The same with bound values: prepared, bound and run as the layer runs it.
inline void lireNu(Connexion& c, const QString& sql, const QVariantList& valeurs,
                   std::vector<QList<QVariant>>& rangs) {
    QSqlQuery q(c.db());
    q.setForwardOnly(true);
    if (!q.prepare(sql))
        throw ErreurExecution(ErreurExecution::ErreurBase, Connexion::texteErreur(q),
                              QStringLiteral("bench"));
    for (const QVariant& v : valeurs)
        q.addBindValue(v);
    if (!q.exec())
        throw ErreurExecution(ErreurExecution::ErreurBase, Connexion::texteErreur(q),
                              QStringLiteral("bench"));
    lireRangs(q, rangs);
}

// Resident memory of the process, from /proc: the current size and the peak, in MB.
inline double memoire(const char* champ) {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& l : f.readAll().split('\n'))
        if (l.startsWith(champ))
            return l.mid(static_cast<int>(std::strlen(champ))).trimmed().split(' ').value(0).toDouble() /
                   1024.0;
    return 0;
}

// Starts the peak resident size afresh from the current one (Linux: "5" in clear_refs).
inline void remettrePic() {
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

// The statements of a routine that fills work table `table` (its INSERT ... SELECT `insertion` with the
// period `debut` and `fin` written in: our own constant dates, no typed text) for an engine's own shell,
// after `entete`, as many runs as asked: BEGIN (the table locked on PostgreSQL), DELETE, the INSERT, COMMIT.
inline QByteArray scriptTableTravail(const QString& table, QString insertion, const QString& debut,
                                     const QString& fin, bool sqlite, const QString& entete, int runs) {
    insertion.replace(insertion.indexOf(u'?'), 1, u'\'' + debut + u'\'');
    insertion.replace(insertion.indexOf(u'?'), 1, u'\'' + fin + u'\'');
    QString s = entete;
    for (int i = 0; i < runs; ++i) {
        s += sqlite ? QStringLiteral("BEGIN IMMEDIATE;\n")
                    : QStringLiteral("BEGIN;\nLOCK TABLE %1 IN EXCLUSIVE MODE;\n").arg(table);
        s += QStringLiteral("DELETE FROM %1;\n").arg(table) + insertion + QStringLiteral(";\nCOMMIT;\n");
    }
    return s.toUtf8();
}

// The median of measured times.
inline double mediane(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Runs the script (`fois` + 1 runs) in one shell session and sums, run by run, the times the shell printed
// for each statement (`motif` captures milliseconds or seconds, as `facteur` says); the median of the runs
// after the first.
inline double tempsShell(const QString& programme, const QStringList& arguments, const QByteArray& entree,
                         int fois, int instructionsParRun, const QRegularExpression& motif, double facteur) {
    QProcess p;
    p.start(programme, arguments);
    p.write(entree);
    p.closeWriteChannel();
    if (!p.waitForFinished(600000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        std::fprintf(stderr, "%s a échoué : %s\n", qPrintable(programme),
                     p.readAllStandardError().constData());
        return -1;
    }
    std::vector<double> instructions;
    auto it = motif.globalMatch(QString::fromUtf8(p.readAllStandardOutput()));
    while (it.hasNext())
        instructions.push_back(it.next().captured(1).toDouble() * facteur);
    if (instructions.size() != static_cast<size_t>(instructionsParRun * (fois + 1))) {
        std::fprintf(stderr, "%s : %zu temps lus, %d attendus\n", qPrintable(programme), instructions.size(),
                     instructionsParRun * (fois + 1));
        return -1;
    }
    std::vector<double> runs;
    for (int r = 1; r <= fois; ++r) {
        double s = 0;
        for (int i = 0; i < instructionsParRun; ++i)
            s += instructions[static_cast<size_t>(r * instructionsParRun + i)];
        runs.push_back(s);
    }
    return mediane(runs);
}

// tempsShell over psql on database `base` of the server of DORVANE_TEST_PG, which times each statement
// ("\\timing on" in the script, "Time: 123.456 ms" after each statement; query output thrown away).
inline double tempsPsql(const QString& base, const QByteArray& script, int fois, int instructionsParRun) {
    const QString conn = QString::fromUtf8(qgetenv("DORVANE_TEST_PG"))
                             .replace(QRegularExpression(QStringLiteral("dbname=\\S+")), QString()) +
                         QStringLiteral(" dbname=") + base;
    return tempsShell(
        QStringLiteral("psql"),
        {QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-o"), QStringLiteral("/dev/null"),
         QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"), conn},
        script, fois, instructionsParRun, QRegularExpression(QStringLiteral("Time: ([0-9.]+) ms")), 1.0);
}

// tempsShell over the sqlite3 shell on database file `fichier`, which times each statement (".timer on" in
// the script, "Run Time: real 0.123 user 0.100000 sys 0.020000" after each statement).
inline double tempsSqlite3(const QString& fichier, const QByteArray& script, int fois,
                           int instructionsParRun) {
    return tempsShell(QStringLiteral("sqlite3"), {fichier}, script, fois, instructionsParRun,
                      QRegularExpression(QStringLiteral("Run Time: real ([0-9.]+)")), 1000.0);
}

// The median of `fois` runs of f, in milliseconds.
template <typename F> double medianeMs(int fois, F&& f) {
    std::vector<double> t;
    for (int i = 0; i < fois; ++i) {
        QElapsedTimer chrono;
        chrono.start();
        f();
        t.push_back(chrono.nsecsElapsed() / 1e6);
    }
    return mediane(std::move(t));
}

// A bare statement on the connection's QSqlDatabase, prepared and bound when given values, as the layer
// runs it but without it.
inline void sqlNu(Connexion& c, const QString& sql, const QVariantList& valeurs = {}) {
    QSqlQuery q(c.db());
    q.setForwardOnly(true);
    bool ok = valeurs.isEmpty() ? q.exec(sql) : q.prepare(sql);
    if (ok && !valeurs.isEmpty()) {
        for (const QVariant& v : valeurs)
            q.addBindValue(v);
        ok = q.exec();
    }
    if (!ok)
        throw ErreurExecution(ErreurExecution::ErreurBase, Connexion::texteErreur(q),
                              QStringLiteral("bench"));
}

// The bare write transaction of the layer: BEGIN IMMEDIATE on SQLite, the driver's on PostgreSQL.
inline void debutNu(Connexion& c) {
    if (c.estSQLite())
        sqlNu(c, QStringLiteral("BEGIN IMMEDIATE"));
    else if (!c.db().transaction())
        throw ErreurExecution(ErreurExecution::ErreurBase, QStringLiteral("BEGIN"), QStringLiteral("bench"));
}

inline void finNue(Connexion& c) {
    if (c.estSQLite())
        sqlNu(c, QStringLiteral("COMMIT"));
    else if (!c.db().commit())
        throw ErreurExecution(ErreurExecution::ErreurBase, QStringLiteral("COMMIT"), QStringLiteral("bench"));
}

// The two sides of run `essai` in turn, `un` first on even runs and `deux` first on odd ones, so that
// neither side always runs on a warm or a cold cache.
template <typename F, typename G> void dansLOrdre(int essai, F&& un, G&& deux) {
    if (essai % 2 == 0) {
        un();
        deux();
    } else {
        deux();
        un();
    }
}

// Like against like: `routine` and `nue` run alternately, each first every other run, `avant` (untimed)
// before each; one warm-up, then `fois` timed runs each. The medians, in milliseconds.
template <typename F, typename G>
std::pair<double, double> alterner(F&& routine, G&& nue, int fois, const std::function<void()>& avant = {}) {
    std::vector<double> a, b;
    auto chrono = [&](auto&& f) {
        if (avant)
            avant();
        QElapsedTimer t;
        t.start();
        f();
        return t.nsecsElapsed() / 1e6;
    };
    for (int i = 0; i <= fois; ++i) {
        double x = 0, y = 0;
        dansLOrdre(
            i, [&] { x = chrono(routine); }, [&] { y = chrono(nue); });
        if (i > 0) {
            a.push_back(x);
            b.push_back(y);
        }
    }
    return {mediane(a), mediane(b)};
}

// The PostgreSQL server of DORVANE_TEST_PG ("host=... port=... user=... dbname=...") as connection
// parameters; false when the variable is unset.
inline bool serveurBench(ParametresConnexion* admin) {
    const QByteArray pg = qgetenv("DORVANE_TEST_PG");
    if (pg.trimmed().isEmpty())
        return false;
    QHash<QString, QString> v;
    for (const QString& m : QString::fromUtf8(pg).split(u' ', Qt::SkipEmptyParts))
        v.insert(m.section(u'=', 0, 0), m.section(u'=', 1));
    admin->serveur =
        v.value(QStringLiteral("host")) + u':' + v.value(QStringLiteral("port"), QStringLiteral("5432"));
    admin->utilisateur = v.value(QStringLiteral("user"));
    admin->motDePasse = v.value(QStringLiteral("password"));
    admin->base = v.value(QStringLiteral("dbname"), QStringLiteral("postgres"));
    return true;
}

// A new embedded database "BENCH" in `dossier` with the schema, filled by `remplir(Connexion&)`; returns the
// parameters that reopen it.
template <typename F> ParametresConnexion creerBaseBench(const QString& dossier, F&& remplir) {
    ParametresConnexion p;
    p.dossier = dossier;
    p.base = QStringLiteral("BENCH");
    p.creer = true;
    {
        Connexion c(p);
        Schema::creerBasePrincipale(c);
        remplir(c);
    }
    p.creer = false;
    return p;
}

// With DORVANE_TEST_PG set: a new PostgreSQL database with the schema, filled by `remplir(Connexion&)`,
// handed to `mesurer(Connexion&, name)`, then dropped. Nothing when the variable is unset.
template <typename F, typename G> void surServeurBench(const QString& prefixe, F&& remplir, G&& mesurer) {
    ParametresConnexion admin;
    if (!serveurBench(&admin))
        return;
    const QString nom = QStringLiteral("%1_%2").arg(prefixe).arg(QCoreApplication::applicationPid());
    {
        Connexion a(admin);
        a.executer(QStringLiteral("CREATE DATABASE \"%1\"").arg(nom));
    }
    {
        ParametresConnexion b = admin;
        b.base = nom;
        Connexion c(b);
        Schema::creerBasePrincipale(c);
        remplir(c);
        mesurer(c, nom);
    }
    Connexion a(admin);
    a.executer(QStringLiteral("DROP DATABASE IF EXISTS \"%1\" WITH (FORCE)").arg(nom));
}

// The usual run of a benchmark: the data of `remplir` in an embedded database, measured by
// `mesurer(backend name, Connexion&)`, then on the PostgreSQL server of DORVANE_TEST_PG when set. Returns
// the program's exit code; a failure is printed.
template <typename F, typename G> int surLesDeuxBases(const QString& prefixe, F&& remplir, G&& mesurer) {
    try {
        QTemporaryDir dossier;
        const ParametresConnexion p = creerBaseBench(dossier.path(), remplir);
        {
            Connexion c(p);
            mesurer("SQLite", c);
        }
        surServeurBench(prefixe, remplir, [&](Connexion& c, const QString&) { mesurer("PostgreSQL", c); });
    } catch (const ErreurExecution& e) {
        std::fprintf(stderr, "Échec : %s\n", qPrintable(e.description()));
        return 1;
    }
    return 0;
}

// Writes a workbook of `lignes` rows with the tests' script (`option` chooses the sheet); false, with the
// script's message on standard error, when it fails.
inline bool ecrireClasseurBench(const QString& script, const QString& option, const QString& fichier,
                                int lignes) {
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"), {script, option, fichier, QString::number(lignes)});
    if (!p.waitForFinished(120000) || p.exitCode() != 0) {
        std::fprintf(stderr, "the workbook script failed: %s\n", p.readAllStandardError().constData());
        return false;
    }
    return true;
}
