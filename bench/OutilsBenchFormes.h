#pragma once

// The opening shared by the benchmarks that drive a form: offscreen application, French messages, the
// generated data on SQLite, then on the throw-away server when one is reachable. Header only: it needs
// the forms library, which only those benchmarks link.

#include "OutilsBench.h"
#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/MODTranslate.h"
#include "db/Connexion.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QCollator>
#include <QCollatorSortKey>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <numeric>
#include <string>
#include <unicode/ucol.h>
#include <vector>

// What bare Qt code writes to show rows read in memory in a QTableView: the rows as read, shown through
// a list of their numbers (a filter's, a sort's), some of their columns, values as they are.
class ModeleNu : public QAbstractTableModel {
public:
    ModeleNu(const std::vector<QList<QVariant>>* rangs, QList<int> colonnes)
        : m_rangs(rangs), m_colonnes(std::move(colonnes)) {}
    // The rows to show, by number; the views reset.
    void montrer(std::vector<int> lignes) {
        beginResetModel();
        m_lignes = std::move(lignes);
        endResetModel();
    }
    int rowCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : static_cast<int>(m_lignes.size());
    }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : static_cast<int>(m_colonnes.size());
    }
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override {
        if (role != Qt::DisplayRole || !index.isValid())
            return {};
        return (*m_rangs)[static_cast<size_t>(m_lignes[static_cast<size_t>(index.row())])].value(
            m_colonnes.value(index.column()));
    }

private:
    const std::vector<QList<QVariant>>* m_rangs;
    QList<int> m_colonnes;
    std::vector<int> m_lignes;
};

// The rows' numbers in the order of one column, as bare Qt code sorts text: QCollator's sort keys
// (French, without regard to case), Null first, ties in the order read.
inline std::vector<int> ordreFrancais(const std::vector<QList<QVariant>>& rangs, int colonne) {
    QCollator collateur(QLocale(QLocale::French, QLocale::France));
    collateur.setCaseSensitivity(Qt::CaseInsensitive);
    std::vector<QCollatorSortKey> cles;
    cles.reserve(rangs.size());
    for (const QList<QVariant>& r : rangs)
        cles.push_back(collateur.sortKey(r.at(colonne).toString()));
    std::vector<int> ordre(rangs.size());
    std::iota(ordre.begin(), ordre.end(), 0);
    std::stable_sort(ordre.begin(), ordre.end(), [&](int a, int b) {
        const bool nulA = rangs[static_cast<size_t>(a)].at(colonne).isNull();
        const bool nulB = rangs[static_cast<size_t>(b)].at(colonne).isNull();
        if (nulA != nulB)
            return nulA;
        return cles[static_cast<size_t>(a)].compare(cles[static_cast<size_t>(b)]) < 0;
    });
    return ordre;
}

// ICU's French collator without regard to case, set up as QCollator sets it up, and its byte keys: what
// a bare program that keeps its collation keys holds.
inline UCollator* collateurIcu() {
    UErrorCode e = U_ZERO_ERROR;
    UCollator* c = ucol_open("fr_FR", &e);
    ucol_setAttribute(c, UCOL_NORMALIZATION_MODE, UCOL_ON, &e);
    ucol_setAttribute(c, UCOL_STRENGTH, UCOL_SECONDARY, &e);
    return c;
}

inline std::string cleIcu(UCollator* c, const QString& s) {
    const auto* u = reinterpret_cast<const UChar*>(s.utf16());
    const auto l = static_cast<int32_t>(s.size());
    std::string k(static_cast<size_t>(l) * 3 + 16, '\0');
    int32_t n =
        ucol_getSortKey(c, u, l, reinterpret_cast<uint8_t*>(k.data()), static_cast<int32_t>(k.size()));
    if (n > static_cast<int32_t>(k.size())) {
        k.resize(static_cast<size_t>(n));
        n = ucol_getSortKey(c, u, l, reinterpret_cast<uint8_t*>(k.data()), n);
    }
    k.resize(static_cast<size_t>(n));
    return k;
}

// One column's sort keys as a bare program keeps them: ICU's French keys for text, made once, numbers as
// numbers; and its stable sort: Nulls first, ties in the order read.
struct ClesNues {
    std::vector<char> nuls;
    std::vector<std::string> textes;
    std::vector<double> nombres;
    bool texte = false;

    void faire(const std::vector<QList<QVariant>>& rangs, int colonne) {
        nuls.clear();
        textes.clear();
        nombres.clear();
        texte = false;
        for (const QList<QVariant>& r : rangs)
            if (!r.at(colonne).isNull()) {
                const int t = r.at(colonne).metaType().id();
                texte = t == QMetaType::QString || t == QMetaType::QByteArray;
                break;
            }
        UCollator* c = collateurIcu();
        for (const QList<QVariant>& r : rangs) {
            const QVariant& v = r.at(colonne);
            nuls.push_back(v.isNull() ? 1 : 0);
            if (texte)
                textes.push_back(v.isNull() ? std::string() : cleIcu(c, v.toString()));
            else
                nombres.push_back(v.toDouble());
        }
        ucol_close(c);
    }
    std::vector<int> ordre() const {
        std::vector<int> o;
        o.reserve(nuls.size());
        for (size_t i = 0; i < nuls.size(); ++i)
            if (nuls[i])
                o.push_back(static_cast<int>(i));
        const auto debut = static_cast<std::ptrdiff_t>(o.size());
        for (size_t i = 0; i < nuls.size(); ++i)
            if (!nuls[i])
                o.push_back(static_cast<int>(i));
        if (texte)
            std::stable_sort(o.begin() + debut, o.end(), [this](int a, int b) {
                return textes[static_cast<size_t>(a)] < textes[static_cast<size_t>(b)];
            });
        else
            std::stable_sort(o.begin() + debut, o.end(), [this](int a, int b) {
                return nombres[static_cast<size_t>(a)] < nombres[static_cast<size_t>(b)];
            });
        return o;
    }
};

// The bare side of a search benchmark: the rows of `sql` read on a connection of its own and held as read,
// their numbers in the French order of column `colonne`, shown in a window of a search box above a
// QTableView of the first `colonnes` columns, in that order. Each benchmark connects the box itself.
struct RechercheNue {
    RechercheNue(const ParametresConnexion& p, const QString& sql, int colonne, int colonnes)
        : connexion(p), boite(new QLineEdit(&fenetre)), grille(new QTableView(&fenetre)) {
        lireNu(connexion, sql, rangs);
        ordre = ordreFrancais(rangs, colonne);
        QList<int> montrees;
        for (int i = 0; i < colonnes; ++i)
            montrees << i;
        modele = std::make_unique<ModeleNu>(&rangs, montrees);
        modele->montrer(ordre);
        grille->setModel(modele.get());
        auto* disposition = new QVBoxLayout(&fenetre);
        disposition->addWidget(boite);
        disposition->addWidget(grille, 1);
    }
    Connexion connexion;
    std::vector<QList<QVariant>> rangs;
    std::vector<int> ordre;
    QWidget fenetre;
    QLineEdit* boite;
    QTableView* grille;
    std::unique_ptr<ModeleNu> modele;
};

// One key typed into `w` as the keyboard sends it: a press, then a release, carrying the character.
inline void frappe(QWidget* w, QChar c) {
    const int touche = c == u'@' ? int(Qt::Key_At) : int(c.toUpper().unicode());
    QKeyEvent appui(QEvent::KeyPress, touche, Qt::NoModifier, QString(c));
    QKeyEvent relache(QEvent::KeyRelease, touche, Qt::NoModifier, QString(c));
    QCoreApplication::sendEvent(w, &appui);
    QCoreApplication::sendEvent(w, &relache);
}

// Processes events until `pret` holds (at most 30 s); false when it never did.
template <typename P> bool attendre(P&& pret) {
    QElapsedTimer chrono;
    chrono.start();
    while (!pret()) {
        if (chrono.elapsed() > 30000)
            return false;
        QCoreApplication::processEvents();
    }
    return true;
}

// Shows a bare window and waits until the platform has exposed it: before that a repaint draws nothing,
// and the bare side would be timed without its drawing.
inline bool montrerNu(QWidget& fenetre) {
    fenetre.show();
    return attendre([&] { return fenetre.windowHandle() && fenetre.windowHandle()->isExposed(); });
}

// Points the state (and, for the embedded database, DORVANE_HOME) at the benchmark's database, so that
// forms opened afterwards connect to it as the program would.
inline EtatGlobal& etatSurBaseBench(const ParametresConnexion& p) {
    EtatGlobal& g = Global();
    g.NomServeur = p.serveur;
    g.NomBase = p.base;
    g.UtilisateurSQL = p.utilisateur;
    g.MotDePasseSQL = p.motDePasse;
    if (p.serveur.isEmpty())
        qputenv("DORVANE_HOME", QFile::encodeName(p.dossier));
    return g;
}

// `mesurer(engine, parameters)` runs the measurements once per backend.
template <typename F, typename M>
int executerBenchForme(int argc, char** argv, const char* usage, const QString& nom, F&& remplir,
                       M&& mesurer) {
    if (aideDemandee(argc, argv, usage))
        return 0;
    sansEcranParDefaut();
    QApplication app(argc, argv);
    try {
        Global().Msg = MODTranslate::TextesMessages(QStringLiteral("FR"));
        QTemporaryDir dossier;
        const ParametresConnexion p = creerBaseBench(dossier.path(), remplir);
        mesurer("SQLite", p);
        surServeurBench(nom, remplir,
                        [&](Connexion& c, const QString&) { mesurer("PostgreSQL", c.parametres()); });
    } catch (const ErreurExecution& e) {
        std::fprintf(stderr, "Échec : %s\n", qPrintable(e.description()));
        return 1;
    }
    return 0;
}
