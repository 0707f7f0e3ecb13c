#include "machines/CalculRemplissage.h"

#include "common/ErreurExecution.h"
#include "common/MajBase.h"
#include "db/Connexion.h"
#include "db/InsertionParLots.h"
#include "db/Valeurs.h"

#include <QHash>
#include <QSet>
#include <QSqlQuery>
#include <QStringList>
#include <cmath>
#include <limits>

namespace CalculRemplissage {

namespace {

using ModeleMachine::Disposition;

const QVariant EntierNul = QVariant(QMetaType::fromType<qint64>());
const QVariant DoubleNul = QVariant(QMetaType::fromType<double>());

bool nul(const QVariant& v) {
    return !v.isValid() || v.isNull();
}

void exigerTransaction(const Connexion& c, const QString& routine) {
    if (!c.enTransaction())
        throw ErreurExecution(ErreurExecution::InvalidProcedureCall,
                              QStringLiteral("Les lignes de remplissage s'écrivent dans une transaction"),
                              routine);
}

// A whole number of the refill array, as its integer column takes it.
qint64 entier(double v, const QString& routine) {
    if (!std::isfinite(v) || std::fabs(v) >= 9.0e18)
        throw ErreurExecution(ErreurExecution::Overflow, QStringLiteral("Dépassement de capacité"), routine);
    return static_cast<qint64>(std::nearbyint(v));
}

// The machines of the list, each once, bound into "NoMachine IN (...)".
struct ListeBornee {
    QString marques;
    QVariantList numeros;
};
ListeBornee lister(const QList<Machine>& machines) {
    ListeBornee l;
    QSet<qint32> vus;
    QStringList marques;
    for (const Machine& m : machines)
        if (!vus.contains(m.noMachine)) {
            vus.insert(m.noMachine);
            marques << QStringLiteral("?");
            l.numeros << m.noMachine;
        }
    l.marques = marques.join(QStringLiteral(", "));
    return l;
}

using Cle = QPair<qint32, qint64>;

// A floor machine whose door count divides nothing: logged under the routine, left out.
bool sansPortes(const Machine& m, const QString& routine) {
    if (ModeleMachine::DispositionDe(Valeurs::lireTexte(m.chargement)) != Disposition::Etages ||
        (!nul(m.nbPorte) && Valeurs::lireEntier(m.nbPorte) != 0))
        return false;
    MajBase::SignalerErreur(
        routine, ErreurExecution(ErreurExecution::DivisionByZero,
                                 QStringLiteral("Division par zéro (machine %1)").arg(m.noMachine), routine));
    return true;
}

// A computation over the machine list, in the caller's transaction: `lire` reads what the list needs and
// answers what adds one machine's lines; a floor machine without doors is left out. The table is emptied, then written.
template <typename F>
QList<qint32> surLaListe(Connexion& c, const QString& routine, const QList<Machine>& machines, F&& lire) {
    exigerTransaction(c, routine);
    QList<LigneTravail> lignes;
    QList<qint32> ignorees;
    if (!machines.isEmpty()) {
        const auto ajouter = lire(lister(machines));
        for (const Machine& m : machines) {
            if (sansPortes(m, routine))
                ignorees << m.noMachine;
            else
                ajouter(m, lignes);
        }
    }
    EcrireTravail(c, lignes);
    return ignorees;
}

} // namespace

void EcrireTravail(Connexion& c, const QList<LigneTravail>& lignes) {
    c.executer(QStringLiteral("DELETE FROM TRemplissageMachine")).finish();
    InsertionParLots lots(c, QStringLiteral("TRemplissageMachine"),
                          {QStringLiteral("Etage"), QStringLiteral("Reference"),
                           QStringLiteral("CodeArticle"), QStringLiteral("NbUnite"),
                           QStringLiteral("Aremplir"), QStringLiteral("NumMach")});
    for (const LigneTravail& l : lignes)
        lots.ajouter({l.etage, l.reference, l.codeArticle, l.nbUnite, l.aRemplir, l.machine});
    lots.terminer();
}

void RemplisageMachine(Connexion& c, const DispositionMachine::Tableau& tableau) {
    const QString routine = QStringLiteral("RemplisageMachine");
    exigerTransaction(c, routine);
    QList<LigneTravail> lignes;
    for (size_t i = 1; i <= 36; ++i) {
        const std::array<double, 7>& t = tableau[i];
        if (t[1] == 0)
            break;
        lignes << LigneTravail{entier(t[1], routine),
                               entier(t[2], routine),
                               entier(t[3], routine),
                               t[4],
                               t[5],
                               static_cast<qint32>(entier(t[6], routine))};
    }
    EcrireTravail(c, lignes);
}

std::optional<qint16> Capacite(const Machine& m) {
    const QString source = QStringLiteral("Capacite");
    auto compte = [&](const QVariant& v) {
        if (nul(v))
            throw ErreurExecution(
                ErreurExecution::InvalidUseOfNull,
                QStringLiteral("Utilisation incorrecte de Null (machine %1)").arg(m.noMachine), source);
        return static_cast<double>(Valeurs::lireEntier(v));
    };
    double capacite = 1;
    switch (ModeleMachine::DispositionDe(Valeurs::lireTexte(m.chargement))) {
    case Disposition::Casiers:
        return 1;
    case Disposition::Etages: {
        if (nul(m.nbPorte) || Valeurs::lireEntier(m.nbPorte) == 0)
            return std::nullopt;
        const double portes = compte(m.nbPorte);
        capacite = compte(m.nbEmplacement) / portes;
        break;
    }
    case Disposition::Colonnes:
        capacite = compte(m.nbPorte);
        break;
    }
    const double arrondi = std::nearbyint(capacite);
    if (!(arrondi >= std::numeric_limits<qint16>::min() && arrondi <= std::numeric_limits<qint16>::max()))
        throw ErreurExecution(ErreurExecution::Overflow,
                              QStringLiteral("Dépassement de capacité (machine %1)").arg(m.noMachine),
                              source);
    return static_cast<qint16>(arrondi);
}

QList<qint32> RemplissageMachineGlobal(Connexion& c, const QList<Machine>& machines) {
    return surLaListe(
        c, QStringLiteral("RemplissageMachineGlobal"), machines, [&c](const ListeBornee& liste) {
            // The articles planned in each machine, by reference, with their planned positions.
            QHash<qint32, QList<std::pair<qint64, qint64>>> plans;
            {
                QSqlQuery q = c.executer(
                    QStringLiteral(
                        "SELECT NoMachine, ReferenceArticle, COUNT(ReferenceArticle) FROM ConfigMachines "
                        "WHERE ReferenceArticle IS NOT NULL AND NoMachine IN (") +
                        liste.marques +
                        QStringLiteral(") GROUP BY NoMachine, ReferenceArticle ORDER BY NoMachine, "
                                       "ReferenceArticle"),
                    liste.numeros);
                while (q.next())
                    plans[static_cast<qint32>(Valeurs::lireEntier(q.value(0)))].append(
                        {Valeurs::lireEntier(q.value(1)), Valeurs::lireEntier(q.value(2))});
            }
            // The slots of each machine loaded with each article.
            QHash<Cle, qint64> charges;
            {
                QSqlQuery q = c.executer(
                    QStringLiteral("SELECT NoMachine, Reference, COUNT(Reference) FROM EmplacementsMachine1 "
                                   "WHERE Reference IS NOT NULL AND NoMachine IN (") +
                        liste.marques + QStringLiteral(") GROUP BY NoMachine, Reference"),
                    liste.numeros);
                while (q.next())
                    charges.insert({static_cast<qint32>(Valeurs::lireEntier(q.value(0))),
                                    Valeurs::lireEntier(q.value(1))},
                                   Valeurs::lireEntier(q.value(2)));
            }
            return [plans, charges](const Machine& m, QList<LigneTravail>& lignes) {
                const double capacite = *Capacite(m);
                for (const auto& [reference, positions] : plans.value(m.noMachine)) {
                    const double presents = static_cast<double>(charges.value({m.noMachine, reference}));
                    lignes << LigneTravail{EntierNul,
                                           reference,
                                           EntierNul,
                                           presents,
                                           static_cast<double>(positions) * capacite - presents,
                                           m.noMachine};
                }
            };
        });
}

QList<qint32> RemplissageMachineParEtage(Connexion& c, const QList<Machine>& machines, bool casiers) {
    return surLaListe(
        c,
        casiers ? QStringLiteral("RemplissageMachineGlobal") : QStringLiteral("RemplissageMachineParEtage"),
        machines, [&](const ListeBornee& liste) {
            QHash<qint32, const Machine*> parNumero;
            for (const Machine& m : machines)
                if (!parNumero.contains(m.noMachine))
                    parNumero.insert(m.noMachine, &m);

            // The loaded slots of each layout row.
            QHash<Cle, qint64> charges;
            {
                QSqlQuery q = c.executer(QStringLiteral("SELECT NoMachine, Etage, Colonne, NoEmpl, "
                                                        "COUNT(Reference) FROM EmplacementsMachine1 "
                                                        "WHERE NoMachine IN (") +
                                             liste.marques +
                                             QStringLiteral(") GROUP BY NoMachine, Etage, Colonne, NoEmpl"),
                                         liste.numeros);
                while (q.next()) {
                    const Machine& m = *parNumero.value(static_cast<qint32>(Valeurs::lireEntier(q.value(0))));
                    const std::optional<qint64> ligne = ModeleMachine::LigneDeLayout(
                        ModeleMachine::DispositionDe(Valeurs::lireTexte(m.chargement)), m.type, q.value(1),
                        q.value(2), q.value(3));
                    if (ligne)
                        charges[{m.noMachine, *ligne}] += Valeurs::lireEntier(q.value(4));
                }
            }

            // The configured positions with their article's code.
            struct Position {
                QVariant etage, reference, codeArticle;
            };
            QHash<qint32, QList<Position>> positions;
            {
                QSqlQuery q = c.executer(
                    QStringLiteral("SELECT C.NoMachine, C.Etage, C.ReferenceArticle, A.CodeArticle FROM "
                                   "ConfigMachines C LEFT JOIN ArticleEnStock A ON A.Reference = "
                                   "C.ReferenceArticle WHERE C.NoMachine IN (") +
                        liste.marques + QStringLiteral(") ORDER BY C.NoMachine, C.Etage"),
                    liste.numeros);
                while (q.next())
                    positions[static_cast<qint32>(Valeurs::lireEntier(q.value(0)))].append(
                        {q.value(1), q.value(2), q.value(3)});
            }

            return [charges, positions, casiers](const Machine& m, QList<LigneTravail>& lignes) {
                Disposition d = ModeleMachine::DispositionDe(Valeurs::lireTexte(m.chargement));
                if (casiers && d == Disposition::Casiers)
                    d = Disposition::Colonnes;
                // What a position holds; Null where a count the division needs is Null.
                std::optional<double> plein;
                if (d == Disposition::Etages && !nul(m.nbEmplacement))
                    plein = static_cast<double>(Valeurs::lireEntier(m.nbEmplacement)) /
                            static_cast<double>(Valeurs::lireEntier(m.nbPorte));
                else if (d == Disposition::Colonnes && !nul(m.nbPorte))
                    plein = static_cast<double>(Valeurs::lireEntier(m.nbPorte));
                qint64 rang = 0;
                for (const Position& p : positions.value(m.noMachine)) {
                    const qint64 n =
                        nul(p.etage) ? 0 : charges.value({m.noMachine, Valeurs::lireEntier(p.etage)});
                    QVariant aRemplir = d == Disposition::Casiers ? QVariant(1.0)
                                        : plein                   ? QVariant(*plein - static_cast<double>(n))
                                                                  : DoubleNul;
                    lignes << LigneTravail{
                        ++rang,
                        nul(p.reference) ? EntierNul : QVariant(Valeurs::lireEntier(p.reference)),
                        nul(p.codeArticle) ? EntierNul : QVariant(Valeurs::lireEntier(p.codeArticle)),
                        static_cast<double>(n),
                        aRemplir,
                        m.noMachine};
                }
            };
        });
}

bool VerifierMachineVide(Connexion& c, const Machine& m, Disposition vue,
                         std::array<bool, 38>& EtagesOccupes) {
    const QString routine = QStringLiteral("VerifierMachineVide");
    try {
        QSqlQuery q =
            c.executer(QStringLiteral("SELECT Etage, Colonne, COUNT(Reference) FROM "
                                      "EmplacementsMachine1 WHERE NoMachine = ? GROUP BY Etage, Colonne"),
                       {m.noMachine});
        std::array<std::optional<bool>, 38> vus{};
        bool emplacement = false;
        while (q.next()) {
            emplacement = true;
            const std::optional<qint64> ligne =
                ModeleMachine::LigneDeLayout(vue, m.type, q.value(0), q.value(1), {});
            if (!ligne)
                throw ErreurExecution(ErreurExecution::InvalidUseOfNull,
                                      QStringLiteral("Utilisation incorrecte de Null"), routine);
            if (*ligne < 1 || *ligne > 37)
                throw ErreurExecution(ErreurExecution::SubscriptOutOfRange,
                                      QStringLiteral("L'indice n'appartient pas à la sélection"), routine);
            std::optional<bool>& v = vus[static_cast<size_t>(*ligne)];
            v = v.value_or(false) || Valeurs::lireEntier(q.value(2)) > 0;
        }
        if (!emplacement)
            throw ErreurExecution(
                3021, QStringLiteral("La machine %1 n'a pas d'emplacement").arg(m.noMachine), routine);
        for (size_t i = 1; i < vus.size(); ++i)
            if (vus[i])
                EtagesOccupes[i] = *vus[i];
        return true;
    } catch (const std::exception& e) {
        MajBase::SignalerErreur(routine, e);
    }
    return false;
}

} // namespace CalculRemplissage
