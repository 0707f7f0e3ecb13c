// Times uuencoding a 20 MB attachment (Email::EncoderPieceJointeUU, its progress followed as a host follows
// it) against a bare loop that reads the same file and writes the same lines, without events or progress.
#include "FichierMixte.h"
#include "OutilsBench.h"
#include "mail/Email.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

const char* const Usage =
    "Usage: bench_uuencode [--help] [FOLDER]\n"
    "\n"
    "Uuencodes a 20 MB file (half text, half random bytes) with Email::EncoderPieceJointeUU, a receiver\n"
    "connected to its progress, and times it against a bare loop that reads the same file whole and writes\n"
    "the same block (45 bytes a line, blanks as \"`\", CR LF), in a new folder under FOLDER (default: the\n"
    "temporary folder). Median of 9 runs each; the peak resident memory of one run of each, alone in a\n"
    "process of its own (/proc/self/status, the peak reset through clear_refs), above the resident size\n"
    "before the run, against the size of the block.\n";

constexpr qsizetype Taille = 20 * 1000 * 1000;

char caractere(unsigned v) {
    return v == 0 ? '`' : static_cast<char>(32 + v);
}

QByteArray reference(const QString& fichier) {
    QFile f(fichier);
    if (!f.open(QIODevice::ReadOnly))
        std::exit(1);
    const QByteArray contenu = f.readAll();
    const auto* o = reinterpret_cast<const unsigned char*>(contenu.constData());
    const qsizetype n = contenu.size();
    const QByteArray debut = "begin 664 " + QFileInfo(fichier).fileName().toLatin1() + "\r\n";
    QByteArray bloc(debut.size() + (n / 45 + 1) * 63 + 8, Qt::Uninitialized);
    char* s = std::copy(debut.begin(), debut.end(), bloc.data());
    for (qsizetype p = 0;; p += 45) {
        const qsizetype l = std::min<qsizetype>(45, n - p);
        *s++ = caractere(static_cast<unsigned>(l));
        for (qsizetype i = 0; i < l; i += 3) {
            const unsigned b1 = o[p + i], b2 = i + 1 < l ? o[p + i + 1] : ' ',
                           b3 = i + 2 < l ? o[p + i + 2] : ' ';
            *s++ = caractere(b1 >> 2);
            *s++ = caractere(((b1 & 3) << 4) | (b2 >> 4));
            *s++ = caractere(((b2 & 15) << 2) | (b3 >> 6));
            *s++ = caractere(b3 & 63);
        }
        *s++ = '\r';
        *s++ = '\n';
        if (l < 45)
            break;
    }
    s = std::copy_n("`\r\nend\r\n", 8, s);
    bloc.truncate(s - bloc.constData());
    return bloc;
}

QByteArray nous(const QString& fichier) {
    Email email;
    qint64 evenements = 0;
    QObject::connect(&email, &Email::ProgressionPieceJointe,
                     [&](bool, const QString&, int) { ++evenements; });
    QByteArray bloc = email.EncoderPieceJointeUU(fichier);
    if (evenements != Taille / 45 + 2)
        std::exit(1);
    return bloc;
}

// Runs one side in a new process of this benchmark; its peak resident memory above its start, in MB.
double picEnfant(const QString& cote, const QString& fichier) {
    QProcess p;
    p.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--pic"), cote, fichier});
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
    if (argc == 4 && std::strcmp(argv[1], "--pic") == 0) {
        const QString fichier = QString::fromLocal8Bit(argv[3]);
        remettrePic();
        const double avant = memoire("VmRSS:");
        const QByteArray bloc = std::strcmp(argv[2], "nous") == 0 ? nous(fichier) : reference(fichier);
        std::printf("%.2f\n", memoire("VmHWM:") - avant);
        return bloc.isEmpty() ? 1 : 0;
    }
    QTemporaryDir dossier(argc > 1 ? QDir(QString::fromLocal8Bit(argv[1])).filePath("bench-XXXXXX")
                                   : QDir::temp().filePath("bench-XXXXXX"));
    const QString fichier = dossier.filePath("export.xls");
    if (!dossier.isValid() || !FichierMixte::ecrire(fichier, Taille)) {
        std::fprintf(stderr, "no folder to write in\n");
        return 1;
    }
    const QByteArray bloc = nous(fichier);
    if (bloc != reference(fichier)) {
        std::fprintf(stderr, "the two blocks differ\n");
        return 1;
    }

    const double picNous = picEnfant(QStringLiteral("nous"), fichier);
    const double picReference = picEnfant(QStringLiteral("reference"), fichier);
    if (picNous < 0 || picReference < 0)
        return 1;

    const double tNous = medianeMs(9, [&] { nous(fichier); });
    const double tReference = medianeMs(9, [&] { reference(fichier); });
    const double mo = bloc.size() / 1048576.0;
    std::printf("20 MB file: EncoderPieceJointeUU %.1f ms   bare loop %.1f ms   ratio %.2f\n", tNous,
                tReference, tNous / tReference);
    std::printf(
        "block %.1f MB; peak memory above the start: EncoderPieceJointeUU %.1f MB (%.2f x the block)   "
        "bare loop %.1f MB (%.2f x)\n",
        mo, picNous, picNous / mo, picReference, picReference / mo);
    return 0;
}
