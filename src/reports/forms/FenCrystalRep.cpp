#include "reports/forms/FenCrystalRep.h"

#include "common/Conversions.h"
#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/FnWendrox.h"
#include "common/IniFile.h"
#include "common/MajBase.h"
#include "common/ServiceDialogue.h"
#include "common/forms/Instance.h"
#include "common/forms/ListeAdresses.h"
#include "common/forms/ProgessBarre.h"
#include "reports/ReportEngine.h"
#include "reports/forms/FenCompteRendu.h"

#include <QComboBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {

const QString SectionEmail = QStringLiteral("Email");
constexpr int NombreDestinataires = 51; // Mailto0 to Mailto50

// The sending methods; the index is the settings value "Type".
const QStringList MethodesEnvoi = {QStringLiteral("Outlook MAPI"), QStringLiteral("Lotus"),
                                   QStringLiteral("VIM"), QStringLiteral("Exchange"), QStringLiteral("SMTP")};

QPushButton* bouton(const QString& nom, const QString& legende, QWidget* parent) {
    auto* b = new QPushButton(legende, parent);
    b->setObjectName(nom);
    b->setAutoDefault(false);
    return b;
}

QToolButton* fleche(const QString& nom, Qt::ArrowType sens, const QString& bulle, QWidget* parent) {
    auto* b = new QToolButton(parent);
    b->setObjectName(nom);
    b->setArrowType(sens);
    b->setToolTip(bulle);
    return b;
}

QToolButton* extremite(const QString& nom, QStyle::StandardPixmap image, const QString& bulle,
                       QWidget* parent) {
    auto* b = new QToolButton(parent);
    b->setObjectName(nom);
    b->setIcon(parent->style()->standardIcon(image));
    b->setToolTip(bulle);
    return b;
}

} // namespace

FenCrystalRep::FenCrystalRep(QWidget* parent) : FormBase(QStringLiteral("FenCrystalRep"), parent) {
    // The top row, 480 twips high: the viewer's own controls, then the e-mail controls.
    auto* barre = new QWidget(this);
    barre->setFixedHeight(Conversions::twipsEnPixels(480));
    CmdImprimer = bouton(QStringLiteral("CmdImprimer"), QStringLiteral("Imprimer"), barre);
    CmdExportPdf = bouton(QStringLiteral("CmdExportPdf"), QStringLiteral("Exporter en PDF"), barre);
    CmdExportExcel = bouton(QStringLiteral("CmdExportExcel"), QStringLiteral("Exporter vers Excel"), barre);
    CmdPremierePage = extremite(QStringLiteral("CmdPremierePage"), QStyle::SP_MediaSkipBackward,
                                QStringLiteral("Première page"), barre);
    CmdPagePrecedente =
        fleche(QStringLiteral("CmdPagePrecedente"), Qt::LeftArrow, QStringLiteral("Page précédente"), barre);
    TextPage = new QSpinBox(barre);
    TextPage->setObjectName(QStringLiteral("TextPage"));
    TextPage->setRange(1, 1);
    TextPage->setKeyboardTracking(false);
    LabelPages = new QLabel(QStringLiteral("/ 1"), barre);
    LabelPages->setObjectName(QStringLiteral("LabelPages"));
    CmdPageSuivante =
        fleche(QStringLiteral("CmdPageSuivante"), Qt::RightArrow, QStringLiteral("Page suivante"), barre);
    CmdDernierePage = extremite(QStringLiteral("CmdDernierePage"), QStyle::SP_MediaSkipForward,
                                QStringLiteral("Dernière page"), barre);
    CmdZoomMoins = bouton(QStringLiteral("CmdZoomMoins"), QStringLiteral("Réduire"), barre);
    CmdZoomPlus = bouton(QStringLiteral("CmdZoomPlus"), QStringLiteral("Agrandir"), barre);
    CmdPageEntiere = bouton(QStringLiteral("CmdPageEntiere"), QStringLiteral("Page entière"), barre);
    CmdPleineLargeur = bouton(QStringLiteral("CmdPleineLargeur"), QStringLiteral("Pleine largeur"), barre);

    Label1 = new QLabel(QStringLiteral("Adresse E-mail:"), barre);
    Label1->setObjectName(QStringLiteral("Label1"));
    ComboAdressEmail = new QComboBox(barre);
    ComboAdressEmail->setObjectName(QStringLiteral("ComboAdressEmail"));
    ComboAdressEmail->setEditable(true);
    // Only the rule of the focus loss adds an address, never Enter.
    ComboAdressEmail->setInsertPolicy(QComboBox::NoInsert);
    // Room for an address, and the e-mail row within a 1200-pixel window.
    ComboAdressEmail->setMinimumWidth(180);
    ComboAdressEmail->installEventFilter(this);
    ComboEmail = new QComboBox(barre);
    ComboEmail->setObjectName(QStringLiteral("ComboEmail"));
    CmdEmail = bouton(QStringLiteral("CmdEmail"), QStringLiteral("Envoyer en PDF"), barre);
    CmdenvoieEmailExcel =
        bouton(QStringLiteral("CmdenvoieEmailExcel"), QStringLiteral("Envoyer en Excel"), barre);
    ProgressBar1 = new ProgessBarre(barre);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setFixedSize(120, 20);

    auto* rangee = new QHBoxLayout(barre);
    rangee->setContentsMargins(4, 2, 4, 2);
    rangee->setSpacing(4);
    for (QWidget* w : std::initializer_list<QWidget*>{
             CmdImprimer, CmdExportPdf, CmdExportExcel, CmdPremierePage, CmdPagePrecedente, TextPage,
             LabelPages, CmdPageSuivante, CmdDernierePage, CmdZoomMoins, CmdZoomPlus, CmdPageEntiere,
             CmdPleineLargeur})
        rangee->addWidget(w);
    rangee->addSpacing(12);
    for (QWidget* w : std::initializer_list<QWidget*>{Label1, ComboAdressEmail, ComboEmail, CmdEmail,
                                                      CmdenvoieEmailExcel, ProgressBar1})
        rangee->addWidget(w);
    rangee->addStretch(1);

    m_apercu = std::make_unique<QPrinter>(QPrinter::ScreenResolution);
    CRViewer1 = new QPrintPreviewWidget(m_apercu.get(), this);
    CRViewer1->setObjectName(QStringLiteral("CRViewer1"));
    CRViewer1->setViewMode(QPrintPreviewWidget::SinglePageView);

    // The top row, 480 twips high across the window; the viewer under it, 100 twips short of the right
    // edge, the reserved height (Form_Load) below it. The window's least width is the top row's: a screen
    // too small for it scrolls the window.
    auto* disposition = new QVBoxLayout(this);
    disposition->setContentsMargins(0, 0, 0, 0);
    disposition->setSpacing(0);
    disposition->addWidget(barre);
    auto* vue = new QHBoxLayout;
    vue->setContentsMargins(0, 0, Conversions::twipsEnPixels(100), 0);
    vue->addWidget(CRViewer1);
    disposition->addLayout(vue, 1);

    m_envoiEmail = new EnvoiEmail(this);
    brancherEmail();

    connect(CRViewer1, &QPrintPreviewWidget::paintRequested, this, &FenCrystalRep::CRViewer1_paintRequested);
    connect(CRViewer1, &QPrintPreviewWidget::previewChanged, this, &FenCrystalRep::CRViewer1_previewChanged);
    connect(CmdImprimer, &QPushButton::clicked, this, &FenCrystalRep::CRViewer1_PrintButtonClicked);
    connect(CmdExportPdf, &QPushButton::clicked, this, &FenCrystalRep::CmdExportPdf_Click);
    connect(CmdExportExcel, &QPushButton::clicked, this, &FenCrystalRep::CmdExportExcel_Click);
    connect(CmdEmail, &QPushButton::clicked, this, &FenCrystalRep::CmdEmail_Click);
    connect(CmdenvoieEmailExcel, &QPushButton::clicked, this, &FenCrystalRep::CmdenvoieEmailExcel_Click);
    connect(CmdPremierePage, &QToolButton::clicked, this, [this] { allerPage(1); });
    connect(CmdPagePrecedente, &QToolButton::clicked, this,
            [this] { allerPage(CRViewer1->currentPage() - 1); });
    connect(CmdPageSuivante, &QToolButton::clicked, this,
            [this] { allerPage(CRViewer1->currentPage() + 1); });
    connect(CmdDernierePage, &QToolButton::clicked, this, [this] { allerPage(CRViewer1->pageCount()); });
    connect(TextPage, &QSpinBox::valueChanged, this, [this](int page) {
        if (page != CRViewer1->currentPage())
            allerPage(page);
    });
    connect(CmdZoomMoins, &QPushButton::clicked, CRViewer1, [this] { CRViewer1->zoomOut(); });
    connect(CmdZoomPlus, &QPushButton::clicked, CRViewer1, [this] { CRViewer1->zoomIn(); });
    connect(CmdPageEntiere, &QPushButton::clicked, CRViewer1, &QPrintPreviewWidget::fitInView);
    connect(CmdPleineLargeur, &QPushButton::clicked, CRViewer1, &QPrintPreviewWidget::fitToWidth);
    resize(1024, 700);
}

FenCrystalRep::~FenCrystalRep() {
    Form_Terminate();
}

int FenCrystalRep::HauteurReservee(int hauteurBarre) {
    if (hauteurBarre < 0)
        return 800;
    return qMax(800, hauteurBarre * 22);
}

void FenCrystalRep::Form_Load() {
    m_dejaCharge = true;
    const EtatGlobal& g = Global();
    // In the GSM configuration the report leaves by e-mail only: printing and export are off.
    for (QWidget* w :
         std::initializer_list<QWidget*>{CmdEmail, CmdenvoieEmailExcel, Label1, ComboAdressEmail})
        w->setVisible(g.OptionVersionGSM);
    if (!g.OptionVersionGSM)
        ProgressBar1->setVisible(false);
    for (QWidget* w : std::initializer_list<QWidget*>{CmdImprimer, CmdExportPdf, CmdExportExcel})
        w->setVisible(!g.OptionVersionGSM);
    ComboEmail->setVisible(false);

    // The task bar: what the screen keeps from the windows.
    const QScreen* ecran = screen() ? screen() : QGuiApplication::primaryScreen();
    m_hauteurReservee =
        HauteurReservee(ecran ? ecran->geometry().height() - ecran->availableGeometry().height() : -1);
    const int largeur = g.LargeurFenPrincipale > 0 ? qRound(g.LargeurFenPrincipale) : 1024;
    const int hauteur = g.HauteurFenPrincipale > 0 ? qRound(g.HauteurFenPrincipale) : 768;
    resize(largeur, hauteur);
    setWindowIcon(QGuiApplication::windowIcon());
    // The reserved height below the viewer, the top row's 480 twips above it.
    if (auto* disposition = qobject_cast<QBoxLayout*>(CRViewer1->parentWidget()->layout()))
        disposition->setContentsMargins(
            0, 0, 0,
            std::max(0, Conversions::twipsEnPixels(m_hauteurReservee) - Conversions::twipsEnPixels(480)));

    ComboEmail->clear();
    ComboEmail->addItems(MethodesEnvoi);
    const int type = FnWendrox::LireIniInteger(g.CheminIni, SectionEmail, QStringLiteral("Type"), 0);
    ComboEmail->setCurrentIndex(type >= 0 && type < MethodesEnvoi.size() ? type : 0);
    ProgressBar1->setValue(0);
    m_envoiEmail->viderJournal();
}

bool FenCrystalRep::toucheEchap(QObject* controle) {
    Q_UNUSED(controle);
    close();
    return true;
}

void FenCrystalRep::Form_Activate() {
    ComboAdressEmail->clear();
    for (int i = 0; i < NombreDestinataires; ++i) {
        const QString adresse = FnWendrox::LireIniString(Global().CheminIni, SectionEmail,
                                                         QStringLiteral("Mailto%1").arg(i), QString());
        if (!adresse.isEmpty())
            ComboAdressEmail->addItem(adresse);
    }
}

void FenCrystalRep::Form_Unload(bool& annuler) {
    Q_UNUSED(annuler);
    // The report stays until the next one: a caller may still mail it once the viewer is closed.
    FnWendrox::EcrireIniString(Global().CheminIni, SectionEmail, QStringLiteral("Type"),
                               QString::number(ComboEmail->currentIndex()));
    ecrireDestinataires(false);
}

// The object lives for the whole run; when it goes, the list is written once more, silently.
void FenCrystalRep::Form_Terminate() {
    if (m_dejaCharge && QFileInfo::exists(Global().CheminIni))
        ecrireDestinataires(true);
}

void FenCrystalRep::ecrireDestinataires(bool silencieux) {
    // Keys beyond the list keep their values: an address once stored is offered again.
    for (int i = 0; i < ComboAdressEmail->count(); ++i) {
        const QString cle = QStringLiteral("Mailto%1").arg(i);
        if (!silencieux) {
            FnWendrox::EcrireIniString(Global().CheminIni, SectionEmail, cle, ComboAdressEmail->itemText(i));
            continue;
        }
        try {
            IniFile::ecrire(Global().CheminIni, SectionEmail, cle, ComboAdressEmail->itemText(i));
        } catch (const ErreurExecution&) {
            return;
        }
    }
}

bool FenCrystalRep::eventFilter(QObject* objet, QEvent* e) {
    if (objet == ComboAdressEmail && e->type() == QEvent::FocusOut)
        ComboAdressEmail_LostFocus();
    return FormBase::eventFilter(objet, e);
}

void FenCrystalRep::ComboAdressEmail_LostFocus() {
    ListeAdresses::AjouterAdresseSaisie(ComboAdressEmail);
}

void FenCrystalRep::ChargerProviderDatabase() {
    connexion();
}

ResultatEtat FenCrystalRep::ImprimerEtat(QString& fichier, const QString& formule, const QString& titre,
                                         const QString& source, QWidget* proprietaire, const QString& filtre,
                                         const OptionsEtat& options) {
    try {
        Sablier(true);
        Load();
        const ResultatEtat r = ImprimerEtat2(fichier, formule, titre, source, filtre, options);
        // An unloaded viewer stays closed: showing it would only load it again, empty.
        if (r == ResultatEtat::Pret)
            ShowModal(proprietaire);
        return r;
    } catch (const std::exception& e) {
        Sablier(false);
        MajBase::SignalerErreur(QStringLiteral("ImprimerEtat"), e);
        return ResultatEtat::Abandonne;
    }
}

ResultatEtat FenCrystalRep::ImprimerEtat2(QString& fichier, const QString& formule, const QString& titre,
                                          const QString& source, const QString& filtre,
                                          const OptionsEtat& options) {
    Q_UNUSED(formule);
    try {
        return preparer(fichier, titre, source, filtre, options);
    } catch (const ErreurExecution& e) {
        MsgBox(QString::number(e.numero()) + QLatin1Char(' ') + e.description());
    } catch (const std::exception& e) {
        MsgBox(QStringLiteral("0 ") + QString::fromUtf8(e.what()));
    }
    Sablier(false);
    Unload();
    return ResultatEtat::Abandonne;
}

ResultatEtat FenCrystalRep::preparer(QString& fichier, const QString& titre, const QString& source,
                                     const QString& filtre, const OptionsEtat& options) {
    const EtatGlobal& g = Global();
    Load();
    vider();
    const bool francais = g.LangueCourante == QLatin1String("FR");
    const QString demande = fichier;
    if (!options.sansJumeau)
        fichier = ReportData::reportFile(g.CheminRapports, fichier, francais);
    ReportDefinition definition = ReportDefinition::load(g.CheminRapports, fichier);

    const FenCompteRendu::BoitesPeriode periode = FenCompteRendu::periode();
    ReportData::Request requete;
    requete.fileName = demande;
    requete.title = titre;
    requete.period = ReportData::periodLine(periode.TextDebut->text(), periode.TextFin->text(), francais);
    requete.source = source;
    requete.values = options.valeurs;
    requete.filter = filtre;
    requete.filterValues = options.valeursFiltre;
    requete.builder = options.constructeur;
    ReportData::Snapshot donnees = ReportData::read(connexion(), requete);
    fermerConnexion();

    if (donnees.outcome == ReportData::Snapshot::Outcome::NothingToPrint) {
        Sablier(false);
        Unload();
        return ResultatEtat::RienAImprimer;
    }
    if (donnees.outcome == ReportData::Snapshot::Outcome::EmptyReturns) {
        MsgBox(g.msg(27));
        Sablier(false);
        Unload();
        return ResultatEtat::Abandonne;
    }
    ReportDocument document = ReportEngine::layout(definition, donnees.tables);

    setWindowTitle(titre);
    m_titre = titre;
    m_definition = std::move(definition);
    m_tables = std::move(donnees.tables);
    m_document = std::move(document);
    Sablier(true);
    afficher();
    Sablier(false);
    return ResultatEtat::Pret;
}

ReportBuilders::Periode FenCrystalRep::periodeMenu(bool lireDrapeau) const {
    ReportBuilders::Periode p;
    if (lireDrapeau) {
        p.depuisCompteRendu = Global().EtatDepuisCompteRendu;
        // Without the flag the menu's texts are not the report's: they are not even read.
        if (!p.depuisCompteRendu)
            return p;
    }
    const FenCompteRendu::BoitesPeriode boites = FenCompteRendu::periode();
    p.debut = boites.TextDebut->text();
    p.fin = boites.TextFin->text();
    return p;
}

ReportData::Builder FenCrystalRep::CreerEtatCA(const QString& instruction, const QVariantList& valeurs) {
    return ReportBuilders::etatCA(periodeMenu(true), instruction, valeurs);
}

bool FenCrystalRep::CreerEtatConsoParCentreCout(const QString& fichier, QWidget* proprietaire,
                                                std::optional<ErreurExecution>* erreur) {
    static const QString Titre = QStringLiteral("ConsoParCentreCout");
    if (erreur)
        erreur->reset();
    try {
        Load();
        OptionsEtat options;
        options.sansJumeau = true;
        options.constructeur = ReportBuilders::consoParCentreCout(periodeMenu(false));
        Sablier(true);
        QString nom = fichier;
        if (preparer(nom, Titre, QStringLiteral("ConsoParMachineSecteur"), QString(), options) !=
            ResultatEtat::Pret)
            return false;
        ShowModal(proprietaire);
        return true;
    } catch (const std::exception& e) {
        MajBase::SignalerErreur(QStringLiteral("CreerEtatConsoParCentreCout"), e);
        if (erreur) {
            const auto* notre = dynamic_cast<const ErreurExecution*>(&e);
            erreur->emplace(notre ? *notre : ErreurExecution(0, QString::fromUtf8(e.what())));
        }
    }
    Sablier(false);
    Unload();
    return false;
}

bool FenCrystalRep::resumePeriode(const QString& procedure,
                                  bool (*resume)(Connexion&, const ReportBuilders::Periode&)) {
    bool lignes = false;
    try {
        ChargerProviderDatabase();
        lignes = resume(connexion(), periodeMenu(false));
    } catch (const std::exception& e) {
        // The connection could not be opened: the routine's own failures are logged where they happen.
        MajBase::SignalerErreur(procedure, e);
    }
    fermerConnexion();
    return lignes;
}

bool FenCrystalRep::CreerEtatSuiviParHeure() {
    return resumePeriode(QStringLiteral("CreerEtatSuiviParHeure"), &ReportBuilders::CreerEtatSuiviParHeure);
}

bool FenCrystalRep::CreerEtatCAparArticle() {
    return resumePeriode(QStringLiteral("CreerEtatCAparArticle"), &ReportBuilders::CreerEtatCAparArticle);
}

ReportData::Builder FenCrystalRep::CreerEtatRemplissageMach(int machine, int nombre, QString procedure,
                                                            std::function<bool(Connexion&)> travail) {
    return ReportBuilders::CreerEtatRemplissageMach(machine, nombre, std::move(procedure),
                                                    std::move(travail));
}

void FenCrystalRep::CreerImageRPT(const QString& dossier, const QString& reference) {
    try {
        ChargerProviderDatabase();
        ReportBuilders::CreerImageRPT(connexion(), dossier, reference);
    } catch (const std::exception& e) {
        // The connection could not be opened: the picture's own failures are logged where they happen.
        MajBase::SignalerErreur(QStringLiteral("CreerImageRPT"), e);
    }
    fermerConnexion();
}

void FenCrystalRep::signaler(const QString& procedure, const std::exception& e) {
    const auto* erreur = dynamic_cast<const ErreurExecution*>(&e);
    MsgBox(erreur ? QString::number(erreur->numero()) + QLatin1Char(' ') + erreur->description()
                  : QString::fromUtf8(e.what()),
           StyleMessage::OK | StyleMessage::Exclamation);
    MajBase::SignalerErreur(procedure, e);
}
