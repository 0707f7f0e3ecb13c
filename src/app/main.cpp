#include <QApplication>
#include <QMainWindow>

// Creates the application, installs the services and starts the program.
int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow fenetre;
    fenetre.setWindowTitle(QStringLiteral("Dorvane"));
    fenetre.resize(1024, 700);
    fenetre.show();
    return app.exec();
}
