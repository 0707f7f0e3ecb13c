#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// The installation's code page: the single-byte Windows page of the language file chosen at start
// ("Langue" of section "Machine"), Windows-1250 for the Polish and Slovak files, else Windows-1252. The
// language file never changes during a run, so neither does the page. Names and comments in zip
// archives, the mail dialogue and its log, and the CSV exports are written in it.
namespace PageDeCode {

// The text in that page, one byte a character; a character the page lacks becomes "?".
QByteArray versOctets(const QString& texte);
// The text in that page when the page has every one of its characters; nothing otherwise.
std::optional<QByteArray> versOctetsExacts(const QString& texte);
// Bytes read in that page (a server's replies), as text.
QString depuisOctets(const QByteArray& octets);

} // namespace PageDeCode
