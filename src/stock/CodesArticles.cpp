#include "stock/CodesArticles.h"

#include "db/Connexion.h"

#include <QLocale>
#include <QSqlQuery>
#include <cmath>

namespace CodesArticles {

namespace {

// Codes are INT columns: a reference beyond that range cannot become a code.
constexpr qint64 PlusGrandCode = 2147483647;

} // namespace

std::optional<int> lireNombreCodes(const QString& texte) {
    QString t = texte.trimmed();
    t.replace(u',', u'.');
    bool ok = false;
    const double n = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(n) || n > MaximumCodes)
        return std::nullopt;
    return n < 1 ? 0 : static_cast<int>(std::floor(n));
}

int creerCodes(Connexion& connexion, int n) {
    if (n < 1)
        return 0;
    TransactionEcriture transaction(connexion);
    // One statement for the whole range: the missing numbers come from a series, not from n round trips.
    QSqlQuery q = connexion.executer(
        QStringLiteral("WITH RECURSIVE Serie(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM Serie WHERE i < ?) "
                       "INSERT INTO CodeArticle (CodeArticle) SELECT i FROM Serie WHERE i NOT IN "
                       "(SELECT CodeArticle FROM CodeArticle WHERE CodeArticle IS NOT NULL)"),
        {n});
    const int ajoutes = q.numRowsAffected();
    q.finish();
    transaction.valider();
    return ajoutes < 0 ? 0 : ajoutes;
}

QList<qint64> codesLibres(Connexion& connexion) {
    QList<qint64> codes;
    QSqlQuery q = connexion.executer(QStringLiteral(
        "SELECT C.CodeArticle FROM CodeArticle C WHERE C.CodeArticle IS NOT NULL AND "
        "C.CodeArticle NOT IN (SELECT CodeArticle FROM ArticleEnStock WHERE CodeArticle IS NOT "
        "NULL) ORDER BY C.CodeArticle"));
    while (q.next())
        codes.append(q.value(0).toLongLong());
    return codes;
}

bool libererCode(Connexion& connexion, qint64 reference) {
    TransactionEcriture transaction(connexion);
    QSqlQuery q = connexion.executer(
        QStringLiteral(
            "UPDATE ArticleEnStock SET CodeArticle = NULL WHERE Reference = ? AND CodeArticle IS NOT NULL"),
        {reference});
    const bool libere = q.numRowsAffected() > 0;
    q.finish();
    transaction.valider();
    return libere;
}

std::optional<qint64> attribuerCodeArticleVierge(Connexion& connexion) {
    TransactionEcriture transaction(connexion);
    // Chosen while the articles are held: another workstation may be giving codes at the same time.
    connexion.verrouillerTable(QStringLiteral("ArticleEnStock"));
    const QVariant r = connexion.valeurUnique(
        QStringLiteral(
            "SELECT Reference FROM ArticleEnStock WHERE CodeArticle IS NULL AND Reference BETWEEN 1 "
            "AND ? AND Reference NOT IN (SELECT CodeArticle FROM ArticleEnStock WHERE CodeArticle "
            "IS NOT NULL) ORDER BY Reference LIMIT 1"),
        {PlusGrandCode});
    if (r.isNull())
        return std::nullopt;
    const qint64 reference = r.toLongLong();
    connexion.executer(QStringLiteral("INSERT INTO CodeArticle (CodeArticle) SELECT CAST(? AS INT) WHERE NOT "
                                      "EXISTS (SELECT 1 FROM CodeArticle WHERE CodeArticle = ?)"),
                       {reference, reference});
    connexion.executer(
        QStringLiteral(
            "UPDATE ArticleEnStock SET CodeArticle = ? WHERE Reference = ? AND CodeArticle IS NULL"),
        {reference, reference});
    transaction.valider();
    return reference;
}

} // namespace CodesArticles
