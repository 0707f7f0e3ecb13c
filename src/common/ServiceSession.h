#pragma once

#include <QString>
#include <QStringList>

class QObject;

// What the program asks of the desktop session: ending the run, opening a document, starting another
// program, showing one of our forms modal. main installs the real one; tests a scripted one.
class ServiceSession {
public:
    virtual ~ServiceSession() = default;
    // The program ends: sets Global().FinDemandee and CodeSortie, asks the event loop to exit and
    // returns; the caller returns at once.
    virtual void terminer(int code) = 0;
    // Opens a file with the desktop's viewer or editor; false when nothing could open it.
    virtual bool ouvrirDocument(const QString& chemin) = 0;
    // Starts a separate process; true when it started.
    virtual bool demarrerProgramme(const QString& chemin, const QStringList& arguments = {}) = 0;
    // Shows one of our forms (a QWidget) modal and returns when it is closed or hidden.
    virtual void montrerModal(QObject* form) = 0;
};

void installerServiceSession(ServiceSession* service);
ServiceSession* serviceSessionInstalle();
// The installed service; aborts with a clear message when there is none.
ServiceSession& Session();

// Shared by every implementation: records the end in the state and asks the event loop to exit.
void marquerFin(int code);
