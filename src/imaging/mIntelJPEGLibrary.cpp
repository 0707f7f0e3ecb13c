#include "imaging/mIntelJPEGLibrary.h"

#include "common/EchecEcriture.h"
#include "common/ErreurExecution.h"
#include "imaging/cDIBSection.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QImageWriter>
#include <QSaveFile>

#include <sys/stat.h>

namespace mIntelJPEGLibrary {

namespace {

QString sourceErreur() {
    QString programme;
    if (QCoreApplication::instance())
        programme = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    if (programme.isEmpty())
        programme = QStringLiteral("dorvane");
    return programme + QStringLiteral(".mIntelJPEGLibrary");
}

[[noreturn]] void echecEcriture(int code, const QString& raison = QString()) {
    throw ErreurExecution(ErreurExecution::JpegEchec,
                          QStringLiteral("Failed to save to JPG ") + QString::number(code) +
                              (raison.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(raison)),
                          sourceErreur());
}

[[noreturn]] void accesRefuse() {
    throw ErreurExecution(ErreurExecution::PathFileAccess, QStringLiteral("Path/File access error"),
                          sourceErreur());
}

} // namespace

bool SaveJPG(const cDIBSection& cDib, QString sFile, qint32 lQuality) {
    if (!QImageWriter::supportedImageFormats().contains("jpeg"))
        throw ErreurExecution(ErreurExecution::JpegEchec,
                              QStringLiteral("Failed to initialise the IJL library: ") +
                                  QString::number(int(QImageWriter::UnsupportedFormatError)),
                              sourceErreur());

    // An existing target must be a file we may replace; its times and permissions go onto the new one.
    const QFileInfo cible(sFile);
    struct stat ancien {};
    const bool existait = ::stat(QFile::encodeName(cible.absoluteFilePath()).constData(), &ancien) == 0;
    if (existait) {
        const QFileInfo reel(cible.canonicalFilePath());
        if (!S_ISREG(ancien.st_mode) || !reel.isWritable() || !QFileInfo(reel.absolutePath()).isWritable())
            accesRefuse();
    }

    // One top-down copy, in the layout the encoder takes without converting row by row.
    const QImage image = cDib.versImage();
    if (image.isNull())
        echecEcriture(QImageWriter::InvalidImageError);

    QSaveFile fichier(sFile);
    if (!fichier.open(QIODevice::WriteOnly)) {
        if (existait)
            accesRefuse();
        echecEcriture(QImageWriter::DeviceError);
    }
    QImageWriter ecrivain(&fichier, "jpeg");
    ecrivain.setQuality(qBound(0, lQuality, 100));
    if (!ecrivain.write(image)) {
        const int code = ecrivain.error();
        const QString raison =
            code == QImageWriter::DeviceError ? EchecEcriture::message(fichier) : QString();
        fichier.cancelWriting();
        echecEcriture(code, raison);
    }
    if (existait) {
        if (!fichier.flush())
            echecEcriture(QImageWriter::DeviceError, EchecEcriture::message(fichier));
        const struct timespec temps[2] = {ancien.st_atim, ancien.st_mtim};
        if (::fchmod(fichier.handle(), ancien.st_mode & 07777) != 0 ||
            ::futimens(fichier.handle(), temps) != 0) {
            fichier.cancelWriting();
            accesRefuse();
        }
    }
    // Flushed to disk, then renamed over the old file in one step.
    if (!fichier.commit())
        echecEcriture(QImageWriter::DeviceError, EchecEcriture::message(fichier));
    return true;
}

} // namespace mIntelJPEGLibrary
