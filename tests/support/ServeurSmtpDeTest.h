#pragma once

// The tests' SMTP server (tests/mail/serveur_smtp.py, python3-aiosmtpd) on 127.0.0.1 and a free port, with
// its own mailbox folder, and what it received: the envelope and the bytes after DATA of each mail, and
// the files of the uuencoded blocks decoded back.

#include "bench/ServeurLocal.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QTemporaryDir>
#include <gtest/gtest.h>

class ServeurSmtpDeTest {
public:
    // The script's options: "--refuser", "550"; "--retard-rcpt", "8"; "--auth", user, password...
    explicit ServeurSmtpDeTest(const QStringList& options = {})
        : m_serveur(QStringLiteral(DORVANE_RESOURCES_DIR "/../tests/mail/serveur_smtp.py"),
                    QStringList{m_boite.path()} + options) {
        EXPECT_NE(m_serveur.port(), 0) << m_serveur.erreurs().toStdString();
    }

    quint16 port() const { return m_serveur.port(); }
    // The mails received so far.
    int nombre() const {
        return static_cast<int>(
            QDir(m_boite.path()).entryList({QStringLiteral("*.eml")}, QDir::Files).size());
    }
    // Mail n (from 1): the bytes after DATA, leading dots undone, up to the terminator.
    QByteArray message(int n) const { return lire(QStringLiteral("%1.eml").arg(n)); }
    // Mail n's envelope: "de", "a" (a list) and "utilisateur" (the login, or null).
    QJsonObject enveloppe(int n) const {
        return QJsonDocument::fromJson(lire(QStringLiteral("%1.json").arg(n))).object();
    }
    QString erreurs() { return m_serveur.erreurs(); }

    // The uuencoded blocks of a message by their name, decoded. A block that does not decode cleanly
    // fails the test.
    static QMap<QString, QByteArray> piecesJointes(const QByteArray& message) {
        QMap<QString, QByteArray> pieces;
        const QList<QByteArray> lignes = message.split('\n');
        for (qsizetype i = 0; i < lignes.size(); ++i) {
            const QByteArray debut = lignes[i].trimmed();
            if (!debut.startsWith("begin 664 "))
                continue;
            QByteArray octets;
            for (++i; i < lignes.size() && lignes[i] != "`\r"; ++i) {
                if (lignes[i].size() < 2 || !lignes[i].endsWith('\r'))
                    break;
                const QByteArray l = lignes[i].chopped(1);
                const int n = (l[0] - 32) & 63;
                auto valeur = [&l](qsizetype p) { return p < l.size() ? (l[p] - 32) & 63 : 0; };
                QByteArray ligne;
                for (qsizetype p = 1; ligne.size() < n; p += 4) {
                    const int v = valeur(p) << 18 | valeur(p + 1) << 12 | valeur(p + 2) << 6 | valeur(p + 3);
                    ligne += static_cast<char>(v >> 16);
                    ligne += static_cast<char>(v >> 8);
                    ligne += static_cast<char>(v);
                }
                octets += ligne.left(n);
            }
            EXPECT_TRUE(i + 1 < lignes.size() && lignes[i] == "`\r" && lignes[i + 1] == "end\r")
                << debut.toStdString();
            pieces.insert(QString::fromLatin1(debut.mid(10)), octets);
        }
        return pieces;
    }

private:
    QByteArray lire(const QString& nom) const {
        QFile f(QDir(m_boite.path()).filePath(nom));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<absent>");
    }

    QTemporaryDir m_boite;
    ServeurLocal m_serveur;
};
