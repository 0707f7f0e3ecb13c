#include "staff/EuroKey.h"
#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QThread>
#include <atomic>
#include <deque>
#include <fcntl.h>
#include <future>
#include <gtest/gtest.h>
#include <mutex>
#include <poll.h>
#include <thread>
#include <unistd.h>

namespace {

QByteArray octets(std::initializer_list<int> liste) {
    QByteArray b;
    for (int o : liste)
        b.append(static_cast<char>(o));
    return b;
}

// An answer frame of `longueur` bytes: bytes 1-2 and 10-13 as given, the rest 0x11.
QByteArray trame(int o1, int o2, std::initializer_list<int> numero, int longueur = 17) {
    QByteArray t(longueur, '\x11');
    t[0] = static_cast<char>(o1);
    t[1] = static_cast<char>(o2);
    int i = 9;
    for (int o : numero)
        if (i < longueur)
            t[i++] = static_cast<char>(o);
    return t;
}

// A pty pair through socat: the program's end "a", the fake reader's end "b".
class PaireSocat {
public:
    PaireSocat() {
        static std::atomic<int> compteur{0};
        // Unique names: the serial port's lock file is named after the device's file name.
        const QString nom =
            QStringLiteral("lecteur-%1-%2").arg(QCoreApplication::applicationPid()).arg(++compteur);
        m_a = m_dir.filePath(nom + QStringLiteral("-a"));
        m_b = m_dir.filePath(nom + QStringLiteral("-b"));
    }
    ~PaireSocat() { debrancher(); }
    const QString& a() const { return m_a; }
    const QString& b() const { return m_b; }

    bool brancher() {
        m_socat.start(QStringLiteral("socat"), {QStringLiteral("-d"), QStringLiteral("-d"),
                                                QStringLiteral("pty,raw,echo=0,link=") + m_a,
                                                QStringLiteral("pty,raw,echo=0,link=") + m_b});
        if (!m_socat.waitForStarted(5000))
            return false;
        QElapsedTimer chrono;
        chrono.start();
        while (!(QFileInfo::exists(m_a) && QFileInfo::exists(m_b))) {
            if (chrono.elapsed() > 5000 || m_socat.state() == QProcess::NotRunning)
                return false;
            QThread::msleep(2);
        }
        return true;
    }
    // The adapter pulled out: both ends vanish.
    void debrancher() {
        if (m_socat.state() != QProcess::NotRunning) {
            m_socat.kill();
            m_socat.waitForFinished(5000);
        }
        QFile::remove(m_a);
        QFile::remove(m_b);
    }

private:
    QTemporaryDir m_dir;
    QString m_a, m_b;
    QProcess m_socat;
};

// The reader's side, in its own thread: answers each byte it receives with the next scripted answer
// (after its delay; `tardifs` follow after a second delay), records every byte received.
class LecteurFactice {
public:
    struct Reponse {
        QByteArray octets; // nothing: silent for that request
        int delaiMs = 0;
        QByteArray tardifs = {};
        int delaiTardifsMs = 0;
    };

    LecteurFactice(const QString& chemin, std::deque<Reponse> script) : m_script(std::move(script)) {
        std::promise<bool> ouvert;
        auto pret = ouvert.get_future();
        m_fil = std::thread([this, chemin, p = std::move(ouvert)]() mutable { executer(chemin, p); });
        m_ouvert = pret.get();
    }
    ~LecteurFactice() { arreter(); }
    bool ouvert() const { return m_ouvert; }
    void arreter() {
        m_stop = true;
        if (m_fil.joinable())
            m_fil.join();
    }
    // The bytes received once `n` are there (or 2 s passed).
    QByteArray requetes(int n) {
        QElapsedTimer chrono;
        chrono.start();
        while (chrono.elapsed() < 2000) {
            {
                std::lock_guard verrou(m_mutex);
                if (m_recu.size() >= n)
                    break;
            }
            QThread::msleep(2);
        }
        QThread::msleep(30); // nothing more should come
        std::lock_guard verrou(m_mutex);
        return m_recu;
    }

private:
    void ecrire(int fd, const QByteArray& b) {
        if (!b.isEmpty()) [[maybe_unused]]
            auto n = ::write(fd, b.constData(), static_cast<size_t>(b.size()));
    }
    void executer(const QString& chemin, std::promise<bool>& ouvert) {
        const int fd = ::open(chemin.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
        ouvert.set_value(fd >= 0);
        if (fd < 0)
            return;
        while (!m_stop) {
            pollfd pfd{fd, POLLIN, 0};
            if (::poll(&pfd, 1, 10) <= 0)
                continue;
            if (pfd.revents & (POLLHUP | POLLERR | POLLNVAL))
                break;
            char c;
            if (::read(fd, &c, 1) != 1)
                break;
            {
                std::lock_guard verrou(m_mutex);
                m_recu.append(c);
            }
            if (m_script.empty())
                continue;
            const Reponse r = m_script.front();
            m_script.pop_front();
            QThread::msleep(static_cast<unsigned long>(r.delaiMs));
            ecrire(fd, r.octets);
            if (!r.tardifs.isEmpty()) {
                QThread::msleep(static_cast<unsigned long>(r.delaiTardifsMs));
                ecrire(fd, r.tardifs);
            }
        }
        ::close(fd);
    }

    std::deque<Reponse> m_script;
    std::thread m_fil;
    std::atomic<bool> m_stop{false};
    bool m_ouvert = false;
    std::mutex m_mutex;
    QByteArray m_recu;
};

class EuroKeyTest : public ::testing::Test {
protected:
    void SetUp() override {
        reinitialiserEtatGlobal();
        ASSERT_TRUE(paire.brancher());
        Global().PeripheriqueLecteurBadge = paire.a();
    }
    void TearDown() override {
        EuroKey::FermerPortEuroKey();
        reinitialiserEtatGlobal();
    }
    PaireSocat paire;
};

} // namespace

TEST(EuroKeyTrame, LongueurAbsenceDeBadgeEtNumero) {
    struct Cas {
        QByteArray reponse;
        bool seize;
        const char* attendu;
    };
    const Cas cas[] = {
        {trame(0, 0, {0x00, 0x00, 0x30, 0x39}), false, "12345"},
        {trame(0, 0, {0x00, 0x01, 0x00, 0x00}), false, "65536"},
        {trame(0, 0, {0x80, 0x00, 0x00, 0x00}), false, "-2147483648"},
        {trame(0, 0, {0xFF, 0xFF, 0xFF, 0xFF}), false, "-1"},
        {trame(0, 0, {0x7F, 0xFF, 0xFF, 0xFF}), false, "2147483647"},
        {trame(0, 0, {0x00, 0x00, 0x00, 0x00}), false, "0"},
        {trame(0, 0, {0x00, 0x00, 0x30, 0x39}, 13), false, "12345"},
        {trame(0, 0, {0x00, 0x00, 0x30}, 12), false, ""},
        {QByteArray(), false, ""},
        {trame(0xFF, 0xFF, {0x00, 0x00, 0x30, 0x39}), false, ""},
        {trame(0xFF, 0xFF, {0xFF, 0xFF, 0xFF, 0xFF}, 200), false, ""},
        {trame(0xFF, 0x00, {0x00, 0x00, 0x30, 0x39}), false, "12345"},
        {trame(0x00, 0xFF, {0x00, 0x00, 0x30, 0x39}), false, "12345"},
        // Longer than the reader's 17 bytes: noise or a shifted answer, whatever its bytes 10 to 13.
        {trame(0, 0, {0x00, 0x00, 0x30, 0x39}, 18), false, ""},
        {trame(0, 0, {0x00, 0x00, 0x30, 0x39}, 200), false, ""},
        // The open point: 0x8000 to 0xFFFF.
        {trame(0, 0, {0x00, 0x00, 0x80, 0x00}), false, "32768"},
        {trame(0, 0, {0x00, 0x00, 0xFF, 0xFF}), false, "65535"},
        {trame(0, 0, {0x00, 0x00, 0x80, 0x00}), true, "-32768"},
        {trame(0, 0, {0x00, 0x00, 0xFF, 0xFF}), true, "-1"},
        {trame(0, 0, {0x00, 0x00, 0x7F, 0xFF}), true, "32767"},
        {trame(0, 0, {0x00, 0x01, 0x80, 0x00}), true, "98304"},
        {trame(0, 0, {0x80, 0x00, 0x00, 0x00}), true, "-2147483648"},
    };
    for (const Cas& c : cas)
        EXPECT_EQ(EuroKey::BadgeDeReponse(c.reponse, c.seize), QString::fromLatin1(c.attendu))
            << c.reponse.toHex(' ').toStdString() << (c.seize ? " (16 bits)" : "");
}

TEST(EuroKeyReglages, PeripheriqueDuLecteur) {
    EtatGlobal etat;
    EXPECT_EQ(EuroKey::PeripheriqueLecteurBadge(etat), QStringLiteral("/dev/ttyS0"));
    etat.PortLecteurBadge = 3;
    EXPECT_EQ(EuroKey::PeripheriqueLecteurBadge(etat), QStringLiteral("/dev/ttyS2"));
    etat.PeripheriqueLecteurBadge = QStringLiteral("/dev/serial/by-id/usb-lecteur-if00");
    EXPECT_EQ(EuroKey::PeripheriqueLecteurBadge(etat), QStringLiteral("/dev/serial/by-id/usb-lecteur-if00"));
    EXPECT_FALSE(etat.LectureBadge16Bits);
}

// Several reads on one open port. The bytes that come after a frame was taken are dropped before the next
// request: they never answer it, so a reader silent to the next exchange gives "ERREUR".
TEST_F(EuroKeyTest, EchangesSurUnPortOuvertUneFois) {
    const QByteArray late = octets({0x55});
    LecteurFactice lecteur(paire.b(), {
                                          {octets({0x01}), 20},
                                          {octets({0x02}), 50},
                                          {trame(0, 0, {0x00, 0x00, 0x30, 0x39}), 30, late, 150},
                                          {QByteArray(), 0}, // silent: the late byte does not answer
                                          {octets({0x01}), 0},
                                          {octets({0x02}), 0},
                                          {trame(0xFF, 0x00, {0x00, 0x01, 0x00, 0x00}), 10},
                                          {octets({0x01}), 0},
                                          {octets({0x02}), 0},
                                          // the number read in 16 bits
                                          {trame(0, 0, {0x00, 0x00, 0x80, 0x00}), 0},
                                      });
    ASSERT_TRUE(lecteur.ouvert());
    EXPECT_EQ(EuroKey::LireBadgeEuroKey(), QStringLiteral("12345"));
    QThread::msleep(300);
    EXPECT_EQ(EuroKey::LireBadgeEuroKey(), QStringLiteral("ERREUR"));
    EXPECT_EQ(EuroKey::LireBadgeEuroKey(), QStringLiteral("65536"));
    Global().LectureBadge16Bits = true;
    EXPECT_EQ(EuroKey::LireBadgeEuroKey(), QStringLiteral("-32768"));
    EXPECT_EQ(lecteur.requetes(10), octets({0, 4, 0, 0, 0, 4, 0, 0, 4, 0}));
}

// One exchange per case on the open port, each with a reader of its own. A byte in front of the frame,
// an acknowledgement that comes late or in two bytes, or more bytes than a frame shift the frame: never a
// number then, only "". Frames of 13 to 17 bytes, however slowly they come, give their badge.
TEST_F(EuroKeyTest, TramesDecaleesRefuseesTramesValidesLues) {
    using Reponse = LecteurFactice::Reponse;
    const QByteArray t = trame(0, 0, {0x00, 0x00, 0x30, 0x39});
    const QByteArray bruit(40, '\x5A');
    struct Cas {
        const char* nom;
        std::deque<Reponse> script;
        const char* attendu;
    };
    const Cas cas[] = {
        {"octet parasite avant la trame",
         {{octets({1}), 0}, {octets({2}), 0}, {octets({0x42}), 0, t, 20}},
         ""},
        {"octet parasite, dernier octet de la trame en retard",
         {{octets({1}), 0}, {octets({2}), 0}, {octets({0x42}) + t.left(16), 0, t.mid(16), 15}},
         ""},
        {"accusé arrivé après son attente", {{octets({1}), 0}, {octets({2}), 3300}, {t, 0}}, ""},
        {"accusé en deux octets", {{octets({1}), 0}, {octets({2}), 0, octets({3}), 20}, {t, 0}}, ""},
        {"réponse en deux octets, accusé en retard",
         {{octets({1}), 0, octets({1}), 100}, {octets({2}), 30}, {t, 0}},
         ""},
        {"bruit plus long qu'une trame", {{octets({1}), 0}, {octets({2}), 0}, {bruit, 0}}, ""},
        {"bruit plus long qu'une trame, en deux temps",
         {{octets({1}), 0}, {octets({2}), 0}, {bruit.left(17), 0, bruit.mid(17), 15}},
         ""},
        {"trame de 17 octets", {{octets({1}), 0}, {octets({2}), 0}, {t, 0}}, "12345"},
        {"trame de 13 octets", {{octets({1}), 0}, {octets({2}), 0}, {t.left(13), 0}}, "12345"},
        {"accusé et trame lents",
         {{octets({1}), 300}, {octets({2}), 2500}, {t.left(10), 200, t.mid(10), 1000}},
         "12345"},
        {"pas de badge",
         {{octets({1}), 0}, {octets({2}), 0}, {trame(0xFF, 0xFF, {0, 0, 0x30, 0x39}), 0}},
         ""},
    };
    for (const Cas& c : cas) {
        LecteurFactice lecteur(paire.b(), c.script);
        ASSERT_TRUE(lecteur.ouvert()) << c.nom;
        EXPECT_EQ(EuroKey::LireBadgeEuroKey().toStdString(), c.attendu) << c.nom;
        EXPECT_EQ(lecteur.requetes(3), octets({0, 4, 0})) << c.nom;
    }
}

// A silent reader: "ERREUR" after about 1 s, the first request alone sent. Then one that answers its
// first two requests and not the frame, then a short frame: "" both, after the 2 s wait.
TEST_F(EuroKeyTest, LecteurMuetOuReponseCourte) {
    {
        LecteurFactice muet(paire.b(), {});
        ASSERT_TRUE(muet.ouvert());
        QElapsedTimer chrono;
        chrono.start();
        EXPECT_EQ(EuroKey::LireBadgeEuroKey(), QStringLiteral("ERREUR"));
        EXPECT_GE(chrono.elapsed(), 950);
        EXPECT_LT(chrono.elapsed(), 1800);
        EXPECT_EQ(muet.requetes(1), octets({0}));
    }
    LecteurFactice court(
        paire.b(), {{octets({0x01}), 0}, {octets({0x02}), 0}, {trame(0, 0, {0x00, 0x00, 0x30}, 12), 0}});
    ASSERT_TRUE(court.ouvert());
    QElapsedTimer chrono;
    chrono.start();
    EXPECT_EQ(EuroKey::LireBadgeEuroKey(), QString());
    EXPECT_GE(chrono.elapsed(), 1950);
    EXPECT_EQ(court.requetes(3), octets({0, 4, 0}));
}

// Missing device: the read throws and names it; once it exists the read works; pulled out between two
// reads and plugged back, the next read opens it again. A device held by someone else also throws.
TEST_F(EuroKeyTest, PeripheriqueAbsentDebrancheOuOccupe) {
    paire.debrancher();
    try {
        EuroKey::LireBadgeEuroKey();
        ADD_FAILURE() << "no error on a missing device";
    } catch (const ErreurExecution& e) {
        EXPECT_EQ(e.numero(), ErreurExecution::PortSerieFerme);
        EXPECT_TRUE(e.description().contains(paire.a())) << e.description().toStdString();
    }
    const std::deque<LecteurFactice::Reponse> script = {
        {octets({0x01}), 0}, {octets({0x02}), 0}, {trame(0, 0, {0xFF, 0xFF, 0xFF, 0xFF}), 0}};
    for (int branchement = 0; branchement < 2; ++branchement) {
        ASSERT_TRUE(paire.brancher());
        LecteurFactice lecteur(paire.b(), script);
        ASSERT_TRUE(lecteur.ouvert());
        EXPECT_EQ(EuroKey::LireBadgeEuroKey(), QStringLiteral("-1")) << branchement;
        lecteur.arreter();
        paire.debrancher();
    }

    ASSERT_TRUE(paire.brancher());
    LecteurFactice lecteur(paire.b(), script);
    EuroKey::FermerPortEuroKey();
    QSerialPort autre(paire.a());
    ASSERT_TRUE(autre.open(QIODevice::ReadWrite));
    EXPECT_THROW(EuroKey::LireBadgeEuroKey(), ErreurExecution);
}
