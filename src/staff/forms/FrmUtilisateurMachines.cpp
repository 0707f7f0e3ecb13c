// The machines allowed to the current employee (the panel over the grid) and the badge button of the card.
#include "staff/forms/FrmUtilisateur.h"

#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/LecteurTag.h"
#include "common/MODTranslate.h"
#include "common/MajBase.h"
#include "common/ServiceDialogue.h"
#include "common/forms/Instance.h"
#include "db/Recordset.h"
#include "reports/forms/FenCrystalRep.h"
#include "staff/BadgeSalarie.h"
#include "staff/EuroKey.h"
#include "staff/MachinesSalarie.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

namespace {

const QString ContexteMachines = QStringLiteral(" DBGrid1_ButtonClick");
constexpr int ColonneMachines = 9;
// Boxes are laid out down, then across, in at most this many columns; more machines scroll.
constexpr int LignesParColonne = 10;
constexpr int ColonnesMax = 4;

// The caption's beginning, "Machine N° " in French; the blank before the number is kept whatever the
// language file holds.
QString prefixeMachine() {
    QString prefixe = MODTranslate::TexteLangue(
        QStringLiteral("FrmUtilisateur"), QStringLiteral("CheckBox1.Caption"), QStringLiteral("Machine N° "));
    if (!prefixe.endsWith(u' '))
        prefixe += u' ';
    return prefixe;
}

bool ligneCourante(const Recordset& rs) {
    return rs.IsOpen() && !rs.IsBOF() && !rs.IsEOF();
}

} // namespace

void FrmUtilisateur::connecterMachines() {
    // Many machines scroll inside the panel, which never grows past the grid.
    auto* v = static_cast<QVBoxLayout*>(SSPanel2->layout());
    auto* defilement = new QScrollArea(SSPanel2);
    defilement->setFrameShape(QFrame::NoFrame);
    defilement->setWidgetResizable(true);
    defilement->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    delete v->replaceWidget(ZoneMachines, defilement);
    defilement->setWidget(ZoneMachines);

    connect(this, &FrmUtilisateur::DBGrid1_ButtonClick, this, [this](int c) { ouvrirMachines(c); });
    connect(CmdMachAutoriseSelec, &QPushButton::clicked, this, [this] { CmdMachAutoriseSelec_Click(); });
    connect(CmdMachAuriseOK, &QPushButton::clicked, this, [this] { CmdMachAuriseOK_Click(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    // The panel belongs to the row it was filled for: on another row its "OK" would write the wrong one.
    connect(data1, &Recordset::MoveComplete, this, [this] {
        if (SSPanel2->isVisible() && (!ligneCourante(*data1) || data1->Bookmark() != m_ligneMachines))
            SSPanel2->hide();
    });
}

void FrmUtilisateur::ouvrirMachines(int ColIndex) {
    if (ColIndex != ColonneMachines)
        return;
    QList<MachinesSalarie::Machine> machines;
    try {
        machines = MachinesSalarie::Machines(connexion());
    } catch (const ErreurExecution& e) {
        SSPanel2->hide();
        MajBase::SignalerErreur(ContexteMachines, e);
        MsgBox(e.description(), StyleMessage::Exclamation);
        return;
    }
    // Shown again once filled, at the size of its new content.
    SSPanel2->hide();
    for (QCheckBox* b : CheckBox1)
        b->hide();
    m_machineDeCase.clear();
    m_machinesSansCase.clear();
    if (machines.isEmpty())
        return;

    // One box per machine, its own number behind it.
    const auto n = static_cast<int>(machines.size());
    while (CheckBox1.size() < n) {
        auto* b = new QCheckBox(ZoneMachines);
        b->setObjectName(QStringLiteral("CheckBox1(%1)").arg(CheckBox1.size()));
        b->hide();
        CheckBox1.append(b);
    }
    const int colonnes = std::min(ColonnesMax, (n + LignesParColonne - 1) / LignesParColonne);
    const int lignes = (n + colonnes - 1) / colonnes;
    const QString prefixe = prefixeMachine();
    for (int k = 0; k < n; ++k) {
        QCheckBox* b = CheckBox1[k];
        MachinesGrille->removeWidget(b);
        MachinesGrille->addWidget(b, k % lignes, k / lignes);
        b->setText(prefixe + QString::number(machines[k].numero) + QStringLiteral(": ") +
                   machines[k].location);
        b->setChecked(false);
        b->show();
        m_machineDeCase.append(machines[k].numero);
    }

    const QString texte = ligneCourante(*data1)
                              ? Valeurs::lireTexte(data1->Field(QStringLiteral("MachineAutorise")))
                              : QString();
    const MachinesSalarie::Liste liste = MachinesSalarie::LireListe(texte);
    if (!liste.refuses.isEmpty()) {
        // Dropped, and said in the log; the numbers around them still count.
        QStringList items;
        for (const QString& r : liste.refuses)
            items << QStringLiteral("« ") + r.left(50) + QStringLiteral(" »");
        MajBase::SignalerErreur(
            ContexteMachines,
            ErreurExecution(ErreurExecution::TypeMismatch,
                            QStringLiteral("Type incompatible, pas un numéro de machine : ") +
                                items.join(u", "),
                            QStringLiteral("MachineAutorise")));
    }
    for (const qint64 numero : liste.numeros) {
        const auto k = m_machineDeCase.indexOf(numero);
        if (k >= 0)
            CheckBox1[k]->setChecked(true);
        else
            m_machinesSansCase.append(numero);
    }
    m_ligneMachines = ligneCourante(*data1) ? data1->Bookmark() : QVariant();

    // The scroll area's own size hint stops at a few lines: its size is the content's, within the grid,
    // with a scroll bar when the rows do not fit.
    auto* defilement = qobject_cast<QScrollArea*>(ZoneMachines->parentWidget()->parentWidget());
    if (defilement) {
        const QSize contenu = ZoneMachines->sizeHint();
        const int hauteur = std::max(120, DBGrid1->height() - 80);
        const int barre =
            contenu.height() > hauteur ? defilement->verticalScrollBar()->sizeHint().width() : 0;
        defilement->setFixedSize(std::min(contenu.width() + barre, std::max(200, DBGrid1->width() - 40)),
                                 std::min(contenu.height(), hauteur));
    }
    SSPanel2->show();
    SSPanel2->raise();
    // The keys go to the panel: Space ticks a box, Enter confirms, Esc closes it.
    CheckBox1[0]->setFocus();
}

void FrmUtilisateur::CmdMachAutoriseSelec_Click() {
    for (int k = 0; k < m_machineDeCase.size(); ++k)
        CheckBox1[k]->setChecked(true);
    // The numbers of no machine go, as every box not shown would.
    m_machinesSansCase.clear();
}

void FrmUtilisateur::CmdMachAuriseOK_Click() {
    QList<qint64> numeros = m_machinesSansCase;
    for (int k = 0; k < m_machineDeCase.size(); ++k)
        if (CheckBox1[k]->isChecked())
            numeros.append(m_machineDeCase[k]);
    // Held in the row until the save, Enter or leaving the row stores it.
    try {
        if (ligneCourante(*data1))
            data1->SetField(QStringLiteral("MachineAutorise"), MachinesSalarie::EcrireListe(numeros));
    } catch (const ErreurExecution& e) {
        MajBase::SignalerErreur(QStringLiteral("CmdMachAuriseOK_Click"), e);
    }
    SSPanel2->hide();
}

void FrmUtilisateur::Command1_Click() {
    const EtatGlobal& g = Global();
    switch (g.TypeLecteurBadge) {
    case 2:
    case 6: {
        if (!ligneCourante(*data1))
            return;
        QString badge;
        try {
            badge =
                g.TypeLecteurBadge == 2 ? EuroKey::LireBadgeEuroKey() : LecteurTagCourant().LireTagACR120();
        } catch (const std::exception& e) {
            // A reader that cannot be reached: the button's failure path, with the reader's own reason.
            data1->CancelUpdate();
            MsgBox(QString::fromUtf8(e.what()), StyleMessage::OKCancel | StyleMessage::Exclamation,
                   QStringLiteral("Erreur"));
            return;
        }
        if (badge == QLatin1String("ERREUR") || badge.isEmpty())
            return;
        attribuerBadgeLu(badge);
        return;
    }
    case 3: {
        QString fichier = QStringLiteral("CodeBarSalarie.RPT");
        Instance<FenCrystalRep>().ImprimerEtat(fichier, QString(),
                                               QStringLiteral("Etiquette - Avery L7060 - 63,5 x 38,1 mm"),
                                               QStringLiteral("GrUtilisateur"), this, QString());
        return;
    }
    default:
        return;
    }
}

void FrmUtilisateur::attribuerBadgeLu(const QString& badge) {
    bool enregistre = false;
    try {
        if (BadgeMaintenanceUtilise(badge))
            return;
        enregistre =
            BadgeSalarie::AttribuerBadge(connexion(), *data1, badge) == BadgeSalarie::Resultat::Enregistre;
    } catch (const std::exception&) {
        enregistre = false;
    }
    if (!enregistre) {
        data1->CancelUpdate();
        MsgBox(QStringLiteral("Badge déjà utilisé !"), StyleMessage::OKCancel | StyleMessage::Exclamation,
               QStringLiteral("Erreur"));
        return;
    }
    // The card shows the new badge, so that a later save of the card does not write the old one back.
    const bool avant = m_carteEnCours;
    m_carteEnCours = true;
    Text2[0]->setText(Valeurs::lireTexte(data1->Field(QStringLiteral("NoBadge"))));
    m_carteEnCours = avant;
}
