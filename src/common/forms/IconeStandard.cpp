#include "common/forms/IconeStandard.h"

#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QWidget>
#include <initializer_list>

QPixmap lirePng(const QString& chemin) {
    QImageReader lecteur(chemin, "png");
    lecteur.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(lecteur.read());
}

QIcon iconeStandard(const QWidget* widget, QStyle::StandardPixmap icone) {
    struct Fichiers {
        QStyle::StandardPixmap icone;
        const char* theme;
        const char* fichier;
        std::initializer_list<int> tailles;
    };
    // As QCommonStyle names them.
    static const Fichiers fichiers[] = {
        {QStyle::SP_MediaSkipBackward, "media-skip-backward", "media-skip-backward", {16, 32}},
        {QStyle::SP_MediaSkipForward, "media-skip-forward", "media-skip-forward", {16, 32}},
        {QStyle::SP_ArrowUp, "go-up", "up", {16, 32, 128}},
        {QStyle::SP_ArrowDown, "go-down", "down", {16, 32, 128}},
    };
    for (const Fichiers& f : fichiers) {
        if (f.icone != icone)
            continue;
        if (QGuiApplication::desktopSettingsAware() && !QIcon::themeName().isEmpty()) {
            const QIcon theme = QIcon::fromTheme(QString::fromLatin1(f.theme));
            if (!theme.isNull())
                return theme;
        }
        QIcon resultat;
        for (const int taille : f.tailles) {
            const QPixmap image =
                lirePng(QStringLiteral(":/qt-project.org/styles/commonstyle/images/%1-%2.png")
                            .arg(QString::fromLatin1(f.fichier))
                            .arg(taille));
            if (!image.isNull())
                resultat.addPixmap(image);
        }
        if (!resultat.isNull())
            return resultat;
        break;
    }
    return widget->style()->standardIcon(icone);
}
