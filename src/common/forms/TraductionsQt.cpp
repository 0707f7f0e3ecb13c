#include "common/forms/TraductionsQt.h"

#include "common/EtatGlobal.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QCoreApplication>
#include <QDateTimeEdit>
#include <QEvent>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

namespace {
QPointer<QTranslator> s_installee;
// The language last asked for, loaded or not (a missing translation is not looked for again).
QString s_langue;
bool s_demandee = false;
QLocale s_localeDates = LocaleLangue(QString());

bool widgetDate(const QObject* o) {
    return qobject_cast<const QCalendarWidget*>(o) || qobject_cast<const QDateTimeEdit*>(o);
}

void donnerLocaleDates(QWidget* w) {
    if (w->locale() != s_localeDates)
        w->setLocale(s_localeDates);
}

// Date widgets created after the language was chosen take its locale before they are first shown.
class FiltreDates : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* objet, QEvent* e) override {
        if (e->type() == QEvent::Polish && widgetDate(objet))
            donnerLocaleDates(static_cast<QWidget*>(objet));
        return false;
    }
};

void suivreLangueDates(const QString& langue) {
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app)
        return; // no widgets
    static QPointer<FiltreDates> filtre;
    const QLocale locale = LocaleLangue(langue);
    // Widgets made later take the locale from the filter: the existing ones change only with the language.
    if (filtre && locale == s_localeDates)
        return;
    s_localeDates = locale;
    if (!filtre) {
        filtre = new FiltreDates(app);
        app->installEventFilter(filtre);
    }
    for (QWidget* w : QApplication::allWidgets())
        if (widgetDate(w))
            donnerLocaleDates(w);
}

} // namespace

QLocale LocaleLangue(const QString& langue) {
    const QString code = langue.trimmed().toUpper();
    if (code == QLatin1String("NL"))
        return QLocale(QLocale::Dutch, QLocale::Netherlands);
    if (code == QLatin1String("PL"))
        return QLocale(QLocale::Polish, QLocale::Poland);
    if (code == QLatin1String("SK"))
        return QLocale(QLocale::Slovak, QLocale::Slovakia);
    if (code == QLatin1String("DE"))
        return QLocale(QLocale::German, QLocale::Germany);
    return QLocale(QLocale::French, QLocale::France);
}

bool InstallerTraductionsQt(const QString& langue) {
    s_langue = langue;
    s_demandee = true;
    suivreLangueDates(langue);
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
