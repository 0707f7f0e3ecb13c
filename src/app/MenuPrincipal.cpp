#include "app/MenuPrincipal.h"

namespace MenuPrincipal {

const QList<BoutonMenu>& boutons() {
    using A = AffichageMenu;
    // nom, legende, image, colonne, ligne, sablier, panneau, affichage, prechargee, colonneDroit,
    // couleursMenu, parRegistre, masque
    static const QList<BoutonMenu> table{
        {"CmdFamilles", " Familles", "fonts.gif", 1, 1, true, true, A::ModalDevant, false, "Familles"},
        {"CmdVente", " Journal des consommations", "book01.gif", 2, 0, true, true, A::Modal, false,
         "JournalConsomation"},
        {"CmdMachines", " Machines", "wrench.ico", 2, 2, true, true, A::ModalDevant, false, "Machines"},
        {"CmdMouvementStock", " Mouvements de Stock", "note14.ico", 1, 4, false, true, A::ModalDevant, false,
         "MouvementDeStock"},
        {"CmdFournissueur", " Fournisseurs", "crdfle04.ico", 1, 3, false, true, A::ModalDevant, false,
         "Fournisseurs"},
        {"CmdBadgeMainten", " Badges Maintenances", "secur06.ico", 0, 3, true, true, A::ModalDevant, false,
         "BadgesMaintenances"},
        {"cmdClose", " Quitter", "door02.gif", 2, 6, false, false, A::Modal, false, {}, true, false},
        {"CmdSites", " Sites et Services", "orgchrt2.gif", 0, 2, true, true, A::ModalDevant, false,
         "SitesEtServices"},
        {"CmdProfile", " Profils", "misc08.ico", 0, 1, true, true, A::ModalDevant, false, "Profils"},
        {"CmdStock", " Articles en Stock", "folder05.ico", 1, 0, true, true, A::NonModal, true,
         "ArticleEnStock"},
        {"CmdReport", " Report", "graph01.gif", 2, 1, false, true, A::Modal, false, "Report"},
        {"CmdComptoir", " Comptoir", "desktop.gif", 0, 4, true, true, A::ModalDevant, false, "Comptoir"},
        {"CmdApropos", " Info Version", "6pt3a.gif", 2, 4, false, false, A::Modal, false, {}, true, false},
        {"CmdInfoCom",
         " Informations Société",
         "6pt5a.gif",
         2,
         3,
         false,
         false,
         A::Modal,
         false,
         {},
         true,
         false},
        {"CmdEmplacement", " Salariés", "net14.ico", 0, 0, true, false, A::NonModal, false, "Salarie"},
        {"CmdTailles", " Tailles", "net14.ico", 1, 2, true, true, A::ModalDevant, false, "Tailles"},
        {"Commandhelp", " Aide sur Dorvane", {}, 2, 5, false, false, A::Modal, false, {}, true, false},
        // Shown or hidden by the main window's load.
        {"CmdListealarme",
         " Liste des codes affaires",
         {},
         0,
         6,
         false,
         true,
         A::ModalDevant,
         false,
         {},
         false,
         true,
         true},
        {"CmdImportSalarie", "Importation Salariés", {}, 0, 5, false, false, A::Modal, false, {}, false},
        {"CmdDotation", "Calcul des besoins", {}, 1, 5, false, false, A::Modal, false, {}, false, true, true},
    };
    return table;
}

const BoutonMenu* bouton(const QString& nom) {
    for (const BoutonMenu& b : boutons())
        if (b.nom == nom)
            return &b;
    return nullptr;
}

QStringList boutonsRegistre() {
    QStringList l;
    for (const BoutonMenu& b : boutons())
        if (b.parRegistre)
            l << b.nom;
    return l;
}

} // namespace MenuPrincipal
