#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QVariant>
#include <optional>
#include <vector>

// Values crossing the database layer. Dates travel as the text "yyyy-MM-dd HH:mm:ss" on both backends
// (a bound QDateTime is written with a "T" and milliseconds on SQLite and shifted by the time zone on
// PostgreSQL); reads give the same C++ types whatever the backend.
namespace Valeurs {

// A value of a whole or real number type (flags are not numbers here).
bool estNombre(const QVariant& v);

// The kind of a column, from its declared type; it decides how read values are normalised.
enum class TypeColonne { Texte, Entier, Monnaie, Reel, Booleen, DateHeure, Binaire, Inconnu };

// The text bound for a date; an invalid date gives a Null text.
QVariant valeurDate(const QDateTime& date);
QString texteDate(const QDateTime& date);
// Money is stored with 4 decimals.
QVariant valeurMonnaie(double montant);
double arrondiMonnaie(double montant);

// A period's bounds: the first day at 00:00:00, the last day at 23:59:59.
QDateTime debutPeriode(const QDate& premierJour);
QDateTime finPeriode(const QDate& dernierJour);

// Reads: Null stays a Null QVariant of the normalised type.
// A date is read from the text "yyyy-MM-dd HH:mm:ss", also as other programs write it: with "T" for the
// blank, without seconds, with a fraction of a second or a zone (both dropped: the wall-clock time
// written is kept), or the day alone (midnight). Any other text is no date (Null), never a wrong one.
// Parsed by hand: the only time-zone work is that of the local-time QDateTime it gives.
QDateTime lireDate(const QVariant& valeur);
// The wall-clock day and time of such a text, without building a QDateTime; false when it is none.
bool lireTexteDate(QStringView texte, QDate* jour, QTime* heure);
double lireMonnaie(const QVariant& valeur);
qint64 lireEntier(const QVariant& valeur);
bool lireBool(const QVariant& valeur);
QString lireTexte(const QVariant& valeur);
// Normalises a value read from either backend to the C++ type of its column kind. The second form
// hands a value already of that type on without copying it.
QVariant normaliser(const QVariant& valeur, TypeColonne type);
QVariant normaliser(QVariant&& valeur, TypeColonne type);
// normaliser() over every value of a read, column by column: a value the driver gives in the type its
// column is held in is handed on as it comes, checked by its type interface (no call); whole numbers the
// driver gives as int (PostgreSQL's int4) are widened directly; the rest goes through normaliser(). With
// `datesEnTexte`, dates read as text (SQLite's) are handed on as text, for a reader that converts them when
// first used.
class NormaliseurLecture {
public:
    NormaliseurLecture(const QList<TypeColonne>& types, bool datesEnTexte);
    QVariant operator()(QVariant&& valeur, int colonne) const {
        const Colonne& c = m_colonnes[static_cast<size_t>(colonne)];
        const QVariant::Private& d = valeur.data_ptr();
        if (!d.is_null && c.tel && d.typeInterface() == c.tel)
            return std::move(valeur);
        if (!d.is_null && c.type == TypeColonne::Entier && d.typeInterface() == m_int)
            return QVariant(static_cast<qlonglong>(*static_cast<const int*>(d.storage())));
        return normaliser(std::move(valeur), c.type);
    }

private:
    struct Colonne {
        TypeColonne type;
        const QtPrivate::QMetaTypeInterface* tel;
    };
    std::vector<Colonne> m_colonnes;
    const QtPrivate::QMetaTypeInterface* m_int;
};
// A column kind from an SQLite declared type ("DATETIME", "NUMERIC(19,4)", ...).
TypeColonne typeDepuisDeclaration(const QString& declaration);
// A column kind from the type Qt reports (PostgreSQL).
TypeColonne typeDepuisMetaType(int metaTypeId);
// A PostgreSQL column kind from Qt's type and the server's type (QSqlField::typeID(), the type's oid)
// and declared length: a declared numeric column (NUMERIC(19,4)) is money, as the SQLite declaration
// says; double precision and computed numerics are plain reals.
TypeColonne typeDepuisChampPostgreSQL(int metaTypeId, int oid, int longueur);
// The value as it is bound when written (dates as text, money rounded, flags as 0/1 or bool, an empty
// text as an empty text, never Null).
QVariant valeurAEcrire(const QVariant& valeur, TypeColonne type);
// A value given for a column, as the recordset holds it once written: normalised, money already
// rounded and an empty text kept empty, so that memory and database agree.
QVariant valeurColonne(const QVariant& valeur, TypeColonne type);

// A LIKE pattern matching `texte` literally, for "LIKE ? ESCAPE '\'".
QString echapperLike(const QString& texte);

// Text comparison of the layer: every letter folded to one case, accents kept (code point by code
// point, as Qt's case-blind comparisons fold: a folded text compares as the text compares without
// regard to case).
QString plierCasse(const QString& texte);
// The same, appended to `sortie` (many texts into one buffer).
void ajouterPlie(QStringView texte, std::vector<char16_t>& sortie);
bool egalSansCasse(const QString& a, const QString& b);
// SQL LIKE: `multiple` matches any run of characters, `unique` one character, `echappement` makes
// the next pattern character literal (QChar() for none). Letters compared as plierCasse does.
bool correspondLike(const QString& texte, const QString& motif, QChar multiple = u'%', QChar unique = u'_',
                    QChar echappement = QChar());

// The same, with the pattern read once for a search over many rows.
class MotifLike {
public:
    explicit MotifLike(const QString& motif, QChar multiple = u'%', QChar unique = u'_',
                       QChar echappement = QChar());
    bool correspond(QStringView texte) const;

private:
    struct Jeton {
        enum Sorte { Litteral, Multiple, Unique } sorte;
        char32_t point;
    };
    QList<Jeton> m_jetons;
};

} // namespace Valeurs
