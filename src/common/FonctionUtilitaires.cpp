#include "common/FonctionUtilitaires.h"

#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/MajBase.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>

namespace FonctionUtilitaires {

namespace {

bool estNull(const QVariant& v) {
    return !v.isValid() || v.isNull();
}

ErreurExecution incompatible(const char* source) {
    return ErreurExecution(ErreurExecution::TypeMismatch, QStringLiteral("Type mismatch"),
                           QString::fromLatin1(source));
}

QString enTexte(const QVariant& v, const char* source) {
    switch (v.metaType().id()) {
    case QMetaType::QDate:
        return v.toDate().toString(QStringLiteral("dd/MM/yyyy"));
    case QMetaType::QDateTime: {
        const QDateTime t = v.toDateTime();
        // Dates without a time show as dates, as the original's text conversion does.
        return t.time() == QTime(0, 0) ? t.toString(QStringLiteral("dd/MM/yyyy"))
                                       : t.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
    }
    case QMetaType::Double:
    case QMetaType::Float: {
        QString s = QString::number(v.toDouble(), 'g', 15);
        return s.replace(QLatin1Char('.'), Global().SeparateurDecimal);
    }
    case QMetaType::Bool:
        return v.toBool() ? QStringLiteral("Vrai") : QStringLiteral("Faux");
    default:
        break;
    }
    if (!v.canConvert<QString>())
        throw incompatible(source);
    return v.toString();
}

} // namespace

QString ConvertNullStr(const QVariant& valeur) {
    if (estNull(valeur))
        return QString();
    try {
        return enTexte(valeur, "ConvertNullStr");
    } catch (const ErreurExecution& e) {
        MajBase::SignalerErreur(QStringLiteral("ConvertNullStr"), e);
    }
    return QString();
}

QString NullEnChaine(const QVariant& valeur) {
    if (estNull(valeur))
        return QString();
    return enTexte(valeur, "NullEnChaine");
}

double ConvertNullDbl(const QVariant& valeur) {
    if (estNull(valeur))
        return 0;
    const int type = valeur.metaType().id();
    if (type == QMetaType::QString || type == QMetaType::QByteArray) {
        QString texte = valeur.toString().trimmed();
        if (texte.isEmpty())
            return 0;
        const QString sep = Global().SeparateurDecimal;
        if (!sep.isEmpty() && sep != QStringLiteral("."))
            texte.replace(sep, QStringLiteral("."));
        bool ok = false;
        const double d = QLocale::c().toDouble(texte, &ok);
        if (!ok)
            throw incompatible("ConvertNullDbl");
        return d;
    }
    if (type == QMetaType::QDate || type == QMetaType::QDateTime || type == QMetaType::QTime)
        throw incompatible("ConvertNullDbl");
    bool ok = false;
    const double d = valeur.toDouble(&ok);
    if (!ok)
        throw incompatible("ConvertNullDbl");
    return d;
}

} // namespace FonctionUtilitaires
