#pragma once

#include "common/forms/FormBase.h"

#include <QList>
#include <QString>

#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTableView;
class QTimer;
class Recordset;
class RecordsetModel;
class SpinButton;

// "Comptoir": the manual counter, where the operator picks an employee and an article and hands the
// article out. Opened modal from the menu; each opening reads the articles and the employees afresh, and
// the lists stay as read while the form is open.
//
// The class is split by concern: FenComptoir.cpp (controls, layout, load, activation, keys, closing),
// FenComptoirSalarie.cpp (the employee: badge and name searches, the spin button, the reader's polling),
// FenComptoirArticle.cpp (the article: reference, supplier-reference and list searches, its picture),
// FenComptoirHistorique.cpp (the history grid and its print-out),
// FenComptoirRemise.cpp (the hand-out and its recording).
class FenComptoir : public FormBase {
    Q_OBJECT
public:
    explicit FenComptoir(QWidget* parent = nullptr);
    ~FenComptoir() override;

    // --- state read by the hand-out ---
    bool SalarieSelectionne = false;
    bool ArticleSelectionne = false;
    // Set once, at the first activation, when the pictures are kept in the database.
    bool ImagesOuvertes = false;

    // StockGlobal, in Reference order once loaded.
    Recordset* RsArticles;
    // GrUtilisateur in name order; its current row is the selected employee.
    Recordset* RsSalaries;
    // The selected employee's history in DataGrid1; closed by every employee search and spin step.
    Recordset* RsHistorique;
    RecordsetModel* ModeleHistorique;

    // The quota check of an article for an employee, on the form's connection (1, 2 or 0).
    qint16 VerifierQuota(qint64 reference, const QString& nom, const QString& prenom);

    // The SAP goods issue of a hand-out; ExportSAPReussi tells whether the SAP host answered.
    bool ExportSAPReussi = false;
    void ExportToSapXML(const QString& p1, const QString& BKTXT, const QString& MATNR, const QString& KOSTL,
                        qint32 ERFMG);

    // --- controls ---
    QLineEdit* TextUtilisateur; // badge
    QLineEdit* TextNom;
    SpinButton* SpinButton1; // left arrow: next employee, right arrow: previous
    QLineEdit* TextReference;
    QLineEdit* TextRefFournisseur;
    QComboBox* Combo1;  // "<supplier reference> |---<designation>" of the articles
    QListWidget* List1; // hidden: the Reference of Combo1's item at the same index
    QLineEdit* TextQte;
    QList<QLabel*> Label1; // captions, Label1(0) to Label1(16)
    QList<QLabel*> Label2; // values of the employee (0-6, 9) and of the article (7, 8, 10)
    QLabel* Image1;        // the article's picture, hidden until there is one
    QPlainTextEdit* TextBox1;
    QPlainTextEdit* TextBox2;
    QLabel* LabelMessage;
    QPushButton* CmdSave;
    QPushButton* cmdClose;
    QPushButton* CommandButton1;
    QPushButton* CommandButton2;
    QLabel* LegendeDataGrid1; // "Historique"
    QTableView* DataGrid1;
    QListWidget* Lst; // hidden: the lines of the history's print-out
    QTimer* TimerLecteurComptoir;

protected:
    void Form_Load() override;
    void Form_Unload(bool& annuler) override;
    void Form_Activate() override;
    void Form_KeyUp(QKeyEvent* e) override;
    // Hands the chosen article out to the selected employee.
    virtual void EffectuerRemiseArticle();

private:
    void construireSalarie();
    void construireArticle();
    void construireHistorique();
    void placerControles();
    void ordreTabulation();
    void etatInitial();
    void cmdClose_Click();

    // The employee (FenComptoirSalarie.cpp).
    void connecterSalarie();
    void TextUtilisateur_Change();
    void TextNom_Change();
    void TextUtilisateur_KeyUp(QKeyEvent* e);
    void SpinButton1_SpinUp();
    void SpinButton1_SpinDown();
    void avancer(bool suivant);
    void TimerLecteurComptoir_Timer();
    // The card from the current row, field by field; a Null field leaves its label as it was.
    void AfficherSalarie();
    void ViderCarte();
    // Drops the history: the next request reads it for the employee then selected.
    void FermerHistorique();

    // The field's text on the current row, or nothing for Null.
    static std::optional<QString> texteNonNul(const Recordset& rs, const QString& champ);

    // The article (FenComptoirArticle.cpp).
    void connecterArticle();
    void TextReference_Change();
    void TextRefFournisseur_Change();
    void Combo1_Click(int index);
    void TextQte_Click();
    // The current article's picture, when the pictures are kept in the database.
    void AfficherImageArticle();
    // The current article's field into its value label; a Null field leaves the label as it was.
    void afficherChampArticle(const QString& champ, int label);

    // The history (FenComptoirHistorique.cpp).
    void connecterHistorique();
    // Reads the history of `badge` when it was dropped, else the same history again; the grid then
    // stands on its first row. Throws ErreurExecution.
    void AfficherHistorique(const QString& badge);
    // AfficherHistorique for the badge box's text, under the hourglass; nothing when the box is empty.
    void RafraichirHistorique();
    void CommandButton1_Click();
    void CommandButton2_Click();

    // The hand-out (FenComptoirRemise.cpp).
    void connecterRemise();
    void CmdSave_Click();
    // The message line, shown with `texte`.
    void AfficherMessage(const QString& texte);
};
