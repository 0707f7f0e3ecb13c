// EtatCA over 100,000 withdrawal lines: the routine beside the same INSERT ... SELECT run by the sqlite3
// shell on a copy of the file (and by psql on the same PostgreSQL database when DORVANE_TEST_PG is set).
#include "OutilsBench.h"
#include "common/ErreurExecution.h"
#include "db/Connexion.h"
#include "db/Routines.h"
#include "db/Schema.h"
#include "db/Valeurs.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int NbVentes = 50000; // two lines each

const QDateTime Debut(QDate(2024, 1, 1), QTime(0, 0, 0));
const QDateTime Fin(QDate(2024, 12, 31), QTime(23, 59, 59));

void remplir(Connexion& c) {
    TransactionEcriture t(c);
    c.executer(QStringLiteral("INSERT INTO ProfileQuota (Profile) VALUES (?)"), {QStringLiteral("ATELIER")});
    if (c.estSQLite()) {
        c.executer(
            QStringLiteral(
                "INSERT INTO Ventes (NumVente, LaDate, Utilisateur, Nom, Prenom, TypeMouvement, NoMachine) "
                "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                "SELECT i, datetime('2024-01-01', '+' || (i * 600) || ' seconds'), 'B' || (i % 3000), 'Nom' "
                "|| (i % 3000), "
                "'Prénom', 3, i % 7 FROM n")
                .arg(NbVentes));
    } else {
        c.executer(
            QStringLiteral(
                "INSERT INTO Ventes (NumVente, LaDate, Utilisateur, Nom, Prenom, TypeMouvement, NoMachine) "
                "SELECT i, TIMESTAMP '2024-01-01 00:00:00' + i * INTERVAL '600 seconds', 'B' || (i % 3000), "
                "'Nom' || (i % 3000), 'Prénom', 3, i % 7 FROM generate_series(1, %1) AS n(i)")
                .arg(NbVentes));
    }
    for (int ligne = 0; ligne < 2; ++ligne)
        c.executer(QStringLiteral(
                       "INSERT INTO DetailVente (NumVente, Reference, Designation, Quantite, PrixAchatUnit, "
                       "NomFamille, NomSite, "
                       "NomService, Profile, CodeFournisseur, Societe, Taille, RefFournisseur, NoMachine) "
                       "SELECT NumVente, NumVente % 400 + %1, 'Article ' || (NumVente % 400), 1 + NumVente % "
                       "3, 2.5, 'Gants', 'Site', "
                       "'Service', 1 + NumVente % 5, 'F1', 'Fournisseur', 'XL', 'R' || (NumVente % 400), "
                       "NoMachine FROM Ventes")
                       .arg(ligne * 1000));
    t.valider();
    if (c.estSQLite())
        c.executer(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    else
        c.executer(QStringLiteral("ANALYZE"));
}

// The routine's SQL with the bounds written in, for the shells (our own constant dates, no typed text).
QString scriptShell() {
    QString sql = Routines::sqlEtatCA();
    sql.replace(sql.indexOf(u'?'), 1, u'\'' + Valeurs::texteDate(Debut) + u'\'');
    sql.replace(sql.indexOf(u'?'), 1, u'\'' + Valeurs::texteDate(Fin) + u'\'');
    return QStringLiteral("BEGIN; DELETE FROM CA; ") + sql + QStringLiteral("; COMMIT;");
}

double tempsRoutine(Connexion& c, qint64* lignes) {
    std::vector<double> t;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer chrono;
        chrono.start();
        Routines::EtatCA(c, Debut, Fin);
        t.push_back(chrono.nsecsElapsed() / 1e6);
    }
    *lignes = c.valeurUnique(QStringLiteral("SELECT COUNT(*) FROM CA")).toLongLong();
    return mediane(t);
}

double tempsProcessus(const QString& programme, const QStringList& arguments, const QByteArray& entree) {
    std::vector<double> t;
    for (int i = 0; i < 5; ++i) {
        QProcess p;
        QElapsedTimer chrono;
        chrono.start();
        p.start(programme, arguments);
        p.write(entree);
        p.closeWriteChannel();
        if (!p.waitForFinished(120000) || p.exitCode() != 0) {
            std::fprintf(stderr, "%s a échoué : %s\n", qPrintable(programme),
                         p.readAllStandardError().constData());
            return -1;
        }
        t.push_back(chrono.nsecsElapsed() / 1e6);
    }
    return mediane(t);
}

void afficher(const char* moteur, double routine, double shell, const char* nomShell, qint64 lignes) {
    std::printf("%-10s EtatCA routine: %8.1f ms | %s: %8.1f ms | ratio %.2f | CA rows: %lld\n", moteur,
                routine, nomShell, shell, shell > 0 ? routine / shell : 0.0, static_cast<long long>(lignes));
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    try {
        QTemporaryDir dossier;
        ParametresConnexion p = creerBaseBench(dossier.path(), remplir);
        const QString copie = QDir(dossier.path()).filePath(QStringLiteral("copie.db"));
        QFile::copy(Connexion::cheminFichier(p.dossier, p.base), copie);
        Connexion c(p);
        qint64 lignes = 0;
        const double routine = tempsRoutine(c, &lignes);
        const double shell = tempsProcessus(QStringLiteral("sqlite3"), {copie}, scriptShell().toUtf8());
        afficher("SQLite", routine, shell, "sqlite3 shell", lignes);

        surServeurBench(QStringLiteral("bench_etatca"), remplir, [&](Connexion& cp, const QString& nom) {
            const double routinePg = tempsRoutine(cp, &lignes);
            const QString conn = QString::fromUtf8(qgetenv("DORVANE_TEST_PG"))
                                     .replace(QRegularExpression(QStringLiteral("dbname=\\S+")), QString()) +
                                 QStringLiteral(" dbname=") + nom;
            const double psql = tempsProcessus(
                QStringLiteral("psql"),
                {QStringLiteral("-q"), QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"), conn},
                scriptShell().toUtf8());
            afficher("PostgreSQL", routinePg, psql, "psql", lignes);
        });
    } catch (const ErreurExecution& e) {
        std::fprintf(stderr, "Échec : %s\n", qPrintable(e.description()));
        return 1;
    }
    return 0;
}
