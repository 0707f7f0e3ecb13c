#include "machines/forms/FrmConfigMachineCasier.h"

#include "common/Conversions.h"
#include "common/EtatGlobal.h"
#include "common/forms/BoutonMultiligne.h"
#include "common/forms/Centrage.h"
#include "common/forms/Instance.h"
#include "common/forms/ProgessBarre.h"
#include "db/Valeurs.h"
#include "machines/forms/FrmConfigMachine.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTableWidget>
#include <algorithm>

namespace {

// Room for the widest locker grid: a caption column of 900 twips and 14 columns of 1000, with its
// vertical scroll bar; the buttons stand to its right, this far from the window's right edge.
constexpr int LargeurTwips = 17775;
constexpr int HauteurTwips = 10620;
constexpr int DroiteBoutons = LargeurTwips - 15480;
constexpr int LargeurBoutons = 2175;
// Narrower than the design, the window keeps at least this width (the grid shows seven lockers).
constexpr int LargeurMinimale = 10500;

QLabel* etiquette(QWidget* parent, const char* nom, const QString& texte) {
    auto* l = new QLabel(texte, parent);
    l->setObjectName(QLatin1String(nom));
    return l;
}

QRadioButton* option(QWidget* parent, const char* nom, const QString& texte) {
    auto* o = new QRadioButton(texte, parent);
    o->setObjectName(QLatin1String(nom));
    return o;
}

} // namespace

FrmConfigMachineCasier::FrmConfigMachineCasier(QWidget* parent)
    : FormeMachine(QStringLiteral("FrmConfigMachineCasier"), parent) {
    setWindowTitle(QStringLiteral("Configuration machine casier"));
    Label3->setText(QStringLiteral("Contenu Machine:"));

    Command5 = creerBouton(QStringLiteral("Command5"), QStringLiteral("Imprimer"));
    Command6 = creerBouton(QStringLiteral("Command6"), QStringLiteral("Export Excel"));
    Label1 = etiquette(this, "Label1", QStringLiteral("Désignation:"));
    Label4 = etiquette(this, "Label4", QString());
    Label4->setWordWrap(true);
    Label4->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label2 = etiquette(this, "Label2", QStringLiteral("Qté en machine:"));
    Label5 = etiquette(this, "Label5", QString());
    QFont gras = Label4->font();
    gras.setBold(true);
    Label4->setFont(gras);
    Label5->setFont(gras);
    OptionRefFour = option(this, "OptionRefFour", QStringLiteral("Ref Fournisseur"));
    OptionReference = option(this, "OptionReference", QStringLiteral("Réference"));
    OptionCodeArticle = option(this, "OptionCodeArticle", QStringLiteral("Code article"));
    OptionRefFour->setChecked(true);
    // The bars have no use over lockers; they exist, hidden, as in the machine window.
    for (int k = 1; k <= 37; ++k) {
        auto* barre = new ProgessBarre(this);
        barre->setObjectName(QStringLiteral("SSPanel2(%1)").arg(k));
        placer(barre, 7020, 635 + k * 270, 2300, 270);
        barre->hide();
        SSPanel2[static_cast<size_t>(k)] = barre;
    }
    // The global sheet never shows here; the total of articles does.
    Command3->hide();

    placer(Label3, 120, 60, 14960, 330);
    preparerGrille();
    brancherFiches();

    disposer(QSize());
    setTraductionActivation(false);
}

void FrmConfigMachineCasier::disposer(const QSize& place) {
    using Conversions::twipsEnPixels;
    // A screen narrower than the design (1024 pixels): the window takes the screen's width and the grid
    // gives up what the buttons, options and labels need, scrolling sideways.
    int largeur = LargeurTwips;
    const bool etroite = place.isValid() && twipsEnPixels(LargeurTwips) > place.width();
    if (etroite)
        largeur = std::max(LargeurMinimale, static_cast<int>(Conversions::pixelsEnTwips(place.width())));
    MSFlexGrid1->setHorizontalScrollBarPolicy(etroite ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);

    // Design positions, in twips: the list over the grid, the buttons, options and labels to the right.
    const int g = largeur - DroiteBoutons, l = LargeurBoutons;
    placer(MSFlexGrid1, 120, 450, g - 240, 10050);
    placer(DataGrid1, 120, 450, g - 240, 10050);
    placer(Picture1, g, 450, l, 2100);
    placer(Command3, g, 2640, l, 495);
    placer(Command4, g, 2640, l, 735);
    placer(CmdRmplir, g, 3450, l, 495);
    placer(Command1, g, 4020, l, 495);
    placer(Command2, g, 4590, l, 495);
    placer(Command5, g, 5160, l, 495);
    placer(Command6, g, 5730, l, 495);
    placer(CmdModeConfig, g, 6345, l, 495);
    placer(CmdEnregiConfig, g, 6915, l, 495);
    placer(OptionRefFour, g, 7500, l, 255);
    placer(OptionReference, g, 7770, l, 255);
    placer(OptionCodeArticle, g, 8040, l, 255);
    placer(Label1, g, 8400, l, 240);
    placer(Label4, g, 8640, l, 480);
    placer(Label2, g, 9150, l, 240);
    placer(Label5, g, 9390, l, 240);
    placer(cmdClose, g, 9990, l, 495);
    setFixedSize(twipsEnPixels(largeur), twipsEnPixels(HauteurTwips));
}

void FrmConfigMachineCasier::Form_Load() {
    setWindowIcon(QApplication::windowIcon());
    const bool gsm = Global().OptionVersionGSM;
    Command6->setVisible(!gsm);
    Command5->setVisible(!gsm);
    OptionRefFour->setChecked(true);
    passerEnListe();
    Global().ConfigMachineOuverte = true;
    if (!ouvrirListe())
        return;
    FonctionUtilitaires::CentrerFormEnHaut(this);
}

void FrmConfigMachineCasier::Form_Activate() {
    DataGrid1->raise();
    if (Global().LangueCourante != QLatin1String("FR"))
        traduireAvec(Global().FichierLangue);
    Label3->setText(titreMachine());
    Label3->repaint();
    DataGrid1->setVisible(!dispositionAffichee());
    Global().ConfigMachineOuverte = true;
    Sablier(false);
}

void FrmConfigMachineCasier::DataGrid1_DblClick() {
    if (!surUneMachine())
        return;
    const qint32 no = static_cast<qint32>(Valeurs::lireEntier(champ(QStringLiteral("NoMachine"))));
    if (Valeurs::lireTexte(champ(QStringLiteral("Chargement"))) == QLatin1String("CASIER")) {
        NoMachineCourante = no;
        passerEnDisposition();
        ModeVue = 2;
        LireConfigMachineColonne();
        // A drawing that failed brought the list back.
        if (dispositionAffichee())
            CmdModeConfig->show();
        return;
    }

    // Back to the machine window, which opens the machine.
    FrmConfigMachine& machine = Instance<FrmConfigMachine>();
    machine.Load();
    if (!machine.estCharge() || !machine.allerALaMachine(no))
        return;
    NoMachineCourante = no;
    QWidget* proprietaire = proprietaireModal();
    cmdClose->click();
    machine.DataGrid1_DblClick();
    machine.ShowModal(proprietaire);
}
