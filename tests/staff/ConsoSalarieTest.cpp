#include "BaseDeTest.h"

#include "common/ErreurExecution.h"
#include "db/Recordset.h"
#include "db/Valeurs.h"
#include "reports/ReportEngine.h"
#include "staff/ConsoSalarie.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

QDateTime le(int jour, int mois, int h, int m, int s) {
    return QDateTime(QDate(2025, mois, jour), QTime(h, m, s));
}

} // namespace

class ConsoSalarieBase : public TestAvecBase {
protected:
    // One withdrawal with its lines (reference, family, machine of the line).
    qint64 vente(const QDateTime& date, const QVariant& nom, const QString& prenom,
                 const QList<std::tuple<int, QString, int>>& lignes, int machine = 0) {
        const qint64 n =
            cnx()
                .valeurUnique(QStringLiteral("INSERT INTO Ventes (LaDate, Utilisateur, Nom, Prenom, "
                                             "TypeMouvement, NoMachine) VALUES (?, 'B1', ?, ?, 3, ?) "
                                             "RETURNING NumVente"),
                              {Valeurs::valeurDate(date), nom, prenom, machine})
                .toLongLong();
        for (const auto& [reference, famille, machineLigne] : lignes)
            cnx().executer(
                QStringLiteral("INSERT INTO DetailVente (NumVente, Reference, Designation, Quantite, "
                               "PrixAchatUnit, NomFamille, Profile, Taille, NoMachine) "
                               "VALUES (?, ?, 'Gant', 2, 1.25, ?, 1, 'taille de la ligne', ?)"),
                {n, reference, famille, machineLigne});
        return n;
    }
    QList<QVariantList> ca(const QString& champs) {
        Recordset rs;
        rs.Open(cnx(), QStringLiteral("SELECT %1 FROM CA ORDER BY LaDate, Reference").arg(champs));
        QList<QVariantList> r;
        for (rs.MoveFirst(); !rs.IsEOF(); rs.MoveNext()) {
            QVariantList l;
            for (int c = 0; c < rs.FieldCount(); ++c)
                l << rs.Field(c);
            r << l;
        }
        return r;
    }
    qint64 nombreCA() {
        return Valeurs::lireEntier(cnx().valeurUnique(QStringLiteral("SELECT COUNT(*) FROM CA")));
    }
};

TEST_P(ConsoSalarieBase, CopiesTheEmployeesLinesOfThePeriodIntoCAInOneTransaction) {
    const qint64 xl =
        cnx()
            .valeurUnique(QStringLiteral("INSERT INTO Tailles (Taille, Ordre, NoFamille) VALUES "
                                         "('XL', 4, 1) RETURNING NoTaille"))
            .toLongLong();
    cnx().executer(QStringLiteral("INSERT INTO ArticleEnStock (Reference, Designation, Taille) VALUES "
                                  "(10, 'Gant', ?), (11, 'Casque', 999)"),
                   {xl});
    const QString ete = QStringLiteral("gants été");
    vente(le(1, 3, 0, 0, 0), QStringLiteral("O'Neil"), QStringLiteral("Sean"),
          {{10, ete, 0}}); // on the bound
    vente(le(1, 3, 0, 0, 1), QStringLiteral("O'Neil"), QStringLiteral("Sean"),
          {{10, ete, 0}, {10, ete, 0}, {11, ete, 0}, {12, ete, 0}});                                // inside
    vente(le(2, 4, 9, 0, 0), QStringLiteral("o'neil"), QStringLiteral("SEAN"), {{10, ete, 7}});     // folded
    vente(le(3, 4, 9, 0, 0), QStringLiteral("O'Néil"), QStringLiteral("Sean"), {{10, ete, 0}});     // accent
    vente(le(4, 4, 9, 0, 0), QStringLiteral("O%"), QStringLiteral("Sean"), {{10, ete, 0}});         // pattern
    vente(le(30, 4, 23, 59, 59), QStringLiteral("O'Neil"), QStringLiteral("Sean"), {{10, ete, 0}}); // bound
    // Rows of an earlier report go first.
    cnx().executer(QStringLiteral("INSERT INTO CA (Nom) VALUES ('avant')"));

    ConsoSalarie::DemandeConso d;
    d.nom = QStringLiteral("O'Neil");
    d.prenom = QStringLiteral("Sean");
    d.debut = Valeurs::debutPeriode(QDate(2025, 3, 1));
    d.fin = Valeurs::finPeriode(QDate(2025, 4, 30));
    qint64 lues = -1;
    ASSERT_TRUE(ConsoSalarie::RemplirCA(cnx(), d, [&] { lues = nombreCA(); }));
    EXPECT_EQ(lues, 4);
    // Identical lines merged; the size from the article (empty when it or its size is gone), the family
    // in upper case, the profile by name, the month in French.
    const auto lignes = ca(QStringLiteral("LaDate, Reference, Taille, NomFamille, Profile, NomMois, "
                                          "PrixAchatUnit, Quantite, Nom"));
    ASSERT_EQ(lignes.size(), 4);
    EXPECT_EQ(lignes[0][0].toDateTime(), le(1, 3, 0, 0, 1));
    EXPECT_EQ(lignes[0][2].toString(), QStringLiteral("XL"));
    EXPECT_EQ(lignes[0][3].toString(), QStringLiteral("GANTS ÉTÉ"));
    EXPECT_EQ(lignes[0][4].toString(), QStringLiteral("ILLIMITÉ"));
    EXPECT_EQ(lignes[0][5].toString(), QStringLiteral("mars"));
    EXPECT_DOUBLE_EQ(lignes[0][6].toDouble(), 1.25);
    EXPECT_EQ(lignes[0][7].toLongLong(), 2);
    EXPECT_EQ(lignes[1][1].toLongLong(), 11);
    EXPECT_TRUE(lignes[1][2].isNull());
    EXPECT_EQ(lignes[2][1].toLongLong(), 12);
    EXPECT_TRUE(lignes[2][2].isNull());
    EXPECT_EQ(lignes[3][4].toString(), QStringLiteral("ILLIMITÉ"));
    EXPECT_EQ(lignes[3][5].toString(), QStringLiteral("avril"));
    EXPECT_EQ(lignes[3][8].toString(), QStringLiteral("o'neil"));

    // Several machines: a line of another machine than its withdrawal's is left out.
    d.versionGSM = true;
    ASSERT_TRUE(ConsoSalarie::RemplirCA(cnx(), d));
    EXPECT_EQ(nombreCA(), 3);

    // Nothing in the period: CA empty and nothing read.
    d.debut = Valeurs::debutPeriode(QDate(2024, 1, 1));
    d.fin = Valeurs::finPeriode(QDate(2024, 12, 31));
    bool lu = false;
    EXPECT_FALSE(ConsoSalarie::RemplirCA(cnx(), d, [&] { lu = true; }));
    EXPECT_FALSE(lu);
    EXPECT_EQ(nombreCA(), 0);

    // A failure while reading leaves CA as it was.
    cnx().executer(QStringLiteral("INSERT INTO CA (Nom) VALUES ('avant')"));
    d.debut = Valeurs::debutPeriode(QDate(2025, 3, 1));
    d.fin = Valeurs::finPeriode(QDate(2025, 4, 30));
    EXPECT_THROW(
        ConsoSalarie::RemplirCA(
            cnx(), d, [] { throw ErreurExecution(ErreurExecution::ErreurBase, QStringLiteral("lecture")); }),
        ErreurExecution);
    EXPECT_EQ(ca(QStringLiteral("Nom")), (QList<QVariantList>{{QStringLiteral("avant")}}));

    // A long name, and a name that is Null in the journal: no match, no failure.
    vente(le(5, 3, 9, 0, 0), QVariant(QMetaType::fromType<QString>()), QStringLiteral("Sean"),
          {{10, ete, 0}});
    d.nom = QString(100, u'n');
    EXPECT_FALSE(ConsoSalarie::RemplirCA(cnx(), d));
    d.nom.clear();
    EXPECT_FALSE(ConsoSalarie::RemplirCA(cnx(), d));
}

TEST_P(ConsoSalarieBase, ProfileDetailListsEveryLineOfTheProfileOrOfNoProfile) {
    const qint64 t42 =
        cnx()
            .valeurUnique(QStringLiteral("INSERT INTO Tailles (Taille, Ordre, NoFamille) VALUES "
                                         "('42', 6, 3) RETURNING NoTaille"))
            .toLongLong();
    cnx().executer(QStringLiteral("INSERT INTO ArticleEnStock (Reference, Designation, CodeArticle, Taille) "
                                  "VALUES (20, 'Chaussure', 2020, ?)"),
                   {t42});
    cnx().executer(QStringLiteral("INSERT INTO Quota (NoQota, RefArticle, QtePermise, Periodicite) VALUES "
                                  "(5, 20, 1, 30), (5, 21, 2, NULL), (6, 20, 1, 30), (NULL, 20, 3, 7)"));
    Recordset detail;
    ConsoSalarie::OuvrirDetailProfil(cnx(), detail, 5);
    ASSERT_EQ(detail.RecordCount(), 2);
    detail.MoveFirst();
    EXPECT_EQ(detail.Field(QStringLiteral("Designation")).toString(), QStringLiteral("Chaussure"));
    EXPECT_EQ(detail.Field(QStringLiteral("Taille")).toString(), QStringLiteral("42"));
    EXPECT_EQ(detail.Field(QStringLiteral("NoFamille")).toLongLong(), 3);
    detail.MoveNext();
    EXPECT_TRUE(detail.Field(QStringLiteral("Designation")).isNull());
    EXPECT_TRUE(detail.Field(QStringLiteral("NoTaille")).isNull());
    // The shoe size must be the exact one; a line without article leaves the verdict to the others.
    EXPECT_EQ(ConsoSalarie::TailleManquante(detail, t42, QVariant(), 3, 1), std::optional<bool>(false));
    EXPECT_EQ(ConsoSalarie::TailleManquante(detail, t42 + 1, QVariant(), 3, 1), std::optional<bool>(true));
    EXPECT_EQ(ConsoSalarie::TailleManquante(detail, QVariant(), QVariant(), 3, 1), std::optional<bool>(true));

    ConsoSalarie::OuvrirDetailProfil(cnx(), detail, QVariant());
    ASSERT_EQ(detail.RecordCount(), 1);
    detail.MoveFirst();
    EXPECT_EQ(detail.Field(QStringLiteral("QtePermise")).toLongLong(), 3);
    ConsoSalarie::OuvrirDetailProfil(cnx(), detail, 99);
    EXPECT_EQ(ConsoSalarie::TailleManquante(detail, t42, 1, 3, 1), std::nullopt);
}

DORVANE_SUR_CHAQUE_BASE(ConsoSalarieBase);

// The report groups the lines by month in date order, whatever order the record source gives, with the
// month's sums; the English twin prints the same fields.
TEST(ConsUnSalarie, MonthsInDateOrderWithTheirSums) {
    const QString dossier = QDir(QStringLiteral(DORVANE_RESOURCES_DIR)).filePath(QStringLiteral("RPT SQL"));
    ReportTable ca;
    ca.setColumns({"NomMois", "LaDate", "Reference", "Designation", "Taille", "NomFamille", "Quantite",
                   "PrixAchatUnit"});
    // A line's PrixAchatUnit is its value, its quantity in: 2 gloves at 1.50 are 3.00.
    ca.appendRow({"janvier", QDateTime(QDate(2026, 1, 5), QTime(8, 0)), 1, "Gant", "9", "GANTS", 2, 3.0});
    ca.appendRow({"décembre", QDateTime(QDate(2025, 12, 5), QTime(8, 0)), 2, "Casque", "", "EPI", 1, 10.0});
    ca.appendRow({"mars", QDateTime(QDate(2025, 3, 9), QTime(8, 0)), 3, "Botte", "42", "EPI", 4, 8.0});
    ca.appendRow({"janvier", QDateTime(QDate(2026, 1, 2), QTime(8, 0)), 4, "Lunettes", "", "EPI", 1, 3.0});
    ca.setOrdered(true);
    ReportTable etat;
    etat.setColumns({"Titre", "Periode"});
    etat.appendRow({"Consommations O'Neil Sean", "Période du 01/01/2025 au 31/01/2026"});
    ReportTable societe;
    societe.setColumns({"NOM", "Adresse", "CodePostal", "Ville"});
    societe.appendRow({"Élan", "", "", ""});
    for (const char* fichier : {"ConsUnSalarie.rpt", "ConsUnSalarieEN.rpt"}) {
        const auto lignes = ReportEngine::tabulate(
            ReportDefinition::load(dossier, QString::fromUtf8(fichier)), {ca, etat, societe});
        QStringList mois, details;
        QList<double> sommes;
        for (const ReportRow& r : lignes) {
            if (r.kind == ReportRow::Kind::GroupHeader && r.level == 0)
                mois << r.cells.value(0).value.toString() + u' ' +
                            QString::number(r.cells.value(1).value.toInt());
            else if (r.kind == ReportRow::Kind::Detail)
                details << r.cells.value(2).value.toString();
            else if (r.kind == ReportRow::Kind::GroupFooter && r.level == 0)
                sommes << r.cells.last().value.toDouble();
        }
        EXPECT_EQ(mois, (QStringList{"mars 2025", "décembre 2025", "janvier 2026"})) << fichier;
        EXPECT_EQ(details, (QStringList{"Botte", "Casque", "Lunettes", "Gant"})) << fichier;
        EXPECT_EQ(sommes, (QList<double>{8.0, 10.0, 6.0})) << fichier;
    }
}
