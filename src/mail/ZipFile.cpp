#include "mail/ZipFile.h"

#include "common/EchecEcriture.h"
#include "common/ErreurExecution.h"
#include "common/PageDeCode.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <algorithm>
#include <limits>
#include <new>
#include <utility>
#include <zlib.h>

namespace {

constexpr quint32 SignatureLocale = 0x04034B50;
constexpr quint32 SignatureCentrale = 0x02014B50;
constexpr quint16 Version = 20;
constexpr quint16 Drapeaux = 2;
// Bit 11, the language encoding flag: the entry's name and comment are UTF-8.
constexpr quint16 DrapeauUtf8 = 0x0800;
// The system that made an entry, the high byte of "version made by": 0 is FAT.
constexpr quint16 SystemeNtfs = 11;
constexpr quint16 Methode = 8; // deflate
constexpr quint16 AttributsInternes = 0x0020;
constexpr quint32 AttributsExternes = 0;
constexpr qint64 TailleEnTeteLocal = 30;
constexpr qint64 TailleEnTeteCentral = 46;
constexpr qint64 Max16 = std::numeric_limits<quint16>::max();
constexpr qint64 Max32 = std::numeric_limits<quint32>::max();
constexpr qint32 MemoireInsuffisante = 7; // the original's "Out of memory"

QString natif(const QString& chemin) {
    return QDir::toNativeSeparators(chemin);
}

void ecrire(QIODevice& fichier, const QByteArray& octets) {
    if (fichier.write(octets) == octets.size())
        return;
    const auto* f = qobject_cast<QFileDevice*>(&fichier);
    throw ErreurExecution(ErreurExecution::PathFileAccess,
                          f ? EchecEcriture::message(*f)
                            : QStringLiteral("Impossible d'écrire l'archive : %1").arg(fichier.errorString()),
                          QStringLiteral("ZipFile"));
}

// A name or comment as written; its length goes into a 16-bit field.
void verifierLongueur(const QByteArray& octets, const char* quoi) {
    if (octets.size() > Max16)
        throw ErreurExecution(
            ErreurExecution::Overflow,
            QStringLiteral("The %1 of a zip entry is %2 bytes long, more than the 65,535 a zip "
                           "archive holds")
                .arg(QLatin1String(quoi))
                .arg(octets.size()),
            QStringLiteral("ZipFile"));
}

// The moment as DOS writes it: local time, from 1 January 1980 to the last even second of 2107.
std::pair<QDate, QTime> momentDos(const QDateTime& moment) {
    const QDateTime local = moment.toLocalTime();
    if (!local.isValid() || local.date().year() < 1980)
        return {QDate(1980, 1, 1), QTime(0, 0, 0)};
    if (local.date().year() > 2107)
        return {QDate(2107, 12, 31), QTime(23, 59, 58)};
    return {local.date(), local.time()};
}

} // namespace

QString ZipFile::GetFileName(const QString& chemin) {
    const qsizetype coupure = std::max(chemin.lastIndexOf(u'/'), chemin.lastIndexOf(u'\\'));
    return chemin.mid(coupure + 1);
}

void ZipFile::LoadFile(const QString& chemin) {
    const QFileInfo info(chemin);
    const QDateTime modifie = info.lastModified();
    Date = DosDate(modifie);
    Heure = DosTime(modifie);
    SetFileName(GetFileName(chemin));
    CompressFile(chemin);
}

void ZipFile::SetFileName(const QString& nom) {
    encoderTextes(nom, m_commentaire);
}

void ZipFile::SetComment(const QString& texte) {
    encoderTextes(m_nom, texte);
}

void ZipFile::encoderTextes(const QString& nom, const QString& commentaire) {
    // In the code page as ever, unless it lacks a character of either: "?" in its place would make two
    // names one. The zip format then takes both texts in UTF-8, which the entry's flag tells.
    const std::optional<QByteArray> nomPage = PageDeCode::versOctetsExacts(nom);
    const std::optional<QByteArray> commentairePage = PageDeCode::versOctetsExacts(commentaire);
    const bool utf8 = !nomPage || !commentairePage;
    QByteArray octetsNom = utf8 ? nom.toUtf8() : *nomPage;
    QByteArray octetsCommentaire = utf8 ? commentaire.toUtf8() : *commentairePage;
    verifierLongueur(octetsNom, "name");
    verifierLongueur(octetsCommentaire, "comment");
    m_nom = nom;
    m_commentaire = commentaire;
    NomFichier = std::move(octetsNom);
    CommentaireFichier = std::move(octetsCommentaire);
    DrapeauxEntree = utf8 ? static_cast<quint16>(Drapeaux | DrapeauUtf8) : Drapeaux;
}

void ZipFile::CompressFile(const QString& chemin) {
    const QString source = QStringLiteral("ZipFile.CompressFile");
    QFile f(chemin);
    if (!f.open(QIODevice::ReadOnly))
        throw ErreurExecution(ErreurExecution::PathFileAccess,
                              QStringLiteral("Cannot read %1: %2").arg(natif(chemin), f.errorString()),
                              source);
    // The sizes and offsets of the archive are 32-bit fields: a larger file cannot go in.
    const qint64 n = f.size();
    if (n > Max32)
        throw ErreurExecution(ErreurExecution::Overflow,
                              QStringLiteral("%1 holds %2 bytes: a zip archive takes files under 4 GiB")
                                  .arg(natif(chemin))
                                  .arg(n),
                              source);
    try {
        QByteArray contenu(n, Qt::Uninitialized);
        qint64 lus = 0;
        while (lus < n) {
            const qint64 r = f.read(contenu.data() + lus, n - lus);
            if (r <= 0)
                break;
            lus += r;
        }
        if (lus != n)
            throw ErreurExecution(
                ErreurExecution::PathFileAccess,
                QStringLiteral("Cannot read %1 whole: %2")
                    .arg(natif(chemin), f.error() != QFileDevice::NoError
                                            ? f.errorString()
                                            : QStringLiteral("it became shorter while being read")),
                source);
        f.close();

        const auto* octets = reinterpret_cast<const Bytef*>(contenu.constData());
        Crc32 = static_cast<quint32>(crc32_z(0, octets, static_cast<z_size_t>(n)));

        // compressBound is the size zlib guarantees for the stream; a status other than Z_OK is a failure.
        uLongf longueur = compressBound(static_cast<uLong>(n));
        QByteArray flux(static_cast<qsizetype>(longueur), Qt::Uninitialized);
        const int statut =
            compress(reinterpret_cast<Bytef*>(flux.data()), &longueur, octets, static_cast<uLong>(n));
        if (statut != Z_OK)
            throw ErreurExecution(statut == Z_MEM_ERROR ? MemoireInsuffisante : ErreurExecution::Overflow,
                                  QStringLiteral("zlib could not compress %1: %2")
                                      .arg(natif(chemin), QString::fromLatin1(zError(statut))),
                                  source);
        contenu = QByteArray();
        // The entry holds the raw deflate data: the stream less its zlib header and Adler-32 trailer.
        const qint64 donnees = static_cast<qint64>(longueur) - 6;
        if (donnees > Max32)
            throw ErreurExecution(
                ErreurExecution::Overflow,
                QStringLiteral("%1 compresses to %2 bytes: a zip archive takes entries under 4 GiB")
                    .arg(natif(chemin))
                    .arg(donnees),
                source);
        flux.resize(static_cast<qsizetype>(longueur) - 4);
        flux.remove(0, 2);
        flux.squeeze();
        Donnees = std::move(flux);
        TailleCompressee = static_cast<quint32>(donnees);
        TailleNonCompressee = static_cast<quint32>(n);
    } catch (const std::bad_alloc&) {
        throw ErreurExecution(MemoireInsuffisante,
                              QStringLiteral("Out of memory while compressing %1").arg(natif(chemin)),
                              source);
    }
}

void ZipFile::WriteLocalHeader(QIODevice& fichier) {
    const qint64 position = fichier.pos();
    if (position > Max32)
        throw ErreurExecution(ErreurExecution::Overflow,
                              QStringLiteral("The archive reaches 4 GiB, more than a zip archive holds"),
                              QStringLiteral("ZipFile.WriteLocalHeader"));
    PositionEnTeteLocal = static_cast<quint32>(position);

    QByteArray e;
    e.reserve(TailleEnTeteLocal + NomFichier.size() + Extra.size());
    QDataStream s(&e, QIODevice::WriteOnly);
    s.setByteOrder(QDataStream::LittleEndian);
    s << SignatureLocale << Version << DrapeauxEntree << Methode << Heure << Date << Crc32 << TailleCompressee
      << TailleNonCompressee << quint16(NomFichier.size()) << quint16(Extra.size());
    e += NomFichier;
    e += Extra;
    ecrire(fichier, e);
    ecrire(fichier, Donnees);
}

void ZipFile::WriteCentralHeader(QIODevice& fichier) const {
    // Readers take the names of an entry made on FAT in the DOS code page whatever its flag (Debian's
    // unzip and zipinfo do): an entry of UTF-8 texts says it was made on NTFS, whose attributes read the
    // same.
    const quint16 faitPar =
        (DrapeauxEntree & DrapeauUtf8) != 0 ? static_cast<quint16>(SystemeNtfs << 8 | Version) : Version;
    QByteArray e;
    e.reserve(TailleCentrale());
    QDataStream s(&e, QIODevice::WriteOnly);
    s.setByteOrder(QDataStream::LittleEndian);
    s << SignatureCentrale << faitPar << Version /* needed */ << DrapeauxEntree << Methode << Heure << Date
      << Crc32 << TailleCompressee << TailleNonCompressee << quint16(NomFichier.size())
      << quint16(Extra.size()) << quint16(CommentaireFichier.size()) << quint16(0) /* disk number start */
      << AttributsInternes << AttributsExternes << PositionEnTeteLocal;
    e += NomFichier;
    e += Extra;
    e += CommentaireFichier;
    ecrire(fichier, e);
}

quint16 ZipFile::DosDate(const QDateTime& moment) {
    const QDate d = momentDos(moment).first;
    return static_cast<quint16>((d.year() - 1980) << 9 | d.month() << 5 | d.day());
}

quint16 ZipFile::DosTime(const QDateTime& moment) {
    const QTime t = momentDos(moment).second;
    return static_cast<quint16>(t.hour() << 11 | t.minute() << 5 | t.second() / 2);
}

qint64 ZipFile::TailleLocale() const {
    return TailleEnTeteLocal + NomFichier.size() + Extra.size() + Donnees.size();
}

qint64 ZipFile::TailleCentrale() const {
    return TailleEnTeteCentral + NomFichier.size() + Extra.size() + CommentaireFichier.size();
}
