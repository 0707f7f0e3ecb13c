#include "stock/CarteArticle.h"

#include "common/EtatGlobal.h"
#include "db/RecordsetModel.h"

#include <QLocale>
#include <cmath>

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

} // namespace CarteArticle
