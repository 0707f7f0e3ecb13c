// The global refill lines of the generator's 200 machines beside a bare QSqlQuery doing the same work on
// the same connection, alternately; then the global sheet from its button to its preview. SQLite, and
// PostgreSQL when DORVANE_TEST_PG is set.
#include "DonneesBench.h"
#include "OutilsBenchFormes.h"
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

QList<CalculRemplissage::Machine> machines(Connexion& c) {
    QList<CalculRemplissage::Machine> l;
    QSqlQuery q = c.executer(QStringLiteral(
        "SELECT NoMachine, Type, NbEmplacement, NbPorte, Chargement FROM Machines ORDER BY NoMachine"));
    while (q.next())
        l.append({static_cast<qint32>(Valeurs::lireEntier(q.value(0))),
                  static_cast<int>(Valeurs::lireEntier(q.value(1))), q.value(2), q.value(3), q.value(4)});
    return l;
}

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

// The bare side: the same statements through QSqlQuery, the lines computed in a plain loop.
void nue(Connexion& c, const QList<CalculRemplissage::Machine>& liste) {
    debutNu(c);
    if (!c.estSQLite())
        sqlNu(c, QStringLiteral("LOCK TABLE TRemplissageMachine IN EXCLUSIVE MODE"));
    sqlNu(c, QStringLiteral("DELETE FROM TRemplissageMachine"));
    QVariantList numeros;
    QStringList marques;
    for (const CalculRemplissage::Machine& m : liste) {
        numeros << m.noMachine;
        marques << QStringLiteral("?");
    }
    const QString dans = marques.join(QStringLiteral(", "));
    std::vector<QList<QVariant>> plans, charges;
    lireNu(c,
           QStringLiteral("SELECT NoMachine, ReferenceArticle, COUNT(ReferenceArticle) FROM ConfigMachines "
                          "WHERE ReferenceArticle IS NOT NULL AND NoMachine IN (") +
               dans +
               QStringLiteral(") GROUP BY NoMachine, ReferenceArticle ORDER BY NoMachine, ReferenceArticle"),
           numeros, plans);
    lireNu(c,
           QStringLiteral(
               "SELECT NoMachine, Reference, COUNT(Reference) FROM EmplacementsMachine1 WHERE Reference "
               "IS NOT NULL AND NoMachine IN (") +
               dans + QStringLiteral(") GROUP BY NoMachine, Reference"),
           numeros, charges);
    QHash<QPair<qint64, qint64>, qint64> presents;
    for (const QList<QVariant>& r : charges)
        presents.insert({r[0].toLongLong(), r[1].toLongLong()}, r[2].toLongLong());
    QHash<qint64, double> capacites;
    for (const CalculRemplissage::Machine& m : liste) {
        const QString ch = m.chargement.toString();
        capacites.insert(m.noMachine, ch == QLatin1String("CASIER") ? 1.0
                                      : ch == QLatin1String("ETAGE")
                                          ? std::nearbyint(m.nbEmplacement.toDouble() / m.nbPorte.toDouble())
                                          : m.nbPorte.toDouble());
    }
    QVariantList valeurs;
    QStringList lignes;
    const QVariant nul(QMetaType::fromType<qint64>());
    // Lots of 16 rows through one statement prepared once, the rest through one of its own.
    QSqlQuery lot(c.db());
    bool lotPrepare = false;
    auto ecrire = [&] {
        if (lignes.isEmpty())
            return;
        const QString sql = QStringLiteral("INSERT INTO TRemplissageMachine (Etage, Reference, CodeArticle, "
                                           "NbUnite, Aremplir, NumMach) VALUES ") +
                            lignes.join(QStringLiteral(", "));
        if (lignes.size() < 16) {
            sqlNu(c, sql, valeurs);
        } else {
            if (!lotPrepare && !(lotPrepare = lot.prepare(sql)))
                throw ErreurExecution(ErreurExecution::ErreurBase, Connexion::texteErreur(lot),
                                      QStringLiteral("bench"));
            for (int i = 0; i < valeurs.size(); ++i)
                lot.bindValue(i, valeurs.at(i));
            if (!lot.exec())
                throw ErreurExecution(ErreurExecution::ErreurBase, Connexion::texteErreur(lot),
                                      QStringLiteral("bench"));
        }
        lignes.clear();
        valeurs.clear();
    };
    for (const QList<QVariant>& r : plans) {
        const qint64 no = r[0].toLongLong(), ref = r[1].toLongLong();
        const double n = static_cast<double>(presents.value({no, ref}));
        valeurs << nul << ref << nul << n << r[2].toDouble() * capacites.value(no) - n << no;
        lignes << QStringLiteral("(?, ?, ?, ?, ?, ?)");
        if (lignes.size() == 16)
            ecrire();
    }
    ecrire();
    finNue(c);
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
        [&] { nue(c, liste); }, Fois);
    {
        TransactionEcriture t(c);
        CalculRemplissage::RemplissageMachineGlobal(c, liste);
        t.valider();
    }
    routine = bilan(c);
    nue(c, liste);
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
