#include "mail/ZipClass.h"

#include "common/EchecEcriture.h"
#include "common/ErreurExecution.h"
#include "common/PageDeCode.h"
#include "common/ServiceDialogue.h"
#include "mail/ZipFile.h"

#include <QDataStream>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <limits>

namespace {

constexpr quint32 SignatureFin = 0x06054B50;
constexpr qint64 Max16 = std::numeric_limits<quint16>::max();
constexpr qint64 Max32 = std::numeric_limits<quint32>::max();

} // namespace

ZipClass::ZipClass() = default;
ZipClass::~ZipClass() = default;

qint32 ZipClass::FileCount() const {
    return static_cast<qint32>(m_fichiers.size());
}

void ZipClass::Comment(const QString& texte) {
    QByteArray octets = PageDeCode::versOctets(texte);
    if (octets.size() > Max16)
        throw ErreurExecution(
            ErreurExecution::Overflow,
            QStringLiteral("The archive comment is %1 bytes long, more than the 65,535 a zip "
                           "archive holds")
                .arg(octets.size()),
            QStringLiteral("ZipClass.Comment"));
    m_commentaire = std::move(octets);
}

bool ZipClass::AddFile(const QString& chemin, const QString& nomStocke, const QString& commentaire) {
    // A folder, a device or nothing at all is no file to pack.
    if (chemin.isEmpty() || !QFileInfo(chemin).isFile())
        return false;
    std::unique_ptr<ZipFile> fichier(new ZipFile);
    fichier->LoadFile(chemin);
    if (!nomStocke.isEmpty())
        fichier->SetFileName(nomStocke);
    if (!commentaire.isEmpty())
        fichier->SetComment(commentaire);
    m_fichiers.push_back(std::move(fichier));
    return true;
}

bool ZipClass::WriteZip(const QString& cheminArchive, bool ecraser) {
    if (!ecraser && QFileInfo(cheminArchive).isFile())
        return false;
    try {
        // The counts are 16-bit fields, the offsets and the directory's size 32-bit ones: checked before
        // a byte is written.
        const QString source = QStringLiteral("ZipClass.WriteZip");
        if (static_cast<qint64>(m_fichiers.size()) > Max16)
            throw ErreurExecution(ErreurExecution::Overflow,
                                  QStringLiteral("%1 files are more than the 65,535 a zip archive holds")
                                      .arg(m_fichiers.size()),
                                  source);
        qint64 local = 0, central = 0;
        for (const auto& f : m_fichiers) {
            local += f->TailleLocale();
            central += f->TailleCentrale();
        }
        if (local > Max32 || central > Max32)
            throw ErreurExecution(
                ErreurExecution::Overflow,
                QStringLiteral("The archive would reach 4 GiB, more than a zip archive holds"), source);

        // Written beside the target and put in its place once complete: a failure leaves no partial
        // archive, and any earlier one stays as it was until then.
        QSaveFile archive(cheminArchive);
        if (!archive.open(QIODevice::WriteOnly))
            throw ErreurExecution(ErreurExecution::PathFileAccess, EchecEcriture::message(archive), source);
        for (const auto& f : m_fichiers)
            f->WriteLocalHeader(archive);
        const qint64 debutRepertoire = archive.pos();
        for (const auto& f : m_fichiers)
            f->WriteCentralHeader(archive);
        const qint64 tailleRepertoire = archive.pos() - debutRepertoire;

        QByteArray fin;
        QDataStream s(&fin, QIODevice::WriteOnly);
        s.setByteOrder(QDataStream::LittleEndian);
        const auto entrees = static_cast<quint16>(m_fichiers.size());
        s << SignatureFin << quint16(0) /* this disk */ << quint16(0) /* disk of the directory */ << entrees
          << entrees << quint32(tailleRepertoire) << quint32(debutRepertoire)
          << quint16(m_commentaire.size());
        fin += m_commentaire;
        if (archive.write(fin) != fin.size() || !archive.commit())
            throw ErreurExecution(ErreurExecution::PathFileAccess, EchecEcriture::message(archive), source);
        return true;
    } catch (const ErreurExecution& e) {
        MsgBox(e.description(), StyleMessage::OK);
        return false;
    }
}
