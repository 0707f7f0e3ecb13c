// The consumption journal over the shared generator's data with 1,000,000 withdrawals: its opening beside
// the bare reading of the journal in the order it shows, the name mode beside a bare stable sort by
// French collation keys, the keystrokes of the three searches and the mode changes. SQLite, and PostgreSQL
// when DORVANE_TEST_PG is set.
#include "DonneesBench.h"
#include "OutilsBenchFormes.h"
#include "counter/JournalVentes.h"
#include "counter/forms/FrmVente.h"
#include "db/Connexion.h"
#include "db/Recordset.h"
#include "db/Valeurs.h"

#include <QApplication>
#include <QCollator>
#include <QCollatorSortKey>
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
    "Fills a database with the shared generator (bench/DonneesBench.h, with 1,000,000 withdrawals of one\n"
    "line each) and times, on the offscreen platform:\n"
    "  - the opening of the journal: its load (its own new connection, Ventes read in the date mode's\n"
    "    order) and its first activation (the date mode, the first withdrawal's lines), against a bare\n"
    "    QSqlQuery that opens a new connection and reads every value of every row of Ventes in the order\n"
    "    the window shows (newest date first, newest number first among the same date); alternately in the\n"
    "    same process, one warm-up then 5 timed runs each, medians shown, with the ratio (target: 1.1 at\n"
    "    most) and the sorts the opening made (target: 1 at most);\n"
    "  - the name mode chosen from the date mode (every row sorted by surname, the window drawn), the\n"
    "    first time (collation keys made) and again (keys kept), against bare stable sorts of the same\n"
    "    surnames: with keys made (QCollator's sort keys, and ICU's byte keys), and over keys already made\n"
    "    (ICU's, as bytes); alternately, 5 timed runs each, medians and ratios (target: 1.0 at most); with\n"
    "    the kept keys' bytes against the surnames' texts (UTF-16; target: 1.5 at most);\n"
    "  - the keystrokes of the search box, the window shown, each with its find, the move, the lines\n"
    "    read and the window drawn: dates typed in the date mode, badges and surnames of withdrawals late\n"
    "    in their order typed letter by letter, and texts nobody holds; median and worst (target: under\n"
    "    50 ms);\n"
    "  - the mode changes (every row sorted by name, badge, date), the window drawn; each timed\n"
    "    3 times, worst shown (target: under 200 ms).\n"
    "SQLite always (a temporary folder); PostgreSQL as well when DORVANE_TEST_PG holds a libpq\n"
    "connection string, e.g. under scripts/with-postgres.\n";

constexpr int Fois = 5;
constexpr int NbVentes = 1000000;

const QString OrdreMontre =
    QStringLiteral("SELECT * FROM Ventes ORDER BY LaDate DESC NULLS LAST, NumVente DESC NULLS LAST");

// The form with its activation at hand.
class Banc : public FrmVente {
public:
    using FrmVente::connexion;
    using FrmVente::Form_Activate;
};

size_t lireJournal(const ParametresConnexion& p) {
    Connexion c(p);
    std::vector<QList<QVariant>> rangs;
    lireNu(c, OrdreMontre, rangs);
    return rangs.size();
}

// The bare sort by surname: Nulls first, then a stable sort of the row numbers by their keys.
template <typename Cles> std::vector<int> trierNu(const std::vector<char>& nuls, const Cles& cles) {
    std::vector<int> ordre;
    ordre.reserve(nuls.size());
    for (size_t i = 0; i < nuls.size(); ++i)
        if (nuls[i])
            ordre.push_back(static_cast<int>(i));
    const size_t debut = ordre.size();
    for (size_t i = 0; i < nuls.size(); ++i)
        if (!nuls[i])
            ordre.push_back(static_cast<int>(i));
    std::stable_sort(ordre.begin() + static_cast<std::ptrdiff_t>(debut), ordre.end(), [&](int a, int b) {
        return cles[static_cast<size_t>(a)].compare(cles[static_cast<size_t>(b)]) < 0;
    });
    return ordre;
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
    int trisOuverture = 0;
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
            trisOuverture = std::max(trisOuverture, f->data1->TravailFait().tris);
            const int c = f->data1->FieldIndex(QStringLiteral("LaDate"));
            premiereLaPlusRecente =
                premiereLaPlusRecente && f->data2->RecordCount() > 0 &&
                Valeurs::lireDate(f->data1->ValueAt(0, c)) >= Valeurs::lireDate(f->data1->ValueAt(1, c));
            f->Unload();
        };
        dansLOrdre(essai, mesurerNu, mesurerForme);
    }
    const double a = mediane(nu), b = mediane(ouverture);
    std::printf(
        "%-10s | load and activation %8.1f ms | bare journal in the order shown %8.1f ms | ratio %4.2f"
        "%s%s | %zu rows | sorts made %d\n",
        moteur, b, a, b / a, lignesForme == lignes ? "" : " (ROW COUNTS DIFFER)",
        premiereLaPlusRecente ? "" : " (NOT NEWEST FIRST OR NO LINES)", lignes, trisOuverture);

    // Shown, as from the menu.
    Banc f;
    f.Show();
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();
    f.repaint();

    // The name mode, from the date mode: the first time, every surname's key made; then kept.
    std::vector<QString> nomsNus;
    std::vector<char> nuls;
    {
        Connexion c(p);
        std::vector<QList<QVariant>> rangs;
        lireNu(c, OrdreMontre, rangs);
        const int colonne = f.data1->FieldIndex(QStringLiteral("Nom"));
        for (const QList<QVariant>& r : rangs) {
            nuls.push_back(r.at(colonne).isNull() ? 1 : 0);
            nomsNus.push_back(r.at(colonne).toString());
        }
    }
    UCollator* icu = collateurIcu();
    std::vector<std::string> clesIcu;
    size_t ordreNu = 0;
    const auto nuQt = [&] {
        QCollator collateur(QLocale(QLocale::French, QLocale::France));
        collateur.setCaseSensitivity(Qt::CaseInsensitive);
        std::vector<QCollatorSortKey> cles;
        cles.reserve(nomsNus.size());
        for (const QString& n : nomsNus)
            cles.push_back(collateur.sortKey(n));
        ordreNu += trierNu(nuls, cles).size();
    };
    const auto nuIcu = [&] {
        clesIcu.clear();
        clesIcu.reserve(nomsNus.size());
        for (const QString& n : nomsNus)
            clesIcu.push_back(cleIcu(icu, n));
        ordreNu += trierNu(nuls, clesIcu).size();
    };
    const auto nuGardees = [&] { ordreNu += trierNu(nuls, clesIcu).size(); };
    const auto nom = [&] {
        f.SSOptionNom->click();
        f.repaint();
    };
    const auto versLaDate = [&] {
        f.SSOptionDate->click();
        f.repaint();
    };
    // The first time, each run on a journal read again (no key kept).
    const auto relire = [&] {
        versLaDate();
        f.data1->Close();
        JournalVentes::OuvrirJournal(f.connexion(), *f.data1);
    };
    const auto [premierNom, premierNuQt] = alterner(nom, nuQt, Fois, relire);
    const auto [premierNomBis, premierNuIcu] = alterner(nom, nuIcu, Fois, relire);
    nom();
    const qint64 clesFaites = f.data1->TravailFait().clesCalculees;
    const auto [nomGarde, nuGarde] = alterner(nom, nuGardees, Fois, versLaDate);
    qint64 octetsTextes = 0;
    for (size_t i = 0; i < nomsNus.size(); ++i)
        octetsTextes += nuls[i] ? 0 : nomsNus[i].size() * 2;
    const qsizetype octetsCles = f.data1->OctetsClesCollation();
    std::printf("%-10s | name mode, keys made %.1f ms | bare, QCollator's keys made %.1f ms | ratio %4.2f | "
                "again %.1f ms | bare, ICU's keys made %.1f ms | ratio %4.2f\n",
                moteur, premierNom, premierNuQt, premierNom / premierNuQt, premierNomBis, premierNuIcu,
                premierNomBis / premierNuIcu);
    std::printf("%-10s | name mode, keys kept %.1f ms | bare stable sort over kept ICU keys %.1f ms | ratio "
                "%4.2f | keys made again meanwhile %lld\n",
                moteur, nomGarde, nuGarde, nomGarde / nuGarde,
                static_cast<long long>(f.data1->TravailFait().clesCalculees - clesFaites));
    std::printf("%-10s | kept keys %.1f MB for %.1f MB of surnames (UTF-16) | ratio %4.2f\n", moteur,
                octetsCles / 1048576.0, octetsTextes / 1048576.0,
                static_cast<double>(octetsCles) / static_cast<double>(octetsTextes));
    ucol_close(icu);
    clesIcu = {};
    versLaDate();

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
    return executerBenchForme(
        argc, argv, Usage, QStringLiteral("bench_journal"),
        [](Connexion& c) { DonneesBench::remplirAvecVentes(c, NbVentes); },
        [](const char* moteur, const ParametresConnexion& p) { mesurer(moteur, p); });
}
