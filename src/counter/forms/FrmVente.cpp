#include "counter/forms/FrmVente.h"

#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/MajBase.h"
#include "common/ServiceDialogue.h"
#include "common/forms/LigneGrille.h"
#include "db/Recordset.h"
#include "db/RecordsetModel.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

namespace {

using Format = RecordsetModel::Format;

struct Colonne {
    const char* champ;
    const char* legende;
    int largeur;
    Format format;
};

// In the order of the language files' column keys.
const Colonne ColonnesJournal[] = {
    {"NumVente", "No:", 64, Format::Auto},          {"LaDate", "Date", 140, Format::DateHeure},
    {"Utilisateur", "Salarié", 110, Format::Texte}, {"Nom", "Nom", 140, Format::Texte},
    {"Ticket", "Ticket", 80, Format::Texte},        {"Prenom", "Prénom", 120, Format::Texte},
    {"Total", "Montant", 100, Format::Monnaie},
};
// The lines query has no QteDistribuer: its column stays empty.
const Colonne ColonnesDetail[] = {
    {"NumVente", "NumVente", 76, Format::Auto},           {"Reference", "Réference", 86, Format::Auto},
    {"Designation", "Désignation", 240, Format::Texte},   {"PrixAchatUnit", "Prix", 90, Format::Monnaie},
    {"Quantite", "Quantité", 70, Format::Auto},           {"NoMachine", "N° Machine", 80, Format::Auto},
    {"QteDistribuer", "QteDistribuer", 96, Format::Auto},
};
const Colonne ColonnesRetours[] = {
    {"ReferenceArticle", "Ref: ", 70, Format::Auto},
    {"RefFournisseur", "Ref fournisseur", 110, Format::Texte},
    {"Designation", "Désignation", 200, Format::Texte},
    {"Utilisateur", "Salarié", 100, Format::Texte},
    {"NomUser", "Nom", 120, Format::Texte},
    {"Ticket", "Ticket", 70, Format::Texte},
    {"PrenomUser", "Prénom", 110, Format::Texte},
    {"LaDateRetrait", "Date retrait", 140, Format::DateHeure},
    {"LaDateRetour", "Date retour", 140, Format::DateHeure},
};

template <size_t N> void definirColonnes(RecordsetModel* modele, const Colonne (&colonnes)[N]) {
    QStringList champs, legendes;
    for (const Colonne& c : colonnes) {
        champs << QLatin1String(c.champ);
        legendes << QString::fromUtf8(c.legende);
    }
    modele->setColonnes(champs, legendes);
    for (size_t i = 0; i < N; ++i)
        if (colonnes[i].format != Format::Auto)
            modele->setFormat(static_cast<int>(i), colonnes[i].format);
}

template <size_t N> void ajusterGrille(QTableView* grille, const Colonne (&colonnes)[N]) {
    const QFontMetrics fm(grille->horizontalHeader()->font());
    const int n = std::min(static_cast<int>(N), grille->model()->columnCount());
    for (int i = 0; i < n; ++i) {
        const QString legende = grille->model()->headerData(i, Qt::Horizontal).toString();
        grille->setColumnWidth(i, std::max(colonnes[i].largeur, fm.horizontalAdvance(legende) + 16));
    }
}

QLabel* legende(const QString& texte, QWidget* parent) {
    auto* l = new QLabel(texte, parent);
    QFont gras = l->font();
    gras.setBold(true);
    l->setFont(gras);
    l->setAlignment(Qt::AlignCenter);
    return l;
}

} // namespace

FrmVente::FrmVente(QWidget* parent)
    : FormBase(QStringLiteral("FrmVente"), parent, Qt::Dialog | Qt::WindowCloseButtonHint) {
    setWindowTitle(QStringLiteral("Journal des consommations"));
    // Translated in Form_Activate, before the columns are fitted to their captions.
    setTraductionActivation(false);

    data1 = new Recordset(this);
    data2 = new Recordset(this);
    data3 = new Recordset(this);
    ModeleJournal = new RecordsetModel(data1, this);
    ModeleDetail = new RecordsetModel(data2, this);
    ModeleRetours = new RecordsetModel(data3, this);

    QLayout* recherche = construireRecherche();
    QWidget* listes = construireGrilles();
    Label3 = new QLabel(QStringLiteral("Ticket:"), this);
    Label3->setObjectName(QStringLiteral("Label3"));
    TextTicket = new QLineEdit(this);
    TextTicket->setObjectName(QStringLiteral("TextTicket"));
    TextTicket->setReadOnly(true);
    TextTicket->setMinimumWidth(160);
    Label3->setBuddy(TextTicket);

    Command1 = creerBouton(QStringLiteral("Command1"), QStringLiteral("Supprimer l'enregistrement"));
    Command2 = creerBouton(QStringLiteral("Command2"), QStringLiteral("Export Excel"));
    cmdClose = creerBouton(QStringLiteral("cmdClose"), QStringLiteral("Fermer"));
    for (QPushButton* b : {Command1, Command2, cmdClose})
        b->setMinimumSize(100, 30);
    Label4 = new QLabel(QStringLiteral("Adresse E-mail:"), this);
    Label4->setObjectName(QStringLiteral("Label4"));
    ComboAdressEmail = new QComboBox(this);
    ComboAdressEmail->setObjectName(QStringLiteral("ComboAdressEmail"));
    // An address is typed or chosen.
    ComboAdressEmail->setEditable(true);
    ComboAdressEmail->setInsertPolicy(QComboBox::NoInsert);
    ComboAdressEmail->setMinimumWidth(220);
    Label4->setBuddy(ComboAdressEmail);

    auto* boutons = new QHBoxLayout;
    boutons->setSpacing(8);
    boutons->addWidget(Command1);
    boutons->addWidget(Command2);
    boutons->addSpacing(12);
    boutons->addWidget(Label4);
    boutons->addWidget(ComboAdressEmail, 1);
    boutons->addStretch(0);
    boutons->addSpacing(12);
    boutons->addWidget(cmdClose);

    auto* ticket = new QHBoxLayout;
    ticket->addWidget(Label3);
    ticket->addWidget(TextTicket);
    ticket->addStretch(1);

    auto* principal = new QVBoxLayout(this);
    principal->setContentsMargins(10, 10, 10, 10);
    principal->setSpacing(6);
    principal->addLayout(recherche);
    principal->addWidget(listes, 5);
    principal->addLayout(ticket);
    principal->addWidget(Label2);
    principal->addWidget(DBGrid2, 2);
    principal->addLayout(boutons);

    connecterRecherche();
    connect(CheckRetour, &QCheckBox::toggled, this, [this] { CheckRetour_Click(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    ComboAdressEmail->installEventFilter(this);
    connect(cmdClose, &QPushButton::clicked, this, [this] { cmdClose_Click(); });
    setBoutonAnnuler(cmdClose);
    resize(960, 680);
}

FrmVente::~FrmVente() = default;

QTableView* FrmVente::creerGrille(const QString& nom, RecordsetModel* modele) {
    auto* g = new QTableView(this);
    g->setObjectName(nom);
    modele->setGrille(objectName(), nom);
    g->setModel(modele);
    // A consultation: nothing is typed into the cells, and a header click chooses a search mode at
    // most, never a sort.
    g->setEditTriggers(QAbstractItemView::NoEditTriggers);
    g->setSelectionBehavior(QAbstractItemView::SelectRows);
    g->setSelectionMode(QAbstractItemView::SingleSelection);
    g->setSortingEnabled(false);
    g->setAlternatingRowColors(true);
    g->setWordWrap(false);
    // One height for every row: nothing is measured row by row.
    QHeaderView* lignes = g->verticalHeader();
    lignes->hide();
    lignes->setSectionResizeMode(QHeaderView::Fixed);
    lignes->setDefaultSectionSize(g->fontMetrics().height() + 6);
    QHeaderView* entete = g->horizontalHeader();
    entete->setHighlightSections(false);
    entete->setSectionResizeMode(QHeaderView::Interactive);
    entete->setStretchLastSection(true);
    return g;
}

QWidget* FrmVente::construireGrilles() {
    definirColonnes(ModeleJournal, ColonnesJournal);
    definirColonnes(ModeleDetail, ColonnesDetail);
    definirColonnes(ModeleRetours, ColonnesRetours);

    // The journal, and the returns laid exactly over it.
    auto* zone = new QWidget(this);
    auto* pile = new QGridLayout(zone);
    pile->setContentsMargins(0, 0, 0, 0);
    auto* cadreJournal = new QWidget(zone);
    auto* v1 = new QVBoxLayout(cadreJournal);
    v1->setContentsMargins(0, 0, 0, 0);
    v1->setSpacing(2);
    LegendeDBGrid1 = legende(QStringLiteral("Liste des consommations"), cadreJournal);
    DBGrid1 = creerGrille(QStringLiteral("DBGrid1"), ModeleJournal);
    DBGrid1->horizontalHeader()->setSectionsClickable(true);
    v1->addWidget(LegendeDBGrid1);
    v1->addWidget(DBGrid1, 1);
    declarerLegendeGrille(QStringLiteral("DBGrid1"), LegendeDBGrid1);

    auto* cadreRetours = new QWidget(zone);
    cadreRetours->setAutoFillBackground(true);
    auto* v2 = new QVBoxLayout(cadreRetours);
    v2->setContentsMargins(0, 0, 0, 0);
    v2->setSpacing(2);
    LegendeDataGridRetour = legende(QStringLiteral("Liste des retraits - retours"), cadreRetours);
    DataGridRetour = creerGrille(QStringLiteral("DataGridRetour"), ModeleRetours);
    v2->addWidget(LegendeDataGridRetour);
    v2->addWidget(DataGridRetour, 1);
    declarerLegendeGrille(QStringLiteral("DataGridRetour"), LegendeDataGridRetour);
    pile->addWidget(cadreJournal, 0, 0);
    pile->addWidget(cadreRetours, 0, 0);
    // The returns' caption is shown and hidden with their grid.
    m_cadreRetours = cadreRetours;
    cadreRetours->hide();

    Label2 = legende(QStringLiteral("Détail"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    DBGrid2 = creerGrille(QStringLiteral("DBGrid2"), ModeleDetail);

    ajusterColonnes();
    // The grids show the current row of their list; a row chosen in a grid is its list's current row.
    new LigneGrille(DBGrid1, data1);
    new LigneGrille(DataGridRetour, data3);
    return zone;
}

void FrmVente::ajusterColonnes() {
    ajusterGrille(DBGrid1, ColonnesJournal);
    ajusterGrille(DBGrid2, ColonnesDetail);
    ajusterGrille(DataGridRetour, ColonnesRetours);
}

void FrmVente::Form_Load() {
    const EtatGlobal& g = Global();
    setWindowIcon(QApplication::windowIcon());
    // A new opening starts from the design: the journal in front.
    CheckRetour->setChecked(false);
    CheckRetour->setVisible(g.OptionAvecRetour);
    CheckRetour_Click();
    try {
        JournalVentes::OuvrirJournal(connexion(), *data1);
        if (g.OptionAvecRetour)
            JournalVentes::OuvrirRetours(connexion(), *data3);
    } catch (const ErreurExecution& e) {
        montrerErreur(e);
        Unload();
    }
}

void FrmVente::Form_Activate() {
    const EtatGlobal& g = Global();
    traduireSiEtranger();
    ajusterColonnes();
    SSOptionDate->setChecked(true);
    ChangerModeRecherche();
    try {
        // Withdrawals recorded meanwhile, on top (a journal nothing was written to since its read, as the
        // load's, is not read twice).
        if (data1->IsOpen())
            data1->Requery();
        if (data1->IsOpen() && data1->RecordCount() > 0)
            data1->MoveFirst();
    } catch (const ErreurExecution& e) {
        montrerErreur(e);
    }
    Sablier(false);
    ComboAdressEmail->setVisible(g.OptionVersionGSM);
    Label4->setVisible(g.OptionVersionGSM);
    ComboAdressEmail->clear();
    ComboAdressEmail->addItems(JournalVentes::AdressesEmail(g.CheminIni));
}

void FrmVente::Form_Unload(bool& annuler) {
    Q_UNUSED(annuler);
    // The menu's window is usable again.
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("FrmPrincipal"))
            w->setEnabled(true);
    data2->Close();
    data3->Close();
    data1->Close();
}

void FrmVente::Form_KeyUp(QKeyEvent* e) {
    // F12 has translated the form again.
    if (e->key() == Qt::Key_F12)
        ajusterColonnes();
}

void FrmVente::montrerErreur(const ErreurExecution& e) {
    Sablier(false);
    MsgBox(QString::number(e.numero()) + u' ' + e.description());
}

void FrmVente::CheckRetour_Click() {
    // The journal stays where it is, under the returns.
    m_cadreRetours->setVisible(CheckRetour->isChecked());
}

void FrmVente::Command1_Click() {
    // The returns are never deleted here, and a withdrawal hidden under them is not deleted either.
    if (CheckRetour->isChecked() || !data1->IsOpen() || data1->AbsolutePosition() < 0)
        return;
    if (MsgBox(QStringLiteral("Confirmer la suppression !"), StyleMessage::YesNo | StyleMessage::Exclamation,
               Global().msg(22)) != Reponse::Oui)
        return;
    try {
        JournalVentes::SupprimerVente(*data1);
    } catch (const ErreurExecution& e) {
        montrerErreur(e);
    }
}

void FrmVente::cmdClose_Click() {
    Hide();
}
