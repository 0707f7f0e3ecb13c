#pragma once

#include <QString>

// Files of the program folder that the main window and the about box look for.
namespace CheminsProgramme {

// The path of a file of the folder found without regard to case, in its real spelling; "" when missing.
QString fichierDuDossier(const QString& dossier, const QString& nom);

// The user manual: "mu_quorel<LANG>.pdf" of the "documents" folder for a language other than "FR" when
// it is there, else "mu_quorel.pdf"; "" when that one is missing too.
QString cheminManuel(const QString& dossierProgramme, const QString& langue);

} // namespace CheminsProgramme
