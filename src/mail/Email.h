#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

// The mail control: one plain-text mail to one recipient over SMTP, with files attached as uuencoded
// blocks before the body. It has no window; the host makes it in code, fills the attachment list and
// follows the events.
//
// Everything the dialogue sends is built here as bytes of the installation's code page: the command lines,
// the message with its leading dots doubled and its terminator, and the count of bytes the progress
// events measure against.
class Email : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString SeveurSmtp READ SeveurSmtp WRITE setSeveurSmtp)
public:
    explicit Email(QObject* parent = nullptr);

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

private:
    QString m_serveur;
    QStringList m_piecesJointes;
    // Where the next path goes: the number of entries, except after a removal that left some.
    int m_nombrePiecesJointes = 0;
    bool m_avecPiecesJointes = false;
};
