// The sheet buttons of the machine window: each computes the lines its sheet needs (the grid's, or those
// of every machine of the list) in the report builder's transaction, which holds the two work tables
// until the viewer has read them, and opens its report modal over the window. The machine list is never
// moved: the window goes on showing, titling and saving the machine it shows.
#include "machines/forms/FrmConfigMachine.h"

#include "common/ErreurExecution.h"
#include "common/MODTranslate.h"
#include "common/MajBase.h"
#include "common/ServiceDialogue.h"
#include "common/ServiceSession.h"
#include "common/forms/BoutonMultiligne.h"
#include "common/forms/Instance.h"
#include "db/Valeurs.h"
#include "reports/forms/FenCrystalRep.h"

#include <QPushButton>

namespace {

const QString Source = QStringLiteral("ARemplissageMachine");
const QString Procedure = QStringLiteral("RemplissageMachine");
// The label sheet's title, in every language.
const QString TitreEtiquettes = QStringLiteral("Etiquette - Avery L7161 - 63,5 x 46,6 mm");

// A computation of the sheet: its failure is logged under its own name, then goes on to the builder,
// which rolls back and shows it.
std::function<bool(Connexion&)> calcul(const QString& routine, std::function<void(Connexion&)> travail) {
    return [routine, travail = std::move(travail)](Connexion& c) {
        try {
            travail(c);
        } catch (const std::exception& e) {
            MajBase::SignalerErreur(routine, e);
            throw;
        }
        return true;
    };
}

// The open machine's lines, as its grid shows them.
std::function<bool(Connexion&)> lignesDeLaGrille(const DispositionMachine::Tableau& tableau) {
    return calcul(QStringLiteral("RemplisageMachine"),
                  [tableau](Connexion& c) { CalculRemplissage::RemplisageMachine(c, tableau); });
}

} // namespace

void FrmConfigMachine::brancherFiches() {
    connect(CmdRmplir, &QPushButton::clicked, this, [this] { CmdRmplir_Click(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
    connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
    connect(Command5, &QPushButton::clicked, this, [this] { Command5_Click(); });
}

int FrmConfigMachine::machineDeLaListe() const {
    return surUneMachine() ? static_cast<int>(Valeurs::lireEntier(champ(QStringLiteral("NoMachine")))) : 0;
}

QList<CalculRemplissage::Machine> FrmConfigMachine::machinesDeLaListe() const {
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

ResultatEtat FrmConfigMachine::imprimerFiche(const Fiche& fiche, std::function<bool(Connexion&)> travail) {
    m_derniereFiche = fiche;
    FenCrystalRep& viewer = Instance<FenCrystalRep>();
    viewer.Load();
    OptionsEtat options;
    options.constructeur =
        viewer.CreerEtatRemplissageMach(fiche.machine, fiche.nombre, fiche.procedure, std::move(travail));
    QString fichier = fiche.fichier;
    return viewer.ImprimerEtat(fichier, QString(), fiche.titre, fiche.source, this, QString(), options);
}

void FrmConfigMachine::CmdRmplir_Click() {
    imprimerFiche({QStringLiteral("RemplissageMachine.RPT"), CmdRmplir->text(), Source, machineDeLaListe(), 1,
                   Procedure},
                  lignesDeLaGrille(TableauRemplissage));
}

void FrmConfigMachine::Command1_Click() {
    imprimerFiche({QStringLiteral("FicheSelectProduit.RPT"), Command1->text(), Source, machineDeLaListe(), 1,
                   QStringLiteral("PresentationArticle")});
}

void FrmConfigMachine::Command2_Click() {
    imprimerFiche(
        {QStringLiteral("FicheImageProduit.RPT"), TitreEtiquettes, Source, machineDeLaListe(), 1, Procedure},
        lignesDeLaGrille(TableauRemplissage));
}

void FrmConfigMachine::Command3_Click() {
    // An empty list has no machine to name: nothing is printed.
    const QList<CalculRemplissage::Machine> machines = machinesDeLaListe();
    if (machines.isEmpty())
        return;
    QList<qint32> laissees;
    const ResultatEtat r =
        imprimerFiche({QStringLiteral("RemplissageMachineGlobal.RPT"), Command3->text(),
                       QStringLiteral("ARemplissageMachine  order by ReferenceArticle"),
                       machines.last().noMachine, static_cast<int>(machines.size()), Procedure},
                      calcul(QStringLiteral("RemplissageMachineGlobal"), [machines, &laissees](Connexion& c) {
                          laissees = CalculRemplissage::RemplissageMachineGlobal(c, machines);
                      }));
    if (r != ResultatEtat::Pret || laissees.isEmpty())
        return;
    QStringList numeros;
    for (qint32 no : laissees)
        numeros << QString::number(no);
    MsgBox(
        MODTranslate::TexteLangue(objectName(), QStringLiteral("MsgMachinesSansPortes"),
                                  QStringLiteral("Machines laissées hors de la fiche, leur nombre de portes "
                                                 "étant nul ou absent :")) +
            u' ' + numeros.join(QStringLiteral(", ")),
        StyleMessage::OK | StyleMessage::Exclamation);
}

void FrmConfigMachine::Command4_Click() {
    imprimerFiche({QStringLiteral("RemplissageMachineGlobalTotalArt.RPT"), Command4->text(),
                   QStringLiteral("ARemplissageMachine order by ReferenceArticle"), machineDeLaListe(),
                   static_cast<int>(Adodc1.IsOpen() ? Adodc1.RecordCount() : 0), Procedure},
                  lignesDeLaGrille(TableauRemplissage));
}

void FrmConfigMachine::Command5_Click() {
    FenCrystalRep& viewer = Instance<FenCrystalRep>();
    viewer.Load();
    for (int n = 1; n <= 42; ++n) {
        imprimerFiche({QStringLiteral("FicheSelectProduitxls.RPT"),
                       QStringLiteral("Fiche de présentation des articles"), Source, n, 1,
                       QStringLiteral("PresentationArticle")});
        viewer.CmdenvoieEmailExcel_Click();
    }
    Session().terminer(0);
}
