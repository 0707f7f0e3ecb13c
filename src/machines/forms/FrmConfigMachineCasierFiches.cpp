#include "machines/forms/FrmConfigMachineCasier.h"

#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/FnWendrox.h"
#include "common/ServiceDialogue.h"
#include "common/ServiceSession.h"
#include "common/forms/BoutonMultiligne.h"
#include "common/forms/Instance.h"
#include "db/Valeurs.h"
#include "machines/CalculRemplissageCasiers.h"
#include "reports/forms/FenCrystalRep.h"

#include <QDir>
#include <QPushButton>
#include <QTableWidget>

// The locker window's sheets, label sheet and configuration file: each sheet fills its work table in the
// viewer's transaction and opens modal over the window, which then draws its grid again.

using namespace CalculRemplissageCasiers;

void FrmConfigMachineCasier::brancherFiches() {
    connect(CmdRmplir, &QPushButton::clicked, this, [this] { CmdRmplir_Click(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
    connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
    connect(Command6, &QPushButton::clicked, this, [this] { Command6_Click(); });
}

ResultatEtat FrmConfigMachineCasier::imprimerFiche(const QString& fichier, const QString& titre,
                                                   const QString& source,
                                                   const ReportData::Builder& constructeur) {
    QString nom = fichier;
    OptionsEtat options;
    options.constructeur = constructeur;
    const ResultatEtat r =
        Instance<FenCrystalRep>().ImprimerEtat(nom, QString(), titre, source, this, QString(), options);
    if (dispositionAffichee())
        LireConfigMachineColonne();
    return r;
}

void FrmConfigMachineCasier::CmdRmplir_Click() {
    const qint32 machine = NoMachineCourante;
    const int type = static_cast<int>(Valeurs::lireEntier(champ(QStringLiteral("Type"))));
    if (Global().OptionQuantiteMultiple) {
        imprimerFiche(QStringLiteral("RemplissageMachineCasierQteMulti.RPT"), CmdRmplir->text(),
                      QStringLiteral("ARemplissageMachine order by Etage"),
                      ReportData::inTransaction({QStringLiteral("ARemplissageMachine")}, [=](Connexion& c) {
                          RemplisageMachineFicheReapproQteMultiple(c, machine, type, true);
                          return true;
                      }));
        return;
    }
    imprimerFiche(QStringLiteral("RemplissageMachineCasier.RPT"), CmdRmplir->text(),
                  QStringLiteral("ARemplissageMachine"),
                  Instance<FenCrystalRep>().CreerEtatRemplissageMach(
                      machineDeLaListe(), 1, QStringLiteral("RemplissageMachine"), [=](Connexion& c) {
                          RemplisageMachineFicheReappro(c, machine, type, false);
                          return true;
                      }));
}

void FrmConfigMachineCasier::Command1_Click() {
    imprimerFiche(QStringLiteral("FicheSelectProduit.RPT"), Command1->text(),
                  QStringLiteral("ARemplissageMachine"),
                  Instance<FenCrystalRep>().CreerEtatRemplissageMach(machineDeLaListe(), 1,
                                                                     QStringLiteral("PresentationArticle")));
}

void FrmConfigMachineCasier::Command2_Click() {
    ImprimerPlancheEtiquettes();
}

void FrmConfigMachineCasier::Command3_Click() {
    // Every machine of the list; the builder is handed the last one and the count, the list stays where
    // it stands.
    const QList<CalculRemplissage::Machine> machines = machinesDeLaListe();
    const int derniere = machines.isEmpty() ? machineDeLaListe() : machines.last().noMachine;
    QList<qint32> laissees;
    const ResultatEtat r = imprimerFiche(
        QStringLiteral("RemplissageMachineGlobal.RPT"), QStringLiteral("Fiche global de réapprovisionnement"),
        QStringLiteral("ARemplissageMachine"),
        Instance<FenCrystalRep>().CreerEtatRemplissageMach(
            derniere, static_cast<int>(machines.size()), QStringLiteral("RemplissageMachine"),
            [machines, &laissees](Connexion& c) {
                laissees = RemplissageMachineGlobal(c, machines);
                return true;
            }));
    if (r == ResultatEtat::Pret)
        signalerMachinesLaissees(laissees);
}

void FrmConfigMachineCasier::Command4_Click() {
    const qint32 machine = NoMachineCourante;
    const bool quantiteMultiple = Global().OptionQuantiteMultiple;
    imprimerFiche(QStringLiteral("RemplissageMachineGlobalTotalArt.RPT"), Command4->text(),
                  QStringLiteral("ARemplissageMachine"),
                  Instance<FenCrystalRep>().CreerEtatRemplissageMach(
                      machineDeLaListe(), Adodc1.RecordCount(), QStringLiteral("RemplissageMachine"),
                      [=](Connexion& c) {
                          RemplisageMachine(c, machine, quantiteMultiple);
                          return true;
                      }));
}

void FrmConfigMachineCasier::ImprimerPlancheEtiquettes() {
    // The cells as the grid holds them now; no label: no sheet and no message.
    const GrilleCasiers::Table<qint64> references = Grille.tables.ReferenceCase;
    const qint32 machine = NoMachineCourante;
    const int lignes = MSFlexGrid1->rowCount(), colonnes = MSFlexGrid1->columnCount();
    imprimerFiche(QStringLiteral("FicheImageProduit.RPT"),
                  QStringLiteral("Etiquette - Avery L7161 - 63,5 x 46,6 mm"),
                  QStringLiteral("ARemplissageMachine order by etage"),
                  Instance<FenCrystalRep>().CreerEtatRemplissageMach(
                      machineDeLaListe(), 1, QStringLiteral("RemplissageMachine"), [=](Connexion& c) {
                          return PlancheEtiquettes(c, machine, references, lignes, colonnes);
                      }));
}

void FrmConfigMachineCasier::Command6_Click() {
    ExportCsv();
}

void FrmConfigMachineCasier::ExportCsv() {
    const QString chemin = QDir(FnWendrox::CheminApplication())
                               .filePath(QStringLiteral("ConfigMachine%1.csv").arg(NoMachineCourante));
    try {
        // The grid as displayed, its caption row and column included.
        QList<QStringList> cellules;
        cellules.reserve(MSFlexGrid1->rowCount());
        for (int r = 0; r < MSFlexGrid1->rowCount(); ++r) {
            QStringList ligne;
            ligne.reserve(MSFlexGrid1->columnCount());
            for (int c = 0; c < MSFlexGrid1->columnCount(); ++c) {
                const QTableWidgetItem* item = MSFlexGrid1->item(r, c);
                ligne.append(item ? item->text() : QString());
            }
            cellules.append(std::move(ligne));
        }
        ExporterConfigurationCsv(chemin, cellules);
        if (!Global().OptionVersionGSM) {
            OuvrirFichierEcrit(chemin);
            return;
        }
        const ResultatEnvoi envoi = Instance<FenCrystalRep>().EnvoyerEmail(
            QStringLiteral("Configuration distributeur automatique d'E.P.I. : "), QString(), chemin);
        if (!envoi.envoye())
            throw *envoi.erreur;
        MsgBox(QStringLiteral("Opération terminée !"));
    } catch (const ErreurExecution& e) {
        MsgBox(QString::number(e.numero()) + u' ' + e.description());
    }
}
