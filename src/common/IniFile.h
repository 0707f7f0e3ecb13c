#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

// Our INI reader and writer, in place of the Windows profile functions.
//
// Reading: lines end with CR LF, LF or a lone CR; each is decoded on its own (UTF-8 when it is valid
// UTF-8, else the fallback single-byte code page: Windows-1252, or Windows-1250 for the Polish and Slovak
// language files); a BOM is skipped; section and key names are trimmed and compared without regard to
// case; values are trimmed, one pair of matching surrounding quotes removed, and cut at 254 characters;
// the first of duplicate keys wins; broken lines are passed over. The parse keeps the file's bytes and a
// small index of offsets, never a string per line, so its memory stays near the file's size.
//
// Writing: replaces the bytes of one line (or adds the key or section) and keeps every other byte and
// the file's line endings; text goes in the file's own encoding (the single-byte code page when the file
// holds a line that is not UTF-8 and the text can be written in it, else UTF-8); the new file is written
// beside the old one and then replaces it, so a failed write leaves the file as it was.
class IniFile {
public:
    enum class CodePage { Windows1252, Windows1250 };

    // Parses a file; a missing or unreadable file, or one of 4 GiB or more, gives an empty, invalid
    // IniFile.
    static IniFile lire(const QString& chemin, CodePage repli = CodePage::Windows1252);
    // Parses bytes (tests, and the cache below).
    static IniFile depuisOctets(const QByteArray& octets, CodePage repli = CodePage::Windows1252);

    // The parsed file of that path, kept until the file's modification time or size changes.
    static std::shared_ptr<const IniFile> enCache(const QString& chemin,
                                                  CodePage repli = CodePage::Windows1252);

    bool valide() const { return m_valide; }
    // The value, or nullptr-like absence through `trouve`.
    QString valeur(const QString& section, const QString& cle, bool* trouve = nullptr) const;
    bool contientSection(const QString& section) const;
    QStringList sections() const;
    QStringList cles(const QString& section) const;

    // Writes one value into the file on disk. Throws ErreurExecution when the file cannot be written;
    // the file is then left as it was.
    static void ecrire(const QString& chemin, const QString& section, const QString& cle,
                       const QString& valeur);

    static constexpr int LongueurMax = 254;

    // Trims blanks, tabs and line-end characters only: any other character, a no-break space among them
    // (a scrambled password may end with its byte A0), belongs to the value.
    static QString rogner(const QString& texte);

    // The fallback code page of a file by its name: Windows-1250 for "poland.lng" and "slovaque.lng".
    static CodePage codePagePour(const QString& chemin);
    // The page's name for QStringEncoder and QStringDecoder.
    static const char* nomCodePage(CodePage page);
    // Forgets the cached parse of a path (after a write).
    static void oublierCache(const QString& chemin);

private:
    static QString cleNormalisee(const QString& nom);
    // The section or key name of the line that starts at that offset, normalised; "" for another line.
    QString nomNormaliseA(quint32 debut) const;

    struct Section {
        quint64 hachage; // of the normalised name
        quint32 ligne;   // offset of the header line
    };
    struct Cle {
        quint64 hachage; // of the normalised section and key names
        quint32 ligne;   // offset of the key line
        quint32 section; // index in m_sections of the header above it
    };

    bool m_valide = false;
    CodePage m_repli = CodePage::Windows1252;
    QByteArray m_octets;
    std::vector<Section> m_sections; // every header line, in file order
    std::vector<Cle> m_cles;         // the first line of each key, by hachage then offset
};
