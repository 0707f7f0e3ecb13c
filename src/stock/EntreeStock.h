#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVariant>
#include <QtGlobal>
#include <optional>

class Connexion;

// Stock entries: goods received for one article, booked as a relative change of its reserve
// (ArticleEnStock.QteEnStock) and one row of the journal MouvementStock, in one transaction.
namespace EntreeStock {

// The units of a pack count typed in the entry box: the count (an optional leading "-" and digits) times
// the article's units per pack. Throws ErreurExecution Overflow when the count or the product leaves the
// 32-bit range, TypeMismatch when the count is not a whole number or the article has no pack size.
qint32 quantiteEntree(const QString& paquets, const QVariant& parPaquet);

// The running total shown while the count is typed: "<libelle> <count as typed> x <pack size> = <units>"
// ("TOTAL: 4 x 5 = 20"; a Null pack size leaves both numbers out). Throws as quantiteEntree.
QString texteTotal(const QString& paquets, const QVariant& parPaquet,
                   const QString& libelle = QStringLiteral("TOTAL:"));

struct Mouvement {
    qint64 reference = 0;
    qint32 qte = 0; // units, negative for a withdrawal
    QVariant nomFournisseur;
    QVariant refFournisseur;
    QVariant designation;
    QString commentaire;
    QDate jour;
};

// Adds `qte` to the article's reserve (a Null reserve counts as 0), sets its last movement to `jour` and
// appends the journal row. False, nothing written, when the article does not exist; ErreurExecution
// Overflow, nothing written, when the new reserve leaves the 32-bit range.
bool entrerStock(Connexion& connexion, const Mouvement& mouvement);

// The reserve's change shared by every stock movement, inside the caller's write transaction: adds `qte`
// (negative to take away) to the article's QteEnStock, relatively, so that what other workstations and
// the machines change meanwhile is kept; a Null reserve counts as 0. `dernierMouvement`, when given,
// also becomes the article's DateDernierMouvement. False, nothing changed, when no article has that
// reference; ErreurExecution Overflow, nothing changed, when the new reserve would leave the column's
// 32-bit range (PostgreSQL would refuse it, SQLite would store it).
bool changerReserve(Connexion& connexion, qint64 reference, qint64 qte,
                    const std::optional<QDateTime>& dernierMouvement = std::nullopt);

} // namespace EntreeStock
