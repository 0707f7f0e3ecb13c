#include "staff/forms/FrmUtilisateur.h"

#include "common/EtatGlobal.h"
#include "common/FnWendrox.h"
#include "common/MajBase.h"
#include "common/forms/IconeCalendrier.h"
#include "common/forms/LongueurSaisie.h"
#include "db/Connexion.h"
#include "db/Recordset.h"
#include "db/RecordsetModel.h"
#include "staff/Salaries.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlQuery>
#include <QStyle>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// Bar-code badges: the employee's number has 12 digits, the check digit comes with the save.
constexpr int LongueurBadgeCodeBarre = 12;

} // namespace

FrmUtilisateur::FrmUtilisateur(QWidget* parent)
    : FormBase(QStringLiteral("FrmUtilisateur"), parent, Qt::Window) {
    setWindowTitle(QStringLiteral("Gestion des salariés"));
    // Translated in Form_Activate, before the mobile label takes its caption.
    setTraductionActivation(false);

    data1 = new Recordset(this);
    ModeleSalaries = new RecordsetModel(data1, this);
    data2 = new Recordset(this);
    ModeleDetail = new RecordsetModel(data2, this);

    construireRecherche();

    // The grid, with the machines panel over it.
    auto* zone = new QWidget(this);
    auto* pile = new QGridLayout(zone);
    pile->setContentsMargins(0, 0, 0, 0);
    construireListe(zone);
    construireMachines(zone);

    auto* gauche = new QVBoxLayout;
    gauche->addWidget(FrameRecherche);
    gauche->addWidget(zone, 1);

    construireCarte();

    // The profile detail under the card.
    LegendeDBGrid2 = new QLabel(QStringLiteral("Détail profil "), this);
    QFont gras = LegendeDBGrid2->font();
    gras.setBold(true);
    LegendeDBGrid2->setFont(gras);
    DBGrid2 = new QTableView(this);
    DBGrid2->setObjectName(QStringLiteral("DBGrid2"));
    DBGrid2->setModel(ModeleDetail);
    ModeleDetail->setGrille(objectName(), QStringLiteral("DBGrid2"));
    DBGrid2->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid2->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid2->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid2->verticalHeader()->hide();
    DBGrid2->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    DBGrid2->verticalHeader()->setDefaultSectionSize(DBGrid2->fontMetrics().height() + 6);
    DBGrid2->horizontalHeader()->setStretchLastSection(true);
    declarerLegendeGrille(QStringLiteral("DBGrid2"), LegendeDBGrid2);
    Label3 = new QLabel(QStringLiteral("PAS DE TAILLE CORRESPONDANTE"), this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setStyleSheet(QStringLiteral("color: #C00000; font-weight: bold;"));
    Label3->hide();

    // The buttons.
    cmdAdd = creerBouton(QStringLiteral("cmdAdd"), QStringLiteral("Ajouter"), this);
    cmdDelete = creerBouton(QStringLiteral("cmdDelete"), QStringLiteral("Supprimer"), this);
    CmdModif = creerBouton(QStringLiteral("CmdModif"), QStringLiteral("Modifier"), this);
    CmdConso = creerBouton(QStringLiteral("CmdConso"), QStringLiteral("Consommations"), this);
    CmdPeriode = new QToolButton(this);
    CmdPeriode->setObjectName(QStringLiteral("CmdPeriode"));
    CmdPeriode->setIcon(iconeCalendrier());
    CmdPeriode->setIconSize(QSize(22, 22));
    CmdPeriode->setToolTip(QStringLiteral("Choisir la période"));
    cmdClose = creerBouton(QStringLiteral("cmdClose"), QStringLiteral("Fermer"), this);
    for (QPushButton* b : {cmdAdd, cmdDelete, CmdModif, CmdConso, cmdClose})
        b->setMinimumSize(96, 30);
    // The button keeps its own colour, so that the save can turn it red and back.
    CmdModif->setAutoFillBackground(true);

    auto* actions = new QHBoxLayout;
    actions->addWidget(cmdAdd);
    actions->addWidget(cmdDelete);
    actions->addWidget(CmdModif);
    actions->addStretch(1);
    auto* rapport = new QHBoxLayout;
    rapport->addWidget(CmdConso);
    rapport->addWidget(CmdPeriode);
    rapport->addStretch(1);
    rapport->addWidget(cmdClose);

    auto* droite = new QVBoxLayout;
    droite->addWidget(FrameFiche);
    droite->addLayout(actions);
    droite->addSpacing(6);
    droite->addWidget(LegendeDBGrid2);
    droite->addWidget(DBGrid2, 1);
    droite->addWidget(Label3);
    droite->addLayout(rapport);

    auto* principal = new QHBoxLayout(this);
    principal->setContentsMargins(10, 10, 10, 10);
    principal->setSpacing(12);
    principal->addLayout(gauche, 2);
    principal->addLayout(droite, 1);

    connecterListe();
    connecterCarte();
    construireDetailProfil();
    connecterSauvegarde();
    connecterMachines();
    connect(cmdClose, &QPushButton::clicked, this, [this] { cmdClose_Click(); });
    // Esc: the machines panel closes as a click beside it does, else "Fermer"; Enter: the panel's "OK".
    setBoutonAnnuler(cmdClose);
    declarerPanneau(SSPanel2, CmdMachAuriseOK, nullptr);
    connect(data1, &Recordset::MoveComplete, this, [this] { data1_MoveComplete(); });
    resize(1320, 780);
}

FrmUtilisateur::~FrmUtilisateur() = default;

void FrmUtilisateur::Form_Load() {
    const EtatGlobal& g = Global();
    try {
        setWindowIcon(QApplication::windowIcon());
        ErreurProfilSalarie = 0;
        NouveauNoQuota = 0;
        DebutPeriode.clear();
        FinPeriode.clear();
        // The section's name ends with a blank.
        AvecTelMobile = FnWendrox::LireIniString(g.CheminIni, QStringLiteral("Machine "),
                                                 QStringLiteral("ControlRetourProduitavecSMS"),
                                                 QStringLiteral("NON")) == QLatin1String("OUI");
        // Never setMaxLength: a stored 13-digit badge must show whole.
        LongueurSaisie::installer(Text2[0], g.TypeLecteurBadge == 3 ? LongueurBadgeCodeBarre : 0);
        Salaries::OuvrirListe(connexion(), *data1);
        m_filtreNom = false;
        CouleurModif = CmdModif->palette().color(QPalette::Button);
        // The badge button: a reader's picture, or the labels' with bar-code badges.
        Command1->setIcon(style()->standardIcon(QStyle::SP_DriveNetIcon));
        if (g.TypeLecteurBadge == 3) {
            const QString icone = FnWendrox::FichierExistant(
                QDir(FnWendrox::CheminApplication()).filePath(QStringLiteral("icon")),
                QStringLiteral("misc25.ico"));
            if (!icone.isEmpty())
                Command1->setIcon(QIcon(icone));
        }
    } catch (const std::exception& e) {
        MajBase::SignalerErreur(QStringLiteral("FrmUtilisateur FormLoad"), e);
    }
}

void FrmUtilisateur::Form_Activate() {
    try {
        {
            QSqlQuery q = connexion().executer(QStringLiteral("SELECT COUNT(*) FROM Machines"));
            NbMachines = q.next() ? q.value(0).toInt() : 0;
        }
        traduireSiEtranger();
        Text2[4]->setVisible(AvecTelMobile);
        Combo6->setVisible(!AvecTelMobile);
        if (AvecTelMobile)
            Label2[9]->setText(QStringLiteral("Tel mobile:"));
        RemplirColSite();
        // Name mode: the option's own click would apply the mode once more, for nothing.
        SSOptionNom->setChecked(true);
        ChoisirModeRecherche();
    } catch (const std::exception& e) {
        MajBase::SignalerErreur(QStringLiteral("FrmUtilisateur FormActivate"), e);
    }
    Sablier(false);
}

void FrmUtilisateur::Form_Unload(bool& annuler) {
    Q_UNUSED(annuler);
    SSPanel2->hide();
    data2->Close();
    data1->Close();
}

void FrmUtilisateur::Form_KeyPress(QObject* controle, int& KeyAscii) {
    auto* box = qobject_cast<QLineEdit*>(controle);
    const int index = box ? static_cast<int>(Text2.indexOf(box)) : -1;
    if (index >= 0)
        Text2_KeyPress(index, KeyAscii);
}

void FrmUtilisateur::Form_KeyUp(QKeyEvent* e) {
    // The language switch put the design caption back.
    if (e->key() == Qt::Key_F12 && AvecTelMobile)
        Label2[9]->setText(QStringLiteral("Tel mobile:"));
}

void FrmUtilisateur::construireMachines(QWidget* zone) {
    SSPanel2 = new QFrame(zone);
    SSPanel2->setObjectName(QStringLiteral("SSPanel2"));
    SSPanel2->setFrameShape(QFrame::Panel);
    SSPanel2->setFrameShadow(QFrame::Raised);
    SSPanel2->setAutoFillBackground(true);
    auto* v = new QVBoxLayout(SSPanel2);
    v->setContentsMargins(12, 10, 12, 10);
    ZoneMachines = new QWidget(SSPanel2);
    MachinesGrille = new QGridLayout(ZoneMachines);
    MachinesGrille->setContentsMargins(0, 0, 0, 0);
    MachinesGrille->setHorizontalSpacing(16);
    MachinesGrille->setVerticalSpacing(2);
    CmdMachAutoriseSelec =
        creerBouton(QStringLiteral("CmdMachAutoriseSelec"), QStringLiteral("Tout sélectionner"), SSPanel2);
    CmdMachAuriseOK = creerBouton(QStringLiteral("CmdMachAuriseOK"), QStringLiteral("OK"), SSPanel2);
    auto* boutons = new QHBoxLayout;
    boutons->addWidget(CmdMachAutoriseSelec);
    boutons->addStretch(1);
    boutons->addWidget(CmdMachAuriseOK);
    v->addWidget(ZoneMachines, 1);
    v->addLayout(boutons);
    static_cast<QGridLayout*>(zone->layout())->addWidget(SSPanel2, 0, 0, Qt::AlignCenter);
    SSPanel2->hide();
}
