#pragma once

#include "common/FnWendrox.h"
#include "common/forms/Instance.h"
#include "reports/forms/FenCompteRendu.h"
#include "reports/forms/FenCrystalRep.h"
#include "support/FormeSurBase.h"
#include "support/ServiceSessionScripte.h"

#include <QList>
#include <QPoint>
#include <QTest>
#include <gtest/gtest.h>

// The tests of the reports menu's buttons: the menu over a program folder, and every report it shows
// caught modal, read into an `Impression` by `lire` and closed.
template <typename Impression> class MenuEtatsDeTest : public FormeSurBaseTest {
protected:
    virtual Impression lire(FenCrystalRep& viewer) = 0;

    void SetUp() override {
        FormeSurBaseTest::SetUp();
        if (HasFatalFailure())
            return;
        session.surModal([this](QObject* o) {
            FenCrystalRep& v = Instance<FenCrystalRep>();
            EXPECT_EQ(o, &v);
            imprimes << lire(v);
            v.close();
        });
    }
    void TearDown() override {
        DetruireInstance<FenCrystalRep>();
        DetruireInstance<FenCompteRendu>();
        FnWendrox::definirHorloge({});
        session.verifierTout();
        FormeSurBaseTest::TearDown();
    }
    FenCompteRendu& montrer() {
        FenCompteRendu& f = Instance<FenCompteRendu>();
        f.Show();
        f.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&f));
        return f;
    }
    // The report a click on `w` (at `ou`, its centre by default) shows; an empty one when none is shown.
    Impression cliquer(QWidget* w, const QPoint& ou = QPoint()) {
        const qsizetype avant = imprimes.size();
        QTest::mouseClick(w, Qt::LeftButton, {}, ou);
        return imprimes.size() > avant ? imprimes.last() : Impression{};
    }

    ServiceSessionScripte session;
    QList<Impression> imprimes;
};
