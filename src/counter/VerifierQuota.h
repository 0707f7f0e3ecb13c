#pragma once

#include <QString>
#include <QtGlobal>

class Connexion;

// Whether an employee has already taken, within the period of the general quota profile's line for the
// article (NoProfilQuotasGeneral), at least the quantity it permits:
//  - 1: the quantity taken in the period reaches QtePermise (a QtePermise of 0 or less is always reached);
//  - 2: it is below QtePermise, or the profile has no line for the article;
//  - 0: the check failed (logged under "VerifierQuota"), a Null Periodicite, QtePermise or Quantite
//    included.
// Of several lines for the article, the first written (lowest NoLigne) counts. The period runs from
// today 23:59:59 less Periodicite days (included) to today 23:59:59 (excluded), today from
// FnWendrox::Maintenant(); a Periodicite of 0 or less is an empty period. The employee is known by the
// surname and first name stored with the withdrawals (every letter folded, accents kept, every other
// character as typed; a Null name is the empty text), so namesakes share one count. The quantity about to
// be handed out is not counted. Runs on the caller's connection; never throws.
qint16 VerifierQuota(Connexion& connexion, qint64 reference, const QString& nom, const QString& prenom);
