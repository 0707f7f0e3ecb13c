#pragma once

#include "reports/ReportData.h"

#include <QDateTime>
#include <QString>
#include <QVariantList>
#include <optional>

class Connexion;

// The report builders over the journal, without their window: each fills its work table through its
// routine for the period of the reports menu, counts it and, for a report, lets the viewer read it, all in
// the one transaction that holds the table. The period texts are read as dates and bound: a text that is
// no date runs nothing.
namespace ReportBuilders {

// The period as the reports menu holds it when a builder is called.
struct Periode {
    bool depuisCompteRendu = true; // EtatDepuisCompteRendu
    QString debut;                 // the texts of TextDebut and TextFin, as typed
    QString fin;
};

struct Bornes {
    QDateTime debut;
    QDateTime fin;
};
// The bounds of a period's texts (d/M/yyyy): the first day at 00:00:00, the last at 23:59:59; nullopt
// when either is no date or the end comes before the start.
std::optional<Bornes> bornes(const QString& debut, const QString& fin);

// CreerEtatCA's step (a ReportData::Builder): nothing runs, and there is nothing to print, when the
// period does not come from the reports menu or is no period. Otherwise EtatCA for it and, in its
// transaction, `instruction` with its bound `valeurs` when given (the program's own text: it may reduce
// CA), the count of CA, and the viewer's read when CA holds a row. Its own failures are logged under
// "CreerEtatCA" and go on to the viewer; everything is then rolled back.
ReportData::Builder etatCA(const Periode& periode, const QString& instruction = QString(),
                           const QVariantList& valeurs = {});

// CreerEtatConsoParCentreCout's step: ConsoParCentreCout for the period, the count of
// ConsoParMachineSecteur and the viewer's read when it holds a row. No period: nothing runs, nothing to
// print. Failures go on to the caller as they are.
ReportData::Builder consoParCentreCout(const Periode& periode);

// AjoutSuiviParHeure and AjoutCAparArticle for the period, their table counted in their transaction:
// true when it holds a row. No period: false, nothing runs. A failure is logged under the builder's
// name ("CreerEtatSuiviParHeure", "CreerEtatCAparArticle") and gives false.
bool CreerEtatSuiviParHeure(Connexion& connexion, const Periode& periode);
bool CreerEtatCAparArticle(Connexion& connexion, const Periode& periode);

} // namespace ReportBuilders
