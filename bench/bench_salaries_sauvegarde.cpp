// The save of the employee card among the shared generator's 50,000 employees, the list read again
// included, beside the bare statements that do the same work; and the add. SQLite, and PostgreSQL when
// DORVANE_TEST_PG is set.
#include "DonneesBench.h"
#include "OutilsBenchFormes.h"
#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/MODTranslate.h"
#include "db/Connexion.h"
#include "db/Recordset.h"
#include "staff/forms/FrmUtilisateur.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <cstdio>
#include <vector>

namespace {

const char* const Usage =
    "Usage: bench_salaries_sauvegarde [--help]\n"
    "\n"
    "Fills a database with the shared generator (bench/DonneesBench.h: 50,000 employees), opens the "
    "employee\n"
    "file on the offscreen platform and times, alternately in the same process, one warm-up then 15 timed\n"
    "runs each, medians and worst shown:\n"
    "  - the click on \"Modifier\" on an employee spread over the list, a new surname typed: the badge\n"
    "    checks, the write in one transaction, the list read again on the same row, the card and the grid\n"
    "    drawn (target: under 500 ms);\n"
    "  - the bare work beside it: a bound UPDATE of the same columns in one transaction and every value of\n"
    "    every row of SELECT * FROM GrUtilisateur read on the same connection;\n"
    "  - the click on \"Ajouter\" (tidying searches, the insert, the list read again, the new row found).\n"
    "SQLite always (a temporary folder); PostgreSQL as well when DORVANE_TEST_PG holds a libpq connection\n"
    "string, e.g. under scripts/with-postgres.\n";

constexpr int Fois = 15;

class Banc : public FrmUtilisateur {
public:
    using FrmUtilisateur::Form_Activate;
};

void mesurer(const char* moteur, const ParametresConnexion& p) {
    etatSurBaseBench(p);

    Banc f;
    f.Show();
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();
    f.Form_Activate();
    const int lignes = f.data1->RecordCount();

    std::vector<double> sauvegardes, nus;
    std::vector<QList<QVariant>> rangs;
    QString verifie;
    for (int essai = 0; essai <= Fois; ++essai) {
        // An employee spread over the list, with a new surname.
        f.data1->MoveTo((essai * 7919) % lignes);
        const QVariant id = f.data1->Field(QStringLiteral("IdUtilisateur"));
        const QString nom = QStringLiteral("Banc %1").arg(essai);
        auto sauvegarde = [&] {
            f.Text2[1]->setText(nom);
            QElapsedTimer t;
            t.start();
            f.CmdModif->click();
            f.DBGrid1->viewport()->repaint();
            if (essai > 0)
                sauvegardes.push_back(t.nsecsElapsed() / 1e6);
            verifie = f.data1->Field(QStringLiteral("Nom")).toString();
        };
        auto nu = [&] {
            rangs.clear();
            QElapsedTimer t;
            t.start();
            {
                TransactionEcriture tr(f.connexion());
                f.connexion().executer(
                    QStringLiteral("UPDATE Utilisateurs SET NoBadge = NoBadge, Nom = ?, Service = "
                                   "Service WHERE IdUtilisateur = ?"),
                    {nom, id});
                tr.valider();
            }
            lireNu(f.connexion(), QStringLiteral("SELECT * FROM GrUtilisateur"), rangs);
            if (essai > 0)
                nus.push_back(t.nsecsElapsed() / 1e6);
        };
        dansLOrdre(essai, sauvegarde, nu);
    }

    std::vector<double> ajouts;
    for (int essai = 0; essai <= Fois; ++essai) {
        f.data1->MoveTo((essai * 7919) % f.data1->RecordCount());
        QElapsedTimer t;
        t.start();
        f.cmdAdd->click();
        f.DBGrid1->viewport()->repaint();
        if (essai > 0)
            ajouts.push_back(t.nsecsElapsed() / 1e6);
    }

    std::printf(
        "%-10s | save median %.1f ms, worst %.1f ms | bare UPDATE and GrUtilisateur read median %.1f ms | "
        "ratio %.2f | %d rows, last row kept: %s\n",
        moteur, mediane(sauvegardes), *std::max_element(sauvegardes.begin(), sauvegardes.end()), mediane(nus),
        mediane(sauvegardes) / mediane(nus), lignes,
        verifie == QStringLiteral("Banc %1").arg(Fois) ? "yes" : "NO");
    std::printf("%-10s | add median %.1f ms, worst %.1f ms | %d rows after\n", moteur, mediane(ajouts),
                *std::max_element(ajouts.begin(), ajouts.end()), f.data1->RecordCount());
    f.Unload();
}

} // namespace

int main(int argc, char** argv) {
    return executerBenchForme(argc, argv, Usage, QStringLiteral("bench_salaries_sauvegarde"),
                              DonneesBench::remplir,
                              [](const char* moteur, const ParametresConnexion& p) { mesurer(moteur, p); });
}
