// The counter history of one employee with 600 counter withdrawals among the generator's data: the history
// routine beside a bare QSqlQuery running the same statement with the same bound values, then its
// print-out beside a bare QPainter drawing the same strings on a QPdfWriter. SQLite, and PostgreSQL when
// DORVANE_TEST_PG is set.
#include "DonneesBench.h"
#include "OutilsBench.h"
#include "counter/HistoriqueComptoir.h"
#include "db/Connexion.h"
#include "db/Recordset.h"
#include "db/RecordsetModel.h"
#include "db/Valeurs.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const char* const Usage =
    "Usage: bench_historique [--help]\n"
    "\n"
    "Fills a database with the shared generator (bench/DonneesBench.h: 100,000 withdrawals, two on average\n"
    "for each of its 50,000 employees) and gives one employee 600 more counter withdrawals, dated over\n"
    "2025. Then times, alternately in the same process, one warm-up then 41 timed runs each:\n"
    "  - the history of that badge, typed in lower case (HistoriqueComptoir::LireHistorique: the 500 newest\n"
    "    lines chosen in SQL, into a Recordset ordered in memory) against a bare QSqlQuery preparing,\n"
    "    binding and running the same statement with the same values and reading every value of its rows\n"
    "    (target: a ratio of 1.3 at most);\n"
    "  - the print-out of those 500 lines and its header (HistoriqueComptoir::ImprimerHistorique on a\n"
    "    QPdfWriter writing into memory) against a bare QPainter drawing the same name and lines with one\n"
    "    drawText each on a QPdfWriter, starting a new page as the lines fill one (target: a ratio of 1.5\n"
    "    at most).\n"
    "Medians and worst times shown, with the ratios.\n"
    "SQLite always (a temporary folder); PostgreSQL as well when DORVANE_TEST_PG holds a libpq\n"
    "connection string, e.g. under scripts/with-postgres.\n";

constexpr int Fois = 41;
constexpr int Retraits = 600;

// The generator's data, then 600 counter withdrawals of the first employee with a badge from number
// 25,000 on, one line each, a few hours apart over 2025.
void remplir(Connexion& c) {
    DonneesBench::remplir(c);
    QSqlQuery q = c.executer(QStringLiteral("SELECT NoBadge, Nom, Prenom FROM Utilisateurs WHERE "
                                            "IdUtilisateur >= 25000 AND NoBadge IS NOT NULL ORDER BY "
                                            "IdUtilisateur"));
    if (!q.next())
        throw ErreurExecution(ErreurExecution::ErreurBase, QStringLiteral("no employee with a badge"));
    const QVariantList salarie = {q.value(0), q.value(1), q.value(2)};
    q.finish();
    struct Article {
        qint64 reference;
        QVariant designation, refFournisseur;
    };
    std::vector<Article> articles;
    QSqlQuery a = c.executer(QStringLiteral(
        "SELECT Reference, Designation, RefFournisseur FROM ArticleEnStock ORDER BY Reference"));
    while (a.next())
        articles.push_back({Valeurs::lireEntier(a.value(0)), a.value(1), a.value(2)});
    a.finish();
    const qint64 premier =
        Valeurs::lireEntier(c.valeurUnique(QStringLiteral("SELECT MAX(NumVente) FROM Ventes"))) + 1;
    TransactionEcriture t(c);
    DonneesBench::detail::Lots v(c, QStringLiteral("Ventes"),
                                 {"NumVente", "LaDate", "Utilisateur", "Nom", "Prenom", "TypeMouvement"});
    DonneesBench::detail::Lots d(c, QStringLiteral("DetailVente"),
                                 {"NumVente", "Reference", "Designation", "Quantite", "RefFournisseur"});
    const QDateTime debut(QDate(2025, 1, 1), QTime(7, 0));
    for (int i = 0; i < Retraits; ++i) {
        const Article& art = articles.at(static_cast<size_t>(i * 7919) % articles.size());
        v.ajouter({premier + i, Valeurs::valeurDate(debut.addSecs(i * 52813LL)), salarie.at(0), salarie.at(1),
                   salarie.at(2), 3});
        d.ajouter({premier + i, art.reference, art.designation, 1 + i % 3, art.refFournisseur});
    }
    v.finir();
    d.finir();
    t.valider();
    c.executer(c.estSQLite() ? QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)") : QStringLiteral("ANALYZE"));
}

// The lines of the print-out as the counter makes them from its grid.
QStringList lignes(Recordset& rs) {
    RecordsetModel modele(&rs);
    modele.setColonnes({"LaDate", "Reference", "RefFournisseur", "Designation", "Quantite"},
                       {"Date", "Référence", "Réf. fournisseur", "Désignation", "Qté"});
    modele.setFormat(0, RecordsetModel::Format::Date);
    QStringList legendes;
    for (int c = 0; c < 5; ++c)
        legendes << modele.headerData(c, Qt::Horizontal).toString();
    QStringList l = {HistoriqueComptoir::LigneEntete(legendes)};
    for (int r = 0; r < modele.rowCount(); ++r) {
        QStringList cellules;
        for (int c = 0; c < 5; ++c)
            cellules << modele.index(r, c).data().toString();
        l << HistoriqueComptoir::LigneHistorique(cellules);
    }
    return l;
}

// The same name and lines, one drawText each, from the same place and with the same fonts and breaks.
int dessinNu(const QString& nom, const QStringList& lignes) {
    QBuffer sortie;
    sortie.open(QIODevice::WriteOnly);
    QPdfWriter w(&sortie);
    QPainter p(&w);
    const double x = 500 * w.logicalDpiX() / 1440.0;
    double y = 200 * w.logicalDpiY() / 1440.0;
    int pages = 1;
    QFont police(QStringLiteral("Arial"));
    auto ecrire = [&](const QString& texte) {
        const QFontMetricsF m(p.font(), &w);
        if (y > 0 && y + m.lineSpacing() > w.height()) {
            w.newPage();
            ++pages;
            y = 0;
        }
        p.drawText(QPointF(x, y + m.ascent()), texte);
        y += m.lineSpacing();
    };
    police.setPointSize(14);
    police.setBold(true);
    p.setFont(police);
    ecrire(nom);
    ecrire(QString());
    ecrire(QString());
    police.setPointSize(10);
    police.setBold(false);
    for (qsizetype i = 0; i < lignes.size(); ++i) {
        police.setUnderline(i == 0);
        p.setFont(police);
        ecrire(lignes.at(i));
    }
    p.end();
    return pages;
}

qint64 impression(const QString& nom, const QStringList& lignes) {
    QBuffer sortie;
    sortie.open(QIODevice::WriteOnly);
    {
        QPdfWriter w(&sortie);
        HistoriqueComptoir::ImprimerHistorique(w, nom, lignes, QStringLiteral("bench"));
    }
    return sortie.size();
}

double pire(const std::vector<double>& t) {
    return *std::max_element(t.begin(), t.end());
}

void mesurer(const char* moteur, Connexion& c) {
    QSqlQuery q = c.executer(QStringLiteral("SELECT Utilisateur, Nom, Prenom FROM Ventes WHERE NumVente = "
                                            "(SELECT MAX(NumVente) FROM Ventes)"));
    q.next();
    const QString badge = q.value(0).toString().toLower();
    const QString nom = q.value(2).toString() + u' ' + q.value(1).toString();
    q.finish();

    std::vector<double> routine, nue;
    size_t lignesNues = 0;
    Recordset rs;
    for (int i = 0; i <= Fois; ++i) {
        auto a = [&] {
            QElapsedTimer chrono;
            chrono.start();
            HistoriqueComptoir::LireHistorique(c, badge, rs);
            if (i > 0)
                routine.push_back(chrono.nsecsElapsed() / 1e6);
        };
        auto b = [&] {
            QElapsedTimer chrono;
            chrono.start();
            QVariantList valeurs;
            const QString sql = HistoriqueComptoir::sqlHistorique(c, badge, valeurs);
            std::vector<QList<QVariant>> rangs;
            lireNu(c, sql, valeurs, rangs);
            lignesNues = rangs.size();
            if (i > 0)
                nue.push_back(chrono.nsecsElapsed() / 1e6);
        };
        if (i % 2 == 0) {
            a();
            b();
        } else {
            b();
            a();
        }
    }
    const double mr = mediane(routine), mn = mediane(nue);
    std::printf("%-10s | LireHistorique %7.2f ms (worst %7.2f) | QSqlQuery %7.2f ms (worst %7.2f) | ratio "
                "%.2f | %d rows (bare %zu)\n",
                moteur, mr, pire(routine), mn, pire(nue), mn > 0 ? mr / mn : 0.0, rs.RecordCount(),
                lignesNues);

    const QStringList l = lignes(rs);
    std::vector<double> imprime, dessine;
    int pages = 0;
    qint64 octets = 0;
    for (int i = 0; i <= Fois; ++i) {
        auto a = [&] {
            QElapsedTimer chrono;
            chrono.start();
            octets = impression(nom, l);
            if (i > 0)
                imprime.push_back(chrono.nsecsElapsed() / 1e6);
        };
        auto b = [&] {
            QElapsedTimer chrono;
            chrono.start();
            pages = dessinNu(nom, l);
            if (i > 0)
                dessine.push_back(chrono.nsecsElapsed() / 1e6);
        };
        if (i % 2 == 0) {
            a();
            b();
        } else {
            b();
            a();
        }
    }
    const double mi = mediane(imprime), md = mediane(dessine);
    std::printf("%-10s | ImprimerHistorique %7.2f ms (worst %7.2f) | bare drawText %7.2f ms (worst %7.2f) | "
                "ratio %.2f | %lld lines, %d pages, %lld bytes\n",
                moteur, mi, pire(imprime), md, pire(dessine), md > 0 ? mi / md : 0.0,
                static_cast<long long>(l.size()), pages, static_cast<long long>(octets));
}

} // namespace

int main(int argc, char** argv) {
    if (aideDemandee(argc, argv, Usage))
        return 0;
    sansEcranParDefaut();
    QGuiApplication app(argc, argv);
    return surLesDeuxBases(QStringLiteral("bench_historique"), remplir,
                           [](const char* moteur, Connexion& c) { mesurer(moteur, c); });
}
