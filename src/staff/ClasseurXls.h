#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <vector>

// An Excel 97-2003 workbook (.xls) read through freexl, for the employee imports: one sheet at a time,
// its first row as the column headings and every further row as one data row, in order. The file is
// opened read-only and never written.
//
// freexl runs in a process of its own, the reader dorvane-classeur found beside the executable, under a
// limit of memory and of time: a workbook that crashes it, exhausts a limit or gives an answer that does
// not hold together is a workbook that cannot be read, never the end of this program.
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

    // Opens and parses the whole workbook, every sheet's cells brought in. False, with erreur() set, when
    // the file is missing or is not a workbook freexl can read (text, .xlsx renamed, truncated,
    // password-protected, damaged).
    bool ouvrir(const QString& chemin);
    void fermer();
    bool estOuvert() const { return m_ouvert; }

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
    // A cell that is not empty: where the reader's answer holds it (decoded when read), its row and column.
    struct Cellule {
        quint32 position = 0;
        quint16 ligne = 0;
        quint16 colonne = 0;
    };
    struct Feuille {
        QString nom;
        bool lisible = false;
        int lignes = 0; // the heading row included
        int colonnes = 0;
        std::vector<Cellule> cellules; // row by row, each row by column
    };
    class Lecture;

    QVariant lire(unsigned ligneFeuille, int colonne) const;

    bool m_ouvert = false;
    // The reader's whole answer, checked field by field when it came.
    QByteArray m_reponse;
    // The texts of the workbook's shared table, each decoded once for all its cells.
    std::vector<QString> m_partages;
    std::vector<Feuille> m_feuilles;
    const Feuille* m_feuille = nullptr;
    // The cells of the chosen sheet's row l are cellules[m_debuts[l]] to cellules[m_debuts[l + 1] - 1].
    std::vector<quint32> m_debuts;
    QString m_chemin;
    bool m_feuilleChoisie = false;
    int m_lignes = 0;
    int m_colonnes = 0;
    QStringList m_entetes;
    QString m_erreur;
};
