#include "db/Valeurs.h"

#include <QList>
#include <QMetaType>
#include <cmath>
#include <utility>
#include <vector>

namespace Valeurs {

namespace {
const QString FormatDate = QStringLiteral("yyyy-MM-dd HH:mm:ss");

// The value of `n` digits at `t[i]`, or -1 when one of them is not a digit.
int chiffres(QStringView t, qsizetype i, int n) {
    if (i + n > t.size())
        return -1;
    int v = 0;
    for (int k = 0; k < n; ++k) {
        const char16_t c = t[i + k].unicode();
        if (c < u'0' || c > u'9')
            return -1;
        v = v * 10 + (c - u'0');
    }
    return v;
}

// Writes `v` on `n` digits at `p`.
void ecrireChiffres(QChar* p, int v, int n) {
    for (int k = n - 1; k >= 0; --k, v /= 10)
        p[k] = QChar(u'0' + v % 10);
}

// A whole number as the drivers give it (PostgreSQL's int4 as int, int8 as qulonglong), read directly:
// QVariant's own conversions look the types up at every call.
std::optional<qint64> entierDuPilote(const QVariant& v) {
    const void* d = v.constData();
    switch (v.metaType().id()) {
    case QMetaType::LongLong:
        return *static_cast<const qlonglong*>(d);
    case QMetaType::Int:
        return *static_cast<const int*>(d);
    case QMetaType::UInt:
        return *static_cast<const uint*>(d);
    case QMetaType::ULongLong:
        return static_cast<qint64>(*static_cast<const qulonglong*>(d));
    case QMetaType::Short:
        return *static_cast<const short*>(d);
    default:
        return std::nullopt;
    }
}

// The local date-time of a wall-clock day and time. A time the local clock skips (the hour that goes
// when summer time begins, written by a clock that does not change) would be an invalid QDateTime, an
// empty cell: it reads as written, at the offset in force the day before.
QDateTime dateLocale(const QDate& jour, const QTime& heure) {
    QDateTime d(jour, heure);
    if (d.isValid() || !jour.isValid() || !heure.isValid())
        return d;
    return QDateTime(jour, heure, Qt::OffsetFromUTC, QDateTime(jour.addDays(-1), heure).offsetFromUtc());
}

QDateTime depuisTexte(QStringView texte) {
    QDate jour;
    QTime heure;
    if (!lireTexteDate(texte, &jour, &heure))
        return {};
    return dateLocale(jour, heure);
}
} // namespace

bool lireTexteDate(QStringView texte, QDate* jour, QTime* heure) {
    const QStringView t = texte.trimmed();
    // yyyy-MM-dd
    const int a = chiffres(t, 0, 4), m = chiffres(t, 5, 2), j = chiffres(t, 8, 2);
    if (a < 0 || m < 0 || j < 0 || t[4] != u'-' || t[7] != u'-' || !QDate::isValid(a, m, j))
        return false;
    int h = 0, mi = 0, s = 0;
    qsizetype i = 10;
    if (i < t.size()) {
        // " HH:mm[:ss]" or "THH:mm[:ss]", then a fraction of a second and a zone, which are dropped: the
        // wall-clock time written is what is kept.
        if (t[i] != u' ' && t[i] != u'T')
            return false;
        h = chiffres(t, i + 1, 2);
        mi = chiffres(t, i + 4, 2);
        if (h < 0 || mi < 0 || t[i + 3] != u':')
            return false;
        i += 6;
        if (i < t.size() && t[i] == u':') {
            s = chiffres(t, i + 1, 2);
            if (s < 0)
                return false;
            i += 3;
            if (i < t.size() && (t[i] == u'.' || t[i] == u',')) {
                const qsizetype debut = ++i;
                while (i < t.size() && t[i].isDigit())
                    ++i;
                if (i == debut)
                    return false;
            }
        }
        if (i < t.size()) {
            const QStringView zone = t.mid(i);
            const bool utc = zone == u"Z";
            const bool decalage = (zone[0] == u'+' || zone[0] == u'-') && chiffres(zone, 1, 2) >= 0 &&
                                  (zone.size() == 3 || (zone.size() == 5 && chiffres(zone, 3, 2) >= 0) ||
                                   (zone.size() == 6 && zone[3] == u':' && chiffres(zone, 4, 2) >= 0));
            if (!utc && !decalage)
                return false;
        }
        if (!QTime::isValid(h, mi, s))
            return false;
    }
    *jour = QDate(a, m, j);
    *heure = QTime(h, mi, s);
    return true;
}

QString texteDate(const QDateTime& date) {
    if (!date.isValid())
        return QString();
    const QDate d = date.date();
    const QTime h = date.time();
    if (d.year() < 0 || d.year() > 9999)
        return date.toString(FormatDate);
    // By hand: toString reads its format again at every call, and dates are bound by the thousand.
    QString r(19, Qt::Uninitialized);
    QChar* p = r.data();
    ecrireChiffres(p, d.year(), 4);
    p[4] = u'-';
    ecrireChiffres(p + 5, d.month(), 2);
    p[7] = u'-';
    ecrireChiffres(p + 8, d.day(), 2);
    p[10] = u' ';
    ecrireChiffres(p + 11, h.hour(), 2);
    p[13] = u':';
    ecrireChiffres(p + 14, h.minute(), 2);
    p[16] = u':';
    ecrireChiffres(p + 17, h.second(), 2);
    return r;
}

QVariant valeurDate(const QDateTime& date) {
    if (!date.isValid())
        return QVariant(QMetaType::fromType<QString>());
    return texteDate(date);
}

double arrondiMonnaie(double montant) {
    return std::round(montant * 10000.0) / 10000.0;
}

QVariant valeurMonnaie(double montant) {
    return arrondiMonnaie(montant);
}

QDateTime debutPeriode(const QDate& premierJour) {
    return QDateTime(premierJour, QTime(0, 0, 0));
}

QDateTime finPeriode(const QDate& dernierJour) {
    return QDateTime(dernierJour, QTime(23, 59, 59));
}

QDateTime lireDate(const QVariant& valeur) {
    if (valeur.isNull() || !valeur.isValid())
        return {};
    switch (valeur.metaType().id()) {
    case QMetaType::QDateTime: {
        // A timestamp without zone may come back from a driver as UTC: keep its wall-clock fields, which
        // are what was stored. One in local time already is that (and rebuilding it costs a time-zone
        // conversion).
        const QDateTime d = valeur.toDateTime();
        return d.timeSpec() == Qt::LocalTime && d.isValid() ? d : dateLocale(d.date(), d.time());
    }
    case QMetaType::QDate:
        return QDateTime(valeur.toDate(), QTime(0, 0));
    case QMetaType::QString:
        return depuisTexte(*static_cast<const QString*>(valeur.constData()));
    default:
        // A number (a day count written by another program) or bytes: no date this layer wrote.
        return depuisTexte(valeur.toString());
    }
}

double lireMonnaie(const QVariant& valeur) {
    if (valeur.isNull())
        return 0.0;
    return valeur.toDouble();
}

qint64 lireEntier(const QVariant& valeur) {
    if (valeur.isNull())
        return 0;
    bool ok = false;
    const qint64 n = valeur.toLongLong(&ok);
    if (ok)
        return n;
    return static_cast<qint64>(std::llround(valeur.toDouble()));
}

bool lireBool(const QVariant& valeur) {
    if (valeur.isNull())
        return false;
    if (valeur.metaType().id() == QMetaType::Bool)
        return valeur.toBool();
    const QString t = valeur.toString().trimmed();
    if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 || t == QLatin1String("t"))
        return true;
    return lireEntier(valeur) != 0;
}

QString lireTexte(const QVariant& valeur) {
    return valeur.isNull() ? QString() : valeur.toString();
}

QVariant normaliser(const QVariant& valeur, TypeColonne type) {
    // Every value of every row read goes through here: a value the driver already gives in the column's
    // type is kept as it is, without a copy through text.
    const int id = valeur.metaType().id();
    switch (type) {
    case TypeColonne::DateHeure: {
        // A text that is no date is Null, as a missing date is: never an invalid date that shows empty.
        const QDateTime d = valeur.isNull() ? QDateTime() : lireDate(valeur);
        return d.isValid() ? QVariant(d) : QVariant(QMetaType::fromType<QDateTime>());
    }
    case TypeColonne::Monnaie:
    case TypeColonne::Reel:
        if (valeur.isNull())
            return QVariant(QMetaType::fromType<double>());
        if (id == QMetaType::Double)
            return valeur;
        if (const std::optional<qint64> n = entierDuPilote(valeur))
            return static_cast<double>(*n);
        return valeur.toDouble();
    case TypeColonne::Entier:
        if (valeur.isNull())
            return QVariant(QMetaType::fromType<qint64>());
        if (id == QMetaType::LongLong)
            return valeur;
        if (const std::optional<qint64> n = entierDuPilote(valeur))
            return *n;
        return lireEntier(valeur);
    case TypeColonne::Booleen:
        if (valeur.isNull())
            return QVariant(QMetaType::fromType<bool>());
        if (id == QMetaType::Bool)
            return valeur;
        return lireBool(valeur);
    case TypeColonne::Texte:
        if (valeur.isNull())
            return QVariant(QMetaType::fromType<QString>());
        if (id == QMetaType::QString)
            return valeur;
        return valeur.toString();
    case TypeColonne::Binaire:
        if (valeur.isNull())
            return QVariant(QMetaType::fromType<QByteArray>());
        return valeur.toByteArray();
    case TypeColonne::Inconnu:
        break;
    }
    // Expressions without a declared type: SQLite's storage class decides; whole numbers as qint64.
    switch (valeur.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::ULongLong:
        return valeur.isNull() ? QVariant(QMetaType::fromType<qint64>()) : QVariant(valeur.toLongLong());
    default:
        return valeur;
    }
}

namespace {

// The C++ type a column kind is held in; none for dates (a local-time QDateTime, checked apart) and for
// columns of no declared kind.
QMetaType typeTenu(TypeColonne type) {
    switch (type) {
    case TypeColonne::Texte:
        return QMetaType::fromType<QString>();
    case TypeColonne::Entier:
        return QMetaType::fromType<qlonglong>();
    case TypeColonne::Monnaie:
    case TypeColonne::Reel:
        return QMetaType::fromType<double>();
    case TypeColonne::Booleen:
        return QMetaType::fromType<bool>();
    case TypeColonne::Binaire:
        return QMetaType::fromType<QByteArray>();
    case TypeColonne::DateHeure:
    case TypeColonne::Inconnu:
        break;
    }
    return QMetaType();
}

} // namespace

QVariant normaliser(QVariant&& valeur, TypeColonne type) {
    if (!valeur.isNull()) {
        bool tel = false;
        if (type == TypeColonne::DateHeure) {
            if (valeur.metaType().id() == QMetaType::QDateTime) {
                const auto* d = static_cast<const QDateTime*>(valeur.constData());
                tel = d->timeSpec() == Qt::LocalTime && d->isValid();
            }
        } else {
            const QMetaType t = typeTenu(type);
            tel = t.isValid() && valeur.metaType() == t;
        }
        if (tel)
            return std::move(valeur);
    }
    return normaliser(std::as_const(valeur), type);
}

NormaliseurLecture::NormaliseurLecture(const QList<TypeColonne>& types, bool datesEnTexte)
    : m_int(QMetaType::fromType<int>().iface()) {
    m_colonnes.reserve(static_cast<size_t>(types.size()));
    for (const TypeColonne t : types) {
        const QMetaType tel =
            t == TypeColonne::DateHeure && datesEnTexte ? QMetaType::fromType<QString>() : typeTenu(t);
        m_colonnes.push_back({t, tel.iface()});
    }
}

TypeColonne typeDepuisDeclaration(const QString& declaration) {
    const QString d = declaration.trimmed().toUpper();
    if (d.isEmpty())
        return TypeColonne::Inconnu;
    if (d.startsWith(QLatin1String("DATETIME")) || d.startsWith(QLatin1String("TIMESTAMP")))
        return TypeColonne::DateHeure;
    if (d.startsWith(QLatin1String("BOOL")))
        return TypeColonne::Booleen;
    if (d.startsWith(QLatin1String("NUMERIC")) || d.startsWith(QLatin1String("DECIMAL")) ||
        d.startsWith(QLatin1String("MONEY")))
        return TypeColonne::Monnaie;
    if (d.contains(QLatin1String("INT")))
        return TypeColonne::Entier;
    if (d.contains(QLatin1String("REAL")) || d.contains(QLatin1String("DOUB")) ||
        d.contains(QLatin1String("FLOA")))
        return TypeColonne::Reel;
    if (d.contains(QLatin1String("BLOB")))
        return TypeColonne::Binaire;
    if (d.contains(QLatin1String("TEXT")) || d.contains(QLatin1String("CHAR")))
        return TypeColonne::Texte;
    return TypeColonne::Inconnu;
}

TypeColonne typeDepuisMetaType(int id) {
    switch (id) {
    case QMetaType::QDateTime:
    case QMetaType::QDate:
        return TypeColonne::DateHeure;
    case QMetaType::Bool:
        return TypeColonne::Booleen;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
        return TypeColonne::Entier;
    case QMetaType::Double:
    case QMetaType::Float:
        // numeric(19,4) and double precision both arrive here; both read as double.
        return TypeColonne::Reel;
    case QMetaType::QByteArray:
        return TypeColonne::Binaire;
    case QMetaType::QString:
        return TypeColonne::Texte;
    default:
        return TypeColonne::Inconnu;
    }
}

TypeColonne typeDepuisChampPostgreSQL(int metaTypeId, int oid, int longueur) {
    constexpr int OidNumeric = 1700;
    if (oid == OidNumeric)
        return longueur > 0 ? TypeColonne::Monnaie : TypeColonne::Reel;
    return typeDepuisMetaType(metaTypeId);
}

QVariant valeurAEcrire(const QVariant& valeur, TypeColonne type) {
    if (valeur.metaType().id() == QMetaType::QDateTime || valeur.metaType().id() == QMetaType::QDate) {
        return valeurDate(lireDate(valeur));
    }
    if (valeur.isNull())
        return valeur;
    switch (type) {
    case TypeColonne::Monnaie:
        return valeurMonnaie(valeur.toDouble());
    case TypeColonne::DateHeure:
        return valeurDate(lireDate(valeur));
    case TypeColonne::Booleen:
        // PostgreSQL refuses an integer for a boolean column; SQLite stores the bool as 0 or 1.
        return lireBool(valeur);
    case TypeColonne::Texte: {
        // The drivers bind a null QString as NULL: an empty text is written as an empty text.
        const QString t = valeur.toString();
        return t.isNull() ? QString::fromUtf8("", 0) : t;
    }
    default:
        return valeur;
    }
}

QVariant valeurColonne(const QVariant& valeur, TypeColonne type) {
    if (valeur.isNull())
        return normaliser(valeur, type);
    if (type == TypeColonne::Monnaie)
        return arrondiMonnaie(valeur.toDouble());
    if (type == TypeColonne::Texte)
        return valeurAEcrire(valeur, type);
    return normaliser(valeur, type);
}

QString echapperLike(const QString& texte) {
    QString r;
    r.reserve(texte.size() + 4);
    for (const QChar c : texte) {
        if (c == u'\\' || c == u'%' || c == u'_')
            r.append(u'\\');
        r.append(c);
    }
    return r;
}

void ajouterPlie(QStringView texte, std::vector<char16_t>& sortie) {
    // Code point by code point, as Qt's case-blind comparisons fold (a lone surrogate stays as it is).
    const qsizetype n = texte.size();
    const char16_t* s = texte.utf16();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = s[i];
        if (c < 0x80) {
            sortie.push_back(c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + (u'a' - u'A')) : c);
            continue;
        }
        char32_t point = c;
        if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(s[i + 1]))
            point = QChar::surrogateToUcs4(c, s[++i]);
        const auto plie = QChar::fromUcs4(QChar::toCaseFolded(point));
        sortie.insert(sortie.end(), plie.begin(), plie.end());
    }
}

QString plierCasse(const QString& texte) {
    // Through one buffer kept between calls; a text that folds to itself (keys, digits, lower-case
    // names) comes back shared, not copied.
    thread_local std::vector<char16_t> plie;
    plie.clear();
    ajouterPlie(texte, plie);
    const QStringView resultat(plie.data(), static_cast<qsizetype>(plie.size()));
    return resultat == QStringView(texte) ? texte : resultat.toString();
}

bool egalSansCasse(const QString& a, const QString& b) {
    return plierCasse(a) == plierCasse(b);
}

MotifLike::MotifLike(const QString& motif, QChar multiple, QChar unique, QChar echappement) {
    const QList<uint> mp = motif.toUcs4();
    for (qsizetype i = 0; i < mp.size(); ++i) {
        const char32_t c = mp[i];
        if (!echappement.isNull() && c == echappement.unicode() && i + 1 < mp.size()) {
            ++i;
            m_jetons.append({Jeton::Litteral, QChar::toCaseFolded(static_cast<char32_t>(mp[i]))});
        } else if (!multiple.isNull() && c == multiple.unicode()) {
            if (m_jetons.isEmpty() || m_jetons.last().sorte != Jeton::Multiple)
                m_jetons.append({Jeton::Multiple, 0});
        } else if (!unique.isNull() && c == unique.unicode()) {
            m_jetons.append({Jeton::Unique, 0});
        } else {
            m_jetons.append({Jeton::Litteral, QChar::toCaseFolded(c)});
        }
    }
}

bool MotifLike::correspond(QStringView texte) const {
    // Searches run this over every row: the folded code points go into one buffer kept between calls.
    thread_local std::vector<char32_t> t;
    t.clear();
    t.reserve(static_cast<size_t>(texte.size()));
    const QChar* c = texte.constData();
    const QChar* const fin = c + texte.size();
    for (; c < fin; ++c) {
        char32_t p = c->unicode();
        if (c->isHighSurrogate() && c + 1 < fin && c[1].isLowSurrogate()) {
            p = QChar::surrogateToUcs4(*c, c[1]);
            ++c;
        }
        t.push_back(QChar::toCaseFolded(p));
    }
    const qsizetype n = static_cast<qsizetype>(t.size());
    const QList<Jeton>& m = m_jetons;
    // Greedy match with one back-track point (the last '%' seen): linear in practice.
    qsizetype it = 0, im = 0, etoile = -1, reprise = 0;
    while (it < n) {
        if (im < m.size() && m[im].sorte == Jeton::Multiple) {
            etoile = im++;
            reprise = it;
        } else if (im < m.size() &&
                   (m[im].sorte == Jeton::Unique || m[im].point == t[static_cast<size_t>(it)])) {
            ++im;
            ++it;
        } else if (etoile >= 0) {
            im = etoile + 1;
            it = ++reprise;
        } else {
            return false;
        }
    }
    while (im < m.size() && m[im].sorte == Jeton::Multiple)
        ++im;
    return im == m.size();
}

bool correspondLike(const QString& texte, const QString& motif, QChar multiple, QChar unique,
                    QChar echappement) {
    return MotifLike(motif, multiple, unique, echappement).correspond(texte);
}

bool estNombre(const QVariant& v) {
    switch (v.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
        return true;
    default:
        return false;
    }
}

} // namespace Valeurs
