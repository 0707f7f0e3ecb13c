#pragma once

#include <QDateTime>
#include <QString>
#include <array>

// The application-wide state (module Global): filled once at start by Main and the main window's load,
// then read by every subsystem. Defaults are those of the settings table; Main overwrites them from
// "automat.ini".
struct EtatGlobal {
    // Settings file and database
    QString CheminIni;
    QString ChaineConnexion;
    QString NomServeur;
    QString NomBase = QStringLiteral("VEZ");
    QString UtilisateurSQL;
    QString MotDePasseSQL;
    qint32 VersionBase = 0;
    bool CodeArticleSansCle = false;
    // Name of the rights database beside the main one (tests give each process its own).
    QString NomBaseDroits = QStringLiteral("gestionnaire");

    // Options read from the settings ("OUI" exactly means yes)
    bool OptionMultiInstance = false;
    bool OptionMultiBase = false;
    bool OptionLienSiteService = true;
    bool OptionVersionGSM = false;
    bool OptionQuantiteMultiple = false;
    bool OptionLimitationAcces = false;
    bool OptionBoutonCommande = false;
    bool OptionPlageHoraire = false;
    bool OptionAvecRetour = false;

    QString SeparateurDecimal = QStringLiteral(",");

    // Folders
    QString CheminImage;
    bool ImagesEnBase = false;
    QString CheminRapports;

    // Badges and families
    int TypeLecteurBadge = 1;
    int PortLecteurBadge = 1;
    QString PeripheriqueLecteurBadge; // [PortCom]: a device path, wins over PortLecteurBadge when set
    bool LectureBadge16Bits = false;  // [Badge]: serial badges 0x8000 to 0xFFFF read as -32768 to -1
    int FamilleChaussures = 3;
    int FamilleGants = 1;
    int LongeurCodeArticle = 2;

    // System profiles
    int NoProfilIllimite = 83;
    int NoProfilQuotasGeneral = 0;
    int NoProfilChef = 0;

    // Language
    QString LangueCourante = QStringLiteral("FR");
    QString FichierLangue;
    std::array<QString, 49> Msg{}; // numbers 1 to 48; index 0 unused

    // Company record and main window
    QString AdresseEmail;
    bool ClientOrmax = false;
    bool ClientTalmer = false;
    float LargeurFenPrincipale = 0;
    float HauteurFenPrincipale = 0;

    // Period of the date-range dialog
    QDateTime DateDebut;
    QDateTime DateFin;

    // Article picker protocol
    bool ConfigMachineOuverte = false;
    bool FenQuotaOuverte = false;
    bool FrmStockSelection = false;

    // Pictures
    QString FichierImageScan;

    // Reports and mail
    bool EtatDepuisCompteRendu = false;
    QString UtilisateurSmtp;
    QString MotDePasseSmtp;
    bool AuthentificationSmtp = false;

    // End of the run (session service): set by terminer(), tested by Main and Form_Load after each step.
    bool FinDemandee = false;
    int CodeSortie = 0;

    // The message table, "" outside 1..48.
    QString msg(int numero) const {
        return numero >= 1 && numero <= 48 ? Msg[static_cast<size_t>(numero)] : QString();
    }
};

// The one instance of the run.
EtatGlobal& Global();

// Puts every variable back to its default (tests, and a fresh start).
void reinitialiserEtatGlobal();
