#include "mail/Email.h"

#include "common/ErreurExecution.h"
#include "common/PageDeCode.h"
#include "mail/EncodeBase64.h"
#include "mail/ZipFile.h"

#include <QByteArrayView>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <array>

namespace {

constexpr qint64 OctetsParLigne = 45;
// Lines read from the file at once (64 KiB less a little); events are looked at between two reads.
constexpr qint64 LignesParLecture = 1456;
// One processEvents costs microseconds and a line well under one: events go no more often than this.
constexpr qint64 IntervalleEvenements = 10; // ms

// The character of a 6-bit value: 32 + the value, with the blank written as the grave accent.
constexpr std::array<char, 64> InitialiserUU() {
    std::array<char, 64> table{};
    table[0] = '`';
    for (int i = 1; i < 64; ++i)
        table[i] = static_cast<char>(32 + i);
    return table;
}
constexpr std::array<char, 64> CaractereUU = InitialiserUU();

// One line of `n` bytes (at most 45) and its CR LF, from `s` on; the end of what was written. A last group
// short of three bytes is made up with blanks.
char* encoderLigne(char* s, const unsigned char* o, qint64 n) {
    *s++ = CaractereUU[n];
    qint64 i = 0;
    for (; i + 3 <= n; i += 3) {
        const unsigned b1 = o[i], b2 = o[i + 1], b3 = o[i + 2];
        *s++ = CaractereUU[b1 >> 2];
        *s++ = CaractereUU[((b1 & 3) << 4) | (b2 >> 4)];
        *s++ = CaractereUU[((b2 & 15) << 2) | (b3 >> 6)];
        *s++ = CaractereUU[b3 & 63];
    }
    if (i < n) {
        const unsigned b1 = o[i], b2 = i + 1 < n ? o[i + 1] : ' ', b3 = ' ';
        *s++ = CaractereUU[b1 >> 2];
        *s++ = CaractereUU[((b1 & 3) << 4) | (b2 >> 4)];
        *s++ = CaractereUU[((b2 & 15) << 2) | (b3 >> 6)];
        *s++ = CaractereUU[b3 & 63];
    }
    *s++ = '\r';
    *s++ = '\n';
    return s;
}

QString natif(const QString& chemin) {
    return QDir::toNativeSeparators(chemin);
}

QString commandeHelo(const QString& serveur) {
    return QStringLiteral("HELO ") + serveur;
}
QString commandeMailFrom(const QString& expediteur) {
    return QStringLiteral("MAIL FROM: <") + expediteur + u'>';
}
QString commandeRcptTo(const QString& destinataire) {
    return QStringLiteral("RCPT TO: <") + destinataire + u'>';
}
const QString CommandeData = QStringLiteral("DATA");

// From, To, Subject and the empty line that ends the headers. The subject stays on its line.
QByteArray enTete(const QString& expediteur, const QString& destinataire, const QString& sujet) {
    QString ligneSujet = sujet;
    ligneSujet.replace(u'\r', u' ').replace(u'\n', u' ');
    return PageDeCode::versOctets(QStringLiteral("From: \"") + Email::NomAdresse(expediteur) +
                                  QStringLiteral("\" <") + expediteur + QStringLiteral(">\r\nTo: \"") +
                                  Email::NomAdresse(destinataire) + QStringLiteral("\" <") + destinataire +
                                  QStringLiteral(">\r\nSubject: ") + ligneSujet + QStringLiteral("\r\n\r\n"));
}

// The dots a text that begins a line needs doubled: one at its start and one after every LF (a bare LF
// included: some servers end a line there, and would take a "." alone for the end of the message).
qsizetype pointsEnTeteDeLigne(QByteArrayView texte) {
    return texte.count("\n.") + (texte.startsWith('.') ? 1 : 0);
}

void ajouterTransparent(QByteArray& message, QByteArrayView texte) {
    if (texte.startsWith('.'))
        message.append('.');
    qsizetype debut = 0;
    for (qsizetype p; (p = texte.indexOf("\n.", debut)) >= 0; debut = p + 1) {
        message.append(texte.sliced(debut, p + 1 - debut));
        message.append('.');
    }
    message.append(texte.sliced(debut));
}

const QByteArray CrLf("\r\n");
const QByteArray Terminaison("\r\n.\r\n");

} // namespace

Email::Email(QObject* parent) : QObject(parent) {}

void Email::PieceJointeAjout(const QString& chemin) {
    m_piecesJointes.resize(m_nombrePiecesJointes);
    m_piecesJointes.append(chemin);
    ++m_nombrePiecesJointes;
    m_avecPiecesJointes = true;
    emit ListePiecesJointes(m_nombrePiecesJointes, m_piecesJointes.join(u','));
}

void Email::PieceJointeSuppr(const QString& chemin) {
    if (m_nombrePiecesJointes == 0)
        return;
    m_piecesJointes.removeAll(chemin);
    m_nombrePiecesJointes = 0;
    if (!m_piecesJointes.isEmpty()) {
        emit ListePiecesJointes(static_cast<int>(m_piecesJointes.size()) - 1, m_piecesJointes.join(u','));
        return;
    }
    m_avecPiecesJointes = false;
    emit ListePiecesJointes(0, QString());
}

QByteArray Email::EncoderPieceJointeUU(const QString& chemin) {
    const QString source = QStringLiteral("Email.EncoderPieceJointeUU");
    const QFileInfo info(chemin);
    if (!info.exists())
        throw ErreurExecution(ErreurExecution::FileNotFound,
                              QStringLiteral("File not found: %1").arg(natif(chemin)), source);
    QFile fichier(chemin);
    // Only a regular file: a folder cannot be read, and a pipe would wait for a writer.
    if (!info.isFile() || !fichier.open(QIODevice::ReadOnly))
        throw ErreurExecution(ErreurExecution::PathFileAccess,
                              QStringLiteral("Cannot read %1: %2")
                                  .arg(natif(chemin), info.isFile() ? fichier.errorString()
                                                                    : QStringLiteral("it is not a file")),
                              source);

    const QString nom = ZipFile::GetFileName(chemin);
    const qint64 taille = fichier.size();
    const qint64 lignes = taille / OctetsParLigne + 1;
    const qint64 dernier = taille % OctetsParLigne;
    const QByteArray debut = "begin 664 " + PageDeCode::versOctets(nom) + CrLf;
    // Full lines of 1 + 60 + 2 characters, the last of 1 + 4 per started group + 2, "`" and "end".
    const qint64 longueur = debut.size() + (lignes - 1) * 63 + 1 + (dernier + 2) / 3 * 4 + 2 + 3 + 5;
    QByteArray bloc(longueur, Qt::Uninitialized);
    char* s = std::copy(debut.begin(), debut.end(), bloc.data());

    QByteArray tampon(std::min(taille, LignesParLecture * OctetsParLigne), Qt::Uninitialized);
    const auto* octets = reinterpret_cast<const unsigned char*>(tampon.constData());
    QElapsedTimer depuisEvenements;
    qint64 ligne = 0;
    while (ligne < lignes) {
        if (!depuisEvenements.isValid() || depuisEvenements.elapsed() >= IntervalleEvenements) {
            QCoreApplication::processEvents();
            depuisEvenements.start();
        }
        const qint64 aLire = std::min(taille - ligne * OctetsParLigne, LignesParLecture * OctetsParLigne);
        qint64 lus = 0;
        while (lus < aLire) {
            const qint64 r = fichier.read(tampon.data() + lus, aLire - lus);
            if (r <= 0)
                throw ErreurExecution(
                    ErreurExecution::PathFileAccess,
                    QStringLiteral("Cannot read %1 whole: %2")
                        .arg(natif(chemin), r < 0 ? fichier.errorString()
                                                  : QStringLiteral("it became shorter while being read")),
                    source);
            lus += r;
        }
        // The lines of this read; after a read that ends on a full line, the last line (0 bytes) is
        // still to come.
        const qint64 fin = std::min(lignes, ligne + LignesParLecture);
        for (qint64 p = 0; ligne < fin; ++ligne, p += OctetsParLigne) {
            s = encoderLigne(s, octets + p, std::min(OctetsParLigne, aLire - p));
            emit ProgressionPieceJointe(true, nom, static_cast<int>((ligne + 1) * 100 / lignes));
        }
    }
    fichier.close();
    s = std::copy_n("`\r\nend\r\n", 8, s);
    Q_ASSERT(s == bloc.constData() + bloc.size());
    emit ProgressionPieceJointe(false, nom, static_cast<int>((lignes + 1) * 100 / lignes));
    return bloc;
}

QByteArray Email::EncoderPiecesJointes() {
    QByteArray texte;
    if (!m_avecPiecesJointes)
        return texte;
    // A copy: the host may change the list while events are handled.
    const QStringList chemins = m_piecesJointes;
    for (const QString& chemin : chemins) {
        QCoreApplication::processEvents();
        texte += EncoderPieceJointeUU(chemin);
    }
    return texte;
}

QString Email::EncoderBase64Smtp(const QString& texte) {
    if (texte.isEmpty())
        return QString();
    // AUTH LOGIN takes each value on a line of its own.
    return EncodeBase64::EncoderBase64(PageDeCode::versOctets(texte)).remove(QStringLiteral("\r\n"));
}

bool Email::VerifierReponseSmtp(const QString& reponse, int code) {
    // The value as the original reads a number: blanks, tabs and line feeds skipped, an optional sign,
    // digits and a decimal part; anything else ends it, and no digit at all is 0.
    QString t = reponse.left(3);
    t.remove(u' ').remove(u'\t').remove(u'\n');
    auto chiffre = [&t](qsizetype i) { return i < t.size() && t[i] >= u'0' && t[i] <= u'9'; };
    qsizetype fin = 0;
    if (fin < t.size() && (t[fin] == u'+' || t[fin] == u'-'))
        ++fin;
    while (chiffre(fin))
        ++fin;
    if (fin < t.size() && t[fin] == u'.')
        ++fin;
    while (chiffre(fin))
        ++fin;
    bool ok = false;
    const double valeur = t.left(fin).toDouble(&ok);
    return (ok ? valeur : 0.0) == code;
}

QString Email::NomAdresse(const QString& adresse) {
    const qsizetype arobase = adresse.indexOf(u'@');
    const bool interdit = std::any_of(adresse.begin(), adresse.end(), [](QChar c) {
        return c.unicode() <= u' ' || c.unicode() == 0x7F || c == u'<' || c == u'>';
    });
    if (arobase < 0 || interdit)
        throw ErreurExecution(ErreurExecution::InvalidProcedureCall,
                              QStringLiteral("Invalid procedure call or argument: a mail address holds "
                                             "\"@\" and no blank, line break, \"<\" or \">\""),
                              QStringLiteral("Email"));
    return adresse.left(arobase);
}

QByteArray Email::LigneSmtp(const QString& commande) {
    return PageDeCode::versOctets(commande) + CrLf;
}

QByteArray Email::Message(const QString& expediteur, const QString& destinataire, const QString& sujet,
                          const QString& corps, const QByteArray& textePiecesJointes) {
    const QByteArray tete = enTete(expediteur, destinataire, sujet);
    const QByteArray texteCorps = PageDeCode::versOctets(corps);
    // Sized at once: the blocks may be tens of megabytes.
    const bool avecBlocs = !textePiecesJointes.isEmpty();
    QByteArray message;
    message.reserve(tete.size() + pointsEnTeteDeLigne(tete) + textePiecesJointes.size() +
                    pointsEnTeteDeLigne(textePiecesJointes) + (avecBlocs ? 2 : 0) + texteCorps.size() +
                    pointsEnTeteDeLigne(texteCorps) + Terminaison.size());
    ajouterTransparent(message, tete);
    if (avecBlocs) {
        ajouterTransparent(message, textePiecesJointes);
        message.append(CrLf);
    }
    ajouterTransparent(message, texteCorps);
    message.append(Terminaison);
    return message;
}

qint64 Email::TailleTotale(const QString& serveur, const QString& expediteur, const QString& destinataire,
                           const QString& sujet, const QString& corps, const QByteArray& textePiecesJointes) {
    const qint64 commandes = LigneSmtp(commandeHelo(serveur)).size() +
                             LigneSmtp(commandeMailFrom(expediteur)).size() +
                             LigneSmtp(commandeRcptTo(destinataire)).size() + LigneSmtp(CommandeData).size();
    const qint64 message = enTete(expediteur, destinataire, sujet).size() +
                           (textePiecesJointes.isEmpty() ? 0 : textePiecesJointes.size() + CrLf.size()) +
                           PageDeCode::versOctets(corps).size() + Terminaison.size();
    // One more for each of the four commands, as the progress of a command line counts it.
    return commandes + message + 4;
}
