#include "reports/RetraitRetour.h"

#include "db/Valeurs.h"

namespace RetraitRetour {

namespace {

// The order of each entry of the list. Only the date orders and the article orders sort a second time.
const char* const Ordres[] = {
    " order by LaDateRetour Desc",
    " order by LaDateRetrait Desc",
    " order by NomUser, PrenomUser",
    " order by ReferenceArticle, LaDateRetrait Desc",
    " order by Designation,  LaDateRetrait Desc",
    " order by NomFamille",
    " order by NoMachine",
};
static_assert(std::size(Ordres) == MessagesOrdres.size());

Source periode(const QDate& premierJour, const QDate& dernierJour, const char* ordre) {
    return {QStringLiteral("select * from Retour where (LaDateRetrait >= ?) AND (LaDateRetrait <= ?)") +
                QLatin1String(ordre),
            {Valeurs::valeurDate(Valeurs::debutPeriode(premierJour)),
             Valeurs::valeurDate(Valeurs::finPeriode(dernierJour))}};
}

} // namespace

std::optional<Source> liste(const QDate& premierJour, const QDate& dernierJour, int ordre) {
    if (ordre < 0 || ordre >= static_cast<int>(std::size(Ordres)))
        return std::nullopt;
    return periode(premierJour, dernierJour, Ordres[ordre]);
}

Source statut(const QDate& premierJour, const QDate& dernierJour) {
    return periode(premierJour, dernierJour, Ordres[3]);
}

} // namespace RetraitRetour
