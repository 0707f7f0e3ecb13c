#include "common/forms/LigneGrille.h"

#include "db/Recordset.h"

#include <QEvent>
#include <QItemSelectionModel>
#include <QResizeEvent>
#include <QTableView>
#include <algorithm>

LigneGrille::LigneGrille(QTableView* grille, Recordset* recordset)
    : QObject(grille), m_grille(grille), m_rs(recordset) {
    connect(grille->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& courant) {
                // A row being deleted: the grid moves to the next one by itself, the recordset then says
                // where it is.
                if (m_synchro || !courant.isValid() || !m_rs || courant.row() == m_rs->AbsolutePosition() ||
                    m_rs->SuppressionEnCours())
                    return;
                // A hidden grid is no one's choice. Hiding a grid that has the focus moves its current cell
                // on as a Tab would (from the last column to the next row, after the last row to the first),
                // and keys typed meanwhile still reach it; it is put back on the recordset's row when shown.
                if (m_grille->isHidden())
                    return;
                const int ligne = courant.row();
                if (!m_apresEvenement) {
                    choisir(ligne);
                    return;
                }
                QMetaObject::invokeMethod(
                    this,
                    [this, ligne] {
                        // A row the grid has left meanwhile (the form put it back) is no choice any more.
                        if (m_rs && m_grille->currentIndex().row() == ligne &&
                            ligne != m_rs->AbsolutePosition())
                            choisir(ligne);
                    },
                    Qt::QueuedConnection);
            });
    connect(recordset, &Recordset::MoveComplete, this, &LigneGrille::suivre);
    grille->installEventFilter(this);
    grille->viewport()->installEventFilter(this);
}

void LigneGrille::setChoix(std::function<void(int)> choix, bool apresEvenement) {
    m_choix = std::move(choix);
    m_apresEvenement = apresEvenement;
}

void LigneGrille::choisir(int ligne) {
    // The grid's rows: the recordset's, and the new-row line after them when its model has one.
    if (!m_rs || ligne >= m_grille->model()->rowCount())
        return;
    if (m_choix)
        m_choix(ligne);
    else
        m_rs->MoveTo(ligne);
}

void LigneGrille::suivre() {
    if (!m_rs || !m_grille->model())
        return;
    int position = m_rs->AbsolutePosition();
    // Past its last row, the recordset is on the grid's new-row line, when the grid has one.
    if (position < 0 && m_rs->IsEOF())
        position = m_rs->RecordCount();
    if (position < 0 || position >= m_grille->model()->rowCount())
        return;
    QItemSelectionModel* s = m_grille->selectionModel();
    const QModelIndex courant = s->currentIndex();
    if (!courant.isValid() || courant.row() != position || !s->isRowSelected(position, QModelIndex())) {
        const int colonne = m_colonne >= 0 ? m_colonne : std::max(0, courant.column());
        m_synchro = true;
        s->setCurrentIndex(m_grille->model()->index(position, colonne),
                           QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        m_synchro = false;
    }
    defiler();
}

void LigneGrille::defiler() {
    // A hidden grid scrolls to its current row itself when it is shown.
    const QModelIndex courant = m_grille->currentIndex();
    if (m_grille->isVisible() && courant.isValid())
        m_grille->scrollTo(courant, QAbstractItemView::EnsureVisible);
}

void LigneGrille::defilerPlusTard() {
    if (m_defilementPrevu)
        return;
    m_defilementPrevu = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_defilementPrevu = false;
            defiler();
        },
        Qt::QueuedConnection);
}

bool LigneGrille::eventFilter(QObject* objet, QEvent* e) {
    if (objet == m_grille && e->type() == QEvent::Show)
        suivre();
    if (objet == m_grille->viewport() && e->type() == QEvent::Resize) {
        // Laid out again after the move (the card filled below it, the window made smaller): the current
        // row that was in view stays wholly in view. Scrolled once the grid has taken its new size in.
        const QModelIndex courant = m_grille->currentIndex();
        if (courant.isValid()) {
            const QRect r = m_grille->visualRect(courant);
            const auto* taille = static_cast<QResizeEvent*>(e);
            const bool enVue = r.bottom() >= 0 && r.top() < taille->oldSize().height();
            const bool entiere = r.top() >= 0 && r.bottom() < taille->size().height();
            if (enVue && !entiere)
                defilerPlusTard();
        }
    }
    return QObject::eventFilter(objet, e);
}
