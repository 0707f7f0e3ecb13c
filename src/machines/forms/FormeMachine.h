#pragma once

#include <functional>

#include "common/forms/FormBase.h"
#include "db/Recordset.h"
#include "machines/CalculRemplissage.h"

class BoutonMultiligne;
class QLabel;
class QPushButton;
class QTableView;
class QTableWidget;
class RecordsetModel;

// What the two machine windows share: the machine list ("select * from Machines order by NoMachine",
// read when the window loads) with the picture of the current machine's model, the title, the close
// button, the configuration and sheet buttons, the layout grid, and the two states of the window: the
// list, or the layout of the machine opened. The state, not a caption, tells them apart; the close
// button reads Msg(1) over the list and Msg(3) over a layout, in the current language, and goes back
// from a layout to the list, then hides the window, which stays loaded (its list is not read again).
class FormeMachine : public FormBase {
    Q_OBJECT
public:
    // --- public interface ---
    // Configuration mode; set to false by whoever opens the window.
    bool ModeConfig = false;
    // The machine opened, and the view shown (the machine window: 1 floors, 2 columns; lockers: 2).
    qint32 NoMachineCourante = 0;
    qint16 ModeVue = 0;

    // Opens the machine of the list's current row (each window its own way).
    virtual void DataGrid1_DblClick() = 0;

    // --- controls ---
    QTableView* DataGrid1;
    QLabel* Picture1; // the model picture
    QLabel* Label3;   // the title: Msg(4) followed by the machine's Location
    QPushButton* cmdClose;
    QPushButton* CmdModeConfig;
    QPushButton* CmdEnregiConfig;
    BoutonMultiligne* CmdRmplir;
    BoutonMultiligne* Command1;
    BoutonMultiligne* Command2;
    BoutonMultiligne* Command3;
    BoutonMultiligne* Command4;
    QTableWidget* MSFlexGrid1;

    // The machine list, behind DataGrid1.
    Recordset& listeMachines() { return Adodc1; }
    // True while a machine's layout is shown, false over the list.
    bool dispositionAffichee() const { return m_disposition; }
    // Moves the list to machine `no`, searching from the first row; false when the list lacks it (the
    // list then stays where it was).
    bool allerALaMachine(qint32 no);
    // The machines of the list as it shows them, in its order, as the refill computations read them.
    QList<CalculRemplissage::Machine> machinesDeLaListe() const;

protected:
    explicit FormeMachine(const QString& nomForm, QWidget* parent = nullptr);

    void Form_Unload(bool& annuler) override;
    void Form_KeyUp(QKeyEvent* e) override;

    // Reads the list; on failure shows the error's number and description and unloads the window: false.
    bool ouvrirListe();
    // Runs a save of the layout; on failure (nothing written) logs it under "CmdEnregiConfig_Click",
    // shows the error's number and description and gives false.
    bool enregistrerConfig(const std::function<void()>& enregistrement);
    // The list stands on a machine.
    bool surUneMachine() const;
    QVariant champ(const QString& nom) const;
    // Msg(4) followed by the current machine's Location; Msg(4) alone without one. Throws when the list
    // has no Location field.
    QString titreMachine() const;
    // The list machine the sheets hand the report builder: NoMachine of the list's current row, 0 without
    // one.
    int machineDeLaListe() const;
    // After a global sheet, the machines it left out (a floor machine without doors), named in a message
    // when there are any.
    void signalerMachinesLaissees(const QList<qint32>& laissees);

    // The list state: the list in front, the layout and its buttons hidden, "Fermer".
    void passerEnListe();
    // The layout state of the machine opened: CmdRmplir, Command1 and Command2 shown, "Autre Machine".
    void passerEnDisposition();
    // Hides the layout (the list is coming back); the machine window hides its bars too.
    virtual void masquerDisposition();
    // The layout shown in place of the list: the grid emptied, the title of the machine.
    void montrerDisposition();
    // Translates the window from a language file; the close button keeps the state's caption.
    void traduireAvec(const QString& fichierLng);

    // Places a control at a design position, in twips.
    static void placer(QWidget* controle, int gauche, int haut, int largeur, int hauteur);
    // Lays the window out for the place its screen gives it (FormBase::placeSurLEcran): at its design
    // size where that fits, else in a layout of its own that keeps the grid and every control in sight.
    // Run before each show.
    virtual void disposer(const QSize& place) = 0;
    void showEvent(QShowEvent* e) override;

    Recordset Adodc1;
    RecordsetModel* m_modele;

protected slots:
    // Configuration mode, while a layout grid is shown: the save button appears. Nothing here turns the
    // mode off.
    void CmdModeConfig_Click();

private slots:
    void cmdClose_Click();

private:
    void Adodc1_MoveComplete();
    void legendeFermer();

    bool m_disposition = false;
};
