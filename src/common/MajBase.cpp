#include "common/MajBase.h"

#include "common/ErreurExecution.h"
#include "common/FnWendrox.h"

#include <QAtomicInteger>
#include <QCoreApplication>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QUrl>

namespace MajBase {

namespace {

const QString NomJournal = QStringLiteral("MAINTEN.MDB");

// The folder of the log: the program folder, or its "temporaire" sub-folder under the report extractor.
QString dossierErreurs() {
    QString dossier = FnWendrox::AjouteBackslash(FnWendrox::CheminApplication());
    if (QCoreApplication::instance() &&
        QFileInfo(QCoreApplication::applicationFilePath()).fileName() == QStringLiteral("ExtractEtat"))
        dossier += QStringLiteral("temporaire/");
    return dossier;
}

void ecrireLigne(const QString& chemin, const QString& contexte, const QString& erreur) {
    static QAtomicInteger<quint64> compteur;
    const QString nom = QStringLiteral("dorvane-journal-%1").arg(compteur.fetchAndAddRelaxed(1));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), nom);
        // mode=rw: opening never creates the file.
        QUrl url = QUrl::fromLocalFile(QFileInfo(chemin).absoluteFilePath());
        url.setQuery(QStringLiteral("mode=rw"));
        db.setDatabaseName(url.toString(QUrl::FullyEncoded));
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=5000"));
        if (db.open()) {
            QSqlQuery q(db);
            if (q.prepare(
                    QStringLiteral("INSERT INTO Erreurs (DateErreur, Contexte, Erreur) VALUES (?, ?, ?)"))) {
                q.addBindValue(FnWendrox::Maintenant().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
                q.addBindValue(contexte.left(255));
                q.addBindValue(erreur.left(1000));
                q.exec();
            }
            q.finish();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(nom);
}

} // namespace

void SignalerErreur(const QString& procedure, const ErreurExecution& erreur) {
    EnregistrerErreur(procedure, erreur.texteJournal());
}

QString TexteJournal(const std::exception& erreur) {
    if (const auto* e = dynamic_cast<const ErreurExecution*>(&erreur))
        return e->texteJournal();
    return QStringLiteral("N°: 0 ") + QString::fromUtf8(erreur.what());
}

void SignalerErreur(const QString& procedure, const std::exception& erreur) {
    EnregistrerErreur(procedure, TexteJournal(erreur));
}

void EnregistrerErreur(const QString& contexte, const QString& erreur) {
    try {
        if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE")))
            return;
        // The log is found without regard to case, in its real spelling.
        const QString chemin = FnWendrox::FichierExistant(dossierErreurs(), NomJournal);
        if (!chemin.isEmpty())
            ecrireLigne(chemin, contexte, erreur);
    } catch (...) {
        // The log never disturbs its caller.
    }
}

} // namespace MajBase
