#include "counter/ExportSAP.h"
#include "bench/ServeurLocal.h"
#include "common/ErreurExecution.h"
#include "common/FnWendrox.h"
#include "support/DossierProgrammeTemp.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <gtest/gtest.h>

using ExportSAP::ExportToSapXML;

namespace {

const QString RepSAPParDefaut = QStringLiteral(
    "/sap/xi/adapter_plain?service=Q_KVN_FRANCE_QUOREL&namespace=urn:sap-com:document:sap:idoc:"
    "messages&interface=WMMBXY.WMMBID02&qos=EO");

// The adapter's stand-in (serveur_http.py beside this file) on a free port of 127.0.0.1.
class ServeurHttp {
public:
    explicit ServeurHttp(const QStringList& arguments)
        : m_serveur(DORVANE_RESOURCES_DIR "/../tests/counter/serveur_http.py", arguments) {}
    quint16 port() const { return m_serveur.port(); }
    // The requests it read, waiting up to `ms` for `n` of them, then a moment for any more.
    QList<QJsonObject> requetes(qsizetype n = 1, int ms = 5000) {
        QProcess& p = m_serveur.processus();
        QElapsedTimer chrono;
        chrono.start();
        for (bool encore = true; encore; p.waitForReadyRead(m_lues.size() < n ? 50 : 200)) {
            encore = m_lues.size() < n && chrono.elapsed() < ms;
            while (p.canReadLine())
                m_lues.append(QJsonDocument::fromJson(p.readLine()).object());
        }
        return m_lues;
    }

private:
    ServeurLocal m_serveur;
    QList<QJsonObject> m_lues;
};

QByteArray corps(const QJsonObject& requete) {
    return QByteArray::fromBase64(requete.value("corps").toString().toLatin1());
}

QString entete(const QJsonObject& requete, const QString& nom) {
    for (const QJsonValue& e : requete.value("entetes").toArray())
        if (e.toArray().at(0).toString().compare(nom, Qt::CaseInsensitive) == 0)
            return e.toArray().at(1).toString();
    return QString();
}

} // namespace

class ExportSAPTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dossier.valide());
        FnWendrox::definirHorloge([] { return QDateTime(QDate(2025, 3, 7), QTime(16, 45, 0)); });
    }
    void TearDown() override { FnWendrox::definirHorloge({}); }

    // "automat.ini" holding only these keys of section "SAP".
    void sap(const QByteArray& cles) const {
        m_dossier.ecrireFichier(QStringLiteral("automat.ini"), "[SAP]\r\n" + cles);
    }
    void sapLocal(quint16 port, const QByteArray& autres = "User=u1\r\nPassword=p1\r\n") const {
        sap("Adresse=127.0.0.1\r\nPort=" + QByteArray::number(port) + "\r\n" + autres);
    }
    QString log(const char* nom) const { return m_dossier.fichier("ExportSAP/" + QLatin1String(nom)); }
    QByteArray contenu(const char* nom) const {
        QFile f(log(nom));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<absent>");
    }

    DossierProgrammeTemp m_dossier;
};

TEST_F(ExportSAPTest, DocumentValuesAreCutPaddedAndEscaped) {
    auto ligne = [](const QString& bktxt, const QString& matnr, const QString& kostl, qint32 erfmg, int n) {
        const QString doc = ExportSAP::DocumentXML(bktxt, matnr, kostl, erfmg, QDate(2025, 3, 7));
        EXPECT_EQ(QString::fromLatin1(doc.toLatin1()), doc);
        return doc.split(QStringLiteral("\r\n")).value(n - 1);
    };
    // Digits only are padded as text, however many; anything else goes as given.
    EXPECT_EQ(ligne({}, " 4711 ", {}, 0, 21), "<MATNR>000000000000004711</MATNR>");
    EXPECT_EQ(ligne({}, "12345678901234567", {}, 0, 21), "<MATNR>012345678901234567</MATNR>");
    EXPECT_EQ(ligne({}, "1234567890123456789012345", {}, 0, 21), "<MATNR>1234567890123456789012345</MATNR>");
    for (const char* brut : {"4.5", "-12", " A-12", "1e3", ""})
        EXPECT_EQ(ligne({}, brut, {}, 0, 21), QStringLiteral("<MATNR>%1</MATNR>").arg(brut));
    EXPECT_EQ(ligne({}, {}, {}, -5, 25), "<ERFMG>-5</ERFMG>");
    EXPECT_EQ(ligne(QString(), QString(), QString(), 0, 27), "<KOSTL></KOSTL>");
    // Cut to 25 characters (one outside the basic plane is one), then escaped into ISO-8859-1.
    EXPECT_EQ(ligne("A&B<C é", "M<1&", "K&<€", 0, 18), "<BKTXT>A&amp;B&lt;C é</BKTXT>");
    EXPECT_EQ(ligne("A&B<C é", "M<1&", "K&<€", 0, 21), "<MATNR>M&lt;1&amp;</MATNR>");
    EXPECT_EQ(ligne("A&B<C é", "M<1&", "K&<€", 0, 27), "<KOSTL>K&amp;&lt;&#8364;</KOSTL>");
    const QString emoji = QString::fromUcs4(U"\U0001F9E4");
    EXPECT_EQ(ligne(QString(24, u'é') + emoji + u'x', {}, {}, 0, 18),
              "<BKTXT>" + QString(24, u'é') + "&#129508;</BKTXT>");
    EXPECT_EQ(ligne(QString(300, u'€'), {}, {}, 0, 18),
              "<BKTXT>" + QString(25, u'€').replace(u'€', "&#8364;") + "</BKTXT>");
    EXPECT_EQ(ligne({}, {}, QString(QChar(0xD800)) + u'a', 0, 27), "<KOSTL>&#65533;a</KOSTL>");
}

TEST_F(ExportSAPTest, SettingsWithoutTheSectionAreTheDefaults) {
    m_dossier.ecrireFichier(QStringLiteral("automat.ini"), "[Machine]\r\nLangue=FR\r\n");
    const ExportSAP::ParametresSAP p = ExportSAP::LireParametresSAP();
    EXPECT_EQ(QStringList({p.User, p.Password, p.RepSAP, p.Adresse}),
              QStringList({"PIQUOREL", "K47MWQ9D", RepSAPParDefaut, "localhost"}));
    EXPECT_EQ(p.Port, 51000);
    sap("Port= 65535 \r\n");
    EXPECT_EQ(ExportSAP::LireParametresSAP().Port, 65535);
}

// Any status is an answer: the flag true, the response log the error text and the body.
TEST_F(ExportSAPTest, AnswerOfAnyStatusSetsTheFlagAndReplacesTheResponseLog) {
    {
        ServeurHttp serveur({"reponse", "200", "Reçu"});
        ASSERT_NE(serveur.port(), 0);
        sapLocal(serveur.port());
        bool reussi = false;
        ExportToSapXML(reussi, "inutile", "A&B<C é, sortie gants taille 9 atelier 3", "815", "CC7", 7);
        EXPECT_TRUE(reussi);
        const QList<QJsonObject> r = serveur.requetes();
        ASSERT_EQ(r.size(), 1);
        EXPECT_EQ(r[0].value("ligne").toString(), "POST " + RepSAPParDefaut + " HTTP/1.1");
        EXPECT_EQ(entete(r[0], "Authorization"), "Basic " + QByteArray("u1:p1").toBase64());
        EXPECT_EQ(entete(r[0], "Content-Type"), "text/xml; charset=ISO-8859-1");
        const QByteArray document = R"(<?xml version="1.0" encoding="ISO-8859-1" standalone="yes"?>
<WMMBID02>
<IDOC BEGIN="">
<EDI_DC40 SEGMENT="">
<TABNAM />
<DIRECT />
<IDOCTYP />
<MESTYP />
<SNDPOR />
<SNDPRT />
<SNDPRN />
<RCVPOR />
<RCVPRN />
</EDI_DC40>
<E1MBXYH SEGMENT="">
<BLDAT>20250307</BLDAT>
<BUDAT>20250307 </BUDAT>
<BKTXT>A&amp;B&lt;C )"
                                    "\xE9"
                                    R"(, sortie gants tai</BKTXT>
<TCODE>MIGO</TCODE>
<E1MBXYI SEGMENT="">
<MATNR>000000000000000815</MATNR>
<WERKS>PFVF</WERKS>
<LGORT>MMG</LGORT>
<BWART>201</BWART>
<ERFMG>7</ERFMG>
<ERFME>PCE</ERFME>
<KOSTL>CC7</KOSTL>
</E1MBXYI>
</E1MBXYH>
</IDOC>
</WMMBID02>)";
        EXPECT_EQ(corps(r[0]), QByteArray(document).replace("\n", "\r\n"));
        EXPECT_EQ(entete(r[0], "Content-Length"), QString::number(corps(r[0]).size()));
        // The receiver's parser reads it.
        EXPECT_EQ(r[0].value("xml").toObject().value("BKTXT").toString(), "A&B<C é, sortie gants tai")
            << r[0].value("erreur_xml").toString().toStdString();
        EXPECT_EQ(contenu("Responselog.txt"), "\r\nRe\xC3\xA7u\r\n");
        EXPECT_EQ(contenu("errorlog.txt"), "<absent>");

        // Empty and Null arguments make a document all the same.
        ExportToSapXML(reussi, QString(), QString(), "", QString(), 0);
        ASSERT_EQ(serveur.requetes(2).size(), 2);
        EXPECT_TRUE(corps(serveur.requetes(2)[1]).contains("<BKTXT></BKTXT>\r\n"));
        EXPECT_TRUE(serveur.requetes(2)[1].contains("xml"));
    }
    const QList<QPair<QStringList, QByteArray>> cas = {
        {{"reponse", "503", "indisponible"}, "server replied: Service Unavailable\r\nindisponible\r\n"},
        {{"reponse", "401", "refus", "WWW-Authenticate: Basic realm=\"SAP\""},
         "Host requires authentication\r\nrefus\r\n"},
        {{"reponse", "307", "ailleurs", "Location: /ailleurs"}, "\r\nailleurs\r\n"},
    };
    for (const auto& [arguments, fin] : cas) {
        SCOPED_TRACE(arguments.join(u' ').toStdString());
        ServeurHttp serveur(arguments);
        sapLocal(serveur.port(), "RepSAP=/x?a=1\r\nPassword=secret\r\n");
        bool reussi = false;
        ExportToSapXML(reussi, {}, "b", "1", "k", 1);
        EXPECT_TRUE(reussi);
        // Posted once: never again after the refusal, nor to the redirection.
        const QList<QJsonObject> r = serveur.requetes(2, 300);
        ASSERT_EQ(r.size(), 1);
        EXPECT_EQ(r[0].value("ligne").toString(), "POST /x?a=1 HTTP/1.1");
        EXPECT_EQ(entete(r[0], "Authorization"), "Basic " + QByteArray("PIQUOREL:secret").toBase64());
        const QByteArray log = contenu("Responselog.txt");
        EXPECT_TRUE(log.endsWith(fin) && log.count("\r\n") == 2) << log.constData();
        EXPECT_TRUE(fin.startsWith("server") || log == fin) << log.constData();
        EXPECT_FALSE(log.contains("secret"));
    }
    EXPECT_TRUE(m_dossier.lignesJournal().isEmpty()) << qPrintable(m_dossier.lignesJournal().join(u'\n'));
}

// No answer: the flag false, the error log the error text, no response log; never a wait past the limit.
TEST_F(ExportSAPTest, NoAnswerSetsTheFlagFalseAndReplacesTheErrorLog) {
    const QList<QPair<QStringList, QByteArray>> cas = {
        {{"fermer"}, "Connection closed\r\n"},
        {{"silence"}, "Operation canceled\r\n"},
        {{}, "Host adaptateur-sap.invalid not found\r\n"}, // no server: a host no resolver knows
        {{"goutte"}, "Operation canceled\r\nx"},           // its status came in time: an answer cut short
    };
    for (const auto& [arguments, log] : cas) {
        SCOPED_TRACE(arguments.join(u' ').toStdString());
        std::unique_ptr<ServeurHttp> serveur;
        if (arguments.isEmpty()) {
            sap("Adresse=adaptateur-sap.invalid\r\nPort=8080\r\n");
        } else {
            serveur = std::make_unique<ServeurHttp>(arguments);
            sapLocal(serveur->port());
        }
        QDir(m_dossier.fichier("ExportSAP")).removeRecursively();
        const bool reponse = arguments.value(0) == "goutte";
        bool reussi = !reponse;
        QElapsedTimer chrono;
        chrono.start();
        ExportToSapXML(reussi, {}, "b", "1", "k", 1, 1500);
        if (arguments.isEmpty() && chrono.elapsed() >= 1500)
            GTEST_SKIP() << "the resolver does not answer";
        EXPECT_LT(chrono.elapsed(), 2500);
        EXPECT_EQ(reussi, reponse);
        EXPECT_TRUE(contenu(reponse ? "Responselog.txt" : "errorlog.txt").startsWith(log));
        EXPECT_EQ(contenu(reponse ? "errorlog.txt" : "Responselog.txt"), "<absent>");
        if (serveur) {
            EXPECT_EQ(serveur->requetes(2, 300).size(), 1);
        }
    }
    // The flag is set before the log is written: a log that cannot be written leaves no former success.
    QDir().mkpath(log("errorlog.txt"));
    bool reussi = true;
    ExportToSapXML(reussi, {}, {}, {}, {}, 1, 1500);
    EXPECT_FALSE(reussi);
    EXPECT_EQ(m_dossier.lignesJournal(), QStringList{"ExportToSapXML|N°: 75 Path/File access error"});
}

// A failure before the post is logged, posts nothing and leaves the flag as it was.
TEST_F(ExportSAPTest, FailureBeforeThePostLeavesTheFlagAndPostsNothing) {
    ServeurHttp serveur({"reponse", "200", "ok"});
    for (const char* port : {"abc", "1.5", "", "70000", "0"}) {
        sap("Adresse=127.0.0.1\r\nPassword=secret\r\nPort=" + QByteArray(port) + "\r\n");
        for (bool avant : {true, false}) {
            bool reussi = avant;
            ExportToSapXML(reussi, {}, "b", "1", "k", 1);
            EXPECT_EQ(reussi, avant);
        }
    }
    QStringList attendu;
    for (const char* erreur :
         {"13 Type mismatch ([SAP] Port=abc)", "13 Type mismatch ([SAP] Port=1.5)",
          "13 Type mismatch ([SAP] Port=)", "6 Overflow ([SAP] Port=70000)", "6 Overflow ([SAP] Port=0)"})
        attendu << "ExportToSapXML|N°: " + QString::fromUtf8(erreur)
                << "ExportToSapXML|N°: " + QString::fromUtf8(erreur);
    EXPECT_EQ(m_dossier.lignesJournal(), attendu);

    // "ExportSAP" a regular file: the folder cannot be made.
    QDir(m_dossier.fichier("ExportSAP")).removeRecursively();
    m_dossier.ecrireFichier("ExportSAP", "fichier");
    sapLocal(serveur.port());
    bool reussi = true;
    ExportToSapXML(reussi, {}, "b", "1", "k", 1);
    EXPECT_TRUE(reussi);
    EXPECT_EQ(m_dossier.lignesJournal().value(10), "ExportToSapXML|N°: 75 Path/File access error");
    EXPECT_TRUE(serveur.requetes(1, 300).isEmpty());
}
