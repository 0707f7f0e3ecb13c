#include "stock/forms/FenTailles.h"

#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/MajBase.h"
#include "common/ServiceDialogue.h"
#include "common/forms/Centrage.h"
#include "common/forms/LigneGrille.h"
#include "db/RecordsetModel.h"
#include "db/Valeurs.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// The original's button code 54: the exclamation icon with the Cancel, Try Again, Continue buttons.
constexpr int StyleErreur = StyleMessage::CancelTryContinue | StyleMessage::Exclamation;

QLabel* legendeGrille(const QString& texte, QWidget* parent) {
    auto* l = new QLabel(texte, parent);
    l->setAlignment(Qt::AlignCenter);
    QFont gras = l->font();
    gras.setBold(true);
    l->setFont(gras);
    return l;
}

QTableView* grilleUneColonne(const QString& nom, RecordsetModel* modele, QWidget* parent) {
    auto* v = new QTableView(parent);
    v->setObjectName(nom);
    v->setModel(modele);
    v->setSelectionBehavior(QAbstractItemView::SelectRows);
    v->setSelectionMode(QAbstractItemView::SingleSelection);
    v->setEditTriggers(QAbstractItemView::NoEditTriggers);
    v->verticalHeader()->setDefaultSectionSize(v->fontMetrics().height() + 6);
    v->horizontalHeader()->setStretchLastSection(true);
    v->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    v->setSortingEnabled(true);
    return v;
}

} // namespace

FenTailles::FenTailles(QWidget* parent)
    : FormBase(QStringLiteral("FenTailles"), parent, Qt::Dialog | Qt::WindowCloseButtonHint) {
    setWindowTitle(QStringLiteral("Tailles disponibles"));

    m_familles = new RecordsetModel(&data1, this);
    m_familles->setColonnes({QStringLiteral("NomFamille")}, {QStringLiteral("Famille")});
    m_familles->setGrille(objectName(), QStringLiteral("DataGrid2"));
    DataGrid2 = grilleUneColonne(QStringLiteral("DataGrid2"), m_familles, this);
    auto* legendeFamilles = legendeGrille(QStringLiteral("Familles"), this);
    declarerLegendeGrille(DataGrid2->objectName(), legendeFamilles);

    m_tailles = new RecordsetModel(&data2, this);
    m_tailles->setColonnes({QStringLiteral("Taille")}, {QStringLiteral("Tailles")});
    m_tailles->setGrille(objectName(), QStringLiteral("DBGrid1"));
    DBGrid1 = grilleUneColonne(QStringLiteral("DBGrid1"), m_tailles, this);
    auto* legendeTailles = legendeGrille(QStringLiteral("Tailles disponibles"), this);
    declarerLegendeGrille(DBGrid1->objectName(), legendeTailles);

    Label1 = new QLabel(QStringLiteral("Ordre de taille"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setWordWrap(true);
    SpinButton1 = new QWidget(this);
    SpinButton1->setObjectName(QStringLiteral("SpinButton1"));
    SpinButton1->setToolTip(QStringLiteral("Ordre de taille"));
    SpinUp = new QToolButton(SpinButton1);
    SpinUp->setArrowType(Qt::UpArrow);
    SpinDown = new QToolButton(SpinButton1);
    SpinDown->setArrowType(Qt::DownArrow);
    auto* fleches = new QVBoxLayout(SpinButton1);
    fleches->setContentsMargins(0, 0, 0, 0);
    fleches->setSpacing(2);
    for (QToolButton* b : {SpinUp, SpinDown}) {
        b->setFixedSize(32, 28);
        fleches->addWidget(b, 0, Qt::AlignHCenter);
    }

    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    cmdAdd = creerBouton(QStringLiteral("cmdAdd"), QStringLiteral("Ajouter"));
    CmdModifier = creerBouton(QStringLiteral("CmdModifier"), QStringLiteral("Modifer"));
    CmdDel = creerBouton(QStringLiteral("CmdDel"), QStringLiteral("Supprimer"));
    cmdClose = creerBouton(QStringLiteral("cmdClose"), QStringLiteral("Fermer"));
    setBoutonAnnuler(cmdClose);

    auto* ordre = new QVBoxLayout;
    ordre->setSpacing(4);
    ordre->addStretch(1);
    ordre->addWidget(Label1);
    ordre->addWidget(SpinButton1, 0, Qt::AlignHCenter);
    ordre->addStretch(1);

    auto* grilles = new QGridLayout;
    grilles->setHorizontalSpacing(8);
    grilles->setVerticalSpacing(4);
    grilles->addWidget(legendeFamilles, 0, 0);
    grilles->addWidget(legendeTailles, 0, 1);
    grilles->addWidget(DataGrid2, 1, 0);
    grilles->addWidget(DBGrid1, 1, 1);
    grilles->addLayout(ordre, 1, 2);
    grilles->setColumnStretch(0, 3);
    grilles->setColumnStretch(1, 2);
    grilles->setColumnMinimumWidth(2, 90);

    auto* boutons = new QHBoxLayout;
    boutons->setSpacing(6);
    for (QPushButton* b : {cmdAdd, CmdModifier, CmdDel}) {
        b->setMinimumWidth(90);
        boutons->addWidget(b);
    }
    boutons->addStretch(1);
    cmdClose->setMinimumWidth(90);
    boutons->addWidget(cmdClose);

    auto* principal = new QVBoxLayout(this);
    principal->setContentsMargins(10, 10, 10, 10);
    principal->setSpacing(8);
    principal->addLayout(grilles, 1);
    principal->addWidget(Text1);
    principal->addLayout(boutons);

    new LigneGrille(DataGrid2, &data1);
    new LigneGrille(DBGrid1, &data2);
    connect(&data1, &Recordset::MoveComplete, this, &FenTailles::data1_MoveComplete);
    connect(&data2, &Recordset::MoveComplete, this, &FenTailles::data2_MoveComplete);
    connect(cmdAdd, &QPushButton::clicked, this, &FenTailles::cmdAdd_Click);
    connect(CmdModifier, &QPushButton::clicked, this, &FenTailles::CmdModifier_Click);
    connect(CmdDel, &QPushButton::clicked, this, &FenTailles::CmdDel_Click);
    connect(cmdClose, &QPushButton::clicked, this, &FenTailles::cmdClose_Click);
    connect(SpinUp, &QToolButton::clicked, this, &FenTailles::SpinButton1_SpinUp);
    connect(SpinDown, &QToolButton::clicked, this, &FenTailles::SpinButton1_SpinDown);
    resize(560, 480);
}

void FenTailles::Form_Load() {
    FonctionUtilitaires::CentrerFormEnHaut(this);
    try {
        data1.Open(connexion(), QStringLiteral("Familles order by NoFamille"));
    } catch (const ErreurExecution& e) {
        signaler(QStringLiteral("Form_Load"), e);
        Unload();
    }
}

void FenTailles::Form_Unload(bool& annuler) {
    Q_UNUSED(annuler);
    data2.Close();
    data1.Close();
}

void FenTailles::Form_Activate() {
    Sablier(false);
}

void FenTailles::signaler(const QString& procedure, const std::exception& e) {
    const auto* erreur = dynamic_cast<const ErreurExecution*>(&e);
    MsgBox(erreur ? erreur->description() : QString::fromUtf8(e.what()),
           StyleMessage::OK | StyleMessage::Exclamation);
    MajBase::SignalerErreur(procedure, e);
}

std::optional<qint64> FenTailles::familleCourante() const {
    if (data1.AbsolutePosition() < 0)
        return std::nullopt;
    return Valeurs::lireEntier(data1.Field(QStringLiteral("NoFamille")));
}

std::optional<qint64> FenTailles::tailleCourante() const {
    if (data2.AbsolutePosition() < 0)
        return std::nullopt;
    return Valeurs::lireEntier(data2.Field(QStringLiteral("NoTaille")));
}

void FenTailles::data1_MoveComplete() {
    ChargerTaillesFamille();
}

void FenTailles::data2_MoveComplete() {
    if (data2.RecordCount() == 0)
        Text1->clear();
    else if (data2.AbsolutePosition() >= 0)
        Text1->setText(Valeurs::lireTexte(data2.Field(QStringLiteral("Taille"))));
}

void FenTailles::ChargerTaillesFamille(std::optional<qint64> noTaille) {
    const std::optional<qint64> famille = familleCourante();
    if (!famille)
        return;
    try {
        Tailles::OuvrirTaillesFamille(data2, connexion(), *famille);
        if (noTaille && !data2.Find(QStringLiteral("NoTaille"), Recordset::Comparaison::Egal, *noTaille,
                                    Recordset::Depart::Premier))
            data2.MoveFirst();
    } catch (const std::exception& e) {
        signaler(QStringLiteral("ChargerTaillesFamille"), e);
    }
    // The list is in its order again.
    DBGrid1->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
}

void FenTailles::cmdAdd_Click() {
    const QString taille = Text1->text();
    const std::optional<qint64> famille = familleCourante();
    if (taille.isEmpty() || !famille)
        return;
    std::optional<qint64> numero;
    try {
        numero = Tailles::AjouterTaille(connexion(), *famille, taille);
    } catch (const std::exception& e) {
        signaler(QStringLiteral("cmdAdd_Click"), e);
        return;
    }
    if (!numero) {
        const EtatGlobal& g = Global();
        MsgBox(g.msg(32) + taille + g.msg(30), StyleErreur, QStringLiteral("Erreur"));
        Text1->clear();
        return;
    }
    ChargerTaillesFamille(numero);
}

void FenTailles::CmdModifier_Click() {
    const std::optional<qint64> numero = tailleCourante();
    if (!numero)
        return;
    const EtatGlobal& g = Global();
    const int reponse = MsgBox(g.msg(20) + QLatin1Char('\n') + g.msg(26),
                               StyleMessage::YesNo | StyleMessage::Exclamation, QStringLiteral("Attention!"));
    if (reponse != Reponse::Oui) {
        Text1->setText(Valeurs::lireTexte(data2.Field(QStringLiteral("Taille"))));
        return;
    }
    if (Text1->text().isEmpty())
        return;
    try {
        Tailles::ModifierTaille(connexion(), *numero, Text1->text());
    } catch (const std::exception& e) {
        // The box keeps what was typed.
        signaler(QStringLiteral("CmdModifier_Click"), e);
        return;
    }
    ChargerTaillesFamille(numero);
}

void FenTailles::CmdDel_Click() {
    const std::optional<qint64> numero = tailleCourante();
    if (!numero)
        return;
    Tailles::Suppression resultat;
    try {
        resultat = Tailles::SupprimerTaille(connexion(), *numero);
    } catch (const std::exception& e) {
        signaler(QStringLiteral("CmdDel_Click"), e);
        return;
    }
    if (resultat != Tailles::Suppression::Faite) {
        MsgBox(QStringLiteral("Suppression non autorisé !"), StyleErreur, QStringLiteral("Erreur"));
        return;
    }
    ChargerTaillesFamille();
}

void FenTailles::deplacer(Tailles::Sens sens) {
    const std::optional<qint64> numero = tailleCourante();
    if (!numero)
        return;
    try {
        Tailles::DeplacerTaille(connexion(), *numero, sens);
    } catch (const std::exception& e) {
        signaler(QStringLiteral("SpinButton1"), e);
        return;
    }
    // The moved size stays selected, also when it went round to the other end.
    ChargerTaillesFamille(numero);
}

void FenTailles::SpinButton1_SpinUp() {
    deplacer(Tailles::Sens::VersDebut);
}

void FenTailles::SpinButton1_SpinDown() {
    deplacer(Tailles::Sens::VersFin);
}

void FenTailles::cmdClose_Click() {
    Unload();
}
