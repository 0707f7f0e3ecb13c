#pragma once

#include "common/forms/FormBase.h"

#include <QVariant>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

// The application password dialog. Check mode compares the typed text with the company record's
// password; new-password mode asks for the text twice. The dialog hides instead of unloading, so the
// caller reads AccesValide afterwards.
class CodeAccesDlg : public FormBase {
    Q_OBJECT
public:
    explicit CodeAccesDlg(QWidget* parent = nullptr);

    bool AccesValide = false;
    // Where check mode reads the expected password: the main window's company record unless set.
    std::function<QVariant()> MotPasseSociete;

    QString MDP() const;
    void NouveauMDP();

    QLabel* Label1;
    QLineEdit* Text1;
    QLabel* Label2;
    QLineEdit* Text2;
    QPushButton* Command1;
    QPushButton* Command2;

protected:
    void Form_Load() override;
    void Form_Activate() override;
    bool eventFilter(QObject* objet, QEvent* e) override;

private:
    void Command1_Click();
    void Command2_Click();
    void Text2_Change();

    bool ModeNouveauMDP = false;
    int EssaisRates = 0;
    // Enter released in Text1 acts only when it was also pressed there (not the release of the key
    // that closed the message box).
    bool m_entreeEnfonceeDansText1 = false;
};

// The single instance of the run, created on first use.
CodeAccesDlg& codeAccesDlg();
