#include "common/forms/TraductionsQt.h"

#include "common/EtatGlobal.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

namespace {
QPointer<QTranslator> s_installee;
// The language last asked for, loaded or not (a missing translation is not looked for again).
QString s_langue;
bool s_demandee = false;
} // namespace

bool InstallerTraductionsQt(const QString& langue) {
    s_langue = langue;
    s_demandee = true;
    if (s_installee) {
        QCoreApplication::removeTranslator(s_installee);
        delete s_installee;
    }
    QString code = langue.trimmed().toLower();
    if (code.isEmpty())
        code = QStringLiteral("fr");
    auto* t = new QTranslator(QCoreApplication::instance());
    if (!t->load(QStringLiteral("qtbase_") + code, QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete t;
        return false;
    }
    QCoreApplication::installTranslator(t);
    s_installee = t;
    return true;
}

void SuivreLangueCourante() {
    const QString& langue = Global().LangueCourante;
    if (!s_demandee || langue != s_langue)
        InstallerTraductionsQt(langue);
}
