#include "reports/CompteRendu.h"
#include "common/DateTexte.h"
#include "reports/ReportData.h"

#include <gtest/gtest.h>

using namespace CompteRendu;

namespace {

QString texte(const Periode& p) {
    return DateTexte::ecrire(p.debut) + QStringLiteral(" - ") + DateTexte::ecrire(p.fin);
}

} // namespace

// Month, year and leap-day boundaries; the week before the Monday-to-Sunday week of today, whatever the day.
TEST(CompteRendu, ShortcutPeriodsAcrossMonthsYearsAndLeapDays) {
    struct Cas {
        QDate jour;
        Periode (*raccourci)(const QDate&);
        const char* attendu;
    };
    const Cas cas[] = {
        {QDate(2028, 3, 14), moisDernier, "01/02/2028 - 29/02/2028"},
        {QDate(2027, 1, 3), moisDernier, "01/12/2026 - 31/12/2026"},
        {QDate(2017, 3, 15), moisDernier, "01/02/2017 - 28/02/2017"},
        {QDate(2016, 3, 10), moisDernier, "01/02/2016 - 29/02/2016"},
        {QDate(2026, 10, 31), moisDernier, "01/09/2026 - 30/09/2026"},
        {QDate(2026, 10, 4), semaineDerniere, "21/09/2026 - 27/09/2026"},  // Sunday
        {QDate(2026, 10, 5), semaineDerniere, "28/09/2026 - 04/10/2026"},  // Monday
        {QDate(2026, 10, 10), semaineDerniere, "28/09/2026 - 04/10/2026"}, // Saturday
        {QDate(2027, 1, 6), semaineDerniere, "28/12/2026 - 03/01/2027"},
        {QDate(2028, 3, 6), semaineDerniere, "28/02/2028 - 05/03/2028"},
        {QDate(2017, 5, 14), semaineDerniere, "01/05/2017 - 07/05/2017"},
        {QDate(2017, 5, 16), semaineDerniere, "08/05/2017 - 14/05/2017"},
        {QDate(2026, 9, 1), debutMois, "01/09/2026 - 01/09/2026"},
        {QDate(2028, 2, 29), debutMois, "01/02/2028 - 29/02/2028"},
        {QDate(2027, 1, 1), debutAnnee, "01/01/2027 - 01/01/2027"},
        {QDate(2028, 12, 31), debutAnnee, "01/01/2028 - 31/12/2028"},
    };
    for (const Cas& c : cas)
        EXPECT_EQ(texte(c.raccourci(c.jour)), QString::fromLatin1(c.attendu))
            << qPrintable(c.jour.toString());
}

// A period text is a day written d/M/yyyy, blanks around it ignored, or no date at all.
TEST(CompteRendu, PeriodTextsTheHeaderLineAndTheSelectionFormula) {
    EXPECT_EQ(DateTexte::lire(QStringLiteral("1/3/2026")), QDate(2026, 3, 1));
    EXPECT_EQ(DateTexte::lire(QStringLiteral(" 01/03/2026 ")), QDate(2026, 3, 1));
    for (const QString& t : {QStringLiteral("31/02/2026"), QString(), QStringLiteral("12/13/2026"),
                             QStringLiteral("2026-03-01"), QStringLiteral("1/3/2026x"), QString(300, u'9')})
        EXPECT_FALSE(DateTexte::lire(t).isValid()) << qPrintable(t);
    EXPECT_EQ(DateTexte::ecrire(QDate(2026, 3, 1)), QStringLiteral("01/03/2026"));
    EXPECT_EQ(ReportData::periodLine(QStringLiteral(" 1/3/2026"), QStringLiteral("30/02/2026"), true),
              QStringLiteral("Période du 01/03/2026 au 30/02/2026"));

    EXPECT_EQ(ConstruireFormuleSelection(QString(), QDate(2017, 3, 1), QDate(2017, 3, 31)), QString());
    EXPECT_EQ(ConstruireFormuleSelection(QStringLiteral("CA.LaDate"), QDate(2017, 3, 1), QDate(2017, 12, 31)),
              QStringLiteral("{CA.LaDate}>=Date(2017,3,1) and {CA.LaDate}<=Date(2017,12,31)"));
}
