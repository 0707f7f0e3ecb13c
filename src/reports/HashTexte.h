#pragma once

#include <QString>
#include <QStringView>
#include <cstddef>
#include <cstring>

// A hash of a text for the report module's own tables (texts shared by a table's rows, widths of texts
// already measured): four characters per multiplication, where qHash's seeded hash of a QString costs
// several times more per character. The texts are the program's own rows, never keys an attacker chooses.
struct HashTexte {
    size_t operator()(QStringView texte) const noexcept {
        const char16_t* p = texte.utf16();
        qsizetype n = texte.size();
        quint64 h = static_cast<quint64>(n) * 0x9E3779B97F4A7C15ull;
        for (; n >= 4; n -= 4, p += 4) {
            quint64 mot;
            std::memcpy(&mot, p, sizeof mot);
            h = (h ^ mot) * 0xff51afd7ed558ccdull;
            h ^= h >> 32;
        }
        for (; n > 0; --n, ++p)
            h = (h ^ *p) * 0x100000001b3ull;
        h ^= h >> 29;
        h *= 0xbf58476d1ce4e5b9ull;
        h ^= h >> 32;
        return static_cast<size_t>(h);
    }
    size_t operator()(const QString& texte) const noexcept { return (*this)(QStringView(texte)); }
};
