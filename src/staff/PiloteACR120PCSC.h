#pragma once

#include "staff/PiloteACR120.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <memory>

// The reader library over PC/SC (pcscd): port n is the n-th reader the service names, readers named
// "Virtual PCD ..." left out unless DORVANE_TEST_PCSC is set. A listing reads the UID of the card in
// the field (one tag at most) and never waits for one.
class PiloteACR120PCSC : public PiloteACR120 {
public:
    PiloteACR120PCSC();
    ~PiloteACR120PCSC() override;
    PiloteACR120PCSC(const PiloteACR120PCSC&) = delete;
    PiloteACR120PCSC& operator=(const PiloteACR120PCSC&) = delete;

    // A port already held answers the handle it has.
    qint16 ACR120_Open(qint16 port) override;
    qint16 ACR120_ListTags(qint16 handle, TamponsTags& tampons) override;
    void ACR120_Close(qint16 handle) override;

    // The readers the ports stand for, in port order; empty when the service cannot be reached.
    QStringList lecteurs();

private:
    struct Contexte;
    std::unique_ptr<Contexte> m_contexte;
    // Open handles and the reader each one holds.
    QMap<qint16, QString> m_handles;
    qint16 m_dernierHandle = 0;
};
