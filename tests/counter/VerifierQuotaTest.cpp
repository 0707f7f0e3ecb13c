#include "BaseDeTest.h"

#include "app/InstallationDossier.h"
#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/FnWendrox.h"
#include "counter/VerifierQuota.h"
#include "db/Recordset.h"
#include "db/Routines.h"
#include "db/Valeurs.h"

#include <QDir>
#include <QLocale>
#include <gtest/gtest.h>

namespace {

QDateTime le(int jour, int mois, int h, int m, int s) {
    return QDateTime(QDate(2025, mois, jour), QTime(h, m, s));
}

const QVariant Nul = QVariant(QMetaType::fromType<qint64>());

} // namespace

class VerifierQuotaBase : public TestAvecBase {
protected:
    void SetUp() override {
        TestAvecBase::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        m_journal.fichier = QDir(base().dossier()).filePath(QStringLiteral("MAINTEN.MDB"));
        ASSERT_TRUE(creerJournalErreurs(m_journal.fichier));
        Global().NoProfilQuotasGeneral =
            static_cast<int>(cnx()
                                 .valeurUnique(QStringLiteral(
                                     "SELECT NoQuota FROM ProfileQuota WHERE Profile = 'QUOTAS GENERAL'"))
                                 .toLongLong());
        FnWendrox::definirHorloge([] { return le(15, 6, 10, 0, 0); });
    }
    void TearDown() override {
        FnWendrox::definirHorloge({});
        Global().NoProfilQuotasGeneral = m_general;
        TestAvecBase::TearDown();
    }
    void ligne(qint64 reference, const QVariant& permise, const QVariant& periodicite,
               int profil = Global().NoProfilQuotasGeneral) {
        cnx().executer(
            QStringLiteral(
                "INSERT INTO Quota (NoQota, RefArticle, QtePermise, Periodicite) VALUES (?, ?, ?, ?)"),
            {profil, reference, permise, periodicite});
    }
    // One withdrawal with its lines (reference, quantity).
    qint64 vente(const QDateTime& date, const QList<QPair<int, QVariant>>& lignes,
                 const QString& nom = QStringLiteral("D'ARCY"), const QString& prenom = QStringLiteral("Zoé"),
                 const QString& badge = QStringLiteral("B1")) {
        const qint64 n =
            cnx()
                .valeurUnique(QStringLiteral("INSERT INTO Ventes (LaDate, Utilisateur, Nom, Prenom, "
                                             "TypeMouvement) VALUES (?, ?, ?, ?, 3) RETURNING NumVente"),
                              {Valeurs::valeurDate(date), badge, nom, prenom})
                .toLongLong();
        for (const auto& [reference, quantite] : lignes)
            cnx().executer(
                QStringLiteral("INSERT INTO DetailVente (NumVente, Reference, Designation, Quantite) "
                               "VALUES (?, ?, 'Gant', ?)"),
                {n, reference, quantite});
        return n;
    }
    qint16 verifier(qint64 reference, const QString& nom = QStringLiteral("D'Arcy"),
                    const QString& prenom = QStringLiteral("zoé")) {
        return VerifierQuota(cnx(), reference, nom, prenom);
    }
    QStringList journal() {
        QStringList r;
        Connexion c(m_journal);
        QSqlQuery q = c.executer(QStringLiteral("SELECT Contexte, Erreur FROM Erreurs ORDER BY Id"));
        while (q.next())
            r << q.value(0).toString() + u'|' + q.value(1).toString();
        return r;
    }
    static QList<QVariantList> lignes(Recordset& rs) {
        QList<QVariantList> r;
        for (rs.MoveFirst(); !rs.IsEOF(); rs.MoveNext()) {
            QVariantList l;
            for (int c = 0; c < rs.FieldCount(); ++c)
                l << rs.Field(c);
            r << l;
        }
        return r;
    }

private:
    ParametresConnexion m_journal;
    int m_general = Global().NoProfilQuotasGeneral;
};

// The two sources read the same rows, of the same types, on both backends.
TEST_P(VerifierQuotaBase, RoutinesGiveTheProfilesLinesAndTheEmployeesGroupedWithdrawals) {
    const int general = Global().NoProfilQuotasGeneral;
    ligne(30, 2, 7);
    ligne(10, Nul, Nul);
    ligne(20, 1, 30, general + 1);
    ligne(10, 5, 365);
    Recordset quotas;
    Routines::SelectionQuotaArticleStock(cnx(), general, quotas);
    EXPECT_EQ(quotas.FieldNames().join(u',').toLower(), QStringLiteral("refarticle,periodicite,qtepermise"));
    EXPECT_EQ(lignes(quotas), (QList<QVariantList>{{qint64(30), qint64(7), qint64(2)},
                                                   {qint64(10), Nul, Nul},
                                                   {qint64(10), qint64(365), qint64(5)}}));
    Routines::SelectionQuotaArticleStock(cnx(), 0, quotas);
    EXPECT_EQ(quotas.RecordCount(), 0);

    const qint64 v1 = vente(le(2, 6, 9, 0, 0), {{7, 1}, {7, 1}, {7, 2}, {8, 1}});
    const qint64 v2 =
        vente(le(1, 6, 0, 0, 0), {{7, 3}}, QStringLiteral("d'arcy"), QStringLiteral("ZOÉ"), "B2");
    vente(le(3, 6, 0, 0, 0), {{7, 1}});                                                  // end: excluded
    vente(le(31, 5, 23, 59, 59), {{7, 1}});                                              // before the start
    vente(le(2, 6, 9, 0, 0), {{7, 1}}, QStringLiteral("D'Arcy"), QStringLiteral("Zoe")); // accent kept
    vente(le(2, 6, 9, 0, 0), {{7, 1}}, QStringLiteral("D'Arc%"));                        // pattern stored
    Recordset conso;
    Routines::SelectionQuotaConso(cnx(), le(1, 6, 0, 0, 0), le(3, 6, 0, 0, 0), QStringLiteral("D'Arcy"),
                                  QStringLiteral("Zoé"), 7, conso);
    EXPECT_EQ(conso.FieldNames().join(u',').toLower(),
              QStringLiteral("ladate,utilisateur,reference,quantite,numvente,nom,prenom"));
    const QString arcy = QStringLiteral("D'ARCY"), zoe = QStringLiteral("Zoé");
    EXPECT_EQ(lignes(conso),
              (QList<QVariantList>{{le(1, 6, 0, 0, 0), "B2", qint64(7), qint64(3), v2, "d'arcy", "ZOÉ"},
                                   {le(2, 6, 9, 0, 0), "B1", qint64(7), qint64(1), v1, arcy, zoe},
                                   {le(2, 6, 9, 0, 0), "B1", qint64(7), qint64(2), v1, arcy, zoe}}));
    // "%" and "_" are letters of the name; a Null name is nobody's.
    for (const QString& nom : {QStringLiteral("D'Arc%"), QStringLiteral("D_Arcy"), QString()}) {
        Routines::SelectionQuotaConso(cnx(), le(1, 6, 0, 0, 0), le(3, 6, 0, 0, 0), nom, zoe, 7, conso);
        EXPECT_EQ(conso.RecordCount(), nom == QStringLiteral("D'Arc%") ? 1 : 0) << nom.toStdString();
    }
    EXPECT_THROW(Routines::SelectionQuotaConso(cnx(), QDateTime(), le(3, 6, 0, 0, 0), arcy, zoe, 7, conso),
                 ErreurExecution);
}

TEST_P(VerifierQuotaBase, NoLineGivesTwoAndTheFirstLineOfTheArticleDecides) {
    vente(le(15, 6, 8, 0, 0), {{1, 2}, {2, 1}, {3, 1}});
    EXPECT_EQ(verifier(1), 2); // no line at all
    ligne(1, 0, 30, Global().NoProfilQuotasGeneral + 1);
    EXPECT_EQ(verifier(1), 2); // another profile's line
    ligne(9, 0, 30);
    EXPECT_EQ(verifier(9), 1); // nothing permitted, nothing taken
    ligne(1, 3, 30);
    ligne(1, 2, 30);
    EXPECT_EQ(verifier(1), 2); // 2 taken of 3: the later line of 2 does not count
    ligne(3, 1, 30);
    ligne(3, 5, 30);
    EXPECT_EQ(verifier(3), 1);
    const int general = Global().NoProfilQuotasGeneral;
    Global().NoProfilQuotasGeneral = 0; // no general profile
    EXPECT_EQ(verifier(9), 2);
    Global().NoProfilQuotasGeneral = general;
    EXPECT_TRUE(journal().isEmpty());
}

// The period ends today at 23:59:59 (excluded) and begins that moment less the days (included), bound as
// dates whatever the workstation's language.
TEST_P(VerifierQuotaBase, ThePeriodEndsTodayAt235959AndStartsThatMomentLessItsDays) {
    const QLocale avant;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const QList<QPair<QDateTime, int>> cas = {{le(17, 5, 0, 0, 0), 1},    {le(16, 5, 12, 0, 0), 2},
                                              {le(16, 5, 23, 59, 59), 1}, {le(16, 5, 23, 59, 58), 2},
                                              {le(15, 6, 23, 59, 59), 2}, {le(20, 6, 9, 0, 0), 2}};
    for (int i = 0; i < cas.size(); ++i) {
        const int reference = 100 + i;
        ligne(reference, 3, 30);
        vente(le(15, 6, 8, 0, 0), {{reference, 2}});
        vente(cas[i].first, {{reference, 1}});
        EXPECT_EQ(verifier(reference), cas[i].second) << cas[i].first.toString().toStdString();
    }
    QLocale::setDefault(avant);
    // No period or a negative one is empty; a period of every day there is takes every withdrawal.
    ligne(1, 1, 0);
    ligne(2, 1, -5);
    ligne(3, 1, 2147483647);
    vente(le(15, 6, 0, 0, 0), {{1, 1}, {2, 1}});
    vente(QDateTime(QDate(1900, 1, 1), QTime(0, 0)), {{3, 1}});
    EXPECT_EQ(verifier(1), 2);
    EXPECT_EQ(verifier(2), 2);
    EXPECT_EQ(verifier(3), 1);
}

// Names bound, never written into the statement: compared as the layer compares names, namesakes
// counted together, identical lines of one withdrawal once.
TEST_P(VerifierQuotaBase, NamesMatchFoldedAndLiterallyAndIdenticalLinesCountOnce) {
    ligne(1, 2, 30);
    vente(le(10, 6, 8, 0, 0), {{1, 1}, {1, 1}});
    EXPECT_EQ(verifier(1), 2); // "D'ARCY" matched, its two identical lines count 1
    vente(le(11, 6, 8, 0, 0), {{1, 1}}, QStringLiteral("d'arcy"), QStringLiteral("ZOÉ"),
          QStringLiteral("B9"));
    EXPECT_EQ(verifier(1), 1); // a namesake's withdrawal counts with it
    for (const QString& nom : {QStringLiteral("D'Arc%"), QStringLiteral("D_ARCY"), QStringLiteral("D'Árcy"),
                               QString(300, u'é'), QString(), QStringLiteral("")})
        EXPECT_EQ(verifier(1, nom), 2) << nom.toStdString();
    EXPECT_EQ(verifier(1, QStringLiteral("D'Arcy"), QStringLiteral("Zoe")), 2);

    // Withdrawals stored without a name: an empty (or Null) name asks for them.
    ligne(2, 1, 30);
    vente(le(12, 6, 8, 0, 0), {{2, 1}}, QStringLiteral(""), QStringLiteral(""));
    EXPECT_EQ(verifier(2, QString(), QString()), 1);
    EXPECT_EQ(verifier(2, QStringLiteral(""), QStringLiteral("Zoé")), 2);
}

TEST_P(VerifierQuotaBase, NullsAndFailuresGiveZeroWithOneLogRowEach) {
    ligne(1, Nul, 30);
    ligne(2, 3, Nul);
    ligne(3, 3, 30);
    vente(le(14, 6, 8, 0, 0), {{3, Nul}});
    EXPECT_EQ(verifier(1), 0);
    EXPECT_EQ(verifier(2), 0);
    EXPECT_EQ(verifier(3), 0);
    cnx().executer(QStringLiteral("DROP TABLE Quota"));
    EXPECT_EQ(verifier(1), 0);
    const QStringList j = journal();
    ASSERT_EQ(j.size(), 4);
    EXPECT_EQ(j.at(0),
              QStringLiteral("VerifierQuota|N°: 94 Utilisation incorrecte de Null (Quota.QtePermise)"));
    EXPECT_EQ(j.at(2),
              QStringLiteral("VerifierQuota|N°: 94 Utilisation incorrecte de Null (DetailVente.Quantite)"));
    EXPECT_TRUE(j.at(3).startsWith(QStringLiteral("VerifierQuota|N°: -2147217900 ")))
        << j.at(3).toStdString();
}

DORVANE_SUR_CHAQUE_BASE(VerifierQuotaBase);
