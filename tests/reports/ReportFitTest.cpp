#include "BaseDeTest.h"
#include "bench/DonneesBench.h"
#include "reports/OutilsEtats.h"

#include "db/Routines.h"
#include "db/Valeurs.h"
#include "reports/ReportEngine.h"

#include <QFontMetricsF>
#include <QHash>
#include <algorithm>

using namespace OutilsEtats;

namespace {

constexpr double Twips = ReportDocument::TwipsPerMm;

// The text items of a page as the rectangles they cover, in twips.
struct Texte {
    QRectF rect;
    QString text;
};

QList<Texte> textes(const ReportDocument& doc, int page) {
    QList<Texte> r;
    for (const ReportItem& it : doc.items(page)) {
        if (it.kind != ReportItem::Kind::Text)
            continue;
        const QFontMetricsF m(doc.fonts().at(it.style));
        r.append({QRectF(it.x, it.y - m.ascent(), it.w, m.height()), it.text});
    }
    return r;
}

// Every pair of texts of a page that overlap by more than a hair, as "<report> page <n> : « a » sur « b »".
QStringList chevauchements(const ReportDocument& doc, const QString& etat) {
    QStringList r;
    for (int p = 0; p < doc.pageCount() && r.size() < 10; ++p) {
        QList<Texte> t = textes(doc, p);
        std::sort(t.begin(), t.end(),
                  [](const Texte& a, const Texte& b) { return a.rect.top() < b.rect.top(); });
        for (qsizetype i = 0; i < t.size(); ++i)
            for (qsizetype j = i + 1; j < t.size() && t[j].rect.top() < t[i].rect.bottom(); ++j) {
                const QRectF commun = t[i].rect.intersected(t[j].rect);
                if (commun.width() > 2 && commun.height() > 2)
                    r << QStringLiteral("%1 page %2 : « %3 » sur « %4 »")
                             .arg(etat)
                             .arg(p + 1)
                             .arg(t[i].text, t[j].text);
            }
    }
    return r;
}

// The font a definition gives an element, as the engine sizes it (twips).
QFont police(const ReportFont& f) {
    QFont font(f.family);
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(f.size * 20))));
    font.setBold(f.bold);
    font.setItalic(f.italic);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

// Every value of the report that its box cannot hold at the definition's size: numbers, dates, totals
// and fixed captions must fit (data texts may be cut, with an ellipsis).
QStringList debordements(const QList<ReportRow>& lignes, const QString& etat) {
    QStringList r;
    QHash<QString, double> largeurs;
    for (const ReportRow& l : lignes)
        for (const ReportCell& c : l.cells) {
            if (c.format == ReportFormat::Text && !c.field.isEmpty() && !c.total)
                continue;
            const QString texte = ReportEngine::formatValue(c.value, c.format, c.decimals);
            const QString cle = texte + u'|' + QString::number(c.font.size) + (c.font.bold ? u'b' : u'r') +
                                QString::number(c.rect.width());
            if (largeurs.contains(cle))
                continue;
            const double w = QFontMetricsF(police(c.font)).horizontalAdvance(texte);
            largeurs.insert(cle, w);
            if (w > c.rect.width() * Twips + 0.5 && r.size() < 10)
                r << QStringLiteral("%1 : « %2 » (%3 mm) dans %4 mm")
                         .arg(etat, texte)
                         .arg(w / Twips, 0, 'f', 1)
                         .arg(c.rect.width());
        }
    return r;
}

class ReportFitTest : public EtatsTest {};

// The benchmark's database (100,000 withdrawal lines, 50,000 employees, 2,000 articles), CA filled over
// its whole period, read once for every test of the suite.
class ShippedReportsFitTest : public EtatsTest {
protected:
    static void SetUpTestSuite() {
        BaseDeTest base(Moteur::SQLite);
        ASSERT_TRUE(base.valide()) << base.erreur().toStdString();
        const std::unique_ptr<Connexion> c = base.ouvrir();
        DonneesBench::remplir(*c);
        Routines::EtatCA(*c, Valeurs::debutPeriode(DonneesBench::premierJour()),
                         Valeurs::finPeriode(DonneesBench::dernierJour()));
        Routines::ConsoParCentreCout(*c, Valeurs::debutPeriode(DonneesBench::premierJour()),
                                     Valeurs::finPeriode(DonneesBench::dernierJour()));
        // Returns of some of the withdrawals, with the generator's names, articles and families.
        c->executer(QStringLiteral("INSERT INTO Retour (ReferenceArticle, Designation, NomFamille, NomUser, "
                                   "PrenomUser, LaDateRetrait, "
                                   "LaDateRetour, NoMachine) SELECT Reference, Designation, NomFamille, Nom, "
                                   "Prenom, LaDate, LaDate, "
                                   "NoMachine FROM CA LIMIT 3000"));
        c->executer(QStringLiteral("INSERT INTO InfoEtat (Titre, Periode) VALUES (?, ?)"),
                    {QStringLiteral("Consommations du Site Saint-Étienne"),
                     QStringLiteral("Période du 01/01/2024 au 31/12/2025")});
        // The machine sheets' rows: every planned position of 48 machines, fractions and overloads among
        // them.
        DonneesBench::remplirMachines(*c, 48);
        c->executer(QStringLiteral(
            "INSERT INTO ARemplissageMachine (Etage, ReferenceArticle, Designation, RefFournisseur, "
            "CodeArticle, "
            "NbUnite, Aremplir, NoMachine, Location) SELECT C.Etage, C.ReferenceArticle, A.Designation, "
            "A.RefFournisseur, CAST(A.CodeArticle AS TEXT), C.Etage % 7, 12.5 - C.Etage, C.NoMachine, "
            "M.Location "
            "FROM ConfigMachines C JOIN ArticleEnStock A ON A.Reference = C.ReferenceArticle JOIN Machines M "
            "ON "
            "M.NoMachine = C.NoMachine"));
        c->executer(QStringLiteral("UPDATE InfoSociete SET NOM = ?, Adresse = ?, CodePostal = ?, Ville = ?"),
                    {QStringLiteral("Société Élan Protection Individuelle"),
                     QStringLiteral("12 rue des Forges"), QStringLiteral("69002"), QStringLiteral("Lyon")});
        for (const char* t : {"CA", "InfoEtat", "InfoSociete", "Machines", "ArticleEnStock", "Familles",
                              "Fournisseur", "GrUtilisateur", "ARemplissageMachine order by Etage",
                              "ARemplissageMachine", "ARemplissageMachine  order by ReferenceArticle",
                              "ARemplissageMachine order by ReferenceArticle", "ConsoParMachineSecteur",
                              "StockGlobal", "Retour"})
            s_tables.insert(QLatin1String(t), ReportTable::read(*c, QLatin1String(t)));
    }
    static void TearDownTestSuite() { s_tables.clear(); }

    // The tables of `noms`; the first `lignes` rows of CA only when given.
    static QList<ReportTable> tables(const QStringList& noms, int lignes = -1) {
        QList<ReportTable> t;
        for (const QString& n : noms) {
            const ReportTable& entiere = s_tables[n];
            if (n != QLatin1String("CA") || lignes < 0) {
                t << entiere;
                continue;
            }
            ReportTable debut;
            debut.setColumns(entiere.columns());
            for (int r = 0; r < std::min(lignes, entiere.rowCount()); ++r) {
                QVariantList valeurs;
                for (int c = 0; c < entiere.columnCount(); ++c)
                    valeurs << entiere.value(r, c);
                debut.appendRow(valeurs);
            }
            t << debut;
        }
        return t;
    }

    // Every shipped report, whole definitions or files on a base, over the benchmark's data as the viewer
    // binds its tables: no two texts of a page run into each other, and every number, date, total and
    // caption fits its box at its own size.
    static void verifier(bool surBase) {
        ASSERT_EQ(s_tables.value("CA").rowCount(), DonneesBench::NbVentes);
        for (const QString& nom : QDir(dossierEtats()).entryList(QDir::Files)) {
            QFile f(QDir(dossierEtats()).filePath(nom));
            ASSERT_TRUE(f.open(QIODevice::ReadOnly));
            if (f.readAll().contains("\"base\"") != surBase)
                continue;
            const ReportDefinition d = ReportDefinition::load(dossierEtats(), nom);
            const QList<ReportTable> t = tables(tablesEtat(nom), surBase ? 5000 : -1);
            const ReportDocument doc = ReportEngine::layout(d, t);
            EXPECT_GT(doc.pageCount(), 0) << nom.toStdString();
            const QStringList c = chevauchements(doc, nom);
            EXPECT_TRUE(c.isEmpty()) << c.join(u'\n').toStdString();
            const QStringList b = debordements(ReportEngine::tabulate(d, t), nom);
            EXPECT_TRUE(b.isEmpty()) << b.join(u'\n').toStdString();
        }
    }

    static inline QHash<QString, ReportTable> s_tables;
};

} // namespace

TEST_F(ShippedReportsFitTest, OverTheBenchmarkDataKeepEveryTextInItsBox) {
    verifier(false);
}

// A file on a base lays out its base's boxes, checked above over the whole data: its own captions, rows
// and order show over a part of it.
TEST_F(ShippedReportsFitTest, FilesOnABaseKeepTheirCaptionsInTheirBoxes) {
    verifier(true);
}

// Totals past what the boxes were drawn for: a quantity of 10 digits and an amount of 13 are drawn whole,
// in a smaller size of their font that still reads, inside their own boxes; absurd ones (10^30 pieces,
// 10^300 euros) neither wrap into other numbers nor run into the next box.
TEST_F(ReportFitTest, TotalsWiderThanTheirBoxesShrinkIntoThemWhole) {
    const ReportDefinition d = ReportDefinition::load(dossierEtats(), QStringLiteral("ConsParSite.RPT"));
    const QStringList colonnes = {"NomSite",   "NomService",  "Nom",    "Prenom",   "Utilisateur",  "LaDate",
                                  "Reference", "Designation", "Taille", "Quantite", "PrixAchatUnit"};
    auto ligne = [](const char* badge, double quantite, double prix) {
        return QVariantList{
            "Lyon", "Atelier 1",     "Dupré", "Zoé",    badge, QDateTime(QDate(2026, 3, 2), QTime(10, 0)),
            100001, "Gants confort", "9",     quantite, prix};
    };
    auto etat = [&](const QList<QVariantList>& lignes) {
        return ReportEngine::layout(
            d, {table(colonnes, lignes), table({"Titre", "Periode"}, {{"Consommations du Site Lyon", ""}}),
                table({"NOM", "Adresse", "CodePostal", "Ville"}, {{"Société Élan", "", "69002", "Lyon"}})});
    };
    // The texts of the last page showing exactly `texte` (with NO-BREAK SPACES for its blanks): the
    // employee's, the service's and the report's total.
    auto items = [](const ReportDocument& doc, QString texte) {
        texte.replace(u' ', QChar(0xA0));
        QList<QRectF> r;
        for (const Texte& t : textes(doc, doc.pageCount() - 1))
            if (t.text == texte)
                r << t.rect;
        EXPECT_GE(r.size(), 3) << "« " << texte.toStdString() << " »";
        return r;
    };
    // Between the box's edges (the page's left margin of 15 mm added), in a size of 8 points at least (a
    // line height of 8 * 1.15 points) when `lisible`.
    auto dans = [](const QList<QRectF>& rects, double gauche, double largeur, bool lisible) {
        for (const QRectF& r : rects)
            if (r.left() < (15 + gauche) * Twips - 1 || r.right() > (15 + gauche + largeur) * Twips + 1 ||
                (lisible && r.height() < 8 * 20 * 1.1))
                return false;
        return !rects.isEmpty();
    };

    const ReportDocument doc = etat({ligne("A1", 1234567890, 99999999090), ligne("A1", 3, 7.5)});
    EXPECT_TRUE(chevauchements(doc, "ConsParSite.RPT").isEmpty());
    EXPECT_TRUE(dans(items(doc, "1234567893"), 132, 18, true));
    EXPECT_TRUE(dans(items(doc, "99 999 999 097,50 €"), 152, 28, true));

    const ReportDocument absurde = etat({ligne("A1", 1e30, 1e300), ligne("A1", 3, 7.5)});
    EXPECT_TRUE(chevauchements(absurde, "ConsParSite.RPT").isEmpty());
    EXPECT_TRUE(dans(items(absurde, "1000000000000000019884624838656"), 132, 18, false));
}
