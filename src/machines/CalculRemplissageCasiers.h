#pragma once

#include "machines/CalculRemplissage.h"
#include "machines/GrilleCasiers.h"

#include <QList>
#include <QString>
#include <QStringList>

class Connexion;

// The locker window's refill computations, its label rows and its configuration file. The computations
// run on the caller's connection inside the sheet's write transaction, which holds the work tables (the
// report builder's), and replace what the work table held; a failure is logged under the routine's own
// name and thrown (ErreurExecution), so that the sheet rolls back and shows it rather than printing part
// of its lines.
namespace CalculRemplissageCasiers {

// The lockers of a grid column on the sheets: 9 for model 1, 18 for models 2 and 4, 36 for any other
// (model 10 included, whose grid has 62).
int CasiersParColonne(int type);
// The grid row of locker n with G lockers to a column: ((n - 1) mod G) + 1 from 1, G for locker 0.
qint64 LigneCasier(qint64 n, int G);

// Total to refill per article of the machine: one TRemplissageMachine row per configured article that
// has a code (Reference, NbUnite the units held by LireStockMachine's rule, Aremplir the lockers
// configured minus NbUnite, NumMach), by reference.
void RemplisageMachine(Connexion& connexion, qint32 machine, bool quantiteMultiple);

// The per-locker refill sheet: one TRemplissageMachine row per configured locker with a code (Etage its
// grid row, Reference, CodeArticle, NbUnite the machine's units of the article, Aremplir 1 - NbUnite, 0 -
// NbUnite for a locker without article, NumMach), by grid row, then reference.
void RemplisageMachineFicheReappro(Connexion& connexion, qint32 machine, int type, bool quantiteMultiple);

// The per-locker sheet when a locker holds several units: written straight into ARemplissageMachine,
// one row per configured locker whose article exists (Etage its grid row, ReferenceArticle, the planned
// Designation, NoMachine, RefFournisseur, NbArticle the machine's units of the article, 0 when held
// nowhere), by grid row, then reference.
void RemplisageMachineFicheReapproQteMultiple(Connexion& connexion, qint32 machine, int type,
                                              bool quantiteMultiple);

// Global refill lines of every machine of the list (CalculRemplissage::RemplissageMachineParEtage's, a
// locker machine's position holding NbPorte): per configured row, Etage its rank in the machine's plan,
// Reference, CodeArticle (the article's), NbUnite the slots holding an article in that layout row (each
// row counted by its own number through LigneDeLayout, 0 when none), Aremplir one floor's capacity
// NbEmplacement / NbPorte (floors) or NbPorte (others) minus NbUnite, Null when either is Null, NumMach.
// A floor machine without doors is left out and logged; the machines left out are returned.
QList<qint32> RemplissageMachineGlobal(Connexion& connexion,
                                       const QList<CalculRemplissage::Machine>& machines);

// The label rows of a locker grid of `lignes` rows and `colonnes` columns (captions included, cut to the
// tables' size): for grid rows 1 to lignes - 1, a TRemplissageMachine row per non-zero reference of the
// row unlike the last non-zero one before it (Reference, NumMach, Etage the grid row, NbUnite the grid
// column). True when it wrote a row. Errors are thrown, and logged by the sheet.
bool PlancheEtiquettes(Connexion& connexion, qint32 machine, const GrilleCasiers::Table<qint64>& references,
                       int lignes, int colonnes);

// Writes the locker grid's cells (row by row, captions included, as displayed) to `chemin`: the cells
// of a row joined by ";" (a cell holding ";", a double quote, CR or LF quoted by ChampCSV), CR LF after
// every line, no header, in the installation's code page. The file is replaced whole or left as it was;
// a failure throws ErreurExecution (75 when the file cannot be written).
void ExporterConfigurationCsv(const QString& chemin, const QList<QStringList>& cellules);

} // namespace CalculRemplissageCasiers
