#include "common/forms/ImprimanteCourante.h"

#include "common/ServiceDialogue.h"
#include "common/mod_API_ChoixImprimante.h"

#include <QCoreApplication>
#include <QPageLayout>
#include <QPrinter>
#include <QPrinterInfo>

void appliquerImprimanteCourante(QPrinter& imprimante) {
    const ChoixImprimante& choix = ImprimanteCourante();
    if (!choix.Fichier.isEmpty()) {
        imprimante.setOutputFormat(QPrinter::PdfFormat);
        imprimante.setOutputFileName(choix.Fichier);
    } else if (!choix.NomImprimante.isEmpty() && !QPrinterInfo::printerInfo(choix.NomImprimante).isNull()) {
        imprimante.setPrinterName(choix.NomImprimante);
    }
    imprimante.setPageOrientation(choix.Orientation == 2 ? QPageLayout::Landscape : QPageLayout::Portrait);
    imprimante.setCopyCount(choix.Copies > 0 ? choix.Copies : 1);
}

std::unique_ptr<QPrinter> creerImprimanteCourante() {
    auto imprimante = std::make_unique<QPrinter>(QPrinter::HighResolution);
    appliquerImprimanteCourante(*imprimante);
    return imprimante;
}

std::unique_ptr<QPrinter> choisirEtCreerImprimante(const QString& fichierPdf) {
    if (!mod_API_ChoixImprimante::ChoisirImprimante(fichierPdf))
        return nullptr;
    return creerImprimanteCourante();
}

QString nomImprimante(const QPrinter& imprimante) {
    if (imprimante.outputFormat() == QPrinter::PdfFormat && !imprimante.outputFileName().isEmpty())
        return imprimante.outputFileName();
    if (!imprimante.printerName().isEmpty())
        return imprimante.printerName();
    // No printer and no file: the print dialog's own name for its file output.
    return QCoreApplication::translate("QPrintDialog", "Print to File (PDF)");
}

void installerCollectionImprimantes() {
    mod_API_ChoixImprimante::definirCollectionImprimantes(
        [] { return QPrinterInfo::availablePrinterNames(); });
}
