#include "common/EtatGlobal.h"
#include "common/forms/Calendrier.h"
#include "staff/forms/FenBadgeMaintenance.h"
#include "staff/forms/FenQuota.h"
#include "staff/forms/FrmUtilisateur.h"
#include "support/CouvertureLangues.h"

#include <QLabel>
#include <QPushButton>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

// Every form of the program, built as at start, with the names of controls whose text it sets at run
// time. Each new form adds one line here (or runs clesManquantes in its own forms test).
struct FormeLivree {
    const char* nom;
    std::function<QWidget*()> fabrique;
    QStringList dynamiques;
};

const QList<FormeLivree>& formesLivrees() {
    static const QList<FormeLivree> formes{
        {"Calendrier", [] { return new Calendrier; }, {}},
        {"FenBadgeMaintenance", [] { return new FenBadgeMaintenance; }, {}},
        {"FenQuota", [] { return new FenQuota; }, {}},
        {"FrmUtilisateur", [] { return new FrmUtilisateur; }, {}},
    };
    return formes;
}

} // namespace

TEST(FichiersLangue, EveryCaptionedControlHasAKeyInEachFile) {
    for (const FormeLivree& f : formesLivrees()) {
        std::unique_ptr<QWidget> forme(f.fabrique());
        EXPECT_EQ(forme->objectName(), QString::fromLatin1(f.nom));
        const QStringList manquantes = clesManquantes(forme.get(), f.dynamiques);
        EXPECT_TRUE(manquantes.isEmpty()) << f.nom << ":\n"
                                          << manquantes.join(QLatin1Char('\n')).toStdString();
        // At least the title: a form translated from nothing would pass unnoticed.
        EXPECT_TRUE(clesAttendues(forme.get(), f.dynamiques).contains(QStringLiteral("Form.Caption")));
    }
}

TEST(FichiersLangue, TheCheckFindsAMissingKey) {
    QWidget forme;
    forme.setObjectName(QStringLiteral("Calendrier"));
    forme.setWindowTitle(QStringLiteral("Sélection de date"));
    auto* nouveau = new QPushButton(QStringLiteral("Imprimer"), &forme);
    nouveau->setObjectName(QStringLiteral("CmdImprimer"));
    nouveau->setToolTip(QStringLiteral("Imprimer la période"));
    auto* vide = new QLabel(&forme);
    vide->setObjectName(QStringLiteral("Label2(0)"));
    const QStringList manquantes = clesManquantes(&forme);
    EXPECT_EQ(manquantes.size(), 10);
    EXPECT_TRUE(manquantes.contains(QStringLiteral("poland.lng: [Calendrier] CmdImprimer.ToolTipText")));
    EXPECT_TRUE(clesManquantes(&forme, {QStringLiteral("CmdImprimer")}).isEmpty());
}
