#pragma once

#include "staff/PiloteACR120.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QSet>

// A reader library playing a script, for tests: per port a handle or a code, per listing the tags and a
// status. Like the library, a handle it did not open, or has closed since, lists nothing. It keeps the
// calls it received.
class PiloteACR120Scripte : public PiloteACR120 {
public:
    struct Listage {
        qint16 statut = 0;
        // The serial numbers in the field; each one's length is its size (at most 255 counted).
        QList<QByteArray> tags;
    };

    // What opening a port answers; a port not given answers PortInvalide.
    void definirPort(qint16 port, qint16 reponse) { m_ports[port] = reponse; }
    // The next listings, in order; once they are used up a listing finds no tag.
    void ajouterListage(const Listage& listage) { m_listages.append(listage); }

    const QList<qint16>& portsEssayes() const { return m_portsEssayes; }
    const QList<qint16>& handlesListes() const { return m_handlesListes; }
    const QList<qint16>& handlesFermes() const { return m_handlesFermes; }

    qint16 ACR120_Open(qint16 port) override;
    qint16 ACR120_ListTags(qint16 handle, TamponsTags& tampons) override;
    void ACR120_Close(qint16 handle) override;

private:
    QMap<qint16, qint16> m_ports;
    QList<Listage> m_listages;
    QList<qint16> m_portsEssayes;
    QList<qint16> m_handlesListes;
    QList<qint16> m_handlesFermes;
    QSet<qint16> m_ouverts;
};
