#include "staff/forms/FenQuota.h"

#include "common/Conversions.h"
#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/MajBase.h"
#include "common/ServiceDialogue.h"
#include "common/forms/Centrage.h"
#include "common/forms/FiltreSaisie.h"
#include "common/forms/Instance.h"
#include "common/forms/LigneGrille.h"
#include "db/Connexion.h"
#include "db/RecordsetModel.h"
#include "db/Valeurs.h"
#include "staff/Profils.h"
#include "stock/forms/FrmStock.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

namespace {

// The form's design: 8670 twips high; 11890 wide, or 15495 with the time windows, whose block begins
// 12000 twips from the left edge.
constexpr int HauteurTwips = 8670;
constexpr int LargeurTwips = 11890;
constexpr int LargeurPlagesTwips = 15495;
constexpr int DebutPlagesTwips = 12000;
// The quota lines' designation column, and the room it keeps at least when captions are long.
constexpr int ColonneDesignation = 2;
constexpr int DesignationMinimum = 160;

QString texteErreur(const std::exception& e) {
    const auto* erreur = dynamic_cast<const ErreurExecution*>(&e);
    return erreur ? erreur->description() : QString::fromUtf8(e.what());
}

QTableView* grille(const QString& nom, RecordsetModel* modele, QWidget* parent) {
    auto* g = new QTableView(parent);
    g->setObjectName(nom);
    g->setModel(modele);
    g->setSelectionBehavior(QAbstractItemView::SelectRows);
    g->setSelectionMode(QAbstractItemView::SingleSelection);
    g->setEditTriggers(QAbstractItemView::NoEditTriggers);
    g->setSortingEnabled(false);
    g->verticalHeader()->setDefaultSectionSize(g->fontMetrics().height() + 6);
    g->verticalHeader()->hide();
    g->horizontalHeader()->setSectionsClickable(true);
    g->horizontalHeader()->setStretchLastSection(true);
    return g;
}

QLabel* legende(const QString& texte, QWidget* parent) {
    auto* l = new QLabel(texte, parent);
    l->setAlignment(Qt::AlignCenter);
    QFont gras = l->font();
    gras.setBold(true);
    l->setFont(gras);
    return l;
}

QLabel* etiquette(const QString& nom, const QString& texte, QWidget* parent) {
    auto* l = new QLabel(texte, parent);
    l->setObjectName(nom);
    return l;
}

QLineEdit* boiteQuantite(const QString& nom, QWidget* parent) {
    auto* t = new QLineEdit(parent);
    t->setObjectName(nom);
    t->setMaximumWidth(110);
    // Digits and blanks ("1 000"), typed or pasted.
    FiltreSaisie::installer(t, QStringLiteral(" "));
    return t;
}

} // namespace

FenQuota::FenQuota(QWidget* parent)
    : FormBase(QStringLiteral("FenQuota"), parent, Qt::Dialog | Qt::WindowCloseButtonHint) {
    setWindowTitle(QStringLiteral("Profils"));

    auto* zone = new QWidget(this);

    // The profile list and its buttons.
    auto* legendeProfils = legende(QStringLiteral("Liste des profils"), zone);
    m_modeleProfils = new RecordsetModel(&data1, this);
    m_modeleProfils->setColonnes({QStringLiteral("Profile")}, {QStringLiteral("Libellé")});
    m_modeleProfils->setGrille(objectName(), QStringLiteral("DataGrid1"));
    DataGrid1 = grille(QStringLiteral("DataGrid1"), m_modeleProfils, zone);
    declarerLegendeGrille(DataGrid1->objectName(), legendeProfils);
    CmdAddProfile = creerBouton(QStringLiteral("CmdAddProfile"), QStringLiteral("Ajouter Profil"), zone);
    Command3 = creerBouton(QStringLiteral("Command3"), QStringLiteral("Modifer le nom du profil"), zone);
    CmdDelProfile = creerBouton(QStringLiteral("CmdDelProfile"), QStringLiteral("Supprimer Profil"), zone);

    SSFrame1 = new QGroupBox(QStringLiteral("Profil"), zone);
    SSFrame1->setObjectName(QStringLiteral("SSFrame1"));
    Label2 = etiquette(QStringLiteral("Label2"), QStringLiteral("Libellé:"), SSFrame1);
    Text1 = new QLineEdit(SSFrame1);
    Text1->setObjectName(QStringLiteral("Text1"));
    Label2->setBuddy(Text1);
    Command1 = creerBouton(QStringLiteral("Command1"), QStringLiteral("OK"), SSFrame1);
    Command2 = creerBouton(QStringLiteral("Command2"), QStringLiteral("Annuler"), SSFrame1);
    {
        auto* l = new QGridLayout(SSFrame1);
        l->addWidget(Label2, 0, 0);
        l->addWidget(Text1, 0, 1, 1, 2);
        l->addWidget(Command1, 1, 1);
        l->addWidget(Command2, 1, 2);
    }
    SSFrame1->hide();

    auto* gauche = new QVBoxLayout;
    gauche->addWidget(legendeProfils);
    gauche->addWidget(DataGrid1, 1);
    for (QPushButton* b : {CmdAddProfile, Command3, CmdDelProfile})
        gauche->addWidget(b);
    gauche->addWidget(SSFrame1);

    // The quota lines of the current profile.
    auto* legendeDetail = legende(QStringLiteral("Détail Quotas"), zone);
    m_modeleDetail = new RecordsetModel(&data2, this);
    m_modeleDetail->setColonnes(
        {QStringLiteral("RefArticle"), QStringLiteral("CodeArticle"), QStringLiteral("Designation"),
         QStringLiteral("Taille"), QStringLiteral("QtePermise"), QStringLiteral("Periodicite")},
        {QStringLiteral("Réf. Article"), QStringLiteral("Code Article"), QStringLiteral("Désignation"),
         QStringLiteral("Taille"), QStringLiteral("Qté Permise"), QStringLiteral("Périodicité")});
    m_modeleDetail->setGrille(objectName(), QStringLiteral("DBGrid2"));
    DBGrid2 = grille(QStringLiteral("DBGrid2"), m_modeleDetail, zone);
    declarerLegendeGrille(DBGrid2->objectName(), legendeDetail);
    {
        QHeaderView* entete = DBGrid2->horizontalHeader();
        entete->setStretchLastSection(false);
        entete->setSectionResizeMode(QHeaderView::Interactive);
        entete->setSectionResizeMode(ColonneDesignation, QHeaderView::Stretch);
        // Long captions (other languages) wrap on two lines rather than squeeze the designation.
        entete->setDefaultAlignment(Qt::Alignment::fromInt(Qt::AlignCenter | Qt::TextWordWrap));
        entete->setFixedHeight(2 * entete->fontMetrics().lineSpacing() + 8);
        const auto ajuster = [this] { ajusterColonnesDetail(); };
        connect(m_modeleDetail, &QAbstractItemModel::modelReset, this, ajuster);
        connect(m_modeleDetail, &QAbstractItemModel::layoutChanged, this, ajuster);
        connect(m_modeleDetail, &QAbstractItemModel::headerDataChanged, this, ajuster);
        connect(m_modeleDetail, &QAbstractItemModel::rowsInserted, this, ajuster);
        connect(m_modeleDetail, &QAbstractItemModel::dataChanged, this, ajuster);
    }

    SSFrame2 = new QGroupBox(QStringLiteral("Détail Quotas"), zone);
    SSFrame2->setObjectName(QStringLiteral("SSFrame2"));
    LabelRefArticle = etiquette(QStringLiteral("LabelRefArticle"), QString(), SSFrame2);
    LabelDesignation = etiquette(QStringLiteral("LabelDesignation"), QString(), SSFrame2);
    LabelTaille = etiquette(QStringLiteral("LabelTaille"), QString(), SSFrame2);
    Label5 = etiquette(QStringLiteral("Label5"), QStringLiteral("Quota:"), SSFrame2);
    Text2 = boiteQuantite(QStringLiteral("Text2"), SSFrame2);
    Label6 = etiquette(QStringLiteral("Label6"), QStringLiteral("Périodicité (Nb jours):"), SSFrame2);
    Text3 = boiteQuantite(QStringLiteral("Text3"), SSFrame2);
    Label5->setBuddy(Text2);
    Label6->setBuddy(Text3);
    {
        auto* l = new QGridLayout(SSFrame2);
        l->addWidget(LabelRefArticle, 0, 0);
        l->addWidget(LabelDesignation, 0, 1, 1, 2);
        l->addWidget(LabelTaille, 0, 3);
        l->addWidget(Label5, 1, 0);
        l->addWidget(Text2, 1, 1);
        l->addWidget(Label6, 1, 2, Qt::AlignRight);
        l->addWidget(Text3, 1, 3);
        l->setColumnStretch(1, 1);
    }
    CmdAddArticle = creerBouton(QStringLiteral("CmdAddArticle"), QStringLiteral("Ajout d'article"), zone);
    CmdDelArticle =
        creerBouton(QStringLiteral("CmdDelArticle"), QStringLiteral("Suppression d'article"), zone);
    cmdClose = creerBouton(QStringLiteral("cmdClose"), QStringLiteral("Fermer"), zone);
    setBoutonAnnuler(cmdClose);

    auto* boutons = new QHBoxLayout;
    boutons->addWidget(CmdAddArticle);
    boutons->addWidget(CmdDelArticle);
    boutons->addStretch(1);
    boutons->addWidget(cmdClose);
    auto* droite = new QVBoxLayout;
    droite->addWidget(legendeDetail);
    droite->addWidget(DBGrid2, 1);
    droite->addWidget(SSFrame2);
    droite->addLayout(boutons);

    auto* principal = new QHBoxLayout(zone);
    principal->setContentsMargins(10, 10, 10, 10);
    principal->addLayout(gauche, 1);
    principal->addLayout(droite, 2);
    zone->setGeometry(0, 0, Conversions::twipsEnPixels(LargeurTwips),
                      Conversions::twipsEnPixels(HauteurTwips));

    construireBlocPlages();
    BlocPlageHoraire->move(Conversions::twipsEnPixels(DebutPlagesTwips), 0);
    for (QPushButton* b : findChildren<QPushButton*>())
        b->setMinimumWidth(80);

    new LigneGrille(DataGrid1, &data1);
    // What was typed for the quota line left goes to it first.
    (new LigneGrille(DBGrid2, &data2))->setChoix([this](int ligne) {
        ecrireBoites();
        data2.MoveTo(ligne);
    });
    // A header click sorts the list by that column, ascending.
    connect(DataGrid1->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int c) {
        if (data1.IsOpen())
            data1.Sort(m_modeleProfils->champ(c));
    });
    connect(DBGrid2->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int c) {
        if (!data2.IsOpen())
            return;
        ecrireBoites();
        data2.Sort(m_modeleDetail->champ(c));
    });
    connect(&data1, &Recordset::MoveComplete, this, &FenQuota::data1_MoveComplete);
    connect(&data2, &Recordset::MoveComplete, this, &FenQuota::data2_MoveComplete);
    connect(Text2, &QLineEdit::textChanged, this, [this] {
        if (!m_remplissageBoites)
            m_text2Modifie = true;
    });
    connect(Text3, &QLineEdit::textChanged, this, [this] {
        if (!m_remplissageBoites)
            m_text3Modifie = true;
    });
    connect(CmdAddProfile, &QPushButton::clicked, this, &FenQuota::CmdAddProfile_Click);
    connect(Command3, &QPushButton::clicked, this, &FenQuota::Command3_Click);
    connect(CmdDelProfile, &QPushButton::clicked, this, &FenQuota::CmdDelProfile_Click);
    connect(Command1, &QPushButton::clicked, this, &FenQuota::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &FenQuota::Command2_Click);
    connect(CmdAddArticle, &QPushButton::clicked, this, &FenQuota::CmdAddArticle_Click);
    connect(CmdDelArticle, &QPushButton::clicked, this, &FenQuota::CmdDelArticle_Click);
    connect(cmdClose, &QPushButton::clicked, this, &FenQuota::cmdClose_Click);
    connect(Command4, &QPushButton::clicked, this, &FenQuota::Command4_Click);
    dimensionner();
}

void FenQuota::ajusterColonnesDetail() {
    QHeaderView* entete = DBGrid2->horizontalHeader();
    const QFontMetrics fm(entete->font());
    constexpr int Marge = 14;
    const int n = m_modeleDetail->columnCount();
    // Each column but the designation as wide as its widest cell and its caption on one line; when that
    // leaves the designation too little, as wide as the caption's longest word.
    QList<int> entiere(n, 0), mot(n, 0);
    int totalEntiere = 0;
    for (int c = 0; c < n; ++c) {
        if (c == ColonneDesignation)
            continue;
        const QString legende = m_modeleDetail->headerData(c, Qt::Horizontal).toString();
        const int cellules = static_cast<QAbstractItemView*>(DBGrid2)->sizeHintForColumn(c);
        entiere[c] = std::max(cellules, fm.horizontalAdvance(legende) + Marge);
        for (const QString& m : legende.split(u' ', Qt::SkipEmptyParts))
            mot[c] = std::max(mot[c], fm.horizontalAdvance(m) + Marge);
        mot[c] = std::max(mot[c], cellules);
        totalEntiere += entiere[c];
    }
    const bool court = DBGrid2->viewport()->width() - totalEntiere < DesignationMinimum;
    for (int c = 0; c < n; ++c)
        if (c != ColonneDesignation)
            entete->resizeSection(c, court ? mot[c] : entiere[c]);
}

void FenQuota::dimensionner() {
    const int largeur =
        Conversions::twipsEnPixels(Global().OptionPlageHoraire ? LargeurPlagesTwips : LargeurTwips);
    setFixedSize(largeur, Conversions::twipsEnPixels(HauteurTwips));
}

void FenQuota::Form_Load() {
    dimensionner();
    FonctionUtilitaires::CentrerFormEnHaut(this);
    Global().FenQuotaOuverte = true;
    RenommageProfil = false;
    SSFrame1->hide();
    m_ligneBoites = -1;
    m_text2Modifie = m_text3Modifie = false;
    data2.Close();
    try {
        // Opening moves to the first profile, whose detail then shows.
        data1.Open(connexion(), QStringLiteral("SELECT * FROM ProfileQuota ORDER BY NoQuota"), {},
                   QStringLiteral("ProfileQuota"), {QStringLiteral("NoQuota")});
    } catch (const std::exception& e) {
        MajBase::SignalerErreur(QStringLiteral("Form_Load"), e);
        MsgBox(texteErreur(e), StyleMessage::OK | StyleMessage::Exclamation);
    }
}

void FenQuota::Form_Activate() {
    Global().FenQuotaOuverte = true;
    Sablier(false);
    Command4->setEnabled(false);
    ajusterColonnesDetail();
}

void FenQuota::Form_Unload(bool& annuler) {
    Q_UNUSED(annuler);
    ecrireBoites();
    // The article form is never left in its picking mode.
    remettreArticleEnGrille();
    Global().FenQuotaOuverte = false;
    data2.Close();
    data1.Close();
}

void FenQuota::Form_KeyPress(QObject* controle, int& KeyAscii) {
    // Profile names are typed in upper case (a pasted text stays as it is).
    if (controle == Text1 && KeyAscii > 32 && KeyAscii < 0x10000)
        KeyAscii = QChar(KeyAscii).toUpper().unicode();
}

bool FenQuota::profilCourant(qint64* noQuota) const {
    if (!data1.IsOpen() || data1.AbsolutePosition() < 0)
        return false;
    const QVariant v = data1.Field(QStringLiteral("NoQuota"));
    if (v.isNull())
        return false;
    *noQuota = Valeurs::lireEntier(v);
    return true;
}

void FenQuota::data1_MoveComplete() {
    SSFrame1->hide();
    AfficherDetailQuota();
}

void FenQuota::AfficherDetailQuota() {
    if (!connexionOuverte())
        return;
    try {
        // What was typed for the line shown goes to it before the detail is read again.
        ecrireBoites();
        qint64 noQuota = 0;
        if (profilCourant(&noQuota))
            data2.Open(connexion(), QLatin1String(Profils::SqlDetailQuota), {noQuota},
                       QStringLiteral("Quota"), {QStringLiteral("NoLigne")});
        else
            data2.Close();
        if (Global().OptionPlageHoraire)
            AfficherPlageHoraire();
    } catch (const std::exception& e) {
        // The windows are then not reloaded.
        MajBase::SignalerErreur(texteErreur(e), e);
    }
}

void FenQuota::data2_MoveComplete() {
    afficherBoites();
}

void FenQuota::afficherBoites() {
    const bool ligne = data2.IsOpen() && data2.AbsolutePosition() >= 0;
    auto texte = [&](const char* champ) {
        return ligne ? Valeurs::lireTexte(data2.Field(QLatin1String(champ))) : QString();
    };
    m_remplissageBoites = true;
    LabelRefArticle->setText(texte("RefArticle"));
    LabelDesignation->setText(texte("Designation"));
    LabelTaille->setText(texte("Taille"));
    Text2->setText(texte("QtePermise"));
    Text3->setText(texte("Periodicite"));
    m_remplissageBoites = false;
    m_text2Modifie = m_text3Modifie = false;
    m_ligneBoites = ligne ? Valeurs::lireEntier(data2.Field(QStringLiteral("NoLigne"))) : -1;
}

void FenQuota::ecrireBoites() {
    if (!m_text2Modifie && !m_text3Modifie)
        return;
    const bool modifie2 = m_text2Modifie;
    const bool modifie3 = m_text3Modifie;
    m_text2Modifie = m_text3Modifie = false;
    if (m_ligneBoites < 0 || !data2.IsOpen() || data2.AbsolutePosition() < 0 ||
        Valeurs::lireEntier(data2.Field(QStringLiteral("NoLigne"))) != m_ligneBoites)
        return;
    m_remplissageBoites = true;
    try {
        for (auto [modifie, boite, champ] : {std::tuple{modifie2, Text2, QStringLiteral("QtePermise")},
                                             std::tuple{modifie3, Text3, QStringLiteral("Periodicite")}}) {
            if (!modifie)
                continue;
            const Profils::Quantite q = Profils::LireQuantite(boite->text());
            if (q.etat == Profils::Quantite::Etat::Valide) {
                data2.SetField(champ, q.valeur);
                continue;
            }
            // Not written: the box shows the stored value again.
            if (q.etat == Profils::Quantite::Etat::TropGrande)
                MsgBox(Global().msg(37), StyleMessage::OK | StyleMessage::Exclamation);
            boite->setText(Valeurs::lireTexte(data2.Field(champ)));
        }
        if (data2.EditMode())
            data2.Update();
    } catch (const std::exception& e) {
        if (data2.EditMode())
            data2.CancelUpdate();
        Text2->setText(Valeurs::lireTexte(data2.Field(QStringLiteral("QtePermise"))));
        Text3->setText(Valeurs::lireTexte(data2.Field(QStringLiteral("Periodicite"))));
        MsgBox(texteErreur(e), StyleMessage::OK | StyleMessage::Exclamation);
    }
    m_remplissageBoites = false;
}

void FenQuota::CmdAddProfile_Click() {
    RenommageProfil = false;
    SSFrame1->show();
    Text1->setFocus();
    Text1->clear();
}

void FenQuota::Command3_Click() {
    qint64 noQuota = 0;
    if (!profilCourant(&noQuota) || noQuota == Global().NoProfilIllimite)
        return;
    SSFrame1->show();
    Text1->setText(Valeurs::lireTexte(data1.Field(QStringLiteral("Profile"))));
    Text1->setFocus();
    RenommageProfil = true;
}

void FenQuota::Command2_Click() {
    SSFrame1->hide();
}

void FenQuota::Command1_Click() {
    const QString nom = Text1->text();
    try {
        qint64 numero = 0;
        if (!RenommageProfil) {
            const std::optional<qint64> cree = Profils::AjouterProfil(connexion(), nom);
            if (!cree) {
                MsgBox(Global().msg(13), StyleMessage::OK | StyleMessage::Critique);
                return;
            }
            numero = *cree;
        } else {
            if (!profilCourant(&numero))
                return;
            if (!Profils::RenommerProfil(connexion(), numero, nom)) {
                MsgBox(Global().msg(13), StyleMessage::OK | StyleMessage::Critique);
                return;
            }
        }
        data1.Requery();
        // Moving hides the frame and shows the profile's detail.
        if (!data1.Find(QStringLiteral("NoQuota"), Recordset::Comparaison::Egal, numero,
                        Recordset::Depart::Premier))
            data1.MoveFirst();
    } catch (const std::exception& e) {
        // Nothing was written; the frame stays open.
        MsgBox(texteErreur(e), StyleMessage::OK);
    }
}

ResultatProfilSalarie FenQuota::AjoutProfileSalarie(const QString& nom) {
    ResultatProfilSalarie r;
    if (!estCharge())
        Load();
    try {
        const std::optional<qint64> cree = Profils::AjouterProfil(connexion(), nom);
        if (!cree) {
            r.issue = ResultatProfilSalarie::Issue::Refuse;
            return r;
        }
        r.issue = ResultatProfilSalarie::Issue::Cree;
        r.noQuota = *cree;
    } catch (const std::exception& e) {
        r.description = texteErreur(e);
        return r;
    }
    try {
        // The new profile becomes current, its empty detail shown.
        if (data1.IsOpen())
            data1.Requery();
        else
            data1.Open(connexion(), QStringLiteral("SELECT * FROM ProfileQuota ORDER BY NoQuota"), {},
                       QStringLiteral("ProfileQuota"), {QStringLiteral("NoQuota")});
        data1.Find(QStringLiteral("NoQuota"), Recordset::Comparaison::Egal, r.noQuota,
                   Recordset::Depart::Premier);
    } catch (const std::exception& e) {
        MajBase::SignalerErreur(QStringLiteral("AjoutProfileSalarie"), e);
    }
    return r;
}

void FenQuota::CmdDelProfile_Click() {
    if (DepuisFicheSalarie)
        return;
    qint64 noQuota = 0;
    if (!profilCourant(&noQuota))
        return;
    const EtatGlobal& g = Global();
    constexpr int StyleErreur = StyleMessage::OKCancel | StyleMessage::Exclamation;
    if (noQuota == g.NoProfilIllimite) {
        MsgBox(g.msg(38), StyleErreur, QStringLiteral("Erreur"));
        return;
    }
    const QString nom = Valeurs::lireTexte(data1.Field(QStringLiteral("Profile"))).trimmed();
    if (MsgBox(g.msg(24) + nom + QStringLiteral(" !"), StyleMessage::YesNo | StyleMessage::Exclamation,
               g.msg(22)) != Reponse::Oui)
        return;
    try {
        if (!Profils::SupprimerProfil(connexion(), noQuota))
            MsgBox(g.msg(19), StyleErreur, QStringLiteral("Erreur"));
    } catch (const std::exception& e) {
        MajBase::SignalerErreur(QStringLiteral("CmdDelProfile_Click"), e);
    }
    try {
        data1.Requery();
    } catch (const std::exception& e) {
        MajBase::SignalerErreur(QStringLiteral("CmdDelProfile_Click"), e);
    }
}

void FenQuota::CmdAddArticle_Click() {
    EtatGlobal& g = Global();
    g.ConfigMachineOuverte = false;
    ReferenceChoisie = 0;
    qint64 noQuota = 0;
    if (!profilCourant(&noQuota) || noQuota == g.NoProfilIllimite || noQuota == g.NoProfilChef)
        return;
    ecrireBoites();
    try {
        const ChoixArticle choix = Instance<FrmStock>().ChoisirArticle(this, {false, true});
        if (choix.nature == ChoixArticle::Nature::Article)
            ReferenceChoisie = static_cast<double>(choix.reference);
        if (ReferenceChoisie == 0)
            return;
        const std::optional<qint64> ligne =
            Profils::AjouterLigneQuota(connexion(), noQuota, static_cast<qint64>(ReferenceChoisie));
        if (!ligne)
            return; // the article is already a line of the profile
        data2.Requery();
        data2.Find(QStringLiteral("NoLigne"), Recordset::Comparaison::Egal, *ligne,
                   Recordset::Depart::Premier);
    } catch (const std::exception& e) {
        MajBase::SignalerErreur(QStringLiteral("CmdAddArticle_Click"), e);
    }
}

void FenQuota::CmdDelArticle_Click() {
    const EtatGlobal& g = Global();
    const bool ligne = data2.IsOpen() && data2.AbsolutePosition() >= 0;
    const QString reference =
        ligne ? Valeurs::lireTexte(data2.Field(QStringLiteral("RefArticle"))) : QString();
    if (MsgBox(g.msg(24) + reference + QStringLiteral(" !"), StyleMessage::YesNo | StyleMessage::Exclamation,
               g.msg(22)) != Reponse::Oui)
        return;
    if (!ligne)
        return;
    // What was typed for the deleted line goes with it.
    m_text2Modifie = m_text3Modifie = false;
    try {
        Profils::SupprimerLigneQuota(connexion(),
                                     Valeurs::lireEntier(data2.Field(QStringLiteral("NoLigne"))));
    } catch (const std::exception& e) {
        MajBase::SignalerErreur(QStringLiteral("CmdDelArticle_Click"), e);
    }
    try {
        data2.Requery();
    } catch (const std::exception& e) {
        MajBase::SignalerErreur(QStringLiteral("CmdDelArticle_Click"), e);
    }
}

void FenQuota::remettreArticleEnGrille() {
    if (FrmStock* stock = InstanceExistante<FrmStock>()) {
        stock->Hide();
        stock->DBGridStockVisible();
    }
}

void FenQuota::cmdClose_Click() {
    ecrireBoites();
    remettreArticleEnGrille();
    Hide();
    if (DepuisFicheSalarie)
        emit fermee();
}
