#include "imaging/ImageProduit.h"

#include "common/FnWendrox.h"
#include "db/Connexion.h"
#include "db/Valeurs.h"

namespace ImagesArticle {

QString fichierImage(const QString& cheminImage, const QString& nom) {
    return FnWendrox::AjouteBackslash(cheminImage) + nom.trimmed() + QStringLiteral(".jpg");
}

QVariant ligneImage(Connexion& c, const QString& nom) {
    return c.valeurUnique(
        QStringLiteral(
            "SELECT RefImage FROM ImageProduit WHERE RefImage LIKE ? ESCAPE '\\' ORDER BY RefImage"),
        {Valeurs::echapperLike(nom)});
}

std::optional<QByteArray> lireImage(Connexion& c, const QString& nom) {
    const QVariant ligne = ligneImage(c, nom);
    if (ligne.isNull())
        return std::nullopt;
    return c.valeurUnique(QStringLiteral("SELECT Picture FROM ImageProduit WHERE RefImage = ?"), {ligne})
        .toByteArray();
}

} // namespace ImagesArticle
