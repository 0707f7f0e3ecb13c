// The consumption journal over the shared generator's 100,000 withdrawals: its opening beside the bare
// reading of the journal in the order it ends in, the keystrokes of the three searches and the mode
// changes. SQLite, and PostgreSQL when DORVANE_TEST_PG is set.
#include "DonneesBench.h"
#include "OutilsBenchFormes.h"
#include "counter/forms/FrmVente.h"
#include "db/Connexion.h"
#include "db/Recordset.h"
#include "db/Valeurs.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QTableView>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

const char* const Usage =
    "Usage: bench_journal [--help]\n"
    "\n"
    "Fills a database with the shared generator (bench/DonneesBench.h: 100,000 withdrawals of one line\n"
    "each) and times, on the offscreen platform:\n"
    "  - the opening of the journal: its load (its own new connection, Ventes read and put newest number\n"
    "    first) and its first activation (the date mode's sort, the first withdrawal's lines), against a\n"
    "    bare QSqlQuery that opens a new connection and reads every value of every row of\n"
    "    SELECT * FROM Ventes ORDER BY LaDate DESC (the order the opening ends in); alternately in the same\n"
    "    process, one warm-up then 7 timed runs each, medians shown, with the ratio (target: 1.5 at most);\n"
    "  - the keystrokes of the search box, the window shown, each with its find, the move, the lines\n"
    "    read and the window drawn: dates typed in the date mode, badges and surnames of withdrawals late\n"
    "    in their order typed letter by letter, and texts nobody holds; median and worst (target: under\n"
    "    50 ms);\n"
    "  - the mode changes (the 100,000 rows sorted by name, badge, date), the window drawn; each timed\n"
    "    3 times, worst shown (target: under 200 ms).\n"
    "SQLite always (a temporary folder); PostgreSQL as well when DORVANE_TEST_PG holds a libpq\n"
    "connection string, e.g. under scripts/with-postgres.\n";

constexpr int Fois = 7;

// The form with its activation at hand.
class Banc : public FrmVente {
public:
    using FrmVente::Form_Activate;
};

size_t lireJournal(const ParametresConnexion& p) {
    Connexion c(p);
    std::vector<QList<QVariant>> rangs;
    lireNu(c, QStringLiteral("SELECT * FROM Ventes ORDER BY LaDate DESC"), rangs);
    return rangs.size();
}

// Types `texte` key by key after emptying the box, each key timed with what it sets off and the window
// drawn.
void taper(Banc& f, const QString& texte, std::vector<double>& temps) {
    f.TextCherche->clear();
    for (const QChar c : texte) {
        QElapsedTimer t;
        t.start();
        frappe(f.TextCherche, c);
        f.repaint();
        temps.push_back(t.nsecsElapsed() / 1e6);
    }
}

// The values of a field at the end of the journal in its current order (the longest finds).
QStringList derniers(const Recordset& rs, const char* champ, int nombre) {
    QStringList l;
    const int c = rs.FieldIndex(QLatin1String(champ));
    for (int i = rs.RecordCount() - 1; i >= 0 && l.size() < nombre; --i) {
        const QString v = Valeurs::lireTexte(rs.ValueAt(i, c));
        if (!v.isEmpty() && !l.contains(v))
            l << v;
    }
    return l;
}

void imprimer(const char* moteur, const char* quoi, const std::vector<double>& temps, const QString& note) {
    std::printf("%-10s | %s keystroke median %.2f ms, worst %.2f ms (%zu keystrokes%s)\n", moteur, quoi,
                mediane(temps), *std::max_element(temps.begin(), temps.end()), temps.size(),
                qPrintable(note));
}

void mesurer(const char* moteur, const ParametresConnexion& p) {
    etatSurBaseBench(p);

    std::vector<double> nu, ouverture;
    size_t lignes = 0, lignesForme = 0;
    bool premiereLaPlusRecente = true;
    for (int essai = 0; essai <= Fois; ++essai) {
        auto f = std::make_unique<Banc>();
        auto mesurerNu = [&] {
            QElapsedTimer chrono;
            chrono.start();
            lignes = lireJournal(p);
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
            lignesForme = static_cast<size_t>(f->data1->RecordCount());
            const int c = f->data1->FieldIndex(QStringLiteral("LaDate"));
            premiereLaPlusRecente =
                premiereLaPlusRecente && f->data2->RecordCount() > 0 &&
                Valeurs::lireDate(f->data1->ValueAt(0, c)) >= Valeurs::lireDate(f->data1->ValueAt(1, c));
            f->Unload();
        };
        dansLOrdre(essai, mesurerNu, mesurerForme);
    }
    const double a = mediane(nu), b = mediane(ouverture);
    std::printf("%-10s | load and activation %8.1f ms | bare journal %8.1f ms | ratio %4.2f%s%s | %zu rows\n",
                moteur, b, a, b / a, lignesForme == lignes ? "" : " (ROW COUNTS DIFFER)",
                premiereLaPlusRecente ? "" : " (NOT NEWEST FIRST OR NO LINES)", lignes);

    // Shown, as from the menu.
    Banc f;
    f.Show();
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();
    f.repaint();

    std::vector<double> dates;
    for (const char* d : {"15/06/2025", "01/01/24 08:00", "31/12/2025 21:59:59", "01/01/2030", "31/02/2025"})
        taper(f, QString::fromLatin1(d), dates);
    imprimer(moteur, "date", dates, QStringLiteral("; on %1").arg(f.data1->AbsolutePosition()));

    std::vector<double> badges;
    f.SSOptionClient->click();
    QStringList textes = derniers(*f.data1, "Utilisateur", 3);
    textes << QStringLiteral("ZZ0000AUCUN");
    for (const QString& t : std::as_const(textes))
        taper(f, t, badges);
    f.TextCherche->clear();
    taper(f, textes.first(), badges);
    imprimer(moteur, "badge", badges,
             QStringLiteral("; \"%1\" ends on row %2 of %3")
                 .arg(textes.first())
                 .arg(f.data1->AbsolutePosition())
                 .arg(f.data1->RecordCount()));

    std::vector<double> noms;
    f.SSOptionNom->click();
    textes = derniers(*f.data1, "Nom", 3);
    textes << QStringLiteral("Zzz") << QStringLiteral("o'n") << QStringLiteral("*ère");
    for (const QString& t : std::as_const(textes))
        taper(f, t, noms);
    f.TextCherche->clear();
    taper(f, textes.first(), noms);
    imprimer(moteur, "name", noms,
             QStringLiteral("; \"%1\" ends on row %2").arg(textes.first()).arg(f.data1->AbsolutePosition()));

    std::vector<double> modes;
    for (int i = 0; i < 3; ++i) {
        for (QRadioButton* o : {f.SSOptionNom, f.SSOptionClient, f.SSOptionDate}) {
            QElapsedTimer t;
            t.start();
            o->click();
            f.repaint();
            modes.push_back(t.nsecsElapsed() / 1e6);
        }
    }
    std::printf("%-10s | mode change median %.1f ms, worst %.1f ms (%zu changes of %d rows)\n", moteur,
                mediane(modes), *std::max_element(modes.begin(), modes.end()), modes.size(),
                f.data1->RecordCount());
    f.Unload();
}

} // namespace

int main(int argc, char** argv) {
    return executerBenchForme(argc, argv, Usage, QStringLiteral("bench_journal"), DonneesBench::remplir,
                              [](const char* moteur, const ParametresConnexion& p) { mesurer(moteur, p); });
}
