#pragma once

#include "common/forms/FormBase.h"
#include "db/Recordset.h"
#include "stock/Tailles.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QToolButton;
class RecordsetModel;

// "Tailles disponibles": the families on the left, the sizes of the selected one on the right in their
// order. Text1 holds the size typed or selected; the buttons add, rename and delete it, and the spin
// button moves it one place up or down the order (wrapping round at the ends).
class FenTailles : public FormBase {
    Q_OBJECT
public:
    explicit FenTailles(QWidget* parent = nullptr);

    QTableView* DataGrid2; // families
    QTableView* DBGrid1;   // sizes of the selected family
    QLineEdit* Text1;
    QPushButton* cmdAdd;
    QPushButton* CmdModifier;
    QPushButton* CmdDel;
    QPushButton* cmdClose;
    QWidget* SpinButton1;  // its two arrows:
    QToolButton* SpinUp;   // one place towards the start
    QToolButton* SpinDown; // one place towards the end
    QLabel* Label1;        // "Ordre de taille"

    Recordset& familles() { return data1; }
    Recordset& tailles() { return data2; }

protected:
    void Form_Load() override;
    void Form_Unload(bool& annuler) override;
    void Form_Activate() override;

private slots:
    void cmdAdd_Click();
    void CmdModifier_Click();
    void CmdDel_Click();
    void cmdClose_Click();
    void SpinButton1_SpinUp();
    void SpinButton1_SpinDown();

private:
    void data1_MoveComplete();
    void data2_MoveComplete();
    // Reloads the sizes of the selected family; then selects the size `noTaille` when given.
    void ChargerTaillesFamille(std::optional<qint64> noTaille = std::nullopt);
    void deplacer(Tailles::Sens sens);
    std::optional<qint64> familleCourante() const;
    std::optional<qint64> tailleCourante() const;
    void signaler(const QString& procedure, const std::exception& e);

    Recordset data1;
    Recordset data2;
    RecordsetModel* m_familles;
    RecordsetModel* m_tailles;
};
