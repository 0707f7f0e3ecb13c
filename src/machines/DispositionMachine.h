#pragma once

#include "machines/ModeleMachine.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <array>
#include <optional>

class Connexion;

// The floor and column layouts of a dispensing machine: one row per configured row of ConfigMachines, in
// the order of its Etage, with the planned article, the slots of the machine counted on each row and what
// remains to load, and the refill array the machine window keeps for its sheets.
class DispositionMachine {
public:
    // The Machines row of the machine drawn.
    struct Machine {
        qint32 noMachine = 0;
        int type = 0;
        QVariant nbEmplacement;
        QVariant nbPorte;
        // Machines.Chargement, read by the refill computations over the machine list (a layout is drawn
        // by the view it is given).
        QVariant chargement;
    };

    // TableauRemplissage: rows 0 to 37 by columns 0 to 6. Row i mirrors layout row i (i up to 37): 1 the
    // row's number, 2 the planned reference, 3 its article code, 4 the loaded slots, 5 what remains to
    // load, 6 the machine. Row 37 of a model 8 by columns is its special row, whatever the rows before.
    using Tableau = std::array<std::array<double, 7>, 38>;

    // The row 37 of a model 8 machine laid out by columns: its own colour, no bar, always last.
    static constexpr qint64 LigneSpeciale = 37;
    static constexpr int TypeLigneSpeciale = 8;
    // The number the special row is captioned and listed with.
    static constexpr int NumeroSpeciale = 12;

    struct Ligne {
        qint64 etage = 0;      // ConfigMachines.Etage: the row's own number
        bool speciale = false; // row 37 of a model 8 by columns
        QString legende;       // column 0: "Etage " or Msg(10), and the row's number
        // As planned; Null when ConfigMachines or ArticleEnStock has none.
        QVariant designation; // ArticleEnStock's
        QVariant reference;
        QVariant codeArticle;
        // Slots fall on the row (any slot, loaded or not); without any, nothing is counted or computed.
        bool aDesEmplacements = false;
        qint64 charges = 0; // slots of the row holding an article
        // Capacity less loaded slots; none without slots or without a capacity (a Null or 0 door or slot
        // count).
        std::optional<double> aRemplir;
        // Loaded slots in percent of the capacity, rounded half to even, not capped; 0 without one.
        int pourcentage = 0;

        // The grid's text of column 0 to 5: caption, designation, reference, code, loaded slots, what
        // remains to load (up to 15 significant digits, the workstation's decimal separator). Empty where
        // there is no value.
        QString texte(int colonne) const;
    };

    QList<Ligne> lignes;
    Tableau TableauRemplissage{};

    // Reads the layout of one machine by floors or by columns (lockers have their own grid) from two
    // bound statements: the configured rows with their article's designation, and the machine's slots
    // gathered by floor or column, counted per row through ModeleMachine::LigneDeLayout. A configured row
    // without Etage is not drawn.
    // Throws ErreurExecution when the database fails.
    static DispositionMachine Lire(Connexion& connexion, const Machine& machine,
                                   ModeleMachine::Disposition vue);

    // The captions of columns 1 to 5: the floors' in French whatever the language, the columns' from
    // Msg(5) to Msg(9).
    static QStringList Entetes(ModeleMachine::Disposition vue);
};
