// The SAP goods-issue export against the tests' local HTTP server: ExportToSapXML beside a bare
// QNetworkAccessManager POST of the same body with the same headers to the same server, same run.
#include "OutilsBench.h"
#include "ServeurLocal.h"
#include "common/EtatGlobal.h"
#include "common/FnWendrox.h"
#include "counter/ExportSAP.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

const char* const Usage =
    "Usage: bench_export_sap [--help]\n"
    "\n"
    "Starts the tests' HTTP server (tests/counter/serveur_http.py, /usr/bin/python3, 127.0.0.1) answering\n"
    "200 to every POST, and times one goods issue posted:\n"
    "  - ExportSAP::ExportToSapXML (the folder test, the document, the settings, the post on a manager of\n"
    "    its own, the response log);\n"
    "  - a bare POST of the same bytes with the same Content-Type and Authorization headers on a new\n"
    "    QNetworkAccessManager, waited for in a local event loop and read;\n"
    "  - for information, the same bare POST on one manager kept for the whole run.\n"
    "They run alternately, one warm-up then 101 timed runs each; medians and worst times shown, with the\n"
    "ratio of the export to the bare POST. Target: a ratio under 1.3.\n";

constexpr int Fois = 101;

void posterNu(QNetworkAccessManager& reseau, const QUrl& url, const QByteArray& document) {
    QNetworkRequest requete(url);
    requete.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("text/xml; charset=ISO-8859-1"));
    requete.setRawHeader(QByteArrayLiteral("Authorization"), "Basic " + QByteArray("u1:p1").toBase64());
    std::unique_ptr<QNetworkReply> reponse(reseau.post(requete, document));
    QEventLoop boucle;
    QObject::connect(reponse.get(), &QNetworkReply::finished, &boucle, &QEventLoop::quit);
    if (!reponse->isFinished())
        boucle.exec(QEventLoop::ExcludeUserInputEvents);
    if (reponse->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() != 200 ||
        reponse->readAll() != "ok")
        throw ErreurExecution(0, QStringLiteral("bare POST: ") + reponse->errorString());
}

} // namespace

int main(int argc, char** argv) {
    if (aideDemandee(argc, argv, Usage))
        return 0;
    QCoreApplication app(argc, argv);
    ServeurLocal serveur(QStringLiteral(DORVANE_SCRIPT_SERVEUR_HTTP),
                         {QStringLiteral("reponse"), QStringLiteral("200"), QStringLiteral("ok")});
    try {
        if (serveur.port() == 0)
            throw ErreurExecution(0, QStringLiteral("the HTTP server did not start"));
        const QByteArray port = QByteArray::number(serveur.port());

        QTemporaryDir dossier;
        qputenv("DORVANE_HOME", QFile::encodeName(dossier.path()));
        Global().CheminIni = dossier.filePath(QStringLiteral("automat.ini"));
        QFile ini(Global().CheminIni);
        if (!ini.open(QIODevice::WriteOnly) ||
            ini.write("[SAP]\r\nAdresse=127.0.0.1\r\nPort=" + port + "\r\nUser=u1\r\nPassword=p1\r\n") < 0)
            throw ErreurExecution(0, QStringLiteral("cannot write the settings"));
        ini.close();

        const ExportSAP::ParametresSAP p = ExportSAP::LireParametresSAP();
        const QUrl url(QStringLiteral("http://127.0.0.1:") + QString::fromLatin1(port) + p.RepSAP);
        const QString bktxt = QStringLiteral("Sortie gants atelier 3");
        const QByteArray document =
            ExportSAP::DocumentXML(bktxt, QStringLiteral("815"), QStringLiteral("CC7"), 7,
                                   FnWendrox::Maintenant().date())
                .toLatin1();
        const QString log = dossier.filePath(QStringLiteral("ExportSAP/Responselog.txt"));

        QNetworkAccessManager garde;
        std::vector<double> export_, nu, nuGarde;
        for (int i = 0; i <= Fois; ++i) {
            QFile::remove(log);
            QElapsedTimer chrono;
            chrono.start();
            bool reussi = false;
            ExportSAP::ExportToSapXML(reussi, {}, bktxt, QStringLiteral("815"), QStringLiteral("CC7"), 7);
            const double a = chrono.nsecsElapsed() / 1e6;
            if (!reussi || !QFile::exists(log))
                throw ErreurExecution(0, QStringLiteral("the export got no answer"));
            chrono.restart();
            {
                QNetworkAccessManager reseau;
                posterNu(reseau, url, document);
            }
            const double b = chrono.nsecsElapsed() / 1e6;
            chrono.restart();
            posterNu(garde, url, document);
            const double c = chrono.nsecsElapsed() / 1e6;
            serveur.processus().readAllStandardOutput(); // the server's records of the requests
            if (i > 0) {
                export_.push_back(a);
                nu.push_back(b);
                nuGarde.push_back(c);
            }
        }
        const double me = mediane(export_), mn = mediane(nu);
        std::printf("ExportToSapXML %7.2f ms (worst %7.2f) | bare POST %7.2f ms (worst %7.2f) | ratio %.2f | "
                    "bare POST, kept manager %7.2f ms (worst %7.2f) | body %lld bytes\n",
                    me, *std::max_element(export_.begin(), export_.end()), mn,
                    *std::max_element(nu.begin(), nu.end()), mn > 0 ? me / mn : 0.0, mediane(nuGarde),
                    *std::max_element(nuGarde.begin(), nuGarde.end()),
                    static_cast<long long>(document.size()));
    } catch (const ErreurExecution& e) {
        std::fprintf(stderr, "Échec : %s\n", qPrintable(e.description()));
        return 1;
    }
    return 0;
}
