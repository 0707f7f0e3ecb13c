#include "common/DateTexte.h"

namespace DateTexte {

QString ecrire(const QDate& date) {
    return date.toString(QStringLiteral("dd/MM/yyyy"));
}

QDate lire(const QString& texte) {
    return QDate::fromString(texte.trimmed(), QStringLiteral("d/M/yyyy"));
}

} // namespace DateTexte
