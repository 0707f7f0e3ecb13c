#include "BaseDeTest.h"

#include "common/ErreurExecution.h"
#include "db/Connexion.h"
#include "db/Recordset.h"
#include "db/RecordsetModel.h"

#include <QSignalSpy>
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
    ASSERT_TRUE(rs.Find(QStringLiteral("Nom"), Recordset::Comparaison::Egal, QStringLiteral("Zoé"),
                        Recordset::Depart::Premier));
    const QVariant signet = rs.Bookmark();
    rs.MoveFirst();
    rs.SetBookmark(signet);
    EXPECT_EQ(rs.Field(QStringLiteral("Nom")).toString(), QStringLiteral("Zoé"));
    // Another connection adds a row before it; requery shows it and stays on Zoé.
    cnx().executer(QStringLiteral("DELETE FROM Utilisateurs WHERE Nom = ?"), {QStringLiteral("abel")});
    cnx().executer(QStringLiteral("INSERT INTO Utilisateurs (Nom) VALUES (?)"), {QStringLiteral("Yves")});
    rs.Requery();
    EXPECT_EQ(rs.RecordCount(), 7);
    EXPECT_EQ(rs.Field(QStringLiteral("Nom")).toString(), QStringLiteral("Zoé"));
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
    rs.SetField(QStringLiteral("Profile"), QStringLiteral("D'Artagnan"));
    rs.Update();
    EXPECT_EQ(
        cnx()
            .valeurUnique(QStringLiteral("SELECT Profile FROM ProfileQuota WHERE NoQuota = ?"), {numero})
            .toString(),
        QStringLiteral("D'Artagnan"));
    // A refused write leaves the row in edition and the database as it was.
    rs.SetField(QStringLiteral("Profile"), QStringLiteral("chef"));
    EXPECT_THROW(rs.Update(), ErreurExecution);
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

TEST_P(RecordsetBase, ModelShowsRowsAndSortsOnHeaderClick) {
    Recordset rs;
    rs.Open(cnx(), QStringLiteral("GrUtilisateur"));
    RecordsetModel modele(&rs);
    modele.setColonnes({QStringLiteral("NoBadge"), QStringLiteral("Nom")},
                       {QStringLiteral("No Badge"), QStringLiteral("Nom")});
    EXPECT_EQ(modele.rowCount(), 7);
    EXPECT_EQ(modele.columnCount(), 2);
    EXPECT_EQ(modele.headerData(0, Qt::Horizontal).toString(), QStringLiteral("No Badge"));
    modele.sort(1, Qt::DescendingOrder);
    EXPECT_EQ(modele.data(modele.index(0, 1)).toString(), QStringLiteral("Zoé"));
    modele.sort(1, Qt::AscendingOrder);
    EXPECT_EQ(modele.data(modele.index(0, 1)).toString(), QStringLiteral("abel"));
    EXPECT_EQ(modele.data(modele.index(0, 0)).toString(), QStringLiteral("B-abel"));

    // A translated caption replaces the designed one and survives a sort; a column out of range is refused.
    EXPECT_TRUE(modele.setHeaderData(1, Qt::Horizontal, QStringLiteral("Naam")));
    modele.sort(0, Qt::AscendingOrder);
    EXPECT_EQ(modele.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Naam"));
    EXPECT_EQ(modele.headerData(0, Qt::Horizontal).toString(), QStringLiteral("No Badge"));
    EXPECT_FALSE(modele.setHeaderData(5, Qt::Horizontal, QStringLiteral("x")));
}

DORVANE_SUR_CHAQUE_BASE(RecordsetBase);
