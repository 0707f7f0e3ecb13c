#include "BaseDeTest.h"
#include "OutilsProcessus.h"
#include "reports/OutilsEtats.h"

#include "common/Ean13.h"
#include "reports/ReportData.h"
#include "reports/ReportEngine.h"

#include <QSet>
#include <map>

using namespace OutilsEtats;
using namespace OutilsProcessus;

namespace {

constexpr double Twips = ReportDocument::TwipsPerMm;

QString badge(int i) {
    return Ean13::withCheckDigit(QString::number(4000 + i).rightJustified(12, u'0'));
}

// The EAN-13 numbers zbarimg reads on one page rendered at 150 dots an inch; it writes its noise to the
// standard error and exits with 4 when it finds nothing.
QSet<QString> codesLus(const QString& pdf, int page) {
    const QString n = QString::number(page);
    const QString png = pdf + n;
    lancer(QStringLiteral("pdftoppm"), {"-r", "150", "-f", n, "-l", n, "-singlefile", "-png", pdf, png});
    int code = -1;
    const QStringList lignes =
        QString::fromUtf8(lancer(QStringLiteral("zbarimg"), {"-q", png + QStringLiteral(".png")}, &code))
            .split(u'\n', Qt::SkipEmptyParts);
    EXPECT_EQ(code, lignes.isEmpty() ? 4 : 0);
    if (page == 1) {
        QFile::remove(QStringLiteral("/tmp/dorvane-codebarsalarie.png"));
        QFile::copy(png + QStringLiteral(".png"), QStringLiteral("/tmp/dorvane-codebarsalarie.png"));
    }
    QSet<QString> codes;
    for (const QString& l : lignes)
        if (l.startsWith(QStringLiteral("EAN-13:")))
            codes << l.mid(7);
    return codes;
}

class CodeBarSalarieBase : public TestAvecBase {
protected:
    void SetUp() override {
        TestAvecBase::SetUp();
        FnWendrox::definirHorloge([] { return QDateTime(QDate(2026, 4, 5), QTime(9, 30)); });
    }
    void TearDown() override {
        FnWendrox::definirHorloge({});
        TestAvecBase::TearDown();
    }
    QTemporaryDir dossier;
};

} // namespace

// 23 employees on the 3 x 7 sheet by name and first name: 21 labels on the first page at the stock's
// margins and pitch, each symbol with its quiet zones inside its label and read back by a scanner; a
// badge of another form prints as text; no name prints nothing and breaks nothing.
TEST_P(CodeBarSalarieBase, PlancheParNomAvecDesBarresQuUnLecteurDecode) {
    // Inserted out of order; "Nom05" twice, told apart by the first name.
    for (int i = 20; i >= 1; --i)
        cnx().executer(
            QStringLiteral("INSERT INTO Utilisateurs (Nom, Prenom, NoBadge) VALUES (?, ?, ?)"),
            {QStringLiteral("Nom%1").arg(i, 2, 10, QLatin1Char('0')), QStringLiteral("Zoé"), badge(i)});
    cnx().executer(
        QStringLiteral("INSERT INTO Utilisateurs (Nom, Prenom, NoBadge) VALUES ('nom05', 'anne', ?), "
                       "('Zz Texte', NULL, 'AB12'), (NULL, NULL, ?)"),
        {badge(50), badge(60)});

    ReportData::Request r;
    r.fileName = QStringLiteral("CodeBarSalarie.RPT");
    r.source = QStringLiteral("GrUtilisateur");
    r.title = QStringLiteral("Etiquette - Avery L7060 - 63,5 x 38,1 mm");
    const ReportData::Snapshot s = ReportData::read(cnx(), r);
    const ReportDefinition d = ReportDefinition::load(dossierEtats(), r.fileName);
    const ReportDocument doc = ReportEngine::layout(d, s.tables);
    ASSERT_EQ(doc.pageCount(), 2);

    QStringList noms;
    for (const ReportRow& row : ReportEngine::tabulate(d, s.tables))
        noms << row.cells.value(0).value.toString() + u'/' + row.cells.value(1).value.toString();
    ASSERT_EQ(noms.size(), 23);
    EXPECT_EQ(noms.mid(0, 7), (QStringList{"/", "Nom01/Zoé", "Nom02/Zoé", "Nom03/Zoé", "Nom04/Zoé",
                                           "nom05/anne", "Nom05/Zoé"}));
    EXPECT_EQ(noms.mid(21), (QStringList{"Nom20/Zoé", "Zz Texte/"}));

    // The bars of each label, by the label their first bar falls in.
    const double module = 50.0 / (Ean13::LeftQuietZone + Ean13::Modules + Ean13::RightQuietZone);
    std::map<std::pair<int, int>, std::pair<QRectF, int>> etiquettes;
    for (const ReportItem& it : doc.items(0)) {
        if (it.kind != ReportItem::Kind::Fill)
            continue;
        const QRectF barre(it.x / Twips, it.y / Twips, it.w / Twips, it.h / Twips);
        const auto cle = std::make_pair(static_cast<int>((barre.x() - 7.25) / 66.04),
                                        static_cast<int>((barre.y() - 15.15) / 38.1));
        auto& e = etiquettes[cle];
        e.first = e.first.isNull() ? barre : e.first.united(barre);
        ++e.second;
    }
    ASSERT_EQ(etiquettes.size(), 21u);
    for (const auto& [cle, e] : etiquettes) {
        const QRectF etiquette(7.25 + cle.first * 66.04, 15.15 + cle.second * 38.1, 63.5, 38.1);
        EXPECT_EQ(e.second, 30);
        EXPECT_GE(e.first.left() - etiquette.left(), 11 * module - 0.01) << cle.first << "," << cle.second;
        EXPECT_GE(etiquette.right() - e.first.right(), 7 * module - 0.01);
        EXPECT_NEAR(e.first.left() - etiquette.left(), 6.75 + 11 * module, 0.01);
        EXPECT_TRUE(etiquette.contains(e.first));
    }
    EXPECT_EQ(etiquettes.rbegin()->first, std::make_pair(2, 6));

    const QString pdf = QDir(dossier.path()).filePath(QStringLiteral("etiquettes.pdf"));
    doc.writePdf(pdf);
    QSet<QString> attendus = {badge(50), badge(60)};
    for (int i = 1; i < 20; ++i)
        attendus << badge(i);
    EXPECT_EQ(codesLus(pdf, 1), attendus);
    EXPECT_EQ(codesLus(pdf, 2), QSet<QString>{badge(20)});
    const QString texte = textePdf(pdf);
    EXPECT_TRUE(texte.contains(QStringLiteral("AB12")));
    EXPECT_TRUE(texte.contains(badge(7).mid(1, 6))) << "the digits under the bars";

    // 500 employees: 24 sheets.
    QList<QVariantList> lignes;
    for (int i = 0; i < 500; ++i)
        lignes << QVariantList{QStringLiteral("N%1").arg(i), QVariant(), badge(i)};
    EXPECT_EQ(ReportEngine::layout(d, {table({"Nom", "Prenom", "NoBadge"}, lignes), s.tables[1]}).pageCount(),
              24);
}

DORVANE_SUR_CHAQUE_BASE(CodeBarSalarieBase);
