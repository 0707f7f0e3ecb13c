#pragma once

#include <QString>
#include <optional>

// Every message box, input box, file dialog and printer dialog of the program goes through this service.
// The widget implementation is installed by main; tests install a scripted one. Calling it with nothing
// installed aborts with a clear message instead of opening a window.

// Style of a message box, as the original's flags: buttons + icon + default button.
namespace StyleMessage {
constexpr int OK = 0;
constexpr int OKCancel = 1;
constexpr int AbortRetryIgnore = 2;
constexpr int YesNoCancel = 3;
constexpr int YesNo = 4;
constexpr int RetryCancel = 5;
constexpr int CancelTryContinue = 6; // Cancel, Try Again, Continue
constexpr int Critique = 16;
constexpr int Question = 32;
constexpr int Exclamation = 48;
constexpr int Information = 64;
constexpr int DefautBouton2 = 256;
constexpr int DefautBouton3 = 512;
constexpr int MasqueBoutons = 0x7;
constexpr int MasqueIcone = 0x70;
constexpr int MasqueDefaut = 0x300;
} // namespace StyleMessage

// Answers of a message box.
namespace Reponse {
constexpr int OK = 1;
constexpr int Annuler = 2;
constexpr int Abandonner = 3;
constexpr int Reessayer = 4;
constexpr int Ignorer = 5;
constexpr int Oui = 6;
constexpr int Non = 7;
constexpr int NouvelEssai = 10; // Try Again
constexpr int Continuer = 11;
} // namespace Reponse

// The file-open request: every field the callers of the file dialogs pass in.
struct DemandeOuvertureFichier {
    QString FileName; // initial file name
    QString FileTitle;
    bool FileMustExist = false;
    bool MultiSelect = false;
    bool ReadOnly = false;
    bool HideReadOnly = false;
    QString Filter;      // "Description|pattern|Description|pattern" (":" also separates)
    int FilterIndex = 1; // 1-based; 0 or less means the first
    QString InitDir;
    QString DlgTitle;
    QString DefaultExt;
    qint64 Owner = -1; // -1: no owner
    qint32 Flags = 0;
    bool Vignettes = false; // list pictures as thumbnails
};

// What the dialog answered.
struct ResultatOuvertureFichier {
    bool Accepte = false;  // the user chose a file
    QString FileName;      // full path
    QString FileTitle;     // name without folder
    bool ReadOnly = false; // the read-only box was ticked
    int FilterIndex = 1;   // 1-based index of the chosen filter
    qint32 Flags = 0;
};

// The save-file request of the exports.
struct DemandeEnregistrementFichier {
    QString DlgTitle;
    QString Filter;   // as for opening: "Description|pattern|Description|pattern"
    QString FileName; // the name proposed
    QString InitDir;  // the folder shown first
};

// What the save dialog answered: the full path of the file to write, or cancelled.
struct ResultatEnregistrementFichier {
    bool Accepte = false;
    QString FileName;
};

// A printer choice as plain data; the forms library turns it into a QPrinter.
struct ChoixImprimante {
    QString NomImprimante;
    int Orientation = 1; // 1 portrait, 2 landscape
    int Copies = 1;
    QString Fichier; // a PDF file written instead of a printer (the file output of the print dialog)
};

// Result of the printer dialog: 0 cancelled, 1 chosen, anything else a failure of the dialog.
struct ResultatImprimante {
    int Code = 0;
    ChoixImprimante Choix;
};

class ServiceDialogue {
public:
    virtual ~ServiceDialogue() = default;
    // MsgBox: text, style flags, title ("" gives "Dorvane"); returns one of Reponse.
    virtual int message(const QString& texte, int style, const QString& titre) = 0;
    // InputBox: Cancel gives "".
    virtual QString saisie(const QString& invite, const QString& titre, const QString& defaut) = 0;
    virtual ResultatOuvertureFichier ouvrirFichier(const DemandeOuvertureFichier& demande) = 0;
    // Where to write an export; an existing file is written over only once the user has said so.
    virtual ResultatEnregistrementFichier enregistrerFichier(const DemandeEnregistrementFichier& demande) = 0;
    // With no printer installed the dialog offers the PDF file output, proposing `fichierPdf`.
    virtual ResultatImprimante choisirImprimante(const QString& fichierPdf) = 0;
};

// Installs the service (ownership stays with the caller); nullptr uninstalls.
void installerServiceDialogue(ServiceDialogue* service);
ServiceDialogue* serviceDialogueInstalle();
// The installed service; aborts with a clear message when there is none.
ServiceDialogue& Dialogues();

// Short forms, named like the original's functions.
int MsgBox(const QString& texte, int style = StyleMessage::OK, const QString& titre = QString());
QString InputBox(const QString& invite, const QString& titre = QString(), const QString& defaut = QString());

// The title a box shows when the caller gives none.
QString titreParDefaut(const QString& titre);

// The program's current printer choice (the original's Printer object), for the next print-out.
ChoixImprimante& ImprimanteCourante();
