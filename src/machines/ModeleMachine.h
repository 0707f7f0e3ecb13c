#pragma once

#include <QList>
#include <QString>
#include <QVariant>
#include <QtGlobal>
#include <optional>

class Connexion;

// The machine models (Machines.Type): the slot numbering of the dispensing models 1 to 5, the model
// factor (the spacing of a model's slot columns) and the odd test the layouts colour alternate rows with.
namespace ModeleMachine {

// The error of a call the routines refuse (an unknown model, a machine that has slots already).
constexpr qint32 AppelIncorrect = 5;

// Floors and slots of a model with a built-in numbering.
struct Geometrie {
    int etages = 0;
    int emplacements = 0;
    int parEtage() const { return etages > 0 ? emplacements / etages : 0; }
};
// Models 1 to 5: 4 floors of 9 slots, 5 of 18, 5 of 36, 7 of 18, 7 of 36. Other models (6, 8, 10 exist
// in the data) have none.
std::optional<Geometrie> GeometrieModele(int type);

// The spacing of the slot columns of a model: 4 for model 1, 2 for models 2 and 4, 1 for any other.
int FacteurModele(int type);

// One slot of a model: numbered from 1 floor by floor; its floor from 1, and its column within the floor
// (1, 5, 9, ... with 9 slots a floor; 1, 3, 5, ... with 18; 1, 2, 3, ... with 36).
struct Emplacement {
    int noEmpl = 0;
    int etage = 0;
    int colonne = 0;
};
// Every slot of a model, in order; empty for a model without a numbering.
QList<Emplacement> EmplacementsModele(int type);

// How a machine is laid out, from its Machines.Chargement: "ETAGE" one row per floor, "CASIER" one cell
// per locker, any other value (compared exactly) one row per column.
enum class Disposition { Etages, Colonnes, Casiers };
Disposition DispositionDe(const QString& chargement);

// The layout row a slot belongs to, the one mapping of the views' counts, the saves and the refill
// computations: by floors the slot's Etage; by columns Int(Colonne / f) + 1 for a model factor f above 1
// (model 1: columns 1, 5, ..., 33 on rows 1 to 9), else its Colonne; by lockers its NoEmpl. The field a
// layout reads being Null, the slot belongs to no row.
std::optional<qint64> LigneDeLayout(Disposition disposition, int type, const QVariant& etage,
                                    const QVariant& colonne, const QVariant& noEmpl);

// The locker grid of a model: its locker density, the grid's row count (the caption row included), the
// lockers a grid column holds, and whether the grid scrolls vertically. Models 1 (4, 10 rows, 9), 2 and 4
// (2, 19, 18), 3, 5, 6 and 8 (1, 37, 36), 10 (1, 63, 62, scrolling); none for another model.
struct GeometrieCasiers {
    int facteur = 1;
    int lignes = 37;
    int parColonne = 36;
    bool defilement = false;
};
std::optional<GeometrieCasiers> GeometrieCasiersModele(int type);

// True when x / 2 is not a whole number: an odd whole x, or any x with a fraction (0.5, 2.5).
bool EstImpair(double x);

// Adds the slots of the model to the machine in EmplacementsMachine1 (Reference and Qte Null), in one
// write transaction. Another model, or a machine that has a slot already, adds nothing and throws
// ErreurExecution (AppelIncorrect); a database failure throws too and adds nothing either.
void CreerEmplacementsMachine(Connexion& connexion, int type, qint32 machine);

} // namespace ModeleMachine
