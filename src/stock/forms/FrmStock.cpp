#include "stock/forms/FrmStock.h"

#include "common/EtatGlobal.h"
#include "common/forms/IconeCalendrier.h"
#include "db/Connexion.h"
#include "db/Recordset.h"
#include "db/RecordsetModel.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGraphicsDropShadowEffect>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QVBoxLayout>
#include <QWindow>

namespace {

// The least width of the button column.
constexpr int LargeurBoutons = 210;

QPushButton* bouton(const QString& nom, const QString& legende, QWidget* parent) {
    auto* b = new QPushButton(legende, parent);
    b->setObjectName(nom);
    return b;
}

} // namespace

FrmStock::FrmStock(QWidget* parent) : FormBase(QStringLiteral("FrmStock"), parent, Qt::Window) {
    setWindowTitle(QStringLiteral("Articles en stock"));
    // Translated at each load, not at each activation.
    setTraductionActivation(false);

    RsStockGlobal = new Recordset(this);
    ModeleStock = new RecordsetModel(RsStockGlobal, this);

    // --- top row: the two views, the search, the returns filter ---
    SSPanel1 = new QFrame(this);
    SSPanel1->setObjectName(QStringLiteral("SSPanel1"));
    SSPanel1->setFrameShape(QFrame::Panel);
    SSPanel1->setFrameShadow(QFrame::Raised);
    auto* vues = new QVBoxLayout(SSPanel1);
    vues->setContentsMargins(10, 6, 10, 6);
    OptionFiche = new QRadioButton(QStringLiteral("Fiche"), SSPanel1);
    OptionFiche->setObjectName(QStringLiteral("OptionFiche"));
    OptionTableau = new QRadioButton(QStringLiteral("Tableau"), SSPanel1);
    OptionTableau->setObjectName(QStringLiteral("OptionTableau"));
    OptionTableau->setChecked(true);
    vues->addWidget(OptionFiche);
    vues->addWidget(OptionTableau);

    construireRecherche();

    Check2 = new QCheckBox(QStringLiteral("Visualiser les retours"), this);
    Check2->setObjectName(QStringLiteral("Check2"));

    auto* haut = new QHBoxLayout;
    haut->setSpacing(10);
    haut->addWidget(SSPanel1);
    haut->addWidget(FrameOptData2, 1);
    haut->addWidget(Check2, 0, Qt::AlignBottom);

    // --- the grid and the card share one place: the card lies over the grid ---
    auto* zone = new QWidget(this);
    auto* pile = new QGridLayout(zone);
    pile->setContentsMargins(0, 0, 0, 0);
    construireGrille(zone);
    construireCarte(zone);

    auto* gauche = new QVBoxLayout;
    gauche->addLayout(haut);
    gauche->addWidget(zone, 1);

    // --- the button column ---
    CmdAjout = bouton(QStringLiteral("CmdAjout"), QStringLiteral("Ajout article"), this);
    cmdDelete = bouton(QStringLiteral("cmdDelete"), QStringLiteral("Supprimer article"), this);
    CmdEntreStock = bouton(QStringLiteral("CmdEntreStock"), QStringLiteral("Entrée de stock"), this);
    Command2 = bouton(QStringLiteral("Command2"), QStringLiteral("Créer des Codes Articles"), this);
    Command7 = bouton(QStringLiteral("Command7"), QStringLiteral("Changer le Code Article"), this);
    CmdChoixImage = bouton(QStringLiteral("CmdChoixImage"), QStringLiteral("Séléctionner l'image"), this);
    CmdScanner = bouton(QStringLiteral("CmdScanner"), QStringLiteral("Scanner"), this);
    Command1 =
        bouton(QStringLiteral("Command1"), QStringLiteral("Calcul des alertes rupture de stock"), this);
    CmdPeriode = bouton(QStringLiteral("CmdPeriode"), QString(), this);
    CmdPeriode->setIcon(iconeCalendrier());
    CmdPeriode->setToolTip(QStringLiteral("Période de consommation du calcul des alertes"));
    Command8 = bouton(QStringLiteral("Command8"), QString(), this);
    Command8->setIcon(iconeCalendrier());
    Command8->setToolTip(QStringLiteral("Période de l'historique de l'article"));
    Command9 = bouton(QStringLiteral("Command9"), QStringLiteral("Historique de l'article: "), this);
    Combo1 = new QComboBox(this);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->addItems({QStringLiteral("KRV Vardel"), QStringLiteral("KRV Brelaz"),
                      QStringLiteral("ZNT Brelaz"), QStringLiteral("ZNT Orlenz"), QStringLiteral("TOUTES!")});
    Combo1->setCurrentIndex(-1);
    Combo1->hide();
    CmdSelectioner = bouton(QStringLiteral("CmdSelectioner"), QStringLiteral("Séléctionner"), this);
    CmdSelectioner->hide();
    CmdSelectionerVide = bouton(QStringLiteral("CmdSelectionerVide"), QStringLiteral("Séléction vide"), this);
    CmdSelectionerVide->hide();
    cmdClose = bouton(QStringLiteral("cmdClose"), QStringLiteral("Fermer"), this);

    auto* colonne = new QVBoxLayout;
    colonne->setSpacing(6);
    auto ajouter = [&](QPushButton* b) {
        b->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        b->setMinimumHeight(30);
        colonne->addWidget(b);
    };
    for (QPushButton* b : {CmdAjout, cmdDelete, CmdEntreStock})
        ajouter(b);
    colonne->addSpacing(10);
    for (QPushButton* b : {Command2, Command7, CmdChoixImage, CmdScanner})
        ajouter(b);
    colonne->addSpacing(10);
    ajouter(Command1);
    auto* periodes = new QHBoxLayout;
    for (QPushButton* b : {CmdPeriode, Command8}) {
        b->setIconSize(QSize(22, 22));
        b->setMinimumHeight(30);
        periodes->addWidget(b);
    }
    colonne->addLayout(periodes);
    ajouter(Command9);
    colonne->addWidget(Combo1);
    colonne->addStretch(1);
    for (QPushButton* b : {CmdSelectioner, CmdSelectionerVide, cmdClose})
        ajouter(b);

    auto* droite = new QWidget(this);
    m_colonneBoutons = droite;
    droite->setLayout(colonne);
    ajusterColonneBoutons();
    colonne->setContentsMargins(0, 0, 0, 0);

    auto* principal = new QHBoxLayout(this);
    principal->setContentsMargins(10, 10, 10, 10);
    principal->setSpacing(10);
    principal->addLayout(gauche, 1);
    principal->addWidget(droite);

    // Frames shown over the card on demand.
    construireCodes();
    construireEntreeStock();
    // Esc: the open frame's "Annuler", else "Fermer"; Enter: the open frame's "OK".
    setBoutonAnnuler(cmdClose);
    declarerPanneau(FrmEntreStock, CmdOkStock, CmdAnnulStock);
    declarerPanneau(Frame1, Command3, Command4);
    connecterEdition();
    connecterRecherche();
    connecterSelection();
    connecterAlertes();
    connecterImages();
    resize(1320, 760);

    connect(OptionFiche, &QRadioButton::clicked, this, [this] { OptionFiche_Click(); });
    connect(OptionTableau, &QRadioButton::clicked, this, [this] { OptionTableau_Click(); });
    connect(RsStockGlobal, &Recordset::MoveComplete, this, [this] { data1_MoveComplete(); });
}

FrmStock::~FrmStock() = default;

QLabel* FrmStock::nouveauLabel2(int index, const QString& texte, QWidget* parent) {
    auto* l = new QLabel(texte, parent);
    l->setObjectName(QStringLiteral("Label2(%1)").arg(index));
    Label2.insert(index, l);
    return l;
}

QLineEdit* FrmStock::nouveauText2(int index, QWidget* parent) {
    auto* t = new QLineEdit(parent);
    t->setObjectName(QStringLiteral("Text2(%1)").arg(index));
    if (Text2.size() <= index)
        Text2.resize(index + 1, nullptr);
    Text2[index] = t;
    return t;
}

void FrmStock::ajusterColonneBoutons() {
    // Every caption whole, in every language; the history button's caption grows with the supplier
    // reference and is cut rather than widen the column.
    int largeur = LargeurBoutons;
    for (QPushButton* b : m_colonneBoutons->findChildren<QPushButton*>())
        if (b != Command9)
            largeur = std::max(largeur, b->sizeHint().width());
    m_colonneBoutons->setFixedWidth(largeur);
}

void FrmStock::placerCadre(QWidget* cadre) {
    if (!cadre->graphicsEffect()) {
        // It floats over the card.
        auto* ombre = new QGraphicsDropShadowEffect(cadre);
        ombre->setBlurRadius(18);
        ombre->setOffset(3, 3);
        cadre->setGraphicsEffect(ombre);
    }
    cadre->adjustSize();
    const QSize s = cadre->sizeHint().expandedTo(cadre->minimumSize());
    const QWidget* zone = FrameFicheProduit->parentWidget();
    const QPoint centre = zone->mapTo(this, zone->rect().center());
    cadre->setGeometry(centre.x() - s.width() / 2, centre.y() - s.height() / 2, s.width(), s.height());
    cadre->show();
    cadre->raise();
}

// --- life cycle ---

void FrmStock::Form_Load() {
    const EtatGlobal& g = Global();
    setWindowTitle(QStringLiteral("Articles en stock"));
    traduireSiEtranger();
    memoriserTitreFiche();
    ajusterColonnes(true);
    ajusterColonneBoutons();
    TexteHistorique = g.msg(39);
    DateDebutPeriode.clear();
    DateFinPeriode.clear();

    Check1->setVisible(g.OptionAvecRetour);
    Check2->setVisible(g.OptionAvecRetour);
    Check3->setVisible(g.OptionBoutonCommande);

    connexion();
    VerifierCodeArticleVierge();
    // In reference order, as the search by reference that each activation selects; found again by
    // Reference after a requery (the view has no key of its own).
    RsStockGlobal->Open(connexion(), QStringLiteral("StockGlobal order by Reference"), {}, QString(),
                        {QStringLiteral("Reference")});
    DBGridStockVisible();
}

void FrmStock::Form_Activate() {
    const EtatGlobal& g = Global();
    RemplirColCombo();
    Combo1->setVisible(g.ClientOrmax);
    FicheModifiee = false;
    Sablier(true);
    struct FinSablier {
        ~FinSablier() { FormBase::Sablier(false); }
    } finSablier;

    // Each activation starts in the grid, searching by reference.
    FrameFicheProduit->raise();
    FrameFicheProduit->hide();
    OptionTableau->setChecked(true);
    selectionnerOption(SSOptionRef);
    ModeRecherche = 1;
    FormulairePret = true;

    // Fresh quantities, same article, the card filled again over the lists just read (a list nothing was
    // written to since its read, as the load's, is not read a second time).
    if (RsStockGlobal->IsOpen() && RsStockGlobal->RecordCount() > 0)
        RsStockGlobal->Requery();

    CreerImageVierge();
    afficherImageEnAttente();
}

void FrmStock::Form_Unload(bool& annuler) {
    if (!quitterFiche()) {
        annuler = true;
        return;
    }
    RsStockGlobal->Close();
}

void FrmStock::Form_KeyPress(QObject* controle, int& KeyAscii) {
    auto* box = qobject_cast<QLineEdit*>(controle);
    const int index = box ? static_cast<int>(Text2.indexOf(box)) : -1;
    // Any key typed in a card box marks the card changed, also one that its filter refuses.
    if (index >= 0)
        FicheModifiee = true;
    // Bar-code scanners send "@" before the code: whatever has the focus, the code goes to the search.
    if (KeyAscii == '@') {
        SaisieCodeBarre = true;
        TextCherche->clear();
        TextCherche->setFocus();
        KeyAscii = 0;
        return;
    }
    if (index >= 0)
        Text2_KeyPress(index, KeyAscii);
    else if (controle == DBGrid2)
        DBGrid2_KeyPress(KeyAscii);
    else if (controle == TextCherche)
        TextCherche_KeyPress(KeyAscii);
}

void FrmStock::Form_KeyUp(QKeyEvent* e) {
    // The language switch put the design captions back: the card's own texts come again.
    if (e->key() == Qt::Key_F12 && toucheF12() && !e->isAutoRepeat()) {
        memoriserTitreFiche();
        ajusterColonnes(true);
        ajusterColonneBoutons();
        data1_MoveComplete();
    }
}

void FrmStock::Form_Resize() {
    ajusterColonnes(false);
}
