#pragma once

#include <QByteArray>
#include <QString>

// The descrambling of the logins kept in the settings file.
namespace Crypte {

// Works on the single-byte codes of the Windows code page: each byte minus the matching byte of the
// key "wrenalup" (repeated), 255 added when the difference is negative.
QByteArray Decrypte(const QByteArray& octets);
// The same on a text: re-encoded to Windows-1252, descrambled, decoded back from Windows-1252.
QString Decrypte(const QString& texte);

} // namespace Crypte
