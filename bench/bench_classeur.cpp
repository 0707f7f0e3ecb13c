// The employee-import workbook: every cell of a 10,000 x 7 sheet read through ClasseurXls, whose freexl
// runs in the reader process beside this executable, beside a bare freexl loop over the same cells in this
// process. Both timings include freexl_open (the whole parse), the reader's its start and the transfer of
// the cells; they are taken alternately in the same run.

#include "OutilsBench.h"
#include "staff/ClasseurXls.h"

#include <QDir>
#include <QTemporaryDir>
#include <freexl.h>

#ifndef DORVANE_SCRIPT_CLASSEURS
#error "DORVANE_SCRIPT_CLASSEURS must name the workbook script"
#endif

namespace {

const char* const kUsage =
    "bench_classeur [--lignes N] [--tours N]\n"
    "  Writes a .xls of N rows (default 10000) by 7 columns with /usr/bin/python3 and python3-xlwt,\n"
    "  then reads every cell through the reader and through bare freexl, alternately, N tours (7).\n";

// The bare engine: open, choose the sheet, read every cell's value into a variant.
double lireNu(const QByteArray& chemin, qint64& cellules) {
    QElapsedTimer t;
    t.start();
    const void* h = nullptr;
    if (freexl_open(chemin.constData(), &h) != FREEXL_OK)
        return -1;
    freexl_select_active_worksheet(h, 0);
    unsigned lignes = 0;
    unsigned short colonnes = 0;
    freexl_worksheet_dimensions(h, &lignes, &colonnes);
    cellules = 0;
    for (unsigned l = 1; l < lignes; ++l) {
        for (unsigned short c = 0; c < colonnes; ++c) {
            FreeXL_CellValue v;
            if (freexl_get_cell_value(h, l, c, &v) != FREEXL_OK)
                continue;
            QVariant valeur;
            switch (v.type) {
            case FREEXL_CELL_INT:
                valeur = double(v.value.int_value);
                break;
            case FREEXL_CELL_DOUBLE:
                valeur = v.value.double_value;
                break;
            case FREEXL_CELL_TEXT:
            case FREEXL_CELL_SST_TEXT:
                valeur = QString::fromUtf8(v.value.text_value);
                break;
            default:
                break;
            }
            cellules += valeur.isValid() ? 1 : 0;
        }
    }
    freexl_close(h);
    return t.nsecsElapsed() / 1e6;
}

double lireClasseur(const QString& chemin, qint64& cellules) {
    QElapsedTimer t;
    t.start();
    ClasseurXls x;
    if (!x.ouvrir(chemin) || !x.feuille(QStringLiteral("Feuil1")))
        return -1;
    cellules = 0;
    for (int l = 0; l < x.nombreLignes(); ++l)
        for (int c = 0; c < x.nombreColonnes(); ++c)
            cellules += x.cellule(l, c).isValid() ? 1 : 0;
    return t.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    if (aideDemandee(argc, argv, kUsage))
        return 0;
    QCoreApplication app(argc, argv);
    int lignes = 10000, tours = 7;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--lignes") == 0)
            lignes = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--tours") == 0)
            tours = std::atoi(argv[++i]);
    }
    QTemporaryDir dir;
    const QString fichier = dir.filePath(QStringLiteral("bench.xls"));
    if (!ecrireClasseurBench(QStringLiteral(DORVANE_SCRIPT_CLASSEURS), QStringLiteral("--bench"), fichier,
                             lignes))
        return 1;
    std::vector<double> nu, lecteur;
    qint64 cellulesNu = 0, cellulesLecteur = 0;
    for (int t = 0; t < tours; ++t) {
        nu.push_back(lireNu(QFile::encodeName(fichier), cellulesNu));
        lecteur.push_back(lireClasseur(fichier, cellulesLecteur));
    }
    const double mNu = mediane(nu), mLecteur = mediane(lecteur);
    std::printf("%d rows x 7 columns, median of %d, freexl_open included\n", lignes, tours);
    std::printf("  bare freexl   %8.1f ms  (%lld cells)\n", mNu, static_cast<long long>(cellulesNu));
    std::printf("  ClasseurXls   %8.1f ms  (%lld cells)\n", mLecteur,
                static_cast<long long>(cellulesLecteur));
    std::printf("  ratio         %8.2f  (target 1.3)\n", mLecteur / mNu);
    return mLecteur <= 1.3 * mNu ? 0 : 2;
}
