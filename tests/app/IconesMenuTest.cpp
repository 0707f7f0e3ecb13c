#include <QDir>
#include <QImage>
#include <QImageReader>
#include <gtest/gtest.h>

// The menu pictures shipped in resources/icon/: every file the main window's buttons look for is there,
// in the format its name says, and Qt reads it at the size of a button picture.
TEST(IconesMenu, ChaqueImageDuMenuEstLisible) {
    const QDir icones(QStringLiteral(DORVANE_RESOURCES_DIR "/icon"));
    for (const char* nom : {"fonts.gif", "book01.gif", "wrench.ico", "note14.ico", "crdfle04.ico",
                            "secur06.ico", "door02.gif", "orgchrt2.gif", "misc08.ico", "folder05.ico",
                            "graph01.gif", "desktop.gif", "6pt3a.gif", "6pt5a.gif", "net14.ico"}) {
        const QString chemin = icones.filePath(QLatin1String(nom));
        QImageReader lecteur(chemin);
        const QByteArray format = QByteArray(nom).mid(QByteArray(nom).lastIndexOf('.') + 1);
        EXPECT_EQ(lecteur.format(), format) << nom;
        const QImage image = lecteur.read();
        ASSERT_FALSE(image.isNull()) << nom << ": " << lecteur.errorString().toStdString();
        EXPECT_EQ(image.size(), QSize(32, 32)) << nom;
    }
}
