// The article card: its controls, its fill after every move of the list, and the lists it chooses from.
#include "stock/forms/FrmStock.h"

#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/FnWendrox.h"
#include "common/MajBase.h"
#include "common/ServiceDialogue.h"
#include "common/forms/IconeStandard.h"
#include "common/forms/Instance.h"
#include "common/mCommonDialog.h"
#include "db/Connexion.h"
#include "db/Recordset.h"
#include "db/Valeurs.h"
#include "imaging/ImageProduit.h"
#include "imaging/forms/FenScanner.h"
#include "stock/CarteArticle.h"
#include "stock/ImagesArticle.h"
#include "stock/ListesArticle.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <functional>

namespace {

// The card's drop-down lists offer their lines only: nothing is typed into them and the wheel does not
// change them, so that every change comes through an opening, which the form hears of (and may refuse).
// The text shown may be a value outside the lines (the article's own code is never a free one).
class ListeCarte : public QComboBox {
public:
    ListeCarte(QWidget* parent, std::function<bool(QComboBox*)> ouverture)
        : QComboBox(parent), m_ouverture(std::move(ouverture)) {}
    void showPopup() override {
        if (m_ouverture(this))
            QComboBox::showPopup();
    }

protected:
    void keyPressEvent(QKeyEvent* e) override {
        if (e->key() == Qt::Key_Tab || e->key() == Qt::Key_Backtab)
            QComboBox::keyPressEvent(e);
        else
            e->accept();
    }
    void wheelEvent(QWheelEvent* e) override { e->ignore(); }

private:
    std::function<bool(QComboBox*)> m_ouverture;
};

QComboBox* nouvelleListe(const QString& nom, QWidget* parent, std::function<bool(QComboBox*)> ouverture) {
    auto* c = new ListeCarte(parent, std::move(ouverture));
    c->setObjectName(nom);
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert);
    c->setCompleter(nullptr);
    c->lineEdit()->setReadOnly(true);
    c->setMinimumContentsLength(14);
    c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    return c;
}

// Shows a text in a list, on its line when it has one (as the original's lists matched their text); a
// list that shows it already is left as it is.
void afficherTexte(QComboBox* c, const QString& texte, bool chercherLigne = true) {
    const int ligne = chercherLigne && !texte.isEmpty() ? c->findText(texte, Qt::MatchFixedString) : -1;
    if (c->currentIndex() == ligne && c->currentText() == texte)
        return;
    c->setCurrentIndex(ligne);
    c->setEditText(texte);
}

// A quantity shown by a label: framed like a box, numbers to the right.
void styleValeur(QLabel* l) {
    l->setFrameShape(QFrame::StyledPanel);
    l->setFrameShadow(QFrame::Sunken);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    l->setMinimumWidth(90);
    l->setMargin(2);
}

void couleurTexte(QLineEdit* t, const QColor& couleur) {
    QPalette p = t->palette();
    if (p.color(QPalette::Text) == couleur)
        return;
    p.setColor(QPalette::Text, couleur);
    t->setPalette(p);
}

} // namespace

void FrmStock::construireCarte(QWidget* zone) {
    FrameFicheProduit = new QGroupBox(QStringLiteral("Fiche produit:"), zone);
    FrameFicheProduit->setObjectName(QStringLiteral("FrameFicheProduit"));
    // It lies over the grid: it must hide it whole.
    FrameFicheProduit->setAutoFillBackground(true);
    static_cast<QGridLayout*>(zone->layout())->addWidget(FrameFicheProduit, 0, 0);
    QWidget* f = FrameFicheProduit;

    Text2.resize(19, nullptr);
    const auto ouverture = [this](QComboBox* liste) { return ouvertureListe(liste); };

    // --- left block: what the article is ---
    auto* gauche = new QGridLayout;
    gauche->setHorizontalSpacing(8);
    gauche->setVerticalSpacing(5);
    int ligne = 0;
    auto rang = [&](QLabel* l, QWidget* w) {
        gauche->addWidget(l, ligne, 0);
        gauche->addWidget(w, ligne, 1);
        l->setBuddy(w);
        ++ligne;
    };
    rang(nouveauLabel2(0, QStringLiteral("Réference:"), f), nouveauText2(0, f));
    rang(nouveauLabel2(29, QStringLiteral("Réf. fournisseur:"), f), nouveauText2(16, f));
    rang(nouveauLabel2(1, QStringLiteral("Désignation:"), f), nouveauText2(1, f));
    ComboBox4 = nouvelleListe(QStringLiteral("ComboBox4"), f, ouverture);
    rang(nouveauLabel2(6, QStringLiteral("Code Article:"), f), ComboBox4);
    ComboBox2 = nouvelleListe(QStringLiteral("ComboBox2"), f, ouverture);
    rang(nouveauLabel2(8, QStringLiteral("Famille:"), f), ComboBox2);
    ComboBox1 = nouvelleListe(QStringLiteral("ComboBox1"), f, ouverture);
    rang(nouveauLabel2(27, QStringLiteral("Taille:"), f), ComboBox1);
    {
        auto* ean = new QWidget(f);
        auto* h = new QHBoxLayout(ean);
        h->setContentsMargins(0, 0, 0, 0);
        QLabel* code = nouveauLabel2(31, QString(), ean);
        styleValeur(code);
        code->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        CmdCodeBar = new QPushButton(QStringLiteral("..."), ean);
        CmdCodeBar->setObjectName(QStringLiteral("CmdCodeBar"));
        CmdCodeBar->setToolTip(QStringLiteral("Scanner le code EAN"));
        CmdCodeBar->setFixedWidth(34);
        h->addWidget(code, 1);
        h->addWidget(CmdCodeBar);
        rang(nouveauLabel2(21, QStringLiteral("Code EAN:"), f), ean);
    }
    rang(nouveauLabel2(7, QStringLiteral("Prix achat/Unit. HT:"), f), nouveauText2(7, f));
    rang(nouveauLabel2(23, QStringLiteral("Prix achat/Pack. HT:"), f), nouveauText2(9, f));
    rang(nouveauLabel2(4, QStringLiteral("Nb Unit./Pack:"), f), nouveauText2(4, f));
    // Kept from the design, never shown.
    rang(nouveauLabel2(2, QStringLiteral("Prix de vente TTC:"), f), nouveauText2(2, f));
    rang(nouveauLabel2(34, QStringLiteral("Norme:"), f), nouveauText2(15, f));
    rang(nouveauLabel2(25, QStringLiteral("Marque:"), f), nouveauText2(17, f));
    rang(nouveauLabel2(17, QStringLiteral("Date création:"), f), nouveauLabel2(18, QString(), f));
    rang(nouveauLabel2(19, QStringLiteral("Date modif:"), f), nouveauLabel2(20, QString(), f));
    for (int i : {2, 34, 25, 17, 18, 19, 20})
        Label2.value(i)->hide();
    for (int i : {2, 15, 17})
        Text2[i]->hide();
    Text2[1]->setMinimumWidth(300);
    gauche->setColumnStretch(1, 1);
    gauche->setRowStretch(ligne, 1);

    // --- middle block: the quantities ---
    auto* milieu = new QGridLayout;
    milieu->setHorizontalSpacing(8);
    milieu->setVerticalSpacing(5);
    ligne = 0;
    auto quantite = [&](int libelle, const QString& texte, int valeur) {
        QLabel* v = nouveauLabel2(valeur, QString(), f);
        styleValeur(v);
        milieu->addWidget(nouveauLabel2(libelle, texte, f), ligne, 0);
        milieu->addWidget(v, ligne, 1);
        ++ligne;
    };
    quantite(3, QStringLiteral("Qté en réserve:"), 39);
    quantite(28, QStringLiteral("Qté en machine:"), 38);
    quantite(26, QStringLiteral("Qté Total:"), 37);
    auto boite = [&](int libelle, const QString& texte, int index) {
        QLabel* l = nouveauLabel2(libelle, texte, f);
        QLineEdit* t = nouveauText2(index, f);
        t->setAlignment(Qt::AlignRight);
        l->setBuddy(t);
        milieu->addWidget(l, ligne, 0);
        milieu->addWidget(t, ligne, 1);
        ++ligne;
    };
    boite(5, QStringLiteral("Stock alarm:"), 5);
    boite(36, QStringLiteral("Stock réserve mini:"), 18);
    milieu->addWidget(nouveauLabel2(40, QStringLiteral("6 pack + 3 unité"), f), ligne++, 1, Qt::AlignRight);
    LabelStockAlerte = new QLabel(QStringLiteral("Alerte Stock !"), f);
    LabelStockAlerte->setObjectName(QStringLiteral("LabelStockAlerte"));
    LabelStockAlerte->setAlignment(Qt::AlignCenter);
    LabelStockAlerte->setAutoFillBackground(true);
    {
        QPalette p = LabelStockAlerte->palette();
        p.setColor(QPalette::WindowText, QColor(255, 0, 0));
        p.setColor(QPalette::Window, QColor(255, 255, 0));
        LabelStockAlerte->setPalette(p);
        QFont gras = LabelStockAlerte->font();
        gras.setBold(true);
        gras.setPointSizeF(gras.pointSizeF() * 1.3);
        LabelStockAlerte->setFont(gras);
        LabelStockAlerte->setMargin(4);
    }
    LabelStockAlerte->hide();
    milieu->addWidget(LabelStockAlerte, ligne++, 0, 1, 2);
    Check1 = new QCheckBox(QStringLiteral("Retour possible"), f);
    Check1->setObjectName(QStringLiteral("Check1"));
    milieu->addWidget(Check1, ligne++, 0, 1, 2);
    Check3 = new QCheckBox(QStringLiteral("Commande Possible"), f);
    Check3->setObjectName(QStringLiteral("Check3"));
    milieu->addWidget(Check3, ligne++, 0, 1, 2);
    milieu->setRowStretch(ligne, 1);

    // --- the picture: 2850 twips high ---
    auto* image = new QVBoxLayout;
    Image1 = new QLabel(f);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setFixedSize(190, 190);
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setScaledContents(true);
    image->addWidget(Image1);
    image->addStretch(1);
    Picture1 = new QLabel(f);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->hide();
    aavierge = new QLabel(f);
    aavierge->setObjectName(QStringLiteral("aavierge"));
    aavierge->setPixmap(QPixmap::fromImage(ImagesArticle::imageViergeLivree()));
    aavierge->hide();

    // --- the supplier ---
    SSFrame1 = new QGroupBox(QStringLiteral("Fournisseur"), f);
    SSFrame1->setObjectName(QStringLiteral("SSFrame1"));
    auto* four = new QGridLayout(SSFrame1);
    four->setHorizontalSpacing(8);
    four->setVerticalSpacing(5);
    ComboBox3 = nouvelleListe(QStringLiteral("ComboBox3"), SSFrame1, ouverture);
    four->addWidget(nouveauLabel2(11, QStringLiteral("Société:"), SSFrame1), 0, 0);
    four->addWidget(ComboBox3, 0, 1, 1, 3);
    four->addWidget(nouveauLabel2(12, QStringLiteral("Adresse:"), SSFrame1), 1, 0);
    four->addWidget(nouveauText2(10, SSFrame1), 1, 1, 1, 3);
    four->addWidget(nouveauLabel2(13, QStringLiteral("Code postal:"), SSFrame1), 2, 0);
    four->addWidget(nouveauText2(11, SSFrame1), 2, 1);
    four->addWidget(nouveauLabel2(14, QStringLiteral("Ville:"), SSFrame1), 2, 2);
    four->addWidget(nouveauText2(12, SSFrame1), 2, 3);
    four->addWidget(nouveauLabel2(15, QStringLiteral("Tel:"), SSFrame1), 3, 0);
    four->addWidget(nouveauText2(13, SSFrame1), 3, 1);
    four->addWidget(nouveauLabel2(16, QStringLiteral("Fax:"), SSFrame1), 3, 2);
    four->addWidget(nouveauText2(14, SSFrame1), 3, 3);
    four->addWidget(nouveauLabel2(9, QStringLiteral("Contact:"), SSFrame1), 4, 0);
    four->addWidget(nouveauText2(6, SSFrame1), 4, 1);
    four->addWidget(nouveauLabel2(10, QStringLiteral("Code:"), SSFrame1), 4, 2);
    four->addWidget(nouveauText2(8, SSFrame1), 4, 3);
    for (int i : {9, 10})
        Label2.value(i)->hide();
    for (int i : {6, 8})
        Text2[i]->hide();
    four->setColumnStretch(1, 1);
    four->setColumnStretch(3, 2);

    // Text2(3) is the pack count of the stock entry frame.
    for (int i : {0, 10, 11, 12, 13, 14})
        Text2[i]->setReadOnly(true);

    // --- navigation, under the card ---
    Command5 = new QPushButton(f);
    Command5->setObjectName(QStringLiteral("Command5"));
    Command5->setIcon(iconeStandard(this, QStyle::SP_MediaSkipBackward));
    Command5->setToolTip(QStringLiteral("Premier article"));
    Command6 = new QPushButton(f);
    Command6->setObjectName(QStringLiteral("Command6"));
    Command6->setIcon(iconeStandard(this, QStyle::SP_MediaSkipForward));
    Command6->setToolTip(QStringLiteral("Dernier article"));
    SpinButton1 = new QWidget(f);
    SpinButton1->setObjectName(QStringLiteral("SpinButton1"));
    SpinButton1->setToolTip(QStringLiteral("Article précédent ou suivant"));
    auto* fleches = new QHBoxLayout(SpinButton1);
    fleches->setContentsMargins(0, 0, 0, 0);
    fleches->setSpacing(2);
    auto* precedent = new QToolButton(SpinButton1);
    precedent->setArrowType(Qt::LeftArrow);
    auto* suivant = new QToolButton(SpinButton1);
    suivant->setArrowType(Qt::RightArrow);
    for (QToolButton* b : {precedent, suivant}) {
        b->setAutoRepeat(true);
        b->setFixedSize(40, 26);
        fleches->addWidget(b);
    }
    connect(precedent, &QToolButton::clicked, this, [this] { SpinButton1_SpinDown(); });
    connect(suivant, &QToolButton::clicked, this, [this] { SpinButton1_SpinUp(); });
    auto* navigation = new QHBoxLayout;
    navigation->addStretch(1);
    navigation->addWidget(Command5);
    navigation->addWidget(SpinButton1);
    navigation->addWidget(Command6);
    navigation->addStretch(1);

    auto* blocs = new QHBoxLayout;
    blocs->setSpacing(18);
    blocs->addLayout(gauche, 3);
    blocs->addLayout(milieu, 2);
    blocs->addLayout(image);
    auto* carte = new QVBoxLayout(FrameFicheProduit);
    carte->setContentsMargins(12, 10, 12, 8);
    carte->addLayout(blocs);
    carte->addWidget(SSFrame1);
    carte->addLayout(navigation);
    carte->addStretch(1);

    FrameFicheProduit->hide();
}

void FrmStock::memoriserTitreFiche() {
    // "Fiche produit:" as translated; the position follows it ("Fiche produit N°: 3 / 250").
    QString t = FrameFicheProduit->title();
    const qsizetype position = t.indexOf(QStringLiteral(" N°:"));
    if (position >= 0)
        t.truncate(position);
    t = t.trimmed();
    while (t.endsWith(u':'))
        t.chop(1);
    m_titreFiche = t.trimmed();
}

QVariant FrmStock::champCourant(const QString& champ) const {
    const Recordset& rs = *RsStockGlobal;
    const int c = rs.FieldIndex(champ);
    if (c < 0 || rs.IsBOF() || rs.IsEOF())
        return {};
    return rs.Field(c);
}

void FrmStock::data1_MoveComplete() {
    if (m_rechercheEnCours) {
        m_carteAFaire = true;
        return;
    }
    Recordset& rs = *RsStockGlobal;
    if (rs.RecordCount() == 0)
        return;
    if (rs.IsBOF() || rs.IsEOF()) {
        // The move lands here again, on the first article.
        rs.MoveFirst();
        return;
    }
    FrameFicheProduit->setTitle(QStringLiteral("%1 N°: %2 / %3")
                                    .arg(m_titreFiche)
                                    .arg(rs.AbsolutePosition() + 1)
                                    .arg(rs.RecordCount()));
    // In the grid view the card follows every move and every keystroke of the search: each box and
    // label is written once, and only when its text changes (a Null leaves it empty). The card never
    // shows another article's values: the boxes without a field (the pack count of the stock entry)
    // and the quantities go with the rest, the pack line when the article changes (for the same article
    // it keeps its text when it cannot be computed).
    const QVariant reference = champCourant(QStringLiteral("Reference"));
    const bool autreArticle = reference != m_articleCarte;
    m_articleCarte = reference;
    // What the completeness check marked goes, as with any change of the boxes.
    for (int i = 0; i <= 29; ++i)
        marquerLibelle(i, false);

    QList<QString> textes(Text2.size());
    auto boite = [&](int index, const char* champ) {
        textes[index] = CarteArticle::texteChamp(champCourant(QLatin1String(champ)));
    };
    auto libelle = [this](int index, const char* champ) {
        Label2.value(index)->setText(CarteArticle::texteChamp(champCourant(QLatin1String(champ))));
    };
    auto liste = [this](QComboBox* c, const char* champ, bool chercherLigne = true) {
        afficherTexte(c, CarteArticle::texteChamp(champCourant(QLatin1String(champ))), chercherLigne);
    };
    boite(0, "Reference");
    boite(16, "RefFournisseur");
    boite(5, "StockAlert");
    libelle(31, "CodeBar");
    boite(1, "Designation");
    boite(7, "PrixAchatUnit");
    boite(9, "PrixAchatGlobal");
    boite(4, "QteParPaket");
    libelle(39, "QteEnStock");
    libelle(38, "QteEnMachine");
    libelle(37, "QteGlobal");
    boite(18, "DelaiLivraison");
    boite(6, "NomContact");
    boite(8, "CodeFournisseur");
    boite(10, "Adresse");
    boite(11, "CodePostal");
    boite(12, "Ville");
    boite(13, "Tel");
    boite(14, "Fax");
    boite(2, "Prix");
    for (int i = 0; i < Text2.size(); ++i)
        if (Text2[i]->text() != textes.at(i))
            Text2[i]->setText(textes.at(i));
    // The family first: a new one reads its sizes, among which the size is then shown.
    liste(ComboBox2, "NomFamille");
    liste(ComboBox3, "Societe");
    const QVariant code = champCourant(QStringLiteral("CodeArticle"));
    liste(ComboBox4, "CodeArticle", false);
    const QVariant prix = champCourant(QStringLiteral("Prix"));
    liste(ComboBox1, "Taille");

    const QVariant refFournisseur = champCourant(QStringLiteral("RefFournisseur"));
    if (!refFournisseur.isNull())
        Command9->setText(TexteHistorique + u' ' + refFournisseur.toString());

    // The code changes only through "Changer le Code Article"; without one, a free code can be chosen.
    ComboBox4->setEnabled(code.isNull());

    Check1->setChecked(!prix.isNull() && prix.toDouble() == 0);
    Check3->setChecked(!prix.isNull() && prix.toDouble() == 2);
    TesterAlerteStock();

    for (int i : {2, 4, 5, 6, 7, 8, 9})
        if (const std::optional<bool> n = CarteArticle::negatif(Text2[i]->text()))
            couleurTexte(Text2[i], *n ? QColor(255, 0, 0) : QColor(Qt::black));

    if (autreArticle)
        Label2.value(40)->clear();
    AfficherReserveEnPaquets();
    // The picture waits for the card to show (OptionFiche_Click) or the next activation.
    if (FrameFicheProduit->isHidden())
        m_imageAFaire = true;
    else
        AfficherImage();
    suivreLigneCourante();
}

void FrmStock::AfficherReserveEnPaquets() {
    if (const std::optional<QString> t =
            CarteArticle::reserveEnPaquets(Text2[18]->text(), champCourant(QStringLiteral("QteParPaket"))))
        Label2.value(40)->setText(*t);
}

void FrmStock::TesterAlerteStock() {
    LabelStockAlerte->setVisible(CarteArticle::alerteStock(champCourant(QStringLiteral("QteGlobal")),
                                                           champCourant(QStringLiteral("StockAlert"))));
}

void FrmStock::RemplirColCombo() {
    try {
        Connexion& c = connexion();
        // The card keeps what it shows while its lists are read again.
        const QString famille = ComboBox2->currentText();
        TabFamilles = ListesArticle::familles(c);
        QStringList noms;
        for (const ListesArticle::Ligne& l : std::as_const(TabFamilles))
            noms << l.nom;
        {
            // The sizes follow once, for the family shown at the end (not for the first line meanwhile).
            const QSignalBlocker silence(ComboBox2);
            ComboBox2->clear();
            ComboBox2->addItems(noms);
            afficherTexte(ComboBox2, famille);
        }
        if (ComboBox2->currentIndex() >= 0)
            RemplirComboTaille(TabFamilles.at(ComboBox2->currentIndex()).numero.toLongLong());

        const QString fournisseur = ComboBox3->currentText();
        TabFournisseurs = ListesArticle::fournisseurs(c);
        noms.clear();
        for (const ListesArticle::Ligne& l : std::as_const(TabFournisseurs))
            noms << l.nom;
        ComboBox3->clear();
        ComboBox3->addItems(noms);
        afficherTexte(ComboBox3, fournisseur);

        remplirCodesLibres();
    } catch (const ErreurExecution& e) {
        MajBase::SignalerErreur(QStringLiteral("RemplirColCombo"), e);
    }
}

void FrmStock::RemplirComboTaille(qint64 noFamille) {
    try {
        // The size shown stays when the family has it (the lists read again at activation); another
        // family's size goes.
        const QString taille = ComboBox1->currentText();
        TabTailles = ListesArticle::tailles(connexion(), noFamille);
        QStringList noms;
        for (const ListesArticle::Ligne& l : std::as_const(TabTailles))
            noms << l.nom;
        const QSignalBlocker silence(ComboBox1);
        ComboBox1->clear();
        ComboBox1->addItems(noms);
        const int ligne = taille.isEmpty() ? -1 : ComboBox1->findText(taille, Qt::MatchFixedString);
        ComboBox1->setCurrentIndex(ligne);
        if (ligne < 0)
            ComboBox1->clearEditText();
    } catch (const ErreurExecution& e) {
        MajBase::SignalerErreur(QStringLiteral("RemplirComboTaille"), e);
    }
}

bool FrmStock::ouvertureListe(QComboBox* liste) {
    // Sizes are those of a family: the family comes first.
    if (liste == ComboBox1 && ComboBox2->currentText().isEmpty()) {
        MsgBox(Global().msg(11), StyleMessage::Exclamation);
        ComboBox1->clear();
        ComboBox1->clearEditText();
        TabTailles.clear();
        ComboBox2->setFocus();
        return false;
    }
    static const QMap<QString, int> Libelles{{QStringLiteral("ComboBox1"), 27},
                                             {QStringLiteral("ComboBox2"), 8},
                                             {QStringLiteral("ComboBox3"), 11},
                                             {QStringLiteral("ComboBox4"), 6}};
    marquerLibelle(Libelles.value(liste->objectName()), false);
    FicheModifiee = true;
    return true;
}

// --- the pictures ---

void FrmStock::connecterImages() {
    connect(CmdChoixImage, &QPushButton::clicked, this, [this] { CmdChoixImage_Click(); });
    connect(CmdScanner, &QPushButton::clicked, this, [this] { CmdScanner_Click(); });
}

// The picture of the current article, 190 pixels high.
void FrmStock::AfficherImage() {
    m_imageAFaire = false;
    if (!ImagesOuvertes)
        return;
    if (!surUnArticle()) {
        Image1->hide();
        return;
    }
    const EtatGlobal& g = Global();
    try {
        const ImagesArticle::Affichage a = ImagesArticle::imageArticle(
            connexion(), champCourant(QStringLiteral("Image")), g.CheminImage, g.ImagesEnBase);
        if (a.etat == ImagesArticle::Affichage::Cachee) {
            Image1->hide();
            return;
        }
        Image1->show();
        if (a.etat == ImagesArticle::Affichage::Illisible) {
            MsgBox(QStringLiteral("A picture file is no good format"), StyleMessage::Critique,
                   QStringLiteral("Erreur"));
            Picture1->clear();
            Image1->clear();
            return;
        }
        const QPixmap image = QPixmap::fromImage(a.image);
        Picture1->setPixmap(image);
        if (!a.image.isNull())
            Image1->setFixedSize(ImagesArticle::tailleAffichee(a.image.size()));
        Image1->setPixmap(image);
    } catch (const ErreurExecution& e) {
        // The card goes on without its picture.
        MajBase::SignalerErreur(QStringLiteral("AfficherImage"), e);
    }
}

void FrmStock::afficherImageEnAttente() {
    if (m_imageAFaire)
        AfficherImage();
}

// The blank picture "aavierge", in the program folder and, with pictures in the database, its row.
void FrmStock::CreerImageVierge() {
    const bool premiere = !ImagesOuvertes;
    ImagesOuvertes = true;
    try {
        ImagesArticle::creerImageVierge(connexion(), aavierge->pixmap().toImage(),
                                        FnWendrox::CheminApplication(), Global().ImagesEnBase);
    } catch (const ErreurExecution&) {
    }
    // The card was filled before the pictures could be read.
    if (premiere)
        AfficherImage();
}

void FrmStock::CmdChoixImage_Click() {
    if (FicheModifiee && !EnregistrerArticleEnStockTous())
        return;
    if (DossierImages.isEmpty())
        DossierImages = FnWendrox::AjouteBackslash(Global().CheminImage);
    const QString chemin = mCommonDialog::OuvrirFichierDialog(
        DossierImages, QStringLiteral("JPEG Files (*.JPG)|*.JPG"), static_cast<qint64>(winId()));
    if (chemin.isEmpty() || !surUnArticle())
        return;
    if (const QString refus = Connexion::refusFichierDeBase(chemin); !refus.isEmpty()) {
        MsgBox(refus, StyleMessage::Critique);
        return;
    }
    try {
        switch (ImagesArticle::choisirFichier(connexion(),
                                              Valeurs::lireEntier(champCourant(QStringLiteral("Reference"))),
                                              chemin, Global().ImagesEnBase)) {
        case ImagesArticle::IssueChoix::TropGrand:
            MsgBox(Global().msg(48), StyleMessage::Critique);
            return;
        case ImagesArticle::IssueChoix::PasUneImage:
            MsgBox(QStringLiteral("A picture file is no good format"), StyleMessage::Critique,
                   QStringLiteral("Erreur"));
            return;
        case ImagesArticle::IssueChoix::Enregistre:
            break;
        }
        DossierImages = FnWendrox::CheminFichier(chemin);
        DossierImagesChoisi = true;
        // The card is filled again, its picture with it.
        relireListe();
        afficherImageEnAttente();
    } catch (const ErreurExecution& e) {
        MajBase::SignalerErreur(QStringLiteral("CmdChoixImage_Click"), e);
        Image1->clear();
        MsgBox(e.description(), StyleMessage::Critique);
    }
}

void FrmStock::CmdScanner_Click() {
    if (!surUnArticle())
        return;
    const qint64 reference = Valeurs::lireEntier(champCourant(QStringLiteral("Reference")));
    // The article takes the scanned picture's name only once the picture is saved: a cancelled scan
    // leaves it its own picture.
    Global().FichierImageScan = ImagesArticle::fichierImage(Global().CheminImage, QString::number(reference));
    FenScanner& scanner = Instance<FenScanner>();
    scanner.ShowModal(this);
    if (scanner.ImageEnregistree) {
        try {
            ImagesArticle::enregistrerScan(connexion(), reference, Global().FichierImageScan,
                                           Global().ImagesEnBase);
            relireListe();
            afficherImageEnAttente();
            return;
        } catch (const ErreurExecution& e) {
            MajBase::SignalerErreur(QStringLiteral("CmdScanner_Click"), e);
            MsgBox(e.description(), StyleMessage::Critique);
        }
    }
    AfficherImage();
}
