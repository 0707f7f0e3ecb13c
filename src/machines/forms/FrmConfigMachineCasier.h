#pragma once

#include "machines/forms/FormeMachine.h"

#include <array>

class ProgessBarre;
class QRadioButton;

// "Configuration machine casier", the locker window: its own copy of the machine list, and on a double
// click the locker grid of a locker machine ("CASIER"); a machine of another loading goes back to the
// machine window. Opened by the machine window, modal over the main window.
//
// The class is split by concern: FrmConfigMachineCasier.cpp (controls, load, activation, the list and
// its double click), FrmConfigMachineCasierGrille.cpp (the locker grid).
class FrmConfigMachineCasier : public FormeMachine {
    Q_OBJECT
public:
    explicit FrmConfigMachineCasier(QWidget* parent = nullptr);

    // --- public interface ---
    // Opens the machine of the list's current row: a locker machine here; any other is handed to the
    // machine window (this window hides, the machine window opens it and is shown modal over this
    // window's owner), unless the machine window's list lacks it. Without a current row nothing happens.
    void DataGrid1_DblClick() override;

    // The article the picker hands back.
    qint32 CodeArticle = 0;
    double Reference = 0;
    QString RefFournisseur;
    QString Designation;

    // --- controls ---
    QPushButton* Command5; // "Imprimer"
    QPushButton* Command6; // "Export Excel"
    QLabel* Label1;        // "Désignation:"
    QLabel* Label4;        // the designation of the locker chosen
    QLabel* Label2;        // "Qté en machine:"
    QLabel* Label5;        // the units of its article in the machine
    QRadioButton* OptionRefFour;
    QRadioButton* OptionReference;
    QRadioButton* OptionCodeArticle;
    std::array<ProgessBarre*, 38> SSPanel2{}; // 1 to 37, never shown

protected:
    void Form_Load() override;
    void Form_Activate() override;

private:
    void LireConfigMachineColonne();
};
