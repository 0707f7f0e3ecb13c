// The viewer's mail: the sending routine its callers use, and the progress of its mail control.
#include "reports/forms/FenCrystalRep.h"

#include "common/forms/ProgessBarre.h"

void FenCrystalRep::brancherEmail() {
    Email& email = m_envoiEmail->Email1();
    connect(&email, &Email::ProgressionEnvoi, this, &FenCrystalRep::Email1_ProgressionEnvoi);
    connect(&email, &Email::ProgressionPieceJointe, this, &FenCrystalRep::Email1_ProgressionPieceJointe);
    connect(&email, &Email::ListePiecesJointes, this, &FenCrystalRep::Email1_ListePiecesJointes);
}

ResultatEnvoi FenCrystalRep::EnvoyerEmail(const QString& sujet, const QString& corps,
                                          const QString& pieceJointe) {
    Load();
    // A call refused because a send is under way leaves that send's progress alone.
    const bool refuse = m_envoiEmail->enCours();
    ResultatEnvoi resultat = m_envoiEmail->EnvoyerEmail(sujet, corps, pieceJointe);
    if (!refuse)
        ProgressBar1->setValue(0);
    return resultat;
}

void FenCrystalRep::Email1_ProgressionEnvoi(qint64 envoye, qint64 total, int pourcentage) {
    Q_UNUSED(envoye);
    Q_UNUSED(total);
    // Not capped: the login lines, outside the total, take it past 100.
    if (pourcentage > 0)
        ProgressBar1->setValue(pourcentage);
}

void FenCrystalRep::Email1_ProgressionPieceJointe(bool enCours, const QString& fichier, int pourcentage) {
    Q_UNUSED(fichier);
    if (!enCours)
        ProgressBar1->setValue(0);
    else if (pourcentage > 0)
        ProgressBar1->setValue(pourcentage);
}

void FenCrystalRep::Email1_ListePiecesJointes(int nombre, const QString& liste) {
    Q_UNUSED(nombre);
    Q_UNUSED(liste);
}
