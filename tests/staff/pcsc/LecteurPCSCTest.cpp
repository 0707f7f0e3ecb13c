// The reader through a real pcscd, the card played over the virtual reader driver's socket. The test
// script starts that daemon and sets DORVANE_TEST_PCSC; without it these tests skip.
#include "staff/ACR120U.h"
#include "staff/PiloteACR120PCSC.h"

#include <QElapsedTimer>
#include <arpa/inet.h>
#include <atomic>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <winscard.h>

namespace {

// The virtual reader's first slot and the port it waits for its card on.
const char* const LecteurVirtuel = "Virtual PCD 00 00";
constexpr quint16 PortCarte = 35963;
constexpr int DelaiMs = 10000;

QByteArray octets(std::initializer_list<int> liste) {
    QByteArray b;
    for (int o : liste)
        b.append(static_cast<char>(o));
    return b;
}

// A contactless card as the reader shows it: the ATR a PC/SC reader gives a MIFARE Classic 1K, and
// an answer to the UID command. The virtual reader's messages are a 2-byte big-endian length, then
// either one control byte (0 power off, 1 power on, 2 reset, 4 ATR wanted) or a command APDU.
class CarteVirtuelle {
public:
    explicit CarteVirtuelle(QByteArray reponseUid) : m_reponse(std::move(reponseUid)) {}
    ~CarteVirtuelle() { retirer(); }

    // Into the field: connects to the reader on the loopback address.
    bool presenter() {
        m_socket = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in adresse{};
        adresse.sin_family = AF_INET;
        adresse.sin_port = htons(PortCarte);
        adresse.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (m_socket < 0 || ::connect(m_socket, reinterpret_cast<sockaddr*>(&adresse), sizeof adresse) != 0)
            return false;
        m_fil = std::thread([this] { servir(); });
        return true;
    }
    // Out of the field: the reader sees the connection end.
    void retirer() {
        if (m_socket >= 0)
            ::shutdown(m_socket, SHUT_RDWR);
        if (m_fil.joinable())
            m_fil.join();
        if (m_socket >= 0)
            ::close(m_socket);
        m_socket = -1;
    }
    int commandesUid() const { return m_commandesUid; }

private:
    bool recevoir(char* tampon, size_t taille) {
        return ::recv(m_socket, tampon, taille, MSG_WAITALL) == static_cast<ssize_t>(taille);
    }
    bool envoyer(const QByteArray& message) {
        QByteArray trame(2, '\0');
        trame[0] = static_cast<char>(message.size() >> 8);
        trame[1] = static_cast<char>(message.size() & 0xFF);
        trame += message;
        return ::send(m_socket, trame.constData(), trame.size(), MSG_NOSIGNAL) == trame.size();
    }
    void servir() {
        const QByteArray atr = octets({0x3B, 0x8F, 0x80, 0x01, 0x80, 0x4F, 0x0C, 0xA0, 0x00, 0x00,
                                       0x03, 0x06, 0x03, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x6A});
        for (;;) {
            unsigned char longueur[2];
            if (!recevoir(reinterpret_cast<char*>(longueur), 2))
                return;
            QByteArray message(longueur[0] << 8 | longueur[1], '\0');
            if (!message.isEmpty() && !recevoir(message.data(), static_cast<size_t>(message.size())))
                return;
            QByteArray reponse;
            if (message.size() == 1) {
                if (message.at(0) != 4)
                    continue; // power and reset want no answer
                reponse = atr;
            } else if (message == octets({0xFF, 0xCA, 0x00, 0x00, 0x00})) {
                ++m_commandesUid;
                reponse = m_reponse;
            } else {
                reponse = octets({0x6D, 0x00});
            }
            if (!envoyer(reponse))
                return;
        }
    }

    QByteArray m_reponse;
    int m_socket = -1;
    std::thread m_fil;
    std::atomic<int> m_commandesUid{0};
};

class LecteurPCSCTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("DORVANE_TEST_PCSC"))
            GTEST_SKIP() << "DORVANE_TEST_PCSC is not set: no PC/SC daemon with the virtual reader was "
                            "started for the tests (scripts/test starts one when no pcscd runs)";
        ASSERT_EQ(SCardEstablishContext(SCARD_SCOPE_USER, nullptr, nullptr, &m_contexte), SCARD_S_SUCCESS)
            << "DORVANE_TEST_PCSC is set but no PC/SC daemon answers";
        m_etabli = true;
        ASSERT_TRUE(attendreLecteur()) << LecteurVirtuel << " never appeared";
        ACR120U::installerPilote(&pilote);
    }
    void TearDown() override {
        ACR120U::installerPilote(nullptr);
        ACR120U::HandleLecteurACR120 = 0;
        if (m_etabli)
            SCardReleaseContext(m_contexte);
    }

    bool attendreLecteur() {
        SCARD_READERSTATE pnp{};
        pnp.szReader = "\\\\?PnP?\\Notification";
        QElapsedTimer chrono;
        chrono.start();
        for (;;) {
            DWORD taille = 0;
            if (SCardListReaders(m_contexte, nullptr, nullptr, &taille) == SCARD_S_SUCCESS) {
                QByteArray noms(static_cast<qsizetype>(taille), '\0');
                if (SCardListReaders(m_contexte, nullptr, noms.data(), &taille) == SCARD_S_SUCCESS &&
                    noms.split('\0').contains(LecteurVirtuel))
                    return true;
            }
            const qint64 reste = DelaiMs - chrono.elapsed();
            if (reste <= 0 ||
                SCardGetStatusChange(m_contexte, static_cast<DWORD>(reste), &pnp, 1) != SCARD_S_SUCCESS)
                return false;
            pnp.dwCurrentState = pnp.dwEventState;
        }
    }
    // Waits on the daemon's own notifications until the reader holds a powered card, or none.
    bool attendreCarte(bool presente) {
        SCARD_READERSTATE etat{};
        etat.szReader = LecteurVirtuel;
        etat.dwCurrentState = SCARD_STATE_UNAWARE;
        QElapsedTimer chrono;
        chrono.start();
        for (;;) {
            const qint64 reste = DelaiMs - chrono.elapsed();
            if (reste <= 0 ||
                SCardGetStatusChange(m_contexte, static_cast<DWORD>(reste), &etat, 1) != SCARD_S_SUCCESS)
                return false;
            const DWORD e = etat.dwEventState;
            if (presente ? (e & SCARD_STATE_PRESENT) && !(e & SCARD_STATE_MUTE) : (e & SCARD_STATE_EMPTY))
                return true;
            etat.dwCurrentState = e & ~SCARD_STATE_CHANGED;
        }
    }
    void presenter(CarteVirtuelle& carte) {
        ASSERT_TRUE(carte.presenter()) << "the virtual reader does not listen on 127.0.0.1:" << PortCarte;
        ASSERT_TRUE(attendreCarte(true));
    }
    void retirer(CarteVirtuelle& carte) {
        carte.retirer();
        ASSERT_TRUE(attendreCarte(false));
    }
    qint16 lister(qint16 handle, TamponsTags& t) { return pilote.ACR120_ListTags(handle, t); }

    PiloteACR120PCSC pilote;
    SCARDCONTEXT m_contexte = 0;
    bool m_etabli = false;
};

TEST_F(LecteurPCSCTest, BadgeLuParLeDemonEtPoigneeGardee) {
    // The test readers are ports only when asked for.
    ASSERT_EQ(pilote.lecteurs().mid(0, 2),
              (QStringList{LecteurVirtuel, QStringLiteral("Virtual PCD 00 01")}));
    {
        const QByteArray avant = qgetenv("DORVANE_TEST_PCSC");
        qunsetenv("DORVANE_TEST_PCSC");
        const QStringList sansTest = pilote.lecteurs();
        qputenv("DORVANE_TEST_PCSC", avant);
        for (const QString& nom : sansTest)
            EXPECT_FALSE(nom.startsWith(QStringLiteral("Virtual PCD"))) << nom.toStdString();
    }

    ASSERT_EQ(ACR120U::OuvrirACR120(), QStringLiteral("OK"));
    const qint16 handle = ACR120U::HandleLecteurACR120;
    EXPECT_GE(handle, 0);
    EXPECT_TRUE(ACR120U::EstOuvert());

    // No card: nothing, at once (the counter polls every second).
    QElapsedTimer chrono;
    chrono.start();
    EXPECT_EQ(ACR120U::LireTagACR120(), QString());
    EXPECT_LT(chrono.elapsed(), 100);

    CarteVirtuelle badge(octets({0x04, 0xA2, 0x2B, 0x91, 0x90, 0x00}));
    presenter(badge);
    EXPECT_EQ(ACR120U::LireTagACR120(), QStringLiteral("04A22B91"));
    // Opened again while held: the same handle, which keeps reading.
    ASSERT_EQ(ACR120U::OuvrirACR120(), QStringLiteral("OK"));
    EXPECT_EQ(ACR120U::HandleLecteurACR120, handle);
    EXPECT_EQ(ACR120U::LireTagACR120(), QStringLiteral("04A22B91"));
    EXPECT_EQ(badge.commandesUid(), 2);
    retirer(badge);
    EXPECT_EQ(ACR120U::LireTagACR120(), QString());

    ACR120U::ACR120_Close(handle);
    EXPECT_FALSE(ACR120U::EstOuvert());
    TamponsTags t;
    EXPECT_EQ(lister(handle, t), PiloteACR120::HandleInvalide);
    EXPECT_EQ(ACR120U::LireTagACR120(), QString());
}

TEST_F(LecteurPCSCTest, ReponsesFautivesEtLecteurTenuAilleurs) {
    ASSERT_EQ(pilote.lecteurs().value(0), QString::fromLatin1(LecteurVirtuel));
    const qint16 handle = pilote.ACR120_Open(0);
    ASSERT_GE(handle, 0);
    ACR120U::HandleLecteurACR120 = handle;
    TamponsTags t;

    for (const QByteArray& fautive :
         {octets({0x6A, 0x81}), octets({0x42}), octets({0x04, 0xA2, 0x62, 0x82})}) {
        CarteVirtuelle carte(fautive);
        presenter(carte);
        EXPECT_EQ(lister(handle, t), PiloteACR120::OperationEchouee) << fautive.toHex().toStdString();
        EXPECT_EQ(ACR120U::LireTagACR120(), QString());
        EXPECT_EQ(carte.commandesUid(), 2);
        retirer(carte);
    }

    CarteVirtuelle badge(octets({0x04, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x90, 0x00}));
    presenter(badge);
    // Another application holding the reader alone.
    SCARDHANDLE exclusif = 0;
    DWORD protocole = 0;
    ASSERT_EQ(SCardConnect(m_contexte, LecteurVirtuel, SCARD_SHARE_EXCLUSIVE,
                           SCARD_PROTOCOL_T0 | SCARD_PROTOCOL_T1, &exclusif, &protocole),
              SCARD_S_SUCCESS);
    EXPECT_EQ(lister(handle, t), PiloteACR120::PortOccupe);
    PiloteACR120PCSC autre;
    EXPECT_EQ(autre.ACR120_Open(0), PiloteACR120::PortOccupe);
    EXPECT_EQ(ACR120U::LireTagACR120(), QString());
    SCardDisconnect(exclusif, SCARD_LEAVE_CARD);

    EXPECT_EQ(lister(handle, t), 0);
    EXPECT_EQ(t.nombre, 1);
    EXPECT_EQ(t.longueurs[0], 7);
    EXPECT_EQ(ACR120U::LireTagACR120(), QStringLiteral("04112233445566"));
    // No such port: the readers listed are fewer than eight.
    EXPECT_EQ(pilote.ACR120_Open(static_cast<qint16>(pilote.lecteurs().size())), PiloteACR120::PortInvalide);
    retirer(badge);
    pilote.ACR120_Close(handle);
}

} // namespace
