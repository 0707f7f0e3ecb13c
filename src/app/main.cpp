#include "app/forms/Main.h"
#include "app/ReglagesProcessus.h"
#include "common/EtatGlobal.h"
#include "common/forms/ImprimanteCourante.h"
#include "common/forms/ServiceDialogueWidgets.h"
#include "common/forms/ServiceSessionWidgets.h"
#include "staff/ACR120U.h"
#include "staff/PiloteACR120PCSC.h"

#include <QApplication>
#include <QTimer>

// Creates the application, installs the services and starts the program.
int main(int argc, char** argv) {
    // Before any thread is started and any date converted.
    ReglagesProcessus::appliquer();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Dorvane"));

    ServiceDialogueWidgets dialogues;
    installerServiceDialogue(&dialogues);
    ServiceSessionWidgets session;
    installerServiceSession(&session);
    installerCollectionImprimantes();
    PiloteACR120PCSC piloteLecteurTag;
    ACR120U::installerPilote(&piloteLecteurTag);
    LecteurTagACR120 lecteurTag;
    installerLecteurTag(&lecteurTag);

    // The run ends when the main window unloads (or the start gives up), never because the last
    // visible window closed: during the start only hidden or modal windows may be left.
    QApplication::setQuitOnLastWindowClosed(false);
    Main();

    // An end asked for before the loop starts is not lost.
    int code = Global().CodeSortie;
    if (!Global().FinDemandee) {
        QTimer::singleShot(0, [] { definirBouclePrincipaleActive(true); });
        code = app.exec();
        definirBouclePrincipaleActive(false);
    }
    installerLecteurTag(nullptr);
    ACR120U::installerPilote(nullptr);
    installerServiceSession(nullptr);
    installerServiceDialogue(nullptr);
    return code;
}
