#include "stock/EntreeStock.h"

#include "common/ErreurExecution.h"
#include "db/Connexion.h"
#include "db/Valeurs.h"

#include <QDateTime>
#include <QSqlQuery>
#include <limits>

namespace EntreeStock {

namespace {

constexpr qint64 Minimum = std::numeric_limits<qint32>::min();
constexpr qint64 Maximum = std::numeric_limits<qint32>::max();

ErreurExecution tropGrand() {
    return ErreurExecution(ErreurExecution::Overflow, QStringLiteral("Dépassement de capacité"),
                           QStringLiteral("EntreeStock"));
}

// The typed count as a 32-bit whole number.
qint32 nombrePaquets(const QString& paquets) {
    const QString t = paquets.trimmed();
    const QStringView chiffres = t.startsWith(u'-') ? QStringView(t).mid(1) : QStringView(t);
    bool seulementChiffres = !chiffres.isEmpty();
    for (QChar c : chiffres)
        seulementChiffres = seulementChiffres && c >= u'0' && c <= u'9';
    if (!seulementChiffres)
        throw ErreurExecution(
            ErreurExecution::TypeMismatch,
            QStringLiteral("Type incompatible : « %1 » n'est pas un nombre entier").arg(paquets),
            QStringLiteral("EntreeStock"));
    bool ok = false;
    const qint64 n = t.toLongLong(&ok);
    if (!ok || n < Minimum || n > Maximum)
        throw tropGrand();
    return static_cast<qint32>(n);
}

qint32 produit(qint32 paquets, qint64 parPaquet) {
    if (parPaquet < Minimum || parPaquet > Maximum)
        throw tropGrand();
    const qint64 p = static_cast<qint64>(paquets) * parPaquet;
    if (p < Minimum || p > Maximum)
        throw tropGrand();
    return static_cast<qint32>(p);
}

} // namespace

qint32 quantiteEntree(const QString& paquets, const QVariant& parPaquet) {
    const qint32 n = nombrePaquets(paquets);
    if (parPaquet.isNull() || !Valeurs::estNombre(parPaquet))
        throw ErreurExecution(ErreurExecution::TypeMismatch,
                              QStringLiteral("Le nombre d'unités par pack de l'article n'est pas renseigné"),
                              QStringLiteral("EntreeStock"));
    return produit(n, Valeurs::lireEntier(parPaquet));
}

QString texteTotal(const QString& paquets, const QVariant& parPaquet, const QString& libelle) {
    const qint32 n = nombrePaquets(paquets);
    QString taille, total;
    if (!parPaquet.isNull() && Valeurs::estNombre(parPaquet)) {
        const qint64 p = Valeurs::lireEntier(parPaquet);
        taille = QString::number(p);
        total = QString::number(produit(n, p));
    }
    return libelle + u' ' + paquets + QStringLiteral(" x ") + taille + QStringLiteral(" = ") + total;
}

bool changerReserve(Connexion& connexion, qint64 reference, qint64 qte,
                    const std::optional<QDateTime>& dernierMouvement) {
    // The guard leaves a reserve that would leave the column's range untouched.
    QString sql = QStringLiteral("UPDATE ArticleEnStock SET QteEnStock = COALESCE(QteEnStock, 0) + ?");
    QVariantList valeurs = {qte};
    if (dernierMouvement) {
        sql += QStringLiteral(", DateDernierMouvement = ?");
        valeurs << Valeurs::valeurDate(*dernierMouvement);
    }
    sql += QStringLiteral(" WHERE Reference = ? AND COALESCE(QteEnStock, 0) + CAST(? AS BIGINT) "
                          "BETWEEN CAST(? AS BIGINT) AND CAST(? AS BIGINT)");
    valeurs << reference << qte << Minimum << Maximum;
    const bool ecrit = InstructionPreparee(connexion, sql).executer(valeurs).numRowsAffected() > 0;
    if (ecrit)
        return true;
    const QVariant existe = connexion.valeurUnique(
        QStringLiteral("SELECT COUNT(*) FROM ArticleEnStock WHERE Reference = ?"), {reference});
    if (Valeurs::lireEntier(existe) > 0)
        throw tropGrand();
    return false;
}

bool entrerStock(Connexion& connexion, const Mouvement& m) {
    TransactionEcriture transaction(connexion);
    const QDateTime jour(m.jour, QTime(0, 0));
    if (!changerReserve(connexion, m.reference, m.qte, jour))
        return false;
    InstructionPreparee(
        connexion, QStringLiteral("INSERT INTO MouvementStock (DateEntree, Qte, NomFournisseur, RefProduit, "
                                  "RefFournisseur, Designation, Commentaire) VALUES (?, ?, ?, ?, ?, ?, ?)"))
        .executer({Valeurs::valeurDate(jour), m.qte, m.nomFournisseur, m.reference, m.refFournisseur,
                   m.designation, m.commentaire});
    transaction.valider();
    return true;
}

} // namespace EntreeStock
