#pragma once

#include <QList>
#include <QString>
#include <array>

// The translation service, reading side: language files (INI syntax, one section per form, section
// "Grid" for grid captions) and the message table Global().Msg. The walk over a form's widgets lives in
// forms/TraduireForm.h.
namespace MODTranslate {

// One value of a language file; `defaut` when the file, the section or the key is missing. The value
// is read through the INI reader (names trimmed, one pair of quotes removed, at most 254 characters);
// nothing else is trimmed. "poland.lng" and "slovaque.lng" fall back to Windows-1250, others to
// Windows-1252. A file is parsed once and kept while its modification time and size stay the same.
QString LireTraduction(const QString& fichier, const QString& section, const QString& cle,
                       const QString& defaut);

// A text of the program's own (a message, a dialog's title) in the current language: key `cle` of
// section `section` of the state's language file; the French `francais` in French, or when the file
// lacks the key.
QString TexteLangue(const QString& section, const QString& cle, const QString& francais);

// LireTraduction(fichier, "Grid", cle, defaut).
QString LireTexteGrid(const QString& cle, const QString& defaut, const QString& fichier);

// One grid caption of the key table: `colonne` -1 is the grid's own caption.
struct LibelleGrille {
    QString forme;  // the form that shows the grid
    QString grille; // the grid's objectName on that form
    int colonne;
    QString cle;    // key in section Grid
    QString defaut; // French caption
};

// The key in section Grid of one caption of a form's grid: "<form>.<grid>.Caption" for the grid's own
// caption (`colonne` -1), "<form>.<grid>.Columns(<n>).Caption" for column n; the locker form
// FrmConfigMachineCasier reads the keys of FrmConfigMachine. Empty when the key table does not
// translate that caption.
QString CleTexteGrille(const QString& forme, const QString& grille, int colonne);

// Every grid caption of the key table, in its order.
const QList<LibelleGrille>& TableLibellesGrille();
// Those of one form (none for a form without translated grids).
QList<LibelleGrille> LibellesGrille(const QString& nomForm);

// A grid caption to set on a form.
struct TexteGrille {
    QString grille;
    int colonne; // -1: the grid's caption
    QString texte;
};

// The 48 texts of a language ("FR", "NL", "SK", "PL", "DE"; index 0 unused). Every text a language
// lacks is the French one, so no message comes out blank.
std::array<QString, 49> TextesMessages(const QString& langue);

// Fills Global().Msg for Global().LangueCourante; then, when the language is not "FR", returns the grid
// captions of the form `nomForm` read from section Grid of `fichierLng` (French defaults for missing
// keys). With no form name, or a form without grids, only the message table is filled.
QList<TexteGrille> ChargerTextesLangue(const QString& fichierLng, const QString& nomForm = QString());

// The language file of a language code, in the program folder: "deutch.lng", "poland.lng",
// "nederlands.lng", "slovaque.lng", else "french.lng".
QString NomFichierLangue(const QString& langue);

} // namespace MODTranslate
