#pragma once

#include "common/ErreurExecution.h"
#include "mail/Email.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <optional>

class QEventLoop;

// What became of one mail: sent, or the error that kept it from going.
struct ResultatEnvoi {
    std::optional<ErreurExecution> erreur; // none: the server took the mail
    bool envoye() const { return !erreur.has_value(); }
};

// Sends one mail with one attachment through its own mail control, with the settings of section "Email"
// of the settings file, and keeps the control's status lines in JournalEmail, which only grows while
// this object lives (its host empties it when it loads). Every send writes JournalEmail whole to
// "Emaillog.txt" in the program folder.
class EnvoiEmail : public QObject {
    Q_OBJECT
public:
    // The longest wait for the server without a reply or a written byte, in milliseconds.
    static constexpr int DelaiSansReponse = 60000;

    explicit EnvoiEmail(QObject* parent = nullptr);

    // Sends the file to AdresseEmail, or when that is empty to "Mailto0", from "MailFrom", through the
    // server "SMTP" on "Port", logging in with "User" and "Pass" when "User" is not empty; waits, handling
    // events, until the dialogue is over or the server has been silent for the limit, closes the
    // connection, takes the file off the attachment list and replaces "Emaillog.txt" (a failure to write
    // it is logged and changes nothing else).
    // Not sent: EnvoiEmailEchec with the server's last reply or the socket's error text when the dialogue
    // failed; a run-time failure (an address without "@", a missing attachment, a port that is not a whole
    // number from 1 to 65535, a call while a send is under way) is logged under "EnvoyerEmail" and
    // writes no "Emaillog.txt". Shows no message.
    ResultatEnvoi EnvoyerEmail(const QString& sujet, const QString& corps, const QString& pieceJointe);

    // The mail control, for the host's progress display.
    Email& Email1() { return m_email; }
    const QString& JournalEmail() const { return m_journal; }
    void viderJournal() { m_journal.clear(); }
    // True from the start of a send to its outcome.
    bool enCours() const { return m_enCours; }
    // Shortens the silence limit (tests).
    void setDelaiSansReponse(int ms) { m_delai = ms; }

    // The port of the settings: a whole number from 1 to 65535; "" gives 25. Throws ErreurExecution
    // InvalidProcedureCall for anything else.
    static quint16 PortSmtp(const QString& texte);

private:
    void Email1_EtatEnvoi(const QString& message, const QString& reponse);
    void Email1_EnvoiTermine(bool envoye, const QString& detail);
    // Until the outcome, or the silence limit; the outcome.
    ResultatEnvoi attendre();
    void ecrireJournal() const;

    QString m_journal;
    bool m_enCours = false;
    int m_delai = DelaiSansReponse;

    // The send under way: its outcome once the control tells it, the last reply, and the wait.
    std::optional<std::pair<bool, QString>> m_fin;
    QString m_derniereReponse;
    QEventLoop* m_boucle = nullptr;
    bool m_silenceEcoule = false;
    QTimer m_silence;
    // Last, so that it goes first: what it may still tell on its way out finds the rest here.
    Email m_email;
};
