#include "support/EcransDeTest.h"

#include <QApplication>
#include <QTemporaryFile>
#include <gtest/gtest.h>

// Form tests run under a widget application on the offscreen platform unless a display is chosen. The
// offscreen platform gets the screens of EcransDeTest.h: a desktop screen first (the primary one, where
// every form opens at its own size), then the small and the scaled ones the screen tests place forms on;
// with DORVANE_ECRAN_TEST=1024x768, the small one first, where the largest forms scroll.
int main(int argc, char** argv) {
    QTemporaryFile configuration;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        QByteArray plateforme("offscreen");
        if (configuration.open() && configuration.write(configurationEcransDeTest()) > 0 &&
            configuration.flush())
            plateforme += ":configfile=" + configuration.fileName().toLocal8Bit();
        qputenv("QT_QPA_PLATFORM", plateforme);
    }
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
