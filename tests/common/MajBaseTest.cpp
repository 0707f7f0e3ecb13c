#include "common/MajBase.h"
#include "common/ErreurExecution.h"
#include "common/FnWendrox.h"
#include "common/FonctionUtilitaires.h"
#include "support/DossierProgrammeTemp.h"

#include "common/EtatGlobal.h"
#include <QDir>
#include <QFile>
#include <QPoint>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <gtest/gtest.h>

TEST(MajBase, UneLigneParErreurAvecLeJournal) {
    DossierProgrammeTemp dossier;
    ASSERT_TRUE(dossier.valide());
    const QDateTime avant = QDateTime::currentDateTime().addSecs(-1);
    MajBase::SignalerErreur(QStringLiteral("Main"),
                            ErreurExecution(ErreurExecution::Overflow, QStringLiteral("Overflow")));
    MajBase::EnregistrerErreur(QStringLiteral("CmdEmail_Click"),
                               QStringLiteral("Impossible de trouver le chemin du répertoire temporaire !"));
    EXPECT_EQ(
        dossier.lignesJournal(),
        (QStringList{
            QStringLiteral("Main|N°: 6 Overflow"),
            QStringLiteral("CmdEmail_Click|Impossible de trouver le chemin du répertoire temporaire !")}));

    // The date is "now", written as text that sorts and compares.
    const QString nom = QStringLiteral("test-journal-date");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), nom);
        db.setDatabaseName(dossier.cheminJournal());
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec(QStringLiteral("SELECT DateErreur FROM Erreurs ORDER BY Id")));
        ASSERT_TRUE(q.next());
        const QDateTime d =
            QDateTime::fromString(q.value(0).toString(), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        EXPECT_TRUE(d.isValid()) << q.value(0).toString().toStdString();
        EXPECT_GE(d, avant);
        EXPECT_LE(d, QDateTime::currentDateTime().addSecs(1));
    }
    QSqlDatabase::removeDatabase(nom);
    // Every connection of the log is gone.
    for (const QString& c : QSqlDatabase::connectionNames())
        EXPECT_FALSE(c.startsWith(QStringLiteral("dorvane-journal"))) << c.toStdString();
}

TEST(MajBase, SansJournalRienNeSePasse) {
    DossierProgrammeTemp dossier(DossierProgrammeTemp::Options{false});
    ASSERT_FALSE(QFile::exists(dossier.cheminJournal()));
    MajBase::SignalerErreur(QStringLiteral("Main"), ErreurExecution(6, QStringLiteral("Overflow")));
    EXPECT_FALSE(QFile::exists(dossier.cheminJournal()));
    EXPECT_FALSE(QFile::exists(dossier.fichier(QStringLiteral("maintenance.mdb"))));
    // Only the shipped postal codes.
    EXPECT_EQ(
        QDir(dossier.chemin()).entryList({QStringLiteral("*.MDB"), QStringLiteral("*.mdb")}, QDir::Files),
        QStringList{QStringLiteral("CP.MDB")});
}

TEST(MajBase, JournalAbimeOuSansTableSilencieux) {
    DossierProgrammeTemp dossier;
    // A file that is no database, then a database without the table.
    dossier.ecrireFichier(QStringLiteral("MAINTEN.MDB"), QByteArray("pas une base de données"));
    MajBase::EnregistrerErreur(QStringLiteral("X"), QStringLiteral("Y"));
    QFile::remove(dossier.cheminJournal());
    dossier.ecrireFichier(QStringLiteral("MAINTEN.MDB"), QByteArray());
    MajBase::EnregistrerErreur(QStringLiteral("X"), QStringLiteral("Y"));
    EXPECT_TRUE(dossier.lignesJournal().isEmpty());
}

TEST(MajBase, NomDuJournalSansEgardALaCasse) {
    DossierProgrammeTemp dossier;
    ASSERT_TRUE(QFile::rename(dossier.cheminJournal(), dossier.fichier(QStringLiteral("mainten.mdb"))));
    MajBase::EnregistrerErreur(QStringLiteral("ConvertNullStr"), QStringLiteral("N°: 13 Type mismatch"));
    QFile::rename(dossier.fichier(QStringLiteral("mainten.mdb")), dossier.cheminJournal());
    EXPECT_EQ(dossier.lignesJournal(), QStringList{QStringLiteral("ConvertNullStr|N°: 13 Type mismatch")});
}

TEST(FonctionUtilitaires, ConversionsDesNull) {
    using namespace FonctionUtilitaires;
    DossierProgrammeTemp dossier;
    Global().SeparateurDecimal = QStringLiteral(",");
    EXPECT_EQ(ConvertNullStr(QVariant()), QString());
    EXPECT_EQ(ConvertNullStr(QVariant(QMetaType(QMetaType::QString))), QString());
    EXPECT_EQ(ConvertNullStr(QVariant(42)), QStringLiteral("42"));
    EXPECT_EQ(ConvertNullStr(QVariant(12.5)), QStringLiteral("12,5"));
    EXPECT_EQ(NullEnChaine(QVariant()), QString());
    EXPECT_EQ(NullEnChaine(QVariant(QStringLiteral("abc"))), QStringLiteral("abc"));

    EXPECT_DOUBLE_EQ(ConvertNullDbl(QVariant(QStringLiteral("12,5"))), 12.5);
    EXPECT_DOUBLE_EQ(ConvertNullDbl(QVariant(QStringLiteral(" 3 "))), 3.0);
    EXPECT_DOUBLE_EQ(ConvertNullDbl(QVariant()), 0.0);
    EXPECT_DOUBLE_EQ(ConvertNullDbl(QVariant(QString())), 0.0);
    EXPECT_DOUBLE_EQ(ConvertNullDbl(QVariant(qint64(7))), 7.0);
    EXPECT_THROW(ConvertNullDbl(QVariant(QStringLiteral("abc"))), ErreurExecution);
    Global().SeparateurDecimal = QStringLiteral(".");
    EXPECT_DOUBLE_EQ(ConvertNullDbl(QVariant(QStringLiteral("12.5"))), 12.5);

    // A value with no text form: logged under ConvertNullStr, "" for the caller; NullEnChaine throws.
    EXPECT_EQ(ConvertNullStr(QVariant::fromValue(QPoint(1, 2))), QString());
    EXPECT_THROW(NullEnChaine(QVariant::fromValue(QPoint(1, 2))), ErreurExecution);
    EXPECT_EQ(dossier.lignesJournal(), QStringList{QStringLiteral("ConvertNullStr|N°: 13 Type mismatch")});
    reinitialiserEtatGlobal();
}
