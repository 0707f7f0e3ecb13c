#include "reports/forms/FenCompteRendu.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

FenCompteRendu::FenCompteRendu(QWidget* parent)
    : FormBase(QStringLiteral("FenCompteRendu"), parent, Qt::Dialog | Qt::WindowCloseButtonHint) {
    setWindowTitle(QStringLiteral("Report"));

    Frame1 = new QGroupBox(QStringLiteral("Choix de la période d'édition"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Label1 = new QLabel(QStringLiteral("Depuis"), Frame1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label2 = new QLabel(QStringLiteral("Jusqu'à"), Frame1);
    Label2->setObjectName(QStringLiteral("Label2"));
    TextDebut = new QLineEdit(Frame1);
    TextDebut->setObjectName(QStringLiteral("TextDebut"));
    TextFin = new QLineEdit(Frame1);
    TextFin->setObjectName(QStringLiteral("TextFin"));
    cmdClose = new QPushButton(QStringLiteral("&Fermer"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    cmdClose->setAutoDefault(false);
    setBoutonAnnuler(cmdClose);

    auto* periode = new QGridLayout(Frame1);
    periode->addWidget(Label1, 0, 0);
    periode->addWidget(TextDebut, 0, 1);
    periode->addWidget(Label2, 1, 0);
    periode->addWidget(TextFin, 1, 1);

    auto* boutons = new QHBoxLayout;
    boutons->addStretch(1);
    boutons->addWidget(cmdClose);
    auto* principal = new QVBoxLayout(this);
    principal->addWidget(Frame1);
    principal->addStretch(1);
    principal->addLayout(boutons);

    connect(cmdClose, &QPushButton::clicked, this, &FenCompteRendu::cmdClose_Click);
    resize(420, 200);
}

void FenCompteRendu::cmdClose_Click() {
    Unload();
}
