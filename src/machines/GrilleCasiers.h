#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>
#include <array>
#include <utility>

class Connexion;
class QImage;
class QPaintDevice;

// The locker grid of a locker machine: one cell per locker, laid out column by column, G lockers to a
// grid column, and the three per-cell tables behind the cells (the plan the locker window saves).
class GrilleCasiers {
public:
    // The tables' size: grid rows 0 to 63, grid columns 0 to 14.
    static constexpr int NbLignes = 64;
    static constexpr int NbColonnes = 15;
    template <typename T> using Table = std::array<std::array<T, NbColonnes>, NbLignes>;

    // What the cells hold: the article's Reference and code (0: none) and designation (empty: none), and
    // the cells a locker was drawn in.
    struct Tables {
        Table<qint64> ReferenceCase{};
        Table<QString> DesignationCase;
        Table<qint64> CodeArticleCase{};
        Table<bool> Dessinee{};
        void vider();
    };

    // One locker read: its number (ConfigMachines.Etage), its cell, and the fields of the list.
    struct Casier {
        qint64 numero = 0;
        int x = 0; // grid row
        int y = 0; // grid column
        QVariant referenceArticle;
        QVariant codeArticle;
        QVariant designation; // ArticleEnStock's
        QVariant refFournisseur;
    };

    // What a locker cell shows.
    enum class Option { RefFournisseur, Reference, CodeArticle };

    // The locker density and the grid's row count of the last drawing whose model has a locker grid;
    // 1 and 37 before any.
    qint16 Facteur = 1;
    int lignes = 37;
    bool defilement = false;
    // Lockers per grid column of the last drawing.
    int parColonne = 36;
    Tables tables;
    QList<Casier> casiers;

    // The cell (grid row X, grid column Y) of locker n with G lockers to a column; for n from 1, X runs
    // from 1 to G.
    static std::pair<qint64, qint64> Cellule(qint64 n, int G);
    // The cell lies within the tables, off the caption row and column.
    static bool DansLesTables(qint64 x, qint64 y) {
        return x >= 1 && x < NbLignes && y >= 1 && y < NbColonnes;
    }

    // Reads the lockers of one machine of model `type` with `nbPorte` grid columns, in one bound
    // statement: every ConfigMachines row of the machine with its article's designation and supplier
    // reference. The geometry follows the model (another model keeps the last one), the tables are
    // emptied first and then hold the lockers read. A locker numbered below 1 or without number belongs
    // to no cell and is left out. Throws ErreurExecution when the database fails or when a locker falls
    // beyond the grid's rows, beyond column nbPorte or beyond column 14; the lockers read so far stay.
    void Lire(Connexion& connexion, qint32 machine, int type, qint64 nbPorte);

    // The text a locker cell shows under an option; empty when the field is Null.
    static QString Texte(const Casier& casier, Option option);
};

// The units of an article in a machine: with `quantiteMultiple` the sum of Qte over the slots holding
// it, else the number of those slots; Null counts 0, rounded half to even. 0 for machine 0, and on a
// database failure, which is logged under "LireStockMachine".
qint32 LireStockMachine(Connexion& connexion, qint32 machine, double reference, bool quantiteMultiple);
// The same units for every article the machine holds, in one grouped statement: Reference to units (an
// article held nowhere is absent). A database failure or a sum beyond 32 bits is thrown, not logged.
QHash<qint64, qint32> StockMachineParArticle(Connexion& connexion, qint32 machine, bool quantiteMultiple);

// Marks in `occupation` (indexed by Colonne, then Etage) the slots of the machine holding an article;
// false, logged under "VerifierMachineVide", when the machine has no slot, a slot lies outside the table
// or the database fails.
bool VerifierMachineVide(Connexion& connexion, qint32 machine, GrilleCasiers::Table<bool>& occupation);

// Paints the print-out of a locker grid on a paged device: the title at 200 twips from the top, centred
// on the device's width as measured in the painter's first font, then in Tahoma 14 bold; the grid's
// picture at (500, 800) twips at its screen size (15 twips a pixel). Throws ErreurExecution when the
// device cannot be painted on.
void ImprimerGrilleCasiers(QPaintDevice& device, const QString& titre, const QImage& grille);
