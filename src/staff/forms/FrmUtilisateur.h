#pragma once

#include "common/forms/FormBase.h"
#include "staff/FicheSalarie.h"

#include <QColor>
#include <QList>
#include <QString>

class LigneGrille;
class QCheckBox;
class QComboBox;
class QFrame;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableView;
class QToolButton;
class Recordset;
class RecordsetModel;

// "Gestion des salariés": the employees of GrUtilisateur in a list (DBGrid1) with the card of the current
// one beside it, searched by badge, name or personnel number. Loaded once from the menu and shown
// modeless; "Fermer" only hides it, so list, card and search survive until the window is closed.
//
// The class is split by concern: FrmUtilisateur.cpp (layout, load, activation, keys, unload),
// FrmUtilisateurListe.cpp (the grid, the search modes and their sort), FrmUtilisateurCarte.cpp (the card
// filled on every move, its choice lists and keys). The save, the add and delete, the machines panel,
// the badge button, the profile detail and the consumption report come in files of their own.
class FrmUtilisateur : public FormBase {
    Q_OBJECT
public:
    explicit FrmUtilisateur(QWidget* parent = nullptr);
    ~FrmUtilisateur() override;

    // --- public interface, set and read by the profile form's hand-shake ---
    int ErreurProfilSalarie = 0; // 1 when the profile form could not add the employee's profile
    qint64 NouveauNoQuota = 0;   // NoQuota of the profile just added, 0 when none

    // --- state shared by the form's concerns ---
    int ModeRecherche = FicheSalarie::ParNom;
    bool AvecTelMobile = false; // [Machine ] ControlRetourProduitavecSMS is "OUI", read at load
    int NbMachines = 0;         // rows of Machines, counted at each activation
    QColor CouleurModif;        // the design colour of CmdModif, put back after a save
    // The period of the consumption report, dd/MM/yyyy; empty until the first report after a load.
    QString DebutPeriode;
    QString FinPeriode;

    // The employee list (GrUtilisateur, written to Utilisateurs by IdUtilisateur): the card's current row.
    Recordset* data1;
    RecordsetModel* ModeleSalaries;
    // The profile detail under the card.
    Recordset* data2;
    RecordsetModel* ModeleDetail;

    // --- controls ---
    QLabel* LegendeDBGrid1; // "Salariés"
    QTableView* DBGrid1;
    QGroupBox* FrameRecherche;
    QLabel* Label1; // "Rechercher:"
    QLineEdit* TextCherche;
    QRadioButton* SSOptionBadge;
    QRadioButton* SSOptionNom;
    QRadioButton* SSOptionMatricule;

    // The card. The key of each line of Combo1 to Combo5 (NoSite, NoService, NoQuota, NoTaille) is the
    // line's item data; Combo6 holds the fixed languages.
    QGroupBox* FrameFiche;
    QList<QLineEdit*> Text2; // Text2(0) badge, (1) surname, (2) first name, (3) personnel number, (4) mobile
    QList<QLabel*> Label2;   // Label2(0) to Label2(9)
    QComboBox* Combo1;       // site
    QComboBox* Combo2;       // service
    QComboBox* Combo3;       // profile
    QComboBox* Combo4;       // glove size
    QComboBox* Combo5;       // shoe size
    QComboBox* Combo6;       // language

    QPushButton* cmdAdd;
    QPushButton* cmdDelete;
    QPushButton* CmdModif;
    QPushButton* cmdClose;
    QPushButton* Command1; // badge reading or badge labels, a picture button
    QPushButton* CmdQuota;
    QLabel* LegendeDBGrid2;
    QTableView* DBGrid2;
    QLabel* Label3; // "PAS DE TAILLE CORRESPONDANTE"
    QPushButton* CmdConso;
    QToolButton* CmdPeriode;

    // The machines allowed, laid over the grid; hidden until the grid's column 9 button opens it.
    QFrame* SSPanel2;
    QWidget* ZoneMachines;       // holds the check boxes, in MachinesGrille
    QGridLayout* MachinesGrille; // CheckBox1(k) go here, one per machine
    QList<QCheckBox*> CheckBox1;
    QPushButton* CmdMachAutoriseSelec;
    QPushButton* CmdMachAuriseOK;

    // --- the card's choice lists (FrmUtilisateurCarte.cpp) ---
    void RemplirColSite();
    void RemplirColService(qint64 site);
    // True, after the message, when the badge is a maintenance badge.
    bool BadgeMaintenanceUtilise(const QString& badge);
    // Applies the search mode of the selected option (FrmUtilisateurListe.cpp).
    void ChoisirModeRecherche();
    // The quota lines of the current employee's profile under the card, and the size warning
    // (FrmUtilisateurProfil.cpp).
    void AfficherDetailProfil();

signals:
    // The button of a cell of DBGrid1 was clicked (column 9, "Accès Machine").
    void DBGrid1_ButtonClick(int ColIndex);

protected:
    void Form_Load() override;
    void Form_Unload(bool& annuler) override;
    void Form_Activate() override;
    void Form_KeyPress(QObject* controle, int& KeyAscii) override;
    void Form_KeyUp(QKeyEvent* e) override;

private:
    // Layout, in the file of each concern.
    void construireListe(QWidget* zone);
    void construireRecherche();
    void construireCarte();
    void construireMachines(QWidget* zone);
    void connecterListe();
    void connecterCarte();

    // Save, add and delete (FrmUtilisateurSauvegarde.cpp).
    void connecterSauvegarde();
    void CmdModif_Click();
    void ModifierUtilisateurHTML5();
    void enregistrerCarte(const QString& procedure);
    void cmdAdd_Click();
    void AjouterSalarieAncienneBase();
    void montrerNouveau(qint64 id);
    void cmdDelete_Click();
    // "Modifier" on the design colour, or "Enregistrer" on red once a row was added.
    void faceCmdModif(bool enregistrer);

    // The list (FrmUtilisateurListe.cpp).
    void DBGrid1_Click();
    void DBGrid1_HeadClick(int ColIndex);
    void SSOptionBadge_Click() { ChoisirModeRecherche(); }
    void SSOptionNom_Click() { ChoisirModeRecherche(); }
    void SSOptionMatricule_Click() { ChoisirModeRecherche(); }
    void TextCherche_Change();
    void TextCherche_Click();
    void cmdClose_Click();
    // The grid on the list's current row.
    void suivreLigneCourante();
    // An option set by the program: its click runs only when it was not selected.
    void selectionnerOption(QRadioButton* option);

    // The employee's own profile and the consumption report (FrmUtilisateurProfil.cpp).
    void construireDetailProfil();
    void CmdQuota_Click();
    void FenQuota_fermee();
    void CmdConso_Click();
    void CmdPeriode_Click();

    // The machines panel and the badge button (FrmUtilisateurMachines.cpp).
    void connecterMachines();
    void ouvrirMachines(int ColIndex); // DBGrid1_ButtonClick
    void CmdMachAutoriseSelec_Click();
    void CmdMachAuriseOK_Click();
    void Command1_Click();
    void attribuerBadgeLu(const QString& badge);
    QList<qint64> m_machineDeCase;    // NoMachine of each CheckBox1(k)
    QList<qint64> m_machinesSansCase; // listed numbers of no machine, kept by "OK"
    QVariant m_ligneMachines;         // bookmark of the row the panel was filled for

    // The card (FrmUtilisateurCarte.cpp).
    void data1_MoveComplete();
    void Combo1_Change();
    void Text2_KeyPress(int Index, int& KeyAscii);
    // Commits the pending changes of the current row; a refusal is shown and the row goes back to
    // what the database holds.
    void validerLigne();
    void remplirListe(QComboBox* liste, const QList<FicheSalarie::Ligne>& lignes);

    // The grid follows the list, and back.
    LigneGrille* m_ligneGrille = nullptr;
    bool m_rechercheEnCours = false; // the card is filled once, after the search
    bool m_carteAFaire = false;
    bool m_carteEnCours = false; // the card's own list changes run no handler
    bool m_filtreNom = false;    // the name search holds a filter on the list
};
