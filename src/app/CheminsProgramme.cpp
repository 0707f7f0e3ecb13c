#include "app/CheminsProgramme.h"

#include "common/FnWendrox.h"

#include <QDir>

namespace CheminsProgramme {

QString fichierDuDossier(const QString& dossier, const QString& nom) {
    if (dossier.isEmpty())
        return QString();
    return FnWendrox::FichierExistant(dossier, nom);
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
