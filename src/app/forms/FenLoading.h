#pragma once

#include "common/forms/FormBase.h"

class QFrame;
class QLabel;

// The loading window: shown while the program starts, then kept loaded and hidden for the whole run.
// Its caption "Loading VEZ" is what marks a running copy.
class FenLoading : public FormBase {
    Q_OBJECT
public:
    explicit FenLoading(QWidget* parent = nullptr);

    QFrame* SSPanel1;
    QLabel* picIcon;
    QLabel* lblTitle;
    QLabel* lblVersion;
    QLabel* lblDescription;
    QLabel* lblDisclaimer;
    QLabel* Label1;

protected:
    void Form_Load() override;
};

// The single instance of the run, created on first use.
FenLoading& fenLoading();
