// Editing the article card: the key filters and computations of its boxes, the completeness check, the
// saves, a new article, the deletion, the close button, the bar code and the returnable-articles view.
#include "stock/forms/FrmStock.h"

#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/FnWendrox.h"
#include "common/MODTranslate.h"
#include "common/MajBase.h"
#include "common/SaisieNumerique.h"
#include "common/ServiceDialogue.h"
#include "common/forms/SortieBox.h"
#include "db/Recordset.h"
#include "db/Valeurs.h"
#include "stock/CarteArticle.h"
#include "stock/EditionArticle.h"
#include "stock/EntreeStock.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <limits>

namespace {

constexpr qint64 MinInt = std::numeric_limits<qint32>::min();
constexpr qint64 MaxInt = std::numeric_limits<qint32>::max();

// What is typed on the card, kept through a re-read of the list. The pack count of the entry frame is
// not the card's.
struct SaisieCarte {
    QStringList textes;
    QStringList listes; // ComboBox2 first: its change refills the sizes
    bool retour = false;
    bool commande = false;
};

QList<QComboBox*> listesCarte(const FrmStock& f) {
    return {f.ComboBox2, f.ComboBox1, f.ComboBox3, f.ComboBox4};
}

SaisieCarte capturer(const FrmStock& f) {
    SaisieCarte s;
    for (const QLineEdit* t : f.Text2)
        s.textes << t->text();
    for (const QComboBox* c : listesCarte(f))
        s.listes << c->currentText();
    s.retour = f.Check1->isChecked();
    s.commande = f.Check3->isChecked();
    return s;
}

void restaurer(FrmStock& f, const SaisieCarte& s) {
    for (int i = 0; i < f.Text2.size() && i < s.textes.size(); ++i)
        if (i != 3)
            f.Text2[i]->setText(s.textes.at(i));
    const QList<QComboBox*> listes = listesCarte(f);
    for (int i = 0; i < listes.size(); ++i) {
        const QString& texte = s.listes.at(i);
        listes[i]->setCurrentIndex(texte.isEmpty() ? -1 : listes[i]->findText(texte, Qt::MatchFixedString));
        listes[i]->setEditText(texte);
    }
    f.Check1->setChecked(s.retour);
    f.Check3->setChecked(s.commande);
}

// The number of a line chosen in a list; nullopt when none is.
std::optional<QVariant> numeroChoisi(const QComboBox* liste, const QList<ListesArticle::Ligne>& lignes) {
    const int i = liste->currentIndex();
    if (i < 0 || i >= lignes.size())
        return std::nullopt;
    return lignes.at(i).numero;
}

} // namespace

void FrmStock::connecterEdition() {
    for (int i = 0; i < Text2.size(); ++i) {
        QLineEdit* t = Text2[i];
        connect(t, &QLineEdit::textChanged, this, [this, i] { Text2_Change(i); });
        t->installEventFilter(new SortieBox(t, [this, i] { Text2_LostFocus(i); }));
    }
    connect(ComboBox2, &QComboBox::currentIndexChanged, this, [this](int ligne) {
        if (ligne >= 0 && ligne < TabFamilles.size())
            RemplirComboTaille(TabFamilles.at(ligne).numero.toLongLong());
    });
    for (QCheckBox* c : {Check1, Check3})
        connect(c, &QCheckBox::clicked, this, [this] { FicheModifiee = true; });
    connect(Check2, &QCheckBox::clicked, this, [this] { Check2_Click(); });
    connect(CmdAjout, &QPushButton::clicked, this, [this] { CmdAjout_Click(); });
    connect(cmdDelete, &QPushButton::clicked, this, [this] { cmdDelete_Click(); });
    connect(cmdClose, &QPushButton::clicked, this, [this] { cmdClose_Click(); });
    connect(CmdCodeBar, &QPushButton::clicked, this, [this] { CmdCodeBar_Click(); });
}

bool FrmStock::surUnArticle() const {
    const Recordset& rs = *RsStockGlobal;
    return rs.IsOpen() && !rs.IsBOF() && !rs.IsEOF();
}

// --- the boxes ---

void FrmStock::Text2_KeyPress(int index, int& KeyAscii) {
    if (KeyAscii == 13)
        OptionFiche->setFocus(); // the box is left: its computation runs
    if (KeyAscii <= 0 || KeyAscii > 0xFFFF)
        return;
    const QChar c(KeyAscii);
    switch (index) {
    case 1:
        KeyAscii = c.toUpper().unicode();
        break;
    case 2:
    case 4:
    case 18:
        if (!SaisieNumerique::toucheAcceptee(c))
            KeyAscii = 0;
        break;
    case 3:
    case 5:
        if (!SaisieNumerique::toucheAcceptee(c, QStringLiteral("-")))
            KeyAscii = 0;
        break;
    case 6:
    case 7:
    case 8:
    case 9:
        KeyAscii = SaisieNumerique::toucheAcceptee(c, QStringLiteral(".,"))
                       ? SaisieNumerique::echangerSeparateur(c).unicode()
                       : 0;
        break;
    default:
        break;
    }
}

void FrmStock::Text2_Change(int index) {
    // Typing takes the yellow marks of the completeness check away.
    for (int i = 0; i <= 29; ++i)
        marquerLibelle(i, false);
    if (index != 3)
        return;
    const QString paquets = Text2[3]->text();
    if (paquets.isEmpty() || paquets == QLatin1String("-")) {
        Label4->clear();
        return;
    }
    try {
        Label4->setText(
            EntreeStock::texteTotal(paquets, champCourant(QStringLiteral("QteParPaket")),
                                    MODTranslate::TexteLangue(objectName(), QStringLiteral("Label4.Total"),
                                                              QStringLiteral("TOTAL:"))));
    } catch (const ErreurExecution& e) {
        if (e.numero() == ErreurExecution::Overflow)
            MsgBox(Global().msg(37), StyleMessage::Critique);
        else
            MsgBox(QString::number(e.numero()) + u' ' + e.description());
    }
}

void FrmStock::Text2_LostFocus(int index) {
    if (Text2[index]->text().isEmpty())
        return;
    using CarteArticle::BoxQuittee;
    auto prix = [this](BoxQuittee box) {
        const CarteArticle::Prix p =
            CarteArticle::prixApresSaisie(box, Text2[7]->text(), Text2[9]->text(), Text2[4]->text());
        if (p.paquet)
            Text2[9]->setText(*p.paquet);
        if (p.unitaire)
            Text2[7]->setText(*p.unitaire);
    };
    switch (index) {
    case 4:
        prix(BoxQuittee::ParPaquet);
        AfficherReserveEnPaquets();
        TesterAlerteStock();
        break;
    case 5:
        AfficherReserveEnPaquets();
        TesterAlerteStock();
        break;
    case 7:
        prix(BoxQuittee::PrixUnitaire);
        break;
    case 9:
        prix(BoxQuittee::PrixPaquet);
        break;
    default:
        break;
    }
}

void FrmStock::marquerLibelle(int index, bool jaune) {
    QLabel* l = Label2.value(index);
    if (!l || l->autoFillBackground() == jaune)
        return;
    QPalette p = l->palette();
    p.setColor(QPalette::Window,
               jaune ? QColor(255, 255, 0) : l->parentWidget()->palette().color(QPalette::Window));
    l->setPalette(p);
    l->setAutoFillBackground(jaune);
}

// --- the check and the saves ---

bool FrmStock::VerifierSaisieArticle() {
    if (!RsStockGlobal->IsOpen() || RsStockGlobal->RecordCount() == 0)
        return true;
    struct Controle {
        bool vide;
        int libelle;
        int message;
        QWidget* focus;
    };
    const Controle controles[] = {
        {ComboBox4->currentText().isEmpty(), 6, 12, nullptr},
        {Text2[0]->text().isEmpty(), 0, 15, Text2[0]},
        {Text2[16]->text().isEmpty(), 29, 15, Text2[16]},
        {Text2[1]->text().isEmpty(), 1, 15, Text2[1]},
        {Text2[9]->text().isEmpty(), 23, 15, Text2[9]},
        {ComboBox2->currentText().isEmpty(), 8, 15, nullptr},
        {ComboBox1->currentText().isEmpty(), 27, 15, nullptr},
        {ComboBox3->currentText().isEmpty(), 11, 15, nullptr},
    };
    for (const Controle& c : controles) {
        if (!c.vide)
            continue;
        // The focus first: leaving the box it was in recomputes boxes, which clears the marks.
        if (c.focus)
            c.focus->setFocus();
        marquerLibelle(c.libelle, true);
        MsgBox(Global().msg(c.message), StyleMessage::Critique);
        return false;
    }
    return true;
}

bool FrmStock::quitterFiche() {
    return VerifierSaisieArticle() && (!FicheModifiee || EnregistrerArticleEnStockTous());
}

bool FrmStock::EnregistrerArticleEnStockTous() {
    if (!surUnArticle()) {
        FicheModifiee = false;
        return true;
    }
    using namespace EditionArticle;
    // A box that holds no number is refused before anything is written: marked, named by its message,
    // and given the focus.
    auto refuser = [this](int index, int libelle, EtatSaisie etat) {
        Text2[index]->setFocus();
        Text2[index]->selectAll();
        marquerLibelle(libelle, true);
        MsgBox(Global().msg(etat == EtatSaisie::HorsLimites ? 37 : 15), StyleMessage::Critique);
        return false;
    };
    auto entier = [&](int index, int libelle, qint64 minimum, qint64 maximum, qint64& valeur) {
        const Entier e = lireEntier(Text2[index]->text(), minimum, maximum);
        valeur = e.valeur;
        return e.etat == EtatSaisie::Valide || refuser(index, libelle, e.etat);
    };
    auto montant = [&](int index, int libelle, double& valeur) {
        const Montant m = lireMontant(Text2[index]->text());
        valeur = m.valeur;
        return m.etat == EtatSaisie::Valide || refuser(index, libelle, m.etat);
    };
    FicheArticle fiche;
    if (!entier(0, 0, std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::max(),
                fiche.reference) ||
        !entier(5, 5, MinInt, MaxInt, fiche.stockAlert) ||
        !entier(18, 36, MinInt, MaxInt, fiche.delaiLivraison) || !montant(7, 7, fiche.prixAchatUnit) ||
        !montant(9, 23, fiche.prixAchatGlobal) || !entier(4, 4, MinInt, MaxInt, fiche.qteParPaket))
        return false;
    fiche.refFournisseur = Text2[16]->text();
    fiche.designation = Text2[1]->text();
    fiche.prix = statutPrix(Check1->isChecked(), Check3->isChecked());
    fiche.taille = numeroChoisi(ComboBox1, TabTailles);
    fiche.famille = numeroChoisi(ComboBox2, TabFamilles);
    fiche.fournisseur = numeroChoisi(ComboBox3, TabFournisseurs);
    if (!ComboBox4->currentText().isEmpty())
        fiche.codeArticle = ComboBox4->currentText().toLongLong();

    try {
        const Enregistrement fait =
            enregistrerArticle(connexion(), Valeurs::lireEntier(champCourant(QStringLiteral("Reference"))),
                               fiche, Global().OptionVersionGSM);
        if (fait == Enregistrement::CodePris) {
            // Nothing was written: the card keeps what was typed; the list offers the codes still free.
            remplirCodesLibres();
            marquerLibelle(6, true);
            MsgBox(QStringLiteral("Le code article %1 vient d'être attribué à un autre article.\n"
                                  "Veuillez choisir un autre code article.")
                       .arg(fiche.codeArticle.value_or(fiche.reference)),
                   StyleMessage::Exclamation);
            return false;
        }
    } catch (const ErreurExecution& e) {
        // Nothing was written: the card keeps what was typed and stays where it is.
        MajBase::SignalerErreur(QStringLiteral("EnregistrerArticleEnStockTous"), e);
        MsgBox(e.description(), StyleMessage::Critique);
        return false;
    }
    FicheModifiee = false;
    try {
        RsStockGlobal->Requery();
        remplirCodesLibres();
    } catch (const ErreurExecution& e) {
        MajBase::SignalerErreur(QStringLiteral("EnregistrerArticleEnStockTous"), e);
    }
    return true;
}

void FrmStock::relireListe() {
    std::optional<SaisieCarte> saisie;
    if (FicheModifiee)
        saisie = capturer(*this);
    RsStockGlobal->Requery();
    if (saisie)
        restaurer(*this, *saisie);
}

bool FrmStock::EnregistrerArticleEnStock(const QString& champ, const QVariant& valeur) {
    if (!surUnArticle())
        return false;
    try {
        EditionArticle::enregistrerChamp(
            connexion(), Valeurs::lireEntier(champCourant(QStringLiteral("Reference"))), champ, valeur);
        relireListe();
    } catch (const ErreurExecution& e) {
        MajBase::SignalerErreur(QStringLiteral("EnregistrerArticleEnStock ") + champ, e);
        MsgBox(e.description(), StyleMessage::Critique);
        return false;
    }
    return true;
}

// --- the buttons ---

void FrmStock::CmdAjout_Click() {
    if (FicheModifiee && !EnregistrerArticleEnStockTous())
        return;
    if (FrameFicheProduit->isHidden()) {
        OptionFiche->setChecked(true);
        OptionFiche_Click();
    }
    std::optional<qint64> reference;
    try {
        reference = EditionArticle::ajouterArticle(connexion(), QDate::currentDate());
    } catch (const ErreurExecution& e) {
        MsgBox(e.description());
    }
    try {
        trierSelonRecherche();
        // The new article, whatever the order of the list (its empty designation sorts first).
        if (!reference || !RsStockGlobal->Find(QStringLiteral("Reference"), Recordset::Comparaison::Egal,
                                               *reference, Recordset::Depart::Premier))
            RsStockGlobal->MoveLast();
    } catch (const ErreurExecution& e) {
        MajBase::SignalerErreur(QStringLiteral("CmdAjout_Click"), e);
    }
    if (FrameFicheProduit->isHidden()) {
        OptionFiche->setChecked(true);
        OptionFiche_Click();
    }
    Text2[1]->setFocus();
}

void FrmStock::cmdDelete_Click() {
    if (FicheModifiee && !EnregistrerArticleEnStockTous())
        return;
    if (!surUnArticle())
        return;
    const EtatGlobal& g = Global();
    if (MsgBox(QStringLiteral("Confirmer la suppression de l'article!"), StyleMessage::YesNo, g.msg(22)) !=
        Reponse::Oui)
        return;
    try {
        EditionArticle::supprimerArticle(connexion(),
                                         Valeurs::lireEntier(champCourant(QStringLiteral("Reference"))),
                                         champCourant(QStringLiteral("CodeArticle")));
    } catch (const ErreurExecution& e) {
        MajBase::SignalerErreur(QStringLiteral("cmdDelete_Click"), e);
        MsgBox(QStringLiteral("Suppression impossible !"), StyleMessage::Critique);
        return;
    }
    try {
        RsStockGlobal->Requery();
        remplirCodesLibres();
    } catch (const ErreurExecution& e) {
        MajBase::SignalerErreur(QStringLiteral("cmdDelete_Click"), e);
    }
}

void FrmStock::cmdClose_Click() {
    // Only a folder chosen during this run: an empty one would lose the configured folder.
    if (DossierImagesChoisi)
        FnWendrox::EcrireIniString(Global().CheminIni, QStringLiteral("Base de donnée"),
                                   QStringLiteral("Chemin Image"), DossierImages);
    if (!quitterFiche())
        return;
    Hide();
    DBGridStockVisible();
    // Neither view is selected until the next activation chooses the grid.
    OptionFiche->setAutoExclusive(false);
    OptionFiche->setChecked(false);
    OptionFiche->setAutoExclusive(true);
}

void FrmStock::CmdCodeBar_Click() {
    QString code = InputBox(QStringLiteral("Veuillez scanner le Code EAN !"), QStringLiteral("Code à Bar"));
    if (code.isEmpty())
        return;
    // The prefix the scanner sends before the code.
    if (code.startsWith(u'@'))
        code.remove(0, 1);
    EnregistrerArticleEnStock(QStringLiteral("CodeBar"), code);
}

void FrmStock::Check2_Click() {
    // The list changes under the card: what is typed there is saved first.
    if (FicheModifiee && !EnregistrerArticleEnStockTous()) {
        Check2->setChecked(!Check2->isChecked());
        return;
    }
    Recordset& rs = *RsStockGlobal;
    if (!rs.IsOpen())
        return;
    try {
        if (Check2->isChecked())
            rs.Filter([](const LigneRecordset& l) {
                const QVariant prix = l[QStringLiteral("Prix")];
                return !prix.isNull() && Valeurs::lireEntier(prix) == 0;
            });
        else
            rs.Filter({});
        rs.Requery();
    } catch (const ErreurExecution& e) {
        MajBase::SignalerErreur(QStringLiteral("Check2_Click"), e);
    }
}
