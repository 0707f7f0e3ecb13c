#pragma once

#include <QString>
#include <optional>

class Connexion;
class Recordset;

// The upkeep the main window runs on its connection each time the program starts.
namespace MiseAJourBase {

// The schema version in the company record's VD: its first three characters, trimmed, as an optional
// sign and digits; anything else is not numeric (nullopt).
std::optional<int> versionDepuisVD(const QString& vd);
// VD once the procedure is reinstalled: "001" followed by VD from its fourth character.
QString vdApresMigration(const QString& vd);

// Copies the article pictures into ImageProduit while that table is empty; sets ImagesEnBase (false on
// any failure, silently).
void MigrerImagesEnBase(Connexion& connexion);
// On version 0: reinstalls EtatCA and writes VD "001..." into the company record, through `societe`
// (the main window's recordset) when given, else directly. Errors go to the caller.
void CreerProcedureEtatCA(Connexion& connexion, int version, Recordset* societe = nullptr);
// Ensures the system profiles and sets NoProfilIllimite, NoProfilQuotasGeneral and NoProfilChef; an
// empty table gets "ILLIMITÉ" only. Failures are logged under "FixerQuotaTOUS".
void FixerQuotaTOUS(Connexion& connexion);
// CodeArticleSansCle = table CodeArticle has no primary key; errors leave it unchanged, silently.
void VerifierClePrimaireCodeArticle(Connexion& connexion);

} // namespace MiseAJourBase
