#include "staff/forms/FenSites.h"

#include "common/Conversions.h"
#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/MajBase.h"
#include "common/ServiceDialogue.h"
#include "common/forms/Calendrier.h"
#include "common/forms/Centrage.h"
#include "common/forms/IconeCalendrier.h"
#include "common/forms/Instance.h"
#include "common/forms/LigneGrille.h"
#include "db/Connexion.h"
#include "db/RecordsetModel.h"
#include "db/Routines.h"
#include "db/Valeurs.h"
#include "reports/forms/FenCompteRendu.h"
#include "reports/forms/FenCrystalRep.h"
#include "staff/Sites.h"

#include <QDate>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// Message-box style of the form's errors: Cancel, Try Again, Continue with the exclamation icon; the
// answer changes nothing.
constexpr int StyleErreur = StyleMessage::CancelTryContinue | StyleMessage::Exclamation;
const char* const FormatPeriode = "dd/MM/yyyy";

QTableView* grille(const QString& nom, RecordsetModel* modele, QWidget* parent) {
    auto* g = new QTableView(parent);
    g->setObjectName(nom);
    g->setModel(modele);
    g->setSelectionBehavior(QAbstractItemView::SelectRows);
    g->setSelectionMode(QAbstractItemView::SingleSelection);
    g->setEditTriggers(QAbstractItemView::NoEditTriggers);
    g->verticalHeader()->setDefaultSectionSize(g->fontMetrics().height() + 6);
    g->verticalHeader()->hide();
    g->horizontalHeader()->setStretchLastSection(true);
    return g;
}

QLineEdit* boite(const QString& nom, QWidget* parent) {
    auto* t = new QLineEdit(parent);
    t->setObjectName(nom);
    return t;
}

QLabel* etiquette(const QString& nom, const QString& texte, QWidget* parent) {
    auto* l = new QLabel(texte, parent);
    l->setObjectName(nom);
    return l;
}

// The caption and underline of a save button: "Enregistrer" underlined for a new row, else "Modifier".
void afficherMode(QPushButton* b, bool nouveau) {
    b->setText(Global().msg(nouveau ? 2 : 14));
    QFont f = b->font();
    f.setUnderline(nouveau);
    b->setFont(f);
}

} // namespace

FenSites::FenSites(QWidget* parent)
    : FormBase(QStringLiteral("FenSites"), parent, Qt::Dialog | Qt::WindowCloseButtonHint) {
    setWindowTitle(QStringLiteral("Sites et Services"));
    // Translated in Form_Activate, so that the save buttons keep the caption of their state.
    setTraductionActivation(false);

    SSFrame1 = new QGroupBox(QStringLiteral("Sites"), this);
    SSFrame1->setObjectName(QStringLiteral("SSFrame1"));
    m_modeleSites = new RecordsetModel(&data1, this);
    m_modeleSites->setColonnes(
        {QStringLiteral("NomSite"), QStringLiteral("Adresse"), QStringLiteral("Info")},
        {QStringLiteral("Nom "), QStringLiteral("Adresse"), QStringLiteral("Informations")});
    m_modeleSites->setGrille(objectName(), QStringLiteral("DataGrid2"));
    DataGrid2 = grille(QStringLiteral("DataGrid2"), m_modeleSites, SSFrame1);
    DataGrid2->setColumnWidth(0, 140);
    DataGrid2->setColumnWidth(1, 160);
    declarerLegendeGrille(DataGrid2->objectName(), SSFrame1);
    Label2 = etiquette(QStringLiteral("Label2"), QStringLiteral("Nom Site:"), SSFrame1);
    Text3 = boite(QStringLiteral("Text3"), SSFrame1);
    Label1 = etiquette(QStringLiteral("Label1"), QStringLiteral("adresse:"), SSFrame1);
    Text5 = boite(QStringLiteral("Text5"), SSFrame1);
    Label3 = etiquette(QStringLiteral("Label3"), QStringLiteral("Informations:"), SSFrame1);
    Text4 = boite(QStringLiteral("Text4"), SSFrame1);
    CommandAddSite = creerBouton(QStringLiteral("CommandAddSite"), QStringLiteral("Ajouter"), SSFrame1);
    CommandModifSite = creerBouton(QStringLiteral("CommandModifSite"), QStringLiteral("Modifer"), SSFrame1);
    CommandSuppSite = creerBouton(QStringLiteral("CommandSuppSite"), QStringLiteral("Supprimer"), SSFrame1);
    {
        auto* champs = new QGridLayout;
        champs->addWidget(Label2, 0, 0);
        champs->addWidget(Text3, 0, 1);
        champs->addWidget(Label1, 1, 0);
        champs->addWidget(Text5, 1, 1);
        champs->addWidget(Label3, 2, 0);
        champs->addWidget(Text4, 2, 1);
        champs->setColumnStretch(1, 1);
        auto* boutons = new QHBoxLayout;
        for (QPushButton* b : {CommandAddSite, CommandModifSite, CommandSuppSite})
            boutons->addWidget(b);
        auto* l = new QVBoxLayout(SSFrame1);
        l->addWidget(DataGrid2, 1);
        l->addLayout(champs);
        l->addLayout(boutons);
    }

    Services = new QGroupBox(QStringLiteral("Services"), this);
    Services->setObjectName(QStringLiteral("Services"));
    m_modeleServices = new RecordsetModel(&data2, this);
    m_modeleServices->setColonnes({QStringLiteral("NomService"), QStringLiteral("Info")},
                                  {QStringLiteral("Nom"), QStringLiteral("Informations")});
    m_modeleServices->setGrille(objectName(), QStringLiteral("DBGrid1"));
    DBGrid1 = grille(QStringLiteral("DBGrid1"), m_modeleServices, Services);
    DBGrid1->setColumnWidth(0, 160);
    declarerLegendeGrille(DBGrid1->objectName(), Services);
    Label4 = etiquette(QStringLiteral("Label4"), QStringLiteral("Nom service:"), Services);
    Text1 = boite(QStringLiteral("Text1"), Services);
    Label5 = etiquette(QStringLiteral("Label5"), QStringLiteral("Informations:"), Services);
    Text2 = boite(QStringLiteral("Text2"), Services);
    cmdAdd = creerBouton(QStringLiteral("cmdAdd"), QStringLiteral("Ajouter"), Services);
    CmdModifier = creerBouton(QStringLiteral("CmdModifier"), QStringLiteral("Modifer"), Services);
    CmdDel = creerBouton(QStringLiteral("CmdDel"), QStringLiteral("Supprimer"), Services);
    {
        auto* champs = new QGridLayout;
        champs->addWidget(Label4, 0, 0);
        champs->addWidget(Text1, 0, 1);
        champs->addWidget(Label5, 1, 0);
        champs->addWidget(Text2, 1, 1);
        champs->setColumnStretch(1, 1);
        auto* boutons = new QHBoxLayout;
        for (QPushButton* b : {cmdAdd, CmdModifier, CmdDel})
            boutons->addWidget(b);
        auto* l = new QVBoxLayout(Services);
        l->addWidget(DBGrid1, 1);
        l->addLayout(champs);
        l->addLayout(boutons);
    }
    for (auto [l, t] :
         {std::pair{Label2, Text3}, {Label1, Text5}, {Label3, Text4}, {Label4, Text1}, {Label5, Text2}})
        l->setBuddy(t);

    CmdConsoParSite =
        creerBouton(QStringLiteral("CmdConsoParSite"), QStringLiteral("Consommations par Sites"), this);
    CmdPeriode = new QToolButton(this);
    CmdPeriode->setObjectName(QStringLiteral("CmdPeriode"));
    CmdPeriode->setIcon(iconeCalendrier());
    CmdPeriode->setToolTip(QStringLiteral("Choisir la période"));
    cmdClose = creerBouton(QStringLiteral("cmdClose"), QStringLiteral("Fermer"), this);
    setBoutonAnnuler(cmdClose);
    for (QPushButton* b : findChildren<QPushButton*>())
        b->setMinimumWidth(80);
    CmdConsoParSite->setVisible(false);
    CmdPeriode->setVisible(false);

    auto* listes = new QHBoxLayout;
    listes->addWidget(SSFrame1, 3);
    listes->addWidget(Services, 2);
    auto* bas = new QHBoxLayout;
    bas->addWidget(CmdConsoParSite);
    bas->addWidget(CmdPeriode);
    bas->addStretch(1);
    bas->addWidget(cmdClose);
    auto* principal = new QVBoxLayout(this);
    principal->setContentsMargins(10, 10, 10, 10);
    principal->addLayout(listes, 1);
    principal->addLayout(bas);

    new LigneGrille(DataGrid2, &data1);
    new LigneGrille(DBGrid1, &data2);
    connect(&data1, &Recordset::MoveComplete, this, &FenSites::data1_MoveComplete);
    connect(&data2, &Recordset::MoveComplete, this, &FenSites::data2_MoveComplete);
    connect(CommandAddSite, &QPushButton::clicked, this, &FenSites::CommandAddSite_Click);
    connect(CommandModifSite, &QPushButton::clicked, this, &FenSites::CommandModifSite_Click);
    connect(CommandSuppSite, &QPushButton::clicked, this, &FenSites::CommandSuppSite_Click);
    connect(cmdAdd, &QPushButton::clicked, this, &FenSites::cmdAdd_Click);
    connect(CmdModifier, &QPushButton::clicked, this, &FenSites::CmdModifier_Click);
    connect(CmdDel, &QPushButton::clicked, this, &FenSites::CmdDel_Click);
    connect(CmdConsoParSite, &QPushButton::clicked, this, &FenSites::CmdConsoParSite_Click);
    connect(CmdPeriode, &QToolButton::clicked, this, &FenSites::CmdPeriode_Click);
    connect(cmdClose, &QPushButton::clicked, this, &FenSites::cmdClose_Click);
    resize(Conversions::twipsEnPixels(11700), Conversions::twipsEnPixels(6900));
}

void FenSites::Form_Load() {
    FonctionUtilitaires::CentrerFormEnHaut(this);
    m_nouveauSite = false;
    m_nouveauService = false;
    DebutPeriode.clear();
    FinPeriode.clear();
    data2.Close();
    try {
        data1.Open(connexion(), QStringLiteral("Sites"));
    } catch (const std::exception& e) {
        MajBase::SignalerErreur(QStringLiteral("Form_Load"), e);
        erreurSauvegarde(e);
        Unload();
    }
}

void FenSites::Form_Unload(bool& annuler) {
    Q_UNUSED(annuler);
    data2.Close();
    data1.Close();
}

void FenSites::Form_Activate() {
    traduireSiEtranger();
    Sablier(false);
    afficherModes();
    CmdConsoParSite->setVisible(Global().ClientOrmax);
    CmdPeriode->setVisible(Global().ClientOrmax);
}

void FenSites::Form_KeyUp(QKeyEvent* e) {
    // F12 has translated the form again.
    if (e->key() == Qt::Key_F12)
        afficherModes();
}

void FenSites::afficherModes() {
    if (m_nouveauSite)
        afficherMode(CommandModifSite, true);
    if (m_nouveauService)
        afficherMode(CmdModifier, true);
}

void FenSites::sortirModeNouveau(QPushButton* b, bool& nouveau) {
    nouveau = false;
    afficherMode(b, false);
}

void FenSites::data1_MoveComplete() {
    const bool ligne = data1.IsOpen() && data1.AbsolutePosition() >= 0;
    for (QWidget* w : {(QWidget*)cmdAdd, (QWidget*)CmdModifier, (QWidget*)CmdDel})
        w->setEnabled(ligne);
    if (ligne) {
        Text3->setText(Valeurs::lireTexte(data1.Field(QStringLiteral("NomSite"))));
        Text4->setText(Valeurs::lireTexte(data1.Field(QStringLiteral("Info"))));
        Text5->setText(Valeurs::lireTexte(data1.Field(QStringLiteral("Adresse"))));
    } else {
        Text3->clear();
        Text4->clear();
        Text5->clear();
    }
    AfficherServices();
}

void FenSites::data2_MoveComplete() {
    if (data2.IsOpen() && data2.AbsolutePosition() >= 0) {
        Text1->setText(Valeurs::lireTexte(data2.Field(QStringLiteral("NomService"))));
        Text2->setText(Valeurs::lireTexte(data2.Field(QStringLiteral("Info"))));
    } else {
        Text1->clear();
        Text2->clear();
    }
}

void FenSites::AfficherServices() {
    if (!data1.IsOpen() || data1.AbsolutePosition() < 0)
        return;
    try {
        if (Global().OptionLienSiteService) {
            const QVariant site = data1.Field(QStringLiteral("NoSite"));
            if (site.isNull())
                data2.Open(connexion(),
                           QStringLiteral("SELECT * FROM Services WHERE Site IS NULL ORDER BY NomService"),
                           {}, QStringLiteral("Services"));
            else
                data2.Open(connexion(),
                           QStringLiteral("SELECT * FROM Services WHERE Site = ? ORDER BY NomService"),
                           {Valeurs::lireEntier(site)}, QStringLiteral("Services"));
        } else {
            data2.Open(connexion(), QStringLiteral("Services order by NomService"));
        }
    } catch (const ErreurExecution& e) {
        MajBase::SignalerErreur(e.description(), e);
    } catch (const std::exception& e) {
        MajBase::SignalerErreur(QString::fromUtf8(e.what()), e);
    }
}

void FenSites::CommandAddSite_Click() {
    Text3->clear();
    Text4->clear();
    Text5->clear();
    Text3->setFocus();
    m_nouveauSite = true;
    afficherMode(CommandModifSite, true);
}

void FenSites::CommandModifSite_Click() {
    EnregistrerSite();
}

void FenSites::erreurSauvegarde(const std::exception& e) {
    const auto* erreur = dynamic_cast<const ErreurExecution*>(&e);
    MsgBox(erreur ? erreur->description() : QString::fromUtf8(e.what()),
           StyleMessage::OK | StyleMessage::Exclamation);
}

void FenSites::EnregistrerSite() {
    const bool nouveau = m_nouveauSite;
    sortirModeNouveau(CommandModifSite, m_nouveauSite);
    if (Text3->text().isEmpty())
        return;
    const QString nom = Text3->text();
    const QString info = Text4->text();
    const QString adresse = Text5->text();
    try {
        if (nouveau) {
            const std::optional<qint64> numero = Sites::AjouterSite(connexion(), nom, adresse, info);
            if (!numero) {
                MsgBox(QStringLiteral("Le Site ") + nom + Global().msg(30), StyleErreur,
                       QStringLiteral("Erreur"));
                Text3->clear();
                return;
            }
            data1.Requery();
            data1.Find(QStringLiteral("NoSite"), Recordset::Comparaison::Egal, *numero,
                       Recordset::Depart::Premier);
        } else {
            if (data1.AbsolutePosition() < 0)
                return;
            Sites::ModifierSite(connexion(), Valeurs::lireEntier(data1.Field(QStringLiteral("NoSite"))), nom,
                                adresse, info);
            // The same site stays current (found again by its number).
            data1.Requery();
        }
    } catch (const std::exception& e) {
        // Nothing was written; the boxes keep what was typed.
        erreurSauvegarde(e);
    }
}

void FenSites::cmdAdd_Click() {
    Text2->clear();
    Text1->clear();
    Text1->setFocus();
    m_nouveauService = true;
    afficherMode(CmdModifier, true);
}

void FenSites::CmdModifier_Click() {
    EnregistrerService();
}

void FenSites::EnregistrerService() {
    const bool nouveau = m_nouveauService;
    sortirModeNouveau(CmdModifier, m_nouveauService);
    if (Text1->text().isEmpty())
        return;
    const QString nom = Text1->text();
    const QString info = Text2->text();
    try {
        if (nouveau) {
            if (data1.AbsolutePosition() < 0)
                return;
            std::optional<qint64> site;
            if (Global().OptionLienSiteService)
                site = Valeurs::lireEntier(data1.Field(QStringLiteral("NoSite")));
            const std::optional<qint64> numero = Sites::AjouterService(connexion(), nom, info, site);
            if (!numero) {
                MsgBox(Global().msg(31) + nom + Global().msg(30), StyleErreur, QStringLiteral("Erreur"));
                Text1->clear();
                return;
            }
            data2.Requery();
            data2.Find(QStringLiteral("NoService"), Recordset::Comparaison::Egal, *numero,
                       Recordset::Depart::Premier);
        } else {
            if (!data2.IsOpen() || data2.AbsolutePosition() < 0)
                return;
            Sites::ModifierService(connexion(), Valeurs::lireEntier(data2.Field(QStringLiteral("NoService"))),
                                   nom, info);
            data2.Requery();
        }
    } catch (const std::exception& e) {
        erreurSauvegarde(e);
    }
}

void FenSites::suppressionRefusee() {
    MsgBox(QStringLiteral("Suppression non autorisé !"), StyleErreur, QStringLiteral("Erreur"));
}

void FenSites::CommandSuppSite_Click() {
    if (!data1.IsOpen() || data1.AbsolutePosition() < 0)
        return;
    try {
        Sites::SupprimerSite(connexion(), Valeurs::lireEntier(data1.Field(QStringLiteral("NoSite"))));
    } catch (const std::exception&) {
        suppressionRefusee();
    }
    try {
        data1.Requery();
    } catch (const std::exception&) {
        suppressionRefusee();
    }
}

void FenSites::CmdDel_Click() {
    if (!data2.IsOpen() || data2.AbsolutePosition() < 0)
        return;
    try {
        Sites::SupprimerService(connexion(), Valeurs::lireEntier(data2.Field(QStringLiteral("NoService"))));
    } catch (const std::exception&) {
        suppressionRefusee();
    }
    try {
        data2.Requery();
    } catch (const std::exception&) {
        suppressionRefusee();
    }
}

bool FenSites::CreerEtatCAparSite(Connexion& c, const std::function<void()>& lecture) {
    const QDate debut = QDate::fromString(DebutPeriode, QLatin1String(FormatPeriode));
    const QDate fin = QDate::fromString(FinPeriode, QLatin1String(FormatPeriode));
    // A period that is no period has no operations.
    if (!debut.isValid() || !fin.isValid() || fin < debut)
        return false;
    const QString site = data1.AbsolutePosition() >= 0
                             ? Valeurs::lireTexte(data1.Field(QStringLiteral("NomSite")))
                             : QString();
    const auto remplir = [&](Connexion& cx, const std::function<void()>& lire) {
        bool lignes = false;
        Routines::EtatCAsite(
            cx, QDateTime(debut, QTime(0, 0, 0)), QDateTime(fin, QTime(23, 59, 59)), site, [&] {
                lignes = Valeurs::lireEntier(cx.valeurUnique(QStringLiteral("SELECT COUNT(*) FROM CA"))) > 0;
                if (lignes)
                    lire();
            });
        return lignes;
    };
    return ReportData::logged(QStringLiteral("CreerEtatCAparSite"), remplir)(c, lecture);
}

void FenSites::CmdConsoParSite_Click() {
    if (DebutPeriode.isEmpty()) {
        const QDate aujourdhui = QDate::currentDate();
        DebutPeriode = QStringLiteral("01/01/") + QString::number(aujourdhui.year());
        FinPeriode = aujourdhui.toString(QLatin1String(FormatPeriode));
    }
    const FenCompteRendu::BoitesPeriode periode = FenCompteRendu::periode();
    periode.TextDebut->setText(DebutPeriode);
    periode.TextFin->setText(FinPeriode);
    Sablier(true);
    const QString nomSite = data1.AbsolutePosition() >= 0
                                ? Valeurs::lireTexte(data1.Field(QStringLiteral("NomSite")))
                                : QString();
    FenCrystalRep& viewer = Instance<FenCrystalRep>();
    viewer.Load();
    OptionsEtat options;
    options.constructeur = [this](Connexion& c, const std::function<void()>& lecture) {
        return CreerEtatCAparSite(c, lecture);
    };
    QString fichier = QStringLiteral("ConsParSite.RPT");
    const ResultatEtat resultat =
        viewer.ImprimerEtat2(fichier, QString(), QStringLiteral("Consommations du Site ") + nomSite,
                             QStringLiteral("CA"), QString(), options);
    Sablier(false);
    if (resultat == ResultatEtat::Pret)
        viewer.ShowModal(this);
    else if (resultat == ResultatEtat::RienAImprimer)
        MsgBox(Global().msg(27), StyleMessage::OK | StyleMessage::Exclamation);
    Sablier(false);
}

void FenSites::CmdPeriode_Click() {
    Instance<Calendrier>().ShowModal();
    DebutPeriode = Global().DateDebut.date().toString(QLatin1String(FormatPeriode));
    FinPeriode = Global().DateFin.date().toString(QLatin1String(FormatPeriode));
    CmdConsoParSite_Click();
}

void FenSites::cmdClose_Click() {
    Unload();
}
