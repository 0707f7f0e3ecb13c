#include "app/forms/Main.h"
#include "app/ReglagesProcessus.h"
#include "app/forms/ServicesProgramme.h"
#include "common/EtatGlobal.h"

#include <QApplication>
#include <QTimer>

// Creates the application, installs the services and starts the program.
int main(int argc, char** argv) {
    // Before any thread is started and any date converted.
    ReglagesProcessus::appliquer();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Dorvane"));

    const ServicesProgramme services;

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
    return code;
}
