// The locker window's per-locker refill lines and configuration file over a model 10 machine of 868
// lockers, each beside bare Qt doing the same work, alternately. SQLite, and PostgreSQL when
// DORVANE_TEST_PG is set.
#include "DonneesBench.h"
#include "OutilsBench.h"
#include "common/EtatGlobal.h"
#include "common/PageDeCode.h"
#include "db/Connexion.h"
#include "db/Valeurs.h"
#include "machines/CalculRemplissageCasiers.h"
#include "machines/GrilleCasiers.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QSaveFile>
#include <QSqlQuery>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <cstdio>

namespace {

const char* const Usage =
    "Usage: bench_remplissage_casiers [--help]\n"
    "\n"
    "Fills a database with the shared generator (bench/DonneesBench.h) and its first 16 machines\n"
    "(remplirMachines): machine 16 is a model 10 locker machine of 14 columns, 868 lockers. Times:\n"
    "  - the per-locker refill lines: RemplisageMachineFicheReappro in a write transaction holding\n"
    "    TRemplissageMachine, beside a bare QSqlQuery beginning the same transaction, running the same\n"
    "    grouped statements and one prepared INSERT per line, and committing;\n"
    "  - the configuration file of that grid (63 rows of 15 cells, captions included):\n"
    "    ExporterConfigurationCsv beside a bare QFile loop writing the same texts, a line at a time;\n"
    "    then the same bytes through a bare QSaveFile beside a bare QFile, which shows what replacing the\n"
    "    file whole (written beside, flushed to the disk, renamed) costs here.\n"
    "Both sides run alternately, each first every other run, one warm-up then 101 timed runs each;\n"
    "medians shown with the ratio (target: under 1.5 for both); results are checked.\n"
    "SQLite always (a temporary folder); PostgreSQL as well when DORVANE_TEST_PG holds a libpq connection\n"
    "string, e.g. under scripts/with-postgres.\n";

constexpr int Fois = 101;
constexpr qint32 Machine = 16;

// The sum and count of the lines, to check both sides wrote the same.
QString bilan(Connexion& c) {
    QSqlQuery q = c.executer(QStringLiteral("SELECT COUNT(*), SUM(Etage), SUM(Aremplir), SUM(NbUnite), "
                                            "SUM(CodeArticle) FROM TRemplissageMachine"));
    q.next();
    return QStringLiteral("%1/%2/%3/%4/%5")
        .arg(q.value(0).toLongLong())
        .arg(q.value(1).toLongLong())
        .arg(q.value(2).toDouble())
        .arg(q.value(3).toDouble())
        .arg(q.value(4).toLongLong());
}

void mesurerLignes(const char* moteur, Connexion& c) {
    const auto routine = [&] {
        TransactionEcriture t(c);
        c.verrouillerTable(QStringLiteral("TRemplissageMachine"));
        CalculRemplissageCasiers::RemplisageMachineFicheReappro(c, Machine, 10, false);
        t.valider();
    };
    const auto nue = [&] {
        debutNu(c);
        if (!c.estSQLite())
            sqlNu(c, QStringLiteral("LOCK TABLE TRemplissageMachine IN EXCLUSIVE MODE"));
        sqlNu(c, QStringLiteral("DELETE FROM TRemplissageMachine"));
        std::vector<QList<QVariant>> tenus, lignes;
        lireNu(c,
               QStringLiteral("SELECT Reference, COUNT(*) FROM EmplacementsMachine1 WHERE NoMachine = ? AND "
                              "Reference IS NOT NULL GROUP BY Reference"),
               {Machine}, tenus);
        QHash<qint64, qint64> stock;
        for (const QList<QVariant>& t : tenus)
            stock.insert(t.at(0).toLongLong(), t.at(1).toLongLong());
        lireNu(c,
               QStringLiteral(
                   "SELECT Etage, ReferenceArticle, CodeArticle FROM ConfigMachines WHERE NoMachine = "
                   "? AND CodeArticle IS NOT NULL ORDER BY Etage"),
               {Machine}, lignes);
        QSqlQuery ajout(c.db());
        ajout.prepare(QStringLiteral("INSERT INTO TRemplissageMachine (Etage, Reference, CodeArticle, "
                                     "NbUnite, Aremplir, NumMach) VALUES (?, ?, ?, ?, ?, ?)"));
        for (const QList<QVariant>& l : lignes) {
            const qint64 casier = l.at(0).toLongLong();
            const qint64 unites = stock.value(l.at(1).toLongLong());
            ajout.bindValue(0, (casier - 1) % 36 + 1);
            ajout.bindValue(1, l.at(1));
            ajout.bindValue(2, l.at(2));
            ajout.bindValue(3, double(unites));
            ajout.bindValue(4, double((l.at(1).isNull() ? 0 : 1) - unites));
            ajout.bindValue(5, Machine);
            if (!ajout.exec())
                throw ErreurExecution(ErreurExecution::ErreurBase, Connexion::texteErreur(ajout),
                                      QStringLiteral("bench"));
        }
        finNue(c);
    };
    const auto [r, n] = alterner(routine, nue, Fois);
    // One more of each, untimed, for the check.
    nue();
    const QString attendu = bilan(c);
    routine();
    const QString lu = bilan(c);
    const bool juste = lu == attendu && !lu.startsWith(u'0');
    std::printf(
        "%-10s | per-locker lines of 868 lockers | RemplisageMachineFicheReappro %7.3f ms | QSqlQuery "
        "%7.3f ms | ratio %.2f | %s (%s)\n",
        moteur, r, n, n > 0 ? r / n : 0.0, juste ? "checked" : "WRONG", qPrintable(lu));
    if (!juste)
        throw ErreurExecution(ErreurExecution::ErreurBase, QStringLiteral("lines wrong"));
}

void mesurerCsv(const char* moteur, Connexion& c) {
    GrilleCasiers g;
    g.Lire(c, Machine, 10, 14);
    QList<QStringList> cellules;
    QStringList entete{QString()};
    for (int j = 1; j <= 14; ++j)
        entete << QStringLiteral("Etage %1").arg(j);
    cellules << entete;
    for (int i = 1; i < g.lignes; ++i) {
        QStringList l{QStringLiteral("Colonne %1").arg(i)};
        for (int j = 1; j <= 14; ++j)
            l << QString();
        cellules << l;
    }
    for (const GrilleCasiers::Casier& k : std::as_const(g.casiers))
        cellules[k.x][k.y] = GrilleCasiers::Texte(k, GrilleCasiers::Option::RefFournisseur);

    QTemporaryDir dossier;
    const QString a = QDir(dossier.path()).filePath(QStringLiteral("ConfigMachine16.csv"));
    const QString b = QDir(dossier.path()).filePath(QStringLiteral("nu.csv"));
    const auto [r, n] = alterner([&] { CalculRemplissageCasiers::ExporterConfigurationCsv(a, cellules); },
                                 [&] {
                                     QFile f(b);
                                     if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
                                         throw ErreurExecution(ErreurExecution::PathFileAccess, b);
                                     QStringEncoder page("windows-1252");
                                     for (const QStringList& l : std::as_const(cellules))
                                         f.write(page.encode(l.join(u';') + QStringLiteral("\r\n")));
                                     f.close();
                                 },
                                 Fois);
    // The same bytes through a bare QSaveFile: what its flush to the disk and rename cost on this machine.
    const QString d = QDir(dossier.path()).filePath(QStringLiteral("sauve.csv"));
    QFile lu(b);
    lu.open(QIODevice::ReadOnly);
    const QByteArray octets = lu.readAll();
    const auto [s, n2] = alterner(
        [&] {
            QSaveFile f(d);
            if (!f.open(QIODevice::WriteOnly) || f.write(octets) != octets.size() || !f.commit())
                throw ErreurExecution(ErreurExecution::PathFileAccess, d);
        },
        [&] {
            QFile f(b);
            if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
                throw ErreurExecution(ErreurExecution::PathFileAccess, b);
            f.write(octets);
        },
        Fois);
    std::printf("%-10s | the same bytes written whole | QSaveFile %7.3f ms | QFile %7.3f ms | ratio %.2f\n",
                moteur, s, n2, n2 > 0 ? s / n2 : 0.0);
    QFile fa(a), fb(b);
    const bool juste = fa.open(QIODevice::ReadOnly) && fb.open(QIODevice::ReadOnly) &&
                       fa.readAll() == fb.readAll() && fa.size() > 63 * 16;
    std::printf("%-10s | configuration file, 63 x 15 cells | ExporterConfigurationCsv %7.3f ms | QFile loop "
                "%7.3f ms | ratio %.2f | %s\n",
                moteur, r, n, n > 0 ? r / n : 0.0, juste ? "checked" : "WRONG");
    if (!juste)
        throw ErreurExecution(ErreurExecution::ErreurBase, QStringLiteral("file wrong"));
}

} // namespace

int main(int argc, char** argv) {
    if (aideDemandee(argc, argv, Usage))
        return 0;
    QCoreApplication app(argc, argv);
    Global().FichierLangue = QStringLiteral("french.lng");
    return surLesDeuxBases(
        QStringLiteral("bench_remplissage_casiers"),
        [](Connexion& c) {
            DonneesBench::remplir(c);
            DonneesBench::remplirMachines(c, 16);
        },
        [](const char* moteur, Connexion& c) {
            mesurerLignes(moteur, c);
            mesurerCsv(moteur, c);
        });
}
