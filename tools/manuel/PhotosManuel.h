#pragma once

#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>

// The user manual's pictures, made from the real program: it is started in the program folder of
// DORVANE_HOME (Main, with services of our own that answer every question and open nothing), then each
// main-menu button is clicked and the window it opens is grabbed and closed, as a user would.
namespace PhotosManuel {

// The main window's own picture.
inline const QString NomPrincipale = QStringLiteral("Main");

struct Photo {
    QString nom;     // the button's objectName, or NomPrincipale
    QString fenetre; // objectName of the window grabbed
    QString titre;   // its title, as shown in the picture's title bar
    QString fichier; // the PNG written
    QSize taille;    // the window's size
};

// The pictures a chapter asks for: NAME of every "shots/NAME.png", in order, each once.
QStringList nomsDemandes(const QString& markdown);

// Starts the program in `langue` ("FR", "NL", ...: written as the settings' "Langue" first), makes one
// picture per name into `dossier` (NAME.png) and ends the program. False, with a message naming the
// button, when a button is missing or greyed, or its window cannot be shown.
bool photographier(const QString& langue, const QStringList& noms, const QString& dossier,
                   QList<Photo>* photos, QString* erreur);

} // namespace PhotosManuel
