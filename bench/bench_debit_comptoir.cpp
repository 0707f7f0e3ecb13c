// Counter hand-outs written at once from several workstations beside a machine writing its withdrawals:
// eight counters on PostgreSQL, two on the embedded SQLite file, each a thread with its own connection,
// over the generator's data; EnregistrerVente against bare hand-outs prepared once, hand-outs per second,
// then every reserve and every row checked.
#include "DonneesBench.h"
#include "OutilsBench.h"
#include "RemiseNue.h"
#include "common/ErreurExecution.h"
#include "counter/EnregistrerVente.h"
#include "db/Connexion.h"
#include "db/Recordset.h"
#include "db/Valeurs.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QMutex>
#include <QSqlQuery>
#include <QStringList>
#include <QTemporaryDir>
#include <atomic>
#include <cstdio>
#include <latch>
#include <optional>
#include <thread>
#include <vector>

namespace {

const char* const Usage =
    "Usage: bench_debit_comptoir [--help]\n"
    "\n"
    "Fills a database with the shared generator (bench/DonneesBench.h) and has several counters hand out at\n"
    "once, each writer a thread with its own connection making 500 hand-outs (one write transaction each:\n"
    "header, line, relative decrement of the reserve), over 20 articles that all the writers share, 1 to 3\n"
    "units at a time, while a machine, a thread of its own, writes withdrawals (header and line, NoMachine\n"
    "1) with bare statements prepared once until the counters are done:\n"
    "  - SQLite: two counters on the embedded file (BEGIN IMMEDIATE, the 30 s busy timeout);\n"
    "  - PostgreSQL: eight counters, when DORVANE_TEST_PG holds a libpq connection string, e.g. under\n"
    "    scripts/with-postgres.\n"
    "The counters call EnregistrerVente on one side, bare QSqlQuery objects prepared once per connection\n"
    "running the same statements on the other (bench/RemiseNue.h); 5 runs a side, alternately, each side\n"
    "first every other run. Prints the median hand-outs per second of each side from the writers' common\n"
    "start to the last one's end, the machine's withdrawals meanwhile and the ratio (target on\n"
    "PostgreSQL: 0.85 at least); after every run checks each article's reserve (its start less every unit\n"
    "handed out), the number of new headers (the machine's among them) and that each has exactly its one\n"
    "line.\n";

constexpr int ParEcrivain = 500;
constexpr int NbArticles = 20;
constexpr int Tours = 5; // runs a side

qint64 entier(Connexion& c, const QString& sql, const QVariantList& valeurs = {}) {
    return Valeurs::lireEntier(c.valeurUnique(sql, valeurs));
}

// The article and the quantity of a writer's i-th hand-out.
int article(int ecrivain, int i) {
    return (ecrivain * 7 + i) % NbArticles;
}
qint32 quantite(int i) {
    return 1 + i % 3;
}

// A machine writing its withdrawals beside the counters with bare statements prepared once: header and
// line (NoMachine 1), one transaction each, until the counters are done.
class MachineNue {
public:
    explicit MachineNue(Connexion& c) : m_c(c), m_entete(c.db()), m_ligne(c.db()) {
        m_entete.setForwardOnly(true);
        m_ligne.setForwardOnly(true);
        if (!m_entete.prepare(
                QStringLiteral("INSERT INTO Ventes (LaDate, Utilisateur, Nom, Prenom, TypeMouvement, "
                               "Total, NoMachine) VALUES (?, ?, ?, ?, 3, ?, 1) RETURNING NumVente")) ||
            !m_ligne.prepare(
                QStringLiteral("INSERT INTO DetailVente (NumVente, Reference, Designation, Quantite, "
                               "PrixAchatUnit, NoMachine) VALUES (?, ?, ?, 1, ?, 1)")))
            throw ErreurExecution(ErreurExecution::ErreurBase, QStringLiteral("machine: prepare"));
    }
    void retrait(const ValeursVente& v) {
        debutNu(m_c);
        const QVariantList entete = {
            QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), v.NoBadge, v.NOM,
            v.Prenom, v.PrixAchatUnit};
        for (int i = 0; i < entete.size(); ++i)
            m_entete.bindValue(i, entete.at(i));
        if (!m_entete.exec() || !m_entete.next())
            throw ErreurExecution(ErreurExecution::ErreurBase, Connexion::texteErreur(m_entete));
        const qint64 numero = m_entete.value(0).toLongLong();
        m_entete.finish();
        const QVariantList ligne = {numero, v.Reference, v.Designation, v.PrixAchatUnit};
        for (int i = 0; i < ligne.size(); ++i)
            m_ligne.bindValue(i, ligne.at(i));
        if (!m_ligne.exec())
            throw ErreurExecution(ErreurExecution::ErreurBase, Connexion::texteErreur(m_ligne));
        finNue(m_c);
    }

private:
    Connexion& m_c;
    QSqlQuery m_entete, m_ligne;
};

struct Mesure {
    double parSeconde = 0;
    qint64 machine = 0; // the machine's withdrawals meanwhile
    bool juste = false;
};

// One run: `ecrivains` counters (EnregistrerVente, or the bare hand-out when `nus`) and the machine, each a
// thread with its own connection, from a common start; then every reserve and every row checked.
Mesure tour(Connexion& c, const std::vector<std::vector<ValeursVente>>& valeurs,
            const std::vector<qint64>& references, bool nus) {
    const int ecrivains = static_cast<int>(valeurs.size());
    const QString sqlReserve = QStringLiteral("SELECT QteEnStock FROM ArticleEnStock WHERE Reference = ?");
    std::vector<qint64> reserves, attendus(NbArticles, 0);
    for (int a = 0; a < NbArticles; ++a)
        reserves.push_back(entier(c, sqlReserve, {references[a]}));
    for (int e = 0; e < ecrivains; ++e)
        for (int i = 0; i < ParEcrivain; ++i)
            attendus[article(e, i)] += quantite(i);
    const qint64 dernier = entier(c, QStringLiteral("SELECT MAX(NumVente) FROM Ventes"));

    const ParametresConnexion parametres = c.parametres();
    QMutex verrou;
    QStringList erreurs;
    std::latch prets(ecrivains + 2);
    std::atomic<int> restants{ecrivains};
    std::atomic<qint64> machine{0};
    auto echec = [&](const ErreurExecution& x) {
        const QMutexLocker l(&verrou);
        erreurs << x.description();
    };
    std::vector<std::thread> postes;
    for (int e = 0; e < ecrivains; ++e)
        postes.emplace_back([&, e] {
            try {
                Connexion poste(parametres);
                std::optional<RemiseNue> nue;
                if (nus)
                    nue.emplace(poste);
                prets.arrive_and_wait();
                for (int i = 0; i < ParEcrivain; ++i) {
                    const ValeursVente& v = valeurs[e][article(e, i)];
                    if (nue)
                        (*nue)(v, quantite(i));
                    else
                        EnregistrerVente(poste, v, quantite(i));
                }
            } catch (const ErreurExecution& x) {
                echec(x);
            }
            --restants;
        });
    std::thread automate([&] {
        try {
            Connexion poste(parametres);
            MachineNue m(poste);
            prets.arrive_and_wait();
            for (int i = 0; restants.load() > 0; ++i) {
                m.retrait(valeurs[0][static_cast<size_t>(i % NbArticles)]);
                ++machine;
            }
        } catch (const ErreurExecution& x) {
            echec(x);
        }
    });
    prets.arrive_and_wait();
    QElapsedTimer chrono;
    chrono.start();
    for (std::thread& t : postes)
        t.join();
    const double secondes = chrono.nsecsElapsed() / 1e9;
    automate.join();
    if (!erreurs.isEmpty())
        throw ErreurExecution(ErreurExecution::ErreurBase, erreurs.join(u'\n'));

    Mesure m;
    m.parSeconde = ecrivains * ParEcrivain / secondes;
    m.machine = machine.load();
    m.juste = true;
    for (int a = 0; a < NbArticles; ++a)
        m.juste = m.juste && entier(c, sqlReserve, {references[a]}) == reserves[a] - attendus[a];
    const qint64 total = qint64(ecrivains) * ParEcrivain + m.machine;
    m.juste =
        m.juste &&
        entier(c, QStringLiteral("SELECT COUNT(*) FROM Ventes WHERE NumVente > ?"), {dernier}) == total &&
        entier(c, QStringLiteral("SELECT COUNT(*) FROM Ventes WHERE NumVente > ? AND NoMachine = 1"),
               {dernier}) == m.machine &&
        entier(c, QStringLiteral("SELECT COUNT(*) FROM DetailVente WHERE NumVente > ?"), {dernier}) ==
            total &&
        entier(c,
               QStringLiteral("SELECT COUNT(*) FROM Ventes V WHERE V.NumVente > ? AND (SELECT COUNT(*) FROM "
                              "DetailVente D WHERE D.NumVente = V.NumVente) <> 1"),
               {dernier}) == 0;
    return m;
}

void debit(const char* moteur, Connexion& c, int ecrivains) {
    // Each writer's employee and the shared articles, read as the counter reads its two lists.
    std::vector<std::vector<ValeursVente>> valeurs(static_cast<size_t>(ecrivains));
    std::vector<qint64> references;
    Recordset salaries, articles;
    for (int a = 0; a < NbArticles; ++a)
        references.push_back(DonneesBench::PremiereReference + 100 + a);
    for (int e = 0; e < ecrivains; ++e) {
        salaries.Open(c, QStringLiteral("SELECT * FROM GrUtilisateur WHERE IdUtilisateur = ?"),
                      {qint64(1000 + e)});
        for (int a = 0; a < NbArticles; ++a) {
            articles.Open(c, QStringLiteral("SELECT * FROM StockGlobal WHERE Reference = ?"),
                          {references[a]});
            valeurs[e].push_back(ValeursCourantes(salaries, articles));
        }
    }
    std::vector<double> notres, nus;
    qint64 machineNotre = 0, machineNue = 0;
    bool juste = true;
    for (int t = 0; t < Tours; ++t)
        dansLOrdre(
            t,
            [&] {
                const Mesure m = tour(c, valeurs, references, false);
                notres.push_back(m.parSeconde);
                machineNotre += m.machine;
                juste = juste && m.juste;
            },
            [&] {
                const Mesure m = tour(c, valeurs, references, true);
                nus.push_back(m.parSeconde);
                machineNue += m.machine;
                juste = juste && m.juste;
            });
    const double a = mediane(notres), b = mediane(nus);
    std::printf("%-10s | %d counters x %d hand-outs + a machine, %d runs a side | EnregistrerVente %7.0f "
                "hand-outs/s (machine %lld) | bare %7.0f hand-outs/s (machine %lld) | ratio %.2f | "
                "reserves and rows %s\n",
                moteur, ecrivains, ParEcrivain, Tours, a, static_cast<long long>(machineNotre), b,
                static_cast<long long>(machineNue), b > 0 ? a / b : 0.0, juste ? "checked" : "WRONG");
    if (!juste)
        throw ErreurExecution(ErreurExecution::ErreurBase, QStringLiteral("reserves or rows wrong"));
}

} // namespace

int main(int argc, char** argv) {
    if (aideDemandee(argc, argv, Usage))
        return 0;
    QCoreApplication app(argc, argv);
    try {
        QTemporaryDir dossier;
        const ParametresConnexion p = creerBaseBench(dossier.path(), DonneesBench::remplir);
        {
            Connexion c(p);
            debit("SQLite", c, 2);
        }
        surServeurBench(QStringLiteral("bench_debit_comptoir"), DonneesBench::remplir,
                        [](Connexion& c, const QString&) { debit("PostgreSQL", c, 8); });
    } catch (const ErreurExecution& e) {
        std::fprintf(stderr, "Échec : %s\n", qPrintable(e.description()));
        return 1;
    }
    return 0;
}
