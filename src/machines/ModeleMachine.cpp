#include "machines/ModeleMachine.h"

#include "common/ErreurExecution.h"
#include "db/Connexion.h"
#include "db/InsertionParLots.h"
#include "db/Valeurs.h"

#include <QStringList>
#include <QVariantList>
#include <cmath>

namespace ModeleMachine {

std::optional<Geometrie> GeometrieModele(int type) {
    switch (type) {
    case 1:
        return Geometrie{4, 36};
    case 2:
        return Geometrie{5, 90};
    case 3:
        return Geometrie{5, 180};
    case 4:
        return Geometrie{7, 126};
    case 5:
        return Geometrie{7, 252};
    default:
        return std::nullopt;
    }
}

int FacteurModele(int type) {
    switch (type) {
    case 1:
        return 4;
    case 2:
    case 4:
        return 2;
    default:
        return 1;
    }
}

QList<Emplacement> EmplacementsModele(int type) {
    QList<Emplacement> emplacements;
    const std::optional<Geometrie> g = GeometrieModele(type);
    if (!g)
        return emplacements;
    const int p = g->parEtage();
    // 9 slots a floor stand every fourth column, 18 every second, 36 in every one.
    const int pas = p == 9 ? 4 : p == 18 ? 2 : 1;
    emplacements.reserve(g->emplacements);
    for (int n = 1; n <= g->emplacements; ++n) {
        const int etage = (n + p - 1) / p;
        const int position = n - 1 - p * (etage - 1);
        emplacements.append({n, etage, pas * position + 1});
    }
    return emplacements;
}

Disposition DispositionDe(const QString& chargement) {
    if (chargement == QLatin1String("ETAGE"))
        return Disposition::Etages;
    if (chargement == QLatin1String("CASIER"))
        return Disposition::Casiers;
    return Disposition::Colonnes;
}

std::optional<qint64> LigneDeLayout(Disposition disposition, int type, const QVariant& etage,
                                    const QVariant& colonne, const QVariant& noEmpl) {
    const QVariant& champ = disposition == Disposition::Etages    ? etage
                            : disposition == Disposition::Casiers ? noEmpl
                                                                  : colonne;
    if (!champ.isValid() || champ.isNull())
        return std::nullopt;
    const qint64 v = Valeurs::lireEntier(champ);
    const qint64 f = FacteurModele(type);
    if (disposition != Disposition::Colonnes || f <= 1)
        return v;
    // Int() rounds down, below zero too.
    qint64 q = v / f;
    if (v % f != 0 && v < 0)
        --q;
    return q + 1;
}

std::optional<GeometrieCasiers> GeometrieCasiersModele(int type) {
    switch (type) {
    case 1:
        return GeometrieCasiers{4, 10, 9, false};
    case 2:
    case 4:
        return GeometrieCasiers{2, 19, 18, false};
    case 3:
    case 5:
    case 6:
    case 8:
        return GeometrieCasiers{1, 37, 36, false};
    case 10:
        return GeometrieCasiers{1, 63, 62, true};
    default:
        return std::nullopt;
    }
}

bool EstImpair(double x) {
    return std::fmod(x / 2, 1.0) != 0;
}

void CreerEmplacementsMachine(Connexion& c, int type, qint32 machine) {
    const QList<Emplacement> emplacements = EmplacementsModele(type);
    if (emplacements.isEmpty())
        throw ErreurExecution(AppelIncorrect,
                              QStringLiteral("Le modèle %1 n'a pas de numérotation d'emplacements").arg(type),
                              QStringLiteral("CreerEmplacementsMachine"));
    TransactionEcriture t(c);
    const qint64 existants = Valeurs::lireEntier(c.valeurUnique(
        QStringLiteral("SELECT COUNT(*) FROM EmplacementsMachine1 WHERE NoMachine = ?"), {machine}));
    if (existants > 0)
        throw ErreurExecution(AppelIncorrect,
                              QStringLiteral("La machine %1 a déjà des emplacements").arg(machine),
                              QStringLiteral("CreerEmplacementsMachine"));
    InsertionParLots lots(c, QStringLiteral("EmplacementsMachine1"),
                          {QStringLiteral("NoMachine"), QStringLiteral("NoEmpl"), QStringLiteral("Etage"),
                           QStringLiteral("Colonne")});
    for (const Emplacement& e : emplacements)
        lots.ajouter({machine, e.noEmpl, e.etage, e.colonne});
    lots.terminer();
    t.valider();
}

} // namespace ModeleMachine
