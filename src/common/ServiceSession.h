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

// Hands a file the program has just written (an export) to the desktop's opener; when nothing opens
// it, a message names the file's full path, so that the user still finds it.
void OuvrirFichierEcrit(const QString& chemin);

void installerServiceSession(ServiceSession* service);
ServiceSession* serviceSessionInstalle();
// The installed service; aborts with a clear message when there is none.
ServiceSession& Session();

// Shared by every implementation: records the end in the state and, while the program's main loop runs,
// asks it to exit. Before that loop (and in tests) only the state is marked: main then returns the code
// without entering the loop. (An exit asked for with no loop running would make every later local loop,
// modal dialogs included, return at once.)
void marquerFin(int code);
// main says when its event loop runs.
void definirBouclePrincipaleActive(bool active);

// The parts that need no window: terminer through marquerFin, the desktop's opener, a detached process.
// The widget implementation adds montrerModal.
class ServiceSessionCommun : public ServiceSession {
public:
    void terminer(int code) override;
    bool ouvrirDocument(const QString& chemin) override;
    bool demarrerProgramme(const QString& chemin, const QStringList& arguments = {}) override;
};
