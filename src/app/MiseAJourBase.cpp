#include "app/MiseAJourBase.h"

#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/MajBase.h"
#include "db/Connexion.h"
#include "db/Recordset.h"
#include "db/Routines.h"
#include "db/Valeurs.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QSet>
#include <QSqlQuery>

namespace MiseAJourBase {

std::optional<int> versionDepuisVD(const QString& vd) {
    const QString t = vd.left(3).trimmed();
    qsizetype i = 0;
    if (i < t.size() && (t.at(i) == u'+' || t.at(i) == u'-'))
        ++i;
    if (i == t.size())
        return std::nullopt;
    for (qsizetype j = i; j < t.size(); ++j)
        if (t.at(j) < u'0' || t.at(j) > u'9')
            return std::nullopt;
    return t.toInt();
}

QString vdApresMigration(const QString& vd) {
    return QStringLiteral("001") + vd.mid(3);
}

void MigrerImagesEnBase(Connexion& c) {
    try {
        TransactionEcriture t(c);
        c.verrouillerTable(QStringLiteral("ImageProduit"));
        if (c.valeurUnique(QStringLiteral("SELECT COUNT(*) FROM ImageProduit")).toLongLong() == 0) {
            // The folder is listed once; names compared without regard to case, as the file test does.
            // No folder set means no picture: QDir("") would list the working folder.
            QHash<QString, QString> fichiers;
            const QDir dossier(Global().CheminImage);
            if (!Global().CheminImage.trimmed().isEmpty())
                for (const QString& nom : dossier.entryList(QDir::Files))
                    fichiers.insert(nom.toUpper(), nom);
            QStringList noms;
            {
                QSqlQuery q =
                    c.executer(QStringLiteral("SELECT Image FROM ArticleEnStock WHERE Image IS NOT NULL"));
                while (q.next())
                    noms << q.value(0).toString();
            }
            // Names are compared as they stand (a quote or a wildcard is a character like another), and
            // without regard to case, as the key of ImageProduit does.
            QSet<QString> inseres;
            for (const QString& image : noms) {
                const QString cle = Valeurs::plierCasse(image);
                if (inseres.contains(cle))
                    continue;
                const QString reel = fichiers.value((image.trimmed() + QStringLiteral(".jpg")).toUpper());
                if (reel.isEmpty())
                    continue;
                QFile f(dossier.filePath(reel));
                if (!f.open(QIODevice::ReadOnly))
                    throw ErreurExecution(ErreurExecution::PathFileAccess, f.errorString(),
                                          QStringLiteral("MigrerImagesEnBase"));
                const QByteArray octets = f.readAll();
                c.executer(QStringLiteral("INSERT INTO ImageProduit (RefImage, Picture) VALUES (?, ?)"),
                           {image, octets});
                inseres.insert(cle);
            }
        }
        t.valider();
        Global().ImagesEnBase = true;
    } catch (const ErreurExecution&) {
        Global().ImagesEnBase = false;
    }
}

void CreerProcedureEtatCA(Connexion& c, int version, Recordset* societe) {
    if (version != 0)
        return;
    EffacerStoredProcedure(QStringLiteral("EtatCA"));
    VerifierStoredProcedure(QStringLiteral("EtatCA"), QStringLiteral("EtatCA"));
    if (societe) {
        societe->SetField(QStringLiteral("VD"),
                          vdApresMigration(Valeurs::lireTexte(societe->Field(QStringLiteral("VD")))));
        societe->Update();
        return;
    }
    TransactionEcriture t(c);
    QSqlQuery q = c.executer(QStringLiteral("SELECT Id, VD FROM InfoSociete ORDER BY Id"));
    if (q.next()) {
        const QVariant id = q.value(0);
        const QString vd = Valeurs::lireTexte(q.value(1));
        q.finish();
        c.executer(QStringLiteral("UPDATE InfoSociete SET VD = ? WHERE Id = ?"), {vdApresMigration(vd), id});
    }
    q.finish();
    t.valider();
}

namespace {

struct Profil {
    qint64 numero;
    QString nom;
};

// The first profile, in the table's order, whose name matches the pattern ("*" for any run).
const Profil* chercher(const QList<Profil>& profils, const QString& motif) {
    for (const Profil& p : profils)
        if (Valeurs::correspondLike(p.nom, motif, u'*', QChar(), QChar()))
            return &p;
    return nullptr;
}

qint64 ajouter(Connexion& c, QList<Profil>& profils, const QString& nom) {
    const qint64 n =
        c.valeurUnique(QStringLiteral("INSERT INTO ProfileQuota (Profile) VALUES (?) RETURNING NoQuota"),
                       {nom})
            .toLongLong();
    profils.append({n, nom});
    return n;
}

} // namespace

void FixerQuotaTOUS(Connexion& c) {
    try {
        // Held for the whole check, so that two workstations starting together add each profile once.
        TransactionEcriture t(c);
        c.verrouillerTable(QStringLiteral("ProfileQuota"));
        QList<Profil> profils;
        {
            QSqlQuery q =
                c.executer(QStringLiteral("SELECT NoQuota, Profile FROM ProfileQuota ORDER BY NoQuota"));
            while (q.next())
                profils.append({q.value(0).toLongLong(), Valeurs::lireTexte(q.value(1))});
        }
        EtatGlobal& g = Global();
        if (profils.isEmpty()) {
            g.NoProfilIllimite = static_cast<int>(ajouter(c, profils, QStringLiteral("ILLIMITÉ")));
            t.valider();
            return;
        }
        struct Systeme {
            const char* motif;
            QString nom;
            int* variable;
        };
        const Systeme systemes[] = {
            {"ILLIMIT*", QStringLiteral("ILLIMITÉ"), &g.NoProfilIllimite},
            {"QUOTAS GENERAL", QStringLiteral("QUOTAS GENERAL"), &g.NoProfilQuotasGeneral},
            {"CHEF", QStringLiteral("CHEF"), &g.NoProfilChef},
        };
        QList<QPair<int*, qint64>> numeros;
        for (const Systeme& s : systemes) {
            const Profil* p = chercher(profils, QString::fromUtf8(s.motif));
            numeros.append({s.variable, p ? p->numero : ajouter(c, profils, s.nom)});
        }
        t.valider();
        for (const auto& [variable, numero] : numeros)
            *variable = static_cast<int>(numero);
    } catch (const ErreurExecution& e) {
        MajBase::SignalerErreur(QStringLiteral("FixerQuotaTOUS"), e);
    }
}

void VerifierClePrimaireCodeArticle(Connexion& c) {
    try {
        const QString sql =
            c.estSQLite()
                ? QStringLiteral("SELECT COUNT(*) FROM pragma_table_info('CodeArticle') WHERE pk > 0")
                : QStringLiteral("SELECT COUNT(*) FROM pg_index i WHERE i.indrelid = "
                                 "to_regclass('codearticle') AND i.indisprimary");
        Global().CodeArticleSansCle = c.valeurUnique(sql).toLongLong() < 1;
    } catch (const ErreurExecution&) {
    }
}

} // namespace MiseAJourBase
