#include "staff/PiloteACR120PCSC.h"

#include <QByteArray>
#include <algorithm>
#include <winscard.h>

namespace {

// The maker's code for a PC/SC failure outside an exchange with the card.
qint16 codeDe(LONG r) {
    switch (r) {
    case SCARD_E_NO_SERVICE:
    case SCARD_E_SERVICE_STOPPED:
    case SCARD_E_NO_READERS_AVAILABLE:
    case SCARD_E_UNKNOWN_READER:
    case SCARD_E_READER_UNAVAILABLE:
        return PiloteACR120::PortInvalide;
    case SCARD_E_SHARING_VIOLATION:
        return PiloteACR120::PortOccupe;
    default:
        return PiloteACR120::ErreurInterne;
    }
}

bool lecteurVirtuel(const QString& nom) {
    return nom.startsWith(QLatin1String("Virtual PCD "));
}

} // namespace

struct PiloteACR120PCSC::Contexte {
    SCARDCONTEXT h = 0;
    bool etabli = false;

    LONG etablir() {
        if (etabli)
            return SCARD_S_SUCCESS;
        const LONG r = SCardEstablishContext(SCARD_SCOPE_USER, nullptr, nullptr, &h);
        etabli = r == SCARD_S_SUCCESS;
        return r;
    }
    void liberer() {
        if (etabli)
            SCardReleaseContext(h);
        etabli = false;
    }

    // Runs a call on the context; a context the service no longer knows (pcscd restarted) is
    // established again and the call tried once more.
    template <typename Appel> LONG appeler(Appel appel) {
        LONG r = etablir();
        if (r != SCARD_S_SUCCESS)
            return r;
        r = appel(h);
        if (r == SCARD_E_INVALID_HANDLE || r == SCARD_E_NO_SERVICE || r == SCARD_E_SERVICE_STOPPED) {
            liberer();
            r = etablir();
            if (r == SCARD_S_SUCCESS)
                r = appel(h);
        }
        return r;
    }

    // SCardListReaders' answer, and the ports it gives in port order.
    LONG lister(QStringList& liste) {
        liste.clear();
        QByteArray noms;
        const LONG r = appeler([&](SCARDCONTEXT c) {
            DWORD taille = 0;
            LONG res = SCardListReaders(c, nullptr, nullptr, &taille);
            if (res != SCARD_S_SUCCESS)
                return res;
            noms.resize(static_cast<qsizetype>(taille));
            res = SCardListReaders(c, nullptr, noms.data(), &taille);
            noms.truncate(std::min<qsizetype>(noms.size(), static_cast<qsizetype>(taille)));
            return res;
        });
        if (r != SCARD_S_SUCCESS)
            return r;
        // The test readers are ports only when asked for: the virtual reader driver offers its readers to
        // the network, and would come before a real reader.
        const bool avecVirtuels = !qEnvironmentVariableIsEmpty("DORVANE_TEST_PCSC");
        for (const QByteArray& nom : noms.split('\0')) {
            const QString texte = QString::fromUtf8(nom);
            if (!texte.isEmpty() && (avecVirtuels || !lecteurVirtuel(texte)))
                liste.append(texte);
        }
        return r;
    }
};

PiloteACR120PCSC::PiloteACR120PCSC() : m_contexte(std::make_unique<Contexte>()) {}

PiloteACR120PCSC::~PiloteACR120PCSC() {
    m_contexte->liberer();
}

QStringList PiloteACR120PCSC::lecteurs() {
    QStringList liste;
    m_contexte->lister(liste);
    return liste;
}

qint16 PiloteACR120PCSC::ACR120_Open(qint16 port) {
    QStringList noms;
    const LONG liste = m_contexte->lister(noms);
    if (liste != SCARD_S_SUCCESS && liste != SCARD_E_NO_READERS_AVAILABLE)
        return codeDe(liste);
    if (port < 0 || port >= noms.size())
        return PortInvalide;
    const QString nom = noms.at(port);
    for (auto it = m_handles.cbegin(); it != m_handles.cend(); ++it)
        if (it.value() == nom)
            return it.key();

    const QByteArray nomC = nom.toUtf8();
    SCARD_READERSTATE etat{};
    etat.szReader = nomC.constData();
    etat.dwCurrentState = SCARD_STATE_UNAWARE;
    const LONG r = m_contexte->appeler([&](SCARDCONTEXT h) { return SCardGetStatusChange(h, 0, &etat, 1); });
    if (r != SCARD_S_SUCCESS)
        return codeDe(r);
    if (etat.dwEventState & SCARD_STATE_EXCLUSIVE)
        return PortOccupe;

    do
        m_dernierHandle = m_dernierHandle >= 32767 ? 1 : static_cast<qint16>(m_dernierHandle + 1);
    while (m_handles.contains(m_dernierHandle));
    m_handles.insert(m_dernierHandle, nom);
    return m_dernierHandle;
}

qint16 PiloteACR120PCSC::ACR120_ListTags(qint16 handle, TamponsTags& t) {
    const auto it = m_handles.constFind(handle);
    if (it == m_handles.cend())
        return HandleInvalide;
    const QByteArray nom = it.value().toUtf8();

    // The state first, without waiting: no card is no tag, at once.
    SCARD_READERSTATE etat{};
    etat.szReader = nom.constData();
    etat.dwCurrentState = SCARD_STATE_UNAWARE;
    LONG r = m_contexte->appeler([&](SCARDCONTEXT h) { return SCardGetStatusChange(h, 0, &etat, 1); });
    if (r != SCARD_S_SUCCESS)
        return codeDe(r);
    if (etat.dwEventState & (SCARD_STATE_UNKNOWN | SCARD_STATE_UNAVAILABLE))
        return PortInvalide;
    if (!(etat.dwEventState & SCARD_STATE_PRESENT)) {
        t = TamponsTags();
        return 0;
    }
    if (etat.dwEventState & SCARD_STATE_MUTE)
        return OperationEchouee;
    if (etat.dwEventState & SCARD_STATE_EXCLUSIVE)
        return PortOccupe;

    SCARDHANDLE carte = 0;
    DWORD protocole = 0;
    r = m_contexte->appeler([&](SCARDCONTEXT h) {
        return SCardConnect(h, nom.constData(), SCARD_SHARE_SHARED, SCARD_PROTOCOL_T0 | SCARD_PROTOCOL_T1,
                            &carte, &protocole);
    });
    switch (r) {
    case SCARD_S_SUCCESS:
        break;
    case SCARD_E_NO_SMARTCARD:
    case SCARD_W_REMOVED_CARD:
        // Gone between the state and the connection.
        t = TamponsTags();
        return 0;
    case SCARD_W_UNRESPONSIVE_CARD:
    case SCARD_W_UNPOWERED_CARD:
    case SCARD_W_UNSUPPORTED_CARD:
    case SCARD_E_PROTO_MISMATCH:
        return OperationEchouee;
    default:
        return codeDe(r);
    }

    // Get Data, UID: the serial number followed by 90 00.
    const BYTE commande[] = {0xFF, 0xCA, 0x00, 0x00, 0x00};
    BYTE reponse[258];
    DWORD taille = sizeof reponse;
    const SCARD_IO_REQUEST* pci = protocole == SCARD_PROTOCOL_T0 ? SCARD_PCI_T0 : SCARD_PCI_T1;
    r = SCardTransmit(carte, pci, commande, sizeof commande, nullptr, reponse, &taille);
    SCardDisconnect(carte, SCARD_LEAVE_CARD);
    if (r != SCARD_S_SUCCESS)
        return codeDe(r) == PortInvalide ? PortInvalide : OperationEchouee;
    if (taille < 2 || taille > sizeof reponse || reponse[taille - 2] != 0x90 || reponse[taille - 1] != 0x00)
        return OperationEchouee;
    const DWORD longueur = taille - 2;
    if (longueur > 255)
        return OperationEchouee;

    t = TamponsTags();
    t.nombre = 1;
    t.longueurs[0] = static_cast<quint8>(longueur);
    std::copy(reponse, reponse + longueur, t.series.begin());
    return 0;
}

void PiloteACR120PCSC::ACR120_Close(qint16 handle) {
    m_handles.remove(handle);
    if (m_handles.isEmpty())
        m_contexte->liberer();
}
