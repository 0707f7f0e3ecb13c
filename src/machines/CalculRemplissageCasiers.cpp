#include "machines/CalculRemplissageCasiers.h"

#include "common/ChampCSV.h"
#include "common/EchecEcriture.h"
#include "common/ErreurExecution.h"
#include "common/MajBase.h"
#include "common/PageDeCode.h"
#include "db/Connexion.h"
#include "db/InsertionParLots.h"
#include "db/Valeurs.h"
#include "machines/ModeleMachine.h"

#include <QHash>
#include <QSaveFile>
#include <QSet>
#include <algorithm>
#include <cmath>
#include <functional>

namespace CalculRemplissageCasiers {

namespace {

const QVariant NulEntier = QVariant(QMetaType::fromType<qint64>());
const QVariant NulReel = QVariant(QMetaType::fromType<double>());

using CalculRemplissage::LigneTravail;

// Runs a computation; a failure is logged under its name and thrown on, to roll the sheet back.
void sousLeNom(const char* nom, const std::function<void()>& travail) {
    try {
        travail();
    } catch (const std::exception& e) {
        MajBase::SignalerErreur(QLatin1String(nom), e);
        throw;
    }
}

// A reference as LireStockMachine's caller hands it over: Null reads 0.
qint64 referenceOuZero(const QVariant& v) {
    return v.isNull() ? 0 : Valeurs::lireEntier(v);
}

} // namespace

int CasiersParColonne(int type) {
    switch (ModeleMachine::FacteurModele(type)) {
    case 4:
        return 9;
    case 2:
        return 18;
    default:
        return 36;
    }
}

qint64 LigneCasier(qint64 n, int G) {
    // n - G * (Int-toward-zero((n + G - 1) / G) - 1): C++ division drops the fraction toward zero too.
    return n - static_cast<qint64>(G) * ((n + G - 1) / G - 1);
}

void RemplisageMachine(Connexion& c, qint32 machine, bool quantiteMultiple) {
    sousLeNom("RemplisageMachine", [&] {
        const QHash<qint64, qint32> stock = StockMachineParArticle(c, machine, quantiteMultiple);
        // A locker is one ConfigMachines row: the count of the article's rows is its lockers.
        QSqlQuery q = c.executer(
            QStringLiteral(
                "SELECT ReferenceArticle, COUNT(ReferenceArticle) FROM ConfigMachines WHERE NoMachine "
                "= ? AND CodeArticle IS NOT NULL GROUP BY ReferenceArticle, CodeArticle ORDER BY "
                "ReferenceArticle"),
            {machine});
        QList<std::pair<QVariant, qint64>> articles;
        while (q.next())
            articles.append({q.value(0), Valeurs::lireEntier(q.value(1))});
        QList<LigneTravail> travail;
        for (const auto& [reference, casiers] : std::as_const(articles)) {
            const qint32 unites = stock.value(referenceOuZero(reference));
            travail << LigneTravail{NulEntier, reference, NulEntier, double(unites), double(casiers - unites),
                                    machine};
        }
        CalculRemplissage::EcrireTravail(c, travail);
    });
}

void RemplisageMachineFicheReappro(Connexion& c, qint32 machine, int type, bool quantiteMultiple) {
    sousLeNom("RemplisageMachineFicheReappro", [&] {
        const int G = CasiersParColonne(type);
        const QHash<qint64, qint32> stock = StockMachineParArticle(c, machine, quantiteMultiple);
        struct Ligne {
            qint64 etage;
            QVariant reference, code;
        };
        QList<Ligne> lignes;
        QSqlQuery q =
            c.executer(QStringLiteral("SELECT Etage, ReferenceArticle, CodeArticle FROM ConfigMachines "
                                      "WHERE NoMachine = ? AND CodeArticle IS NOT NULL ORDER BY Etage"),
                       {machine});
        while (q.next())
            lignes.append({LigneCasier(referenceOuZero(q.value(0)), G), q.value(1), q.value(2)});
        std::stable_sort(lignes.begin(), lignes.end(), [](const Ligne& a, const Ligne& b) {
            return a.etage != b.etage ? a.etage < b.etage
                                      : referenceOuZero(a.reference) < referenceOuZero(b.reference);
        });
        QList<LigneTravail> travail;
        for (const Ligne& l : std::as_const(lignes)) {
            const qint32 unites = stock.value(referenceOuZero(l.reference));
            // The locker's own row counts once when it plans an article.
            const int planifie = l.reference.isNull() ? 0 : 1;
            travail << LigneTravail{l.etage, l.reference, l.code, double(unites), double(planifie - unites),
                                    machine};
        }
        CalculRemplissage::EcrireTravail(c, travail);
    });
}

void RemplisageMachineFicheReapproQteMultiple(Connexion& c, qint32 machine, int type, bool quantiteMultiple) {
    sousLeNom("RemplisageMachineFicheReapproQteMultiple", [&] {
        const int G = CasiersParColonne(type);
        const QHash<qint64, qint32> stock = StockMachineParArticle(c, machine, quantiteMultiple);
        struct Ligne {
            qint64 etage, reference;
            QVariant designation, refFournisseur;
        };
        QList<Ligne> lignes;
        QSqlQuery q = c.executer(
            QStringLiteral(
                "SELECT ConfigMachines.Etage, ArticleEnStock.Reference, ConfigMachines.Designation, "
                "ArticleEnStock.RefFournisseur FROM ConfigMachines INNER JOIN ArticleEnStock ON "
                "ConfigMachines.ReferenceArticle = ArticleEnStock.Reference WHERE "
                "ConfigMachines.NoMachine = ? ORDER BY ConfigMachines.Etage"),
            {machine});
        while (q.next())
            lignes.append({LigneCasier(referenceOuZero(q.value(0)), G), Valeurs::lireEntier(q.value(1)),
                           q.value(2), q.value(3)});
        std::stable_sort(lignes.begin(), lignes.end(), [](const Ligne& a, const Ligne& b) {
            return a.etage != b.etage ? a.etage < b.etage : a.reference < b.reference;
        });
        c.executer(QStringLiteral("DELETE FROM ARemplissageMachine"));
        InsertionParLots lots(c, QStringLiteral("ARemplissageMachine"),
                              {QStringLiteral("Etage"), QStringLiteral("ReferenceArticle"),
                               QStringLiteral("Designation"), QStringLiteral("NoMachine"),
                               QStringLiteral("RefFournisseur"), QStringLiteral("NbArticle")});
        for (const Ligne& l : std::as_const(lignes))
            lots.ajouter(
                {l.etage, l.reference, l.designation, machine, l.refFournisseur, stock.value(l.reference)});
        lots.terminer();
    });
}

QList<qint32> RemplissageMachineGlobal(Connexion& c, const QList<CalculRemplissage::Machine>& machines) {
    QList<qint32> laissees;
    sousLeNom("RemplissageMachineGlobal",
              [&] { laissees = CalculRemplissage::RemplissageMachineParEtage(c, machines, true); });
    return laissees;
}

bool PlancheEtiquettes(Connexion& c, qint32 machine, const GrilleCasiers::Table<qint64>& references,
                       int lignes, int colonnes) {
    QList<LigneTravail> travail;
    const int R = std::min(lignes, GrilleCasiers::NbLignes);
    const int C = std::min(colonnes, GrilleCasiers::NbColonnes);
    for (int i = 1; i < R; ++i) {
        qint64 derniere = 0;
        for (int j = 1; j < C; ++j) {
            const qint64 r = references[static_cast<size_t>(i)][static_cast<size_t>(j)];
            if (r == 0 || r == derniere)
                continue;
            derniere = r;
            travail << LigneTravail{i, r, NulEntier, double(j), NulReel, machine};
        }
    }
    CalculRemplissage::EcrireTravail(c, travail);
    return !travail.isEmpty();
}

void ExporterConfigurationCsv(const QString& chemin, const QList<QStringList>& cellules) {
    QString texte;
    for (const QStringList& ligne : cellules) {
        for (qsizetype j = 0; j < ligne.size(); ++j) {
            if (j > 0)
                texte += u';';
            ChampCSV::ajouter(texte, ligne.at(j));
        }
        texte += QLatin1String("\r\n");
    }
    const QByteArray octets = PageDeCode::versOctets(texte);
    QSaveFile sortie(chemin);
    // A folder of that name, or a missing folder, is refused before any byte is written.
    if (!sortie.open(QIODevice::WriteOnly) || sortie.write(octets) != octets.size() || !sortie.commit())
        throw ErreurExecution(ErreurExecution::PathFileAccess,
                              QStringLiteral("Erreur d'accès au chemin/fichier : ") +
                                  EchecEcriture::message(sortie),
                              QStringLiteral("ExportCsv"));
}

} // namespace CalculRemplissageCasiers
