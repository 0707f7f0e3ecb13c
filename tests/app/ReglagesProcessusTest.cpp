#include "BaseDeTest.h"

#include "app/ReglagesProcessus.h"
#include "db/Recordset.h"
#include "db/Valeurs.h"
#include "reports/ReportTable.h"

#include <QByteArray>
#include <QStringList>
#include <ctime>
#include <gtest/gtest.h>
#include <optional>

namespace {

class ReglagesProcessusTest : public TestAvecBase {
protected:
    void TearDown() override {
        if (m_tzAvant)
            qputenv("TZ", *m_tzAvant);
        else
            qunsetenv("TZ");
        tzset();
        TestAvecBase::TearDown();
    }
    std::optional<QByteArray> m_tzAvant =
        qEnvironmentVariableIsSet("TZ") ? std::optional<QByteArray>(qgetenv("TZ")) : std::nullopt;
};

void definirTZ(const std::optional<QByteArray>& tz) {
    if (tz)
        qputenv("TZ", *tz);
    else
        qunsetenv("TZ");
    tzset();
}

} // namespace

// Withdrawals read as they were written whatever TZ holds: unset, a zone, the start's setting (over the
// machine's zone file or Paris'), empty, a name that is no zone, a zone file that does not exist. Among
// them the night summer time begins in Paris (02:30 does not exist there) and the night it ends (02:30
// comes twice). The start's setting fills an unset TZ only.
TEST_P(ReglagesProcessusTest, DatesReadAsWrittenWhateverTheTimeZone) {
    const QStringList textes = {"2026-03-29 02:30:00", "2026-10-25 02:30:00", "2026-07-14 23:59:59",
                                "2026-01-05 00:00:00"};
    for (const QString& t : textes)
        cnx().executer(QStringLiteral("INSERT INTO Ventes (LaDate, Utilisateur) VALUES (?, ?)"), {t, t});

    struct Situation {
        const char* nom;
        std::optional<QByteArray> tz;
        bool parLeDemarrage;
        std::optional<QByteArray> tzAttendu;
    };
    const QList<Situation> situations = {
        {"unset", std::nullopt, false, std::nullopt},
        {"Paris", QByteArray("Europe/Paris"), false, QByteArray("Europe/Paris")},
        {"unset, then the start", std::nullopt, true, QByteArray(":/etc/localtime")},
        {"Paris's file, then the start", QByteArray(":/usr/share/zoneinfo/Europe/Paris"), true,
         QByteArray(":/usr/share/zoneinfo/Europe/Paris")},
        {"empty, then the start", QByteArray(""), true, QByteArray("")},
        {"no zone, then the start", QByteArray("Nowhere/Zone"), true, QByteArray("Nowhere/Zone")},
        {"missing file, then the start", QByteArray(":/nowhere/localtime"), true,
         QByteArray(":/nowhere/localtime")},
    };
    for (const Situation& s : situations) {
        definirTZ(s.tz);
        if (s.parLeDemarrage)
            ReglagesProcessus::fixerFuseauHoraire();
        EXPECT_EQ(qEnvironmentVariableIsSet("TZ"), s.tzAttendu.has_value()) << s.nom;
        if (s.tzAttendu) {
            EXPECT_EQ(qgetenv("TZ"), *s.tzAttendu) << s.nom;
        }

        Recordset rs;
        rs.Open(cnx(), QStringLiteral("SELECT Utilisateur, LaDate FROM Ventes"));
        const ReportTable table =
            ReportTable::read(cnx(), QStringLiteral("SELECT Utilisateur, LaDate FROM Ventes"));
        ASSERT_EQ(rs.RecordCount(), textes.size());
        ASSERT_EQ(table.rowCount(), textes.size());
        for (int i = 0; i < rs.RecordCount(); ++i) {
            const QString ecrit = rs.ValueAt(i, 0).toString();
            const QDateTime lu = rs.ValueAt(i, 1).toDateTime();
            EXPECT_TRUE(lu.isValid()) << s.nom << ": " << ecrit.toStdString();
            EXPECT_EQ(Valeurs::texteDate(lu), ecrit) << s.nom;
            EXPECT_EQ(Valeurs::texteDate(table.value(i, 1).toDateTime()), table.value(i, 0).toString())
                << s.nom;
            const QDateTime direct = Valeurs::lireDate(cnx().valeurUnique(
                QStringLiteral("SELECT LaDate FROM Ventes WHERE Utilisateur = ?"), {ecrit}));
            EXPECT_EQ(Valeurs::texteDate(direct), ecrit) << s.nom;
        }
    }
}

DORVANE_SUR_CHAQUE_BASE(ReglagesProcessusTest);
