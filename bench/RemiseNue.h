#pragma once

// A counter hand-out written without the layer, for the benchmarks that compare EnregistrerVente with it.

#include "common/ErreurExecution.h"
#include "counter/EnregistrerVente.h"
#include "db/Connexion.h"

#include <QDateTime>
#include <QSqlQuery>
#include <cmath>
#include <limits>

inline const QString SqlEntete =
    QStringLiteral("INSERT INTO Ventes (LaDate, Utilisateur, Nom, Prenom, TypeMouvement, Total) "
                   "VALUES (?, ?, ?, ?, ?, ?) RETURNING NumVente");
inline const QString SqlLigne =
    QStringLiteral("INSERT INTO DetailVente (NumVente, Reference, Designation, Quantite, PrixAchatUnit, "
                   "NomFamille, NomSite, NoSite, NomService, NoService, Profile, CodeFournisseur, Societe, "
                   "Taille, RefFournisseur, CodeArticle, NoFamille, NoMachine) "
                   "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
inline const QString SqlStock =
    QStringLiteral("UPDATE ArticleEnStock SET QteEnStock = COALESCE(QteEnStock, 0) + ? WHERE Reference = ? "
                   "AND COALESCE(QteEnStock, 0) + CAST(? AS BIGINT) BETWEEN CAST(? AS BIGINT) AND "
                   "CAST(? AS BIGINT)");

// The same hand-out written without the layer, its statements prepared once on the connection (the
// strongest bare side): BEGIN IMMEDIATE and COMMIT too on SQLite, the driver's transaction on PostgreSQL.
class RemiseNue {
public:
    explicit RemiseNue(Connexion& c)
        : m_c(c), m_entete(preparee(SqlEntete)), m_ligne(preparee(SqlLigne)), m_stock(preparee(SqlStock)) {
        if (c.estSQLite()) {
            m_debut = preparee(QStringLiteral("BEGIN IMMEDIATE"));
            m_fin = preparee(QStringLiteral("COMMIT"));
        }
    }

    void operator()(const ValeursVente& v, qint32 quantite) {
        const double prix = v.PrixAchatUnit.toDouble();
        const qint64 reference = v.Reference.toLongLong();
        if (m_c.estSQLite())
            executer(m_debut, {});
        else if (!m_c.db().transaction())
            throw ErreurExecution(ErreurExecution::ErreurBase, QStringLiteral("BEGIN"),
                                  QStringLiteral("bench"));
        executer(m_entete, {QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                            v.NoBadge, v.NOM, v.Prenom, 3, prix});
        const qint64 numVente = m_entete.next() ? m_entete.value(0).toLongLong() : 0;
        m_entete.finish();
        executer(m_ligne, {numVente, reference, v.Designation, quantite,
                           std::round(quantite * prix * 10000.0) / 10000.0, v.NomFamille, v.NomSite, v.NoSite,
                           v.NomService, v.NoService, v.Quota, v.CodeFournisseur, v.Societe, v.Taille,
                           v.RefFournisseur, v.CodeArticle, v.NoFamille, 0});
        executer(m_stock,
                 {-qint64(quantite), reference, -qint64(quantite), qint64(std::numeric_limits<qint32>::min()),
                  qint64(std::numeric_limits<qint32>::max())});
        if (m_stock.numRowsAffected() != 1)
            throw ErreurExecution(ErreurExecution::ErreurBase, QStringLiteral("no reserve changed"));
        if (m_c.estSQLite())
            executer(m_fin, {});
        else if (!m_c.db().commit())
            throw ErreurExecution(ErreurExecution::ErreurBase, QStringLiteral("COMMIT"),
                                  QStringLiteral("bench"));
    }

private:
    QSqlQuery preparee(const QString& sql) {
        QSqlQuery q(m_c.db());
        q.setForwardOnly(true);
        if (!q.prepare(sql))
            throw ErreurExecution(ErreurExecution::ErreurBase, Connexion::texteErreur(q),
                                  QStringLiteral("bench"));
        return q;
    }
    static void executer(QSqlQuery& q, const QVariantList& valeurs) {
        for (int i = 0; i < valeurs.size(); ++i)
            q.bindValue(i, valeurs.at(i));
        if (!q.exec())
            throw ErreurExecution(ErreurExecution::ErreurBase, Connexion::texteErreur(q),
                                  QStringLiteral("bench"));
    }

    Connexion& m_c;
    QSqlQuery m_entete, m_ligne, m_stock, m_debut, m_fin;
};
