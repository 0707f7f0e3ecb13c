#pragma once

#include "common/forms/FormBase.h"
#include "stock/CatalogueFournisseur.h"
#include "stock/ChoixArticle.h"
#include "stock/ListesArticle.h"

#include <QList>
#include <QMap>
#include <QPointer>
#include <QString>
#include <QVariant>
#include <optional>

class LigneGrille;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableView;
class QToolButton;
class QWindow;
class Recordset;
class RecordsetModel;

// The article file: the articles of StockGlobal as a card of one article (FrameFicheProduit, "Fiche")
// or as a grid (DBGrid2, "Tableau"), over one article list whose current row the card shows. Loaded
// once by the main window and kept; shown modeless from the menu, or by other forms to pick an article.
//
// The class is split by concern: FrmStock.cpp (layout, load, activation, keys, unload),
// FrmStockCarte.cpp (the card and its lists), FrmStockEdition.cpp (editing, saving, adding, deleting,
// closing), FrmStockEntree.cpp (the stock entry), FrmStockGrille.cpp (the grid, the two views, the spin
// button), FrmStockRecherche.cpp (the search box, its options, the first and last buttons),
// FrmStockSelection.cpp (the picking mode), FrmStockCodes.cpp (the article-code pool),
// FrmStockAlertes.cpp (the consumption period, the alert computation, the article history).
class FrmStock : public FormBase {
    Q_OBJECT
public:
    explicit FrmStock(QWidget* parent = nullptr);
    ~FrmStock() override;

    // --- public interface ---
    // The article picker. Shows the form modally over `proprietaire` in its picking mode ("Séléctionner",
    // and "Séléction vide" when `choixVide`; the buttons that add, delete, compute or take pictures
    // hidden; the card frame too when `sansFiche`) and returns the user's answer once the form hides.
    // Who the pick is for follows the callers' flags: while ConfigMachineOuverte is true a machine form
    // (an article without code is refused: "Pas de code article attribué." and the picker stays), else
    // while FenQuotaOuverte is true the profile form (its "Séléction vide" asks nothing of it); with
    // neither the two buttons do nothing. The picking mode stays for the caller's next pick, until
    // DBGridStockVisible.
    struct OptionsChoix {
        bool choixVide = false;
        bool sansFiche = false;
    };
    ChoixArticle ChoisirArticle(QWidget* proprietaire, const OptionsChoix& options);
    ChoixArticle ChoisirArticle(QWidget* proprietaire) {
        return ChoisirArticle(proprietaire, OptionsChoix());
    }
    // Ends the picking mode: the normal buttons and the grid come back, the search box is emptied, and
    // the search goes by reference when "Par Réference" is selected, by designation otherwise.
    void DBGridStockVisible();
    // Recomputes the alert level of the articles consumed during the form's period (today when it has
    // no last day); message 35 when no computation is possible.
    void CalulDesStockAlerte();
    // Copies the supplier catalogue's pictures into the picture folder (nothing without a catalogue).
    void ImageSalvendo() { CatalogueFournisseur::ImageSalvendo(); }

    // --- state shared by the form's concerns ---
    bool FicheModifiee = false;   // the card has unsaved changes
    int ModeRecherche = 1;        // 1 Reference, 2 Designation, 3 CodeArticle, 4 RefFournisseur
    bool FormulairePret = false;  // the first activation is over: option clicks sort the list
    bool SaisieCodeBarre = false; // a bar code is being typed into the search box
    QString TexteHistorique;      // Msg(39), taken at load
    // The consumption period of the alerts and the history, as dd/MM/yyyy texts; empty at each load.
    QString DateDebutPeriode;
    QString DateFinPeriode;

    // The article list (StockGlobal), the card's current row.
    Recordset* RsStockGlobal;
    RecordsetModel* ModeleStock;

    // The lines of the size, family and supplier lists, in the order of ComboBox1, ComboBox2, ComboBox3.
    QList<ListesArticle::Ligne> TabTailles;
    QList<ListesArticle::Ligne> TabFamilles;
    QList<ListesArticle::Ligne> TabFournisseurs;

    // The folder of the last picture chosen; "Fermer" writes it to the settings once one was chosen.
    QString DossierImages;
    bool DossierImagesChoisi = false;
    // The pictures can be shown: set by the first activation.
    bool ImagesOuvertes = false;

    // --- controls ---
    QGroupBox* FrameFicheProduit;
    QList<QLineEdit*> Text2;   // Text2(0) to Text2(18)
    QMap<int, QLabel*> Label2; // Label2(i) at the indexes the language files use
    QComboBox* ComboBox1;      // size
    QComboBox* ComboBox2;      // family
    QComboBox* ComboBox3;      // supplier
    QComboBox* ComboBox4;      // article code
    QCheckBox* Check1;         // "Retour possible"
    QCheckBox* Check2;         // "Visualiser les retours"
    QCheckBox* Check3;         // "Commande Possible"
    QLabel* LabelStockAlerte;
    QLabel* Image1;
    QLabel* Picture1;
    QLabel* aavierge;
    QGroupBox* SSFrame1; // supplier
    QPushButton* CmdCodeBar;
    QWidget* SpinButton1;
    QPushButton* Command5; // first article
    QPushButton* Command6; // last article

    QTableView* DBGrid2;
    QLabel* LegendeDBGrid2;

    QFrame* SSPanel1;
    QRadioButton* OptionFiche;
    QRadioButton* OptionTableau;

    QGroupBox* FrameOptData2;
    QRadioButton* SSOptionRef;
    QRadioButton* SSOptionDesi;
    QRadioButton* SSOptionCodArticle;
    QRadioButton* SSOptionRefFour;
    QLineEdit* TextCherche;

    QPushButton* CmdAjout;
    QPushButton* cmdDelete;
    QPushButton* cmdClose;
    QPushButton* CmdSelectioner;
    QPushButton* CmdSelectionerVide;
    QPushButton* CmdChoixImage;
    QPushButton* CmdScanner;
    QPushButton* CmdPeriode;
    QPushButton* Command8;
    QPushButton* Command1;
    QPushButton* Command9;
    QComboBox* Combo1;

    QPushButton* Command2; // opens Frame1
    QPushButton* Command7; // releases the article's code
    QGroupBox* Frame1;
    QLabel* Label1;
    QLineEdit* Text3;
    QPushButton* Command3;
    QPushButton* Command4;

    QPushButton* CmdEntreStock;
    QGroupBox* FrmEntreStock;
    QLineEdit* Text1;
    QLabel* Label4;
    QPushButton* CmdOkStock;
    QPushButton* CmdAnnulStock;

protected:
    void Form_Load() override;
    void Form_Unload(bool& annuler) override;
    void Form_Activate() override;
    void Form_KeyPress(QObject* controle, int& KeyAscii) override;
    void Form_KeyUp(QKeyEvent* e) override;
    void Form_Resize() override;

private:
    // The supplier catalogue's import steps; no button starts them.
    void ImporterArticlesCatalogue() { CatalogueFournisseur::ImporterArticlesCatalogue(); }
    void ImporterTaillesCatalogue() { CatalogueFournisseur::ImporterTaillesCatalogue(connexion()); }
    void OuvrirCatalogue() { CatalogueFournisseur::OuvrirCatalogue(); }

    // Layout, in the file of each concern.
    void construireCarte(QWidget* zone);
    void construireGrille(QWidget* zone);
    void construireRecherche();
    void connecterRecherche();
    void connecterSelection();
    void construireCodes();
    void construireEntreeStock();
    void connecterEdition();
    QLabel* nouveauLabel2(int index, const QString& texte, QWidget* parent);
    QLineEdit* nouveauText2(int index, QWidget* parent);
    void placerCadre(QWidget* cadre);
    void ajusterColonneBoutons();

    // The card (FrmStockCarte.cpp).
    void data1_MoveComplete();
    void RemplirColCombo();
    void AfficherReserveEnPaquets();
    void TesterAlerteStock();
    void AfficherImage();
    // The picture the card fill left for later, when there is one.
    void afficherImageEnAttente();
    void CreerImageVierge();
    // The picture buttons (FrmStockCarte.cpp).
    void connecterImages();
    void CmdChoixImage_Click();
    void CmdScanner_Click();
    void RemplirComboTaille(qint64 noFamille);
    // Opening a drop-down list; false keeps it closed.
    bool ouvertureListe(QComboBox* liste);
    void memoriserTitreFiche();
    // A field of the list's current row; Null off the rows or for a field the list lacks.
    QVariant champCourant(const QString& champ) const;

    // Editing (FrmStockEdition.cpp).
    void Text2_KeyPress(int index, int& KeyAscii);
    void Text2_Change(int index);
    void Text2_LostFocus(int index);
    // True when the card may be saved or left; otherwise its first missing field is marked.
    bool VerifierSaisieArticle();
    // The full save, in one transaction. False when it failed or was refused: the card, what was typed
    // and FicheModifiee stay, and the caller does not move.
    bool EnregistrerArticleEnStockTous();
    // One field of the current article; what is typed on the card stays.
    bool EnregistrerArticleEnStock(const QString& champ, const QVariant& valeur);
    // The check before the card is left, then the save when the card changed.
    bool quitterFiche();
    // Reads the list again on the same article, keeping what is typed on the card when it changed.
    void relireListe();
    void marquerLibelle(int index, bool jaune);
    bool surUnArticle() const;
    void CmdAjout_Click();
    void cmdDelete_Click();
    void cmdClose_Click();
    void CmdCodeBar_Click();
    void Check2_Click();

    // The stock entry (FrmStockEntree.cpp).
    void CmdEntreStock_Click();
    void CmdOkStock_Click();
    void CmdAnnulStock_Click();

    // The grid and the views (FrmStockGrille.cpp).
    void DBGrid2_DblClick();
    void DBGrid2_HeadClick(int colonne);
    void DBGrid2_KeyPress(int& KeyAscii);
    void SpinButton1_SpinUp();
    void SpinButton1_SpinDown();
    void OptionFiche_Click();
    void OptionTableau_Click();
    void suivreLigneCourante();
    void ajusterColonnes(bool legendes);

    // The search (FrmStockRecherche.cpp).
    void TextCherche_Change();
    void TextCherche_Click();
    void TextCherche_KeyPress(int& KeyAscii);
    void Command5_Click();
    void Command6_Click();
    // Leaves the card (checked, saved when changed) for the first or the last article.
    void allerAuBout(bool premier);
    void ChangerCritereRecherche();
    // The list sorted again by the search column and read again.
    void trierSelonRecherche();
    void selectionnerOption(QRadioButton* option);
    void cliquerOption(QRadioButton* option);

    // The alerts and the article history (FrmStockAlertes.cpp).
    void connecterAlertes();
    void CmdPeriode_Click();
    void Command8_Click();
    void Command1_Click();
    void Command9_Click();
    // The period into the reports menu's boxes, which the viewer prints in the report header.
    void ecrirePeriodeEtats();

    // The picking mode (FrmStockSelection.cpp).
    void CmdSelectioner_Click();
    void CmdSelectionerVide_Click();
    // The current article as a pick; nullopt off the rows.
    std::optional<ChoixArticle> articleCourant() const;

    // The article-code pool (FrmStockCodes.cpp).
    void VerifierCodeArticleVierge();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command7_Click();
    void remplirCodesLibres();

    QWidget* m_colonneBoutons = nullptr;
    QString m_titreFiche; // the card's caption without its position ("Fiche produit")
    // The reference of the article the card last showed.
    QVariant m_articleCarte;
    // The grid follows the list, and back.
    LigneGrille* m_ligneGrille = nullptr;
    // While a search moves the list, the card is filled once at its end, not at every step.
    bool m_rechercheEnCours = false;
    bool m_carteAFaire = false;
    ChoixArticle m_choix; // the picker's answer
    // The card fill left the picture for the card's showing (the grid view moves it at every keystroke).
    bool m_imageAFaire = false;
};
