#include "stock/AlertesStock.h"

#include "db/Connexion.h"
#include "db/Valeurs.h"

#include <QSqlQuery>
#include <cmath>

namespace AlertesStock {

namespace {

// The level of every consumed article, as niveauAlerte computes it, from the consumption per day
// `c.Taux`: the same operations on doubles in the same order, halves to the even neighbour. PostgreSQL's
// round() on a double does that (rint); SQLite's round() takes halves away from zero, so there the whole
// part (a cast truncates) and the exact remainder decide.
QString sqlNiveau(bool sqlite) {
    const auto arrondi = [sqlite](const QString& x) {
        if (!sqlite)
            return QStringLiteral("CAST(round(") + x + QStringLiteral(") AS INT)");
        const QString entier = QStringLiteral("CAST(") + x + QStringLiteral(" AS INTEGER)");
        const QString reste = u'(' + x + QStringLiteral(" - ") + entier + u')';
        return QStringLiteral("CASE WHEN ") + reste + QStringLiteral(" > 0.5 THEN ") + entier +
               QStringLiteral(" + 1 WHEN ") + reste + QStringLiteral(" < -0.5 THEN ") + entier +
               QStringLiteral(" - 1 WHEN ") + reste + QStringLiteral(" = 0.5 OR ") + reste +
               QStringLiteral(" = -0.5 THEN ") + entier + QStringLiteral(" + ") + entier +
               QStringLiteral(" % 2 ELSE ") + entier + QStringLiteral(" END");
    };
    const QString sansDelai = QStringLiteral("c.Taux * 7");
    const QString avecDelai = QStringLiteral("c.Taux * (ArticleEnStock.DelaiLivraison + 6)");
    return QStringLiteral("(CASE WHEN ArticleEnStock.DelaiLivraison IS NULL THEN ") + arrondi(sansDelai) +
           QStringLiteral(" WHEN ") + avecDelai + QStringLiteral(" < 1 THEN 1 ELSE ") + arrondi(avecDelai) +
           QStringLiteral(" END)");
}

} // namespace

QString sqlConsommations() {
    return QStringLiteral("SELECT DetailVente.Reference, SUM(DetailVente.Quantite) AS GrTotal "
                          "FROM DetailVente INNER JOIN Ventes ON DetailVente.NumVente = Ventes.NumVente "
                          "WHERE Ventes.LaDate > ? AND Ventes.LaDate < ? GROUP BY DetailVente.Reference");
}

qint64 niveauAlerte(double total, qint64 jours, const QVariant& delai) {
    // nearbyint rounds to nearest, halves to even, in the default rounding mode.
    if (delai.isNull())
        return static_cast<qint64>(std::nearbyint(total / static_cast<double>(jours) * 7));
    const double m = total / static_cast<double>(jours) * static_cast<double>(Valeurs::lireEntier(delai) + 6);
    return m < 1 ? 1 : static_cast<qint64>(std::nearbyint(m));
}

bool CalculerAlertes(Connexion& c, const QDate& premier, const QDate& dernier) {
    if (!premier.isValid() || !dernier.isValid() || premier.daysTo(dernier) + 1 < 1)
        return false;
    const qint64 jours = premier.daysTo(dernier) + 1;
    const QVariant debut = Valeurs::valeurDate(Valeurs::debutPeriode(premier));
    const QVariant fin = Valeurs::valeurDate(Valeurs::finPeriode(dernier));
    TransactionEcriture t(c);
    // A period without any withdrawal computes nothing (an article deleted since counts as one).
    QSqlQuery q = c.executer(
        QStringLiteral(
            "SELECT 1 FROM DetailVente INNER JOIN Ventes ON DetailVente.NumVente = Ventes.NumVente "
            "WHERE Ventes.LaDate > ? AND Ventes.LaDate < ? LIMIT 1"),
        {debut, fin});
    const bool consommation = q.next();
    q.finish();
    if (!consommation)
        return false; // rolled back: nothing was written
    // One statement over the grouped consumption; a level that stays is not written again (no row
    // rewritten, no row lock taken for nothing).
    const QString reel = c.estSQLite() ? QStringLiteral("REAL") : QStringLiteral("DOUBLE PRECISION");
    const QString niveau = sqlNiveau(c.estSQLite());
    c.executer(QStringLiteral("UPDATE ArticleEnStock SET StockAlert = ") + niveau +
                   QStringLiteral(" FROM (SELECT g.Reference, CAST(COALESCE(g.GrTotal, 0) AS ") + reel +
                   QStringLiteral(") / CAST(? AS ") + reel + QStringLiteral(") AS Taux FROM (") +
                   sqlConsommations() +
                   QStringLiteral(") g) c WHERE ArticleEnStock.Reference = c.Reference AND "
                                  "(ArticleEnStock.StockAlert IS NULL OR ArticleEnStock.StockAlert <> ") +
                   niveau + u')',
               {jours, debut, fin});
    t.valider();
    return true;
}

} // namespace AlertesStock
