#include "counter/ExportSAP.h"

#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/FnWendrox.h"
#include "common/MajBase.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QIODevice>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStringList>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <cstring>
#include <memory>

namespace ExportSAP {

namespace {

const QString Procedure = QStringLiteral("ExportToSapXML");
const QString Section = QStringLiteral("SAP");

// The request body, read once: Qt cannot rewind it, so a connection closed before the answer ends the
// exchange (ContentReSendError) instead of posting the goods issue a second time.
class CorpsNonRejouable : public QIODevice {
public:
    explicit CorpsNonRejouable(QByteArray octets) : m_octets(std::move(octets)) { open(QIODevice::ReadOnly); }
    bool isSequential() const override { return true; }
    bool reset() override { return false; }
    qint64 bytesAvailable() const override { return m_octets.size() - m_lus + QIODevice::bytesAvailable(); }
    bool atEnd() const override { return bytesAvailable() == 0; }

protected:
    qint64 readData(char* donnees, qint64 max) override {
        const qint64 n = std::min(max, m_octets.size() - m_lus);
        if (n <= 0)
            return m_lus < m_octets.size() ? 0 : -1;
        std::memcpy(donnees, m_octets.constData() + m_lus, static_cast<size_t>(n));
        m_lus += n;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray m_octets;
    qint64 m_lus = 0;
};

// "&", "<" and the characters outside ISO-8859-1 as the receiver reads them back; a surrogate pair is one
// character, a lone surrogate the replacement character.
QString echapper(QStringView texte) {
    QString r;
    r.reserve(texte.size());
    for (qsizetype i = 0; i < texte.size(); ++i) {
        char32_t c = texte[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < texte.size() && texte[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(texte[i], texte[i + 1]);
            ++i;
        } else if (QChar::isSurrogate(c))
            c = 0xFFFD;
        if (c == u'&')
            r += QLatin1String("&amp;");
        else if (c == u'<')
            r += QLatin1String("&lt;");
        else if (c > 0xFF)
            r += QLatin1String("&#") + QString::number(static_cast<quint32>(c)) + QLatin1Char(';');
        else
            r += QChar(static_cast<char16_t>(c));
    }
    return r;
}

// The first `n` characters, a surrogate pair counting as one.
QStringView debut(QStringView texte, int n) {
    qsizetype i = 0;
    for (int k = 0; k < n && i < texte.size(); ++k)
        i += texte[i].isHighSurrogate() && i + 1 < texte.size() && texte[i + 1].isLowSurrogate() ? 2 : 1;
    return texte.left(i);
}

// A material number of digits only is padded as text: a number read through a double loses the digits
// after the 15th.
QString numeroArticle(const QString& MATNR) {
    const QString chiffres = MATNR.trimmed();
    const bool numerique = !chiffres.isEmpty() && std::all_of(chiffres.begin(), chiffres.end(),
                                                              [](QChar c) { return c >= u'0' && c <= u'9'; });
    return numerique ? chiffres.rightJustified(18, u'0') : MATNR;
}

quint16 lirePort(const QString& texte) {
    bool nombre = false;
    const qint64 port = texte.toLongLong(&nombre, 10);
    if (!nombre)
        throw ErreurExecution(ErreurExecution::TypeMismatch,
                              QStringLiteral("Type mismatch ([SAP] Port=%1)").arg(texte), Procedure);
    if (port < 1 || port > 65535)
        throw ErreurExecution(ErreurExecution::Overflow,
                              QStringLiteral("Overflow ([SAP] Port=%1)").arg(texte), Procedure);
    return static_cast<quint16>(port);
}

// "user:password" in ISO-8859-1 as servers read Basic credentials by default; UTF-8 when it cannot be.
QByteArray enteteBasic(const QString& utilisateur, const QString& motDePasse) {
    const QString paire = utilisateur + QLatin1Char(':') + motDePasse;
    const bool latin1 = std::all_of(paire.begin(), paire.end(), [](QChar c) { return c.unicode() <= 0xFF; });
    return QByteArrayLiteral("Basic ") + (latin1 ? paire.toLatin1() : paire.toUtf8()).toBase64();
}

// The adapter's address: the path and query as the settings write them.
QUrl adresse(const ParametresSAP& p) {
    QUrl url;
    url.setScheme(QStringLiteral("http"));
    url.setHost(p.Adresse);
    url.setPort(p.Port);
    const qsizetype q = p.RepSAP.indexOf(QLatin1Char('?'));
    url.setPath(q < 0 ? p.RepSAP : p.RepSAP.left(q), QUrl::TolerantMode);
    if (q >= 0)
        url.setQuery(p.RepSAP.mid(q + 1), QUrl::TolerantMode);
    return url;
}

struct Echange {
    bool reponse = false; // the reply carried an HTTP status
    QString erreur;       // Qt's error text, "" when none
    QByteArray corps;
};

Echange poster(const ParametresSAP& p, const QByteArray& document, int delaiMs) {
    QNetworkRequest requete(adresse(p));
    requete.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("text/xml; charset=ISO-8859-1"));
    requete.setHeader(QNetworkRequest::ContentLengthHeader, document.size());
    // In a header, never in the address: Qt's error texts quote the address.
    requete.setRawHeader(QByteArrayLiteral("Authorization"), enteteBasic(p.User, p.Password));
    requete.setAttribute(QNetworkRequest::DoNotBufferUploadDataAttribute, true);
    requete.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    // A redirection is the adapter's answer: following it would post again, credentials included.
    requete.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    requete.setTransferTimeout(delaiMs);

    CorpsNonRejouable corps(document);
    // A manager of its own: a fresh connection, never one a former exchange left open.
    QNetworkAccessManager reseau;
    std::unique_ptr<QNetworkReply> reponse(reseau.post(requete, &corps));
    Echange e;
    // Read as it comes: an exchange cut at the limit keeps what had arrived.
    QObject::connect(reponse.get(), &QNetworkReply::readyRead, reponse.get(),
                     [&e, r = reponse.get()] { e.corps += r->readAll(); });
    QEventLoop boucle;
    QObject::connect(reponse.get(), &QNetworkReply::finished, &boucle, &QEventLoop::quit);
    // The whole exchange is bounded too, not only its silences.
    QTimer limite;
    limite.setSingleShot(true);
    QObject::connect(&limite, &QTimer::timeout, reponse.get(), &QNetworkReply::abort);
    limite.start(delaiMs);
    if (!reponse->isFinished())
        boucle.exec(QEventLoop::ExcludeUserInputEvents);

    e.reponse = reponse->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid();
    if (reponse->error() == QNetworkReply::ContentReSendError) {
        // Qt rewinds the body to post again: after a connection closed before any answer, or after a
        // redirection status, which is the answer here.
        if (!e.reponse)
            e.erreur = QStringLiteral("Connection closed");
    } else if (reponse->error() != QNetworkReply::NoError) {
        e.erreur = reponse->errorString();
    }
    if (reponse->isOpen())
        e.corps += reponse->readAll();
    return e;
}

// Replaces the file by the lines, each ended by CR LF.
void ecrireJournal(const QString& chemin, const QList<QByteArray>& lignes) {
    QFile f(chemin);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw ErreurExecution(ErreurExecution::PathFileAccess, QStringLiteral("Path/File access error"),
                              Procedure);
    for (const QByteArray& l : lignes)
        if (f.write(l) != l.size() || f.write("\r\n", 2) != 2)
            throw ErreurExecution(ErreurExecution::PathFileAccess, QStringLiteral("Path/File access error"),
                                  Procedure);
    if (!f.flush())
        throw ErreurExecution(ErreurExecution::PathFileAccess, QStringLiteral("Path/File access error"),
                              Procedure);
}

} // namespace

ParametresSAP LireParametresSAP() {
    const QString& ini = Global().CheminIni;
    ParametresSAP p;
    p.User = FnWendrox::LireIniString(ini, Section, QStringLiteral("User"), QStringLiteral("PIQUOREL"));
    p.Password =
        FnWendrox::LireIniString(ini, Section, QStringLiteral("Password"), QStringLiteral("K47MWQ9D"));
    p.RepSAP = FnWendrox::LireIniString(
        ini, Section, QStringLiteral("RepSAP"),
        QStringLiteral("/sap/xi/adapter_plain?service=Q_KVN_FRANCE_QUOREL&namespace=urn:sap-com:document:sap:"
                       "idoc:messages&interface=WMMBXY.WMMBID02&qos=EO"));
    p.Adresse =
        FnWendrox::LireIniString(ini, Section, QStringLiteral("Adresse"), QStringLiteral("localhost"));
    p.Port =
        lirePort(FnWendrox::LireIniString(ini, Section, QStringLiteral("Port"), QStringLiteral("51000")));
    return p;
}

QString DocumentXML(const QString& BKTXT, const QString& MATNR, const QString& KOSTL, qint32 ERFMG,
                    const QDate& jour) {
    const QString date = jour.toString(QStringLiteral("yyyyMMdd"));
    const QStringList lignes = {
        QStringLiteral("<?xml version=\"1.0\" encoding=\"ISO-8859-1\" standalone=\"yes\"?>"),
        QStringLiteral("<WMMBID02>"),
        QStringLiteral("<IDOC BEGIN=\"\">"),
        QStringLiteral("<EDI_DC40 SEGMENT=\"\">"),
        QStringLiteral("<TABNAM />"),
        QStringLiteral("<DIRECT />"),
        QStringLiteral("<IDOCTYP />"),
        QStringLiteral("<MESTYP />"),
        QStringLiteral("<SNDPOR />"),
        QStringLiteral("<SNDPRT />"),
        QStringLiteral("<SNDPRN />"),
        QStringLiteral("<RCVPOR />"),
        QStringLiteral("<RCVPRN />"),
        QStringLiteral("</EDI_DC40>"),
        QStringLiteral("<E1MBXYH SEGMENT=\"\">"),
        QStringLiteral("<BLDAT>") + date + QStringLiteral("</BLDAT>"),
        QStringLiteral("<BUDAT>") + date + QStringLiteral(" </BUDAT>"),
        QStringLiteral("<BKTXT>") + echapper(debut(BKTXT, 25)) + QStringLiteral("</BKTXT>"),
        QStringLiteral("<TCODE>MIGO</TCODE>"),
        QStringLiteral("<E1MBXYI SEGMENT=\"\">"),
        QStringLiteral("<MATNR>") + echapper(numeroArticle(MATNR)) + QStringLiteral("</MATNR>"),
        QStringLiteral("<WERKS>PFVF</WERKS>"),
        QStringLiteral("<LGORT>MMG</LGORT>"),
        QStringLiteral("<BWART>201</BWART>"),
        QStringLiteral("<ERFMG>") + QString::number(ERFMG) + QStringLiteral("</ERFMG>"),
        QStringLiteral("<ERFME>PCE</ERFME>"),
        QStringLiteral("<KOSTL>") + echapper(KOSTL) + QStringLiteral("</KOSTL>"),
        QStringLiteral("</E1MBXYI>"),
        QStringLiteral("</E1MBXYH>"),
        QStringLiteral("</IDOC>"),
        QStringLiteral("</WMMBID02>"),
    };
    return lignes.join(QStringLiteral("\r\n"));
}

void ExportToSapXML(bool& ExportSAPReussi, const QString& p1, const QString& BKTXT, const QString& MATNR,
                    const QString& KOSTL, qint32 ERFMG, int delaiMs) {
    Q_UNUSED(p1);
    try {
        const QString dossier = FnWendrox::CheminApplication() + QStringLiteral("ExportSAP");
        if (!FnWendrox::DossierAccessibleEnEcriture(dossier) && !QDir().mkdir(dossier))
            throw ErreurExecution(ErreurExecution::PathFileAccess, QStringLiteral("Path/File access error"),
                                  Procedure);
        const QByteArray document =
            DocumentXML(BKTXT, MATNR, KOSTL, ERFMG, FnWendrox::Maintenant().date()).toLatin1();
        const ParametresSAP parametres = LireParametresSAP();

        const Echange e = poster(parametres, document, delaiMs);
        // The flag first: a log that cannot be written must not leave a former outcome standing.
        ExportSAPReussi = e.reponse;
        if (e.reponse)
            ecrireJournal(dossier + QStringLiteral("/Responselog.txt"), {e.erreur.toUtf8(), e.corps});
        else
            ecrireJournal(dossier + QStringLiteral("/errorlog.txt"), {e.erreur.toUtf8()});
    } catch (const ErreurExecution& e) {
        MajBase::SignalerErreur(Procedure, e);
    } catch (const std::exception& e) {
        MajBase::SignalerErreur(Procedure, e);
    }
}

} // namespace ExportSAP
