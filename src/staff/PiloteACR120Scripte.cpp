#include "staff/PiloteACR120Scripte.h"

#include <algorithm>

qint16 PiloteACR120Scripte::ACR120_Open(qint16 port) {
    m_portsEssayes.append(port);
    const qint16 reponse = m_ports.value(port, PortInvalide);
    if (reponse >= 0)
        m_ouverts.insert(reponse);
    return reponse;
}

void PiloteACR120Scripte::ACR120_Close(qint16 handle) {
    m_handlesFermes.append(handle);
    m_ouverts.remove(handle);
}

qint16 PiloteACR120Scripte::ACR120_ListTags(qint16 handle, TamponsTags& t) {
    m_handlesListes.append(handle);
    if (!m_ouverts.contains(handle))
        return HandleInvalide;
    const Listage l = m_listages.isEmpty() ? Listage() : m_listages.takeFirst();
    if (l.statut < 0)
        return l.statut;
    t = TamponsTags();
    t.nombre = static_cast<quint8>(std::min<qsizetype>(l.tags.size(), 255));
    // Like the library, tags past the buffers' ends are counted but not stored, and a long serial
    // runs into the next tags' places.
    for (qsizetype i = 0; i < l.tags.size() && i < static_cast<qsizetype>(t.longueurs.size()); ++i) {
        const QByteArray& serie = l.tags.at(i);
        t.longueurs[i] = static_cast<quint8>(std::min<qsizetype>(serie.size(), 255));
        for (qsizetype j = 0; j < t.longueurs[i] && i * 10 + j < static_cast<qsizetype>(t.series.size()); ++j)
            t.series[i * 10 + j] = static_cast<quint8>(serie.at(j));
    }
    return l.statut;
}
