#include "reports/forms/FenCompteRendu.h"

#include "common/Conversions.h"
#include "common/DateTexte.h"
#include "common/EtatGlobal.h"
#include "common/FnWendrox.h"
#include "common/MajBase.h"
#include "common/ServiceDialogue.h"
#include "common/forms/Calendrier.h"
#include "common/forms/IconeCalendrier.h"
#include "common/forms/Instance.h"
#include "common/forms/SortieBox.h"
#include "reports/forms/FenCrystalRep.h"

#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

// The background of the menu and of its frames and options: &HB17400, RGB(0, 116, 177).
constexpr quint32 CouleurFond = 0xB17400;

const char* const LegendesSalaries[] = {
    "Salariés par Nom",         "Salariés par Badge",        "Salariés par Site",
    "Salariés par Service",     "Salariés par Profil",       "Salariés par Taille chaussure",
    "Salariés par Taille main", "Salariés par No Matricule", "Salariés par No Machine",
};

void colorer(QWidget* w) {
    QPalette p = w->palette();
    // The role a widget fills its background with: Window for the form and frames, Button for options.
    p.setColor(w->backgroundRole(), Conversions::couleurVB(CouleurFond));
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

} // namespace

FenCompteRendu::FenCompteRendu(QWidget* parent)
    : FormBase(QStringLiteral("FenCompteRendu"), parent, Qt::Dialog | Qt::WindowCloseButtonHint) {
    setWindowTitle(QStringLiteral("Report"));

    // The period.
    Frame1 = new QGroupBox(QStringLiteral("Choix de la période d'édition"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Label1 = new QLabel(QStringLiteral("Depuis"), Frame1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label2 = new QLabel(QStringLiteral("Jusqu'à"), Frame1);
    Label2->setObjectName(QStringLiteral("Label2"));
    TextDebut = new QLineEdit(Frame1);
    TextDebut->setObjectName(QStringLiteral("TextDebut"));
    TextFin = new QLineEdit(Frame1);
    TextFin->setObjectName(QStringLiteral("TextFin"));
    Label1->setBuddy(TextDebut);
    Label2->setBuddy(TextFin);
    CommandDate = creerBouton(QStringLiteral("CommandDate"), QString(), Frame1);
    CommandDate->setIcon(iconeCalendrier());
    CommandDate->setIconSize(QSize(32, 32));
    cmdDebutAnnee =
        creerBouton(QStringLiteral("cmdDebutAnnee"), QStringLiteral("Depuis le début de l'année"), Frame1);
    cmdDebutMois =
        creerBouton(QStringLiteral("cmdDebutMois"), QStringLiteral("Depuis le début du mois"), Frame1);
    cmdMoisDernier = creerBouton(QStringLiteral("cmdMoisDernier"), QStringLiteral("Le mois dernier"), Frame1);
    cmdSemaineDerniere =
        creerBouton(QStringLiteral("cmdSemaineDerniere"), QStringLiteral("La semaine dernière"), Frame1);

    auto* periode = new QGridLayout(Frame1);
    periode->addWidget(Label1, 0, 0);
    periode->addWidget(TextDebut, 0, 1);
    periode->addWidget(Label2, 1, 0);
    periode->addWidget(TextFin, 1, 1);
    periode->addWidget(CommandDate, 0, 2, 2, 1);
    int ligne = 2;
    for (QPushButton* b : {cmdDebutAnnee, cmdDebutMois, cmdMoisDernier, cmdSemaineDerniere})
        periode->addWidget(b, ligne++, 0, 1, 3);
    periode->setColumnStretch(1, 1);

    // The report variant of two buttons, the profile filter, and the list of the returns report.
    Frame2 = new QGroupBox(this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    SSOption1 = new QRadioButton(QStringLiteral("Par désignation"), Frame2);
    SSOption1->setObjectName(QStringLiteral("SSOption1"));
    SSOption2 = new QRadioButton(QStringLiteral("Par référence"), Frame2);
    SSOption2->setObjectName(QStringLiteral("SSOption2"));
    SSOption2->setChecked(true);
    auto* options = new QVBoxLayout(Frame2);
    options->addWidget(SSOption1);
    options->addWidget(SSOption2);
    ListProfil = new QListWidget(this);
    ListProfil->setObjectName(QStringLiteral("ListProfil"));
    ListProfil->setSelectionMode(QAbstractItemView::MultiSelection);
    ListProfil->hide();
    List1 = new QListWidget(this);
    List1->setObjectName(QStringLiteral("List1"));
    List1->hide();

    // The report buttons; each is enabled once its report is wired.
    const QIcon graphique(
        FnWendrox::FichierExistant(QDir(FnWendrox::CheminApplication()).filePath(QStringLiteral("icon")),
                                   QStringLiteral("graph01.gif")));
    Command3 = creerBouton(QStringLiteral("Command3"), QStringLiteral("Consommations par Machines"));
    auto image = [&](const QString& nom, const QString& bulle) {
        QPushButton* b = creerBouton(nom, QString());
        b->setToolTip(bulle);
        b->setIcon(graphique);
        b->setIconSize(QSize(16, 16));
        // As high as its sibling, so that the rows of the column stay even.
        b->setFixedHeight(Command3->sizeHint().height());
        return b;
    };
    CmdConsoMachineGraph = image(QStringLiteral("CmdConsoMachineGraph"),
                                 QStringLiteral("Graphique des consommations par machines"));
    CmdConsoParSalarie =
        creerBouton(QStringLiteral("CmdConsoParSalarie"), QStringLiteral("Consommations par Salariés"));
    Command9 = image(QStringLiteral("Command9"), QStringLiteral("Graphique des consommations par salariés"));
    CmdConsoParSalarieDetail = creerBouton(QStringLiteral("CmdConsoParSalarieDetail"),
                                           QStringLiteral("Consommations par Salariés détaillées"));
    CmdCAparFamille =
        creerBouton(QStringLiteral("CmdCAparFamille"), QStringLiteral("Consommations par Familles"));
    cmdConsoMensuel =
        creerBouton(QStringLiteral("cmdConsoMensuel"), QStringLiteral("Consommations Mensuelles"));
    CmdConsoMensuelGraph = image(QStringLiteral("CmdConsoMensuelGraph"),
                                 QStringLiteral("Graphique des consommations mensuelles"));
    CmdConsoParFournisseur = creerBouton(QStringLiteral("CmdConsoParFournisseur"),
                                         QStringLiteral("Consommations par Fournisseurs"));
    CmdConsoParProfile =
        creerBouton(QStringLiteral("CmdConsoParProfile"), QStringLiteral("Consommations par Profil"));
    CmdConsoParService =
        creerBouton(QStringLiteral("CmdConsoParService"), QStringLiteral("Consommations par Services"));
    CmdConsoParSite =
        creerBouton(QStringLiteral("CmdConsoParSite"), QStringLiteral("Consommations par Sites"));
    Command1 =
        creerBouton(QStringLiteral("Command1"), QStringLiteral("Consommations par Profil par salariés"));
    Command2 = creerBouton(QStringLiteral("Command2"), QStringLiteral("Consommations Services par salariés"));
    Command10 = creerBouton(QStringLiteral("Command10"),
                            QStringLiteral("Consommations par Profil et salariés détaillées"));
    CmdConsoGlobal =
        creerBouton(QStringLiteral("CmdConsoGlobal"), QStringLiteral("Consommations par Articles"));
    Command11 = creerBouton(QStringLiteral("Command11"), QStringLiteral("Consommations par centre de coût"));

    Frame3 = new QGroupBox(QStringLiteral("Consommations par Business Unit "), this);
    Frame3->setObjectName(QStringLiteral("Frame3"));
    Command4 = creerBouton(QStringLiteral("Command4"), QStringLiteral("KRV Vardel"), Frame3);
    Command5 = creerBouton(QStringLiteral("Command5"), QStringLiteral("KRV Brelaz"), Frame3);
    Command6 = creerBouton(QStringLiteral("Command6"), QStringLiteral("ZNT Brelaz"), Frame3);
    Command7 = creerBouton(QStringLiteral("Command7"), QStringLiteral("ZNT Orlenz"), Frame3);
    auto* unites = new QGridLayout(Frame3);
    unites->addWidget(Command4, 0, 0);
    unites->addWidget(Command5, 0, 1);
    unites->addWidget(Command6, 1, 0);
    unites->addWidget(Command7, 1, 1);

    CmdArticleRupture =
        creerBouton(QStringLiteral("CmdArticleRupture"), QStringLiteral("Article à commander"));
    cmdPaieModeJournalier =
        creerBouton(QStringLiteral("cmdPaieModeJournalier"), QStringLiteral("Article en stock"));
    CmdValeurStock = creerBouton(QStringLiteral("CmdValeurStock"), QStringLiteral("Valeur du Stock"));
    CmdValeurStockParFournisseur = creerBouton(QStringLiteral("CmdValeurStockParFournisseur"),
                                               QStringLiteral("Valeur du Stock par Fournisseur"));
    for (size_t i = 0; i < CmdSalarie.size(); ++i)
        CmdSalarie[i] =
            creerBouton(QStringLiteral("CmdSalarié(%1)").arg(i), QString::fromUtf8(LegendesSalaries[i]));

    CmdRetourRetrait = creerBouton(QStringLiteral("CmdRetourRetrait"), QStringLiteral("Liste Sortie-Retour"));
    Command8 = creerBouton(QStringLiteral("Command8"), QStringLiteral("Status des articles avec retour"));
    cmdClose = creerBouton(QStringLiteral("cmdClose"), QStringLiteral("&Fermer"));
    setBoutonAnnuler(cmdClose);

    brancherConsommations();
    brancherListes();

    // Three columns: the period and its filters; the consumption reports; the employee lists and the
    // stock reports. The close button below them.
    auto* gauche = new QVBoxLayout;
    gauche->setSpacing(6);
    gauche->addWidget(Frame1);
    gauche->addWidget(Frame2);
    gauche->addWidget(ListProfil, 1);
    gauche->addWidget(List1);
    gauche->addWidget(CmdRetourRetrait);
    gauche->addWidget(Command8);

    auto* consommations = new QGridLayout;
    consommations->setVerticalSpacing(4);
    const QList<QPair<QPushButton*, QPushButton*>> lignes = {
        {Command3, CmdConsoMachineGraph},
        {CmdConsoParSalarie, Command9},
        {CmdConsoParSalarieDetail, nullptr},
        {CmdCAparFamille, nullptr},
        {cmdConsoMensuel, CmdConsoMensuelGraph},
        {CmdConsoParFournisseur, nullptr},
        {CmdConsoParProfile, nullptr},
        {CmdConsoParService, nullptr},
        {CmdConsoParSite, nullptr},
        {Command1, nullptr},
        {Command2, nullptr},
        {Command10, nullptr},
        {CmdConsoGlobal, nullptr},
        {Command11, nullptr},
    };
    ligne = 0;
    for (const auto& [texte, dessin] : lignes) {
        consommations->addWidget(texte, ligne, 0);
        if (dessin)
            consommations->addWidget(dessin, ligne, 1);
        ++ligne;
    }
    consommations->addWidget(Frame3, ligne++, 0, 1, 2);
    consommations->setRowStretch(ligne, 1);
    consommations->setColumnStretch(0, 1);

    auto* droite = new QVBoxLayout;
    droite->setSpacing(4);
    for (QPushButton* b : CmdSalarie)
        droite->addWidget(b);
    droite->addSpacing(16);
    for (QPushButton* b :
         {CmdArticleRupture, cmdPaieModeJournalier, CmdValeurStock, CmdValeurStockParFournisseur})
        droite->addWidget(b);
    droite->addStretch(1);

    auto* colonnes = new QHBoxLayout;
    colonnes->setSpacing(16);
    colonnes->addLayout(gauche, 0);
    colonnes->addLayout(consommations, 1);
    colonnes->addLayout(droite, 0);
    auto* bas = new QHBoxLayout;
    bas->addStretch(1);
    bas->addWidget(cmdClose);
    auto* principal = new QVBoxLayout(this);
    principal->addLayout(colonnes, 1);
    principal->addLayout(bas);
    // A size of its own, which it keeps from one opening to the next.
    resize(880, 600);

    connect(CommandDate, &QPushButton::clicked, this, &FenCompteRendu::CommandDate_Click);
    connect(cmdDebutAnnee, &QPushButton::clicked, this, &FenCompteRendu::cmdDebutAnnee_Click);
    connect(cmdDebutMois, &QPushButton::clicked, this, &FenCompteRendu::cmdDebutMois_Click);
    connect(cmdMoisDernier, &QPushButton::clicked, this, &FenCompteRendu::cmdMoisDernier_Click);
    connect(cmdSemaineDerniere, &QPushButton::clicked, this, &FenCompteRendu::cmdSemaineDerniere_Click);
    connect(cmdClose, &QPushButton::clicked, this, &FenCompteRendu::cmdClose_Click);
    TextDebut->installEventFilter(new SortieBox(TextDebut, [this] { TextDebut_LostFocus(); }));
    TextFin->installEventFilter(new SortieBox(TextFin, [this] { TextFin_LostFocus(); }));
}

FenCompteRendu::BoitesPeriode FenCompteRendu::periode() {
    FenCompteRendu& f = Instance<FenCompteRendu>();
    f.Load();
    return {f.TextDebut, f.TextFin};
}

void FenCompteRendu::Form_Load() {
    // A load starts as a new window would: no profile listed yet.
    ListProfil->clear();
    ListProfil->hide();
    NbProfils = 0;
    List1->hide();

    cmdMoisDernier_Click();
    RemplirListProfil();
    for (QWidget* w : std::initializer_list<QWidget*>{this, Frame1, Frame2, Frame3, SSOption1, SSOption2})
        colorer(w);
    SSOption2->setChecked(true);
    Instance<FenCrystalRep>().Load();
}

void FenCompteRendu::Form_Activate() {
    const EtatGlobal& g = Global();
    Frame3->setVisible(g.ClientOrmax);
    CmdRetourRetrait->setVisible(g.OptionAvecRetour);
    Command8->setVisible(g.OptionAvecRetour);
}

void FenCompteRendu::RemplirListProfil() {
    try {
        Connexion& c = connexion();
        ListProfil->clear();
        // Counted as they are added: an emptied table leaves no count of the names gone.
        NbProfils = 0;
        CompteRendu::lireProfils(c, [this](const QString& nom) {
            ListProfil->addItem(nom);
            ++NbProfils;
        });
        fermerConnexion();
        ListProfil->setVisible(true);
    } catch (const std::exception& e) {
        fermerConnexion();
        MajBase::SignalerErreur(QStringLiteral("RemplirListProfil"), e);
    }
}

void FenCompteRendu::afficherPeriode(const CompteRendu::Periode& periode) {
    TextDebut->setText(DateTexte::ecrire(periode.debut));
    TextFin->setText(DateTexte::ecrire(periode.fin));
}

void FenCompteRendu::cmdDebutAnnee_Click() {
    afficherPeriode(CompteRendu::debutAnnee(CompteRendu::aujourdhui()));
}

void FenCompteRendu::cmdDebutMois_Click() {
    Global().EtatDepuisCompteRendu = true;
    afficherPeriode(CompteRendu::debutMois(CompteRendu::aujourdhui()));
}

void FenCompteRendu::cmdMoisDernier_Click() {
    Global().EtatDepuisCompteRendu = true;
    afficherPeriode(CompteRendu::moisDernier(CompteRendu::aujourdhui()));
}

void FenCompteRendu::cmdSemaineDerniere_Click() {
    Global().EtatDepuisCompteRendu = true;
    afficherPeriode(CompteRendu::semaineDerniere(CompteRendu::aujourdhui()));
}

void FenCompteRendu::CommandDate_Click() {
    EtatGlobal& g = Global();
    g.EtatDepuisCompteRendu = true;
    Instance<Calendrier>().ShowModal(this);
    afficherPeriode({g.DateDebut.date(), g.DateFin.date()});
}

void FenCompteRendu::TextDebut_LostFocus() {
    verifierDate(TextDebut, 28);
}

void FenCompteRendu::TextFin_LostFocus() {
    verifierDate(TextFin, 29);
}

void FenCompteRendu::verifierDate(const QLineEdit* boite, int message) {
    Global().EtatDepuisCompteRendu = true;
    // The text stays as typed, and the focus where it went.
    dateLisible(boite, message);
}

bool FenCompteRendu::dateLisible(const QLineEdit* boite, int message) {
    if (DateTexte::lire(boite->text()).isValid())
        return true;
    MsgBox(Global().msg(message), StyleMessage::OK | StyleMessage::Exclamation);
    return false;
}

void FenCompteRendu::cmdClose_Click() {
    Unload();
}
