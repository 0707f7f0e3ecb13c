#include "machines/forms/FrmConfigMachine.h"

#include "common/Conversions.h"
#include "common/ErreurExecution.h"
#include "common/MajBase.h"
#include "common/ServiceDialogue.h"
#include "common/forms/Instance.h"
#include "common/forms/ProgessBarre.h"
#include "stock/forms/FrmStock.h"

#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>

// The floor and column layouts of the machine opened take the list's place: the layout grid with one row
// per configured row, a fill bar beside each, and the plan the operator changes row by row in
// configuration mode before saving it.

using ModeleMachine::Disposition;

namespace {

// Twips, as the design gives them.
constexpr int LargeursColonnes[] = {900, 2800, 1300, 667, 667, 690};
constexpr int HauteurEntete = 540;
constexpr int HauteurLigne = 270;
constexpr int GaucheBarres = 7020;
constexpr int LargeurBarres = 2300;
// The bars stand 635 twips plus k rows from the window's top: beside row k of the grid.
constexpr int HautBarres = 635;
constexpr int NbBarres = 36;

// Colours, &HBBGGRR.
constexpr quint32 Orange = 0x85C7F3; // every second floor
constexpr quint32 Rouge = 0x2532ED;  // every other column
constexpr quint32 Blanc = 0xFFFFFF;
constexpr quint32 Noir = 0x000000;
constexpr quint32 Magenta = 0xFF00FF;    // the special row of a model 8
constexpr quint32 FondFixe = 0x8000000F; // the button face of the caption row and column

bool estNombre(const QString& texte) {
    bool ok = false;
    QLocale::c().toDouble(QString(texte).replace(u',', u'.'), &ok);
    return ok;
}

} // namespace

void FrmConfigMachine::preparerDisposition() {
    // Rows and columns as small as the design makes them; the grid never scrolls, so that each bar stays
    // beside its row.
    for (QHeaderView* h : {MSFlexGrid1->horizontalHeader(), MSFlexGrid1->verticalHeader()}) {
        h->setMinimumSectionSize(1);
        h->setSectionResizeMode(QHeaderView::Fixed);
    }
    // Captions wrap in their narrow columns, in a font as small as the design's.
    QFont police(QStringLiteral("Arial"));
    police.setPointSizeF(8);
    MSFlexGrid1->setFont(police);
    MSFlexGrid1->setWordWrap(true);
    MSFlexGrid1->setTextElideMode(Qt::ElideNone);
    // Below the last row the window shows through; the data cells are white.
    QPalette p = MSFlexGrid1->palette();
    p.setColor(QPalette::Base, palette().color(QPalette::Window));
    MSFlexGrid1->setPalette(p);
    MSFlexGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    MSFlexGrid1->setAutoScroll(false);
    for (QScrollBar* b : {MSFlexGrid1->verticalScrollBar(), MSFlexGrid1->horizontalScrollBar()})
        connect(b, &QScrollBar::valueChanged, b, [b](int v) {
            if (v != 0)
                b->setValue(0);
        });
    connect(MSFlexGrid1, &QTableWidget::cellDoubleClicked, this,
            [this](int ligne, int) { MSFlexGrid1_DblClick(ligne); });
    connect(CmdEnregiConfig, &QPushButton::clicked, this, [this] { CmdEnregiConfig_Click(); });
}

void FrmConfigMachine::LireConfigMachineEtage() {
    dessiner(Disposition::Etages, QStringLiteral("LireConfigMachineEtage"));
}

void FrmConfigMachine::LireConfigMachineColonne() {
    dessiner(Disposition::Colonnes, QStringLiteral("LireConfigMachineColonne"));
}

void FrmConfigMachine::dessiner(Disposition vue, const QString& procedure) {
    using Conversions::couleurVB;
    m_plan.clear();
    if (NoMachineCourante == 0)
        return;
    DispositionMachine d;
    try {
        DispositionMachine::Machine machine;
        machine.noMachine = NoMachineCourante;
        machine.type = TypeMachineCourante;
        machine.nbEmplacement = champ(QStringLiteral("NbEmplacement"));
        machine.nbPorte = champ(QStringLiteral("NbPorte"));
        d = DispositionMachine::Lire(connexion(), machine, vue);
    } catch (const std::exception& e) {
        // Nothing drawn, nothing to save: back to the list.
        MajBase::SignalerErreur(procedure, e);
        passerEnListe();
        return;
    }
    TableauRemplissage = d.TableauRemplissage;

    // A cleared grid, its title and the bars' caption.
    montrerDisposition();
    SSPanel3->show();
    for (int k = 1; k <= NbBarres; ++k)
        SSPanel2[static_cast<size_t>(k)]->hide();

    const int n = static_cast<int>(d.lignes.size());
    MSFlexGrid1->setColumnCount(6);
    MSFlexGrid1->setRowCount(n + 1);
    for (int c = 0; c < 6; ++c)
        MSFlexGrid1->setColumnWidth(c, Conversions::twipsEnPixels(LargeursColonnes[c]));
    MSFlexGrid1->setRowHeight(0, Conversions::twipsEnPixels(HauteurEntete));
    // The first columns, as many as there are rows (six at most), are aligned left; the others align
    // numbers right.
    const int alignees = std::min(n, 6);
    auto cellule = [&](int r, int c, const QString& texte) {
        auto* item = new QTableWidgetItem(texte);
        const bool fixe = r == 0 || c == 0;
        item->setFlags(fixe ? Qt::ItemIsEnabled : Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        item->setBackground(couleurVB(fixe ? FondFixe : Blanc));
        const bool droite = c >= alignees && estNombre(texte);
        item->setTextAlignment(Qt::AlignVCenter | (droite ? Qt::AlignRight : Qt::AlignLeft));
        MSFlexGrid1->setItem(r, c, item);
        return item;
    };
    const QStringList entetes = DispositionMachine::Entetes(vue);
    cellule(0, 0, QString());
    // A smaller font lets the longer translated captions wrap within the narrow columns, and the row
    // captions ("Colonne 36") show whole on their one line.
    QFont petite = MSFlexGrid1->font();
    petite.setPointSizeF(7);
    for (int c = 1; c <= 5; ++c)
        cellule(0, c, entetes.at(c - 1))->setFont(petite);

    for (int i = 1; i <= n; ++i) {
        const DispositionMachine::Ligne& l = d.lignes.at(i - 1);
        m_plan.append(LignePlan::Affichee(l));
        MSFlexGrid1->setRowHeight(i, Conversions::twipsEnPixels(HauteurLigne));
        std::optional<quint32> fond;
        quint32 texte = Noir;
        if (l.speciale) {
            fond = Magenta;
        } else if (vue == Disposition::Etages) {
            if (!ModeleMachine::EstImpair(i))
                fond = Orange;
        } else if (ModeleMachine::EstImpair(i)) {
            fond = Rouge;
            texte = Blanc;
        }
        for (int c = 0; c <= 5; ++c) {
            QTableWidgetItem* item = cellule(i, c, l.texte(c));
            if (c == 0)
                item->setFont(petite);
            if (c > 0 && fond) {
                item->setBackground(couleurVB(*fond));
                item->setForeground(couleurVB(texte));
            }
        }
        if (l.speciale || i > NbBarres)
            continue;
        ProgessBarre* barre = SSPanel2[static_cast<size_t>(i)];
        const int h = static_cast<int>(Conversions::pixelsEnTwips(MSFlexGrid1->rowHeight(i)));
        placer(barre, GaucheBarres, HautBarres + i * h, LargeurBarres, h);
        barre->setBackColor(fond.value_or(Blanc));
        barre->setFontColor(texte);
        barre->setValue(l.pourcentage);
        barre->show();
        barre->raise();
    }
    MSFlexGrid1->scrollToTop();
}

void FrmConfigMachine::MSFlexGrid1_DblClick(int k) {
    if (!ModeConfig || k < 1 || k > m_plan.size())
        return;
    CodeArticle = 0;
    Reference = 0;
    Designation.clear();
    FrmStock::OptionsChoix options;
    options.choixVide = true;
    const ChoixArticle choix = Instance<FrmStock>().ChoisirArticle(this, options);
    // Closed without a choice: the row keeps its article.
    if (choix.nature == ChoixArticle::Nature::Aucun)
        return;
    if (choix.nature == ChoixArticle::Nature::Article) {
        CodeArticle = static_cast<double>(choix.codeArticle);
        Reference = static_cast<double>(choix.reference);
        Designation = choix.designation;
    }
    LignePlan& l = m_plan[k - 1];
    l.codeArticle = static_cast<qint64>(CodeArticle);
    l.reference = static_cast<qint64>(Reference);
    l.designation = Designation;
    const QString textes[] = {Designation, QString::number(l.reference), QString::number(l.codeArticle)};
    for (int c = 1; c <= 3; ++c)
        if (QTableWidgetItem* item = MSFlexGrid1->item(k, c))
            item->setText(textes[c - 1]);
}

void FrmConfigMachine::CmdEnregiConfig_Click() {
    // On failure nothing is written: the plan stays on screen, to save again.
    if (!enregistrerConfig([this] {
            EnregistrerConfigMachine(connexion(), NoMachineCourante, TypeMachineCourante, ModeVue, m_plan);
        }))
        return;
    CmdEnregiConfig->hide();
    DataGrid1_DblClick();
}
