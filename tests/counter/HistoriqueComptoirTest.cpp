#include "BaseDeTest.h"

#include "RetraitsDeTest.h"
#include "common/ErreurExecution.h"
#include "counter/HistoriqueComptoir.h"
#include "db/Recordset.h"
#include "OutilsProcessus.h"

#include <QPdfWriter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QVariant nul() {
    return QVariant(QMetaType::fromType<QString>());
}

const QDateTime Debut(QDate(2026, 3, 2), QTime(8, 0));

} // namespace

class HistoriqueComptoirTest : public TestAvecBase {
protected:
    void retrait(const QDateTime& date, const QString& badge, int type, const QVariant& reference,
                 const QVariant& refFournisseur, const QVariant& designation = QStringLiteral("Gants"),
                 int quantite = 1) {
        ajouterRetrait(cnx(), date, badge, type, reference, refFournisseur, designation, quantite);
    }
    // The rows of the badge's history: date and time, Reference, RefFournisseur, Designation, Quantite.
    QStringList historique(const QString& badge) {
        Recordset rs;
        HistoriqueComptoir::LireHistorique(cnx(), badge, rs);
        QStringList lignes;
        for (rs.MoveFirst(); !rs.IsEOF(); rs.MoveNext()) {
            const QVariant date = rs.Field(QStringLiteral("LaDate"));
            auto texte = [&](const char* champ) {
                const QVariant v = rs.Field(QLatin1String(champ));
                return v.isNull() ? QString() : v.toString();
            };
            lignes << (date.isNull() ? QStringLiteral("-") : date.toDateTime().toString("dd/MM HH:mm:ss")) +
                          u'|' + texte("Reference") + u'|' + texte("RefFournisseur") + u'|' +
                          texte("Designation") + u'|' + texte("Quantite");
        }
        return lignes;
    }
};

// The 500 newest counter lines of the badge: other movements and badges left out, identical lines of one
// second once, one second's lines in French supplier-reference order; a tie of one second at the 500th
// row keeps the lower Reference; a line without a date is the oldest.
TEST_P(HistoriqueComptoirTest, NewestFiveHundredCounterLinesGroupedInFrenchOrder) {
    {
        TransactionEcriture t(cnx());
        // At the oldest second, the 500th row: Reference 200 is kept, 300 is not.
        retrait(Debut, QStringLiteral("AB12"), 3, 300, QStringLiteral("A-CUT"));
        retrait(Debut, QStringLiteral("AB12"), 3, 200, QStringLiteral("Z-CUT"));
        for (int i = 1; i <= 496; ++i)
            retrait(Debut.addSecs(60 * i), QStringLiteral("AB12"), 3, 1000 + i, QStringLiteral("R%1").arg(i));
        // Twice the same article and quantity in one second: one row.
        const QDateTime double_ = Debut.addSecs(60 * 497);
        retrait(double_, QStringLiteral("AB12"), 3, 7, QStringLiteral("D"), QStringLiteral("Gants"), 2);
        retrait(double_, QStringLiteral("AB12"), 3, 7, QStringLiteral("D"), QStringLiteral("Gants"), 2);
        // The newest second: "éa" before "eb" whatever their references.
        const QDateTime dernier = Debut.addDays(30);
        retrait(dernier, QStringLiteral("AB12"), 3, 5, QStringLiteral("eb"));
        retrait(dernier, QStringLiteral("AB12"), 3, 6, QStringLiteral("éa"));
        // Without a date: after the oldest.
        retrait(QDateTime(), QStringLiteral("AB12"), 3, 1, QStringLiteral("SANS-DATE"));
        // Newer, but no counter withdrawal, or another badge.
        retrait(dernier.addDays(1), QStringLiteral("AB12"), 4, 8, QStringLiteral("RETOUR"));
        retrait(dernier.addDays(1), QStringLiteral("AB12"), 1, 9, QStringLiteral("MACHINE"));
        retrait(dernier.addDays(1), QStringLiteral("AB123"), 3, 10, QStringLiteral("AUTRE"));
        t.valider();
    }
    const QStringList h = historique(QStringLiteral("AB12"));
    ASSERT_EQ(h.size(), 500);
    EXPECT_EQ(h.at(0), QStringLiteral("01/04 08:00:00|6|éa|Gants|1"));
    EXPECT_EQ(h.at(1), QStringLiteral("01/04 08:00:00|5|eb|Gants|1"));
    EXPECT_EQ(h.at(2), QStringLiteral("02/03 16:17:00|7|D|Gants|2"));
    EXPECT_EQ(h.at(3), QStringLiteral("02/03 16:16:00|1496|R496|Gants|1"));
    EXPECT_EQ(h.at(498), QStringLiteral("02/03 08:01:00|1001|R1|Gants|1"));
    EXPECT_EQ(h.at(499), QStringLiteral("02/03 08:00:00|200|Z-CUT|Gants|1"));
    for (const char* absent : {"A-CUT", "SANS-DATE", "RETOUR", "MACHINE", "AUTRE"})
        EXPECT_FALSE(h.join(u'\n').contains(QLatin1String(absent))) << absent;

    // Fewer than 500: all of them; a badge without withdrawals has no row.
    EXPECT_EQ(historique(QStringLiteral("AB123")).size(), 1);
    EXPECT_TRUE(historique(QStringLiteral("AB")).isEmpty());
    EXPECT_TRUE(historique(QString()).isEmpty());
}

// The badge is compared as the layer compares badges: letters folded, accents kept, every other character
// as typed; Null dates come last, Null texts and long designations come back as they are.
TEST_P(HistoriqueComptoirTest, BadgeTakenAsTypedAndNullsKept) {
    const QString longue = QStringLiteral("Désignation très longue ") + QString(126, u'x');
    ASSERT_EQ(longue.size(), 150);
    retrait(Debut, QStringLiteral("AB12"), 3, 1, QStringLiteral("UN"));
    retrait(Debut.addSecs(1), QStringLiteral("ab12"), 3, 2, QStringLiteral("DEUX"), longue);
    retrait(QDateTime(), QStringLiteral("AB12"), 3, nul(), nul(), nul());
    retrait(Debut.addSecs(2), QStringLiteral("Ab12"), 3, 3, nul());
    retrait(Debut, QStringLiteral("O'1"), 3, 4, QStringLiteral("QUOTE"));
    retrait(Debut, QStringLiteral("50%"), 3, 5, QStringLiteral("POURCENT"));
    retrait(Debut, QStringLiteral("ÉB7"), 3, 6, QStringLiteral("ACCENT"));

    EXPECT_EQ(historique(QStringLiteral("ab12")),
              (QStringList{"02/03 08:00:02|3||Gants|1", "02/03 08:00:01|2|DEUX|" + longue + "|1",
                           "02/03 08:00:00|1|UN|Gants|1", "-||||1"}));
    for (const char* rien :
         {"a_12", "AB1%", "AB1*", "ab12 ", "5%", "5_%", "O''1", "EB7", "'; DELETE FROM Ventes; --"})
        EXPECT_TRUE(historique(QString::fromUtf8(rien)).isEmpty()) << rien;
    EXPECT_EQ(historique(QStringLiteral("o'1")), QStringList{"02/03 08:00:00|4|QUOTE|Gants|1"});
    EXPECT_EQ(historique(QStringLiteral("50%")), QStringList{"02/03 08:00:00|5|POURCENT|Gants|1"});
    EXPECT_EQ(historique(QStringLiteral("éb7")), QStringList{"02/03 08:00:00|6|ACCENT|Gants|1"});
    EXPECT_EQ(cnx().valeurUnique(QStringLiteral("SELECT COUNT(*) FROM Ventes")).toInt(), 7);
}

DORVANE_SUR_CHAQUE_BASE(HistoriqueComptoirTest);

// The print-out read back: the name, the underlined header, then every line in the order of the columns
// date, reference, quantity, supplier reference, designation, over as many pages as they take; long and
// empty cells lose no line. Nothing but the name and the header without rows; an output that cannot be
// written is named in the failure.
TEST(ImpressionHistorique, NameHeaderAndEveryLineOverSeveralPages) {
    using namespace HistoriqueComptoir;
    const QStringList legendes = {"Date", "Référence", "Réf. fournisseur", "Désignation", "Qté"};
    EXPECT_EQ(LigneEntete(legendes), QStringLiteral("Date\t\tRéférence\tQté\tRéf. fournisseur\tDésignation"));
    EXPECT_EQ(LigneHistorique({"01/02/2026", "100001", "RF-1", "Gants", "2"}),
              QStringLiteral("01/02/2026\t100001\t\t2\tRF-1\t\t\tGants"));

    // Every seventh supplier reference empty, one designation of 150 characters (cut at the page's edge).
    QStringList lignes = {LigneEntete(legendes)}, attendus;
    for (int i = 0; i < 500; ++i) {
        const QStringList c = {
            QDate(2026, 1, 1).addDays(i % 365).toString("dd/MM/yyyy"), QString::number(100000 + i),
            i % 7 == 0 ? QString() : QStringLiteral("RF-%1").arg(i),
            i == 250 ? "Longue " + QString(143, u'w') : QStringLiteral("Article n°%1").arg(i),
            QString::number(1 + i % 5)};
        lignes << LigneHistorique(c);
        attendus
            << QStringList{c[0], c[1], c[4], c[2], c[3].left(20)}.filter(QRegularExpression(".")).join(u'|');
    }
    QTemporaryDir dossier;
    const QString pdf = dossier.filePath("historique.pdf");
    {
        QPdfWriter w(pdf);
        ImprimerHistorique(w, QStringLiteral("Zoé BERTIN"), lignes, pdf);
    }
    const QString texte = OutilsProcessus::textePdf(pdf);
    EXPECT_GE(texte.count(u'\f'), 6) << "pages";
    QStringList lues;
    for (const QString& l : texte.split(u'\n'))
        if (!l.trimmed().remove(u'\f').isEmpty())
            lues << l.trimmed().remove(u'\f');
    ASSERT_EQ(lues.size(), 502) << texte.left(2000).toStdString();
    EXPECT_EQ(lues.at(0), QStringLiteral("Zoé BERTIN"));
    // "Réf. fournisseur" ends just short of a tab stop: "Désignation" follows it closely.
    EXPECT_EQ(QString(lues.at(1)).remove(u' '), QStringLiteral("DateRéférenceQtéRéf.fournisseurDésignation"));
    // The tab stops line the header up with the rows: a reference, a quantity and a supplier reference
    // start where their captions do.
    const QString entete = lues.at(1), ligne = lues.at(3);
    EXPECT_EQ(entete.indexOf("Référence"), ligne.indexOf("100001")) << entete.toStdString() << "\n"
                                                                    << ligne.toStdString();
    EXPECT_EQ(entete.indexOf("Qté"), ligne.indexOf(" 2 ") + 1);
    EXPECT_EQ(entete.indexOf("Réf. f"), ligne.indexOf("RF-1"));
    for (int i = 0; i < 500; ++i) {
        const QString lu = lues.at(2 + i).split(QRegularExpression("\\s{2,}")).join(u'|');
        EXPECT_TRUE(lu.startsWith(attendus.at(i))) << lu.toStdString();
    }

    // No row: the name and the header only, on one page.
    const QString pdfVide = dossier.filePath("vide.pdf");
    {
        QPdfWriter w(pdfVide);
        ImprimerHistorique(w, QStringLiteral("Zoé BERTIN"), {LigneEntete(legendes)}, pdfVide);
    }
    const QString vide = OutilsProcessus::textePdf(pdfVide);
    EXPECT_EQ(QString(vide).remove(QRegularExpression("\\s")),
              QStringLiteral("ZoéBERTINDateRéférenceQtéRéf.fournisseurDésignation"));

    // A path under a regular file cannot be written, whoever runs the test.
    const QString impossible = pdf + QStringLiteral("/historique.pdf");
    QPdfWriter w(impossible);
    try {
        ImprimerHistorique(w, QStringLiteral("Zoé BERTIN"), lignes, impossible);
        ADD_FAILURE() << "no failure";
    } catch (const ErreurExecution& e) {
        EXPECT_EQ(e.description(), QStringLiteral("Impression impossible sur ") + impossible);
    }
}
