#pragma once

#include "machines/DispositionMachine.h"
#include "machines/EnregistrerConfigMachine.h"
#include "machines/forms/FormeMachine.h"

#include <array>

class ProgessBarre;

// "Configuration machine", opened modal from the main menu's machines button: the machine list with the
// picture of the current machine's model; a double click opens the machine's layout, by floor ("ETAGE")
// or by column (any other loading), or hands a locker machine ("CASIER") to the locker window. The
// window translates itself at every activation, French included.
//
// The class is split by concern: FrmConfigMachine.cpp (controls, load, activation, the list and its
// double click), FrmConfigMachineDisposition.cpp (the floor and column layouts, choosing the articles of
// their rows and saving the plan).
class FrmConfigMachine : public FormeMachine {
    Q_OBJECT
public:
    explicit FrmConfigMachine(QWidget* parent = nullptr);

    // --- public interface ---
    // Opens the machine of the list's current row. A locker machine goes to the locker window, shown
    // modal over this window's owner while this one hides (when the locker window is hidden again, so
    // is this one); nothing opens when the locker window's list lacks it. Without a current row nothing
    // happens.
    void DataGrid1_DblClick() override;

    // The article the picker hands back.
    double CodeArticle = 0;
    double Reference = 0;
    QString Designation;
    // Model of the machine opened.
    qint16 TypeMachineCourante = 0;
    // The refill array of the layout drawn last (the sheets read it).
    DispositionMachine::Tableau TableauRemplissage{};
    // The plan of the layout shown, one row per grid row from grid row 1: what the save writes.
    const PlanMachine& planAffiche() const { return m_plan; }

    // --- controls ---
    QLabel* SSPanel3;                         // "Remplissage", over the bars
    std::array<ProgessBarre*, 37> SSPanel2{}; // 1 to 36, one beside each layout row

protected:
    void Form_Load() override;
    void Form_Activate() override;
    void masquerDisposition() override;

private:
    void LireConfigMachineEtage();
    void LireConfigMachineColonne();
    // The layout grid's look and events, once.
    void preparerDisposition();
    // Both layouts; `procedure` names the drawing in the error log.
    void dessiner(ModeleMachine::Disposition vue, const QString& procedure);
    void MSFlexGrid1_DblClick(int ligne);
    void CmdEnregiConfig_Click();

    PlanMachine m_plan;
};
