#include "counter/ArticlesComptoir.h"

#include "common/FonctionUtilitaires.h"
#include "db/Recordset.h"

namespace ArticlesComptoir {

namespace {
// The reference and its hyphens fill this many characters before the designation.
constexpr int LargeurReference = 21;
} // namespace

QString ElementCombo(const QString& refFournisseur, const QString& designation) {
    if (refFournisseur.size() >= LargeurReference)
        return refFournisseur + QStringLiteral(" |-") + designation;
    return refFournisseur + QStringLiteral(" |") + QString(LargeurReference - refFournisseur.size(), u'-') +
           designation;
}

Liste ListeArticles(const Recordset& articles) {
    Liste l;
    const int refFournisseur = articles.FieldIndex(QStringLiteral("RefFournisseur"));
    const int designation = articles.FieldIndex(QStringLiteral("Designation"));
    const int reference = articles.FieldIndex(QStringLiteral("Reference"));
    const int n = articles.RecordCount();
    l.elements.reserve(n);
    l.references.reserve(n);
    for (int i = 0; i < n; ++i) {
        const QVariant ref = articles.ValueAt(i, refFournisseur);
        // Without a supplier reference an article is in neither list, so that both stay aligned.
        if (ref.isNull())
            continue;
        l.elements << ElementCombo(FonctionUtilitaires::ConvertNullStr(ref),
                                   FonctionUtilitaires::ConvertNullStr(articles.ValueAt(i, designation)));
        l.references << FonctionUtilitaires::ConvertNullStr(articles.ValueAt(i, reference));
    }
    return l;
}

Liste ChargerArticles(Connexion& connexion, Recordset& articles) {
    articles.Open(connexion, QStringLiteral("StockGlobal order by RefFournisseur"));
    Liste l = ListeArticles(articles);
    articles.Open(connexion, QStringLiteral("StockGlobal order by Reference"));
    articles.MoveFirst();
    return l;
}

} // namespace ArticlesComptoir
