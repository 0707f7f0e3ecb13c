#include "counter/forms/FenComptoir.h"

#include "common/Conversions.h"
#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/ServiceDialogue.h"
#include "common/forms/Centrage.h"
#include "common/forms/SpinButton.h"
#include "counter/ArticlesComptoir.h"
#include "counter/ExportSAP.h"
#include "counter/VerifierQuota.h"
#include "db/Recordset.h"
#include "db/RecordsetModel.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableView>
#include <QTimer>

namespace {

// The client area, in twips.
constexpr int LargeurTwips = 12570;
constexpr int HauteurTwips = 9870;

const char* const LegendesLabel1[] = {
    "No Badge: ",  "Nom: ",        "Service: ",          "Prénom: ",           "Taille Main: ",
    "Site: ",      "Profil: ",     "Taille chaussure: ", "Réference: ",        "Désignation: ",
    "Taille: ",    "Déscriptif: ", "Fiche technique: ",  "Réf. Fournisseur: ", "Matricule: ",
    "Qté dispo: ", "Qté: "};
constexpr int NbLabel1 = 17;
constexpr int NbLabel2 = 11;

// Places a control by its design geometry in twips.
void placer(QWidget* w, int gauche, int haut, int largeur, int hauteur) {
    using Conversions::twipsEnPixels;
    w->setGeometry(twipsEnPixels(gauche), twipsEnPixels(haut), twipsEnPixels(largeur),
                   twipsEnPixels(hauteur));
}

QLineEdit* boite(const QString& nom, QWidget* parent) {
    auto* b = new QLineEdit(parent);
    b->setObjectName(nom);
    return b;
}

} // namespace

FenComptoir::FenComptoir(QWidget* parent)
    : FormBase(QStringLiteral("FenComptoir"), parent, Qt::Dialog | Qt::WindowCloseButtonHint) {
    setWindowTitle(QStringLiteral("Comptoir"));

    RsArticles = new Recordset(this);
    RsSalaries = new Recordset(this);
    RsHistorique = new Recordset(this);

    for (int i = 0; i < NbLabel1; ++i) {
        auto* l = new QLabel(QString::fromUtf8(LegendesLabel1[i]), this);
        l->setObjectName(QStringLiteral("Label1(%1)").arg(i));
        Label1 << l;
    }
    QFont gras = font();
    gras.setBold(true);
    for (int i = 0; i < NbLabel2; ++i) {
        auto* l = new QLabel(this);
        l->setObjectName(QStringLiteral("Label2(%1)").arg(i));
        l->setFont(gras);
        Label2 << l;
    }

    construireSalarie();
    construireArticle();
    construireHistorique();

    CmdSave = creerBouton(QStringLiteral("CmdSave"), QStringLiteral("Enregister [F11]"));
    cmdClose = creerBouton(QStringLiteral("cmdClose"), QStringLiteral("Fermer"));
    setBoutonAnnuler(cmdClose);
    TextQte = boite(QStringLiteral("TextQte"), this);
    QFont grasArial(QStringLiteral("Arial"));
    grasArial.setPointSizeF(13.5);
    grasArial.setBold(true);
    TextQte->setFont(grasArial);
    TextQte->setText(QStringLiteral("1"));
    Label1[16]->setBuddy(TextQte);

    TimerLecteurComptoir = new QTimer(this);
    TimerLecteurComptoir->setObjectName(QStringLiteral("TimerLecteurComptoir"));
    TimerLecteurComptoir->setInterval(1000);

    placerControles();
    ordreTabulation();
    connecterSalarie();
    connecterArticle();
    connecterHistorique();
    connecterRemise();
    connect(cmdClose, &QPushButton::clicked, this, [this] { cmdClose_Click(); });
    setFixedSize(Conversions::twipsEnPixels(LargeurTwips), Conversions::twipsEnPixels(HauteurTwips));
}

FenComptoir::~FenComptoir() = default;

void FenComptoir::construireSalarie() {
    TextUtilisateur = boite(QStringLiteral("TextUtilisateur"), this);
    TextNom = boite(QStringLiteral("TextNom"), this);
    Label1[0]->setBuddy(TextUtilisateur);
    Label1[1]->setBuddy(TextNom);
    SpinButton1 = new SpinButton(this);
    SpinButton1->setObjectName(QStringLiteral("SpinButton1"));
    SpinButton1->setToolTip(QStringLiteral("Salarié suivant / précédent"));

    LabelMessage = new QLabel(QStringLiteral("QUOTA DEPASSE !"), this);
    LabelMessage->setObjectName(QStringLiteral("LabelMessage"));
    LabelMessage->setAlignment(Qt::AlignCenter);
    LabelMessage->setWordWrap(true);
    QFont message = LabelMessage->font();
    message.setPointSize(18);
    message.setBold(true);
    LabelMessage->setFont(message);
    LabelMessage->setStyleSheet(
        QStringLiteral("QLabel { color: #FF0000; background-color: #FFFF00; border: 1px solid #FF0000; }"));
    LabelMessage->hide();

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setScaledContents(true);
    Image1->hide();
}

void FenComptoir::construireArticle() {
    TextReference = boite(QStringLiteral("TextReference"), this);
    TextRefFournisseur = boite(QStringLiteral("TextRefFournisseur"), this);
    Label1[8]->setBuddy(TextReference);
    Label1[13]->setBuddy(TextRefFournisseur);

    Combo1 = new QComboBox(this);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    // Editable: its own completer completes the typed text inline to the first item beginning with it,
    // without regard to case. What is typed is never added to the items.
    Combo1->setEditable(true);
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    QFont arial(QStringLiteral("Arial"));
    arial.setPointSize(9);
    Combo1->setFont(arial);
    List1 = new QListWidget(this);
    List1->setObjectName(QStringLiteral("List1"));
    List1->hide();

    TextBox1 = new QPlainTextEdit(this);
    TextBox1->setObjectName(QStringLiteral("TextBox1"));
    TextBox2 = new QPlainTextEdit(this);
    TextBox2->setObjectName(QStringLiteral("TextBox2"));
    for (QPlainTextEdit* t : {TextBox1, TextBox2})
        t->setTabChangesFocus(true);
}

void FenComptoir::construireHistorique() {
    CommandButton1 = creerBouton(QStringLiteral("CommandButton1"), QStringLiteral("Visualiser l'historique"));
    CommandButton2 = creerBouton(QStringLiteral("CommandButton2"), QStringLiteral(" Imprimer l'historique"));

    LegendeDataGrid1 = new QLabel(QStringLiteral("Historique"), this);
    LegendeDataGrid1->setAlignment(Qt::AlignCenter);
    QFont gras = LegendeDataGrid1->font();
    gras.setBold(true);
    LegendeDataGrid1->setFont(gras);
    ModeleHistorique = new RecordsetModel(RsHistorique, this);
    ModeleHistorique->setColonnes(
        {QStringLiteral("LaDate"), QStringLiteral("Reference"), QStringLiteral("RefFournisseur"),
         QStringLiteral("Designation"), QStringLiteral("Quantite")},
        {QStringLiteral("Date"), QStringLiteral("Référence"), QStringLiteral("Réf. fournisseur"),
         QStringLiteral("Désignation"), QStringLiteral("Qté")});
    ModeleHistorique->setFormat(0, RecordsetModel::Format::Date);
    ModeleHistorique->setGrille(objectName(), QStringLiteral("DataGrid1"));
    DataGrid1 = new QTableView(this);
    DataGrid1->setObjectName(QStringLiteral("DataGrid1"));
    DataGrid1->setModel(ModeleHistorique);
    DataGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DataGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DataGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DataGrid1->verticalHeader()->hide();
    DataGrid1->verticalHeader()->setDefaultSectionSize(DataGrid1->fontMetrics().height() + 6);
    // The designation takes what the other columns leave.
    const int largeurs[] = {1200, 1050, 1500, 0, 750};
    for (int c = 0; c < 5; ++c)
        if (largeurs[c] > 0)
            DataGrid1->setColumnWidth(c, Conversions::twipsEnPixels(largeurs[c]));
    DataGrid1->horizontalHeader()->setSectionResizeMode(3, QHeaderView::Stretch);
    declarerLegendeGrille(DataGrid1->objectName(), LegendeDataGrid1);

    Lst = new QListWidget(this);
    Lst->setObjectName(QStringLiteral("Lst"));
    Lst->hide();
}

void FenComptoir::placerControles() {
    // The employee card down the left column.
    constexpr int xl = 120, xv = 1800, lv = 3000, hl = 285, hb = 345;
    placer(Label1[0], xl, 150, xv - xl, hl);
    placer(TextUtilisateur, xv, 120, lv, hb);
    placer(Label1[1], xl, 570, xv - xl, hl);
    placer(TextNom, xv, 540, lv, hb);
    placer(Label2[9], xv, 930, lv, hl);
    // First name, matricule, profile, site, service, hand size, shoe size: caption and value.
    const int lignes[][2] = {{3, 3}, {14, 0}, {6, 4}, {5, 2}, {2, 5}, {4, 1}, {7, 6}};
    int y = 1320;
    for (const auto& [legende, valeur] : lignes) {
        placer(Label1[legende], xl, y, xv - xl, hl);
        placer(Label2[valeur], xv, y, lv, hl);
        y += 375;
    }
    placer(SpinButton1, xv, 4020, 1200, 375);
    // Two lines of the message's 18 points: a longer message, or a translated one, wraps.
    placer(LabelMessage, xl, 4500, 4680, 1035);
    placer(Image1, 1032, 5670, 2856, 2856);

    // Hand-out, quantity and closing at the bottom left.
    placer(CmdSave, xl, 9030, 1740, 555);
    placer(Label1[16], 1920, 9165, 1020, hl);
    Label1[16]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    placer(TextQte, 2940, 9060, 720, 495);
    placer(cmdClose, 3720, 9030, 1320, 555);

    // The article card along the top right, the list under it.
    constexpr int xa = 5160, xav = 6960, xb = 8940, xbv = 10620, hr = 12450;
    placer(Label1[8], xa, 150, xav - xa, hl);
    placer(TextReference, xav, 120, 1800, hb);
    placer(Label1[13], xb, 150, xbv - xb, hl);
    placer(TextRefFournisseur, xbv, 120, hr - xbv, hb);
    placer(Label1[9], xa, 570, xav - xa, hl);
    placer(Label2[7], xav, 570, hr - xav, hl);
    placer(Label1[10], xa, 930, xav - xa, hl);
    placer(Label2[8], xav, 930, 1800, hl);
    placer(Label1[15], xb, 930, xbv - xb, hl);
    placer(Label2[10], xbv, 930, hr - xbv, hl);
    placer(Combo1, xa, 1350, hr - xa, 375);
    placer(Label1[11], xa, 1860, xav - xa, hl);
    placer(TextBox1, xav, 1830, hr - xav, 735);
    placer(Label1[12], xa, 2670, xav - xa, hl);
    placer(TextBox2, xav, 2640, hr - xav, 735);

    // The history in the middle and on the right below.
    placer(CommandButton1, xa, 3540, 3540, 495);
    placer(CommandButton2, hr - 3540, 3540, 3540, 495);
    placer(LegendeDataGrid1, xa, 4170, hr - xa, hl);
    placer(DataGrid1, xa, 4470, hr - xa, 5115);
}

void FenComptoir::ordreTabulation() {
    const QList<QWidget*> ordre = {
        TextUtilisateur, TextReference, TextRefFournisseur, TextNom,        SpinButton1, TextQte,  TextBox1,
        TextBox2,        DataGrid1,     CommandButton1,     CommandButton2, Combo1,      cmdClose, CmdSave};
    for (qsizetype i = 1; i < ordre.size(); ++i)
        setTabOrder(ordre[i - 1], ordre[i]);
}

void FenComptoir::Form_Load() {
    setWindowIcon(QApplication::windowIcon());
    FonctionUtilitaires::CentrerFormEnHaut(this);
    SalarieSelectionne = false;
    ArticleSelectionne = false;
    ImagesOuvertes = false;
    etatInitial();
    try {
        const ArticlesComptoir::Liste articles = ArticlesComptoir::ChargerArticles(connexion(), *RsArticles);
        RsSalaries->Open(connexion(), QStringLiteral("GrUtilisateur order by Nom"));
        List1->clear();
        Combo1->clear();
        Combo1->addItems(articles.elements);
        List1->addItems(articles.references);
        // The box shows no item until one is chosen or typed.
        Combo1->setCurrentIndex(-1);
    } catch (const ErreurExecution& e) {
        MsgBox(QString::number(e.numero()) + u' ' + e.description());
        Unload();
        return;
    }
    TimerLecteurComptoir->start();
}

void FenComptoir::etatInitial() {
    // A new opening starts from the design, as a new instance would; the lists are not read yet, so the
    // boxes' searches have nothing to do.
    for (QLineEdit* b : {TextUtilisateur, TextNom, TextReference, TextRefFournisseur}) {
        const QSignalBlocker bloque(b);
        b->clear();
    }
    TextQte->setText(QStringLiteral("1"));
    TextBox1->clear();
    TextBox2->clear();
    LabelMessage->hide();
    Image1->clear();
    Image1->hide();
    Lst->clear();
}

void FenComptoir::Form_Activate() {
    // The menu set the hourglass before it opened the counter.
    Sablier(false);
    // The picture rows are read one at a time, by key, when an article is shown.
    if (!ImagesOuvertes && Global().ImagesEnBase)
        ImagesOuvertes = true;
}

void FenComptoir::Form_Unload(bool& annuler) {
    Q_UNUSED(annuler);
    TimerLecteurComptoir->stop();
    RsHistorique->Close();
    RsSalaries->Close();
    RsArticles->Close();
}

void FenComptoir::Form_KeyUp(QKeyEvent* e) {
    // F12 is the language switch of the form base, which takes the key: no box ever sees it.
    if (e->key() == Qt::Key_F11) {
        // A held key repeats its releases: the hand-out runs on the last one only.
        if (!e->isAutoRepeat())
            EffectuerRemiseArticle();
        return;
    }
    if (focusWidget() == TextUtilisateur)
        TextUtilisateur_KeyUp(e);
}

void FenComptoir::cmdClose_Click() {
    Unload();
}

qint16 FenComptoir::VerifierQuota(qint64 reference, const QString& nom, const QString& prenom) {
    return ::VerifierQuota(connexion(), reference, nom, prenom);
}

void FenComptoir::ExportToSapXML(const QString& p1, const QString& BKTXT, const QString& MATNR,
                                 const QString& KOSTL, qint32 ERFMG) {
    ExportSAP::ExportToSapXML(ExportSAPReussi, p1, BKTXT, MATNR, KOSTL, ERFMG);
}
