#pragma once

#include "db/Valeurs.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QPointer>
#include <QStringList>
#include <functional>

class Connexion;
class ErreurExecution;
class Recordset;

// A table model over a Recordset for the grids: one row per visible row, one column per field (or per
// field chosen with setColonnes). The recordset announces every change before it makes it, so a view
// keeps its selection and scroll position when a row is added or deleted and through a sort (a click
// on a header sorts the recordset by that column). Each column has a format; numbers are aligned right.
// Cells can be edited when the grid allows it: what is typed is written through the recordset by key,
// cell by cell, or row by row (setEditionParLigne).
class RecordsetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // Auto follows the column's type: whole numbers, decimals, money, dates (with the time when it is
    // not midnight), text.
    enum class Format { Auto, Texte, Entier, Decimal, Monnaie, Date, DateHeure };
    // The raw value of a cell, as the recordset holds it.
    static constexpr int RoleValeur = Qt::UserRole;

    explicit RecordsetModel(Recordset* recordset, QObject* parent = nullptr);

    // The fields shown, in order, with their captions (empty: every field under its own name). Captions
    // set with setHeaderData are forgotten.
    void setColonnes(const QStringList& champs, const QStringList& entetes = {});
    QString champ(int colonne) const;
    // `decimales` for Decimal: a fixed count, or -1 for as many as the value needs.
    void setFormat(int colonne, Format format, int decimales = -1);
    // A whole-number pattern shown in place of the format: the run of "#" is the number (nothing for 0),
    // the rest as written ("#### Jours": 30 shows "30 Jours"); Null shows nothing.
    void setMotif(int colonne, const QString& motif);
    // The format applied (Auto resolved from the column's type).
    Format format(int colonne) const;

    // The grid's form and name, as in the language files ("FrmStock", "DBGrid2"): when the language is
    // not French, column captions of the key table are read from section Grid of FichierLangue, the
    // caption given to setColonnes being the default.
    void setGrille(const QString& forme, const QString& grille);

    // Cells are read-only unless the grid is made modifiable (and the recordset can write); a locked
    // column stays read-only.
    void setModifiable(bool modifiable);
    bool modifiable() const { return m_modifiable; }
    void setColonneVerrouillee(int colonne, bool verrouillee);

    // Row by row, as a data grid over a recordset edits: what is typed into a row is held in the
    // recordset's edit buffer and written when the grid leaves the row (allerALigne), at a sort, or by
    // ecrireLigne(). The grid ends with an empty new-row line (ligneNouvelle()) while the recordset can be
    // written: what is typed there starts a new row (AddNew), written the same way. Typed texts lose the
    // blanks around them. Off by default: each cell is then written as it is typed.
    void setEditionParLigne(bool parLigne);
    bool editionParLigne() const { return m_editionParLigne; }
    // The grid's new-row line, after the recordset's rows; -1 when there is none.
    int ligneNouvelle() const;
    // Run inside the write transaction, before a row is written (by either way of editing): throwing
    // ErreurExecution refuses the row, which then stays in edition with what was typed and nothing is
    // written. Given the connection the recordset writes to and the recordset in edition.
    using Controle = std::function<void(Connexion&, const Recordset&)>;
    void setControle(Controle controle);
    // How a refused row is shown (by default its description in a message box with an exclamation icon).
    using Refus = std::function<void(const ErreurExecution&)>;
    void setRefus(Refus refus);
    // Writes the row held in edition, if any (check, then the write, in one transaction). Throws
    // ErreurExecution; the row then stays in edition.
    void ecrireLigne();
    // The grid's current row goes to `ligne` (ligneNouvelle() included): the row held in edition is
    // written first, then the recordset moves there (past its last row for the new-row line). False, the
    // refusal shown and the recordset left where it was, when the held row is refused.
    bool allerALigne(int ligne);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    // Column captions can be replaced (the translation of grid captions goes through here).
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant& valeur,
                       int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Writes the typed value (text read with the state's decimal separator, dates dd/MM/yyyy) through
    // the recordset, or holds it in the row's edit buffer row by row. A value that does not fit the
    // column is shown in a message box, a write refused as setRefus says; the row and the database then
    // stay as they were (row by row, the row keeps what was typed).
    bool setData(const QModelIndex& index, const QVariant& valeur, int role = Qt::EditRole) override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    // The text a grid shows for a value in a format.
    static QString texteFormate(const QVariant& valeur, Format format, int decimales = -1);
    // The text shown in the Auto format of a value of unknown column: dates dd/MM/yyyy (with the time
    // when it is not midnight), numbers with the state's decimal separator.
    static QString texteAffiche(const QVariant& valeur);

private:
    struct FormatColonne {
        Format format = Format::Auto;
        int decimales = -1;
        QString motif;
    };
    int colonneRecordset(int colonne) const;
    Format formatApplique(int colonne, const QVariant& valeur) const;
    QString enteteDeBase(int section) const;
    QString texteEdition(const QVariant& valeur, Format format) const;
    bool lireSaisie(const QVariant& saisie, int colonne, QVariant* valeur) const;
    void connecter();
    // The write of the row in edition, with the check when one is given.
    void ecrire();
    void refuser(const ErreurExecution& e);
    // Repaints the new-row line (what the edit buffer holds there).
    void ligneNouvelleChangee();

    QPointer<Recordset> m_rs;
    QStringList m_champs;
    QStringList m_entetes;
    QHash<int, QString> m_surcharges; // captions set by setHeaderData
    QHash<int, FormatColonne> m_formats;
    QString m_forme;
    QString m_grille;
    bool m_modifiable = false;
    QList<int> m_verrouillees;
    bool m_editionParLigne = false;
    Controle m_controle;
    Refus m_refus;
    bool m_remiseEnCours = false;
    QList<QPersistentModelIndex> m_persistants;
    QList<QVariant> m_signetsPersistants;
    // Captions read from the language file, for the language and file they were read for.
    mutable QHash<int, QString> m_traductions;
    mutable QString m_langueTraductions;
    mutable QString m_fichierTraductions;
};
