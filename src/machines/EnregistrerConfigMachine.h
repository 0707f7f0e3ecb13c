#pragma once

#include "machines/DispositionMachine.h"
#include "machines/GrilleCasiers.h"

#include <QList>
#include <QString>
#include <QtGlobal>

class Connexion;

// One row of a machine's plan as its layout shows it: the row's own number (ConfigMachines.Etage) and
// the article of its cells.
struct LignePlan {
    qint64 etage = 0;
    qint64 reference = 0;   // 0: no article
    qint64 codeArticle = 0; // 0: none
    QString designation;    // empty: none

    // The row as drawn: the planned reference and code (Null as 0), the designation shown.
    static LignePlan Affichee(const DispositionMachine::Ligne& ligne);
};
using PlanMachine = QList<LignePlan>;

// What a save changed.
struct BilanConfigMachine {
    int lignesPlan = 0;   // ConfigMachines rows written
    int emplacements = 0; // slots emptied
};

// Saves the plan of a floor (modeVue 1) or column (any other) layout, in one write transaction:
// - every ConfigMachines row of the machine whose Etage is a row of the plan and whose ReferenceArticle
//   differs from the plan's (a Null one always does) takes the plan's designation, reference and code,
//   each Null when empty or 0;
// - every slot of the machine whose layout row (ModeleMachine::LigneDeLayout, the model `type`) is a row
//   of the plan and that holds another article than the row's is emptied (Reference Null).
// Each change is an UPDATE by key that repeats the comparison, so that a slot a machine loads with the
// planned article while the save waits for it is kept. Rows and slots outside the plan are left. Throws
// ErreurExecution when the database fails; nothing is then written.
BilanConfigMachine EnregistrerConfigMachine(Connexion& connexion, qint32 machine, int type, int modeVue,
                                            const PlanMachine& plan);

// Saves the plan of a locker grid drawn with G lockers to a column, in one write transaction:
// - every ConfigMachines row of the machine whose locker n falls in a cell (GrilleCasiers::Cellule) of the
//   tables and whose ReferenceArticle differs from the cell's ReferenceCase (a Null one always does) takes
//   the cell's article: its reference, designation and code; a cell without article (ReferenceCase 0)
//   empties ReferenceArticle and CodeArticle and keeps the Designation;
// - every slot of the machine whose locker (its NoEmpl, ModeleMachine::LigneDeLayout) was drawn and that
//   holds another article than the locker's cell is emptied (Reference Null).
// Each change is an UPDATE that repeats the comparison, so that a slot a machine loads with the planned
// article while the save waits for it is kept. Rows and slots whose cell lies outside the tables or was not
// drawn are left. Throws ErreurExecution when the database fails; nothing is then written.
BilanConfigMachine EnregistrerConfigCasiers(Connexion& connexion, qint32 machine, int G,
                                            const GrilleCasiers::Tables& tables);
