#pragma once

#include "counter/SelectionSalarie.h"

#include <QImage>
#include <QSize>
#include <QString>
#include <QVariant>

class Connexion;
class Recordset;

// The counter's article searches over its article list (StockGlobal in Reference order), and the picture
// it shows of the article found. Each search moves the list's current row; the counter then fills its card
// from it.
namespace SelectionArticle {

using Resultat = SelectionSalarie::Resultat;

// From the first row, the article whose Reference is `texte` read as a number ("0012" finds 12, an empty
// text 0). False, past the last row, when none has it. Throws ErreurExecution (13) for a text that is no
// number.
bool ChercherReference(Recordset& articles, const QString& texte);

// From the first row, the first whose RefFournisseur matches `texte` as a badge does at the counter:
// without regard to case, "*" and "%" wildcards, every other character literal. Exact only when the
// reference is the text itself.
Resultat ChercherRefFournisseur(Recordset& articles, const QString& texte);

// The picture of an article's Image value: the bytes of the ImageProduit row of that name (found without
// regard to case), decoded. A null image when there is no such row or its bytes are no picture. Throws
// ErreurExecution when the database fails.
QImage ImageArticle(Connexion& c, const QVariant& image);

// The size, in pixels, the counter shows a picture at: 2850 twips high and 2850 x width / height wide,
// however wide that is.
QSize TailleImage(const QSize& image);

} // namespace SelectionArticle
