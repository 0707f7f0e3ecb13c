// The global refill sheet of the generator's 8 machines of 72 slots: CreerEtatRemplissageMach's step
// (RemplissageMachine, the rows written with their codes and prepared pictures) beside the routine's bare
// SELECT and a bare prepared INSERT per row with the prepared files' bytes; and the first build, which
// prepares every picture from 640 x 480 sources, per picture.
#include "DonneesBench.h"
#include "OutilsBench.h"
#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "db/Connexion.h"
#include "db/Routines.h"
#include "db/Valeurs.h"
#include "reports/ReportBuilders.h"
#include "reports/ReportData.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdio>
#include <vector>

namespace {

const char* const Usage =
    "Usage: bench_fiches_machine [--help]\n"
    "\n"
    "Over the generated data (bench/DonneesBench.h: 8 machines of 72 slots), TRemplissageMachine holding "
    "one\n"
    "line per slot of every machine (576 lines, as the global sheet writes them), article pictures as\n"
    "640 x 480 JPEG files in a picture folder of their own, the temporary folder a folder of its own:\n"
    "  1. the first build of the global sheet, every picture prepared: its time per picture prepared;\n"
    "  2. with the pictures prepared, CreerEtatRemplissageMach(8, 8, \"RemplissageMachine\") as the viewer\n"
    "     runs it (its transaction, both work tables held, ARemplissageMachine emptied and written, the\n"
    "     viewer's read left out) against, in the same run, a transaction running DELETE, the routine's\n"
    "     SELECT through a bare QSqlQuery and one bare prepared INSERT per row with the prepared file's\n"
    "     bytes read (target: 1.3 at most).\n"
    "One warm-up, then the median of 9 runs on each side, alternating; on SQLite each side starts from an\n"
    "empty write-ahead log (a checkpoint, untimed).\n"
    "SQLite always; PostgreSQL as well when DORVANE_TEST_PG holds a libpq connection string, e.g. under\n"
    "scripts/with-postgres.\n";

constexpr int Fois = 9;

// One refill line per slot of every machine, the floor left empty as the global sheet leaves it.
void lignesRemplissage(Connexion& c) {
    c.executer(QStringLiteral("DELETE FROM TRemplissageMachine"));
    c.executer(QStringLiteral("INSERT INTO TRemplissageMachine (Etage, Reference, CodeArticle, NbUnite, "
                              "Aremplir, NumMach) SELECT NULL, Reference, NULL, Qte, 20 - COALESCE(Qte, 0), "
                              "NoMachine FROM EmplacementsMachine1"));
}

// A 640 x 480 source for every picture the machines' articles name; their number.
int sourcesImages(Connexion& c, const QString& dossier) {
    QImage image(640, 480, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x % 256, y % 256, (x * y) % 256));
    QSqlQuery q = c.executer(QStringLiteral(
        "SELECT DISTINCT A.Image FROM TRemplissageMachine T JOIN ArticleEnStock A ON A.Reference = "
        "T.Reference WHERE A.Image IS NOT NULL"));
    int n = 0;
    while (q.next()) {
        image.save(QDir(dossier).filePath(q.value(0).toString() + QStringLiteral(".jpg")), "JPG", 90);
        ++n;
    }
    return n;
}

bool construire(Connexion& c) {
    return ReportBuilders::CreerEtatRemplissageMach(8, 8, QStringLiteral("RemplissageMachine"))(c, [] {});
}

// The bare side: the routine's SELECT, one prepared INSERT per row with the prepared file's bytes.
int nu(Connexion& c, const QString& temporaire) {
    TransactionEcriture t(c);
    c.verrouillerTable(QStringLiteral("TRemplissageMachine"));
    c.verrouillerTable(QStringLiteral("ARemplissageMachine"));
    c.executer(QStringLiteral("DELETE  FROM ARemplissageMachine"));
    // Read whole first, as the PostgreSQL driver holds one result at a time.
    std::vector<QList<QVariant>> lignes;
    lireNu(c, Routines::sqlRemplissageMachine(), lignes);
    QSqlQuery insertion(c.db());
    insertion.prepare(QStringLiteral(
        "INSERT INTO ARemplissageMachine (Etage, ReferenceArticle, Designation, RefFournisseur, CodeArticle, "
        "NbUnite, Aremplir, NoMachine, Location, Image, Picture) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    int n = 0;
    for (const QList<QVariant>& ligne : lignes) {
        for (int i = 0; i < 10; ++i)
            insertion.bindValue(i, ligne.at(i));
        QByteArray octets;
        if (!ligne.at(9).isNull()) {
            QFile f(QDir(temporaire)
                        .filePath(QStringLiteral("RPT") + ligne.at(9).toString() + QStringLiteral(".jpg")));
            if (f.open(QIODevice::ReadOnly))
                octets = f.readAll();
        }
        insertion.bindValue(10, octets.isNull() ? QVariant(QMetaType::fromType<QByteArray>()) : octets);
        if (!insertion.exec())
            throw ErreurExecution(ErreurExecution::ErreurBase, Connexion::texteErreur(insertion));
        ++n;
    }
    t.valider();
    return n;
}

void mesurer(const char* moteur, Connexion& c) {
    QTemporaryDir images, temporaire;
    EtatGlobal& g = Global();
    g.CheminImage = images.path();
    g.ImagesEnBase = false;
    g.LongeurCodeArticle = 4;
    qputenv("TMPDIR", temporaire.path().toUtf8());
    lignesRemplissage(c);
    const int sources = sourcesImages(c, images.path());

    QElapsedTimer chrono;
    chrono.start();
    construire(c);
    const double premier = chrono.nsecsElapsed() / 1e6;
    const int preparees =
        static_cast<int>(QDir(temporaire.path()).entryList({QStringLiteral("RPT*.jpg")}, QDir::Files).size());
    const qint64 lignes =
        Valeurs::lireEntier(c.valeurUnique(QStringLiteral("SELECT COUNT(*) FROM ARemplissageMachine")));
    const qint64 avecImage = Valeurs::lireEntier(
        c.valeurUnique(QStringLiteral("SELECT COUNT(*) FROM ARemplissageMachine WHERE Picture IS NOT NULL")));
    std::printf("%-10s | first build %8.1f ms | %d pictures prepared of %d sources | %.2f ms per picture | "
                "rows %lld, %lld with a picture\n",
                moteur, premier, preparees, sources, preparees > 0 ? premier / preparees : 0.0,
                static_cast<long long>(lignes), static_cast<long long>(avecImage));

    std::vector<double> etape, bare;
    int lignesNues = 0;
    // Every build writes some 400 pages of pictures: SQLite's automatic checkpoint would fall on every
    // other build, always the same side. Each side starts from an empty log, untimed.
    const auto pointDeControle = [&] {
        if (c.estSQLite())
            c.executer(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    };
    for (int i = 0; i <= Fois; ++i) {
        pointDeControle();
        chrono.restart();
        construire(c);
        const double a = chrono.nsecsElapsed() / 1e6;
        pointDeControle();
        chrono.restart();
        lignesNues = nu(c, temporaire.path());
        const double b = chrono.nsecsElapsed() / 1e6;
        if (i > 0) {
            etape.push_back(a);
            bare.push_back(b);
        }
    }
    const double me = mediane(etape), mn = mediane(bare);
    std::printf("%-10s | CreerEtatRemplissageMach step %7.1f ms | SELECT + bare INSERT per row %7.1f ms | "
                "ratio %.2f | rows %d\n",
                moteur, me, mn, mn > 0 ? me / mn : 0.0, lignesNues);
}

} // namespace

int main(int argc, char** argv) {
    if (aideDemandee(argc, argv, Usage))
        return 0;
    QCoreApplication app(argc, argv);
    return surLesDeuxBases(QStringLiteral("bench_fiches"), DonneesBench::remplir,
                           [](const char* moteur, Connexion& c) { mesurer(moteur, c); });
}
