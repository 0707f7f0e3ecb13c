#pragma once

#include "machines/CalculRemplissageCasiers.h"
#include "machines/GrilleCasiers.h"
#include "machines/forms/FormeMachine.h"
#include "reports/ReportData.h"
#include "reports/forms/FenCrystalRep.h"

#include <array>

class ProgessBarre;
class QRadioButton;

// "Configuration machine casier", the locker window: its own copy of the machine list, and on a double
// click the locker grid of a locker machine ("CASIER"); a machine of another loading goes back to the
// machine window. Opened by the machine window, modal over the main window.
//
// The class is split by concern: FrmConfigMachineCasier.cpp (controls, load, activation, the list and
// its double click), FrmConfigMachineCasierGrille.cpp (the locker grid), FrmConfigMachineCasierFiches.cpp
// (the sheets, the label sheet and the configuration file).
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

    // The locker grid last drawn: Facteur, the per-cell tables ReferenceCase, DesignationCase and
    // CodeArticleCase, and the lockers per column the save maps lockers with.
    GrilleCasiers Grille;
    // Written by VerifierMachineVide only: the slots holding an article, by Colonne and Etage.
    GrilleCasiers::Table<bool> OccupationCase{};

    // Draws the locker grid of NoMachineCourante; a failure logs "LireConfigMachineColonne" and brings
    // the list back.
    void LireConfigMachineColonne();
    // The units of an article in the machine shown (the settings' QuantiteMultiple decides how).
    qint32 LireStockMachine(double reference);
    bool VerifierMachineVide();
    // The picture of the whole grid, every row and column at full size, with its texts and colours.
    QImage ImageGrille() const;

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
    void disposer(const QSize& place) override;
    void Form_Activate() override;

private:
    // The grid's events: a selection change once it ends (mouse released, keyboard move), from the cell
    // where it began (r, c) to the one where it ended (r2, c2); a double click on the current cell.
    void MSFlexGrid1_SelChange(int r, int c, int r2, int c2);
    void MSFlexGrid1_DblClick();
    void CmdEnregiConfig_Click();
    void Command5_Click();
    void OptionRefFour_Click();
    void OptionReference_Click();
    void OptionCodeArticle_Click();
    // The sheet buttons (FrmConfigMachineCasierFiches.cpp).
    void CmdRmplir_Click();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command6_Click();
    void ImprimerPlancheEtiquettes();
    void ExportCsv();
    bool eventFilter(QObject* objet, QEvent* evenement) override;

    void preparerGrille();
    void brancherFiches();
    // Opens a sheet modal over the window with its builder, then draws the grid again.
    ResultatEtat imprimerFiche(const QString& fichier, const QString& titre, const QString& source,
                               const ReportData::Builder& constructeur);
    GrilleCasiers::Option optionChoisie() const;
    // Writes an article (code not 0) or nothing into a cell and its tables.
    void affecterCellule(int r, int c, bool article);
    void montrerArticle();

    // The selection's first corner, and whether a mouse button is down over the grid.
    int m_ligneAncre = -1;
    int m_colonneAncre = -1;
    bool m_souris = false;
    bool m_dessin = false;
};
