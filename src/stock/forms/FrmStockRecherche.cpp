// The search of the article list: the search box and its options, and the first and last buttons.
#include "stock/forms/FrmStock.h"

#include "common/ErreurExecution.h"
#include "common/MajBase.h"
#include "common/SaisieNumerique.h"
#include "common/forms/ClicBox.h"
#include "db/Recordset.h"
#include "stock/RechercheArticle.h"

#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <algorithm>
#include <functional>

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
    connect(TextCherche, &QLineEdit::textChanged, this, [this] { TextCherche_Change(); });
    TextCherche->installEventFilter(new ClicBox(TextCherche, [this] { TextCherche_Click(); }));
}

void FrmStock::connecterRecherche() {
    connect(Command5, &QPushButton::clicked, this, [this] { Command5_Click(); });
    connect(Command6, &QPushButton::clicked, this, [this] { Command6_Click(); });
}

void FrmStock::TextCherche_Change() {
    Recordset& rs = *RsStockGlobal;
    const QString texte = TextCherche->text();
    if (texte.isEmpty() || !rs.IsOpen() || rs.RecordCount() == 0)
        return;
    // The search moves the list away from the card: what is typed there is checked and saved first.
    if (FicheModifiee && !quitterFiche())
        return;
    struct Suspension {
        FrmStock& f;
        ~Suspension() {
            f.m_rechercheEnCours = false;
            if (f.m_carteAFaire) {
                f.m_carteAFaire = false;
                f.data1_MoveComplete();
            }
        }
    } suspension{*this};
    m_rechercheEnCours = true;
    m_carteAFaire = false;
    try {
        RechercheArticle::chercher(rs, ModeRecherche, SaisieCodeBarre, texte);
    } catch (const ErreurExecution& e) {
        // A text that is no number where one is expected: logged, not shown; the list stays.
        MajBase::SignalerErreur(e.description(), e);
    }
}

void FrmStock::TextCherche_Click() {
    selectionnerOption(OptionTableau);
    TextCherche->clear();
}

void FrmStock::TextCherche_KeyPress(int& KeyAscii) {
    // Enter ends a scanned bar code: the options' column applies again.
    if (KeyAscii == 13) {
        SaisieCodeBarre = false;
        KeyAscii = 0;
        return;
    }
    if (ModeRecherche == RechercheArticle::ParReference && KeyAscii > 31 && KeyAscii <= 0xFFFF &&
        !SaisieNumerique::toucheAcceptee(QChar(KeyAscii)))
        KeyAscii = 0;
}

void FrmStock::allerAuBout(bool premier) {
    if (!quitterFiche())
        return;
    if (OptionTableau->isChecked())
        FrameFicheProduit->hide();
    Recordset& rs = *RsStockGlobal;
    if (!rs.IsOpen() || rs.RecordCount() == 0)
        return;
    if (premier)
        rs.MoveFirst();
    else
        rs.MoveLast();
}

void FrmStock::Command5_Click() {
    allerAuBout(true);
}

void FrmStock::Command6_Click() {
    allerAuBout(false);
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
        const QString champ = QLatin1String(Champs[std::clamp(ModeRecherche, 1, 4) - 1]);
        // Read again when anything was written since, and sorted once, after the read.
        rs.Requery(champ);
    }
    DBGrid2->viewport()->update();
}
