// The stock entry of the article form: packs received for the article on the card, booked into its
// reserve and the stock journal.
#include "stock/forms/FrmStock.h"

#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/MajBase.h"
#include "common/ServiceDialogue.h"
#include "db/Recordset.h"
#include "db/Valeurs.h"
#include "stock/EntreeStock.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

void FrmStock::construireEntreeStock() {
    FrmEntreStock = new QGroupBox(QStringLiteral("Entrée de Stock"), this);
    FrmEntreStock->setObjectName(QStringLiteral("FrmEntreStock"));
    FrmEntreStock->setAutoFillBackground(true);
    auto* g = new QGridLayout(FrmEntreStock);
    g->setContentsMargins(16, 14, 16, 12);
    g->setHorizontalSpacing(10);
    g->setVerticalSpacing(8);
    QLabel* paquets = nouveauLabel2(30, QStringLiteral("Nb de pack:"), FrmEntreStock);
    QLineEdit* nombre = nouveauText2(3, FrmEntreStock);
    nombre->setAlignment(Qt::AlignRight);
    nombre->setFixedWidth(90);
    paquets->setBuddy(nombre);
    QLabel* commentaire = nouveauLabel2(32, QStringLiteral("Commentaire:"), FrmEntreStock);
    Text1 = new QLineEdit(FrmEntreStock);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setMinimumWidth(280);
    commentaire->setBuddy(Text1);
    Label4 = new QLabel(FrmEntreStock);
    Label4->setObjectName(QStringLiteral("Label4"));
    CmdOkStock = new QPushButton(QStringLiteral("OK"), FrmEntreStock);
    CmdOkStock->setObjectName(QStringLiteral("CmdOkStock"));
    CmdAnnulStock = new QPushButton(QStringLiteral("Annuler"), FrmEntreStock);
    CmdAnnulStock->setObjectName(QStringLiteral("CmdAnnulStock"));
    g->addWidget(paquets, 0, 0);
    g->addWidget(nombre, 0, 1, Qt::AlignLeft);
    g->addWidget(commentaire, 1, 0);
    g->addWidget(Text1, 1, 1);
    g->addWidget(Label4, 2, 0, 1, 2);
    auto* boutons = new QHBoxLayout;
    boutons->addStretch(1);
    boutons->addWidget(CmdOkStock);
    boutons->addWidget(CmdAnnulStock);
    g->addLayout(boutons, 3, 0, 1, 2);
    FrmEntreStock->hide();

    connect(CmdEntreStock, &QPushButton::clicked, this, [this] { CmdEntreStock_Click(); });
    connect(CmdOkStock, &QPushButton::clicked, this, [this] { CmdOkStock_Click(); });
    connect(CmdAnnulStock, &QPushButton::clicked, this, [this] { CmdAnnulStock_Click(); });
}

void FrmStock::CmdEntreStock_Click() {
    placerCadre(FrmEntreStock);
    Label4->clear();
    Text1->clear();
    Text2[3]->clear();
    Text2[3]->setFocus();
}

void FrmStock::CmdOkStock_Click() {
    const QString paquets = Text2[3]->text();
    if (!paquets.isEmpty() && surUnArticle()) {
        try {
            EntreeStock::Mouvement m;
            m.qte = EntreeStock::quantiteEntree(paquets, champCourant(QStringLiteral("QteParPaket")));
            m.reference = Valeurs::lireEntier(champCourant(QStringLiteral("Reference")));
            m.nomFournisseur = champCourant(QStringLiteral("Societe"));
            m.refFournisseur = champCourant(QStringLiteral("RefFournisseur"));
            m.designation = champCourant(QStringLiteral("Designation"));
            m.commentaire = Text1->text();
            m.jour = QDate::currentDate();
            EntreeStock::entrerStock(connexion(), m);
        } catch (const ErreurExecution& e) {
            // Nothing was written: the frame stays open with what was typed.
            if (e.numero() == ErreurExecution::Overflow) {
                MsgBox(Global().msg(37), StyleMessage::Critique);
            } else {
                MajBase::SignalerErreur(QStringLiteral("CmdOkStock_Click"), e);
                MsgBox(e.description(), StyleMessage::Critique);
            }
            return;
        }
    }
    FrmEntreStock->hide();
    try {
        // The new reserve, on the same article.
        relireListe();
    } catch (const ErreurExecution& e) {
        MajBase::SignalerErreur(QStringLiteral("CmdOkStock_Click"), e);
    }
    cmdClose->setFocus();
}

void FrmStock::CmdAnnulStock_Click() {
    FrmEntreStock->hide();
    cmdClose->setFocus();
}
