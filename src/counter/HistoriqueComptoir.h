#pragma once

#include <QString>
#include <QStringList>
#include <QVariantList>

class Connexion;
class QPagedPaintDevice;
class Recordset;

// The counter history of one badge: its counter withdrawals (TypeMouvement 3) as the grid shows them, and
// the print-out of that grid.
namespace HistoriqueComptoir {

// The newest rows kept.
constexpr int NombreMaximum = 500;

// The statement of the history with its values appended to `valeurs`: LaDate, Utilisateur,
// TypeMouvement, Reference, RefFournisseur, Designation, Quantite of the counter withdrawal lines whose
// Utilisateur equals `badge` (every letter folded, accents kept, every other character as typed), rows
// equal in all seven columns given once. The 500 newest are chosen in SQL (by date, then Reference; Null
// dates last), then ordered by date, newest first, and by supplier reference.
QString sqlHistorique(const Connexion& connexion, const QString& badge, QVariantList& valeurs);
// Opens the history of `badge` read-only in `resultat`, supplier references in French order; throws
// ErreurExecution when the database refuses.
void LireHistorique(Connexion& connexion, const QString& badge, Recordset& resultat);

// The print-out's lines, from the grid's texts in the grid's order of columns (date, reference,
// supplier reference, designation, quantity): the header from the captions, then one line a row; the
// tabs line the columns up as the date, reference, quantity, supplier reference and designation.
QString LigneEntete(const QStringList& legendes);
QString LigneHistorique(const QStringList& cellules);

// Paints the print-out on `support` from its first page: 500 twips from the left and 200 from the top,
// `nom` in 14 points bold followed by two empty lines, then `lignes` in 10 points, the first underlined;
// in Arial. A tab moves on to the next multiple of eight average character widths from the line's start;
// a line that would pass the page's bottom starts the next page at its top. `nomSupport` names the printer
// or the file in the failure when painting cannot begin (ErreurExecution, also for a page that cannot be
// added or an output that cannot be finished).
void ImprimerHistorique(QPagedPaintDevice& support, const QString& nom, const QStringList& lignes,
                        const QString& nomSupport);

} // namespace HistoriqueComptoir
