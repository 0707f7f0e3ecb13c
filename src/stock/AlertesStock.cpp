#include "stock/AlertesStock.h"

#include "db/Connexion.h"
#include "db/Valeurs.h"

#include <QSqlQuery>
#include <QStringList>
#include <cmath>
#include <utility>
#include <vector>

namespace AlertesStock {

namespace {

// Articles written per UPDATE statement.
constexpr int ParLot = 400;

void ecrireLot(Connexion& c, const std::vector<std::pair<qint64, qint64>>& lot) {
    if (lot.empty())
        return;
    QString sql = QStringLiteral("UPDATE ArticleEnStock SET StockAlert = n.Niveau FROM (");
    QVariantList valeurs;
    if (!c.estSQLite()) {
        // PostgreSQL: the whole set as two bound arrays, one statement to plan.
        QStringList refs, niveaux;
        for (const auto& [ref, niveau] : lot) {
            refs << QString::number(ref);
            niveaux << QString::number(niveau);
        }
        sql +=
            QStringLiteral("SELECT unnest(CAST(? AS BIGINT[])) AS Ref, unnest(CAST(? AS INT[])) AS Niveau");
        valeurs << u'{' + refs.join(u',') + u'}' << u'{' + niveaux.join(u',') + u'}';
    } else {
        valeurs.reserve(static_cast<qsizetype>(lot.size() * 2));
        for (size_t i = 0; i < lot.size(); ++i) {
            sql += i == 0 ? QStringLiteral("SELECT CAST(? AS BIGINT) AS Ref, CAST(? AS INT) AS Niveau")
                          : QStringLiteral(" UNION ALL SELECT ?, ?");
            valeurs << lot[i].first << lot[i].second;
        }
    }
    // A level that stays is not written again: no row rewritten, no row lock taken for nothing.
    sql += QStringLiteral(") n WHERE ArticleEnStock.Reference = n.Ref AND (ArticleEnStock.StockAlert IS NULL "
                          "OR ArticleEnStock.StockAlert <> n.Niveau)");
    c.executer(sql, valeurs);
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
    TransactionEcriture t(c);
    // The consumption with the article it belongs to (none when the reference no longer exists).
    QSqlQuery q =
        c.executer(QStringLiteral("SELECT c.Reference, c.GrTotal, a.Reference, a.DelaiLivraison FROM (") +
                       sqlConsommations() +
                       QStringLiteral(") c LEFT JOIN ArticleEnStock a ON a.Reference = c.Reference"),
                   {Valeurs::valeurDate(Valeurs::debutPeriode(premier)),
                    Valeurs::valeurDate(Valeurs::finPeriode(dernier))});
    bool consommation = false;
    std::vector<std::pair<qint64, qint64>> niveaux;
    while (q.next()) {
        consommation = true;
        if (q.value(2).isNull())
            continue;
        const double total = q.value(1).isNull() ? 0.0 : q.value(1).toDouble();
        niveaux.emplace_back(q.value(2).toLongLong(), niveauAlerte(total, jours, q.value(3)));
    }
    q.finish();
    if (!consommation)
        return false; // rolled back: nothing was written
    const size_t parLot = c.estSQLite() ? ParLot : niveaux.size() + 1;
    for (size_t i = 0; i < niveaux.size(); i += parLot)
        ecrireLot(c,
                  std::vector<std::pair<qint64, qint64>>(
                      niveaux.begin() + static_cast<std::ptrdiff_t>(i),
                      niveaux.begin() + static_cast<std::ptrdiff_t>(std::min(niveaux.size(), i + parLot))));
    t.valider();
    return true;
}

} // namespace AlertesStock
