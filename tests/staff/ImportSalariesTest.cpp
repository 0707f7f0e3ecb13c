#include "BaseDeTest.h"
#include "LecteurClasseurEnEssai.h"

#include "db/Valeurs.h"
#include "staff/ImportSalaries.h"

#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <latch>
#include <memory>
#include <thread>

using namespace ImportSalaries;

// The workbooks come from the python3-xlwt script beside this file, written once for the suite.
class ImportSalariesBase : public TestAvecBase {
protected:
    static void SetUpTestSuite() {
        s_dossier = std::make_unique<QTemporaryDir>();
        const QString script = QStringLiteral(DORVANE_RESOURCES_DIR "/../tests/staff/classeurs_xls.py");
        s_erreur.clear();
        for (const QStringList& arguments :
             {QStringList{script, s_dossier->path()},
              QStringList{script, QStringLiteral("--echec"), s_dossier->filePath(QStringLiteral("echec.xls")),
                          QStringLiteral("6000"), QStringLiteral("5000")},
              // 2,000 new employees and no failing row.
              QStringList{script, QStringLiteral("--echec"),
                          s_dossier->filePath(QStringLiteral("deux_mille.xls")), QStringLiteral("2000"),
                          QStringLiteral("0")}}) {
            QProcess p;
            p.start(QStringLiteral("/usr/bin/python3"), arguments);
            p.waitForFinished(60000);
            if (p.exitCode() != 0)
                s_erreur += QString::fromUtf8(p.readAllStandardError());
        }
    }
    static void TearDownTestSuite() { s_dossier.reset(); }
    void SetUp() override {
        ASSERT_TRUE(s_erreur.isEmpty()) << qPrintable(s_erreur);
        TestAvecBase::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        parametres.connexion = base().parametres();
        parametres.noProfilIllimite = profil(QStringLiteral("ILLIMITÉ"));
    }

    Resultat importerFichier(Classeur classeur, const char* nom) {
        return importer(classeur, s_dossier->filePath(QString::fromUtf8(nom)), parametres,
                        [this](int p) { progression << p; });
    }
    qint64 nombre(const QString& sql, const QVariantList& valeurs = {}) {
        return Valeurs::lireEntier(cnx().valeurUnique(sql, valeurs));
    }
    qint64 profil(const QString& nom) {
        return nombre(QStringLiteral("SELECT NoQuota FROM ProfileQuota WHERE Profile = ?"), {nom});
    }
    // A known employee: payroll number "M-" and the badge, sizes 1 and 2, machine 9.
    void salarie(const QString& badge, qint64 site, qint64 service, qint64 quota) {
        cnx().executer(
            QStringLiteral("INSERT INTO Utilisateurs (NoBadge, MatriculeSalarie, Nom, Prenom, Site, "
                           "Service, Quota, TailleChaussure, TailleMain, MachineAutorise) VALUES "
                           "(?, ?, 'ANCIEN', 'Avant', ?, ?, ?, 1, 2, '9')"),
            {badge, QStringLiteral("M-") + badge, site, service, quota});
    }
    // An employee's fields by badge, each as text ("" for Null), joined by "|".
    std::string fiche(const QString& badge) {
        QSqlQuery q = cnx().executer(
            QStringLiteral("SELECT MatriculeSalarie, Nom, Prenom, Site, Service, Quota, TailleChaussure, "
                           "TailleMain, MachineAutorise FROM Utilisateurs WHERE NoBadge = ?"),
            {badge});
        QStringList l;
        if (q.next())
            for (int i = 0; i < 9; ++i)
                l << (q.value(i).isNull() ? QString() : q.value(i).toString());
        return l.join(u'|').toStdString();
    }
    // The field of that column (0 for the payroll number).
    QString champ(const QString& badge, int colonne) {
        return QString::fromStdString(fiche(badge)).split(u'|').value(colonne);
    }
    static std::string attendu(const QStringList& champs) { return champs.join(u'|').toStdString(); }
    // Every table the import writes, counted.
    QList<qint64> comptes() {
        QList<qint64> l;
        for (const char* t : {"Utilisateurs", "Sites", "Services", "ProfileQuota"})
            l << nombre(QStringLiteral("SELECT COUNT(*) FROM ") + QLatin1String(t));
        return l;
    }
    static QString n(qint64 v) { return QString::number(v); }

    Parametres parametres;
    QList<int> progression;
    static inline std::unique_ptr<QTemporaryDir> s_dossier;
    static inline QString s_erreur;
};

TEST_P(ImportSalariesBase, GenericSheetBadgeProfileSiteAndServiceRules) {
    for (int m : {5, 1, 2})
        cnx().executer(QStringLiteral("INSERT INTO Machines (NoMachine) VALUES (?)"), {m});
    const qint64 nord =
        nombre(QStringLiteral("INSERT INTO Sites (NomSite) VALUES ('NORD') RETURNING NoSite"), {});
    const qint64 atelier = nombre(
        QStringLiteral("INSERT INTO Services (NomService, Site) VALUES ('ATELIER ', ?) RETURNING NoService"),
        {nord});
    const qint64 chef = profil(QStringLiteral("CHEF")), general = profil(QStringLiteral("QUOTAS GENERAL"));
    salarie(QStringLiteral("0456"), nord, atelier, chef);
    salarie(QStringLiteral("AB12"), nord, atelier, chef);
    salarie(QStringLiteral("B1X2"), nord, atelier, chef);

    const Resultat r = importerFichier(Classeur::Generique, "import_generique.xls");
    ASSERT_EQ(r.issue, Issue::Termine) << (r.erreur ? r.erreur->description().toStdString() : "");
    EXPECT_EQ(r.lignes, 11);
    EXPECT_EQ(r.ajoutes, 7);
    EXPECT_EQ(r.modifies, 3);
    EXPECT_EQ(progression.first(), 0);
    EXPECT_EQ(progression.last(), 100);

    // One site "Nord" beside "NORD" (sites match with case), one with the empty name; "Sud" and the
    // others belong to known employees and are not looked at.
    const qint64 nordNeuf =
        nombre(QStringLiteral("SELECT NoSite FROM Sites WHERE NomSite = 'Nord' AND NoSite <> ?"), {nord});
    const qint64 vide = nombre(QStringLiteral("SELECT NoSite FROM Sites WHERE NomSite = ''"));
    EXPECT_NE(nordNeuf, 0);
    EXPECT_NE(vide, 0);
    EXPECT_EQ(nombre(QStringLiteral("SELECT COUNT(*) FROM Sites")), 3);
    // "Soudeur" created once with its typed case, found again as " soudeur " and "SOUDEUR".
    EXPECT_EQ(nombre(QStringLiteral("SELECT COUNT(*) FROM ProfileQuota")), 4);
    const qint64 soudeur = profil(QStringLiteral("Soudeur"));
    ASSERT_NE(soudeur, 0);
    // "Magasin" created once, with the employee's site, and found again as "magasin ".
    EXPECT_EQ(nombre(QStringLiteral("SELECT COUNT(*) FROM Services")), 2);
    const qint64 magasin =
        nombre(QStringLiteral("SELECT NoService FROM Services WHERE NomService = 'Magasin'"));
    EXPECT_EQ(nombre(QStringLiteral("SELECT Site FROM Services WHERE NoService = ?"), {magasin}), vide);

    const QString tous = QStringLiteral("1,2,5");
    // A0123 gives 0123; the payroll number is read from its number cell; "chef " is CHEF; "atelier" is
    // the service "ATELIER ".
    EXPECT_EQ(fiche(QStringLiteral("0123")),
              attendu({"12345", "DUPONT", "Jean", n(nordNeuf), n(atelier), n(chef), "125", "130", tous}));
    // 12345 gives 2345; an empty service stays unset.
    EXPECT_EQ(fiche(QStringLiteral("2345")),
              attendu({"M2", "MARTIN", "Paul", n(nordNeuf), "", n(soudeur), "125", "130", tous}));
    // A known employee (badge compared without case) changes name, first name and profile only.
    EXPECT_EQ(fiche(QStringLiteral("AB12")),
              attendu({"M-AB12", "LEGRAND", "Luc", n(nord), n(atelier), n(soudeur), "1", "2", "9"}));
    EXPECT_EQ(fiche(QStringLiteral("0456")),
              attendu({"M-0456", "NOUVEAU", "Nom", n(nord), n(atelier), n(general), "1", "2", "9"}));
    // A badge met twice is created, then updated; an empty profile gives the unlimited one.
    EXPECT_EQ(fiche(QStringLiteral("A1-2")), attendu({"M5", "O'NEIL-BIS", "Anne", n(vide), n(magasin),
                                                      n(parametres.noProfilIllimite), "125", "130", tous}));
    // Badges are compared literally: "B%2" is not B1X2, which keeps its name.
    EXPECT_EQ(champ(QStringLiteral("B%2"), 1), QStringLiteral("POURCENT"));
    EXPECT_EQ(champ(QStringLiteral("B1X2"), 1), QStringLiteral("ANCIEN"));
    EXPECT_EQ(champ(QStringLiteral("Q'1"), 1), QString(300, u'x'));
    EXPECT_EQ(champ(QStringLiteral("Q'1"), 2), QStringLiteral("42"));
    EXPECT_EQ(champ(QStringLiteral("Z"), 1), QStringLiteral("UNE"));
    // "C3" follows the badge rule too: 3.
    EXPECT_EQ(champ(QStringLiteral("3"), 4), n(magasin));
    // The row without a badge wrote nothing.
    EXPECT_EQ(nombre(QStringLiteral("SELECT COUNT(*) FROM Utilisateurs WHERE Nom = 'SANS BADGE'")), 0);
    EXPECT_EQ(nombre(QStringLiteral("SELECT COUNT(*) FROM Utilisateurs")), 10);
}

TEST_P(ImportSalariesBase, ListeSheetByHeadingWithPaddedBadgesAndServicePrefixes) {
    const qint64 mecanique = nombre(QStringLiteral("INSERT INTO Services (NomService, Site) VALUES "
                                                   "('ATELIER MECANIQUE', 1) RETURNING NoService"),
                                    {});
    const qint64 profilAtelier =
        nombre(QStringLiteral("INSERT INTO ProfileQuota (Profile) VALUES ('ATELIER') RETURNING NoQuota"), {});
    const qint64 chef = profil(QStringLiteral("CHEF"));
    salarie(QStringLiteral("00123"), 4, 5, chef);
    const QString illimite = n(parametres.noProfilIllimite);

    const Resultat r = importerFichier(Classeur::Liste, "import_liste.xls");
    ASSERT_EQ(r.issue, Issue::Termine) << (r.erreur ? r.erreur->description().toStdString() : "");
    EXPECT_EQ(r.ajoutes, 5);
    EXPECT_EQ(r.modifies, 1);

    // 123 is the known 00123: name split at the last blank, profile named by the service's text.
    EXPECT_EQ(fiche(QStringLiteral("00123")),
              attendu({"M-00123", "DE LA TOUR", "ANNE", "4", "5", n(profilAtelier), "1", "2", "9"}));
    // 123.6 rounds to 00124; "ATELIER" is the first seven letters of "ATELIER MECANIQUE".
    EXPECT_EQ(fiche(QStringLiteral("00124")), attendu({"00124", "DUPONT", "JEAN", "6968", n(mecanique),
                                                       n(profilAtelier), "125", "130", "1"}));
    // A text of digits is padded; a name alone has no first name; an unknown profile is the unlimited one.
    const qint64 maintenance =
        nombre(QStringLiteral("SELECT NoService FROM Services WHERE NomService = 'MAINTENANCE'"));
    EXPECT_EQ(fiche(QStringLiteral("00077")),
              attendu({"00077", "DUPONT", "", "6968", n(maintenance), illimite, "125", "130", "1"}));
    // A service longer than seven letters is found again by its whole name rather than added twice.
    EXPECT_EQ(champ(QStringLiteral("AB-7"), 4), n(maintenance));
    EXPECT_EQ(nombre(QStringLiteral("SELECT COUNT(*) FROM Services WHERE NomService = 'MAINTENANCE'")), 1);
    EXPECT_EQ(nombre(QStringLiteral("SELECT Site FROM Services WHERE NoService = ?"), {maintenance}), 6968);
    // Case counts for services and profiles: "atelier" adds a service of its own.
    EXPECT_EQ(champ(QStringLiteral("1234567"), 5), illimite);
    EXPECT_NE(champ(QStringLiteral("1234567"), 4), n(mecanique));
    EXPECT_EQ(nombre(QStringLiteral("SELECT COUNT(*) FROM Services")), 3);
    EXPECT_EQ(champ(QStringLiteral("00005"), 4), QString());
    EXPECT_EQ(nombre(QStringLiteral("SELECT COUNT(*) FROM Utilisateurs WHERE Prenom = 'BADGE'")), 0);
}

TEST_P(ImportSalariesBase, Rapport1SheetStopsAtTheFirstEmptyPayrollNumber) {
    const qint64 pn1 =
        nombre(QStringLiteral("INSERT INTO Services (NomService) VALUES ('PN1') RETURNING NoService"), {});
    nombre(QStringLiteral("INSERT INTO Services (NomService) VALUES ('PN2 LONG') RETURNING NoService"), {});
    const qint64 equipage = nombre(
        QStringLiteral("INSERT INTO ProfileQuota (Profile) VALUES ('PN1 EQUIPAGE') RETURNING NoQuota"), {});
    const qint64 general = profil(QStringLiteral("QUOTAS GENERAL"));
    salarie(QStringLiteral("4711"), 4, 5, general);
    salarie(QStringLiteral("4712"), 4, 5, general);
    const QString machines = QStringLiteral("1,2,3,4,5,6,7,8,9,10,11,12,13");

    Resultat r = importerFichier(Classeur::Rapport1, "import_rapport.xls");
    ASSERT_EQ(r.issue, Issue::Termine) << (r.erreur ? r.erreur->description().toStdString() : "");
    EXPECT_EQ(r.ajoutes + r.modifies, 2);
    // " 4711 " is the known 4711: its profile "pn1 equipage" differs in case, so it keeps its own.
    EXPECT_EQ(fiche(QStringLiteral("4711")),
              attendu({"M-4711", "ANCIEN", "Avant", "4", "5", n(general), "1", "2", machines}));
    EXPECT_EQ(fiche(QStringLiteral("4800")),
              attendu({"4800", "NEUF", "Zoé", "6968", n(pn1), n(equipage), "125", "130", machines}));
    EXPECT_EQ(fiche(QStringLiteral("4900")), "");

    r = importerFichier(Classeur::Rapport1, "import_rapport2.xls");
    ASSERT_EQ(r.issue, Issue::Termine);
    EXPECT_EQ(champ(QStringLiteral("4712"), 5), n(equipage));
    // No profile of that name: the unlimited one, and no service from "XYZ" or from a longer name.
    EXPECT_EQ(
        fiche(QStringLiteral("4801")),
        attendu({"4801", "AUTRE", "Al", "6968", "", n(parametres.noProfilIllimite), "125", "130", machines}));
    EXPECT_EQ(champ(QStringLiteral("4802"), 4), QString());
    EXPECT_EQ(nombre(QStringLiteral("SELECT COUNT(*) FROM Services")), 2);
    EXPECT_EQ(nombre(QStringLiteral("SELECT COUNT(*) FROM ProfileQuota")), 4);
}

TEST_P(ImportSalariesBase, GuardsFormatFailuresAndEmptySheetsWriteNothing) {
    const QList<qint64> avant = comptes();
    // Sheets of headings only end silently, before the bar shows.
    for (Classeur c : {Classeur::Generique, Classeur::Liste, Classeur::Rapport1}) {
        const Resultat r = importerFichier(c, "import_entetes.xls");
        EXPECT_EQ(r.issue, Issue::Termine);
        EXPECT_EQ(r.lignes, 0);
    }
    EXPECT_TRUE(progression.isEmpty());
    // No sheet of that name, no file, no database: the format failure.
    EXPECT_EQ(importerFichier(Classeur::Generique, "import_liste.xls").issue, Issue::Format);
    EXPECT_EQ(importerFichier(Classeur::Liste, "absent.xls").issue, Issue::Format);
    Parametres sansBase = parametres;
    sansBase.connexion.base += QStringLiteral("_absente");
    EXPECT_EQ(
        importer(Classeur::Rapport1, s_dossier->filePath(QStringLiteral("import_rapport.xls")), sansBase)
            .issue,
        Issue::Format);
    // A workbook whose reading crashes is one that cannot be read.
    for (Classeur c : {Classeur::Generique, Classeur::Rapport1}) {
        LecteurClasseurEnEssai abandon("abandon");
        EXPECT_EQ(importerFichier(c, c == Classeur::Generique ? "import_generique.xls" : "import_rapport.xls")
                      .issue,
                  Issue::Format);
    }
    EXPECT_EQ(comptes(), avant);

    // The generic guards, each checked before any row.
    const auto remplir = [&](const char* sql, int combien) {
        TransactionEcriture t(cnx());
        for (int i = 0; i < combien; ++i)
            cnx().executer(QString::fromLatin1(sql), {QStringLiteral("N%1").arg(i)});
        t.valider();
    };
    const auto garde = [&](const char* texte) {
        const QList<qint64> avantGarde = comptes();
        const Resultat r = importerFichier(Classeur::Generique, "import_generique.xls");
        EXPECT_EQ(r.issue, Issue::Garde);
        EXPECT_EQ(r.message, QString::fromLatin1(texte));
        EXPECT_EQ(comptes(), avantGarde);
    };
    remplir("INSERT INTO ProfileQuota (Profile) VALUES (?)", 298);
    garde("Number of quota to big");
    remplir("INSERT INTO Sites (NomSite) VALUES (?)", 501);
    garde("Number of sites to big");
    remplir("INSERT INTO Services (NomService) VALUES (?)", 1001);
    garde("Number of services to big");
}

TEST_P(ImportSalariesBase, FailureAtARowRollsTheWholeWorkbookBack) {
    if (cnx().estSQLite()) {
        cnx().executer(QStringLiteral("CREATE TRIGGER refus BEFORE INSERT ON Utilisateurs WHEN NEW.NoBadge = "
                                      "'ECHEC' BEGIN SELECT RAISE(ABORT, 'badge refusé'); END"));
    } else {
        cnx().executer(QStringLiteral(
            "CREATE FUNCTION refus() RETURNS trigger AS $$ BEGIN IF NEW.NoBadge = 'ECHEC' THEN RAISE "
            "EXCEPTION 'badge refusé'; END IF; RETURN NEW; END $$ LANGUAGE plpgsql"));
        cnx().executer(QStringLiteral(
            "CREATE TRIGGER refus BEFORE INSERT ON Utilisateurs FOR EACH ROW EXECUTE FUNCTION refus()"));
    }
    const QList<qint64> avant = comptes();
    const Resultat r = importerFichier(Classeur::Generique, "echec.xls");
    ASSERT_EQ(r.issue, Issue::Echec);
    ASSERT_TRUE(r.erreur);
    EXPECT_TRUE(r.erreur->description().contains(QStringLiteral("badge refusé")))
        << r.erreur->description().toStdString();
    // The 5,000th row is the sheet's row 5,001 under the headings; the sites, services and profiles the
    // rows before it added are gone with them.
    EXPECT_EQ(r.ligneFeuille, 5001);
    EXPECT_EQ(comptes(), avant);
    EXPECT_EQ(progression.last(), 83);
}

// Two workstations importing one workbook at once: the second finds the first's employees, sites,
// services and profiles and updates them; nothing is there twice.
TEST_P(ImportSalariesBase, TwoImportsOfOneWorkbookAtOnceAddEachBadgeOnce) {
    // The workbook's profiles are known already: only the import's own hold keeps its rows single.
    for (const char* p : {"Profil 0", "Profil 1", "Profil 2"})
        cnx().executer(QStringLiteral("INSERT INTO ProfileQuota (Profile) VALUES (?)"),
                       {QString::fromLatin1(p)});
    const QList<qint64> avant = comptes();
    const QString chemin = s_dossier->filePath(QStringLiteral("deux_mille.xls"));
    std::latch depart(2);
    Resultat r[2];
    auto poste = [&](int i) {
        depart.arrive_and_wait();
        r[i] = importer(Classeur::Generique, chemin, parametres);
    };
    std::thread a(poste, 0);
    std::thread b(poste, 1);
    a.join();
    b.join();
    for (const Resultat& x : r)
        ASSERT_EQ(x.issue, Issue::Termine) << (x.erreur ? x.erreur->description().toStdString() : "");
    EXPECT_EQ(r[0].ajoutes + r[1].ajoutes, 2000);
    EXPECT_EQ(r[0].modifies + r[1].modifies, 2000);
    EXPECT_EQ(nombre(QStringLiteral("SELECT COUNT(*) FROM Utilisateurs")), 2000);
    EXPECT_EQ(nombre(QStringLiteral("SELECT COUNT(DISTINCT NoBadge) FROM Utilisateurs")), 2000);
    // Two sites and four services, each added once.
    EXPECT_EQ(comptes(), (QList<qint64>{avant[0] + 2000, avant[1] + 2, avant[2] + 4, avant[3]}));
}

DORVANE_SUR_CHAQUE_BASE(ImportSalariesBase);
