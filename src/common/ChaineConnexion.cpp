#include "common/ChaineConnexion.h"

#include "common/Crypte.h"
#include "common/FnWendrox.h"

namespace ChaineConnexion {

namespace {
const QString Section = QStringLiteral("Base de donnée");
}

Identifiants identifiantsDepuis(const QString& p, const QString& utilisateur) {
    if (p.isEmpty())
        return {QStringLiteral("sa"), QString::fromLatin1(MotDePasseParDefaut)};
    if (p.left(2).toUpper() == QLatin1String("CR"))
        return {Crypte::Decrypte(utilisateur), Crypte::Decrypte(p.mid(2))};
    return {utilisateur, p};
}

Identifiants lireIdentifiants(const QString& cheminIni) {
    const QString p = FnWendrox::LireIniString(cheminIni, Section, QStringLiteral("P"), QString());
    if (p.isEmpty())
        return identifiantsDepuis(p, QString());
    const QString utilisateur =
        FnWendrox::LireIniString(cheminIni, Section, QStringLiteral("Utilisateur"), QString());
    return identifiantsDepuis(p, utilisateur);
}

QString construire(const QString& utilisateur, const QString& motDePasse, const QString& serveur,
                   const QString& base, const QString& versionSqlServer) {
    const QString pilote = versionSqlServer == QLatin1String("2008")
                               ? QStringLiteral(";driver={SQL Server Native Client 10.0}; server=")
                               : QStringLiteral(";driver={SQL Server}; server=");
    return QStringLiteral("uid=") + utilisateur + QStringLiteral(";pwd=") + motDePasse + pilote + serveur +
           QStringLiteral(";database=") + base + QStringLiteral(";dsn=''");
}

QString lireChaineConnexion(const QString& cheminIni, const QString& utilisateur, const QString& motDePasse,
                            const QString& serveur, const QString& base) {
    const QString version =
        FnWendrox::LireIniString(cheminIni, Section, QStringLiteral("VersionSQLserver"), QString());
    return construire(utilisateur, motDePasse, serveur, base, version);
}

} // namespace ChaineConnexion
