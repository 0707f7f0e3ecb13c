#include "staff/BadgesMaintenance.h"

#include "db/Connexion.h"
#include "db/Recordset.h"
#include "db/Valeurs.h"
#include "staff/BadgeEAN13.h"
#include "staff/Badges.h"

namespace BadgesMaintenance {

namespace {

constexpr int CodeBarre = 3;
constexpr int LongueurCorps = 12;

bool chiffres(const QString& texte) {
    for (QChar c : texte)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

// The number's holders, held by the caller's write transaction until its commit.
std::optional<Resultat> refus(Connexion& c, const QString& badge, std::optional<qint64> sauf) {
    Badges::VerrouillerBadges(c, true);
    if (Badges::EstBadgeMaintenance(c, badge, sauf))
        return Resultat::DejaMaintenance;
    if (Badges::TitulaireBadge(c, badge))
        return Resultat::BadgeSalarie;
    return std::nullopt;
}

} // namespace

std::optional<NumeroBoite> NumeroDeLaBoite(const QString& texte, int typeLecteurBadge) {
    if (texte.isEmpty())
        return std::nullopt;
    if (typeLecteurBadge != CodeBarre)
        return NumeroBoite{texte, texte};
    // A letter would reach the check digit as a wrong digit.
    if (!chiffres(texte) || texte.size() > LongueurCorps + 1)
        return std::nullopt;
    if (texte.size() == LongueurCorps + 1)
        return NumeroBoite{texte, texte};
    const QString corps = texte.rightJustified(LongueurCorps, u'0');
    return NumeroBoite{BadgeEAN13::CalculChecksumEAN13(corps), corps};
}

Resultat AjouterBadge(Connexion& c, const QString& badge) {
    TransactionEcriture t(c);
    if (const auto r = refus(c, badge, std::nullopt))
        return *r;
    c.executer(QStringLiteral("INSERT INTO BadgeMaintenance (NoBadge) VALUES (?)"), {badge}).finish();
    t.valider();
    return Resultat::Enregistre;
}

Resultat ModifierBadge(Connexion& c, Recordset& badges, const QString& badge) {
    const qint64 id = Valeurs::lireEntier(badges.Field(QStringLiteral("Id")));
    bool ecrit = false;
    try {
        TransactionEcriture t(c);
        if (const auto r = refus(c, badge, id))
            return *r;
        badges.SetField(QStringLiteral("NoBadge"), badge);
        badges.Update();
        ecrit = true;
        t.valider();
    } catch (...) {
        // The transaction is rolled back here.
        if (badges.EditMode()) {
            badges.CancelUpdate();
        } else if (ecrit) {
            // The commit failed after the row took the number: the table's is read again.
            try {
                badges.Requery();
            } catch (...) {
            }
        }
        throw;
    }
    return Resultat::Enregistre;
}

} // namespace BadgesMaintenance
