#include "app/InstanceUnique.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class InstanceUniqueTest : public ::testing::Test {
protected:
    QTemporaryDir dossier;
    QString chemin() const { return dossier.filePath(QStringLiteral("dorvane.lock")); }
};

TEST(InstanceUniqueLegende, MarqueIgnoreLaCasse) {
    EXPECT_TRUE(InstanceUnique::legendeMarqueInstance(QStringLiteral("Loading VEZ")));
    EXPECT_TRUE(InstanceUnique::legendeMarqueInstance(QStringLiteral("  LOADING vez 2")));
    // A translated caption that lost the mark lets a second copy start.
    EXPECT_FALSE(InstanceUnique::legendeMarqueInstance(QStringLiteral("Laden VEZ")));
    EXPECT_FALSE(InstanceUnique::legendeMarqueInstance(QString()));
}

TEST_F(InstanceUniqueTest, PremiereCopiePuisSecondeRefusee) {
    InstanceUnique premiere(chemin());
    EXPECT_FALSE(premiere.autreCopieActive());
    ASSERT_TRUE(premiere.prendre());
    EXPECT_TRUE(premiere.estPris());
    // The holder itself is not "another copy".
    EXPECT_FALSE(premiere.autreCopieActive());

    InstanceUnique seconde(chemin());
    EXPECT_TRUE(seconde.autreCopieActive());
    EXPECT_FALSE(seconde.prendre());

    premiere.liberer();
    EXPECT_FALSE(seconde.autreCopieActive());
    EXPECT_TRUE(seconde.prendre());
}

TEST_F(InstanceUniqueTest, VerrouDUnProcessusMortNeBloquePas) {
    // A process that has ended: its pid is free.
    QProcess p;
    p.start(QStringLiteral("true"));
    ASSERT_TRUE(p.waitForStarted());
    const qint64 pid = p.processId();
    ASSERT_TRUE(p.waitForFinished());

    QFile f(chemin());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray::number(pid) + '\n' + QCoreApplication::applicationName().toUtf8() + '\n' +
            QSysInfo::machineHostName().toUtf8() + '\n');
    f.close();

    InstanceUnique copie(chemin());
    EXPECT_FALSE(copie.autreCopieActive());
    EXPECT_TRUE(copie.prendre());
}

TEST_F(InstanceUniqueTest, VerrouVieuxMaisTenuResteTenu) {
    // A copy that has run for a long time still holds its lock.
    QLockFile tenu(chemin());
    tenu.setStaleLockTime(0);
    ASSERT_TRUE(tenu.tryLock(0));
    QFile f(chemin());
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(QDateTime::currentDateTime().addDays(-40), QFileDevice::FileModificationTime));
    f.close();

    InstanceUnique copie(chemin());
    EXPECT_TRUE(copie.autreCopieActive());
    EXPECT_FALSE(copie.prendre());
}

TEST_F(InstanceUniqueTest, DossierIllisibleNeBloquePas) {
    // A lock path under a regular file cannot be written: no other copy is seen, the lock is not taken.
    QFile f(dossier.filePath(QStringLiteral("fichier")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    InstanceUnique copie(dossier.filePath(QStringLiteral("fichier/dorvane.lock")));
    EXPECT_FALSE(copie.autreCopieActive());
    EXPECT_FALSE(copie.prendre());
}

TEST(InstanceUniqueDossier, DossierParDefautExiste) {
    const QString d = InstanceUnique::dossierVerrou();
    EXPECT_FALSE(d.isEmpty());
    EXPECT_TRUE(QDir(d).exists());
    EXPECT_TRUE(InstanceUnique::cheminParDefaut().startsWith(d));
}

} // namespace
