#pragma once

#include "db/Valeurs.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <functional>
#include <unordered_map>
#include <vector>

class Connexion;
class Recordset;

// One row of a recordset, as a filter predicate sees it.
class LigneRecordset {
public:
    LigneRecordset(const Recordset& recordset, int rang) : m_rs(recordset), m_rang(rang) {}
    // The value held (Null outside the fields), read without copy.
    const QVariant& operator[](const QString& champ) const;
    const QVariant& valeur(int colonne) const;

private:
    const Recordset& m_rs;
    int m_rang;
};

// The rows of one query held in memory, in place of the original's client-side recordsets: a current
// position with BOF and EOF, bookmarks, Find with a structured comparison, Sort (French order without
// regard to case), Filter, Requery keeping the current row, and writes through to one table by its key.
// Every change of the rows is announced before it happens and reported after, so that a grid over the
// recordset keeps its selection and scroll position.
class Recordset : public QObject {
    Q_OBJECT
public:
    // Egal and the order comparisons take the value's type (numbers as numbers, text without regard to
    // case); Comme is a pattern where "*" or "%" matches any run of characters, every other character
    // literal ("_" and quotes included). CommencePar and EgalTexte are
    // literal: the field's text begins with, or equals, the value's text without regard to case, every
    // character of the value taken as typed ("*", "%", "_" and quotes included).
    enum class Comparaison {
        Egal,
        Different,
        Inferieur,
        InferieurOuEgal,
        Superieur,
        SuperieurOuEgal,
        Comme,
        CommencePar,
        EgalTexte
    };
    enum class Direction { Avant, Arriere };
    enum class Depart { Courant, Premier, Dernier };
    enum class Ordre { Croissant, Decroissant };
    using Predicat = std::function<bool(const LigneRecordset&)>;
    // A filter predicate: the rows whose text in column `colonne` contains `texte` without regard to
    // case, accents kept, every character taken as typed; a Null never passes, even for an empty text.
    // Filter answers it over a text column from the folded texts it keeps (one per row, made once),
    // without reading a value per row.
    struct Contient {
        int colonne;
        QString texte;
        bool operator()(const LigneRecordset& ligne) const;
    };

    // The data layer's concurrency violation (&H80040E38): an Update found no row to change, someone
    // else deleted it meanwhile.
    static constexpr qint32 ViolationConcurrence = static_cast<qint32>(0x80040E38u);

    explicit Recordset(QObject* parent = nullptr);
    ~Recordset() override;

    // Opens the rows of `source`, one of:
    //  - a table or view name ("StockGlobal");
    //  - a name followed by " order by " and its fields, each optionally "asc" or "desc"
    //    ("ARemplissageMachine order by Etage");
    //  - a SELECT with its bound values.
    // The order of the second form, and a plain ORDER BY of fields that ends a SELECT, is made in memory
    // as Sort makes it (text in French dictionary order without regard to case), the same on both
    // backends; but a SELECT ordered by numbers and dates only, each with the Nulls where Sort puts them
    // ("NULLS FIRST" ascending, "NULLS LAST" descending; SQLite's own place without them), is held in
    // the order SQL gave, as its sort, without sorting again (nor does a Sort by its first field). Writes go
    // to `table` (the name of the first two forms when not given) by its primary key (read from the database
    // when `cle` is empty); only the table's own columns can be written (a view over several tables writes
    // its first table's columns, never the joined ones). Throws ErreurExecution; the recordset is then
    // closed.
    void Open(Connexion& connexion, const QString& source, const QVariantList& valeurs = {},
              const QString& table = QString(), const QStringList& cle = {});
    void Close();
    bool IsOpen() const { return m_connexion != nullptr; }
    // The connection the rows were read from and are written to (nullptr when closed).
    Connexion* ActiveConnection() const { return m_connexion; }
    // Reads the rows again, keeping sort, filter and the current row (found by key). On failure the
    // rows stay as they were. When nothing was written to the database since the rows were read (the
    // connection's etatDesDonnees is the same), they are kept as they are: a read would give them again.
    void Requery();
    // The same, the rows then sorted by `champ` as Sort sorts them (an empty name: in the order read):
    // one sort, after the read, where Sort then Requery sort twice. On failure rows and sort stay.
    void Requery(const QString& champ, Ordre ordre = Ordre::Croissant);

    // Rows visible through the filter, and the position among them.
    int RecordCount() const { return static_cast<int>(m_vue.size()); }
    // ADO's BOF and EOF (EOF is a C macro).
    bool IsBOF() const { return m_pos < 0 || m_vue.isEmpty(); }
    bool IsEOF() const { return m_pos >= m_vue.size() || m_vue.isEmpty(); }
    int AbsolutePosition() const { return IsBOF() || IsEOF() ? -1 : m_pos; }
    void MoveFirst();
    void MoveLast();
    void MoveNext();
    void MovePrevious();
    void MoveTo(int position);

    // Fields, names compared without regard to case (PostgreSQL gives them in lower case).
    int FieldCount() const { return static_cast<int>(m_champs.size()); }
    const QStringList& FieldNames() const { return m_champs; }
    int FieldIndex(const QString& champ) const;
    Valeurs::TypeColonne FieldType(int colonne) const {
        return m_types.value(colonne, Valeurs::TypeColonne::Inconnu);
    }
    QVariant Field(const QString& champ) const;
    QVariant Field(int colonne) const;
    // The value at a visible position (grids), without moving.
    QVariant ValueAt(int position, int colonne) const;
    // True when rows can be written (a table and its key among the fields).
    bool Modifiable() const;

    // Editing: the first field write edits the current row; AddNew starts a new one; Update writes it
    // through by key (a new row reads back what the database gave it, its identity included). A value is
    // held as it is written (money rounded to 4 decimals). A field that is no column of the written table
    // is refused (ErreurExecution naming both) before anything is held. An Update of a row that no longer
    // exists throws ViolationConcurrence and keeps the row in edition.
    void SetField(const QString& champ, const QVariant& valeur);
    void AddNew();
    void Update();
    void CancelUpdate();
    bool EditMode() const { return m_edition != Edition::Aucune; }
    // True while a row started by AddNew is not written yet.
    bool EditAdd() const { return m_edition == Edition::Ajout; }
    // The value the table holds for the row in edition, before the field writes (Null for a new row);
    // outside an edition, the current row's value.
    QVariant OriginalValue(const QString& champ) const;
    // Deletes the current row by key. A delete that takes no row out of the table (a Null key, a row
    // deleted meanwhile) throws ViolationConcurrence and the row stays where it is.
    void Delete();
    // True while Delete takes its row out (between RowAboutToBeRemoved and RowRemoved): a grid that
    // moves its own current row meanwhile (Qt keeps one row selected) is no move of the recordset's.
    bool SuppressionEnCours() const { return m_suppressionEnCours; }

    QVariant Bookmark() const;
    void SetBookmark(const QVariant& signet);
    // The bookmark of a visible position (invalid outside), and the position of a bookmark (-1 when the
    // row is not visible).
    QVariant BookmarkAt(int position) const;
    int PositionOf(const QVariant& signet) const;

    // Moves to the first row, from `depart` in `direction`, whose field compares true with `valeur`
    // (letters compared without regard to case, accents kept). When none does, the position is EOF
    // (forward) or BOF (backward) and false is returned. The text comparisons (Comme, CommencePar,
    // EgalTexte) over a text column read the folded texts the recordset keeps, as Filter does.
    bool Find(const QString& champ, Comparaison comparaison, const QVariant& valeur,
              Depart depart = Depart::Courant, Direction direction = Direction::Avant);
    // Sorts by one field; text in French dictionary order without regard to case, Null first. The
    // current row stays. An empty field name restores the order the rows were read in. A sort of every
    // row is kept for the filters that follow.
    void Sort(const QString& champ, Ordre ordre = Ordre::Croissant);
    QString SortField() const { return m_tri.isEmpty() ? QString() : m_tri.first().champ; }
    Ordre SortOrder() const { return m_tri.isEmpty() ? Ordre::Croissant : m_tri.first().ordre; }
    // Every field of the order, each with true when descending.
    QList<std::pair<QString, bool>> SortFields() const {
        QList<std::pair<QString, bool>> champs;
        for (const CleTri& c : m_tri)
            champs.append({c.champ, c.ordre == Ordre::Decroissant});
        return champs;
    }
    // Keeps the rows the predicate accepts (an empty predicate shows every row) and moves to the first.
    void Filter(Predicat predicat);

    // What the recordset has done since it was made: the sorts made in memory (a sort SQL made, or that
    // changed nothing, is not one), the French collation keys computed, and the bytes the kept keys take.
    struct Travail {
        int tris = 0;
        qint64 clesCalculees = 0;
    };
    const Travail& TravailFait() const { return m_travail; }
    qsizetype OctetsClesCollation() const;

signals:
    // After every change of the current row.
    void MoveComplete();
    // Around a change of the whole set (open, close, requery, filter).
    void RowsAboutToChange();
    void RowsChanged();
    // Around a change of order only (sort): the same rows, found again by their bookmarks.
    void OrderAboutToChange();
    void OrderChanged();
    // Around one row added at a visible position (a new row written by Update).
    void RowAboutToBeInserted(int position);
    void RowInserted(int position);
    // Around one visible row deleted.
    void RowAboutToBeRemoved(int position);
    void RowRemoved(int position);
    // After one visible row's values changed.
    void RowChanged(int position);

private:
    friend class LigneRecordset;
    enum class Edition { Aucune, Modification, Ajout };
    struct Rang {
        QList<QVariant> valeurs;
        quint64 id = 0;
    };
    struct CleTri {
        QString champ;
        Ordre ordre;
        bool operator==(const CleTri&) const = default;
    };
    struct Lecture {
        QStringList champs;
        QList<Valeurs::TypeColonne> types;
        QList<Rang> rangs;
        QString etat; // the connection's state of the data when they were read
    };

    // A text column's values folded (every letter to one case, accents kept), row after row in one
    // buffer, Null marked apart.
    struct TextesPlies {
        std::vector<char16_t> textes;
        std::vector<qsizetype> debuts; // row r: from debuts[r] to debuts[r + 1]
        std::vector<char> nuls;
        void reserver(qsizetype rangs) {
            debuts.reserve(static_cast<size_t>(rangs) + 1);
            nuls.reserve(static_cast<size_t>(rangs));
            textes.reserve(static_cast<size_t>(rangs) * 16);
        }
        // Appends the next row's value; the last row's end is appended once every row is in.
        void ajouter(const QVariant& valeur);
        bool nul(int rang) const { return nuls[static_cast<size_t>(rang)] != 0; }
        QStringView texte(int rang) const {
            const auto r = static_cast<size_t>(rang);
            return QStringView(textes.data() + debuts[r], debuts[r + 1] - debuts[r]);
        }
    };

    // A column's French collation keys (ICU's sort keys: compared as bytes, they order as the collator
    // compares), one per row in one buffer, made once and kept with the rows: a row that changes is
    // marked and only its key is made again, at the next sort by the column.
    struct ClesCollation {
        enum Etat : char { Nul, Cle, Autre, ARefaire }; // Autre: a value that is no text (number, date)
        std::vector<unsigned char> octets;
        std::vector<quint32> debuts; // row r: from debuts[r] to debuts[r + 1]
        std::vector<char> etats;
        qsizetype aRefaire = 0;
        const unsigned char* cle(size_t r) const { return octets.data() + debuts[r]; }
        quint32 longueur(size_t r) const { return debuts[r + 1] - debuts[r]; }
    };

    Lecture lire();
    void adopter(Lecture&& lecture);
    void vider();
    // Reads the rows again; `tri`, when given, replaces the sort once the rows are read.
    void relire(const QList<CleTri>* tri);
    // The rows changed (read, written, added, deleted): what is kept of them goes.
    void rangsChanges();
    // The rows the filter keeps, in the order of `ordre` (every row in the order read when null).
    QList<int> filtrer(const QList<int>* ordre) const;
    // The filter's rows in the sort's order.
    QList<int> vueFiltreeTriee() const;
    const TextesPlies& textesPlies(int colonne) const;
    // The kept keys of a column, their marked rows made again first.
    const ClesCollation& clesCollation(int colonne) const;
    // Row `rang` changed in the columns of `colonnes` (every column when null): their keys are marked.
    void rangChange(int rang, const QList<bool>* colonnes);
    // Rows read again keep the keys of the texts held before (a key depends on its text alone).
    void garderClesIdentiques(const QList<Rang>& anciens, const QStringList& anciensChamps);
    // True when the rows are held in an order that a sort by `tri` keeps as it is.
    bool dejaDansLOrdre(const QList<CleTri>& tri) const;
    void trier(QList<int>& vue) const;
    int positionRetenue(const QList<int>& vue, qint64 id) const;
    const QVariant& cellule(int rang, int colonne) const;
    const QList<QVariant>& rangComplet(int rang) const;
    void finirEdition();
    void exigerCourant(const char* operation) const;
    void exigerCle() const;
    QVariantList valeursCle(const Rang& rang) const;
    QString clauseCle() const;
    void deplacer(int position);
    int rangDeId(quint64 id) const;
    int positionDeId(quint64 id) const;
    qint64 idCourant() const;

    Connexion* m_connexion = nullptr;
    QString m_sql;
    QVariantList m_parametres;
    // The connection's state of the data when the rows were read (Connexion::etatDesDonnees): while it
    // holds, a Requery has nothing new to read.
    QString m_etatLu;
    QString m_table;
    QStringList m_cle;
    // Folded names of the written table's columns, read once at open.
    QSet<QString> m_colonnesTable;

    QStringList m_champs;
    QList<Valeurs::TypeColonne> m_types;
    QHash<QString, int> m_index; // folded name -> column
    // Names as callers spell them -> column, so that a name is folded once, not at every row a filter
    // or a loop reads.
    mutable QHash<QString, int> m_indexDemandes;
    // Dates read from SQLite are kept as their text until first read (a local-time QDateTime costs a
    // time-zone conversion); cellule() converts them in place.
    mutable QList<Rang> m_rangs;
    QList<int> m_vue;
    int m_pos = -1;
    quint64 m_prochainId = 1;

    QList<CleTri> m_tri;
    // The order SQL gave the rows in, when it is the one Sort makes (numbers and dates); it holds until a
    // row is written or added (Delete keeps it).
    QList<CleTri> m_ordreLu;
    bool m_rangsDansOrdreLu = false;
    Predicat m_filtre;
    // Every row in the sort's order, kept for the filters that follow each other while an operator
    // types (a filter then walks it instead of sorting again); dropped when the rows or the sort change.
    mutable QList<int> m_ordreTrie;
    mutable bool m_ordreTrieAJour = false;
    // By column: the folded texts the text filters and searches compare, in place of each value; made
    // by a sort of every row by the column or by the first filter or search, dropped when the rows
    // change.
    mutable QHash<int, TextesPlies> m_textesPlies;
    // By column: the French collation keys of the sorts by the column.
    mutable std::unordered_map<int, ClesCollation> m_clesCollation;
    mutable Travail m_travail;

    Edition m_edition = Edition::Aucune;
    bool m_suppressionEnCours = false;
    QList<QVariant> m_tampon;
    QList<bool> m_modifie;
};
