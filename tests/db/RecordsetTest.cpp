#include "BaseDeTest.h"

#include "OrdreFrancais.h"
#include "ServiceDialogueScripte.h"
#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/MODTranslate.h"
#include "db/Connexion.h"
#include "db/Recordset.h"
#include "db/RecordsetModel.h"
#include "db/Valeurs.h"

#include <QAbstractItemModelTester>
#include <QFile>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <algorithm>
#include <ctime>
#include <gtest/gtest.h>

namespace {

QStringList colonne(Recordset& rs, const QString& champ) {
    QStringList r;
    for (int i = 0; i < rs.RecordCount(); ++i)
        r << rs.ValueAt(i, rs.FieldIndex(champ)).toString();
    return r;
}

} // namespace

class RecordsetBase : public TestAvecBase {
protected:
    void SetUp() override {
        TestAvecBase::SetUp();
        if (HasFatalFailure() || IsSkipped())
            return;
        for (const char* n : {"Zoé", "eve", "Émile", "élodie", "elodie", "abel", "ÉLODIE"}) {
            const QString nom = QString::fromUtf8(n);
            cnx().executer(QStringLiteral("INSERT INTO Utilisateurs (NoBadge, Nom, Prenom) VALUES (?, ?, ?)"),
                           {QStringLiteral("B-") + nom, nom, QStringLiteral("x")});
        }
    }
};

TEST_P(RecordsetBase, SortIsFrenchCaseBlindAndKeepsTheCurrentRow) {
    Recordset rs;
    // Every row but the last ("ÉLODIE"), which would tie with "élodie".
    rs.Open(cnx(), QStringLiteral("SELECT IdUtilisateur, Nom FROM Utilisateurs WHERE IdUtilisateur < "
                                  "(SELECT MAX(IdUtilisateur) FROM Utilisateurs)"));
    ASSERT_TRUE(rs.Find(QStringLiteral("Nom"), Recordset::Comparaison::Egal, QStringLiteral("eve")));
    rs.Sort(QStringLiteral("Nom"));
    EXPECT_EQ(colonne(rs, QStringLiteral("Nom")),
              QStringList({"abel", "elodie", "élodie", "Émile", "eve", "Zoé"}));
    EXPECT_EQ(rs.Field(QStringLiteral("Nom")).toString(), QStringLiteral("eve"));
    rs.Sort(QStringLiteral("Nom"), Recordset::Ordre::Decroissant);
    EXPECT_EQ(colonne(rs, QStringLiteral("Nom")).first(), QStringLiteral("Zoé"));
    // Numbers sort as numbers.
    rs.Sort(QStringLiteral("IdUtilisateur"), Recordset::Ordre::Decroissant);
    EXPECT_GT(rs.ValueAt(0, 0).toLongLong(), rs.ValueAt(1, 0).toLongLong());
}

TEST_P(RecordsetBase, FindFoldsCaseKeepsAccentsAndEndsAtEofOrBof) {
    Recordset rs;
    rs.Open(cnx(), QStringLiteral("SELECT * FROM Utilisateurs ORDER BY IdUtilisateur"));
    QSignalSpy mouvements(&rs, &Recordset::MoveComplete);
    QStringList trouves;
    bool ok = rs.Find(QStringLiteral("nom"), Recordset::Comparaison::Comme, QStringLiteral("élodie"),
                      Recordset::Depart::Premier);
    while (ok) {
        trouves << rs.Field(QStringLiteral("Nom")).toString();
        rs.MoveNext();
        ok = rs.Find(QStringLiteral("nom"), Recordset::Comparaison::Comme, QStringLiteral("élodie"));
    }
    EXPECT_EQ(trouves, QStringList({"élodie", "ÉLODIE"}));
    EXPECT_TRUE(rs.IsEOF());
    EXPECT_GT(mouvements.count(), 3);
    EXPECT_TRUE(rs.Find(QStringLiteral("Nom"), Recordset::Comparaison::Comme, QStringLiteral("É*"),
                        Recordset::Depart::Premier));
    EXPECT_EQ(rs.Field(QStringLiteral("Nom")).toString(), QStringLiteral("Émile"));
    EXPECT_FALSE(rs.Find(QStringLiteral("Nom"), Recordset::Comparaison::Egal, QStringLiteral("personne"),
                         Recordset::Depart::Dernier, Recordset::Direction::Arriere));
    EXPECT_TRUE(rs.IsBOF());
    EXPECT_THROW(rs.Field(QStringLiteral("Nom")), ErreurExecution);
}

TEST_P(RecordsetBase, FilterBookmarkAndRequeryKeepTheRow) {
    Recordset rs;
    rs.Open(cnx(), QStringLiteral("Utilisateurs"));
    rs.Filter([](const LigneRecordset& l) { return l[QStringLiteral("Nom")].toString().startsWith(u'e'); });
    EXPECT_EQ(rs.RecordCount(), 2);
    rs.Filter({});
    EXPECT_EQ(rs.RecordCount(), 7);
    // Filters that follow each other over a sorted list keep its order through writes and deletes.
    rs.Sort(QStringLiteral("Nom"));
    const auto sansZ = [](const LigneRecordset& l) {
        return !l[QStringLiteral("Nom")].toString().startsWith(u'Z');
    };
    rs.Filter(sansZ);
    ASSERT_TRUE(rs.Find(QStringLiteral("Nom"), Recordset::Comparaison::Egal, QStringLiteral("eve")));
    rs.SetField(QStringLiteral("Nom"), QStringLiteral("Aaron"));
    rs.Update();
    rs.AddNew();
    rs.SetField(QStringLiteral("Nom"), QStringLiteral("Ed"));
    rs.Update();
    rs.MoveFirst();
    rs.Delete(); // abel: a write leaves the rows where they stand until the next filter
    rs.Filter(sansZ);
    EXPECT_EQ(colonne(rs, QStringLiteral("Nom")),
              QStringList({"Aaron", "Ed", "elodie", "élodie", "ÉLODIE", "Émile"}));
    rs.Filter({});
    rs.Sort(QString());
    ASSERT_TRUE(rs.Find(QStringLiteral("Nom"), Recordset::Comparaison::Egal, QStringLiteral("Zoé"),
                        Recordset::Depart::Premier));
    const QVariant signet = rs.Bookmark();
    rs.MoveFirst();
    rs.SetBookmark(signet);
    EXPECT_EQ(rs.Field(QStringLiteral("Nom")).toString(), QStringLiteral("Zoé"));
    // Another connection adds a row before it; requery shows it and stays on Zoé.
    cnx().executer(QStringLiteral("DELETE FROM Utilisateurs WHERE Nom = ?"), {QStringLiteral("Ed")});
    cnx().executer(QStringLiteral("INSERT INTO Utilisateurs (Nom) VALUES (?)"), {QStringLiteral("Yves")});
    rs.Requery();
    EXPECT_EQ(rs.RecordCount(), 7);
    EXPECT_EQ(rs.Field(QStringLiteral("Nom")).toString(), QStringLiteral("Zoé"));

    // A requery that fails keeps the rows it had.
    cnx().executer(QStringLiteral("CREATE TABLE Essai (Id INT PRIMARY KEY, Nom TEXT)"));
    cnx().executer(QStringLiteral("INSERT INTO Essai (Id, Nom) VALUES (1, 'a')"));
    rs.Open(cnx(), QStringLiteral("Essai"));
    cnx().executer(QStringLiteral("DROP TABLE Essai"));
    EXPECT_THROW(rs.Requery(), ErreurExecution);
    EXPECT_EQ(rs.RecordCount(), 1);
    EXPECT_EQ(rs.Field(QStringLiteral("Nom")).toString(), QStringLiteral("a"));
}

// A Requery reads again when a read could give other rows: after a write of another connection (once
// committed), of this connection, of the recordset itself, or inside a transaction of this connection;
// otherwise it keeps its rows and only sorts. PostgreSQL's state is the server's: another test's writes
// meanwhile may make it read again, so that "no read" is checked on SQLite alone.
TEST_P(RecordsetBase, RequeryReadsAgainOnlyAfterAWrite) {
    int lectures = 0;
    Connexion::setSuiviRequetes([&](const QString& sql) {
        if (sql == QLatin1String("SELECT * FROM Utilisateurs"))
            ++lectures;
    });
    struct Fin {
        ~Fin() { Connexion::setSuiviRequetes(nullptr); }
    } fin;
    Connexion autre(cnx().parametres());
    Recordset rs;
    rs.Open(cnx(), QStringLiteral("Utilisateurs"));
    const auto relire = [&](const char* champ) {
        lectures = 0;
        if (champ)
            rs.Requery(QLatin1String(champ));
        else
            rs.Requery();
        return lectures;
    };
    const auto sansLecture = [&](const char* champ) {
        const int n = relire(champ);
        return GetParam() == Moteur::SQLite ? n == 0 : n <= 1;
    };
    ASSERT_TRUE(rs.Find(QStringLiteral("Nom"), Recordset::Comparaison::Egal, QStringLiteral("Émile")));
    EXPECT_TRUE(sansLecture(nullptr));
    EXPECT_TRUE(sansLecture("Nom"));
    EXPECT_EQ(colonne(rs, QStringLiteral("Nom")).join(u','),
              QStringLiteral("abel,elodie,élodie,ÉLODIE,Émile,eve,Zoé"));
    EXPECT_EQ(rs.Field(QStringLiteral("Nom")).toString(), QStringLiteral("Émile"));

    autre.executer(QStringLiteral("INSERT INTO Utilisateurs (Nom) VALUES (?)"), {QStringLiteral("Yves")});
    EXPECT_EQ(relire("Nom"), 1);
    EXPECT_EQ(colonne(rs, QStringLiteral("Nom")).join(u','),
              QStringLiteral("abel,elodie,élodie,ÉLODIE,Émile,eve,Yves,Zoé"));
    EXPECT_EQ(rs.Field(QStringLiteral("Nom")).toString(), QStringLiteral("Émile"));
    EXPECT_TRUE(sansLecture(nullptr));

    cnx().executer(QStringLiteral("UPDATE Utilisateurs SET Nom = ? WHERE Nom = ?"),
                   {QStringLiteral("Aline"), QStringLiteral("Yves")});
    EXPECT_EQ(relire("Nom"), 1);
    EXPECT_EQ(rs.ValueAt(0, rs.FieldIndex(QStringLiteral("Nom"))).toString(), QStringLiteral("abel"));
    EXPECT_EQ(rs.ValueAt(1, rs.FieldIndex(QStringLiteral("Nom"))).toString(), QStringLiteral("Aline"));

    rs.SetField(QStringLiteral("Prenom"), QStringLiteral("y"));
    rs.Update();
    EXPECT_EQ(relire(nullptr), 1);
    EXPECT_TRUE(sansLecture(nullptr));

    // Another workstation's transaction: nothing to see while it is pending, its row once committed.
    autre.debutEcriture();
    autre.executer(QStringLiteral("INSERT INTO Utilisateurs (Nom) VALUES (?)"), {QStringLiteral("Xavier")});
    relire("Nom");
    EXPECT_EQ(rs.RecordCount(), 8);
    autre.valider();
    EXPECT_EQ(relire("Nom"), 1);
    EXPECT_EQ(rs.RecordCount(), 9);

    // This connection's own transaction: its rows while it is open, none after it is rolled back.
    cnx().debutEcriture();
    cnx().executer(QStringLiteral("DELETE FROM Utilisateurs WHERE Nom = ?"), {QStringLiteral("Xavier")});
    EXPECT_EQ(relire(nullptr), 1);
    EXPECT_EQ(rs.RecordCount(), 8);
    cnx().annuler();
    EXPECT_EQ(relire(nullptr), 1);
    EXPECT_EQ(rs.RecordCount(), 9);
    EXPECT_TRUE(sansLecture(nullptr));
}

TEST_P(RecordsetBase, WritesGoThroughByKeyAndReadTheIdentityBack) {
    Recordset rs;
    rs.Open(cnx(), QStringLiteral("ProfileQuota"));
    rs.AddNew();
    rs.SetField(QStringLiteral("Profile"), QStringLiteral("O'Neil"));
    rs.Update();
    const qint64 numero = rs.Field(QStringLiteral("NoQuota")).toLongLong();
    EXPECT_GT(numero, 3);
    EXPECT_EQ(rs.RecordCount(), 4);
    // The added row's bookmark finds it once sorted among the rows read (CHEF, ILLIMITÉ, O'Neil, ...).
    const QVariant signet = rs.Bookmark();
    rs.Sort(QStringLiteral("Profile"));
    rs.MoveFirst();
    rs.SetBookmark(signet);
    EXPECT_EQ(rs.AbsolutePosition(), 2);
    EXPECT_EQ(rs.Field(QStringLiteral("NoQuota")).toLongLong(), numero);
    rs.SetField(QStringLiteral("Profile"), QStringLiteral("D'Artagnan"));
    rs.Update();
    EXPECT_EQ(
        cnx()
            .valeurUnique(QStringLiteral("SELECT Profile FROM ProfileQuota WHERE NoQuota = ?"), {numero})
            .toString(),
        QStringLiteral("D'Artagnan"));
    // A refused write leaves the row in edition and the database as it was; its number is logged signed.
    rs.SetField(QStringLiteral("Profile"), QStringLiteral("chef"));
    try {
        rs.Update();
        ADD_FAILURE() << "doublon accepté";
    } catch (const ErreurExecution& e) {
        EXPECT_EQ(e.numero(), -2147217900);
        EXPECT_TRUE(e.texteJournal().startsWith(QStringLiteral("N°: -2147217900 ")))
            << e.texteJournal().toStdString();
    }
    rs.CancelUpdate();
    EXPECT_EQ(rs.Field(QStringLiteral("Profile")).toString(), QStringLiteral("D'Artagnan"));
    rs.Delete();
    EXPECT_EQ(rs.RecordCount(), 3);
    EXPECT_EQ(cnx().valeurUnique(QStringLiteral("SELECT COUNT(*) FROM ProfileQuota")).toLongLong(), 3);

    // A row deleted underneath cannot be updated silently.
    rs.MoveFirst();
    cnx().executer(QStringLiteral("DELETE FROM ProfileQuota WHERE NoQuota = ?"),
                   {rs.Field(QStringLiteral("NoQuota"))});
    rs.SetField(QStringLiteral("Profile"), QStringLiteral("X"));
    EXPECT_THROW(rs.Update(), ErreurExecution);

    // A query without a table to write to is read-only.
    Recordset lecture;
    lecture.Open(cnx(), QStringLiteral("SELECT COUNT(*) AS n FROM Sites"));
    EXPECT_THROW(lecture.SetField(QStringLiteral("n"), 2), ErreurExecution);
}

TEST_P(RecordsetBase, ADeleteThatTakesNoRowOutFailsAndKeepsTheRow) {
    // SQLite lets a text key be Null; PostgreSQL refuses it, so there only the row deleted underneath.
    QStringList libelles{QStringLiteral("parti")};
    if (cnx().estSQLite()) {
        cnx().executer(
            QStringLiteral("INSERT INTO ListeNoAffaire (NoAffaire, Libelle) VALUES (NULL, 'sans')"));
        libelles << QStringLiteral("sans");
    }
    cnx().executer(QStringLiteral("INSERT INTO ListeNoAffaire (NoAffaire, Libelle) VALUES ('A1', 'parti')"));
    Recordset rs;
    rs.Open(cnx(), QStringLiteral("ListeNoAffaire order by Libelle"));
    RecordsetModel modele(&rs);
    cnx().executer(QStringLiteral("DELETE FROM ListeNoAffaire WHERE NoAffaire = 'A1'"));
    for (const QString& libelle : libelles) {
        ASSERT_TRUE(rs.Find(QStringLiteral("Libelle"), Recordset::Comparaison::Egal, libelle,
                            Recordset::Depart::Premier));
        EXPECT_THROW(rs.Delete(), ErreurExecution) << libelle.toStdString();
        EXPECT_EQ(modele.rowCount(), libelles.size());
        EXPECT_EQ(rs.Field(QStringLiteral("Libelle")).toString(), libelle);
    }
    EXPECT_EQ(cnx().valeurUnique(QStringLiteral("SELECT COUNT(*) FROM ListeNoAffaire")).toLongLong(),
              libelles.size() - 1);
}

TEST_P(RecordsetBase, ModelShowsRowsAndSortsOnHeaderClick) {
    Recordset rs;
    RecordsetModel modele(&rs);
    // Every change below is checked for what it announces, before and after.
    QAbstractItemModelTester testeur(&modele, QAbstractItemModelTester::FailureReportingMode::Fatal);
    rs.Open(cnx(), QStringLiteral("GrUtilisateur"));
    modele.setColonnes({QStringLiteral("NoBadge"), QStringLiteral("Nom")},
                       {QStringLiteral("No Badge"), QStringLiteral("Nom")});
    EXPECT_EQ(modele.rowCount(), 7);
    EXPECT_EQ(modele.columnCount(), 2);
    EXPECT_EQ(modele.headerData(0, Qt::Horizontal).toString(), QStringLiteral("No Badge"));
    modele.sort(1, Qt::DescendingOrder);
    EXPECT_EQ(modele.data(modele.index(0, 1)).toString(), QStringLiteral("Zoé"));
    // A cell a view holds follows its row through a sort.
    const QPersistentModelIndex zoe = modele.index(0, 0);
    modele.sort(1, Qt::AscendingOrder);
    EXPECT_EQ(modele.data(modele.index(0, 1)).toString(), QStringLiteral("abel"));
    EXPECT_EQ(modele.data(modele.index(0, 0)).toString(), QStringLiteral("B-abel"));
    EXPECT_EQ(zoe.row(), 6);
    EXPECT_EQ(zoe.data().toString(), QStringLiteral("B-Zoé"));

    // A translated caption replaces the designed one and survives a sort; a column out of range is refused.
    EXPECT_TRUE(modele.setHeaderData(1, Qt::Horizontal, QStringLiteral("Naam")));
    modele.sort(0, Qt::AscendingOrder);
    EXPECT_EQ(modele.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Naam"));
    EXPECT_EQ(modele.headerData(0, Qt::Horizontal).toString(), QStringLiteral("No Badge"));
    EXPECT_FALSE(modele.setHeaderData(5, Qt::Horizontal, QStringLiteral("x")));

    // Adding, editing, deleting, filtering, reading again, closing: rows announced one by one where they can
    // be.
    QSignalSpy insertions(&modele, &QAbstractItemModel::rowsInserted);
    QSignalSpy suppressions(&modele, &QAbstractItemModel::rowsRemoved);
    QSignalSpy remises(&modele, &QAbstractItemModel::modelReset);
    rs.Open(cnx(), QStringLiteral("ProfileQuota order by Profile"));
    modele.setColonnes({});
    rs.AddNew();
    rs.SetField(QStringLiteral("Profile"), QStringLiteral("Zeta"));
    rs.Update();
    ASSERT_EQ(insertions.count(), 1);
    const int nouvelle = modele.rowCount() - 1;
    const QModelIndex cellule = modele.index(nouvelle, rs.FieldIndex(QStringLiteral("Profile")));
    EXPECT_FALSE(modele.flags(cellule) & Qt::ItemIsEditable);
    modele.setModifiable(true);
    EXPECT_TRUE(modele.flags(cellule) & Qt::ItemIsEditable);
    EXPECT_TRUE(modele.setData(cellule, QStringLiteral("Alpha")));
    EXPECT_EQ(cnx()
                  .valeurUnique(QStringLiteral("SELECT COUNT(*) FROM ProfileQuota WHERE Profile = ?"),
                                {QStringLiteral("Alpha")})
                  .toLongLong(),
              1);
    {
        // A refused write is shown; the cell keeps what the database holds.
        ServiceDialogueScripte dialogue;
        dialogue.attendreMessageContenant(QStringLiteral("ProfileQuota"));
        dialogue.attendreMessageContenant(QStringLiteral("Valeur incorrecte"));
        EXPECT_FALSE(modele.setData(cellule, QStringLiteral("chef")));
        EXPECT_EQ(cellule.data().toString(), QStringLiteral("Alpha"));
        EXPECT_FALSE(modele.setData(modele.index(nouvelle, rs.FieldIndex(QStringLiteral("NoQuota"))),
                                    QStringLiteral("douze")));
    }
    modele.setColonneVerrouillee(cellule.column(), true);
    EXPECT_FALSE(modele.flags(cellule) & Qt::ItemIsEditable);
    rs.MoveTo(nouvelle);
    rs.Delete();
    EXPECT_EQ(suppressions.count(), 1);
    EXPECT_EQ(remises.count(), 2); // the open, and setColonnes
    rs.Filter([](const LigneRecordset& l) { return l[QStringLiteral("NoQuota")].toLongLong() > 1; });
    rs.Requery();
    EXPECT_EQ(modele.rowCount(), 2);
    rs.Close();
    EXPECT_EQ(modele.rowCount(), 0);
    EXPECT_EQ(remises.count(), 5);
}

TEST_P(RecordsetBase, SourcesOrderInFrenchAndLiteralSearches) {
    Recordset rs;
    // A name with an order: French order, ties by the next field; writes still go to the table.
    rs.Open(cnx(), QStringLiteral("Utilisateurs order by Nom desc, IdUtilisateur"));
    EXPECT_EQ(colonne(rs, QStringLiteral("Nom")),
              QStringList({"Zoé", "eve", "Émile", "élodie", "ÉLODIE", "elodie", "abel"}));
    rs.MoveFirst();
    rs.SetField(QStringLiteral("Prenom"), QStringLiteral("y"));
    rs.Update();
    // A query's closing ORDER BY is made in memory too (both backends would put accented names last).
    rs.Open(cnx(), QStringLiteral("SELECT Nom FROM Utilisateurs WHERE Prenom = ? ORDER BY Utilisateurs.Nom"),
            {QStringLiteral("x")});
    const QStringList noms = colonne(rs, QStringLiteral("Nom"));
    ASSERT_EQ(noms.size(), 6);
    EXPECT_EQ(noms.mid(0, 2), QStringList({"abel", "elodie"}));
    EXPECT_EQ(noms.mid(4), QStringList({"Émile", "eve"}));
    EXPECT_THROW(rs.Open(cnx(), QStringLiteral("Utilisateurs order by Nom; DELETE FROM Sites")),
                 ErreurExecution);
    EXPECT_FALSE(rs.IsOpen());
    EXPECT_THROW(rs.Open(cnx(), QStringLiteral("Utilisateurs order by Inconnu")), ErreurExecution);

    // Literal searches: a typed "*", "%", "_" or quote is a character like any other; case is ignored,
    // accents are not; numbers are searched by their digits.
    for (const char* n : {"O'Neil*", "O'Neilson", "50%_remise", "50 francs"})
        cnx().executer(QStringLiteral("INSERT INTO Utilisateurs (Nom) VALUES (?)"), {QString::fromUtf8(n)});
    rs.Open(cnx(), QStringLiteral("Utilisateurs order by IdUtilisateur"));
    using C = Recordset::Comparaison;
    const auto trouve = [&](C c, const char* valeur) {
        return rs.Find(QStringLiteral("Nom"), c, QString::fromUtf8(valeur), Recordset::Depart::Premier)
                   ? rs.Field(QStringLiteral("Nom")).toString()
                   : QString();
    };
    EXPECT_EQ(trouve(C::CommencePar, "o'neil*"), QStringLiteral("O'Neil*"));
    EXPECT_EQ(trouve(C::EgalTexte, "o'NEIL*"), QStringLiteral("O'Neil*"));
    EXPECT_EQ(trouve(C::EgalTexte, "o'neil"), QString());
    EXPECT_EQ(trouve(C::Comme, "*SON"), QStringLiteral("O'Neilson"));
    // In a Comme pattern "%" is a wildcard as "*" is; "_" stays a character.
    EXPECT_EQ(trouve(C::Comme, "%son"), QStringLiteral("O'Neilson"));
    EXPECT_EQ(trouve(C::Comme, "50%remise"), QStringLiteral("50%_remise"));
    EXPECT_EQ(trouve(C::Comme, "50_remise"), QString());
    EXPECT_EQ(trouve(C::Comme, "5_%"), QString());
    // A plain beginning or a plain part, as search boxes type them.
    EXPECT_EQ(trouve(C::Comme, "o'neil*"), QStringLiteral("O'Neil*"));
    EXPECT_EQ(trouve(C::Comme, "o'neils*"), QStringLiteral("O'Neilson"));
    EXPECT_EQ(trouve(C::Comme, "50_*"), QString());
    EXPECT_EQ(trouve(C::Comme, "*NEILS*"), QStringLiteral("O'Neilson"));
    EXPECT_EQ(trouve(C::Comme, "*_REM*"), QStringLiteral("50%_remise"));
    EXPECT_EQ(trouve(C::Comme, "*L*"), QStringLiteral("Émile"));
    EXPECT_EQ(trouve(C::CommencePar, "50%_"), QStringLiteral("50%_remise"));
    EXPECT_EQ(trouve(C::CommencePar, "50_"), QString());
    EXPECT_EQ(trouve(C::CommencePar, "éL"), QStringLiteral("élodie"));
    rs.MoveNext();
    ASSERT_TRUE(rs.Find(QStringLiteral("Nom"), C::CommencePar, QStringLiteral("éL")));
    EXPECT_EQ(rs.Field(QStringLiteral("Nom")).toString(), QStringLiteral("ÉLODIE"));
    ASSERT_TRUE(rs.Find(QStringLiteral("IdUtilisateur"), C::CommencePar, QStringLiteral("1"),
                        Recordset::Depart::Premier));
    rs.MoveNext();
    ASSERT_TRUE(rs.Find(QStringLiteral("IdUtilisateur"), C::CommencePar, QStringLiteral("1")));
    EXPECT_EQ(rs.Field(QStringLiteral("IdUtilisateur")).toLongLong(), 10);
}

TEST_P(RecordsetBase, MoneyReadsRoundsAndShowsAlikeOnBothBackends) {
    Global().SeparateurDecimal = QStringLiteral(",");
    Recordset rs;
    rs.Open(cnx(), QStringLiteral("ArticleEnStock"));
    const int prix = rs.FieldIndex(QStringLiteral("PrixAchatUnit"));
    EXPECT_EQ(rs.FieldType(prix), Valeurs::TypeColonne::Monnaie);
    rs.AddNew();
    rs.SetField(QStringLiteral("Reference"), 1);
    rs.SetField(QStringLiteral("Designation"), QStringLiteral("Gant"));
    rs.SetField(QStringLiteral("QteEnStock"), 3);
    rs.SetField(QStringLiteral("PrixAchatUnit"), 1234.5);
    rs.Update();
    // Written rounded to 4 decimals, and held as written.
    rs.SetField(QStringLiteral("PrixAchatUnit"), 0.123456);
    rs.Update();
    EXPECT_EQ(rs.Field(prix).metaType().id(), QMetaType::Double);
    EXPECT_DOUBLE_EQ(rs.Field(prix).toDouble(), 0.1235);
    EXPECT_DOUBLE_EQ(
        cnx().valeurUnique(QStringLiteral("SELECT PrixAchatUnit FROM ArticleEnStock")).toDouble(), 0.1235);

    rs.SetField(QStringLiteral("PrixAchatUnit"), 1234.5);
    rs.SetField(QStringLiteral("DateCreation"), QDateTime(QDate(2024, 3, 9), QTime(0, 0)));
    rs.Update();
    rs.Requery();
    RecordsetModel modele(&rs);
    modele.setColonnes({QStringLiteral("Designation"), QStringLiteral("PrixAchatUnit"),
                        QStringLiteral("QteEnStock"), QStringLiteral("DateCreation")});
    modele.setFormat(2, RecordsetModel::Format::Decimal, 1);
    const auto texte = [&](int c) { return modele.data(modele.index(0, c)).toString(); };
    EXPECT_EQ(texte(1), QString::fromUtf8("1\u00a0234,50\u00a0€"));
    EXPECT_EQ(texte(2), QStringLiteral("3,0"));
    EXPECT_EQ(texte(3), QStringLiteral("09/03/2024"));
    EXPECT_EQ(modele.data(modele.index(0, 1), Qt::EditRole).toString(), QStringLiteral("1234,5"));
    const auto alignement = [&](int c) {
        return modele.data(modele.index(0, c), Qt::TextAlignmentRole).toInt() & Qt::AlignHorizontal_Mask;
    };
    EXPECT_EQ(alignement(0), Qt::AlignLeft);
    EXPECT_EQ(alignement(1), Qt::AlignRight);
    EXPECT_EQ(alignement(2), Qt::AlignRight);
}

TEST_P(RecordsetBase, DatesOtherProgramsWroteReadAsTheySayOrNull) {
    // What another program may have left in a date column. PostgreSQL's timestamp refuses the garbage
    // itself: those rows are SQLite's only.
    const QDateTime dix(QDate(2026, 3, 1), QTime(10, 0));
    const struct {
        const char* texte;
        QDateTime lu;
        bool sqliteSeulement;
    } cas[] = {
        {"2026-03-01 10:00:00", dix, false},
        {"2026-03-01T10:00:00", dix, false},
        {"2026-03-01 10:00:00.000", dix, false},
        {"2026-03-01", QDateTime(QDate(2026, 3, 1), QTime(0, 0)), false},
        {"2026-03-01 10:00", dix, false},
        {"2026-03-01 10:00:00+01:00", dix, true},
        {"2026-02-30 10:00:00", {}, true},
        {"01/03/2026 10:00:00", {}, true},
        {"2026-03-01 25:00:00", {}, true},
        {"2026-03-01xyz", {}, true},
        {"n'importe quoi", {}, true},
        {"", {}, true},
    };
    QList<QDateTime> attendus;
    for (const auto& c : cas) {
        if (c.sqliteSeulement && !cnx().estSQLite())
            continue;
        cnx().executer(QStringLiteral("INSERT INTO Ventes (LaDate, Utilisateur) VALUES (?, ?)"),
                       {QString::fromUtf8(c.texte), QString::fromUtf8(c.texte)});
        attendus << c.lu;
    }
    Recordset rs;
    rs.Open(cnx(), QStringLiteral("Ventes order by NumVente"));
    ASSERT_EQ(rs.RecordCount(), attendus.size());
    const int date = rs.FieldIndex(QStringLiteral("LaDate"));
    for (int i = 0; i < attendus.size(); ++i) {
        const QVariant v = rs.ValueAt(i, date);
        const std::string texte =
            rs.ValueAt(i, rs.FieldIndex(QStringLiteral("Utilisateur"))).toString().toStdString();
        EXPECT_EQ(v.metaType().id(), QMetaType::QDateTime) << texte;
        EXPECT_EQ(v.isNull(), !attendus.at(i).isValid()) << texte;
        if (attendus.at(i).isValid()) {
            EXPECT_EQ(v.toDateTime(), attendus.at(i)) << texte;
        }
    }
    // Sorting, searching and filtering see the same values: no date first, then in order.
    const QVariant signet = rs.BookmarkAt(attendus.size() - 1);
    rs.Sort(QStringLiteral("LaDate"));
    const int nuls = static_cast<int>(std::count(attendus.begin(), attendus.end(), QDateTime()));
    for (int i = 0; i < nuls; ++i)
        EXPECT_TRUE(rs.ValueAt(i, date).isNull()) << i;
    EXPECT_EQ(rs.ValueAt(nuls, date).toDateTime(), QDateTime(QDate(2026, 3, 1), QTime(0, 0)));
    EXPECT_EQ(rs.ValueAt(rs.RecordCount() - 1, date).toDateTime(), dix);
    ASSERT_TRUE(
        rs.Find(QStringLiteral("LaDate"), Recordset::Comparaison::Egal, dix, Recordset::Depart::Premier));
    EXPECT_EQ(rs.AbsolutePosition(), nuls + 1);
    ASSERT_TRUE(rs.Find(QStringLiteral("LaDate"), Recordset::Comparaison::Superieur,
                        QDateTime(QDate(2026, 3, 1), QTime(0, 0)), Recordset::Depart::Premier));
    EXPECT_EQ(rs.AbsolutePosition(), nuls + 1);
    EXPECT_FALSE(rs.Find(QStringLiteral("LaDate"), Recordset::Comparaison::Superieur, dix,
                         Recordset::Depart::Premier));
    ASSERT_TRUE(rs.Find(QStringLiteral("LaDate"), Recordset::Comparaison::InferieurOuEgal, dix,
                        Recordset::Depart::Dernier, Recordset::Direction::Arriere));
    EXPECT_EQ(rs.AbsolutePosition(), rs.RecordCount() - 1);
    // A row without a date differs from every date.
    ASSERT_TRUE(rs.Find(QStringLiteral("LaDate"), Recordset::Comparaison::Different, dix,
                        Recordset::Depart::Premier));
    EXPECT_EQ(rs.AbsolutePosition(), 0);
    // A bookmark is found again after the sort and after a row above it is deleted.
    const int position = rs.PositionOf(signet);
    ASSERT_GE(position, 1);
    EXPECT_EQ(rs.BookmarkAt(position), signet);
    rs.MoveFirst();
    rs.Delete();
    EXPECT_EQ(rs.PositionOf(signet), position - 1);
    rs.Filter([](const LigneRecordset& l) { return !l[QStringLiteral("ladate")].isNull(); });
    EXPECT_EQ(rs.RecordCount(), attendus.size() - nuls - (nuls == 0 ? 1 : 0));
}

TEST_P(RecordsetBase, DatesReadTheSameWithOrWithoutATimeZone) {
    // Winter, summer, the night summer time begins (02:30 does not exist in Paris: a clock that does not
    // change wrote it) and the night it ends (02:30 comes twice).
    const QStringList textes = {"2024-01-15 08:00:00", "2024-07-14 23:59:59", "2024-03-31 02:30:00",
                                "2024-03-31 03:30:00", "2024-10-27 02:30:00", "2024-10-27 01:59:59"};
    for (const QString& t : textes)
        cnx().executer(QStringLiteral("INSERT INTO Ventes (LaDate, Utilisateur) VALUES (?, ?)"), {t, t});
    const QByteArray tzAvant = qgetenv("TZ");
    const auto lire = [&](const char* tz) {
        if (tz)
            qputenv("TZ", tz);
        else
            qunsetenv("TZ");
        tzset();
        Recordset rs;
        rs.Open(cnx(), QStringLiteral("SELECT Utilisateur, LaDate FROM Ventes ORDER BY LaDate"));
        QStringList lus;
        for (int i = 0; i < rs.RecordCount(); ++i)
            lus << rs.ValueAt(i, 0).toString() + QStringLiteral(" -> ") +
                       Valeurs::texteDate(rs.ValueAt(i, 1).toDateTime());
        return lus;
    };
    const QStringList sansZone = lire(nullptr), paris = lire("Europe/Paris");
    if (tzAvant.isEmpty())
        qunsetenv("TZ");
    else
        qputenv("TZ", tzAvant);
    tzset();
    EXPECT_EQ(paris, sansZone);
    QStringList ordre = textes;
    ordre.sort();
    QStringList attendu;
    for (const QString& t : ordre)
        attendu << t + QStringLiteral(" -> ") + t;
    EXPECT_EQ(sansZone, attendu);
}

TEST_P(RecordsetBase, TextFiltersAndSearchesAnswerAsCaseBlindComparisonsThroughWritesAndReads) {
    // Letters whose case folding is not a plain lower case: the sharp s (folds to itself), final sigma,
    // the DŽ digraph, a letter beyond the 16-bit plane (Deseret); Null and empty names.
    for (const char* n : {"Straße", "ΣΊΣΥΦΟΣ", "σίσυφος", "Ǆuro", "\U00010400dam", "50%_remise", ""})
        cnx().executer(QStringLiteral("INSERT INTO Utilisateurs (Nom) VALUES (?)"), {QString::fromUtf8(n)});
    cnx().executer(QStringLiteral("INSERT INTO Utilisateurs (Nom) VALUES (NULL)"));
    EXPECT_EQ(Valeurs::plierCasse(QStringLiteral("ÉLODIE")), QStringLiteral("élodie"));
    EXPECT_EQ(Valeurs::plierCasse(QString::fromUtf8("\U00010400Σς")), QString::fromUtf8("\U00010428σσ"));
    const QString seul = QString(QChar(0xD801)) + u'A'; // a lone surrogate stays as it is
    EXPECT_EQ(Valeurs::plierCasse(seul), QString(QChar(0xD801)) + u'a');

    Recordset rs;
    rs.Open(cnx(), QStringLiteral("Utilisateurs"));
    rs.Sort(QStringLiteral("Nom"));
    const int nom = rs.FieldIndex(QStringLiteral("Nom"));
    const QStringList textes = {"",  "é", "É",          "L",  "lodie", "ß", "SS",  "σ",   "Σ",      "ς",
                                "ǆ", "ǅ", "\U00010428", "%_", "50%",   "x", "ZOÉ", "zoe", "ΣΊΣΥΦΟΣ"};
    // What Qt's own case-blind comparison answers, row by row, in the list's order.
    const auto attendus = [&](const QString& texte) {
        rs.Filter([&](const LigneRecordset& l) {
            const QVariant& v = l.valeur(nom);
            return !v.isNull() && v.toString().contains(texte, Qt::CaseInsensitive);
        });
        return colonne(rs, QStringLiteral("Nom"));
    };
    const auto filtre = [&](const QString& texte) {
        rs.Filter(Recordset::Contient{nom, texte});
        return colonne(rs, QStringLiteral("Nom"));
    };
    using C = Recordset::Comparaison;
    // The first position from the top whose name compares true, as Qt compares.
    const auto premier = [&](C c, const QString& texte) {
        for (int i = 0; i < rs.RecordCount(); ++i) {
            const QVariant v = rs.ValueAt(i, nom);
            if (v.isNull())
                continue;
            const QString t = v.toString();
            if (c == C::CommencePar ? t.startsWith(texte, Qt::CaseInsensitive)
                                    : t.compare(texte, Qt::CaseInsensitive) == 0)
                return i;
        }
        return -1;
    };
    const auto trouve = [&](C c, const QString& texte) {
        return rs.Find(QStringLiteral("Nom"), c, texte, Recordset::Depart::Premier) ? rs.AbsolutePosition()
                                                                                    : -1;
    };
    const auto verifier = [&](const char* quand) {
        for (const QString& texte : textes) {
            const QStringList qt = attendus(texte);
            EXPECT_EQ(filtre(texte), qt) << quand << ": " << texte.toStdString();
            rs.Filter(nullptr);
            for (C c : {C::CommencePar, C::EgalTexte})
                EXPECT_EQ(trouve(c, texte), premier(c, texte)) << quand << ": " << texte.toStdString();
            EXPECT_EQ(trouve(C::Comme, u'*' + texte + u'*'),
                      qt.isEmpty() ? -1 : premier(C::CommencePar, qt.first()))
                << quand << ": " << texte.toStdString();
        }
    };
    verifier("read");
    EXPECT_EQ(filtre(QString()).size(), 14) << "every name but the Null one";

    // Written, added, deleted: the filters and searches see the rows as they now are.
    rs.Filter(nullptr);
    ASSERT_TRUE(
        rs.Find(QStringLiteral("Nom"), C::EgalTexte, QStringLiteral("eve"), Recordset::Depart::Premier));
    rs.SetField(QStringLiteral("Nom"), QStringLiteral("Mélodie"));
    rs.Update();
    rs.AddNew();
    rs.SetField(QStringLiteral("Nom"), QStringLiteral("XLODIEX"));
    rs.Update();
    ASSERT_TRUE(
        rs.Find(QStringLiteral("Nom"), C::EgalTexte, QStringLiteral("abel"), Recordset::Depart::Premier));
    rs.Delete();
    EXPECT_FALSE(
        rs.Find(QStringLiteral("Nom"), C::EgalTexte, QStringLiteral("eve"), Recordset::Depart::Premier));
    EXPECT_TRUE(rs.Find(QStringLiteral("Nom"), C::Comme, QStringLiteral("m*"), Recordset::Depart::Premier));
    EXPECT_EQ(filtre(QStringLiteral("LODIE")),
              QStringList({"elodie", "élodie", "ÉLODIE", "Mélodie", "XLODIEX"}));
    verifier("written");

    // A read keeps the filter; one sorted afresh sorts the rows read, keeps the current row and, when it
    // fails, leaves rows and sort as they were.
    cnx().executer(QStringLiteral("INSERT INTO Utilisateurs (Nom) VALUES ('Zlodie')"));
    rs.Requery();
    EXPECT_TRUE(colonne(rs, QStringLiteral("Nom")).contains(QStringLiteral("Zlodie")));
    rs.Filter(nullptr);
    ASSERT_TRUE(
        rs.Find(QStringLiteral("Nom"), C::EgalTexte, QStringLiteral("Zoé"), Recordset::Depart::Premier));
    cnx().executer(QStringLiteral("INSERT INTO Utilisateurs (Nom) VALUES ('Aaron')"));
    rs.Requery(QStringLiteral("IdUtilisateur"), Recordset::Ordre::Decroissant);
    EXPECT_EQ(rs.SortField(), QStringLiteral("IdUtilisateur"));
    EXPECT_EQ(rs.ValueAt(0, nom).toString(), QStringLiteral("Aaron"));
    EXPECT_EQ(rs.Field(QStringLiteral("Nom")).toString(), QStringLiteral("Zoé"));
    EXPECT_GT(rs.ValueAt(0, 0).toLongLong(), rs.ValueAt(1, 0).toLongLong());
    verifier("sorted by number");
    ASSERT_TRUE(
        rs.Find(QStringLiteral("Nom"), C::EgalTexte, QStringLiteral("Zoé"), Recordset::Depart::Premier));
    rs.Requery(QStringLiteral("Nom"));
    Recordset trie;
    trie.Open(cnx(), QStringLiteral("Utilisateurs"));
    trie.Sort(QStringLiteral("Nom"));
    EXPECT_EQ(colonne(rs, QStringLiteral("Nom")), colonne(trie, QStringLiteral("Nom")));
    EXPECT_EQ(rs.Field(QStringLiteral("Nom")).toString(), QStringLiteral("Zoé"));
    verifier("read again");
    rs.MoveFirst();
    const QVariant courant = rs.Field(QStringLiteral("IdUtilisateur"));
    EXPECT_THROW(rs.Requery(QStringLiteral("Inconnu")), ErreurExecution);
    cnx().executer(QStringLiteral("DROP VIEW GrUtilisateur"));
    cnx().executer(QStringLiteral("DROP TABLE Utilisateurs"));
    const int lignes = rs.RecordCount();
    EXPECT_THROW(rs.Requery(QStringLiteral("IdUtilisateur")), ErreurExecution);
    EXPECT_EQ(rs.SortField(), QStringLiteral("Nom"));
    EXPECT_EQ(rs.RecordCount(), lignes);
    EXPECT_EQ(rs.Field(QStringLiteral("IdUtilisateur")), courant);
}

DORVANE_SUR_CHAQUE_BASE(RecordsetBase);

// Column captions of a grid come from section Grid by the key of (form, grid, column), only for the
// captions the key table translates, and only in a foreign language.
TEST(RecordsetModel, GridCaptionsReadByTheirKey) {
    for (const MODTranslate::LibelleGrille& l : MODTranslate::TableLibellesGrille())
        EXPECT_EQ(MODTranslate::CleTexteGrille(l.forme, l.grille, l.colonne), l.cle) << l.cle.toStdString();
    EXPECT_EQ(MODTranslate::CleTexteGrille(QStringLiteral("FrmUtilisateur"), QStringLiteral("DBGrid1"), 6),
              QString());
    EXPECT_EQ(MODTranslate::CleTexteGrille(QStringLiteral("FrmInconnue"), QStringLiteral("DBGrid1"), 0),
              QString());

    QTemporaryDir dossier;
    const QString fichier = dossier.filePath(QStringLiteral("nederlands.lng"));
    QFile f(fichier);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[Grid]\r\nFrmStock.DBGrid2.Columns(1).Caption=Ref. leverancier\r\n"
            "FrmStock.DBGrid2.Columns(11).Caption=Alarm\r\n"
            "FrmConfigMachine.DataGrid1.Columns(1).Caption=Soort\r\n");
    f.close();
    EtatGlobal& g = Global();
    const QString langue = g.LangueCourante, ancien = g.FichierLangue;
    g.LangueCourante = QStringLiteral("NL");
    g.FichierLangue = fichier;
    Recordset rs;
    RecordsetModel stock(&rs);
    stock.setColonnes(QStringList(13, QStringLiteral("x")), {"Réference", "Ref. Fournisseur"});
    EXPECT_EQ(stock.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Ref. Fournisseur"));
    stock.setGrille(QStringLiteral("FrmStock"), QStringLiteral("DBGrid2"));
    EXPECT_EQ(stock.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Ref. leverancier"));
    EXPECT_EQ(stock.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Réference"));
    EXPECT_EQ(stock.headerData(11, Qt::Horizontal).toString(), QStringLiteral("Alarm"));
    EXPECT_EQ(stock.headerData(12, Qt::Horizontal).toString(), QStringLiteral("x")); // not in the key table
    RecordsetModel casier(&rs);
    casier.setColonnes(QStringList(4, QStringLiteral("x")), {"Numéro", "Type"});
    casier.setGrille(QStringLiteral("FrmConfigMachineCasier"), QStringLiteral("DataGrid1"));
    EXPECT_EQ(casier.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Soort"));
    g.LangueCourante = QStringLiteral("FR");
    EXPECT_EQ(stock.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Ref. Fournisseur"));
    g.LangueCourante = langue;
    g.FichierLangue = ancien;
}

// A sort by text orders exactly as the collator compares (accents, case, blanks, Null first), through keys
// made once per row and kept: a sort again, or after rows were written, added, deleted or read again,
// makes the keys of the changed rows only, and a changed row takes its new place.
TEST_P(RecordsetBase, TextSortsOrderAsTheCollatorAndMakeKeysOnlyForChangedRows) {
    for (const QVariant& nom : {QVariant(QStringLiteral("Élodie")), QVariant(QStringLiteral("Eric")),
                                QVariant(QStringLiteral("Eric ")), QVariant(QStringLiteral(" Eric")),
                                QVariant(QStringLiteral("El odie")), QVariant(QStringLiteral("eric")),
                                QVariant(QMetaType::fromType<QString>())})
        cnx().executer(QStringLiteral("INSERT INTO Utilisateurs (Nom) VALUES (?)"), {nom});
    Recordset rs;
    rs.Open(cnx(), QStringLiteral("SELECT * FROM Utilisateurs ORDER BY IdUtilisateur NULLS FIRST"), {},
            QStringLiteral("Utilisateurs"));
    const auto lus = [&] {
        // The names as the database holds them, in the order read.
        QVariantList v;
        QSqlQuery q = cnx().executer(QStringLiteral("SELECT Nom FROM Utilisateurs ORDER BY IdUtilisateur"));
        while (q.next())
            v << (q.value(0).isNull() ? QVariant() : QVariant(q.value(0).toString()));
        return v;
    };
    const auto noms = [&] {
        QStringList l;
        for (int i = 0; i < rs.RecordCount(); ++i)
            l << texteOuNul(rs.ValueAt(i, rs.FieldIndex(QStringLiteral("Nom"))));
        return l;
    };
    // Held in the order SQL gave (numbers): no sort made.
    EXPECT_EQ(rs.TravailFait().tris, 0);
    EXPECT_EQ(rs.SortField(), QStringLiteral("IdUtilisateur"));
    rs.Sort(QStringLiteral("Nom"));
    EXPECT_EQ(noms(), ordreFrancais(lus()));
    EXPECT_EQ(rs.TravailFait().clesCalculees, 13); // every name but the Null
    rs.Sort(QStringLiteral("Nom"), Recordset::Ordre::Decroissant);
    EXPECT_EQ(noms(), ordreFrancais(lus(), true));
    rs.Sort(QStringLiteral("IdUtilisateur"));
    rs.Sort(QStringLiteral("Nom"));
    EXPECT_EQ(rs.TravailFait().clesCalculees, 13);
    EXPECT_GT(rs.OctetsClesCollation(), 0);

    // A row written: its key alone is made again.
    ASSERT_TRUE(rs.Find(QStringLiteral("Nom"), Recordset::Comparaison::EgalTexte, QStringLiteral("Zoé"),
                        Recordset::Depart::Premier));
    rs.SetField(QStringLiteral("Nom"), QStringLiteral("Aaron"));
    rs.Update();
    rs.Sort(QStringLiteral("Nom"));
    EXPECT_EQ(noms(), ordreFrancais(lus()));
    EXPECT_EQ(rs.TravailFait().clesCalculees, 14);
    // Added, then deleted.
    rs.AddNew();
    rs.SetField(QStringLiteral("Nom"), QStringLiteral("Émilie"));
    rs.Update();
    rs.Sort(QStringLiteral("Nom"));
    EXPECT_EQ(noms(), ordreFrancais(lus()));
    EXPECT_EQ(rs.TravailFait().clesCalculees, 15);
    ASSERT_TRUE(rs.Find(QStringLiteral("Nom"), Recordset::Comparaison::EgalTexte, QStringLiteral("Eric "),
                        Recordset::Depart::Premier));
    rs.Delete();
    rs.Sort(QStringLiteral("Nom"), Recordset::Ordre::Decroissant);
    EXPECT_EQ(noms(), ordreFrancais(lus(), true));
    EXPECT_EQ(rs.TravailFait().clesCalculees, 15);
    // Read again after another workstation renamed one: that row's key alone.
    cnx().executer(QStringLiteral("UPDATE Utilisateurs SET Nom = ? WHERE Nom = ?"),
                   {QStringLiteral("Yves"), QStringLiteral("abel")});
    rs.Requery();
    EXPECT_EQ(noms(), ordreFrancais(lus(), true));
    EXPECT_EQ(rs.TravailFait().clesCalculees, 16);
}
