#include "app/CheminsProgramme.h"

#include "common/FnWendrox.h"

#include <QDir>
#include <QFileInfo>

namespace CheminsProgramme {

QString fichierDuDossier(const QString& dossier, const QString& nom) {
    if (dossier.isEmpty() || !FnWendrox::FichierExiste(dossier, nom))
        return QString();
    const QDir d(dossier);
    if (QFileInfo(d.filePath(nom)).isFile())
        return d.filePath(nom);
    const QStringList noms = d.entryList(QDir::Files | QDir::Hidden);
    for (const QString& n : noms)
        if (n.compare(nom, Qt::CaseInsensitive) == 0)
            return d.filePath(n);
    return QString();
}

QString cheminManuel(const QString& dossierProgramme, const QString& langue) {
    const QString documents = QDir(dossierProgramme).filePath(QStringLiteral("documents"));
    if (langue != QLatin1String("FR")) {
        const QString traduit =
            fichierDuDossier(documents, QStringLiteral("mu_quorel") + langue + QStringLiteral(".pdf"));
        if (!traduit.isEmpty())
            return traduit;
    }
    return fichierDuDossier(documents, QStringLiteral("mu_quorel.pdf"));
}

} // namespace CheminsProgramme
