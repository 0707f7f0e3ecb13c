// A consumption report over the 100,000 lines of CA, grouped per employee with sums, to PDF, beside the
// same SELECT and the same number of text lines drawn by a bare QPdfWriter; then the resident memory.
#include "DonneesBench.h"
#include "OutilsBench.h"
#include "app/ReglagesProcessus.h"
#include "common/ErreurExecution.h"
#include "db/Connexion.h"
#include "db/Routines.h"
#include "db/Valeurs.h"
#include "reports/ReportEngine.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSet>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>
#include <malloc.h>
#include <memory>
#include <vector>

namespace {

const char* const Usage =
    "Usage: bench_reports [--help] [--lecture]\n"
    "\n"
    "Fills CA with EtatCA over the whole period of the generated data (bench/DonneesBench.h: 100,000\n"
    "withdrawal lines) and times the report engine on a consumption report grouped per employee (badge),\n"
    "with sums of quantity and amount per employee and in all, page numbers: CA, InfoEtat and InfoSociete\n"
    "read into memory, laid out, written as PDF. Beside it, in the same run: the same SELECT * FROM CA\n"
    "through a bare QSqlQuery, every row's values made into a line, and a QPdfWriter at the same\n"
    "resolution drawing as many text lines as the report prints (one drawText each, 50 a page). One\n"
    "warm-up, then the medians of 5 runs each, the sides alternating (line \"whole report\"). The peak\n"
    "resident memory is that of one report alone, measured first (Linux /proc/self/status, the peak\n"
    "reset through clear_refs), and after all runs.\n"
    "Then the reading of CA alone: ReportTable::read against the same SELECT * FROM CA through a bare\n"
    "forward-only QSqlQuery keeping every value of every row in a list per row, in alternating order,\n"
    "one warm-up then the median of 9 runs each, the rows freed outside the timer (line \"table\n"
    "reading\"); with --lecture, this alone.\n"
    "The process starts with the program's own settings (ReglagesProcessus::appliquer: time zone, freed\n"
    "memory). SQLite, and PostgreSQL when DORVANE_TEST_PG holds a libpq connection string.\n";

constexpr int FoisEtat = 5;
constexpr int FoisLecture = 9;

// Grouped per employee, sums of quantity and amount per group and in all, page numbers.
const char* const Definition = R"({
  "tables": ["CA", "InfoEtat", "InfoSociete"],
  "computed": [{"name": "Montant", "product": ["Quantite", "PrixAchatUnit"]}],
  "sort": [{"field": "LaDate"}],
  "reportHeader": {"height": 30, "elements": [
    {"type": "text", "x": 0, "y": 0, "width": 120, "height": 6, "field": "InfoSociete.NOM", "font": {"size": 12, "bold": true}},
    {"type": "text", "x": 0, "y": 16, "width": 180, "height": 7, "field": "InfoEtat.Titre", "align": "center", "font": {"size": 14, "bold": true}},
    {"type": "text", "x": 0, "y": 23, "width": 180, "height": 5, "field": "InfoEtat.Periode", "align": "center"}]},
  "pageHeader": {"height": 8, "font": {"bold": true}, "elements": [
    {"type": "text", "x": 0, "y": 1, "width": 22, "height": 5, "text": "Date"},
    {"type": "text", "x": 22, "y": 1, "width": 20, "height": 5, "text": "Référence"},
    {"type": "text", "x": 44, "y": 1, "width": 64, "height": 5, "text": "Désignation"},
    {"type": "text", "x": 108, "y": 1, "width": 14, "height": 5, "text": "Qté", "align": "right"},
    {"type": "text", "x": 122, "y": 1, "width": 26, "height": 5, "text": "Prix unitaire", "align": "right"},
    {"type": "text", "x": 148, "y": 1, "width": 32, "height": 5, "text": "Montant", "align": "right"},
    {"type": "line", "x": 0, "y": 7, "width": 180, "height": 0}]},
  "groups": [{"key": "Utilisateur",
    "header": {"height": 7, "font": {"bold": true}, "elements": [
      {"type": "text", "x": 0, "y": 1.5, "width": 60, "height": 5, "field": "Nom"},
      {"type": "text", "x": 60, "y": 1.5, "width": 60, "height": 5, "field": "Prenom"}]},
    "footer": {"height": 8, "font": {"bold": true}, "elements": [
      {"type": "text", "x": 44, "y": 1.5, "width": 40, "height": 5, "text": "Total"},
      {"type": "text", "x": 108, "y": 1.5, "width": 14, "height": 5, "aggregate": "sum", "field": "Quantite", "format": "integer", "align": "right"},
      {"type": "text", "x": 148, "y": 1.5, "width": 32, "height": 5, "aggregate": "sum", "field": "Montant", "format": "money", "align": "right"}]}}],
  "detail": {"height": 5, "elements": [
    {"type": "text", "x": 0, "y": 0, "width": 22, "height": 5, "field": "LaDate", "format": "date"},
    {"type": "text", "x": 22, "y": 0, "width": 20, "height": 5, "field": "Reference", "format": "integer"},
    {"type": "text", "x": 44, "y": 0, "width": 64, "height": 5, "field": "Designation"},
    {"type": "text", "x": 108, "y": 0, "width": 14, "height": 5, "field": "Quantite", "format": "integer", "align": "right"},
    {"type": "text", "x": 122, "y": 0, "width": 26, "height": 5, "field": "PrixAchatUnit", "format": "money", "align": "right"},
    {"type": "text", "x": 148, "y": 0, "width": 32, "height": 5, "field": "Montant", "format": "money", "align": "right"}]},
  "reportFooter": {"height": 12, "font": {"bold": true}, "elements": [
    {"type": "text", "x": 44, "y": 4, "width": 40, "height": 6, "text": "Total général"},
    {"type": "text", "x": 108, "y": 4, "width": 14, "height": 6, "aggregate": "sum", "field": "Quantite", "format": "integer", "align": "right"},
    {"type": "text", "x": 148, "y": 4, "width": 32, "height": 6, "aggregate": "sum", "field": "Montant", "format": "money", "align": "right"}]},
  "pageFooter": {"height": 8, "font": {"size": 8}, "elements": [
    {"type": "text", "x": 0, "y": 2.5, "width": 90, "height": 5, "text": "Imprimé le {date}"},
    {"type": "text", "x": 90, "y": 2.5, "width": 90, "height": 5, "text": "Page {page} / {pages}", "align": "right"}]}
})";

void remplir(Connexion& c) {
    DonneesBench::remplir(c);
    Routines::EtatCA(c, Valeurs::debutPeriode(DonneesBench::premierJour()),
                     Valeurs::finPeriode(DonneesBench::dernierJour()));
    c.executer(QStringLiteral("INSERT INTO InfoEtat (Titre, Periode) VALUES ('Consommations par Salariés', "
                              "'Période du 01/01/2024 au 31/12/2025')"));
    c.executer(QStringLiteral("UPDATE InfoSociete SET NOM = 'Société Élan'"));
}

struct Temps {
    double lecture = 0, miseEnPage = 0, pdf = 0;
    int pages = 0;
    qint64 elements = 0;
    qint64 lignes = 0; // text lines printed: distinct baselines of a page
    qint64 lignesCA = 0;
};

Temps moteur(Connexion& c, const ReportDefinition& d, const QString& fichier) {
    Temps t;
    QElapsedTimer chrono;
    chrono.start();
    // As the viewer does: the tables are read, laid out and let go; the document needs none of them.
    ReportDocument doc;
    {
        const QList<ReportTable> tables = {ReportTable::read(c, QStringLiteral("CA")),
                                           ReportTable::read(c, QStringLiteral("InfoEtat")),
                                           ReportTable::read(c, QStringLiteral("InfoSociete"))};
        t.lignesCA = tables.at(0).rowCount();
        t.lecture = chrono.nsecsElapsed() / 1e6;
        chrono.restart();
        doc = ReportEngine::layout(d, tables);
        t.miseEnPage = chrono.nsecsElapsed() / 1e6;
    }
    chrono.restart();
    doc.writePdf(fichier, QStringLiteral("Consommations par Salariés"));
    t.pdf = chrono.nsecsElapsed() / 1e6;
    t.pages = doc.pageCount();
    for (int p = 0; p < doc.pageCount(); ++p) {
        t.elements += doc.items(p).size();
        QSet<float> lignes;
        for (const ReportItem& it : doc.items(p))
            if (it.kind == ReportItem::Kind::Text)
                lignes.insert(it.y);
        t.lignes += lignes.size();
    }
    return t;
}

// The reference: the same SELECT, one line per row of its values, and as many lines in all as the
// report prints (the rest short ones, as totals are), 50 a page, at the same resolution.
void reference(Connexion& c, const QString& fichier, qint64 lignes) {
    QPdfWriter writer(fichier);
    writer.setResolution(1440);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    QPainter painter(&writer);
    QFont police(QStringLiteral("Arial"));
    police.setPixelSize(180);
    painter.setFont(police);
    int ligne = 0;
    auto dessiner = [&](const QString& texte) {
        if (ligne == 50) {
            writer.newPage();
            ligne = 0;
        }
        painter.drawText(QPointF(850, 1700 + ligne * 283), texte);
        ++ligne;
        --lignes;
    };
    QSqlQuery q = c.executer(QStringLiteral("SELECT * FROM CA"));
    while (q.next()) {
        QString texte;
        for (int i = 0; i < 20; ++i)
            texte += q.value(i).toString() + u' ';
        dessiner(texte.left(120));
    }
    while (lignes > 0)
        dessiner(QStringLiteral("Total %1").arg(lignes));
}

// The table reading alone: ReportTable::read of CA against the bare reading of the same rows, the rows
// freed outside the timer.
void lecture(const char* nomMoteur, Connexion& c, int fois) {
    // One reading alone first: what the table holds once read (the allocator's count: the resident size
    // says little once the process has freed and kept memory before).
    double tenu = 0;
    {
        const size_t alloue = mallinfo2().uordblks;
        const ReportTable table = ReportTable::read(c, QStringLiteral("CA"));
        tenu = (static_cast<double>(mallinfo2().uordblks) - static_cast<double>(alloue)) / 1048576.0;
    }
    qsizetype lignes = 0;
    const auto [nous, eux] = medianesAlternees(
        fois,
        [&] {
            auto table = std::make_unique<ReportTable>();
            QElapsedTimer chrono;
            chrono.start();
            *table = ReportTable::read(c, QStringLiteral("CA"));
            const double ms = chrono.nsecsElapsed() / 1e6;
            lignes = table->rowCount();
            return ms;
        },
        [&] {
            std::vector<QList<QVariant>> rangs;
            QElapsedTimer chrono;
            chrono.start();
            lireNu(c, QStringLiteral("SELECT * FROM CA"), rangs);
            return chrono.nsecsElapsed() / 1e6;
        });
    std::printf("%-10s table reading, CA %lld rows: ReportTable::read %.0f ms | bare QSqlQuery %.0f ms | "
                "ratio %.2f | the table holds %.0f MB\n",
                nomMoteur, static_cast<long long>(lignes), nous, eux, nous / eux, tenu);
    std::fflush(stdout);
}

void mesurer(const char* nomMoteur, Connexion& c, const QString& dossier, const ReportDefinition& d,
             bool lectureSeule) {
    if (lectureSeule)
        return lecture(nomMoteur, c, FoisLecture);
    const QString etat = QDir(dossier).filePath(QStringLiteral("etat.pdf"));
    const QString ref = QDir(dossier).filePath(QStringLiteral("reference.pdf"));
    // One report first, alone, for its memory; then the timed runs.
    remettrePic();
    const double avant = memoire("VmRSS:");
    Temps t = moteur(c, d, etat);
    const double crete = memoire("VmHWM:");
    const qint64 lignes = t.lignes;
    const auto [nous, eux] = medianesAlternees(
        FoisEtat,
        [&] {
            QElapsedTimer chrono;
            chrono.start();
            t = moteur(c, d, etat);
            return chrono.nsecsElapsed() / 1e6;
        },
        [&] {
            QElapsedTimer chrono;
            chrono.start();
            reference(c, ref, lignes);
            return chrono.nsecsElapsed() / 1e6;
        });
    std::printf(
        "%-10s whole report, CA %lld rows: %d pages, %lld text lines, %lld items | engine %.0f ms "
        "(last run: read %.0f, layout %.0f, PDF %.0f) | QSqlQuery + QPdfWriter %.0f ms | ratio %.2f\n",
        nomMoteur, static_cast<long long>(t.lignesCA), t.pages, static_cast<long long>(t.lignes),
        static_cast<long long>(t.elements), nous, t.lecture, t.miseEnPage, t.pdf, eux, nous / eux);
    std::printf(
        "%-10s resident: %.0f MB before the report, peak %.0f MB while building it (%.0f MB after all "
        "runs); PDF %.1f MB (reference %.1f MB)\n",
        nomMoteur, avant, crete, memoire("VmHWM:"), QFileInfo(etat).size() / 1048576.0,
        QFileInfo(ref).size() / 1048576.0);
    std::fflush(stdout);
    lecture(nomMoteur, c, FoisLecture);
}

} // namespace

int main(int argc, char** argv) {
    if (aideDemandee(argc, argv, Usage))
        return 0;
    const bool lectureSeule = argc > 1 && std::strcmp(argv[argc - 1], "--lecture") == 0;
    ReglagesProcessus::appliquer();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    try {
        const ReportDefinition d = ReportDefinition::parse(Definition, QStringLiteral("bench"));
        QTemporaryDir dossier;
        {
            ParametresConnexion p = creerBaseBench(dossier.path(), remplir);
            Connexion c(p);
            mesurer("SQLite", c, dossier.path(), d, lectureSeule);
        }
        surServeurBench(QStringLiteral("bench_reports"), remplir, [&](Connexion& c, const QString&) {
            mesurer("PostgreSQL", c, dossier.path(), d, lectureSeule);
        });
    } catch (const ErreurExecution& e) {
        std::fprintf(stderr, "Échec : %s\n", qPrintable(e.description()));
        return 1;
    }
    return 0;
}
