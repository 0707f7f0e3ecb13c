// The employee file over the shared generator's 50,000 employees: its opening beside the bare
// GrUtilisateur query, a name keystroke, a badge search and the sorts. SQLite, and PostgreSQL when
// DORVANE_TEST_PG is set.
#include "DonneesBench.h"
#include "OutilsBenchFormes.h"
#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/MODTranslate.h"
#include "db/Connexion.h"
#include "db/Recordset.h"
#include "staff/forms/FrmUtilisateur.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <numeric>
#include <tuple>
#include <vector>

namespace {

const char* const Usage =
    "Usage: bench_salaries_fiche [--help]\n"
    "\n"
    "Fills a database with the shared generator (bench/DonneesBench.h: 50,000 employees) and times, on the\n"
    "offscreen platform:\n"
    "  - the opening of the employee file: its load (its own new connection, GrUtilisateur read) and the\n"
    "    activation that follows (machines counted, the card's lists, name mode: sort by Nom), against a\n"
    "    bare QSqlQuery that opens a new connection and reads every value of every row of\n"
    "    SELECT * FROM GrUtilisateur; alternately in the same process, one warm-up then 7 timed runs\n"
    "    each, medians shown, with the ratio (target: 1.5 at most);\n"
    "  - a keystroke of the name search, the window shown (the filter over the loaded rows, the grid's\n"
    "    model reset and repaint, the card): surnames typed letter by letter, median and worst\n"
    "    (target: under 50 ms), against the floor of an in-memory filter over the same rows: bare Qt\n"
    "    code holding the rows of GrUtilisateur as read, in name order, whose search box keeps at each\n"
    "    keystroke the rows whose Nom contains the text without regard to case and shows them in a\n"
    "    QTableView of as many columns (model reset and repaint); the same keystrokes, the two sides\n"
    "    name by name in turn, medians and ratio (target: 1.3 at most);\n"
    "  - a badge search from the first row (a badge near the end of the list, and one nobody holds:\n"
    "    the whole list searched, the row kept), median and worst (target: under 50 ms);\n"
    "  - the sort by name of the list, median of 9 (target: under 100 ms);\n"
    "  - the click on the name header from the badge mode (the mode switch: the list read again in name\n"
    "    order, the grid drawn), against bare Qt code that reads GrUtilisateur again on an open\n"
    "    connection, sorts the rows by Nom with QCollator's sort keys (French, without regard to case)\n"
    "    and shows them in its QTableView; alternately, 7 timed runs each, medians and ratio (target:\n"
    "    1.1 at most);\n"
    "  - each header sort of the list (No Matricule, No Badge, Nom, each from another mode: the list read\n"
    "    again and sorted, the grid drawn), against bare Qt code that sorts the rows it holds with the\n"
    "    collation keys it keeps (ICU's French keys, made once) and shows them in its QTableView, and\n"
    "    against the same after reading GrUtilisateur again; alternately, 7 timed runs each, medians and\n"
    "    ratios (target: under 100 ms, 1.0 at most).\n"
    "SQLite always (a temporary folder); PostgreSQL as well when DORVANE_TEST_PG holds a libpq\n"
    "connection string, e.g. under scripts/with-postgres.\n";

constexpr int Fois = 7;

// The form with its activation at hand.
class Banc : public FrmUtilisateur {
public:
    using FrmUtilisateur::Form_Activate;
};

size_t lireNu(const ParametresConnexion& p) {
    Connexion c(p);
    std::vector<QList<QVariant>> rangs;
    lireNu(c, QStringLiteral("SELECT * FROM GrUtilisateur"), rangs);
    return rangs.size();
}

void mesurer(const char* moteur, const ParametresConnexion& p) {
    etatSurBaseBench(p);

    std::vector<double> nu, ouverture;
    size_t lignes = 0;
    int lignesForme = 0;
    for (int essai = 0; essai <= Fois; ++essai) {
        auto f = std::make_unique<Banc>();
        auto mesurerNu = [&] {
            QElapsedTimer chrono;
            chrono.start();
            lignes = lireNu(p);
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
            lignesForme = f->data1->RecordCount();
            f->Unload();
        };
        dansLOrdre(essai, mesurerNu, mesurerForme);
    }
    const double a = mediane(nu), b = mediane(ouverture);
    std::printf(
        "%-10s | load and activation %8.1f ms | bare GrUtilisateur %8.1f ms | ratio %4.2f%s | %zu rows\n",
        moteur, b, a, b / a, static_cast<size_t>(lignesForme) == lignes ? "" : " (ROW COUNTS DIFFER)",
        lignes);

    // Shown, as from the menu.
    Banc f;
    f.Show();
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();
    f.Form_Activate();
    f.DBGrid1->viewport()->repaint();

    // The bare side: the same rows held as read, in name order, a search box and a grid of as many
    // columns as the form's.
    const int colonneNom = f.data1->FieldIndex(QStringLiteral("Nom"));
    RechercheNue nue(p, QStringLiteral("SELECT * FROM GrUtilisateur"), colonneNom,
                     f.DBGrid1->model()->columnCount());
    const std::vector<int>& ordreNom = nue.ordre;
    std::vector<QList<QVariant>>& rangs = nue.rangs;
    QWidget& fenetreNue = nue.fenetre;
    QLineEdit* boiteNue = nue.boite;
    QTableView* grilleNue = nue.grille;
    ModeleNu& modeleNu = *nue.modele;
    QObject::connect(boiteNue, &QLineEdit::textChanged, &fenetreNue, [&](const QString& texte) {
        std::vector<int> lignes;
        lignes.reserve(ordreNom.size());
        for (const int r : ordreNom) {
            const QVariant& nom = rangs[static_cast<size_t>(r)].at(colonneNom);
            if (!nom.isNull() && nom.toString().contains(texte, Qt::CaseInsensitive))
                lignes.push_back(r);
        }
        modeleNu.montrer(std::move(lignes));
    });
    fenetreNue.resize(f.size());
    montrerNu(fenetreNue);

    // Name keystrokes, each drawn before the next; the two sides name by name in turn.
    std::vector<double> frappes, frappesNues;
    int apresNom = 0, apresNomNu = 0;
    for (int essai = 0; essai < 2; ++essai) {
        for (const char* nom : {"Lefèvre", "dup", "Van den", "zzz", "kov"}) {
            f.TextCherche->clear();
            f.SSOptionNom->click();
            boiteNue->clear();
            for (const QChar c : QString::fromUtf8(nom)) {
                QElapsedTimer t;
                t.start();
                frappe(f.TextCherche, c);
                f.DBGrid1->viewport()->repaint();
                frappes.push_back(t.nsecsElapsed() / 1e6);
            }
            for (const QChar c : QString::fromUtf8(nom)) {
                QElapsedTimer t;
                t.start();
                frappe(boiteNue, c);
                grilleNue->viewport()->repaint();
                frappesNues.push_back(t.nsecsElapsed() / 1e6);
            }
        }
        apresNom = f.data1->RecordCount();
        apresNomNu = modeleNu.rowCount();
    }

    // Badge searches from the first row.
    f.SSOptionBadge->click();
    f.data1->MoveLast();
    const QString loin = f.data1->Field(QStringLiteral("NoBadge")).toString();
    f.data1->MoveTo(f.data1->RecordCount() - 2);
    const QString avantDernier = f.data1->Field(QStringLiteral("NoBadge")).toString();
    std::vector<double> badges;
    QString trouve;
    for (int i = 0; i < 20; ++i) {
        f.data1->MoveFirst();
        const QString b = i % 3 == 2 ? QStringLiteral("ZZ-AUCUN") : (i % 2 ? loin : avantDernier);
        QElapsedTimer t;
        t.start();
        f.TextCherche->setText(b);
        f.DBGrid1->viewport()->repaint();
        badges.push_back(t.nsecsElapsed() / 1e6);
        if (i == 1)
            trouve = f.Text2[0]->text();
    }

    // Sorts.
    std::vector<double> tris;
    for (int i = 0; i < 9; ++i) {
        f.data1->Sort(QStringLiteral("NoBadge"));
        QElapsedTimer t;
        t.start();
        f.data1->Sort(QStringLiteral("Nom"));
        f.DBGrid1->viewport()->repaint();
        tris.push_back(t.nsecsElapsed() / 1e6);
    }
    // The name header from the badge mode, beside the bare reading and sort.
    std::vector<double> entetes, entetesNus;
    for (int essai = 0; essai <= Fois; ++essai) {
        auto mesurerNu = [&] {
            QElapsedTimer t;
            t.start();
            rangs.clear();
            lireNu(nue.connexion, QStringLiteral("SELECT * FROM GrUtilisateur"), rangs);
            modeleNu.montrer(ordreFrancais(rangs, colonneNom));
            grilleNue->viewport()->repaint();
            if (essai > 0)
                entetesNus.push_back(t.nsecsElapsed() / 1e6);
        };
        auto mesurerForme = [&] {
            f.SSOptionBadge->click();
            QElapsedTimer t;
            t.start();
            emit f.DBGrid1->horizontalHeader()->sectionClicked(2);
            f.DBGrid1->viewport()->repaint();
            if (essai > 0)
                entetes.push_back(t.nsecsElapsed() / 1e6);
        };
        dansLOrdre(essai, mesurerNu, mesurerForme);
    }

    // Every header sort, each from the mode of the next header.
    struct Entete {
        int colonne;
        const char* champ;
        double forme = 0, nu = 0, nuRelu = 0;
    };
    std::vector<Entete> entetesTries{{0, "MatriculeSalarie"}, {1, "NoBadge"}, {2, "Nom"}};
    for (Entete& e : entetesTries) {
        ClesNues cles;
        cles.faire(rangs, f.data1->FieldIndex(QLatin1String(e.champ)));
        const auto avant = [&] {
            emit f.DBGrid1->horizontalHeader()->sectionClicked((e.colonne + 1) % 3);
            f.DBGrid1->viewport()->repaint();
        };
        std::tie(e.forme, e.nu) = alterner(
            [&] {
                emit f.DBGrid1->horizontalHeader()->sectionClicked(e.colonne);
                f.DBGrid1->viewport()->repaint();
            },
            [&] {
                modeleNu.montrer(cles.ordre());
                grilleNue->viewport()->repaint();
            },
            Fois, avant);
        std::tie(std::ignore, e.nuRelu) = alterner(
            [&] {
                emit f.DBGrid1->horizontalHeader()->sectionClicked(e.colonne);
                f.DBGrid1->viewport()->repaint();
            },
            [&] {
                rangs.clear();
                lireNu(nue.connexion, QStringLiteral("SELECT * FROM GrUtilisateur"), rangs);
                modeleNu.montrer(cles.ordre());
                grilleNue->viewport()->repaint();
            },
            Fois, avant);
    }

    std::printf("%-10s | name keystroke median %.2f ms, worst %.2f ms (%zu keystrokes, %d rows after "
                "\"kov\") | in-memory filter floor median %.2f ms (%d rows) | ratio %4.2f\n",
                moteur, mediane(frappes), *std::max_element(frappes.begin(), frappes.end()), frappes.size(),
                apresNom, mediane(frappesNues), apresNomNu, mediane(frappes) / mediane(frappesNues));
    std::printf("%-10s | badge search from the first row median %.2f ms, worst %.2f ms (found \"%s\" for "
                "\"%s\")\n",
                moteur, mediane(badges), *std::max_element(badges.begin(), badges.end()), qPrintable(trouve),
                qPrintable(loin));
    std::printf("%-10s | sort by name median %.1f ms, worst %.1f ms\n", moteur, mediane(tris),
                *std::max_element(tris.begin(), tris.end()));
    std::printf(
        "%-10s | name header from the badge mode (the list read again in name order) median %.1f ms | "
        "bare read and sort %.1f ms | ratio %4.2f\n",
        moteur, mediane(entetes), mediane(entetesNus), mediane(entetes) / mediane(entetesNus));
    for (const Entete& e : entetesTries)
        std::printf("%-10s | header sort %-16s %6.1f ms | bare sort over kept keys %6.1f ms | ratio %5.2f | "
                    "bare read again and sort over kept keys %6.1f ms | ratio %4.2f\n",
                    moteur, e.champ, e.forme, e.nu, e.forme / e.nu, e.nuRelu, e.forme / e.nuRelu);
    std::printf("%-10s | collation keys made by the list %lld, kept %.2f MB\n", moteur,
                static_cast<long long>(f.data1->TravailFait().clesCalculees),
                f.data1->OctetsClesCollation() / 1048576.0);
    f.Unload();
}

} // namespace

int main(int argc, char** argv) {
    return executerBenchForme(argc, argv, Usage, QStringLiteral("bench_salaries_fiche"),
                              DonneesBench::remplir,
                              [](const char* moteur, const ParametresConnexion& p) { mesurer(moteur, p); });
}
