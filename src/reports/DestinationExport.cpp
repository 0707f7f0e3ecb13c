#include "reports/DestinationExport.h"

int DestinationExport(const QString& methode, bool versionGSM) {
    if (versionGSM)
        return 1;
    if (methode == QLatin1String("SMTP"))
        return 1;
    if (methode == QLatin1String("Outlook MAPI"))
        return 2;
    if (methode == QLatin1String("VIM"))
        return 3;
    if (methode == QLatin1String("Exchange"))
        return 4;
    if (methode == QLatin1String("Lotus"))
        return 6;
    return 0;
}
