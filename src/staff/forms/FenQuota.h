#pragma once

#include "common/forms/FormBase.h"
#include "db/Recordset.h"

#include <QString>
#include <array>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QTimeEdit;
class RecordsetModel;

// What AjoutProfileSalarie did; the employee form writes its own fields from it.
struct ResultatProfilSalarie {
    enum class Issue {
        Cree,   // the profile exists now: `noQuota`, its (empty) detail shown
        Refuse, // a profile of that name exists: nothing written
        Echec   // any other failure: nothing written, `description` says why
    };
    Issue issue = Issue::Echec;
    qint64 noQuota = 0;
    QString description;
};

// "Profils": the profile list, its quota lines (article, quantity allowed, period in days) and, when
// OptionPlageHoraire is set, the weekday time windows of the current profile, in a block at the right
// that is out of sight otherwise. Opened from the menu, or from the employee form (DepuisFicheSalarie)
// to fill an employee's own profile; "Fermer" only hides it.
//
// Split by concern: FenQuota.cpp (layout, load, profiles, quota lines, closing) and FenQuotaPlages.cpp
// (the time windows).
class FenQuota : public FormBase {
    Q_OBJECT
public:
    explicit FenQuota(QWidget* parent = nullptr);

    // --- public interface ---
    // Reference of the article last picked for a new line; 0 = nothing picked.
    double ReferenceChoisie = 0;
    // True when the employee form opened the form: no profile deletion, and "Fermer" signals fermee().
    bool DepuisFicheSalarie = false;
    // Creates a profile named `nom` and makes it current (loads the form when it is not loaded). Shows
    // nothing: the caller reports a refusal or a failure.
    ResultatProfilSalarie AjoutProfileSalarie(const QString& nom);

    // --- controls ---
    QTableView* DataGrid1;
    QPushButton* CmdAddProfile;
    QPushButton* Command3;
    QPushButton* CmdDelProfile;
    QGroupBox* SSFrame1; // "Profil": the name of a new or renamed profile
    QLabel* Label2;      // "Libellé:"
    QLineEdit* Text1;
    QPushButton* Command1; // OK
    QPushButton* Command2; // Annuler
    QTableView* DBGrid2;
    QGroupBox* SSFrame2; // "Détail Quotas": the current line
    QLabel* LabelRefArticle;
    QLabel* LabelDesignation;
    QLabel* LabelTaille;
    QLabel* Label5; // "Quota:"
    QLineEdit* Text2;
    QLabel* Label6; // "Périodicité (Nb jours):"
    QLineEdit* Text3;
    QPushButton* CmdAddArticle;
    QPushButton* CmdDelArticle;
    QPushButton* cmdClose;
    // The time-window block; index i of each array is NoJour i (1 = Sunday), index 0 unused.
    QWidget* BlocPlageHoraire;
    QLabel* Label4; // "Plage horaire"
    QLabel* Label1; // "Début"
    QLabel* Label3; // "Fin"
    std::array<QLabel*, 8> LabelJour{};
    std::array<QTimeEdit*, 8> DTPickerStart{};
    std::array<QTimeEdit*, 8> DTPickerEnd{};
    QPushButton* Command4; // "Valider"

    Recordset& profils() { return data1; }
    Recordset& detail() { return data2; }
    // True while the name frame renames the current profile, false while it creates one.
    bool renommage() const { return RenommageProfil; }

signals:
    // "Fermer" was clicked on a form opened from the employee form.
    void fermee();

protected:
    void Form_Load() override;
    void Form_Unload(bool& annuler) override;
    void Form_Activate() override;
    void Form_KeyPress(QObject* controle, int& KeyAscii) override;

private slots:
    void CmdAddProfile_Click();
    void Command3_Click();
    void CmdDelProfile_Click();
    void Command1_Click();
    void Command2_Click();
    void CmdAddArticle_Click();
    void CmdDelArticle_Click();
    void cmdClose_Click();
    void Command4_Click();

private:
    void construireBlocPlages();
    void dimensionner();
    void ajusterColonnesDetail();
    void data1_MoveComplete();
    void data2_MoveComplete();
    void AfficherDetailQuota();
    void AfficherPlageHoraire();
    void resetPickers();
    void pickerChange();
    // The quantity and period boxes, written to the line they show when it changes or the form closes.
    void afficherBoites();
    void ecrireBoites();
    void remettreArticleEnGrille();
    bool profilCourant(qint64* noQuota) const;

    Recordset data1;
    Recordset data2;
    RecordsetModel* m_modeleProfils;
    RecordsetModel* m_modeleDetail;
    bool RenommageProfil = false;
    // The line whose values the boxes show (NoLigne, -1 for none), and whether they changed since.
    qint64 m_ligneBoites = -1;
    bool m_text2Modifie = false;
    bool m_text3Modifie = false;
    bool m_remplissageBoites = false;
};
