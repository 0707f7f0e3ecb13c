#pragma once

#include "common/forms/FormBase.h"
#include "counter/JournalVentes.h"

class ErreurExecution;
class QCheckBox;
class QComboBox;
class QLabel;
class QLayout;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableView;
class Recordset;
class RecordsetModel;

// "Journal des consommations": every withdrawal of the journal (the counter's and the machines'), the
// newest first, with the lines of the current one below, searched by date, badge or name; a withdrawal
// can be deleted. When the installation handles returns, the returns list can be laid over the journal.
// Opened modal from the menu; "Fermer" only hides it, and each opening reads the journal again.
//
// The class is split by concern: FrmVente.cpp (controls, layout, load, activation, deletion, closing),
// FrmVenteRecherche.cpp (the search modes and their sort, the search, the lines of the current withdrawal),
// FrmVenteExport.cpp (the export of the journal or the returns, opened or mailed, and the address list).
class FrmVente : public FormBase {
    Q_OBJECT
public:
    explicit FrmVente(QWidget* parent = nullptr);
    ~FrmVente() override;

    // --- state ---
    int ModeRecherche = JournalVentes::ParDate;

    // The journal (Ventes), the lines of its current withdrawal and the returns (Retour).
    Recordset* data1;
    Recordset* data2;
    Recordset* data3;
    RecordsetModel* ModeleJournal;
    RecordsetModel* ModeleDetail;
    RecordsetModel* ModeleRetours;

    // --- controls ---
    QLabel* LegendeDBGrid1; // "Liste des consommations"
    QTableView* DBGrid1;
    QLabel* LegendeDataGridRetour; // "Liste des retraits - retours"
    QTableView* DataGridRetour;
    QLabel* Label2; // "Détail"
    QTableView* DBGrid2;
    QLabel* Label3; // "Ticket:"
    QLineEdit* TextTicket;
    QCheckBox* CheckRetour;
    QRadioButton* SSOptionDate;
    QRadioButton* SSOptionClient;
    QRadioButton* SSOptionNom;
    QLabel* Label1; // "Rechercher:"
    QLineEdit* TextCherche;
    QPushButton* Command1;
    QPushButton* Command2;
    QLabel* Label4; // "Adresse E-mail:"
    QComboBox* ComboAdressEmail;
    QPushButton* cmdClose;

protected:
    void Form_Load() override;
    void Form_Unload(bool& annuler) override;
    void Form_Activate() override;
    void Form_KeyUp(QKeyEvent* e) override;
    bool eventFilter(QObject* objet, QEvent* e) override;

private:
    // The journal with the returns laid over it (returned), the lines grid and its title.
    QWidget* construireGrilles();
    QTableView* creerGrille(const QString& nom, RecordsetModel* modele);
    // Each column as wide as its design width or its caption, in every language.
    void ajusterColonnes();
    // The error's number, a blank and its description.
    void montrerErreur(const ErreurExecution& e);
    void CheckRetour_Click();
    void Command1_Click();
    void cmdClose_Click();

    // The export (FrmVenteExport.cpp).
    void Command2_Click();
    void ComboAdressEmail_LostFocus();
    // The address box turns yellow and the message is shown.
    void refuserAdresse(const QString& message);

    // The search (FrmVenteRecherche.cpp).
    QLayout* construireRecherche();
    void connecterRecherche();
    void ChangerModeRecherche();
    void selectionnerOption(QRadioButton* option);
    void DBGrid1_HeadClick(int ColIndex);
    void TextCherche_Change();
    void TextCherche_Click();
    void data1_MoveComplete();
    void AfficherDetailVente();

    QWidget* m_cadreRetours = nullptr; // the returns' grid with its caption
};
