// The grid of the articles, the switch between card and grid, and the moves of the spin button.
#include "stock/forms/FrmStock.h"

#include "common/EtatGlobal.h"
#include "common/SaisieNumerique.h"
#include "common/ServiceDialogue.h"
#include "common/forms/LigneGrille.h"
#include "db/Recordset.h"
#include "db/RecordsetModel.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QVBoxLayout>

namespace {

struct ColonneGrille {
    const char* champ;
    const char* legende;
    int largeur; // the least width, before the caption is measured
};

const ColonneGrille Colonnes[] = {
    {"Reference", "Réference", 64},
    {"RefFournisseur", "Ref. Fournisseur", 100},
    {"Designation", "Désignation", 180},
    {"Taille", "Taille", 48},
    {"CodeArticle", "Code Article", 56},
    {"NomFamille", "Famille", 110},
    {"PrixAchatUnit", "Prix achat Unitaire", 84},
    {"ValeurStock", "Valeur stock", 92},
    {"QteEnStock", "Qté en réserve", 62},
    {"QteEnMachine", "Qté en machine", 62},
    {"QteGlobal", "Qté Global", 62},
    {"StockAlert", "Stock Alarm", 62},
};
constexpr int ColonnesFixes = 8; // 0 to 7: neither resized nor edited
constexpr int ColonneDesignation = 2;

// The width a caption needs on at most two lines.
int largeurLegende(const QFontMetrics& fm, const QString& legende) {
    const QStringList mots = legende.split(u' ', Qt::SkipEmptyParts);
    int meilleure = fm.horizontalAdvance(legende);
    for (int k = 1; k < mots.size(); ++k)
        meilleure = std::min(meilleure, std::max(fm.horizontalAdvance(mots.mid(0, k).join(u' ')),
                                                 fm.horizontalAdvance(mots.mid(k).join(u' '))));
    return meilleure + 14;
}

} // namespace

void FrmStock::construireGrille(QWidget* zone) {
    auto* cadre = new QWidget(zone);
    auto* v = new QVBoxLayout(cadre);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(2);
    LegendeDBGrid2 = new QLabel(QStringLiteral("Article en stock"), cadre);
    QFont gras = LegendeDBGrid2->font();
    gras.setBold(true);
    LegendeDBGrid2->setFont(gras);
    LegendeDBGrid2->setAlignment(Qt::AlignCenter);
    DBGrid2 = new QTableView(cadre);
    DBGrid2->setObjectName(QStringLiteral("DBGrid2"));
    v->addWidget(LegendeDBGrid2);
    v->addWidget(DBGrid2, 1);
    static_cast<QGridLayout*>(zone->layout())->addWidget(cadre, 0, 0);
    declarerLegendeGrille(QStringLiteral("DBGrid2"), LegendeDBGrid2);

    QStringList champs, legendes;
    for (const ColonneGrille& c : Colonnes) {
        champs << QLatin1String(c.champ);
        legendes << QString::fromUtf8(c.legende);
    }
    ModeleStock->setColonnes(champs, legendes);
    ModeleStock->setGrille(objectName(), QStringLiteral("DBGrid2"));
    ModeleStock->setFormat(6, RecordsetModel::Format::Monnaie);
    ModeleStock->setFormat(7, RecordsetModel::Format::Monnaie);
    for (int i = 0; i < ColonnesFixes; ++i)
        ModeleStock->setColonneVerrouillee(i, true);
    DBGrid2->setModel(ModeleStock);

    DBGrid2->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid2->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid2->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid2->setAlternatingRowColors(true);
    DBGrid2->setSortingEnabled(false);
    DBGrid2->setWordWrap(false);
    DBGrid2->verticalHeader()->hide();
    DBGrid2->verticalHeader()->setDefaultSectionSize(DBGrid2->fontMetrics().height() + 6);
    QHeaderView* entete = DBGrid2->horizontalHeader();
    entete->setSectionsClickable(true);
    entete->setHighlightSections(false);
    entete->setMinimumSectionSize(30);
    // Captions on two lines, so that the columns can stay as narrow as their values.
    entete->setDefaultAlignment(Qt::Alignment(Qt::AlignCenter | Qt::TextWordWrap));
    entete->setMinimumHeight(2 * entete->fontMetrics().lineSpacing() + 10);
    for (int i = 0; i < ModeleStock->columnCount(); ++i)
        entete->setSectionResizeMode(i, i < ColonnesFixes ? QHeaderView::Fixed : QHeaderView::Interactive);
    entete->setStretchLastSection(false);
    ajusterColonnes(true);

    connect(entete, &QHeaderView::sectionClicked, this, [this](int c) { DBGrid2_HeadClick(c); });
    connect(entete, &QHeaderView::sectionResized, this, [this](int c) {
        if (c >= ColonnesFixes)
            ajusterColonnes(false);
    });
    connect(DBGrid2, &QTableView::doubleClicked, this, [this](const QModelIndex&) { DBGrid2_DblClick(); });
    // A row chosen in the grid is the list's current row (and so the card's).
    m_ligneGrille = new LigneGrille(DBGrid2, RsStockGlobal);
}

void FrmStock::ajusterColonnes(bool legendes) {
    // Columns show their caption whole, in every language (the user may widen the last four); the
    // designation takes what the others leave of the grid's width.
    QHeaderView* entete = DBGrid2->horizontalHeader();
    const QFontMetrics fm(entete->font());
    int autres = 0;
    for (int i = 0; i < ModeleStock->columnCount(); ++i) {
        if (i == ColonneDesignation)
            continue;
        if (legendes) {
            const QString legende = ModeleStock->headerData(i, Qt::Horizontal).toString();
            const int largeur = std::max(Colonnes[i].largeur, largeurLegende(fm, legende));
            if (entete->sectionSize(i) != largeur)
                DBGrid2->setColumnWidth(i, largeur);
        }
        autres += entete->sectionSize(i);
    }
    const int designation =
        std::max(Colonnes[ColonneDesignation].largeur, DBGrid2->viewport()->width() - autres);
    if (entete->sectionSize(ColonneDesignation) != designation)
        DBGrid2->setColumnWidth(ColonneDesignation, designation);
}

void FrmStock::suivreLigneCourante() {
    m_ligneGrille->suivre();
}

void FrmStock::DBGrid2_DblClick() {
    if (!CmdSelectioner->isHidden()) {
        CmdSelectioner_Click();
        return;
    }
    OptionFiche->setChecked(true);
    OptionFiche_Click();
}

void FrmStock::DBGrid2_HeadClick(int colonne) {
    switch (colonne) {
    case 0:
        cliquerOption(SSOptionRef);
        return;
    case 1:
        cliquerOption(SSOptionRefFour);
        return;
    case 2:
        cliquerOption(SSOptionDesi);
        return;
    case 4:
        cliquerOption(SSOptionCodArticle);
        return;
    case 5:
    case 6:
    case 8:
    case 9:
    case 10:
    case 11:
        if (RsStockGlobal->IsOpen())
            RsStockGlobal->Sort(QLatin1String(Colonnes[colonne].champ), Recordset::Ordre::Croissant);
        return;
    default:
        // "Taille" and "Valeur stock" do not sort.
        return;
    }
}

void FrmStock::DBGrid2_KeyPress(int& KeyAscii) {
    if (KeyAscii > 31 && KeyAscii <= 0xFFFF && !SaisieNumerique::toucheAcceptee(QChar(KeyAscii)))
        KeyAscii = 0;
}

// Next article. Past the last one the card fill goes back to the first.
void FrmStock::SpinButton1_SpinUp() {
    if (!quitterFiche())
        return;
    Recordset& rs = *RsStockGlobal;
    if (rs.RecordCount() == 0)
        return;
    if (rs.IsEOF())
        rs.MoveFirst();
    else
        rs.MoveNext();
}

// Previous article. Before the first one the card fill stays on the first.
void FrmStock::SpinButton1_SpinDown() {
    if (!quitterFiche())
        return;
    Recordset& rs = *RsStockGlobal;
    if (rs.RecordCount() == 0)
        return;
    if (rs.IsBOF())
        rs.MoveFirst();
    else
        rs.MovePrevious();
}

void FrmStock::OptionFiche_Click() {
    FrameFicheProduit->show();
    FrameFicheProduit->raise();
    afficherImageEnAttente();
}

void FrmStock::OptionTableau_Click() {
    if (ComboBox4->currentText().isEmpty()) {
        MsgBox(Global().msg(12), StyleMessage::Critique);
        // The card stays, and so does its option.
        if (!FrameFicheProduit->isHidden())
            OptionFiche->setChecked(true);
        return;
    }
    if (FicheModifiee && !EnregistrerArticleEnStockTous()) {
        OptionFiche->setChecked(true);
        return;
    }
    if (RsStockGlobal->RecordCount() > 0)
        FrameFicheProduit->hide();
}
