#pragma once

#include <QLocale>
#include <QString>

// Qt's own texts in the interface language, for a language code ("FR", "NL", "PL", "SK", "DE"):
//   - buttons and dialogs (message box buttons, file dialogs): installs the Qt translation of the
//     language from Qt's translations folder, replacing the one installed before;
//   - dates: every date widget (QCalendarWidget, QDateTimeEdit and its QDateEdit / QTimeEdit, the
//     calendar that drops down from them), in any window, existing or created later, takes
//     LocaleLangue(langue) for its month and day names and its first day of the week, instead of the
//     system's settings. A widget created later takes it when it is polished (before it is first
//     shown). The date formats a form sets stay as they are, only the names in them change; nothing
//     else takes that locale (numbers, the forms' own texts).
// False when no Qt translation could be loaded (Qt's English stays; the dates follow all the same).
bool InstallerTraductionsQt(const QString& langue);

// Installs the translation of Global().LangueCourante unless it is the one last installed. Every form
// calls it when it loads and when it is activated, and the F12 switch after changing the language, so
// Qt's dialogs and the dates follow the language from the start and after F12.
void SuivreLangueCourante();

// The locale of a language code for dates: nl_NL, pl_PL, sk_SK, de_DE, fr_FR (French for any other
// code, the interface being French).
QLocale LocaleLangue(const QString& langue);
