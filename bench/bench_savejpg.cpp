// Times SaveJPG (temporary file, flush to disk and rename included) against QImage::save of the same
// picture in Format_RGB32, both at quality 90, into the same folder.
#include "OutilsBench.h"
#include "imaging/cDIBSection.h"
#include "imaging/mIntelJPEGLibrary.h"

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const char* const Usage =
    "Usage: bench_savejpg [--help] [FOLDER]\n"
    "\n"
    "Times mIntelJPEGLibrary::SaveJPG (temporary file, flush to disk and rename included) against\n"
    "QImage::save of the same 2000x1500 picture in Format_RGB32, both at quality 90, each over the file it\n"
    "wrote before, in a new folder under FOLDER (default: the temporary folder; give a folder on a real\n"
    "disk to measure it). Median of 15 runs.\n";

} // namespace

int main(int argc, char** argv) {
    if (aideDemandee(argc, argv, Usage))
        return 0;
    sansEcranParDefaut();
    QGuiApplication app(argc, argv);
    // The folder may be given, to measure on a real disk rather than the temporary folder's.
    QTemporaryDir dossier(argc > 1 ? QDir(QString::fromLocal8Bit(argv[1])).filePath("bench-XXXXXX")
                                   : QDir::temp().filePath("bench-XXXXXX"));
    if (!dossier.isValid()) {
        std::fprintf(stderr, "no folder to write in\n");
        return 1;
    }
    // A photograph-like picture: smooth gradients with some texture.
    cDIBSection dib;
    dib.Create(2000, 1500);
    for (qint32 y = 0; y < dib.Height(); ++y) {
        uchar* r = dib.DIBSectionBitsPtr() + qsizetype(y) * dib.BytesPerScanLine();
        for (qint32 x = 0; x < dib.Width(); ++x) {
            r[3 * x] = uchar((x / 8 + y / 16) & 0xFF);
            r[3 * x + 1] = uchar((y / 6) & 0xFF);
            r[3 * x + 2] = uchar(((x ^ y) & 0x3F) + x / 10);
        }
    }
    const QImage image = dib.versImage().convertToFormat(QImage::Format_RGB32);
    const QString nous = dossier.filePath("dorvane.jpg"), qt = dossier.filePath("qt.jpg");
    // Over an existing file too, as the article pictures are written.
    const double tNous = medianeMs(15, [&] { mIntelJPEGLibrary::SaveJPG(dib, nous, 90); });
    const double tQt = medianeMs(15, [&] { image.save(qt, "JPG", 90); });
    std::printf("SaveJPG 2000x1500 q90: %.2f ms   QImage::save RGB32 q90: %.2f ms   ratio %.2f   (%lld / "
                "%lld bytes)\n",
                tNous, tQt, tNous / tQt, QFileInfo(nous).size(), QFileInfo(qt).size());
    return 0;
}
