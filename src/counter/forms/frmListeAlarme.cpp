#include "counter/forms/frmListeAlarme.h"

#include "common/Conversions.h"
#include "common/ErreurExecution.h"
#include "common/ServiceDialogue.h"
#include "common/forms/IconeStandard.h"
#include "common/forms/LigneGrille.h"
#include "counter/ListeCodesAffaires.h"
#include "db/RecordsetModel.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTableView>
#include <QToolButton>
#include <algorithm>

namespace {

using Conversions::twipsEnPixels;

// The design, in twips: the form's inner size, the data control's bar, the strip of buttons.
constexpr int LargeurForme = 8100;
constexpr int HauteurForme = 5400;
constexpr int HauteurBarre = 330;
constexpr int HauteurBoutons = 450;
constexpr int HauteurBouton = 375;
constexpr int HautBouton = 38;
constexpr int LargeurBouton = 1095;
constexpr int LargeurImage = 450;
// Between the grid and the bar.
constexpr int Ecart = 30;

const QString LegendePosition = QStringLiteral("Record: ");

} // namespace

BarreDonnees::BarreDonnees(QWidget* parent) : QFrame(parent) {
    setFrameShape(QFrame::StyledPanel);
    auto bouton = [this](const QString& nom) {
        auto* b = new QToolButton(this);
        b->setObjectName(nom);
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
        return b;
    };
    premier = bouton(QStringLiteral("premier"));
    premier->setIcon(iconeStandard(this, QStyle::SP_MediaSkipBackward));
    precedent = bouton(QStringLiteral("precedent"));
    precedent->setArrowType(Qt::LeftArrow);
    suivant = bouton(QStringLiteral("suivant"));
    suivant->setArrowType(Qt::RightArrow);
    dernier = bouton(QStringLiteral("dernier"));
    dernier->setIcon(iconeStandard(this, QStyle::SP_MediaSkipForward));
    legende = new QLabel(LegendePosition, this);
    legende->setObjectName(QStringLiteral("legende"));
    legende->setAlignment(Qt::AlignCenter);
    auto* l = new QHBoxLayout(this);
    l->setContentsMargins(1, 1, 1, 1);
    l->setSpacing(0);
    l->addWidget(premier);
    l->addWidget(precedent);
    l->addWidget(legende, 1);
    l->addWidget(suivant);
    l->addWidget(dernier);
}

QString BarreDonnees::caption() const {
    return legende->text();
}

void BarreDonnees::setCaption(const QString& texte) {
    legende->setText(texte);
}

frmListeAlarme::frmListeAlarme(QWidget* parent)
    : FormBase(QStringLiteral("frmListeAlarme"), parent, Qt::Window) {
    setWindowTitle(QStringLiteral("Table"));
    // Its captions are English and stay so in every language.
    setTraductionActivation(false);
    setToucheF12(false);

    m_modele = new RecordsetModel(&m_rs, this);
    m_modele->setModifiable(true);
    m_modele->setEditionParLigne(true);
    m_modele->setControle(ListeCodesAffaires::VerifierLigne);
    m_modele->setRefus([this](const ErreurExecution& e) { datPrimaryRS_Error(e); });

    grdDataGrid = new QTableView(this);
    grdDataGrid->setObjectName(QStringLiteral("grdDataGrid"));
    grdDataGrid->setModel(m_modele);
    grdDataGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    grdDataGrid->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
                                 QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    grdDataGrid->verticalHeader()->setDefaultSectionSize(grdDataGrid->fontMetrics().height() + 6);
    grdDataGrid->horizontalHeader()->setStretchLastSection(true);
    QHeaderView* entetes = grdDataGrid->horizontalHeader();
    entetes->setSectionsClickable(true);
    // A header click sorts; it neither selects the column nor moves the current row.
    QObject::disconnect(entetes, SIGNAL(sectionPressed(int)), grdDataGrid, SLOT(selectColumn(int)));
    QObject::disconnect(entetes, SIGNAL(sectionEntered(int)), grdDataGrid, SLOT(_q_selectColumn(int)));
    connect(entetes, &QHeaderView::sectionClicked, this, &frmListeAlarme::grdDataGrid_HeadClick);

    datPrimaryRS = new BarreDonnees(this);
    datPrimaryRS->setObjectName(QStringLiteral("datPrimaryRS"));
    datPrimaryRS->setFixedHeight(twipsEnPixels(HauteurBarre));

    picButtons = new QWidget(this);
    picButtons->setObjectName(QStringLiteral("picButtons"));
    picButtons->setFixedHeight(twipsEnPixels(HauteurBoutons));
    cmdAdd = creerBouton(QStringLiteral("cmdAdd"), QStringLiteral("&Add"), picButtons);
    cmdDelete = creerBouton(QStringLiteral("cmdDelete"), QStringLiteral("&Delete"), picButtons);
    cmdUpdate = creerBouton(QStringLiteral("cmdUpdate"), QStringLiteral("&Update"), picButtons);
    cmdRefresh = creerBouton(QStringLiteral("cmdRefresh"), QStringLiteral("&Refresh"), picButtons);
    cmdClose = creerBouton(QStringLiteral("cmdClose"), QStringLiteral("&Close"), picButtons);
    setBoutonAnnuler(cmdClose);
    Command1 = creerBouton(QStringLiteral("Command1"), QString(), picButtons);
    Command1->setIcon(iconeStandard(this, QStyle::SP_ArrowDown));
    Command2 = creerBouton(QStringLiteral("Command2"), QString(), picButtons);
    Command2->setIcon(iconeStandard(this, QStyle::SP_ArrowUp));
    int gauche = 60;
    for (QPushButton* b : {cmdAdd, cmdDelete, cmdUpdate, cmdRefresh, cmdClose}) {
        b->setGeometry(twipsEnPixels(gauche), twipsEnPixels(HautBouton), twipsEnPixels(LargeurBouton),
                       twipsEnPixels(HauteurBouton));
        gauche += LargeurBouton + 60;
    }
    for (QPushButton* b : {Command1, Command2}) {
        b->setGeometry(twipsEnPixels(gauche), twipsEnPixels(HautBouton), twipsEnPixels(LargeurImage),
                       twipsEnPixels(HauteurBouton));
        gauche += LargeurImage + 60;
    }

    m_ligne = new LigneGrille(grdDataGrid, &m_rs);
    // Leaving a row writes it first; a refused row keeps the grid on it.
    m_ligne->setChoix(
        [this](int ligne) {
            if (!m_modele->allerALigne(ligne))
                m_ligne->suivre();
        },
        true);
    connect(&m_rs, &Recordset::MoveComplete, this, &frmListeAlarme::datPrimaryRS_MoveComplete);
    connect(datPrimaryRS->premier, &QToolButton::clicked, this, [this] { naviguer(-2); });
    connect(datPrimaryRS->precedent, &QToolButton::clicked, this, [this] { naviguer(-1); });
    connect(datPrimaryRS->suivant, &QToolButton::clicked, this, [this] { naviguer(1); });
    connect(datPrimaryRS->dernier, &QToolButton::clicked, this, [this] { naviguer(2); });
    connect(cmdAdd, &QPushButton::clicked, this, &frmListeAlarme::cmdAdd_Click);
    connect(cmdDelete, &QPushButton::clicked, this, &frmListeAlarme::cmdDelete_Click);
    connect(cmdUpdate, &QPushButton::clicked, this, &frmListeAlarme::cmdUpdate_Click);
    connect(cmdRefresh, &QPushButton::clicked, this, &frmListeAlarme::cmdRefresh_Click);
    connect(cmdClose, &QPushButton::clicked, this, &frmListeAlarme::cmdClose_Click);
    connect(Command1, &QPushButton::clicked, this, &frmListeAlarme::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmListeAlarme::Command2_Click);
    resize(twipsEnPixels(LargeurForme), twipsEnPixels(HauteurForme));
}

frmListeAlarme::~frmListeAlarme() = default;

void frmListeAlarme::Form_Load() {
    setWindowIcon(QApplication::windowIcon());
    ColonneTri.clear();
    resize(twipsEnPixels(LargeurForme), twipsEnPixels(HauteurForme));
    OuvrirTableOrView();
}

void frmListeAlarme::OuvrirTableOrView() {
    setWindowTitle(QStringLiteral("Liste des codes"));
    try {
        lireListe();
    } catch (const std::exception&) {
        // Left as it is: no list.
    }
}

void frmListeAlarme::lireListe() {
    ListeCodesAffaires::OuvrirListe(connexion(), m_rs);
    m_modele->setColonnes({}, ListeCodesAffaires::Entetes(m_rs));
    m_ligne->suivre();
}

void frmListeAlarme::Form_Unload(bool& annuler) {
    Q_UNUSED(annuler);
    // A row still held in edition goes with the list.
    m_rs.Close();
    Sablier(false);
}

void frmListeAlarme::Form_Resize() {
    // The bar and the buttons along the bottom; the grid takes the height they leave. A form made too
    // small keeps the grid as it was.
    const QSize zone = grdDataGrid->parentWidget()->size();
    picButtons->setGeometry(0, zone.height() - picButtons->height(), zone.width(), picButtons->height());
    datPrimaryRS->setGeometry(0, picButtons->y() - datPrimaryRS->height(), zone.width(),
                              datPrimaryRS->height());
    const int hauteur = zone.height() - datPrimaryRS->height() - twipsEnPixels(Ecart) - picButtons->height();
    if (hauteur >= 0)
        grdDataGrid->setGeometry(0, 0, zone.width(), hauteur);
}

void frmListeAlarme::datPrimaryRS_MoveComplete() {
    const int position = m_rs.IsOpen() ? m_rs.AbsolutePosition() : -1;
    datPrimaryRS->setCaption(position >= 0 ? LegendePosition + QString::number(position + 1)
                                           : LegendePosition);
}

void frmListeAlarme::datPrimaryRS_Error(const ErreurExecution& e) {
    MsgBox(QStringLiteral("Data error event hit err:") + e.description(), StyleMessage::OK);
}

void frmListeAlarme::montrerErreur(const std::exception& e) {
    const auto* erreur = dynamic_cast<const ErreurExecution*>(&e);
    MsgBox(erreur ? erreur->description() : QString::fromUtf8(e.what()), StyleMessage::OK);
}

bool frmListeAlarme::ecrireLigneTenue() {
    try {
        m_modele->ecrireLigne();
    } catch (const ErreurExecution& e) {
        datPrimaryRS_Error(e);
        return false;
    }
    return true;
}

void frmListeAlarme::naviguer(int sens) {
    // The data control's buttons: first (-2), previous, next, last (2); they stop at either end.
    if (!m_rs.IsOpen() || !ecrireLigneTenue() || m_rs.RecordCount() == 0)
        return;
    const int dernier = m_rs.RecordCount() - 1;
    const int position = m_rs.AbsolutePosition();
    int cible = position;
    switch (sens) {
    case -2:
        cible = 0;
        break;
    case -1:
        cible = position < 0 ? dernier : std::max(0, position - 1);
        break;
    case 1:
        if (position < 0)
            return;
        cible = std::min(dernier, position + 1);
        break;
    default:
        cible = dernier;
        break;
    }
    m_modele->allerALigne(cible);
}

void frmListeAlarme::cmdAdd_Click() {
    try {
        // The last row, then one line down: the new-row line.
        if (!ecrireLigneTenue())
            return;
        if (m_rs.RecordCount() > 0 && !m_modele->allerALigne(m_rs.RecordCount() - 1))
            return;
        grdDataGrid->setFocus();
        QKeyEvent appui(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
        QKeyEvent relache(QEvent::KeyRelease, Qt::Key_Down, Qt::NoModifier);
        QCoreApplication::sendEvent(grdDataGrid, &appui);
        QCoreApplication::sendEvent(grdDataGrid, &relache);
    } catch (const std::exception& e) {
        montrerErreur(e);
    }
}

void frmListeAlarme::cmdDelete_Click() {
    try {
        ListeCodesAffaires::SupprimerCourant(m_rs);
    } catch (const std::exception& e) {
        montrerErreur(e);
    }
}

void frmListeAlarme::cmdUpdate_Click() {
    try {
        m_modele->ecrireLigne();
    } catch (const std::exception& e) {
        montrerErreur(e);
    }
}

void frmListeAlarme::cmdRefresh_Click() {
    // The table read again, the current row and the order kept; a list that could not be opened is
    // opened now.
    try {
        m_modele->ecrireLigne();
        if (m_rs.IsOpen())
            m_rs.Requery();
        else
            lireListe();
    } catch (const std::exception& e) {
        montrerErreur(e);
    }
}

void frmListeAlarme::cmdClose_Click() {
    Unload();
}

void frmListeAlarme::grdDataGrid_HeadClick(int colonne) {
    ColonneTri = m_rs.FieldNames().value(colonne);
    trier(Qt::AscendingOrder);
}

void frmListeAlarme::trier(Qt::SortOrder ordre) {
    // Before any header click there is no column to sort on.
    const int colonne = ColonneTri.isEmpty() ? -1 : m_rs.FieldIndex(ColonneTri);
    if (colonne >= 0)
        m_modele->sort(colonne, ordre);
}

void frmListeAlarme::Command1_Click() {
    trier(Qt::DescendingOrder);
}

void frmListeAlarme::Command2_Click() {
    trier(Qt::AscendingOrder);
}
