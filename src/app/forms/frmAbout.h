#pragma once

#include "common/forms/FormBase.h"

class QLabel;
class QPushButton;

// The about box: description and version, a notice, the web address, the updater button and Shift+F1
// opening the settings file.
class frmAbout : public FormBase {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);

    QLabel* Image1;
    QLabel* lblTitle;
    QLabel* lblVersion;
    QLabel* lblDisclaimer;
    QLabel* Label1;
    QPushButton* Command1;
    QPushButton* cmdOK;

    // The updater of the program folder ("DVUpdate", or "DVUpdate.exe"), "" when there is none.
    static QString cheminMiseAJour();
    static QString adresseWeb();

protected:
    void Form_Load() override;
    void Form_KeyUp(QKeyEvent* e) override;
    bool eventFilter(QObject* objet, QEvent* e) override;

private:
    void Command1_Click();
    void cmdOK_Click();
    void Label1_Click();

    const QEvent* m_derniereTouche = nullptr;
    quint64 m_horodatageTouche = 0;
};
