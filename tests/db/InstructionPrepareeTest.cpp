#include "BaseDeTest.h"

#include "common/ErreurExecution.h"
#include "db/Connexion.h"
#include "db/InsertionParLots.h"
#include "db/Valeurs.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <QSqlResult>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

class InstructionPrepareeBase : public TestAvecBase {
protected:
    // How many statements of that text the server holds prepared for this connection (PostgreSQL), or
    // whether the same compiled statement served (SQLite, through its handle).
    qint64 prepareesServeur(const QString& morceau) {
        return Valeurs::lireEntier(cnx().valeurUnique(
            QStringLiteral("SELECT COUNT(*) FROM pg_prepared_statements WHERE statement LIKE ?"),
            {u'%' + morceau + u'%'}));
    }
};

const QString Ajout = QStringLiteral("INSERT INTO Sites (NomSite, Adresse) VALUES (?, ?)");
const QString Lecture = QStringLiteral("SELECT NomSite FROM Sites WHERE Adresse = ? ORDER BY NomSite");

} // namespace

// A text run again is the same prepared statement, with executer()'s counting, trace and checks; a
// second reader of a text being read gets its own statement and neither loses a row, whatever runs in
// between; values are never left over from an earlier run; closing the connection drops them all.
TEST_P(InstructionPrepareeBase, KeptStatementServesEveryRunAndNeverTwoReaders) {
    QStringList entendues;
    Connexion::setSuiviRequetes([&](const QString& sql) { entendues << sql; });
    const quint64 avant = Connexion::nombreRequetes();
    QVariant poignee;
    for (int i = 0; i < 6; ++i) {
        InstructionPreparee ajout(cnx(), Ajout);
        ajout.executer({QStringLiteral("Site %1").arg(i), i < 3 ? QStringLiteral("A") : QStringLiteral("B")});
        if (cnx().estSQLite()) {
            const QVariant h =
                ajout.executer({QStringLiteral("Autre %1").arg(i), QStringLiteral("C")}).result()->handle();
            if (i == 0)
                poignee = h;
            EXPECT_EQ(*static_cast<void* const*>(h.data()), *static_cast<void* const*>(poignee.data()));
        }
    }
    Connexion::setSuiviRequetes({});
    EXPECT_EQ(Connexion::nombreRequetes() - avant, cnx().estSQLite() ? 12u : 6u);
    EXPECT_EQ(entendues.count(Ajout), cnx().estSQLite() ? 12 : 6);
    if (!cnx().estSQLite()) {
        EXPECT_EQ(prepareesServeur(QStringLiteral("INSERT INTO Sites")), 1);
    }

    // The NUL check, and a count of values other than the first run's, refused without the values.
    const QString secret = QStringLiteral("Secret") + QChar(u'\0');
    for (const QVariantList& mauvaises :
         {QVariantList{QStringLiteral("X"), secret}, QVariantList{QStringLiteral("Secret seul")}}) {
        try {
            InstructionPreparee(cnx(), Ajout).executer(mauvaises);
            ADD_FAILURE() << "refused values accepted";
        } catch (const ErreurExecution& e) {
            EXPECT_FALSE(e.description().contains(QStringLiteral("Secret"))) << e.description().toStdString();
        }
    }

    // Two readers of one text: the outer keeps every row while the inner reads and writes.
    InstructionPreparee exterieure(cnx(), Lecture);
    QSqlQuery& q = exterieure.executer({QStringLiteral("A")});
    QStringList lus, interieurs;
    while (q.next()) {
        lus << q.value(0).toString();
        InstructionPreparee interieure(cnx(), Lecture);
        QSqlQuery& r = interieure.executer({QStringLiteral("B")});
        while (r.next())
            interieurs << r.value(0).toString();
        cnx().executer(QStringLiteral("UPDATE Sites SET Info = ? WHERE NomSite = ?"),
                       {QStringLiteral("1"), lus.last()});
    }
    EXPECT_EQ(lus, (QStringList{"Site 0", "Site 1", "Site 2"}));
    EXPECT_EQ(interieurs.size(), 9);

    // Closed under a borrower, then reopened: the borrower is told, the text runs again.
    InstructionPreparee avantFermeture(cnx(), Ajout);
    cnx().ouvrir(cnx().parametres());
    EXPECT_EQ(Valeurs::lireEntier(cnx().valeurUnique(
                  QStringLiteral("SELECT COUNT(*) FROM Sites WHERE Adresse = ?"), {QStringLiteral("B")})),
              3);
    try {
        avantFermeture.executer({QStringLiteral("Perdu"), QStringLiteral("D")});
        ADD_FAILURE() << "a statement of the closed connection ran";
    } catch (const ErreurExecution& e) {
        EXPECT_EQ(e.numero(), ErreurExecution::BaseInaccessible);
    }
    InstructionPreparee(cnx(), Ajout).executer({QStringLiteral("Rouvert"), QStringLiteral("D")});
    EXPECT_EQ(lignesTexte(cnx(), QStringLiteral("SELECT NomSite FROM Sites WHERE Adresse = ?"),
                          {QStringLiteral("D")}),
              QStringList{QStringLiteral("Rouvert")});
}

// A run that fails (a constraint, a lock held too long) leaves the kept statement ready for the next one.
TEST_P(InstructionPrepareeBase, FailedRunLeavesTheNextRunWorking) {
    const QString ajout = QStringLiteral("INSERT INTO BadgeMaintenance (NoBadge) VALUES (?)");
    cnx().executer(QStringLiteral("CREATE UNIQUE INDEX EssaiBadgeUnique ON BadgeMaintenance (NoBadge)"));
    InstructionPreparee(cnx(), ajout).executer({QStringLiteral("B1")});
    EXPECT_THROW(
        {
            TransactionEcriture t(cnx());
            InstructionPreparee(cnx(), ajout).executer({QStringLiteral("B2")});
            InstructionPreparee(cnx(), ajout).executer({QStringLiteral("B1")});
            t.valider();
        },
        ErreurExecution);
    InstructionPreparee(cnx(), ajout).executer({QStringLiteral("B3")});

    // Another workstation holds the table: this one gives up after a short wait, then runs again.
    if (cnx().estSQLite())
        cnx().executer(QStringLiteral("PRAGMA busy_timeout = 200"));
    else
        cnx().executer(QStringLiteral("SET lock_timeout = 200"));
    {
        std::unique_ptr<Connexion> autre = base().ouvrir();
        TransactionEcriture t(*autre);
        if (!autre->estSQLite())
            autre->executer(QStringLiteral("LOCK TABLE BadgeMaintenance IN ACCESS EXCLUSIVE MODE"));
        autre->executer(QStringLiteral("INSERT INTO BadgeMaintenance (NoBadge) VALUES (?)"),
                        {QStringLiteral("B4")});
        EXPECT_THROW(InstructionPreparee(cnx(), ajout).executer({QStringLiteral("B5")}), ErreurExecution);
        t.valider();
    }
    InstructionPreparee(cnx(), ajout).executer({QStringLiteral("B5")});
    EXPECT_EQ(lignesTexte(cnx(), QStringLiteral("SELECT NoBadge FROM BadgeMaintenance ORDER BY NoBadge")),
              (QStringList{"B1", "B3", "B4", "B5"}));
}

// Rows in lots: every count of rows (none, one, a full lot and a rest) written once each, in order, the
// bytes of a picture as they were.
TEST_P(InstructionPrepareeBase, RowsInLotsAreWrittenWholeAndInOrder) {
    const QByteArray octets("\xff\xd8\x00\x01'\\\x00fin", 10);
    for (const int n : {0, 1, 1000, 37}) {
        cnx().executer(QStringLiteral("DELETE FROM ARemplissageMachine"));
        InsertionParLots lots(
            cnx(), QStringLiteral("ARemplissageMachine"),
            {QStringLiteral("Etage"), QStringLiteral("Designation"), QStringLiteral("Picture")});
        for (int i = 0; i < n; ++i)
            lots.ajouter({i, QStringLiteral("Ligne %1").arg(i),
                          i % 2 ? QVariant(octets) : QVariant(QMetaType::fromType<QByteArray>())});
        lots.terminer();
        QSqlQuery q = cnx().executer(
            QStringLiteral("SELECT Etage, Designation, Picture FROM ARemplissageMachine ORDER BY Etage"));
        int i = 0;
        while (q.next()) {
            ASSERT_EQ(Valeurs::lireEntier(q.value(0)), i);
            EXPECT_EQ(q.value(1).toString(), QStringLiteral("Ligne %1").arg(i));
            EXPECT_EQ(q.value(2).isNull(), i % 2 == 0);
            if (i % 2) {
                EXPECT_EQ(q.value(2).toByteArray(), octets);
            }
            ++i;
        }
        EXPECT_EQ(i, n);
    }
}

DORVANE_SUR_CHAQUE_BASE(InstructionPrepareeBase);

namespace {

// A PostgreSQL server of the test's own (the shared one must not restart under the other tests), as
// scripts/with-postgres starts it.
class ServeurPropre {
public:
    ServeurPropre() {
        m_dossier.setAutoRemove(true);
        QFile::setPermissions(m_dossier.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                    QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                                    QFileDevice::ExeOther | QFileDevice::ReadGroup |
                                                    QFileDevice::ExeGroup);
        if (::getuid() == 0)
            lancer(QStringLiteral("chown"), {QStringLiteral("postgres:postgres"), m_dossier.path()}, false);
        m_valide = pg(QStringLiteral("initdb"),
                      {QStringLiteral("-D"), donnees(), QStringLiteral("-A"), QStringLiteral("trust"),
                       QStringLiteral("-U"), QStringLiteral("postgres"), QStringLiteral("--encoding=UTF8"),
                       QStringLiteral("--locale=C.UTF-8")}) &&
                   demarrer();
    }
    ~ServeurPropre() {
        pg(QStringLiteral("pg_ctl"), {QStringLiteral("-D"), donnees(), QStringLiteral("-m"),
                                      QStringLiteral("immediate"), QStringLiteral("stop")});
    }
    bool valide() const { return m_valide; }
    bool redemarrer() {
        return pg(QStringLiteral("pg_ctl"),
                  {QStringLiteral("-D"), donnees(), QStringLiteral("-m"), QStringLiteral("fast"),
                   QStringLiteral("-w"), QStringLiteral("stop")}) &&
               demarrer();
    }
    ParametresConnexion parametres() const {
        ParametresConnexion p;
        p.serveur = m_dossier.path() + QStringLiteral(":5432");
        p.base = QStringLiteral("postgres");
        p.utilisateur = QStringLiteral("postgres");
        return p;
    }

private:
    QString donnees() const { return m_dossier.path() + QStringLiteral("/db"); }
    bool demarrer() {
        return pg(QStringLiteral("pg_ctl"),
                  {QStringLiteral("-D"), donnees(), QStringLiteral("-w"), QStringLiteral("-l"),
                   m_dossier.path() + QStringLiteral("/server.log"), QStringLiteral("-o"),
                   QStringLiteral("-c listen_addresses='' -k %1 -c fsync=off").arg(m_dossier.path()),
                   QStringLiteral("start")});
    }
    bool pg(const QString& outil, const QStringList& arguments) {
        const QString chemin = QStringLiteral("/usr/lib/postgresql/15/bin/") + outil;
        return lancer(chemin, arguments, ::getuid() == 0);
    }
    static bool lancer(const QString& programme, const QStringList& arguments, bool commePostgres) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
        p.setProcessEnvironment(env);
        if (commePostgres)
            p.start(QStringLiteral("runuser"), QStringList{QStringLiteral("-u"), QStringLiteral("postgres"),
                                                           QStringLiteral("--"), programme} +
                                                   arguments);
        else
            p.start(programme, arguments);
        return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    }

    QTemporaryDir m_dossier;
    bool m_valide = false;
};

} // namespace

// The server restarted under kept statements: the next run fails with the layer's message (never a crash,
// never a row of another run), and the connection opened again runs the same texts with the right rows.
TEST(InstructionPreparee, ServerRestartedUnderKeptStatements) {
    ParametresConnexion partage;
    if (!serveurPostgreSQLDeTest(&partage))
        GTEST_SKIP() << "DORVANE_TEST_PG not set";
    ServeurPropre serveur;
    ASSERT_TRUE(serveur.valide());
    Connexion c(serveur.parametres());
    c.executer(QStringLiteral("CREATE TABLE Essai (Id INTEGER PRIMARY KEY, Nom TEXT)"));
    const QString ajout = QStringLiteral("INSERT INTO Essai (Id, Nom) VALUES (?, ?) RETURNING Nom");
    const QString lecture = QStringLiteral("SELECT Nom FROM Essai WHERE Id = ?");
    EXPECT_EQ(c.valeurUnique(ajout, {1, QStringLiteral("un")}).toString(), QStringLiteral("un"));
    EXPECT_EQ(c.valeurUnique(lecture, {1}).toString(), QStringLiteral("un"));

    ASSERT_TRUE(serveur.redemarrer());
    for (int essai = 0; essai < 2; ++essai) {
        try {
            EXPECT_EQ(c.valeurUnique(lecture, {1}).toString(), QStringLiteral("un"));
        } catch (const ErreurExecution& e) {
            // The statement's failure, then the connection the driver gave up.
            EXPECT_TRUE(e.numero() == ErreurExecution::ErreurBase ||
                        e.numero() == ErreurExecution::BaseInaccessible)
                << e.description().toStdString();
        }
    }
    c.ouvrir(serveur.parametres());
    EXPECT_EQ(c.valeurUnique(ajout, {2, QStringLiteral("deux")}).toString(), QStringLiteral("deux"));
    EXPECT_EQ(c.valeurUnique(lecture, {1}).toString(), QStringLiteral("un"));
    EXPECT_EQ(c.valeurUnique(lecture, {2}).toString(), QStringLiteral("deux"));
}
