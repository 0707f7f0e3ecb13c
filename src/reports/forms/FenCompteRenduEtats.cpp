// The report buttons of the reports menu.
#include "reports/forms/FenCompteRendu.h"

#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/ServiceDialogue.h"
#include "common/forms/Instance.h"
#include "reports/forms/FenCrystalRep.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <optional>

void FenCompteRendu::brancherEtat(QPushButton* bouton, std::function<void()> etat) {
    bouton->setEnabled(true);
    connect(bouton, &QPushButton::clicked, this, [this, etat = std::move(etat)] {
        if (verifierPeriode())
            etat();
    });
}

// Every report reads the texts as dates: a text that is none is told here, before anything is built,
// rather than printed as a period of its own or handed to a builder.
bool FenCompteRendu::verifierPeriode() {
    return dateLisible(TextDebut, 28) && dateLisible(TextFin, 29);
}

void FenCompteRendu::brancherConsommations() {
    // The business units' four reports share one title, unlike their frame's caption.
    static const QString UniteMetier = QStringLiteral("Consommations par Business unit");
    struct Consommation {
        QPushButton* bouton;
        const char* fichier;
        QPushButton* legende; // whose caption is the title, read at the click; none: UniteMetier
    };
    const Consommation consommations[] = {
        {Command3, "ConsParMachine.rpt", Command3},
        {CmdConsoMachineGraph, "ConsParMachineGraf.rpt", Command3},
        {Command4, "ConsParMachine1-2.rpt", nullptr},
        {Command5, "ConsParMachine3-4.rpt", nullptr},
        {Command6, "ConsParMachine5-6-7-8.rpt", nullptr},
        {Command7, "ConsParMachine9-10.rpt", nullptr},
        {CmdConsoParSalarie, "ConsParSalarie.RPT", CmdConsoParSalarie},
        {Command9, "ConsParSalariegraf.RPT", CmdConsoParSalarie},
        {CmdConsoParSalarieDetail, "ConsParSalariedetail.RPT", CmdConsoParSalarieDetail},
        {CmdCAparFamille, "ConsParFamille.RPT", CmdCAparFamille},
        {cmdConsoMensuel, "ConsParMois.RPT", cmdConsoMensuel},
        {CmdConsoMensuelGraph, "ConsParMoisGrap.RPT", cmdConsoMensuel},
        {CmdConsoParFournisseur, "ConsParFournisseur.RPT", CmdConsoParFournisseur},
        {CmdConsoParProfile, "ConsParProfile.RPT", CmdConsoParProfile},
        {CmdConsoParService, "ConsParService.RPT", CmdConsoParService},
        {CmdConsoParSite, "ConsParSite.RPT", CmdConsoParSite},
        {Command1, "ConsParProfileParSalarie.RPT", Command1},
        {Command2, "ConsParServiceParSalarie.RPT", Command2},
    };
    for (const Consommation& c : consommations)
        brancherEtat(c.bouton, [this, c] {
            imprimerConsommations(QString::fromUtf8(c.fichier), c.legende ? c.legende->text() : UniteMetier);
        });
    brancherEtat(CmdConsoGlobal, [this] { CmdConsoGlobal_Click(); });
    brancherEtat(Command10, [this] { Command10_Click(); });
    brancherEtat(Command11, [this] { Command11_Click(); });
}

void FenCompteRendu::imprimerConsommations(const QString& fichier, const QString& titre,
                                           const CompteRendu::Instruction& instruction) {
    FenCrystalRep& viewer = Instance<FenCrystalRep>();
    OptionsEtat options;
    options.constructeur = viewer.CreerEtatCA(instruction.sql, instruction.valeurs);
    QString nom = fichier;
    // A failure is the viewer's to show: only an empty period is told here.
    if (viewer.ImprimerEtat(nom, QString(), titre, QStringLiteral("CA"), this, QString(), options) ==
        ResultatEtat::RienAImprimer)
        MsgBox(Global().msg(27), StyleMessage::OK | StyleMessage::Exclamation);
}

void FenCompteRendu::CmdConsoGlobal_Click() {
    imprimerConsommations(SSOption2->isChecked() ? QStringLiteral("ConsParRefGlobal.RPT")
                                                 : QStringLiteral("consParDesiGlobal.RPT"),
                          CmdConsoGlobal->text());
}

// The lines of the profiles selected, and those without a profile; none selected: every line.
void FenCompteRendu::Command10_Click() {
    QStringList profils;
    for (int i = 0; i < NbProfils; ++i) {
        const QListWidgetItem* entree = ListProfil->item(i);
        if (entree && entree->isSelected())
            profils << entree->text();
    }
    imprimerConsommations(QStringLiteral("ConsParProfileParSalarieDetail.RPT"), Command1->text(),
                          CompteRendu::filtreProfils(profils));
}

void FenCompteRendu::Command11_Click() {
    std::optional<ErreurExecution> erreur;
    if (Instance<FenCrystalRep>().CreerEtatConsoParCentreCout(
            QStringLiteral("consoparmachineServiceTalmer.rpt"), this, &erreur))
        return;
    // A failure is no empty period.
    MsgBox(erreur ? QString::number(erreur->numero()) + QLatin1Char(' ') + erreur->description()
                  : Global().msg(27),
           StyleMessage::OK | StyleMessage::Exclamation);
}
