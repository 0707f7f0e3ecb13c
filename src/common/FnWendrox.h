#pragma once

#include <QDateTime>
#include <QString>
#include <functional>

// Settings file access, paths and files, the event-handling wait, the program folder.
namespace FnWendrox {

// Reads a value: trimmed, at most 254 characters; a missing file, section or key gives `defaut`
// (trimmed too). A failure shows the service's message box titled "LireIniString" and gives "".
QString LireIniString(const QString& fichier, const QString& section, const QString& cle,
                      const QString& defaut);
// Reads an integer like the profile function: empty gives the default, a leading sign and digits,
// else 0; outside the 16-bit range, the message box titled "LireIniInteger" and 0.
int LireIniInteger(const QString& fichier, const QString& section, const QString& cle, int defaut);
// Writes a value, creating section and key when missing; every other byte of the file is kept.
// A failure shows the message box titled "EcrireIniString" and leaves the file as it was.
void EcrireIniString(const QString& fichier, const QString& section, const QString& cle,
                     const QString& valeur);

// The path with a trailing separator ("/" added unless it already ends with "/" or "\").
QString AjouteBackslash(const QString& chemin);
// True when the folder holds a file of that bare name, names compared without regard to case.
bool FichierExiste(const QString& dossier, const QString& fichier);
// The path of that file as FichierExiste finds it, in its real spelling (the exact name first); "" when
// there is none.
QString FichierExistant(const QString& dossier, const QString& fichier);
// The file of that name in the folder as FichierExistant finds it, else the path under the name as given
// (reading it gives the defaults, a write creates it). Every reader and writer of the program folder's
// settings finds "automat.ini" through it, so that a folder copied from Windows with "AUTOMAT.INI" is
// read the same by the setup and by the program.
QString CheminDansDossier(const QString& dossier, const QString& fichier);
// Creates and deletes a file of a name of its own in the folder: true when both succeed.
bool DossierAccessibleEnEcriture(const QString& dossier);
// The part after the last "/", "\" or ":"; the whole text when there is none.
QString NomFichier(const QString& chemin);
// The part before the last "/", "\" or ":", separator excluded; "" when there is none.
QString CheminFichier(const QString& chemin);
// The program folder (DORVANE_HOME, else the executable's folder), in its real case, with a trailing
// separator.
QString CheminApplication();
// Waits while handling events, to the first whole-second tick at or after the requested time.
void Attendre(double secondes);

// The clock Attendre and the error log read; tests set their own (an empty function restores the
// system clock).
void definirHorloge(std::function<QDateTime()> horloge);
QDateTime Maintenant();

} // namespace FnWendrox
