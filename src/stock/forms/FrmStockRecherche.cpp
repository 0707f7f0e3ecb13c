// The search options of the article list and the way back from the picking mode.
#include "stock/forms/FrmStock.h"

#include "db/Recordset.h"

#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <algorithm>

void FrmStock::construireRecherche() {
    FrameOptData2 = new QGroupBox(QStringLiteral("Recherche"), this);
    FrameOptData2->setObjectName(QStringLiteral("FrameOptData2"));
    auto* g = new QGridLayout(FrameOptData2);
    g->setContentsMargins(10, 6, 10, 6);
    g->setHorizontalSpacing(14);
    g->setVerticalSpacing(4);
    auto option = [this](const char* nom, const QString& legende) {
        auto* o = new QRadioButton(legende, FrameOptData2);
        o->setObjectName(QLatin1String(nom));
        // Clicked, even when already selected: the list is sorted again.
        connect(o, &QRadioButton::clicked, this, [this] { ChangerCritereRecherche(); });
        return o;
    };
    SSOptionRef = option("SSOptionRef", QStringLiteral("Par Réference"));
    SSOptionDesi = option("SSOptionDesi", QStringLiteral("Par désignation"));
    SSOptionCodArticle = option("SSOptionCodArticle", QStringLiteral("Par code article"));
    SSOptionRefFour = option("SSOptionRefFour", QStringLiteral("Par Ref. Fournisseur"));
    SSOptionRef->setChecked(true);
    g->addWidget(SSOptionRef, 0, 0);
    g->addWidget(SSOptionDesi, 0, 1);
    g->addWidget(SSOptionCodArticle, 1, 0);
    g->addWidget(SSOptionRefFour, 1, 1);
    TextCherche = new QLineEdit(FrameOptData2);
    TextCherche->setObjectName(QStringLiteral("TextCherche"));
    TextCherche->setMinimumWidth(220);
    g->addWidget(TextCherche, 0, 2, 2, 1, Qt::AlignVCenter);
    g->setColumnStretch(2, 1);
}

// An option set by the program: its click runs only when it was not selected already.
void FrmStock::selectionnerOption(QRadioButton* option) {
    if (option->isChecked())
        return;
    option->setChecked(true);
    if (option == OptionTableau)
        OptionTableau_Click();
    else if (option == OptionFiche)
        OptionFiche_Click();
    else
        ChangerCritereRecherche();
}

// An option chosen from a grid header: selected, and its click runs.
void FrmStock::cliquerOption(QRadioButton* option) {
    option->setChecked(true);
    ChangerCritereRecherche();
}

void FrmStock::ChangerCritereRecherche() {
    // The first activation selects "Par Réference" before the form is ready: no sort then.
    if (!FormulairePret)
        return;
    Sablier(true);
    struct FinSablier {
        ~FinSablier() { FormBase::Sablier(false); }
    } finSablier;
    selectionnerOption(OptionTableau);
    TextCherche->clear();
    TextCherche->setFocus();
    if (SSOptionRef->isChecked())
        ModeRecherche = 1;
    else if (SSOptionCodArticle->isChecked())
        ModeRecherche = 3;
    else if (SSOptionRefFour->isChecked())
        ModeRecherche = 4;
    else
        ModeRecherche = 2;
    trierSelonRecherche();
}

void FrmStock::trierSelonRecherche() {
    static const char* const Champs[] = {"Reference", "Designation", "CodeArticle", "RefFournisseur"};
    Recordset& rs = *RsStockGlobal;
    if (rs.IsOpen()) {
        rs.Sort(QLatin1String(Champs[std::clamp(ModeRecherche, 1, 4) - 1]));
        rs.Requery();
    }
    DBGrid2->viewport()->update();
}

void FrmStock::DBGridStockVisible() {
    CmdSelectioner->hide();
    for (QWidget* w : std::initializer_list<QWidget*>{CmdScanner, CmdChoixImage, FrameOptData2, DBGrid2,
                                                      CmdAjout, cmdDelete, Command1, CmdPeriode, SSPanel1})
        w->show();
    TextCherche->clear();
    // The sort of the list stays as it is.
    ModeRecherche = SSOptionRef->isChecked() ? 1 : 2;
    AfficherImage();
}
