#include "staff/forms/FenBadgeMaintenance.h"

#include "common/Conversions.h"
#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/MajBase.h"
#include "common/ServiceDialogue.h"
#include "common/forms/Centrage.h"
#include "common/forms/FiltreSaisie.h"
#include "common/forms/LigneGrille.h"
#include "common/forms/LongueurSaisie.h"
#include "db/RecordsetModel.h"
#include "db/Valeurs.h"
#include "staff/ACR120U.h"
#include "staff/BadgesMaintenance.h"
#include "staff/EuroKey.h"

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

namespace {

constexpr int LecteurSerie = 2;
constexpr int CodeBarre = 3;
constexpr int LecteurSansContact = 6;
// Typed bar-code numbers: the body of 12 digits, the check digit comes with the add.
constexpr int LongueurCorps = 12;

} // namespace

FenBadgeMaintenance::FenBadgeMaintenance(QWidget* parent)
    : FormBase(QStringLiteral("FenBadgeMaintenance"), parent, Qt::Dialog | Qt::WindowCloseButtonHint) {
    setWindowTitle(QStringLiteral("Badges de maintenances"));

    LegendeDBGrid1 = new QLabel(QStringLiteral("Badges de maintenances"), this);
    LegendeDBGrid1->setAlignment(Qt::AlignCenter);
    QFont gras = LegendeDBGrid1->font();
    gras.setBold(true);
    LegendeDBGrid1->setFont(gras);
    m_modele = new RecordsetModel(&data2, this);
    m_modele->setColonnes({QStringLiteral("NoBadge")}, {QStringLiteral("N° de Badge")});
    m_modele->setFormat(0, RecordsetModel::Format::Texte);
    m_modele->setGrille(objectName(), QStringLiteral("DBGrid1"));
    DBGrid1 = new QTableView(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setModel(m_modele);
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->verticalHeader()->setDefaultSectionSize(DBGrid1->fontMetrics().height() + 6);
    DBGrid1->verticalHeader()->hide();
    DBGrid1->horizontalHeader()->setStretchLastSection(true);
    declarerLegendeGrille(DBGrid1->objectName(), LegendeDBGrid1);

    Frame1 = new QGroupBox(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Label2 = new QLabel(QStringLiteral("N° Badge:"), Frame1);
    Label2->setObjectName(QStringLiteral("Label2"));
    Text2 = new QLineEdit(Frame1);
    Text2->setObjectName(QStringLiteral("Text2"));
    Label2->setBuddy(Text2);
    Command1 = new QPushButton(Frame1);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setAutoDefault(false);
    Command1->setIcon(style()->standardIcon(QStyle::SP_DriveNetIcon));
    Command1->setIconSize(QSize(24, 24));
    Command1->setFixedSize(36, 32);
    Command1->setToolTip(QStringLiteral("Lire un badge"));
    {
        auto* l = new QHBoxLayout(Frame1);
        l->addWidget(Label2);
        l->addWidget(Text2, 1);
        l->addWidget(Command1);
    }

    cmdAdd = creerBouton(QStringLiteral("cmdAdd"), QStringLiteral("Ajouter"));
    CmdModif = creerBouton(QStringLiteral("CmdModif"), QStringLiteral("Modifier"));
    cmdDelete = creerBouton(QStringLiteral("cmdDelete"), QStringLiteral("Supprimer"));
    cmdClose = creerBouton(QStringLiteral("cmdClose"), QStringLiteral("Fermer"));
    setBoutonAnnuler(cmdClose);
    for (QPushButton* b : {cmdAdd, CmdModif, cmdDelete, cmdClose})
        b->setMinimumWidth(90);

    auto* liste = new QVBoxLayout;
    liste->setSpacing(2);
    liste->addWidget(LegendeDBGrid1);
    liste->addWidget(DBGrid1, 1);
    auto* boutons = new QHBoxLayout;
    for (QPushButton* b : {cmdAdd, CmdModif, cmdDelete})
        boutons->addWidget(b);
    auto* fermer = new QHBoxLayout;
    fermer->addStretch(1);
    fermer->addWidget(cmdClose);
    auto* droite = new QVBoxLayout;
    droite->addWidget(Frame1);
    droite->addLayout(boutons);
    droite->addStretch(1);
    droite->addLayout(fermer);
    auto* principal = new QHBoxLayout(this);
    principal->setContentsMargins(10, 10, 10, 10);
    principal->addLayout(liste, 1);
    principal->addSpacing(10);
    principal->addLayout(droite, 1);

    new LigneGrille(DBGrid1, &data2);
    connect(&data2, &Recordset::MoveComplete, this, &FenBadgeMaintenance::data2_MoveComplete);
    connect(cmdAdd, &QPushButton::clicked, this, &FenBadgeMaintenance::cmdAdd_Click);
    connect(CmdModif, &QPushButton::clicked, this, &FenBadgeMaintenance::CmdModif_Click);
    connect(cmdDelete, &QPushButton::clicked, this, &FenBadgeMaintenance::cmdDelete_Click);
    connect(Command1, &QPushButton::clicked, this, &FenBadgeMaintenance::Command1_Click);
    connect(cmdClose, &QPushButton::clicked, this, &FenBadgeMaintenance::cmdClose_Click);
    resize(Conversions::twipsEnPixels(9870), Conversions::twipsEnPixels(3495));
}

void FenBadgeMaintenance::Form_Load() {
    setWindowIcon(QApplication::windowIcon());
    reglerSaisie();
    Text2->clear();
    resize(Conversions::twipsEnPixels(9870), Conversions::twipsEnPixels(3495));
    FonctionUtilitaires::CentrerFormEnHaut(this);
    try {
        data2.Open(connexion(), QStringLiteral("BadgeMaintenance order by Id"));
    } catch (const std::exception& e) {
        montrerErreur("Form_Load", e);
        Unload();
    }
}

void FenBadgeMaintenance::Form_Unload(bool& annuler) {
    Q_UNUSED(annuler);
    data2.Close();
}

void FenBadgeMaintenance::Form_Activate() {
    Sablier(false);
}

void FenBadgeMaintenance::reglerSaisie() {
    const bool codeBarre = Global().TypeLecteurBadge == CodeBarre;
    // Never setMaxLength: a stored 13-digit number shown in the box must stay whole, or "Modifier"
    // would take it for a typed one.
    LongueurSaisie::installer(Text2, codeBarre ? LongueurCorps : 0);
    // Numbers of the other readers hold letters.
    if (codeBarre && !FiltreSaisie::estInstalle(Text2))
        FiltreSaisie::installer(Text2);
    else if (!codeBarre)
        FiltreSaisie::retirer(Text2);
}

void FenBadgeMaintenance::data2_MoveComplete() {
    const int position = data2.IsOpen() ? data2.AbsolutePosition() : -1;
    if (position < 0)
        return;
    const QVariant badge = data2.Field(QStringLiteral("NoBadge"));
    if (!m_garderBoite && !badge.isNull())
        Text2->setText(Valeurs::lireTexte(badge));
}

void FenBadgeMaintenance::montrerErreur(const char* procedure, const std::exception& e) {
    MajBase::SignalerErreur(QLatin1String(procedure), e);
    const auto* erreur = dynamic_cast<const ErreurExecution*>(&e);
    MsgBox(erreur ? erreur->description() : QString::fromUtf8(e.what()),
           StyleMessage::OK | StyleMessage::Exclamation, QStringLiteral("Erreur"));
}

void FenBadgeMaintenance::cmdAdd_Click() {
    const auto numero = BadgesMaintenance::NumeroDeLaBoite(Text2->text(), Global().TypeLecteurBadge);
    if (!numero)
        return;
    BadgesMaintenance::Resultat resultat;
    try {
        resultat = BadgesMaintenance::AjouterBadge(connexion(), numero->badge);
    } catch (const std::exception& e) {
        montrerErreur("cmdAdd_Click", e);
        return;
    }
    Text2->setText(numero->texte);
    switch (resultat) {
    case BadgesMaintenance::Resultat::DejaMaintenance:
        Text2->clear();
        Text2->setFocus();
        return;
    case BadgesMaintenance::Resultat::BadgeSalarie:
        MsgBox(Global().msg(16), StyleMessage::OKCancel | StyleMessage::Exclamation,
               QStringLiteral("Erreur"));
        return;
    case BadgesMaintenance::Resultat::Enregistre:
        break;
    }
    m_garderBoite = true;
    try {
        data2.Requery();
    } catch (const std::exception& e) {
        montrerErreur("cmdAdd_Click", e);
    }
    m_garderBoite = false;
}

void FenBadgeMaintenance::CmdModif_Click() {
    if (!data2.IsOpen() || data2.AbsolutePosition() < 0)
        return;
    const int type = Global().TypeLecteurBadge;
    const QString texte = Text2->text();
    // A bar-code number of 13 characters is a stored one shown as it is: the row keeps it.
    if (type == CodeBarre && texte.size() > LongueurCorps)
        return;
    const auto numero = BadgesMaintenance::NumeroDeLaBoite(texte, type);
    if (!numero)
        return;
    BadgesMaintenance::Resultat resultat;
    try {
        resultat = BadgesMaintenance::ModifierBadge(connexion(), data2, numero->badge);
    } catch (const std::exception& e) {
        montrerErreur("CmdModif_Click", e);
        return;
    }
    Text2->setText(numero->texte);
    if (resultat == BadgesMaintenance::Resultat::DejaMaintenance) {
        Text2->clear();
        Text2->setFocus();
    } else if (resultat == BadgesMaintenance::Resultat::BadgeSalarie) {
        MsgBox(Global().msg(16), StyleMessage::OKCancel | StyleMessage::Exclamation,
               QStringLiteral("Erreur"));
    }
}

void FenBadgeMaintenance::cmdDelete_Click() {
    if (!data2.IsOpen() || data2.AbsolutePosition() < 0)
        return;
    const QString badge = Valeurs::lireTexte(data2.Field(QStringLiteral("NoBadge")));
    if (MsgBox(Global().msg(24) + badge + QStringLiteral(" !"), StyleMessage::YesNo, Global().msg(22)) !=
        Reponse::Oui)
        return;
    // A refused delete leaves the row, without a word.
    try {
        data2.Delete();
        if (data2.IsEOF() && data2.RecordCount() > 0)
            data2.MoveLast();
    } catch (const std::exception&) {
    }
}

void FenBadgeMaintenance::Command1_Click() {
    QString badge;
    switch (Global().TypeLecteurBadge) {
    case LecteurSerie:
        try {
            badge = EuroKey::LireBadgeEuroKey();
        } catch (const std::exception& e) {
            montrerErreur("Command1_Click", e);
            return;
        }
        if (badge == QLatin1String("ERREUR"))
            return;
        break;
    case LecteurSansContact: {
        // The main window keeps the reader open for the counter's polling: read through it and leave
        // it open. Only a reader opened here is closed here.
        const bool ouvert = ACR120U::EstOuvert();
        if (ouvert) {
            badge = ACR120U::LireTagACR120();
        } else if (ACR120U::OuvrirACR120() == QLatin1String("OK")) {
            badge = ACR120U::LireTagACR120();
            ACR120U::ACR120_Close(ACR120U::HandleLecteurACR120);
        }
        break;
    }
    default:
        return;
    }
    if (badge.isEmpty())
        return;
    Text2->setText(badge);
    cmdAdd_Click();
}

void FenBadgeMaintenance::cmdClose_Click() {
    Unload();
}
