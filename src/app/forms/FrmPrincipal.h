#pragma once

#include "app/InfoSociete.h"
#include "common/forms/FormBase.h"

#include <QHash>
#include <QList>
#include <QVariant>
#include <memory>

class Connexion;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class frmAbout;
class ProgessBarre;
namespace ImportSalaries {
enum class Classeur;
}

// The main window: the menu of buttons, the company panel, and the start-up work that needs the
// database (company record, upkeep, customer variants, contactless reader, rights, preloaded forms).
// Closing it ends the program.
class FrmPrincipal : public FormBase {
    Q_OBJECT
public:
    explicit FrmPrincipal(QWidget* parent = nullptr);
    ~FrmPrincipal() override;

    // --- public interface ---
    // The numbers of every machine joined by ",".
    QString ListeDesMachinesAutorise();
    void AffichezMessage(const QString& texte1, const QString& texte2);
    // The display mode is the desktop's business on this platform: nothing to do.
    void ChangerResolutionEcran();
    QString UserName() const;

    // --- company record, as the start-up and the password dialog read it ---
    // The record's MotPasse; throws ErreurExecution when the record could not be read.
    QVariant motPasseSociete() const;
    EnregistrementSociete& societe() { return RsSociete; }
    // The text shown when the load failed for another reason than the database ("Form load frm
    // principale", then the error log's text); empty when it went through.
    const QString& erreurChargement() const { return m_erreurChargement; }
    // The load stopped because the database could not be opened ("Pas de base de donnée!").
    bool baseInaccessible() const { return m_baseInaccessible; }
    // The per-user rights were applied to the buttons during the load.
    bool droitsAppliques() const { return m_droitsAppliques; }

    bool ClientFenorel = false;

    // The import button: runs the import routine of the customer variant.
    void CmdImportSalarie_Click();
    // True while an import runs (the menu is disabled meanwhile).
    bool importEnCours() const { return m_importEnCours; }

    // --- controls ---
    QFrame* SSPanel1;
    QPushButton* CmdFamilles;
    QPushButton* CmdVente;
    QPushButton* CmdMachines;
    QPushButton* CmdMouvementStock;
    QPushButton* CmdFournissueur;
    QPushButton* CmdBadgeMainten;
    QPushButton* cmdClose;
    QPushButton* CmdSites;
    QPushButton* CmdProfile;
    QPushButton* CmdStock;
    QPushButton* CmdReport;
    QPushButton* CmdComptoir;
    QPushButton* CmdApropos;
    QPushButton* CmdInfoCom;
    QPushButton* CmdEmplacement;
    QPushButton* CmdTailles;
    QPushButton* Commandhelp;
    QPushButton* CmdDotation;
    QPushButton* CmdListealarme;
    QPushButton* CmdImportSalarie;
    ProgessBarre* ProgessBarre1;

    QFrame* SSPanelInfoCom;
    QLabel* Label1;                 // title of the company panel
    QList<QLabel*> LibellesSociete; // "Label2" to "Label7", beside the six boxes
    QLineEdit* TextNom;
    QLineEdit* TextAdd;
    QLineEdit* TextVille;
    QLineEdit* TextCP;
    QLineEdit* TextTel;
    QLineEdit* TextFax;
    QPushButton* cmdOK;

    // The 17 buttons that take the menu's colours, in the order of their pictures.
    QList<QPushButton*> boutonsMenu() const;

protected:
    void Form_Load() override;
    void Form_Unload(bool& annuler) override;
    void Form_Activate() override;
    void Form_Resize() override;

private:
    void chargerEtapes();
    void appliquerCouleurs();
    void chargerImages();
    void appliquerVariantes();
    void AppliquerDroitsAcces();
    void VerifierClePrimaireCodeArticle();
    void afficherSociete();
    void lireSaisieSociete();

    void echecChargement(const QString& journal);
    void ouvrirMenu(const QString& bouton);
    void CmdInfoCom_Click();
    void cmdOK_Click();
    void cmdClose_Click();
    void CmdApropos_Click();
    void Commandhelp_Click();

    QPushButton* nouveauBouton(const QString& nom, const QString& legende);

    // Employee import (FrmPrincipalImport.cpp): one routine per workbook layout.
    void ImportSalarie();
    void ImportSalarieFenorel();
    void CmdImportSalarieTalmer();
    void importerSalaries(ImportSalaries::Classeur classeur);
    void afficherBarreImport(int pourcent);

    EnregistrementSociete RsSociete;
    bool m_baseInaccessible = false;
    bool m_droitsAppliques = false;
    bool m_importEnCours = false;
    QString m_erreurChargement;
    frmAbout* m_apropos = nullptr;
};

// The single instance of the run (Instance<FrmPrincipal>()).
FrmPrincipal& frmPrincipal();
