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

QString LireTexteGrid(const QString& cle, const QString& defaut, const QString& fichier) {
    return LireTraduction(fichier, QStringLiteral("Grid"), cle, defaut);
}

const QList<LibelleGrille>& TableLibellesGrille() {
    // The locker machine form shows the same grid as the machine form and reads its keys.
    static const QList<LibelleGrille> table{
        {QStringLiteral("FrmStock"), QStringLiteral("DBGrid2"), -1,
         QStringLiteral("FrmStock.DBGrid2.Caption"), QStringLiteral("Article en stock")},
        {QStringLiteral("FrmStock"), QStringLiteral("DBGrid2"), 0,
         QStringLiteral("FrmStock.DBGrid2.Columns(0).Caption"), QStringLiteral("Réference")},
        {QStringLiteral("FrmStock"), QStringLiteral("DBGrid2"), 1,
         QStringLiteral("FrmStock.DBGrid2.Columns(1).Caption"), QStringLiteral("Ref. Fournisseur")},
        {QStringLiteral("FrmStock"), QStringLiteral("DBGrid2"), 2,
         QStringLiteral("FrmStock.DBGrid2.Columns(2).Caption"), QStringLiteral("Désignation")},
        {QStringLiteral("FrmStock"), QStringLiteral("DBGrid2"), 3,
         QStringLiteral("FrmStock.DBGrid2.Columns(3).Caption"), QStringLiteral("Taille")},
        {QStringLiteral("FrmStock"), QStringLiteral("DBGrid2"), 4,
         QStringLiteral("FrmStock.DBGrid2.Columns(4).Caption"), QStringLiteral("Code Article")},
        {QStringLiteral("FrmStock"), QStringLiteral("DBGrid2"), 5,
         QStringLiteral("FrmStock.DBGrid2.Columns(5).Caption"), QStringLiteral("Famille")},
        {QStringLiteral("FrmStock"), QStringLiteral("DBGrid2"), 6,
         QStringLiteral("FrmStock.DBGrid2.Columns(6).Caption"), QStringLiteral("Prix achat Unitaire")},
        {QStringLiteral("FrmStock"), QStringLiteral("DBGrid2"), 7,
         QStringLiteral("FrmStock.DBGrid2.Columns(7).Caption"), QStringLiteral("Valeur stock")},
        {QStringLiteral("FrmStock"), QStringLiteral("DBGrid2"), 8,
         QStringLiteral("FrmStock.DBGrid2.Columns(8).Caption"), QStringLiteral("Qté en réserve")},
        {QStringLiteral("FrmStock"), QStringLiteral("DBGrid2"), 9,
         QStringLiteral("FrmStock.DBGrid2.Columns(9).Caption"), QStringLiteral("Qté en machine")},
        {QStringLiteral("FrmStock"), QStringLiteral("DBGrid2"), 10,
         QStringLiteral("FrmStock.DBGrid2.Columns(10).Caption"), QStringLiteral("Qté Global")},
        {QStringLiteral("FrmUtilisateur"), QStringLiteral("DBGrid1"), -1,
         QStringLiteral("FrmUtilisateur.DBGrid1.Caption"), QStringLiteral("Salariés")},
        {QStringLiteral("FrmUtilisateur"), QStringLiteral("DBGrid1"), 0,
         QStringLiteral("FrmUtilisateur.DBGrid1.Columns(0).Caption"), QStringLiteral("No Matricule")},
        {QStringLiteral("FrmUtilisateur"), QStringLiteral("DBGrid1"), 1,
         QStringLiteral("FrmUtilisateur.DBGrid1.Columns(1).Caption"), QStringLiteral("No Badge")},
        {QStringLiteral("FrmUtilisateur"), QStringLiteral("DBGrid1"), 2,
         QStringLiteral("FrmUtilisateur.DBGrid1.Columns(2).Caption"), QStringLiteral("Nom")},
        {QStringLiteral("FrmUtilisateur"), QStringLiteral("DBGrid1"), 3,
         QStringLiteral("FrmUtilisateur.DBGrid1.Columns(3).Caption"), QStringLiteral("Prénom")},
        {QStringLiteral("FrmUtilisateur"), QStringLiteral("DBGrid1"), 4,
         QStringLiteral("FrmUtilisateur.DBGrid1.Columns(4).Caption"), QStringLiteral("Profil")},
        {QStringLiteral("FrmUtilisateur"), QStringLiteral("DBGrid1"), 5,
         QStringLiteral("FrmUtilisateur.DBGrid1.Columns(5).Caption"), QStringLiteral("Taille Mains")},
        {QStringLiteral("FrmUtilisateur"), QStringLiteral("DBGrid1"), 7,
         QStringLiteral("FrmUtilisateur.DBGrid1.Columns(7).Caption"), QStringLiteral("Site")},
        {QStringLiteral("FrmUtilisateur"), QStringLiteral("DBGrid1"), 8,
         QStringLiteral("FrmUtilisateur.DBGrid1.Columns(8).Caption"), QStringLiteral("Service")},
        {QStringLiteral("FrmUtilisateur"), QStringLiteral("DBGrid1"), 9,
         QStringLiteral("FrmUtilisateur.DBGrid1.Columns(9).Caption"), QStringLiteral("Accès Machine")},
        {QStringLiteral("FrmUtilisateur"), QStringLiteral("DBGrid2"), -1,
         QStringLiteral("FrmUtilisateur.DBGrid2.Caption"), QStringLiteral("Détail Quota")},
        {QStringLiteral("FrmUtilisateur"), QStringLiteral("DBGrid2"), 1,
         QStringLiteral("FrmUtilisateur.DBGrid2.Columns(1).Caption"), QStringLiteral("Réf. Article")},
        {QStringLiteral("FrmUtilisateur"), QStringLiteral("DBGrid2"), 2,
         QStringLiteral("FrmUtilisateur.DBGrid2.Columns(2).Caption"), QStringLiteral("Code Article")},
        {QStringLiteral("FrmUtilisateur"), QStringLiteral("DBGrid2"), 3,
         QStringLiteral("FrmUtilisateur.DBGrid2.Columns(3).Caption"), QStringLiteral("Désignation")},
        {QStringLiteral("FrmUtilisateur"), QStringLiteral("DBGrid2"), 4,
         QStringLiteral("FrmUtilisateur.DBGrid2.Columns(4).Caption"), QStringLiteral("Taille")},
        {QStringLiteral("FrmUtilisateur"), QStringLiteral("DBGrid2"), 5,
         QStringLiteral("FrmUtilisateur.DBGrid2.Columns(5).Caption"), QStringLiteral("Quota")},
        {QStringLiteral("FrmVente"), QStringLiteral("DBGrid1"), -1,
         QStringLiteral("FrmVente.DBGrid1.Caption"), QStringLiteral("Liste des consomations")},
        {QStringLiteral("FrmVente"), QStringLiteral("DBGrid1"), 0,
         QStringLiteral("FrmVente.DBGrid1.Columns(0).Caption"), QStringLiteral("No")},
        {QStringLiteral("FrmVente"), QStringLiteral("DBGrid1"), 1,
         QStringLiteral("FrmVente.DBGrid1.Columns(1).Caption"), QStringLiteral("Date")},
        {QStringLiteral("FrmVente"), QStringLiteral("DBGrid1"), 2,
         QStringLiteral("FrmVente.DBGrid1.Columns(2).Caption"), QStringLiteral("Salarié")},
        {QStringLiteral("FrmVente"), QStringLiteral("DBGrid1"), 3,
         QStringLiteral("FrmVente.DBGrid1.Columns(3).Caption"), QStringLiteral("Nom")},
        {QStringLiteral("FrmVente"), QStringLiteral("DBGrid1"), 4,
         QStringLiteral("FrmVente.DBGrid1.Columns(4).Caption"), QStringLiteral("Ticket")},
        {QStringLiteral("FrmVente"), QStringLiteral("DBGrid1"), 5,
         QStringLiteral("FrmVente.DBGrid1.Columns(5).Caption"), QStringLiteral("Prénom")},
        {QStringLiteral("FrmVente"), QStringLiteral("DBGrid1"), 6,
         QStringLiteral("FrmVente.DBGrid1.Columns(6).Caption"), QStringLiteral("Montant")},
        {QStringLiteral("FrmVente"), QStringLiteral("DBGrid2"), 0,
         QStringLiteral("FrmVente.DBGrid2.Columns(0).Caption"), QStringLiteral("NumVente")},
        {QStringLiteral("FrmVente"), QStringLiteral("DBGrid2"), 1,
         QStringLiteral("FrmVente.DBGrid2.Columns(1).Caption"), QStringLiteral("Réference")},
        {QStringLiteral("FrmVente"), QStringLiteral("DBGrid2"), 2,
         QStringLiteral("FrmVente.DBGrid2.Columns(2).Caption"), QStringLiteral("Désignation")},
        {QStringLiteral("FrmVente"), QStringLiteral("DBGrid2"), 3,
         QStringLiteral("FrmVente.DBGrid2.Columns(3).Caption"), QStringLiteral("Prix")},
        {QStringLiteral("FenBadgeMaintenance"), QStringLiteral("DBGrid1"), -1,
         QStringLiteral("FenBadgeMaintenance.DBGrid1.Caption"), QStringLiteral("Badges de maintenances")},
        {QStringLiteral("FenBadgeMaintenance"), QStringLiteral("DBGrid1"), 0,
         QStringLiteral("FenBadgeMaintenance.DBGrid1.Columns(0).Caption"), QStringLiteral("N° de Badge")},
        {QStringLiteral("FrmConfigMachine"), QStringLiteral("DataGrid1"), 0,
         QStringLiteral("FrmConfigMachine.DataGrid1.Columns(0).Caption"), QStringLiteral("Numéro")},
        {QStringLiteral("FrmConfigMachine"), QStringLiteral("DataGrid1"), 1,
         QStringLiteral("FrmConfigMachine.DataGrid1.Columns(1).Caption"), QStringLiteral("Type")},
        {QStringLiteral("FrmConfigMachine"), QStringLiteral("DataGrid1"), 2,
         QStringLiteral("FrmConfigMachine.DataGrid1.Columns(2).Caption"), QStringLiteral("Nbre casier")},
        {QStringLiteral("FrmConfigMachine"), QStringLiteral("DataGrid1"), 3,
         QStringLiteral("FrmConfigMachine.DataGrid1.Columns(3).Caption"), QStringLiteral("Location")},
        {QStringLiteral("FrmConfigMachineCasier"), QStringLiteral("DataGrid1"), 0,
         QStringLiteral("FrmConfigMachine.DataGrid1.Columns(0).Caption"), QStringLiteral("Numéro")},
        {QStringLiteral("FrmConfigMachineCasier"), QStringLiteral("DataGrid1"), 1,
         QStringLiteral("FrmConfigMachine.DataGrid1.Columns(1).Caption"), QStringLiteral("Type")},
        {QStringLiteral("FrmConfigMachineCasier"), QStringLiteral("DataGrid1"), 2,
         QStringLiteral("FrmConfigMachine.DataGrid1.Columns(2).Caption"), QStringLiteral("Nbre casier")},
        {QStringLiteral("FrmConfigMachineCasier"), QStringLiteral("DataGrid1"), 3,
         QStringLiteral("FrmConfigMachine.DataGrid1.Columns(3).Caption"), QStringLiteral("Location")},
        {QStringLiteral("FenFournisseur"), QStringLiteral("DBGrid1"), -1,
         QStringLiteral("FenFournisseur.DBGrid1.Caption"), QStringLiteral("FOURNISSEUR")},
        {QStringLiteral("FenFournisseur"), QStringLiteral("DBGrid1"), 0,
         QStringLiteral("FenFournisseur.DBGrid1.Columns(0).Caption"), QStringLiteral("Nauto")},
        {QStringLiteral("FenFournisseur"), QStringLiteral("DBGrid1"), 1,
         QStringLiteral("FenFournisseur.DBGrid1.Columns(1).Caption"), QStringLiteral("No")},
        {QStringLiteral("FenFournisseur"), QStringLiteral("DBGrid1"), 2,
         QStringLiteral("FenFournisseur.DBGrid1.Columns(2).Caption"), QStringLiteral("Code Four.")},
        {QStringLiteral("FenFournisseur"), QStringLiteral("DBGrid1"), 3,
         QStringLiteral("FenFournisseur.DBGrid1.Columns(3).Caption"), QStringLiteral("Société")},
        {QStringLiteral("FenFournisseur"), QStringLiteral("DBGrid1"), 4,
         QStringLiteral("FenFournisseur.DBGrid1.Columns(4).Caption"), QStringLiteral("Adresse")},
        {QStringLiteral("FenFournisseur"), QStringLiteral("DBGrid1"), 5,
         QStringLiteral("FenFournisseur.DBGrid1.Columns(5).Caption"), QStringLiteral("Code Postal")},
        {QStringLiteral("FenFournisseur"), QStringLiteral("DBGrid1"), 6,
         QStringLiteral("FenFournisseur.DBGrid1.Columns(6).Caption"), QStringLiteral("Ville")},
        {QStringLiteral("FenFournisseur"), QStringLiteral("DBGrid1"), 7,
         QStringLiteral("FenFournisseur.DBGrid1.Columns(7).Caption"), QStringLiteral("Nom du Contact")},
        {QStringLiteral("frmMouvtStock"), QStringLiteral("DBGrid1"), -1,
         QStringLiteral("frmMouvtStock.DBGrid1.Caption"), QStringLiteral("MOUVEMENTS DE STOCK")},
        {QStringLiteral("frmMouvtStock"), QStringLiteral("DBGrid1"), 0,
         QStringLiteral("frmMouvtStock.DBGrid1.Columns(0).Caption"), QStringLiteral("No")},
        {QStringLiteral("frmMouvtStock"), QStringLiteral("DBGrid1"), 1,
         QStringLiteral("frmMouvtStock.DBGrid1.Columns(1).Caption"), QStringLiteral("Date d'entrée")},
        {QStringLiteral("frmMouvtStock"), QStringLiteral("DBGrid1"), 2,
         QStringLiteral("frmMouvtStock.DBGrid1.Columns(2).Caption"), QStringLiteral("Ref. Produit")},
        {QStringLiteral("frmMouvtStock"), QStringLiteral("DBGrid1"), 3,
         QStringLiteral("frmMouvtStock.DBGrid1.Columns(3).Caption"), QStringLiteral("Désignation")},
        {QStringLiteral("frmMouvtStock"), QStringLiteral("DBGrid1"), 4,
         QStringLiteral("frmMouvtStock.DBGrid1.Columns(4).Caption"), QStringLiteral("Qté")},
        {QStringLiteral("frmMouvtStock"), QStringLiteral("DBGrid1"), 5,
         QStringLiteral("frmMouvtStock.DBGrid1.Columns(5).Caption"), QStringLiteral("Commentaire")},
        {QStringLiteral("frmMouvtStock"), QStringLiteral("DBGrid1"), 6,
         QStringLiteral("frmMouvtStock.DBGrid1.Columns(6).Caption"), QStringLiteral("Fournisseur")},
        {QStringLiteral("FenQuota"), QStringLiteral("DataGrid1"), -1,
         QStringLiteral("FenQuota.DataGrid1.Caption"), QStringLiteral("Liste des profils")},
        {QStringLiteral("FenQuota"), QStringLiteral("DataGrid1"), 0,
         QStringLiteral("FenQuota.DataGrid1.Columns(0).Caption"), QStringLiteral("Libellé")},
        {QStringLiteral("FenQuota"), QStringLiteral("DBGrid2"), -1,
         QStringLiteral("FenQuota.DBGrid2.Caption"), QStringLiteral("Détail Quotas")},
        {QStringLiteral("FenQuota"), QStringLiteral("DBGrid2"), 0,
         QStringLiteral("FenQuota.DBGrid2.Columns(0).Caption"), QStringLiteral("Réf. Article")},
        {QStringLiteral("FenQuota"), QStringLiteral("DBGrid2"), 1,
         QStringLiteral("FenQuota.DBGrid2.Columns(1).Caption"), QStringLiteral("Code Article")},
        {QStringLiteral("FenQuota"), QStringLiteral("DBGrid2"), 2,
         QStringLiteral("FenQuota.DBGrid2.Columns(2).Caption"), QStringLiteral("Désignation")},
        {QStringLiteral("FenQuota"), QStringLiteral("DBGrid2"), 3,
         QStringLiteral("FenQuota.DBGrid2.Columns(3).Caption"), QStringLiteral("Taille")},
        {QStringLiteral("FenQuota"), QStringLiteral("DBGrid2"), 4,
         QStringLiteral("FenQuota.DBGrid2.Columns(4).Caption"), QStringLiteral("Qté Permise")},
        {QStringLiteral("FenFamille"), QStringLiteral("DBGrid1"), -1,
         QStringLiteral("FenFamille.DBGrid1.Caption"), QStringLiteral("Familles de produits")},
        {QStringLiteral("FenFamille"), QStringLiteral("DBGrid1"), 3,
         QStringLiteral("FenFamille.DBGrid1.Columns(3).Caption"), QStringLiteral("Famille")},
        {QStringLiteral("FenFamille"), QStringLiteral("DBGrid1"), 4,
         QStringLiteral("FenFamille.DBGrid1.Columns(4).Caption"), QStringLiteral("Fonction")},
        {QStringLiteral("FenTailles"), QStringLiteral("DBGrid1"), -1,
         QStringLiteral("FenTailles.DBGrid1.Caption"), QStringLiteral("Tailles disponibles")},
        {QStringLiteral("FenTailles"), QStringLiteral("DBGrid1"), 0,
         QStringLiteral("FenTailles.DBGrid1.Columns(0).Caption"), QStringLiteral("Tailles")},
        {QStringLiteral("FenTailles"), QStringLiteral("DataGrid2"), -1,
         QStringLiteral("FenTailles.DataGrid2.Caption"), QStringLiteral("Familles")},
        {QStringLiteral("FenTailles"), QStringLiteral("DataGrid2"), 0,
         QStringLiteral("FenTailles.DataGrid2.Columns(0).Caption"), QStringLiteral("Famille")},
        {QStringLiteral("FenSites"), QStringLiteral("DBGrid1"), -1,
         QStringLiteral("FenSites.DBGrid1.Caption"), QStringLiteral("Services")},
        {QStringLiteral("FenSites"), QStringLiteral("DBGrid1"), 0,
         QStringLiteral("FenSites.DBGrid1.Columns(0).Caption"), QStringLiteral("Nom")},
        {QStringLiteral("FenSites"), QStringLiteral("DBGrid1"), 1,
         QStringLiteral("FenSites.DBGrid1.Columns(1).Caption"), QStringLiteral("Informations")},
        {QStringLiteral("FenSites"), QStringLiteral("DataGrid2"), -1,
         QStringLiteral("FenSites.DataGrid2.Caption"), QStringLiteral("Sites")},
        {QStringLiteral("FenSites"), QStringLiteral("DataGrid2"), 0,
         QStringLiteral("FenSites.DataGrid2.Columns(0).Caption"), QStringLiteral("Nom ")},
        {QStringLiteral("FenSites"), QStringLiteral("DataGrid2"), 1,
         QStringLiteral("FenSites.DataGrid2.Columns(1).Caption"), QStringLiteral("Adresse")},
        {QStringLiteral("FenSites"), QStringLiteral("DataGrid2"), 2,
         QStringLiteral("FenSites.DataGrid2.Columns(2).Caption"), QStringLiteral("Informations")},
        {QStringLiteral("FenComptoir"), QStringLiteral("DataGrid1"), -1,
         QStringLiteral("FenComptoir.DataGrid1.Caption"), QStringLiteral("Historique")},
        {QStringLiteral("FenComptoir"), QStringLiteral("DataGrid1"), 0,
         QStringLiteral("FenComptoir.DataGrid1.Columns(0).Caption"), QStringLiteral("Date")},
        {QStringLiteral("FenComptoir"), QStringLiteral("DataGrid1"), 1,
         QStringLiteral("FenComptoir.DataGrid1.Columns(1).Caption"), QStringLiteral("Référence")},
        {QStringLiteral("FenComptoir"), QStringLiteral("DataGrid1"), 2,
         QStringLiteral("FenComptoir.DataGrid1.Columns(2).Caption"), QStringLiteral("Réf. fournisseur")},
        {QStringLiteral("FenComptoir"), QStringLiteral("DataGrid1"), 3,
         QStringLiteral("FenComptoir.DataGrid1.Columns(3).Caption"), QStringLiteral("Désignation")},
        {QStringLiteral("FenComptoir"), QStringLiteral("DataGrid1"), 4,
         QStringLiteral("FenComptoir.DataGrid1.Columns(4).Caption"), QStringLiteral("Qté")},
    };
    return table;
}

QString CleTexteGrille(const QString& forme, const QString& grille, int colonne) {
    const QString proprietaire =
        forme == QLatin1String("FrmConfigMachineCasier") ? QStringLiteral("FrmConfigMachine") : forme;
    const QString prefixe = proprietaire + u'.' + grille;
    const QString cle = colonne < 0 ? prefixe + QStringLiteral(".Caption")
                                    : prefixe + QStringLiteral(".Columns(%1).Caption").arg(colonne);
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
