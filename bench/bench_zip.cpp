// Times packing a 20 MB file into a zip archive (ZipClass::AddFile and WriteZip) against the bare work
// it rests on: reading the file, zlib's crc32 and compress over it, writing the result to a file.
#include "FichierMixte.h"
#include "OutilsBench.h"
#include "mail/ZipClass.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>
#include <zlib.h>

namespace {

const char* const Usage =
    "Usage: bench_zip [--help] [FOLDER]\n"
    "\n"
    "Packs a 20 MB file (half text, half random bytes) into a zip archive with ZipClass::AddFile and\n"
    "WriteZip, and times it against reading the same file, calling zlib's crc32 and compress on it and\n"
    "writing the result to a file, in a new folder under FOLDER (default: the temporary folder). Median\n"
    "of 7 runs each; the peak resident memory of one run of each, alone in a process of its own\n"
    "(/proc/self/status, the peak reset through clear_refs), above the resident size before the run.\n";

constexpr qsizetype Taille = 20 * 1000 * 1000;

void reference(const QString& fichier, const QString& sortie) {
    QFile f(fichier);
    if (!f.open(QIODevice::ReadOnly))
        std::exit(1);
    const QByteArray contenu = f.readAll();
    const auto* octets = reinterpret_cast<const Bytef*>(contenu.constData());
    const uLong crc = crc32(0, octets, static_cast<uInt>(contenu.size()));
    uLongf longueur = compressBound(static_cast<uLong>(contenu.size()));
    QByteArray flux(static_cast<qsizetype>(longueur), Qt::Uninitialized);
    if (compress(reinterpret_cast<Bytef*>(flux.data()), &longueur, octets,
                 static_cast<uLong>(contenu.size())) != Z_OK)
        std::exit(1);
    QFile o(sortie);
    if (!o.open(QIODevice::WriteOnly) || o.write(flux.constData(), static_cast<qint64>(longueur)) < 0 ||
        o.write(reinterpret_cast<const char*>(&crc), 4) != 4)
        std::exit(1);
}

void nous(const QString& fichier, const QString& archive) {
    ZipClass zip;
    if (!zip.AddFile(fichier) || !zip.WriteZip(archive, true))
        std::exit(1);
}

// Runs one side in a new process of this benchmark; its peak resident memory above its start, in MB.
double picEnfant(const QString& cote, const QString& fichier, const QString& sortie) {
    QProcess p;
    p.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--pic"), cote, fichier, sortie});
    if (!p.waitForFinished(120000) || p.exitCode() != 0) {
        std::fprintf(stderr, "the %s run failed\n", qPrintable(cote));
        return -1;
    }
    return p.readAllStandardOutput().trimmed().toDouble();
}

} // namespace

int main(int argc, char** argv) {
    if (aideDemandee(argc, argv, Usage))
        return 0;
    QCoreApplication app(argc, argv);
    if (argc == 5 && std::strcmp(argv[1], "--pic") == 0) {
        const QString fichier = QString::fromLocal8Bit(argv[3]), sortie = QString::fromLocal8Bit(argv[4]);
        remettrePic();
        const double avant = memoire("VmRSS:");
        if (std::strcmp(argv[2], "nous") == 0)
            nous(fichier, sortie);
        else
            reference(fichier, sortie);
        std::printf("%.2f\n", memoire("VmHWM:") - avant);
        return 0;
    }
    QTemporaryDir dossier(argc > 1 ? QDir(QString::fromLocal8Bit(argv[1])).filePath("bench-XXXXXX")
                                   : QDir::temp().filePath("bench-XXXXXX"));
    const QString fichier = dossier.filePath("export.csv");
    if (!dossier.isValid() || !FichierMixte::ecrire(fichier, Taille)) {
        std::fprintf(stderr, "no folder to write in\n");
        return 1;
    }
    const QString archive = dossier.filePath("export.zip"), sortie = dossier.filePath("export.z");

    // The peak memory of each, measured alone in a process of its own (a heap that has already held the
    // other's buffers would hide part of it).
    const double picNous = picEnfant(QStringLiteral("nous"), fichier, archive);
    const double picReference = picEnfant(QStringLiteral("reference"), fichier, sortie);
    if (picNous < 0 || picReference < 0)
        return 1;

    const double tNous = medianeMs(7, [&] { nous(fichier, archive); });
    const double tReference = medianeMs(7, [&] { reference(fichier, sortie); });
    const double mo = Taille / 1048576.0;
    std::printf(
        "20 MB file: AddFile + WriteZip %.1f ms   read + crc32 + compress + write %.1f ms   ratio %.2f\n",
        tNous, tReference, tNous / tReference);
    std::printf(
        "peak memory above the start: ZipClass %.1f MB (%.2f x the file)   reference %.1f MB (%.2f x)\n",
        picNous, picNous / mo, picReference, picReference / mo);
    std::printf("archive %lld bytes, bare stream %lld bytes\n", QFileInfo(archive).size(),
                QFileInfo(sortie).size());
    return 0;
}
