// The journal export of the generator's 100,000 withdrawals (one line each): ConsoAutreMethode beside a
// bare loop writing the same SELECT, then the peak memory of exports of a tenth and of the whole.
// SQLite, and PostgreSQL when DORVANE_TEST_PG is set.
#include "DonneesBench.h"
#include "OutilsBench.h"
#include "common/EtatGlobal.h"
#include "counter/ExportJournal.h"
#include "db/Connexion.h"
#include "db/Valeurs.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const char* const Usage =
    "Usage: bench_export_journal [--help]\n"
    "\n"
    "Fills a database with the shared generator (bench/DonneesBench.h: 100,000 withdrawals of one line\n"
    "each) and times, alternately in the same process, one warm-up then 11 timed runs each, the export of\n"
    "the whole period:\n"
    "  - ExportJournal::ConsoAutreMethode (bound period, rows streamed, values formatted, quoted when\n"
    "    needed, encoded to the code page, written through QSaveFile);\n"
    "  - a bare loop: the same SELECT prepared, bound and run on a forward-only QSqlQuery, each value's\n"
    "    QVariant::toString joined by \";\" and ended by CR LF, written into a QFile.\n"
    "Medians and worst times shown, with the ratio (target: 1.5 at most). Then the growth of the peak\n"
    "resident memory during one export of about a tenth of the lines and one of all of them (flat: about\n"
    "the same).\n"
    "SQLite always (a temporary folder); PostgreSQL as well when DORVANE_TEST_PG holds a libpq\n"
    "connection string, e.g. under scripts/with-postgres.\n";

constexpr int Fois = 11;

qint64 exportNu(Connexion& c, const QString& fichier, const QDate& debut, const QDate& fin) {
    const QString d = c.parametreDate();
    const QString sql =
        QStringLiteral(
            "SELECT Ventes.NumVente, Ventes.LaDate, Ventes.Utilisateur, Ventes.Nom, Ventes.Prenom, "
            "DetailVente.Reference, DetailVente.Designation, DetailVente.Quantite, "
            "DetailVente.NomFamille, DetailVente.RefFournisseur, DetailVente.NomService, "
            "DetailVente.NomSite, DetailVente.NoMachine, Ventes.Total FROM Ventes INNER JOIN "
            "DetailVente ON Ventes.NumVente = DetailVente.NumVente WHERE Ventes.LaDate >= ") +
        d + QStringLiteral(" AND Ventes.LaDate < ") + d +
        QStringLiteral(" ORDER BY Ventes.LaDate, Ventes.NumVente, DetailVente.Id");
    QSqlQuery q(c.db());
    q.setForwardOnly(true);
    if (!q.prepare(sql))
        throw ErreurExecution(ErreurExecution::ErreurBase, Connexion::texteErreur(q),
                              QStringLiteral("bench"));
    q.addBindValue(Valeurs::valeurDate(Valeurs::debutPeriode(debut)));
    q.addBindValue(Valeurs::valeurDate(Valeurs::finPeriode(fin)));
    if (!q.exec())
        throw ErreurExecution(ErreurExecution::ErreurBase, Connexion::texteErreur(q),
                              QStringLiteral("bench"));
    QFile f(fichier);
    if (!f.open(QIODevice::WriteOnly))
        throw ErreurExecution(ErreurExecution::PathFileAccess, fichier, QStringLiteral("bench"));
    const int n = q.record().count();
    QString ligne;
    for (int i = 0; i < n; ++i)
        ligne += (i ? QStringLiteral(";") : QString()) + q.record().fieldName(i);
    f.write(ligne.toUtf8() + "\r\n");
    qint64 lignes = 0;
    while (q.next()) {
        ligne.clear();
        for (int i = 0; i < n; ++i) {
            if (i)
                ligne += u';';
            ligne += q.value(i).toString();
        }
        ligne += QLatin1String("\r\n");
        f.write(ligne.toUtf8());
        ++lignes;
    }
    return lignes;
}

double pire(const std::vector<double>& v) {
    return *std::max_element(v.begin(), v.end());
}

void mesurer(const char* moteur, Connexion& c) {
    QTemporaryDir dossier;
    const QString nous = dossier.filePath(QStringLiteral("consoQuorel.csv"));
    const QString nu = dossier.filePath(QStringLiteral("nu.csv"));
    const QDate debut = DonneesBench::premierJour(), fin = DonneesBench::dernierJour().addDays(1);
    std::vector<double> export_, bare;
    qint64 lignes = 0;
    for (int i = 0; i <= Fois; ++i) {
        QElapsedTimer chrono;
        chrono.start();
        ExportJournal::ConsoAutreMethode(c, nous, debut, fin);
        const double a = chrono.nsecsElapsed() / 1e6;
        chrono.restart();
        lignes = exportNu(c, nu, debut, fin);
        const double b = chrono.nsecsElapsed() / 1e6;
        if (i > 0) {
            export_.push_back(a);
            bare.push_back(b);
        }
    }
    const double me = mediane(export_), mb = mediane(bare);
    std::printf("%-10s | ConsoAutreMethode %8.1f ms (worst %8.1f) | bare loop %8.1f ms (worst %8.1f) | "
                "ratio %.2f | %lld lines, %lld / %lld bytes\n",
                moteur, me, pire(export_), mb, pire(bare), mb > 0 ? me / mb : 0.0,
                static_cast<long long>(lignes), static_cast<long long>(QFileInfo(nous).size()),
                static_cast<long long>(QFileInfo(nu).size()));

    // Peak growth of the resident size during one export, a tenth of the period then the whole.
    auto croissance = [&](const QDate& dernier) {
        remettrePic();
        const double avant = memoire("VmRSS:");
        ExportJournal::ConsoAutreMethode(c, nous, debut, dernier);
        return memoire("VmHWM:") - avant;
    };
    const QDate dixieme = debut.addDays(static_cast<int>(debut.daysTo(fin) / 10));
    const double petit = croissance(dixieme);
    const qint64 octetsPetit = QFileInfo(nous).size();
    const double grand = croissance(fin);
    std::printf("%-10s | peak memory growth: %.1f MB for %lld bytes written, %.1f MB for %lld bytes\n",
                moteur, petit, static_cast<long long>(octetsPetit), grand,
                static_cast<long long>(QFileInfo(nous).size()));
}

} // namespace

int main(int argc, char** argv) {
    if (aideDemandee(argc, argv, Usage))
        return 0;
    QCoreApplication app(argc, argv);
    Global().VersionBase = 15;
    return surLesDeuxBases(QStringLiteral("bench_export_journal"), DonneesBench::remplir,
                           [](const char* moteur, Connexion& c) { mesurer(moteur, c); });
}
