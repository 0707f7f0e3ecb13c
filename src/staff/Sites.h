#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

class Connexion;

// The sites (table Sites) and services (table Services) the employees belong to. Each routine runs in one
// write transaction on the caller's connection and throws ErreurExecution; nothing is written when it
// fails. Names are compared as the layer compares names: every letter without regard to case, accents
// kept, every other character as typed ("%", "_", "\" and quotes included).
namespace Sites {

// Creates a site and returns its number; nullopt, with nothing written, when a site of that name exists.
std::optional<qint64> AjouterSite(Connexion& connexion, const QString& nom, const QString& adresse,
                                  const QString& info);
// Writes the three fields into a site; another site of the same name is allowed.
void ModifierSite(Connexion& connexion, qint64 noSite, const QString& nom, const QString& adresse,
                  const QString& info);
// Deletes a site; a site that an employee still belongs to is refused (ErreurExecution).
void SupprimerSite(Connexion& connexion, qint64 noSite);

// Creates a service and returns its number; nullopt, with nothing written, when the name exists. With
// `site` the service belongs to that site and is compared with that site's services only; without it the
// service belongs to no site and is compared with every service.
std::optional<qint64> AjouterService(Connexion& connexion, const QString& nom, const QString& info,
                                     std::optional<qint64> site);
// Writes the name and the information into a service (its site stays).
void ModifierService(Connexion& connexion, qint64 noService, const QString& nom, const QString& info);
// Deletes a service; a service that an employee still belongs to is refused (ErreurExecution).
void SupprimerService(Connexion& connexion, qint64 noService);

} // namespace Sites
