#pragma once

#include <QString>

// The database login read from the settings file and the connection string kept in the state.
namespace ChaineConnexion {

// The password used when the settings give none.
inline constexpr const char* MotDePasseParDefaut = "tovek";

struct Identifiants {
    QString utilisateur;
    QString motDePasse;
};

// From the already-read values of [Base de donnée] "P" and "Utilisateur": an empty P gives "sa" and the
// built-in password; a P beginning with "CR" (any case) is descrambled without its prefix and the user
// descrambled whole; otherwise both as typed.
Identifiants identifiantsDepuis(const QString& p, const QString& utilisateur);
// The same, reading the two keys from the settings file.
Identifiants lireIdentifiants(const QString& cheminIni);

// The connection string, byte for byte: the Native Client driver when `versionSqlServer` is exactly
// "2008" (the reader has trimmed it), "{SQL Server}" otherwise.
QString construire(const QString& utilisateur, const QString& motDePasse, const QString& serveur,
                   const QString& base, const QString& versionSqlServer);
// The same, reading "VersionSQLserver" from the settings file.
QString lireChaineConnexion(const QString& cheminIni, const QString& utilisateur, const QString& motDePasse,
                            const QString& serveur, const QString& base);

} // namespace ChaineConnexion
