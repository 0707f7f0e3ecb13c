#pragma once

#include <QString>
#include <optional>

class InstanceUnique;

// The start of the program: chooses the settings file, refuses a second copy, reads the settings into
// the application state, shows the loading window, builds the database login and connection string,
// fills the message table, loads the main window, asks the application password and shows the main
// window. Returns the exit code when the program ends during the start (Global().FinDemandee is then
// set), std::nullopt when the main window is up and the event loop must run.
std::optional<int> Main();

// The single-instance lock of this run; tests point it at a file of their own before calling Main.
InstanceUnique& instanceProgramme();
void definirCheminVerrou(const QString& chemin);
