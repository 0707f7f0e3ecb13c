#pragma once

#include <QString>
#include <functional>

// Lays out a program folder from the shipped resources (dorvane-setup): copies every shipped file that is
// missing, refreshes the language files, the icons and the report definitions (the program never writes
// them), creates the empty error log and the empty postal-code database "CP.MDB", and never touches
// "automat.ini", the log or a database once they exist.

// The resources folder: $DORVANE_RESOURCES, else `compile` (the source tree's folder, when it exists),
// else the folder "resources" beside the executable.
QString dossierRessources(const QString& compile = QString());

// Creates the error log "MAINTEN.MDB" (table Erreurs) at that path when no file is there.
bool creerJournalErreurs(const QString& chemin, QString* erreur = nullptr);

// A further step of the lay-out (the embedded databases): called with the program folder after the files
// are in place; returns false with a message on failure.
using EtapeInstallation = std::function<bool(const QString& dossier, QString* erreur)>;
void ajouterEtapeInstallation(EtapeInstallation etape);

// Lays out `dossier` from `ressources`; false with a message in `erreur` when something could not be
// written, or when a folder stands where a file of the program folder should be.
bool installerDossierProgramme(const QString& dossier, const QString& ressources, QString* erreur = nullptr);
