#pragma once

#include <QObject>
#include <QPointer>
#include <functional>

class QTableView;
class Recordset;

// A grid that follows its recordset, and back. After every move of the recordset the grid's current row
// is the recordset's, selected and wholly in view; it stays in view when the grid is laid out again
// afterwards (a card below it that grows, a window made smaller, a horizontal scroll bar that appears).
// A row chosen in the grid (a click, the arrow keys) moves the recordset; a grid its form has hidden (a
// record opened in its place) keeps the recordset's row whatever moves its cell. A grid whose model ends
// with a new-row line (RecordsetModel::setEditionParLigne) is on that line while the recordset is past its
// last row.
// Belongs to the grid: `new LigneGrille(grille, recordset)`, once the grid shows its model.
class LigneGrille : public QObject {
public:
    LigneGrille(QTableView* grille, Recordset* recordset);

    // The column made current with the row the recordset moves to; by default the grid keeps its
    // current column (the first when it has none).
    void setColonne(int colonne) { m_colonne = colonne; }

    // What a row chosen in the grid does in place of moving the recordset to it: a form that stores the
    // row it leaves first, or that may refuse to leave it (it then calls suivre() to put the grid back).
    // With `apresEvenement` it runs once the grid's own event is over, and only when that row is still
    // the grid's current one.
    void setChoix(std::function<void(int ligne)> choix, bool apresEvenement = false);

    // Puts the grid on the recordset's current row and scrolls it wholly into view (done after every
    // move of the recordset).
    void suivre();

protected:
    bool eventFilter(QObject* objet, QEvent* e) override;

private:
    void choisir(int ligne);
    void defiler();
    // Once the grid's pending layout is done.
    void defilerPlusTard();

    QTableView* m_grille;
    QPointer<Recordset> m_rs;
    int m_colonne = -1;
    std::function<void(int)> m_choix;
    bool m_apresEvenement = false;
    bool m_synchro = false;         // the grid is being put on the recordset's row: no move back
    bool m_defilementPrevu = false; // one deferred scroll at a time
};
