#pragma once

#include "db/Valeurs.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <functional>

class Connexion;
class Recordset;

// One row of a recordset, as a filter predicate sees it.
class LigneRecordset {
public:
    LigneRecordset(const Recordset& recordset, int rang) : m_rs(recordset), m_rang(rang) {}
    QVariant operator[](const QString& champ) const;
    QVariant valeur(int colonne) const;

private:
    const Recordset& m_rs;
    int m_rang;
};

// The rows of one query held in memory, in place of the original's client-side recordsets: a current
// position with BOF and EOF, bookmarks, Find with a structured comparison, Sort (French order without
// regard to case), Filter, Requery keeping the current row, and writes through to one table by its key.
class Recordset : public QObject {
    Q_OBJECT
public:
    enum class Comparaison { Egal, Different, Inferieur, InferieurOuEgal, Superieur, SuperieurOuEgal, Comme };
    enum class Direction { Avant, Arriere };
    enum class Depart { Courant, Premier, Dernier };
    enum class Ordre { Croissant, Decroissant };
    using Predicat = std::function<bool(const LigneRecordset&)>;

    explicit Recordset(QObject* parent = nullptr);
    ~Recordset() override;

    // Opens the rows of `source`: a SELECT with its bound values, or a bare table or view name. Writes go
    // to `table` (the bare name when not given) by its primary key (read from the database when `cle`
    // is empty). Throws ErreurExecution; the recordset is then closed.
    void Open(Connexion& connexion, const QString& source, const QVariantList& valeurs = {},
              const QString& table = QString(), const QStringList& cle = {});
    void Close();
    bool IsOpen() const { return m_connexion != nullptr; }
    void Requery();

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

    // Editing: the first field write edits the current row; AddNew starts a new one; Update writes it
    // through by key (a new row reads back what the database gave it, its identity included).
    void SetField(const QString& champ, const QVariant& valeur);
    void AddNew();
    void Update();
    void CancelUpdate();
    bool EditMode() const { return m_edition != Edition::Aucune; }
    void Delete();

    QVariant Bookmark() const;
    void SetBookmark(const QVariant& signet);

    // Moves to the first row, from `depart` in `direction`, whose field compares true with `valeur`
    // (Comme: "*" matches any run of characters; letters compared without regard to case, accents
    // kept). When none does, the position is EOF (forward) or BOF (backward) and false is returned.
    bool Find(const QString& champ, Comparaison comparaison, const QVariant& valeur,
              Depart depart = Depart::Courant, Direction direction = Direction::Avant);
    // Sorts by one field; text in French dictionary order without regard to case. The current row stays.
    void Sort(const QString& champ, Ordre ordre = Ordre::Croissant);
    QString SortField() const { return m_tri; }
    Ordre SortOrder() const { return m_ordre; }
    // Keeps the rows the predicate accepts (an empty predicate shows every row) and moves to the first.
    void Filter(Predicat predicat);

signals:
    // After every change of the current row.
    void MoveComplete();
    // After the rows or their order changed (open, requery, sort, filter, add, delete).
    void RowsChanged();
    // After one visible row's values changed.
    void RowChanged(int position);

private:
    friend class LigneRecordset;
    enum class Edition { Aucune, Modification, Ajout };
    struct Rang {
        QList<QVariant> valeurs;
        quint64 id = 0;
    };

    void charger();
    void appliquerVue(qint64 idCourant);
    void finirEdition();
    void exigerCourant(const char* operation) const;
    void exigerCle() const;
    QVariantList valeursCle(const Rang& rang) const;
    QString clauseCle() const;
    void deplacer(int position);
    int positionDeId(quint64 id) const;

    Connexion* m_connexion = nullptr;
    QString m_sql;
    QVariantList m_parametres;
    QString m_table;
    QStringList m_cle;

    QStringList m_champs;
    QList<Valeurs::TypeColonne> m_types;
    QHash<QString, int> m_index; // folded name -> column
    QList<Rang> m_rangs;
    QList<int> m_vue;
    int m_pos = -1;
    quint64 m_prochainId = 1;

    QString m_tri;
    Ordre m_ordre = Ordre::Croissant;
    Predicat m_filtre;

    Edition m_edition = Edition::Aucune;
    QList<QVariant> m_tampon;
    QList<bool> m_modifie;
};
