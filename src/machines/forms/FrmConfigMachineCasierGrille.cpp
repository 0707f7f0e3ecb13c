#include "machines/forms/FrmConfigMachineCasier.h"

#include "common/Conversions.h"
#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/MajBase.h"
#include "common/ServiceDialogue.h"
#include "common/forms/ImprimanteCourante.h"
#include "common/forms/Instance.h"
#include "common/forms/ProgessBarre.h"
#include "db/Valeurs.h"
#include "machines/EnregistrerConfigMachine.h"
#include "stock/forms/FrmStock.h"

#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <algorithm>
#include <array>
#include <cmath>

// The locker grid of the machine opened takes the list's place, under its title: one cell per locker,
// the article planned there, and in configuration mode the picker that assigns an article to a cell or
// a range of cells, saved into the machine's plan.

namespace {

using Conversions::couleurVB;
using Conversions::twipsEnPixels;

// Twips, as the design gives them.
constexpr int LargeurLegendes = 900;
constexpr int LargeurCasier = 1000;
constexpr int HauteurLigne = 255;

// Colours, &HBBGGRR.
constexpr quint32 Rouge = 0x2532ED;     // lockers of even rows
constexpr quint32 BleuClair = 0xFEDDC9; // the last column of a model 8
constexpr quint32 Blanc = 0xFFFFFF;
constexpr quint32 Noir = 0x000000;
constexpr quint32 FondFixe = 0x8000000F; // the button face of the caption row and column

// The keys that move the grid's current cell.
bool estNavigation(int touche) {
    switch (touche) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
        return true;
    default:
        return false;
    }
}

} // namespace

void FrmConfigMachineCasier::preparerGrille() {
    for (QHeaderView* h : {MSFlexGrid1->horizontalHeader(), MSFlexGrid1->verticalHeader()}) {
        h->setMinimumSectionSize(1);
        h->setSectionResizeMode(QHeaderView::Fixed);
    }
    MSFlexGrid1->verticalHeader()->setDefaultSectionSize(twipsEnPixels(HauteurLigne));
    QFont police(QStringLiteral("Arial"));
    police.setPointSizeF(8);
    MSFlexGrid1->setFont(police);
    // A text wider than its cell is cut, never shortened with an ellipsis.
    MSFlexGrid1->setTextElideMode(Qt::ElideNone);
    MSFlexGrid1->setSelectionMode(QAbstractItemView::ContiguousSelection);
    MSFlexGrid1->setSelectionBehavior(QAbstractItemView::SelectItems);
    // Sideways it scrolls only in a window narrower than the design (disposer).
    MSFlexGrid1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    MSFlexGrid1->viewport()->installEventFilter(this);
    MSFlexGrid1->installEventFilter(this);
    // A keyboard move ends a selection change at once; a mouse drag only when the button is released.
    connect(MSFlexGrid1, &QTableWidget::currentCellChanged, this, [this](int r2, int c2, int, int) {
        if (m_souris || m_dessin || r2 < 1 || c2 < 1)
            return;
        if (!(QApplication::keyboardModifiers() & Qt::ShiftModifier) || m_ligneAncre < 1) {
            m_ligneAncre = r2;
            m_colonneAncre = c2;
        }
        MSFlexGrid1_SelChange(m_ligneAncre, m_colonneAncre, r2, c2);
    });
    connect(CmdEnregiConfig, &QPushButton::clicked, this, [this] { CmdEnregiConfig_Click(); });
    connect(Command5, &QPushButton::clicked, this, [this] { Command5_Click(); });
    connect(OptionRefFour, &QRadioButton::clicked, this, [this] { OptionRefFour_Click(); });
    connect(OptionReference, &QRadioButton::clicked, this, [this] { OptionReference_Click(); });
    connect(OptionCodeArticle, &QRadioButton::clicked, this, [this] { OptionCodeArticle_Click(); });
}

bool FrmConfigMachineCasier::eventFilter(QObject* objet, QEvent* evenement) {
    if (objet == MSFlexGrid1->viewport()) {
        switch (evenement->type()) {
        case QEvent::MouseButtonPress: {
            const QModelIndex i =
                MSFlexGrid1->indexAt(static_cast<QMouseEvent*>(evenement)->position().toPoint());
            m_souris = i.isValid() && i.row() >= 1 && i.column() >= 1;
            if (m_souris) {
                m_ligneAncre = i.row();
                m_colonneAncre = i.column();
            }
            break;
        }
        case QEvent::MouseButtonRelease:
            if (m_souris) {
                m_souris = false;
                // Qt's current cell followed the drag: the selection's other corner.
                const int r2 = std::max(1, MSFlexGrid1->currentRow());
                const int c2 = std::max(1, MSFlexGrid1->currentColumn());
                MSFlexGrid1_SelChange(m_ligneAncre, m_colonneAncre, r2, c2);
            }
            break;
        case QEvent::MouseButtonDblClick:
            // The press of the second click opens no second selection change.
            m_souris = false;
            MSFlexGrid1_DblClick();
            return true;
        default:
            break;
        }
    } else if (objet == MSFlexGrid1 && evenement->type() == QEvent::KeyPress &&
               estNavigation(static_cast<QKeyEvent*>(evenement)->key())) {
        m_souris = false;
    }
    return FormeMachine::eventFilter(objet, evenement);
}

GrilleCasiers::Option FrmConfigMachineCasier::optionChoisie() const {
    if (OptionRefFour->isChecked())
        return GrilleCasiers::Option::RefFournisseur;
    if (OptionReference->isChecked())
        return GrilleCasiers::Option::Reference;
    return GrilleCasiers::Option::CodeArticle;
}

void FrmConfigMachineCasier::LireConfigMachineColonne() {
    if (NoMachineCourante == 0)
        return;
    const int type = static_cast<int>(Valeurs::lireEntier(champ(QStringLiteral("Type"))));
    const qint64 portes = Valeurs::lireEntier(champ(QStringLiteral("NbPorte")));
    try {
        Grille.Lire(connexion(), NoMachineCourante, type, portes);
    } catch (const std::exception& e) {
        // Nothing to show nor to save: the list comes back.
        MajBase::SignalerErreur(QStringLiteral("LireConfigMachineColonne"), e);
        passerEnListe();
        return;
    }

    m_dessin = true;
    montrerDisposition();
    MSFlexGrid1->setUpdatesEnabled(false);
    MSFlexGrid1->setVerticalScrollBarPolicy(Grille.defilement ? Qt::ScrollBarAlwaysOn
                                                              : Qt::ScrollBarAlwaysOff);
    const int colonnes = static_cast<int>(std::clamp<qint64>(portes, 0, 1000)) + 1;
    MSFlexGrid1->setRowCount(Grille.lignes);
    MSFlexGrid1->setColumnCount(colonnes);
    for (int k = 1; k <= 36; ++k)
        SSPanel2[static_cast<size_t>(k)]->hide();

    // Captions as long as "Colonne 62" fit the narrow caption column in a smaller font.
    QFont petite = MSFlexGrid1->font();
    petite.setPointSizeF(7);
    const QBrush fondFixe(couleurVB(FondFixe));
    auto fixe = [&](int r, int c, const QString& texte) {
        auto* item = new QTableWidgetItem(texte);
        item->setFlags(Qt::ItemIsEnabled);
        item->setBackground(fondFixe);
        if (c == 0)
            item->setFont(petite);
        else
            item->setTextAlignment(Qt::AlignCenter);
        MSFlexGrid1->setItem(r, c, item);
    };
    // Row X's caption is written once a locker of that row is drawn.
    std::array<bool, GrilleCasiers::NbLignes> lignesDessinees{};
    for (const GrilleCasiers::Casier& k : std::as_const(Grille.casiers))
        lignesDessinees[static_cast<size_t>(k.x)] = true;
    const QString colonne = Global().msg(10);
    MSFlexGrid1->setColumnWidth(0, twipsEnPixels(LargeurLegendes));
    for (int r = 0; r < Grille.lignes; ++r)
        fixe(r, 0,
             r > 0 && lignesDessinees[static_cast<size_t>(r)] ? colonne + QString::number(r) : QString());
    const QString etage = Global().msg(40);
    for (int i = 1; i < colonnes; ++i) {
        MSFlexGrid1->setColumnWidth(i, twipsEnPixels(LargeurCasier));
        fixe(0, i, etage + QString::number(i));
    }
    Label3->resize(twipsEnPixels(static_cast<double>(portes < 1 ? 960 : (portes + 1) * LargeurCasier - 40)),
                   Label3->height());
    Label3->setText(titreMachine());
    Label3->repaint();

    const GrilleCasiers::Option option = optionChoisie();
    // Each cell a copy of its row's model: centred, and red with white text in even rows.
    QTableWidgetItem impaire(QString{});
    impaire.setTextAlignment(Qt::AlignCenter);
    QTableWidgetItem paire(impaire);
    paire.setBackground(couleurVB(Rouge));
    paire.setForeground(couleurVB(Blanc));
    for (const GrilleCasiers::Casier& k : std::as_const(Grille.casiers)) {
        QTableWidgetItem* item = (ModeleMachine::EstImpair(k.x) ? impaire : paire).clone();
        item->setText(GrilleCasiers::Texte(k, option));
        MSFlexGrid1->setItem(k.x, k.y, item);
    }
    if (type == 8 && colonnes > 1) {
        for (int r = 1; r <= 36 && r < Grille.lignes; ++r) {
            QTableWidgetItem* item = MSFlexGrid1->item(r, colonnes - 1);
            if (!item) {
                item = new QTableWidgetItem;
                item->setTextAlignment(Qt::AlignCenter);
                MSFlexGrid1->setItem(r, colonnes - 1, item);
            }
            item->setBackground(couleurVB(BleuClair));
            item->setForeground(couleurVB(Noir));
        }
    }
    MSFlexGrid1->setCurrentCell(-1, -1);
    MSFlexGrid1->scrollToTop();
    MSFlexGrid1->setUpdatesEnabled(true);
    m_dessin = false;
}

qint32 FrmConfigMachineCasier::LireStockMachine(double reference) {
    if (NoMachineCourante == 0)
        return 0;
    return ::LireStockMachine(connexion(), NoMachineCourante, reference, Global().OptionQuantiteMultiple);
}

bool FrmConfigMachineCasier::VerifierMachineVide() {
    return ::VerifierMachineVide(connexion(), NoMachineCourante, OccupationCase);
}

void FrmConfigMachineCasier::affecterCellule(int r, int c, bool article) {
    if (r < 1 || c < 1 || r >= GrilleCasiers::NbLignes || c >= GrilleCasiers::NbColonnes ||
        r >= MSFlexGrid1->rowCount() || c >= MSFlexGrid1->columnCount())
        return;
    QTableWidgetItem* item = MSFlexGrid1->item(r, c);
    if (!item) {
        item = new QTableWidgetItem;
        item->setTextAlignment(Qt::AlignCenter);
        MSFlexGrid1->setItem(r, c, item);
    }
    GrilleCasiers::Tables& t = Grille.tables;
    if (article) {
        item->setText(RefFournisseur);
        t.ReferenceCase[r][c] = static_cast<qint64>(std::nearbyint(Reference));
        t.DesignationCase[r][c] = Designation;
        t.CodeArticleCase[r][c] = CodeArticle;
    } else {
        item->setText(QString());
        t.ReferenceCase[r][c] = 0;
        t.DesignationCase[r][c].clear();
        t.CodeArticleCase[r][c] = 0;
    }
}

void FrmConfigMachineCasier::montrerArticle() {
    Label4->setText(Designation);
    Label5->setText(QString::number(LireStockMachine(Reference)));
}

void FrmConfigMachineCasier::MSFlexGrid1_SelChange(int r, int c, int r2, int c2) {
    if (!ModeConfig) {
        if (r2 < 1 || c2 < 1 || r2 >= GrilleCasiers::NbLignes || c2 >= GrilleCasiers::NbColonnes)
            return;
        Label4->setText(Grille.tables.DesignationCase[r2][c2]);
        Label5->setText(
            QString::number(LireStockMachine(static_cast<double>(Grille.tables.ReferenceCase[r2][c2]))));
        return;
    }
    CodeArticle = 0;
    Reference = 0;
    Designation.clear();
    RefFournisseur.clear();
    FrmStock::OptionsChoix options;
    options.choixVide = true;
    const ChoixArticle choix = Instance<FrmStock>().ChoisirArticle(this, options);
    // Closed without a choice: the range stays as it was.
    if (choix.nature == ChoixArticle::Nature::Aucun)
        return;
    if (choix.nature == ChoixArticle::Nature::Article) {
        CodeArticle = static_cast<qint32>(choix.codeArticle);
        Reference = static_cast<double>(choix.reference);
        RefFournisseur = choix.refFournisseur;
        Designation = choix.designation;
    } else {
        RefFournisseur = choix.refFournisseur;
    }
    const bool article = CodeArticle != 0;
    // Rows outer, columns inner; a range drawn upwards or leftwards covers no cell.
    for (int i = r; i <= r2; ++i)
        for (int j = c; j <= c2; ++j)
            affecterCellule(i, j, article);
    MSFlexGrid1->viewport()->update();
    if (article)
        montrerArticle();
}

void FrmConfigMachineCasier::MSFlexGrid1_DblClick() {
    if (!ModeConfig)
        return;
    const int r = MSFlexGrid1->currentRow(), c = MSFlexGrid1->currentColumn();
    CodeArticle = 0;
    Reference = 0;
    Designation.clear();
    RefFournisseur.clear();
    const ChoixArticle choix = Instance<FrmStock>().ChoisirArticle(this, FrmStock::OptionsChoix());
    if (choix.nature != ChoixArticle::Nature::Article || choix.codeArticle == 0)
        return;
    CodeArticle = static_cast<qint32>(choix.codeArticle);
    Reference = static_cast<double>(choix.reference);
    RefFournisseur = choix.refFournisseur;
    Designation = choix.designation;
    affecterCellule(r, c, true);
    montrerArticle();
}

void FrmConfigMachineCasier::CmdEnregiConfig_Click() {
    // Only the grid on screen is saved.
    if (!dispositionAffichee() || MSFlexGrid1->isHidden())
        return;
    // On failure nothing is written: the grid stays as assigned, to save again.
    if (!enregistrerConfig([this] {
            EnregistrerConfigCasiers(connexion(), NoMachineCourante, Grille.parColonne, Grille.tables);
        }))
        return;
    CmdEnregiConfig->hide();
    LireConfigMachineColonne();
}

QImage FrmConfigMachineCasier::ImageGrille() const {
    const QTableWidget* g = MSFlexGrid1;
    int largeur = 0, hauteur = 0;
    for (int c = 0; c < g->columnCount(); ++c)
        largeur += g->columnWidth(c);
    for (int r = 0; r < g->rowCount(); ++r)
        hauteur += g->rowHeight(r);
    QImage image(std::max(1, largeur + 1), std::max(1, hauteur + 1), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setFont(g->font());
    const QColor trait = g->palette().color(QPalette::Mid);
    int y = 0;
    for (int r = 0; r < g->rowCount(); ++r) {
        int x = 0;
        const int h = g->rowHeight(r);
        for (int c = 0; c < g->columnCount(); ++c) {
            const int w = g->columnWidth(c);
            const QRect cellule(x, y, w, h);
            if (const QTableWidgetItem* item = g->item(r, c)) {
                const QBrush fond = item->background();
                if (fond.style() != Qt::NoBrush)
                    p.fillRect(cellule, fond);
                const QBrush texte = item->foreground();
                p.setPen(texte.style() != Qt::NoBrush ? texte.color() : QColor(Qt::black));
                p.setFont(item->data(Qt::FontRole).isValid() ? item->font() : g->font());
                const int alignement =
                    item->textAlignment() ? item->textAlignment() : int(Qt::AlignLeft | Qt::AlignVCenter);
                p.drawText(cellule.adjusted(2, 0, -2, 0), alignement, item->text());
            }
            p.setPen(trait);
            p.drawRect(cellule);
            x += w;
        }
        y += h;
    }
    return image;
}

void FrmConfigMachineCasier::Command5_Click() {
    const std::unique_ptr<QPrinter> imprimante = choisirEtCreerImprimante(
        QDir::home().filePath(QStringLiteral("Machine %1.pdf").arg(NoMachineCourante)));
    if (!imprimante)
        return;
    try {
        ImprimerGrilleCasiers(*imprimante, Label3->text(), ImageGrille());
    } catch (const ErreurExecution& e) {
        MsgBox(QString::number(e.numero()) + u' ' + e.description());
    }
}

void FrmConfigMachineCasier::OptionRefFour_Click() {
    if (dispositionAffichee())
        LireConfigMachineColonne();
}

void FrmConfigMachineCasier::OptionReference_Click() {
    if (dispositionAffichee())
        LireConfigMachineColonne();
}

void FrmConfigMachineCasier::OptionCodeArticle_Click() {
    if (dispositionAffichee())
        LireConfigMachineColonne();
}
