#include "machines/forms/FormeMachine.h"

#include "common/Conversions.h"
#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/FnWendrox.h"
#include "common/MODTranslate.h"
#include "common/MajBase.h"
#include "common/ServiceDialogue.h"
#include "common/forms/BoutonMultiligne.h"
#include "common/forms/Instance.h"
#include "common/forms/LigneGrille.h"
#include "common/forms/TraduireForm.h"
#include "db/RecordsetModel.h"
#include "db/Valeurs.h"
#include "stock/forms/FrmStock.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QShowEvent>
#include <QTableView>
#include <QTableWidget>

namespace {

// The sheet buttons' light grey.
constexpr quint32 GrisBoutons = 0xE0E0E0;

BoutonMultiligne* boutonFiche(QWidget* parent, const char* nom, const QString& legende) {
    auto* b = new BoutonMultiligne(legende, parent);
    b->setObjectName(QLatin1String(nom));
    QPalette p = b->palette();
    p.setColor(QPalette::Button, Conversions::couleurVB(GrisBoutons));
    b->setPalette(p);
    return b;
}

} // namespace

FormeMachine::FormeMachine(const QString& nomForm, QWidget* parent)
    : FormBase(nomForm, parent,
               Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint) {
    m_modele = new RecordsetModel(&Adodc1, this);
    m_modele->setColonnes({QStringLiteral("NoMachine"), QStringLiteral("Type"),
                           QStringLiteral("NbEmplacement"), QStringLiteral("Location")},
                          {QStringLiteral("Numéro"), QStringLiteral("Type"), QStringLiteral("Nbre casier"),
                           QStringLiteral("Location")});
    for (int c = 0; c < 3; ++c)
        m_modele->setFormat(c, RecordsetModel::Format::Entier);
    m_modele->setFormat(3, RecordsetModel::Format::Texte);
    // The machine window's keys serve both lists (the language files name FrmConfigMachine).
    m_modele->setGrille(objectName(), QStringLiteral("DataGrid1"));

    DataGrid1 = new QTableView(this);
    DataGrid1->setObjectName(QStringLiteral("DataGrid1"));
    DataGrid1->setModel(m_modele);
    DataGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DataGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DataGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DataGrid1->setSortingEnabled(true);
    DataGrid1->verticalHeader()->setDefaultSectionSize(DataGrid1->fontMetrics().height() + 6);
    DataGrid1->verticalHeader()->hide();
    // The numbers as wide as their captions (translated ones are longer), the place takes the rest.
    for (int c = 0; c < 3; ++c)
        DataGrid1->horizontalHeader()->setSectionResizeMode(c, QHeaderView::ResizeToContents);
    DataGrid1->horizontalHeader()->setStretchLastSection(true);

    Picture1 = new QLabel(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setAlignment(Qt::AlignCenter);
    Picture1->setFrameShape(QFrame::StyledPanel);

    Label3 = new QLabel(this);
    Label3->setObjectName(QStringLiteral("Label3"));
    QFont gras = Label3->font();
    gras.setBold(true);
    gras.setPointSizeF(gras.pointSizeF() * 1.2);
    Label3->setFont(gras);

    cmdClose = creerBouton(QStringLiteral("cmdClose"), QStringLiteral("Fermer"));
    setBoutonAnnuler(cmdClose);
    CmdModeConfig = new BoutonMultiligne(QStringLiteral("Activer mode configuration"), this);
    CmdModeConfig->setObjectName(QStringLiteral("CmdModeConfig"));
    CmdEnregiConfig = new BoutonMultiligne(QStringLiteral("Enregistrer configuration"), this);
    CmdEnregiConfig->setObjectName(QStringLiteral("CmdEnregiConfig"));
    Command3 = boutonFiche(this, "Command3", QStringLiteral("Fiche global de réapprovisionnement"));
    Command4 = boutonFiche(this, "Command4", QStringLiteral("Total des Articles à réapprovisionner"));
    Command2 = boutonFiche(this, "Command2", QStringLiteral("Planche d'étiquette des articles"));
    Command2->setToolTip(QStringLiteral("Etiquette - Avery L7161 - 63,5 x 46,6 mm"));
    Command1 = boutonFiche(this, "Command1", QStringLiteral("Fiche de présentation des articles"));
    CmdRmplir = boutonFiche(this, "CmdRmplir", QStringLiteral("Fiche de réapprovisionnement"));
    // Shown with a machine's layout only.
    for (QWidget* w :
         std::initializer_list<QWidget*>{CmdModeConfig, CmdEnregiConfig, CmdRmplir, Command1, Command2})
        w->hide();

    MSFlexGrid1 = new QTableWidget(this);
    MSFlexGrid1->setObjectName(QStringLiteral("MSFlexGrid1"));
    MSFlexGrid1->horizontalHeader()->hide();
    MSFlexGrid1->verticalHeader()->hide();
    MSFlexGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    MSFlexGrid1->hide();
    Label3->hide();

    new LigneGrille(DataGrid1, &Adodc1);
    connect(&Adodc1, &Recordset::MoveComplete, this, &FormeMachine::Adodc1_MoveComplete);
    connect(DataGrid1, &QAbstractItemView::doubleClicked, this, [this] { DataGrid1_DblClick(); });
    connect(cmdClose, &QPushButton::clicked, this, &FormeMachine::cmdClose_Click);
    connect(CmdModeConfig, &QPushButton::clicked, this, &FormeMachine::CmdModeConfig_Click);
}

void FormeMachine::placer(QWidget* controle, int gauche, int haut, int largeur, int hauteur) {
    using Conversions::twipsEnPixels;
    controle->setGeometry(twipsEnPixels(gauche), twipsEnPixels(haut), twipsEnPixels(largeur),
                          twipsEnPixels(hauteur));
}

void FormeMachine::showEvent(QShowEvent* e) {
    if (!e->spontaneous() && isWindow()) {
        // A new width keeps the window's centre where it was placed.
        const QRect avant = geometry();
        disposer(placeSurLEcran());
        if (width() != avant.width())
            move(pos().x() + (avant.width() - width()) / 2, pos().y());
    }
    FormBase::showEvent(e);
}

bool FormeMachine::ouvrirListe() {
    try {
        Adodc1.Open(connexion(), QStringLiteral("select * from Machines order by NoMachine"));
        return true;
    } catch (const ErreurExecution& e) {
        MsgBox(QString::number(e.numero()) + u' ' + e.description());
    } catch (const std::exception& e) {
        MsgBox(QStringLiteral("0 ") + QString::fromUtf8(e.what()));
    }
    Unload();
    return false;
}

bool FormeMachine::enregistrerConfig(const std::function<void()>& enregistrement) {
    try {
        enregistrement();
        return true;
    } catch (const ErreurExecution& e) {
        MajBase::SignalerErreur(QStringLiteral("CmdEnregiConfig_Click"), e);
        MsgBox(QString::number(e.numero()) + u' ' + e.description());
    } catch (const std::exception& e) {
        MajBase::SignalerErreur(QStringLiteral("CmdEnregiConfig_Click"), e);
        MsgBox(QStringLiteral("0 ") + QString::fromUtf8(e.what()));
    }
    return false;
}

void FormeMachine::Form_Unload(bool& annuler) {
    Q_UNUSED(annuler);
    Global().ConfigMachineOuverte = false;
    Adodc1.Close();
}

void FormeMachine::Form_KeyUp(QKeyEvent* e) {
    // The language switch of F12 has just translated the window.
    if (e->key() == Qt::Key_F12)
        legendeFermer();
}

bool FormeMachine::surUneMachine() const {
    return Adodc1.IsOpen() && Adodc1.AbsolutePosition() >= 0;
}

QVariant FormeMachine::champ(const QString& nom) const {
    return Adodc1.Field(nom);
}

bool FormeMachine::allerALaMachine(qint32 no) {
    if (!Adodc1.IsOpen())
        return false;
    const QVariant signet = surUneMachine() ? Adodc1.Bookmark() : QVariant();
    if (Adodc1.Find(QStringLiteral("NoMachine"), Recordset::Comparaison::Egal, no,
                    Recordset::Depart::Premier))
        return true;
    if (signet.isValid())
        Adodc1.SetBookmark(signet);
    return false;
}

QString FormeMachine::titreMachine() const {
    const QString titre = Global().msg(4);
    if (!surUneMachine())
        return titre;
    return titre + Valeurs::lireTexte(champ(QStringLiteral("Location")));
}

void FormeMachine::Adodc1_MoveComplete() {
    // The model's picture, "mod-" & Type & ".jpg" in the program folder, whatever the case of its name.
    QPixmap image;
    if (surUneMachine()) {
        const QString nom = QStringLiteral("mod-") + Valeurs::lireTexte(champ(QStringLiteral("Type"))) +
                            QStringLiteral(".jpg");
        const QString chemin = FnWendrox::FichierExistant(FnWendrox::CheminApplication(), nom);
        const QSize place = Picture1->contentsRect().size();
        if (chemin.isEmpty() || !image.load(chemin))
            image = QPixmap();
        else if (!place.isEmpty())
            image = image.scaled(place, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    if (image.isNull())
        Picture1->clear();
    else
        Picture1->setPixmap(image);
}

void FormeMachine::legendeFermer() {
    cmdClose->setText(Global().msg(m_disposition ? 3 : 1));
}

void FormeMachine::traduireAvec(const QString& fichierLng) {
    MODTranslate::TraduireForm(this, fichierLng);
    legendeFermer();
}

void FormeMachine::masquerDisposition() {
    MSFlexGrid1->hide();
    Label3->hide();
}

void FormeMachine::passerEnListe() {
    m_disposition = false;
    masquerDisposition();
    for (QWidget* w :
         std::initializer_list<QWidget*>{CmdModeConfig, CmdRmplir, Command1, Command2, CmdEnregiConfig})
        w->hide();
    DataGrid1->show();
    DataGrid1->raise();
    legendeFermer();
}

void FormeMachine::passerEnDisposition() {
    m_disposition = true;
    for (QWidget* w : std::initializer_list<QWidget*>{CmdRmplir, Command1, Command2})
        w->show();
    legendeFermer();
}

void FormeMachine::montrerDisposition() {
    DataGrid1->hide();
    MSFlexGrid1->clear();
    MSFlexGrid1->setRowCount(0);
    MSFlexGrid1->setColumnCount(0);
    MSFlexGrid1->show();
    Label3->setText(titreMachine());
    Label3->show();
}

void FormeMachine::CmdModeConfig_Click() {
    if (MSFlexGrid1->isHidden())
        return;
    ModeConfig = true;
    CmdEnregiConfig->show();
}

void FormeMachine::cmdClose_Click() {
    if (m_disposition) {
        if (Global().LangueCourante != QLatin1String("FR"))
            traduireAvec(Global().FichierLangue);
        passerEnListe();
        return;
    }
    Global().ConfigMachineOuverte = false;
    CmdEnregiConfig->hide();
    Hide();
    if (FrmStock* stock = InstanceExistante<FrmStock>())
        stock->DBGridStockVisible();
    legendeFermer();
}

int FormeMachine::machineDeLaListe() const {
    return surUneMachine() ? static_cast<int>(Valeurs::lireEntier(champ(QStringLiteral("NoMachine")))) : 0;
}

QList<CalculRemplissage::Machine> FormeMachine::machinesDeLaListe() const {
    QList<CalculRemplissage::Machine> machines;
    if (!Adodc1.IsOpen())
        return machines;
    const int no = Adodc1.FieldIndex(QStringLiteral("NoMachine"));
    const int type = Adodc1.FieldIndex(QStringLiteral("Type"));
    const int places = Adodc1.FieldIndex(QStringLiteral("NbEmplacement"));
    const int portes = Adodc1.FieldIndex(QStringLiteral("NbPorte"));
    const int chargement = Adodc1.FieldIndex(QStringLiteral("Chargement"));
    for (int i = 0; i < Adodc1.RecordCount(); ++i)
        machines.append({static_cast<qint32>(Valeurs::lireEntier(Adodc1.ValueAt(i, no))),
                         static_cast<int>(Valeurs::lireEntier(Adodc1.ValueAt(i, type))),
                         Adodc1.ValueAt(i, places), Adodc1.ValueAt(i, portes),
                         Adodc1.ValueAt(i, chargement)});
    return machines;
}

void FormeMachine::signalerMachinesLaissees(const QList<qint32>& laissees) {
    if (laissees.isEmpty())
        return;
    QStringList numeros;
    for (qint32 no : laissees)
        numeros << QString::number(no);
    // The machine window's text serves both windows (the language files name FrmConfigMachine).
    MsgBox(
        MODTranslate::TexteLangue(QStringLiteral("FrmConfigMachine"), QStringLiteral("MsgMachinesSansPortes"),
                                  QStringLiteral("Machines laissées hors de la fiche, leur nombre de portes "
                                                 "étant nul ou absent :")) +
            u' ' + numeros.join(QStringLiteral(", ")),
        StyleMessage::OK | StyleMessage::Exclamation);
}
