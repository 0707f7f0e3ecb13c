#include "app/forms/RegistreMenu.h"

#include "app/forms/FrmPrincipal.h"
#include "common/EtatGlobal.h"
#include "common/ServiceSession.h"
#include "common/forms/FormBase.h"
#include "counter/forms/FenComptoir.h"
#include "counter/forms/FrmVente.h"
#include "counter/forms/frmListeAlarme.h"
#include "machines/forms/FrmConfigMachine.h"
#include "reports/forms/FenCompteRendu.h"
#include "staff/forms/FenBadgeMaintenance.h"
#include "staff/forms/FenQuota.h"
#include "staff/forms/FenSites.h"
#include "staff/forms/FrmUtilisateur.h"
#include "stock/forms/FenFamille.h"
#include "stock/forms/FenFournisseur.h"
#include "stock/forms/FenTailles.h"
#include "stock/forms/FrmStock.h"
#include "stock/forms/frmMouvtStock.h"

#include <QCoreApplication>

namespace {

// Loads the form when it is not loaded (a loaded form keeps its state). False when the form did not
// stay loaded (its Form_Load unloaded it) or the program is ending: nothing more is done then.
bool chargerForme(QWidget* forme) {
    auto* f = qobject_cast<FormBase*>(forme);
    if (!f)
        return !Global().FinDemandee;
    f->Load();
    return f->estCharge() && !Global().FinDemandee;
}

} // namespace

RegistreMenu::~RegistreMenu() {
    // The program's registry outlives the application object: its forms then go with the process.
    if (QCoreApplication::instance())
        vider();
}

RegistreMenu& RegistreMenu::global() {
    static RegistreMenu registre;
    static const bool rempli = [] {
        enregistrerFormesMenu(registre);
        return true;
    }();
    Q_UNUSED(rempli);
    return registre;
}

void RegistreMenu::enregistrer(const QString& bouton, EntreeMenu entree) {
    retirer(bouton);
    auto e = std::make_shared<Enregistrement>();
    e->entree = std::move(entree);
    m_entrees.insert(bouton, e);
}

void RegistreMenu::retirer(const QString& bouton) {
    const auto e = m_entrees.take(bouton);
    if (e && e->forme)
        delete e->forme.data();
}

void RegistreMenu::vider() {
    const QStringList tous = m_entrees.keys();
    for (const QString& b : tous)
        retirer(b);
}

void RegistreMenu::enregistrerAction(const QString& bouton, std::function<void(QWidget*)> action) {
    EntreeMenu e;
    e.action = std::move(action);
    enregistrer(bouton, std::move(e));
}

bool RegistreMenu::estEnregistre(const QString& bouton) const {
    const auto e = m_entrees.value(bouton);
    return e && (e->entree.fabrique || e->entree.action);
}

QStringList RegistreMenu::boutons() const {
    QStringList l = m_entrees.keys();
    l.sort();
    return l;
}

QStringList RegistreMenu::boutonsPrecharges() const {
    QStringList l;
    for (auto it = m_entrees.cbegin(); it != m_entrees.cend(); ++it)
        if (it.value()->entree.prechargee)
            l << it.key();
    l.sort();
    return l;
}

QWidget* RegistreMenu::instance(const QString& bouton) {
    const auto e = m_entrees.value(bouton);
    if (!e || !e->entree.fabrique)
        return nullptr;
    if (!e->forme)
        e->forme = e->entree.fabrique();
    return e->forme;
}

QWidget* RegistreMenu::instanceExistante(const QString& bouton) const {
    const auto e = m_entrees.value(bouton);
    return e ? e->forme.data() : nullptr;
}

void RegistreMenu::precharger() {
    for (const QString& b : boutonsPrecharges()) {
        if (QWidget* f = instance(b))
            chargerForme(f);
    }
}

bool RegistreMenu::ouvrir(const QString& bouton, QWidget* proprietaire) {
    // Keep the entry alive while its form runs, even if a test re-registers the button meanwhile.
    const auto e = m_entrees.value(bouton);
    if (e && !e->entree.fabrique && e->entree.action) {
        e->entree.action(proprietaire);
        return true;
    }
    QWidget* forme = instance(bouton);
    if (!e || !forme)
        return false;

    if (!chargerForme(forme))
        return true;
    if (e->entree.preparer)
        e->entree.preparer(forme);

    auto* f = qobject_cast<FormBase*>(forme);
    switch (e->entree.affichage) {
    case AffichageMenu::NonModal:
        if (forme->isMinimized())
            forme->showNormal();
        if (f) {
            f->Show();
        } else {
            forme->show();
            forme->raise();
            forme->activateWindow();
        }
        break;
    case AffichageMenu::Modal:
    case AffichageMenu::ModalDevant:
        if (e->entree.affichage == AffichageMenu::ModalDevant)
            forme->raise();
        if (f)
            f->ShowModal(proprietaire);
        else
            Session().montrerModal(forme);
        break;
    }
    return true;
}

// The task forms of the menu, one registration each. They are listed here rather than registered by
// static objects in each form's file: dorvane_ui is a static library, and the linker drops an object
// file that nothing refers to, registration included.
void enregistrerFormesMenu(RegistreMenu& registre) {
    registre.enregistrerForme<FenFamille>(QStringLiteral("CmdFamilles"));
    registre.enregistrerForme<FenTailles>(QStringLiteral("CmdTailles"));
    registre.enregistrerForme<FenFournisseur>(QStringLiteral("CmdFournissueur"));
    registre.enregistrerForme<FrmStock>(QStringLiteral("CmdStock"));
    registre.enregistrerForme<FrmUtilisateur>(QStringLiteral("CmdEmplacement"));
    registre.enregistrerForme<frmMouvtStock>(QStringLiteral("CmdMouvementStock"));
    registre.enregistrerForme<FenSites>(QStringLiteral("CmdSites"));
    registre.enregistrerForme<FenBadgeMaintenance>(QStringLiteral("CmdBadgeMainten"));
    registre.enregistrerAction(QStringLiteral("CmdImportSalarie"), [](QWidget* principale) {
        if (auto* f = qobject_cast<FrmPrincipal*>(principale))
            f->CmdImportSalarie_Click();
    });
    registre.enregistrerForme<FenQuota>(QStringLiteral("CmdProfile"),
                                        [](FenQuota& f) { f.DepuisFicheSalarie = false; });
    registre.enregistrerForme<FenComptoir>(QStringLiteral("CmdComptoir"));
    registre.enregistrerForme<frmListeAlarme>(QStringLiteral("CmdListealarme"));
    registre.enregistrerForme<FrmConfigMachine>(QStringLiteral("CmdMachines"),
                                                [](FrmConfigMachine& f) { f.ModeConfig = false; });
    registre.enregistrerForme<FrmVente>(QStringLiteral("CmdVente"));
    registre.enregistrerForme<FenCompteRendu>(QStringLiteral("CmdReport"));
}
