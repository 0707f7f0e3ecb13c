#include "BaseDeTest.h"
#include "OutilsProcessus.h"
#include "reports/OutilsEtats.h"

#include "common/Ean13.h"
#include "reports/ReportEngine.h"

#include <QBuffer>
#include <QImage>
#include <QSet>

using namespace OutilsEtats;
using namespace OutilsProcessus;

namespace {

constexpr double Twips = ReportDocument::TwipsPerMm;

// Page `page` (from 1) rendered by pdftoppm at 300 dots an inch.
QString rendre(const QString& pdf, int page) {
    const QString n = QString::number(page);
    lancer(QStringLiteral("pdftoppm"), {"-r", "300", "-f", n, "-l", n, "-singlefile", "-png", pdf, pdf + n});
    return pdf + n + QStringLiteral(".png");
}

// The symbols zbarimg reads on a picture ("EAN-13:0000000047111"); it exits with 4 when it finds none.
QSet<QString> codesLus(const QString& png) {
    int code = -1;
    const QStringList lignes = QString::fromUtf8(lancer(QStringLiteral("zbarimg"), {"-q", png}, &code))
                                   .split(u'\n', Qt::SkipEmptyParts);
    EXPECT_EQ(code, lignes.isEmpty() ? 4 : 0);
    return QSet<QString>(lignes.begin(), lignes.end());
}

QByteArray image(int largeur, int hauteur, QColor couleur, const char* format) {
    QImage im(largeur, hauteur, QImage::Format_RGB32);
    im.fill(couleur);
    QByteArray octets;
    QBuffer b(&octets);
    b.open(QIODevice::WriteOnly);
    im.save(&b, format);
    return octets;
}

QList<ReportItem> elements(const ReportDocument& doc, int page, ReportItem::Kind kind) {
    QList<ReportItem> r;
    for (const ReportItem& it : doc.items(page))
        if (it.kind == kind)
            r << it;
    return r;
}

class ReportSheetsTest : public EtatsTest {};

} // namespace

// 25 badges on the 3 x 7 stock: 21 labels on the first page at the stock's pitch, across then down, 4 on
// the second; the valid numbers scan back, any other value prints as its text without bars.
TEST_F(ReportSheetsTest, BadgeSheetFillsPagesAcrossThenDownWithBarsAReaderDecodes) {
    const QStringList mauvais = {"AB12", "000000004711", "00000000471110", "0000000047112", ""};
    QList<QVariantList> lignes;
    QStringList valides;
    for (int i = 0; i < 25; ++i) {
        const QString badge = i == 0 ? QStringLiteral("0000000047111")
                              : i <= mauvais.size()
                                  ? mauvais.at(i - 1)
                                  : Ean13::withCheckDigit(QString::number(200000000000LL + i * 7919));
        lignes.append({QStringLiteral("Salarié %1").arg(i + 1), badge.isEmpty() ? QVariant() : badge});
        valides << (Ean13::isValid(badge) ? badge : QString());
    }
    const ReportDocument doc =
        ReportEngine::layout(ReportDefinition::load(dossierEssais(), QStringLiteral("EssaiL7060.RPT")),
                             {table({"Nom", "NoBadge"}, lignes)});
    ASSERT_EQ(doc.pageCount(), 2);
    const QList<ReportItem> page1 = elements(doc, 0, ReportItem::Kind::Box);
    const QList<ReportItem> page2 = elements(doc, 1, ReportItem::Kind::Box);
    ASSERT_TRUE(page1.size() == 21 && page2.size() == 4);
    EXPECT_TRUE(std::fabs(page1[20].x - (7.25 + 2 * 66) * Twips) < 1 &&
                std::fabs(page1[20].y - (15.15 + 6 * 38.1) * Twips) < 1);
    EXPECT_TRUE(std::fabs(page2[3].x - 7.25 * Twips) < 1 &&
                std::fabs(page2[3].y - (15.15 + 38.1) * Twips) < 1);

    const QString pdf = fichier(QStringLiteral("badges.pdf"));
    doc.writePdf(pdf);
    const QString texte = textePdf(pdf);
    EXPECT_TRUE(texte.contains(QStringLiteral("AB12")) && texte.contains(QStringLiteral("00000000471110")));
    for (int page = 1; page <= 2; ++page) {
        QSet<QString> attendus;
        for (int i = (page - 1) * 21; i < std::min(25, page * 21); ++i)
            if (!valides[i].isEmpty())
                attendus << QStringLiteral("EAN-13:") + valides[i];
        EXPECT_EQ(codesLus(rendre(pdf, page)), attendus) << page;
    }
}

// Article labels: each picture fills its box in its own proportions, centred; a picture shown twice is
// held once, a large one no finer than its box needs; bytes that do not decode and a Null leave the box
// empty while the label's texts print.
TEST_F(ReportSheetsTest, ArticleLabelsShowPicturesInProportionAndSkipThoseThatDoNotDecode) {
    const QByteArray large = image(200, 100, Qt::red, "JPG");
    const QList<QVariantList> lignes = {{large, "Gant nitrile", "07"},
                                        {image(50, 150, Qt::blue, "PNG"), "Lunettes", "12"},
                                        {QByteArray("\xFF\xD8\xFF\xE0 pas une image"), "Casque", "31"},
                                        {QVariant(QMetaType::fromType<QByteArray>()), "Bouchons", "44"},
                                        {image(4000, 2000, Qt::green, "JPG"), "Chaussures", "58"},
                                        {large, "Gant cuir", "63"}};
    const ReportDocument doc =
        ReportEngine::layout(ReportDefinition::load(dossierEssais(), QStringLiteral("EssaiL7161.RPT")),
                             {table({"Picture", "Designation", "CodeArticle"}, lignes)});
    const QList<ReportItem> images = elements(doc, 0, ReportItem::Kind::Picture);
    ASSERT_EQ(images.size(), 4);
    EXPECT_EQ(doc.images().size(), 3);
    EXPECT_LE(doc.images().at(images[2].style).width(), 700);
    auto boite = [](int c, int r) {
        return QRectF((7.25 + c * 66 + 4) * Twips, (8.7 + r * 46.6 + 2.5) * Twips, 55.5 * Twips, 26 * Twips);
    };
    const QList<QPair<QRectF, double>> attendus = {
        {boite(0, 0), 2.0}, {boite(1, 0), 1.0 / 3}, {boite(1, 1), 2.0}, {boite(2, 1), 2.0}};
    for (int i = 0; i < images.size(); ++i) {
        const ReportItem& it = images[i];
        EXPECT_NEAR(it.w / it.h, attendus[i].second, 0.01) << i;
        EXPECT_NEAR(it.h, attendus[i].first.height(), 1) << i; // the box is wider than 2:1
        EXPECT_NEAR(it.x + it.w / 2, attendus[i].first.center().x(), 1) << i;
        EXPECT_NEAR(it.y + it.h / 2, attendus[i].first.center().y(), 1) << i;
    }

    const QString pdf = fichier(QStringLiteral("articles.pdf"));
    doc.writePdf(pdf);
    const QString texte = textePdf(pdf);
    for (const QVariantList& l : lignes)
        EXPECT_TRUE(texte.contains(l[1].toString()) && texte.contains(l[2].toString()))
            << l[1].toString().toStdString();
    // The pictures are in the PDF: red in the middle of the first box, white in the third.
    const QImage rendu(rendre(pdf, 1));
    auto pixel = [&](const QRectF& b) { return rendu.pixelColor((b.center() / 1440 * 300).toPoint()); };
    EXPECT_TRUE(pixel(boite(0, 0)).red() > 200 && pixel(boite(0, 0)).green() < 60);
    EXPECT_EQ(pixel(boite(2, 0)), QColor(Qt::white));
}

TEST_F(ReportSheetsTest, SheetsThatCannotPrintAreRefusedWithTheirReason) {
    const QList<QPair<const char*, QStringList>> faux = {
        {R"("labels": {"columns": 3, "rows": 7, "width": 70, "height": 38.1, "left": 7})",
         {"ne tiennent pas", "217 mm", "210 mm"}},
        {R"("labels": {"columns": 3, "rows": 8, "width": 63.5, "height": 38.1})", {"304,8 mm", "297 mm"}},
        {R"("labels": {"columns": 3, "rows": 0, "width": 63.5, "height": 38.1})", {"labels.rows"}},
        {R"("labels": {"columns": 2.5, "rows": 7, "width": 63.5, "height": 38.1})", {"labels.columns"}},
        {R"("labels": {"columns": 3, "rows": 7, "width": 63.5, "height": 38.1, "horizontalPitch": 60})",
         {"chevauchent"}},
        {R"("labels": {"columns": 3, "rows": 7, "width": 63.5, "height": 38.1}, "pageHeader": {"height": 5})",
         {"pageHeader"}},
        {R"("labels": {"columns": 1, "rows": 1, "width": 50, "height": 10})", {"detail", "20 mm"}},
        {R"("reportFooter": {"height": 5, "elements": [{"type": "picture", "width": 5, "height": 5,
           "field": "P", "file": "logo.png"}]})",
         {"reportFooter.elements[0]", "file"}}};
    for (const auto& [json, attendus] : faux) {
        const QString m = echec(
            [&] {
                ReportDefinition::parse(QByteArray(R"({"tables": ["T"], )") + json +
                                            R"(, "detail": {"height": 20}})",
                                        QStringLiteral("Planche.RPT"));
            },
            ReportDefinition::ErrorNumber);
        for (const QString& a : attendus)
            EXPECT_TRUE(m.contains(a) && m.contains(QStringLiteral("Planche.RPT"))) << m.toStdString();
    }
    // A chart sums the whole report: it has no place in the detail band.
    EXPECT_TRUE(echec(
                    [] {
                        ReportDefinition::parse(R"({"tables": ["T"], "detail": {"height": 20, "elements": [
                  {"type": "chart", "width": 50, "height": 50, "key": "K", "value": "V"}]}})",
                                                "G.RPT");
                    },
                    ReportDefinition::ErrorNumber)
                    .contains(QStringLiteral("detail.elements[0]")));

    // A sheet with no row is one empty page; a picture file is read beside the definition, a missing one
    // leaves its box empty.
    QImage logo(30, 10, QImage::Format_RGB32);
    logo.fill(Qt::black);
    ASSERT_TRUE(logo.save(fichier(QStringLiteral("logo.png"))));
    ReportDefinition d = ReportDefinition::parse(R"({"tables": ["T"], "labels": {"columns": 2, "rows": 2,
      "width": 90, "height": 100}, "detail": {"height": 30, "elements": [{"type": "picture", "width": 30,
      "height": 30, "file": "logo.png"}, {"type": "picture", "y": 30, "width": 30, "height": 30, "file": "absent.png"}]}})",
                                                 "Logo.RPT");
    d.folder = m_dossier.path();
    const ReportDocument vide = ReportEngine::layout(d, {table({"X"}, {})});
    EXPECT_TRUE(vide.pageCount() == 1 && vide.items(0).isEmpty());
    const QList<ReportItem> logos =
        elements(ReportEngine::layout(d, {table({"X"}, {{1}, {2}})}), 0, ReportItem::Kind::Picture);
    ASSERT_EQ(logos.size(), 2);
    EXPECT_NEAR(logos[0].h, 10 * Twips, 1);
}

// Three machines' consumption as bars in proportion of their sums, in machine order, standing on the
// foot of the value axis; zero sums draw no bar, negative ones hang from the zero line; the month chart
// follows the dates, not the names.
TEST_F(ReportSheetsTest, ChartsDrawBarsInProportionOfTheirSums) {
    auto tables = [](const QList<QVariantList>& lignes) {
        return QList<ReportTable>{
            table({"NoMachine", "Quantite", "LaDate", "NomMois"}, lignes),
            table({"Titre", "Periode"},
                  {{"Consommations par Machines", "Période du 01/03/2026 au 31/03/2026"}}),
            table({"NOM", "Adresse", "CodePostal", "Ville"}, {}), table({"NoMachine"}, {{1}, {2}, {3}})};
    };
    auto barres = [](const ReportDocument& doc) { return elements(doc, 0, ReportItem::Kind::Fill); };
    const ReportDefinition d =
        ReportDefinition::load(dossierEtats(), QStringLiteral("ConsParMachineGraf.rpt"));
    const ReportDocument doc =
        ReportEngine::layout(d, tables({{3, 10}, {1, 20}, {2, 60}, {1, 10}, {3, QVariant()}, {3, 5}}));
    const QList<ReportItem> b = barres(doc);
    ASSERT_EQ(b.size(), 3);
    EXPECT_TRUE(b[0].x < b[1].x && b[1].x < b[2].x);
    EXPECT_NEAR(b[0].h / b[1].h, 30.0 / 60, 0.005);
    EXPECT_NEAR(b[2].h / b[1].h, 15.0 / 60, 0.005);
    float pied = 0;
    for (const ReportItem& it : elements(doc, 0, ReportItem::Kind::Line))
        if (it.w == 0 && it.h > 50 * Twips)
            pied = it.y + it.h;
    for (const ReportItem& it : b)
        EXPECT_NEAR(it.y + it.h, pied, 0.5);
    const QString pdf = fichier(QStringLiteral("graphe.pdf"));
    doc.writePdf(pdf);
    const QString texte = textePdf(pdf);
    EXPECT_TRUE(texte.contains(QStringLiteral("Quantité consommée")) &&
                texte.contains(QStringLiteral("Machine")));

    EXPECT_TRUE(barres(ReportEngine::layout(d, tables({{1, 0}, {2, 0}}))).isEmpty());
    EXPECT_TRUE(barres(ReportEngine::layout(d, tables({}))).isEmpty());
    const QList<ReportItem> negatif = barres(ReportEngine::layout(d, tables({{1, -5}, {2, 0}, {3, -20}})));
    ASSERT_EQ(negatif.size(), 2);
    EXPECT_NEAR(negatif[0].y, negatif[1].y, 0.5);
    EXPECT_NEAR(negatif[0].h / negatif[1].h, 0.25, 0.005);

    auto le = [](int m) { return QDateTime(QDate(2026, m, 10), QTime(8, 0)); };
    const QList<ReportItem> mois = barres(
        ReportEngine::layout(ReportDefinition::load(dossierEtats(), QStringLiteral("ConsParMoisGrap.RPT")),
                             tables({{1, 4, le(3), "mars"},
                                     {1, 1, le(1), "janvier"},
                                     {1, 2, le(2), "février"},
                                     {1, 4, le(3), "mars"}})));
    ASSERT_EQ(mois.size(), 3);
    EXPECT_TRUE(std::fabs(mois[0].h * 2 - mois[1].h) < 1 && std::fabs(mois[1].h * 4 - mois[2].h) < 1);
}

class ShippedSheetsTest : public TestAvecBase {};

// The shipped sheets and charts over the tables the viewer binds to them, read from the database: badge
// labels over the employee view, article labels over the sheet table and its stored pictures, the three
// charts over the consumption table.
TEST_P(ShippedSheetsTest, ReadTheTablesTheViewerBindsThem) {
    reinitialiserEtatGlobal();
    for (int i = 0; i < 4; ++i)
        cnx().executer(QStringLiteral("INSERT INTO Utilisateurs (Nom, NoBadge) VALUES (?, ?)"),
                       {QStringLiteral("Nom%1").arg(i),
                        Ean13::withCheckDigit(QString::number(4711 + i).rightJustified(12, u'0'))});
    cnx().executer(
        QStringLiteral("INSERT INTO ARemplissageMachine (Etage, Designation, CodeArticle, Picture) VALUES "
                       "(2, 'Gant nitrile', '07', ?), (1, 'Lunettes', '12', NULL)"),
        {image(64, 32, Qt::red, "JPG")});
    for (int i = 0; i < 6; ++i)
        cnx().executer(
            QStringLiteral(
                "INSERT INTO CA (NomMois, LaDate, Nom, Quantite, NoMachine) VALUES (?, ?, ?, ?, ?)"),
            {i < 3 ? "mars" : "avril", i < 3 ? "2026-03-02 10:00:00" : "2026-04-02 10:00:00",
             QStringLiteral("Nom%1").arg(i % 2), i + 1, 1 + i % 3});
    auto etat = [&](const QString& nom, const QStringList& sources) {
        QList<ReportTable> t;
        for (const QString& s : sources)
            t << ReportTable::read(cnx(), s);
        return ReportEngine::layout(ReportDefinition::load(dossierEtats(), nom), t);
    };
    // Every valid EAN-13 symbol has 30 bars.
    EXPECT_EQ(
        elements(etat("CodeBarSalarie.RPT", {"GrUtilisateur", "InfoSociete"}), 0, ReportItem::Kind::Fill)
            .size(),
        4 * 30);
    const QList<ReportItem> images = elements(
        etat("FicheImageProduit.RPT", {"ARemplissageMachine order by etage", "InfoEtat", "InfoSociete"}), 0,
        ReportItem::Kind::Picture);
    ASSERT_EQ(images.size(), 1);
    EXPECT_GT(images[0].x, 66 * Twips); // on the second label: its article is on floor 2
    EXPECT_NEAR(images[0].w / images[0].h, 2.0, 0.01);
    const QStringList ca = {"CA", "InfoEtat", "InfoSociete"};
    EXPECT_EQ(
        elements(etat("ConsParMachineGraf.rpt", ca + QStringList{"Machines"}), 0, ReportItem::Kind::Fill)
            .size(),
        3);
    EXPECT_EQ(elements(etat("ConsParSalariegraf.RPT", ca), 0, ReportItem::Kind::Fill).size(), 2);
    EXPECT_EQ(elements(etat("ConsParMoisGrap.RPT", ca), 0, ReportItem::Kind::Fill).size(), 2);
}

DORVANE_SUR_CHAQUE_BASE(ShippedSheetsTest);
