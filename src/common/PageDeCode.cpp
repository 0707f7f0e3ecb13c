#include "common/PageDeCode.h"

#include "common/EtatGlobal.h"
#include "common/IniFile.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>

namespace PageDeCode {

QByteArray versOctets(const QString& texte) {
    const char* nom = IniFile::nomCodePage(IniFile::codePagePour(Global().FichierLangue));
    QStringEncoder encodeur(nom);
    if (!encodeur.isValid())
        return texte.toLatin1(); // a Qt without the Windows pages: Latin-1, "?" for the rest
    QByteArray octets = encodeur.encode(texte);
    if (!encodeur.hasError())
        return octets;
    // The encoder writes SUB (0x1A) for a character the page lacks, one for each code point.
    if (!texte.contains(QChar(0x1A))) {
        octets.replace('\x1A', '?');
        return octets;
    }
    // The text holds a SUB of its own, which must stay: one code point at a time.
    QByteArray resultat;
    resultat.reserve(texte.size());
    for (qsizetype i = 0; i < texte.size();) {
        const qsizetype n =
            texte.at(i).isHighSurrogate() && i + 1 < texte.size() && texte.at(i + 1).isLowSurrogate() ? 2 : 1;
        QStringEncoder un(nom);
        const QByteArray b = un.encode(QStringView(texte).sliced(i, n));
        resultat += un.hasError() ? QByteArray("?") : b;
        i += n;
    }
    return resultat;
}

std::optional<QByteArray> versOctetsExacts(const QString& texte) {
    QStringEncoder encodeur(IniFile::nomCodePage(IniFile::codePagePour(Global().FichierLangue)));
    if (!encodeur.isValid()) {
        const bool latin1 =
            std::all_of(texte.begin(), texte.end(), [](QChar c) { return c.unicode() < 0x100; });
        return latin1 ? std::optional<QByteArray>(texte.toLatin1()) : std::nullopt;
    }
    QByteArray octets = encodeur.encode(texte);
    return encodeur.hasError() ? std::nullopt : std::optional<QByteArray>(std::move(octets));
}

QString depuisOctets(const QByteArray& octets) {
    QStringDecoder decodeur(IniFile::nomCodePage(IniFile::codePagePour(Global().FichierLangue)));
    if (!decodeur.isValid())
        return QString::fromLatin1(octets);
    return decodeur.decode(octets);
}

} // namespace PageDeCode
