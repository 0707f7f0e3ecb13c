#pragma once

#include "common/forms/FormBase.h"
#include "db/Recordset.h"

class QLabel;
class QPushButton;
class QTableView;
class RecordsetModel;

// "Mouvement du stock": the stock entries of the journal, newest first, for consultation only. Each
// activation reads the journal again in that order, so that entries booked meanwhile come on top; a
// header click sorts by that column until then. "Fermer" hides the form; it stays loaded with its
// connection until it is unloaded.
class frmMouvtStock : public FormBase {
    Q_OBJECT
public:
    explicit frmMouvtStock(QWidget* parent = nullptr);

    QLabel* LegendeDBGrid1;
    QTableView* DBGrid1;
    QPushButton* cmdClose;

    Recordset& mouvements() { return data1; }
    RecordsetModel* modele() const { return m_modele; }

protected:
    void Form_Load() override;
    void Form_Unload(bool& annuler) override;
    void Form_Activate() override;
    void Form_KeyUp(QKeyEvent* e) override;

private:
    void ajusterColonnes();
    void DBGrid1_HeadClick(int colonne);
    void cmdClose_Click();

    Recordset data1;
    RecordsetModel* m_modele;
};
