// The counter over the shared generator's 50,000 employees and 2,000 articles: its opening beside the bare
// reading of what it reads, and the badge and name keystrokes with the searches they set off. SQLite, and
// PostgreSQL when DORVANE_TEST_PG is set.
#include "DonneesBench.h"
#include "OutilsBenchFormes.h"
#include "common/EtatGlobal.h"
#include "counter/forms/FenComptoir.h"
#include "db/Connexion.h"
#include "db/Recordset.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

const char* const Usage =
    "Usage: bench_comptoir [--help]\n"
    "\n"
    "Fills a database with the shared generator (bench/DonneesBench.h: 50,000 employees, 2,000 articles)\n"
    "and times, on the offscreen platform:\n"
    "  - the opening of the counter: its load (its own new connection, StockGlobal read in supplier-\n"
    "    reference order and listed, read again in Reference order, GrUtilisateur read in name order)\n"
    "    and its activation, against a bare QSqlQuery that opens a new connection and reads every value\n"
    "    of every row of the same three sources (SELECT * FROM StockGlobal, twice, and GrUtilisateur);\n"
    "    alternately in the same process, one warm-up then 7 timed runs each, medians shown, with the\n"
    "    ratio (target: 1.5 at most);\n"
    "  - the keystrokes of the badge box and of the name box, the window shown, each with the searches\n"
    "    it sets off in the other box and the card: badges of employees late in name order and one\n"
    "    nobody holds, typed digit by digit; surnames typed letter by letter, the last letter completing\n"
    "    the name (its badge then searched in turn); median and worst (target: under 50 ms).\n"
    "SQLite always (a temporary folder); PostgreSQL as well when DORVANE_TEST_PG holds a libpq\n"
    "connection string, e.g. under scripts/with-postgres.\n";

constexpr int Fois = 7;

// The form with its activation at hand.
class Banc : public FenComptoir {
public:
    using FenComptoir::Form_Activate;
};

size_t lireSources(const ParametresConnexion& p) {
    Connexion c(p);
    std::vector<QList<QVariant>> articles, salaries, encore;
    lireNu(c, QStringLiteral("SELECT * FROM StockGlobal"), articles);
    lireNu(c, QStringLiteral("SELECT * FROM GrUtilisateur"), salaries);
    lireNu(c, QStringLiteral("SELECT * FROM StockGlobal"), encore);
    return articles.size() + salaries.size();
}

// Types `texte` into `boite` key by key after emptying it, each key timed with what it sets off and the
// window drawn.
void taper(Banc& f, QLineEdit* boite, const QString& texte, std::vector<double>& temps) {
    boite->clear();
    for (const QChar c : texte) {
        QElapsedTimer t;
        t.start();
        frappe(boite, c);
        f.repaint();
        temps.push_back(t.nsecsElapsed() / 1e6);
    }
}

void mesurer(const char* moteur, const ParametresConnexion& p) {
    etatSurBaseBench(p);

    std::vector<double> nu, ouverture;
    size_t lignes = 0, lignesForme = 0;
    for (int essai = 0; essai <= Fois; ++essai) {
        auto f = std::make_unique<Banc>();
        auto mesurerNu = [&] {
            QElapsedTimer chrono;
            chrono.start();
            lignes = lireSources(p);
            if (essai > 0)
                nu.push_back(chrono.nsecsElapsed() / 1e6);
        };
        auto mesurerForme = [&] {
            QElapsedTimer chrono;
            chrono.start();
            f->Load();
            f->Form_Activate();
            if (essai > 0)
                ouverture.push_back(chrono.nsecsElapsed() / 1e6);
            lignesForme = static_cast<size_t>(f->RsArticles->RecordCount() + f->RsSalaries->RecordCount());
            f->Unload();
        };
        dansLOrdre(essai, mesurerNu, mesurerForme);
    }
    const double a = mediane(nu), b = mediane(ouverture);
    std::printf("%-10s | load and activation %8.1f ms | bare sources %8.1f ms | ratio %4.2f%s | %zu rows\n",
                moteur, b, a, b / a, lignesForme == lignes ? "" : " (ROW COUNTS DIFFER)", lignes);

    // Shown, as from the menu.
    Banc f;
    f.Show();
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();
    f.repaint();
    const int articles = f.Combo1->count();

    // Badges of the last employees in name order (the longest searches, and the name's search behind
    // the last digit), and one nobody holds.
    QStringList badges;
    for (int i = f.RsSalaries->RecordCount() - 1; i >= 0 && badges.size() < 3; --i) {
        const QVariant b = f.RsSalaries->ValueAt(i, f.RsSalaries->FieldIndex(QStringLiteral("NoBadge")));
        if (!b.isNull())
            badges << b.toString();
    }
    badges << QStringLiteral("ZZ0000AUCUN");
    std::vector<double> frappesBadge;
    for (const QString& b : std::as_const(badges))
        taper(f, f.TextUtilisateur, b, frappesBadge);
    f.TextUtilisateur->setText(badges.first());
    const QString nomTrouve = f.TextNom->text();
    const bool selectionne = f.SalarieSelectionne;

    // Surnames, the last letter completing the name; one nobody bears.
    std::vector<double> frappesNom;
    for (const char* nom : {"Żak", "Van den Berghe", "lefèvre", "O'Neill", "Zzz"})
        taper(f, f.TextNom, QString::fromUtf8(nom), frappesNom);
    f.TextNom->setText(QStringLiteral("Żak"));
    const QString badgeNom = f.TextUtilisateur->text();

    std::printf("%-10s | badge keystroke median %.2f ms, worst %.2f ms (%zu keystrokes; \"%s\" gives %s, "
                "%s)\n",
                moteur, mediane(frappesBadge), *std::max_element(frappesBadge.begin(), frappesBadge.end()),
                frappesBadge.size(), qPrintable(badges.first()), qPrintable(nomTrouve),
                selectionne ? "selected" : "NOT SELECTED");
    std::printf("%-10s | name keystroke median %.2f ms, worst %.2f ms (%zu keystrokes; \"Żak\" brings badge "
                "%s) | %d articles listed\n",
                moteur, mediane(frappesNom), *std::max_element(frappesNom.begin(), frappesNom.end()),
                frappesNom.size(), qPrintable(badgeNom), articles);
    f.Unload();
}

} // namespace

int main(int argc, char** argv) {
    return executerBenchForme(argc, argv, Usage, QStringLiteral("bench_comptoir"), DonneesBench::remplir,
                              [](const char* moteur, const ParametresConnexion& p) { mesurer(moteur, p); });
}
