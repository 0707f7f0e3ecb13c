#include "imaging/forms/FenScanner.h"

#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/MajBase.h"
#include "common/ServiceDialogue.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

FenScanner::FenScanner(QWidget* parent)
    : FormBase(QStringLiteral("FenScanner"), parent, Qt::Dialog | Qt::WindowCloseButtonHint) {
    setWindowTitle(QStringLiteral("Scanner"));
    // Translated by F12 only.
    setTraductionActivation(false);
    Reglages = {{QStringLiteral("mode"), QStringLiteral("Color"), true}};

    Command1 = creerBouton(QStringLiteral("Command1"), QStringLiteral("Selectionnez le scanner"), this);
    Command2 = creerBouton(QStringLiteral("Command2"), QStringLiteral("Scannez"), this);
    cmdOK = creerBouton(QStringLiteral("cmdOK"), QStringLiteral("OK"), this);
    CmdAnnuler = creerBouton(QStringLiteral("CmdAnnuler"), QStringLiteral("Annuler"), this);
    CmdAnnuler->setToolTip(QStringLiteral("Arrêter la numérisation"));
    for (QPushButton* b : {Command1, Command2, cmdOK, CmdAnnuler})
        b->setMinimumHeight(30);
    Combo1 = new QComboBox(this);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setMinimumContentsLength(28);
    Combo1->setToolTip(QStringLiteral("Scanner utilisé"));

    Picture1 = new QLabel(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setAlignment(Qt::AlignCenter);
    Picture1->setFrameShape(QFrame::StyledPanel);
    Picture1->setFrameShadow(QFrame::Sunken);
    Picture1->setMinimumSize(420, 320);
    Picture1->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    Picture1->setAutoFillBackground(true);
    {
        QPalette p = Picture1->palette();
        p.setColor(QPalette::Window, Qt::white);
        Picture1->setPalette(p);
    }

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    // The bar and its cancel button keep their place while hidden: the picture does not jump.
    for (QWidget* w : std::initializer_list<QWidget*>{ProgressBar1, CmdAnnuler}) {
        QSizePolicy p = w->sizePolicy();
        p.setRetainSizeWhenHidden(true);
        w->setSizePolicy(p);
    }

    auto* choix = new QHBoxLayout;
    choix->addWidget(Command1);
    choix->addWidget(Combo1, 1);
    auto* avance = new QHBoxLayout;
    avance->addWidget(ProgressBar1, 1);
    avance->addWidget(CmdAnnuler);
    auto* boutons = new QHBoxLayout;
    boutons->addWidget(Command2);
    boutons->addStretch(1);
    boutons->addWidget(cmdOK);
    cmdOK->setMinimumWidth(110);
    Command2->setMinimumWidth(110);

    auto* principal = new QVBoxLayout(this);
    principal->setContentsMargins(12, 12, 12, 12);
    principal->setSpacing(8);
    principal->addLayout(choix);
    principal->addWidget(Picture1, 1);
    principal->addLayout(avance);
    principal->addLayout(boutons);
    resize(520, 500);

    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(CmdAnnuler, &QPushButton::clicked, this, [this] { CmdAnnuler_Click(); });
    connect(Combo1, &QComboBox::activated, this,
            [this](int i) { Peripherique = Combo1->itemData(i).toString(); });
    connect(&m_acquisition, &Scanner::Acquisition::progression, this, [this](int p) {
        // An unknown height: the bar only shows that the scan goes on.
        if (p < 0)
            ProgressBar1->setRange(0, 0);
        else {
            ProgressBar1->setRange(0, 100);
            ProgressBar1->setValue(p);
        }
    });
    connect(&m_acquisition, &Scanner::Acquisition::terminee, this, [this] { Acquisition_Terminee(); });
}

FenScanner::~FenScanner() = default;

void FenScanner::Form_Load() {
    setWindowIcon(QApplication::windowIcon());
    // Only what this opening scans may be stored.
    ImageEnregistree = false;
    m_image = QImage();
    montrerImage();
    etatAcquisition(false);
}

void FenScanner::Form_Unload(bool& annuler) {
    Q_UNUSED(annuler);
    m_acquisition.attendreFin();
    etatAcquisition(false);
}

void FenScanner::Form_Resize() {
    montrerImage();
}

bool FenScanner::listerScanners() {
    QList<Scanner::Peripherique> liste;
    Sablier(true);
    try {
        liste = Scanner::listePeripheriques();
    } catch (const ErreurExecution& e) {
        Sablier(false);
        MajBase::SignalerErreur(QStringLiteral("Command1_Click"), e);
        MsgBox(e.description(), StyleMessage::Critique);
        return false;
    }
    Sablier(false);
    Combo1->clear();
    for (const Scanner::Peripherique& p : std::as_const(liste))
        Combo1->addItem(p.libelle(), p.nom);
    if (liste.isEmpty()) {
        MsgBox(QStringLiteral("Aucun scanner n'a été trouvé."), StyleMessage::Exclamation);
        return false;
    }
    int i = Combo1->findData(Peripherique);
    if (i < 0)
        i = 0;
    Combo1->setCurrentIndex(i);
    Peripherique = Combo1->itemData(i).toString();
    return true;
}

void FenScanner::Command1_Click() {
    if (listerScanners())
        Combo1->showPopup();
}

void FenScanner::Command2_Click() {
    if (m_acquisition.enCours())
        return;
    if (Peripherique.isEmpty() && !listerScanners())
        return;
    // A failed or cancelled scan leaves nothing to store.
    m_image = QImage();
    montrerImage();
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    if (m_acquisition.demarrer(Peripherique, Reglages))
        etatAcquisition(true);
}

void FenScanner::CmdAnnuler_Click() {
    m_acquisition.annuler();
}

void FenScanner::Acquisition_Terminee() {
    etatAcquisition(false);
    const Scanner::Resultat& r = m_acquisition.resultat();
    if (r.issue == Scanner::Issue::Acquise) {
        m_image = r.image;
        montrerImage();
    } else if (r.issue == Scanner::Issue::Echec && isVisible()) {
        MsgBox(QStringLiteral("Erreur du scanner : ") + r.erreur, StyleMessage::Critique);
    }
}

void FenScanner::cmdOK_Click() {
    if (m_acquisition.enCours())
        return;
    if (!m_image.isNull()) {
        const QString fichier = Global().FichierImageScan;
        try {
            Scanner::EnregistrerImageScannee(m_image, fichier);
            ImageEnregistree = true;
        } catch (const ErreurExecution& e) {
            MajBase::SignalerErreur(QStringLiteral("cmdOK_Click"), e);
            MsgBox(QStringLiteral("Erreur sur l'image: '") + fichier + QStringLiteral("'"),
                   StyleMessage::Critique);
        }
    }
    Unload();
}

void FenScanner::montrerImage() {
    if (m_image.isNull()) {
        Picture1->clear();
        return;
    }
    const QSize place = Picture1->contentsRect().size() - QSize(4, 4);
    QImage vue = m_image;
    if (vue.width() > place.width() || vue.height() > place.height())
        vue = vue.scaled(place, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    Picture1->setPixmap(QPixmap::fromImage(vue));
}

void FenScanner::etatAcquisition(bool enCours) {
    ProgressBar1->setVisible(enCours);
    CmdAnnuler->setVisible(enCours);
    for (QWidget* w : std::initializer_list<QWidget*>{Command1, Command2, cmdOK, Combo1})
        w->setEnabled(!enCours);
}
