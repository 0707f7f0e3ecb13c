#pragma once

// A server the tests and benchmarks talk to (a Python script of tests/), run by /usr/bin/python3 on a free
// port of 127.0.0.1, which it prints on its first line. It is killed with this object.

#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <QStringList>

class ServeurLocal {
public:
    ServeurLocal(const QString& script, const QStringList& arguments) {
        m_processus.start(QStringLiteral("/usr/bin/python3"), QStringList{script} + arguments);
        QElapsedTimer chrono;
        chrono.start();
        while (!m_processus.canReadLine() && chrono.elapsed() < 10000 &&
               m_processus.state() != QProcess::NotRunning)
            m_processus.waitForReadyRead(100);
        m_port = m_processus.readLine().trimmed().toUShort();
    }
    ~ServeurLocal() {
        m_processus.kill();
        m_processus.waitForFinished(5000);
    }
    ServeurLocal(const ServeurLocal&) = delete;
    ServeurLocal& operator=(const ServeurLocal&) = delete;

    // 0 when it did not start.
    quint16 port() const { return m_port; }
    // Its output after the port.
    QProcess& processus() { return m_processus; }
    // What it wrote on its error output, to tell why it did not start.
    QString erreurs() { return QString::fromLocal8Bit(m_processus.readAllStandardError()); }

private:
    QProcess m_processus;
    quint16 m_port = 0;
};
