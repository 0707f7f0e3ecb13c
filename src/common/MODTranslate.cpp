#include "common/MODTranslate.h"

#include "common/EtatGlobal.h"
#include "common/IniFile.h"

#include <QSet>

namespace MODTranslate {

namespace {

// The message texts as the program has always had them; Polish stops at 10.
const QList<QString>& textesFR() {
    static const QList<QString> t{
        QStringLiteral("Fermer"),
        QStringLiteral("Enregistrer"),
        QStringLiteral("Autre Machine"),
        QStringLiteral("Contenu machine "),
        QStringLiteral("Désignation"),
        QStringLiteral("Référence"),
        QStringLiteral("Code Article"),
        QStringLiteral("Nbre d'unité"),
        QStringLiteral("Nbre à remplir"),
        QStringLiteral("Colonne "),
        QStringLiteral("Veuillez d'abord sélectionner la famille !"),
        QStringLiteral("Veuillez d'abord choisir un Code Article pour cette référence !"),
        QStringLiteral("Ce Profil existe déjà !"),
        QStringLiteral("Modifier"),
        QStringLiteral("Veuillez compléter le champ en jaune !"),
        QStringLiteral("Badge déjà utilisé par un salarié!"),
        QStringLiteral("Calcul des stock alertes"),
        QStringLiteral(
            "Pour calculer les alertes de rupture de stock en fonction de la période consommation:"),
        QStringLiteral("Ce profile est utilisée, la suppression n'est pas autorisée !"),
        QStringLiteral("Cette modification à une incidence sur les tailles des salariés."),
        QStringLiteral("Cette taille existe déjà, opération annulée !"),
        QStringLiteral("Confirmation"),
        QStringLiteral("Confirmer la modification du code article!"),
        QStringLiteral("Confirmer la suppression de: "),
        QStringLiteral("Confirmez l'enregistrement pour: "),
        QStringLiteral("Etes vous sûr ?"),
        QStringLiteral("Il n'y a pas eu d'opérations sur cette période"),
        QStringLiteral("La date de départ n'est pas valide"),
        QStringLiteral("La date de fin n'est pas valide"),
        QStringLiteral("  existe déjà !"),
        QStringLiteral("Le Service "),
        QStringLiteral("La taille "),
        QStringLiteral("Opération annulée !"),
        QStringLiteral("Pas d'article ou de salarié correspondant!"),
        QStringLiteral("Pas de calcul possible sur cette période !"),
        QStringLiteral("Pas de code article attribué."),
        QStringLiteral("Quantité trop grande!"),
        QStringLiteral("Suppression non autorisée !"),
        QStringLiteral("Historique article"),
        QStringLiteral("Etage "),
        QStringLiteral("Le fichier n'est pas au bon format !"),
        QStringLiteral("Date de Retour"),
        QStringLiteral("Date de Retrait"),
        QStringLiteral("Nom, Prenom"),
        QStringLiteral("Ref. Article"),
        QStringLiteral("Famille d'article"),
        QStringLiteral("No Machine"),
        QStringLiteral("La taille du fichier est trop importante, elle doit être inferieur à 520 Ko"),
    };
    return t;
}

const QList<QString>& textesNL() {
    static const QList<QString> t{
        QStringLiteral("Sluiten"),
        QStringLiteral("Opslaan"),
        QStringLiteral("Andere Vendaklar"),
        QStringLiteral("Inhoud Vendaklar "),
        QStringLiteral("Designatie"),
        QStringLiteral("Referentie"),
        QStringLiteral("Artikel Code"),
        QStringLiteral("Aantal Eenheden"),
        QStringLiteral("Aantal aan te vullen"),
        QStringLiteral("Kolom "),
        QStringLiteral("Selecteer de familie !"),
        QStringLiteral("Gelieve eerst in een item voor deze referentie !"),
        QStringLiteral("Dit profiel is al!"),
        QStringLiteral("veranderen"),
        QStringLiteral("Vul de velden in het geel !"),
        QStringLiteral("Badge reeds in gebruik door andere medewerker!"),
        QStringLiteral("Bereken de minimum stock"),
        QStringLiteral(
            "Om de waarschuwingen van stockbreuken te berekenen in functie van de verbruiksperiode:"),
        QStringLiteral("Dit profiel is in gebruik, de verwijdering ervan is niet toegestaan !"),
        QStringLiteral("Deze wijziging kan de opgegeven 'grootte/size' van de werknemers beinvloeden."),
        QStringLiteral("Deze afmeting bestaat reeds, de transactie wordt geannuleerd !"),
        QStringLiteral("Bevestiging"),
        QStringLiteral("Bevestig de aanpassing van de artikel code!"),
        QStringLiteral("Bevestig de verwijdering van:"),
        QStringLiteral("Bevestig het opslaan van:"),
        QStringLiteral("Bent U zeker ?"),
        QStringLiteral("Tijdens de opgegeven periode waren er geen transacties"),
        QStringLiteral("De startdatum is niet juist"),
        QStringLiteral("De einddatum is niet juist"),
        QStringLiteral(" bestaat reeds"),
        QStringLiteral("De dienst/afdeling "),
        QStringLiteral("Grootte/size "),
        QStringLiteral("Transactie geannuleerd !"),
        QStringLiteral("Geen overeenstemmend artikel of werknemer!"),
        QStringLiteral("Geen berekening mogelijk voor deze periode"),
        QStringLiteral("Geen artikel code toegewezen."),
        QStringLiteral("Hoeveelheid te groot!"),
        QStringLiteral("Verwijdering niet toegestaan !"),
        QStringLiteral("Artikels historisch"),
        QStringLiteral("vloer "),
        QStringLiteral("Bad file format!"),
        QStringLiteral("Datum van Return"),
        QStringLiteral("Datum van intrekking"),
        QStringLiteral("naam, voornaam"),
        QStringLiteral("Referentie artikels"),
        QStringLiteral("Familie artikels"),
        QStringLiteral("Aantal Machine"),
        QStringLiteral("Het bestand is te groot, moet onderdoen voor 520 Ko zijn"),
    };
    return t;
}

const QList<QString>& textesSK() {
    static const QList<QString> t{
        QStringLiteral("zatvorit"),
        QStringLiteral("ulozit"),
        QStringLiteral("další stroj"),
        QStringLiteral("obsah stroja"),
        QStringLiteral("popis"),
        QStringLiteral("interné císlo"),
        QStringLiteral("kód polozky"),
        QStringLiteral("mnozstvo jednotiek"),
        QStringLiteral("mnozstvo na doplnenie"),
        QStringLiteral("stlpec "),
        QStringLiteral(" Prosím, zvolte si najskôr druh."),
        QStringLiteral("Prosím vyberte si najskôr kód tovaru pre toto oznacenie."),
        QStringLiteral("Tento profil uz existuje."),
        QStringLiteral("zmenit"),
        QStringLiteral("Prosím, vyplnte zlté polícko."),
        QStringLiteral("Danú identifikacnú kartu uz pouzíva iný zamestnanec."),
        QStringLiteral("výpocet hlásení skladu."),
        QStringLiteral("Pre výpocet hlásení o výpadku zásoby podla obdobia spotreby."),
        QStringLiteral("Tento profil je pouzívaný, zmazanie nie je povolené."),
        QStringLiteral("Táto zmena má dopad na velkosti zamestnancov."),
        QStringLiteral("Táto velkost uz existuje , operácia zrušená."),
        QStringLiteral("potvrdenie"),
        QStringLiteral("potvrdit zmenu kódu tovaru"),
        QStringLiteral("potvrdit vymazanie"),
        QStringLiteral("potvrdte zápis pre:"),
        QStringLiteral("Ste si istý?"),
        QStringLiteral("V tomto období neprebehli ziadne  operácie."),
        QStringLiteral("Dátum zaciatku nie je platný."),
        QStringLiteral("Dátum ukoncenia nie je platný."),
        QStringLiteral("uz existuje"),
        QStringLiteral("oddelenie"),
        QStringLiteral("velkost"),
        QStringLiteral("operácia zrušená"),
        QStringLiteral("daný tovar alebo zamestnanec neexistuje"),
        QStringLiteral("neexistuje mozný výpocet na toto obdobie"),
        QStringLiteral("výrobku nie je priradený ziadny kód"),
        QStringLiteral("príliš velké mnozstvo"),
        QStringLiteral("nepovolené zmazanie"),
        QStringLiteral("História polozka"),
        QStringLiteral("úroven "),
        QStringLiteral("Bad file format!"),
        QStringLiteral("Dátum návratu"),
        QStringLiteral("Dátum vyradenia z prevádzky"),
        QStringLiteral("Priezvisko, meno"),
        QStringLiteral("Ref Clánok"),
        QStringLiteral("Rodinný clánok"),
        QStringLiteral("No Machine"),
        QStringLiteral("Velkost súboru je príliš velký, musí byt nižší ako 520 Ko"),
    };
    return t;
}

const QList<QString>& textesPL() {
    static const QList<QString> t{
        QStringLiteral("Zamknij"),         QStringLiteral("Zapisz"),
        QStringLiteral("Maszyna numer"),   QStringLiteral("Zawartosc Maszyna "),
        QStringLiteral("Oznaczenie/Opis"), QStringLiteral("Nr/Odniesienie"),
        QStringLiteral("Kod Towaru"),      QStringLiteral("ilosc elemantow"),
        QStringLiteral("ilosc wypelnic"),  QStringLiteral("kolumna"),
    };
    return t;
}

} // namespace

QString LireTraduction(const QString& fichier, const QString& section, const QString& cle,
                       const QString& defaut) {
    if (fichier.isEmpty())
        return defaut;
    const auto ini = IniFile::enCache(fichier, IniFile::codePagePour(fichier));
    if (!ini || !ini->valide())
        return defaut;
    bool trouve = false;
    const QString valeur = ini->valeur(section, cle, &trouve);
    return trouve ? valeur : defaut;
}

QString TexteLangue(const QString& section, const QString& cle, const QString& francais) {
    const EtatGlobal& g = Global();
    if (g.LangueCourante == QLatin1String("FR"))
        return francais;
    return LireTraduction(g.FichierLangue, section, cle, francais);
}

QString LireTexteGrid(const QString& cle, const QString& defaut, const QString& fichier) {
    return LireTraduction(fichier, QStringLiteral("Grid"), cle, defaut);
}

namespace {
// "<form>.<grid>.Caption" or "<form>.<grid>.Columns(<n>).Caption"; the locker form reads the machine
// form's keys.
QString cleGrille(const QString& forme, const QString& grille, int colonne) {
    const QString proprietaire =
        forme == QLatin1String("FrmConfigMachineCasier") ? QStringLiteral("FrmConfigMachine") : forme;
    const QString prefixe = proprietaire + u'.' + grille;
    return colonne < 0 ? prefixe + QStringLiteral(".Caption")
                       : prefixe + QStringLiteral(".Columns(%1).Caption").arg(colonne);
}
} // namespace

const QList<LibelleGrille>& TableLibellesGrille() {
    // Form, grid, column (-1: the grid's own caption) and French caption; the key follows from them.
    struct Ligne {
        const char* forme;
        const char* grille;
        int colonne;
        const char* defaut;
    };
    static const Ligne lignes[] = {
        {"FrmStock", "DBGrid2", -1, "Article en stock"},
        {"FrmStock", "DBGrid2", 0, "Réference"},
        {"FrmStock", "DBGrid2", 1, "Ref. Fournisseur"},
        {"FrmStock", "DBGrid2", 2, "Désignation"},
        {"FrmStock", "DBGrid2", 3, "Taille"},
        {"FrmStock", "DBGrid2", 4, "Code Article"},
        {"FrmStock", "DBGrid2", 5, "Famille"},
        {"FrmStock", "DBGrid2", 6, "Prix achat Unitaire"},
        {"FrmStock", "DBGrid2", 7, "Valeur stock"},
        {"FrmStock", "DBGrid2", 8, "Qté en réserve"},
        {"FrmStock", "DBGrid2", 9, "Qté en machine"},
        {"FrmStock", "DBGrid2", 10, "Qté Global"},
        {"FrmStock", "DBGrid2", 11, "Stock Alarm"},
        {"FrmUtilisateur", "DBGrid1", -1, "Salariés"},
        {"FrmUtilisateur", "DBGrid1", 0, "No Matricule"},
        {"FrmUtilisateur", "DBGrid1", 1, "No Badge"},
        {"FrmUtilisateur", "DBGrid1", 2, "Nom"},
        {"FrmUtilisateur", "DBGrid1", 3, "Prénom"},
        {"FrmUtilisateur", "DBGrid1", 4, "Profil"},
        {"FrmUtilisateur", "DBGrid1", 5, "Taille Mains"},
        {"FrmUtilisateur", "DBGrid1", 7, "Site"},
        {"FrmUtilisateur", "DBGrid1", 8, "Service"},
        {"FrmUtilisateur", "DBGrid1", 9, "Accès Machine"},
        {"FrmUtilisateur", "DBGrid2", -1, "Détail Quota"},
        {"FrmUtilisateur", "DBGrid2", 1, "Réf. Article"},
        {"FrmUtilisateur", "DBGrid2", 2, "Code Article"},
        {"FrmUtilisateur", "DBGrid2", 3, "Désignation"},
        {"FrmUtilisateur", "DBGrid2", 4, "Taille"},
        {"FrmUtilisateur", "DBGrid2", 5, "Quota"},
        {"FrmUtilisateur", "DBGrid2", 6, "Periodicité"},
        {"FrmVente", "DBGrid1", -1, "Liste des consomations"},
        {"FrmVente", "DBGrid1", 0, "No"},
        {"FrmVente", "DBGrid1", 1, "Date"},
        {"FrmVente", "DBGrid1", 2, "Salarié"},
        {"FrmVente", "DBGrid1", 3, "Nom"},
        {"FrmVente", "DBGrid1", 4, "Ticket"},
        {"FrmVente", "DBGrid1", 5, "Prénom"},
        {"FrmVente", "DBGrid1", 6, "Montant"},
        {"FrmVente", "DBGrid2", 0, "NumVente"},
        {"FrmVente", "DBGrid2", 1, "Réference"},
        {"FrmVente", "DBGrid2", 2, "Désignation"},
        {"FrmVente", "DBGrid2", 3, "Prix"},
        {"FrmVente", "DBGrid2", 4, "Quantité"},
        {"FrmVente", "DBGrid2", 5, "N° Machine"},
        {"FrmVente", "DBGrid2", 6, "QteDistribuer"},
        {"FenBadgeMaintenance", "DBGrid1", -1, "Badges de maintenances"},
        {"FenBadgeMaintenance", "DBGrid1", 0, "N° de Badge"},
        {"FrmConfigMachine", "DataGrid1", 0, "Numéro"},
        {"FrmConfigMachine", "DataGrid1", 1, "Type"},
        {"FrmConfigMachine", "DataGrid1", 2, "Nbre casier"},
        {"FrmConfigMachine", "DataGrid1", 3, "Location"},
        {"FrmConfigMachineCasier", "DataGrid1", 0, "Numéro"},
        {"FrmConfigMachineCasier", "DataGrid1", 1, "Type"},
        {"FrmConfigMachineCasier", "DataGrid1", 2, "Nbre casier"},
        {"FrmConfigMachineCasier", "DataGrid1", 3, "Location"},
        {"FenFournisseur", "DBGrid1", -1, "FOURNISSEUR"},
        {"FenFournisseur", "DBGrid1", 0, "Nauto"},
        {"FenFournisseur", "DBGrid1", 1, "No"},
        {"FenFournisseur", "DBGrid1", 2, "Code Four."},
        {"FenFournisseur", "DBGrid1", 3, "Société"},
        {"FenFournisseur", "DBGrid1", 4, "Adresse"},
        {"FenFournisseur", "DBGrid1", 5, "Code Postal"},
        {"FenFournisseur", "DBGrid1", 6, "Ville"},
        {"FenFournisseur", "DBGrid1", 7, "Nom du Contact"},
        {"frmMouvtStock", "DBGrid1", -1, "MOUVEMENTS DE STOCK"},
        {"frmMouvtStock", "DBGrid1", 0, "No"},
        {"frmMouvtStock", "DBGrid1", 1, "Date d'entrée"},
        {"frmMouvtStock", "DBGrid1", 2, "Ref. Produit"},
        {"frmMouvtStock", "DBGrid1", 3, "Désignation"},
        {"frmMouvtStock", "DBGrid1", 4, "Qté"},
        {"frmMouvtStock", "DBGrid1", 5, "Commentaire"},
        {"frmMouvtStock", "DBGrid1", 6, "Fournisseur"},
        {"FenQuota", "DataGrid1", -1, "Liste des profils"},
        {"FenQuota", "DataGrid1", 0, "Libellé"},
        {"FenQuota", "DBGrid2", -1, "Détail Quotas"},
        {"FenQuota", "DBGrid2", 0, "Réf. Article"},
        {"FenQuota", "DBGrid2", 1, "Code Article"},
        {"FenQuota", "DBGrid2", 2, "Désignation"},
        {"FenQuota", "DBGrid2", 3, "Taille"},
        {"FenQuota", "DBGrid2", 4, "Qté Permise"},
        {"FenQuota", "DBGrid2", 5, "Périodicité"},
        {"FenFamille", "DBGrid1", -1, "Familles de produits"},
        {"FenFamille", "DBGrid1", 3, "Famille"},
        {"FenFamille", "DBGrid1", 4, "Fonction"},
        {"FenTailles", "DBGrid1", -1, "Tailles disponibles"},
        {"FenTailles", "DBGrid1", 0, "Tailles"},
        {"FenTailles", "DataGrid2", -1, "Familles"},
        {"FenTailles", "DataGrid2", 0, "Famille"},
        {"FenSites", "DBGrid1", -1, "Services"},
        {"FenSites", "DBGrid1", 0, "Nom"},
        {"FenSites", "DBGrid1", 1, "Informations"},
        {"FenSites", "DataGrid2", -1, "Sites"},
        {"FenSites", "DataGrid2", 0, "Nom "},
        {"FenSites", "DataGrid2", 1, "Adresse"},
        {"FenSites", "DataGrid2", 2, "Informations"},
        {"FenComptoir", "DataGrid1", -1, "Historique"},
        {"FenComptoir", "DataGrid1", 0, "Date"},
        {"FenComptoir", "DataGrid1", 1, "Référence"},
        {"FenComptoir", "DataGrid1", 2, "Réf. fournisseur"},
        {"FenComptoir", "DataGrid1", 3, "Désignation"},
        {"FenComptoir", "DataGrid1", 4, "Qté"},
    };
    static const QList<LibelleGrille> table = [] {
        QList<LibelleGrille> t;
        for (const Ligne& l : lignes) {
            const QString forme = QString::fromUtf8(l.forme), grille = QString::fromUtf8(l.grille);
            t.append(
                {forme, grille, l.colonne, cleGrille(forme, grille, l.colonne), QString::fromUtf8(l.defaut)});
        }
        return t;
    }();
    return table;
}

QString CleTexteGrille(const QString& forme, const QString& grille, int colonne) {
    const QString cle = cleGrille(forme, grille, colonne);
    static const QSet<QString> traduites = [] {
        QSet<QString> t;
        for (const LibelleGrille& l : TableLibellesGrille())
            t.insert(l.forme + u'|' + l.cle);
        return t;
    }();
    return traduites.contains(forme + u'|' + cle) ? cle : QString();
}

QList<LibelleGrille> LibellesGrille(const QString& nomForm) {
    QList<LibelleGrille> resultat;
    for (const LibelleGrille& l : TableLibellesGrille())
        if (l.forme == nomForm)
            resultat.append(l);
    return resultat;
}

std::array<QString, 49> TextesMessages(const QString& langue) {
    std::array<QString, 49> msg{};
    const QList<QString>& fr = textesFR();
    const QList<QString>* propres = nullptr;
    if (langue == QLatin1String("NL"))
        propres = &textesNL();
    else if (langue == QLatin1String("SK"))
        propres = &textesSK();
    else if (langue == QLatin1String("PL"))
        propres = &textesPL();
    for (int n = 1; n <= 48; ++n) {
        const qsizetype i = n - 1;
        msg[static_cast<size_t>(n)] = propres && i < propres->size() ? propres->at(i) : fr.at(i);
    }
    return msg;
}

QList<TexteGrille> ChargerTextesLangue(const QString& fichierLng, const QString& nomForm) {
    EtatGlobal& g = Global();
    g.Msg = TextesMessages(g.LangueCourante);
    QList<TexteGrille> textes;
    if (g.LangueCourante == QLatin1String("FR") || nomForm.isEmpty())
        return textes;
    for (const LibelleGrille& l : TableLibellesGrille())
        if (l.forme == nomForm)
            textes.append({l.grille, l.colonne, LireTexteGrid(l.cle, l.defaut, fichierLng)});
    return textes;
}

QString NomFichierLangue(const QString& langue) {
    if (langue == QLatin1String("DE"))
        return QStringLiteral("deutch.lng");
    if (langue == QLatin1String("PL"))
        return QStringLiteral("poland.lng");
    if (langue == QLatin1String("NL"))
        return QStringLiteral("nederlands.lng");
    if (langue == QLatin1String("SK"))
        return QStringLiteral("slovaque.lng");
    return QStringLiteral("french.lng");
}

} // namespace MODTranslate
