#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// How a menu button shows its form.
enum class AffichageMenu {
    NonModal,    // shown modeless, brought back to the front when already open
    Modal,       // shown modal with the main window as owner
    ModalDevant, // brought to the front first, then shown modal with the main window as owner
};

// One button of the main window's menu. The main window builds its buttons from this table, the rights
// read their columns from it, and the menu registry takes a form's way of showing from it.
struct BoutonMenu {
    QString nom;     // objectName, also the key of the language files
    QString legende; // French caption, leading blank included
    QString image;   // picture file in "icon/" (empty: none)
    int colonne = 0; // place in the menu: column, then row within it
    int ligne = 0;
    bool sablier = false; // hourglass before the form is loaded
    bool panneau = false; // the company panel is hidden first
    AffichageMenu affichage = AffichageMenu::Modal;
    bool prechargee = false;  // created and loaded, not shown, at the end of the main window's load
    QString colonneDroit;     // column of table Gestionnaire governing it; empty: never restricted
    bool couleursMenu = true; // takes the menu's colours and font (the 17 buttons)
    bool parRegistre = true;  // opens what the registry holds for it (a form or an action)
    bool masque = false;      // hidden until the load shows it
};

namespace MenuPrincipal {

// Every button, the 17 coloured ones first in the order of their pictures.
const QList<BoutonMenu>& boutons();
// The entry of a button, or nullptr.
const BoutonMenu* bouton(const QString& nom);
// The buttons whose click goes to the menu registry.
QStringList boutonsRegistre();

} // namespace MenuPrincipal
