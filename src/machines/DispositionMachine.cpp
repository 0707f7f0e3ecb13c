#include "machines/DispositionMachine.h"

#include "common/EtatGlobal.h"
#include "common/FonctionUtilitaires.h"
#include "db/Connexion.h"
#include "db/Valeurs.h"

#include <QHash>
#include <QSqlQuery>
#include <cmath>
#include <limits>

using ModeleMachine::Disposition;

namespace {

// Slots and loaded slots of a layout row.
struct Compte {
    qint64 emplacements = 0;
    qint64 charges = 0;
    Compte& operator+=(const Compte& autre) {
        emplacements += autre.emplacements;
        charges += autre.charges;
        return *this;
    }
};

// A door or slot count that divides: none when Null or 0.
std::optional<double> diviseur(const QVariant& v) {
    if (!v.isValid() || v.isNull())
        return std::nullopt;
    const double d = static_cast<double>(Valeurs::lireEntier(v));
    if (d == 0)
        return std::nullopt;
    return d;
}

int pourcentage(qint64 charges, double capacite) {
    const double p = std::nearbyint(static_cast<double>(charges) / capacite * 100.0);
    if (!(p > std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    if (!(p < std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    return static_cast<int>(p);
}

double nombre(const QVariant& v) {
    return v.isNull() ? 0 : static_cast<double>(Valeurs::lireEntier(v));
}

} // namespace

QString DispositionMachine::Ligne::texte(int colonne) const {
    switch (colonne) {
    case 0:
        return legende;
    case 1:
        return FonctionUtilitaires::ConvertNullStr(designation);
    case 2:
        return FonctionUtilitaires::ConvertNullStr(reference);
    case 3:
        return FonctionUtilitaires::ConvertNullStr(codeArticle);
    case 4:
        return aDesEmplacements ? QString::number(charges) : QString();
    case 5:
        return aRemplir ? FonctionUtilitaires::ConvertNullStr(*aRemplir) : QString();
    default:
        return QString();
    }
}

QStringList DispositionMachine::Entetes(Disposition vue) {
    if (vue == Disposition::Etages)
        return {QStringLiteral("Désignation"), QStringLiteral("Référence"), QStringLiteral("Code Article"),
                QStringLiteral("Nbre d'unité"), QStringLiteral("Nbre à remplir")};
    const EtatGlobal& g = Global();
    return {g.msg(5), g.msg(6), g.msg(7), g.msg(8), g.msg(9)};
}

DispositionMachine DispositionMachine::Lire(Connexion& c, const Machine& machine, Disposition vue) {
    DispositionMachine d;
    const bool etages = vue == Disposition::Etages;
    const bool avecSpeciale = !etages && machine.type == TypeLigneSpeciale;

    // The slots, gathered by the field the layout reads (and by floor too for the special row of a model
    // 8), then counted per layout row.
    QHash<qint64, Compte> comptes;
    std::optional<qint64> premierEtage;
    QHash<qint64, Compte> parEtage;
    {
        const bool parEtages = etages || avecSpeciale;
        QStringList champs;
        if (parEtages)
            champs << QStringLiteral("Etage");
        if (!etages)
            champs << QStringLiteral("Colonne");
        const QString liste = champs.join(QStringLiteral(", "));
        QSqlQuery q =
            c.executer(QStringLiteral("SELECT ") + liste +
                           QStringLiteral(", COUNT(*), COUNT(Reference) FROM EmplacementsMachine1 WHERE "
                                          "NoMachine = ? GROUP BY ") +
                           liste,
                       {machine.noMachine});
        const int n = static_cast<int>(champs.size());
        while (q.next()) {
            const QVariant etage = parEtages ? q.value(0) : QVariant();
            const QVariant colonne = etages ? QVariant() : q.value(n - 1);
            const Compte groupe{Valeurs::lireEntier(q.value(n)), Valeurs::lireEntier(q.value(n + 1))};
            if (const std::optional<qint64> ligne =
                    ModeleMachine::LigneDeLayout(vue, machine.type, etage, colonne, QVariant()))
                comptes[*ligne] += groupe;
            if (avecSpeciale && !etage.isNull()) {
                const qint64 e = Valeurs::lireEntier(etage);
                parEtage[e] += groupe;
                if (!premierEtage || e < *premierEtage)
                    premierEtage = e;
            }
        }
    }
    const Compte comptePremierEtage = premierEtage ? parEtage.value(*premierEtage) : Compte();

    const std::optional<double> portes = diviseur(machine.nbPorte);
    const std::optional<double> emplacements = diviseur(machine.nbEmplacement);
    std::optional<double> capaciteEtage;
    if (portes && emplacements)
        capaciteEtage = *emplacements / *portes;
    const std::optional<double> capacite = etages ? capaciteEtage : portes;

    std::optional<Ligne> speciale;
    const QString legende = etages ? QStringLiteral("Etage ") : Global().msg(10);

    QSqlQuery q = c.executer(
        QStringLiteral(
            "SELECT C.Etage, C.ReferenceArticle, C.CodeArticle, A.Designation FROM ConfigMachines C "
            "LEFT JOIN ArticleEnStock A ON A.Reference = C.ReferenceArticle "
            "WHERE C.NoMachine = ? ORDER BY C.Etage"),
        {machine.noMachine});
    while (q.next()) {
        if (q.value(0).isNull())
            continue;
        Ligne l;
        l.etage = Valeurs::lireEntier(q.value(0));
        l.reference = q.value(1);
        l.codeArticle = q.value(2);
        l.designation = q.value(3);
        Compte n;
        std::optional<double> cap = capacite;
        if (avecSpeciale && l.etage == LigneSpeciale) {
            // Counted on the machine's lowest floor, with a floor's capacity.
            l.speciale = true;
            l.legende = QStringLiteral("Etage ") + QString::number(NumeroSpeciale);
            n = comptePremierEtage;
            cap = capaciteEtage;
        } else {
            l.legende = legende + QString::number(l.etage);
            n = comptes.value(l.etage);
        }
        l.aDesEmplacements = n.emplacements > 0;
        l.charges = n.charges;
        if (l.aDesEmplacements && cap) {
            l.aRemplir = *cap - static_cast<double>(n.charges);
            l.pourcentage = pourcentage(n.charges, *cap);
        }
        if (l.speciale)
            speciale = l;
        else
            d.lignes.append(l);
    }
    q.finish();

    auto refleter = [&](qsizetype i, const Ligne& l, double numero) {
        std::array<double, 7>& t = d.TableauRemplissage[static_cast<size_t>(i)];
        t[1] = numero;
        t[2] = nombre(l.reference);
        t[3] = nombre(l.codeArticle);
        t[4] = static_cast<double>(l.charges);
        t[5] = l.aRemplir.value_or(0);
        t[6] = machine.noMachine;
    };
    for (qsizetype i = 1; i <= d.lignes.size() && i <= LigneSpeciale; ++i)
        refleter(i, d.lignes.at(i - 1), static_cast<double>(d.lignes.at(i - 1).etage));
    if (speciale) {
        refleter(LigneSpeciale, *speciale, NumeroSpeciale);
        d.lignes.append(*speciale);
    }
    return d;
}
