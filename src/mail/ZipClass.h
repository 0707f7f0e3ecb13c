#pragma once

#include <QByteArray>
#include <QString>
#include <memory>
#include <vector>

class ZipFile;

// A zip archive written in one go: entries are added from files (compressed at once and kept in memory),
// then the archive is written with its local headers and data, its central directory and its end record.
// Names and comments are written in the installation's code page; an entry whose name or comment holds
// a character the page lacks has both in UTF-8, with the format's flag for it (bit 11).
class ZipClass {
public:
    ZipClass();
    ~ZipClass();
    ZipClass(const ZipClass&) = delete;
    ZipClass& operator=(const ZipClass&) = delete;

    // Number of entries.
    qint32 FileCount() const;
    // The archive comment; throws ErreurExecution over 65,535 bytes.
    void Comment(const QString& texte);
    // Adds the file at `chemin` as an entry named after its last part, or `nomStocke` when given, with
    // `commentaire` when given. False when no regular file is there (a missing path, a folder). Throws
    // ErreurExecution when the file cannot be read, holds 4 GiB or more, or when the name or comment
    // exceeds 65,535 bytes; nothing is added then.
    bool AddFile(const QString& chemin, const QString& nomStocke = QString(),
                 const QString& commentaire = QString());
    // Writes the archive. An existing file with `ecraser` false gives false and is left alone; otherwise
    // the archive replaces it whole once completely written. A failure shows its description in a
    // message box and gives false, leaving any earlier file as it was and no partial archive.
    bool WriteZip(const QString& cheminArchive, bool ecraser);

private:
    std::vector<std::unique_ptr<ZipFile>> m_fichiers;
    QByteArray m_commentaire;
};
