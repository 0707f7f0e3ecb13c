#include "counter/SelectionArticle.h"

#include "common/Conversions.h"
#include "common/FonctionUtilitaires.h"
#include "db/Recordset.h"
#include "db/Valeurs.h"
#include "imaging/ImageProduit.h"

#include <algorithm>

namespace SelectionArticle {

namespace {
constexpr double HauteurImageTwips = 2850;
// The widest a widget can be (QWIDGETSIZE_MAX): a longer strip would overflow the pixel count.
constexpr double LargeurMaxPixels = (1 << 24) - 1;
} // namespace

bool ChercherReference(Recordset& articles, const QString& texte) {
    const double reference = FonctionUtilitaires::ConvertNullDbl(texte);
    return articles.Find(QStringLiteral("Reference"), Recordset::Comparaison::Egal, reference,
                         Recordset::Depart::Premier);
}

Resultat ChercherRefFournisseur(Recordset& articles, const QString& texte) {
    return SelectionSalarie::ChercherTexte(articles, QStringLiteral("RefFournisseur"), texte);
}

QImage ImageArticle(Connexion& c, const QVariant& image) {
    const std::optional<QByteArray> octets = ImagesArticle::lireImage(c, Valeurs::lireTexte(image));
    if (!octets || octets->isEmpty())
        return {};
    return QImage::fromData(*octets);
}

QSize TailleImage(const QSize& image) {
    const int hauteur = Conversions::twipsEnPixels(HauteurImageTwips);
    if (image.width() <= 0 || image.height() <= 0)
        return {hauteur, hauteur};
    const double largeur = std::min(HauteurImageTwips * image.width() / image.height(),
                                    LargeurMaxPixels * Conversions::TwipsParPixel);
    // A very tall picture keeps a column of one pixel.
    return {std::max(1, Conversions::twipsEnPixels(largeur)), hauteur};
}

} // namespace SelectionArticle
