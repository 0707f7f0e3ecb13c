#include "stock/forms/frmMouvtStock.h"

#include "common/ErreurExecution.h"
#include "common/MajBase.h"
#include "common/ServiceDialogue.h"
#include "common/forms/Centrage.h"
#include "common/forms/LigneGrille.h"
#include "db/RecordsetModel.h"
#include "stock/MouvementsStock.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

namespace {

struct Colonne {
    const char* champ;
    const char* legende;
    int largeur;
};

// In the order of the language files' column keys.
const Colonne Colonnes[] = {
    {"Id", "No", 56},
    {"DateEntree", "Date d'entrée", 100},
    {"RefProduit", "Ref. Produit", 90},
    {"Designation", "Désignation", 250},
    {"Qte", "Qté", 56},
    {"Commentaire", "Commentaire", 220},
    {"NomFournisseur", "Fournisseur", 150},
};

} // namespace

frmMouvtStock::frmMouvtStock(QWidget* parent)
    : FormBase(QStringLiteral("frmMouvtStock"), parent, Qt::Dialog | Qt::WindowCloseButtonHint) {
    setWindowTitle(QStringLiteral("Mouvement du stock"));
    // Translated in Form_Activate, before the columns are fitted to their captions.
    setTraductionActivation(false);

    LegendeDBGrid1 = new QLabel(QStringLiteral("MOUVEMENTS DE STOCK"), this);
    LegendeDBGrid1->setAlignment(Qt::AlignCenter);
    QFont gras = LegendeDBGrid1->font();
    gras.setBold(true);
    LegendeDBGrid1->setFont(gras);

    DBGrid1 = new QTableView(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    m_modele = new RecordsetModel(&data1, this);
    QStringList champs, legendes;
    for (const Colonne& c : Colonnes) {
        champs << QLatin1String(c.champ);
        legendes << QString::fromUtf8(c.legende);
    }
    m_modele->setColonnes(champs, legendes);
    m_modele->setGrille(objectName(), DBGrid1->objectName());
    DBGrid1->setModel(m_modele);
    declarerLegendeGrille(DBGrid1->objectName(), LegendeDBGrid1);
    // A consultation: nothing is typed into the cells.
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid1->setAlternatingRowColors(true);
    DBGrid1->setWordWrap(false);
    DBGrid1->verticalHeader()->hide();
    DBGrid1->verticalHeader()->setDefaultSectionSize(DBGrid1->fontMetrics().height() + 6);
    QHeaderView* entete = DBGrid1->horizontalHeader();
    entete->setSectionsClickable(true);
    entete->setHighlightSections(false);
    entete->setStretchLastSection(true);
    ajusterColonnes();
    connect(entete, &QHeaderView::sectionClicked, this, [this](int c) { DBGrid1_HeadClick(c); });
    // The grid shows the current movement.
    new LigneGrille(DBGrid1, &data1);

    cmdClose = creerBouton(QStringLiteral("cmdClose"), QStringLiteral("Fermer"));
    cmdClose->setMinimumWidth(100);
    setBoutonAnnuler(cmdClose);
    connect(cmdClose, &QPushButton::clicked, this, [this] { cmdClose_Click(); });

    auto* boutons = new QHBoxLayout;
    boutons->addStretch(1);
    boutons->addWidget(cmdClose);
    auto* principal = new QVBoxLayout(this);
    principal->setContentsMargins(10, 10, 10, 10);
    principal->setSpacing(6);
    principal->addWidget(LegendeDBGrid1);
    principal->addWidget(DBGrid1, 1);
    principal->addLayout(boutons);
    resize(1000, 560);
}

void frmMouvtStock::Form_Load() {
    FonctionUtilitaires::CentrerForm(this);
    try {
        MouvementsStock::ouvrir(data1, connexion());
    } catch (const ErreurExecution& e) {
        MsgBox(QStringLiteral("Error:") + QString::number(e.numero()) + u' ' + e.description());
        Unload();
    }
}

void frmMouvtStock::Form_Unload(bool& annuler) {
    Q_UNUSED(annuler);
    data1.Close();
}

void frmMouvtStock::Form_Activate() {
    traduireSiEtranger();
    ajusterColonnes();
    // Entries booked meanwhile, on top.
    try {
        if (data1.IsOpen())
            MouvementsStock::relire(data1);
    } catch (const ErreurExecution& e) {
        MajBase::SignalerErreur(QStringLiteral("frmMouvtStock.Form_Activate"), e);
    }
    Sablier(false);
}

void frmMouvtStock::Form_KeyUp(QKeyEvent* e) {
    // F12 has translated the form again.
    if (e->key() == Qt::Key_F12)
        ajusterColonnes();
}

void frmMouvtStock::ajusterColonnes() {
    // Each caption whole, in every language.
    const QFontMetrics fm(DBGrid1->horizontalHeader()->font());
    for (int i = 0; i < m_modele->columnCount(); ++i) {
        const QString legende = m_modele->headerData(i, Qt::Horizontal).toString();
        DBGrid1->setColumnWidth(i, std::max(Colonnes[i].largeur, fm.horizontalAdvance(legende) + 16));
    }
}

void frmMouvtStock::DBGrid1_HeadClick(int colonne) {
    const QString champ = m_modele->champ(colonne);
    try {
        if (data1.IsOpen() && !champ.isEmpty())
            data1.Sort(champ);
    } catch (const ErreurExecution& e) {
        MajBase::SignalerErreur(QStringLiteral("frmMouvtStock.DBGrid1_HeadClick"), e);
    }
}

void frmMouvtStock::cmdClose_Click() {
    Hide();
}
