#include "staff/EuroKey.h"

#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"

#include <QCoreApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QSerialPort>
#include <memory>

namespace EuroKey {

namespace {

// The reader's answer frame: 17 bytes, of which 13 carry the badge.
constexpr qint64 TailleTrame = 17;
constexpr qint64 TailleTrameUtile = 13;
// Quiet time that ends a full frame. A byte within it means the reader sent more than a frame (a stray
// byte or a late acknowledgement in front of it); it covers a USB adapter's delivery delay.
constexpr int SilenceApresTrameMs = 50;

std::unique_ptr<QSerialPort> g_port;
// Device and system's reason of the last open that failed, for the error of the next exchange.
QString g_peripherique;
QString g_raisonEchec;

// The hourglass while the exchange blocks; pushed and popped, so that a form's own hourglass stays.
class Sablier {
public:
    Sablier() : m_actif(qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
        if (m_actif)
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~Sablier() {
        if (m_actif)
            QGuiApplication::restoreOverrideCursor();
    }
    Sablier(const Sablier&) = delete;
    Sablier& operator=(const Sablier&) = delete;

private:
    bool m_actif;
};

bool enPanne(const QSerialPort& p) {
    const auto e = p.error();
    return e != QSerialPort::NoError && e != QSerialPort::TimeoutError;
}

// A device error (an adapter unplugged) leaves the descriptor dead: the port then counts as closed.
void fermerSiEnPanne(QSerialPort& p) {
    if (p.isOpen() && enPanne(p)) {
        g_raisonEchec = p.errorString();
        p.close();
    }
}

// Takes what the system holds for the port into its buffer, without waiting.
void recueillir(QSerialPort& p) {
    p.clearError();
    while (p.isOpen() && p.waitForReadyRead(0)) {
    }
}

// Waits until `n` bytes are there or `ms` have passed, then takes every byte waiting.
QByteArray attendre(QSerialPort& p, qint64 n, int ms) {
    QElapsedTimer chrono;
    chrono.start();
    p.clearError();
    while (p.isOpen() && p.bytesAvailable() < n && chrono.elapsed() <= ms) {
        const int reste = static_cast<int>(qMax<qint64>(1, ms + 1 - chrono.elapsed()));
        if (!p.waitForReadyRead(reste) && enPanne(p))
            break;
    }
    if (!enPanne(p))
        recueillir(p);
    const QByteArray recu = p.isOpen() ? p.readAll() : QByteArray();
    fermerSiEnPanne(p);
    return recu;
}

// Every request starts on an empty buffer: what waits (the tail of an earlier answer, a late
// acknowledgement, noise) would otherwise be taken for its answer.
void envoyer(QSerialPort& p, char octet) {
    if (p.isOpen()) {
        recueillir(p);
        p.readAll();
        fermerSiEnPanne(p);
    }
    if (!p.isOpen())
        throw ErreurExecution(
            ErreurExecution::PortSerieFerme,
            QStringLiteral("Port du lecteur de badge %1 non ouvert : %2").arg(g_peripherique, g_raisonEchec),
            QStringLiteral("LireBadgeEuroKey"));
    p.clearError();
    if (p.write(&octet, 1) != 1 || !p.waitForBytesWritten(1000)) {
        const QString raison = p.errorString();
        fermerSiEnPanne(p);
        throw ErreurExecution(
            ErreurExecution::PortSerieFerme,
            QStringLiteral("Envoi impossible au lecteur de badge %1 : %2").arg(p.portName(), raison),
            QStringLiteral("LireBadgeEuroKey"));
    }
}

} // namespace

QString PeripheriqueLecteurBadge(const EtatGlobal& etat) {
    if (!etat.PeripheriqueLecteurBadge.isEmpty())
        return etat.PeripheriqueLecteurBadge;
    return QStringLiteral("/dev/ttyS") + QString::number(etat.PortLecteurBadge - 1);
}

QString BadgeDeReponse(const QByteArray& reponse, bool lecture16Bits) {
    if (reponse.size() < TailleTrameUtile || reponse.size() > TailleTrame)
        return QString();
    auto octet = [&reponse](int numero) { return static_cast<quint8>(reponse.at(numero - 1)); };
    if (octet(1) == 0xFF && octet(2) == 0xFF)
        return QString();
    const quint32 brut =
        quint32(octet(10)) << 24 | quint32(octet(11)) << 16 | quint32(octet(12)) << 8 | quint32(octet(13));
    if (lecture16Bits && brut >= 0x8000 && brut <= 0xFFFF)
        return QString::number(static_cast<qint16>(static_cast<quint16>(brut)));
    return QString::number(static_cast<qint32>(brut));
}

void OuvrirPortEuroKey() {
    if (!g_port) {
        g_port = std::make_unique<QSerialPort>();
        qAddPostRoutine(&FermerPortEuroKey);
    }
    QSerialPort& p = *g_port;
    if (p.isOpen()) {
        recueillir(p); // a dead device shows here
        fermerSiEnPanne(p);
        if (p.isOpen())
            return;
    }
    g_peripherique = PeripheriqueLecteurBadge(Global());
    p.setPortName(g_peripherique);
    p.clearError();
    if (!p.open(QIODevice::ReadWrite)) {
        g_raisonEchec = p.errorString();
        p.close();
        return;
    }
    if (!p.setBaudRate(QSerialPort::Baud9600) || !p.setParity(QSerialPort::NoParity) ||
        !p.setDataBits(QSerialPort::Data8) || !p.setStopBits(QSerialPort::OneStop) ||
        !p.setFlowControl(QSerialPort::NoFlowControl)) {
        g_raisonEchec = p.errorString();
        p.close();
        return;
    }
    p.clear(QSerialPort::Input);
    recueillir(p);
    p.readAll();
    g_raisonEchec.clear();
    fermerSiEnPanne(p);
}

QString LireBadgeEuroKey() {
    const Sablier sablier;
    OuvrirPortEuroKey();
    QSerialPort& p = *g_port;
    envoyer(p, '\x00');
    if (attendre(p, 1, 1000).isEmpty())
        return QStringLiteral("ERREUR");
    envoyer(p, '\x04');
    attendre(p, 1, 3000);
    envoyer(p, '\x00');
    QByteArray reponse = attendre(p, TailleTrame, 2000);
    if (reponse.size() == TailleTrame)
        reponse += attendre(p, 1, SilenceApresTrameMs);
    return BadgeDeReponse(reponse, Global().LectureBadge16Bits);
}

void FermerPortEuroKey() {
    if (g_port)
        g_port->close();
}

} // namespace EuroKey
