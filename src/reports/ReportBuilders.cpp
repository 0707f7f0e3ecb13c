#include "reports/ReportBuilders.h"

#include "common/DateTexte.h"
#include "common/MajBase.h"
#include "db/Connexion.h"
#include "db/Routines.h"
#include "db/Valeurs.h"

namespace ReportBuilders {

namespace {

bool contientUneLigne(Connexion& c, const QString& table) {
    return Valeurs::lireEntier(c.valeurUnique(QStringLiteral("SELECT COUNT(*) FROM ") + table)) > 0;
}

using Resume = void (*)(Connexion&, const QDateTime&, const QDateTime&, const std::function<void()>&);

// A summary of the period counted inside its routine's transaction.
bool resume(Connexion& c, const Periode& periode, Resume routine, const QString& table,
            const QString& procedure) {
    const std::optional<Bornes> b = bornes(periode.debut, periode.fin);
    if (!b)
        return false;
    try {
        bool lignes = false;
        routine(c, b->debut, b->fin, [&] { lignes = contientUneLigne(c, table); });
        return lignes;
    } catch (const std::exception& e) {
        MajBase::SignalerErreur(procedure, e);
        return false;
    }
}

} // namespace

std::optional<Bornes> bornes(const QString& debut, const QString& fin) {
    const QDate premier = DateTexte::lire(debut);
    const QDate dernier = DateTexte::lire(fin);
    if (!premier.isValid() || !dernier.isValid() || dernier < premier)
        return std::nullopt;
    return Bornes{Valeurs::debutPeriode(premier), Valeurs::finPeriode(dernier)};
}

ReportData::Builder etatCA(const Periode& periode, const QString& instruction, const QVariantList& valeurs) {
    // Read now, as the caller's period stood when it asked for the report.
    const std::optional<Bornes> b =
        periode.depuisCompteRendu ? bornes(periode.debut, periode.fin) : std::nullopt;
    return ReportData::logged(QStringLiteral("CreerEtatCA"),
                              [b, instruction, valeurs](Connexion& c, const std::function<void()>& lecture) {
                                  if (!b)
                                      return false;
                                  bool lignes = false;
                                  Routines::EtatCA(c, b->debut, b->fin, [&] {
                                      if (!instruction.isEmpty())
                                          c.executer(instruction, valeurs);
                                      lignes = contientUneLigne(c, QStringLiteral("CA"));
                                      if (lignes)
                                          lecture();
                                  });
                                  return lignes;
                              });
}

ReportData::Builder consoParCentreCout(const Periode& periode) {
    const std::optional<Bornes> b = bornes(periode.debut, periode.fin);
    return [b](Connexion& c, const std::function<void()>& lecture) {
        if (!b)
            return false;
        bool lignes = false;
        Routines::ConsoParCentreCout(c, b->debut, b->fin, [&] {
            lignes = contientUneLigne(c, QStringLiteral("ConsoParMachineSecteur"));
            if (lignes)
                lecture();
        });
        return lignes;
    };
}

bool CreerEtatSuiviParHeure(Connexion& c, const Periode& periode) {
    return resume(c, periode, &Routines::AjoutSuiviParHeure, QStringLiteral("EtatSuiviParHeure"),
                  QStringLiteral("CreerEtatSuiviParHeure"));
}

bool CreerEtatCAparArticle(Connexion& c, const Periode& periode) {
    return resume(c, periode, &Routines::AjoutCAparArticle, QStringLiteral("CAparArticle"),
                  QStringLiteral("CreerEtatCAparArticle"));
}

} // namespace ReportBuilders
