#pragma once

#include "common/ServiceDialogue.h"

#include <QStringList>

class QFileDialog;
class QMessageBox;
class QPrintDialog;
class QPrinter;

// The dialog service on widgets: QMessageBox, QInputDialog, QFileDialog (our own, not the desktop's, so
// that filters ignore case and pictures can be listed as thumbnails) and QPrintDialog. main installs it.
class ServiceDialogueWidgets : public ServiceDialogue {
public:
    int message(const QString& texte, int style, const QString& titre) override;
    QString saisie(const QString& invite, const QString& titre, const QString& defaut) override;
    ResultatOuvertureFichier ouvrirFichier(const DemandeOuvertureFichier& demande) override;
    ResultatEnregistrementFichier enregistrerFichier(const DemandeEnregistrementFichier& demande) override;
    ResultatImprimante choisirImprimante(const QString& fichierPdf) override;

    // The pieces, for tests: the box of a style (not shown), its answer for a clicked button, the
    // configured file dialogs (not shown) and their results.
    static QMessageBox* creerBoite(const QString& texte, int style, const QString& titre);
    static int reponseDe(const QMessageBox& boite);
    static QFileDialog* creerDialogueFichier(const DemandeOuvertureFichier& demande);
    static ResultatOuvertureFichier resultatDialogue(const QFileDialog& dialogue,
                                                     const DemandeOuvertureFichier& demande, bool accepte);
    static QFileDialog* creerDialogueEnregistrement(const DemandeEnregistrementFichier& demande);
    static ResultatEnregistrementFichier resultatEnregistrement(const QFileDialog& dialogue, bool accepte);
    // The print dialog over `imprimante` (not shown): with no printer installed its list holds the PDF
    // file output, chosen, proposing `fichierPdf`; and what it answered.
    static QPrintDialog* creerDialogueImprimante(QPrinter& imprimante, const QString& fichierPdf);
    static ResultatImprimante resultatImprimante(const QPrinter& imprimante, bool accepte);
    // A file pattern that matches whatever the case of its letters ("*.JPG" -> "*.[jJ][pP][gG]").
    static QString motifSansCasse(const QString& motif);
};
