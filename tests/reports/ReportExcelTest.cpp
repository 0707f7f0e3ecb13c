#include "OutilsProcessus.h"
#include "reports/OutilsEtats.h"

#include "reports/ReportExcel.h"

#include <QMap>
#include <QRegularExpression>

using namespace OutilsEtats;
using namespace OutilsProcessus;

namespace {

// The cells of the first sheet as a spreadsheet program reads them: a text cell's text, or a number
// cell's value followed by "|" and the number format of its style ("46083.33|dd/mm/yyyy").
QMap<QString, QString> lireFeuille(const QString& xlsx) {
    auto partie = [&](const char* nom) {
        int code = 0; // a workbook without texts has no shared strings
        return QString::fromUtf8(lancer(QStringLiteral("unzip"), {"-p", xlsx, nom}, &code));
    };
    auto texte = [](QString t) {
        return t.replace(QLatin1String("&quot;"), QLatin1String("\""))
            .replace(QLatin1String("&amp;"), QLatin1String("&"));
    };
    QStringList textes;
    for (const auto& m : QRegularExpression(QStringLiteral("<si><t[^>]*>([^<]*)</t></si>"))
                             .globalMatch(partie("xl/sharedStrings.xml")))
        textes << texte(m.captured(1));
    const QString styles = partie("xl/styles.xml");
    QMap<QString, QString> formats = {{"0", ""}, {"1", "0"}, {"2", "0.00"}}; // built in
    for (const auto& m :
         QRegularExpression(QStringLiteral("<numFmt numFmtId=\"(\\d+)\" formatCode=\"([^\"]*)\""))
             .globalMatch(styles))
        formats[m.captured(1)] = texte(m.captured(2));
    QStringList xf;
    const QString xfs =
        styles.section(QStringLiteral("<cellXfs"), 1).section(QStringLiteral("</cellXfs>"), 0, 0);
    for (const auto& m : QRegularExpression(QStringLiteral("<xf numFmtId=\"(\\d+)\"")).globalMatch(xfs))
        xf << formats.value(m.captured(1));
    QMap<QString, QString> cellules;
    for (const auto& m :
         QRegularExpression(
             QStringLiteral("<c r=\"([A-Z]+\\d+)\"(?: s=\"(\\d+)\")?(?: t=\"(\\w+)\")?><v>([^<]*)</v>"))
             .globalMatch(partie("xl/worksheets/sheet1.xml")))
        cellules[m.captured(1)] = m.captured(3) == QLatin1String("s")
                                      ? textes.value(m.captured(4).toInt())
                                      : m.captured(4) + u'|' + xf.value(m.captured(2).toInt());
    return cellules;
}

class ReportExcelTest : public EtatsTest {};

} // namespace

// The grouped report as a workbook: header lines, column heads, group header, details, group totals and
// the grand total in print order; amounts, quantities and dates are numbers with the report's formats; a
// text that looks like a formula stays a text.
TEST_F(ReportExcelTest, WorkbookHoldsTheReportLinesWithNumbersAndDatesAsSuch) {
    const QDateTime le2(QDate(2026, 3, 2), QTime(6, 0)), le9(QDate(2026, 3, 9), QTime(12, 0));
    const QList<ReportTable> tables = {
        table({"LaDate", "Nom", "Prenom", "Reference", "Designation", "Quantite", "PrixAchatUnit"},
              {{le9, "Martin", "Léa", 1002, "Lunettes", 1, 7.3},
               {le2, "Dupont", "Jean", 1001, "Gant nitrile", 3, 12.5},
               {QVariant(), "Dupont", "Jean", 1003, "=SOMME(A1)", 2, 0.45}}),
        table({"Titre", "Periode"}, {{"Consommations par Salariés", "Période du 01/03/2026 au 31/03/2026"}}),
        table({"NOM", "Adresse", "CodePostal", "Ville"},
              {{"Société Élan", "12 rue des Forges", "69002", "Lyon"}})};
    const QString xlsx = fichier(ReportExcel::fileName(QStringLiteral("Consommations par Salariés")));
    EXPECT_TRUE(xlsx.endsWith(QStringLiteral("/Consommations par Salariés.xlsx")));
    ReportExcel::write(ReportDefinition::load(dossierEssais(), QStringLiteral("EssaiConsGroupee.RPT")),
                       tables, xlsx);
    lancer(QStringLiteral("unzip"), {"-tq", xlsx});

    // Each line of the sheet: its cells as "column:value", the numbers with their format.
    QStringList lignes(15);
    const QMap<QString, QString> c = lireFeuille(xlsx);
    for (auto it = c.begin(); it != c.end(); ++it) {
        const int n = it.key().mid(1).toInt() - 1;
        ASSERT_TRUE(n >= 0 && n < 15) << it.key().toStdString();
        lignes[n] += (lignes[n].isEmpty() ? "" : "  ") + it.key().left(1) + u':' + it.value();
    }
    auto date = [](const QDateTime& d) {
        return QString::number(QDate(1899, 12, 30).daysTo(d.date()) + d.time().hour() / 24.0, 'g', 10);
    };
    const QString e = QStringLiteral("|#,##0.00 \"€\"");
    EXPECT_EQ(
        lignes.join(u'\n').toStdString(),
        QStringList(
            {"A:Société Élan", "A:12 rue des Forges", "A:69002 Lyon", "A:Consommations par Salariés",
             "A:Période du 01/03/2026 au 31/03/2026", "",
             "A:Date  B:Référence  C:Désignation  D:Qté  E:Prix unitaire  F:Montant", "A:Dupont  C:Jean",
             "B:1003|0  C:=SOMME(A1)  D:2|0  E:0.45" + e + "  F:0.9" + e,
             "A:" + date(le2) + "|dd/mm/yyyy  B:1001|0  C:Gant nitrile  D:3|0  E:12.5" + e + "  F:37.5" + e,
             "B:Total  C:2|0  D:5|0  F:38.4" + e, "A:Martin  C:Léa",
             "A:" + date(le9) + "|dd/mm/yyyy  B:1002|0  C:Lunettes  D:1|0  E:7.3" + e + "  F:7.3" + e,
             "B:Total  C:1|0  D:1|0  F:7.3" + e, "C:Total général  D:6|0  F:45.7" + e})
            .join(u'\n')
            .toStdString());
}

// A date with its time is a date cell that shows its time; a missing one an empty cell.
TEST_F(ReportExcelTest, DatesWithTheirTimeKeepItInTheWorkbook) {
    const ReportDefinition d = ReportDefinition::parse(R"({"tables": ["Retour"], "detail": {"height": 5,
      "elements": [{"type": "text", "width": 30, "height": 5, "field": "LaDateRetrait", "format": "datetime"},
                   {"type": "text", "x": 32, "width": 30, "height": 5, "field": "LaDateRetour",
                    "format": "datetime"}]}})",
                                                       QStringLiteral("Essai.RPT"));
    const QList<ReportTable> tables = {table({"LaDateRetrait", "LaDateRetour"},
                                             {{QDateTime(QDate(2026, 11, 30), QTime(18, 0)), QVariant()}})};
    const QString xlsx = fichier(QStringLiteral("retours.xlsx"));
    ReportExcel::write(d, tables, xlsx);
    const QMap<QString, QString> c = lireFeuille(xlsx);
    EXPECT_EQ(c.value("A1"), QStringLiteral("46356.75|dd/mm/yyyy hh:mm:ss"));
    EXPECT_FALSE(c.contains("B1"));
}

// A write that fails leaves nothing behind: no partial file, no temporary one, and an older workbook of
// that name whole.
TEST_F(ReportExcelTest, FailedWritesLeaveNoPartialFile) {
    const ReportDefinition d =
        ReportDefinition::parse(R"({"tables": ["CA", "InfoEtat"], "detail": {"height": 5,
      "elements": [{"type": "text", "width": 20, "height": 5, "field": "Quantite"}]}})",
                                QStringLiteral("Essai.RPT"));
    const QList<ReportTable> tables = {table({"Quantite"}, {{1}, {2}}), table({"Titre"}, {})};
    QFile(fichier(QStringLiteral("f"))).open(QIODevice::WriteOnly);
    const QString sousFichier = fichier(QStringLiteral("f/etat.xlsx"));
    EXPECT_TRUE(echec([&] { ReportExcel::write(d, tables, sousFichier); }, ErreurExecution::PathFileAccess)
                    .contains(sousFichier));
    ASSERT_TRUE(QDir(m_dossier.path()).mkdir(QStringLiteral("etat.xlsx")));
    echec([&] { ReportExcel::write(d, tables, fichier(QStringLiteral("etat.xlsx"))); },
          ErreurExecution::PathFileAccess);

    const QString bon = fichier(QStringLiteral("bon.xlsx"));
    ReportExcel::write(d, tables, bon);
    const QByteArray avant = lancer(QStringLiteral("cat"), {bon});
    echec([&] { ReportExcel::write(d, {tables[0]}, bon); }, ReportDefinition::ErrorNumber);
    EXPECT_EQ(lancer(QStringLiteral("cat"), {bon}), avant);
    EXPECT_EQ(lireFeuille(bon).value(QStringLiteral("A2")), QStringLiteral("2|"));
    EXPECT_EQ(QDir(m_dossier.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"bon.xlsx", "f"}));

    EXPECT_EQ(ReportExcel::fileName(QStringLiteral(" Ventes 01/03 : \"A\" ")),
              QStringLiteral("Ventes 01-03 - -A-.xlsx"));
    EXPECT_EQ(ReportExcel::fileName(QStringLiteral("..")), QStringLiteral("Etat.xlsx"));
}
