#include "app/forms/CodeAccesDlg.h"

#include "app/forms/FrmPrincipal.h"
#include "common/ServiceDialogue.h"
#include "common/ServiceSession.h"
#include "common/forms/Centrage.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

CodeAccesDlg::CodeAccesDlg(QWidget* parent) : FormBase(QStringLiteral("CodeAccesDlg"), parent, Qt::Dialog) {
    setWindowTitle(QStringLiteral("Contrôle d'accès"));
    setMasqueALaFermeture(true);

    Label1 = new QLabel(QStringLiteral("Entrez le mot de passe:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setEchoMode(QLineEdit::Password);
    Label2 = new QLabel(QStringLiteral("Confirmez le mot de passe:"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Text2 = new QLineEdit(this);
    Text2->setObjectName(QStringLiteral("Text2"));
    Text2->setEchoMode(QLineEdit::Password);
    Command1 = new QPushButton(QStringLiteral("Ok"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command2 = new QPushButton(QStringLiteral("Annuler"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command1->setMinimumWidth(90);
    Command2->setMinimumWidth(90);
    Label1->setBuddy(Text1);
    Label2->setBuddy(Text2);

    auto* grille = new QGridLayout(this);
    grille->setContentsMargins(16, 14, 16, 14);
    grille->setVerticalSpacing(6);
    grille->addWidget(Label1, 0, 0);
    grille->addWidget(Text1, 1, 0);
    grille->addWidget(Label2, 2, 0);
    grille->addWidget(Text2, 3, 0);
    grille->addWidget(Command1, 1, 1);
    grille->addWidget(Command2, 3, 1);
    grille->setColumnMinimumWidth(0, 240);
    grille->setHorizontalSpacing(14);
    Label2->hide();
    Text2->hide();

    Text1->installEventFilter(this);
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    setBoutonAnnuler(Command2);
    connect(Text2, &QLineEdit::textChanged, this, [this] { Text2_Change(); });

    MotPasseSociete = [] { return frmPrincipal().motPasseSociete(); };
}

QString CodeAccesDlg::MDP() const {
    return Text1->text();
}

void CodeAccesDlg::NouveauMDP() {
    Text1->clear();
    Label1->setText(QStringLiteral("Entrez le nouveau mot de passe:"));
    Text2->show();
    Label2->show();
    ModeNouveauMDP = true;
    Command1->setEnabled(Text1->text() == Text2->text());
}

void CodeAccesDlg::Form_Load() {
    ModeNouveauMDP = false;
    AccesValide = false;
    EssaisRates = 0;
    adjustSize();
    FonctionUtilitaires::CentrerSurEcran(this);
}

void CodeAccesDlg::Form_Activate() {
    Text1->clear();
    Text1->setFocus();
}

bool CodeAccesDlg::eventFilter(QObject* objet, QEvent* e) {
    const bool touche = e->type() == QEvent::KeyPress || e->type() == QEvent::KeyRelease;
    if (objet != Text1 || !touche)
        return FormBase::eventFilter(objet, e);
    const auto* k = static_cast<QKeyEvent*>(e);
    const bool entree = k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter;
    const bool resultat = FormBase::eventFilter(objet, e);
    if (entree && !k->isAutoRepeat()) {
        if (e->type() == QEvent::KeyPress) {
            m_entreeEnfonceeDansText1 = true;
        } else if (m_entreeEnfonceeDansText1) {
            m_entreeEnfonceeDansText1 = false;
            Command1_Click();
        }
    }
    return resultat;
}

void CodeAccesDlg::Command1_Click() {
    if (ModeNouveauMDP) {
        AccesValide = Text1->text() == Text2->text();
        Hide();
        return;
    }
    const QVariant attendu = MotPasseSociete ? MotPasseSociete() : QVariant();
    if (!attendu.isNull() && Text1->text() == attendu.toString()) {
        AccesValide = true;
        Hide();
        return;
    }
    MsgBox(QStringLiteral("Mot de passe incorect !"), StyleMessage::OK);
    ++EssaisRates;
    if (EssaisRates >= 3) {
        AccesValide = false;
        Session().terminer(0);
        Hide();
        return;
    }
    Text1->clear();
    Text1->setFocus();
}

void CodeAccesDlg::Command2_Click() {
    AccesValide = false;
    Hide();
}

void CodeAccesDlg::Text2_Change() {
    if (ModeNouveauMDP)
        Command1->setEnabled(Text1->text() == Text2->text());
}

CodeAccesDlg& codeAccesDlg() {
    static CodeAccesDlg* instance = new CodeAccesDlg;
    return *instance;
}
