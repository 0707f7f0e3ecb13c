#pragma once

#include <QDate>
#include <QString>
#include <QtGlobal>

// The goods issue posted to SAP as an IDoc WMMBID02 XML document over plain HTTP, with its logs in the
// folder "ExportSAP" of the program folder. The counter form holds the result flag and hands it over.
namespace ExportSAP {

// Section "SAP" of the settings file (Global().CheminIni), each key read as LireIniString reads it.
struct ParametresSAP {
    QString User;     // default "PIQUOREL"
    QString Password; // default "K47MWQ9D"
    QString RepSAP;   // request path and query
    QString Adresse;  // host name, default "localhost"
    quint16 Port = 0; // default 51000
};

// The five values, defaults for the missing keys. "Port" is read as text: a text that is no whole number
// throws ErreurExecution 13 (Type mismatch), a number outside 1 to 65535 throws 6 (Overflow).
ParametresSAP LireParametresSAP();

// The document: 31 lines joined by CR LF, none after the last, dated `jour`. BKTXT is cut to its first 25
// characters; a MATNR of digits only (outer blanks dropped) is padded with zeros to 18 digits, any other
// text goes as given. In BKTXT, MATNR and KOSTL "&" and "<" are written as entities and the characters
// outside ISO-8859-1 as numeric references, so the text converts to ISO-8859-1 whole.
QString DocumentXML(const QString& BKTXT, const QString& MATNR, const QString& KOSTL, qint32 ERFMG,
                    const QDate& jour);

// The limit on one exchange with the adapter (the HTTP component's setting of 100 seconds).
constexpr int DelaiEchangeMs = 100 * 1000;

// Posts today's document (FnWendrox::Maintenant()) to "http://" Adresse ":" Port RepSAP with the settings'
// credentials, waiting at most `delaiMs` (user input held back meanwhile). `p1` is not used.
//  - A reply with an HTTP status, an error status included: ExportSAPReussi = true, then
//    "ExportSAP/Responselog.txt" replaced by two lines, Qt's error text ("" when none) and the body.
//  - No reply: ExportSAPReussi = false, then "ExportSAP/errorlog.txt" replaced by the error text.
// A failure (the folder, the settings, a log file) is logged under "ExportToSapXML"; one before the post
// leaves ExportSAPReussi as it was and posts nothing. Never throws.
void ExportToSapXML(bool& ExportSAPReussi, const QString& p1, const QString& BKTXT, const QString& MATNR,
                    const QString& KOSTL, qint32 ERFMG, int delaiMs = DelaiEchangeMs);

} // namespace ExportSAP
