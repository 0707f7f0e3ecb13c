#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <optional>

// Per-user rights on the main menu, read from table Gestionnaire of the rights database beside the
// main one (Global().NomBaseDroits). The main window applies the answer to its buttons.
namespace DroitsAcces {

// A rights column and the menu button it governs.
struct ColonneDroit {
    QString colonne;
    QString bouton;
};

// The columns of table Gestionnaire, in the order they are applied.
const QList<ColonneDroit>& colonnesDroits();
// The buttons the rights govern (every other menu button is always available).
QStringList boutonsGouvernes();

// The connection text of the rights database, built from the state's login and server.
QString ChaineConnexionDroits();

// Login name of the user who runs the program.
QString UserName();

// Button name -> enabled, for the row of `login` (compared exactly, without regard to case); nullopt
// when the table holds no row for that login (nothing changes). Throws ErreurExecution when the rights
// database cannot be read or a rights column is Null.
std::optional<QMap<QString, bool>> LireDroits(const QString& login);

// What the main window's load applies: nullopt without opening anything when access limitation is off
// (Global().OptionLimitationAcces), else LireDroits(UserName()).
std::optional<QMap<QString, bool>> DroitsUtilisateurCourant();

} // namespace DroitsAcces
