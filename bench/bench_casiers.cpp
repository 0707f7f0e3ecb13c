// The locker grid of a model 10 machine of 14 columns (868 lockers) and the save of its plan: each beside
// bare Qt doing the same work on the same connection, alternately. SQLite, and PostgreSQL when
// DORVANE_TEST_PG is set.
#include "DonneesBench.h"
#include "OutilsBenchFormes.h"
#include "common/ErreurExecution.h"
#include "common/forms/Instance.h"
#include "db/Connexion.h"
#include "db/Valeurs.h"
#include "machines/EnregistrerConfigMachine.h"
#include "machines/GrilleCasiers.h"
#include "machines/forms/FrmConfigMachineCasier.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSqlQuery>
#include <QTableWidget>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

const char* const Usage =
    "Usage: bench_casiers [--help]\n"
    "\n"
    "Fills a database with the shared generator (bench/DonneesBench.h) and its first 16 machines\n"
    "(remplirMachines): machine 16 is a model 10 locker machine of 14 columns, 868 lockers. Times:\n"
    "  - the drawing: FrmConfigMachineCasier::LireConfigMachineColonne on the shown window beside a bare\n"
    "    QSqlQuery of the same locker list filling a bare QTableWidget of 63 rows and 15 columns, one item\n"
    "    per locker at its cell;\n"
    "  - the save of a plan that empties every locker (every locker planned and loaded beforehand, "
    "untimed):\n"
    "    EnregistrerConfigCasiers beside a bare QSqlQuery beginning the same write transaction (BEGIN\n"
    "    IMMEDIATE on SQLite), running the same statements with the same values and committing.\n"
    "Both sides run alternately, each first every other run, one warm-up then 101 timed runs each;\n"
    "medians shown with the ratio (targets: drawing under 1.3, save under 1.5); results are checked.\n"
    "SQLite always (a temporary folder); PostgreSQL as well when DORVANE_TEST_PG holds a libpq connection\n"
    "string, e.g. under scripts/with-postgres.\n";

constexpr int Fois = 101;
constexpr qint32 Machine = 16;
constexpr int ParLot = 100;

const QString SqlListe = QStringLiteral(
    "SELECT ConfigMachines.NoMachine, ConfigMachines.Etage, ConfigMachines.ReferenceArticle, "
    "ConfigMachines.CodeArticle, ArticleEnStock.Designation, ArticleEnStock.RefFournisseur FROM "
    "ConfigMachines "
    "LEFT OUTER JOIN ArticleEnStock ON ArticleEnStock.Reference = ConfigMachines.ReferenceArticle WHERE "
    "(ConfigMachines.NoMachine = ?)");

void mesurerDessin(const char* moteur, Connexion& c) {
    FrmConfigMachineCasier& f = Instance<FrmConfigMachineCasier>();
    f.Show();
    if (!f.allerALaMachine(Machine))
        throw ErreurExecution(ErreurExecution::ErreurBase, QStringLiteral("no machine 16"),
                              QStringLiteral("bench"));
    f.DataGrid1_DblClick();
    QTableWidget nu;
    montrerNu(nu);
    int casiers = 0;
    const auto [r, n] =
        alterner([&] { f.LireConfigMachineColonne(); },
                 [&] {
                     nu.clear();
                     nu.setRowCount(63);
                     nu.setColumnCount(15);
                     QSqlQuery q(c.db());
                     q.setForwardOnly(true);
                     q.prepare(SqlListe);
                     q.addBindValue(Machine);
                     q.exec();
                     casiers = 0;
                     while (q.next()) {
                         const qint64 k = q.value(1).toLongLong();
                         const auto [x, y] = GrilleCasiers::Cellule(k, 62);
                         nu.setItem(int(x), int(y), new QTableWidgetItem(q.value(5).toString()));
                         ++casiers;
                     }
                 },
                 Fois);
    const bool juste = casiers == 868 && f.Grille.casiers.size() == 868 && f.MSFlexGrid1->rowCount() == 63 &&
                       f.MSFlexGrid1->columnCount() == 15;
    std::printf(
        "%-10s | drawing of 868 lockers | LireConfigMachineColonne %7.3f ms | QSqlQuery + QTableWidget "
        "%7.3f ms | ratio %.2f | %s\n",
        moteur, r, n, n > 0 ? r / n : 0.0, juste ? "checked" : "WRONG");
    f.Unload();
    if (!juste)
        throw ErreurExecution(ErreurExecution::ErreurBase, QStringLiteral("drawing wrong"));
}

void mesurerEnregistrement(const char* moteur, Connexion& c) {
    const qint64 avant = DonneesBench::PremiereReference;
    GrilleCasiers g;
    g.Lire(c, Machine, 10, 14);
    GrilleCasiers::Tables vide = g.tables;
    for (auto& l : vide.ReferenceCase)
        l.fill(0);
    const auto charger = [&] {
        TransactionEcriture t(c);
        c.executer(QStringLiteral("UPDATE EmplacementsMachine1 SET Reference = ? WHERE NoMachine = ?"),
                   {avant, Machine});
        c.executer(QStringLiteral(
                       "UPDATE ConfigMachines SET ReferenceArticle = ?, CodeArticle = 1 WHERE NoMachine = ?"),
                   {avant, Machine});
        t.valider();
    };
    const auto lots = [&](const QString& debut, const QVariantList& tete,
                          const std::vector<qint64>& numeros) {
        for (size_t i = 0; i < numeros.size(); i += ParLot) {
            QVariantList valeurs = tete;
            QStringList marques;
            for (size_t k = i; k < std::min(numeros.size(), i + ParLot); ++k) {
                valeurs << numeros[k];
                marques << QStringLiteral("?");
            }
            sqlNu(c, debut + marques.join(QStringLiteral(", ")) + u')', valeurs);
        }
    };
    const auto nue = [&] {
        if (c.estSQLite())
            sqlNu(c, QStringLiteral("BEGIN IMMEDIATE"));
        else
            c.db().transaction();
        std::vector<QList<QVariant>> plan, emplacements;
        lireNu(c, QStringLiteral("SELECT Etage, ReferenceArticle FROM ConfigMachines WHERE NoMachine = ?"),
               {Machine}, plan);
        std::vector<qint64> etages;
        for (const QList<QVariant>& l : plan)
            etages.push_back(l.at(0).toLongLong());
        std::sort(etages.begin(), etages.end());
        lots(QStringLiteral(
                 "UPDATE ConfigMachines SET ReferenceArticle = NULL, CodeArticle = NULL WHERE NoMachine = ? "
                 "AND (ReferenceArticle IS NOT NULL OR CodeArticle IS NOT NULL) AND Etage IN ("),
             {Machine}, etages);
        lireNu(c,
               QStringLiteral(
                   "SELECT NoEmpl, Reference FROM EmplacementsMachine1 WHERE NoMachine = ? AND Reference IS "
                   "NOT NULL"),
               {Machine}, emplacements);
        std::vector<qint64> numeros;
        for (const QList<QVariant>& l : emplacements)
            numeros.push_back(l.at(0).toLongLong());
        std::sort(numeros.begin(), numeros.end());
        lots(QStringLiteral(
                 "UPDATE EmplacementsMachine1 SET Reference = NULL WHERE NoMachine = ? AND Reference <> ? "
                 "AND NoEmpl IN ("),
             {Machine, 0}, numeros);
        if (c.estSQLite())
            sqlNu(c, QStringLiteral("COMMIT"));
        else
            c.db().commit();
    };
    BilanConfigMachine bilan;
    const auto [r, n] = alterner([&] { bilan = EnregistrerConfigCasiers(c, Machine, g.parColonne, vide); },
                                 nue, Fois, charger);
    const bool juste =
        bilan.lignesPlan == 868 && bilan.emplacements == 868 &&
        Valeurs::lireEntier(c.valeurUnique(
            QStringLiteral("SELECT COUNT(Reference) FROM EmplacementsMachine1 WHERE NoMachine = ?"),
            {Machine})) == 0 &&
        Valeurs::lireEntier(c.valeurUnique(
            QStringLiteral("SELECT COUNT(ReferenceArticle) FROM ConfigMachines WHERE NoMachine = ?"),
            {Machine})) == 0;
    std::printf(
        "%-10s | save emptying 868 lockers | EnregistrerConfigCasiers %7.3f ms | QSqlQuery %7.3f ms | "
        "ratio %.2f | %s\n",
        moteur, r, n, n > 0 ? r / n : 0.0, juste ? "checked" : "WRONG");
    if (!juste)
        throw ErreurExecution(ErreurExecution::ErreurBase, QStringLiteral("save wrong"));
}

void mesurer(const char* moteur, const ParametresConnexion& p) {
    etatSurBaseBench(p);
    Connexion c(p);
    mesurerDessin(moteur, c);
    mesurerEnregistrement(moteur, c);
}

} // namespace

int main(int argc, char** argv) {
    return executerBenchForme(
        argc, argv, Usage, QStringLiteral("bench_casiers"),
        [](Connexion& c) {
            DonneesBench::remplir(c);
            DonneesBench::remplirMachines(c, 16);
        },
        mesurer);
}
