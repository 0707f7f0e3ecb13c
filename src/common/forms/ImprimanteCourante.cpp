#include "common/forms/ImprimanteCourante.h"

#include "common/ServiceDialogue.h"
#include "common/mod_API_ChoixImprimante.h"

#include <QPageLayout>
#include <QPrinter>
#include <QPrinterInfo>

void appliquerImprimanteCourante(QPrinter& imprimante) {
    const ChoixImprimante& choix = ImprimanteCourante();
    if (!choix.NomImprimante.isEmpty() && !QPrinterInfo::printerInfo(choix.NomImprimante).isNull())
        imprimante.setPrinterName(choix.NomImprimante);
    imprimante.setPageOrientation(choix.Orientation == 2 ? QPageLayout::Landscape : QPageLayout::Portrait);
    imprimante.setCopyCount(choix.Copies > 0 ? choix.Copies : 1);
}

std::unique_ptr<QPrinter> creerImprimanteCourante() {
    auto imprimante = std::make_unique<QPrinter>(QPrinter::HighResolution);
    appliquerImprimanteCourante(*imprimante);
    return imprimante;
}

void installerCollectionImprimantes() {
    mod_API_ChoixImprimante::definirCollectionImprimantes(
        [] { return QPrinterInfo::availablePrinterNames(); });
}
