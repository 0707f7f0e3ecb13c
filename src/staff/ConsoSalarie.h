#pragma once

#include <QDateTime>
#include <QString>
#include <QVariant>
#include <functional>
#include <optional>

class Connexion;
class Recordset;

// What the employee form shows and prints of one employee beyond the card: the quota lines of the
// employee's profile, whether they hold the employee's shoe and glove sizes, and the employee's
// withdrawals copied into the report work table CA.
namespace ConsoSalarie {

// Opens in `detail` every quota line of the profile `quota` (a NoQuota, or Null for the lines whose NoQota
// is Null), also one whose article or size is gone (empty columns then), with the article's code,
// designation and size: RefArticle, Designation, CodeArticle, QtePermise, Periodicite, NoQota, NoLigne,
// NoTaille, Taille, NoFamille, Ordre.
void OuvrirDetailProfil(Connexion& connexion, Recordset& detail, const QVariant& quota);

// Whether the lines of an open detail miss the employee's sizes: a shoe line (family `familleChaussures`)
// none of which has exactly the size `tailleChaussure` (a NoTaille), or a glove line (family
// `familleGants`) none of which has an Ordre at least `ordreMain`. A Null on either side never matches.
// nullopt when the detail has no line.
std::optional<bool> TailleManquante(const Recordset& detail, const QVariant& tailleChaussure,
                                    const QVariant& ordreMain, int familleChaussures, int familleGants);

// The withdrawals of one employee for the consumption report.
struct DemandeConso {
    QString nom;     // Ventes.Nom, compared as the layer compares names (every letter folded, accents kept)
    QString prenom;  // Ventes.Prenom, the same
    QDateTime debut; // both bounds strict
    QDateTime fin;
    bool versionGSM = false; // lines matched to their withdrawal on the machine number as well
};

// The report's builder step, in one write transaction that holds CA: CA emptied, then filled with the
// employee's withdrawal lines of the period (identical lines merged; the family in upper case; the size
// from the article; Profile the profile's name; NomMois the French month of the date), counted, and
// `lecture` run inside the same transaction when CA holds rows. False, with CA left empty, when there is
// none. A failure rolls everything back and throws ErreurExecution.
bool RemplirCA(Connexion& connexion, const DemandeConso& demande, const std::function<void()>& lecture = {});

} // namespace ConsoSalarie
