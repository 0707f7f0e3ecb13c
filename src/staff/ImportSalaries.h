#pragma once

#include "common/ErreurExecution.h"
#include "db/Connexion.h"

#include <QString>
#include <functional>
#include <optional>

// The import of employees from an .xls workbook, one routine per workbook layout. Known employees (found
// by badge) are updated, the others added, with the sites, services and profiles the rows name.
//
// A run writes every row in one transaction on a connection of its own, opened by importer() on the
// thread that calls it (a connection is usable only in the thread that made it), so that the window can
// run it on a worker thread and stay responsive. A failure at any row leaves the database as it was. The
// caller shows the messages: importer() only returns what happened.
namespace ImportSalaries {

// The workbook layouts, each with its sheet and the name of its routine in the error log.
enum class Classeur {
    Generique, // "Feuil1", columns by position: ImportSalarie
    Liste,     // "liste", columns by heading: ImportSalarieFenorel
    Rapport1,  // "Rapport 1", columns by heading: CmdImportSalarieTalmer
};
QString NomRoutine(Classeur classeur);
QString NomFeuille(Classeur classeur);

enum class Issue {
    Termine, // every row handled (or a sheet without data rows: nothing to do)
    Garde,   // too many services, sites or profiles: nothing written, `message` says which
    Format,  // the workbook, its sheet or the database could not be opened; nothing written
    Echec,   // a failure while the rows were handled: everything rolled back
};

struct Resultat {
    Issue issue = Issue::Termine;
    QString message;                       // Garde: the guard's text
    std::optional<ErreurExecution> erreur; // Format, Echec
    int ligneFeuille = 0;                  // Echec at a row: its row in the sheet (the headings are row 1)
    int lignes = 0;                        // data rows of the sheet
    int ajoutes = 0;
    int modifies = 0;
};

struct Parametres {
    ParametresConnexion connexion; // where the run opens its own connection
    qint64 noProfilIllimite = 0;   // the profile of a new employee whose row names none
};
// From the application state: the main database and NoProfilIllimite. Read on the window's thread.
Parametres ParametresCourants();

// The file dialog of the import (the .xls filter, the file must exist): the chosen path, or "" when the
// user cancelled or chose one of the program's own databases, which is refused with a message before
// anything opens it (the import then does nothing). Goes through the dialog service: on the window's thread.
QString DemanderFichier(qint64 proprietaire = -1);

// Called with 0 when the rows are about to be handled (the bar shows), then with each new percentage of
// the rows handled. It runs on importer()'s thread.
using Progression = std::function<void(int pourcent)>;

Resultat importer(Classeur classeur, const QString& chemin, const Parametres& parametres,
                  const Progression& progression = {});

} // namespace ImportSalaries
