#include "app/forms/Main.h"

#include "app/InstanceUnique.h"
#include "app/forms/CodeAccesDlg.h"
#include "app/forms/FenLoading.h"
#include "app/forms/FrmChoixBD.h"
#include "app/forms/FrmPrincipal.h"
#include "common/ChaineConnexion.h"
#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/FnWendrox.h"
#include "common/MODTranslate.h"
#include "common/MajBase.h"
#include "common/ServiceDialogue.h"
#include "common/ServiceSession.h"
#include "common/forms/FormBase.h"
#include "common/forms/TraductionsQt.h"

#include <QDir>
#include <QLocale>
#include <memory>

namespace {

std::unique_ptr<InstanceUnique> g_instance;
QString g_cheminVerrou;

const QString kSectionBase = QStringLiteral("Base de donnée");

QString lireTexte(const QString& section, const QString& cle, const QString& defaut) {
    return FnWendrox::LireIniString(Global().CheminIni, section, cle, defaut);
}

int lireEntier(const QString& section, const QString& cle, int defaut) {
    return FnWendrox::LireIniInteger(Global().CheminIni, section, cle, defaut);
}

bool lireOption(const QString& section, const QString& cle, const QString& defaut) {
    return lireTexte(section, cle, defaut) == QLatin1String("OUI");
}

// Steps 5 to 7: everything else the settings hold, in their order.
void lireParametres() {
    EtatGlobal& g = Global();
    const QString dossier = FnWendrox::CheminApplication();
    g.SeparateurDecimal = QLocale::system().decimalPoint();

    g.CheminImage = lireTexte(kSectionBase, QStringLiteral("Chemin Image"), QString());
    if (g.CheminImage.isEmpty())
        g.CheminImage = QDir(dossier).filePath(QStringLiteral("image"));
    g.NomBase = lireTexte(kSectionBase, QStringLiteral("Nom"), QStringLiteral("VEZ"));
    g.NomServeur = lireTexte(kSectionBase, QStringLiteral("Serveur"), QString());
    g.TypeLecteurBadge = lireEntier(QStringLiteral("Badge"), QStringLiteral("TypeLecteurBadge"), 1);
    g.PortLecteurBadge = lireEntier(QStringLiteral("PortCom"), QStringLiteral("PortLecteurBadge"), 1);
    g.PeripheriqueLecteurBadge =
        lireTexte(QStringLiteral("PortCom"), QStringLiteral("PeripheriqueLecteurBadge"), QString());
    g.LectureBadge16Bits =
        lireOption(QStringLiteral("Badge"), QStringLiteral("LectureBadge16Bits"), QStringLiteral("NON"));
    g.FamilleChaussures = lireEntier(QStringLiteral("Badge"), QStringLiteral("Chaussures"), 3);
    g.FamilleGants = lireEntier(QStringLiteral("Badge"), QStringLiteral("Gants"), 1);
    g.NoProfilIllimite = lireEntier(QStringLiteral("Profile"), QStringLiteral("TOUS"), 83);
    g.OptionLienSiteService =
        lireOption(kSectionBase, QStringLiteral("LienSiteService"), QStringLiteral("OUI"));
    const QString machine = QStringLiteral("Machine");
    g.OptionVersionGSM = lireOption(machine, QStringLiteral("VersionGSM"), QStringLiteral("NON"));
    g.OptionQuantiteMultiple = lireOption(machine, QStringLiteral("QuantiteMultiple"), QStringLiteral("NON"));
    g.LongeurCodeArticle = lireEntier(machine, QStringLiteral("LongeurCodeArticle"), 2);
    g.OptionLimitationAcces = lireOption(machine, QStringLiteral("LimitationAcces"), QStringLiteral("NON"));
    g.OptionBoutonCommande = lireOption(machine, QStringLiteral("BoutonCommande"), QStringLiteral("NON"));
    g.OptionPlageHoraire = lireOption(machine, QStringLiteral("PlageHoraire"), QStringLiteral("NON"));
    g.LangueCourante = lireTexte(machine, QStringLiteral("Langue"), QStringLiteral("FR"));
    if (g.LangueCourante.isEmpty())
        g.LangueCourante = QStringLiteral("FR");
    g.OptionAvecRetour = lireOption(machine, QStringLiteral("AvecRetour"), QStringLiteral("NON"));

    g.FichierLangue = QDir(dossier).filePath(MODTranslate::NomFichierLangue(g.LangueCourante));
}

bool fin() {
    return Global().FinDemandee;
}

std::optional<int> codeFin() {
    return Global().CodeSortie;
}

} // namespace

InstanceUnique& instanceProgramme() {
    if (!g_instance)
        g_instance = std::make_unique<InstanceUnique>(g_cheminVerrou);
    return *g_instance;
}

void definirCheminVerrou(const QString& chemin) {
    g_instance.reset();
    g_cheminVerrou = chemin;
}

std::optional<int> Main() {
    EtatGlobal& g = Global();
    try {
        const QString dossier = FnWendrox::CheminApplication();
        // 1-2. The two options that decide the start always come from "automat.ini".
        g.CheminIni = FnWendrox::CheminDansDossier(dossier, QStringLiteral("automat.ini"));
        g.OptionMultiInstance =
            lireOption(kSectionBase, QStringLiteral("Multi Instance"), QStringLiteral("NON"));
        g.OptionMultiBase = lireOption(kSectionBase, QStringLiteral("MultiBase"), QStringLiteral("NON"));

        // 3. Database choice.
        if (g.OptionMultiBase) {
            FrmChoixBD choix;
            choix.ShowModal();
            if (fin())
                return codeFin();
        }

        // 4. A running copy holds the lock: end silently.
        if (!g.OptionMultiInstance && instanceProgramme().autreCopieActive()) {
            Session().terminer(0);
            return codeFin();
        }

        // 5-7.
        lireParametres();
        SuivreLangueCourante();
        if (fin())
            return codeFin();

        // 8. Loading window; the lock marks this copy as long as the caption still says so.
        FormBase::Sablier(true);
        FenLoading& chargement = fenLoading();
        chargement.Show();
        chargement.raise();
        FnWendrox::Attendre(0.1);
        if (fin())
            return codeFin();
        if (!g.OptionMultiInstance && InstanceUnique::legendeMarqueInstance(chargement.windowTitle()))
            instanceProgramme().prendre();

        // 9-10. Login and connection string.
        const ChaineConnexion::Identifiants id = ChaineConnexion::lireIdentifiants(g.CheminIni);
        g.UtilisateurSQL = id.utilisateur;
        g.MotDePasseSQL = id.motDePasse;
        g.ChaineConnexion = ChaineConnexion::lireChaineConnexion(g.CheminIni, g.UtilisateurSQL,
                                                                 g.MotDePasseSQL, g.NomServeur, g.NomBase);

        // 11. Message table only.
        MODTranslate::ChargerTextesLangue(g.FichierLangue);

        // 12. Main window; its load opens the database.
        FrmPrincipal& principal = frmPrincipal();
        principal.Load();
        if (fin())
            return codeFin();
        // Without its database the program cannot do anything: the window said so, end here.
        if (principal.baseInaccessible()) {
            chargement.Hide();
            FormBase::Sablier(false);
            Session().terminer(1);
            return codeFin();
        }
        // Any other failure of the load: the user is told what the error log holds, then it ends.
        if (!principal.erreurChargement().isEmpty()) {
            chargement.Hide();
            FormBase::Sablier(false);
            MsgBox(principal.erreurChargement(), StyleMessage::OK | StyleMessage::Critique);
            Session().terminer(1);
            return codeFin();
        }

        // 13. Application password.
        const QVariant motPasse = principal.motPasseSociete();
        if (!motPasse.isNull() && !motPasse.toString().isEmpty()) {
            FormBase::Sablier(false);
            CodeAccesDlg& dlg = codeAccesDlg();
            dlg.ShowModal();
            if (fin())
                return codeFin();
            if (!dlg.AccesValide) {
                chargement.Hide();
                Session().terminer(0);
                return codeFin();
            }
        }

        // 14.
        principal.Show();
        FormBase::Sablier(false);
        chargement.Hide();
        if (fin())
            return codeFin();
        return std::nullopt;
    } catch (const ErreurExecution& e) {
        MajBase::SignalerErreur(QStringLiteral("Main"), e);
    } catch (const std::exception& e) {
        MajBase::SignalerErreur(QStringLiteral("Main"), e);
    }
    // 15. Logged, no message: the program ends.
    FormBase::Sablier(false);
    fenLoading().Hide();
    Session().terminer(1);
    return codeFin();
}
