// The machine window's global refill sheet of 200 machines from its computation to its PDF, beside bare
// statements doing the same work on the same connection and a bare QPdfWriter printing as many lines,
// alternately. SQLite, and PostgreSQL when DORVANE_TEST_PG is set.
#include "DonneesBench.h"
#include "OutilsBench.h"
#include "PdfNu.h"
#include "RemplissageNu.h"
#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "db/Connexion.h"
#include "db/Routines.h"
#include "db/Valeurs.h"
#include "machines/CalculRemplissage.h"
#include "reports/ReportBuilders.h"
#include "reports/ReportData.h"
#include "reports/ReportDefinition.h"
#include "reports/ReportEngine.h"

#include <QDir>
#include <QGuiApplication>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <cstdio>

namespace {

const char* const Usage =
    "Usage: bench_fiche_globale [--help]\n"
    "\n"
    "Fills a database with the shared generator (bench/DonneesBench.h) and its 200 machines\n"
    "(remplirMachines), then times the machine window's global refill sheet from its computation to its\n"
    "PDF, the pictures folder empty:\n"
    "  - ours: ReportData::read of \"RemplissageMachineGlobal.RPT\" over ARemplissageMachine with the\n"
    "    builder the window hands it (CreerEtatRemplissageMach: RemplissageMachineGlobal into\n"
    "    TRemplissageMachine, the routine RemplissageMachine into ARemplissageMachine, both tables held),\n"
    "    the shipped definition laid out by ReportEngine, the PDF written;\n"
    "  - bare: one transaction (BEGIN IMMEDIATE on SQLite, the tables locked on PostgreSQL) running the\n"
    "    same statements through QSqlQuery, the lines computed in a plain loop, both tables written in\n"
    "    lots of 16 rows through statements prepared once, the header written and the three tables read\n"
    "    back, then a QPdfWriter drawing as many text lines as our sheet prints.\n"
    "Both sides alternately, each first every other run, one warm-up then 7 timed runs each; medians and\n"
    "the ratio (target: under 1.3); the rows of ARemplissageMachine are checked against each other.\n"
    "SQLite always (a temporary folder); PostgreSQL as well when DORVANE_TEST_PG holds a libpq connection\n"
    "string, e.g. under scripts/with-postgres.\n";

constexpr int Fois = 7;
const QString Titre = QStringLiteral("Fiche global de réapprovisionnement");
const QString Fichier = QStringLiteral("RemplissageMachineGlobal.RPT");

// Ours, as the window prints it; the number of lines it prints.
qint64 notre(Connexion& c, const QList<CalculRemplissage::Machine>& liste, const ReportDefinition& d,
             const QString& pdf) {
    ReportData::Request r;
    r.fileName = Fichier;
    r.title = Titre;
    r.source = QStringLiteral("ARemplissageMachine  order by ReferenceArticle");
    r.builder = ReportBuilders::CreerEtatRemplissageMach(
        liste.last().noMachine, static_cast<int>(liste.size()), QStringLiteral("RemplissageMachine"),
        [&liste](Connexion& k) {
            CalculRemplissage::RemplissageMachineGlobal(k, liste);
            return true;
        });
    const ReportData::Snapshot s = ReportData::read(c, r);
    const ReportDocument doc = ReportEngine::layout(d, s.tables);
    doc.writePdf(pdf, Titre);
    return lignesImprimees(doc);
}

// The bare side's rows of ARemplissageMachine: the routine's SELECT, the code as the sheet prints it,
// no picture (the folder holds none).
void ficheNue(Connexion& c) {
    sqlNu(c, QStringLiteral("DELETE FROM ARemplissageMachine"));
    std::vector<QList<QVariant>> rangs;
    lireNu(c, Routines::sqlRemplissageMachine(), rangs);
    const QString entete = QStringLiteral("INSERT INTO ARemplissageMachine (Etage, ReferenceArticle, "
                                          "Designation, RefFournisseur, CodeArticle, NbUnite, Aremplir, "
                                          "NoMachine, Location, Image, Picture) VALUES ");
    const QString ligne = QStringLiteral("(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    const QVariant sansImage(QMetaType::fromType<QByteArray>());
    QSqlQuery lot(c.db());
    bool prepare = false;
    QVariantList valeurs;
    int n = 0;
    auto ecrire = [&] {
        if (n == 0)
            return;
        if (n < 16) {
            sqlNu(c, entete + QStringList(n, ligne).join(QStringLiteral(", ")), valeurs);
        } else {
            if (!prepare &&
                !(prepare = lot.prepare(entete + QStringList(16, ligne).join(QStringLiteral(", ")))))
                throw ErreurExecution(ErreurExecution::ErreurBase, Connexion::texteErreur(lot));
            for (int i = 0; i < valeurs.size(); ++i)
                lot.bindValue(i, valeurs.at(i));
            if (!lot.exec())
                throw ErreurExecution(ErreurExecution::ErreurBase, Connexion::texteErreur(lot));
        }
        valeurs.clear();
        n = 0;
    };
    for (const QList<QVariant>& r : rangs) {
        const QVariant code = r[4].isNull()
                                  ? QVariant(QMetaType::fromType<QString>())
                                  : QVariant(QString::number(r[4].toLongLong()).rightJustified(2, u'0'));
        valeurs << r[0] << r[1] << r[2] << r[3] << code << r[5] << r[6] << r[7] << r[8] << r[9] << sansImage;
        if (++n == 16)
            ecrire();
    }
    ecrire();
}

void nue(Connexion& c, const QList<CalculRemplissage::Machine>& liste, qint64 lignes, const QString& pdf) {
    std::vector<QList<QVariant>> fiche, info, societe;
    debutNu(c);
    if (!c.estSQLite())
        sqlNu(c, QStringLiteral("LOCK TABLE ARemplissageMachine IN EXCLUSIVE MODE"));
    remplissageNu(c, liste);
    ficheNue(c);
    if (!c.estSQLite())
        sqlNu(c, QStringLiteral("LOCK TABLE InfoEtat IN EXCLUSIVE MODE"));
    sqlNu(c, QStringLiteral("DELETE FROM InfoEtat"));
    sqlNu(c, QStringLiteral("INSERT INTO InfoEtat (Titre, Periode) VALUES (?, ?)"), {Titre, QString()});
    lireNu(c, QStringLiteral("SELECT * FROM ARemplissageMachine  order by ReferenceArticle"), fiche);
    lireNu(c, QStringLiteral("SELECT * FROM InfoEtat"), info);
    lireNu(c, QStringLiteral("SELECT * FROM InfoSociete"), societe);
    finNue(c);
    PdfNu sortie(pdf);
    for (size_t i = 0; i < fiche.size() && lignes > 0; ++i, --lignes) {
        QString texte;
        for (const QVariant& v : fiche[i])
            texte += v.toString() + u' ';
        sortie.ligne(texte.left(120));
    }
    for (; lignes > 0; --lignes)
        sortie.ligne(QStringLiteral("Total %1").arg(lignes));
}

// The rows of ARemplissageMachine summed into one figure.
QString bilan(Connexion& c) {
    QSqlQuery q = c.executer(QStringLiteral("SELECT COUNT(*), SUM(NbUnite), SUM(Aremplir), SUM(NoMachine * "
                                            "ReferenceArticle), COUNT(CodeArticle), "
                                            "COUNT(Image) FROM ARemplissageMachine"));
    q.next();
    QStringList t;
    for (int i = 0; i < 6; ++i)
        t << QString::number(q.value(i).toDouble(), 'f', 2);
    return t.join(u' ');
}

void mesurer(const char* moteur, Connexion& c) {
    QTemporaryDir images, sortie;
    Global().CheminImage = images.path();
    Global().ImagesEnBase = false;
    const ReportDefinition d = ReportDefinition::load(
        QDir(QStringLiteral(DORVANE_RESOURCES_DIR)).filePath(QStringLiteral("RPT SQL")), Fichier);
    const QList<CalculRemplissage::Machine> liste = machines(c);
    const QString pdf = sortie.filePath(QStringLiteral("notre.pdf")),
                  pdfNu = sortie.filePath(QStringLiteral("nu.pdf"));
    const qint64 lignes = notre(c, liste, d, pdf);
    const QString attendu = bilan(c);
    const auto [r, n] =
        alterner([&] { notre(c, liste, d, pdf); }, [&] { nue(c, liste, lignes, pdfNu); }, Fois);
    nue(c, liste, lignes, pdfNu);
    const QString obtenu = bilan(c);
    const bool juste = attendu == obtenu && !attendu.startsWith(u'0');
    std::printf("%-10s | global sheet of %lld machines, %s rows, %lld lines printed | ours %7.1f ms | "
                "QSqlQuery + QPdfWriter %7.1f ms | ratio %.2f | %s\n",
                moteur, static_cast<long long>(liste.size()), qPrintable(attendu.section(u' ', 0, 0)),
                static_cast<long long>(lignes), r, n, n > 0 ? r / n : 0.0, juste ? "checked" : "WRONG");
    if (!juste)
        throw ErreurExecution(ErreurExecution::ErreurBase,
                              QStringLiteral("rows differ: %1 / %2").arg(attendu, obtenu));
}

} // namespace

int main(int argc, char** argv) {
    if (aideDemandee(argc, argv, Usage))
        return 0;
    sansEcranParDefaut();
    QGuiApplication app(argc, argv);
    return surLesDeuxBases(
        QStringLiteral("bench_fiche_globale"),
        [](Connexion& c) {
            DonneesBench::remplir(c);
            DonneesBench::remplirMachines(c, 200);
        },
        [](const char* moteur, Connexion& c) { mesurer(moteur, c); });
}
