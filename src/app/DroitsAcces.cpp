#include "app/DroitsAcces.h"

#include "app/MenuPrincipal.h"

#include "common/ChaineConnexion.h"
#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "db/Connexion.h"
#include "db/Valeurs.h"

#include <QSqlQuery>

#include <pwd.h>
#include <unistd.h>

namespace DroitsAcces {

const QList<ColonneDroit>& colonnesDroits() {
    static const QList<ColonneDroit> colonnes = [] {
        QList<ColonneDroit> l;
        for (const BoutonMenu& b : MenuPrincipal::boutons())
            if (!b.colonneDroit.isEmpty())
                l.append({b.colonneDroit, b.nom});
        return l;
    }();
    return colonnes;
}

QStringList boutonsGouvernes() {
    QStringList l;
    for (const ColonneDroit& c : colonnesDroits())
        l << c.bouton;
    return l;
}

QString ChaineConnexionDroits() {
    // Always the plain "{SQL Server}" driver, whatever the main connection uses.
    const EtatGlobal& g = Global();
    return ChaineConnexion::construire(g.UtilisateurSQL, g.MotDePasseSQL, g.NomServeur, g.NomBaseDroits,
                                       QString());
}

QString UserName() {
    // The account of the real user id: the one the rights table knows.
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_name && *pw->pw_name)
        return QString::fromLocal8Bit(pw->pw_name);
    const QString env = qEnvironmentVariable("LOGNAME");
    return env.isEmpty() ? qEnvironmentVariable("USER") : env;
}

std::optional<QMap<QString, bool>> LireDroits(const QString& login) {
    Connexion connexion(Connexion::parametresDroits());

    QString sql = QStringLiteral("SELECT Utilisateur");
    for (const ColonneDroit& c : colonnesDroits())
        sql += QStringLiteral(", ") + c.colonne;
    // The login is a bound, escaped pattern: no character of it can act as a wildcard or end the text.
    sql += QStringLiteral(" FROM Gestionnaire WHERE Utilisateur LIKE ? ESCAPE '\\'");
    QSqlQuery requete = connexion.executer(sql, {Valeurs::echapperLike(login)});

    while (requete.next()) {
        if (!Valeurs::egalSansCasse(Valeurs::lireTexte(requete.value(0)), login))
            continue;
        QMap<QString, bool> etats;
        const QList<ColonneDroit>& colonnes = colonnesDroits();
        for (qsizetype i = 0; i < colonnes.size(); ++i) {
            const QVariant v = requete.value(int(i) + 1);
            // A rights column must say yes or no.
            if (v.isNull())
                throw ErreurExecution(ErreurExecution::InvalidUseOfNull,
                                      QStringLiteral("Utilisation incorrecte de Null (Gestionnaire.%1)")
                                          .arg(colonnes.at(i).colonne),
                                      QStringLiteral("AppliquerDroitsAcces"));
            etats.insert(colonnes.at(i).bouton, Valeurs::lireBool(v));
        }
        return etats;
    }
    return std::nullopt;
}

std::optional<QMap<QString, bool>> DroitsUtilisateurCourant() {
    if (!Global().OptionLimitationAcces)
        return std::nullopt;
    return LireDroits(UserName());
}

} // namespace DroitsAcces
