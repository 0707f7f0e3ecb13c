#include "stock/CarteArticle.h"

#include "common/EtatGlobal.h"
#include "db/RecordsetModel.h"

#include <QLocale>
#include <cmath>
#include <cstdlib>

namespace CarteArticle {

namespace {

// A number typed or shown in a box: "." or the workstation's separator as the decimal point.
std::optional<double> nombre(const QString& texte) {
    QString t = texte.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    const QString sep = Global().SeparateurDecimal;
    if (!sep.isEmpty() && sep != QLatin1String("."))
        t.replace(sep, QStringLiteral("."));
    bool ok = false;
    const double v = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

std::optional<double> nombre(const QVariant& valeur) {
    if (valeur.isNull() || !valeur.isValid())
        return std::nullopt;
    bool ok = false;
    const double v = valeur.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

// Rounded to the cent, half away from zero, from the amount at 4 decimals (as a money value holds it).
std::optional<double> auCentime(double v) {
    if (!std::isfinite(v) || std::fabs(v) >= 9.0e14)
        return std::nullopt;
    const qint64 dixMilliemes = std::llround(v * 10000.0);
    const qint64 centimes = (std::abs(dixMilliemes) + 50) / 100;
    return (dixMilliemes < 0 ? -centimes : centimes) / 100.0;
}

QString deuxDecimales(double v) {
    QString t = QString::number(v, 'f', 2);
    if (t == QLatin1String("-0.00"))
        t = QStringLiteral("0.00");
    return t.replace(u'.', Global().SeparateurDecimal);
}

} // namespace

QString texteChamp(const QVariant& valeur) {
    return RecordsetModel::texteAffiche(valeur);
}

std::optional<QString> reserveEnPaquets(const QString& reserve, const QVariant& parPaquet) {
    const std::optional<double> a = nombre(reserve);
    const std::optional<double> p = nombre(parPaquet);
    if (!a || !p)
        return std::nullopt;
    // Whole numbers as the card's conversion makes them: halves to the even neighbour.
    const double n = std::nearbyint(*a);
    const double taille = std::nearbyint(*p);
    if (taille == 0 || std::fabs(n) > 2147483647.0 || std::fabs(taille) > 2147483647.0)
        return std::nullopt;
    const double paquets = std::floor(n / taille);
    const double reste = n - paquets * taille;
    return QStringLiteral("%1 P + %2 U").arg(static_cast<qint64>(paquets)).arg(static_cast<qint64>(reste));
}

bool alerteStock(const QVariant& qteGlobal, const QVariant& stockAlert) {
    const std::optional<double> q = nombre(qteGlobal);
    const std::optional<double> s = nombre(stockAlert);
    return q && s && *q < *s;
}

std::optional<bool> negatif(const QString& texte) {
    const std::optional<double> v = nombre(texte);
    if (!v)
        return std::nullopt;
    return *v < 0;
}

Prix prixApresSaisie(BoxQuittee box, const QString& unitaire, const QString& paquet,
                     const QString& parPaquet) {
    Prix r;
    const std::optional<double> n = nombre(parPaquet);
    switch (box) {
    case BoxQuittee::ParPaquet: {
        const std::optional<double> p = nombre(paquet);
        // The units per pack as a whole number.
        const double entier = n ? std::nearbyint(*n) : 0;
        if (p && entier != 0)
            if (const std::optional<double> u = auCentime(*p / entier))
                r.unitaire = deuxDecimales(*u);
        break;
    }
    case BoxQuittee::PrixUnitaire: {
        const std::optional<double> u = nombre(unitaire);
        if (const std::optional<double> arrondi = u ? auCentime(*u) : std::nullopt; arrondi && n)
            r.paquet = texteChamp(*n * *arrondi);
        break;
    }
    case BoxQuittee::PrixPaquet: {
        const std::optional<double> p = nombre(paquet);
        const std::optional<double> arrondi = p ? auCentime(*p) : std::nullopt;
        if (!arrondi)
            break;
        r.paquet = texteChamp(*arrondi);
        if (n && *n != 0)
            if (const std::optional<double> u = auCentime(*arrondi / *n))
                r.unitaire = texteChamp(*u);
        break;
    }
    }
    return r;
}

} // namespace CarteArticle
