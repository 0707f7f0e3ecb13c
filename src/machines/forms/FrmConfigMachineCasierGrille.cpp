#include "machines/forms/FrmConfigMachineCasier.h"

// The locker grid of the machine opened takes the list's place, under its title.

void FrmConfigMachineCasier::LireConfigMachineColonne() {
    if (NoMachineCourante == 0)
        return;
    montrerDisposition();
}
