#include "staff/BadgeEAN13.h"

#include "common/Ean13.h"

namespace BadgeEAN13 {

QString CalculChecksumEAN13(const QString& code) {
    return Ean13::withCheckDigit(code);
}

ResultatEAN13 EAN13(const QString& code) {
    if (code.size() > 12)
        return {QString(), code};
    const QString corps = code.rightJustified(12, u'0');
    const QString numero = Ean13::withCheckDigit(corps);
    if (numero.isEmpty())
        return {QString(), corps};
    auto chiffre = [&numero](int i) { return numero.at(i).unicode() - u'0'; };
    const QString jeux = Ean13::leftSets(chiffre(0));
    QString texte;
    texte.reserve(15);
    texte += numero.at(0);
    for (int i = 1; i <= 6; ++i)
        texte += QChar((jeux.at(i - 1) == u'A' ? u'A' : u'K') + chiffre(i));
    texte += u'*';
    for (int i = 7; i <= 12; ++i)
        texte += QChar(u'a' + chiffre(i));
    texte += u'+';
    return {texte, numero};
}

} // namespace BadgeEAN13
