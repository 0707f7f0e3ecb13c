#include "BaseDeTest.h"

#include "db/Valeurs.h"
#include "reports/ReportTable.h"

#include <QSet>
#include <QStringList>
#include <QVariantList>
#include <gtest/gtest.h>

namespace {

class ReportTableTest : public TestAvecBase {};

} // namespace

// A long table (many times the values one block holds) reads every value in its row and column, with
// the layer's types; its French order keeps each row whole; a copy that grows leaves the table it came
// from as it was.
TEST_P(ReportTableTest, LongTablesKeepEveryValueInPlaceSortedAndCopied) {
    constexpr int Lignes = 6000;
    const QStringList familles = {"gants", "Écran", "Ecole", "bottes", "Zinc"};
    {
        TransactionEcriture t(cnx());
        for (int debut = 0; debut < Lignes; debut += 100) {
            QStringList lignes;
            QVariantList valeurs;
            for (int r = debut; r < debut + 100; ++r) {
                lignes << QStringLiteral("(?, ?, ?, ?, ?)");
                valeurs << QStringLiteral("N%1").arg(r) << familles.at(r % familles.size()) << r
                        << (r % 11 == 0 ? QVariant() : QVariant(r * 0.25))
                        << Valeurs::valeurDate(QDateTime(QDate(2025, 1, 1).addDays(r % 365), QTime(8, 30)));
            }
            cnx().executer(QStringLiteral("INSERT INTO CA (Utilisateur, NomFamille, Quantite, PrixAchatUnit, "
                                          "LaDate) VALUES ") +
                               lignes.join(QStringLiteral(", ")),
                           valeurs);
        }
        t.valider();
    }
    const auto verifier = [&](const ReportTable& table, int ligne) {
        const int r = table.value(ligne, 2).toInt();
        EXPECT_EQ(table.value(ligne, 0).toString(), QStringLiteral("N%1").arg(r)) << ligne;
        EXPECT_EQ(table.value(ligne, 1).toString(), familles.at(r % familles.size())) << ligne;
        EXPECT_EQ(table.value(ligne, 3).isNull(), r % 11 == 0) << ligne;
        if (r % 11 != 0) {
            EXPECT_EQ(table.value(ligne, 3).toDouble(), r * 0.25) << ligne;
        }
        EXPECT_EQ(table.value(ligne, 4).toDateTime(),
                  QDateTime(QDate(2025, 1, 1).addDays(r % 365), QTime(8, 30)))
            << ligne;
        return r;
    };

    const QString colonnes =
        QStringLiteral("SELECT Utilisateur, NomFamille, Quantite, PrixAchatUnit, LaDate FROM CA");
    const ReportTable lue = ReportTable::read(cnx(), colonnes + QStringLiteral(" ORDER BY Quantite"));
    ASSERT_EQ(lue.rowCount(), Lignes);
    for (int ligne = 0; ligne < Lignes; ++ligne)
        ASSERT_EQ(verifier(lue, ligne), ligne);
    EXPECT_EQ(lue.value(0, 3).metaType().id(), QMetaType::Double);
    EXPECT_EQ(lue.value(0, 2).metaType().id(), QMetaType::LongLong);
    // The five families' rows share their texts: far fewer copies than rows (a clash of two families in
    // the table of recent texts would still leave less than half).
    QSet<const QChar*> copies;
    for (int ligne = 0; ligne < Lignes; ++ligne)
        copies.insert(static_cast<const QString*>(lue.value(ligne, 1).constData())->constData());
    EXPECT_LT(copies.size(), Lignes / 2);

    // "table order by": the families in French order, each row whole, every row once.
    const ReportTable triee = ReportTable::read(cnx(), QStringLiteral("CA order by NomFamille"));
    ASSERT_EQ(triee.rowCount(), Lignes);
    const int famille = triee.columnIndex(QStringLiteral("NomFamille"));
    const int quantite = triee.columnIndex(QStringLiteral("Quantite"));
    const int utilisateur = triee.columnIndex(QStringLiteral("Utilisateur"));
    const QStringList ordre = {"bottes", "Ecole", "Écran", "gants", "Zinc"};
    QList<bool> vues(Lignes, false);
    int rang = 0;
    for (int ligne = 0; ligne < Lignes; ++ligne) {
        const QString f = triee.value(ligne, famille).toString();
        while (rang < ordre.size() && ordre.at(rang) != f)
            ++rang;
        ASSERT_LT(rang, ordre.size()) << "out of order at row " << ligne << ": " << f.toStdString();
        const int r = triee.value(ligne, quantite).toInt();
        EXPECT_EQ(f, familles.at(r % familles.size()));
        EXPECT_EQ(triee.value(ligne, utilisateur).toString(), QStringLiteral("N%1").arg(r));
        EXPECT_FALSE(vues[r]);
        vues[r] = true;
    }

    ReportTable copie = lue;
    copie.appendRow({QStringLiteral("N-1"), QStringLiteral("gants"), -1});
    EXPECT_EQ(copie.rowCount(), Lignes + 1);
    EXPECT_EQ(copie.value(Lignes, 0).toString(), QStringLiteral("N-1"));
    EXPECT_TRUE(copie.value(Lignes, 4).isNull());
    EXPECT_EQ(lue.rowCount(), Lignes);
    EXPECT_EQ(verifier(lue, Lignes - 1), Lignes - 1);
    EXPECT_EQ(verifier(copie, Lignes - 1), Lignes - 1);
}

DORVANE_SUR_CHAQUE_BASE(ReportTableTest);
