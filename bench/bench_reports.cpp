// A consumption report over the 100,000 lines of CA, grouped per employee with sums, to PDF, beside the
// same SELECT and the same number of text lines drawn by a bare QPdfWriter; then the resident memory. Then
// the shipped report per machine end to end, CA built included, beside the same build and the same.
#include "DonneesBench.h"
#include "OutilsBench.h"
#include "PdfNu.h"
#include "app/ReglagesProcessus.h"
#include "common/ErreurExecution.h"
#include "db/Connexion.h"
#include "db/Routines.h"
#include "db/Valeurs.h"
#include "reports/ReportBuilders.h"
#include "reports/ReportData.h"
#include "reports/ReportEngine.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>
#include <malloc.h>
#include <memory>
#include <optional>
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
    "Then the shipped \"ConsParMachine.rpt\" (a group per machine with its place from Machines, a line per\n"
    "article) as the viewer prints it: EtatCA and the read of its four tables in one transaction, the\n"
    "definition read, laid out, written as PDF; beside it, EtatCA, the bare SELECT * FROM CA and a\n"
    "QPdfWriter drawing as many text lines as the report prints. The two sides alternate, 5 runs each,\n"
    "medians.\n"
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

// The pages, items and text lines of a laid-out report.
void compter(const ReportDocument& doc, Temps& t) {
    t.pages = doc.pageCount();
    for (int p = 0; p < doc.pageCount(); ++p)
        t.elements += doc.items(p).size();
    t.lignes = lignesImprimees(doc);
}

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
    compter(doc, t);
    return t;
}

// The report per machine as the viewer prints it over the generator's whole period: EtatCA and the tables
// read in its transaction (`lecture`), the shipped definition read and laid out, the PDF.
Temps parMachine(Connexion& c, const QString& fichier) {
    Temps t;
    QElapsedTimer chrono;
    chrono.start();
    ReportDocument doc;
    {
        const QString debut = DonneesBench::premierJour().toString(QStringLiteral("dd/MM/yyyy"));
        const QString fin = DonneesBench::dernierJour().toString(QStringLiteral("dd/MM/yyyy"));
        ReportData::Request r;
        r.fileName = QStringLiteral("ConsParMachine.rpt");
        r.title = QStringLiteral("Consommations par Machines");
        r.period = ReportData::periodLine(debut, fin, true);
        r.source = QStringLiteral("CA");
        r.builder = ReportBuilders::etatCA({true, debut, fin});
        const ReportData::Snapshot s = ReportData::read(c, r);
        t.lignesCA = s.tables.at(0).rowCount();
        t.lecture = chrono.nsecsElapsed() / 1e6;
        chrono.restart();
        doc = ReportEngine::layout(
            ReportDefinition::load(
                QDir(QStringLiteral(DORVANE_RESOURCES_DIR)).filePath(QStringLiteral("RPT SQL")), r.fileName),
            s.tables);
        t.miseEnPage = chrono.nsecsElapsed() / 1e6;
    }
    chrono.restart();
    doc.writePdf(fichier, QStringLiteral("Consommations par Machines"));
    t.pdf = chrono.nsecsElapsed() / 1e6;
    compter(doc, t);
    return t;
}

// The reference: the same SELECT, one line per row of its values, and as many lines in all as the
// report prints (rows first, then short ones, as totals are), 50 a page, at the same resolution.
void reference(Connexion& c, const QString& fichier, qint64 lignes) {
    std::vector<QString> rangs;
    QSqlQuery q = c.executer(QStringLiteral("SELECT * FROM CA"));
    while (q.next()) {
        QString texte;
        for (int i = 0; i < 20; ++i)
            texte += q.value(i).toString() + u' ';
        rangs.push_back(texte.left(120));
    }

    PdfNu sortie(fichier);
    for (size_t i = 0; i < rangs.size() && lignes > 0; ++i, --lignes)
        sortie.ligne(rangs[i]);
    for (; lignes > 0; --lignes)
        sortie.ligne(QStringLiteral("Total %1").arg(lignes));
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
    std::optional<ReportTable> table;
    std::vector<QList<QVariant>> rangs;
    const auto [nous, eux] = alterner(
        [&] {
            table = ReportTable::read(c, QStringLiteral("CA"));
            lignes = table->rowCount();
        },
        [&] { lireNu(c, QStringLiteral("SELECT * FROM CA"), rangs); }, fois,
        [&] {
            table.reset();
            rangs.clear();
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
    const auto [nous, eux] =
        alterner([&] { t = moteur(c, d, etat); }, [&] { reference(c, ref, lignes); }, FoisEtat);
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

// The report per machine and its reference, alternately, the reference building CA as EtatCA does.
void mesurerParMachine(const char* nomMoteur, Connexion& c, const QString& dossier) {
    const QString etat = QDir(dossier).filePath(QStringLiteral("machines.pdf"));
    const QString ref = QDir(dossier).filePath(QStringLiteral("machines-reference.pdf"));
    Temps t = parMachine(c, etat);
    std::vector<double> nous, eux, lecture, miseEnPage, pdf;
    for (int i = 0; i < 10; ++i) {
        QElapsedTimer chrono;
        chrono.start();
        if ((i % 2 == 0) == (i / 2 % 2 == 0)) {
            t = parMachine(c, etat);
            nous.push_back(chrono.nsecsElapsed() / 1e6);
            lecture.push_back(t.lecture);
            miseEnPage.push_back(t.miseEnPage);
            pdf.push_back(t.pdf);
        } else {
            Routines::EtatCA(c, Valeurs::debutPeriode(DonneesBench::premierJour()),
                             Valeurs::finPeriode(DonneesBench::dernierJour()));
            reference(c, ref, t.lignes);
            eux.push_back(chrono.nsecsElapsed() / 1e6);
        }
    }
    std::printf(
        "%-10s ConsParMachine.rpt, CA %lld rows: %d pages, %lld text lines | end to end %.0f ms (EtatCA "
        "and read %.0f, layout %.0f, PDF %.0f) | EtatCA + QSqlQuery + QPdfWriter %.0f ms | ratio %.2f\n",
        nomMoteur, static_cast<long long>(t.lignesCA), t.pages, static_cast<long long>(t.lignes),
        mediane(nous), mediane(lecture), mediane(miseEnPage), mediane(pdf), mediane(eux),
        mediane(nous) / mediane(eux));
}

} // namespace

int main(int argc, char** argv) {
    if (aideDemandee(argc, argv, Usage))
        return 0;
    const bool lectureSeule = argc > 1 && std::strcmp(argv[argc - 1], "--lecture") == 0;
    ReglagesProcessus::appliquer();
    sansEcranParDefaut();
    QGuiApplication app(argc, argv);
    try {
        const ReportDefinition d = ReportDefinition::parse(Definition, QStringLiteral("bench"));
        QTemporaryDir dossier;
        {
            ParametresConnexion p = creerBaseBench(dossier.path(), remplir);
            Connexion c(p);
            mesurer("SQLite", c, dossier.path(), d, lectureSeule);
            if (!lectureSeule)
                mesurerParMachine("SQLite", c, dossier.path());
        }
        surServeurBench(QStringLiteral("bench_reports"), remplir, [&](Connexion& c, const QString&) {
            mesurer("PostgreSQL", c, dossier.path(), d, lectureSeule);
            if (!lectureSeule)
                mesurerParMachine("PostgreSQL", c, dossier.path());
        });
    } catch (const ErreurExecution& e) {
        std::fprintf(stderr, "Échec : %s\n", qPrintable(e.description()));
        return 1;
    }
    return 0;
}
