#include "db/Recordset.h"

#include "common/ErreurExecution.h"
#include "db/Connexion.h"

#include <QRegularExpression>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSqlResult>
#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <numeric>
#include <optional>
#include <sqlite3.h>
#include <unicode/ucol.h>
#include <vector>

using Valeurs::TypeColonne;

namespace {

bool estNombreOuBooleen(const QVariant& v) {
    return Valeurs::estNombre(v) || v.metaType().id() == QMetaType::Bool;
}

ErreurExecution erreur(const QString& texte) {
    return ErreurExecution(ErreurExecution::ErreurBase, texte, QStringLiteral("Recordset"));
}

// The French order without regard to case, set up as QCollator sets up ICU for QLocale(French, France)
// and Qt::CaseInsensitive (normalisation on, secondary strength: accents count, case does not; digits one
// by one; blanks and punctuation count), so that its sort keys, compared as bytes, order exactly as
// QCollator::compare does. One per thread: an ICU collator is not shared between threads.
class CollateurFrancais {
public:
    static CollateurFrancais& duFil() {
        thread_local CollateurFrancais c;
        return c;
    }
    // Appends the key of `texte`, its closing zero byte included (the only zero of a key).
    void ajouterCle(QStringView texte, std::vector<unsigned char>& octets) const {
        const auto* u = reinterpret_cast<const UChar*>(texte.utf16());
        const auto l = static_cast<int32_t>(texte.size());
        unsigned char tampon[512];
        const int32_t n = ucol_getSortKey(m_icu, u, l, tampon, sizeof tampon);
        if (n <= static_cast<int32_t>(sizeof tampon)) {
            octets.insert(octets.end(), tampon, tampon + n);
            return;
        }
        const size_t debut = octets.size();
        octets.resize(debut + static_cast<size_t>(n));
        ucol_getSortKey(m_icu, u, l, octets.data() + debut, n);
    }
    CollateurFrancais(const CollateurFrancais&) = delete;
    CollateurFrancais& operator=(const CollateurFrancais&) = delete;

private:
    CollateurFrancais() {
        UErrorCode e = U_ZERO_ERROR;
        m_icu = ucol_open("fr_FR", &e);
        ucol_setAttribute(m_icu, UCOL_NORMALIZATION_MODE, UCOL_ON, &e);
        ucol_setAttribute(m_icu, UCOL_STRENGTH, UCOL_SECONDARY, &e);
        ucol_setAttribute(m_icu, UCOL_NUMERIC_COLLATION, UCOL_OFF, &e);
        ucol_setAttribute(m_icu, UCOL_ALTERNATE_HANDLING, UCOL_NON_IGNORABLE, &e);
        if (U_FAILURE(e))
            qFatal("Collation française indisponible : %s", u_errorName(e));
    }
    ~CollateurFrancais() { ucol_close(m_icu); }
    UCollator* m_icu = nullptr;
};

// Three-way comparison for Find: numbers as numbers, dates as dates, text folded to one case.
int comparer(const QVariant& a, const QVariant& b) {
    if (estNombreOuBooleen(a) || estNombreOuBooleen(b)) {
        bool okA = false, okB = false;
        const double x = a.toDouble(&okA);
        const double y = b.toDouble(&okB);
        if (okA && okB)
            return x < y ? -1 : (x > y ? 1 : 0);
    }
    const bool dateA = a.metaType().id() == QMetaType::QDateTime;
    const bool dateB = b.metaType().id() == QMetaType::QDateTime;
    if (dateA || dateB) {
        const QDateTime x = Valeurs::lireDate(a), y = Valeurs::lireDate(b);
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    // Qt's case-blind comparison folds every letter one by one and keeps accents, as plierCasse does.
    const int c = QString::compare(a.toString(), b.toString(), Qt::CaseInsensitive);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

// A date's wall-clock day and time as one number, read from the text when it was not converted yet: dates
// compared and sorted without a time-zone conversion per row (the order is the stored text's). False for
// a Null, or a value that is no date.
bool cleDate(const QVariant& v, TypeColonne type, double* cle) {
    if (v.isNull())
        return false;
    QDate jour;
    QTime heure;
    if (v.metaType().id() == QMetaType::QDateTime) {
        const QDateTime& d = *static_cast<const QDateTime*>(v.constData());
        if (!d.isValid())
            return false;
        jour = d.date();
        heure = d.time();
    } else if (type != TypeColonne::DateHeure) {
        return false;
    } else if (v.metaType().id() == QMetaType::QString) {
        if (!Valeurs::lireTexteDate(*static_cast<const QString*>(v.constData()), &jour, &heure))
            return false;
    } else if (!Valeurs::lireTexteDate(v.toString(), &jour, &heure)) {
        return false;
    }
    *cle = static_cast<double>(jour.toJulianDay()) * 86400000.0 + heure.msecsSinceStartOfDay();
    return true;
}

// Where an order of SQL puts the Nulls of a field: where the database does by itself, first or last.
enum class PlaceNuls { Defaut, Premiers, Derniers };

// A list of fields for an order ("Etage, Nom desc", "Ventes.LaDate DESC"): each field by its name
// without the table's, with its direction; with `nuls`, each may end with "nulls first" or "nulls last",
// whose place is given there. False when the text is anything else.
template <typename Cle>
bool lireOrdre(const QString& liste, QList<Cle>* cles, QList<PlaceNuls>* nuls = nullptr) {
    static const QRegularExpression element(
        QStringLiteral("^\\s*(?:[A-Za-z_][A-Za-z0-9_]*\\.)?([A-Za-z_][A-Za-z0-9_]*)(?:\\s+(asc|desc))?"
                       "(?:\\s+nulls\\s+(first|last))?\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    QList<Cle> r;
    QList<PlaceNuls> places;
    for (const QString& morceau : liste.split(u',')) {
        const QRegularExpressionMatch m = element.match(morceau);
        if (!m.hasMatch() || (!nuls && m.hasCaptured(3)))
            return false;
        places.append(!m.hasCaptured(3) ? PlaceNuls::Defaut
                      : m.captured(3).compare(QLatin1String("first"), Qt::CaseInsensitive) == 0
                          ? PlaceNuls::Premiers
                          : PlaceNuls::Derniers);
        const bool decroissant = m.captured(2).compare(QLatin1String("desc"), Qt::CaseInsensitive) == 0;
        r.append({m.captured(1), decroissant ? Recordset::Ordre::Decroissant : Recordset::Ordre::Croissant});
    }
    *cles = std::move(r);
    if (nuls)
        *nuls = std::move(places);
    return !cles->isEmpty();
}

// A source that is a bare name, optionally followed by "order by" and its fields.
struct SourceNommee {
    bool nommee = false;
    QString nom;
    QString ordre;
};

SourceNommee lireSource(const QString& source) {
    static const QRegularExpression forme(
        QStringLiteral("^\\s*([A-Za-z_][A-Za-z0-9_]*)(?:\\s+order\\s+by\\s+(.*?))?\\s*$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch m = forme.match(source);
    if (!m.hasMatch())
        return {};
    return {true, m.captured(1), m.captured(2)};
}

// The fields of a plain ORDER BY that ends a query, at its outer level (anything after the list, such
// as LIMIT, a parenthesis or a quote, leaves the order to SQL).
QString ordreFinal(const QString& sql) {
    static const QRegularExpression fin(
        QStringLiteral(
            "\\border\\s+by\\s+([A-Za-z_][A-Za-z0-9_.]*(?:\\s+(?:asc|desc))?(?:\\s+nulls\\s+(?:first|last))?"
            "(?:\\s*,\\s*[A-Za-z_][A-Za-z0-9_.]*(?:\\s+(?:asc|desc))?(?:\\s+nulls\\s+(?:first|last))?)*)"
            "\\s*;?\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = fin.match(sql);
    return m.hasMatch() ? m.captured(1) : QString();
}

// A text comparison of Find (Comme, CommencePar, EgalTexte) with its value folded once: it compares a
// field's text folded as Valeurs::plierCasse folds it, which answers as Qt's case-blind comparisons do
// (letter by letter, accents kept).
struct ComparaisonTexte {
    enum Sorte { Jamais, Debut, Partie, Egal, Motif } sorte = Jamais;
    QString texte;
    std::shared_ptr<Valeurs::MotifLike> motif;

    bool operator()(QStringView plie) const {
        switch (sorte) {
        case Debut:
            return plie.startsWith(texte);
        case Partie:
            return plie.contains(texte);
        case Egal:
            return plie == texte;
        case Motif:
            return motif->correspond(plie);
        case Jamais:
            break;
        }
        return false;
    }
};

// Nothing when the comparison is not one of text.
std::optional<ComparaisonTexte> comparaisonTexte(Recordset::Comparaison comparaison, const QVariant& valeur) {
    using C = Recordset::Comparaison;
    if (comparaison != C::Comme && comparaison != C::CommencePar && comparaison != C::EgalTexte)
        return std::nullopt;
    ComparaisonTexte r;
    if (valeur.isNull())
        return r;
    QString texte = valeur.toString();
    if (comparaison == C::CommencePar) {
        r.sorte = ComparaisonTexte::Debut;
    } else if (comparaison == C::EgalTexte) {
        r.sorte = ComparaisonTexte::Egal;
    } else {
        // "*" and "%" both match any run of characters; every other character is literal.
        texte.replace(u'%', u'*');
        // What a search box types, a plain beginning ("DUR*") or a plain part ("*ère*"), is compared
        // without the pattern's work.
        const qsizetype premiere = texte.indexOf(u'*');
        if (premiere == texte.size() - 1) {
            r.sorte = ComparaisonTexte::Debut;
            texte.truncate(premiere);
        } else if (premiere == 0 && texte.size() > 1 && texte.indexOf(u'*', 1) == texte.size() - 1) {
            r.sorte = ComparaisonTexte::Partie;
            texte = texte.mid(1, texte.size() - 2);
        } else {
            r.sorte = ComparaisonTexte::Motif;
            r.motif = std::make_shared<Valeurs::MotifLike>(texte, u'*', QChar(), QChar());
            return r;
        }
    }
    r.texte = Valeurs::plierCasse(texte);
    return r;
}

// The comparison of Find, prepared once for every row it looks at, for a column of that type. `*brut` is
// set when it takes the cells as read (dates of SQLite still as text) rather than converted.
std::function<bool(const QVariant&)> comparateur(Recordset::Comparaison comparaison, const QVariant& valeur,
                                                 TypeColonne type, bool* brut) {
    using C = Recordset::Comparaison;
    *brut = false;
    if (const std::optional<ComparaisonTexte> texte = comparaisonTexte(comparaison, valeur))
        return [t = *texte](const QVariant& champ) {
            return !champ.isNull() && t(Valeurs::plierCasse(champ.toString()));
        };
    double cible = 0;
    if (type == TypeColonne::DateHeure && valeur.metaType().id() == QMetaType::QDateTime &&
        cleDate(valeur, type, &cible)) {
        // A date column against a date: by their wall-clock fields.
        *brut = true;
        return [comparaison, cible, type](const QVariant& champ) {
            double cle = 0;
            if (!cleDate(champ, type, &cle))
                return comparaison == C::Different; // Null, or no date
            switch (comparaison) {
            case C::Egal:
                return cle == cible;
            case C::Different:
                return cle != cible;
            case C::Inferieur:
                return cle < cible;
            case C::InferieurOuEgal:
                return cle <= cible;
            case C::Superieur:
                return cle > cible;
            case C::SuperieurOuEgal:
                return cle >= cible;
            default:
                return false;
            }
        };
    }
    return [comparaison, valeur](const QVariant& champ) {
        if (champ.isNull() || valeur.isNull()) {
            const bool memes = champ.isNull() && valeur.isNull();
            return comparaison == C::Egal ? memes : (comparaison == C::Different ? !memes : false);
        }
        const int c = comparer(champ, valeur);
        switch (comparaison) {
        case C::Egal:
            return c == 0;
        case C::Different:
            return c != 0;
        case C::Inferieur:
            return c < 0;
        case C::InferieurOuEgal:
            return c <= 0;
        case C::Superieur:
            return c > 0;
        case C::SuperieurOuEgal:
            return c >= 0;
        default:
            return false;
        }
    };
}

} // namespace

const QVariant& LigneRecordset::operator[](const QString& champ) const {
    return valeur(m_rs.FieldIndex(champ));
}

const QVariant& LigneRecordset::valeur(int colonne) const {
    static const QVariant nul;
    if (colonne < 0 || colonne >= m_rs.FieldCount())
        return nul;
    return m_rs.cellule(m_rang, colonne);
}

bool Recordset::Contient::operator()(const LigneRecordset& ligne) const {
    const QVariant& v = ligne.valeur(colonne);
    return !v.isNull() && v.toString().contains(texte, Qt::CaseInsensitive);
}

Recordset::Recordset(QObject* parent) : QObject(parent) {}

Recordset::~Recordset() = default;

void Recordset::Open(Connexion& connexion, const QString& source, const QVariantList& valeurs,
                     const QString& table, const QStringList& cle) {
    const SourceNommee nommee = lireSource(source);
    emit RowsAboutToChange();
    vider();
    m_connexion = &connexion;
    m_sql = nommee.nommee ? QStringLiteral("SELECT * FROM ") + nommee.nom : source;
    m_parametres = valeurs;
    m_table = !table.isEmpty() ? table : (nommee.nommee ? nommee.nom : QString());
    m_cle = cle;
    QList<CleTri> ordre;
    try {
        if (nommee.nommee && !nommee.ordre.isEmpty() && !lireOrdre(nommee.ordre, &ordre))
            throw erreur(QStringLiteral("Ordre invalide : %1").arg(nommee.ordre));
        adopter(lire());
        if (nommee.nommee) {
            for (const CleTri& c : ordre)
                if (FieldIndex(c.champ) < 0)
                    throw erreur(QStringLiteral("Champ introuvable : %1").arg(c.champ));
        } else {
            // A query's own order of fields we hold is made again in memory, unless SQL's is already ours
            // (numbers and dates, the Nulls where Sort puts them); any other stays SQL's.
            QList<PlaceNuls> nuls;
            bool connus = lireOrdre(ordreFinal(m_sql), &ordre, &nuls);
            bool deSql = connus;
            for (qsizetype i = 0; i < ordre.size(); ++i) {
                const int c = FieldIndex(ordre.at(i).champ);
                connus = connus && c >= 0;
                const TypeColonne t = c >= 0 ? m_types.at(c) : TypeColonne::Inconnu;
                const bool croissant = ordre.at(i).ordre == Ordre::Croissant;
                deSql = deSql && c >= 0 &&
                        (t == TypeColonne::Entier || t == TypeColonne::Monnaie || t == TypeColonne::Reel ||
                         t == TypeColonne::Booleen || t == TypeColonne::DateHeure) &&
                        (nuls.at(i) == PlaceNuls::Defaut ? connexion.estSQLite()
                                                         : (nuls.at(i) == PlaceNuls::Premiers) == croissant);
            }
            if (deSql) {
                m_ordreLu = ordre;
                m_rangsDansOrdreLu = true;
            } else if (!connus || nuls.contains(PlaceNuls::Premiers) || nuls.contains(PlaceNuls::Derniers)) {
                ordre.clear();
            }
        }
        m_tri = ordre;
        m_ordreTrieAJour = false;
        if (m_cle.isEmpty() && !m_table.isEmpty()) {
            // The key of the written table, as the database declares it.
            const QString sql =
                connexion.estSQLite()
                    ? QStringLiteral("SELECT name FROM pragma_table_info(?) WHERE pk > 0 ORDER BY pk")
                    : QStringLiteral(
                          "SELECT a.attname FROM pg_index i JOIN pg_attribute a ON a.attrelid = i.indrelid "
                          "AND a.attnum = ANY(i.indkey) WHERE i.indrelid = to_regclass(?) AND "
                          "i.indisprimary");
            QSqlQuery q = connexion.executer(sql, {m_table});
            while (q.next())
                m_cle << q.value(0).toString();
        }
        if (!m_table.isEmpty()) {
            // The written table's columns: the fields themselves when the rows are the table's, else read
            // from the table (a view joins columns that no write may reach).
            QStringList colonnes = m_champs;
            if (!nommee.nommee || Valeurs::plierCasse(nommee.nom) != Valeurs::plierCasse(m_table)) {
                QSqlQuery q = connexion.executer(QStringLiteral("SELECT * FROM %1 WHERE 1 = 0").arg(m_table));
                const QSqlRecord r = q.record();
                colonnes.clear();
                for (int i = 0; i < r.count(); ++i)
                    colonnes << r.fieldName(i);
            }
            for (const QString& c : std::as_const(colonnes))
                m_colonnesTable.insert(Valeurs::plierCasse(c));
        }
    } catch (...) {
        vider();
        emit RowsChanged();
        emit MoveComplete();
        throw;
    }
    m_vue = vueFiltreeTriee();
    m_pos = 0;
    emit RowsChanged();
    emit MoveComplete();
}

Recordset::Lecture Recordset::lire() {
    Lecture l;
    // Taken before the read: a write that comes between them makes the next Requery read again.
    l.etat = m_connexion->etatDesDonnees();
    QSqlQuery q = m_connexion->executer(m_sql, m_parametres);
    const QSqlRecord enregistrement = q.record();
    const int n = enregistrement.count();
    for (int i = 0; i < n; ++i)
        l.champs << enregistrement.fieldName(i);
    l.types = m_connexion->typesColonnes(q);
    // Every value of every row passes here; SQLite's dates stay text until first read (cellule()).
    const Valeurs::NormaliseurLecture normaliser(l.types, m_connexion->estSQLite());
    while (q.next()) {
        Rang r;
        r.valeurs.reserve(n);
        for (int i = 0; i < n; ++i)
            r.valeurs.append(normaliser(q.value(i), i));
        r.id = m_prochainId++;
        l.rangs.append(std::move(r));
    }
    return l;
}

void Recordset::adopter(Lecture&& lecture) {
    const QList<Rang> anciens = std::move(m_rangs);
    const QStringList anciensChamps = std::move(m_champs);
    m_champs = std::move(lecture.champs);
    m_types = std::move(lecture.types);
    m_rangs = std::move(lecture.rangs);
    m_etatLu = std::move(lecture.etat);
    rangsChanges();
    garderClesIdentiques(anciens, anciensChamps);
    m_rangsDansOrdreLu = !m_ordreLu.isEmpty();
    m_vue.clear();
    m_index.clear();
    m_indexDemandes.clear();
    for (int i = 0; i < m_champs.size(); ++i) {
        m_index.insert(Valeurs::plierCasse(m_champs.at(i)), i);
        m_indexDemandes.insert(m_champs.at(i), i);
    }
}

void Recordset::vider() {
    m_connexion = nullptr;
    m_etatLu.clear();
    m_colonnesTable.clear();
    m_rangs.clear();
    rangsChanges();
    m_clesCollation.clear();
    m_ordreLu.clear();
    m_rangsDansOrdreLu = false;
    m_vue.clear();
    m_champs.clear();
    m_types.clear();
    m_index.clear();
    m_indexDemandes.clear();
    m_pos = -1;
    m_tri.clear();
    m_filtre = nullptr;
    m_edition = Edition::Aucune;
    m_tampon.clear();
    m_modifie.clear();
}

void Recordset::Close() {
    emit RowsAboutToChange();
    vider();
    emit RowsChanged();
}

int Recordset::rangDeId(quint64 id) const {
    // Rows are held in the order of their ids: read in turn, new ones appended with the next id.
    const auto it = std::lower_bound(m_rangs.cbegin(), m_rangs.cend(), id,
                                     [](const Rang& r, quint64 cherche) { return r.id < cherche; });
    return it != m_rangs.cend() && it->id == id ? static_cast<int>(it - m_rangs.cbegin()) : -1;
}

int Recordset::positionDeId(quint64 id) const {
    // The row found by its id, then its number among the visible ones: no row read out of place, and
    // nothing built per row for a lookup or two after each change of order.
    const int rang = rangDeId(id);
    return rang < 0 ? -1 : static_cast<int>(m_vue.indexOf(rang));
}

const QVariant& Recordset::cellule(int rang, int colonne) const {
    // Read as it is held (no detach check); only a date still held as its text is written, converted.
    const QVariant& v = std::as_const(m_rangs).at(rang).valeurs.at(colonne);
    if (m_types.at(colonne) != TypeColonne::DateHeure || v.metaType().id() != QMetaType::QString)
        return v;
    QVariant& date = m_rangs[rang].valeurs[colonne];
    date = Valeurs::normaliser(std::as_const(date), TypeColonne::DateHeure);
    return date;
}

const QList<QVariant>& Recordset::rangComplet(int rang) const {
    for (int c = 0; c < m_types.size(); ++c)
        cellule(rang, c);
    return m_rangs.at(rang).valeurs;
}

qint64 Recordset::idCourant() const {
    return IsBOF() || IsEOF() ? -1 : static_cast<qint64>(m_rangs.at(m_vue.at(m_pos)).id);
}

QList<int> Recordset::filtrer(const QList<int>* ordre) const {
    const int n = static_cast<int>(m_rangs.size());
    QList<int> vue;
    vue.reserve(n);
    const auto parcourir = [&](auto&& garder) {
        if (ordre) {
            for (const int r : *ordre)
                if (garder(r))
                    vue.append(r);
        } else {
            for (int r = 0; r < n; ++r)
                if (garder(r))
                    vue.append(r);
        }
    };
    const Contient* contient = m_filtre ? m_filtre.target<Contient>() : nullptr;
    if (!m_filtre) {
        parcourir([](int) { return true; });
    } else if (contient && contient->colonne >= 0 && contient->colonne < m_types.size() &&
               m_types.at(contient->colonne) == TypeColonne::Texte) {
        // The kept folded texts against the folded text: no value read, nothing folded per row.
        const TextesPlies& t = textesPlies(contient->colonne);
        const QString partie = Valeurs::plierCasse(contient->texte);
        parcourir([&](int r) { return !t.nul(r) && t.texte(r).contains(partie); });
    } else {
        parcourir([this](int r) { return m_filtre(LigneRecordset(*this, r)); });
    }
    return vue;
}

QList<int> Recordset::vueFiltreeTriee() const {
    if (m_tri.isEmpty() || dejaDansLOrdre(m_tri))
        return filtrer(nullptr);
    if (!m_ordreTrieAJour) {
        m_ordreTrie.resize(m_rangs.size());
        std::iota(m_ordreTrie.begin(), m_ordreTrie.end(), 0);
        trier(m_ordreTrie);
        m_ordreTrieAJour = true;
    }
    // The sort is stable, so the sorted rows that pass the filter are the filtered rows sorted.
    return filtrer(&m_ordreTrie);
}

void Recordset::TextesPlies::ajouter(const QVariant& v) {
    debuts.push_back(static_cast<qsizetype>(textes.size()));
    nuls.push_back(v.isNull() ? 1 : 0);
    if (v.isNull())
        return;
    if (v.metaType().id() == QMetaType::QString)
        Valeurs::ajouterPlie(*static_cast<const QString*>(v.constData()), textes);
    else
        Valeurs::ajouterPlie(v.toString(), textes);
}

const Recordset::TextesPlies& Recordset::textesPlies(int colonne) const {
    auto it = m_textesPlies.find(colonne);
    if (it != m_textesPlies.end())
        return *it;
    // Every row at once, in the order the rows are held (a search in the sort's order would reach them
    // scattered). A sort by the column has usually made them already.
    TextesPlies t;
    t.reserver(m_rangs.size());
    for (const Rang& r : std::as_const(m_rangs))
        t.ajouter(r.valeurs.at(colonne));
    t.debuts.push_back(static_cast<qsizetype>(t.textes.size()));
    return *m_textesPlies.emplace(colonne, std::move(t));
}

void Recordset::rangsChanges() {
    m_ordreTrieAJour = false;
    m_textesPlies.clear();
}

const Recordset::ClesCollation& Recordset::clesCollation(int colonne) const {
    ClesCollation& k = m_clesCollation[colonne];
    const size_t n = static_cast<size_t>(m_rangs.size());
    if (k.etats.size() != n) {
        // Made for the first time: every row.
        k = ClesCollation();
        k.etats.assign(n, ClesCollation::ARefaire);
        k.debuts.assign(n + 1, 0);
        k.aRefaire = static_cast<qsizetype>(n);
    }
    if (k.aRefaire == 0)
        return k;
    const bool tout = k.aRefaire == static_cast<qsizetype>(n);
    std::vector<unsigned char> octets;
    octets.reserve(tout ? n * 12 : k.octets.size() + static_cast<size_t>(k.aRefaire) * 16);
    const TypeColonne type = m_types.at(colonne);
    CollateurFrancais& collateur = CollateurFrancais::duFil();
    for (size_t r = 0; r < n; ++r) {
        const quint32 debut = static_cast<quint32>(octets.size());
        if (k.etats[r] != ClesCollation::ARefaire) {
            octets.insert(octets.end(), k.cle(r), k.cle(r) + k.longueur(r));
        } else {
            const QVariant& v = m_rangs.at(static_cast<qsizetype>(r)).valeurs.at(colonne);
            if (v.isNull()) {
                k.etats[r] = ClesCollation::Nul;
            } else if (v.metaType().id() == QMetaType::QDateTime || type == TypeColonne::DateHeure ||
                       estNombreOuBooleen(v)) {
                k.etats[r] = ClesCollation::Autre;
            } else {
                if (v.metaType().id() == QMetaType::QString)
                    collateur.ajouterCle(*static_cast<const QString*>(v.constData()), octets);
                else
                    collateur.ajouterCle(v.toString(), octets);
                k.etats[r] = ClesCollation::Cle;
                ++m_travail.clesCalculees;
            }
        }
        if (octets.size() > std::numeric_limits<quint32>::max())
            throw erreur(QStringLiteral("Trop de texte à trier"));
        k.debuts[r] = debut;
    }
    k.debuts[n] = static_cast<quint32>(octets.size());
    if (octets.capacity() > octets.size() + octets.size() / 4)
        octets.shrink_to_fit();
    k.octets = std::move(octets);
    k.aRefaire = 0;
    return k;
}

void Recordset::rangChange(int rang, const QList<bool>* colonnes) {
    for (auto& [c, k] : m_clesCollation) {
        const auto r = static_cast<size_t>(rang);
        if (r >= k.etats.size() || (colonnes && !colonnes->value(c)))
            continue;
        if (k.etats[r] != ClesCollation::ARefaire) {
            k.etats[r] = ClesCollation::ARefaire;
            ++k.aRefaire;
        }
    }
}

void Recordset::garderClesIdentiques(const QList<Rang>& anciens, const QStringList& anciensChamps) {
    if (m_clesCollation.empty())
        return;
    if (anciensChamps != m_champs) {
        m_clesCollation.clear();
        return;
    }
    const auto texte = [](const QVariant& v) -> const QString* {
        return !v.isNull() && v.metaType().id() == QMetaType::QString
                   ? static_cast<const QString*>(v.constData())
                   : nullptr;
    };
    const size_t n = static_cast<size_t>(m_rangs.size());
    for (auto& [c, k] : m_clesCollation) {
        // A key depends on its text alone. The same query reads the same rows in the same order, but for
        // those added, deleted or changed meanwhile: each row is first compared with the row held at its
        // place, then looked up among the texts held.
        ClesCollation nk;
        nk.etats.assign(n, ClesCollation::ARefaire);
        nk.debuts.assign(n + 1, 0);
        nk.octets.reserve(k.octets.size());
        QHash<QStringView, size_t> parTexte;
        bool indexe = false;
        for (size_t r = 0; r < n; ++r) {
            nk.debuts[r] = static_cast<quint32>(nk.octets.size());
            const QVariant& apres = m_rangs.at(static_cast<qsizetype>(r)).valeurs.at(c);
            if (apres.isNull()) {
                nk.etats[r] = ClesCollation::Nul;
                continue;
            }
            const QString* t = texte(apres);
            if (!t) {
                ++nk.aRefaire;
                continue;
            }
            size_t ancien = r;
            const QString* avant = r < k.etats.size() && k.etats[r] == ClesCollation::Cle
                                       ? texte(anciens.at(static_cast<qsizetype>(r)).valeurs.at(c))
                                       : nullptr;
            if (!avant || *avant != *t) {
                if (!indexe) {
                    parTexte.reserve(static_cast<qsizetype>(k.etats.size()));
                    for (size_t i = 0; i < k.etats.size() && i < static_cast<size_t>(anciens.size()); ++i)
                        if (k.etats[i] == ClesCollation::Cle)
                            if (const QString* a = texte(anciens.at(static_cast<qsizetype>(i)).valeurs.at(c)))
                                parTexte.insert(QStringView(*a), i);
                    indexe = true;
                }
                const auto it = parTexte.constFind(QStringView(*t));
                if (it == parTexte.constEnd()) {
                    ++nk.aRefaire;
                    continue;
                }
                ancien = *it;
            }
            nk.etats[r] = ClesCollation::Cle;
            nk.octets.insert(nk.octets.end(), k.cle(ancien), k.cle(ancien) + k.longueur(ancien));
        }
        nk.debuts[n] = static_cast<quint32>(nk.octets.size());
        k = std::move(nk);
    }
}

qsizetype Recordset::OctetsClesCollation() const {
    size_t octets = 0;
    for (const auto& [c, k] : m_clesCollation)
        octets += k.octets.capacity() + k.debuts.capacity() * sizeof(quint32) + k.etats.capacity();
    return static_cast<qsizetype>(octets);
}

bool Recordset::dejaDansLOrdre(const QList<CleTri>& tri) const {
    if (!m_rangsDansOrdreLu || tri.isEmpty() || tri.size() > m_ordreLu.size())
        return false;
    for (qsizetype i = 0; i < tri.size(); ++i)
        if (tri.at(i).ordre != m_ordreLu.at(i).ordre ||
            FieldIndex(tri.at(i).champ) != FieldIndex(m_ordreLu.at(i).champ))
            return false;
    return true;
}

void Recordset::trier(QList<int>& vue) const {
    struct Colonne {
        int colonne;
        bool croissant;
        const ClesCollation* cles; // the kept keys of a column of text
    };
    QList<Colonne> colonnes;
    for (const CleTri& c : m_tri)
        if (const int i = FieldIndex(c.champ); i >= 0)
            colonnes.append({i, c.ordre == Ordre::Croissant, nullptr});
    if (colonnes.isEmpty() || vue.size() < 2)
        return;
    ++m_travail.tris;
    // A column of numbers or dates that holds a text after all has its keys made at the first text met;
    // the kept keys are made before any is looked at (making one can move no other).
    const auto estTexte = [this](int colonne) {
        const TypeColonne t = m_types.at(colonne);
        return t == TypeColonne::Texte || t == TypeColonne::Inconnu || t == TypeColonne::Binaire;
    };
    for (Colonne& c : colonnes)
        if (estTexte(c.colonne))
            c.cles = &clesCollation(c.colonne);
    const size_t n = static_cast<size_t>(vue.size());
    // A sort of every row (they come in the order they are held) also folds the text it sorts by, while
    // each value is at hand, for the filters and searches that follow (a search by the sort's field).
    const auto plierAuPassage = [&](const Colonne& c) {
        if (vue.size() != m_rangs.size() || m_types.at(c.colonne) != TypeColonne::Texte ||
            m_textesPlies.contains(c.colonne))
            return;
        TextesPlies t;
        t.reserver(m_rangs.size());
        for (const int r : vue) {
            if (t.nuls.size() != size_t(r))
                return; // the rows came in another order
            t.ajouter(m_rangs.at(r).valeurs.at(c.colonne));
        }
        t.debuts.push_back(static_cast<qsizetype>(t.textes.size()));
        m_textesPlies.emplace(c.colonne, std::move(t));
    };
    for (const Colonne& c : colonnes)
        plierAuPassage(c);

    if (colonnes.size() == 1 && colonnes.first().cles) {
        // One column of text, the usual sort of a list: its Nulls apart, then the keys' first eight bytes
        // as one number beside each row, the rest of the key compared only when those are equal.
        const ClesCollation& k = *colonnes.first().cles;
        bool queDuTexte = true;
        for (const int r : vue)
            queDuTexte = queDuTexte && k.etats[static_cast<size_t>(r)] != ClesCollation::Autre;
        if (queDuTexte) {
            struct Entree {
                quint64 tete;
                int rang;
            };
            QList<int> nuls;
            std::vector<Entree> entrees;
            entrees.reserve(n);
            for (const int r : vue) {
                const auto i = static_cast<size_t>(r);
                if (k.etats[i] == ClesCollation::Nul) {
                    nuls.append(r);
                    continue;
                }
                const unsigned char* cle = k.cle(i);
                const quint32 l = std::min<quint32>(k.longueur(i), 8);
                quint64 tete = 0;
                for (quint32 j = 0; j < 8; ++j)
                    tete = (tete << 8) | (j < l ? cle[j] : 0);
                entrees.push_back({tete, r});
            }
            // A key ends with its only zero byte: keys equal in their first eight bytes, one of them no
            // longer, are equal.
            const auto avant = [&k](const Entree& a, const Entree& b) {
                if (a.tete != b.tete)
                    return a.tete < b.tete;
                const auto ia = static_cast<size_t>(a.rang), ib = static_cast<size_t>(b.rang);
                const quint32 la = k.longueur(ia), lb = k.longueur(ib);
                if (la <= 8 || lb <= 8)
                    return false;
                const int c = std::memcmp(k.cle(ia) + 8, k.cle(ib) + 8, std::min(la, lb) - 8);
                return c != 0 ? c < 0 : la < lb;
            };
            if (colonnes.first().croissant)
                std::stable_sort(entrees.begin(), entrees.end(), avant);
            else
                std::stable_sort(entrees.begin(), entrees.end(),
                                 [&avant](const Entree& a, const Entree& b) { return avant(b, a); });
            QList<int> triee;
            triee.reserve(vue.size());
            if (colonnes.first().croissant)
                triee.append(nuls);
            for (const Entree& e : entrees)
                triee.append(e.rang);
            if (!colonnes.first().croissant)
                triee.append(nuls);
            vue = std::move(triee);
            return;
        }
    }

    // Keys computed once per row and field: the kept collation keys for text, numbers for the rest.
    struct Cle {
        int classe; // 0 Null, 1 number or date, 2 text
        double nombre;
        const unsigned char* texte;
        quint32 longueur;
    };
    std::vector<Cle> cles;
    cles.reserve(n * static_cast<size_t>(colonnes.size()));
    for (const int r : vue) {
        for (Colonne& c : colonnes) {
            const auto i = static_cast<size_t>(r);
            if (c.cles && c.cles->etats[i] == ClesCollation::Cle) {
                cles.push_back({2, 0, c.cles->cle(i), c.cles->longueur(i)});
                continue;
            }
            const QVariant& v = m_rangs.at(r).valeurs.at(c.colonne);
            const TypeColonne type = m_types.at(c.colonne);
            double date = 0;
            if (v.isNull()) {
                cles.push_back({0, 0, nullptr, 0});
            } else if (v.metaType().id() == QMetaType::QDateTime || type == TypeColonne::DateHeure) {
                if (cleDate(v, type, &date))
                    cles.push_back({1, date, nullptr, 0});
                else
                    cles.push_back({0, 0, nullptr, 0});
            } else if (estNombreOuBooleen(v)) {
                cles.push_back({1, v.toDouble(), nullptr, 0});
            } else {
                if (!c.cles)
                    c.cles = &clesCollation(c.colonne);
                cles.push_back({2, 0, c.cles->cle(i), c.cles->longueur(i)});
            }
        }
    }
    const size_t k = static_cast<size_t>(colonnes.size());
    if (k == 1 && std::all_of(cles.begin(), cles.end(), [](const Cle& c) { return c.classe < 2; })) {
        // One column of numbers or dates, the sort of a grid's header: the Nulls apart, then the numbers
        // beside their rows, compared directly.
        struct Nombre {
            double nombre;
            int rang;
        };
        QList<int> nuls;
        std::vector<Nombre> nombres;
        nombres.reserve(n);
        for (size_t i = 0; i < n; ++i) {
            if (cles[i].classe == 0)
                nuls.append(vue.at(static_cast<qsizetype>(i)));
            else
                nombres.push_back({cles[i].nombre, vue.at(static_cast<qsizetype>(i))});
        }
        const bool croissant = colonnes.first().croissant;
        std::stable_sort(nombres.begin(), nombres.end(), [croissant](const Nombre& a, const Nombre& b) {
            return croissant ? a.nombre < b.nombre : b.nombre < a.nombre;
        });
        QList<int> triee;
        triee.reserve(vue.size());
        if (croissant)
            triee.append(nuls);
        for (const Nombre& e : nombres)
            triee.append(e.rang);
        if (!croissant)
            triee.append(nuls);
        vue = std::move(triee);
        return;
    }
    std::vector<int> ordre(n);
    for (size_t i = 0; i < n; ++i)
        ordre[i] = static_cast<int>(i);
    std::stable_sort(ordre.begin(), ordre.end(), [&](int a, int b) {
        for (size_t j = 0; j < k; ++j) {
            const Cle& x = cles[static_cast<size_t>(a) * k + j];
            const Cle& y = cles[static_cast<size_t>(b) * k + j];
            int c;
            if (x.classe != y.classe) {
                c = x.classe < y.classe ? -1 : 1;
            } else if (x.classe == 1) {
                c = x.nombre < y.nombre ? -1 : (x.nombre > y.nombre ? 1 : 0);
            } else if (x.classe == 2) {
                c = std::memcmp(x.texte, y.texte, std::min(x.longueur, y.longueur));
                if (c == 0)
                    c = x.longueur < y.longueur ? -1 : (x.longueur > y.longueur ? 1 : 0);
            } else {
                c = 0;
            }
            if (c != 0)
                return colonnes.at(static_cast<qsizetype>(j)).croissant ? c < 0 : c > 0;
        }
        return false;
    });
    QList<int> triee;
    triee.reserve(vue.size());
    for (const int i : ordre)
        triee.append(vue.at(i));
    vue = std::move(triee);
}

int Recordset::FieldIndex(const QString& champ) const {
    if (const auto it = m_indexDemandes.constFind(champ); it != m_indexDemandes.constEnd())
        return *it;
    const int c = m_index.value(Valeurs::plierCasse(champ), -1);
    // Bounded, for a caller that would ask ever new names.
    if (m_indexDemandes.size() < 4096)
        m_indexDemandes.insert(champ, c);
    return c;
}

void Recordset::exigerCourant(const char* operation) const {
    if (IsBOF() || IsEOF())
        throw erreur(QStringLiteral("%1 : BOF ou EOF est vrai, ou l'enregistrement courant a été supprimé")
                         .arg(QLatin1String(operation)));
}

QVariant Recordset::Field(int colonne) const {
    if (colonne < 0 || colonne >= m_champs.size())
        throw erreur(QStringLiteral("Colonne %1 introuvable").arg(colonne));
    if (m_edition != Edition::Aucune)
        return m_tampon.at(colonne);
    exigerCourant("Field");
    return cellule(m_vue.at(m_pos), colonne);
}

QVariant Recordset::Field(const QString& champ) const {
    const int c = FieldIndex(champ);
    if (c < 0)
        throw erreur(QStringLiteral("Champ introuvable : %1").arg(champ));
    return Field(c);
}

QVariant Recordset::OriginalValue(const QString& champ) const {
    const int c = FieldIndex(champ);
    if (c < 0)
        throw erreur(QStringLiteral("Champ introuvable : %1").arg(champ));
    if (m_edition == Edition::Ajout)
        return Valeurs::normaliser(QVariant(), m_types.at(c));
    exigerCourant("OriginalValue");
    return cellule(m_vue.at(m_pos), c);
}

QVariant Recordset::ValueAt(int position, int colonne) const {
    if (position < 0 || position >= m_vue.size() || colonne < 0 || colonne >= m_champs.size())
        return {};
    if (position == m_pos && m_edition == Edition::Modification)
        return m_tampon.at(colonne);
    return cellule(m_vue.at(position), colonne);
}

bool Recordset::Modifiable() const {
    if (!IsOpen() || m_table.isEmpty() || m_cle.isEmpty())
        return false;
    for (const QString& k : m_cle)
        if (FieldIndex(k) < 0)
            return false;
    return true;
}

void Recordset::deplacer(int position) {
    finirEdition();
    m_pos = std::clamp(position, -1, static_cast<int>(m_vue.size()));
    emit MoveComplete();
}

void Recordset::MoveFirst() {
    deplacer(0);
}
void Recordset::MoveLast() {
    deplacer(static_cast<int>(m_vue.size()) - 1);
}
void Recordset::MoveNext() {
    if (IsEOF())
        throw erreur(QStringLiteral("MoveNext : EOF est vrai"));
    deplacer(m_pos + 1);
}
void Recordset::MovePrevious() {
    if (IsBOF())
        throw erreur(QStringLiteral("MovePrevious : BOF est vrai"));
    deplacer(m_pos - 1);
}
void Recordset::MoveTo(int position) {
    deplacer(position);
}

void Recordset::finirEdition() {
    // As ADO: leaving an edited row saves it.
    if (m_edition != Edition::Aucune)
        Update();
}

void Recordset::SetField(const QString& champ, const QVariant& valeur) {
    const int c = FieldIndex(champ);
    if (c < 0)
        throw erreur(QStringLiteral("Champ introuvable : %1").arg(champ));
    if (!m_table.isEmpty() && !m_colonnesTable.contains(Valeurs::plierCasse(m_champs.at(c))))
        throw erreur(QStringLiteral("Le champ %1 n'est pas une colonne de la table %2 : il ne peut pas être "
                                    "modifié")
                         .arg(champ, m_table));
    if (m_edition == Edition::Aucune) {
        exigerCourant("SetField");
        exigerCle();
        m_tampon = rangComplet(m_vue.at(m_pos));
        m_modifie = QList<bool>(m_champs.size(), false);
        m_edition = Edition::Modification;
    }
    m_tampon[c] = Valeurs::valeurColonne(valeur, m_types.at(c));
    m_modifie[c] = true;
    if (m_edition == Edition::Modification)
        emit RowChanged(m_pos);
}

void Recordset::AddNew() {
    if (!IsOpen())
        throw erreur(QStringLiteral("AddNew : recordset fermé"));
    exigerCle();
    finirEdition();
    m_tampon = QList<QVariant>(m_champs.size());
    for (int i = 0; i < m_champs.size(); ++i)
        m_tampon[i] = Valeurs::normaliser(QVariant(), m_types.at(i));
    m_modifie = QList<bool>(m_champs.size(), false);
    m_edition = Edition::Ajout;
}

void Recordset::CancelUpdate() {
    const bool modification = m_edition == Edition::Modification;
    m_edition = Edition::Aucune;
    m_tampon.clear();
    m_modifie.clear();
    if (modification && !IsBOF() && !IsEOF())
        emit RowChanged(m_pos);
}

void Recordset::exigerCle() const {
    if (m_table.isEmpty() || m_cle.isEmpty())
        throw erreur(QStringLiteral("Recordset en lecture seule : aucune table ni clé pour écrire"));
    for (const QString& k : m_cle)
        if (FieldIndex(k) < 0)
            throw erreur(QStringLiteral("La clé %1 ne fait pas partie des champs").arg(k));
}

QVariantList Recordset::valeursCle(const Rang& rang) const {
    QVariantList v;
    for (const QString& k : m_cle) {
        const int c = FieldIndex(k);
        v << Valeurs::valeurAEcrire(rang.valeurs.at(c), m_types.at(c));
    }
    return v;
}

QString Recordset::clauseCle() const {
    QStringList conditions;
    for (const QString& k : m_cle)
        conditions << k + QStringLiteral(" = ?");
    return conditions.join(QStringLiteral(" AND "));
}

void Recordset::Update() {
    if (m_edition == Edition::Aucune)
        return;
    exigerCle();
    QStringList colonnes;
    QVariantList valeurs;
    for (int i = 0; i < m_champs.size(); ++i) {
        if (m_modifie.at(i)) {
            colonnes << m_champs.at(i);
            valeurs << Valeurs::valeurAEcrire(m_tampon.at(i), m_types.at(i));
        }
    }
    if (m_edition == Edition::Ajout) {
        QString sql;
        if (colonnes.isEmpty()) {
            sql = QStringLiteral("INSERT INTO %1 DEFAULT VALUES RETURNING *").arg(m_table);
        } else {
            QStringList marques;
            for (qsizetype i = 0; i < colonnes.size(); ++i)
                marques << QStringLiteral("?");
            sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3) RETURNING *")
                      .arg(m_table, colonnes.join(QStringLiteral(", ")), marques.join(QStringLiteral(", ")));
        }
        Rang r;
        r.valeurs = m_tampon;
        {
            QSqlQuery q = m_connexion->executer(sql, valeurs);
            // What the database gave the row (identity, defaults) comes back by name.
            if (q.next()) {
                const QSqlRecord rec = q.record();
                for (int i = 0; i < rec.count(); ++i) {
                    const int c = FieldIndex(rec.fieldName(i));
                    if (c >= 0)
                        r.valeurs[c] = Valeurs::normaliser(q.value(i), m_types.at(c));
                }
            }
            q.finish();
        }
        r.id = m_prochainId++;
        m_edition = Edition::Aucune;
        m_tampon.clear();
        m_modifie.clear();
        const int position = static_cast<int>(m_vue.size());
        emit RowAboutToBeInserted(position);
        m_rangs.append(std::move(r));
        rangsChanges();
        // Held last, whatever its values: the rows are no longer in the order SQL gave.
        m_rangsDansOrdreLu = false;
        for (auto& [c, k] : m_clesCollation) {
            k.etats.push_back(ClesCollation::ARefaire);
            k.debuts.push_back(k.debuts.back());
            ++k.aRefaire;
        }
        m_vue.append(static_cast<int>(m_rangs.size() - 1));
        emit RowInserted(position);
        m_pos = position;
        emit MoveComplete();
        return;
    }
    Rang& rang = m_rangs[m_vue.at(m_pos)];
    if (!colonnes.isEmpty()) {
        QStringList affectations;
        for (const QString& c : colonnes)
            affectations << c + QStringLiteral(" = ?");
        const QString sql = QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                                .arg(m_table, affectations.join(QStringLiteral(", ")), clauseCle());
        QSqlQuery q = m_connexion->executer(sql, valeurs + valeursCle(rang));
        if (q.numRowsAffected() == 0)
            throw ErreurExecution(
                ViolationConcurrence,
                QStringLiteral("La ligne à mettre à jour n'existe plus dans %1 : elle a été "
                               "supprimée entre-temps")
                    .arg(m_table),
                QStringLiteral("Recordset"));
        q.finish();
    }
    rang.valeurs = m_tampon;
    rangsChanges();
    rangChange(m_vue.at(m_pos), &m_modifie);
    m_rangsDansOrdreLu = false;
    m_edition = Edition::Aucune;
    m_tampon.clear();
    m_modifie.clear();
    emit RowChanged(m_pos);
}

void Recordset::Delete() {
    if (m_edition == Edition::Ajout) {
        CancelUpdate();
        return;
    }
    CancelUpdate();
    exigerCourant("Delete");
    exigerCle();
    const int r = m_vue.at(m_pos);
    {
        // "= ?" never matches a Null key (SQLite lets a text key be Null): the row would leave the grid
        // and stay in the table. A delete that takes no row out is a failure, and the row stays shown.
        const QVariantList cle = valeursCle(m_rangs.at(r));
        QSqlQuery q =
            m_connexion->executer(QStringLiteral("DELETE FROM %1 WHERE %2").arg(m_table, clauseCle()), cle);
        if (q.numRowsAffected() == 0) {
            const bool cleNulle =
                std::any_of(cle.begin(), cle.end(), [](const QVariant& v) { return v.isNull(); });
            throw ErreurExecution(
                ViolationConcurrence,
                cleNulle
                    ? QStringLiteral("La ligne à supprimer n'a pas de clé (%1 vide) : elle reste dans %2")
                          .arg(m_cle.join(QStringLiteral(", ")), m_table)
                    : QStringLiteral("La ligne à supprimer n'existe plus dans %1 : elle a été supprimée "
                                     "entre-temps")
                          .arg(m_table),
                QStringLiteral("Recordset"));
        }
        q.finish();
    }
    const int position = m_pos;
    m_suppressionEnCours = true;
    emit RowAboutToBeRemoved(position);
    m_rangs.removeAt(r);
    rangsChanges();
    for (auto& [c, k] : m_clesCollation) {
        const auto i = static_cast<size_t>(r);
        if (i >= k.etats.size())
            continue;
        const quint32 longueur = k.longueur(i);
        k.octets.erase(k.octets.begin() + k.debuts[i], k.octets.begin() + k.debuts[i + 1]);
        k.debuts.erase(k.debuts.begin() + r);
        for (size_t j = i; j < k.debuts.size(); ++j)
            k.debuts[j] -= longueur;
        if (k.etats[i] == ClesCollation::ARefaire)
            --k.aRefaire;
        k.etats.erase(k.etats.begin() + r);
    }
    m_vue.removeAt(position);
    for (int& v : m_vue)
        if (v > r)
            --v;
    emit RowRemoved(position);
    m_suppressionEnCours = false;
    emit MoveComplete();
}

QVariant Recordset::Bookmark() const {
    exigerCourant("Bookmark");
    return QVariant::fromValue<qulonglong>(m_rangs.at(m_vue.at(m_pos)).id);
}

void Recordset::SetBookmark(const QVariant& signet) {
    const int p = positionDeId(signet.toULongLong());
    if (p < 0)
        throw erreur(QStringLiteral("Signet invalide"));
    deplacer(p);
}

QVariant Recordset::BookmarkAt(int position) const {
    if (position < 0 || position >= m_vue.size())
        return {};
    return QVariant::fromValue<qulonglong>(m_rangs.at(m_vue.at(position)).id);
}

int Recordset::PositionOf(const QVariant& signet) const {
    return signet.isValid() ? positionDeId(signet.toULongLong()) : -1;
}

bool Recordset::Find(const QString& champ, Comparaison comparaison, const QVariant& valeur, Depart depart,
                     Direction direction) {
    const int c = FieldIndex(champ);
    if (c < 0)
        throw erreur(QStringLiteral("Champ introuvable : %1").arg(champ));
    finirEdition();
    const int n = static_cast<int>(m_vue.size());
    int p = depart == Depart::Premier ? 0 : (depart == Depart::Dernier ? n - 1 : m_pos);
    const int pas = direction == Direction::Avant ? 1 : -1;
    const auto trouve = [&](auto&& satisfait) {
        for (; p >= 0 && p < n; p += pas)
            if (satisfait(m_vue.at(p)))
                return true;
        return false;
    };
    bool ok;
    const std::optional<ComparaisonTexte> texte =
        m_types.at(c) == TypeColonne::Texte ? comparaisonTexte(comparaison, valeur) : std::nullopt;
    if (texte) {
        // A text column: its kept folded texts, no value read, nothing folded per row.
        const TextesPlies& t = textesPlies(c);
        ok = trouve([&](int r) { return !t.nul(r) && (*texte)(t.texte(r)); });
    } else {
        bool brut = false;
        const auto satisfait = comparateur(comparaison, valeur, m_types.at(c), &brut);
        ok = trouve([&](int r) {
            return satisfait(brut ? std::as_const(m_rangs).at(r).valeurs.at(c) : cellule(r, c));
        });
    }
    if (ok) {
        m_pos = p;
        emit MoveComplete();
        return true;
    }
    m_pos = direction == Direction::Avant ? n : -1;
    emit MoveComplete();
    return false;
}

int Recordset::positionRetenue(const QList<int>& vue, qint64 id) const {
    const int rang = id < 0 ? -1 : rangDeId(static_cast<quint64>(id));
    return rang < 0 ? 0 : static_cast<int>(std::max<qsizetype>(vue.indexOf(rang), 0));
}

void Recordset::Sort(const QString& champ, Ordre ordre) {
    if (!champ.isEmpty() && FieldIndex(champ) < 0)
        throw erreur(QStringLiteral("Champ introuvable : %1").arg(champ));
    finirEdition();
    const qint64 id = idCourant();
    QList<CleTri> tri;
    if (!champ.isEmpty())
        tri.append({champ, ordre});
    // The sort already made, nothing written since: its kept order serves again.
    const bool dejaFait = !tri.isEmpty() && tri == m_tri && m_ordreTrieAJour;
    m_tri = std::move(tri);
    if (!dejaFait)
        m_ordreTrieAJour = false;
    QList<int> vue;
    if (dejaFait) {
        vue = filtrer(&m_ordreTrie);
    } else {
        // The same rows, from the order they were read in (already the sort's when SQL gave it): each
        // row marked, then taken in that order, rather than sorted.
        vue = m_vue;
        if (!std::is_sorted(vue.begin(), vue.end())) {
            std::vector<char> montre(static_cast<size_t>(m_rangs.size()), 0);
            for (const int r : std::as_const(vue))
                montre[static_cast<size_t>(r)] = 1;
            vue.clear();
            for (int r = 0; r < static_cast<int>(montre.size()); ++r)
                if (montre[static_cast<size_t>(r)])
                    vue.append(r);
        }
        if (!dejaDansLOrdre(m_tri))
            trier(vue);
        if (!m_tri.isEmpty() && vue.size() == m_rangs.size()) {
            // Every row: this is the sort a filter walks, kept rather than made again at the next one.
            m_ordreTrie = vue;
            m_ordreTrieAJour = true;
        }
    }
    if (vue != m_vue) {
        emit OrderAboutToChange();
        m_vue = std::move(vue);
        m_pos = positionRetenue(m_vue, id);
        emit OrderChanged();
    }
    emit MoveComplete();
}

void Recordset::Filter(Predicat predicat) {
    finirEdition();
    m_filtre = std::move(predicat);
    QList<int> vue = vueFiltreeTriee();
    emit RowsAboutToChange();
    m_vue = std::move(vue);
    m_pos = 0;
    emit RowsChanged();
    emit MoveComplete();
}

void Recordset::Requery() {
    relire(nullptr);
}

void Recordset::Requery(const QString& champ, Ordre ordre) {
    if (IsOpen() && !champ.isEmpty() && FieldIndex(champ) < 0)
        throw erreur(QStringLiteral("Champ introuvable : %1").arg(champ));
    QList<CleTri> tri;
    if (!champ.isEmpty())
        tri.append({champ, ordre});
    relire(&tri);
}

void Recordset::relire(const QList<CleTri>* tri) {
    if (!IsOpen())
        throw erreur(QStringLiteral("Requery : recordset fermé"));
    finirEdition();
    if (!m_etatLu.isEmpty() && m_connexion->etatDesDonnees() == m_etatLu) {
        // Nothing written since the rows were read: they are what a read would give, in the same order,
        // with the keys and texts kept for them. Only the sort asked for is made.
        const qint64 id = idCourant();
        if (tri && *tri != m_tri) {
            m_tri = *tri;
            m_ordreTrieAJour = false;
        }
        QList<int> vue = vueFiltreeTriee();
        if (vue != m_vue) {
            emit OrderAboutToChange();
            m_vue = std::move(vue);
            if (id >= 0)
                m_pos = positionRetenue(m_vue, id);
            emit OrderChanged();
        }
        emit MoveComplete();
        return;
    }
    // The current row is found again by its key (or, without key, by its position).
    QVariantList cle;
    const int ancienne = m_pos;
    if (!IsBOF() && !IsEOF() && !m_cle.isEmpty())
        for (const QString& k : m_cle) {
            const int c = FieldIndex(k);
            cle << (c >= 0 ? cellule(m_vue.at(m_pos), c) : QVariant());
        }
    Lecture lecture = lire();
    emit RowsAboutToChange();
    adopter(std::move(lecture));
    if (tri)
        m_tri = *tri;
    m_vue = vueFiltreeTriee();
    qint64 id = -1;
    if (!cle.isEmpty()) {
        // The key's columns looked up once, then one pass over the rows.
        QList<int> colonnes;
        for (const QString& k : m_cle)
            colonnes << FieldIndex(k);
        for (int r = 0; r < m_rangs.size() && id < 0; ++r) {
            bool memes = true;
            for (int i = 0; i < colonnes.size() && memes; ++i) {
                const int c = colonnes.at(i);
                memes = (c >= 0 ? cellule(r, c) : QVariant()) == cle.at(i);
            }
            if (memes)
                id = static_cast<qint64>(m_rangs.at(r).id);
        }
    }
    m_pos = positionRetenue(m_vue, id);
    if (id < 0 && cle.isEmpty() && ancienne >= 0)
        m_pos = std::min(ancienne, static_cast<int>(m_vue.size()));
    emit RowsChanged();
    emit MoveComplete();
}
