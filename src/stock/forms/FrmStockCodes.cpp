// The article-code pool on the article form: creating codes, releasing an article's code, and the
// code given at load to an article without one.
#include "stock/forms/FrmStock.h"

#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/MajBase.h"
#include "common/ServiceDialogue.h"
#include "common/forms/FiltreSaisie.h"
#include "db/Recordset.h"
#include "stock/CodesArticles.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

void FrmStock::construireCodes() {
    Frame1 = new QGroupBox(QStringLiteral("Création Codes Articles"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setAutoFillBackground(true);
    auto* g = new QGridLayout(Frame1);
    g->setContentsMargins(16, 14, 16, 12);
    g->setHorizontalSpacing(10);
    g->setVerticalSpacing(10);
    Label1 = new QLabel(QStringLiteral("De 1 jusqu'a :"), Frame1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Text3 = new QLineEdit(QStringLiteral("99"), Frame1);
    Text3->setObjectName(QStringLiteral("Text3"));
    Text3->setAlignment(Qt::AlignRight);
    Text3->setFixedWidth(90);
    FiltreSaisie::installer(Text3);
    Label1->setBuddy(Text3);
    Command3 = new QPushButton(QStringLiteral("OK"), Frame1);
    Command3->setObjectName(QStringLiteral("Command3"));
    Command4 = new QPushButton(QStringLiteral("Annuler"), Frame1);
    Command4->setObjectName(QStringLiteral("Command4"));
    g->addWidget(Label1, 0, 0);
    g->addWidget(Text3, 0, 1);
    auto* boutons = new QHBoxLayout;
    boutons->addStretch(1);
    boutons->addWidget(Command3);
    boutons->addWidget(Command4);
    g->addLayout(boutons, 1, 0, 1, 2);
    Frame1->setMinimumWidth(300);
    Frame1->hide();

    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
    connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
    connect(Command7, &QPushButton::clicked, this, [this] { Command7_Click(); });
}

void FrmStock::VerifierCodeArticleVierge() {
    try {
        CodesArticles::attribuerCodeArticleVierge(connexion());
    } catch (const ErreurExecution& e) {
        MajBase::SignalerErreur(QStringLiteral("VerifierCodeArticleVierge"), e);
    }
}

void FrmStock::remplirCodesLibres() {
    // The article's own code stays in the box: it is never among the free ones.
    const QString affiche = ComboBox4->currentText();
    QStringList codes;
    for (const qint64 c : CodesArticles::codesLibres(connexion()))
        codes << QString::number(c);
    ComboBox4->clear();
    ComboBox4->addItems(codes);
    ComboBox4->setCurrentIndex(-1);
    ComboBox4->setEditText(affiche);
}

void FrmStock::Command2_Click() {
    placerCadre(Frame1);
    Text3->setFocus();
    Text3->selectAll();
}

void FrmStock::Command4_Click() {
    Frame1->hide();
}

void FrmStock::Command3_Click() {
    // Not a number, or too many: nothing happens and the frame stays.
    const std::optional<int> n = CodesArticles::lireNombreCodes(Text3->text());
    if (!n)
        return;
    Sablier(true);
    try {
        CodesArticles::creerCodes(connexion(), *n);
        RemplirColCombo();
        Text3->setText(QStringLiteral("99"));
    } catch (const ErreurExecution& e) {
        MajBase::SignalerErreur(QString(), e);
    }
    Sablier(false);
    Frame1->hide();
}

void FrmStock::Command7_Click() {
    Recordset& rs = *RsStockGlobal;
    if (rs.RecordCount() == 0 || rs.IsBOF() || rs.IsEOF())
        return;
    const EtatGlobal& g = Global();
    if (MsgBox(g.msg(23), StyleMessage::YesNo, g.msg(22)) != Reponse::Oui)
        return;
    try {
        if (!champCourant(QStringLiteral("CodeArticle")).isNull())
            CodesArticles::libererCode(connexion(), champCourant(QStringLiteral("Reference")).toLongLong());
        // The card now shows no code; the released one is offered again.
        rs.Requery();
        remplirCodesLibres();
    } catch (const ErreurExecution& e) {
        MsgBox(e.description());
    }
}
