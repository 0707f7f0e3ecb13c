// The quota check over the generator's data: VerifierQuota beside a bare QSqlQuery running the same two
// statements with the same bound values in the same process. SQLite, and PostgreSQL when
// DORVANE_TEST_PG is set.
#include "DonneesBench.h"
#include "OutilsBench.h"
#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/FnWendrox.h"
#include "counter/VerifierQuota.h"
#include "db/Connexion.h"
#include "db/Routines.h"
#include "db/Valeurs.h"

#include <QCoreApplication>
#include <QHash>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const char* const Usage =
    "Usage: bench_quota [--help]\n"
    "\n"
    "Fills a database with the shared generator (bench/DonneesBench.h: 100,000 withdrawals over two\n"
    "years, the general profile's quota lines) and times the quota check of the employee (surname and\n"
    "first name) with the most withdrawals of one article whose line has a period of 365 days in the\n"
    "period ending on the day of the last of them, the clock set to that day:\n"
    "  - VerifierQuota (the profile's lines into a Recordset, the article's line found, the employee's\n"
    "    withdrawals of the period into a Recordset and summed);\n"
    "  - a bare QSqlQuery on the same connection preparing, binding and running the same two statements\n"
    "    with the same values and reading every value of their rows.\n"
    "Both run alternately, one warm-up then 41 timed runs each; medians and worst times shown, with the\n"
    "ratio. Target: a ratio under 1.3.\n"
    "SQLite always (a temporary folder); PostgreSQL as well when DORVANE_TEST_PG holds a libpq\n"
    "connection string, e.g. under scripts/with-postgres.\n";

constexpr int Fois = 41;

struct Cas {
    QString nom, prenom;
    qint64 reference = 0;
    QDateTime jour;
};

// The employee (names compared as the layer compares them) and article of the check, among the articles
// whose line has a period of 365 days: the one with the most withdrawals in the period ending on the day
// of its last one, the first met on a tie.
Cas choisir(Connexion& c) {
    QSqlQuery q = c.executer(
        QStringLiteral("SELECT Ventes.Nom, Ventes.Prenom, DetailVente.Reference, Ventes.LaDate "
                       "FROM Ventes INNER JOIN DetailVente ON Ventes.NumVente = DetailVente.NumVente "
                       "INNER JOIN Quota ON Quota.RefArticle = DetailVente.Reference "
                       "WHERE Quota.NoQota = ? AND Quota.Periodicite = 365 ORDER BY Ventes.NumVente"),
        {Global().NoProfilQuotasGeneral});
    QHash<QString, qsizetype> index;
    QList<Cas> cas;
    QList<QList<QDateTime>> dates;
    while (q.next()) {
        const QString nom = Valeurs::lireTexte(q.value(0)), prenom = Valeurs::lireTexte(q.value(1));
        const qint64 reference = Valeurs::lireEntier(q.value(2));
        const QString cle = Valeurs::plierCasse(nom) + u'\x1f' + Valeurs::plierCasse(prenom) + u'\x1f' +
                            QString::number(reference);
        auto it = index.constFind(cle);
        if (it == index.constEnd()) {
            it = index.insert(cle, cas.size());
            cas.append({nom, prenom, reference, {}});
            dates.append(QList<QDateTime>());
        }
        dates[*it].append(Valeurs::lireDate(q.value(3)));
    }
    qsizetype meilleur = -1, nombreMeilleur = 0;
    for (qsizetype i = 0; i < cas.size(); ++i) {
        const QDateTime dernier = *std::max_element(dates[i].begin(), dates[i].end());
        const QDateTime debut = QDateTime(dernier.date(), QTime(23, 59, 59)).addDays(-365);
        const auto n =
            std::count_if(dates[i].begin(), dates[i].end(), [&](const QDateTime& d) { return d >= debut; });
        if (n > nombreMeilleur) {
            meilleur = i;
            nombreMeilleur = n;
            cas[i].jour = dernier;
        }
    }
    if (meilleur < 0)
        throw ErreurExecution(ErreurExecution::ErreurBase,
                              QStringLiteral("no withdrawal under a quota line"));
    return cas[meilleur];
}

size_t requetesNues(Connexion& c, const Cas& cas) {
    std::vector<QList<QVariant>> rangs;
    lireNu(c, Routines::sqlSelectionQuotaArticleStock(), {Global().NoProfilQuotasGeneral}, rangs);
    const size_t lignesQuota = rangs.size();
    const QDateTime fin(cas.jour.date(), QTime(23, 59, 59));
    QVariantList valeurs;
    const QString sql = Routines::sqlSelectionQuotaConso(c, fin.addDays(-365), fin, cas.nom, cas.prenom,
                                                         cas.reference, valeurs);
    lireNu(c, sql, valeurs, rangs);
    return rangs.size() - lignesQuota;
}

void mesurer(const char* moteur, Connexion& c) {
    Global().NoProfilQuotasGeneral = static_cast<int>(Valeurs::lireEntier(
        c.valeurUnique(QStringLiteral("SELECT NoQuota FROM ProfileQuota WHERE Profile = 'QUOTAS GENERAL'"))));
    const Cas cas = choisir(c);
    FnWendrox::definirHorloge([jour = cas.jour] { return jour; });
    std::vector<double> routine, nue;
    qint16 resultat = -1;
    size_t lignes = 0;
    for (int i = 0; i <= Fois; ++i) {
        QElapsedTimer chrono;
        chrono.start();
        resultat = VerifierQuota(c, cas.reference, cas.nom, cas.prenom);
        const double a = chrono.nsecsElapsed() / 1e6;
        chrono.restart();
        lignes = requetesNues(c, cas);
        const double b = chrono.nsecsElapsed() / 1e6;
        if (i > 0) {
            routine.push_back(a);
            nue.push_back(b);
        }
    }
    FnWendrox::definirHorloge({});
    const double mr = mediane(routine), mn = mediane(nue);
    std::printf(
        "%-10s | VerifierQuota %7.2f ms (worst %7.2f) | QSqlQuery %7.2f ms (worst %7.2f) | ratio %.2f | "
        "%s %s, article %lld: %zu withdrawals in the period, result %d\n",
        moteur, mr, *std::max_element(routine.begin(), routine.end()), mn,
        *std::max_element(nue.begin(), nue.end()), mn > 0 ? mr / mn : 0.0, qPrintable(cas.prenom),
        qPrintable(cas.nom), static_cast<long long>(cas.reference), lignes, resultat);
}

} // namespace

int main(int argc, char** argv) {
    if (aideDemandee(argc, argv, Usage))
        return 0;
    QCoreApplication app(argc, argv);
    return surLesDeuxBases(QStringLiteral("bench_quota"), DonneesBench::remplir,
                           [](const char* moteur, Connexion& c) { mesurer(moteur, c); });
}
