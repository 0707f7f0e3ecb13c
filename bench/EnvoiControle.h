#pragma once

// One mail with one attachment through the mail control alone: Email::Envoie to 127.0.0.1, followed to
// EnvoiTermine as a host follows it (the progress read at each event), then the close.

#include "mail/Email.h"

#include <QEventLoop>
#include <QString>
#include <cstdio>

// True when the server took the mail and the progress reached its total.
inline bool envoiControle(quint16 port, const QString& fichier, const QString& expediteur,
                          const QString& destinataire, const QString& sujet, const QString& corps) {
    Email email;
    email.setSeveurSmtp(QStringLiteral("127.0.0.1"));
    email.PieceJointeAjout(fichier);
    QEventLoop boucle;
    bool envoye = false;
    qint64 dernier = 0, total = -1;
    QObject::connect(&email, &Email::ProgressionEnvoi, [&](qint64 e, qint64 t, int) {
        dernier = e;
        total = t;
    });
    QObject::connect(&email, &Email::EnvoiTermine, [&](bool ok, const QString& detail) {
        envoye = ok;
        if (!ok)
            std::fprintf(stderr, "Envoie: %s\n", qPrintable(detail));
        boucle.quit();
    });
    email.Envoie(expediteur, destinataire, sujet, corps, port, QString());
    boucle.exec();
    email.FermerWinsock();
    return envoye && dernier == total;
}
