#include "mail/Zipper.h"

#include "mail/ZipClass.h"

bool Zipper(const QString& fichier, const QString& archive) {
    ZipClass zip;
    zip.AddFile(fichier, QString(), QString());
    return zip.WriteZip(archive, true);
}
