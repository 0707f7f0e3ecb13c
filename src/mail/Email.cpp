#include "mail/Email.h"

#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/PageDeCode.h"
#include "mail/EncodeBase64.h"
#include "mail/ZipFile.h"

#include <QByteArrayView>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QTcpSocket>
#include <algorithm>
#include <array>
#include <cmath>

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

// RFC 5321 allows 512 bytes a reply line; a server that sends far more is broken or hostile, and what
// it sends must not fill the memory or the log.
constexpr qsizetype LongueurMaxLigne = 4096;
// A reply of many lines (EHLO's) stays far below this.
constexpr qsizetype LongueurMaxReponse = 64 * 1024;

const QByteArray CrLf("\r\n");
const QByteArray Terminaison("\r\n.\r\n");

// The steps of the dialogue: the reply each one waits for.
enum Etapes {
    Accueil = 0,      // the greeting
    Bonjour = 1,      // the answer to EHLO
    Utilisateur = 2,  // the user asked for
    MotDePasse = 3,   // the password asked for
    Connecte = 4,     // HELO answered, or the login accepted
    Expediteur = 5,   // MAIL FROM answered
    Destinataire = 6, // RCPT TO answered
    Donnees = 7,      // DATA answered
    Termine = 8,      // the message answered
};

} // namespace

Email::Email(QObject* parent) : QObject(parent), m_socket(new QTcpSocket(this)) {
    m_socket->setObjectName(QStringLiteral("Winsock1"));
    // What the server sends is read in pieces of this size at most, each checked before the next.
    m_socket->setReadBufferSize(LongueurMaxReponse);
    connect(m_socket, &QTcpSocket::readyRead, this, &Email::Winsock1_DataArrival);
    connect(m_socket, &QTcpSocket::errorOccurred, this, &Email::Winsock1_Error);
    connect(m_socket, &QTcpSocket::bytesWritten, this, &Email::Winsock1_BytesWritten);
}

void Email::Envoie(const QString& expediteur, const QString& destinataire, const QString& sujet,
                   const QString& corps, qint32 port, const QString& adresseLocale) {
    emit ProgressionPieceJointe(false, QString(), 0);
    const quint64 envoi = ++m_envois;
    FermerWinsock();
    m_etape = Accueil;
    const QHostAddress locale(adresseLocale);
    if (port < 1 || port > 65535 || (!adresseLocale.isEmpty() && locale.isNull()))
        throw ErreurExecution(ErreurExecution::InvalidProcedureCall,
                              QStringLiteral("Invalid procedure call or argument: the port must be 1 to "
                                             "65535 and a local address an IP address"),
                              QStringLiteral("Email"));
    // The addresses first: nothing is encoded for a mail that cannot go.
    NomAdresse(expediteur);
    NomAdresse(destinataire);
    m_expediteur = expediteur;
    m_destinataire = destinataire;
    m_tailleEnvoyee = 0;
    {
        const QByteArray blocs = EncoderPiecesJointes();
        // A later Envoie, made while events were handled, has taken the control over.
        if (envoi != m_envois)
            return;
        m_serveurEnvoi = m_serveur;
        // What a server may quote back of the login; its replies are reported with "****" in its place.
        m_secrets.clear();
        if (Global().AuthentificationSmtp)
            for (const QString& secret :
                 {EncoderBase64Smtp(Global().UtilisateurSmtp), EncoderBase64Smtp(Global().MotDePasseSmtp),
                  Global().MotDePasseSmtp})
                if (!secret.isEmpty())
                    m_secrets << secret;
        // The longest first: a password that is part of its own Base64 text leaves none of it.
        std::sort(m_secrets.begin(), m_secrets.end(),
                  [](const QString& a, const QString& b) { return a.size() > b.size(); });
        m_tailleTotale = TailleTotale(m_serveurEnvoi, expediteur, destinataire, sujet, corps, blocs);
        m_message = Message(expediteur, destinataire, sujet, corps, blocs);
    }
    const quint64 connexion = m_connexion;
    emit ProgressionEnvoi(0, m_tailleTotale, 0);
    if (connexion != m_connexion)
        return;
    m_enCours = true;
    // A bind that fails reports itself through the error handler.
    if (!adresseLocale.isEmpty() && !m_socket->bind(locale, static_cast<quint16>(port)))
        return;
    m_socket->connectToHost(m_serveurEnvoi, static_cast<quint16>(port));
}

void Email::FermerWinsock() {
    ++m_connexion;
    m_enCours = false;
    m_recu.clear();
    m_examine = 0;
    m_ecritures.clear();
    m_message.clear();
    m_socket->abort();
}

void Email::Winsock1_DataArrival() {
    const quint64 connexion = m_connexion;
    while (m_socket->bytesAvailable() > 0) {
        m_recu += m_socket->read(LongueurMaxReponse);
        // A reply ends with the line whose fourth character is not "-"; TCP may bring it in pieces, or
        // several replies at once.
        for (qsizetype fin; (fin = m_recu.indexOf('\n', m_examine)) >= 0;) {
            if (fin + 1 - m_examine > LongueurMaxLigne || fin + 1 > LongueurMaxReponse) {
                reponseTropLongue(fin + 1 - m_examine > LongueurMaxLigne);
                return;
            }
            if (fin - m_examine >= 3 && m_recu[m_examine + 3] == '-') {
                m_examine = fin + 1;
                continue;
            }
            const QByteArray reponse = m_recu.left(fin + 1);
            m_recu.remove(0, fin + 1);
            m_examine = 0;
            traiterReponse(PageDeCode::depuisOctets(reponse));
            if (connexion != m_connexion)
                return;
        }
        // A line not ended yet.
        if (m_recu.size() - m_examine > LongueurMaxLigne || m_recu.size() > LongueurMaxReponse) {
            reponseTropLongue(m_recu.size() - m_examine > LongueurMaxLigne);
            return;
        }
    }
}

void Email::reponseTropLongue(bool ligne) {
    const bool enCours = m_enCours;
    const QString debut = masquer(PageDeCode::depuisOctets(m_recu.left(LongueurJournal)));
    // Nothing more is read: the connection goes at once, and what was received with it.
    FermerWinsock();
    if (!enCours)
        return;
    const QString detail =
        ligne ? QStringLiteral("Réponse du serveur SMTP refusée : une ligne de plus de %1 octets")
                    .arg(LongueurMaxLigne)
              : QStringLiteral("Réponse du serveur SMTP refusée : plus de %1 octets").arg(LongueurMaxReponse);
    const quint64 connexion = m_connexion;
    emit EtatEnvoi(detail, debut);
    if (connexion == m_connexion)
        emit EnvoiTermine(false, detail);
}

QString Email::masquer(QString reponse) const {
    for (const QString& secret : m_secrets)
        reponse.replace(secret, QStringLiteral("****"));
    return reponse;
}

void Email::traiterReponse(const QString& recue) {
    // The code is read from the reply as it came; what is reported never quotes the login.
    const QString reponse = masquer(recue);
    const int etape = m_etape;
    const bool authentification = Global().AuthentificationSmtp;
    // Without a login the answer to HELO is taken as step 4's.
    m_etape += (etape == Accueil && !authentification ? 4 : 1);
    if (!m_enCours)
        return;
    if (etape == Termine) {
        terminer(VerifierReponseSmtp(recue, 250), reponse);
        return;
    }

    bool attendu = false;
    QString commande;
    QString statut;
    QString refus = reponse;
    switch (etape) {
    case Accueil:
        attendu = VerifierReponseSmtp(recue, 220);
        // Servers answer AUTH only after EHLO.
        commande = (authentification ? QStringLiteral("EHLO ") : QStringLiteral("HELO ")) + m_serveurEnvoi;
        statut = QStringLiteral("Connection");
        break;
    case Bonjour:
        attendu = VerifierReponseSmtp(recue, 250);
        commande = QStringLiteral("AUTH LOGIN ");
        statut = QStringLiteral("Authentification...");
        break;
    case Utilisateur:
        attendu = VerifierReponseSmtp(recue, 334);
        commande = EncoderBase64Smtp(Global().UtilisateurSmtp);
        statut = QStringLiteral("User...");
        break;
    case MotDePasse:
        attendu = VerifierReponseSmtp(recue, 334);
        commande = EncoderBase64Smtp(Global().MotDePasseSmtp);
        statut = QStringLiteral("password...");
        break;
    case Connecte:
        attendu = VerifierReponseSmtp(recue, 250) || VerifierReponseSmtp(recue, 235);
        commande = commandeMailFrom(m_expediteur);
        statut = QStringLiteral("Connecté...");
        break;
    case Expediteur:
        attendu = VerifierReponseSmtp(recue, 250);
        commande = commandeRcptTo(m_destinataire);
        statut = QStringLiteral("Mail From accepté...");
        break;
    case Destinataire:
        attendu = VerifierReponseSmtp(recue, 250);
        commande = CommandeData;
        statut = QStringLiteral("RCPT est accepté");
        refus = QStringLiteral("Le serveur n'est pas open relay ou alors le destinataire est inconnu");
        break;
    case Donnees:
        attendu = VerifierReponseSmtp(recue, 354);
        statut = QStringLiteral("Envoie Email en cours...");
        break;
    default:
        return;
    }

    const quint64 connexion = m_connexion;
    if (!attendu) {
        emit EtatEnvoi(refus, reponse);
        if (connexion == m_connexion && m_enCours)
            terminer(false, reponse);
        return;
    }
    if (etape == Donnees) {
        EnvoyerTexteSmtp(m_message, true);
        m_message.clear(); // the socket holds it now
    } else {
        EnvoyerTexteSmtp(LigneSmtp(commande), false);
    }
    emit EtatEnvoi(statut, reponse);
}

void Email::EnvoyerTexteSmtp(const QByteArray& octets, bool message) {
    if (m_socket->state() != QAbstractSocket::ConnectedState)
        return; // closed by the server meanwhile: its error reports it
    m_ecritures.push_back({octets.size(), message});
    m_socket->write(octets);
}

void Email::Winsock1_BytesWritten(qint64 octets) {
    const quint64 connexion = m_connexion;
    while (octets > 0 && !m_ecritures.empty()) {
        Ecriture& e = m_ecritures.front();
        const qint64 part = std::min(octets, e.octets - e.ecrits);
        e.ecrits += part;
        octets -= part;
        const bool fini = e.ecrits == e.octets;
        if (e.message) {
            const qint64 envoye = m_tailleEnvoyee + e.ecrits;
            if (fini) {
                m_ecritures.pop_front();
                m_tailleEnvoyee = m_tailleTotale;
            }
            emit ProgressionEnvoi(envoye, m_tailleTotale, pourcentage(envoye));
            if (fini && connexion == m_connexion)
                emit ProgressionEnvoi(m_tailleTotale, m_tailleTotale, 100);
        } else if (fini) {
            // A command line counts once more than its length, which the 4 of the total makes up for.
            const qint64 envoye = m_tailleEnvoyee + e.octets;
            m_tailleEnvoyee = envoye + 1;
            m_ecritures.pop_front();
            emit ProgressionEnvoi(envoye, m_tailleTotale, pourcentage(envoye));
        }
        if (connexion != m_connexion)
            return;
    }
}

void Email::Winsock1_Error(QAbstractSocket::SocketError erreur) {
    if (!m_enCours)
        return;
    const QString texte = m_socket->errorString();
    const quint64 connexion = m_connexion;
    emit EtatEnvoi(texte, QString::number(static_cast<int>(erreur)));
    if (connexion == m_connexion && m_enCours)
        terminer(false, texte);
}

void Email::terminer(bool envoye, const QString& detail) {
    m_enCours = false;
    m_message.clear();
    emit EnvoiTermine(envoye, detail);
}

int Email::pourcentage(qint64 envoye) const {
    // To the nearest, halves to even, and not capped: the login lines are not in the total.
    return static_cast<int>(std::nearbyint(static_cast<double>(envoye) * 100.0 / m_tailleTotale));
}

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
