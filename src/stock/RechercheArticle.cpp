#include "stock/RechercheArticle.h"

#include "common/FonctionUtilitaires.h"

namespace RechercheArticle {

Critere critere(int mode, bool codeBarre, const QString& texte) {
    using C = Recordset::Comparaison;
    if (codeBarre)
        return {QStringLiteral("CodeBar"), C::CommencePar, texte.startsWith(u'@') ? texte.mid(1) : texte};
    switch (mode) {
    case ParDesignation:
        return {QStringLiteral("Designation"), C::CommencePar, texte.toUpper()};
    case ParRefFournisseur:
        return {QStringLiteral("RefFournisseur"), C::CommencePar, texte.toUpper()};
    case ParReference:
        return {QStringLiteral("Reference"), C::Egal, FonctionUtilitaires::ConvertNullDbl(texte)};
    default:
        return {QStringLiteral("CodeArticle"), C::Egal, FonctionUtilitaires::ConvertNullDbl(texte)};
    }
}

bool chercher(Recordset& articles, int mode, bool codeBarre, const QString& texte) {
    if (texte.isEmpty() || articles.RecordCount() == 0)
        return false;
    const Critere c = critere(mode, codeBarre, texte);
    // Off the rows (none current), the search starts at the first one.
    const bool surUneLigne = !articles.IsBOF() && !articles.IsEOF();
    const QVariant signet = surUneLigne ? articles.Bookmark() : QVariant();
    if (articles.Find(c.champ, c.comparaison, c.valeur,
                      surUneLigne ? Recordset::Depart::Courant : Recordset::Depart::Premier))
        return true;
    if (surUneLigne)
        articles.SetBookmark(signet);
    else
        articles.MoveFirst();
    return false;
}

} // namespace RechercheArticle
