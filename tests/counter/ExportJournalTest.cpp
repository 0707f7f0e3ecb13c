#include "BaseDeTest.h"

#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "counter/ExportJournal.h"
#include "db/Valeurs.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <gtest/gtest.h>

using namespace ExportJournal;

namespace {

QVariant date(const char* texte) {
    return Valeurs::valeurDate(
        QDateTime::fromString(QLatin1String(texte), QStringLiteral("yyyy-MM-dd HH:mm:ss")));
}
QVariant nulTexte() {
    return QVariant(QMetaType::fromType<QString>());
}
QVariant nulDate() {
    return Valeurs::valeurDate(QDateTime());
}

const QByteArray Entete = "NumVente;LaDate;Utilisateur;Nom;Prenom;Reference;Designation;Quantite;NomFamille;"
                          "RefFournisseur;NomService;NomSite;NoMachine;Total";

} // namespace

class ExportJournalBase : public TestAvecBase {
protected:
    void SetUp() override {
        TestAvecBase::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        ASSERT_TRUE(m_journal.creer(base().dossier()));
        fichier = QDir(base().dossier()).filePath(QStringLiteral("consoQuorel.csv"));
    }
    void TearDown() override {
        EtatGlobal& g = Global();
        g.VersionBase = m_version;
        g.OptionVersionGSM = m_gsm;
        g.SeparateurDecimal = m_separateur;
        TestAvecBase::TearDown();
    }
    void vente(qint64 numero, const char* laDate, const QVariant& nom, const QVariant& prenom, double total,
               int machine = 1, const QVariant& affaire = nulTexte()) {
        cnx().executer(
            QStringLiteral("INSERT INTO Ventes (NumVente, LaDate, Utilisateur, Nom, Prenom, "
                           "TypeMouvement, Total, NoMachine, NoAffaire) VALUES (?, ?, ?, ?, ?, 3, ?, ?, ?)"),
            {numero, date(laDate), QStringLiteral("B%1").arg(numero), nom, prenom, total, machine, affaire});
    }
    void ligne(qint64 numero, qint64 reference, const QVariant& designation, int machine = 1) {
        cnx().executer(
            QStringLiteral("INSERT INTO DetailVente (NumVente, Reference, Designation, Quantite, NomFamille, "
                           "RefFournisseur, NomService, NomSite, NoMachine) VALUES (?, ?, ?, 2, 'Mains', "
                           "'RF-1', NULL, 'Nord', ?)"),
            {numero, reference, designation, machine});
    }
    QByteArray lire() const {
        QFile f(fichier);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<absent>");
    }
    QStringList journal() { return m_journal.lignes(); }

    QString fichier;

private:
    JournalDeTest m_journal;
    qint32 m_version = Global().VersionBase;
    bool m_gsm = Global().OptionVersionGSM;
    QString m_separateur = Global().SeparateurDecimal;
};

class ExportJournalTest : public ExportJournalBase {};

TEST_P(ExportJournalTest, JournalOfThePeriodInItsOrderFormatsAndCodePage) {
    EtatGlobal& g = Global();
    g.VersionBase = 15;
    g.OptionVersionGSM = false;
    g.SeparateurDecimal = QStringLiteral(",");
    const QString longue = QStringLiteral("Gant \"Pro\"; taille 9 ") + QString(129, u'x');
    ASSERT_EQ(longue.size(), 150);
    vente(4, "2026-06-20 23:59:30", QStringLiteral("Martin"), QStringLiteral("Luc"), 7, 1,
          QStringLiteral("AF-7"));
    vente(1, "2026-06-10 00:00:00", QStringLiteral("Dupont"), nulTexte(), 3.75);
    vente(2, "2026-06-15 12:00:00", QStringLiteral("Łukasz"), QStringLiteral("Zoé"), 1234.5, 2);
    vente(3, "2026-06-20 23:59:59", QStringLiteral("Après"), QStringLiteral("Non"), 1);
    vente(5, "2026-06-09 23:59:59", QStringLiteral("Avant"), QStringLiteral("Non"), 1);
    ligne(1, 10, QStringLiteral("Gants été"));
    ligne(2, 20, QStringLiteral("A;B"), 1);
    ligne(2, 21, nulTexte(), 1);
    ligne(4, 40, longue);
    ligne(3, 30, QStringLiteral("hors"));
    ligne(5, 50, QStringLiteral("hors"));

    ConsoAutreMethode(cnx(), fichier, QDate(2026, 6, 10), QDate(2026, 6, 20));
    const QByteArray l1 = "1;10/06/2026;B1;Dupont;;10;Gants \xe9t\xe9;2;Mains;RF-1;;Nord;1;3,75\r\n";
    const QByteArray l2 = "2;15/06/2026 12:00:00;B2;?ukasz;Zo\xe9;20;\"A;B\";2;Mains;RF-1;;Nord;1;1234,5\r\n"
                          "2;15/06/2026 12:00:00;B2;?ukasz;Zo\xe9;21;;2;Mains;RF-1;;Nord;1;1234,5\r\n";
    const QByteArray l4 = "4;20/06/2026 23:59:30;B4;Martin;Luc;40;\"Gant \"\"Pro\"\"; taille 9 " +
                          QByteArray(129, 'x') + "\";2;Mains;RF-1;;Nord;1;7\r\n";
    EXPECT_EQ(lire(), Entete + "\r\n" + l1 + l2 + l4);

    // From layout 16 the job code ends each line; with machines, lines match their withdrawal's machine.
    g.VersionBase = 16;
    g.OptionVersionGSM = true;
    g.SeparateurDecimal = QStringLiteral(".");
    ConsoAutreMethode(cnx(), fichier, QDate(2026, 6, 10), QDate(2026, 6, 20));
    EXPECT_EQ(lire(), Entete + ";NoAffaire\r\n" +
                          "1;10/06/2026;B1;Dupont;;10;Gants \xe9t\xe9;2;Mains;RF-1;;Nord;1;3.75;\r\n" +
                          "4;20/06/2026 23:59:30;B4;Martin;Luc;40;\"Gant \"\"Pro\"\"; taille 9 " +
                          QByteArray(129, 'x') + "\";2;Mains;RF-1;;Nord;1;7;AF-7\r\n");

    // A period without withdrawals: the header alone.
    ConsoAutreMethode(cnx(), fichier, QDate(2025, 1, 1), QDate(2025, 1, 31));
    EXPECT_EQ(lire(), Entete + ";NoAffaire\r\n");
    EXPECT_TRUE(journal().isEmpty());
}

TEST_P(ExportJournalTest, FailuresLeaveNoHalfFileAndTheJournalOnesAreLogged) {
    // A folder where the file should be.
    ASSERT_TRUE(QDir().mkpath(fichier));
    try {
        ConsoAutreMethode(cnx(), fichier, QDate(2026, 6, 1), QDate(2026, 6, 30));
        ADD_FAILURE() << "no error";
    } catch (const ErreurExecution& e) {
        EXPECT_EQ(e.numero(), ErreurExecution::PathFileAccess);
    }
    ASSERT_EQ(journal().size(), 1);
    EXPECT_TRUE(journal().first().startsWith(QStringLiteral("ConsoAutreMethode|N°: 75 ")))
        << journal().first().toStdString();
    ASSERT_TRUE(QDir(fichier).removeRecursively());

    // A database failure keeps the previous export whole; the returns log nothing of their own.
    {
        QFile f(fichier);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("ancien");
    }
    cnx().executer(QStringLiteral("DROP TABLE Retour"));
    EXPECT_THROW(ExporterRetoursCSV(cnx(), fichier), ErreurExecution);
    EXPECT_EQ(lire(), "ancien");
    EXPECT_EQ(journal().size(), 1);
    EXPECT_EQ(QDir(base().dossier()).entryList({QStringLiteral("consoQuorel.csv*")}, QDir::Files),
              QStringList{QStringLiteral("consoQuorel.csv")});
}

TEST_P(ExportJournalTest, ReturnsEveryRowNewestWithdrawalFirstAndUndatedLast) {
    Global().SeparateurDecimal = QStringLiteral(",");
    auto retour = [&](const QVariant& retrait, const QString& designation) {
        return Valeurs::lireEntier(cnx().valeurUnique(
            QStringLiteral(
                "INSERT INTO Retour (ReferenceArticle, RefFournisseur, Designation, CodBar, "
                "NomFamille, Utilisateur, NomUser, PrenomUser, NomService, NomSite, Profile, Image, "
                "LaDateRetrait, LaDateRetour, NoMachine, Ticket) VALUES (12, 'RF', ?, '3700', 'Mains', "
                "'B1', 'Dupont', NULL, 'Atelier', 'Nord', 'P1', 'img', ?, ?, 3, 'T9') RETURNING Noligne"),
            {designation, retrait, date("2026-07-01 08:00:00")}));
    };
    const qint64 vieux = retour(date("2025-01-02 10:30:00"), QStringLiteral("vieux"));
    const qint64 sansDate = retour(nulDate(), QStringLiteral("sans date"));
    const qint64 recent = retour(date("2026-06-20 00:00:00"), QStringLiteral("récent"));
    const qint64 sansDate2 = retour(nulDate(), QStringLiteral("sans;date"));

    ExporterRetoursCSV(cnx(), fichier);
    auto ligne = [](qint64 n, const QByteArray& designation, const QByteArray& retrait) {
        return QByteArray::number(n) + ";12;RF;" + designation +
               ";3700;Mains;B1;Dupont;;Atelier;Nord;P1;img;" + retrait + ";01/07/2026 08:00:00;3;T9\r\n";
    };
    EXPECT_EQ(lire(),
              "Noligne;ReferenceArticle;RefFournisseur;Designation;CodBar;NomFamille;Utilisateur;NomUser;"
              "PrenomUser;NomService;NomSite;Profile;Image;LaDateRetrait;LaDateRetour;NoMachine;Ticket\r\n" +
                  ligne(recent,
                        "r\xe9"
                        "cent",
                        "20/06/2026") +
                  ligne(vieux, "vieux", "02/01/2025 10:30:00") + ligne(sansDate, "sans date", "") +
                  ligne(sansDate2, "\"sans;date\"", ""));
}

DORVANE_SUR_CHAQUE_BASE(ExportJournalTest);
