#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class Connexion;

// The schema of the main database and of the rights database, for both backends, and the upgrade steps.
namespace Schema {

// Our own schema number once every step below has run; the creation itself is version 1.
int versionCourante();

// Creates every table, view and index of the main database, SchemaDorvane and the seed (company row
// with VD "016", the three system profiles), in one transaction. Throws ErreurExecution.
void creerBasePrincipale(Connexion& connexion);
// The rights table Gestionnaire, empty.
void creerBaseDroits(Connexion& connexion);

// An upgrade step: brings a database from version - 1 to `version`, inside the step's transaction.
struct Etape {
    int version;
    std::function<void(Connexion&)> appliquer;
};
// Adds a step. The program's steps are all registered in enregistrerEtapesSchema() (EtapesSchema.cpp);
// tests add their own and take them out again with retirerEtape. Steps are applied in version order; a
// number registered twice, or not above 1, stops the program (one of the two would never run).
void enregistrerEtape(int version, std::function<void(Connexion&)> appliquer);
// Forgets the step of that number (nothing when there is none).
void retirerEtape(int version);

// Runs the pending steps, each in one transaction that first holds SchemaDorvane and re-reads Version,
// so that two workstations starting together never run a step twice. Returns the version reached.
int mettreAJour(Connexion& connexion);
// The version stored in SchemaDorvane (0 when the table is missing or empty).
int versionBase(Connexion& connexion);

// The DDL of the main database for one backend (tests and the documentation of the README).
QStringList instructionsBasePrincipale(bool sqlite);

// "CREATE TABLE IF NOT EXISTS" for one backend from the schema's neutral notation ("Name (Column TYPE,
// ...)", the types of SCHEMA.md): a table an upgrade step adds, so that the step may run twice.
QString creationTableSiAbsente(const QString& neutre, bool sqlite);

// The columns of a table of the main database as the schema spells them, in its order (PostgreSQL gives
// the names folded to lower case); empty for a table the schema does not make.
QStringList colonnesTable(const QString& table);

} // namespace Schema

// Creates the databases of a program folder from its "automat.ini" ("Nom", "Serveur", the login): the
// embedded "<Nom>.db" and the rights database "gestionnaire.db" when missing, and, when a server is
// named, the PostgreSQL databases when missing. Nothing that exists is touched. False and the reason in
// `erreur` on failure (a half-made embedded file is removed).
bool creerBasesDossierProgramme(const QString& dossier, QString* erreur);
