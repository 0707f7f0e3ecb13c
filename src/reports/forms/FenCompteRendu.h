#pragma once

#include "common/forms/FormBase.h"
#include "reports/CompteRendu.h"

#include <QVariantList>
#include <array>
#include <functional>

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

// The reports menu, caption "Report": the period of the reports (two texts, four shortcuts and the
// date-range dialog), the option pair and the profile filter of the report buttons, and the report buttons.
//
// The two period texts are where every report's period lives: the viewer prints them in each header and
// the builders read them; other windows write them before they print a period report. They are reached
// through periode(), which loads the menu first when it is not loaded: its load sets last month, and a
// caller's texts then replace it.
class FenCompteRendu : public FormBase {
    Q_OBJECT
public:
    explicit FenCompteRendu(QWidget* parent = nullptr);

    struct BoitesPeriode {
        QLineEdit* TextDebut;
        QLineEdit* TextFin;
    };
    // The period texts; the menu is loaded first, not shown, when it is not loaded.
    static BoitesPeriode periode();

    // Fills ListProfil with the profile names in the table's order, counts them in NbProfils and shows the
    // list. A failure is logged under "RemplirListProfil": the names added so far stay, the list stays
    // hidden. The connection it opens is closed when it ends.
    void RemplirListProfil();

    // The number of names RemplirListProfil put into ListProfil.
    qint32 NbProfils = 0;

    QGroupBox* Frame1; // "Choix de la période d'édition"
    QLabel* Label1;    // "Depuis"
    QLabel* Label2;    // "Jusqu'à"
    QLineEdit* TextDebut;
    QLineEdit* TextFin;
    QPushButton* CommandDate; // the date-range dialog (a picture)
    QPushButton* cmdDebutAnnee;
    QPushButton* cmdDebutMois;
    QPushButton* cmdMoisDernier;
    QPushButton* cmdSemaineDerniere;

    QGroupBox* Frame2;       // no caption
    QRadioButton* SSOption1; // "Par désignation"
    QRadioButton* SSOption2; // "Par référence"
    QListWidget* ListProfil; // several names can be selected
    QListWidget* List1;      // the sort orders of the withdrawals and returns list, hidden

    // Consumption reports.
    QPushButton* Command3;
    QPushButton* CmdConsoMachineGraph; // a picture
    QPushButton* CmdConsoParSalarie;
    QPushButton* Command9; // a picture
    QPushButton* CmdConsoParSalarieDetail;
    QPushButton* CmdCAparFamille;
    QPushButton* cmdConsoMensuel;
    QPushButton* CmdConsoMensuelGraph; // a picture
    QPushButton* CmdConsoParFournisseur;
    QPushButton* CmdConsoParProfile;
    QPushButton* CmdConsoParService;
    QPushButton* CmdConsoParSite;
    QPushButton* Command1;
    QPushButton* Command2;
    QPushButton* CmdConsoGlobal;
    QPushButton* Command10;
    QPushButton* Command11;
    QGroupBox* Frame3; // "Consommations par Business Unit ", the business units' buttons
    QPushButton* Command4;
    QPushButton* Command5;
    QPushButton* Command6;
    QPushButton* Command7;
    // Stock reports and employee lists.
    QPushButton* CmdArticleRupture;
    QPushButton* cmdPaieModeJournalier;
    QPushButton* CmdValeurStock;
    QPushButton* CmdValeurStockParFournisseur;
    std::array<QPushButton*, 9> CmdSalarie; // "CmdSalarié(0)" to "CmdSalarié(8)"
    // The returns reports.
    QPushButton* CmdRetourRetrait;
    QPushButton* Command8;

    QPushButton* cmdClose;

protected:
    void Form_Load() override;
    void Form_Activate() override;

private slots:
    void CommandDate_Click();
    void cmdDebutAnnee_Click();
    void cmdDebutMois_Click();
    void cmdMoisDernier_Click();
    void cmdSemaineDerniere_Click();
    void cmdClose_Click();

private:
    void TextDebut_LostFocus();
    void TextFin_LostFocus();
    // A period text left: the flag set, and a warning (message `message`) when it holds no date.
    void verifierDate(const QLineEdit* boite, int message);
    // True when the box holds a date; otherwise message `message` (exclamation) and false.
    bool dateLisible(const QLineEdit* boite, int message);
    void afficherPeriode(const CompteRendu::Periode& periode);

    // The report buttons (FenCompteRenduEtats.cpp).
    // Every report button runs through here: it is enabled, and a click first reads both period texts
    // as dates; the first that is none is told (message 28 or 29) and nothing runs.
    void brancherEtat(QPushButton* bouton, std::function<void()> etat);
    bool verifierPeriode();
    void brancherConsommations();
    // The consumption reports: CA built for the period by the viewer's step, reduced by `instruction`
    // when given, then `fichier` titled `titre` over CA, modal over the menu; no row: message 27.
    void imprimerConsommations(const QString& fichier, const QString& titre,
                               const CompteRendu::Instruction& instruction = {});
    void CmdConsoGlobal_Click();
    void Command10_Click();
    void Command11_Click();

    // The stock and employee lists and the returns reports (FenCompteRenduListes.cpp).
    void brancherListes();
    // `fichier` titled `titre` over `source` (its "?" bound to `valeurs`), modal over the menu.
    void imprimerListe(const QString& fichier, const QString& titre, const QString& source,
                       const QVariantList& valeurs = {});
    void CmdRetourRetrait_Click();
    // The order picked in List1: the period's withdrawals and returns in that order; the list hidden.
    void List1_Click();
    void Command8_Click();
};
