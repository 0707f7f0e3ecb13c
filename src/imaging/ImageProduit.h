#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <optional>

class Connexion;

// Where an article's picture lives: a JPEG named after the article's Image field, a file of the picture
// folder or, when pictures live in the database, the row of ImageProduit of that name (RefImage, Picture).
namespace ImagesArticle {

// The picture file of a name: the picture folder, the trimmed name and ".jpg".
QString fichierImage(const QString& cheminImage, const QString& nom);
// The RefImage of the first row that name finds, compared literally without regard to case (no character
// of the name is a pattern); Null when there is none.
QVariant ligneImage(Connexion& c, const QString& nom);
// The bytes of the row of that name (found as ligneImage finds it); nullopt when there is none.
std::optional<QByteArray> lireImage(Connexion& c, const QString& nom);

} // namespace ImagesArticle
