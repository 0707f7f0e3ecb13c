#include "staff/forms/FrmUtilisateur.h"

#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/forms/Calendrier.h"
#include "common/forms/Instance.h"
#include "db/Recordset.h"
#include "db/RecordsetModel.h"
#include "db/Valeurs.h"
#include "reports/forms/FenCompteRendu.h"
#include "reports/forms/FenCrystalRep.h"
#include "staff/forms/FenQuota.h"
#include "support/FormeSurBase.h"
#include "support/ServiceSessionScripte.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

class FrmUtilisateurProfilTest : public FormeSurBaseTest {
protected:
    void TearDown() override {
        DetruireInstance<FrmUtilisateur>();
        DetruireInstance<FenQuota>();
        DetruireInstance<FenCrystalRep>();
        DetruireInstance<FenCompteRendu>();
        DetruireInstance<Calendrier>();
        session.verifierTout();
        FormeSurBaseTest::TearDown();
    }
    qint64 nombre(const QString& sql, const QVariantList& valeurs = {}) {
        return Valeurs::lireEntier(base->valeurUnique(sql, valeurs));
    }
    qint64 taille(const char* nom, int ordre, int famille) {
        return nombre(QStringLiteral("INSERT INTO Tailles (Taille, Ordre, NoFamille) VALUES (?, ?, ?) "
                                     "RETURNING NoTaille"),
                      {QString::fromUtf8(nom), ordre, famille});
    }
    qint64 profil(const char* nom) {
        return nombre(QStringLiteral("INSERT INTO ProfileQuota (Profile) VALUES (?) RETURNING NoQuota"),
                      {QString::fromUtf8(nom)});
    }
    void salarie(const char* badge, const char* nom, const QVariant& quota = QVariant(),
                 const QVariant& chaussure = QVariant(), const QVariant& main = QVariant()) {
        base->executer(
            QStringLiteral("INSERT INTO Utilisateurs (NoBadge, Nom, Prenom, Quota, TailleChaussure, "
                           "TailleMain) VALUES (?, ?, 'Sean', ?, ?, ?)"),
            {QString::fromUtf8(badge), QString::fromUtf8(nom), quota, chaussure, main});
    }
    FrmUtilisateur& ouvrir() {
        FrmUtilisateur& f = Instance<FrmUtilisateur>();
        f.Show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&f));
        return f;
    }
    static void aller(FrmUtilisateur& f, const char* badge) {
        ASSERT_TRUE(f.data1->Find(QStringLiteral("NoBadge"), Recordset::Comparaison::Egal,
                                  QString::fromUtf8(badge), Recordset::Depart::Premier));
    }
    static QStringList colonne(const QTableView* g, int c) {
        QStringList l;
        for (int r = 0; r < g->model()->rowCount(); ++r)
            l << g->model()->index(r, c).data().toString();
        return l;
    }
    QVariant quota(const char* badge) {
        return base->valeurUnique(QStringLiteral("SELECT Quota FROM Utilisateurs WHERE NoBadge = ?"),
                                  {QString::fromUtf8(badge)});
    }
    void question(const QString& nom, int reponse) {
        dialogues.attendreMessage(QStringLiteral("Vous allez créer un profile spécifique pour le salarié: ") +
                                      nom + QStringLiteral("\r\nVeuillez confirmer !"),
                                  reponse, QStringLiteral("Confirmation"),
                                  StyleMessage::YesNo | StyleMessage::Exclamation);
    }

    ServiceSessionScripte session;
};

} // namespace

TEST_F(FrmUtilisateurProfilTest, OwnProfileNamedAfterTheBadgeThenRefusedAgainAndAFailureOpensNothing) {
    Global().FichierLangue = dossier->fichier(QStringLiteral("french.lng"));
    salarie("B77", "DUPONT");
    salarie("B78", "LEDUC");
    FrmUtilisateur& f = ouvrir();
    aller(f, "B77");

    question(QStringLiteral("DUPONT"), Reponse::Non);
    QTest::mouseClick(f.CmdQuota, Qt::LeftButton);
    EXPECT_FALSE(InstanceExistante<FenQuota>() && InstanceExistante<FenQuota>()->estCharge());
    EXPECT_EQ(nombre(QStringLiteral("SELECT COUNT(*) FROM ProfileQuota WHERE Profile = 'B77'")), 0);

    // Yes: the profile form opens on the new profile; closing it gives the employee that profile, even
    // with no article in it.
    question(QStringLiteral("DUPONT"), Reponse::Oui);
    qint64 cree = 0;
    session.surModal([&](QObject* forme) {
        FenQuota& q = Instance<FenQuota>();
        ASSERT_EQ(forme, &q);
        EXPECT_TRUE(q.DepuisFicheSalarie);
        cree = nombre(QStringLiteral("SELECT NoQuota FROM ProfileQuota WHERE Profile = 'B77'"));
        EXPECT_EQ(f.NouveauNoQuota, cree);
        QTest::mouseClick(q.cmdClose, Qt::LeftButton);
    });
    QTest::mouseClick(f.CmdQuota, Qt::LeftButton);
    ASSERT_NE(cree, 0);
    EXPECT_EQ(quota("B77").toLongLong(), cree);
    EXPECT_TRUE(quota("B78").isNull());
    EXPECT_EQ(f.NouveauNoQuota, 0);
    EXPECT_EQ(f.data1->Field(QStringLiteral("NoBadge")).toString(), QStringLiteral("B77"));
    EXPECT_EQ(f.data1->Field(QStringLiteral("Profile")).toString(), QStringLiteral("B77"));
    EXPECT_EQ(f.LegendeDBGrid2->text(), QStringLiteral("Détail Quota B77"));

    // Again: refused, the profile form unloaded, the employee's profile unchanged.
    question(QStringLiteral("DUPONT"), Reponse::Oui);
    dialogues.attendreMessage(QStringLiteral("Ce Profil existe déjà !"), Reponse::OK,
                              QStringLiteral("Erreur"), StyleMessage::Exclamation);
    QTest::mouseClick(f.CmdQuota, Qt::LeftButton);
    EXPECT_FALSE(Instance<FenQuota>().estCharge());
    EXPECT_EQ(f.ErreurProfilSalarie, 0);
    EXPECT_EQ(quota("B77").toLongLong(), cree);
    EXPECT_EQ(session.formsModales().size(), 1);

    // A failure of the add: its description, nothing opened, nothing written.
    base->executer(QStringLiteral("CREATE TRIGGER refus BEFORE INSERT ON ProfileQuota "
                                  "BEGIN SELECT RAISE(ABORT, 'ajout refusé par la base'); END"));
    aller(f, "B78");
    question(QStringLiteral("LEDUC"), Reponse::Oui);
    dialogues.attendreMessageContenant(QStringLiteral("ajout refusé par la base"), Reponse::OK,
                                       QStringLiteral("Erreur"));
    QTest::mouseClick(f.CmdQuota, Qt::LeftButton);
    EXPECT_FALSE(Instance<FenQuota>().estCharge());
    EXPECT_EQ(session.formsModales().size(), 1);
    EXPECT_TRUE(quota("B78").isNull());
}

TEST_F(FrmUtilisateurProfilTest, DetailOfTheProfileAndTheSizeWarningFollowTheEmployee) {
    const qint64 p40 = taille("40", 1, 3), p41 = taille("41", 2, 3), p42 = taille("42", 3, 3);
    const qint64 g3 = taille("8", 3, 1), g4 = taille("9", 4, 1);
    base->executer(
        QStringLiteral("INSERT INTO ArticleEnStock (Reference, Designation, CodeArticle, Taille) "
                       "VALUES (100, 'Chaussure basse', 1100, ?), (101, 'Chaussure basse', 1101, ?), "
                       "(200, 'Gant cuir', 1200, ?)"),
        {p40, p42, g3});
    const qint64 chaussures = profil("CHAUSSURES"), gants = profil("GANTS");
    base->executer(QStringLiteral("INSERT INTO Quota (NoQota, RefArticle, QtePermise, Periodicite) VALUES "
                                  "(?, 100, 1, 30), (?, 101, 1, NULL), (?, 200, 2, 365), (NULL, 200, 5, 10)"),
                   {chaussures, chaussures, gants});
    salarie("A", "Abel", chaussures, p41);
    salarie("B", "Bruno", chaussures, p42);
    salarie("C", "Carl", gants, QVariant(), g4);
    salarie("D", "Dan", gants, QVariant(), g3);
    salarie("E", "Eric");
    FrmUtilisateur& f = ouvrir();
    const auto* modele = f.DBGrid2->model();
    ASSERT_EQ(modele->columnCount(), 7);
    EXPECT_TRUE(f.DBGrid2->isColumnHidden(0));
    EXPECT_EQ(modele->headerData(6, Qt::Horizontal).toString(), QStringLiteral("Periodicité"));

    aller(f, "A");
    EXPECT_EQ(colonne(f.DBGrid2, 1), (QStringList{"100", "101"}));
    EXPECT_EQ(colonne(f.DBGrid2, 4), (QStringList{"40", "42"}));
    EXPECT_EQ(colonne(f.DBGrid2, 6), (QStringList{"30 Jours", ""}));
    EXPECT_EQ(f.LegendeDBGrid2->text(), QStringLiteral("Détail profil  CHAUSSURES"));
    EXPECT_TRUE(f.Label3->isVisibleTo(&f));
    aller(f, "B");
    EXPECT_FALSE(f.Label3->isVisibleTo(&f));
    aller(f, "C");
    EXPECT_EQ(colonne(f.DBGrid2, 3), (QStringList{"Gant cuir"}));
    EXPECT_TRUE(f.Label3->isVisibleTo(&f));
    aller(f, "D");
    EXPECT_FALSE(f.Label3->isVisibleTo(&f));
    // No profile: the lines that belong to no profile.
    aller(f, "E");
    EXPECT_EQ(colonne(f.DBGrid2, 5), (QStringList{"5"}));
    EXPECT_EQ(colonne(f.DBGrid2, 6), (QStringList{"10 Jours"}));

    // Dutch: the keys of columns 1 to 6 land on their columns, the caption from the language file.
    Global().LangueCourante = QStringLiteral("NL");
    Global().FichierLangue = dossier->fichier(QStringLiteral("nederlands.lng"));
    f.traduireSiEtranger();
    aller(f, "A");
    EXPECT_EQ(modele->headerData(4, Qt::Horizontal).toString(), QStringLiteral("Maat"));
    EXPECT_EQ(static_cast<const RecordsetModel*>(modele)->champ(5), QStringLiteral("QtePermise"));
    EXPECT_EQ(modele->headerData(5, Qt::Horizontal).toString(), QStringLiteral("Quota"));
    EXPECT_EQ(modele->headerData(6, Qt::Horizontal).toString(), QStringLiteral("Periodiciteit"));
    EXPECT_EQ(f.LegendeDBGrid2->text(), QStringLiteral("Detail quota CHAUSSURES"));
}

TEST_F(FrmUtilisateurProfilTest, ConsumptionReportOfTheEmployeeForTheDefaultOrChosenPeriod) {
    Global().CheminRapports = QStringLiteral(DORVANE_RESOURCES_DIR "/RPT SQL/");
    salarie("B1", "O'Neil");
    salarie("B2", "Martin");
    const QDate aujourdhui = QDate::currentDate();
    const qint64 n =
        nombre(QStringLiteral("INSERT INTO Ventes (LaDate, Utilisateur, Nom, Prenom, TypeMouvement, "
                              "NoMachine) VALUES (?, 'B1', 'O''Neil', 'Sean', 3, 0) "
                              "RETURNING NumVente"),
               {Valeurs::valeurDate(QDateTime(aujourdhui, QTime(0, 0, 30)))});
    base->executer(QStringLiteral("INSERT INTO DetailVente (NumVente, Reference, Designation, Quantite, "
                                  "PrixAchatUnit, NomFamille, Profile, NoMachine) "
                                  "VALUES (?, 7, 'Gant anti-coupure', 3, 7.5, 'gants été', 1, 0)"),
                   {n});
    FrmUtilisateur& f = ouvrir();

    // Nobody's withdrawals: message 27, CA empty, no viewer; the default period is kept.
    base->executer(QStringLiteral("INSERT INTO CA (Nom) VALUES ('avant')"));
    aller(f, "B2");
    dialogues.attendreMessage(Global().msg(27), Reponse::OK, QStringLiteral("Dorvane"),
                              StyleMessage::Exclamation);
    QTest::mouseClick(f.CmdConso, Qt::LeftButton);
    const QString debut = QStringLiteral("01/01/%1").arg(aujourdhui.year());
    EXPECT_EQ(f.DebutPeriode, debut);
    EXPECT_EQ(f.FinPeriode, aujourdhui.toString(QStringLiteral("dd/MM/yyyy")));
    EXPECT_EQ(Instance<FenCompteRendu>().TextFin->text(), f.FinPeriode);
    EXPECT_EQ(nombre(QStringLiteral("SELECT COUNT(*) FROM CA")), 0);
    EXPECT_TRUE(session.formsModales().isEmpty());

    // O'Neil: the viewer over the form, CA holding the line; the report exported and read back.
    aller(f, "B1");
    const QString pdf = dossier->fichier(QStringLiteral("conso.pdf"));
    session.surModal([&](QObject* forme) {
        ASSERT_EQ(forme, &Instance<FenCrystalRep>());
        EXPECT_EQ(nombre(QStringLiteral("SELECT COUNT(*) FROM CA")), 1);
        EXPECT_EQ(base->valeurUnique(QStringLiteral("SELECT NomFamille FROM CA")).toString(),
                  QStringLiteral("GANTS ÉTÉ"));
        EXPECT_EQ(base->valeurUnique(QStringLiteral("SELECT Profile FROM CA")).toString(),
                  QStringLiteral("ILLIMITÉ"));
        dialogues.attendreEnregistrementChoisi(pdf);
        QTest::mouseClick(Instance<FenCrystalRep>().CmdExportPdf, Qt::LeftButton);
        Instance<FenCrystalRep>().close();
    });
    QTest::mouseClick(f.CmdConso, Qt::LeftButton);
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    ASSERT_TRUE(p.waitForFinished(30000));
    const QString texte = QString::fromUtf8(p.readAllStandardOutput()).replace(QChar(0x00A0), u' ');
    for (const QString& attendu :
         {QStringLiteral("Consommations O'Neil Sean"), debut, QStringLiteral("Gant anti-coupure"),
          QStringLiteral("GANTS ÉTÉ"), QStringLiteral("7,50 €"), QStringLiteral("Total du mois")})
        EXPECT_TRUE(texte.contains(attendu)) << attendu.toStdString() << "\n" << texte.toStdString();

    // A period chosen in the calendar, the report at once: nothing in it.
    session.surModal([&](QObject* forme) {
        EXPECT_EQ(forme, &Instance<Calendrier>());
        Global().DateDebut = QDateTime(aujourdhui.addYears(-2), QTime());
        Global().DateFin = QDateTime(aujourdhui.addYears(-1), QTime());
    });
    dialogues.attendreMessage(Global().msg(27), Reponse::OK, QStringLiteral("Dorvane"),
                              StyleMessage::Exclamation);
    QTest::mouseClick(f.CmdPeriode, Qt::LeftButton);
    EXPECT_EQ(f.DebutPeriode, aujourdhui.addYears(-2).toString(QStringLiteral("dd/MM/yyyy")));
    EXPECT_EQ(session.formsModales().size(), 2);

    // A failure: logged, and shown with its number rather than as an empty period; CA as it was.
    f.DebutPeriode = debut;
    f.FinPeriode = aujourdhui.toString(QStringLiteral("dd/MM/yyyy"));
    base->executer(QStringLiteral("INSERT INTO CA (Nom) VALUES ('avant')"));
    base->executer(QStringLiteral("CREATE TRIGGER refus BEFORE INSERT ON CA WHEN NEW.Nom <> 'avant' "
                                  "BEGIN SELECT RAISE(ABORT, 'CA refusée'); END"));
    dialogues.attendreMessageContenant(QString::number(ErreurExecution::ErreurBase) + u' ');
    QTest::mouseClick(f.CmdConso, Qt::LeftButton);
    EXPECT_EQ(session.formsModales().size(), 2);
    EXPECT_EQ(base->valeurUnique(QStringLiteral("SELECT Nom FROM CA")).toString(), QStringLiteral("avant"));
    const QStringList journal = dossier->lignesJournal();
    ASSERT_FALSE(journal.isEmpty());
    EXPECT_TRUE(journal.last().startsWith(QStringLiteral("CmdConso_Click|"))) << journal.last().toStdString();
    EXPECT_TRUE(journal.last().contains(QStringLiteral("CA refusée")));
}
