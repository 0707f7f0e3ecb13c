#include "common/Crypte.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace Crypte {

namespace {
constexpr char Cle[] = "wrenalup";
constexpr int LongueurCle = 8;
} // namespace

QByteArray Decrypte(const QByteArray& octets) {
    QByteArray r;
    r.reserve(octets.size());
    int p = 0;
    for (const char c : octets) {
        p = p % LongueurCle + 1;
        int code = static_cast<unsigned char>(c) - static_cast<unsigned char>(Cle[p - 1]);
        if (code < 0)
            code += 255; // 255, not 256: the scrambler the settings were written with did so
        r.append(static_cast<char>(code));
    }
    return r;
}

QString Decrypte(const QString& texte) {
    QStringEncoder versOctets("windows-1252");
    const QByteArray octets = versOctets.encode(texte);
    QStringDecoder versTexte("windows-1252");
    return versTexte.decode(Decrypte(octets));
}

} // namespace Crypte
