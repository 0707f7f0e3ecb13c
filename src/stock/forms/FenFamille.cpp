#include "stock/forms/FenFamille.h"

#include "common/Conversions.h"
#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/MajBase.h"
#include "common/ServiceDialogue.h"
#include "common/forms/Centrage.h"
#include "common/forms/LigneGrille.h"
#include "db/RecordsetModel.h"
#include "db/Valeurs.h"
#include "stock/Familles.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

namespace {

// The grid's columns: the language files name the family and its function as columns 3 and 4 (the
// original grid's first columns were not shown), so two empty, hidden columns stand between.
constexpr int ColonneNumero = 0;
constexpr int ColonneNom = 3;
constexpr int ColonneFonction = 4;

} // namespace

FenFamille::FenFamille(QWidget* parent)
    : FormBase(QStringLiteral("FenFamille"), parent, Qt::Dialog | Qt::WindowCloseButtonHint) {
    setWindowTitle(QStringLiteral("Fichier Familles"));
    // Translated in Form_Activate, so that the modify button keeps the caption of its mode.
    setTraductionActivation(false);

    auto* legende = new QLabel(QStringLiteral("Familles de produits"), this);
    legende->setAlignment(Qt::AlignCenter);
    QFont gras = legende->font();
    gras.setBold(true);
    legende->setFont(gras);

    DBGrid1 = new QTableView(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    m_modele = new RecordsetModel(&data2, this);
    m_modele->setColonnes(
        {QStringLiteral("NoFamille"), QString(), QString(), QStringLiteral("NomFamille"),
         QStringLiteral("Fonction")},
        {QStringLiteral("No"), QString(), QString(), QStringLiteral("Famille"), QStringLiteral("Fonction")});
    m_modele->setGrille(objectName(), DBGrid1->objectName());
    DBGrid1->setModel(m_modele);
    DBGrid1->setColumnHidden(1, true);
    DBGrid1->setColumnHidden(2, true);
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->verticalHeader()->setDefaultSectionSize(DBGrid1->fontMetrics().height() + 6);
    DBGrid1->setColumnWidth(ColonneNumero, 40);
    DBGrid1->setColumnWidth(ColonneNom, 170);
    DBGrid1->horizontalHeader()->setStretchLastSection(true);
    // A header click sorts the families by that column; nothing is sorted before.
    DBGrid1->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    DBGrid1->setSortingEnabled(true);
    declarerLegendeGrille(DBGrid1->objectName(), legende);

    SSFrame1 = new QGroupBox(this);
    SSFrame1->setObjectName(QStringLiteral("SSFrame1"));
    Label1 = new QLabel(QStringLiteral("Famille:"), SSFrame1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Text2 = new QLineEdit(SSFrame1);
    Text2->setObjectName(QStringLiteral("Text2"));
    Label2 = new QLabel(QStringLiteral("Fonction:"), SSFrame1);
    Label2->setObjectName(QStringLiteral("Label2"));
    Text1 = new QLineEdit(SSFrame1);
    Text1->setObjectName(QStringLiteral("Text1"));
    Label1->setBuddy(Text2);
    Label2->setBuddy(Text1);
    auto* panneau = new QGridLayout(SSFrame1);
    panneau->setHorizontalSpacing(8);
    panneau->addWidget(Label1, 0, 0);
    panneau->addWidget(Text2, 0, 1);
    panneau->addWidget(Label2, 1, 0);
    panneau->addWidget(Text1, 1, 1);
    panneau->setColumnStretch(1, 1);

    CmdModif = creerBouton(QStringLiteral("CmdModif"), QStringLiteral("Modifier"));
    cmdDelete = creerBouton(QStringLiteral("cmdDelete"), QStringLiteral("Supprimer"));
    cmdAdd = creerBouton(QStringLiteral("cmdAdd"), QStringLiteral("Ajouter"));
    cmdClose = creerBouton(QStringLiteral("cmdClose"), QStringLiteral("Fermer"));
    setBoutonAnnuler(cmdClose);
    auto* boutons = new QHBoxLayout;
    boutons->setSpacing(6);
    for (QPushButton* b : {CmdModif, cmdDelete, cmdAdd, cmdClose}) {
        b->setMinimumWidth(90);
        boutons->addWidget(b);
    }

    auto* principal = new QVBoxLayout(this);
    principal->setContentsMargins(10, 10, 10, 10);
    principal->setSpacing(6);
    principal->addWidget(legende);
    principal->addWidget(DBGrid1, 1);
    principal->addWidget(SSFrame1);
    principal->addLayout(boutons);

    (new LigneGrille(DBGrid1, &data2))->setColonne(ColonneNom);
    connect(&data2, &Recordset::MoveComplete, this, &FenFamille::data2_MoveComplete);
    connect(cmdAdd, &QPushButton::clicked, this, &FenFamille::cmdAdd_Click);
    connect(CmdModif, &QPushButton::clicked, this, &FenFamille::CmdModif_Click);
    connect(cmdDelete, &QPushButton::clicked, this, &FenFamille::cmdDelete_Click);
    connect(cmdClose, &QPushButton::clicked, this, &FenFamille::cmdClose_Click);
    resize(Conversions::twipsEnPixels(6390), Conversions::twipsEnPixels(9210));
}

void FenFamille::Form_Load() {
    resize(Conversions::twipsEnPixels(6390), Conversions::twipsEnPixels(9210));
    FonctionUtilitaires::CentrerForm(this);
    LibelleModif = CmdModif->text();
    m_nouvelle = false;
    try {
        data2.Open(connexion(), QStringLiteral("Familles order by NoFamille"));
    } catch (const ErreurExecution& e) {
        signaler(QStringLiteral("Form_Load"), e);
        Unload();
    }
}

void FenFamille::Form_Unload(bool& annuler) {
    try {
        data2.Close();
    } catch (const std::exception& e) {
        // The form stays open rather than lose what it holds.
        signaler(QStringLiteral("Form_Unload"), e);
        annuler = true;
    }
}

void FenFamille::Form_Activate() {
    Sablier(false);
    traduireSiEtranger();
    afficherMode();
}

void FenFamille::Form_KeyUp(QKeyEvent* e) {
    // F12 has translated the form again.
    if (e->key() == Qt::Key_F12)
        afficherMode();
}

void FenFamille::Form_KeyPress(QObject* controle, int& KeyAscii) {
    if (controle != Text2 || KeyAscii < 32 || QChar::isSurrogate(char32_t(KeyAscii)))
        return;
    const QChar majuscule = QChar(char16_t(KeyAscii)).toUpper();
    KeyAscii = majuscule.unicode();
}

void FenFamille::afficherMode() {
    if (m_nouvelle)
        CmdModif->setText(Global().msg(2));
}

void FenFamille::signaler(const QString& procedure, const std::exception& e) {
    const auto* erreur = dynamic_cast<const ErreurExecution*>(&e);
    MsgBox(erreur ? erreur->description() : QString::fromUtf8(e.what()),
           StyleMessage::OK | StyleMessage::Exclamation);
    MajBase::SignalerErreur(procedure, e);
}

void FenFamille::data2_MoveComplete() {
    const int position = data2.AbsolutePosition();
    if (position < 0)
        return;
    const QVariant nom = data2.Field(QStringLiteral("NomFamille"));
    const QVariant fonction = data2.Field(QStringLiteral("Fonction"));
    if (!nom.isNull())
        Text2->setText(Valeurs::lireTexte(nom));
    if (!fonction.isNull())
        Text1->setText(Valeurs::lireTexte(fonction));
    SSFrame1->setTitle(QString());
}

void FenFamille::cmdAdd_Click() {
    // A new family typed and not saved yet is saved first.
    if (m_nouvelle && !EnregisterNewFamille())
        return;
    SSFrame1->setTitle(QStringLiteral("Nouveau"));
    Text2->clear();
    Text1->clear();
    Text2->setFocus();
    m_nouvelle = true;
    afficherMode();
}

void FenFamille::CmdModif_Click() {
    if (m_nouvelle)
        EnregisterNewFamille();
    else
        ModifierFamilleCourante();
}

bool FenFamille::EnregisterNewFamille() {
    try {
        Familles::EnregisterNewFamille(connexion(), Text2->text(), Text1->text());
    } catch (const std::exception& e) {
        // Nothing was written; the panel keeps what was typed.
        signaler(QStringLiteral("EnregisterNewFamille"), e);
        return false;
    }
    m_nouvelle = false;
    CmdModif->setText(LibelleModif);
    try {
        data2.Requery();
    } catch (const std::exception& e) {
        signaler(QStringLiteral("EnregisterNewFamille"), e);
    }
    return true;
}

void FenFamille::ModifierFamilleCourante() {
    if (data2.AbsolutePosition() < 0)
        return;
    const qint64 numero = Valeurs::lireEntier(data2.Field(QStringLiteral("NoFamille")));
    try {
        Familles::ModifierFamille(connexion(), numero, Text2->text(), Text1->text());
        // The same family stays selected (found again by its number).
        data2.Requery();
    } catch (const std::exception& e) {
        signaler(QStringLiteral("CmdModif_Click"), e);
        return;
    }
    CmdModif->setText(LibelleModif);
}

void FenFamille::cmdDelete_Click() {
    const int position = data2.AbsolutePosition();
    if (position < 0)
        return;
    const qint64 numero = Valeurs::lireEntier(data2.Field(QStringLiteral("NoFamille")));
    if (Familles::FamilleProtegee(numero))
        return;
    const EtatGlobal& g = Global();
    const QString nom = Valeurs::lireTexte(data2.Field(QStringLiteral("NomFamille")));
    if (MsgBox(g.msg(24) + nom + QStringLiteral(" !"), StyleMessage::YesNo, g.msg(22)) != Reponse::Oui)
        return;
    try {
        Familles::SupprimerFamille(connexion(), numero);
        data2.Requery();
        // The family that took the deleted one's place, rather than the first.
        if (data2.RecordCount() > 0)
            data2.MoveTo(std::min(position, data2.RecordCount() - 1));
    } catch (const std::exception& e) {
        signaler(QStringLiteral("cmdDelete_Click"), e);
    }
}

void FenFamille::cmdClose_Click() {
    Unload();
}
