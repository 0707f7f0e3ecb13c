#pragma once

#include "imaging/ImageProduit.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include <QVariant>
#include <optional>

class Connexion;

// Article pictures: a JPEG named after the article's Image field, kept as a file of the picture folder or,
// when pictures live in the database, as a row of ImageProduit (RefImage = the name, Picture = the file's
// bytes). Routines that write take a connection and run one write transaction; they throw ErreurExecution.
namespace ImagesArticle {

// A chosen file of more than this many bytes is refused.
constexpr qint64 TailleMaximale = 520000;
inline const QString NomVierge = QStringLiteral("aavierge");

// The picture name of a chosen file: its file name less its last four characters ("a.jpeg" gives "a.").
QString nomDepuisFichier(const QString& chemin);

enum class IssueChoix {
    Enregistre,
    TropGrand,  // over TailleMaximale: nothing stored
    PasUneImage // empty, unreadable or not a picture: nothing stored
};
// Gives the article the chosen picture file: its name goes to Image and, with pictures in the database,
// the row of that name (found without regard to case) is added or its bytes replaced by the file's, in one
// transaction. With pictures in files only the name is stored; the file is not copied.
IssueChoix choisirFichier(Connexion& c, qint64 reference, const QString& chemin, bool imagesEnBase,
                          QString* nom = nullptr);

// After a scan saved `fichier`: the article's Image becomes its reference and, with pictures in the
// database, the row of that name is added or its bytes replaced, in one transaction.
void enregistrerScan(Connexion& c, qint64 reference, const QString& fichier, bool imagesEnBase);

// What the card shows for an article's Image value.
struct Affichage {
    enum Etat { Cachee, Visible, Illisible } etat = Cachee;
    QImage image;
};
Affichage imageArticle(Connexion& c, const QVariant& image, const QString& cheminImage, bool imagesEnBase);
// The card's picture: 2850 twips (190 pixels) high, the width in proportion; a picture more than twice
// as wide as high is shown 380 pixels wide, the height in proportion.
QSize tailleAffichee(const QSize& image);

// The blank picture as the form's design holds it.
QImage imageViergeLivree();
// Makes sure the blank picture exists: when "aavierge.jpg" is missing from the program folder it is
// written from `source` at quality 90 and, with pictures in the database, its row is added when missing.
// Nothing is reported; true when the file was made.
bool creerImageVierge(Connexion& c, const QImage& source, const QString& dossierProgramme, bool imagesEnBase);

} // namespace ImagesArticle
