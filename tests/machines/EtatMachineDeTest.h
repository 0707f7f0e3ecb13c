#pragma once

#include "db/Connexion.h"

#include <QHash>
#include <QList>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <utility>

// What a machine's tables hold, as the machine tests compare it.
namespace EtatMachineDeTest {

// The rows of a query, blank-joined, "-" for Null.
inline QStringList rangs(Connexion& c, const char* sql, const QVariantList& valeurs = {}) {
    QSqlQuery q = c.executer(QLatin1String(sql), valeurs);
    QStringList l;
    while (q.next()) {
        QStringList r;
        for (int i = 0; i < q.record().count(); ++i)
            r << (q.value(i).isNull() ? QStringLiteral("-") : q.value(i).toString());
        l << r.join(u' ');
    }
    return l;
}

// The slots of machine `no`: "NoEmpl Reference".
inline QStringList contenu(Connexion& c, int no) {
    return rangs(c, "SELECT NoEmpl, Reference FROM EmplacementsMachine1 WHERE NoMachine = ? ORDER BY NoEmpl",
                 {no});
}

// The plan of machine `no`: "Etage ReferenceArticle CodeArticle Designation".
inline QStringList config(Connexion& c, int no) {
    return rangs(c,
                 "SELECT Etage, ReferenceArticle, CodeArticle, Designation FROM ConfigMachines WHERE "
                 "NoMachine = ? ORDER BY Etage",
                 {no});
}

// The refill lines: "NumMach Etage Reference CodeArticle NbUnite Aremplir", by machine and Etage.
inline QStringList lignesRemplissage(Connexion& c) {
    return rangs(c,
                 "SELECT NumMach, Etage, Reference, CodeArticle, NbUnite, Aremplir FROM TRemplissageMachine "
                 "ORDER BY NumMach, Etage, Reference");
}

// Articles 5001 to 5004 and 5009 of the machine tests (code: reference - 5000, "Article <code>").
constexpr qint64 A = 5001, B = 5002, C = 5003, D = 5004, X = 5009;
inline void articles(Connexion& c) {
    for (qint64 r : {A, B, C, D, X})
        c.executer(QStringLiteral(
                       "INSERT INTO ArticleEnStock (Reference, CodeArticle, Designation) VALUES (?, ?, ?)"),
                   {r, r - 5000, QStringLiteral("Article %1").arg(r - 5000)});
}

// Configured rows of machine `no`, each planned with an article (or Null), designation "ancienne".
inline void plan(Connexion& c, int no, const QList<std::pair<int, QVariant>>& lignes) {
    for (const auto& [etage, ref] : lignes)
        c.executer(
            QStringLiteral("INSERT INTO ConfigMachines (NoMachine, Etage, ReferenceArticle, CodeArticle, "
                           "Designation) VALUES (?, ?, ?, ?, 'ancienne')"),
            {no, etage, ref,
             ref.isNull() ? QVariant(QMetaType::fromType<qint64>()) : QVariant(ref.toLongLong() - 5000)});
}

// A machine and its plan.
inline void machine(Connexion& c, int no, int type, const QVariant& chargement, const QVariant& places,
                    const QVariant& portes, const QList<std::pair<int, QVariant>>& lignes) {
    c.executer(
        QStringLiteral("INSERT INTO Machines (NoMachine, Type, Chargement, NbEmplacement, NbPorte) VALUES "
                       "(?, ?, ?, ?, ?)"),
        {no, type, chargement, places, portes});
    plan(c, no, lignes);
}

// `n` slots of machine `no` on (etage, colonne) holding `ref`, numbered on from its last (`numeros`).
inline void emplacements(Connexion& c, QHash<int, int>& numeros, int no, int n, const QVariant& etage,
                         const QVariant& colonne, const QVariant& ref) {
    for (int i = 0; i < n; ++i)
        c.executer(
            QStringLiteral("INSERT INTO EmplacementsMachine1 (NoMachine, NoEmpl, Etage, Colonne, Reference) "
                           "VALUES (?, ?, ?, ?, ?)"),
            {no, ++numeros[no], etage, colonne, ref});
}

// A machine loading article 5002 into every seventh slot (1, 8, ..., 36) of machines `premier` to
// `dernier`, a transaction a slot, as workstations save their plans.
inline void machineQuiCharge(Connexion& c, int premier, int dernier) {
    for (int m = premier; m <= dernier; ++m)
        for (int s = 1; s <= 36; s += 7) {
            TransactionEcriture t(c);
            c.executer(
                QStringLiteral(
                    "UPDATE EmplacementsMachine1 SET Reference = 5002 WHERE NoMachine = ? AND NoEmpl = ?"),
                {m, s});
            t.valider();
        }
}

} // namespace EtatMachineDeTest
