#include <QCoreApplication>
#include <QTextStream>

// dorvane-setup <program folder>: lays out a program folder.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    return 0;
}
