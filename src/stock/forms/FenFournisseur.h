#pragma once

#include "common/forms/FormBase.h"
#include "db/Recordset.h"

#include <QHash>
#include <QMap>
#include <memory>

class LigneGrille;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class RecordsetModel;

// "Fichier Fournisseurs": every supplier in a grid, the current one in the edit boxes below it. Enter
// and Tab in a box store what was typed into the current supplier (Enter then goes to the next box), so
// does leaving the supplier for another row and "Fermer"; a code that another supplier has is refused
// with a message and stays typed. Leaving a 5-character postal code while the town is empty looks the
// town up in "CP.MDB" of the program folder, when there is one.
class FenFournisseur : public FormBase {
    Q_OBJECT
public:
    explicit FenFournisseur(QWidget* parent = nullptr);
    ~FenFournisseur() override;

    QTableView* DBGrid1;
    QGroupBox* SSFrame1;
    // The edit boxes and their labels, by element: 0 Societe, 1 NomContact, 2 CodeFournisseur,
    // 10 Adresse, 11 CodePostal, 12 Ville, 13 Tel, 14 Fax.
    QMap<int, QLineEdit*> MaskEdBox1;
    QMap<int, QLabel*> Label1;
    QPushButton* cmdAdd;
    QPushButton* cmdDelete;
    QPushButton* cmdClose;

    Recordset& fournisseurs() { return data2; }

protected:
    void Form_Load() override;
    void Form_Unload(bool& annuler) override;
    void Form_Activate() override;
    void Form_KeyPress(QObject* controle, int& KeyAscii) override;

private slots:
    void cmdAdd_Click();
    void cmdDelete_Click();
    void cmdClose_Click();

private:
    enum class Stockage { Fait, Refuse, Echec };

    void data2_MoveComplete();
    void DBGrid1_RowColChange(int ligne);
    void MaskEdBox1_LostFocus(int index);
    QString ChercherLocalite(const QString& codePostal);
    // Stores what the boxes changed in the current supplier. Refuse: the code is another supplier's
    // (the message is shown); Echec: the database failed (shown and logged). The boxes keep their text.
    Stockage enregistrer(const QString& procedure);
    bool ficheModifiee() const;
    void afficherFiche();
    void signaler(const QString& procedure, const std::exception& e);

    Recordset data2;
    RecordsetModel* m_modele;
    LigneGrille* m_ligneGrille = nullptr;
    // "CP.MDB", open while the form is loaded when the file exists.
    std::unique_ptr<Connexion> m_codesPostaux;
    // The supplier the boxes show (-1: none) and the texts they were given from its row.
    qint64 m_nautoAffiche = -1;
    QHash<int, QString> m_textesLus;
};
