#include "common/Monnaie.h"

#include "common/EtatGlobal.h"

#include <cmath>

namespace Monnaie {

namespace {

const QChar Insecable(0x00A0);

QString grouper(const QString& chiffres) {
    QString r;
    r.reserve(chiffres.size() + chiffres.size() / 3);
    const qsizetype n = chiffres.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            r.append(Insecable);
        r.append(chiffres.at(i));
    }
    return r;
}

} // namespace

QString texteMonnaie(double montant) {
    if (!std::isfinite(montant))
        return QString();
    const bool negatif = montant < 0;
    const double absolu = std::fabs(montant);
    QString entiers;
    QString centimes;
    // Ten-thousandths are exact for every stored amount (NUMERIC(19,4) stops below 10^15).
    if (absolu < 9.0e14) {
        const qint64 dixMilliemes = std::llround(absolu * 10000.0);
        const qint64 totalCentimes = (dixMilliemes + 50) / 100;
        entiers = QString::number(totalCentimes / 100);
        centimes = QString::number(totalCentimes % 100).rightJustified(2, u'0');
    } else {
        const QString t = QString::number(absolu, 'f', 2);
        entiers = t.section(u'.', 0, 0);
        centimes = t.section(u'.', 1, 1);
    }
    const bool zero = entiers == QLatin1String("0") && centimes == QLatin1String("00");
    QString separateur = Global().SeparateurDecimal;
    if (separateur.isEmpty())
        separateur = QStringLiteral(",");
    return (negatif && !zero ? QStringLiteral("-") : QString()) + grouper(entiers) + separateur + centimes +
           Insecable + QChar(0x20AC);
}

QString texteMonnaie(const QVariant& montant) {
    if (montant.isNull() || !montant.isValid())
        return QString();
    bool ok = false;
    const double d = montant.toDouble(&ok);
    return ok ? texteMonnaie(d) : QString();
}

} // namespace Monnaie
