// One counter hand-out over the generator's data: EnregistrerVente beside a bare QSqlQuery running the same
// three statements (header, line, guarded decrement) in one write transaction, on the same connection,
// alternately. SQLite, and PostgreSQL when DORVANE_TEST_PG is set.
#include "DonneesBench.h"
#include "OutilsBench.h"
#include "common/ErreurExecution.h"
#include "counter/EnregistrerVente.h"
#include "db/Connexion.h"
#include "db/Recordset.h"
#include "db/Valeurs.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <algorithm>
#include <cstdio>
#include <limits>
#include <vector>

namespace {

const char* const Usage =
    "Usage: bench_enregistrer_vente [--help]\n"
    "\n"
    "Fills a database with the shared generator (bench/DonneesBench.h: 50,000 employees, 2,000 articles,\n"
    "100,000 withdrawals) and times one hand-out of one unit of an article to an employee, the values read\n"
    "as the counter reads them:\n"
    "  - EnregistrerVente (the Ventes header with its number read back, the DetailVente line, the relative\n"
    "    decrement of the reserve with its 32-bit guard, in one write transaction);\n"
    "  - a bare QSqlQuery on the same connection beginning the same transaction (BEGIN IMMEDIATE on\n"
    "    SQLite), preparing, binding and running the same three statements with the same values, and\n"
    "    committing.\n"
    "Both run alternately, each side first every other run, one warm-up then 401 timed runs each;\n"
    "medians and worst times shown, with the ratio (target: under 1.3); the rows and the reserve are\n"
    "checked afterwards.\n"
    "SQLite always (a temporary folder); PostgreSQL as well when DORVANE_TEST_PG holds a libpq\n"
    "connection string, e.g. under scripts/with-postgres.\n";

constexpr int Fois = 401;

const QString SqlEntete =
    QStringLiteral("INSERT INTO Ventes (LaDate, Utilisateur, Nom, Prenom, TypeMouvement, Total) "
                   "VALUES (?, ?, ?, ?, ?, ?) RETURNING NumVente");
const QString SqlLigne =
    QStringLiteral("INSERT INTO DetailVente (NumVente, Reference, Designation, Quantite, PrixAchatUnit, "
                   "NomFamille, NomSite, NoSite, NomService, NoService, Profile, CodeFournisseur, Societe, "
                   "Taille, RefFournisseur, CodeArticle, NoFamille, NoMachine) "
                   "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
const QString SqlStock =
    QStringLiteral("UPDATE ArticleEnStock SET QteEnStock = COALESCE(QteEnStock, 0) + ? WHERE Reference = ? "
                   "AND COALESCE(QteEnStock, 0) + CAST(? AS BIGINT) BETWEEN CAST(? AS BIGINT) AND "
                   "CAST(? AS BIGINT)");

QSqlQuery executerNu(Connexion& c, const QString& sql, const QVariantList& valeurs) {
    QSqlQuery q(c.db());
    q.setForwardOnly(true);
    if (!q.prepare(sql))
        throw ErreurExecution(ErreurExecution::ErreurBase, Connexion::texteErreur(q),
                              QStringLiteral("bench"));
    for (const QVariant& v : valeurs)
        q.addBindValue(v);
    if (!q.exec())
        throw ErreurExecution(ErreurExecution::ErreurBase, Connexion::texteErreur(q),
                              QStringLiteral("bench"));
    return q;
}

void sqlNu(Connexion& c, const char* sql) {
    QSqlQuery q(c.db());
    if (!q.exec(QLatin1String(sql)))
        throw ErreurExecution(ErreurExecution::ErreurBase, Connexion::texteErreur(q),
                              QStringLiteral("bench"));
}

// The same hand-out written without the layer.
void remiseNue(Connexion& c, const ValeursVente& v, qint32 quantite) {
    const double prix = v.PrixAchatUnit.toDouble();
    const qint64 reference = v.Reference.toLongLong();
    if (c.estSQLite())
        sqlNu(c, "BEGIN IMMEDIATE");
    else if (!c.db().transaction())
        throw ErreurExecution(ErreurExecution::ErreurBase, QStringLiteral("BEGIN"), QStringLiteral("bench"));
    qint64 numVente = 0;
    {
        QSqlQuery q =
            executerNu(c, SqlEntete,
                       {QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                        v.NoBadge, v.NOM, v.Prenom, 3, prix});
        if (q.next())
            numVente = q.value(0).toLongLong();
    }
    executerNu(c, SqlLigne,
               {numVente, reference, v.Designation, quantite, std::round(quantite * prix * 10000.0) / 10000.0,
                v.NomFamille, v.NomSite, v.NoSite, v.NomService, v.NoService, v.Quota, v.CodeFournisseur,
                v.Societe, v.Taille, v.RefFournisseur, v.CodeArticle, v.NoFamille, 0});
    {
        QSqlQuery q = executerNu(c, SqlStock,
                                 {-qint64(quantite), reference, -qint64(quantite),
                                  qint64(std::numeric_limits<qint32>::min()),
                                  qint64(std::numeric_limits<qint32>::max())});
        if (q.numRowsAffected() != 1)
            throw ErreurExecution(ErreurExecution::ErreurBase, QStringLiteral("no reserve changed"));
    }
    if (c.estSQLite())
        sqlNu(c, "COMMIT");
    else if (!c.db().commit())
        throw ErreurExecution(ErreurExecution::ErreurBase, QStringLiteral("COMMIT"), QStringLiteral("bench"));
}

qint64 entier(Connexion& c, const QString& sql, const QVariantList& valeurs = {}) {
    return Valeurs::lireEntier(c.valeurUnique(sql, valeurs));
}

void mesurer(const char* moteur, Connexion& c) {
    // An employee with a full card and a priced article, read as the counter reads its two lists.
    Recordset salaries, articles;
    salaries.Open(c, QStringLiteral("SELECT * FROM GrUtilisateur WHERE IdUtilisateur = ?"), {qint64(4242)});
    articles.Open(c, QStringLiteral("SELECT * FROM StockGlobal WHERE Reference = ?"),
                  {DonneesBench::PremiereReference + 421});
    const ValeursVente v = ValeursCourantes(salaries, articles);
    const qint64 reference = v.Reference.toLongLong();
    const QString sqlReserve = QStringLiteral("SELECT QteEnStock FROM ArticleEnStock WHERE Reference = ?");
    const qint64 reserveAvant = entier(c, sqlReserve, {reference});
    const qint64 ventesAvant = entier(c, QStringLiteral("SELECT COUNT(*) FROM Ventes"));

    std::vector<double> routine, nue;
    auto chronometrer = [](auto&& f) {
        QElapsedTimer chrono;
        chrono.start();
        f();
        return chrono.nsecsElapsed() / 1e6;
    };
    for (int i = 0; i <= Fois; ++i) {
        // Each side goes first every other run: a commit's wait on the disk does not favour either.
        double a = 0, b = 0;
        if (i % 2 == 0) {
            a = chronometrer([&] { EnregistrerVente(c, v, 1); });
            b = chronometrer([&] { remiseNue(c, v, 1); });
        } else {
            b = chronometrer([&] { remiseNue(c, v, 1); });
            a = chronometrer([&] { EnregistrerVente(c, v, 1); });
        }
        if (i > 0) {
            routine.push_back(a);
            nue.push_back(b);
        }
    }
    const qint64 faites = 2 * (Fois + 1);
    const bool juste = entier(c, sqlReserve, {reference}) == reserveAvant - faites &&
                       entier(c, QStringLiteral("SELECT COUNT(*) FROM Ventes")) == ventesAvant + faites &&
                       entier(c, QStringLiteral("SELECT COUNT(*) FROM DetailVente WHERE NumVente > ?"),
                              {ventesAvant}) == faites;
    const double mr = mediane(routine), mn = mediane(nue);
    std::printf(
        "%-10s | EnregistrerVente %6.3f ms (worst %7.3f) | QSqlQuery %6.3f ms (worst %7.3f) | ratio %.2f "
        "| %lld hand-outs, reserve and rows %s\n",
        moteur, mr, *std::max_element(routine.begin(), routine.end()), mn,
        *std::max_element(nue.begin(), nue.end()), mn > 0 ? mr / mn : 0.0, static_cast<long long>(faites),
        juste ? "checked" : "WRONG");
    if (!juste)
        throw ErreurExecution(ErreurExecution::ErreurBase, QStringLiteral("rows or reserve wrong"));
}

} // namespace

int main(int argc, char** argv) {
    if (aideDemandee(argc, argv, Usage))
        return 0;
    QCoreApplication app(argc, argv);
    return surLesDeuxBases(QStringLiteral("bench_enregistrer_vente"), DonneesBench::remplir,
                           [](const char* moteur, Connexion& c) { mesurer(moteur, c); });
}
