#pragma once

#include "app/MenuPrincipal.h"
#include "common/forms/Instance.h"

#include <QHash>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>

// The main menu's registry: per menu button (its objectName, "CmdStock", "CmdComptoir", ...) the task form
// it opens, or the routine it runs. The main window asks the registry whether a button has one (a button
// without one stays visible and disabled), preloads what is marked so at the end of its load, and hands
// every click to ouvrir(); it never names another form or its variables. Each task form registers itself
// with one call in enregistrerFormesMenu() (RegistreMenu.cpp); how it is shown and whether it is
// preloaded come from the menu table (MenuPrincipal), e.g.
//
//     registre.enregistrerForme<FenQuota>(QStringLiteral("CmdProfile"),
//                                         [](FenQuota& f) { f.DepuisFicheSalarie = false; });
//     registre.enregistrerAction(QStringLiteral("CmdImportSalarie"), [](QWidget* principale) { ... });
//
// A typed form is the class's single instance (Instance<F>()), created on first use and kept for the
// whole run, so its public variables stay readable after it unloads and every other caller gets the
// same object; a second click shows the same instance.
// A FormBase form is loaded with Load() (not again while it is loaded) and shown with Show() or
// ShowModal(); any other widget is shown as it is.

struct EntreeMenu {
    // Creates the form; called once, on first use (or at preload).
    std::function<QWidget*()> fabrique;
    // Or, for a button that runs a routine rather than a form: called at each click with the owner.
    std::function<void(QWidget*)> action;
    // Runs before every show (after the load), e.g. a public flag the form reads while it is open.
    std::function<void(QWidget*)> preparer;
    AffichageMenu affichage = AffichageMenu::Modal;
    // Created and loaded (not shown) by the main window at the end of its load.
    bool prechargee = false;
};

class RegistreMenu {
public:
    RegistreMenu() = default;
    ~RegistreMenu();
    RegistreMenu(const RegistreMenu&) = delete;
    RegistreMenu& operator=(const RegistreMenu&) = delete;

    // The program's registry, filled with the task forms of enregistrerFormesMenu() on first use.
    static RegistreMenu& global();

    // Registers (or replaces) the form of a button; an instance made by the previous entry is kept
    // no longer.
    void enregistrer(const QString& bouton, EntreeMenu entree);

    // Typed form of enregistrer(): the button opens F's single instance, shown as the menu table says.
    template <class F> void enregistrerForme(const QString& bouton, std::function<void(F&)> preparer = {}) {
        const BoutonMenu* b = MenuPrincipal::bouton(bouton);
        enregistrerForme<F>(bouton, b ? b->affichage : AffichageMenu::Modal, std::move(preparer),
                            b && b->prechargee);
    }
    // The same with an explicit way of showing.
    template <class F>
    void enregistrerForme(const QString& bouton, AffichageMenu affichage,
                          std::function<void(F&)> preparer = {}, bool prechargee = false) {
        EntreeMenu e;
        e.fabrique = [] { return static_cast<QWidget*>(&Instance<F>()); };
        if (preparer)
            e.preparer = [preparer](QWidget* w) { preparer(*static_cast<F*>(w)); };
        e.affichage = affichage;
        e.prechargee = prechargee;
        enregistrer(bouton, std::move(e));
    }

    // A button that runs a routine; it is given the owner window (the main window).
    void enregistrerAction(const QString& bouton, std::function<void(QWidget*)> action);

    // Forgets a button (or every button) and deletes the instances made for it.
    void retirer(const QString& bouton);
    void vider();

    bool estEnregistre(const QString& bouton) const;
    QStringList boutons() const;
    // The buttons whose form is preloaded at start ("CmdStock").
    QStringList boutonsPrecharges() const;

    // The button's form: created on first call and kept; nullptr when the button has no form.
    QWidget* instance(const QString& bouton);
    // The form if it was already created, else nullptr (never creates it).
    QWidget* instanceExistante(const QString& bouton) const;

    // Creates and loads, without showing, every preloaded form.
    void precharger();

    // The button's steps other than the hourglass and the company panel, which the main window does:
    // load (a loaded form is not loaded again), prepare, front, show modal over `proprietaire` or
    // modeless; or run the button's routine. A modal show returns when the form is closed or hidden.
    // False when the button has neither (nothing happens).
    bool ouvrir(const QString& bouton, QWidget* proprietaire);

private:
    struct Enregistrement {
        EntreeMenu entree;
        QPointer<QWidget> forme;
    };
    QHash<QString, std::shared_ptr<Enregistrement>> m_entrees;
};

// The task forms and routines the program's menu opens: one registration call each.
void enregistrerFormesMenu(RegistreMenu& registre);
