#include "common/ServiceSession.h"

#include "common/EtatGlobal.h"
#include "common/MODTranslate.h"
#include "common/ServiceDialogue.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace {
ServiceSession* g_session = nullptr;
bool g_boucleActive = false;
} // namespace

void definirBouclePrincipaleActive(bool active) {
    g_boucleActive = active;
}

void installerServiceSession(ServiceSession* service) {
    g_session = service;
}

ServiceSession* serviceSessionInstalle() {
    return g_session;
}

ServiceSession& Session() {
    if (!g_session)
        qFatal("Dorvane: the session service was asked to end the run, open a document, start a program or "
               "show a form, but none is installed (main installs the widget one; tests install "
               "ServiceSessionScripte).");
    return *g_session;
}

void marquerFin(int code) {
    Global().FinDemandee = true;
    Global().CodeSortie = code;
    if (g_boucleActive && QCoreApplication::instance())
        QCoreApplication::exit(code);
}

void ServiceSessionCommun::terminer(int code) {
    marquerFin(code);
}

bool ServiceSessionCommun::ouvrirDocument(const QString& chemin) {
    if (chemin.isEmpty())
        return false;
    const QUrl url = QFileInfo::exists(chemin) ? QUrl::fromLocalFile(QFileInfo(chemin).absoluteFilePath())
                                               : QUrl::fromUserInput(chemin);
    return QDesktopServices::openUrl(url);
}

bool ServiceSessionCommun::demarrerProgramme(const QString& chemin, const QStringList& arguments) {
    if (chemin.isEmpty())
        return false;
    return QProcess::startDetached(chemin, arguments);
}

void OuvrirFichierEcrit(const QString& chemin) {
    if (Session().ouvrirDocument(chemin))
        return;
    // The exports share the report viewer's messages.
    MsgBox(
        MODTranslate::TexteLangue(QStringLiteral("FenCrystalRep"), QStringLiteral("MsgFichierNonOuvert"),
                                  QStringLiteral("Le fichier a été enregistré, mais aucun programme n'a pu "
                                                 "l'ouvrir :")) +
            u'\n' + QDir::toNativeSeparators(QFileInfo(chemin).absoluteFilePath()),
        StyleMessage::OK | StyleMessage::Information);
}
