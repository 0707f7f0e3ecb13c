#pragma once

#include <QAbstractSocket>
#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <deque>

class QTcpSocket;

// The mail control: one plain-text mail to one recipient over SMTP, with files attached as uuencoded
// blocks before the body. It has no window; the host makes it in code, fills the attachment list and
// follows the events.
//
// Everything the dialogue sends is built here as bytes of the installation's code page: the command lines,
// the message with its leading dots doubled and its terminator, and the count of bytes the progress
// events measure against.
//
// The dialogue runs in the socket's events after Envoie has returned: greeting, HELO (or EHLO and AUTH
// LOGIN with the state's login), MAIL FROM, RCPT TO, DATA and the message. Every reply raises EtatEnvoi
// with its step's status; the first reply that is not the one expected ends the dialogue, and so do a
// socket error, the server closing and a reply line longer than 4,096 bytes. What the events quote of a
// reply has "****" in place of the login and password sent. EnvoiTermine tells once how it ended. No QUIT is
// sent and there is no time limit: the host closes with FermerWinsock when it stops waiting.
class Email : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString SeveurSmtp READ SeveurSmtp WRITE setSeveurSmtp)
public:
    explicit Email(QObject* parent = nullptr);

    // Starts a send and returns once the connection is asked for: any connection closed, the addresses
    // checked, the listed files encoded (pending events handled before each), the message built, then
    // the connection to SeveurSmtp on the port, from the local address and the same port when one is
    // given. Throws ErreurExecution before connecting: InvalidProcedureCall for an address NomAdresse
    // refuses, a port outside 1 to 65535 or a local address that is not an IP address; as
    // EncoderPieceJointeUU for an attachment.
    void Envoie(const QString& expediteur, const QString& destinataire, const QString& sujet,
                const QString& corps, qint32 port, const QString& adresseLocale);
    // Closes the connection whatever its state. A dialogue under way stops there, without EnvoiTermine.
    void FermerWinsock();

    // The server's host name or address, which is also the name given after HELO.
    QString SeveurSmtp() const { return m_serveur; }
    void setSeveurSmtp(const QString& serveur) { m_serveur = serveur; }

    // Appends the path (a path may be listed twice) at the count of entries. After a removal that left
    // entries the count is 0, so this add drops them and the path is alone.
    void PieceJointeAjout(const QString& chemin);
    // Removes every entry equal to the path (case counts). Nothing while the count is 0. Entries left stay
    // attached, and the count becomes 0 either way.
    void PieceJointeSuppr(const QString& chemin);
    bool AvecPiecesJointes() const { return m_avecPiecesJointes; }

    // The uuencoded block of one file: "begin 664 " and its name, lines of 45 bytes with their length
    // character, a line "`" and "end", every line ended by CR LF, every blank written "`". Pending events
    // are handled between lines, at most every 10 ms. Throws ErreurExecution FileNotFound when the file
    // does not exist, PathFileAccess when it cannot be read whole.
    QByteArray EncoderPieceJointeUU(const QString& chemin);
    // The blocks of the listed paths in list order, pending events handled before each; empty without
    // attachments. Throws as EncoderPieceJointeUU.
    QByteArray EncoderPiecesJointes();

    // The Base64 of the text's bytes in the code page, on one line however long; "" for "".
    static QString EncoderBase64Smtp(const QString& texte);
    // True when the value of the reply's first three characters is the code.
    static bool VerifierReponseSmtp(const QString& reponse, int code);

    // The most of one reply a status or the log keeps, in characters.
    static constexpr qsizetype LongueurJournal = 512;

    // The part of an address before its first "@". Throws ErreurExecution InvalidProcedureCall when the
    // address has no "@", or holds a blank, a control character (CR, LF...), "<" or ">", which would
    // break the command or the header it goes into.
    static QString NomAdresse(const QString& adresse);
    // A command line of the dialogue: the text in the code page and CR LF.
    static QByteArray LigneSmtp(const QString& commande);
    // The message as the server must receive it after DATA: the From, To and Subject headers and an empty
    // line, the attachment blocks (`textePiecesJointes`, from EncoderPiecesJointes) and CR LF when there
    // are any, the body, then CR LF "." CR LF. A line that begins with "." is sent with one more, so that
    // the server keeps it. CR and LF in the subject become blanks. Throws as NomAdresse.
    static QByteArray Message(const QString& expediteur, const QString& destinataire, const QString& sujet,
                              const QString& corps, const QByteArray& textePiecesJointes);
    // The bytes the progress events count to: the lines HELO (EHLO has its length), MAIL FROM, RCPT TO and
    // DATA, the message before its dots are doubled, and 4. Throws as NomAdresse.
    static qint64 TailleTotale(const QString& serveur, const QString& expediteur, const QString& destinataire,
                               const QString& sujet, const QString& corps,
                               const QByteArray& textePiecesJointes);

signals:
    // A status after a server reply or a socket error.
    void EtatEnvoi(const QString& message, const QString& reponse);
    // After each change of the attachment list: a count and the paths joined with ",".
    void ListePiecesJointes(int nombre, const QString& liste);
    // While the dialogue writes: bytes sent, bytes in all, the percentage.
    void ProgressionEnvoi(qint64 envoye, qint64 total, int pourcentage);
    // While an attachment is encoded: true and the file's name after each line, then false at its end.
    void ProgressionPieceJointe(bool enCours, const QString& fichier, int pourcentage);
    // Once a dialogue is over: `envoye` when the server took the message (250 to its terminator), with
    // that reply; otherwise the reply that stopped it, or the socket's error text (the server closing
    // included). Nothing is sent after it, nor reported until the next Envoie.
    void EnvoiTermine(bool envoye, const QString& detail);

private:
    void Winsock1_DataArrival();
    void Winsock1_Error(QAbstractSocket::SocketError erreur);
    void Winsock1_BytesWritten(qint64 octets);
    // One whole reply, by the step it answers.
    void traiterReponse(const QString& recue);
    // A reply line (`ligne`) or a reply of many lines, or what is received of either, longer than a
    // server may send: the dialogue fails, the status quoting only its start.
    void reponseTropLongue(bool ligne);
    // The reply with "****" in place of what it quotes of the login sent.
    QString masquer(QString reponse) const;
    // Writes a command line (`message` false) or the message; progress follows the bytes written.
    void EnvoyerTexteSmtp(const QByteArray& octets, bool message);
    void terminer(bool envoye, const QString& detail);
    int pourcentage(qint64 envoye) const;

    // A write still partly in the socket's buffer.
    struct Ecriture {
        qint64 octets;
        bool message;
        qint64 ecrits = 0;
    };

    QTcpSocket* m_socket;
    QString m_serveur;
    QStringList m_piecesJointes;
    // Where the next path goes: the number of entries, except after a removal that left some.
    int m_nombrePiecesJointes = 0;
    bool m_avecPiecesJointes = false;

    // The send under way: the server named at Envoie, the addresses, and the message ready to write.
    QString m_serveurEnvoi;
    QString m_expediteur;
    QString m_destinataire;
    QByteArray m_message;
    // The Base64 login and password of this send, and the password itself.
    QStringList m_secrets;
    int m_etape = 0;
    qint64 m_tailleTotale = 0;
    qint64 m_tailleEnvoyee = 0;
    // True from the connection asked for until the outcome or a close.
    bool m_enCours = false;
    // Bytes received that do not end a reply yet, and how far they are known to be continuation lines.
    QByteArray m_recu;
    qsizetype m_examine = 0;
    std::deque<Ecriture> m_ecritures;
    // Raised at every close and every Envoie: a handler that sees it change stops, as what it was doing
    // belongs to a connection that is gone.
    quint64 m_connexion = 0;
    quint64 m_envois = 0;
};
