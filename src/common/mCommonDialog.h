#pragma once

#include <QList>
#include <QString>

// File-open dialogs over the dialog service (ServiceDialogue.h): the general wrapper with in/out
// parameters, and the short form that lists pictures as thumbnails.
namespace mCommonDialog {

// Flag bits of the file-open request, as the callers pass them in Flags.
namespace Drapeaux {
constexpr qint32 ReadOnly = 0x1;
constexpr qint32 OverwritePrompt = 0x2;
constexpr qint32 HideReadOnly = 0x4;
constexpr qint32 NoChangeDir = 0x8;
constexpr qint32 EnableHook = 0x20;
constexpr qint32 EnableTemplate = 0x40;
constexpr qint32 AllowMultiSelect = 0x200;
constexpr qint32 ExtensionDifferent = 0x400;
constexpr qint32 FileMustExist = 0x1000;
constexpr qint32 Explorer = 0x80000;
constexpr qint32 EnableSizing = 0x800000;
constexpr qint32 ForceShowHidden = 0x10000000;
} // namespace Drapeaux

// The flags of the picture dialog: overwrite prompt, hide read-only, no change of the current folder,
// hook, extension different, explorer style, sizing, hidden files shown.
constexpr qint32 DrapeauxOuvrirFichierDialog = 277349422;

// Parameters of VBGetOpenFileName: the fields marked in/out are rewritten by the call.
struct ParametresOuverture {
    QString FileName;           // in/out: initial name; out: the chosen path
    QString FileTitle;          // out: the chosen file's name without folder
    bool FileMustExist = false; // in
    bool MultiSelect = false;   // in
    bool ReadOnly = false;      // in/out: out true when the user ticked read-only
    bool HideReadOnly = false;  // in
    QString Filter;         // in: "Description|pattern|..."; out: the chosen entry, "description\0pattern"
    qint32 FilterIndex = 1; // in/out: the filter shown first, then the one chosen (1-based)
    QString InitDir;        // in
    QString DlgTitle;       // in
    QString DefaultExt;     // in
    qint64 Owner = -1;      // in: owner window, -1 for none
    qint32 Flags = 0;       // in/out: further flags (hook and template bits are cleared); out: as returned
};

// Shows the file-open dialog. True when a file was chosen; otherwise false, and FileName, FileTitle and
// Filter become empty, Flags 0 and FilterIndex -1.
bool VBGetOpenFileName(ParametresOuverture& p);

// Picture chooser: title "Open A File", first filter, thumbnail view. The chosen path, or "" when the
// user cancelled.
QString OuvrirFichierDialog(const QString& InitDir, const QString& Filter, qint64 Owner = -1);

// One description and its pattern of a filter text.
struct EntreeFiltre {
    QString description;
    QString motif;
    bool operator==(const EntreeFiltre&) const = default;
};

// "|" and ":" both separate; the list ends at the first empty item, as the platform's double-NUL list
// does, and a description without pattern is dropped.
QList<EntreeFiltre> EntreesFiltre(const QString& filtre);
// The platform's list: every "|" and ":" turned into a NUL, and two NULs appended.
QString FiltreNul(const QString& filtre);
// The n-th (1-based) entry of a NUL-separated list as "description\0pattern"; "" when there are fewer.
QString ChampN(const QString& filtreNul, int n);
// The text up to its first NUL.
QString StrZToStr(const QString& s);

// Module state: the last answer of the dialog (1 chosen, 0 cancelled) and the last extended error code.
int DernierRetour();
int DerniereErreur();

} // namespace mCommonDialog
