#pragma once

#include "machines/CalculRemplissage.h"
#include "machines/DispositionMachine.h"
#include "machines/EnregistrerConfigMachine.h"
#include "machines/forms/FormeMachine.h"

#include <QList>
#include <array>
#include <functional>
#include <optional>

class Connexion;
class ProgessBarre;
enum class ResultatEtat;

// "Configuration machine", opened modal from the main menu's machines button: the machine list with the
// picture of the current machine's model; a double click opens the machine's layout, by floor ("ETAGE")
// or by column (any other loading), or hands a locker machine ("CASIER") to the locker window. The
// window translates itself at every activation, French included.
//
// The class is split by concern: FrmConfigMachine.cpp (controls, load, activation, the list and its
// double click), FrmConfigMachineDisposition.cpp (the floor and column layouts, choosing the articles of
// their rows and saving the plan), FrmConfigMachineFiches.cpp (the sheet buttons).
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

    // What a sheet button hands the report viewer: the report file, its title and record source, and the
    // builder's machine, second number and procedure.
    struct Fiche {
        QString fichier;
        QString titre;
        QString source;
        int machine = 0;
        int nombre = 1;
        QString procedure;
    };
    // The last sheet asked for, kept until the next one.
    const std::optional<Fiche>& derniereFiche() const { return m_derniereFiche; }

    // The batch of presentation sheets, machines 1 to 42 each sent as a workbook, then the end of the
    // program; its button is never shown.
    void Command5_Click();

    // --- controls ---
    QLabel* SSPanel3;                         // "Remplissage", over the bars
    std::array<ProgessBarre*, 37> SSPanel2{}; // 1 to 36, one beside each layout row
    QPushButton* Command5;                    // "Command5", never shown

protected:
    void Form_Load() override;
    void disposer(const QSize& place) override;
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

    // The sheet buttons (FrmConfigMachineFiches.cpp).
    void brancherFiches();
    void CmdRmplir_Click();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    // The sheet through the viewer, modal over this window: `travail` (the sheet's computation) in the
    // builder's transaction.
    ResultatEtat imprimerFiche(const Fiche& fiche, std::function<bool(Connexion&)> travail = {});

    PlanMachine m_plan;
    std::optional<Fiche> m_derniereFiche;
};
