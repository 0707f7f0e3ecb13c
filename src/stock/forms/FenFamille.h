#pragma once

#include "common/forms/FormBase.h"
#include "db/Recordset.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class RecordsetModel;

// "Fichier Familles": the article families in a grid, one family edited at a time in the panel below
// it. "Ajouter" empties the panel for a new family, which "Enregistrer" (the modify button's caption
// meanwhile) creates with its first size; otherwise the modify button writes the panel into the current
// family. The shoe and glove families of the settings keep their names and cannot be deleted.
class FenFamille : public FormBase {
    Q_OBJECT
public:
    explicit FenFamille(QWidget* parent = nullptr);

    QTableView* DBGrid1;
    QGroupBox* SSFrame1;
    QLabel* Label1;   // "Famille:"
    QLineEdit* Text2; // the name, typed in capitals
    QLabel* Label2;   // "Fonction:"
    QLineEdit* Text1; // the description
    QPushButton* CmdModif;
    QPushButton* cmdDelete;
    QPushButton* cmdAdd;
    QPushButton* cmdClose;

    // True while the panel holds a new family (the modify button then saves it).
    bool nouvelleFamille() const { return m_nouvelle; }
    Recordset& familles() { return data2; }

protected:
    void Form_Load() override;
    void Form_Unload(bool& annuler) override;
    void Form_Activate() override;
    void Form_KeyUp(QKeyEvent* e) override;
    void Form_KeyPress(QObject* controle, int& KeyAscii) override;

private slots:
    void cmdAdd_Click();
    void CmdModif_Click();
    void cmdDelete_Click();
    void cmdClose_Click();

private:
    void data2_MoveComplete();
    // Creates the family typed in the panel; false when that failed (the panel keeps it).
    bool EnregisterNewFamille();
    void ModifierFamilleCourante();
    // The caption of the modify button for the current mode (a translation puts back the design's).
    void afficherMode();
    void signaler(const QString& procedure, const std::exception& e);

    Recordset data2;
    RecordsetModel* m_modele;
    // The caption the modify button had when the form was loaded.
    QString LibelleModif;
    bool m_nouvelle = false;
};
