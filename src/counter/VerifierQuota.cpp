#include "counter/VerifierQuota.h"

#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/FnWendrox.h"
#include "common/MajBase.h"
#include "db/Connexion.h"
#include "db/Recordset.h"
#include "db/Routines.h"
#include "db/Valeurs.h"

#include <algorithm>

namespace {

// A number the check cannot go without: a Null there is the runtime's "Invalid use of Null".
qint64 nombreExige(const QVariant& valeur, const char* colonne) {
    if (valeur.isNull())
        throw ErreurExecution(
            ErreurExecution::InvalidUseOfNull,
            QStringLiteral("Utilisation incorrecte de Null (%1)").arg(QLatin1String(colonne)),
            QStringLiteral("VerifierQuota"));
    return Valeurs::lireEntier(valeur);
}

// A name as the journal holds it: a Null one is the empty text.
QString texte(const QString& nom) {
    return nom.isNull() ? QStringLiteral("") : nom;
}

// The quantity taken by the employee in the period ending at `fin`.
qint64 quantitePrise(Connexion& c, qint64 reference, const QString& nom, const QString& prenom,
                     const QDateTime& fin, qint64 jours) {
    if (jours <= 0)
        return 0;
    // A period reaching before the first year of the calendar takes every withdrawal.
    const QDateTime debut = fin.addDays(-std::min(jours, QDate(1, 1, 1).daysTo(fin.date())));
    Recordset conso;
    Routines::SelectionQuotaConso(c, debut, fin, nom, prenom, reference, conso);
    qint64 somme = 0;
    for (conso.MoveFirst(); !conso.IsEOF(); conso.MoveNext())
        somme += nombreExige(conso.Field(QStringLiteral("Quantite")), "DetailVente.Quantite");
    return somme;
}

} // namespace

qint16 VerifierQuota(Connexion& c, qint64 reference, const QString& nom, const QString& prenom) {
    try {
        qint64 jours = 0, permise = 0;
        {
            Recordset quotas;
            Routines::SelectionQuotaArticleStock(c, Global().NoProfilQuotasGeneral, quotas);
            if (!quotas.Find(QStringLiteral("RefArticle"), Recordset::Comparaison::Egal, reference,
                             Recordset::Depart::Premier))
                return 2;
            jours = nombreExige(quotas.Field(QStringLiteral("Periodicite")), "Quota.Periodicite");
            permise = nombreExige(quotas.Field(QStringLiteral("QtePermise")), "Quota.QtePermise");
        }
        const QDateTime fin(FnWendrox::Maintenant().date(), QTime(23, 59, 59));
        const qint64 prise = quantitePrise(c, reference, texte(nom), texte(prenom), fin, jours);
        return prise >= permise ? 1 : 2;
    } catch (const ErreurExecution& e) {
        MajBase::SignalerErreur(QStringLiteral("VerifierQuota"), e);
    } catch (const std::exception& e) {
        MajBase::SignalerErreur(QStringLiteral("VerifierQuota"), e);
    }
    return 0;
}
