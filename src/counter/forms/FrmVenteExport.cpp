// The journal form's export: the journal of a period or every return, written to "consoQuorel.csv",
// then opened, or mailed in the multi-machine installation; and its address list.
#include "counter/forms/FrmVente.h"

#include "common/Conversions.h"
#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/FnWendrox.h"
#include "common/ServiceDialogue.h"
#include "common/ServiceSession.h"
#include "common/forms/Calendrier.h"
#include "common/forms/Instance.h"
#include "common/forms/ListeAdresses.h"
#include "counter/ExportJournal.h"
#include "reports/forms/FenCrystalRep.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFile>

namespace {

const QString NomExport = QStringLiteral("consoQuorel.csv");

// The program folder without its trailing separator.
QString dossierProgramme() {
    return QDir::cleanPath(FnWendrox::CheminApplication());
}

} // namespace

bool FrmVente::eventFilter(QObject* objet, QEvent* e) {
    if (objet == ComboAdressEmail && e->type() == QEvent::FocusOut)
        ComboAdressEmail_LostFocus();
    return FormBase::eventFilter(objet, e);
}

void FrmVente::ComboAdressEmail_LostFocus() {
    ListeAdresses::AjouterAdresseSaisie(ComboAdressEmail);
}

void FrmVente::refuserAdresse(const QString& message) {
    // Stays yellow while the form is loaded.
    QPalette p = ComboAdressEmail->palette();
    p.setColor(QPalette::Base, Conversions::couleurVB(0x00FFFF));
    ComboAdressEmail->setPalette(p);
    MsgBox(message, StyleMessage::OK | StyleMessage::Exclamation);
}

void FrmVente::Command2_Click() {
    EtatGlobal& g = Global();
    try {
        // The temporary folder, whatever the length of its path; the program folder when it takes no file.
        QString dossier = QDir::tempPath();
        if (!FnWendrox::DossierAccessibleEnEcriture(dossier))
            dossier = dossierProgramme();
        if (g.OptionVersionGSM) {
            dossier = dossierProgramme();
            const QString adresse = ComboAdressEmail->currentText();
            if (adresse.isEmpty()) {
                refuserAdresse(QStringLiteral("Veuillez renseigner votre Email"));
                return;
            }
            // The "." is asked for only when the address joins the list.
            if (!adresse.contains(u'@')) {
                refuserAdresse(QStringLiteral("Mauvais format d'adresse Email"));
                return;
            }
            g.AdresseEmail = adresse;
        }
        Instance<Calendrier>().ShowModal();
        if (g.FinDemandee)
            return;
        const QDate debut = g.DateDebut.date();
        const QDate fin = g.DateFin.date();

        const QString chemin = QDir(dossier).filePath(NomExport);
        // An older export, whatever the case of its name.
        const QString ancien = FnWendrox::FichierExistant(dossier, NomExport);
        if (!ancien.isEmpty() && !QFile::remove(ancien))
            throw ErreurExecution(ErreurExecution::PathFileAccess,
                                  QStringLiteral("Erreur d'accès au chemin/fichier : ") + ancien);
        // The period is asked for the returns too, which take every row.
        if (CheckRetour->isChecked())
            ExportJournal::ExporterRetoursCSV(connexion(), chemin);
        else
            ExportJournal::ConsoAutreMethode(connexion(), chemin, debut, fin);

        if (!g.OptionVersionGSM) {
            OuvrirFichierEcrit(chemin);
            return;
        }
        const ResultatEnvoi envoi = Instance<FenCrystalRep>().EnvoyerEmail(
            QStringLiteral("Consommations distributeur automatique d'E.P.I. : "), QString(), chemin);
        if (!envoi.envoye())
            throw *envoi.erreur;
        MsgBox(QStringLiteral("Opération terminée !"));
    } catch (const ErreurExecution& e) {
        montrerErreur(e);
    }
}
