#include "stock/forms/FenFournisseur.h"

#include "common/Conversions.h"
#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/MajBase.h"
#include "common/ServiceDialogue.h"
#include "common/forms/Centrage.h"
#include "common/forms/LigneGrille.h"
#include "common/forms/SortieBox.h"
#include "db/Connexion.h"
#include "db/RecordsetModel.h"
#include "db/Valeurs.h"
#include "stock/Fournisseurs.h"

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
#include <iterator>

namespace {

struct Element {
    int index;
    const char* champ;
    const char* libelle;
    bool majuscules; // typed in capitals
};
// In the order of the panel and of Tab.
const Element Elements[] = {{0, "Societe", "Société:", true},
                            {1, "NomContact", "Nom du contact:", false},
                            {2, "CodeFournisseur", "Code fournisseur:", true},
                            {10, "Adresse", "Adresse:", false},
                            {11, "CodePostal", "Code postal:", false},
                            {12, "Ville", "Ville:", true},
                            {13, "Tel", "Tel:", false},
                            {14, "Fax", "Fax:", false}};

constexpr int BoiteCodePostal = 11;
constexpr int BoiteVille = 12;
// The grid's columns follow the captions of the language files; Nauto (always No) is not shown.
constexpr int ColonneNauto = 0;
constexpr int ColonneSociete = 3;

} // namespace

FenFournisseur::FenFournisseur(QWidget* parent)
    : FormBase(QStringLiteral("FenFournisseur"), parent, Qt::Dialog | Qt::WindowCloseButtonHint) {
    setWindowTitle(QStringLiteral("Fichier Fournisseurs"));

    auto* legende = new QLabel(QStringLiteral("FOURNISSEUR"), this);
    legende->setAlignment(Qt::AlignCenter);
    QFont gras = legende->font();
    gras.setBold(true);
    legende->setFont(gras);

    DBGrid1 = new QTableView(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    m_modele = new RecordsetModel(&data2, this);
    m_modele->setColonnes({QStringLiteral("Nauto"), QStringLiteral("No"), QStringLiteral("CodeFournisseur"),
                           QStringLiteral("Societe"), QStringLiteral("Adresse"), QStringLiteral("CodePostal"),
                           QStringLiteral("Ville"), QStringLiteral("NomContact")},
                          {QStringLiteral("Nauto"), QStringLiteral("No"), QStringLiteral("Code Four."),
                           QStringLiteral("Société"), QStringLiteral("Adresse"),
                           QStringLiteral("Code Postal"), QStringLiteral("Ville"),
                           QStringLiteral("Nom du Contact")});
    m_modele->setGrille(objectName(), DBGrid1->objectName());
    DBGrid1->setModel(m_modele);
    DBGrid1->setColumnHidden(ColonneNauto, true);
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->verticalHeader()->setDefaultSectionSize(DBGrid1->fontMetrics().height() + 6);
    DBGrid1->verticalHeader()->hide();
    const int largeurs[] = {0, 35, 95, 130, 125, 100, 105, 120};
    for (int c = 1; c < int(std::size(largeurs)); ++c)
        DBGrid1->setColumnWidth(c, largeurs[c]);
    DBGrid1->horizontalHeader()->setStretchLastSection(true);
    // A header click sorts the suppliers by that column; nothing is sorted before.
    DBGrid1->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    DBGrid1->setSortingEnabled(true);
    declarerLegendeGrille(DBGrid1->objectName(), legende);

    SSFrame1 = new QGroupBox(QStringLiteral("Fournisseur"), this);
    SSFrame1->setObjectName(QStringLiteral("SSFrame1"));
    auto* panneau = new QGridLayout(SSFrame1);
    panneau->setHorizontalSpacing(8);
    QWidget* precedent = nullptr;
    for (const Element& e : Elements) {
        auto* libelle = new QLabel(QString::fromUtf8(e.libelle), SSFrame1);
        libelle->setObjectName(QStringLiteral("Label1(%1)").arg(e.index));
        auto* boite = new QLineEdit(SSFrame1);
        boite->setObjectName(QStringLiteral("MaskEdBox1(%1)").arg(e.index));
        libelle->setBuddy(boite);
        Label1.insert(e.index, libelle);
        MaskEdBox1.insert(e.index, boite);
        if (e.index == BoiteCodePostal)
            boite->installEventFilter(
                new SortieBox(boite, [this] { MaskEdBox1_LostFocus(BoiteCodePostal); }));
        // The company, its contact and code on the left; the address, telephone and fax on the right.
        const bool gauche = e.index < 10;
        const int ligne = gauche ? e.index : e.index - 10;
        panneau->addWidget(libelle, ligne, gauche ? 0 : 2);
        panneau->addWidget(boite, ligne, gauche ? 1 : 3);
        if (precedent)
            setTabOrder(precedent, boite);
        precedent = boite;
    }
    panneau->setColumnStretch(1, 1);
    panneau->setColumnStretch(3, 1);
    panneau->setColumnMinimumWidth(2, 90);
    panneau->setRowStretch(5, 1);

    cmdAdd = creerBouton(QStringLiteral("cmdAdd"), QStringLiteral("Ajouter"));
    cmdDelete = creerBouton(QStringLiteral("cmdDelete"), QStringLiteral("Supprimer"));
    cmdClose = creerBouton(QStringLiteral("cmdClose"), QStringLiteral("Fermer"));
    setBoutonAnnuler(cmdClose);
    auto* boutons = new QHBoxLayout;
    boutons->setSpacing(6);
    boutons->addStretch(1);
    for (QPushButton* b : {cmdAdd, cmdDelete, cmdClose}) {
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

    // Handled once the grid's own event is over: the supplier left may have to be stored first, with a
    // message when it cannot be, and the grid then put back on it.
    m_ligneGrille = new LigneGrille(DBGrid1, &data2);
    m_ligneGrille->setColonne(ColonneSociete);
    m_ligneGrille->setChoix([this](int ligne) { DBGrid1_RowColChange(ligne); }, true);
    connect(&data2, &Recordset::MoveComplete, this, &FenFournisseur::data2_MoveComplete);
    connect(cmdAdd, &QPushButton::clicked, this, &FenFournisseur::cmdAdd_Click);
    connect(cmdDelete, &QPushButton::clicked, this, &FenFournisseur::cmdDelete_Click);
    connect(cmdClose, &QPushButton::clicked, this, &FenFournisseur::cmdClose_Click);
    resize(Conversions::twipsEnPixels(11400), Conversions::twipsEnPixels(8400));
}

FenFournisseur::~FenFournisseur() = default;

void FenFournisseur::Form_Load() {
    resize(Conversions::twipsEnPixels(11400), Conversions::twipsEnPixels(8400));
    FonctionUtilitaires::CentrerForm(this);
    m_nautoAffiche = -1;
    m_textesLus.clear();
    try {
        m_codesPostaux = Fournisseurs::OuvrirCodesPostaux();
    } catch (const std::exception& e) {
        // The form works without the lookup.
        MajBase::SignalerErreur(QStringLiteral("Form_Load"), e);
    }
    try {
        data2.Open(connexion(), QStringLiteral("Fournisseur order by No"));
    } catch (const std::exception& e) {
        signaler(QStringLiteral("Form_Load"), e);
        Unload();
    }
}

void FenFournisseur::Form_Unload(bool& annuler) {
    // A code another supplier has keeps the form open with what was typed; a database failure has been
    // shown and does not keep it.
    if (enregistrer(QStringLiteral("cmdClose_Click")) == Stockage::Refuse) {
        annuler = true;
        return;
    }
    data2.Close();
    m_codesPostaux.reset();
    m_nautoAffiche = -1;
}

void FenFournisseur::Form_Activate() {
    Sablier(false);
}

void FenFournisseur::Form_KeyPress(QObject* controle, int& KeyAscii) {
    const auto it = std::find_if(MaskEdBox1.cbegin(), MaskEdBox1.cend(),
                                 [controle](const QLineEdit* b) { return b == controle; });
    if (it == MaskEdBox1.cend())
        return;
    if (KeyAscii == 13) {
        // Stored, then on to the next box as Tab would go.
        if (enregistrer(QStringLiteral("MaskEdBox1_KeyPress")) == Stockage::Fait)
            focusNextChild();
        KeyAscii = 0;
        return;
    }
    if (KeyAscii == 9) {
        // A refused code keeps the focus in its box.
        if (enregistrer(QStringLiteral("MaskEdBox1_KeyPress")) != Stockage::Fait)
            KeyAscii = 0;
        return;
    }
    const bool majuscules = std::any_of(std::begin(Elements), std::end(Elements), [&](const Element& e) {
        return e.index == it.key() && e.majuscules;
    });
    if (!majuscules || KeyAscii < 32 || QChar::isSurrogate(char32_t(KeyAscii)))
        return;
    KeyAscii = QChar(char16_t(KeyAscii)).toUpper().unicode();
}

void FenFournisseur::MaskEdBox1_LostFocus(int index) {
    if (index != BoiteCodePostal)
        return;
    QLineEdit* ville = MaskEdBox1.value(BoiteVille);
    const QString code = MaskEdBox1.value(BoiteCodePostal)->text();
    if (!ville->text().isEmpty() || code.size() != 5)
        return;
    ville->setFocus();
    ville->setText(ChercherLocalite(code));
}

QString FenFournisseur::ChercherLocalite(const QString& codePostal) {
    return m_codesPostaux ? Fournisseurs::ChercherLocalite(*m_codesPostaux, codePostal) : QString();
}

void FenFournisseur::signaler(const QString& procedure, const std::exception& e) {
    const auto* erreur = dynamic_cast<const ErreurExecution*>(&e);
    MsgBox(erreur ? erreur->description() : QString::fromUtf8(e.what()),
           StyleMessage::OK | StyleMessage::Exclamation);
    MajBase::SignalerErreur(procedure, e);
}

bool FenFournisseur::ficheModifiee() const {
    for (auto it = MaskEdBox1.cbegin(); it != MaskEdBox1.cend(); ++it)
        if (it.value()->text() != m_textesLus.value(it.key()))
            return true;
    return false;
}

FenFournisseur::Stockage FenFournisseur::enregistrer(const QString& procedure) {
    if (m_nautoAffiche < 0 || !data2.IsOpen())
        return Stockage::Fait;
    Fournisseurs::Champs champs;
    QHash<int, QString> textes;
    for (const Element& e : Elements) {
        const QString texte = MaskEdBox1.value(e.index)->text();
        textes.insert(e.index, texte);
        if (texte != m_textesLus.value(e.index))
            champs.append({QString::fromLatin1(e.champ), texte});
    }
    if (champs.isEmpty())
        return Stockage::Fait;
    try {
        if (Fournisseurs::ModifierFournisseur(connexion(), m_nautoAffiche, champs) ==
            Fournisseurs::Enregistrement::CodeExistant) {
            MsgBox(Fournisseurs::MessageCodeExistant, StyleMessage::OK | StyleMessage::Critique);
            return Stockage::Refuse;
        }
    } catch (const std::exception& e) {
        signaler(procedure, e);
        return Stockage::Echec;
    }
    m_textesLus = textes;
    try {
        data2.Requery();
    } catch (const std::exception& e) {
        signaler(procedure, e);
    }
    return Stockage::Fait;
}

void FenFournisseur::data2_MoveComplete() {
    const int position = data2.AbsolutePosition();
    const qint64 nauto = position < 0 ? -1 : Valeurs::lireEntier(data2.Field(QStringLiteral("Nauto")));
    // The same supplier again (a sort, a requery): what is typed and not stored yet stays.
    if (nauto != m_nautoAffiche || !ficheModifiee())
        afficherFiche();
}

void FenFournisseur::afficherFiche() {
    const int position = data2.AbsolutePosition();
    m_nautoAffiche = position < 0 ? -1 : Valeurs::lireEntier(data2.Field(QStringLiteral("Nauto")));
    m_textesLus.clear();
    for (const Element& e : Elements) {
        const QString texte =
            position < 0 ? QString() : Valeurs::lireTexte(data2.Field(QString::fromLatin1(e.champ)));
        m_textesLus.insert(e.index, texte);
        QLineEdit* boite = MaskEdBox1.value(e.index);
        if (boite->text() != texte)
            boite->setText(texte);
    }
    // Without a supplier nothing typed could be stored.
    SSFrame1->setEnabled(position >= 0);
}

void FenFournisseur::DBGrid1_RowColChange(int ligne) {
    if (!data2.IsOpen() || ligne == data2.AbsolutePosition() || ligne >= data2.RecordCount())
        return;
    // The supplier left is stored first; when it cannot be, the grid goes back to it.
    if (enregistrer(QStringLiteral("DBGrid1_RowColChange")) != Stockage::Fait) {
        m_ligneGrille->suivre();
        return;
    }
    data2.MoveTo(ligne);
}

void FenFournisseur::cmdAdd_Click() {
    if (enregistrer(QStringLiteral("cmdAdd_Click")) != Stockage::Fait)
        return;
    try {
        const std::optional<qint64> nauto = Fournisseurs::AjouterFournisseur(connexion());
        if (!nauto) {
            MsgBox(Fournisseurs::MessageCodeExistant, StyleMessage::OK | StyleMessage::Critique);
            return;
        }
        data2.Requery();
        // The new supplier, found by its number whatever order the grid shows.
        data2.Find(QStringLiteral("Nauto"), Recordset::Comparaison::Egal, *nauto, Recordset::Depart::Premier);
    } catch (const std::exception& e) {
        signaler(QStringLiteral("cmdAdd_Click"), e);
        return;
    }
    MaskEdBox1.value(0)->setFocus();
}

void FenFournisseur::cmdDelete_Click() {
    const int position = data2.AbsolutePosition();
    if (position < 0)
        return;
    if (MsgBox(QStringLiteral("Confirmer la suppression !"), StyleMessage::YesNo | StyleMessage::Exclamation,
               Global().msg(22)) != Reponse::Oui)
        return;
    try {
        Fournisseurs::SupprimerFournisseur(connexion(),
                                           Valeurs::lireEntier(data2.Field(QStringLiteral("Nauto"))));
        data2.Requery();
        // The supplier that took the deleted one's place, rather than the first.
        if (data2.RecordCount() > 0)
            data2.MoveTo(std::min(position, data2.RecordCount() - 1));
    } catch (const std::exception& e) {
        signaler(QStringLiteral("cmdDelete_Click"), e);
    }
}

void FenFournisseur::cmdClose_Click() {
    Unload();
}
