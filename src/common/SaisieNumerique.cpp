#include "common/SaisieNumerique.h"

#include "common/EtatGlobal.h"

namespace SaisieNumerique {

bool toucheAcceptee(QChar c, const QString& autres) {
    if (c.unicode() < 32 || c.unicode() == 127)
        return true;
    return Chiffres.contains(c) || autres.contains(c);
}

bool texteAccepte(const QString& texte, const QString& autres) {
    for (QChar c : texte)
        if (!toucheAcceptee(c, autres))
            return false;
    return true;
}

QChar echangerSeparateur(QChar c) {
    if ((c == u'.' || c == u',') && !Global().SeparateurDecimal.isEmpty())
        return Global().SeparateurDecimal.at(0);
    return c;
}

QString echangerSeparateurs(const QString& texte) {
    QString r = texte;
    for (QChar& c : r)
        c = echangerSeparateur(c);
    return r;
}

} // namespace SaisieNumerique
