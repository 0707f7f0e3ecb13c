// Counter hand-outs written at once from several workstations: eight writers on PostgreSQL, two on the
// embedded SQLite file, each a thread with its own connection, over the generator's data; hand-outs per
// second, then every reserve and every row checked.
#include "DonneesBench.h"
#include "OutilsBench.h"
#include "common/ErreurExecution.h"
#include "counter/EnregistrerVente.h"
#include "db/Connexion.h"
#include "db/Recordset.h"
#include "db/Valeurs.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMutex>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdio>
#include <latch>
#include <thread>
#include <vector>

namespace {

const char* const Usage =
    "Usage: bench_debit_comptoir [--help]\n"
    "\n"
    "Fills a database with the shared generator (bench/DonneesBench.h) and has several counters hand out at\n"
    "once, each writer a thread with its own connection calling EnregistrerVente 500 times (one write\n"
    "transaction each: header, line, relative decrement of the reserve), over 20 articles that all the\n"
    "writers share, 1 to 3 units at a time:\n"
    "  - SQLite: two writers on the embedded file (BEGIN IMMEDIATE, the 30 s busy timeout);\n"
    "  - PostgreSQL: eight writers, when DORVANE_TEST_PG holds a libpq connection string, e.g. under\n"
    "    scripts/with-postgres.\n"
    "Prints the hand-outs per second from the writers' common start to the last one's end, then checks\n"
    "each article's reserve (its start less every unit handed out), the number of new headers and that\n"
    "each has exactly its one line.\n";

constexpr int ParEcrivain = 500;
constexpr int NbArticles = 20;

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

void debit(const char* moteur, Connexion& c, int ecrivains) {
    const QString sqlReserve = QStringLiteral("SELECT QteEnStock FROM ArticleEnStock WHERE Reference = ?");
    // Each writer's employee and the shared articles, read as the counter reads its two lists.
    std::vector<std::vector<ValeursVente>> valeurs(static_cast<size_t>(ecrivains));
    std::vector<qint64> references, reserves, attendus(NbArticles, 0);
    Recordset salaries, articles;
    for (int a = 0; a < NbArticles; ++a) {
        references.push_back(DonneesBench::PremiereReference + 100 + a);
        reserves.push_back(entier(c, sqlReserve, {references.back()}));
    }
    for (int e = 0; e < ecrivains; ++e) {
        salaries.Open(c, QStringLiteral("SELECT * FROM GrUtilisateur WHERE IdUtilisateur = ?"),
                      {qint64(1000 + e)});
        for (int a = 0; a < NbArticles; ++a) {
            articles.Open(c, QStringLiteral("SELECT * FROM StockGlobal WHERE Reference = ?"),
                          {references[a]});
            valeurs[e].push_back(ValeursCourantes(salaries, articles));
        }
        for (int i = 0; i < ParEcrivain; ++i)
            attendus[article(e, i)] += quantite(i);
    }
    const qint64 dernier = entier(c, QStringLiteral("SELECT MAX(NumVente) FROM Ventes"));

    const ParametresConnexion parametres = c.parametres();
    QMutex verrou;
    QStringList erreurs;
    std::latch prets(ecrivains + 1);
    std::vector<std::thread> postes;
    for (int e = 0; e < ecrivains; ++e)
        postes.emplace_back([&, e] {
            try {
                Connexion poste(parametres);
                prets.arrive_and_wait();
                for (int i = 0; i < ParEcrivain; ++i)
                    EnregistrerVente(poste, valeurs[e][article(e, i)], quantite(i));
            } catch (const ErreurExecution& x) {
                const QMutexLocker l(&verrou);
                erreurs << x.description();
            }
        });
    prets.arrive_and_wait();
    QElapsedTimer chrono;
    chrono.start();
    for (std::thread& t : postes)
        t.join();
    const double secondes = chrono.nsecsElapsed() / 1e9;
    if (!erreurs.isEmpty())
        throw ErreurExecution(ErreurExecution::ErreurBase, erreurs.join(u'\n'));

    bool juste = true;
    for (int a = 0; a < NbArticles; ++a)
        juste = juste && entier(c, sqlReserve, {references[a]}) == reserves[a] - attendus[a];
    const qint64 total = qint64(ecrivains) * ParEcrivain;
    juste =
        juste &&
        entier(c, QStringLiteral("SELECT COUNT(*) FROM Ventes WHERE NumVente > ?"), {dernier}) == total &&
        entier(c, QStringLiteral("SELECT COUNT(*) FROM DetailVente WHERE NumVente > ?"), {dernier}) ==
            total &&
        entier(c,
               QStringLiteral("SELECT COUNT(*) FROM Ventes V WHERE V.NumVente > ? AND (SELECT COUNT(*) FROM "
                              "DetailVente D WHERE D.NumVente = V.NumVente) <> 1"),
               {dernier}) == 0;
    std::printf(
        "%-10s | %d writers x %d hand-outs | %lld in %.2f s | %7.0f hand-outs/s | reserves and rows %s\n",
        moteur, ecrivains, ParEcrivain, static_cast<long long>(total), secondes, total / secondes,
        juste ? "checked" : "WRONG");
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
