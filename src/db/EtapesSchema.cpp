#include "db/EtapesSchema.h"

#include "db/Connexion.h"
#include "db/Schema.h"

#include <QString>

void enregistrerEtapesSchema() {
    // One call per step, in version order; the creation itself is version 1. A step receives the
    // connection inside its transaction (SchemaDorvane already held) and throws ErreurExecution on
    // failure, which rolls the step back whole. A step may run again on a database that lost its number
    // (converted from elsewhere): write it so that a second run changes nothing.

    // The columns the counter, the badge readers, the stock and the supplier join search by; SQLite would
    // otherwise scan, or build a temporary index on Fournisseur.No for every StockGlobal read.
    Schema::enregistrerEtape(2, [](Connexion& c) {
        static const char* const Index[] = {
            "IX_ArticleEnStock_CodeBar ON ArticleEnStock (CodeBar)",
            "IX_Ventes_Utilisateur ON Ventes (Utilisateur)",
            "IX_DetailVente_Reference ON DetailVente (Reference)",
            "IX_CodeArticle_Reference ON CodeArticle (Reference)",
            "IX_Utilisateurs_MatriculeSalarie ON Utilisateurs (MatriculeSalarie)",
            "IX_Fournisseur_No ON Fournisseur (No)",
        };
        for (const char* i : Index)
            c.executer(QStringLiteral("CREATE INDEX IF NOT EXISTS ") + QLatin1String(i));
    });

    // The work tables of the cost-centre report, of the withdrawals per hour and of the amounts per
    // article.
    Schema::enregistrerEtape(3, [](Connexion& c) {
        static const char* const Tables[] = {
            "ConsoParMachineSecteur (NoMachine INT, Location TEXT, NomSite TEXT, NomService TEXT, "
            "Reference BIGINT, Designation TEXT, Quantite INT, Montant MONEY)",
            "EtatSuiviParHeure (Heure INT, NbRetraits INT, Quantite INT)",
            "CAparArticle (Reference BIGINT, Designation TEXT, Quantite INT, Montant MONEY)",
        };
        for (const char* t : Tables)
            c.executer(Schema::creationTableSiAbsente(QString::fromUtf8(t), c.estSQLite()));
    });
}
