#include "support/DossierProgrammeTemp.h"

#include "app/InstallationDossier.h"
#include "common/EtatGlobal.h"
#include "common/IniFile.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <gtest/gtest.h>

DossierProgrammeTemp::DossierProgrammeTemp() : DossierProgrammeTemp(Options{}) {}

DossierProgrammeTemp::DossierProgrammeTemp(Options options)
    : m_homeAvant(qgetenv("DORVANE_HOME")), m_homeDefini(qEnvironmentVariableIsSet("DORVANE_HOME")),
      m_iniAvant(Global().CheminIni) {
    if (!m_dir.isValid()) {
        m_erreur = QStringLiteral("no temporary folder");
        ADD_FAILURE() << "DossierProgrammeTemp: " << m_erreur.toStdString();
        return;
    }
    m_valide = installerDossierProgramme(m_dir.path(),
                                         dossierRessources(QStringLiteral(DORVANE_RESOURCES_DIR)), &m_erreur);
    if (!m_valide)
        ADD_FAILURE() << "DossierProgrammeTemp: " << m_erreur.toStdString();
    if (!options.journal)
        QFile::remove(cheminJournal());
    qputenv("DORVANE_HOME", QFile::encodeName(m_dir.path()));
    Global().CheminIni = cheminIni();
}

DossierProgrammeTemp::~DossierProgrammeTemp() {
    if (m_homeDefini)
        qputenv("DORVANE_HOME", m_homeAvant);
    else
        qunsetenv("DORVANE_HOME");
    Global().CheminIni = m_iniAvant;
}

QString DossierProgrammeTemp::chemin() const {
    return m_dir.path() + QLatin1Char('/');
}

QString DossierProgrammeTemp::fichier(const QString& nom) const {
    return QDir(m_dir.path()).filePath(nom);
}

QString DossierProgrammeTemp::cheminIni() const {
    return fichier(QStringLiteral("automat.ini"));
}

QString DossierProgrammeTemp::cheminJournal() const {
    return fichier(QStringLiteral("MAINTEN.MDB"));
}

void DossierProgrammeTemp::ecrireIni(const QString& section, const QString& cle,
                                     const QString& valeur) const {
    IniFile::ecrire(cheminIni(), section, cle, valeur);
}

QString ecrireFichierTest(const QString& chemin, const QByteArray& octets) {
    QFile f(chemin);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(octets) != octets.size())
        ADD_FAILURE() << "cannot write " << chemin.toStdString();
    f.close();
    IniFile::oublierCache(chemin);
    return chemin;
}

void DossierProgrammeTemp::ecrireFichier(const QString& nom, const QByteArray& octets) const {
    ecrireFichierTest(fichier(nom), octets);
}

QStringList DossierProgrammeTemp::lignesJournal() const {
    QStringList lignes;
    const QString nom = QStringLiteral("test-journal-lecture");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), nom);
        db.setDatabaseName(cheminJournal());
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (db.open()) {
            QSqlQuery q(db);
            if (q.exec(QStringLiteral("SELECT Contexte, Erreur FROM Erreurs ORDER BY Id")))
                while (q.next())
                    lignes.append(q.value(0).toString() + QLatin1Char('|') + q.value(1).toString());
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(nom);
    return lignes;
}
