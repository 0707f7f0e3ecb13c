#pragma once

#include <QString>

// Qt's own buttons and dialogs (message box buttons, file dialogs) in the interface language: installs
// the Qt translation of a language code ("FR", "NL", "PL", "SK", "DE") from Qt's translations folder,
// replacing the one installed before. False when no translation could be loaded (Qt's English stays).
bool InstallerTraductionsQt(const QString& langue);

// Installs the translation of Global().LangueCourante unless it is the one last installed. Every form
// calls it when it loads and when it is activated, so Qt's dialogs follow the language from the start
// and after F12.
void SuivreLangueCourante();
