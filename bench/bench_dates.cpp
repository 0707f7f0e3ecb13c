// Dated reads with TZ unset, with the start's setting and with TZ naming the same zone, alternating in
// one process, on the generator's data. SQLite, and PostgreSQL when DORVANE_TEST_PG is set.
#include "DonneesBench.h"
#include "OutilsBench.h"
#include "app/ReglagesProcessus.h"
#include "db/Connexion.h"
#include "db/Recordset.h"
#include "reports/ReportTable.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimeZone>
#include <cstdio>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace {

const char* const Usage =
    "Usage: bench_dates [--help]\n"
    "\n"
    "Times the reads of dated rows under three settings of TZ, in turn in the same process: unset (the\n"
    "C library then reads the system's zone file again at every local-time conversion), as the program's\n"
    "start leaves it when it was unset (ReglagesProcessus::fixerFuseauHoraire: \":/etc/localtime\"), and "
    "set\n"
    "to the name of the system's zone. The reads: a bare forward-only QSqlQuery over SELECT LaDate FROM\n"
    "Ventes (every value kept; PostgreSQL's driver makes the dates), Recordset::Open over SELECT * FROM\n"
    "Ventes and over SELECT LaDate FROM Ventes (100,000 rows), the latter again with every date then\n"
    "read from it (a recordset makes its dates at their first read), and ReportTable::read over SELECT *\n"
    "FROM Ventes. One warm-up, then 7 runs of each read under each setting, the settings in rotating order;\n"
    "medians, and the ratios to the read with TZ set (the target is 1.1 at most for the start's setting).\n"
    "\n"
    "The data come from bench/DonneesBench.h. SQLite always (a temporary folder); PostgreSQL as well when\n"
    "DORVANE_TEST_PG holds a libpq connection string, e.g. under scripts/with-postgres.\n";

constexpr int Fois = 7;

struct Reglage {
    const char* nom;
    std::function<void()> appliquer;
};

struct Lecture {
    const char* nom;
    std::function<void(Connexion&)> lire; // what it read is freed outside the timer
};

void mesurer(const char* moteur, Connexion& c, const std::vector<Reglage>& reglages) {
    std::vector<Lecture> lectures = {
        {"QSqlQuery LaDate",
         [](Connexion& cx) {
             std::vector<QList<QVariant>> rangs;
             lireNu(cx, QStringLiteral("SELECT LaDate FROM Ventes"), rangs);
         }},
        {"Recordset Ventes *",
         [](Connexion& cx) {
             Recordset rs;
             rs.Open(cx, QStringLiteral("SELECT * FROM Ventes"));
         }},
        {"Recordset LaDate",
         [](Connexion& cx) {
             Recordset rs;
             rs.Open(cx, QStringLiteral("SELECT LaDate FROM Ventes"));
         }},
        {"Recordset dates read",
         [](Connexion& cx) {
             Recordset rs;
             rs.Open(cx, QStringLiteral("SELECT LaDate FROM Ventes"));
             qint64 jours = 0;
             for (int i = 0; i < rs.RecordCount(); ++i)
                 jours += rs.ValueAt(i, 0).toDateTime().date().day();
             if (jours == 0)
                 std::printf("(no dates)\n");
         }},
        {"ReportTable Ventes *",
         [](Connexion& cx) { ReportTable::read(cx, QStringLiteral("SELECT * FROM Ventes")); }},
    };
    for (const Lecture& l : lectures) {
        std::vector<std::vector<double>> temps(reglages.size());
        for (int essai = 0; essai <= Fois; ++essai) {
            for (size_t k = 0; k < reglages.size(); ++k) {
                const size_t r = (k + static_cast<size_t>(essai)) % reglages.size();
                reglages[r].appliquer();
                QElapsedTimer chrono;
                chrono.start();
                l.lire(c);
                if (essai > 0)
                    temps[r].push_back(chrono.nsecsElapsed() / 1e6);
            }
        }
        std::printf("%-10s | %-20s", moteur, l.nom);
        std::vector<double> m;
        for (size_t r = 0; r < reglages.size(); ++r) {
            m.push_back(mediane(temps[r]));
            std::printf(" | %8.1f ms", m.back());
        }
        std::printf(" | %5.2f | %5.2f\n", m[0] / m[2], m[1] / m[2]);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (aideDemandee(argc, argv, Usage))
        return 0;
    const std::optional<QByteArray> tzDepart =
        qEnvironmentVariableIsSet("TZ") ? std::optional<QByteArray>(qgetenv("TZ")) : std::nullopt;
    QCoreApplication app(argc, argv);
    // The system's zone by its name, as /etc/localtime gives it.
    qunsetenv("TZ");
    tzset();
    const QByteArray zone = QTimeZone::systemTimeZoneId();
    const std::vector<Reglage> reglages = {
        {"unset",
         [] {
             qunsetenv("TZ");
             tzset();
         }},
        {"start",
         [] {
             qunsetenv("TZ");
             ReglagesProcessus::fixerFuseauHoraire();
         }},
        {"set",
         [zone] {
             qputenv("TZ", zone);
             tzset();
         }},
    };
    std::printf("System zone: %s (TZ at launch: %s)\n", zone.constData(),
                tzDepart ? tzDepart->constData() : "unset");
    std::printf("%-10s | %-20s | %11s | %11s | %11s | %5s | %5s\n", "backend", "read", "TZ unset", "start's",
                "TZ set", "unset/set", "start/set");
    const int code = surLesDeuxBases(QStringLiteral("bench_dates"), DonneesBench::remplir,
                                     [&](const char* moteur, Connexion& c) { mesurer(moteur, c, reglages); });
    if (tzDepart)
        qputenv("TZ", *tzDepart);
    return code;
}
