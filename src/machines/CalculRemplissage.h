#pragma once

#include "machines/DispositionMachine.h"
#include "machines/GrilleCasiers.h"
#include "machines/ModeleMachine.h"

#include <QList>
#include <QVariant>
#include <array>
#include <optional>

class Connexion;

// The refill computations of the machine window: the lines it writes into the work table
// TRemplissageMachine (Etage, Reference, CodeArticle, NbUnite, Aremplir, NumMach) for the machine sheets
// to read. Each runs inside the caller's write transaction, the one that holds the table until the sheet
// is read, and empties the table first; outside a transaction it refuses to run. Database failures throw
// ErreurExecution and leave the rolling back to the caller.
namespace CalculRemplissage {

// A machine of the machine window's list, as the list holds it (NoMachine, Type, NbEmplacement, NbPorte,
// Chargement).
using Machine = DispositionMachine::Machine;

// One line of TRemplissageMachine, as bound; Null where the computation writes nothing.
struct LigneTravail {
    QVariant etage;
    QVariant reference;
    QVariant codeArticle;
    QVariant nbUnite;
    QVariant aRemplir;
    qint32 machine = 0;
};
// Empties TRemplissageMachine and writes `lignes` in their order.
void EcrireTravail(Connexion& connexion, const QList<LigneTravail>& lignes);

// The lines of the open machine as its layout computed them: rows 1 to 36 of the refill array, up to the
// first whose column 1 is 0, each written as it stands (columns 1 to 6), nothing recomputed.
void RemplisageMachine(Connexion& connexion, const DispositionMachine::Tableau& tableau);

// What a planned position of a machine holds: NbEmplacement / NbPorte for "ETAGE" (compared exactly),
// 1 for "CASIER", NbPorte for any other loading, rounded half to even to a 16-bit integer. nullopt for
// a floor machine whose NbPorte is 0 or Null (a division by zero); a Null count otherwise is the error
// InvalidUseOfNull, a capacity beyond 16 bits Overflow.
std::optional<qint16> Capacite(const Machine& machine);

// One line per article planned in each machine of the list, in the order of the list, then by
// reference: NbUnite the machine's slots loaded with it, Aremplir its planned positions x the machine's
// capacity - NbUnite (negative when overloaded), NumMach the machine; Etage and CodeArticle Null. The
// plans and the loads of the whole list are read in two grouped statements. A floor machine without
// doors is left out, logged under "RemplissageMachineGlobal" as a division by zero naming it; the
// machines left out are returned, in the order of the list.
QList<qint32> RemplissageMachineGlobal(Connexion& connexion, const QList<Machine>& machines);

// One line per configured position (ConfigMachines row) of each machine of the list, in the order of the
// list, then by Etage: Etage its rank in the machine (1, 2, ...), Reference and the article's CodeArticle,
// NbUnite the loaded slots of that position (each slot counted on its own layout row,
// ModeleMachine::LigneDeLayout; 0 when the position has none), Aremplir NbEmplacement / NbPorte - NbUnite
// (with its fraction) for "ETAGE", 1 for "CASIER", NbPorte - NbUnite otherwise, NumMach the machine.
// Floor machines without doors are left out and logged under "RemplissageMachineParEtage", as above.
// The locker window's global lines (`casiers` true) are the same, but a locker machine's position holds
// NbPorte, as a column machine's, and the machines left out are logged under "RemplissageMachineGlobal".
QList<qint32> RemplissageMachineParEtage(Connexion& connexion, const QList<Machine>& machines,
                                         bool casiers = false);

// The floors (vue Etages) or columns (Colonnes) of a machine holding at least one loaded slot, by layout
// row 1 to 37. Only on success are the flags written (true where loaded, false where the row's slots are
// all empty; rows without slots keep theirs) and is the answer true. A machine without any slot, a slot
// on a row beyond 37 or without row, or a database failure: logged under "VerifierMachineVide", false.
bool VerifierMachineVide(Connexion& connexion, const Machine& machine, ModeleMachine::Disposition vue,
                         std::array<bool, 38>& EtagesOccupes);

// The machine window's stock count of an article: the locker grid's, slots counted one each.
inline qint32 LireStockMachine(Connexion& connexion, qint32 machine, double reference) {
    return ::LireStockMachine(connexion, machine, reference, false);
}

} // namespace CalculRemplissage
