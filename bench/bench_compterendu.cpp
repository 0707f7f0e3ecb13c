// The profile list of the reports menu over 2,000 profiles, beside a bare QSqlQuery listing the same names.
// SQLite, and PostgreSQL when DORVANE_TEST_PG is set.
#include "DonneesBench.h"
#include "OutilsBenchFormes.h"
#include "common/EtatGlobal.h"
#include "db/Connexion.h"
#include "reports/forms/FenCompteRendu.h"

#include <QListWidget>
#include <QSqlDatabase>
#include <QSqlError>
#include <QUrl>
#include <cstdio>
#include <vector>

namespace {

const char* const Usage =
    "Usage: bench_compterendu [--help]\n"
    "\n"
    "Fills a database with 2,000 profiles (names of 20 to 100 characters, some with quotes) after the\n"
    "three of a new database, then times, on the offscreen platform, alternately in the same process, one\n"
    "warm-up then 41 timed runs each:\n"
    "  - FenCompteRendu::RemplirListProfil: its own new connection, the names in table order into\n"
    "    ListProfil, the count, the connection closed;\n"
    "  - a bare QSqlDatabase opened on the same database (the same file, or the same server) and a bare\n"
    "    QSqlQuery reading \"SELECT Profile FROM ProfileQuota ORDER BY NoQuota\" into a QListWidget, the\n"
    "    connection then closed and removed.\n"
    "Medians shown, with the ratio (target: 1.3 at most).\n"
    "SQLite always (a temporary folder); PostgreSQL as well when DORVANE_TEST_PG holds a libpq\n"
    "connection string, e.g. under scripts/with-postgres.\n";

constexpr int Fois = 41;
constexpr int Profils = 2000;

void remplir(Connexion& c) {
    TransactionEcriture t(c);
    DonneesBench::detail::Lots lots(c, QStringLiteral("ProfileQuota"), {"Profile"});
    for (int i = 0; i < Profils; ++i) {
        QString nom = QStringLiteral("Profil %1 atelier l'Est ").arg(i, 4, 10, QLatin1Char('0'));
        nom += QString(i % 77, u'x');
        lots.ajouter({nom});
    }
    lots.finir();
    t.valider();
}

// The bare side: its own connection, the names into a list widget, the connection gone.
int listeNue(const ParametresConnexion& p, QListWidget& liste) {
    const QString nom = QStringLiteral("bench-nu");
    int n = 0;
    {
        QSqlDatabase db;
        if (p.serveur.isEmpty()) {
            db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), nom);
            db.setDatabaseName(Connexion::cheminFichier(p.dossier, p.base));
        } else {
            db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), nom);
            QString hote;
            int port = 5432;
            decomposerServeur(p.serveur, &hote, &port);
            db.setHostName(hote);
            db.setPort(port);
            db.setDatabaseName(p.base);
            db.setUserName(p.utilisateur);
            db.setPassword(p.motDePasse);
        }
        if (!db.open())
            throw ErreurExecution(ErreurExecution::BaseInaccessible, db.lastError().text(),
                                  QStringLiteral("bench"));
        {
            QSqlQuery q(db);
            q.setForwardOnly(true);
            if (!q.exec(QStringLiteral("SELECT Profile FROM ProfileQuota ORDER BY NoQuota")))
                throw ErreurExecution(ErreurExecution::ErreurBase, Connexion::texteErreur(q),
                                      QStringLiteral("bench"));
            liste.clear();
            while (q.next()) {
                liste.addItem(q.value(0).toString());
                ++n;
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(nom);
    return n;
}

void mesurer(const char* moteur, const ParametresConnexion& p) {
    etatSurBaseBench(p);

    FenCompteRendu menu; // built, never loaded: only the routine runs
    QListWidget liste;
    std::vector<double> forme, nu;
    int lignesForme = 0, lignesNues = 0;
    for (int essai = 0; essai <= Fois; ++essai) {
        const auto mesurerForme = [&] {
            QElapsedTimer chrono;
            chrono.start();
            menu.RemplirListProfil();
            if (essai > 0)
                forme.push_back(chrono.nsecsElapsed() / 1e6);
            lignesForme = menu.NbProfils;
        };
        const auto mesurerNu = [&] {
            QElapsedTimer chrono;
            chrono.start();
            lignesNues = listeNue(p, liste);
            if (essai > 0)
                nu.push_back(chrono.nsecsElapsed() / 1e6);
        };
        dansLOrdre(essai, mesurerForme, mesurerNu);
    }
    const double a = mediane(forme), b = mediane(nu);
    std::printf(
        "%-10s | RemplirListProfil %7.2f ms | bare QSqlQuery into a QListWidget %7.2f ms | ratio %4.2f%s "
        "| %d names\n",
        moteur, a, b, a / b,
        lignesForme == lignesNues && menu.ListProfil->count() == liste.count() ? "" : " (COUNTS DIFFER)",
        lignesForme);
}

} // namespace

int main(int argc, char** argv) {
    return executerBenchForme(argc, argv, Usage, QStringLiteral("bench_compterendu"), remplir,
                              [](const char* moteur, const ParametresConnexion& p) { mesurer(moteur, p); });
}
