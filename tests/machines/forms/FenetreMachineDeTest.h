#pragma once

#include "common/forms/Instance.h"
#include "machines/forms/FrmConfigMachine.h"

#include <QTest>
#include <gtest/gtest.h>

// The machine window shown and active, machine `no` of its list opened.
inline FrmConfigMachine& ouvrirMachine(int no) {
    FrmConfigMachine& f = Instance<FrmConfigMachine>();
    if (!f.isVisible()) {
        f.Show();
        f.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&f));
    }
    EXPECT_TRUE(f.allerALaMachine(no));
    f.DataGrid1_DblClick();
    return f;
}
