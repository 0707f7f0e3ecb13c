// The viewer's send buttons: the report exported to the temporary folder and mailed, as a PDF or as a
// zipped workbook.
#include "reports/forms/FenCrystalRep.h"

#include "common/Conversions.h"
#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/FnWendrox.h"
#include "common/MajBase.h"
#include "common/ServiceDialogue.h"
#include "mail/Zipper.h"
#include "reports/DestinationExport.h"
#include "reports/ReportExcel.h"

#include <QComboBox>
#include <QDir>
#include <QFile>

namespace {

const QString SujetRapport = QStringLiteral("Rapport du distributeur automatique d'E.P.I. : ");

QString texteErreur(const std::exception& e) {
    if (const auto* erreur = dynamic_cast<const ErreurExecution*>(&e))
        return QString::number(erreur->numero()) + u' ' + erreur->description();
    return QStringLiteral("0 ") + QString::fromUtf8(e.what());
}

} // namespace

void FenCrystalRep::CmdEmail_Click() {
    envoyerRapport(false);
}

void FenCrystalRep::CmdenvoieEmailExcel_Click() {
    envoyerRapport(true);
}

void FenCrystalRep::envoyerRapport(bool classeur) {
    const QString procedure =
        classeur ? QStringLiteral("CmdenvoieEmailExcel_Click") : QStringLiteral("CmdEmail_Click");
    try {
        QString dossier = QDir::tempPath();
        if (!FnWendrox::DossierAccessibleEnEcriture(dossier)) {
            MajBase::EnregistrerErreur(
                procedure, QStringLiteral("Impossible de trouver le chemin du répertoire temporaire !"));
            dossier = FnWendrox::CheminApplication();
        }

        const QString adresse = ComboAdressEmail->currentText();
        if (adresse.isEmpty() || !adresse.contains(u'@')) {
            QPalette p = ComboAdressEmail->palette();
            p.setColor(QPalette::Base, Conversions::couleurVB(0x00FFFF));
            p.setColor(QPalette::Button, Conversions::couleurVB(0x00FFFF));
            ComboAdressEmail->setPalette(p);
            MsgBox(adresse.isEmpty() ? QStringLiteral("Veuillez renseigner votre Email")
                                     : QStringLiteral("Mauvais format d'adresse Email"),
                   StyleMessage::OK | StyleMessage::Exclamation);
            return;
        }
        Global().AdresseEmail = adresse;

        if (m_document.pageCount() == 0)
            throw ErreurExecution(ErreurExecution::InvalidProcedureCall,
                                  QStringLiteral("Aucun état à envoyer"), objectName());
        const int destination = DestinationExport(ComboEmail->currentText(), Global().OptionVersionGSM);
        const QDir temporaire(dossier);
        const QString fichier = temporaire.filePath(
            ReportExcel::fileName(m_titre, classeur ? QStringLiteral(".xlsx") : QStringLiteral(".pdf")));
        if (classeur)
            ReportExcel::write(m_definition, m_tables, fichier);
        else
            m_document.writePdf(fichier, m_titre);
        // The other destinations are the mail transports of the original engine: the file is written,
        // nothing leaves.
        if (destination != 1)
            return;

        FnWendrox::Attendre(1);
        QString pieceJointe = fichier;
        if (classeur) {
            pieceJointe = temporaire.filePath(ReportExcel::fileName(m_titre, QStringLiteral(".zip")));
            // WriteZip has shown why; an older archive must not leave in its place.
            if (!Zipper(fichier, pieceJointe))
                return;
        }
        const ResultatEnvoi r = EnvoyerEmail(SujetRapport, QString(), pieceJointe);
        if (!r.envoye())
            MsgBox(QString::number(r.erreur->numero()) + u' ' + r.erreur->description());
    } catch (const std::exception& e) {
        MsgBox(texteErreur(e));
        MajBase::SignalerErreur(classeur ? QStringLiteral("CmdenvoieEmailExcel") : procedure, e);
    }
}
