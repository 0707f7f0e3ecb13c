#include "counter/EnregistrerVente.h"

#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/FnWendrox.h"
#include "db/Connexion.h"
#include "db/Recordset.h"
#include "db/Valeurs.h"
#include "stock/EntreeStock.h"

#include <limits>

namespace {

constexpr int MouvementComptoir = 3;
constexpr int MachineComptoir = 0;

using Valeurs::TypeColonne;

// A value as its column takes it: Null kept, an empty text kept empty, money to 4 decimals.
QVariant ecrire(const QVariant& v, TypeColonne type) {
    return Valeurs::valeurAEcrire(v, type);
}

QVariant texte(const QVariant& v) {
    return ecrire(v, TypeColonne::Texte);
}

QVariant entier(const QVariant& v) {
    return v.isNull() ? QVariant() : QVariant(Valeurs::lireEntier(v));
}

} // namespace

ValeursVente ValeursCourantes(const Recordset& salaries, const Recordset& articles) {
    auto sal = [&salaries](const char* champ) { return salaries.Field(QLatin1String(champ)); };
    auto art = [&articles](const char* champ) { return articles.Field(QLatin1String(champ)); };
    return {sal("NoBadge"),        sal("MatriculeSalarie"), sal("NOM"),         sal("Prenom"),
            art("PrixAchatUnit"),  art("Reference"),        art("Designation"), art("NomFamille"),
            sal("NomSite"),        sal("NoSite"),           sal("NomService"),  sal("NoService"),
            sal("Quota"),          art("CodeFournisseur"),  art("Societe"),     art("Taille"),
            art("RefFournisseur"), art("CodeArticle"),      art("NoFamille")};
}

qint32 QuantiteVente(const QString& texte) {
    const QString t = texte.trimmed();
    if (t.isEmpty())
        return 1;
    for (QChar c : t)
        if (c < u'0' || c > u'9')
            return 1;
    qsizetype debut = 0;
    while (debut < t.size() && t.at(debut) == u'0')
        ++debut;
    const QStringView chiffres = QStringView(t).mid(debut);
    if (chiffres.isEmpty())
        return 1;
    const qint64 n = chiffres.size() <= 10 ? chiffres.toLongLong() : -1;
    if (n < 0 || n > std::numeric_limits<qint32>::max())
        throw ErreurExecution(ErreurExecution::Overflow, QStringLiteral("Dépassement de capacité"),
                              QStringLiteral("EnregistrerVente"));
    return static_cast<qint32>(n);
}

qint64 EnregistrerVente(Connexion& connexion, const ValeursVente& v, qint32 quantite) {
    // Money as the layer writes it; a Null price leaves both amounts Null.
    const QVariant prix = ecrire(v.PrixAchatUnit, TypeColonne::Monnaie);
    const QVariant montant = prix.isNull() ? QVariant() : Valeurs::valeurMonnaie(quantite * prix.toDouble());
    const QVariant reference = entier(v.Reference);

    // The three statements are kept prepared on the connection (valeurUnique, InstructionPreparee): the
    // counter's next hand-out runs them again with its own values.
    TransactionEcriture transaction(connexion);
    // Without the multi-machine option the header's NoMachine is not written at all: the column keeps
    // whatever default the database gives it.
    const bool gsm = Global().OptionVersionGSM;
    QVariantList entete = {Valeurs::valeurDate(FnWendrox::Maintenant()),
                           texte(v.NoBadge),
                           texte(v.NOM),
                           texte(v.Prenom),
                           MouvementComptoir,
                           prix};
    if (gsm)
        entete << MachineComptoir;
    const qint64 numVente = Valeurs::lireEntier(connexion.valeurUnique(
        gsm ? QStringLiteral("INSERT INTO Ventes (LaDate, Utilisateur, Nom, Prenom, TypeMouvement, Total, "
                             "NoMachine) VALUES (?, ?, ?, ?, ?, ?, ?) RETURNING NumVente")
            : QStringLiteral("INSERT INTO Ventes (LaDate, Utilisateur, Nom, Prenom, TypeMouvement, Total) "
                             "VALUES (?, ?, ?, ?, ?, ?) RETURNING NumVente"),
        entete));

    InstructionPreparee(
        connexion,
        QStringLiteral("INSERT INTO DetailVente (NumVente, Reference, Designation, Quantite, PrixAchatUnit, "
                       "NomFamille, NomSite, NoSite, NomService, NoService, Profile, CodeFournisseur, "
                       "Societe, Taille, RefFournisseur, CodeArticle, NoFamille, NoMachine) "
                       "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"))
        .executer({numVente, reference, texte(v.Designation), quantite, montant, texte(v.NomFamille),
                   texte(v.NomSite), entier(v.NoSite), texte(v.NomService), entier(v.NoService),
                   entier(v.Quota), texte(v.CodeFournisseur), texte(v.Societe), texte(v.Taille),
                   texte(v.RefFournisseur), entier(v.CodeArticle), entier(v.NoFamille), MachineComptoir});

    // An article deleted since the counter read its list has no reserve left to lower: not a failure.
    if (!reference.isNull())
        EntreeStock::changerReserve(connexion, reference.toLongLong(), -static_cast<qint64>(quantite));
    transaction.valider();
    return numVente;
}
