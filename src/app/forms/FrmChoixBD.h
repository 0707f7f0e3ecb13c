#pragma once

#include "common/forms/FormBase.h"

#include <QList>

class QPushButton;

// Choice of the database at start: button 0 keeps "automat.ini", button n selects "automat<n>.ini".
class FrmChoixBD : public FormBase {
    Q_OBJECT
public:
    explicit FrmChoixBD(QWidget* parent = nullptr);

    QList<QPushButton*> CommandButtonDataBase; // "CommandButtonDataBase(0)", "(1)"

protected:
    void Form_Load() override;

private:
    void CommandButtonDataBase_Click(int Index);
};
