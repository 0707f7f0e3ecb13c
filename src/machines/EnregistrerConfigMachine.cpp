#include "machines/EnregistrerConfigMachine.h"

#include "db/Connexion.h"
#include "db/Valeurs.h"

#include <QHash>
#include <QMap>
#include <QSqlQuery>
#include <QStringList>
#include <QVariantList>
#include <algorithm>
#include <tuple>

namespace {

QVariant entierOuNul(qint64 v) {
    return v == 0 ? QVariant(QMetaType::fromType<qint64>()) : QVariant(v);
}

// Slots emptied by one statement at most: Qt's SQLite driver looks each bound value up among all of the
// statement's, so a few hundred values a statement at most.
constexpr qsizetype ParLot = 100;

} // namespace

LignePlan LignePlan::Affichee(const DispositionMachine::Ligne& ligne) {
    LignePlan l;
    l.etage = ligne.etage;
    l.reference = Valeurs::lireEntier(ligne.reference);
    l.codeArticle = Valeurs::lireEntier(ligne.codeArticle);
    l.designation = Valeurs::lireTexte(ligne.designation);
    return l;
}

BilanConfigMachine EnregistrerConfigMachine(Connexion& c, qint32 machine, int type, int modeVue,
                                            const PlanMachine& plan) {
    // Rows in the order of their number, as every save takes them: two saves never wait on each other
    // crosswise.
    QMap<qint64, LignePlan> lignes;
    for (const LignePlan& l : plan)
        lignes.insert(l.etage, l);

    BilanConfigMachine bilan;
    TransactionEcriture t(c);
    // One statement a row, prepared once.
    InstructionPreparee majPlan(
        c, QStringLiteral("UPDATE ConfigMachines SET Designation = ?, ReferenceArticle = ?, CodeArticle = ? "
                          "WHERE NoMachine = ? AND Etage = ? AND (ReferenceArticle IS NULL OR "
                          "ReferenceArticle <> ?)"));
    for (const LignePlan& l : std::as_const(lignes)) {
        QSqlQuery& q = majPlan.executer(
            {l.designation.isEmpty() ? QVariant(QMetaType::fromType<QString>()) : QVariant(l.designation),
             entierOuNul(l.reference), entierOuNul(l.codeArticle), machine, l.etage, l.reference});
        bilan.lignesPlan += std::max(0, q.numRowsAffected());
    }

    // The slots holding another article than their row's plan; an empty slot stays as it is.
    const ModeleMachine::Disposition vue =
        modeVue == 1 ? ModeleMachine::Disposition::Etages : ModeleMachine::Disposition::Colonnes;
    QMap<qint64, QList<qint64>> aVider;
    {
        QSqlQuery q = c.executer(QStringLiteral("SELECT NoEmpl, Etage, Colonne, Reference FROM "
                                                "EmplacementsMachine1 WHERE NoMachine = ?"),
                                 {machine});
        while (q.next()) {
            if (q.value(0).isNull() || q.value(3).isNull())
                continue;
            const std::optional<qint64> ligne =
                ModeleMachine::LigneDeLayout(vue, type, q.value(1), q.value(2), q.value(0));
            if (!ligne)
                continue;
            const auto l = lignes.constFind(*ligne);
            if (l == lignes.cend() || Valeurs::lireEntier(q.value(3)) == l->reference)
                continue;
            aVider[*ligne].append(Valeurs::lireEntier(q.value(0)));
        }
    }
    for (auto it = aVider.begin(); it != aVider.end(); ++it) {
        QList<qint64>& numeros = it.value();
        std::sort(numeros.begin(), numeros.end());
        for (qsizetype debut = 0; debut < numeros.size(); debut += ParLot) {
            const qsizetype n = std::min(ParLot, numeros.size() - debut);
            QVariantList valeurs{machine, lignes.value(it.key()).reference};
            QStringList marques;
            for (qsizetype i = debut; i < debut + n; ++i) {
                valeurs << numeros.at(i);
                marques << QStringLiteral("?");
            }
            QSqlQuery q = c.executer(
                QStringLiteral("UPDATE EmplacementsMachine1 SET Reference = NULL WHERE NoMachine = ? AND "
                               "Reference <> ? AND NoEmpl IN (") +
                    marques.join(QStringLiteral(", ")) + u')',
                valeurs);
            bilan.emplacements += std::max(0, q.numRowsAffected());
        }
    }
    t.valider();
    return bilan;
}

namespace {

// Runs `debut` followed by a list of bound numbers, in lots.
int parLots(Connexion& c, const QString& debut, const QVariantList& avant, QList<qint64> numeros) {
    std::sort(numeros.begin(), numeros.end());
    int n = 0;
    for (qsizetype i = 0; i < numeros.size(); i += ParLot) {
        const qsizetype fin = std::min(numeros.size(), i + ParLot);
        QVariantList valeurs = avant;
        QStringList marques;
        for (qsizetype k = i; k < fin; ++k) {
            valeurs << numeros.at(k);
            marques << QStringLiteral("?");
        }
        QSqlQuery q = c.executer(debut + marques.join(QStringLiteral(", ")) + u')', valeurs);
        n += std::max(0, q.numRowsAffected());
    }
    return n;
}

} // namespace

BilanConfigMachine EnregistrerConfigCasiers(Connexion& c, qint32 machine, int G,
                                            const GrilleCasiers::Tables& tables) {
    using Cle = std::tuple<qint64, qint64, QString>; // reference, code, designation
    BilanConfigMachine bilan;
    TransactionEcriture t(c);

    // The plan: the lockers whose cell holds another article, gathered by the article they take.
    QList<qint64> aVider;
    QMap<Cle, QList<qint64>> aEcrire;
    {
        QSqlQuery q = c.executer(
            QStringLiteral("SELECT Etage, ReferenceArticle FROM ConfigMachines WHERE NoMachine = ?"),
            {machine});
        while (q.next()) {
            if (q.value(0).isNull())
                continue;
            const qint64 n = Valeurs::lireEntier(q.value(0));
            const auto [x, y] = GrilleCasiers::Cellule(n, G);
            if (!GrilleCasiers::DansLesTables(x, y) || !tables.Dessinee[x][y])
                continue;
            const qint64 ref = tables.ReferenceCase[x][y];
            if (!q.value(1).isNull() && Valeurs::lireEntier(q.value(1)) == ref)
                continue;
            if (ref == 0)
                aVider.append(n);
            else
                aEcrire[{ref, tables.CodeArticleCase[x][y], tables.DesignationCase[x][y]}].append(n);
        }
    }
    bilan.lignesPlan +=
        parLots(c,
                QStringLiteral("UPDATE ConfigMachines SET ReferenceArticle = NULL, CodeArticle = "
                               "NULL WHERE NoMachine = ? AND (ReferenceArticle IS NOT "
                               "NULL OR CodeArticle IS NOT NULL) AND Etage IN ("),
                {machine}, aVider);
    for (auto it = aEcrire.cbegin(); it != aEcrire.cend(); ++it) {
        const auto& [ref, code, designation] = it.key();
        bilan.lignesPlan += parLots(
            c,
            QStringLiteral("UPDATE ConfigMachines SET Designation = ?, ReferenceArticle = ?, CodeArticle = ? "
                           "WHERE NoMachine = ? AND (ReferenceArticle IS NULL OR ReferenceArticle <> ?) AND "
                           "Etage IN ("),
            {designation.isEmpty() ? QVariant(QMetaType::fromType<QString>()) : QVariant(designation), ref,
             entierOuNul(code), machine, ref},
            it.value());
    }

    // The loaded slots of drawn lockers that hold another article than their cell's, by that article.
    QMap<qint64, QList<qint64>> emplacements;
    {
        QSqlQuery q = c.executer(QStringLiteral("SELECT NoEmpl, Reference FROM EmplacementsMachine1 WHERE "
                                                "NoMachine = ? AND Reference IS NOT NULL"),
                                 {machine});
        while (q.next()) {
            const std::optional<qint64> n = ModeleMachine::LigneDeLayout(
                ModeleMachine::Disposition::Casiers, 0, QVariant(), QVariant(), q.value(0));
            if (!n)
                continue;
            const auto [x, y] = GrilleCasiers::Cellule(*n, G);
            if (!GrilleCasiers::DansLesTables(x, y) || !tables.Dessinee[x][y])
                continue;
            const qint64 ref = tables.ReferenceCase[x][y];
            if (Valeurs::lireEntier(q.value(1)) != ref)
                emplacements[ref].append(Valeurs::lireEntier(q.value(0)));
        }
    }
    for (auto it = emplacements.cbegin(); it != emplacements.cend(); ++it)
        bilan.emplacements += parLots(c,
                                      QStringLiteral("UPDATE EmplacementsMachine1 SET Reference = NULL WHERE "
                                                     "NoMachine = ? AND Reference <> ? AND NoEmpl IN ("),
                                      {machine, it.key()}, it.value());
    t.valider();
    return bilan;
}
