#pragma once

#include "common/forms/FormBase.h"
#include "db/Recordset.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class RecordsetModel;

// "Badges de maintenances": the list of the maintenance badges, and the box where a number is typed or
// read from the workstation's badge reader, then added, written into the current row, or deleted.
// A number that an employee holds is refused with a message; one already in the list empties the box.
class FenBadgeMaintenance : public FormBase {
    Q_OBJECT
public:
    explicit FenBadgeMaintenance(QWidget* parent = nullptr);

    QLabel* LegendeDBGrid1; // the grid's caption
    QTableView* DBGrid1;
    QGroupBox* Frame1;
    QLabel* Label2; // "N° Badge:"
    QLineEdit* Text2;
    QPushButton* Command1; // reads a badge from the reader and adds it
    QPushButton* cmdAdd;
    QPushButton* CmdModif;
    QPushButton* cmdDelete;
    QPushButton* cmdClose;

    Recordset& badges() { return data2; }

protected:
    void Form_Load() override;
    void Form_Unload(bool& annuler) override;
    void Form_Activate() override;

private slots:
    void cmdAdd_Click();
    void CmdModif_Click();
    void cmdDelete_Click();
    void Command1_Click();
    void cmdClose_Click();

private:
    void data2_MoveComplete();
    // The reader's typing rules for Text2: 12 digits with bar-code badges, anything otherwise.
    void reglerSaisie();
    void montrerErreur(const char* procedure, const std::exception& e);

    Recordset data2;
    RecordsetModel* m_modele;
    // Set while the add reads the list again: the box keeps the number added.
    bool m_garderBoite = false;
};
