#include "common/forms/ImprimanteCourante.h"
#include "common/ServiceDialogue.h"

#include <QPageLayout>
#include <QPrinter>
#include <gtest/gtest.h>

// The next print-out takes the choice of the printer dialog; a printer the system does not know keeps
// the default one, with the chosen orientation and copies.
TEST(ImprimanteCourante, LImpressionSuivantePrendLeChoix) {
    const ChoixImprimante avant = ImprimanteCourante();
    ImprimanteCourante() = ChoixImprimante{QStringLiteral("Imprimante qui n'existe pas"), 2, 3};
    const auto paysage = creerImprimanteCourante();
    EXPECT_NE(paysage->printerName(), QStringLiteral("Imprimante qui n'existe pas"));
    EXPECT_EQ(paysage->pageLayout().orientation(), QPageLayout::Landscape);
    EXPECT_EQ(paysage->copyCount(), 3);

    ImprimanteCourante() = ChoixImprimante{QString(), 1, 0};
    QPrinter portrait;
    portrait.setPageOrientation(QPageLayout::Landscape);
    appliquerImprimanteCourante(portrait);
    EXPECT_EQ(portrait.pageLayout().orientation(), QPageLayout::Portrait);
    EXPECT_EQ(portrait.copyCount(), 1);
    ImprimanteCourante() = avant;
}
