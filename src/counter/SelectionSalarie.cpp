#include "counter/SelectionSalarie.h"

#include "common/FonctionUtilitaires.h"
#include "db/Recordset.h"
#include "db/Valeurs.h"
#include "staff/FicheSalarie.h"

namespace SelectionSalarie {

namespace {

// Where the search stopped: the typed text itself, or only a row it matches.
Resultat resultat(const Recordset& salaries, bool trouve, const QString& champ, const QString& texte) {
    if (!trouve)
        return Resultat::Aucun;
    const QString valeur = FonctionUtilitaires::ConvertNullStr(salaries.Field(champ));
    return Valeurs::egalSansCasse(valeur, texte) ? Resultat::Exact : Resultat::Approche;
}

} // namespace

Resultat ChercherTexte(Recordset& liste, const QString& champ, const QString& texte) {
    using C = Recordset::Comparaison;
    const bool trouve = liste.Find(champ, FicheSalarie::contientJoker(texte) ? C::Comme : C::EgalTexte, texte,
                                   Recordset::Depart::Premier);
    return resultat(liste, trouve, champ, texte);
}

Resultat ChercherBadge(Recordset& salaries, const QString& badge) {
    return ChercherTexte(salaries, QStringLiteral("NoBadge"), badge);
}

Resultat ChercherNom(Recordset& salaries, const QString& nom) {
    using C = Recordset::Comparaison;
    const QString champ = QStringLiteral("Nom");
    // The name followed by "*": without a typed wildcard, the same as a plain beginning.
    const bool trouve = FicheSalarie::contientJoker(nom)
                            ? salaries.Find(champ, C::Comme, QString(nom + u'*'), Recordset::Depart::Premier)
                            : salaries.Find(champ, C::CommencePar, nom, Recordset::Depart::Premier);
    return resultat(salaries, trouve, champ, nom);
}

bool Avancer(Recordset& salaries, Sens sens) {
    if (sens == Sens::Precedent) {
        if (!salaries.IsBOF())
            salaries.MovePrevious();
        return !salaries.IsBOF();
    }
    if (!salaries.IsEOF())
        salaries.MoveNext();
    return !salaries.IsEOF();
}

const QList<ChampCarte>& Carte() {
    static const QList<ChampCarte> carte = {
        {QStringLiteral("NOM"), 9},      {QStringLiteral("Prenom"), 3},
        {QStringLiteral("NomSite"), 2},  {QStringLiteral("NomService"), 5},
        {QStringLiteral("Profile"), 4},  {QStringLiteral("TailleM"), 1},
        {QStringLiteral("TailleCh"), 6}, {QStringLiteral("MatriculeSalarie"), 0},
    };
    return carte;
}

} // namespace SelectionSalarie
