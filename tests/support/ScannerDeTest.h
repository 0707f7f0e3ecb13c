#pragma once

// Header only: the scanner tests of the core and of the forms share it.

#include "imaging/Scanner.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QTemporaryDir>

// SANE's "test" backend as the only scanner (or none at all), through a dll.conf of our own under
// SANE_CONFIG_DIR while the object lives. SANE reads that variable once per process and keeps the folder:
// the folder is one for the whole run and only its dll.conf changes. The devices are "test:0" and "test:1".
class ScannerDeTest {
public:
    explicit ScannerDeTest(bool avecScanner = true) {
        static QTemporaryDir dossier;
        m_avant = qgetenv("SANE_CONFIG_DIR");
        m_defini = qEnvironmentVariableIsSet("SANE_CONFIG_DIR");
        m_conf = dossier.filePath(QStringLiteral("dll.conf"));
        QFile f(m_conf);
        if (f.open(QIODevice::ReadOnly))
            m_confAvant = f.readAll();
        f.close();
        m_valide = dossier.isValid() && ecrire(avecScanner ? "test\n" : "\n");
        // No trailing ":": the system's folders are not searched.
        qputenv("SANE_CONFIG_DIR", dossier.path().toLocal8Bit());
    }
    ~ScannerDeTest() {
        ecrire(m_confAvant);
        if (m_defini)
            qputenv("SANE_CONFIG_DIR", m_avant);
        else
            qunsetenv("SANE_CONFIG_DIR");
    }
    ScannerDeTest(const ScannerDeTest&) = delete;
    ScannerDeTest& operator=(const ScannerDeTest&) = delete;
    bool valide() const { return m_valide; }

    // A colour scan of 254 dpi (10 pixels a millimetre) of the top-left `largeurMm` x `hauteurMm`.
    static QList<Scanner::Option> couleur(double largeurMm = 40, double hauteurMm = 30) {
        return {{QStringLiteral("mode"), QStringLiteral("Color")},
                {QStringLiteral("resolution"), 254},
                {QStringLiteral("tl-x"), 0},
                {QStringLiteral("tl-y"), 0},
                {QStringLiteral("br-x"), largeurMm},
                {QStringLiteral("br-y"), hauteurMm},
                {QStringLiteral("test-picture"), QStringLiteral("Color pattern")}};
    }
    // The same, slowed down: the device pauses before each of its buffers (about ten of them).
    static QList<Scanner::Option> lente(int microsecondes = 150000) {
        QList<Scanner::Option> o = couleur();
        o += {{QStringLiteral("read-limit"), true},
              {QStringLiteral("read-limit-size"), 4096},
              {QStringLiteral("read-delay"), true},
              {QStringLiteral("read-delay-duration"), microsecondes}};
        return o;
    }
    // The same, each read failing with an I/O error.
    static QList<Scanner::Option> enPanne() {
        QList<Scanner::Option> o = couleur();
        o += {QStringLiteral("read-return-value"), QStringLiteral("SANE_STATUS_IO_ERROR")};
        return o;
    }

private:
    bool ecrire(const QByteArray& contenu) const {
        QFile f(m_conf);
        return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(contenu) == contenu.size();
    }

    QString m_conf;
    QByteArray m_confAvant;
    QByteArray m_avant;
    bool m_defini = false;
    bool m_valide = false;
};
