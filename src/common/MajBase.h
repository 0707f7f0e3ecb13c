#pragma once

#include <QString>
#include <exception>

class ErreurExecution;

// The error log: one row in table Erreurs of "MAINTEN.MDB" in the program folder, only when that file
// exists. Silent: a missing or damaged log never disturbs the caller.
namespace MajBase {

// Logs "N°: <number> <description>" of the error under the failing procedure's name.
void SignalerErreur(const QString& procedure, const ErreurExecution& erreur);
// Logs a std::exception that is not one of ours (number 0... the description is what()).
void SignalerErreur(const QString& procedure, const std::exception& erreur);
// The log text of any exception: an ErreurExecution's own, else "N°: 0 " and what().
QString TexteJournal(const std::exception& erreur);
// Appends a row (DateErreur now, Contexte, Erreur).
void EnregistrerErreur(const QString& contexte, const QString& erreur);

} // namespace MajBase
