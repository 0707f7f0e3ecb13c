#include "stock/ImagesArticle.h"

#include "common/Conversions.h"
#include "common/ErreurExecution.h"
#include "common/FnWendrox.h"
#include "db/Connexion.h"
#include "db/Valeurs.h"
#include "imaging/cDIBSection.h"
#include "imaging/mIntelJPEGLibrary.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace ImagesArticle {

namespace {

constexpr double HauteurAfficheeTwips = 2850;

QByteArray lireFichier(const QString& chemin) {
    QFile f(chemin);
    if (!f.open(QIODevice::ReadOnly))
        throw ErreurExecution(ErreurExecution::PathFileAccess, f.errorString(),
                              QStringLiteral("ImagesArticle"));
    return f.readAll();
}

QImage decoder(const QByteArray& octets) {
    if (octets.isEmpty())
        return {};
    QBuffer tampon;
    tampon.setData(octets);
    QImageReader lecteur(&tampon);
    return lecteur.read();
}

// The row of that name gets these bytes: replaced when it exists (its name takes the new spelling), added
// otherwise. Inside the caller's transaction.
void ecrireLigne(Connexion& c, const QString& nom, const QByteArray& octets) {
    const QVariant existante = ligneImage(c, nom);
    if (existante.isNull())
        c.executer(QStringLiteral("INSERT INTO ImageProduit (RefImage, Picture) VALUES (?, ?)"),
                   {nom, octets});
    else
        c.executer(QStringLiteral("UPDATE ImageProduit SET RefImage = ?, Picture = ? WHERE RefImage = ?"),
                   {nom, octets, existante});
}

void ecrireNom(Connexion& c, qint64 reference, const QString& nom) {
    c.executer(QStringLiteral("UPDATE ArticleEnStock SET Image = ? WHERE Reference = ?"), {nom, reference});
}

} // namespace

QString nomDepuisFichier(const QString& chemin) {
    const QString nom = FnWendrox::NomFichier(chemin);
    return nom.left(std::max<qsizetype>(0, nom.size() - 4));
}

IssueChoix choisirFichier(Connexion& c, qint64 reference, const QString& chemin, bool imagesEnBase,
                          QString* nomChoisi) {
    if (QFileInfo(chemin).size() > TailleMaximale)
        return IssueChoix::TropGrand;
    const QByteArray octets = lireFichier(chemin);
    // A file that shows nothing would replace a good picture of the same name.
    if (octets.size() > TailleMaximale)
        return IssueChoix::TropGrand;
    if (decoder(octets).isNull())
        return IssueChoix::PasUneImage;
    const QString nom = nomDepuisFichier(chemin);
    TransactionEcriture t(c);
    ecrireNom(c, reference, nom);
    if (imagesEnBase)
        ecrireLigne(c, nom, octets);
    t.valider();
    if (nomChoisi)
        *nomChoisi = nom;
    return IssueChoix::Enregistre;
}

void enregistrerScan(Connexion& c, qint64 reference, const QString& fichier, bool imagesEnBase) {
    const QString nom = QString::number(reference);
    const QByteArray octets = imagesEnBase ? lireFichier(fichier) : QByteArray();
    TransactionEcriture t(c);
    ecrireNom(c, reference, nom);
    if (imagesEnBase)
        ecrireLigne(c, nom, octets);
    t.valider();
}

Affichage imageArticle(Connexion& c, const QVariant& image, const QString& cheminImage, bool imagesEnBase) {
    const QString nom = Valeurs::lireTexte(image);
    Affichage a;
    if (imagesEnBase) {
        const std::optional<QByteArray> octets = lireImage(c, nom);
        if (!octets)
            return a;
        a.image = decoder(*octets);
        a.etat = Affichage::Visible;
        return a;
    }
    const QString fichier = FnWendrox::FichierExistant(cheminImage, nom.trimmed() + QStringLiteral(".jpg"));
    if (fichier.isEmpty())
        return a;
    QImageReader lecteur(fichier);
    a.image = lecteur.read();
    a.etat = a.image.isNull() ? Affichage::Illisible : Affichage::Visible;
    return a;
}

QSize tailleAffichee(const QSize& image) {
    const int hauteur = Conversions::twipsEnPixels(HauteurAfficheeTwips);
    if (image.width() <= 0 || image.height() <= 0)
        return {hauteur, hauteur};
    const double ratio = double(image.height()) / image.width();
    const int largeur = Conversions::twipsEnPixels(HauteurAfficheeTwips / ratio);
    // A panorama would push the card's fields aside: it gets the width of two heights, less high.
    const int largeurMax = 2 * hauteur;
    if (largeur > largeurMax)
        return {largeurMax, std::max(1, static_cast<int>(std::lround(largeurMax * ratio)))};
    return {largeur, hauteur};
}

QImage imageViergeLivree() {
    // A white card with the outline of a landscape: "no picture yet".
    QImage im(190, 190, QImage::Format_RGB32);
    im.fill(Qt::white);
    QPainter p(&im);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor trait(190, 190, 190);
    p.setPen(QPen(trait, 2));
    p.drawRect(QRectF(1, 1, 188, 188));
    const QRectF cadre(45, 55, 100, 80);
    p.drawRoundedRect(cadre, 6, 6);
    p.setBrush(QColor(225, 225, 225));
    p.drawEllipse(QPointF(118, 80), 9, 9);
    QPainterPath relief;
    relief.moveTo(50, 130);
    relief.lineTo(80, 92);
    relief.lineTo(100, 115);
    relief.lineTo(115, 100);
    relief.lineTo(140, 130);
    relief.closeSubpath();
    p.drawPath(relief);
    return im;
}

bool creerImageVierge(Connexion& c, const QImage& source, const QString& dossierProgramme,
                      bool imagesEnBase) {
    const QString nomFichier = NomVierge + QStringLiteral(".jpg");
    if (FnWendrox::FichierExiste(dossierProgramme, nomFichier))
        return false;
    const QString fichier = QDir(dossierProgramme).filePath(nomFichier);
    try {
        cDIBSection dib;
        dib.CreateFromPicture(source);
        mIntelJPEGLibrary::SaveJPG(dib, fichier, 90);
    } catch (const ErreurExecution&) {
        return false;
    }
    if (imagesEnBase) {
        try {
            TransactionEcriture t(c);
            if (!lireImage(c, NomVierge)) {
                c.executer(QStringLiteral("INSERT INTO ImageProduit (RefImage, Picture) VALUES (?, ?)"),
                           {NomVierge, lireFichier(fichier)});
                t.valider();
            }
        } catch (const ErreurExecution&) {
        }
    }
    return true;
}

} // namespace ImagesArticle
