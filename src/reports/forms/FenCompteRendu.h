#pragma once

#include "common/forms/FormBase.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The reports menu, caption "Report". For now it holds the period of the reports, the two texts that the
// report viewer prints in every header and that other windows write before they print a period report.
class FenCompteRendu : public FormBase {
    Q_OBJECT
public:
    explicit FenCompteRendu(QWidget* parent = nullptr);

    QGroupBox* Frame1; // "Choix de la période d'édition"
    QLabel* Label1;    // "Depuis"
    QLabel* Label2;    // "Jusqu'à"
    QLineEdit* TextDebut;
    QLineEdit* TextFin;
    QPushButton* cmdClose;

private slots:
    void cmdClose_Click();
};
