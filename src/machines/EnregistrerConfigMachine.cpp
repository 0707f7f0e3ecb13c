#include "machines/EnregistrerConfigMachine.h"

#include "db/Connexion.h"
#include "db/Valeurs.h"

#include <QHash>
#include <QMap>
#include <QSqlQuery>
#include <QStringList>
#include <QVariantList>
#include <algorithm>

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
    for (const LignePlan& l : std::as_const(lignes)) {
        QSqlQuery q = c.executer(
            QStringLiteral("UPDATE ConfigMachines SET Designation = ?, ReferenceArticle = ?, CodeArticle = ? "
                           "WHERE NoMachine = ? AND Etage = ? AND (ReferenceArticle IS NULL OR "
                           "ReferenceArticle <> ?)"),
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
