#include "common/ChampCSV.h"

namespace ChampCSV {

void ajouter(QString& ligne, QStringView valeur) {
    bool aProteger = false;
    for (const QChar c : valeur)
        if (c == u';' || c == u'"' || c == u'\r' || c == u'\n') {
            aProteger = true;
            break;
        }
    if (!aProteger) {
        ligne += valeur;
        return;
    }
    ligne += u'"';
    for (const QChar c : valeur) {
        if (c == u'"')
            ligne += u'"';
        ligne += c;
    }
    ligne += u'"';
}

QString champ(const QString& valeur) {
    QString s;
    ajouter(s, valeur);
    return s;
}

} // namespace ChampCSV
