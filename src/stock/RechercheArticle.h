#pragma once

#include "db/Recordset.h"

#include <QString>
#include <QVariant>

// The incremental search of the article list: each change of the search box looks for the next article,
// from the current one onward, whose field matches what is typed. Typed text is compared literally
// (quotes, "%", "_" and "*" are characters like any other), every letter without regard to case.
namespace RechercheArticle {

// The search column, as the form's options choose it.
enum Mode { ParReference = 1, ParDesignation = 2, ParCodeArticle = 3, ParRefFournisseur = 4 };

struct Critere {
    QString champ;
    Recordset::Comparaison comparaison;
    QVariant valeur;
};

// What `texte` looks for: with `codeBarre`, a bar code beginning with the text (a leading "@" left out);
// else, by mode, a designation or a supplier reference beginning with the text, or the reference or the
// article code equal to the text read as a number (any mode other than 1, 2 and 4 is the article code).
// Throws ErreurExecution TypeMismatch when a number is expected and the text is not one.
Critere critere(int mode, bool codeBarre, const QString& texte);

// Moves the list forward from its current row to the first row that matches; when none does, the list
// goes back to the row it was on. An empty text or an empty list does nothing. True when a row was found.
// Throws as critere, the list untouched.
bool chercher(Recordset& articles, int mode, bool codeBarre, const QString& texte);

} // namespace RechercheArticle
