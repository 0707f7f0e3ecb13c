#include "mail/EnvoiEmail.h"

#include "common/EchecEcriture.h"
#include "common/EtatGlobal.h"
#include "common/FnWendrox.h"
#include "common/MajBase.h"
#include "common/PageDeCode.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QScopeGuard>

namespace {

const QString Procedure = QStringLiteral("EnvoyerEmail");
const QString SectionEmail = QStringLiteral("Email");
const QString NomJournal = QStringLiteral("Emaillog.txt");

QString lireEmail(const QString& cle, const QString& defaut) {
    return FnWendrox::LireIniString(Global().CheminIni, SectionEmail, cle, defaut);
}

ResultatEnvoi nonEnvoye(const QString& description) {
    return {ErreurExecution(ErreurExecution::EnvoiEmailEchec, description, Procedure)};
}

} // namespace

EnvoiEmail::EnvoiEmail(QObject* parent) : QObject(parent) {
    m_silence.setSingleShot(true);
    m_silence.setTimerType(Qt::PreciseTimer);
    connect(&m_email, &Email::EtatEnvoi, this, &EnvoiEmail::Email1_EtatEnvoi);
    connect(&m_email, &Email::EnvoiTermine, this, &EnvoiEmail::Email1_EnvoiTermine);
    // Every byte written shows the server is still there.
    connect(&m_email, &Email::ProgressionEnvoi, this, [this] {
        if (m_silence.isActive())
            m_silence.start();
    });
    connect(&m_silence, &QTimer::timeout, this, [this] {
        m_silenceEcoule = true;
        if (m_boucle)
            m_boucle->quit();
    });
}

quint16 EnvoiEmail::PortSmtp(const QString& texte) {
    if (texte.isEmpty())
        return 25;
    bool chiffres = texte.size() <= 5;
    for (const QChar c : texte)
        chiffres = chiffres && c >= u'0' && c <= u'9';
    const int port = chiffres ? texte.toInt() : 0;
    if (port < 1 || port > 65535)
        throw ErreurExecution(
            ErreurExecution::InvalidProcedureCall,
            QStringLiteral("Port SMTP invalide : « %1 » (un nombre entier de 1 à 65535)").arg(texte),
            Procedure);
    return static_cast<quint16>(port);
}

ResultatEnvoi EnvoiEmail::EnvoyerEmail(const QString& sujet, const QString& corps,
                                       const QString& pieceJointe) {
    // The wait handles events: a second call would close the first one's connection and lose its mail.
    if (m_enCours) {
        const ErreurExecution e(ErreurExecution::InvalidProcedureCall,
                                QStringLiteral("Un e-mail est déjà en cours d'envoi : attendez qu'il se "
                                               "termine"),
                                Procedure);
        MajBase::SignalerErreur(Procedure, e);
        return {e};
    }
    m_enCours = true;
    const auto finEnvoi = qScopeGuard([this] { m_enCours = false; });
    try {
        EtatGlobal& g = Global();
        const QString ServeurSmtp = lireEmail(QStringLiteral("SMTP"), QStringLiteral("localhost"));
        const quint16 port = PortSmtp(lireEmail(QStringLiteral("Port"), QStringLiteral("25")));
        QString AdresseDestinataire = g.AdresseEmail;
        if (AdresseDestinataire.isEmpty())
            AdresseDestinataire = lireEmail(QStringLiteral("Mailto0"), QString());
        const QString AdresseExpediteur =
            lireEmail(QStringLiteral("MailFrom"), QStringLiteral("dorvane@localhost"));
        g.UtilisateurSmtp = lireEmail(QStringLiteral("User"), QString());
        g.MotDePasseSmtp = lireEmail(QStringLiteral("Pass"), QString());
        // Set at every send: a login once given must not outlive an emptied "User".
        g.AuthentificationSmtp = !g.UtilisateurSmtp.isEmpty();

        m_email.setSeveurSmtp(ServeurSmtp);
        // Whatever an earlier send that failed left in the list, it then holds this file alone.
        m_email.PieceJointeAjout(pieceJointe);
        m_email.PieceJointeSuppr(pieceJointe);
        m_email.PieceJointeAjout(pieceJointe);

        m_fin.reset();
        m_derniereReponse.clear();
        m_email.Envoie(AdresseExpediteur, AdresseDestinataire, sujet, corps, port, QString());
        const ResultatEnvoi resultat = attendre();

        m_email.FermerWinsock();
        m_email.PieceJointeSuppr(pieceJointe);
        ecrireJournal();
        return resultat;
    } catch (const ErreurExecution& e) {
        MajBase::SignalerErreur(Procedure, e);
        return {e};
    } catch (const std::exception& e) {
        const ErreurExecution erreur(0, QString::fromUtf8(e.what()), Procedure);
        MajBase::SignalerErreur(Procedure, erreur);
        return {erreur};
    }
}

ResultatEnvoi EnvoiEmail::attendre() {
    m_silenceEcoule = false;
    // The control may have ended the dialogue already (a socket error at once).
    if (!m_fin) {
        QEventLoop boucle;
        m_boucle = &boucle;
        m_silence.start(m_delai);
        boucle.exec();
        m_boucle = nullptr;
        m_silence.stop();
    }
    if (m_fin)
        return m_fin->first ? ResultatEnvoi{}
                            : nonEnvoye(m_fin->second.left(Email::LongueurJournal).trimmed());

    const QString derniere = m_derniereReponse.trimmed();
    QString description = m_silenceEcoule ? QStringLiteral("Pas de réponse du serveur SMTP depuis %1 s")
                                                .arg(QString::number(m_delai / 1000.0))
                                          : QStringLiteral("Envoi interrompu : le programme se termine");
    if (!derniere.isEmpty())
        description += QStringLiteral(" (dernière réponse : %1)").arg(derniere);
    return nonEnvoye(description);
}

void EnvoiEmail::Email1_EtatEnvoi(const QString& message, const QString& reponse) {
    // A reply may have thousands of characters: the log and the error keep its start.
    m_journal += message.left(Email::LongueurJournal) + u' ' + reponse.left(Email::LongueurJournal) +
                 QStringLiteral("\r\n");
    m_derniereReponse = reponse.left(Email::LongueurJournal);
    if (m_silence.isActive())
        m_silence.start();
}

void EnvoiEmail::Email1_EnvoiTermine(bool envoye, const QString& detail) {
    if (!m_enCours)
        return;
    m_fin.emplace(envoye, detail);
    if (m_boucle)
        m_boucle->quit();
}

void EnvoiEmail::ecrireJournal() const {
    const QString chemin = FnWendrox::CheminDansDossier(FnWendrox::CheminApplication(), NomJournal);
    // A plain write: a status log is not worth waiting for the disk, as a file saved in place would.
    QFile fichier(chemin);
    const QByteArray octets = PageDeCode::versOctets(m_journal + QStringLiteral("\r\n"));
    if (fichier.open(QIODevice::WriteOnly | QIODevice::Truncate) && fichier.write(octets) == octets.size() &&
        fichier.flush())
        return;
    MajBase::SignalerErreur(Procedure, ErreurExecution(ErreurExecution::PathFileAccess,
                                                       EchecEcriture::message(fichier), Procedure));
}
