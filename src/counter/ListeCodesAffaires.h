#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

class Connexion;
class Recordset;

// The job codes list (table ListeNoAffaire), which the list form shows and edits whole: whatever columns
// the table has, in its order. Throws ErreurExecution.
namespace ListeCodesAffaires {

inline const QString Table = QStringLiteral("ListeNoAffaire");
inline const QString ChampCode = QStringLiteral("NoAffaire");

// Reads every column and every row of the table into `rs`, written back by the table's key.
void OuvrirListe(Connexion& connexion, Recordset& rs);

// The captions of the fields of `rs`: each column as the schema spells it ("NoAffaire", where PostgreSQL
// gives "noaffaire"), a column the schema does not know under the database's name.
QStringList Entetes(const Recordset& rs);

// Refuses, before it is written, a code the table must not take: Null (a row without a code), or the code
// of another row but for the case of its letters where the key's own comparison would let it through
// (SQLite folds ASCII letters only: "é1" beside "É1"). A code the key refuses by itself ("A1" twice, ""
// twice) is left to the database, whose text then says why. `ancien` is the code the row holds in the
// table (nullopt for a new row); an unchanged code is not searched again. To be run inside the write
// transaction of the row.
void VerifierCode(Connexion& connexion, const QVariant& code, const std::optional<QVariant>& ancien);

// VerifierCode for the row `rs` holds in edition; nothing when the table has no code column.
void VerifierLigne(Connexion& connexion, const Recordset& rs);

// Deletes the current row (a row being added is given up instead) and goes to the next one, or to the
// last one when it was the last. Throws when there is no current row.
void SupprimerCourant(Recordset& rs);

} // namespace ListeCodesAffaires
