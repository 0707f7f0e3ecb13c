#include "machines/forms/FrmConfigMachine.h"

#include <QLabel>

// The floor and column layouts of the machine opened: the layout grid, its title and the bars' caption
// take the list's place.

void FrmConfigMachine::LireConfigMachineEtage() {
    if (NoMachineCourante == 0)
        return;
    montrerDisposition();
    SSPanel3->show();
}

void FrmConfigMachine::LireConfigMachineColonne() {
    if (NoMachineCourante == 0)
        return;
    montrerDisposition();
    SSPanel3->show();
}
