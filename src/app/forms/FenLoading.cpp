#include "app/forms/FenLoading.h"

#include "Version.h"
#include "common/EtatGlobal.h"
#include "common/forms/Centrage.h"
#include "common/forms/IconeStandard.h"

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

FenLoading::FenLoading(QWidget* parent) : FormBase(QStringLiteral("FenLoading"), parent, Qt::Window) {
    setWindowTitle(QStringLiteral("Loading VEZ"));
    // Translated in its own load; F12 switches the language as everywhere.
    setTraductionActivation(false);

    SSPanel1 = new QFrame(this);
    SSPanel1->setObjectName(QStringLiteral("SSPanel1"));
    SSPanel1->setFrameShape(QFrame::Panel);
    SSPanel1->setFrameShadow(QFrame::Raised);
    SSPanel1->setLineWidth(2);
    SSPanel1->setFixedSize(480, 250);

    picIcon = new QLabel(SSPanel1);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    // Our own picture: the style's icon is looked up through the desktop's icon theme.
    picIcon->setPixmap(lirePng(QStringLiteral(":/images/ordinateur.png")));
    picIcon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    lblTitle = new QLabel(SSPanel1);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    lblTitle->setWordWrap(true);
    QFont titre = lblTitle->font();
    titre.setPointSize(titre.pointSize() + 4);
    titre.setBold(true);
    lblTitle->setFont(titre);

    lblVersion = new QLabel(SSPanel1);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));

    lblDescription = new QLabel(SSPanel1);
    lblDescription->setObjectName(QStringLiteral("lblDescription"));
    lblDescription->setWordWrap(true);

    lblDisclaimer = new QLabel(SSPanel1);
    lblDisclaimer->setObjectName(QStringLiteral("lblDisclaimer"));
    lblDisclaimer->setWordWrap(true);
    lblDisclaimer->setText(
        QStringLiteral("Ce logiciel est protégé par le droit d'auteur. Toute reproduction ou "
                       "diffusion, même partielle, est interdite sans autorisation."));
    QFont petit = lblDisclaimer->font();
    petit.setPointSize(qMax(7, petit.pointSize() - 1));
    lblDisclaimer->setFont(petit);

    Label1 = new QLabel(SSPanel1);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont gras = Label1->font();
    gras.setBold(true);
    Label1->setFont(gras);

    auto* droite = new QVBoxLayout;
    droite->addWidget(lblTitle);
    droite->addWidget(lblVersion);
    droite->addWidget(lblDescription);
    droite->addStretch(1);
    droite->addWidget(Label1);
    droite->addSpacing(8);
    droite->addWidget(lblDisclaimer);

    auto* disposition = new QHBoxLayout(SSPanel1);
    disposition->setContentsMargins(16, 16, 16, 12);
    disposition->setSpacing(16);
    disposition->addWidget(picIcon, 0, Qt::AlignTop);
    disposition->addLayout(droite, 1);

    SSPanel1->move(0, 0);
}

void FenLoading::Form_Load() {
    setFixedSize(SSPanel1->size());
    FonctionUtilitaires::CentrerSurEcran(this);
    Sablier(true);
    lblTitle->setText(QStringLiteral(DORVANE_FILE_DESCRIPTION));
    if (Global().LangueCourante != QLatin1String("FR"))
        traduireSiEtranger();
    lblVersion->setText(QStringLiteral("Version %1.%2.%3")
                            .arg(DORVANE_VERSION_MAJOR)
                            .arg(DORVANE_VERSION_MINOR)
                            .arg(DORVANE_VERSION_PATCH));
    lblDescription->setText(QString());
    Label1->setText(QStringLiteral("Connexion au serveur en cours...  "));
}

FenLoading& fenLoading() {
    static FenLoading* instance = new FenLoading;
    return *instance;
}
