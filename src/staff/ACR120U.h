#pragma once

#include "common/LecteurTag.h"

#include <QString>
#include <QtGlobal>

class PiloteACR120;

// The USB contactless badge reader: opened at start by the main window, polled by the counter, read on
// demand by the employee card and the maintenance badges. Everything runs on the interface thread.
namespace ACR120U {

// What the last open answered: a reader handle (zero or more) or the code of the last failed port.
extern qint16 HandleLecteurACR120;

// Tries ports 0 to 7 in turn, keeping each answer in the handle: "OK" at the first reader, else the
// message of port 7's code ("" when that code has none).
QString OuvrirACR120();
// The serial number of the last tag listed on the kept handle, upper-case hexadecimal, two digits a
// byte; "" when none is in the field or the listing fails. A count or a length that would read past
// the buffers stops the walk (logged under "LireTagACR120") with the last tag completed.
QString LireTagACR120();
// The text of one of the reader's codes, "" for a code it does not know.
QString MessageErreurACR120(qint16 code);
// True while the kept handle is a reader opened here and not closed since: a read can then use it
// without opening the reader again.
bool EstOuvert();
// The library's close, on a handle (the callers pass the kept one).
void ACR120_Close(qint16 handle);

// The reader library used (ownership stays with the caller); nullptr: no library, every port invalid.
// Forgets which handles were open.
void installerPilote(PiloteACR120* pilote);

} // namespace ACR120U

// The reader as the main window and the counter reach it, through the common interface.
class LecteurTagACR120 : public LecteurTag {
public:
    QString OuvrirACR120() override { return ACR120U::OuvrirACR120(); }
    QString LireTagACR120() override { return ACR120U::LireTagACR120(); }
    void FermerACR120() override { ACR120U::ACR120_Close(ACR120U::HandleLecteurACR120); }
};
