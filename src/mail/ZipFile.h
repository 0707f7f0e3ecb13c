#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

class QIODevice;

// One entry of a zip archive: stored name, DOS date and time, CRC-32, sizes, the compressed data (raw
// deflate, kept in memory until the archive is written) and the values of its two headers. Made and
// written by ZipClass only; GetFileName is of use elsewhere.
class ZipFile {
public:
    // The part of a path after its last "/" or "\" (a ":" does not cut); the whole text when there is
    // neither.
    static QString GetFileName(const QString& chemin);

private:
    friend class ZipClass;
    ZipFile() = default;

    // Fills the entry from a regular file: date and time of its last change, name, data. Throws
    // ErreurExecution when the file cannot be read whole, holds 4 GiB or more, or does not compress.
    void LoadFile(const QString& chemin);
    // Replaces the stored name; throws over 65,535 bytes. The name and the comment are written in the
    // installation's code page, or both in UTF-8 with the entry's flag when the page lacks a character
    // of either.
    void SetFileName(const QString& nom);
    // The entry comment, written as the name; throws over 65,535 bytes.
    void SetComment(const QString& texte);
    void encoderTextes(const QString& nom, const QString& commentaire);
    // Reads the file whole: its CRC-32, and its zlib stream less the 2-byte header and 4-byte trailer.
    void CompressFile(const QString& chemin);
    // Records the bytes written so far as the entry's offset, then writes the local header, the name,
    // the (empty) extra field and the data. Both throw ErreurExecution when the device refuses bytes.
    void WriteLocalHeader(QIODevice& fichier);
    // The central header, the name, the (empty) extra field and the entry comment.
    void WriteCentralHeader(QIODevice& fichier) const;
    // DOS date and time of a moment, taken in local time; before 1980 it is the first moment DOS can
    // write, after 2107 the last.
    static quint16 DosDate(const QDateTime& moment);
    static quint16 DosTime(const QDateTime& moment);

    // Bytes of the entry in the archive: local part, central part.
    qint64 TailleLocale() const;
    qint64 TailleCentrale() const;

    QString m_nom;
    QString m_commentaire;
    QByteArray NomFichier;         // in the code page, or UTF-8
    QByteArray Extra;              // always empty
    QByteArray CommentaireFichier; // as the name
    QByteArray Donnees;

    quint16 DrapeauxEntree = 2; // the general flags, with bit 11 for UTF-8 texts
    quint16 Heure = 0;
    quint16 Date = 0;
    quint32 Crc32 = 0;
    quint32 TailleCompressee = 0;
    quint32 TailleNonCompressee = 0;
    quint32 PositionEnTeteLocal = 0;
};
