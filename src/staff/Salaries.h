#pragma once

class Connexion;
class Recordset;

// The employee list of the employee file.
namespace Salaries {

// Opens the list: every row of GrUtilisateur, written through to Utilisateurs by IdUtilisateur. Only the
// columns of Utilisateurs can be written; the joined names (NomSite, Profile, TailleM, ...) follow a
// Requery. Throws ErreurExecution.
void OuvrirListe(Connexion& connexion, Recordset& liste);

} // namespace Salaries
