#include "db/InsertionParLots.h"

#include "common/ErreurExecution.h"
#include "db/Connexion.h"

#include <QSqlQuery>
#include <algorithm>

namespace {

// Values a lot aims at: on SQLite Qt's binding slows down as a statement's values grow, so lots stay
// small there; on a server each statement is a round trip, so they grow.
constexpr qsizetype ValeursSQLite = 128;
constexpr qsizetype ValeursServeur = 4096;

} // namespace

InsertionParLots::InsertionParLots(Connexion& connexion, const QString& table, const QStringList& colonnes)
    : m_connexion(connexion), m_colonnes(colonnes.size()) {
    if (colonnes.isEmpty())
        throw ErreurExecution(ErreurExecution::ErreurBase,
                              QStringLiteral("Aucune colonne à écrire dans %1").arg(table),
                              QStringLiteral("InsertionParLots"));
    m_entete = QStringLiteral("INSERT INTO %1 (%2) VALUES ").arg(table, colonnes.join(QStringLiteral(", ")));
    m_ligne = u'(' + QStringList(colonnes.size(), QStringLiteral("?")).join(QStringLiteral(", ")) + u')';
    const qsizetype visees =
        std::min(connexion.estSQLite() ? ValeursSQLite : ValeursServeur, connexion.valeursParInstruction());
    // A power of two, so that the rest splits into lots of the same few sizes.
    m_parLot = 1;
    while (m_parLot * 2 * m_colonnes <= visees)
        m_parLot *= 2;
    m_valeurs.reserve(m_parLot * m_colonnes);
}

void InsertionParLots::ajouter(const QVariantList& ligne) {
    if (ligne.size() != m_colonnes)
        throw ErreurExecution(ErreurExecution::ErreurBase,
                              QStringLiteral("%1 valeurs pour %2 colonnes [%3]")
                                  .arg(ligne.size())
                                  .arg(m_colonnes)
                                  .arg(m_entete),
                              QStringLiteral("InsertionParLots"));
    m_valeurs += ligne;
    if (m_valeurs.size() == m_parLot * m_colonnes)
        ecrire(m_parLot);
}

void InsertionParLots::terminer() {
    for (qsizetype lot = m_parLot; lot >= 1; lot /= 2)
        if (m_valeurs.size() >= lot * m_colonnes)
            ecrire(lot);
}

void InsertionParLots::ecrire(qsizetype lignes) {
    QStringList marques(lignes, m_ligne);
    const qsizetype n = lignes * m_colonnes;
    InstructionPreparee lot(m_connexion, m_entete + marques.join(QStringLiteral(", ")));
    if (n == m_valeurs.size()) {
        lot.executer(m_valeurs);
        m_valeurs.clear();
    } else {
        lot.executer(m_valeurs.first(n));
        m_valeurs.remove(0, n);
    }
}
