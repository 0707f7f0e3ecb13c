#include "app/forms/FrmPrincipal.h"

#include "Version.h"
#include "app/CheminsProgramme.h"
#include "app/DroitsAcces.h"
#include "app/MenuPrincipal.h"
#include "app/MiseAJourBase.h"
#include "app/forms/RegistreMenu.h"
#include "app/forms/frmAbout.h"
#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/FnWendrox.h"
#include "common/LecteurTag.h"
#include "common/MajBase.h"
#include "common/ServiceDialogue.h"
#include "common/ServiceSession.h"
#include "common/forms/Centrage.h"
#include "common/forms/FiltreSaisie.h"
#include "common/forms/Instance.h"
#include "common/forms/ProgessBarre.h"
#include "db/Connexion.h"
#include "db/ListeMachines.h"
#include "db/Schema.h"

#include <QApplication>
#include <QDir>
#include <QFrame>
#include <QGridLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QColor kBleuFenetre(0, 143, 213);
const QColor kFondBouton(221, 229, 233);
const QColor kTexteBouton(33, 45, 103);

// A panel centred in the window, or in its scrolled contents on a screen too small for the menu.
void centrerDansSonFond(QWidget* panneau) {
    const QSize fond = panneau->parentWidget()->size();
    panneau->move((fond.width() - panneau->width()) / 2, (fond.height() - panneau->height()) / 2);
}

const QString kContexteChargement = QStringLiteral("Form load frm principale");

} // namespace

FrmPrincipal::FrmPrincipal(QWidget* parent) : FormBase(QStringLiteral("FrmPrincipal"), parent, Qt::Window) {
    setWindowTitle(QStringLiteral("Gestion de"));
    resize(1024, 740);

    SSPanel1 = new QFrame(this);
    SSPanel1->setObjectName(QStringLiteral("SSPanel1"));
    SSPanel1->setFrameShape(QFrame::Panel);
    SSPanel1->setFrameShadow(QFrame::Raised);
    SSPanel1->setLineWidth(2);
    SSPanel1->setAutoFillBackground(true);

    auto* grille = new QGridLayout(SSPanel1);
    grille->setContentsMargins(24, 24, 24, 24);
    grille->setHorizontalSpacing(18);
    grille->setVerticalSpacing(12);
    for (const BoutonMenu& d : MenuPrincipal::boutons()) {
        QPushButton* b = nouveauBouton(d.nom, d.legende);
        grille->addWidget(b, d.ligne, d.colonne);
        if (d.masque)
            b->hide();
        if (d.parRegistre)
            connect(b, &QPushButton::clicked, this, [this, nom = d.nom] { ouvrirMenu(nom); });
    }
    const QList<QPair<QPushButton**, const char*>> membres{{&CmdFamilles, "CmdFamilles"},
                                                           {&CmdVente, "CmdVente"},
                                                           {&CmdMachines, "CmdMachines"},
                                                           {&CmdMouvementStock, "CmdMouvementStock"},
                                                           {&CmdFournissueur, "CmdFournissueur"},
                                                           {&CmdBadgeMainten, "CmdBadgeMainten"},
                                                           {&cmdClose, "cmdClose"},
                                                           {&CmdSites, "CmdSites"},
                                                           {&CmdProfile, "CmdProfile"},
                                                           {&CmdStock, "CmdStock"},
                                                           {&CmdReport, "CmdReport"},
                                                           {&CmdComptoir, "CmdComptoir"},
                                                           {&CmdApropos, "CmdApropos"},
                                                           {&CmdInfoCom, "CmdInfoCom"},
                                                           {&CmdEmplacement, "CmdEmplacement"},
                                                           {&CmdTailles, "CmdTailles"},
                                                           {&Commandhelp, "Commandhelp"},
                                                           {&CmdDotation, "CmdDotation"},
                                                           {&CmdListealarme, "CmdListealarme"},
                                                           {&CmdImportSalarie, "CmdImportSalarie"}};
    for (const auto& [membre, nom] : membres)
        *membre = SSPanel1->findChild<QPushButton*>(QLatin1String(nom));
    // Tab goes down each column, then to the top of the next.
    QList<QPushButton*> ordre;
    QList<BoutonMenu> parPlace = MenuPrincipal::boutons();
    std::stable_sort(parPlace.begin(), parPlace.end(), [](const BoutonMenu& x, const BoutonMenu& y) {
        return std::pair(x.colonne, x.ligne) < std::pair(y.colonne, y.ligne);
    });
    for (const BoutonMenu& d : parPlace)
        ordre << SSPanel1->findChild<QPushButton*>(d.nom);
    for (int i = 1; i < ordre.size(); ++i)
        setTabOrder(ordre[i - 1], ordre[i]);
    SSPanel1->setFixedSize(SSPanel1->sizeHint().expandedTo(QSize(920, 560)));
    // Never smaller than the menu: every button stays whole.
    setMinimumSize(SSPanel1->size() + QSize(16, 16));

    // Hosted for the long tasks' progress; hidden until one shows it.
    ProgessBarre1 = new ProgessBarre(this);
    ProgessBarre1->setObjectName(QStringLiteral("ProgessBarre1"));
    ProgessBarre1->hide();

    // Company panel.
    SSPanelInfoCom = new QFrame(this);
    SSPanelInfoCom->setObjectName(QStringLiteral("SSPanelInfoCom"));
    SSPanelInfoCom->setFrameShape(QFrame::Panel);
    SSPanelInfoCom->setFrameShadow(QFrame::Raised);
    SSPanelInfoCom->setLineWidth(2);
    SSPanelInfoCom->setAutoFillBackground(true);
    auto* panneau = new QGridLayout(SSPanelInfoCom);
    panneau->setContentsMargins(20, 14, 20, 16);
    panneau->setVerticalSpacing(8);
    panneau->setHorizontalSpacing(12);
    Label1 = new QLabel(QStringLiteral("Informations société"), SSPanelInfoCom);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignCenter);
    QFont titre(QStringLiteral("Arial"));
    titre.setPointSize(13);
    titre.setBold(true);
    Label1->setFont(titre);
    panneau->addWidget(Label1, 0, 0, 1, 2);
    const QStringList libelles{QStringLiteral("Société:"),   QStringLiteral("Adresse:"),
                               QStringLiteral("Ville:"),     QStringLiteral("Code Postal:"),
                               QStringLiteral("Téléphone:"), QStringLiteral("Fax:")};
    const QStringList noms{QStringLiteral("TextNom"), QStringLiteral("TextAdd"), QStringLiteral("TextVille"),
                           QStringLiteral("TextCP"),  QStringLiteral("TextTel"), QStringLiteral("TextFax")};
    QList<QLineEdit*> boites;
    for (int i = 0; i < libelles.size(); ++i) {
        auto* l = new QLabel(libelles[i], SSPanelInfoCom);
        l->setObjectName(QStringLiteral("Label%1").arg(i + 2));
        auto* t = new QLineEdit(SSPanelInfoCom);
        t->setObjectName(noms[i]);
        l->setBuddy(t);
        panneau->addWidget(l, i + 1, 0);
        panneau->addWidget(t, i + 1, 1);
        LibellesSociete << l;
        boites << t;
    }
    TextNom = boites[0];
    TextAdd = boites[1];
    TextVille = boites[2];
    TextCP = boites[3];
    TextTel = boites[4];
    TextFax = boites[5];
    TextNom->setMaxLength(100);
    TextAdd->setMaxLength(150);
    TextVille->setMaxLength(100);
    TextCP->setMaxLength(10);
    TextTel->setMaxLength(30);
    TextFax->setMaxLength(30);
    cmdOK = new QPushButton(QStringLiteral("OK"), SSPanelInfoCom);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setMinimumWidth(110);
    panneau->addWidget(cmdOK, libelles.size() + 1, 0, 1, 2, Qt::AlignHCenter);
    panneau->setColumnMinimumWidth(1, 330);
    SSPanelInfoCom->setFixedSize(SSPanelInfoCom->sizeHint());
    SSPanelInfoCom->hide();

    // Key filters of the panel: the name is upper-cased as typed, telephone and fax take digits and blanks.
    connect(TextNom, &QLineEdit::textEdited, this, [this](const QString& texte) {
        const QString majuscules = texte.toUpper();
        if (majuscules != texte) {
            const int position = TextNom->cursorPosition();
            TextNom->setText(majuscules);
            TextNom->setCursorPosition(qMin(position, majuscules.size()));
        }
    });
    FiltreSaisie::installer(TextTel, QStringLiteral(" "));
    FiltreSaisie::installer(TextFax, QStringLiteral(" "));

    connect(CmdApropos, &QPushButton::clicked, this, [this] { CmdApropos_Click(); });
    connect(CmdInfoCom, &QPushButton::clicked, this, [this] { CmdInfoCom_Click(); });
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdClose, &QPushButton::clicked, this, [this] { cmdClose_Click(); });
    connect(Commandhelp, &QPushButton::clicked, this, [this] { Commandhelp_Click(); });
}

FrmPrincipal::~FrmPrincipal() = default;

QPushButton* FrmPrincipal::nouveauBouton(const QString& nom, const QString& legende) {
    auto* b = new QPushButton(legende, SSPanel1);
    b->setObjectName(nom);
    b->setMinimumSize(280, 54);
    b->setIconSize(QSize(32, 32));
    return b;
}

QList<QPushButton*> FrmPrincipal::boutonsMenu() const {
    QList<QPushButton*> l;
    for (const BoutonMenu& d : MenuPrincipal::boutons())
        if (d.couleursMenu)
            l << SSPanel1->findChild<QPushButton*>(d.nom);
    return l;
}

// ---------------------------------------------------------------------------------------------------
// Load

void FrmPrincipal::Form_Load() {
    m_baseInaccessible = false;
    m_droitsAppliques = false;
    m_erreurChargement.clear();
    RsSociete = EnregistrementSociete();
    RegistreMenu& registre = RegistreMenu::global();
    // A button whose form is not there stays visible and greyed.
    for (const QString& nom : MenuPrincipal::boutonsRegistre())
        if (auto* b = findChild<QPushButton*>(nom))
            b->setEnabled(registre.estEnregistre(nom));
    // Until the rights are read, the buttons they govern stay closed.
    if (Global().OptionLimitationAcces)
        for (const QString& nom : DroitsAcces::boutonsGouvernes())
            if (auto* b = findChild<QPushButton*>(nom))
                b->setEnabled(false);

    try {
        chargerEtapes();
    } catch (const ErreurExecution& e) {
        if (e.numero() == ErreurExecution::BaseInaccessible) {
            m_baseInaccessible = true;
            MsgBox(QStringLiteral("Pas de base de donnée!"), StyleMessage::OK);
        } else {
            echecChargement(e.texteJournal());
        }
    } catch (const std::exception& e) {
        echecChargement(MajBase::TexteJournal(e));
    }
}

void FrmPrincipal::echecChargement(const QString& journal) {
    MajBase::EnregistrerErreur(kContexteChargement, journal);
    m_erreurChargement = kContexteChargement + QLatin1Char('\n') + journal;
}

void FrmPrincipal::chargerEtapes() {
    EtatGlobal& g = Global();
    const QString dossier = FnWendrox::CheminApplication();

    // 2. Size as loaded, for the centring services (which work in pixels).
    g.LargeurFenPrincipale = static_cast<float>(width());
    g.HauteurFenPrincipale = static_cast<float>(height());
    // 3-4.
    appliquerCouleurs();
    chargerImages();
    // 5.
    CmdDotation->setVisible(FnWendrox::LireIniString(g.CheminIni, QStringLiteral("APPLICATION"),
                                                     QStringLiteral("Dotation"),
                                                     QStringLiteral("NON")) == QLatin1String("OUI"));
    if (g.FinDemandee)
        return;
    // 6.
    g.CheminRapports = FnWendrox::AjouteBackslash(QDir(dossier).filePath(QStringLiteral("RPT SQL")));
    // 7. The window's connection and the company record.
    Connexion& base = connexion();
    // An older database of ours is brought up to date before anything reads it.
    Schema::mettreAJour(base);
    RsSociete.charger(base);
    afficherSociete();
    // 8.
    MiseAJourBase::MigrerImagesEnBase(base);
    if (g.ImagesEnBase)
        g.CheminImage = QDir(dossier).filePath(QStringLiteral("image"));
    if (g.FinDemandee)
        return;
    // 9.
    appliquerVariantes();
    // 10. Schema version from the first three characters of VD.
    if (const auto version = MiseAJourBase::versionDepuisVD(RsSociete.texte(QStringLiteral("VD")))) {
        g.VersionBase = *version;
        MiseAJourBase::CreerProcedureEtatCA(base, *version);
        // The upkeep may have rewritten VD: hold the record as it now stands.
        if (*version == 0)
            RsSociete.charger(base);
    }
    // 11.
    const QVariant adEmail = RsSociete.champ(QStringLiteral("AdEmail"));
    if (!adEmail.isNull())
        g.AdresseEmail = adEmail.toString();
    // 12-13.
    FonctionUtilitaires::CentrerFrame(SSPanel1);
    setWindowTitle(QStringLiteral("Dorvane - %1.%2.%3")
                       .arg(DORVANE_VERSION_MAJOR)
                       .arg(DORVANE_VERSION_MINOR)
                       .arg(DORVANE_VERSION_PATCH));
    // 14. Contactless reader; the program goes on without it.
    if (g.TypeLecteurBadge == 6) {
        const QString reponse = LecteurTagCourant().OuvrirACR120();
        if (reponse != QLatin1String("OK"))
            MsgBox(reponse + QLatin1Char('\n') + QStringLiteral("Defaut Lecteur Tag"), StyleMessage::OK);
        if (g.FinDemandee)
            return;
    }
    // 15.
    if (g.OptionLimitationAcces) {
        AppliquerDroitsAcces();
        if (g.FinDemandee)
            return;
    }
    // 16-17.
    VerifierClePrimaireCodeArticle();
    MiseAJourBase::FixerQuotaTOUS(base);
    if (g.FinDemandee)
        return;
    // 18. The stock form stays loaded, hidden, for the whole run.
    RegistreMenu::global().precharger();
}

void FrmPrincipal::appliquerCouleurs() {
    QPalette fenetre = palette();
    fenetre.setColor(QPalette::Window, kBleuFenetre);
    setPalette(fenetre);
    setAutoFillBackground(true);
    SSPanel1->setPalette(fenetre);
    // The company panel keeps the ordinary face colour: its black labels are unreadable on the blue.
    QPalette panneau = QApplication::palette(SSPanelInfoCom);
    panneau.setColor(QPalette::Window, panneau.color(QPalette::Window));
    SSPanelInfoCom->setPalette(panneau);
    QFont arial(QStringLiteral("Arial"));
    arial.setPointSize(10);
    arial.setBold(true);
    const QString style =
        QStringLiteral(
            "QPushButton { background-color: %1; color: %2; border: 1px solid #7d8a99; border-radius: 3px;"
            " padding: 4px 10px; text-align: left; }"
            " QPushButton:hover { border-color: %2; }"
            " QPushButton:pressed { background-color: #c3ced6; }"
            " QPushButton:disabled { color: #8b93a8; }")
            .arg(kFondBouton.name(), kTexteBouton.name());
    // One sheet on the panel for all its buttons: read and applied once, not once a button.
    SSPanel1->setStyleSheet(style);
    for (QPushButton* b : SSPanel1->findChildren<QPushButton*>())
        b->setFont(arial);
}

void FrmPrincipal::chargerImages() {
    const QString icones = QDir(FnWendrox::CheminApplication()).filePath(QStringLiteral("icon"));
    for (const BoutonMenu& d : MenuPrincipal::boutons()) {
        auto* b = SSPanel1->findChild<QPushButton*>(d.nom);
        if (!b || d.image.isEmpty())
            continue;
        const QString chemin = CheminsProgramme::fichierDuDossier(icones, d.image);
        b->setIcon(chemin.isEmpty() ? QIcon() : QIcon(chemin));
    }
}

void FrmPrincipal::appliquerVariantes() {
    EtatGlobal& g = Global();
    const QString boutonImport = FnWendrox::LireIniString(
        g.CheminIni, QStringLiteral("Machine"), QStringLiteral("ButtonImport"), QStringLiteral("NON"));
    const VariantesClient v = calculerVariantesClient(RsSociete.texte(QStringLiteral("NOM")),
                                                      RsSociete.texte(QStringLiteral("Ville")), boutonImport);
    if (v.ClientOrmax) {
        g.ClientOrmax = true;
    } else if (v.ClientTalmer) {
        g.ClientOrmax = false;
        g.ClientTalmer = true;
    } else if (v.ClientFenorel) {
        ClientFenorel = true;
    } else {
        g.ClientOrmax = false;
    }
    CmdImportSalarie->setVisible(v.ImportSalarieVisible);
    CmdListealarme->setVisible(v.ListeAlarmeVisible);
}

void FrmPrincipal::AppliquerDroitsAcces() {
    try {
        Sablier(false);
        const auto droits = DroitsAcces::LireDroits(UserName());
        RegistreMenu& registre = RegistreMenu::global();
        for (const QString& nom : DroitsAcces::boutonsGouvernes()) {
            auto* b = findChild<QPushButton*>(nom);
            if (!b)
                continue;
            const bool permis = droits ? droits->value(nom, false) : true;
            b->setEnabled(permis && registre.estEnregistre(nom));
        }
        m_droitsAppliques = true;
    } catch (const ErreurExecution& e) {
        MsgBox(e.description(), StyleMessage::OK);
        Session().terminer(1);
    }
}

void FrmPrincipal::VerifierClePrimaireCodeArticle() {
    try {
        MiseAJourBase::VerifierClePrimaireCodeArticle(connexion());
    } catch (...) {
        // An older layout that cannot be inspected keeps the previous answer.
    }
}

// ---------------------------------------------------------------------------------------------------
// Company panel

void FrmPrincipal::afficherSociete() {
    TextNom->setText(RsSociete.texte(QStringLiteral("NOM")));
    TextAdd->setText(RsSociete.texte(QStringLiteral("Adresse")));
    TextVille->setText(RsSociete.texte(QStringLiteral("Ville")));
    TextCP->setText(RsSociete.texte(QStringLiteral("CodePostal")));
    TextTel->setText(RsSociete.texte(QStringLiteral("Tel")));
    TextFax->setText(RsSociete.texte(QStringLiteral("Fax")));
}

void FrmPrincipal::lireSaisieSociete() {
    // A Null field left empty stays Null.
    const QList<QPair<QString, QLineEdit*>> lies{
        {QStringLiteral("NOM"), TextNom},     {QStringLiteral("Adresse"), TextAdd},
        {QStringLiteral("Ville"), TextVille}, {QStringLiteral("CodePostal"), TextCP},
        {QStringLiteral("Tel"), TextTel},     {QStringLiteral("Fax"), TextFax}};
    for (const auto& [champ, boite] : lies) {
        const QVariant ancien = RsSociete.champ(champ);
        if (ancien.isNull() && boite->text().isEmpty())
            continue;
        RsSociete.definirChamp(champ, boite->text());
    }
}

void FrmPrincipal::CmdInfoCom_Click() {
    centrerDansSonFond(SSPanelInfoCom);
    SSPanelInfoCom->raise();
    SSPanelInfoCom->setVisible(true);
}

void FrmPrincipal::cmdOK_Click() {
    try {
        if (!connexionOuverte() || !RsSociete.estCharge())
            throw ErreurExecution(ErreurExecution::BaseInaccessible,
                                  QStringLiteral("Pas de base de donnée!"));
        lireSaisieSociete();
        RsSociete.enregistrer(*connexionOuverte(),
                              {QStringLiteral("NOM"), QStringLiteral("Adresse"), QStringLiteral("Ville"),
                               QStringLiteral("CodePostal"), QStringLiteral("Tel"), QStringLiteral("Fax")});
        SSPanelInfoCom->hide();
    } catch (const ErreurExecution& e) {
        // The panel stays open with what was typed.
        MsgBox(e.description(), StyleMessage::OK | StyleMessage::Exclamation);
        MajBase::SignalerErreur(QStringLiteral("cmdOK_Click"), e);
    }
}

// ---------------------------------------------------------------------------------------------------
// Menu

void FrmPrincipal::ouvrirMenu(const QString& bouton) {
    RegistreMenu& registre = RegistreMenu::global();
    const BoutonMenu* d = MenuPrincipal::bouton(bouton);
    if (!d || !registre.estEnregistre(bouton))
        return;
    if (d->sablier)
        Sablier(true);
    if (d->panneau)
        SSPanelInfoCom->hide();
    if (!registre.ouvrir(bouton, this))
        Sablier(false);
}

void FrmPrincipal::CmdApropos_Click() {
    if (!m_apropos)
        m_apropos = new frmAbout(this);
    m_apropos->ShowModal(this);
}

void FrmPrincipal::cmdClose_Click() {
    Unload();
}

void FrmPrincipal::Commandhelp_Click() {
    const QString manuel =
        CheminsProgramme::cheminManuel(FnWendrox::CheminApplication(), Global().LangueCourante);
    if (!manuel.isEmpty())
        Session().ouvrirDocument(manuel);
}

// ---------------------------------------------------------------------------------------------------
// Events

void FrmPrincipal::Form_Activate() {
    Sablier(false);
}

void FrmPrincipal::Form_Resize() {
    centrerDansSonFond(SSPanel1);
    centrerDansSonFond(SSPanelInfoCom);
}

void FrmPrincipal::Form_Unload(bool& annuler) {
    // An import's worker still writes through the window's routine: it ends first.
    if (m_importEnCours) {
        annuler = true;
        return;
    }
    EtatGlobal& g = Global();
    try {
        if (g.TypeLecteurBadge == 6)
            LecteurTagCourant().FermerACR120();
        if (connexionOuverte() && RsSociete.estCharge()) {
            RsSociete.definirChamp(QStringLiteral("AdEmail"), g.AdresseEmail);
            RsSociete.enregistrer(*connexionOuverte(), {QStringLiteral("AdEmail")});
        }
    } catch (...) {
        // The program ends whatever happens here.
    }
    Session().terminer(0);
}

// ---------------------------------------------------------------------------------------------------
// Public interface

QString FrmPrincipal::ListeDesMachinesAutorise() {
    return ::ListeDesMachinesAutorise();
}

void FrmPrincipal::AffichezMessage(const QString& texte1, const QString& texte2) {
    Q_UNUSED(texte1);
    Q_UNUSED(texte2);
}

void FrmPrincipal::ChangerResolutionEcran() {}

QString FrmPrincipal::UserName() const {
    return DroitsAcces::UserName();
}

QVariant FrmPrincipal::motPasseSociete() const {
    if (!RsSociete.estCharge())
        throw ErreurExecution(ErreurExecution::ErreurBase,
                              QStringLiteral("L'enregistrement InfoSociete n'est pas ouvert."));
    return RsSociete.champ(QStringLiteral("MotPasse"));
}

FrmPrincipal& frmPrincipal() {
    return Instance<FrmPrincipal>();
}
