#include "db/Valeurs.h"

#include <QList>
#include <QMetaType>
#include <cmath>

namespace Valeurs {

namespace {
const QString FormatDate = QStringLiteral("yyyy-MM-dd HH:mm:ss");

QDateTime depuisTexte(const QString& texte) {
    QString t = texte.trimmed();
    if (t.isEmpty())
        return {};
    t.replace(u'T', u' ');
    // Values written by other tools may carry milliseconds or a zone; the seconds are what we keep.
    if (t.size() > 19)
        t.truncate(19);
    QDateTime d = QDateTime::fromString(t, FormatDate);
    if (!d.isValid())
        d = QDateTime(QDate::fromString(t.left(10), QStringLiteral("yyyy-MM-dd")), QTime(0, 0));
    return d.isValid() ? d : QDateTime();
}
} // namespace

QString texteDate(const QDateTime& date) {
    return date.isValid() ? date.toString(FormatDate) : QString();
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
    if (valeur.metaType().id() == QMetaType::QDateTime) {
        // The PostgreSQL driver may hand a timestamp without zone back as UTC: keep its wall-clock
        // fields, which are what was stored.
        const QDateTime d = valeur.toDateTime();
        return QDateTime(d.date(), d.time());
    }
    if (valeur.metaType().id() == QMetaType::QDate)
        return QDateTime(valeur.toDate(), QTime(0, 0));
    return depuisTexte(valeur.toString());
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
    switch (type) {
    case TypeColonne::DateHeure:
        if (valeur.isNull())
            return QVariant(QMetaType::fromType<QDateTime>());
        return lireDate(valeur);
    case TypeColonne::Monnaie:
    case TypeColonne::Reel:
        if (valeur.isNull())
            return QVariant(QMetaType::fromType<double>());
        return valeur.toDouble();
    case TypeColonne::Entier:
        if (valeur.isNull())
            return QVariant(QMetaType::fromType<qint64>());
        return lireEntier(valeur);
    case TypeColonne::Booleen:
        if (valeur.isNull())
            return QVariant(QMetaType::fromType<bool>());
        return lireBool(valeur);
    case TypeColonne::Texte:
        if (valeur.isNull())
            return QVariant(QMetaType::fromType<QString>());
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

QString plierCasse(const QString& texte) {
    const QList<uint> points = texte.toUcs4();
    QString r;
    r.reserve(texte.size());
    for (const uint p : points) {
        const char32_t f = QChar::toCaseFolded(static_cast<char32_t>(p));
        r.append(QString::fromUcs4(&f, 1));
    }
    return r;
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

bool MotifLike::correspond(const QString& texte) const {
    QList<char32_t> t;
    t.reserve(texte.size());
    for (const uint p : texte.toUcs4())
        t.append(QChar::toCaseFolded(static_cast<char32_t>(p)));
    const QList<Jeton>& m = m_jetons;
    // Greedy match with one back-track point (the last '%' seen): linear in practice.
    qsizetype it = 0, im = 0, etoile = -1, reprise = 0;
    while (it < t.size()) {
        if (im < m.size() && m[im].sorte == Jeton::Multiple) {
            etoile = im++;
            reprise = it;
        } else if (im < m.size() && (m[im].sorte == Jeton::Unique || m[im].point == t[it])) {
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

} // namespace Valeurs
