// The employee list "Salariés par Service" over the generator's 50,000 employees, end to end as the viewer
// makes it, beside a bare QSqlQuery on the same view and a QPdfWriter drawing as many lines.
#include "DonneesBench.h"
#include "OutilsBench.h"
#include "PdfNu.h"
#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "db/Connexion.h"
#include "reports/ReportData.h"
#include "reports/ReportEngine.h"

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <cstdio>

namespace {

const char* const Usage =
    "Usage: bench_liste_salaries [--help]\n"
    "\n"
    "Times the employee list \"Salariés par Service\" (SalarieService.RPT of resources/RPT SQL) over the\n"
    "50,000 employees of the generated data (bench/DonneesBench.h), as the viewer makes it: the header\n"
    "written and GrUtilisateur and InfoSociete read in one transaction, the definition read, the report\n"
    "laid out (grouped per service, counted) and written as PDF. Beside it, in the same run: SELECT * FROM\n"
    "GrUtilisateur through a bare QSqlQuery, every row's values made into a line, and a QPdfWriter at the\n"
    "same resolution drawing as many text lines as the report prints (one drawText each, 50 a page). The\n"
    "two sides alternate, 7 runs each after one of each to warm up; medians. SQLite, and PostgreSQL when\n"
    "DORVANE_TEST_PG holds a libpq connection string.\n";

const QString Fichier = QStringLiteral("SalarieService.RPT");

struct Mesure {
    double lecture = 0, miseEnPage = 0, pdf = 0;
    int salaries = 0;
    int pages = 0;
    qint64 lignes = 0;
};

Mesure etat(Connexion& c, const QString& pdf) {
    Mesure m;
    QElapsedTimer chrono;
    chrono.start();
    ReportData::Request r;
    r.fileName = Fichier;
    r.title = QStringLiteral("Salariés par Service");
    r.period = ReportData::periodLine(QStringLiteral("01/11/2026"), QStringLiteral("30/11/2026"), true);
    r.source = QStringLiteral("GrUtilisateur");
    ReportDocument doc;
    {
        const ReportDefinition d =
            ReportDefinition::load(QDir(QStringLiteral(DORVANE_RESOURCES_DIR)).filePath("RPT SQL"), Fichier);
        const ReportData::Snapshot s = ReportData::read(c, r);
        m.salaries = s.tables.at(0).rowCount();
        m.lecture = chrono.nsecsElapsed() / 1e6;
        chrono.restart();
        doc = ReportEngine::layout(d, s.tables);
        m.miseEnPage = chrono.nsecsElapsed() / 1e6;
    }
    chrono.restart();
    doc.writePdf(pdf, r.title);
    m.pdf = chrono.nsecsElapsed() / 1e6;
    m.pages = doc.pageCount();
    m.lignes = lignesImprimees(doc);
    return m;
}

// The same rows, one line each of their values, and as many lines in all as the report prints.
void reference(Connexion& c, const QString& pdf, qint64 lignes) {
    PdfNu sortie(pdf);
    QSqlQuery q(c.db());
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT * FROM GrUtilisateur")))
        throw ErreurExecution(ErreurExecution::ErreurBase, Connexion::texteErreur(q),
                              QStringLiteral("bench"));
    const int n = q.record().count();
    while (q.next()) {
        QString texte;
        for (int i = 0; i < n; ++i)
            texte += q.value(i).toString() + u' ';
        sortie.ligne(texte.left(120));
        --lignes;
    }
    for (; lignes > 0; --lignes)
        sortie.ligne(QStringLiteral("Total %1").arg(lignes));
}

void mesurer(const char* moteur, Connexion& c, const QString& dossier) {
    const QString nous = QDir(dossier).filePath(QStringLiteral("etat.pdf"));
    const QString eux = QDir(dossier).filePath(QStringLiteral("reference.pdf"));
    Mesure m = etat(c, nous);
    reference(c, eux, m.lignes);
    std::vector<double> tNous, tEux, lecture, miseEnPage, pdf;
    QElapsedTimer chrono;
    for (int i = 0; i < 7; ++i) {
        chrono.start();
        m = etat(c, nous);
        tNous.push_back(chrono.nsecsElapsed() / 1e6);
        lecture.push_back(m.lecture);
        miseEnPage.push_back(m.miseEnPage);
        pdf.push_back(m.pdf);
        chrono.start();
        reference(c, eux, m.lignes);
        tEux.push_back(chrono.nsecsElapsed() / 1e6);
    }
    const double a = mediane(tNous), b = mediane(tEux);
    std::printf("%-10s %d employees: %d pages, %lld text lines | report %.0f ms (read %.0f, layout %.0f, PDF "
                "%.0f) | QSqlQuery + QPdfWriter %.0f ms | ratio %.2f\n",
                moteur, m.salaries, m.pages, static_cast<long long>(m.lignes), a, mediane(lecture),
                mediane(miseEnPage), mediane(pdf), b, a / b);
}

void remplir(Connexion& c) {
    DonneesBench::remplir(c);
    c.executer(QStringLiteral("UPDATE InfoSociete SET NOM = 'Société Élan'"));
}

} // namespace

int main(int argc, char** argv) {
    if (aideDemandee(argc, argv, Usage))
        return 0;
    sansEcranParDefaut();
    QGuiApplication app(argc, argv);
    reinitialiserEtatGlobal();
    QTemporaryDir sorties;
    return surLesDeuxBases(QStringLiteral("bench_liste_salaries"), remplir,
                           [&](const char* moteur, Connexion& c) { mesurer(moteur, c, sorties.path()); });
}
