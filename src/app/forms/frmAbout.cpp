#include "app/forms/frmAbout.h"

#include "Version.h"
#include "app/CheminsProgramme.h"
#include "common/EtatGlobal.h"
#include "common/FnWendrox.h"
#include "common/ServiceSession.h"
#include "common/forms/Centrage.h"

#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

frmAbout::frmAbout(QWidget* parent) : FormBase(QStringLiteral("frmAbout"), parent, Qt::Dialog) {
    // Translated only through F12.
    setTraductionActivation(false);
    setWindowTitle(QStringLiteral("A propos de"));

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(48, 48));
    Image1->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    lblTitle = new QLabel(this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    lblTitle->setWordWrap(true);
    QFont titre = lblTitle->font();
    titre.setPointSize(titre.pointSize() + 3);
    titre.setBold(true);
    lblTitle->setFont(titre);

    lblVersion = new QLabel(this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));

    lblDisclaimer = new QLabel(this);
    lblDisclaimer->setObjectName(QStringLiteral("lblDisclaimer"));
    lblDisclaimer->setWordWrap(true);
    lblDisclaimer->setFrameShape(QFrame::StyledPanel);
    lblDisclaimer->setMargin(6);
    lblDisclaimer->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblDisclaimer->setText(QStringLiteral(
        "Avertissement : ce logiciel est protégé par le droit d'auteur et les traités internationaux. "
        "Toute reproduction ou diffusion non autorisée de ce logiciel, ou d'une partie de celui-ci, "
        "expose son auteur à des poursuites."));

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setText(QStringLiteral("<a href=\"%1\">www.dorvane.fr</a>").arg(adresseWeb()));
    Label1->setTextInteractionFlags(Qt::NoTextInteraction);
    Label1->setCursor(Qt::PointingHandCursor);
    Label1->installEventFilter(this);

    Command1 = new QPushButton(QStringLiteral("Téléchargement de mise à jour"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setMinimumWidth(100);

    auto* grille = new QGridLayout(this);
    grille->setContentsMargins(16, 16, 16, 14);
    grille->setHorizontalSpacing(16);
    grille->addWidget(Image1, 0, 0, 3, 1, Qt::AlignTop);
    grille->addWidget(lblTitle, 0, 1);
    grille->addWidget(lblVersion, 1, 1);
    grille->addWidget(Label1, 2, 1);
    grille->addWidget(lblDisclaimer, 3, 0, 1, 2);
    auto* boutons = new QHBoxLayout;
    boutons->addWidget(Command1);
    boutons->addStretch(1);
    boutons->addWidget(cmdOK);
    grille->addLayout(boutons, 4, 0, 1, 2);
    setMinimumWidth(520);
    lblDisclaimer->setMinimumHeight(lblDisclaimer->fontMetrics().lineSpacing() * 5 + 12);

    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    setBoutonAnnuler(cmdOK);
}

QString frmAbout::adresseWeb() {
    return QStringLiteral("https://www.dorvane.fr");
}

QString frmAbout::cheminMiseAJour() {
    const QString dossier = FnWendrox::CheminApplication();
    QString chemin = CheminsProgramme::fichierDuDossier(dossier, QStringLiteral("DVUpdate"));
    if (chemin.isEmpty())
        chemin = CheminsProgramme::fichierDuDossier(dossier, QStringLiteral("DVUpdate.exe"));
    return chemin;
}

void frmAbout::Form_Load() {
    setWindowTitle(QStringLiteral("A propos de ") + QStringLiteral(DORVANE_PRODUCT_NAME));
    lblVersion->setText(QStringLiteral("Version %1.%2.%3")
                            .arg(DORVANE_VERSION_MAJOR)
                            .arg(DORVANE_VERSION_MINOR)
                            .arg(DORVANE_VERSION_PATCH));
    lblTitle->setText(QStringLiteral(DORVANE_FILE_DESCRIPTION));
    // Sized once the texts are in: the description wraps over two lines.
    adjustSize();
    FonctionUtilitaires::CentrerForm(this);
}

void frmAbout::Command1_Click() {
    const QString chemin = cheminMiseAJour();
    if (chemin.isEmpty())
        return;
    // End only when the updater really runs: a failed start must not leave the user without the program.
    if (Session().demarrerProgramme(chemin))
        Session().terminer(0);
}

void frmAbout::cmdOK_Click() {
    Unload();
}

void frmAbout::Label1_Click() {
    Session().ouvrirDocument(adresseWeb());
}

void frmAbout::Form_KeyUp(QKeyEvent* e) {
    if (e->key() != Qt::Key_F1 || (e->modifiers() & ~Qt::KeypadModifier) != Qt::ShiftModifier)
        return;
    // A release the focused control ignores reaches the preview again on its way to the form: one
    // release opens one editor.
    if (e == m_derniereTouche && e->timestamp() == m_horodatageTouche)
        return;
    m_derniereTouche = e;
    m_horodatageTouche = e->timestamp();
    Session().ouvrirDocument(
        FnWendrox::CheminDansDossier(FnWendrox::CheminApplication(), QStringLiteral("automat.ini")));
}

bool frmAbout::eventFilter(QObject* objet, QEvent* e) {
    if (objet == Label1 && e->type() == QEvent::MouseButtonRelease) {
        Label1_Click();
        return true;
    }
    return FormBase::eventFilter(objet, e);
}
