#pragma once

#include <QByteArray>
#include <QString>

// Base64 of RFC 4648 (the SMTP login and password): "A" to "Z", "a" to "z", "0" to "9", "+", "/", and
// "=" to fill the last group.
namespace EncodeBase64 {

// The Base64 text of the bytes. A text longer than 76 characters is cut into lines of 76 joined by CR LF,
// with no line end after the last.
QString EncoderBase64(const QByteArray& octets);

} // namespace EncodeBase64
