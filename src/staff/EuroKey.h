#pragma once

#include <QByteArray>
#include <QString>

struct EtatGlobal;

// The serial badge reader: the module owns its serial port, opened at the first read and kept open.
// One exchange asks the reader three times (0x00, 0x04, 0x00) and turns its last answer into the badge
// number. It blocks the calling thread for up to 6 seconds, without handling window events.
namespace EuroKey {

// The device of the reader: "PeripheriqueLecteurBadge" when set, else "/dev/ttyS<n-1>" for serial port n
// of "PortLecteurBadge".
QString PeripheriqueLecteurBadge(const EtatGlobal& etat);

// The badge number of the reader's answer frame: "" when it has fewer than 13 or more than 17 bytes (a
// longer answer is shifted by what came in front of the frame), or its bytes 1 and 2 are both 0xFF;
// otherwise bytes 10 to 13 (most significant first) as a signed 32-bit number in decimal.
// Numbers 0x8000 to 0xFFFF give -32768 to -1 when `lecture16Bits`, else 32768 to 65535.
QString BadgeDeReponse(const QByteArray& reponse, bool lecture16Bits);

// Opens the port at 9600 baud, no parity, 8 data bits, 1 stop bit, no flow control, and drops whatever
// waits, unless it is open already. A failure is silent and leaves the port closed; a port closed by a
// device error is opened again.
void OuvrirPortEuroKey();

// One exchange with the reader: the badge number, "" (no badge, an answer shorter or longer than a frame),
// or "ERREUR" when the reader does not answer the first request within 1 s. Whatever waits on the port is
// dropped before each request. Throws ErreurExecution (PortSerieFerme) when the port is not open, naming
// the device and the system's reason.
QString LireBadgeEuroKey();

// Closes the port (done at the program's end); the next read opens it again.
void FermerPortEuroKey();

} // namespace EuroKey
