#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A temporary program folder laid out by the setup routine (settings at their defaults, language files,
// icons, the error log, and whatever the setup creates besides). While it lives, DORVANE_HOME and
// Global().CheminIni point at it; both come back at destruction.
// Writes a file for a test (replacing it) and drops it from the INI cache; returns its path.
QString ecrireFichierTest(const QString& chemin, const QByteArray& octets);

class DossierProgrammeTemp {
public:
    struct Options {
        bool journal = true; // keep the error log "MAINTEN.MDB"
    };
    DossierProgrammeTemp();
    explicit DossierProgrammeTemp(Options options);
    ~DossierProgrammeTemp();
    DossierProgrammeTemp(const DossierProgrammeTemp&) = delete;
    DossierProgrammeTemp& operator=(const DossierProgrammeTemp&) = delete;

    bool valide() const { return m_valide; }
    const QString& erreur() const { return m_erreur; }
    // The folder, with a trailing "/".
    QString chemin() const;
    // A path inside the folder.
    QString fichier(const QString& nom) const;
    QString cheminIni() const;
    QString cheminJournal() const;

    // Writes one settings value into "automat.ini".
    void ecrireIni(const QString& section, const QString& cle, const QString& valeur) const;
    // Replaces a file's bytes.
    void ecrireFichier(const QString& nom, const QByteArray& octets) const;
    // The rows of the error log, "Contexte|Erreur" each, in order.
    QStringList lignesJournal() const;

private:
    QTemporaryDir m_dir;
    bool m_valide = false;
    QString m_erreur;
    QByteArray m_homeAvant;
    bool m_homeDefini = false;
    QString m_iniAvant;
};
