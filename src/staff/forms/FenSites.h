#pragma once

#include "common/forms/FormBase.h"
#include "db/Recordset.h"
#include "reports/ReportData.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QToolButton;
class RecordsetModel;

// "Sites et Services": the sites in one list and the services in the other, each edited in the boxes
// under its list. "Ajouter" empties the boxes for a new row, which the save button (reading "Enregistrer"
// meanwhile) creates, refusing a name that exists; otherwise the save button writes the boxes into the
// current row. When OptionLienSiteService is set the services belong to the current site. For the
// ClientOrmax variant the form also prints the consumption of the current site over a period.
class FenSites : public FormBase {
    Q_OBJECT
public:
    explicit FenSites(QWidget* parent = nullptr);

    QGroupBox* SSFrame1; // "Sites"
    QTableView* DataGrid2;
    QLabel* Label2; // "Nom Site:"
    QLineEdit* Text3;
    QLabel* Label1; // "adresse:"
    QLineEdit* Text5;
    QLabel* Label3; // "Informations:"
    QLineEdit* Text4;
    QPushButton* CommandAddSite;
    QPushButton* CommandModifSite;
    QPushButton* CommandSuppSite;
    QGroupBox* Services;
    QTableView* DBGrid1;
    QLabel* Label4; // "Nom service:"
    QLineEdit* Text1;
    QLabel* Label5; // "Informations:"
    QLineEdit* Text2;
    QPushButton* cmdAdd;
    QPushButton* CmdModifier;
    QPushButton* CmdDel;
    QPushButton* CmdConsoParSite;
    QToolButton* CmdPeriode;
    QPushButton* cmdClose;

    // The period of the consumption report, dd/MM/yyyy; empty until the first report.
    QString DebutPeriode;
    QString FinPeriode;

    Recordset& sites() { return data1; }
    Recordset& services() { return data2; }

    // The report's builder step for the current site and the period: fills CA through EtatCAsite and,
    // when it holds rows, lets the viewer read them in the same transaction. False when there is nothing
    // to print; a failure is logged and thrown (the viewer shows it).
    bool CreerEtatCAparSite(Connexion& connexion, const std::function<void()>& lecture);

protected:
    void Form_Load() override;
    void Form_Unload(bool& annuler) override;
    void Form_Activate() override;
    void Form_KeyUp(QKeyEvent* e) override;

private slots:
    void CommandAddSite_Click();
    void CommandModifSite_Click();
    void CommandSuppSite_Click();
    void cmdAdd_Click();
    void CmdModifier_Click();
    void CmdDel_Click();
    void CmdConsoParSite_Click();
    void CmdPeriode_Click();
    void cmdClose_Click();

private:
    void data1_MoveComplete();
    void data2_MoveComplete();
    void EnregistrerSite();
    void EnregistrerService();
    void AfficherServices();
    // The save buttons' captions for their state (a translation puts back the design's).
    void afficherModes();
    void sortirModeNouveau(QPushButton* bouton, bool& nouveau);
    void erreurSauvegarde(const std::exception& e);
    void suppressionRefusee();

    Recordset data1;
    Recordset data2;
    RecordsetModel* m_modeleSites;
    RecordsetModel* m_modeleServices;
    bool m_nouveauSite = false;
    bool m_nouveauService = false;
};
