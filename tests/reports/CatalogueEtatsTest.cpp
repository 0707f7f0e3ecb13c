#include "BaseDeTest.h"
#include "OutilsProcessus.h"
#include "reports/OutilsEtats.h"

#include "common/EtatGlobal.h"
#include "common/FnWendrox.h"
#include "db/Valeurs.h"
#include "reports/ReportData.h"
#include "reports/ReportEngine.h"
#include "reports/RetraitRetour.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace OutilsEtats;
using namespace OutilsProcessus;

namespace {

QVariant nul() {
    return QVariant(QMetaType::fromType<QString>());
}

// The shipped stock, employee and returns reports over seeded tables, bound as the viewer binds them.
class CatalogueEtatsTest : public TestAvecBase {
protected:
    void SetUp() override {
        TestAvecBase::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        reinitialiserEtatGlobal();
        FnWendrox::definirHorloge([] { return QDateTime(QDate(2026, 12, 3), QTime(9, 30)); });
        cnx().executer(QStringLiteral("UPDATE InfoSociete SET NOM = 'Société Élan'"));
    }
    void TearDown() override {
        FnWendrox::definirHorloge({});
        reinitialiserEtatGlobal();
        TestAvecBase::TearDown();
    }
    QVariant inserer(const QString& sql, const QVariantList& valeurs = {}) {
        return cnx().valeurUnique(sql, valeurs);
    }
    ReportData::Snapshot lire(const QString& fichier, const QString& source, const QVariantList& valeurs = {},
                              const QString& titre = QStringLiteral("Essai")) {
        ReportData::Request r;
        r.fileName = fichier;
        r.title = titre;
        r.period = ReportData::periodLine(QStringLiteral("01/11/2026"), QStringLiteral("30/11/2026"), true);
        r.source = source;
        r.values = valeurs;
        return ReportData::read(cnx(), r);
    }
    // The report's text as pdftotext gives it.
    QString texte(const QString& fichier, const QString& source, const QVariantList& valeurs = {},
                  const QString& titre = QStringLiteral("Essai")) {
        const ReportData::Snapshot s = lire(fichier, source, valeurs, titre);
        const QString pdf = QDir(m_dossier.path()).filePath(QStringLiteral("etat.pdf"));
        ReportEngine::layout(ReportDefinition::load(dossierEtats(), fichier), s.tables).writePdf(pdf);
        return textePdf(pdf);
    }
    QTemporaryDir m_dossier;
};

// The texts in this order in the report; the first missing or out of place named.
void dansLOrdre(const QString& texte, const QStringList& attendus) {
    qsizetype depuis = 0;
    for (const QString& a : attendus) {
        const qsizetype i = texte.indexOf(a, depuis);
        ASSERT_GE(i, 0) << "« " << a.toStdString() << " » manque ou n'est pas à sa place:\n"
                        << texte.toStdString();
        depuis = i + a.size();
    }
}

bool ligne(const QString& texte, const QString& motif) {
    return QRegularExpression(motif).match(texte).hasMatch();
}

} // namespace

// The stock reports: per family, in reference or designation order, the quantities in stock, in the
// machines and in all summed per family and in all; the stock's value per family and per supplier, to
// the cent; an article without family, supplier, size or price prints in its own group, its value empty.
TEST_P(CatalogueEtatsTest, StockListsAndValuesPerFamilyAndSupplier) {
    const QVariant gants = inserer("INSERT INTO Familles (NomFamille) VALUES ('Gants') RETURNING NoFamille");
    const QVariant bottes =
        inserer("INSERT INTO Familles (NomFamille) VALUES ('Bottes') RETURNING NoFamille");
    const QVariant t9 = inserer(
        "INSERT INTO Tailles (Taille, Ordre, NoFamille) VALUES ('9', 1, ?) RETURNING NoTaille", {gants});
    cnx().executer("INSERT INTO Fournisseur (No, CodeFournisseur, Societe) VALUES (1, 'Z', 'Zeta'), "
                   "(2, 'A', 'Alpha')");
    struct Article {
        int reference;
        const char* designation;
        QVariant famille, fournisseur, stock, prix;
    };
    const QList<Article> articles = {{101, "Gant nitrile", gants, 2, 10, 1.25},
                                     {102, "Gant cuir", gants, 1, 4, 3.10},
                                     {103, "Écran facial", gants, 2, 0, 19.99},
                                     {201, "Botte", bottes, 1, 2, 45.5},
                                     {301, "Sans famille", QVariant(), QVariant(), 7, QVariant()}};
    for (const Article& a : articles)
        cnx().executer(
            "INSERT INTO ArticleEnStock (Reference, Designation, Famille, NoFournisseur, QteEnStock, "
            "StockAlert, PrixAchatUnit, Taille) VALUES (?, ?, ?, ?, ?, 5, ?, ?)",
            {a.reference, QString::fromUtf8(a.designation), a.famille, a.fournisseur, a.stock,
             a.prix.isNull() ? QVariant(QMetaType::fromType<double>()) : a.prix,
             a.reference == 101 ? t9 : QVariant(QMetaType::fromType<int>())});
    // Machines: 3 units of 101 (one slot counts 1 without Qte), 1 of 103.
    cnx().executer("INSERT INTO EmplacementsMachine1 (NoMachine, NoEmpl, Reference, Qte) VALUES "
                   "(1, 1, 101, 2), (1, 2, 101, NULL), (1, 3, 103, 1)");

    QString t = texte("StockParRef.RPT", "StockGlobal", {}, "Article en stock");
    dansLOrdre(t, {"Société Élan", "Article en stock", "Période du 01/11/2026 au 30/11/2026", "Sans famille",
                   "Bottes", "201", "Botte", "Total de la famille", "Gants", "101", "Gant nitrile", "102",
                   "103", "Écran facial", "Total de la famille", "Total général"});
    // 101: 10 in stock, 3 in the machines, 13 in all, size 9; Gants: 14 + 4 = 18; all: 23 + 4 = 27.
    EXPECT_TRUE(ligne(t, "101\\s+Gant nitrile\\s+9\\s+10\\s+3\\s+13\\s+5")) << t.toStdString();
    EXPECT_TRUE(ligne(t, "Total de la famille\\s+14\\s+4\\s+18")) << t.toStdString();
    EXPECT_TRUE(ligne(t, "Total général\\s+23\\s+4\\s+27")) << t.toStdString();
    t = texte("StockParDesi.RPT", "StockGlobal");
    dansLOrdre(t, {"Bottes", "Gants", "Écran facial", "Gant cuir", "Gant nitrile", "Total général"});

    // Values: 13 x 1.25 + 4 x 3.10 + 1 x 19.99 = 48.64 for Gants, 2 x 45.50 = 91.00 for Bottes.
    t = texte("ValeurStock.RPT", "StockGlobal", {}, "Valeur du Stock");
    dansLOrdre(t, {"Valeur du Stock", "Sans famille", "Bottes", "91,00 €", "Gants", "Gant nitrile", "13",
                   "1,25 €", "16,25 €", "48,64 €", "Total général", "139,64 €"});
    EXPECT_TRUE(ligne(t, "Sans famille\\s+7\\s*\\n")) << t.toStdString();
    t = texte("ValeurStockpardesi.RPT", "StockGlobal");
    dansLOrdre(t, {"Fournisseur", "Sans famille", "Alpha", "Écran facial", "Gant nitrile", "36,24 €", "Zeta",
                   "Botte", "Gant cuir", "103,40 €", "Total général", "139,64 €"});
}

// The employee lists: no period, the report's own heading, every employee once, Null sites, profiles,
// sizes and machines included; groups counted; sizes in their order of sizes, not of their texts.
TEST_P(CatalogueEtatsTest, EmployeeListsInTheirOrdersAndGroupsWithoutPeriod) {
    const QVariant nord = inserer("INSERT INTO Sites (NomSite) VALUES ('Nord') RETURNING NoSite");
    const QVariant atelier =
        inserer("INSERT INTO Services (NomService, Site) VALUES ('Atelier', ?) RETURNING NoService", {nord});
    const QVariant soudure =
        inserer("INSERT INTO ProfileQuota (Profile) VALUES ('Soudure') RETURNING NoQuota");
    auto taille = [&](const char* t, const QVariant& ordre) {
        return inserer("INSERT INTO Tailles (Taille, Ordre) VALUES (?, ?) RETURNING NoTaille",
                       {QString::fromLatin1(t), ordre});
    };
    const QVariant t40 = taille("40", 2), t39 = taille("39", 1), xl = taille("XL", 3),
                   t8 = taille("8", QVariant(QMetaType::fromType<int>()));
    struct Salarie {
        const char* nom;
        const char* prenom;
        const char* badge;
        const char* matricule;
        QVariant site, service, profil, chaussure, main;
        QVariant machines;
    };
    const QVariant aucun(QMetaType::fromType<int>());
    const QList<Salarie> salaries = {
        {"Martin", "Léa", "B300", "M2", nord, atelier, soudure, t40, xl, "1,2,5"},
        {"Dupont", "Émile", "B100", "M3", nord, atelier, aucun, t39, aucun, "1,,3"},
        {"Zoé", "Anne", "B200", "M1", aucun, aucun, aucun, aucun, t8, ""},
        {"dupont", "Alain", "B050", "M4", nord, aucun, soudure, xl, xl, nul()},
    };
    for (const Salarie& s : salaries)
        cnx().executer(
            "INSERT INTO Utilisateurs (Nom, Prenom, NoBadge, MatriculeSalarie, Site, Service, Quota, "
            "TailleChaussure, TailleMain, MachineAutorise) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
            {QString::fromUtf8(s.nom), QString::fromUtf8(s.prenom), s.badge, s.matricule, s.site, s.service,
             s.profil, s.chaussure, s.main, s.machines});

    const QStringList fichiers = {"SalarieNom.RPT",      "Salariebadge.RPT",     "Salariesite.RPT",
                                  "SalarieService.RPT",  "SalarieProfile.RPT",   "SalarieTailleCh.RPT",
                                  "SalarieTailleMa.RPT", "SalarieMatricule.RPT", "SalarieParMachine.RPT"};
    QMap<QString, QString> textes;
    for (const QString& f : fichiers) {
        const ReportData::Snapshot s = lire(f, "GrUtilisateur");
        EXPECT_EQ(s.tables.size(), 2) << f.toStdString();
        textes[f] = texte(f, "GrUtilisateur");
        const QString& t = textes[f];
        EXPECT_FALSE(t.contains(QStringLiteral("Période"))) << f.toStdString();
        EXPECT_TRUE(t.contains(QStringLiteral("Société Élan")) &&
                    t.contains(QStringLiteral("Liste des salariés")))
            << f.toStdString();
        EXPECT_TRUE(ligne(t, "Total général\\s+4\\s+salarié")) << f.toStdString() << t.toStdString();
    }
    dansLOrdre(textes["SalarieNom.RPT"], {"dupont", "Alain", "Dupont", "Émile", "B100", "M3", "Nord",
                                          "Atelier", "39", "Martin", "Léa", "Soudure", "40", "XL", "Zoé"});
    dansLOrdre(textes["Salariebadge.RPT"], {"par badge", "B050", "B100", "B200", "B300"});
    dansLOrdre(textes["SalarieMatricule.RPT"], {"par matricule", "Zoé", "Martin", "Dupont", "dupont"});
    // Groups: the employees without site first, then Nord with its three.
    dansLOrdre(textes["Salariesite.RPT"],
               {"Site :", "Zoé", "Total", "1", "Site :", "Nord", "dupont", "Dupont", "Martin", "Total", "3"});
    EXPECT_TRUE(ligne(textes["SalarieService.RPT"], "Total\\s+2\\s+salarié"));
    EXPECT_TRUE(ligne(textes["SalarieProfile.RPT"], "Soudure[\\s\\S]*Total\\s+2\\s+salarié"));
    // Shoe sizes in their order (no size, 39, 40, XL); hand sizes: "8" has no order, so it comes first.
    dansLOrdre(textes["SalarieTailleCh.RPT"],
               {"Zoé", "Taille :", "39", "Dupont", "Taille :", "40", "Martin", "Taille :", "XL", "dupont"});
    dansLOrdre(textes["SalarieTailleMa.RPT"],
               {"Dupont", "Taille :", "8", "Zoé", "Taille :", "XL", "dupont", "Martin", "Total", "2"});
    // The English twin: its own heading and captions over the same order.
    dansLOrdre(texte("SalarieTailleChEN.rpt", "GrUtilisateur"),
               {"Employees by shoe size", "Name", "First name", "Shoe size", "Zoé", "Size:", "39", "Dupont",
                "Size:", "40", "Size:", "XL", "Grand total", "4", "employee(s)", "Printed on"});
    dansLOrdre(textes["SalarieParMachine.RPT"], {"dupont", "Machines :", "Zoé", "Machines :", "1,,3",
                                                 "Dupont", "Machines :", "1,2,5", "Martin"});
}

// The returns list over its period, bounds bound and both included: withdrawals on the first day at
// 00:00:00 and on the last at 23:59:59 listed, the next day's not, nor one of the month before returned
// within the period; each of the seven orders; the status per article counted; no row: nothing to print.
TEST_P(CatalogueEtatsTest, ReturnsListedByTheirWithdrawalInThePeriodInEachOrder) {
    struct Retour {
        qint64 reference;
        const char* designation;
        const char* famille;
        const char* nom;
        const char* prenom;
        const char* retrait;
        const char* retour;
        int machine;
    };
    const QList<Retour> retours = {
        {20, "Lunettes", "Yeux", "Martin", "Léa", "2026-11-01 00:00:00", "2026-11-05 08:00:00", 2},
        {10, "Gants", "Mains", "Dupont", "Émile", "2026-11-30 23:59:59", nullptr, 1},
        {10, "Gants", "Mains", "O'Neil", "Zoé", "2026-11-10 12:00:00", "2026-11-12 09:30:15", 3},
        {30, "Écran", nullptr, "dupont", "Alain", "2026-11-15 07:00:00", "2026-11-20 07:00:00", 1},
        {10, "Gants", "Mains", "Absent", "Décembre", "2026-12-01 00:00:00", nullptr, 1},
        {10, "Gants", "Mains", "Absent", "Octobre", "2026-10-28 10:00:00", "2026-11-03 10:00:00", 1},
    };
    for (const Retour& r : retours)
        cnx().executer("INSERT INTO Retour (ReferenceArticle, Designation, NomFamille, NomUser, PrenomUser, "
                       "LaDateRetrait, LaDateRetour, NoMachine) VALUES (?, ?, ?, ?, ?, ?, ?, ?)",
                       {r.reference, QString::fromUtf8(r.designation),
                        r.famille ? QVariant(QString::fromUtf8(r.famille)) : nul(), QString::fromUtf8(r.nom),
                        QString::fromUtf8(r.prenom), QString::fromLatin1(r.retrait),
                        r.retour ? QVariant(QString::fromLatin1(r.retour)) : nul(), r.machine});

    const QDate premier(2026, 11, 1), dernier(2026, 11, 30);
    // Each order by the column it sorts on, then the names; ties that the order leaves open (same
    // family, same machine) are not checked.
    const QList<QPair<QString, QStringList>> ordres = {
        {"NomUser", {"dupont", "O'Neil", "Martin", "Dupont"}}, // return date, latest first, none last
        {"NomUser", {"Dupont", "dupont", "O'Neil", "Martin"}}, // withdrawal date, latest first
        {"NomUser", {"dupont", "Dupont", "Martin", "O'Neil"}}, // names then first names, in French order
        {"NomUser", {"Dupont", "O'Neil", "Martin", "dupont"}}, // reference, latest first within one
        {"NomUser", {"dupont", "Dupont", "O'Neil", "Martin"}}, // designation (É as E), latest first
        {"NomFamille", {"", "Mains", "Mains", "Yeux"}},        // family, Null first
        {"NoMachine", {"1", "1", "2", "3"}},                   // machine
    };
    EXPECT_FALSE(RetraitRetour::liste(premier, dernier, 7));
    EXPECT_FALSE(RetraitRetour::liste(premier, dernier, -1));
    for (int i = 0; i < ordres.size(); ++i) {
        const std::optional<RetraitRetour::Source> s = RetraitRetour::liste(premier, dernier, i);
        ASSERT_TRUE(s);
        EXPECT_TRUE(s->sql.startsWith(
            "select * from Retour where (LaDateRetrait >= ?) AND (LaDateRetrait <= ?) order by "));
        const ReportData::Snapshot l = lire("RetraitRetour.RPT", s->sql, s->valeurs);
        ASSERT_EQ(l.tables.size(), 3);
        QStringList valeurs;
        for (int r = 0; r < l.tables[0].rowCount(); ++r)
            valeurs << Valeurs::lireTexte(l.tables[0].value(r, l.tables[0].columnIndex(ordres[i].first)));
        EXPECT_EQ(valeurs, ordres[i].second) << i;
    }

    const RetraitRetour::Source parDate = *RetraitRetour::liste(premier, dernier, 0);
    const QString t = texte("RetraitRetour.RPT", parDate.sql, parDate.valeurs, "Liste Sortie-Retour");
    dansLOrdre(t, {"Liste Sortie-Retour", "Période du 01/11/2026 au 30/11/2026", "Retrait", "Retour",
                   "01/11/2026 00:00:00", "05/11/2026 08:00:00", "Martin", "Léa", "20", "Lunettes", "Yeux",
                   "2"});
    EXPECT_TRUE(ligne(t, "30/11/2026 23:59:59\\s+Dupont\\s+Émile")) << t.toStdString();
    EXPECT_TRUE(ligne(t, "Total général\\s+4\\s+retrait")) << t.toStdString();
    EXPECT_FALSE(t.contains("Absent"));

    const RetraitRetour::Source statut = RetraitRetour::statut(premier, dernier);
    EXPECT_EQ(statut.sql, RetraitRetour::liste(premier, dernier, 3)->sql);
    const QString s = texte("ListeDerniersRetraitRetour.rpt", statut.sql, statut.valeurs);
    dansLOrdre(s,
               {"10", "Gants", "30/11/2026 23:59:59", "Dupont", "10/11/2026 12:00:00", "O'Neil", "Total", "2",
                "20", "Lunettes", "Total", "1", "30", "Écran", "dupont", "Total", "1", "Total général", "4"});

    // A period without withdrawal, or whose end comes before its start: nothing to show.
    const RetraitRetour::Source vide = *RetraitRetour::liste(QDate(2026, 12, 2), QDate(2026, 12, 31), 1);
    EXPECT_EQ(lire("RetraitRetour.RPT", vide.sql, vide.valeurs).outcome,
              ReportData::Snapshot::Outcome::EmptyReturns);
    const RetraitRetour::Source envers = RetraitRetour::statut(dernier, premier);
    EXPECT_EQ(lire("ListeDerniersRetraitRetour.rpt", envers.sql, envers.valeurs).outcome,
              ReportData::Snapshot::Outcome::EmptyReturns);
}

// No article, no employee: every list prints its headings and a total of 0.
TEST_P(CatalogueEtatsTest, EmptyTablesPrintTheirHeadingsAndNoRow) {
    for (const char* f :
         {"StockParRef.RPT", "StockParDesi.RPT", "ValeurStock.RPT", "ValeurStockpardesi.RPT"}) {
        const QString t = texte(f, "StockGlobal");
        EXPECT_TRUE(ligne(t, "Total général\\s+(0\\s+0\\s+0|0,00 €)")) << f << t.toStdString();
    }
    EXPECT_TRUE(ligne(texte("SalarieParMachine.RPT", "GrUtilisateur"), "Total général\\s+0\\s+salarié"));
}

DORVANE_SUR_CHAQUE_BASE(CatalogueEtatsTest);
