#include "BaseDeTest.h"

#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "db/Connexion.h"
#include "db/Recordset.h"
#include "db/Valeurs.h"

#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>
#include <memory>

namespace {

// The number of the failure, or 0 when the call succeeded.
template <typename F> qint64 numeroErreur(F&& f) {
    try {
        f();
    } catch (const ErreurExecution& e) {
        return e.numero();
    }
    return 0;
}

} // namespace

TEST(Connexion, RefusesMissingOrForeignFilesWithoutCreatingOrChangingThem) {
    QTemporaryDir dossier;
    ParametresConnexion p;
    p.dossier = dossier.path();
    p.base = QStringLiteral("VEZ");
    EXPECT_EQ(numeroErreur([&] { Connexion c(p); }), ErreurExecution::BaseInaccessible);
    EXPECT_FALSE(QFile::exists(Connexion::cheminFichier(p.dossier, p.base)));

    const QByteArray texte = "Ceci n'est pas une base SQLite, juste du texte.\n";
    QFile f(Connexion::cheminFichier(p.dossier, p.base));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(texte);
    f.close();
    EXPECT_EQ(numeroErreur([&] { Connexion c(p); }), ErreurExecution::BaseInaccessible);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), texte);

    // A name with blanks and URI characters is a file name like another.
    p.base = QStringLiteral("Base #1 ?100%");
    p.creer = true;
    EXPECT_EQ(numeroErreur([&] { Connexion c(p); }), 0);
    EXPECT_TRUE(QFile::exists(Connexion::cheminFichier(p.dossier, p.base)));
}

TEST(Connexion, ServerTextGivesHostAndPort) {
    QString hote;
    int port = 0;
    decomposerServeur(QStringLiteral("srv"), &hote, &port);
    EXPECT_EQ(hote, QStringLiteral("srv"));
    EXPECT_EQ(port, 5432);
    decomposerServeur(QStringLiteral("srv:6543"), &hote, &port);
    EXPECT_EQ(hote, QStringLiteral("srv"));
    EXPECT_EQ(port, 6543);
    decomposerServeur(QStringLiteral("/tmp/dorvane-pg.x"), &hote, &port);
    EXPECT_EQ(hote, QStringLiteral("/tmp/dorvane-pg.x"));
    EXPECT_EQ(port, 5432);
}

TEST(Connexion, UnreachableOrRefusingServerIsBaseInaccessible) {
    ParametresConnexion p;
    p.serveur = QStringLiteral("/nonexistent-socket-folder:5999");
    p.base = QStringLiteral("VEZ");
    p.utilisateur = QStringLiteral("sa");
    EXPECT_EQ(numeroErreur([&] { Connexion c(p); }), ErreurExecution::BaseInaccessible);

    ParametresConnexion pg;
    if (!serveurPostgreSQLDeTest(&pg))
        return;
    pg.base = QStringLiteral("base_qui_n_existe_pas");
    EXPECT_EQ(numeroErreur([&] { Connexion c(pg); }), ErreurExecution::BaseInaccessible);
}

class ConnexionBase : public TestAvecBase {};

TEST_P(ConnexionBase, LikeFoldsEveryLetterKeepsAccentsAndEscapes) {
    for (const QString& nom :
         {QStringLiteral("ÉLODIE"), QStringLiteral("Élodie"), QStringLiteral("elodie"),
          QStringLiteral("O'Neil"), QStringLiteral("50% off"), QStringLiteral("500 off")})
        cnx().executer(QStringLiteral("INSERT INTO Sites (NomSite) VALUES (?)"), {nom});
    auto compter = [&](const QString& motif) {
        return cnx()
            .valeurUnique(QStringLiteral("SELECT COUNT(*) FROM Sites WHERE NomSite LIKE ? ESCAPE '\\'"),
                          {motif})
            .toLongLong();
    };
    EXPECT_EQ(compter(Valeurs::echapperLike(QStringLiteral("élodie"))), 2);
    EXPECT_EQ(compter(Valeurs::echapperLike(QStringLiteral("o'neil"))), 1);
    EXPECT_EQ(compter(Valeurs::echapperLike(QStringLiteral("50% off"))), 1);
    EXPECT_EQ(compter(QStringLiteral("50% off")), 2);
    EXPECT_EQ(compter(QStringLiteral("%LODIE")), 3);
    EXPECT_EQ(compter(QStringLiteral("é%")), 2);
    // Equality is without regard to case too.
    EXPECT_EQ(cnx()
                  .valeurUnique(QStringLiteral("SELECT COUNT(*) FROM Sites WHERE NomSite = ?"),
                                {QStringLiteral("o'NEIL")})
                  .toLongLong(),
              1);
}

TEST_P(ConnexionBase, ValuesReadBackWithTheSameTypesOnBothBackends) {
    cnx().executer(
        QStringLiteral(
            "INSERT INTO ArticleEnStock (Reference, Designation, QteEnStock, PrixAchatUnit, DateCreation) "
            "VALUES (?, ?, ?, ?, ?)"),
        {qint64(123456789012LL), QStringLiteral("Gant"), 5, Valeurs::valeurMonnaie(12.345678),
         Valeurs::valeurDate(QDateTime(QDate(2024, 3, 1), QTime(8, 30, 5)))});
    cnx().executer(QStringLiteral("INSERT INTO ArticleEnStock (Reference) VALUES (?)"), {2});
    Recordset rs;
    rs.Open(cnx(),
            QStringLiteral(
                "SELECT Reference, Designation, QteEnStock, PrixAchatUnit, DateCreation FROM ArticleEnStock "
                "ORDER BY Reference DESC"));
    ASSERT_EQ(rs.RecordCount(), 2);
    EXPECT_EQ(rs.Field(0).metaType().id(), QMetaType::LongLong);
    EXPECT_EQ(rs.Field(0).toLongLong(), 123456789012LL);
    EXPECT_EQ(rs.Field(1).metaType().id(), QMetaType::QString);
    EXPECT_EQ(rs.Field(2).metaType().id(), QMetaType::LongLong);
    EXPECT_EQ(rs.Field(3).metaType().id(), QMetaType::Double);
    EXPECT_DOUBLE_EQ(rs.Field(3).toDouble(), 12.3457);
    EXPECT_EQ(rs.Field(4).metaType().id(), QMetaType::QDateTime);
    EXPECT_EQ(rs.Field(4).toDateTime(), QDateTime(QDate(2024, 3, 1), QTime(8, 30, 5)));
    rs.MoveNext();
    // Nulls stay Null, typed as the column.
    EXPECT_TRUE(rs.Field(3).isNull());
    EXPECT_TRUE(rs.Field(4).isNull());
    EXPECT_EQ(rs.Field(4).metaType().id(), QMetaType::QDateTime);

    // Flags, in the rights database.
    ParametresConnexion droits = base().parametres();
    droits.base = Global().NomBaseDroits;
    Connexion d(droits);
    d.executer(QStringLiteral("INSERT INTO Gestionnaire (Utilisateur, Salarie, Comptoir) VALUES (?, ?, ?)"),
               {QStringLiteral("dupont"), Valeurs::valeurAEcrire(1, Valeurs::TypeColonne::Booleen), false});
    Recordset g;
    g.Open(d, QStringLiteral("Gestionnaire"));
    ASSERT_EQ(g.RecordCount(), 1);
    EXPECT_EQ(g.Field(QStringLiteral("salarie")).metaType().id(), QMetaType::Bool);
    EXPECT_TRUE(g.Field(QStringLiteral("Salarie")).toBool());
    EXPECT_FALSE(g.Field(QStringLiteral("COMPTOIR")).toBool());
}

TEST_P(ConnexionBase, FailedStatementRollsTheWholeTransactionBack) {
    cnx().executer(QStringLiteral("INSERT INTO Sites (NomSite) VALUES (?)"), {QStringLiteral("Lyon")});
    EXPECT_THROW(
        {
            TransactionEcriture t(cnx());
            cnx().executer(QStringLiteral("DELETE FROM Sites"));
            cnx().executer(QStringLiteral("INSERT INTO TableInconnue (x) VALUES (?)"), {1});
            t.valider();
        },
        ErreurExecution);
    EXPECT_FALSE(cnx().enTransaction());
    EXPECT_EQ(cnx().valeurUnique(QStringLiteral("SELECT COUNT(*) FROM Sites")).toLongLong(), 1);
}

// A failed statement's text names the statement, never the values it was given (passwords, names).
TEST_P(ConnexionBase, FailedStatementTextKeepsTheValuesOut) {
    try {
        cnx().executer(QStringLiteral("INSERT INTO TableInconnue (x) VALUES (?)"),
                       {QStringLiteral("MotSecret42")});
        ADD_FAILURE() << "the statement should have failed";
    } catch (const ErreurExecution& e) {
        EXPECT_EQ(e.numero(), ErreurExecution::ErreurBase);
        EXPECT_TRUE(e.description().contains(QStringLiteral("TableInconnue")));
        EXPECT_FALSE(e.description().contains(QStringLiteral("MotSecret42")));
    }
}

// A commit the database refuses (a deferred key checked at COMMIT) must end the transaction: the
// connection stays usable and nothing of the refused work remains.
TEST_P(ConnexionBase, RefusedCommitEndsTheTransaction) {
    cnx().executer(QStringLiteral("CREATE TABLE EssaiParent (Id INTEGER PRIMARY KEY)"));
    cnx().executer(QStringLiteral("CREATE TABLE EssaiEnfant (IdParent INTEGER REFERENCES EssaiParent (Id) "
                                  "DEFERRABLE INITIALLY DEFERRED)"));
    if (cnx().estSQLite())
        cnx().executer(QStringLiteral("PRAGMA foreign_keys = ON"));
    auto travailRefuse = [&] {
        cnx().executer(QStringLiteral("INSERT INTO Sites (NomSite) VALUES (?)"), {QStringLiteral("Metz")});
        cnx().executer(QStringLiteral("INSERT INTO EssaiEnfant (IdParent) VALUES (?)"), {42});
    };
    // Through the connection's own calls, then through the scoped transaction.
    cnx().debutEcriture();
    travailRefuse();
    EXPECT_THROW(cnx().valider(), ErreurExecution);
    EXPECT_FALSE(cnx().enTransaction());
    EXPECT_THROW(
        {
            TransactionEcriture t(cnx());
            travailRefuse();
            t.valider();
        },
        ErreurExecution);
    EXPECT_FALSE(cnx().enTransaction());
    EXPECT_EQ(cnx()
                  .valeurUnique(QStringLiteral("SELECT COUNT(*) FROM Sites WHERE NomSite = ?"),
                                {QStringLiteral("Metz")})
                  .toLongLong(),
              0);
    // A new transaction starts and commits on the same connection.
    TransactionEcriture t(cnx());
    cnx().executer(QStringLiteral("INSERT INTO Sites (NomSite) VALUES (?)"), {QStringLiteral("Nancy")});
    t.valider();
    auto autre = base().ouvrir();
    EXPECT_EQ(autre
                  ->valeurUnique(QStringLiteral("SELECT COUNT(*) FROM Sites WHERE NomSite = ?"),
                                 {QStringLiteral("Nancy")})
                  .toLongLong(),
              1);
}

TEST_P(ConnexionBase, DatesRoundTripAsWrittenUnderAForeignTimeZone) {
    const QByteArray tzAvant = qgetenv("TZ");
    qputenv("TZ", "Europe/Paris");
    tzset();
    const QDateTime ete(QDate(2024, 7, 14), QTime(23, 59, 59));
    const QDateTime hiver(QDate(2024, 1, 1), QTime(0, 0, 1));
    for (const QDateTime& d : {ete, hiver})
        cnx().executer(QStringLiteral("INSERT INTO Ventes (LaDate, Utilisateur) VALUES (?, ?)"),
                       {Valeurs::valeurDate(d), QStringLiteral("B1")});
    Recordset rs;
    rs.Open(cnx(), QStringLiteral("SELECT NumVente, LaDate FROM Ventes ORDER BY NumVente"));
    ASSERT_EQ(rs.RecordCount(), 2);
    EXPECT_EQ(rs.Field(QStringLiteral("LaDate")).toDateTime(), ete);
    rs.MoveNext();
    EXPECT_EQ(rs.Field(QStringLiteral("LaDate")).toDateTime(), hiver);
    // Comparisons against bound bounds see the stored wall-clock time.
    EXPECT_EQ(
        cnx()
            .valeurUnique(QStringLiteral("SELECT COUNT(*) FROM Ventes WHERE LaDate > ? AND LaDate <= ?"),
                          {Valeurs::valeurDate(Valeurs::debutPeriode(QDate(2024, 7, 14))),
                           Valeurs::valeurDate(Valeurs::finPeriode(QDate(2024, 7, 14)))})
            .toLongLong(),
        1);
    EXPECT_EQ(Valeurs::lireDate(cnx().valeurUnique(QStringLiteral("SELECT MAX(LaDate) FROM Ventes"))), ete);
    if (tzAvant.isEmpty())
        qunsetenv("TZ");
    else
        qputenv("TZ", tzAvant);
    tzset();
}

// Backslashes are plain characters in our literals and in the values, even on a database whose own
// setting makes them escapes (the connection is opened under that setting).
TEST_P(ConnexionBase, BackslashesStayPlainWhateverTheDatabaseSetting) {
    if (!cnx().estSQLite())
        cnx().executer(QStringLiteral("ALTER DATABASE \"%1\" SET standard_conforming_strings = off")
                           .arg(base().parametres().base));
    std::unique_ptr<Connexion> c = base().ouvrir();
    const QString chemin = QStringLiteral("C:\\Stock\\50% off");
    for (const QString& nom : {chemin, QStringLiteral("C:\\Stock\\500 off")})
        c->executer(QStringLiteral("INSERT INTO Sites (NomSite) VALUES (?)"), {nom});
    QSqlQuery q = c->executer(QStringLiteral("SELECT NomSite FROM Sites WHERE NomSite LIKE ? ESCAPE '\\'"),
                              {Valeurs::echapperLike(chemin)});
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toString(), chemin);
    EXPECT_FALSE(q.next());
}

// A text holding U+0000 is refused before it reaches the driver, on both backends alike: nothing of the
// transaction is written, and neither the message nor the log quotes the value.
TEST_P(ConnexionBase, TextWithANulCharacterIsRefusedWithoutQuotingIt) {
    const QString valeur = QStringLiteral("Secret") + QChar(u'\0') + QStringLiteral("Dupont");
    try {
        TransactionEcriture t(cnx());
        cnx().executer(QStringLiteral("INSERT INTO Sites (NomSite) VALUES (?)"), {QStringLiteral("Lyon")});
        cnx().executer(QStringLiteral("INSERT INTO Sites (NomSite, Adresse) VALUES (?, ?)"),
                       {QStringLiteral("Metz"), valeur});
        t.valider();
        ADD_FAILURE() << "the text should have been refused";
    } catch (const ErreurExecution& e) {
        EXPECT_EQ(e.numero(), ErreurExecution::ErreurBase);
        EXPECT_TRUE(e.description().contains(QStringLiteral("caractère nul")))
            << e.description().toStdString();
        for (const QString& texte : {e.description(), e.texteJournal()}) {
            EXPECT_FALSE(texte.contains(QStringLiteral("Secret"))) << texte.toStdString();
            EXPECT_FALSE(texte.contains(QStringLiteral("Dupont"))) << texte.toStdString();
        }
    }
    EXPECT_FALSE(cnx().enTransaction());
    EXPECT_EQ(cnx().valeurUnique(QStringLiteral("SELECT COUNT(*) FROM Sites")).toLongLong(), 0);
}

DORVANE_SUR_CHAQUE_BASE(ConnexionBase);

TEST(Valeurs, LikeMatcherHandlesWildcardsEscapesAndFolding) {
    using Valeurs::correspondLike;
    EXPECT_TRUE(correspondLike(QStringLiteral("ÉLODIE"), QStringLiteral("élodie")));
    EXPECT_FALSE(correspondLike(QStringLiteral("elodie"), QStringLiteral("élodie")));
    EXPECT_TRUE(correspondLike(QStringLiteral("abcabcabd"), QStringLiteral("%abd")));
    EXPECT_TRUE(correspondLike(QStringLiteral("a_b"), QStringLiteral("a\\_b"), u'%', u'_', u'\\'));
    EXPECT_FALSE(correspondLike(QStringLiteral("axb"), QStringLiteral("a\\_b"), u'%', u'_', u'\\'));
    EXPECT_TRUE(correspondLike(QStringLiteral("axb"), QStringLiteral("a_b")));
    EXPECT_TRUE(correspondLike(QString(), QStringLiteral("%")));
    EXPECT_FALSE(correspondLike(QStringLiteral("ab"), QStringLiteral("a")));
    EXPECT_TRUE(
        correspondLike(QStringLiteral("ILLIMITÉ"), QStringLiteral("illimit*"), u'*', QChar(), QChar()));
    EXPECT_EQ(Valeurs::echapperLike(QStringLiteral("a\\b%c_d")), QStringLiteral("a\\\\b\\%c\\_d"));
}

TEST(Valeurs, DateHelpersWriteTextAndPeriodBounds) {
    EXPECT_EQ(Valeurs::valeurDate(QDateTime(QDate(2024, 3, 1), QTime(0, 0, 1, 999))).toString(),
              QStringLiteral("2024-03-01 00:00:01"));
    EXPECT_TRUE(Valeurs::valeurDate(QDateTime()).isNull());
    EXPECT_EQ(Valeurs::finPeriode(QDate(2024, 3, 31)), QDateTime(QDate(2024, 3, 31), QTime(23, 59, 59)));
    EXPECT_EQ(Valeurs::lireDate(QStringLiteral("2024-03-01T08:00:00.000")),
              QDateTime(QDate(2024, 3, 1), QTime(8, 0)));
    EXPECT_DOUBLE_EQ(Valeurs::arrondiMonnaie(12.345678), 12.3457);
}
