#include "common/EchecEcriture.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDevice>
#include <QFileInfo>
#include <QStorageInfo>
#include <cerrno>

namespace EchecEcriture {

QString raison(const QFileDevice& fichier) {
    // First, before any call below sets it again.
    const int systeme = errno;
    const QString texte = fichier.errorString();
    // Qt has no text of its own when the system's call wrote part of the bytes and the next one failed.
    const bool texteQt = fichier.error() != QFileDevice::NoError && !texte.isEmpty() &&
                         texte != QCoreApplication::translate("QIODevice", "Unknown error");
    const bool plein = fichier.error() == QFileDevice::ResourceError ||
                       (!texteQt && (systeme == ENOSPC || systeme == EDQUOT)) || [&fichier] {
                           const QStorageInfo volume(QFileInfo(fichier.fileName()).absolutePath());
                           return volume.isValid() && volume.isReady() && volume.bytesAvailable() == 0;
                       }();
    if (plein)
        return QStringLiteral("le disque est plein");
    if (texteQt)
        return texte;
    if (systeme != 0)
        return qt_error_string(systeme);
    return texte;
}

QString message(const QFileDevice& fichier) {
    const QString r = raison(fichier);
    // A QSaveFile names the file it replaces, not the one written beside it.
    return QStringLiteral("Impossible d'écrire %1 : %2").arg(QDir::toNativeSeparators(fichier.fileName()), r);
}

} // namespace EchecEcriture
