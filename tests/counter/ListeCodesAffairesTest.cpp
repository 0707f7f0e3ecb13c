#include "BaseDeTest.h"

#include "common/ErreurExecution.h"
#include "counter/ListeCodesAffaires.h"
#include "db/Recordset.h"
#include "db/RecordsetModel.h"
#include "db/Valeurs.h"

#include <QAbstractItemModelTester>
#include <QSqlQuery>
#include <barrier>
#include <gtest/gtest.h>
#include <optional>
#include <thread>

namespace {

// The list as the form holds it: the whole table, edited row by row, each row checked before it is
// written; the refusals collected.
struct Liste {
    explicit Liste(Connexion& c) : modele(&rs) {
        modele.setModifiable(true);
        modele.setEditionParLigne(true);
        modele.setControle(ListeCodesAffaires::VerifierLigne);
        modele.setRefus([this](const ErreurExecution& e) { refus << e.description(); });
        ListeCodesAffaires::OuvrirListe(c, rs);
    }
    // Types into a cell of the grid (the new-row line: ligne = -1).
    bool taper(int ligne, int colonne, const QString& texte) {
        if (ligne < 0)
            ligne = modele.ligneNouvelle();
        return modele.setData(modele.index(ligne, colonne), texte);
    }
    QString cellule(int ligne, int colonne) const { return modele.index(ligne, colonne).data().toString(); }

    Recordset rs;
    RecordsetModel modele;
    QStringList refus;
};

} // namespace

class ListeCodesAffairesBase : public TestAvecBase {
protected:
    QStringList codes() {
        QStringList l;
        QSqlQuery q = cnx().executer(QStringLiteral("SELECT NoAffaire FROM ListeNoAffaire"));
        while (q.next())
            l << (q.value(0).isNull() ? QStringLiteral("<null>") : q.value(0).toString());
        l.sort();
        return l;
    }
};

// A typed row is held until it is written; the code is checked first on both backends: Null refused by
// the check naming NoAffaire, a code the key takes for another one refused by the database in its own
// words, a code differing from another by an accented capital refused whichever says it; a refused row
// keeps what was typed and writes nothing.
TEST_P(ListeCodesAffairesBase, RowsHeldCheckedAndWrittenByTheirKey) {
    Liste l(cnx());
    QAbstractItemModelTester testeur(&l.modele, QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(ListeCodesAffaires::Entetes(l.rs), (QStringList{"NoAffaire", "Libelle"}));
    ASSERT_EQ(l.modele.rowCount(), 1);
    EXPECT_EQ(l.modele.ligneNouvelle(), 0);
    EXPECT_EQ(l.modele.headerData(0, Qt::Vertical).toString(), QStringLiteral("*"));

    // Held while the row is not left: nothing written, the new-row line shows it.
    ASSERT_TRUE(l.taper(-1, 0, QStringLiteral(" A12 ")));
    ASSERT_TRUE(l.taper(-1, 1, QStringLiteral("Chantier « Nord »")));
    EXPECT_TRUE(codes().isEmpty());
    EXPECT_EQ(l.cellule(0, 0), QStringLiteral("A12"));
    l.modele.ecrireLigne();
    EXPECT_EQ(codes(), QStringList{"A12"});
    ASSERT_EQ(l.modele.rowCount(), 2);
    EXPECT_EQ(l.cellule(1, 0), QString());

    // Written when the grid leaves it for another row.
    const auto ajouter = [&](const QString& code) {
        EXPECT_TRUE(l.taper(-1, 0, code)) << code.toStdString();
        return l.modele.allerALigne(0);
    };
    for (const QString& code : {QStringLiteral("É1"), QStringLiteral("O'B%_1"), QStringLiteral("X%"),
                                QStringLiteral("XY"), QString(), QString(300, u'k')})
        EXPECT_TRUE(ajouter(code)) << code.toStdString() << l.refus.join(u'\n').toStdString();
    EXPECT_TRUE(l.refus.isEmpty());
    EXPECT_EQ(codes().size(), 7);
    EXPECT_EQ(
        cnx()
            .valeurUnique(QStringLiteral("SELECT NoAffaire FROM ListeNoAffaire WHERE NoAffaire LIKE 'k%'"))
            .toString()
            .size(),
        300);

    // The key's own refusals, in the database's words: the same code, its ASCII case, "" again.
    const qsizetype avant = codes().size();
    for (const QString& code :
         {QStringLiteral("A12"), QStringLiteral("a12"), QStringLiteral("  "), QStringLiteral("o'b%_1")}) {
        l.refus.clear();
        EXPECT_FALSE(ajouter(code)) << code.toStdString();
        ASSERT_EQ(l.refus.size(), 1) << code.toStdString();
        EXPECT_TRUE(l.refus.first().contains(QStringLiteral("INSERT INTO ListeNoAffaire")))
            << l.refus.first().toStdString();
        // Still in edition with what was typed, on the new-row line.
        EXPECT_TRUE(l.rs.EditAdd());
        EXPECT_EQ(l.cellule(l.modele.ligneNouvelle(), 0), code.trimmed());
        ListeCodesAffaires::SupprimerCourant(l.rs); // gives the new row up
        EXPECT_FALSE(l.rs.EditMode());
    }
    // An accented capital: SQLite's key would take it, the check refuses it; PostgreSQL's key refuses it.
    l.refus.clear();
    EXPECT_FALSE(ajouter(QStringLiteral("é1")));
    ASSERT_EQ(l.refus.size(), 1);
    EXPECT_TRUE(l.refus.first().contains(cnx().estSQLite() ? QStringLiteral("« É1 »")
                                                           : QStringLiteral("INSERT INTO")))
        << l.refus.first().toStdString();
    ListeCodesAffaires::SupprimerCourant(l.rs);
    // No code at all: refused by the check on both backends, before the database sees it.
    l.refus.clear();
    ASSERT_TRUE(l.taper(-1, 1, QStringLiteral("Sans code")));
    EXPECT_FALSE(l.modele.allerALigne(0));
    ASSERT_EQ(l.refus.size(), 1);
    EXPECT_EQ(l.refus.first(),
              QStringLiteral("Impossible d'insérer la valeur NULL dans la colonne 'NoAffaire', "
                             "table 'ListeNoAffaire' ; cette colonne n'accepte pas les "
                             "valeurs NULL."));
    EXPECT_EQ(l.cellule(l.modele.ligneNouvelle(), 1), QStringLiteral("Sans code"));
    EXPECT_THROW(l.modele.ecrireLigne(), ErreurExecution);
    ListeCodesAffaires::SupprimerCourant(l.rs);
    EXPECT_EQ(codes().size(), avant);

    // A code changed in place updates its row; its own case may change; another's code is refused and
    // the row keeps what was typed until it is given up.
    ASSERT_EQ(l.cellule(0, 0), QStringLiteral("A12"));
    ASSERT_TRUE(l.taper(0, 0, QStringLiteral("A13")));
    EXPECT_TRUE(l.modele.allerALigne(1));
    ASSERT_TRUE(l.taper(1, 0, QStringLiteral("é2")));
    ASSERT_TRUE(l.modele.allerALigne(0));
    ASSERT_TRUE(l.taper(1, 0, QStringLiteral("É2")));
    ASSERT_TRUE(l.modele.allerALigne(0));
    EXPECT_EQ(codes().filter(QStringLiteral("13")), QStringList{"A13"});
    EXPECT_TRUE(codes().contains(QStringLiteral("É2")));
    l.refus.clear();
    ASSERT_TRUE(l.taper(0, 0, QStringLiteral("é2")));
    EXPECT_FALSE(l.modele.allerALigne(1));
    EXPECT_EQ(l.refus.size(), 1);
    EXPECT_EQ(l.cellule(0, 0), QStringLiteral("é2"));
    EXPECT_EQ(l.rs.AbsolutePosition(), 0);
    l.rs.CancelUpdate();
    EXPECT_EQ(l.cellule(0, 0), QStringLiteral("A13"));
    EXPECT_EQ(codes().size(), avant);

    // A table refused at opening.
    cnx().executer(QStringLiteral("DROP TABLE ListeNoAffaire"));
    Recordset absente;
    EXPECT_THROW(ListeCodesAffaires::OuvrirListe(cnx(), absente), ErreurExecution);
    EXPECT_FALSE(absente.IsOpen());
}

// Two workstations adding at the same moment a code and its accented capital, or the same code: one row
// each time, the other refused, on both backends.
TEST_P(ListeCodesAffairesBase, TwoWorkstationsAddingOneCodeKeepOneRow) {
    constexpr int Tours = 12;
    const ParametresConnexion p = base().parametres();
    std::barrier depart(2);
    int ecrits[2] = {0, 0};
    QStringList erreurs[2];
    auto poste = [&](int i) {
        std::optional<Connexion> c;
        std::optional<Liste> l;
        try {
            c.emplace(p);
            l.emplace(*c);
        } catch (const ErreurExecution& e) {
            erreurs[i] << e.description();
        }
        for (int t = 0; t < Tours; ++t) {
            depart.arrive_and_wait();
            if (!l)
                continue;
            const QString code = t % 2 ? QStringLiteral("É%1").arg(t) : QStringLiteral("ÉC-%1").arg(t);
            l->taper(-1, 0, i == 0 ? code : (t % 2 ? code.toLower() : code));
            try {
                l->modele.ecrireLigne();
                ++ecrits[i];
            } catch (const ErreurExecution&) {
                l->rs.CancelUpdate();
            }
        }
    };
    std::thread a(poste, 0);
    std::thread b(poste, 1);
    a.join();
    b.join();
    EXPECT_TRUE(erreurs[0].isEmpty() && erreurs[1].isEmpty()) << erreurs[0].join(u' ').toStdString();
    EXPECT_EQ(ecrits[0] + ecrits[1], Tours);
    EXPECT_EQ(cnx().valeurUnique(QStringLiteral("SELECT COUNT(*) FROM ListeNoAffaire")).toLongLong(), Tours);
}

DORVANE_SUR_CHAQUE_BASE(ListeCodesAffairesBase);
