#include "common/forms/ImprimanteCourante.h"
#include "common/ServiceDialogue.h"

#include <QPageLayout>
#include <QPrinter>
#include <gtest/gtest.h>

// The next print-out takes the choice of the printer dialog; a printer the system does not know keeps
// the default one, with the chosen orientation and copies; a PDF file is written instead of a printer,
// and named as the printer.
TEST(ImprimanteCourante, LImpressionSuivantePrendLeChoix) {
    const ChoixImprimante avant = ImprimanteCourante();
    ImprimanteCourante() = ChoixImprimante{QStringLiteral("Imprimante qui n'existe pas"), 2, 3, {}};
    const auto paysage = creerImprimanteCourante();
    EXPECT_NE(paysage->printerName(), QStringLiteral("Imprimante qui n'existe pas"));
    EXPECT_EQ(paysage->pageLayout().orientation(), QPageLayout::Landscape);
    EXPECT_EQ(paysage->copyCount(), 3);

    ImprimanteCourante() = ChoixImprimante{QString(), 1, 0, {}};
    QPrinter portrait;
    portrait.setPageOrientation(QPageLayout::Landscape);
    appliquerImprimanteCourante(portrait);
    EXPECT_EQ(portrait.pageLayout().orientation(), QPageLayout::Portrait);
    EXPECT_EQ(portrait.copyCount(), 1);

    ImprimanteCourante() = ChoixImprimante{QStringLiteral("Bureau"), 1, 1, QStringLiteral("/tmp/mars.pdf")};
    const auto fichier = creerImprimanteCourante();
    EXPECT_EQ(fichier->outputFormat(), QPrinter::PdfFormat);
    EXPECT_EQ(fichier->outputFileName(), QStringLiteral("/tmp/mars.pdf"));
    EXPECT_EQ(nomImprimante(*fichier), QStringLiteral("/tmp/mars.pdf"));
    // Without a file or a printer, the print dialog's own name of its file output, never nothing.
    QPrinter rien;
    rien.setOutputFormat(QPrinter::PdfFormat);
    EXPECT_FALSE(nomImprimante(rien).isEmpty());
    ImprimanteCourante() = avant;
}
