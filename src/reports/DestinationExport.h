#pragma once

#include <QString>

// The report engine's export destination for a sending method of the viewer: "SMTP" 1 (a file on disk),
// "Outlook MAPI" 2, "VIM" 3, "Exchange" 4, "Lotus" 6, anything else 0. The GSM configuration always
// gives 1.
int DestinationExport(const QString& methode, bool versionGSM);
