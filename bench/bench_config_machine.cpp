// The layouts of a 252-slot machine and the save of its plan, over the generator's 200 machines: each
// beside a bare QSqlQuery running the same statements on the same connection, alternately. SQLite, and
// PostgreSQL when DORVANE_TEST_PG is set.
#include "DonneesBench.h"
#include "OutilsBench.h"
#include "common/ErreurExecution.h"
#include "db/Connexion.h"
#include "db/Valeurs.h"
#include "machines/DispositionMachine.h"
#include "machines/EnregistrerConfigMachine.h"
#include "machines/ModeleMachine.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMap>
#include <QSqlQuery>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const char* const Usage =
    "Usage: bench_config_machine [--help]\n"
    "\n"
    "Fills a database with the shared generator (bench/DonneesBench.h) and its 200 machines\n"
    "(remplirMachines), then, for the 252-slot machine laid out by floors (model 5, \"ETAGE\") and the one\n"
    "laid out by columns (model 5, \"COLONNE\"), times:\n"
    "  - the layout: DispositionMachine::Lire (configured rows with their designation, the slots gathered\n"
    "    by floor or column and summed per layout row in C++, the refill array) beside a bare QSqlQuery\n"
    "    running the two plain statements of a drawing (the configured rows joined to their article, the\n"
    "    loaded slots counted per floor or column with GROUP BY), every value of every row read;\n"
    "  - the save of a plan that empties every slot (every slot loaded with one article beforehand, every\n"
    "    row planned with another): EnregistrerConfigMachine beside a bare QSqlQuery beginning the same\n"
    "    write transaction (BEGIN IMMEDIATE on SQLite), running the same statements with the same values\n"
    "    (one conditional UPDATE per plan row, the slots read, one conditional UPDATE per layout row) and\n"
    "    committing; the machine is loaded again, untimed, before each save.\n"
    "Both sides run alternately, each first every other run, one warm-up then 201 timed runs each;\n"
    "medians shown with the ratio (target: under 1.5); the layouts' rows and the saves' result are checked.\n"
    "SQLite always (a temporary folder); PostgreSQL as well when DORVANE_TEST_PG holds a libpq connection\n"
    "string, e.g. under scripts/with-postgres.\n";

constexpr int Fois = 201;

qint64 entier(Connexion& c, const QString& sql, const QVariantList& valeurs) {
    return Valeurs::lireEntier(c.valeurUnique(sql, valeurs));
}

struct MachineBench {
    qint32 no = 0;
    int type = 0;
    QString chargement;
    QVariant places, portes;
};

MachineBench machine252(Connexion& c, const char* chargement) {
    QSqlQuery q =
        c.executer(QStringLiteral("SELECT NoMachine, Type, NbEmplacement, NbPorte FROM Machines WHERE "
                                  "NbEmplacement = 252 AND Chargement = ? ORDER BY NoMachine"),
                   {QString::fromLatin1(chargement)});
    if (!q.next())
        throw ErreurExecution(ErreurExecution::ErreurBase, QStringLiteral("no 252-slot machine"),
                              QStringLiteral("bench"));
    return {static_cast<qint32>(Valeurs::lireEntier(q.value(0))),
            static_cast<int>(Valeurs::lireEntier(q.value(1))), QString::fromLatin1(chargement), q.value(2),
            q.value(3)};
}

void mesurerDisposition(const char* moteur, Connexion& c, const MachineBench& m) {
    const ModeleMachine::Disposition vue = ModeleMachine::DispositionDe(m.chargement);
    const bool etages = vue == ModeleMachine::Disposition::Etages;
    const QString sqlPlan = QStringLiteral(
        "SELECT ConfigMachines.NoMachine, ConfigMachines.Etage, ConfigMachines.ReferenceArticle, "
        "ConfigMachines.CodeArticle, ArticleEnStock.Designation FROM ConfigMachines LEFT OUTER JOIN "
        "ArticleEnStock ON ArticleEnStock.Reference = ConfigMachines.ReferenceArticle WHERE "
        "ConfigMachines.NoMachine = ? ORDER BY Etage");
    const QString sqlComptes =
        etages
            ? QStringLiteral("SELECT Etage, COUNT(Reference) AS CompteDeReference FROM EmplacementsMachine1 "
                             "WHERE NoMachine = ? GROUP BY Etage ORDER BY Etage")
            : QStringLiteral(
                  "SELECT COUNT(Reference) AS CompteDeReference, Colonne FROM EmplacementsMachine1 "
                  "WHERE NoMachine = ? GROUP BY Colonne ORDER BY Colonne");
    const DispositionMachine::Machine fiche{m.no, m.type, m.places, m.portes, {}};
    qsizetype lignes = 0;
    size_t lignesNues = 0;
    const auto [r, n] = alterner([&] { lignes = DispositionMachine::Lire(c, fiche, vue).lignes.size(); },
                                 [&] {
                                     std::vector<QList<QVariant>> plan, comptes;
                                     lireNu(c, sqlPlan, {m.no}, plan);
                                     lireNu(c, sqlComptes, {m.no}, comptes);
                                     lignesNues = plan.size();
                                 },
                                 Fois);
    const bool juste = lignes > 0 && static_cast<size_t>(lignes) == lignesNues;
    std::printf("%-10s | %-7s machine %3d, %lld rows | DispositionMachine %6.3f ms | QSqlQuery %6.3f ms | "
                "ratio %.2f | rows %s\n",
                moteur, qPrintable(m.chargement), m.no, static_cast<long long>(lignes), r, n,
                n > 0 ? r / n : 0.0, juste ? "checked" : "WRONG");
    if (!juste)
        throw ErreurExecution(ErreurExecution::ErreurBase, QStringLiteral("layout rows wrong"));
}

void mesurerEnregistrement(const char* moteur, Connexion& c, const MachineBench& m) {
    const ModeleMachine::Disposition vue = ModeleMachine::DispositionDe(m.chargement);
    const int modeVue = vue == ModeleMachine::Disposition::Etages ? 1 : 2;
    const qint64 avant = DonneesBench::PremiereReference, apres = DonneesBench::PremiereReference + 1;
    // Every row planned with `apres`; the slots, all loaded with `avant` before each save, all emptied.
    PlanMachine plan;
    {
        QSqlQuery q =
            c.executer(QStringLiteral("SELECT Etage FROM ConfigMachines WHERE NoMachine = ? ORDER BY "
                                      "Etage"),
                       {m.no});
        while (q.next())
            plan << LignePlan{Valeurs::lireEntier(q.value(0)), apres, 2, QStringLiteral("Article planifié")};
    }
    QMap<qint64, QList<qint64>> parLigne;
    {
        QSqlQuery q =
            c.executer(QStringLiteral("SELECT NoEmpl, Etage, Colonne FROM EmplacementsMachine1 WHERE "
                                      "NoMachine = ? ORDER BY NoEmpl"),
                       {m.no});
        while (q.next())
            if (const auto l = ModeleMachine::LigneDeLayout(vue, m.type, q.value(1), q.value(2), q.value(0)))
                parLigne[*l] << Valeurs::lireEntier(q.value(0));
    }
    const auto charger = [&] {
        TransactionEcriture t(c);
        c.executer(QStringLiteral("UPDATE EmplacementsMachine1 SET Reference = ? WHERE NoMachine = ?"),
                   {avant, m.no});
        c.executer(
            QStringLiteral("UPDATE ConfigMachines SET ReferenceArticle = ?, CodeArticle = 1, Designation = "
                           "'Avant' WHERE NoMachine = ?"),
            {avant, m.no});
        t.valider();
    };
    const QString sqlPlan = QStringLiteral(
        "UPDATE ConfigMachines SET Designation = ?, ReferenceArticle = ?, CodeArticle = ? WHERE "
        "NoMachine = ? AND Etage = ? AND (ReferenceArticle IS NULL OR ReferenceArticle <> ?)");
    const auto nue = [&] {
        debutNu(c);
        for (const LignePlan& l : plan)
            sqlNu(c, sqlPlan, {l.designation, l.reference, l.codeArticle, m.no, l.etage, l.reference});
        std::vector<QList<QVariant>> emplacements;
        lireNu(c,
               QStringLiteral(
                   "SELECT NoEmpl, Etage, Colonne, Reference FROM EmplacementsMachine1 WHERE NoMachine = ?"),
               {m.no}, emplacements);
        for (auto it = parLigne.cbegin(); it != parLigne.cend(); ++it) {
            QVariantList valeurs{m.no, apres};
            QStringList marques;
            for (qint64 e : it.value()) {
                valeurs << e;
                marques << QStringLiteral("?");
            }
            sqlNu(c,
                  QStringLiteral(
                      "UPDATE EmplacementsMachine1 SET Reference = NULL WHERE NoMachine = ? AND Reference "
                      "<> ? AND NoEmpl IN (") +
                      marques.join(QStringLiteral(", ")) + u')',
                  valeurs);
        }
        finNue(c);
    };
    BilanConfigMachine bilan;
    const auto [r, n] = alterner([&] { bilan = EnregistrerConfigMachine(c, m.no, m.type, modeVue, plan); },
                                 nue, Fois, charger);
    const QVariantList no{m.no};
    const bool juste =
        bilan.emplacements == 252 && bilan.lignesPlan == plan.size() &&
        entier(c, QStringLiteral("SELECT COUNT(Reference) FROM EmplacementsMachine1 WHERE NoMachine = ?"),
               no) == 0 &&
        entier(c,
               QStringLiteral(
                   "SELECT COUNT(*) FROM ConfigMachines WHERE NoMachine = ? AND ReferenceArticle = ?"),
               {m.no, apres}) == plan.size();
    std::printf(
        "%-10s | %-7s machine %3d, save emptying 252 slots | EnregistrerConfigMachine %6.3f ms | QSqlQuery "
        "%6.3f ms | ratio %.2f | %s\n",
        moteur, qPrintable(m.chargement), m.no, r, n, n > 0 ? r / n : 0.0, juste ? "checked" : "WRONG");
    if (!juste)
        throw ErreurExecution(ErreurExecution::ErreurBase, QStringLiteral("save wrong"));
}

void mesurer(const char* moteur, Connexion& c) {
    for (const char* chargement : {"ETAGE", "COLONNE"}) {
        const MachineBench m = machine252(c, chargement);
        mesurerDisposition(moteur, c, m);
        mesurerEnregistrement(moteur, c, m);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (aideDemandee(argc, argv, Usage))
        return 0;
    QCoreApplication app(argc, argv);
    return surLesDeuxBases(
        QStringLiteral("bench_config_machine"),
        [](Connexion& c) {
            DonneesBench::remplir(c);
            DonneesBench::remplirMachines(c, 200);
        },
        [](const char* moteur, Connexion& c) { mesurer(moteur, c); });
}
