// The global refill lines of the generator's 200 machines beside a bare QSqlQuery doing the same work on
// the same connection, alternately; then the global sheet from its button to its preview. SQLite, and
// PostgreSQL when DORVANE_TEST_PG is set.
#include "DonneesBench.h"
#include "OutilsBenchFormes.h"
#include "RemplissageNu.h"
#include "common/ErreurExecution.h"
#include "common/FnWendrox.h"
#include "common/ServiceDialogue.h"
#include "common/ServiceSession.h"
#include "common/forms/BoutonMultiligne.h"
#include "common/forms/Instance.h"
#include "db/Connexion.h"
#include "db/Valeurs.h"
#include "machines/CalculRemplissage.h"
#include "machines/forms/FrmConfigMachine.h"
#include "reports/forms/FenCrystalRep.h"

#include <QFile>
#include <QHash>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

const char* const Usage =
    "Usage: bench_remplissage_machine [--help]\n"
    "\n"
    "Fills a database with the shared generator (bench/DonneesBench.h) and its 200 machines\n"
    "(remplirMachines), then times:\n"
    "  - the global refill lines of the 200 machines: CalculRemplissage::RemplissageMachineGlobal in a\n"
    "    write transaction holding TRemplissageMachine, beside a bare QSqlQuery beginning the same\n"
    "    transaction (BEGIN IMMEDIATE on SQLite; LOCK TABLE on PostgreSQL), emptying the table, running the\n"
    "    same two grouped statements (planned articles, loaded slots), computing the lines in a plain loop\n"
    "    and writing them with the same multi-row INSERTs, then committing; both sides alternately, each\n"
    "    first every other run, one warm-up then 101 timed runs each; medians and the ratio (target: under\n"
    "    1.5); the lines written are checked against each other;\n"
    "  - the global sheet from its button: Command3 clicked on the shown machine window (machine 1 open)\n"
    "    until the viewer, holding the sheet of every machine, has painted its first page; median of 7.\n"
    "SQLite always (a temporary folder); PostgreSQL as well when DORVANE_TEST_PG holds a libpq connection\n"
    "string, e.g. under scripts/with-postgres.\n";

constexpr int Fois = 101;

// The lines of the table, summed into one figure each: count, NbUnite, Aremplir.
QString bilan(Connexion& c) {
    QSqlQuery q = c.executer(
        QStringLiteral("SELECT COUNT(*), SUM(NbUnite), SUM(Aremplir), SUM(NumMach * Reference) FROM "
                       "TRemplissageMachine"));
    q.next();
    return QStringLiteral("%1 %2 %3 %4")
        .arg(q.value(0).toLongLong())
        .arg(q.value(1).toDouble())
        .arg(q.value(2).toDouble())
        .arg(q.value(3).toDouble(), 0, 'f', 0);
}

void mesurerCalcul(const char* moteur, Connexion& c) {
    const QList<CalculRemplissage::Machine> liste = machines(c);
    QString routine, bare;
    const auto [r, n] = alterner(
        [&] {
            TransactionEcriture t(c);
            c.verrouillerTable(QStringLiteral("TRemplissageMachine"));
            CalculRemplissage::RemplissageMachineGlobal(c, liste);
            t.valider();
        },
        [&] {
            debutNu(c);
            remplissageNu(c, liste);
            finNue(c);
        },
        Fois);
    {
        TransactionEcriture t(c);
        CalculRemplissage::RemplissageMachineGlobal(c, liste);
        t.valider();
    }
    routine = bilan(c);
    debutNu(c);
    remplissageNu(c, liste);
    finNue(c);
    bare = bilan(c);
    const bool juste = routine == bare && !routine.startsWith(u'0');
    std::printf("%-10s | global lines of %lld machines (%s) | RemplissageMachineGlobal %7.3f ms | QSqlQuery "
                "%7.3f ms | ratio %.2f | %s\n",
                moteur, static_cast<long long>(liste.size()),
                qPrintable(routine.section(u' ', 0, 0) + " lines"), r, n, n > 0 ? r / n : 0.0,
                juste ? "checked" : "WRONG");
    if (!juste)
        throw ErreurExecution(ErreurExecution::ErreurBase,
                              QStringLiteral("lines differ: %1 / %2").arg(routine, bare));
}

// The session of the benchmark: a modal show paints the viewer once, then closes it.
class SessionBench : public ServiceSessionCommun {
public:
    QElapsedTimer chrono;
    double ms = 0;
    int pages = 0;
    void montrerModal(QObject* form) override {
        auto* v = qobject_cast<FenCrystalRep*>(form);
        if (!v)
            return;
        v->show();
        QCoreApplication::processEvents();
        ms = chrono.nsecsElapsed() / 1e6;
        pages = v->document().pageCount();
        v->Unload();
    }
};

// A message would stop the timing: it is printed, and the run fails.
class DialoguesBench : public ServiceDialogue {
public:
    QStringList messages;
    int message(const QString& texte, int, const QString&) override {
        messages << texte;
        return Reponse::OK;
    }
    QString saisie(const QString&, const QString&, const QString&) override { return {}; }
    ResultatOuvertureFichier ouvrirFichier(const DemandeOuvertureFichier&) override { return {}; }
    ResultatEnregistrementFichier enregistrerFichier(const DemandeEnregistrementFichier&) override {
        return {};
    }
    ResultatImprimante choisirImprimante(const QString&) override { return {}; }
};

void mesurerFiche(const char* moteur) {
    Global().CheminRapports = FnWendrox::AjouteBackslash(QStringLiteral(DORVANE_RAPPORTS));
    // The viewer keeps its recipients in the settings.
    QTemporaryDir reglages;
    Global().CheminIni = reglages.filePath(QStringLiteral("automat.ini"));
    QFile ini(Global().CheminIni);
    if (!ini.open(QIODevice::WriteOnly))
        throw ErreurExecution(ErreurExecution::PathFileAccess, Global().CheminIni);
    ini.close();
    SessionBench session;
    ServiceSession* avant = serviceSessionInstalle();
    installerServiceSession(&session);
    DialoguesBench dialogues;
    ServiceDialogue* dialoguesAvant = serviceDialogueInstalle();
    installerServiceDialogue(&dialogues);
    FrmConfigMachine& f = Instance<FrmConfigMachine>();
    f.Show();
    if (!QTest::qWaitForWindowExposed(&f))
        throw ErreurExecution(ErreurExecution::ErreurBase, QStringLiteral("window not shown"));
    f.allerALaMachine(1);
    f.DataGrid1_DblClick();
    std::vector<double> t;
    for (int i = 0; i < 8; ++i) {
        session.ms = 0;
        session.chrono.start();
        f.Command3->click();
        if (i > 0)
            t.push_back(session.ms);
    }
    const int machines = f.derniereFiche() ? f.derniereFiche()->nombre : 0;
    f.Unload();
    DetruireInstance<FrmConfigMachine>();
    DetruireInstance<FenCrystalRep>();
    installerServiceSession(avant);
    installerServiceDialogue(dialoguesAvant);
    if (!dialogues.messages.isEmpty())
        throw ErreurExecution(ErreurExecution::ErreurBase, dialogues.messages.join(u'\n'));
    std::printf("%-10s | global sheet of %d machines, %d pages | click to preview %8.1f ms\n", moteur,
                machines, session.pages, mediane(t));
    if (session.pages == 0)
        throw ErreurExecution(ErreurExecution::ErreurBase, QStringLiteral("no sheet"));
}

void mesurer(const char* moteur, const ParametresConnexion& p) {
    etatSurBaseBench(p);
    {
        Connexion c(p);
        mesurerCalcul(moteur, c);
    }
    mesurerFiche(moteur);
}

} // namespace

int main(int argc, char** argv) {
    return executerBenchForme(
        argc, argv, Usage, QStringLiteral("bench_remplissage_machine"),
        [](Connexion& c) {
            DonneesBench::remplir(c);
            DonneesBench::remplirMachines(c, 200);
        },
        mesurer);
}
