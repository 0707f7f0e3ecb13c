#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

// An Excel 97-2003 workbook (.xls) read through freexl, for the employee imports: one sheet at a time,
// its first row as the column headings and every further row as one data row, in order. The file is
// opened read-only and never written.
//
// A cell comes as it is stored, never guessed from its column:
//   - an empty cell (or one freexl cannot tell from an error value, see texte()) is a null QVariant;
//   - a text is a QString;
//   - a number is a double (whole numbers included, booleans as 1 and 0);
//   - a date is a QDateTime in UTC (midnight for a date alone), a time alone a QTime.
class ClasseurXls {
public:
    ClasseurXls() = default;
    ~ClasseurXls();
    ClasseurXls(const ClasseurXls&) = delete;
    ClasseurXls& operator=(const ClasseurXls&) = delete;

    // Opens and parses the whole workbook. False, with erreur() set, when the file is missing or is not a
    // workbook freexl can read (text, .xlsx renamed, truncated, password-protected).
    bool ouvrir(const QString& chemin);
    void fermer();
    bool estOuvert() const { return m_classeur != nullptr; }

    // Chooses the sheet by its name, without regard to case; false, with erreur() set, when the workbook
    // has no such sheet. Reads the headings; the row count is known from here on.
    bool feuille(const QString& nom);

    const QString& erreur() const { return m_erreur; }

    // The data rows of the sheet (the heading row not counted), empty rows included, and its columns.
    int nombreLignes() const { return m_lignes > 0 ? m_lignes - 1 : 0; }
    int nombreColonnes() const { return m_colonnes; }
    // The headings of the first row, trimmed ("" for an empty cell).
    const QStringList& entetes() const { return m_entetes; }
    // The position of a heading, compared trimmed and without regard to case, accents kept; the first of
    // duplicate headings wins. -1 when no column has it.
    int colonne(const QString& entete) const;

    // The cell of data row `ligne` (0 for the row under the headings) and column `colonne` (0 first).
    // A row or a column outside the sheet, or a cell freexl cannot read, throws ErreurExecution.
    QVariant cellule(int ligne, int colonne) const;
    // The cell under a heading; an unknown heading throws ErreurExecution (3265), as the driver's field
    // look-up did.
    QVariant cellule(int ligne, const QString& entete) const;

    // A cell as text: "" for Null; a whole number as its digits without decimals (12345.0 gives "12345",
    // 1E+15 gives "1000000000000000"), any other number with the state's SeparateurDecimal; a date as
    // dd/MM/yyyy, followed by " HH:mm:ss" when its time is not midnight; a time as HH:mm:ss.
    static QString texte(const QVariant& valeur);

private:
    QVariant lire(unsigned ligneFeuille, int colonne) const;

    const void* m_classeur = nullptr;
    QString m_chemin;
    bool m_feuilleChoisie = false;
    int m_lignes = 0;
    int m_colonnes = 0;
    QStringList m_entetes;
    QString m_erreur;
};
