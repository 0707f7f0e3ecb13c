#include "staff/ACR120U.h"

#include "common/ErreurExecution.h"
#include "common/MajBase.h"
#include "staff/PiloteACR120.h"

#include <QSet>

namespace ACR120U {

qint16 HandleLecteurACR120 = 0;

namespace {

// The run-time error of an index past the end of an array.
constexpr qint32 IndiceHorsLimites = 9;

// No library: no port has a reader, no handle is open.
class PiloteAbsent : public PiloteACR120 {
public:
    qint16 ACR120_Open(qint16) override { return PortInvalide; }
    qint16 ACR120_ListTags(qint16, TamponsTags&) override { return HandleInvalide; }
    void ACR120_Close(qint16) override {}
};

PiloteAbsent g_absent;
PiloteACR120* g_pilote = nullptr;
// Handles opened here and not closed since.
QSet<qint16> g_ouverts;

PiloteACR120& pilote() {
    return g_pilote ? *g_pilote : g_absent;
}

QString hexa(quint8 octet) {
    return QStringLiteral("%1").arg(octet, 2, 16, QLatin1Char('0')).toUpper();
}

[[noreturn]] void horsLimites() {
    throw ErreurExecution(IndiceHorsLimites, QStringLiteral("Subscript out of range"),
                          QStringLiteral("LireTagACR120"));
}

} // namespace

QString OuvrirACR120() {
    QString message;
    for (qint16 port = 0; port <= 7; ++port) {
        const qint16 h = pilote().ACR120_Open(port);
        HandleLecteurACR120 = h;
        if (h >= 0) {
            g_ouverts.insert(h);
            return QStringLiteral("OK");
        }
        message = MessageErreurACR120(h);
    }
    return message;
}

QString LireTagACR120() {
    TamponsTags t;
    if (pilote().ACR120_ListTags(HandleLecteurACR120, t) < 0)
        return QString();
    QString resultat;
    try {
        for (int i = 0; i < t.nombre; ++i) {
            if (i >= static_cast<int>(t.longueurs.size()))
                horsLimites();
            QString texte;
            const int debut = i * 10;
            for (int j = debut; j < debut + t.longueurs[i]; ++j) {
                if (j >= static_cast<int>(t.series.size()))
                    horsLimites();
                texte += hexa(t.series[j]);
            }
            resultat = texte;
        }
    } catch (const ErreurExecution& e) {
        MajBase::SignalerErreur(QStringLiteral("LireTagACR120"), e);
    }
    return resultat;
}

QString MessageErreurACR120(qint16 code) {
    const char* description = nullptr;
    switch (code) {
    case -1000:
        description = "Unexpected Internal Library Error";
        break;
    case -2000:
        description = "Invalid Port";
        break;
    case -2010:
        description = "Port Occupied by Another Application";
        break;
    case -2020:
        description = "Invalid Handle";
        break;
    case -2030:
        description = "Incorrect Parameter";
        break;
    case -3000:
        description = "No TAG Selected or in Reachable Range";
        break;
    case -3010:
        description = "Read Failed after Operation";
        break;
    case -3020:
        description = "Block doesn't contain value";
        break;
    case -3030:
        description = "Operation Failed";
        break;
    case -3040:
        description = "Unknown Reader Error";
        break;
    case -4010:
        description = "Invalid stored key format in login process";
        break;
    case -4020:
        description = "Reader can't read after write operation";
        break;
    case -4030:
        description = "Decrement Failure (Empty)";
        break;
    default:
        return QString();
    }
    return QStringLiteral("( X ) ") + QLatin1String(description) + QStringLiteral(" : ") +
           QString::number(code);
}

bool EstOuvert() {
    return HandleLecteurACR120 >= 0 && g_ouverts.contains(HandleLecteurACR120);
}

void ACR120_Close(qint16 handle) {
    pilote().ACR120_Close(handle);
    g_ouverts.remove(handle);
}

void installerPilote(PiloteACR120* p) {
    g_pilote = p;
    g_ouverts.clear();
}

} // namespace ACR120U
