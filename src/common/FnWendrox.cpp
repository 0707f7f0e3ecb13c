#include "common/FnWendrox.h"

#include "common/ErreurExecution.h"
#include "common/IniFile.h"
#include "common/ServiceDialogue.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QThread>
#include <QTimer>
#include <cmath>

namespace FnWendrox {

namespace {

// The settings services' own message: number and description, OK only, titled with the service.
void signalerErreurIni(const QString& service, const ErreurExecution& e) {
    const QString texte = QStringLiteral("Erreur N°:\n") + QString::number(e.numero()) + QLatin1Char('\n') +
                          e.description() + QStringLiteral("\nAppuyez sur (A) pour continuer");
    MsgBox(texte, StyleMessage::OK, service);
}

std::function<QDateTime()>& horloge() {
    static std::function<QDateTime()> h;
    return h;
}

// The profile functions' integer reading: optional sign, then digits; anything else stops the number.
qint64 entierEnTete(const QString& texte) {
    qsizetype i = 0;
    bool negatif = false;
    if (i < texte.size() && (texte[i] == u'-' || texte[i] == u'+')) {
        negatif = texte[i] == u'-';
        ++i;
    }
    qint64 n = 0;
    for (; i < texte.size() && texte[i] >= u'0' && texte[i] <= u'9'; ++i) {
        n = n * 10 + (texte[i].unicode() - u'0');
        if (n > (qint64(1) << 40)) // far out of range already: stop before it wraps
            break;
    }
    return negatif ? -n : n;
}

} // namespace

QString LireIniString(const QString& fichier, const QString& section, const QString& cle,
                      const QString& defaut) {
    try {
        const auto ini = IniFile::enCache(fichier, IniFile::codePagePour(fichier));
        bool trouve = false;
        QString v = ini->valeur(section, cle, &trouve);
        if (!trouve)
            v = defaut.left(IniFile::LongueurMax);
        return IniFile::rogner(v);
    } catch (const ErreurExecution& e) {
        signalerErreurIni(QStringLiteral("LireIniString"), e);
    } catch (const std::exception& e) {
        signalerErreurIni(QStringLiteral("LireIniString"),
                          ErreurExecution(ErreurExecution::PathFileAccess, QString::fromUtf8(e.what())));
    }
    return QString();
}

int LireIniInteger(const QString& fichier, const QString& section, const QString& cle, int defaut) {
    try {
        const auto ini = IniFile::enCache(fichier, IniFile::codePagePour(fichier));
        bool trouve = false;
        const QString v = IniFile::rogner(ini->valeur(section, cle, &trouve));
        const qint64 n = (!trouve || v.isEmpty()) ? defaut : entierEnTete(v);
        if (n < -32768 || n > 32767)
            throw ErreurExecution(ErreurExecution::Overflow, QStringLiteral("Overflow"),
                                  QStringLiteral("LireIniInteger"));
        return static_cast<int>(n);
    } catch (const ErreurExecution& e) {
        signalerErreurIni(QStringLiteral("LireIniInteger"), e);
    }
    return 0;
}

void EcrireIniString(const QString& fichier, const QString& section, const QString& cle,
                     const QString& valeur) {
    try {
        IniFile::ecrire(fichier, section, cle, valeur);
    } catch (const ErreurExecution& e) {
        signalerErreurIni(QStringLiteral("EcrireIniString"), e);
    }
}

QString AjouteBackslash(const QString& chemin) {
    if (chemin.endsWith(QLatin1Char('/')) || chemin.endsWith(QLatin1Char('\\')))
        return chemin;
    return chemin + QLatin1Char('/');
}

bool FichierExiste(const QString& dossier, const QString& fichier) {
    return !FichierExistant(dossier, fichier).isEmpty();
}

QString FichierExistant(const QString& dossier, const QString& fichier) {
    if (fichier.isEmpty() || fichier.contains(QLatin1Char('/')) || fichier.contains(QLatin1Char('\\')))
        return QString();
    const QString dir = AjouteBackslash(dossier);
    if (QFileInfo(dir + fichier).isFile())
        return dir + fichier;
    // Names compare without regard to case, as on the original's file system.
    QDirIterator it(dir, QDir::Files | QDir::Hidden | QDir::System);
    while (it.hasNext()) {
        it.next();
        if (it.fileName().compare(fichier, Qt::CaseInsensitive) == 0 && it.fileInfo().isFile())
            return dir + it.fileName();
    }
    return QString();
}

QString CheminDansDossier(const QString& dossier, const QString& fichier) {
    const QString trouve = FichierExistant(dossier, fichier);
    return trouve.isEmpty() ? QDir(dossier).filePath(fichier) : trouve;
}

bool DossierAccessibleEnEcriture(const QString& dossier) {
    if (!QFileInfo(dossier).isDir())
        return false;
    // A file of its own name at every check: two workstations checking one shared folder at once would
    // otherwise create and delete each other's file, and one of them find the folder closed.
    QTemporaryFile test(QDir(dossier).filePath(QStringLiteral("test-XXXXXX.tst")));
    if (!test.open())
        return false;
    test.close();
    return test.remove();
}

namespace {
qsizetype dernierSeparateur(const QString& chemin) {
    return std::max({chemin.lastIndexOf(QLatin1Char('/')), chemin.lastIndexOf(QLatin1Char('\\')),
                     chemin.lastIndexOf(QLatin1Char(':'))});
}
} // namespace

QString NomFichier(const QString& chemin) {
    const qsizetype i = dernierSeparateur(chemin);
    return i < 0 ? chemin : chemin.mid(i + 1);
}

QString CheminFichier(const QString& chemin) {
    const qsizetype i = dernierSeparateur(chemin);
    return i < 0 ? QString() : chemin.left(i);
}

QString CheminApplication() {
    QString dossier = qEnvironmentVariable("DORVANE_HOME").trimmed();
    if (!dossier.isEmpty())
        dossier = QDir(dossier).absolutePath();
    else if (QCoreApplication::instance())
        dossier = QCoreApplication::applicationDirPath();
    else
        dossier = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
    // The folder keeps its real case: paths built from it must work on a case-sensitive file system.
    return AjouteBackslash(dossier.trimmed());
}

void definirHorloge(std::function<QDateTime()> h) {
    horloge() = std::move(h);
}

QDateTime Maintenant() {
    return horloge() ? horloge()() : QDateTime::currentDateTime();
}

void Attendre(double secondes) {
    // The clock is read at whole seconds: the wait ends at the first tick at or after the requested
    // time, so 0.1 s lasts until the next second begins.
    auto secondeEntiere = [](const QDateTime& t) { return t.addMSecs(-(t.time().msec())); };
    const QDateTime debut = secondeEntiere(Maintenant());
    const qint64 pas = secondes > 0 ? static_cast<qint64>(std::ceil(secondes)) : 0;
    const QDateTime fin = debut.addSecs(pas);

    if (!QCoreApplication::instance()) {
        while (Maintenant() < fin)
            QThread::msleep(20);
        return;
    }
    QEventLoop boucle;
    QTimer minuterie;
    minuterie.setSingleShot(true);
    QObject::connect(&minuterie, &QTimer::timeout, &boucle, &QEventLoop::quit);
    for (;;) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        const qint64 reste = Maintenant().msecsTo(fin);
        if (reste <= 0)
            return;
        // Short slices so that a clock set by a test is followed, and events keep flowing.
        minuterie.start(static_cast<int>(std::min<qint64>(reste, 50)));
        boucle.exec(QEventLoop::AllEvents);
    }
}

} // namespace FnWendrox
