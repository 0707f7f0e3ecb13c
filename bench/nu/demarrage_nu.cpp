// The bare side of bench_demarrage: Qt Widgets and Sql alone, doing the start's data work the plain way.
// Usage: bench_demarrage_nu <program folder>; prints the nanoseconds since BENCH_T0 (CLOCK_MONOTONIC)
// when the main window is shown and painted once, and the shared libraries mapped then.
#include "FinDemarrage.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVBoxLayout>
#include <QVariant>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

namespace {

// "key=value" of the settings file, any section.
QString reglage(const QByteArray& ini, const char* cle) {
    for (const QByteArray& l : ini.split('\n')) {
        const qsizetype egal = l.indexOf('=');
        if (egal > 0 && l.left(egal).trimmed() == cle)
            return QString::fromUtf8(l.mid(egal + 1).trimmed());
    }
    return QString();
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2)
        return 2;
    const QDir dossier(QString::fromLocal8Bit(argv[1]));
    QFile fichierIni(dossier.filePath(QStringLiteral("automat.ini")));
    if (!fichierIni.open(QIODevice::ReadOnly))
        return 1;
    const QByteArray ini = fichierIni.readAll();
    const QString nom = reglage(ini, "Nom"), serveur = reglage(ini, "Serveur");

    QWidget chargement;
    chargement.setWindowTitle(QStringLiteral("Loading"));
    auto* dispositionChargement = new QVBoxLayout(&chargement);
    QPixmap image(48, 48);
    image.fill(Qt::darkBlue);
    auto* picto = new QLabel;
    picto->setPixmap(image);
    dispositionChargement->addWidget(picto);
    for (const char* t : {"Dorvane", "Version 1.0.0", "Connexion au serveur en cours..."})
        dispositionChargement->addWidget(new QLabel(QString::fromUtf8(t)));
    chargement.show();
    QCoreApplication::processEvents();

    QSqlDatabase db;
    if (serveur.isEmpty()) {
        db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"));
        db.setDatabaseName(dossier.filePath(nom + QStringLiteral(".db")));
    } else {
        db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"));
        const qsizetype deuxPoints = serveur.lastIndexOf(u':');
        db.setHostName(deuxPoints > 0 ? serveur.left(deuxPoints) : serveur);
        if (deuxPoints > 0)
            db.setPort(serveur.mid(deuxPoints + 1).toInt());
        db.setUserName(reglage(ini, "Utilisateur"));
        db.setPassword(reglage(ini, "P"));
        db.setDatabaseName(nom);
    }
    if (!db.open()) {
        std::fprintf(stderr, "open: %s\n", qPrintable(db.lastError().text()));
        return 1;
    }
    // The reads of the start: schema version, company record, pictures to move, quota profiles, the first
    // free article code, and the article list.
    std::vector<QVariantList> lignes;
    {
        QSqlQuery q(db);
        q.setForwardOnly(true);
        for (const char* sql :
             {"SELECT MAX(Version) FROM SchemaDorvane", "SELECT * FROM InfoSociete",
              "SELECT COUNT(*) FROM ImageProduit", "SELECT Image FROM ArticleEnStock WHERE Image IS NOT NULL",
              "SELECT NoQuota, Profile FROM ProfileQuota ORDER BY NoQuota",
              "SELECT Reference FROM ArticleEnStock WHERE CodeArticle IS NULL AND Reference BETWEEN 1 AND "
              "2147483647 AND Reference NOT IN (SELECT CodeArticle FROM ArticleEnStock WHERE CodeArticle IS "
              "NOT NULL) ORDER BY Reference LIMIT 1",
              "SELECT * FROM StockGlobal"}) {
            if (!q.exec(QString::fromLatin1(sql))) {
                std::fprintf(stderr, "%s: %s\n", sql, qPrintable(q.lastError().text()));
                return 1;
            }
            const int n = q.record().count();
            while (q.next()) {
                QVariantList l;
                for (int i = 0; i < n; ++i)
                    l << q.value(i);
                lignes.push_back(std::move(l));
            }
        }
    }

    QWidget principale;
    principale.setWindowTitle(QStringLiteral("Dorvane"));
    auto* grille = new QGridLayout(&principale);
    const QStringList images =
        QDir(dossier.filePath(QStringLiteral("icon"))).entryList(QDir::Files, QDir::Name);
    for (int i = 0; i < 20; ++i) {
        auto* b = new QPushButton(QStringLiteral("Bouton %1").arg(i));
        if (!images.isEmpty())
            b->setIcon(QIcon(dossier.filePath(QStringLiteral("icon/") + images.at(i % images.size()))));
        grille->addWidget(b, i % 7, i / 7);
    }
    for (int i = 0; i < 6; ++i)
        grille->addWidget(new QLabel(lignes.empty() ? QString() : lignes.front().value(i).toString()), i, 3);
    principale.show();
    chargement.hide();
    QCoreApplication::processEvents();
    signalerFenetreMontree();
    std::_Exit(0);
}
