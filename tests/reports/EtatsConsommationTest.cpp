#include "BaseDeTest.h"
#include "OutilsProcessus.h"
#include "reports/OutilsEtats.h"

#include "db/Valeurs.h"
#include "reports/ReportBuilders.h"
#include "reports/ReportEngine.h"
#include "reports/ReportExcel.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

using namespace OutilsEtats;
using namespace OutilsProcessus;

namespace {

// Two sites, machines 1 to 10 but 7 known to Machines, three articles whose references run against
// their designations; May 2026 holds a line of 4 units worth 5.00 and a line with no machine, family,
// supplier, profile or price; a line of April and three months of winter lie around it.
class EtatsConsommation : public TestAvecBase {
protected:
    void SetUp() override {
        TestAvecBase::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        cnx().executer("UPDATE InfoSociete SET NOM = ?, Adresse = ?, CodePostal = ?, Ville = ?",
                       {QStringLiteral("Société Élan"), QStringLiteral("12 rue des Forges"),
                        QStringLiteral("69002"), QStringLiteral("Lyon")});
        for (int m = 1; m <= 10; ++m)
            if (m != 7)
                cnx().executer("INSERT INTO Machines (NoMachine, Location) VALUES (?, ?)",
                               {m, QStringLiteral("Quai %1").arg(m)});
        const QVariant chef = cnx().valeurUnique("SELECT NoQuota FROM ProfileQuota WHERE Profile = 'CHEF'");
        const QVariant illimite = cnx().valeurUnique("SELECT NoQuota FROM ProfileQuota WHERE Profile = ?",
                                                     {QStringLiteral("ILLIMITÉ")});
        const QVariantList zoe = {"A1", "Dupré", "Zoé", "Nord", "Atelier", chef};
        const QVariantList leo = {"B2", "Martin", "Léo", "Sud", "Peinture", illimite};
        const QVariantList sean = {"C3", "O'Neil", "Sean", "Sud", "Peinture", QVariant()};
        const QVariantList gants = {1, "Gants", "9", "GANTS", "F1", "Protec"};
        const QVariantList ecran = {2, "Écran", "", "EPI", "F2", "Visio"};
        const QVariantList bottes = {3, "Bottes", "42", "CHAUSSURES", "F1", "Protec"};
        auto le = [](int a, int m, int j) { return QDateTime(QDate(a, m, j), QTime(10, 30)); };
        ligne(le(2026, 5, 5), zoe, gants, 1, 4, 5.0);
        ligne(le(2026, 5, 6), zoe, bottes, 2, 1, 42.5);
        ligne(le(2026, 5, 7), leo, ecran, 5, 2, 13.0);
        ligne(le(2026, 5, 12), leo, gants, 7, 3, 3.75);
        ligne(le(2026, 5, 20), sean, {2, "Écran", QVariant(), QVariant(), QVariant(), QVariant()}, QVariant(),
              1, QVariant());
        ligne(le(2026, 5, 28), sean, bottes, 9, 2, 85.0);
        ligne(le(2026, 4, 15), zoe, gants, 1, 10, 12.5);
        ligne(le(2027, 2, 3), leo, gants, 3, 1, 1.25);
        ligne(le(2027, 1, 15), leo, ecran, 3, 1, 6.5);
        ligne(le(2026, 12, 10), zoe, bottes, 4, 1, 42.5);
        ligne(le(2027, 1, 20), zoe, gants, 4, 2, 2.5);
        // The returns reports print the period's withdrawals of table Retour.
        cnx().executer("INSERT INTO Retour (ReferenceArticle, Designation, NomFamille, NomUser, PrenomUser, "
                       "LaDateRetrait, LaDateRetour, NoMachine) VALUES (1, 'Gants', 'GANTS', 'Dupré', 'Zoé', "
                       "'2026-05-05 10:30:00', '2026-05-06 08:00:00', 1)");
    }
    void ligne(const QDateTime& date, const QVariantList& s, const QVariantList& a, const QVariant& machine,
               int quantite, const QVariant& valeur) {
        const QVariant n = cnx().valeurUnique("INSERT INTO Ventes (LaDate, TypeMouvement, Utilisateur, Nom, "
                                              "Prenom) VALUES (?, 3, ?, ?, ?) RETURNING NumVente",
                                              {Valeurs::valeurDate(date), s[0], s[1], s[2]});
        cnx().executer(
            "INSERT INTO DetailVente (NumVente, NomSite, NomService, Profile, Reference, Designation, "
            "Taille, NomFamille, CodeFournisseur, Societe, NoMachine, Quantite, PrixAchatUnit) "
            "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
            {n, s[3], s[4], s[5], a[0], a[1], a[2], a[3], a[4], a[5], machine, quantite, valeur});
    }

    // The report as the viewer prints it over the period (CA built by its builder, its tables bound by
    // the French name), to PDF and to a workbook: the PDF's text, and the workbook's shared strings.
    QString imprimer(const QString& fichier, const QString& debut, const QString& fin,
                     QString* classeur = nullptr) {
        const QString francais = etatFrancais(fichier);
        const bool fr = francais == fichier;
        ReportData::Request r;
        r.fileName = francais;
        r.title = QStringLiteral("Essai");
        r.period = ReportData::periodLine(debut, fin, fr);
        r.source = sourceEtat(francais);
        const ReportBuilders::Periode periode{true, debut, fin};
        if (r.source == QLatin1String("CA"))
            r.builder = ReportBuilders::etatCA(periode);
        else if (r.source == QLatin1String("ConsoParMachineSecteur"))
            r.builder = ReportBuilders::consoParCentreCout(periode);
        const ReportData::Snapshot s = ReportData::read(cnx(), r);
        EXPECT_EQ(s.outcome, ReportData::Snapshot::Outcome::Ready) << fichier.toStdString();
        const ReportDefinition d = ReportDefinition::load(dossierEtats(), fichier);
        const QString pdf = m_dossier.filePath(QStringLiteral("etat.pdf"));
        ReportEngine::layout(d, s.tables).writePdf(pdf, r.title);
        const QString xlsx = m_dossier.filePath(ReportExcel::fileName(r.title));
        ReportExcel::write(d, s.tables, xlsx);
        lancer(QStringLiteral("unzip"), {"-tq", xlsx});
        if (classeur) {
            int code = 0; // a workbook without texts has none
            *classeur = QString::fromUtf8(
                lancer(QStringLiteral("unzip"), {"-p", xlsx, "xl/sharedStrings.xml"}, &code));
        }
        return textePdf(pdf);
    }

    QTemporaryDir m_dossier;
};

// The lines of `texte` that match `motif`, blanks squeezed.
QStringList lignes(const QString& texte, const QString& motif) {
    QStringList r;
    const QRegularExpression e(motif);
    for (const QString& l : texte.split(u'\n'))
        if (e.match(l).hasMatch())
            r << l.simplified();
    return r;
}

// The captions a twin translates: the keys of its map and of the maps of the twins it stands on.
QStringList traduits(const QString& fichier) {
    QStringList r;
    for (QString f = fichier; !f.isEmpty();) {
        QFile file(QDir(dossierEtats()).filePath(f));
        if (!file.open(QIODevice::ReadOnly))
            break;
        const QJsonObject o = QJsonDocument::fromJson(file.readAll()).object();
        r << o.value(QStringLiteral("texts")).toObject().keys();
        f = o.value(QStringLiteral("base")).toString();
    }
    return r;
}

} // namespace

// Every shipped report printed over May 2026, to PDF and to a workbook; the consumption reports' groups,
// orders and sums to the cent, a line's amount being its value; every twin without a French caption it
// translates.
TEST_P(EtatsConsommation, EveryShippedReportPrintsItsGroupsAndSumsAndEveryTwinItsCaptions) {
    const QString debut = QStringLiteral("01/05/2026"), fin = QStringLiteral("31/05/2026");
    QHash<QString, QString> textes;
    for (const QString& f : QDir(dossierEtats()).entryList(QDir::Files)) {
        QString classeur;
        textes[f] = imprimer(f, debut, fin, &classeur);
        for (QString cle : traduits(f)) {
            cle = cle.remove(QRegularExpression(QStringLiteral("\\{\\w+\\}"))).trimmed();
            // The caption as a whole word: "Profil" is not found inside the translation "Profile".
            const QRegularExpression mot(
                QStringLiteral("(?<!\\w)%1(?!\\w)").arg(QRegularExpression::escape(cle)),
                QRegularExpression::UseUnicodePropertiesOption);
            EXPECT_FALSE(textes[f].contains(mot)) << f.toStdString() << " « " << cle.toStdString() << " »";
            EXPECT_FALSE(classeur.contains(mot)) << f.toStdString() << " « " << cle.toStdString() << " »";
        }
    }

    const QString machines = textes.value("ConsParMachine.rpt");
    for (const char* attendu :
         {"Société Élan", "Essai", "Période du 01/05/2026 au 31/05/2026", "Désignation", "Imprimé le "})
        EXPECT_TRUE(machines.contains(QString::fromUtf8(attendu))) << attendu << "\n"
                                                                   << machines.toStdString();
    // No machine first; machine 7, unknown to Machines, without a place.
    EXPECT_EQ(lignes(machines, "^\\s*Total"),
              (QStringList{"Total 1 0,00 €", "Total Quai 1 4 5,00 €", "Total Quai 2 1 42,50 €",
                           "Total Quai 5 2 13,00 €", "Total 3 3,75 €", "Total Quai 9 2 85,00 €",
                           "Total général 13 149,25 €"}))
        << machines.toStdString();
    EXPECT_EQ(lignes(machines, "^\\s*1\\s+Gants"), (QStringList{"1 Gants 9 4 5,00 €", "1 Gants 9 3 3,75 €"}));
    EXPECT_EQ(lignes(textes.value("ConsParMachine5-6-7-8.rpt"), "^\\s*(Machine|Total)"),
              (QStringList{"Machine 5 Quai 5", "Total Quai 5 2 13,00 €", "Machine 7", "Total 3 3,75 €",
                           "Total général 5 16,75 €"}));
    EXPECT_EQ(lignes(textes.value("ConsParMachine9-10EN.rpt"), "^\\s*(Machine|Grand)"),
              (QStringList{"Machine 9 Quai 9", "Grand total 2 85,00 €"}));

    // Each site with its total, then the grand total; Zoé's line of 4 gloves counts 5.00.
    const QString sites = textes.value("ConsParSite.RPT");
    EXPECT_EQ(lignes(sites, "^\\s*(Site :|Total du site|Total général)"),
              (QStringList{"Site : Nord", "Total du site 5 47,50 €", "Site : Sud", "Total du site 8 101,75 €",
                           "Total général 13 149,25 €"}));
    EXPECT_EQ(lignes(sites, "Gants").value(0), QStringLiteral("05/05/2026 1 Gants 9 4 5,00 €"));
    EXPECT_EQ(
        lignes(textes.value("ConsParSiteEN.rpt"), "^\\s*(Site:|Department:|Employee total|Grand total)"),
        (QStringList{"Site: Nord", "Department: Atelier", "Employee total 5 47,50 €", "Site: Sud",
                     "Department: Peinture", "Employee total 5 16,75 €", "Employee total 3 85,00 €",
                     "Grand total 13 149,25 €"}));

    const QStringList articles = {"1 Gants 9 7 8,75 €", "2 Écran 3 13,00 €", "3 Bottes 42 3 127,50 €"};
    EXPECT_EQ(lignes(textes.value("ConsParRefGlobal.RPT"), "^\\s*\\d\\s+(Gants|Écran|Bottes)"), articles);
    EXPECT_EQ(lignes(textes.value("consParDesiGlobal.RPT"), "^\\s*\\d\\s+(Gants|Écran|Bottes)"),
              (QStringList{articles[2], articles[1], articles[0]}));
    EXPECT_EQ(lignes(textes.value("consParDesiGlobalEN.rpt"), "^\\s*\\d\\s+(Gants|Écran|Bottes)"),
              (QStringList{articles[2], articles[1], articles[0]}));

    // The groups with no family, supplier or profile print, empty, and their sums count.
    EXPECT_EQ(lignes(textes.value("ConsParFamille.RPT"), "^\\s*Total"),
              (QStringList{"Total de la famille 1 0,00 €", "Total de la famille 3 127,50 €",
                           "Total de la famille 2 13,00 €", "Total de la famille 7 8,75 €",
                           "Total général 13 149,25 €"}));
    EXPECT_EQ(lignes(textes.value("ConsParFournisseur.RPT"), "^\\s*Fournisseur"),
              (QStringList{"Fournisseur :", "Fournisseur : Protec F1", "Fournisseur : Visio F2"}));
    EXPECT_EQ(lignes(textes.value("ConsParProfileParSalarie.RPT"), "^\\s*(Profil|O'Neil|Dupré|Martin)"),
              (QStringList{"Profil :", "O'Neil Sean C3 3 85,00 €", "Profil : CHEF", "Dupré Zoé A1 5 47,50 €",
                           "Profil : ILLIMITÉ", "Martin Léo B2 5 16,75 €"}));
    EXPECT_EQ(lignes(textes.value("ConsParSalariedetail.RPT"), "^\\s*\\d\\d/"),
              (QStringList{"05/05/2026 1 Gants 9 4 5,00 €", "06/05/2026 3 Bottes 42 1 42,50 €",
                           "07/05/2026 2 Écran 2 13,00 €", "12/05/2026 1 Gants 9 3 3,75 €",
                           "20/05/2026 2 Écran 1", "28/05/2026 3 Bottes 42 2 85,00 €"}));
    const QString anglais = textes.value("ConsParMachineEN.rpt").simplified();
    EXPECT_TRUE(anglais.contains("Description") && anglais.contains("Grand total 13 149,25 €") &&
                anglais.contains("Period from 01/05/2026 to 31/05/2026"))
        << anglais.toStdString();

    // The months of a winter in date order.
    const QString mois = imprimer("ConsParMois.RPT", "01/12/2026", "28/02/2027");
    EXPECT_EQ(
        lignes(mois, "^\\s*(décembre|janvier|février|Total)"),
        (QStringList{"décembre 2026", "Total du mois 1 42,50 €", "janvier 2027", "Total du mois 3 9,00 €",
                     "février 2027", "Total du mois 1 1,25 €", "Total général 5 52,75 €"}))
        << mois.toStdString();
}

DORVANE_SUR_CHAQUE_BASE(EtatsConsommation);

class FormeDeBase : public EtatsTest {
protected:
    void ecrire(const QString& nom, const QByteArray& json) {
        QFile f(fichier(nom));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(json);
    }
};

// A definition on a base: its texts replaced whole, chart captions included, never a field nor part of
// a text; filter and sort replaced; its own name kept. A base missing, a circle, a chain too long, a key
// that no text holds, any other key, and bytes naming a base: errors naming the file.
TEST_F(FormeDeBase, TextsReplacedWholeAndFaultsNamedByTheirFile) {
    ecrire("Entier.RPT", R"({"tables": ["CA"], "sort": [{"field": "Reference"}],
      "filter": {"field": "NoMachine", "op": "=", "value": 1},
      "reportHeader": {"height": 60, "elements": [
        {"type": "chart", "x": 0, "y": 0, "width": 100, "height": 50, "key": "Nom", "value": "Quantite",
         "keyCaption": "Salarié", "valueCaption": "Total"}]},
      "detail": {"height": 5, "elements": [
        {"type": "text", "x": 0, "y": 0, "width": 20, "height": 5, "text": "Total"},
        {"type": "text", "x": 20, "y": 0, "width": 20, "height": 5, "text": "Total général"},
        {"type": "text", "x": 40, "y": 0, "width": 20, "height": 5, "field": "Total"}]}})");
    ecrire("EntierEN.rpt", R"({"base": "entier.rpt", "texts": {"Total": "Sum", "Salarié": "Employee"},
      "sort": [{"field": "Nom", "descending": true}]})");
    ecrire("Entier1EN.rpt",
           R"({"base": "EntierEN.rpt", "filter": {"field": "NoMachine", "op": "in", "values": [1, 2]}})");
    const ReportDefinition d = ReportDefinition::load(m_dossier.path(), "entier1en.RPT");
    EXPECT_EQ(d.fileName, QStringLiteral("Entier1EN.rpt"));
    QStringList t;
    for (const ReportElement& e : d.detail.elements)
        t << e.text + u'|' + e.field;
    EXPECT_EQ(t, (QStringList{"Sum|", "Total général|", "|Total"}));
    const ReportElement& graphique = d.reportHeader.elements.at(0);
    EXPECT_EQ(graphique.keyCaption + u'|' + graphique.valueCaption, QStringLiteral("Employee|Sum"));
    ASSERT_EQ(d.sort.size(), 1);
    EXPECT_TRUE(d.sort[0].field == QLatin1String("Nom") && d.sort[0].descending);
    EXPECT_EQ(d.filter.kind, ReportFilter::Kind::In);

    auto erreur = [&](const QString& nom, const QByteArray& json, const QString& fautif, const char* quoi) {
        ecrire(nom, json);
        const QString e = echec([&] { ReportDefinition::load(m_dossier.path(), nom); });
        EXPECT_TRUE(e.contains(QStringLiteral("« %1 »").arg(fautif)) && e.contains(QString::fromUtf8(quoi)))
            << e.toStdString();
    };
    erreur("Soi.rpt", R"({"base": "SOI.rpt"})", "Soi.rpt", "cercle");
    ecrire("A.rpt", R"({"base": "B.rpt"})");
    erreur("B.rpt", R"({"base": "A.rpt"})", "A.rpt", "cercle");
    erreur("Faute.rpt", R"({"base": "Entier.RPT", "texts": {"Désignaton": "Description"}})", "Faute.rpt",
           "Désignaton");
    erreur("Absente.rpt", R"({"base": "Nulle.RPT"})", "Absente.rpt", "Nulle.RPT");
    erreur("Page.rpt", R"({"base": "Entier.RPT", "page": {"orientation": "landscape"}})", "Page.rpt", "page");
    // Four files on the base form in a chain, and no more.
    for (int i = 1; i <= 4; ++i)
        ecrire(QStringLiteral("C%1.rpt").arg(i),
               QStringLiteral(R"({"base": "%1"})")
                   .arg(i == 4 ? "Entier.RPT" : QStringLiteral("C%1.rpt").arg(i + 1))
                   .toUtf8());
    EXPECT_EQ(ReportDefinition::load(m_dossier.path(), "C1.rpt").detail.elements.size(), 3);
    erreur("C0.rpt", R"({"base": "C1.rpt"})", "C4.rpt", "4");
    const QString e = echec([] { ReportDefinition::parse(R"({"base": "Entier.RPT"})", "Octets.rpt"); });
    EXPECT_TRUE(e.contains(QStringLiteral("« Octets.rpt »"))) << e.toStdString();
}
