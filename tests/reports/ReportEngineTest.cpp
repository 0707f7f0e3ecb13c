#include "BaseDeTest.h"
#include "OutilsEtats.h"
#include "OutilsProcessus.h"

#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/FnWendrox.h"
#include "reports/ReportEngine.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using namespace OutilsEtats;
using namespace OutilsProcessus;

const QChar Nbsp(0x00A0);

// An amount as pdftotext reads it back.
QString euros(qint64 centimes) {
    QString entiers = QString::number(centimes / 100);
    for (qsizetype i = entiers.size() - 3; i > 0; i -= 3)
        entiers.insert(i, u' ');
    return entiers + u',' + QString::number(centimes % 100).rightJustified(2, u'0') + u' ' + QChar(0x20AC);
}

QList<ReportTable> enTeteEtSociete() {
    return {
        table({"Titre", "Periode"}, {{"Consommations par Salariés", "Période du 01/03/2026 au 31/03/2026"}}),
        table({"NOM", "Adresse", "CodePostal", "Ville"},
              {{"Société Élan", "12 rue des Forges", "69002", "Lyon"}})};
}

class ReportEngineTest : public OutilsEtats::EtatsTest {};

} // namespace

// A report grouped by employee over two pages: French group order, Null group key, Null price and date,
// sums and counts per group, the grand total to the cent, page numbers.
TEST_F(ReportEngineTest, GroupedConsumptionReportPrintsSumsOverTwoPages) {
    struct Groupe {
        QVariant nom;
        int lignes;
        qint64 quantite = 0, centimes = 0;
    };
    // Given out of order: the report sorts them "Dupont", "Étienne", "Eva", "martin", the Null one first.
    QList<Groupe> groupes = {{"martin", 10}, {"Étienne", 15}, {QVariant(), 2}, {"Eva", 15}, {"Dupont", 20}};
    QList<QVariantList> lignes;
    int n = 0;
    for (Groupe& g : groupes) {
        for (int i = 0; i < g.lignes; ++i, ++n) {
            const int quantite = 1 + n % 3;
            const qint64 prix = 45 + (n % 7) * 1315; // cents
            const bool sansPrix = n == 7, sansDate = n == 8;
            g.quantite += quantite;
            if (!sansPrix)
                g.centimes += quantite * prix; // a Null price counts as nothing
            lignes.append(
                {sansDate ? QVariant() : QVariant(QDateTime(QDate(2026, 3, 1 + n % 28), QTime(8, 0))), g.nom,
                 QStringLiteral("Prénom"), 1000 + n, QStringLiteral("Article %1").arg(n), quantite,
                 sansPrix ? QVariant() : QVariant(prix / 100.0)});
        }
    }
    QList<ReportTable> tables = {
        table({"LaDate", "Nom", "Prenom", "Reference", "Designation", "Quantite", "PrixAchatUnit"}, lignes)};
    tables += enTeteEtSociete();

    const ReportDefinition d =
        ReportDefinition::load(dossierEssais(), QStringLiteral("essaiconsgroupee.rpt"));
    const ReportDocument doc = ReportEngine::layout(d, tables);
    ASSERT_EQ(doc.pageCount(), 2);
    QTemporaryDir dossier;
    const QString pdf = QDir(dossier.path()).filePath(QStringLiteral("etat.pdf"));
    doc.writePdf(pdf, QStringLiteral("Consommations par Salariés"));
    const QString texte = textePdf(pdf);

    for (const char* attendu :
         {"Société Élan", "12 rue des Forges", "Consommations par Salariés",
          "Période du 01/03/2026 au 31/03/2026", "Date", "Référence", "Désignation", "Qté", "Prix unitaire",
          "Montant", "Imprimé le 05/04/2026", "Page 1 / 2", "Page 2 / 2"})
        EXPECT_TRUE(texte.contains(QString::fromUtf8(attendu))) << attendu;
    EXPECT_FALSE(texte.contains(QStringLiteral("Page 3")));

    // Each group's total line follows its header, in French order, Null key first and printed empty.
    const QStringList lignesTexte = texte.split(u'\n');
    int position = 0;
    qint64 quantite = 0, centimes = 0;
    for (const char* nom : {"", "Dupont", "Étienne", "Eva", "martin"}) {
        const auto g = std::find_if(groupes.begin(), groupes.end(), [&](const Groupe& x) {
            return x.nom.toString() == QString::fromUtf8(nom);
        });
        if (*nom) {
            while (position < lignesTexte.size() &&
                   !lignesTexte[position].trimmed().startsWith(QString::fromUtf8(nom)))
                ++position;
            ASSERT_LT(position, lignesTexte.size()) << nom;
        }
        while (position < lignesTexte.size() && !lignesTexte[position].contains(QStringLiteral("Total")))
            ++position;
        ASSERT_LT(position, lignesTexte.size()) << nom;
        const QRegularExpression total(QStringLiteral("Total\\s+%1\\s+%2\\s+%3\\s*$")
                                           .arg(g->lignes)
                                           .arg(g->quantite)
                                           .arg(QRegularExpression::escape(euros(g->centimes))));
        EXPECT_TRUE(total.match(lignesTexte[position]).hasMatch()) << lignesTexte[position].toStdString();
        ++position;
        quantite += g->quantite;
        centimes += g->centimes;
    }
    ASSERT_GT(centimes, 100000); // a grand total with a thousands separator
    const QRegularExpression general(QStringLiteral("Total général\\s+%1\\s+%2")
                                         .arg(quantite)
                                         .arg(QRegularExpression::escape(euros(centimes))));
    EXPECT_TRUE(general.match(texte).hasMatch()) << texte.toStdString();
}

// A business unit's machines: rows filtered on a set of machine numbers (a Null number is in no set),
// grouped by the location read through the link to Machines.
TEST_F(ReportEngineTest, MachineSetFilterKeepsItsRowsAndLinkedFieldsGroupThem) {
    const ReportDefinition d = ReportDefinition::parse(R"({
      "tables": ["CA", "InfoEtat", "InfoSociete", "Machines"],
      "links": [{"from": "CA.NoMachine", "to": "Machines.NoMachine"}],
      "filter": {"any": [{"field": "NoMachine", "op": "in", "values": [1, 2]}, {"field": "Quantite", "op": ">", "value": 99}]},
      "groups": [{"key": "Machines.Location", "footer": {"height": 5, "elements": [
        {"type": "text", "width": 30, "height": 5, "field": "Machines.Location"},
        {"type": "text", "x": 40, "width": 20, "height": 5, "aggregate": "sum", "field": "Quantite", "format": "integer"}]}}]
    })",
                                                       QStringLiteral("ConsParMachine1-2.rpt"));
    QList<ReportTable> tables = {
        table({"NoMachine", "Quantite"}, {{2, 1}, {3, 4}, {1, 2}, {QVariant(), 8}, {2.0, 5}})};
    tables += enTeteEtSociete();
    tables << table({"NoMachine", "Location"}, {{1, "Hall Nord"}, {2, "hall est"}, {3, "Hall Sud"}});
    const ReportDocument doc = ReportEngine::layout(d, tables);
    QStringList textes;
    for (const ReportItem& it : doc.items(0))
        textes << it.text;
    // French order of the locations, case aside; machine 3 and the Null machine are out.
    EXPECT_EQ(textes, QStringList({"hall est", "6", "Hall Nord", "2"}));
}

TEST_F(ReportEngineTest, BadDefinitionsAndFieldsGiveMessagesNamingTheFileAndPlace) {
    EXPECT_TRUE(echec([] { ReportDefinition::load(dossierEssais(), QStringLiteral("Absent.RPT")); },
                      ErreurExecution::FileNotFound)
                    .contains(QStringLiteral("Absent.RPT")));

    const QString syntaxe =
        echec([] { ReportDefinition::parse("{\n  \"tables\": [\"CA\",]\n}", QStringLiteral("Faux.RPT")); });
    EXPECT_TRUE(syntaxe.contains(QStringLiteral("Faux.RPT")) && syntaxe.contains(QStringLiteral("ligne 2")))
        << syntaxe.toStdString();

    auto definition = [](const char* detail) {
        return ReportDefinition::parse(QByteArray(R"({"tables": ["CA", "InfoEtat"], "detail": {"height": 5, )"
                                                  R"("elements": [)") +
                                           detail + "]}}",
                                       QStringLiteral("Essai.RPT"));
    };
    const QString type = echec([&] { definition(R"({"type": "jauge"})"); });
    EXPECT_TRUE(type.contains(QStringLiteral("Essai.RPT")) &&
                type.contains(QStringLiteral("detail.elements[0]")) && type.contains(QStringLiteral("jauge")))
        << type.toStdString();

    const QList<ReportTable> tables = {table({"Quantite"}, {{1}}), table({"Titre"}, {})};
    const QString champ = echec([&] {
        ReportEngine::layout(definition(R"({"type": "text", "width": 9, "height": 5, "field": "Quantite"},
                                           {"type": "text", "width": 9, "height": 5, "field": "InfoEtat.Periode"})"),
                             tables);
    });
    EXPECT_TRUE(champ.contains(QStringLiteral("detail.elements[1]")) &&
                champ.contains(QStringLiteral("InfoEtat")) && champ.contains(QStringLiteral("Periode")))
        << champ.toStdString();
    const QString somme = echec([&] {
        ReportEngine::layout(
            definition(
                R"({"type": "text", "width": 9, "height": 5, "field": "Quantite", "aggregate": "sum"})"),
            tables);
    });
    EXPECT_TRUE(somme.contains(QStringLiteral("detail.elements[0]"))) << somme.toStdString();
    const QString manque = echec([&] { ReportEngine::layout(definition(""), {tables[0]}); });
    EXPECT_TRUE(manque.contains(QStringLiteral("2 tables"))) << manque.toStdString();

    // An empty table still gives one page with its headers and zero totals.
    const ReportDocument vide = ReportEngine::layout(definition(""), {table({"Quantite"}, {}), tables[1]});
    EXPECT_EQ(vide.pageCount(), 1);
    // A PDF that cannot be written is a failure, never a silent success (a file stands where the folder
    // should be).
    QTemporaryDir dossier;
    QFile(QDir(dossier.path()).filePath(QStringLiteral("f"))).open(QIODevice::WriteOnly);
    const QString pdf = QDir(dossier.path()).filePath(QStringLiteral("f/etat.pdf"));
    EXPECT_TRUE(echec([&] { vide.writePdf(pdf); }, ErreurExecution::PathFileAccess).contains(pdf));
}

// A number far out of range is refused with its place before anything converts it to a whole number
// (3e9 decimals used to pass the maximum as a negative int); sound values still load.
TEST_F(ReportEngineTest, OutOfRangeNumbersAreRefusedWithTheirPlace) {
    auto definition = [](const char* element, const char* labels = nullptr) {
        QByteArray json =
            QByteArray(R"({"tables": ["T"], "detail": {"height": 5, "elements": [)") + element + "]}";
        if (labels)
            json += QByteArray(R"(, "labels": )") + labels;
        return ReportDefinition::parse(json + "}", QStringLiteral("Essai.RPT"));
    };
    const struct {
        const char* element;
        const char* labels;
        const char* place;
    } cas[] = {
        {R"({"type": "text", "width": 9, "height": 5, "field": "N", "decimals": 3e9})", nullptr,
         "detail.elements[0].decimals"},
        {R"({"type": "text", "width": 9, "height": 5, "field": "N", "decimals": -1e12})", nullptr,
         "detail.elements[0].decimals"},
        {R"({"type": "text", "width": 9, "height": 5, "field": "N", "decimals": 2.5})", nullptr,
         "detail.elements[0].decimals"},
        {R"({"type": "text", "width": 9, "height": 5, "field": "N", "font": {"size": 1e12}})", nullptr,
         "detail.elements[0].font.size"},
        {R"({"type": "picture", "width": 3e9, "height": 5, "field": "N"})", nullptr,
         "detail.elements[0].width"},
        {R"({"type": "line", "x": 1e300})", nullptr, "detail.elements[0].x"},
        {"", R"({"columns": 3e9, "rows": 2, "width": 50, "height": 20})", "labels.columns"},
        // JSON has no NaN nor infinity: a number beyond the double's range is a syntax error.
        {R"({"type": "text", "width": 9, "height": 5, "field": "N", "decimals": 1e400})", nullptr, "ligne 1"},
    };
    for (const auto& c : cas) {
        const QString texte = echec([&] { definition(c.element, c.labels); });
        EXPECT_TRUE(texte.contains(QStringLiteral("Essai.RPT")) && texte.contains(QLatin1String(c.place)))
            << c.element << " -> " << texte.toStdString();
    }
    const ReportDefinition d =
        definition(R"({"type": "text", "width": 9, "height": 5, "field": "N", "decimals": 10},
                      {"type": "text", "width": 9, "height": 5, "field": "N", "decimals": 0},
                      {"type": "text", "width": 9, "height": 5, "field": "N"})");
    ASSERT_EQ(d.detail.elements.size(), 3);
    EXPECT_EQ(d.detail.elements[0].decimals, 10);
    EXPECT_EQ(d.detail.elements[1].decimals, 0);
    EXPECT_EQ(d.detail.elements[2].decimals, 2);
}

TEST_F(ReportEngineTest, ValuesAreFormattedWithTheStateSeparatorAndNullsPrintEmpty) {
    using F = ReportFormat;
    Global().SeparateurDecimal = QStringLiteral(".");
    EXPECT_EQ(ReportEngine::formatValue(2.5, F::Integer), QStringLiteral("2"));
    EXPECT_EQ(ReportEngine::formatValue(3.5, F::Integer), QStringLiteral("4"));
    EXPECT_EQ(ReportEngine::formatValue(QVariant(qint64(1234)), F::Integer), QStringLiteral("1234"));
    EXPECT_EQ(ReportEngine::formatValue(-0.001, F::Decimal, 2), QStringLiteral("0.00"));
    EXPECT_EQ(ReportEngine::formatValue(1234.5, F::Decimal, 1), QStringLiteral("1234.5"));
    Global().SeparateurDecimal = QStringLiteral(",");
    EXPECT_EQ(ReportEngine::formatValue(1234.5, F::Money),
              QStringLiteral("1") + Nbsp + QStringLiteral("234,50") + Nbsp + QChar(0x20AC));
    EXPECT_EQ(ReportEngine::formatValue(QStringLiteral("2026-03-07 10:00:00"), F::Date),
              QStringLiteral("07/03/2026"));
    EXPECT_EQ(ReportEngine::formatValue(QDateTime(QDate(2026, 12, 31), QTime(23, 59)), F::Text),
              QStringLiteral("31/12/2026"));
    EXPECT_EQ(ReportEngine::formatValue(QDateTime(QDate(2026, 11, 30), QTime(23, 59, 59)), F::DateTime),
              QStringLiteral("30/11/2026 23:59:59"));
    EXPECT_EQ(ReportEngine::formatValue(QStringLiteral("2026-11-01 00:00:00"), F::DateTime),
              QStringLiteral("01/11/2026 00:00:00"));
    for (F f : {F::Text, F::Integer, F::Decimal, F::Money, F::Date, F::DateTime})
        EXPECT_EQ(ReportEngine::formatValue(QVariant(), f), QString());
    EXPECT_EQ(ReportEngine::formatValue(QStringLiteral("n/a"), F::Date), QString());
    EXPECT_EQ(ReportEngine::formatValue(QStringLiteral("n/a"), F::DateTime), QString());
}

class ArticleRuptureTest : public TestAvecBase {};

// The shipped out-of-stock report over a seeded database: exactly the articles at or below their alert
// level, grouped by supplier, the articles of an unknown supplier in a group of their own.
TEST_P(ArticleRuptureTest, ListsArticlesAtOrBelowTheirAlertLevelBySupplier) {
    reinitialiserEtatGlobal();
    cnx().executer(QStringLiteral("INSERT INTO Fournisseur (No, CodeFournisseur, Societe) VALUES (1, 'Z', "
                                  "'Zeta Protection'), (2, 'A', 'Alpha Gants')"));
    const QVariant famille = cnx().valeurUnique(
        QStringLiteral("INSERT INTO Familles (NomFamille) VALUES ('Gants') RETURNING NoFamille"));
    struct Article {
        int reference;
        const char* designation;
        int fournisseur;
        QVariant stock, alerte;
        bool liste;
    };
    const QList<Article> articles = {
        {101, "Gant nitrile", 2, 3, 5, true},     {102, "Gant cuir", 2, 5, 5, true},
        {103, "Gant coton", 2, 6, 5, false},      {201, "Lunettes", 1, 0, 2, true},
        {202, "Casque", 1, 4, QVariant(), false}, {301, "Bouchons", 9, -1, 0, true}};
    for (const Article& a : articles)
        cnx().executer(
            QStringLiteral("INSERT INTO ArticleEnStock (Reference, Designation, NoFournisseur, Famille, "
                           "QteEnStock, StockAlert) VALUES (?, ?, ?, ?, ?, ?)"),
            {a.reference, QString::fromUtf8(a.designation), a.fournisseur, famille,
             a.stock.isNull() ? QVariant(QMetaType::fromType<int>()) : a.stock,
             a.alerte.isNull() ? QVariant(QMetaType::fromType<int>()) : a.alerte});
    cnx().executer(QStringLiteral("UPDATE InfoSociete SET NOM = 'Société Élan'"));
    cnx().executer(QStringLiteral("INSERT INTO InfoEtat (Titre, Periode) VALUES ('Article à commander', "
                                  "'Période du 01/03/2026 au 31/03/2026')"));

    QList<ReportTable> tables;
    for (const char* source : {"ArticleEnStock", "Familles", "Fournisseur", "InfoSociete", "InfoEtat"})
        tables << ReportTable::read(cnx(), QString::fromLatin1(source));
    const ReportDefinition d = ReportDefinition::load(
        QDir(QStringLiteral(DORVANE_RESOURCES_DIR)).filePath(QStringLiteral("RPT SQL")),
        QStringLiteral("articlerupture.rpt"));
    QTemporaryDir dossier;
    const QString pdf = QDir(dossier.path()).filePath(QStringLiteral("rupture.pdf"));
    ReportEngine::layout(d, tables).writePdf(pdf);
    const QString texte = textePdf(pdf);

    for (const Article& a : articles)
        EXPECT_EQ(texte.contains(QString::fromUtf8(a.designation)), a.liste) << a.designation;
    EXPECT_TRUE(texte.contains(QStringLiteral("Société Élan")) &&
                texte.contains(QStringLiteral("Article à commander")));
    // The unknown supplier's group (printed empty) first, then the suppliers in order, each with its
    // articles.
    const qsizetype bouchons = texte.indexOf(QStringLiteral("Bouchons")),
                    alpha = texte.indexOf(QStringLiteral("Alpha Gants")),
                    cuir = texte.indexOf(QStringLiteral("Gant cuir")),
                    nitrile = texte.indexOf(QStringLiteral("Gant nitrile")),
                    zeta = texte.indexOf(QStringLiteral("Zeta Protection")),
                    lunettes = texte.indexOf(QStringLiteral("Lunettes"));
    EXPECT_TRUE(bouchons < alpha && alpha < cuir && cuir < nitrile && nitrile < zeta && zeta < lunettes)
        << texte.toStdString();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("Total général\\s+4\\s+article")).match(texte).hasMatch())
        << texte.toStdString();
}

// A table read with " order by " comes in French order (the database folds ASCII letters only), with
// the layer's types.
TEST_P(ArticleRuptureTest, SnapshotsKeepTheLayerTypesAndPutTableOrdersInFrenchOrder) {
    cnx().executer(
        QStringLiteral("INSERT INTO Fournisseur (No, CodeFournisseur, Societe) VALUES (1, 'A', 'Zeta'), "
                       "(2, 'B', 'Éclair'), (3, 'C', 'alpha'), (4, 'D', 'Ecole')"));
    cnx().executer(
        QStringLiteral("INSERT INTO ArticleEnStock (Reference, PrixAchatUnit, DateCreation) VALUES "
                       "(7, 2.5, '2026-03-07 10:00:00')"));
    const ReportTable f = ReportTable::read(cnx(), QStringLiteral("Fournisseur  order by Societe"));
    ASSERT_EQ(f.rowCount(), 4);
    QStringList societes;
    for (int r = 0; r < f.rowCount(); ++r)
        societes << f.value(r, f.columnIndex(QStringLiteral("SOCIETE"))).toString();
    EXPECT_EQ(societes, QStringList({"alpha", "Éclair", "Ecole", "Zeta"}));
    EXPECT_TRUE(f.ordered());

    const ReportTable a =
        ReportTable::read(cnx(), QStringLiteral("SELECT * FROM ArticleEnStock WHERE Reference = ?"), {7});
    EXPECT_FALSE(a.ordered());
    EXPECT_EQ(a.value(0, a.columnIndex(QStringLiteral("DateCreation"))).metaType().id(),
              QMetaType::QDateTime);
    EXPECT_EQ(a.value(0, a.columnIndex(QStringLiteral("PrixAchatUnit"))).toDouble(), 2.5);
    EXPECT_EQ(a.value(0, a.columnIndex(QStringLiteral("Reference"))).metaType().id(), QMetaType::LongLong);
}

DORVANE_SUR_CHAQUE_BASE(ArticleRuptureTest);
