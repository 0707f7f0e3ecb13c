#pragma once

#include <QString>
#include <memory>

class QLockFile;

// One running copy per user. The lock is taken once the loading window shows (its caption must still
// carry "Loading VEZ", as the language file leaves it); a later start finds it held and ends silently.
// A lock left behind by a crashed copy is recognised as stale (its process is gone) and taken over.
class InstanceUnique {
public:
    // The lock of this user, in the runtime folder; `chemin` overrides it (tests).
    explicit InstanceUnique(const QString& chemin = QString());
    ~InstanceUnique();
    InstanceUnique(const InstanceUnique&) = delete;
    InstanceUnique& operator=(const InstanceUnique&) = delete;

    // True when a live process other than this object holds the lock.
    bool autreCopieActive() const;
    // Takes the lock for the rest of the run; false when another live copy holds it or the lock file
    // cannot be written (the program then runs without it).
    bool prendre();
    bool estPris() const;
    // Releases the lock (also done at destruction).
    void liberer();

    const QString& chemin() const { return m_chemin; }

    // The caption that marks a running copy.
    static bool legendeMarqueInstance(const QString& legende);
    // The user's runtime folder, or "dorvane-<uid>" (mode 0700) under the temporary folder.
    static QString dossierVerrou();
    static QString cheminParDefaut();

private:
    QString m_chemin;
    std::unique_ptr<QLockFile> m_verrou;
};
