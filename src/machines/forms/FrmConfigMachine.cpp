#include "machines/forms/FrmConfigMachine.h"

#include "common/Conversions.h"
#include "common/EtatGlobal.h"
#include "common/MajBase.h"
#include "common/forms/BoutonMultiligne.h"
#include "common/forms/Centrage.h"
#include "common/forms/Instance.h"
#include "common/forms/ProgessBarre.h"
#include "db/Valeurs.h"
#include "machines/forms/FrmConfigMachineCasier.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <algorithm>

namespace {

constexpr int LargeurTwips = 12270;
constexpr int HauteurTwips = 12000;
// The layout grid's rows: a caption row of 540 twips, then up to 37 rows of 270; each bar stands
// beside its row, 635 + k x 270 twips from the top.
constexpr int HautGrille = 365;
constexpr int GaucheBarres = 7020;
constexpr int LargeurBarres = 2300;
constexpr int HauteurLigne = 270;
constexpr int HauteurDisposition = 540 + 37 * HauteurLigne + 30;
// The list and the close button stand this far above the window's foot.
constexpr int PiedListe = 580;
constexpr int PiedFermer = 1080;

} // namespace

FrmConfigMachine::FrmConfigMachine(QWidget* parent)
    : FormeMachine(QStringLiteral("FrmConfigMachine"), parent) {
    setWindowTitle(QStringLiteral("Configuration machine"));

    SSPanel3 = new QLabel(QStringLiteral("Remplissage"), this);
    SSPanel3->setObjectName(QStringLiteral("SSPanel3"));
    SSPanel3->setAlignment(Qt::AlignCenter);
    SSPanel3->setFrameStyle(QFrame::Panel | QFrame::Raised);
    SSPanel3->hide();
    for (int k = 1; k <= 36; ++k) {
        auto* barre = new ProgessBarre(this);
        barre->setObjectName(QStringLiteral("SSPanel2(%1)").arg(k));
        placer(barre, GaucheBarres, 635 + k * HauteurLigne, LargeurBarres, HauteurLigne);
        barre->hide();
        SSPanel2[static_cast<size_t>(k)] = barre;
    }

    // Design positions, in twips. The list lies over the layout grid and its bars; the picture, the
    // sheet buttons and the close button stand to the right of both.
    placer(Label3, 120, 30, 9120, 330);
    placer(MSFlexGrid1, 0, HautGrille, GaucheBarres, HauteurDisposition);
    placer(SSPanel3, GaucheBarres, HautGrille, LargeurBarres, 540);
    placer(Picture1, 9480, HautGrille, 2175, 4245);
    placer(Command3, 9480, 4800, 2175, 495);
    placer(Command4, 9480, 5400, 2175, 735);
    placer(Command2, 9480, 6240, 2175, 495);
    placer(Command1, 9480, 6840, 2175, 495);
    placer(CmdRmplir, 9480, 7440, 2175, 495);
    placer(CmdModeConfig, 9480, 8160, 2175, 495);
    placer(CmdEnregiConfig, 9480, 8760, 2175, 495);
    // A plain button, not visible in the design.
    Command5 = creerBouton(QStringLiteral("Command5"), QStringLiteral("Command5"));
    placer(Command5, 9720, 9720, 1335, 375);
    Command5->hide();

    // The layout grid: its own caption row and column, read-only, never scrolled.
    MSFlexGrid1->setFrameShape(QFrame::NoFrame);
    MSFlexGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    MSFlexGrid1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    preparerDisposition();
    brancherFiches();

    disposer(QSize());
    // Translated at every activation, French included (Form_Activate).
    setTraductionActivation(false);
}

void FrmConfigMachine::disposer(const QSize& place) {
    using Conversions::twipsEnPixels;
    // A screen lower than the design (768 pixels): the window takes the screen's height, down to what
    // the layout grid needs, and the list and the close button keep their distance from its foot.
    int hauteur = HauteurTwips;
    if (place.isValid() && twipsEnPixels(HauteurTwips) > place.height())
        hauteur = std::max(HautGrille + HauteurDisposition + 60,
                           static_cast<int>(Conversions::pixelsEnTwips(place.height())));
    placer(DataGrid1, 120, HautGrille, 9120, hauteur - HautGrille - PiedListe);
    placer(cmdClose, 9480, hauteur - PiedFermer, 2175, 495);
    setFixedSize(twipsEnPixels(LargeurTwips), twipsEnPixels(hauteur));
}

void FrmConfigMachine::Form_Load() {
    setWindowIcon(QApplication::windowIcon());
    passerEnListe();
    FonctionUtilitaires::CentrerFormEnHaut(this);
    Command4->hide();
    Global().ConfigMachineOuverte = true;
    ouvrirListe();
}

void FrmConfigMachine::Form_Activate() {
    try {
        DataGrid1->raise();
        traduireAvec(Global().FichierLangue);
        Label3->setText(titreMachine());
        Label3->repaint();
        Global().ConfigMachineOuverte = true;
        Sablier(false);
    } catch (const std::exception& e) {
        MajBase::SignalerErreur(QStringLiteral("frmconfigmachine Form_Activate"), e);
    }
}

void FrmConfigMachine::masquerDisposition() {
    FormeMachine::masquerDisposition();
    SSPanel3->hide();
    for (int k = 1; k <= 36; ++k)
        SSPanel2[static_cast<size_t>(k)]->hide();
}

void FrmConfigMachine::DataGrid1_DblClick() {
    if (!surUneMachine())
        return;
    const qint32 no = static_cast<qint32>(Valeurs::lireEntier(champ(QStringLiteral("NoMachine"))));
    const qint16 type = static_cast<qint16>(Valeurs::lireEntier(champ(QStringLiteral("Type"))));
    // Compared exactly: "casier" is a machine loaded by column.
    const QString chargement = Valeurs::lireTexte(champ(QStringLiteral("Chargement")));

    if (chargement == QLatin1String("CASIER")) {
        FrmConfigMachineCasier& casier = Instance<FrmConfigMachineCasier>();
        casier.Load();
        // Its list unreadable (it said so), or without this machine: nothing opens.
        if (!casier.estCharge() || !casier.allerALaMachine(no))
            return;
        NoMachineCourante = no;
        TypeMachineCourante = type;
        passerEnListe();
        casier.ModeConfig = false;
        QWidget* proprietaire = proprietaireModal();
        Hide();
        casier.raise();
        casier.DataGrid1_DblClick();
        casier.ShowModal(proprietaire);
        return;
    }

    NoMachineCourante = no;
    TypeMachineCourante = type;
    CmdModeConfig->show();
    passerEnDisposition();
    if (chargement == QLatin1String("ETAGE")) {
        ModeVue = 1;
        LireConfigMachineEtage();
    } else {
        ModeVue = 2;
        LireConfigMachineColonne();
    }
}
