#pragma once

// The file the archive benchmark packs, also packed by the archive tests: half text (lines of an export,
// which compress well), then half random bytes (which do not), from a fixed seed.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <random>

namespace FichierMixte {

inline QByteArray contenu(qsizetype taille) {
    static const char* const mots[] = {"Gants",  "nitrile",  "taille",   "Chaussures", "S3",   "Lunettes",
                                       "Casque", "Bouchons", "oreilles", "Masque",     "FFP2", "Veste"};
    std::mt19937 alea(20250701);
    QByteArray o;
    o.reserve(taille);
    const qsizetype moitie = taille / 2;
    while (o.size() < moitie) {
        o += QByteArray::number(static_cast<int>(alea() % 100000)) + ';';
        for (int i = 0; i < 4; ++i)
            o += QByteArray(mots[alea() % std::size(mots)]) + ' ';
        o += ';' + QByteArray::number(static_cast<int>(alea() % 50)) + ";2025-07-01 10:12:00\r\n";
    }
    o.truncate(moitie);
    o.resize(taille);
    for (qsizetype i = moitie; i < taille; ++i)
        o[i] = static_cast<char>(alea() & 0xFF);
    return o;
}

// Writes the file; false when it cannot.
inline bool ecrire(const QString& chemin, qsizetype taille) {
    QFile f(chemin);
    return f.open(QIODevice::WriteOnly) && f.write(contenu(taille)) == taille;
}

} // namespace FichierMixte
