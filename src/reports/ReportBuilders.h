#pragma once

#include "reports/ReportData.h"

#include <QDateTime>
#include <QString>
#include <QVariantList>
#include <functional>
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

// The folder of the prepared pictures: the temporary folder, or, when it is missing or takes no file, the
// picture folder CheminImage (logged under "CreerImageRPT").
QString dossierImagesRPT();

// Prepares the picture `reference` (an article's Image) for the picture sheets: "RPT<reference>.jpg" in
// `dossier`, landscape (a portrait picture turned a quarter), 128 x 65, JPEG quality 100. A picture
// already there (its name compared without regard to case) is kept as it is. The source is the row of
// ImageProduit of that name (compared literally, without regard to case) when pictures live in the
// database, else "<reference>.jpg" of CheminImage. A missing source makes no file; so does a name that
// would leave the folder ("/", "\", "." or "..") or a source that is no picture, which are logged under
// "CreerImageRPT", as every failure here; nothing is thrown.
void CreerImageRPT(Connexion& connexion, const QString& dossier, const QString& reference);

// The machine sheets' step (a ReportData::Builder): one transaction holding TRemplissageMachine, then
// ARemplissageMachine: `travail` first when given (the sheet's computation; false: nothing to print),
// ARemplissageMachine emptied, the routine `procedure` ("RemplissageMachine" or "PresentationArticle") for
// `machine`, and one row of ARemplissageMachine per row of its result: each column into the column of
// that name (a column the table lacks is a failure), CodeArticle as text of LongeurCodeArticle digits
// (zeros in front; a longer code kept whole; Null kept), Picture the bytes of the prepared picture of
// Image (CreerImageRPT in dossierImagesRPT()) when there is one; then the viewer's read. The sheet opens
// even with no row. `nombre` (1, or the number of machines of a global sheet) changes nothing. A failure
// rolls everything back, is logged under "CreerEtatRemplissageMach" and goes on to the viewer.
ReportData::Builder CreerEtatRemplissageMach(int machine, int nombre, QString procedure,
                                             std::function<bool(Connexion&)> travail = {});

} // namespace ReportBuilders
