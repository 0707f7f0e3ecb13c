// The article form over 20,000 articles: its load to the first card beside the bare StockGlobal query,
// a sort from a grid header and a move of the card. SQLite, and PostgreSQL when DORVANE_TEST_PG is set.
#include "OutilsBenchFormes.h"
#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/MODTranslate.h"
#include "db/Connexion.h"
#include "db/Recordset.h"
#include "stock/forms/FrmStock.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolButton>
#include <QVBoxLayout>
#include <cstdio>
#include <memory>
#include <numeric>
#include <tuple>
#include <vector>

namespace {

const char* const Usage =
    "Usage: bench_stock [--help]\n"
    "\n"
    "Makes 20,000 articles (50 families, 40 sizes, 60 suppliers, 4,000 machine slots, a code pool of\n"
    "25,000 codes) and times, on the offscreen platform:\n"
    "  - the load of the article form (its own new connection, the code check, the article list read\n"
    "    and the first card filled) against a bare QSqlQuery that opens a new connection and reads every\n"
    "    value of every row of SELECT * FROM StockGlobal; both sides run alternately in the same process,\n"
    "    one warm-up then 7 timed runs each, medians shown, with the ratio (the target is 1.5 at most);\n"
    "  - the first opening: the load, the window shown and its first activation over (the card's lists,\n"
    "    the search by reference), against a bare program that opens a new connection, reads every value\n"
    "    of every row of SELECT * FROM StockGlobal and shows them in a QTableView window until it is\n"
    "    active; alternately, one warm-up then 7 timed runs each, medians and ratio (target: 1.3 at\n"
    "    most), with the number of reads of StockGlobal the opening made;\n"
    "  - the first activation after the load, the load done beforehand;\n"
    "  - a click on a sorting header of the grid (Famille, Prix achat Unitaire, Qté Global in turn,\n"
    "    until the grid has drawn again), median and worst of 9 (target: under 100 ms);\n"
    "  - a click on the reference header (sort and re-read of the list, as the search option does);\n"
    "  - every sorting header, each from another order (the search options' headers read the list again),\n"
    "    against the bare window sorting the rows it holds with the keys it keeps (ICU's French collation\n"
    "    keys made once, numbers as numbers) and drawing its grid, and for the headers that read again\n"
    "    against a bare reading and that sort; alternately, 7 timed runs each, medians and ratios (target:\n"
    "    under 100 ms, 1.0 at most);\n"
    "  - a move of the card with the spin button (the move, the card fill and the grid following),\n"
    "    median and worst of 300 moves (target: under 10 ms);\n"
    "  - a move from a changed card (its save in one transaction, the list read again), median of 15;\n"
    "  - a keystroke in the search box (the search from the current row, the card filled, the grid\n"
    "    following): designations typed letter by letter, a text found nowhere from the current row\n"
    "    (the whole list searched, the row kept), references and a scanned bar code, median and worst\n"
    "    (target: under 20 ms); the designation keystrokes beside bare Qt code holding the same rows in\n"
    "    designation order, whose search box finds from the current row of its QTableView the first\n"
    "    designation that begins with the text without regard to case (made current, scrolled to),\n"
    "    the same words typed, medians, means and their ratios.\n"
    "SQLite always (a temporary folder); PostgreSQL as well when DORVANE_TEST_PG holds a libpq\n"
    "connection string, e.g. under scripts/with-postgres.\n";

constexpr int Fois = 7;
constexpr int Articles = 20000;

void remplir(Connexion& c) {
    TransactionEcriture t(c);
    for (int i = 1; i <= 50; ++i)
        c.executer(QStringLiteral("INSERT INTO Familles (NomFamille, Fonction) VALUES (?, '')"),
                   {QStringLiteral("FAMILLE %1 %2").arg(QChar(u'A' + i % 26)).arg(i)});
    for (int i = 1; i <= 40; ++i)
        c.executer(QStringLiteral("INSERT INTO Tailles (Taille, Ordre, NoFamille) VALUES (?, ?, ?)"),
                   {QStringLiteral("T%1").arg(i), i, 1 + i % 50});
    for (int i = 1; i <= 60; ++i)
        c.executer(
            QStringLiteral("INSERT INTO Fournisseur (No, CodeFournisseur, Societe, NomContact, Adresse, "
                           "CodePostal, Ville, Tel, Fax) VALUES (?, ?, ?, 'Contact', '12 rue des Forges', "
                           "'69000', 'Lyon', '04 72 00 00 00', '04 72 00 00 01')"),
            {i, QStringLiteral("F%1").arg(i), QStringLiteral("FOURNISSEUR %1").arg(i)});
    static const char* const Mots[] = {"GANT",     "CHAUSSURE", "CASQUE", "LUNETTES", "GILET",
                                       "BOUCHONS", "MASQUE",    "VESTE",  "PANTALON", "CHARLOTTE"};
    QSqlQuery q(c.db());
    q.prepare(QStringLiteral(
        "INSERT INTO ArticleEnStock (Reference, Designation, RefFournisseur, CodeArticle, CodeBar, "
        "QteEnStock, "
        "QteParPaket, StockAlert, DelaiLivraison, PrixAchatUnit, PrixAchatGlobal, Prix, Taille, Famille, "
        "NoFournisseur, Image, DateCreation, DateDernierMouvement) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
        "?, "
        "?, ?, ?, ?, ?, ?)"));
    for (int i = 0; i < Articles; ++i) {
        const double prix = 0.5 + (i % 997) * 0.37;
        const int paquet = 1 + i % 12;
        const QVariantList v{1000 + i,
                             QStringLiteral("%1 MODELE %2 COLORIS %3")
                                 .arg(QLatin1String(Mots[(i * 7) % 10]))
                                 .arg(i % 313)
                                 .arg(i % 17),
                             QStringLiteral("RF-%1-%2").arg((i * 7919) % 100000).arg(i % 9),
                             i + 1,
                             QStringLiteral("3760%1").arg(100000000 + i),
                             (i * 37) % 500,
                             paquet,
                             (i * 13) % 40,
                             (i * 3) % 60,
                             Valeurs::valeurMonnaie(prix),
                             Valeurs::valeurMonnaie(prix * paquet),
                             i % 3,
                             1 + i % 40,
                             1 + i % 50,
                             1 + i % 60,
                             QStringLiteral("aavierge"),
                             QStringLiteral("2023-01-02 08:30:00"),
                             QStringLiteral("2024-05-06 14:00:00")};
        for (const QVariant& x : v)
            q.addBindValue(x);
        if (!q.exec())
            throw ErreurExecution(ErreurExecution::ErreurBase, Connexion::texteErreur(q),
                                  QStringLiteral("bench"));
    }
    q.finish();
    c.executer(
        QStringLiteral("WITH RECURSIVE Serie(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM Serie WHERE i < "
                       "25000) INSERT INTO CodeArticle (CodeArticle) SELECT i FROM Serie"));
    for (int i = 0; i < 4000; ++i)
        c.executer(QStringLiteral("INSERT INTO EmplacementsMachine1 (NoMachine, NoEmpl, Etage, Colonne, "
                                  "Reference, Qte) VALUES (?, ?, 1, 1, ?, ?)"),
                   {1 + i / 500, i % 500, 1000 + (i * 5) % Articles, 1 + i % 6});
    t.valider();
}

// The bare reading, on a connection of its own as the form opens one.
size_t lireNu(const ParametresConnexion& p) {
    Connexion c(p);
    std::vector<QList<QVariant>> rangs;
    lireNu(c, QStringLiteral("SELECT * FROM StockGlobal"), rangs);
    return rangs.size();
}

void mesurer(const char* moteur, const ParametresConnexion& p) {
    etatSurBaseBench(p);

    std::vector<double> nu, charge;
    size_t lignes = 0;
    int lignesForme = 0;
    QString titre;
    for (int essai = 0; essai <= Fois; ++essai) {
        auto f = std::make_unique<FrmStock>();
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
            if (essai > 0)
                charge.push_back(chrono.nsecsElapsed() / 1e6);
            lignesForme = f->RsStockGlobal->RecordCount();
            titre = f->FrameFicheProduit->title();
            f->Unload();
        };
        dansLOrdre(essai, mesurerNu, mesurerForme);
    }
    const double a = mediane(nu), b = mediane(charge);
    std::printf(
        "%-10s | load to the first card %8.1f ms | bare StockGlobal %8.1f ms | ratio %4.2f%s | %zu rows, "
        "card \"%s\"\n",
        moteur, b, a, b / a, static_cast<size_t>(lignesForme) == lignes ? "" : " (ROW COUNTS DIFFER)", lignes,
        qPrintable(titre));

    // The first opening, as the menu opens an unloaded form, beside the bare program's window.
    std::vector<double> nuFenetre, premiere;
    int lectures = 0;
    Connexion::setSuiviRequetes([&](const QString& sql) {
        if (sql.contains(QLatin1String("StockGlobal"), Qt::CaseInsensitive))
            ++lectures;
    });
    for (int essai = 0; essai <= Fois; ++essai) {
        auto f = std::make_unique<FrmStock>();
        f->resize(1320, 760);
        auto mesurerNu = [&] {
            QElapsedTimer chrono;
            chrono.start();
            Connexion c(p);
            std::vector<QList<QVariant>> rangs;
            lireNu(c, QStringLiteral("SELECT * FROM StockGlobal"), rangs);
            ModeleNu modele(&rangs, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
            std::vector<int> lignes(rangs.size());
            std::iota(lignes.begin(), lignes.end(), 0);
            modele.montrer(std::move(lignes));
            QTableView vue;
            vue.setModel(&modele);
            vue.resize(1320, 760);
            vue.show();
            vue.activateWindow();
            attendre([&] { return vue.isActiveWindow(); });
            QCoreApplication::processEvents();
            if (essai > 0)
                nuFenetre.push_back(chrono.nsecsElapsed() / 1e6);
        };
        auto mesurerForme = [&] {
            lectures = 0;
            QElapsedTimer chrono;
            chrono.start();
            f->Show();
            attendre([&] { return f->isActiveWindow() && f->FormulairePret; });
            QCoreApplication::processEvents();
            if (essai > 0)
                premiere.push_back(chrono.nsecsElapsed() / 1e6);
            f->Unload();
        };
        dansLOrdre(essai, mesurerNu, mesurerForme);
    }
    Connexion::setSuiviRequetes(nullptr);
    std::printf("%-10s | first opening %8.1f ms | bare window over StockGlobal %8.1f ms | ratio %4.2f | %d "
                "read(s) of StockGlobal\n",
                moteur, mediane(premiere), mediane(nuFenetre), mediane(premiere) / mediane(nuFenetre),
                lectures);

    // Shown from the menu: the first activation.
    FrmStock f;
    f.Load();
    QElapsedTimer chrono;
    chrono.start();
    f.Show();
    while (!f.FormulairePret && chrono.elapsed() < 30000)
        QCoreApplication::processEvents();
    const double activation = chrono.nsecsElapsed() / 1e6;

    // Header sorts, each drawn before the next.
    QHeaderView* entete = f.DBGrid2->horizontalHeader();
    const int colonnes[] = {5, 6, 10};
    std::vector<double> tris;
    for (int i = 0; i < 9; ++i) {
        QElapsedTimer t;
        t.start();
        emit entete->sectionClicked(colonnes[i % 3]);
        f.DBGrid2->viewport()->repaint();
        tris.push_back(t.nsecsElapsed() / 1e6);
    }
    const double reference = medianeMs(5, [&] {
        emit entete->sectionClicked(0);
        f.DBGrid2->viewport()->repaint();
    });

    // Card moves, with the card shown.
    f.OptionFiche->click();
    QToolButton* suivant = nullptr;
    for (QToolButton* b : f.SpinButton1->findChildren<QToolButton*>())
        if (b->arrowType() == Qt::RightArrow)
            suivant = b;
    std::vector<double> moves;
    for (int i = 0; i < 300; ++i) {
        QElapsedTimer t;
        t.start();
        suivant->click();
        moves.push_back(t.nsecsElapsed() / 1e6);
    }
    // A changed card: saved on the way to the next one (the save, the list read again, the move).
    std::vector<double> sauvegardes;
    for (int i = 0; i < 15; ++i) {
        f.FicheModifiee = true;
        QElapsedTimer t;
        t.start();
        suivant->click();
        sauvegardes.push_back(t.nsecsElapsed() / 1e6);
    }
    // Search keystrokes, in the grid, as typed: each character is a key press and release on the box.
    f.OptionTableau->click();
    auto frapper = [](QWidget* boite, QChar c) {
        QElapsedTimer t;
        t.start();
        frappe(boite, c);
        return t.nsecsElapsed() / 1e6;
    };
    std::vector<double> frappes, frappesDesignation;
    auto taper = [&](QRadioButton* option, const QString& texte, std::vector<double>* aussi = nullptr) {
        option->click();
        f.RsStockGlobal->MoveFirst();
        f.TextCherche->clear();
        for (const QChar c : texte) {
            frappes.push_back(frapper(f.TextCherche, c));
            if (aussi)
                aussi->push_back(frappes.back());
        }
        QKeyEvent entree(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        QCoreApplication::sendEvent(f.TextCherche, &entree);
    };

    // The bare side of the designation search: the same rows as read, in designation order, a search
    // box whose text finds from the current row of a QTableView the first designation that begins with
    // it without regard to case, made current and scrolled to.
    const int designation = f.RsStockGlobal->FieldIndex(QStringLiteral("Designation"));
    RechercheNue nue(p, QStringLiteral("SELECT * FROM StockGlobal"), designation, 12);
    const std::vector<int>& ordre = nue.ordre;
    const std::vector<QList<QVariant>>& rangs = nue.rangs;
    QWidget& fenetreNue = nue.fenetre;
    QLineEdit* boiteNue = nue.boite;
    QTableView* grilleNue = nue.grille;
    ModeleNu& modeleNu = *nue.modele;
    grilleNue->setSelectionBehavior(QAbstractItemView::SelectRows);
    QObject::connect(boiteNue, &QLineEdit::textChanged, &fenetreNue, [&](const QString& texte) {
        if (texte.isEmpty())
            return;
        for (int i = std::max(0, grilleNue->currentIndex().row()); i < static_cast<int>(ordre.size()); ++i) {
            const QVariant& d = rangs[static_cast<size_t>(ordre[static_cast<size_t>(i)])].at(designation);
            if (!d.isNull() && d.toString().startsWith(texte, Qt::CaseInsensitive)) {
                grilleNue->setCurrentIndex(modeleNu.index(i, 0));
                grilleNue->scrollTo(grilleNue->currentIndex());
                return;
            }
        }
    });
    fenetreNue.resize(f.size());
    montrerNu(fenetreNue);
    std::vector<double> frappesNues;
    for (const char* mot : {"VESTE MODELE 31", "CHARLOTTE MODELE 299 COLORIS 1", "ZZZ"}) {
        taper(f.SSOptionDesi, QString::fromLatin1(mot), &frappesDesignation);
        grilleNue->setCurrentIndex(modeleNu.index(0, 0));
        boiteNue->clear();
        for (const QChar c : QString::fromLatin1(mot))
            frappesNues.push_back(frapper(boiteNue, c));
    }
    const QString trouveNu = grilleNue->currentIndex().siblingAtColumn(designation).data().toString();
    taper(f.SSOptionRefFour, QStringLiteral("RF-9"));
    for (const char* mot : {"20999", "1", "@3760100019998"})
        taper(f.SSOptionRef, QString::fromLatin1(mot));
    const QString trouve = f.Text2[1]->text();

    // Every sorting header, each from another order, beside the bare window's sort over the collation
    // keys it keeps (and, for the headers that read the list again, beside a bare reading and that sort).
    struct Tri {
        int colonne;
        const char* champ;
        bool relu;
        double forme = 0, nu = 0, nuRelu = 0;
    };
    std::vector<Tri> trisEntetes{{0, "Reference", true},   {1, "RefFournisseur", true},
                                 {2, "Designation", true}, {4, "CodeArticle", true},
                                 {5, "NomFamille", false}, {6, "PrixAchatUnit", false},
                                 {8, "QteEnStock", false}, {9, "QteEnMachine", false},
                                 {10, "QteGlobal", false}, {11, "StockAlert", false}};
    std::vector<QList<QVariant>> relus;
    for (Tri& t : trisEntetes) {
        ClesNues cles;
        cles.faire(rangs, f.RsStockGlobal->FieldIndex(QLatin1String(t.champ)));
        const auto avant = [&] {
            emit entete->sectionClicked(t.colonne == 1 ? 2 : 1);
            emit entete->sectionClicked(t.colonne == 6 ? 5 : 6);
            f.DBGrid2->viewport()->repaint();
        };
        const auto forme = [&] {
            emit entete->sectionClicked(t.colonne);
            f.DBGrid2->viewport()->repaint();
        };
        std::tie(t.forme, t.nu) = alterner(
            forme,
            [&] {
                modeleNu.montrer(cles.ordre());
                grilleNue->viewport()->repaint();
            },
            Fois, avant);
        if (t.relu)
            std::tie(std::ignore, t.nuRelu) = alterner(
                forme,
                [&] {
                    relus.clear();
                    lireNu(nue.connexion, QStringLiteral("SELECT * FROM StockGlobal"), relus);
                    modeleNu.montrer(cles.ordre());
                    grilleNue->viewport()->repaint();
                },
                Fois, avant);
    }

    std::printf("%-10s | first activation %.1f ms | header sort median %.1f ms, worst %.1f ms | reference "
                "header (sort and re-read) %.1f ms | card move median %.2f ms, worst %.2f ms | changed card "
                "saved and left median %.1f ms\n",
                moteur, activation, mediane(tris), *std::max_element(tris.begin(), tris.end()), reference,
                mediane(moves), *std::max_element(moves.begin(), moves.end()), mediane(sauvegardes));
    std::printf(
        "%-10s | search keystroke median %.2f ms, worst %.2f ms (%zu keystrokes; last found \"%s\")\n",
        moteur, mediane(frappes), *std::max_element(frappes.begin(), frappes.end()), frappes.size(),
        qPrintable(trouve));
    const auto moyenne = [](const std::vector<double>& v) {
        return std::accumulate(v.begin(), v.end(), 0.0) / static_cast<double>(v.size());
    };
    std::printf("%-10s | designation keystroke median %.3f ms, mean %.3f ms | bare search and grid median "
                "%.3f ms, mean %.3f ms | ratios %4.2f, %4.2f (%zu keystrokes each; the bare side's last "
                "\"%s\")\n",
                moteur, mediane(frappesDesignation), moyenne(frappesDesignation), mediane(frappesNues),
                moyenne(frappesNues), mediane(frappesDesignation) / mediane(frappesNues),
                moyenne(frappesDesignation) / moyenne(frappesNues), frappesNues.size(), qPrintable(trouveNu));
    for (const Tri& t : trisEntetes) {
        std::printf("%-10s | header sort %-15s %6.1f ms | bare sort over kept keys %6.1f ms | ratio %5.2f",
                    moteur, t.champ, t.forme, t.nu, t.forme / t.nu);
        if (t.relu)
            std::printf(" | bare read again and sort %6.1f ms | ratio %4.2f", t.nuRelu, t.forme / t.nuRelu);
        std::printf("\n");
    }
    std::printf("%-10s | collation keys made by the list %lld, kept %.2f MB\n", moteur,
                static_cast<long long>(f.RsStockGlobal->TravailFait().clesCalculees),
                f.RsStockGlobal->OctetsClesCollation() / 1048576.0);
    f.Unload();
}

} // namespace

int main(int argc, char** argv) {
    return executerBenchForme(argc, argv, Usage, QStringLiteral("bench_stock"), remplir,
                              [](const char* moteur, const ParametresConnexion& p) { mesurer(moteur, p); });
}
