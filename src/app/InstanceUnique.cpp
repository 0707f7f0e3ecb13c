#include "app/InstanceUnique.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QStandardPaths>

#include <unistd.h>

namespace {
const QString kMarque = QStringLiteral("Loading VEZ");
const QString kNomFichier = QStringLiteral("dorvane.lock");

std::unique_ptr<QLockFile> nouveauVerrou(const QString& chemin) {
    auto verrou = std::make_unique<QLockFile>(chemin);
    // Only a dead holder makes the lock stale, never its age: a copy may run for weeks.
    verrou->setStaleLockTime(0);
    return verrou;
}
} // namespace

InstanceUnique::InstanceUnique(const QString& chemin)
    : m_chemin(chemin.isEmpty() ? cheminParDefaut() : chemin) {}

InstanceUnique::~InstanceUnique() {
    liberer();
}

bool InstanceUnique::legendeMarqueInstance(const QString& legende) {
    return legende.contains(kMarque, Qt::CaseInsensitive);
}

QString InstanceUnique::dossierVerrou() {
    QString dossier = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!dossier.isEmpty())
        return dossier;
    dossier = QDir(QDir::tempPath()).filePath(QStringLiteral("dorvane-%1").arg(::getuid()));
    QDir().mkpath(dossier);
    QFile::setPermissions(dossier, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return dossier;
}

QString InstanceUnique::cheminParDefaut() {
    return QDir(dossierVerrou()).filePath(kNomFichier);
}

bool InstanceUnique::autreCopieActive() const {
    if (m_verrou && m_verrou->isLocked())
        return false;
    auto essai = nouveauVerrou(m_chemin);
    if (essai->tryLock(0)) {
        essai->unlock();
        return false;
    }
    return essai->error() == QLockFile::LockFailedError;
}

bool InstanceUnique::prendre() {
    if (estPris())
        return true;
    m_verrou = nouveauVerrou(m_chemin);
    if (m_verrou->tryLock(0))
        return true;
    m_verrou.reset();
    return false;
}

bool InstanceUnique::estPris() const {
    return m_verrou && m_verrou->isLocked();
}

void InstanceUnique::liberer() {
    if (m_verrou) {
        m_verrou->unlock();
        m_verrou.reset();
    }
}
