#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>
#include <optional>

class Connexion;

// The pool of article codes (table CodeArticle): the small numbers the machines know an article by.
// A code is free when no article carries it. Every routine runs in one write transaction and throws
// ErreurExecution when the database refuses.
namespace CodesArticles {

// The most codes the creation box accepts.
constexpr int MaximumCodes = 50000;

// The count typed in the creation box: nullopt when the text is not a number or is above MaximumCodes
// (nothing is created then); a number below 1 gives 0.
std::optional<int> lireNombreCodes(const QString& texte);

// Adds the codes 1 to n the pool lacks (the others stay as they are); returns how many were added.
int creerCodes(Connexion& connexion, int n);

// The free codes, smallest first.
QList<qint64> codesLibres(Connexion& connexion);

// Takes the code away from article `reference` (its CodeArticle becomes Null; the code is free again).
// False when the article does not exist or had no code.
bool libererCode(Connexion& connexion, qint64 reference);

// Gives the first article without code (smallest reference) its reference as code, adding the code
// to the pool when missing. An article whose reference is already another article's code is passed
// over, so that no two articles answer to one machine code. Returns the reference given, or nullopt
// when no article could get one.
std::optional<qint64> attribuerCodeArticleVierge(Connexion& connexion);

} // namespace CodesArticles
