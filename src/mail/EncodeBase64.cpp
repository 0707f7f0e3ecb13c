#include "mail/EncodeBase64.h"

#include <array>

namespace EncodeBase64 {

namespace {

// The encoding table: the character code of each of the 64 digits.
constexpr std::array<char, 64> InitialiserBase64() {
    std::array<char, 64> table{};
    int i = 0;
    for (char c = 'A'; c <= 'Z'; ++c)
        table[i++] = c;
    for (char c = 'a'; c <= 'z'; ++c)
        table[i++] = c;
    for (char c = '0'; c <= '9'; ++c)
        table[i++] = c;
    table[i++] = '+';
    table[i++] = '/';
    return table;
}

constexpr std::array<char, 64> Table = InitialiserBase64();
constexpr qsizetype LongueurLigne = 76;

} // namespace

QString EncoderBase64(const QByteArray& octets) {
    const auto* o = reinterpret_cast<const unsigned char*>(octets.constData());
    const qsizetype n = octets.size();
    QByteArray texte;
    texte.reserve((n + 2) / 3 * 4);
    qsizetype i = 0;
    for (; i + 3 <= n; i += 3) {
        const quint32 groupe = quint32(o[i]) << 16 | quint32(o[i + 1]) << 8 | o[i + 2];
        texte.append(Table[groupe >> 18]);
        texte.append(Table[(groupe >> 12) & 0x3F]);
        texte.append(Table[(groupe >> 6) & 0x3F]);
        texte.append(Table[groupe & 0x3F]);
    }
    if (n - i == 1) {
        const quint32 groupe = quint32(o[i]) << 16;
        texte.append(Table[groupe >> 18]);
        texte.append(Table[(groupe >> 12) & 0x3F]);
        texte.append("==");
    } else if (n - i == 2) {
        const quint32 groupe = quint32(o[i]) << 16 | quint32(o[i + 1]) << 8;
        texte.append(Table[groupe >> 18]);
        texte.append(Table[(groupe >> 12) & 0x3F]);
        texte.append(Table[(groupe >> 6) & 0x3F]);
        texte.append('=');
    }
    if (texte.size() <= LongueurLigne)
        return QString::fromLatin1(texte);

    QByteArray lignes;
    lignes.reserve(texte.size() + texte.size() / LongueurLigne * 2);
    for (qsizetype debut = 0; debut < texte.size(); debut += LongueurLigne) {
        if (debut > 0)
            lignes.append("\r\n");
        lignes.append(texte.constData() + debut, qMin(LongueurLigne, texte.size() - debut));
    }
    return QString::fromLatin1(lignes);
}

} // namespace EncodeBase64
