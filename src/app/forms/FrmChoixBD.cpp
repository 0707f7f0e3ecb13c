#include "app/forms/FrmChoixBD.h"

#include "common/EtatGlobal.h"
#include "common/FnWendrox.h"

#include <QDir>
#include <QPushButton>
#include <QVBoxLayout>

FrmChoixBD::FrmChoixBD(QWidget* parent) : FormBase(QStringLiteral("FrmChoixBD"), parent, Qt::Dialog) {
    setWindowTitle(QStringLiteral("Choix BD"));
    setTraductionActivation(false);
    setToucheF12(false);
    auto* disposition = new QVBoxLayout(this);
    disposition->setContentsMargins(24, 20, 24, 20);
    disposition->setSpacing(12);
    for (int i = 0; i < 2; ++i) {
        auto* bouton = new QPushButton(this);
        bouton->setObjectName(QStringLiteral("CommandButtonDataBase(%1)").arg(i));
        bouton->setMinimumSize(260, 44);
        QFont f = bouton->font();
        f.setPointSize(f.pointSize() + 2);
        f.setBold(true);
        bouton->setFont(f);
        connect(bouton, &QPushButton::clicked, this, [this, i] { CommandButtonDataBase_Click(i); });
        disposition->addWidget(bouton);
        CommandButtonDataBase << bouton;
    }
}

void FrmChoixBD::Form_Load() {
    for (int i = 0; i < CommandButtonDataBase.size(); ++i)
        CommandButtonDataBase[i]->setText(
            FnWendrox::LireIniString(Global().CheminIni, QStringLiteral("Base de donnée"),
                                     QStringLiteral("TextBD%1").arg(i), QStringLiteral("--")));
}

void FrmChoixBD::CommandButtonDataBase_Click(int Index) {
    if (Index > 0)
        Global().CheminIni = FnWendrox::CheminDansDossier(FnWendrox::CheminApplication(),
                                                          QStringLiteral("automat%1.ini").arg(Index));
    Unload();
}
