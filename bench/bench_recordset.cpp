// A Recordset over 50,000 employees of GrUtilisateur: its open time beside the same SELECT through a bare
// QSqlQuery, a Find from the first row and a Sort by name. SQLite, and PostgreSQL when DORVANE_TEST_PG is
// set.
#include "OutilsBench.h"
#include "common/ErreurExecution.h"
#include "db/Connexion.h"
#include "db/Recordset.h"
#include "db/Schema.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHash>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int NbSalaries = 50000;
const QString Requete = QStringLiteral("SELECT * FROM GrUtilisateur");

void remplir(Connexion& c) {
    TransactionEcriture t(c);
    for (int i = 1; i <= 20; ++i) {
        c.executer(QStringLiteral("INSERT INTO Sites (NomSite) VALUES (?)"),
                   {QStringLiteral("Site %1").arg(i)});
        c.executer(QStringLiteral("INSERT INTO Services (NomService, Site) VALUES (?, ?)"),
                   {QStringLiteral("Service %1").arg(i), i});
        c.executer(QStringLiteral("INSERT INTO Tailles (Taille, Ordre, NoFamille) VALUES (?, ?, ?)"),
                   {QString::number(34 + i), i, 3});
    }
    // Names in mixed case and accents, so that the sort has real work.
    const QString genere =
        c.estSQLite()
            ? QStringLiteral(
                  "INSERT INTO Utilisateurs (NoBadge, MatriculeSalarie, Nom, Prenom, Site, Service, Quota, "
                  "TailleChaussure, TailleMain, Langue, MachineAutorise, NoUtilisateur) "
                  "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                  "SELECT printf('%013d', i), 'M' || i, "
                  "CASE i % 4 WHEN 0 THEN 'Élodie' WHEN 1 THEN 'martin' WHEN 2 THEN 'Zoé' ELSE 'émile' END "
                  "|| ' ' || ((i * 7919) % 50000), 'Jean', 1 + i % 20, 1 + i % 20, 1 + i % 3, 1 + i % 20, "
                  "1 + (i + 3) % 20, 'FR', '1,2,3', '0' FROM n")
            : QStringLiteral(
                  "INSERT INTO Utilisateurs (NoBadge, MatriculeSalarie, Nom, Prenom, Site, Service, Quota, "
                  "TailleChaussure, TailleMain, Langue, MachineAutorise, NoUtilisateur) "
                  "SELECT lpad(i::text, 13, '0'), 'M' || i, "
                  "CASE i % 4 WHEN 0 THEN 'Élodie' WHEN 1 THEN 'martin' WHEN 2 THEN 'Zoé' ELSE 'émile' END "
                  "|| ' ' || ((i * 7919) % 50000), 'Jean', 1 + i % 20, 1 + i % 20, 1 + i % 3, 1 + i % 20, "
                  "1 + (i + 3) % 20, 'FR', '1,2,3', '0' FROM generate_series(1, %1) AS n(i)");
    c.executer(genere.arg(NbSalaries));
    t.valider();
    c.executer(c.estSQLite() ? QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)") : QStringLiteral("ANALYZE"));
}

void mesurer(const char* moteur, Connexion& c) {
    std::vector<double> nu, rs, find, tri;
    int lignes = 0;
    for (int essai = 0; essai < 5; ++essai) {
        QElapsedTimer chrono;
        chrono.start();
        {
            QSqlQuery q(c.db());
            q.setForwardOnly(true);
            q.exec(Requete);
            const int n = q.record().count();
            std::vector<QList<QVariant>> rangs;
            while (q.next()) {
                QList<QVariant> r;
                r.reserve(n);
                for (int i = 0; i < n; ++i)
                    r.append(q.value(i));
                rangs.push_back(std::move(r));
            }
            lignes = static_cast<int>(rangs.size());
        }
        nu.push_back(chrono.nsecsElapsed() / 1e6);

        Recordset r;
        chrono.restart();
        r.Open(c, Requete);
        rs.push_back(chrono.nsecsElapsed() / 1e6);

        chrono.restart();
        // A name near the end of the table.
        r.Find(QStringLiteral("NoBadge"), Recordset::Comparaison::Egal,
               QStringLiteral("%1").arg(NbSalaries - 1, 13, 10, QChar(u'0')), Recordset::Depart::Premier);
        find.push_back(chrono.nsecsElapsed() / 1e6);

        chrono.restart();
        r.Sort(QStringLiteral("Nom"));
        tri.push_back(chrono.nsecsElapsed() / 1e6);
    }
    const double a = mediane(nu), b = mediane(rs);
    std::printf("%-10s rows %d | bare QSqlQuery %7.1f ms | Recordset.Open %7.1f ms (ratio %.2f) | Find %6.1f "
                "ms | Sort %6.1f ms\n",
                moteur, lignes, a, b, b / a, mediane(find), mediane(tri));
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    try {
        QTemporaryDir dossier;
        ParametresConnexion p = creerBaseBench(dossier.path(), remplir);
        {
            Connexion c(p);
            mesurer("SQLite", c);
        }
        surServeurBench(QStringLiteral("bench_recordset"), remplir,
                        [](Connexion& c, const QString&) { mesurer("PostgreSQL", c); });
    } catch (const ErreurExecution& e) {
        std::fprintf(stderr, "Échec : %s\n", qPrintable(e.description()));
        return 1;
    }
    return 0;
}
