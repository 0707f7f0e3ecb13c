#pragma once

#include "common/forms/FormBase.h"
#include "db/Recordset.h"

#include <QFrame>

class ErreurExecution;
class LigneGrille;
class QLabel;
class QPushButton;
class QTableView;
class QToolButton;
class RecordsetModel;

// The bar of a data control: first, previous, next and last around its caption.
class BarreDonnees : public QFrame {
    Q_OBJECT
public:
    explicit BarreDonnees(QWidget* parent = nullptr);
    QString caption() const;
    void setCaption(const QString& texte);

    QToolButton* premier;
    QToolButton* precedent;
    QLabel* legende;
    QToolButton* suivant;
    QToolButton* dernier;
};

// "Liste des codes": the job codes (table ListeNoAffaire) in a grid edited in place, whatever columns
// the table has. A row is written by its key when the grid leaves it or by "&Update"; the grid ends with
// the new-row line. Opened modal from the menu; never translated.
class frmListeAlarme : public FormBase {
    Q_OBJECT
public:
    explicit frmListeAlarme(QWidget* parent = nullptr);
    ~frmListeAlarme() override;

    // Opens the list: the caption, the form's connection, the whole table into the grid. A failure is
    // passed over in silence: the grid then stays empty.
    void OuvrirTableOrView();

    QTableView* grdDataGrid;
    BarreDonnees* datPrimaryRS;
    QWidget* picButtons;
    QPushButton* cmdAdd;
    QPushButton* cmdDelete;
    QPushButton* cmdUpdate;
    QPushButton* cmdRefresh;
    QPushButton* cmdClose;
    QPushButton* Command1; // sorts descending on the column last clicked
    QPushButton* Command2; // sorts ascending on it

    Recordset& liste() { return m_rs; }
    RecordsetModel* modele() const { return m_modele; }
    // The field of the column header last clicked; empty until then.
    const QString& colonneTri() const { return ColonneTri; }

protected:
    void Form_Load() override;
    void Form_Unload(bool& annuler) override;
    void Form_Resize() override;

private slots:
    void cmdAdd_Click();
    void cmdDelete_Click();
    void cmdUpdate_Click();
    void cmdRefresh_Click();
    void cmdClose_Click();
    void Command1_Click();
    void Command2_Click();

private:
    void grdDataGrid_HeadClick(int colonne);
    void datPrimaryRS_MoveComplete();
    // A row the database (or the check before it) refused while the grid wrote it.
    void datPrimaryRS_Error(const ErreurExecution& e);
    // The buttons' failures: the description alone.
    void montrerErreur(const std::exception& e);
    // Reads the table into the grid; throws.
    void lireListe();
    // Writes the row held in edition, the refusal shown as the data control shows it; false when refused.
    bool ecrireLigneTenue();
    void naviguer(int sens);
    void trier(Qt::SortOrder ordre);

    Recordset m_rs;
    RecordsetModel* m_modele;
    LigneGrille* m_ligne;
    QString ColonneTri;
};
