#pragma once

#include <QString>
#include <functional>

// Lays out a program folder from the shipped resources (dorvane-setup): copies every shipped file that is
// missing (the user manuals built with the program among them), refreshes the language files, the icons and
// the report definitions (the program never writes them), creates the empty error log and the empty
// postal-code database "CP.MDB", and never touches "automat.ini", the log or a database once they exist.

// The resources folder: $DORVANE_RESOURCES, else `compile` (the source tree's folder, when it exists),
// else the folder "resources" beside the executable.
QString dossierRessources(const QString& compile = QString());

// The folder of the documents built with the program (the user manuals): $DORVANE_DOCUMENTS, else
// `compile` (the build folder's, when it exists), else the folder "documents" beside the executable;
// "" when none of them exists.
QString dossierDocumentsConstruits(const QString& compile = QString());

// Creates the error log "MAINTEN.MDB" (table Erreurs) at that path when no file is there.
bool creerJournalErreurs(const QString& chemin, QString* erreur = nullptr);

// A further step of the lay-out (the embedded databases): called with the program folder after the files
// are in place; returns false with a message on failure.
using EtapeInstallation = std::function<bool(const QString& dossier, QString* erreur)>;
void ajouterEtapeInstallation(EtapeInstallation etape);

// Lays out `dossier` from `ressources`, then copies into its "documents" folder each file of `documents`
// (the built manuals) that it lacks: an installation's own copy is kept. False with a message in `erreur`
// when something could not be written, or when a folder stands where a file of the program folder should
// be.
bool installerDossierProgramme(const QString& dossier, const QString& ressources, QString* erreur = nullptr,
                               const QString& documents = QString());
