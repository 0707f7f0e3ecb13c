#pragma once

#include <QDate>
#include <QString>
#include <QVariant>
#include <QtGlobal>
#include <optional>

class Connexion;

// Changes of an article from its card: the full save, the save of one field, a new article, the
// deletion. Each writing routine runs in one write transaction on the caller's connection and throws
// ErreurExecution; nothing is written when it fails.
namespace EditionArticle {

// The status written into ArticleEnStock.Prix: 0 returnable (whatever the other box says), 2 orderable,
// 1 neither.
int statutPrix(bool retourPossible, bool commandePossible);

// What a number box holds: an empty box is 0.
enum class EtatSaisie { Valide, PasUnNombre, HorsLimites };
struct Entier {
    qint64 valeur = 0;
    EtatSaisie etat = EtatSaisie::Valide;
};
struct Montant {
    double valeur = 0;
    EtatSaisie etat = EtatSaisie::Valide;
};
// A whole number: an optional leading "-" and digits, within [minimum, maximum].
Entier lireEntier(const QString& texte, qint64 minimum, qint64 maximum);
// An amount: digits with one decimal point ("." or the workstation's separator), an optional leading
// "-", within what a money column holds.
Montant lireMontant(const QString& texte);

// The card as it is saved. A list without a chosen line leaves its field as it was (nullopt).
struct FicheArticle {
    qint64 reference = 0;
    QString refFournisseur;
    QString designation;
    qint64 stockAlert = 0;
    qint64 delaiLivraison = 0;
    qint64 qteParPaket = 0;
    double prixAchatUnit = 0;
    double prixAchatGlobal = 0;
    int prix = 1;
    std::optional<QVariant> taille;
    std::optional<QVariant> famille;
    std::optional<QVariant> fournisseur;
    // The chosen code; nullopt: the reference becomes the article's code, added to the pool when missing.
    std::optional<qint64> codeArticle;
};

enum class Enregistrement {
    Fait,
    ArticleAbsent, // the article no longer exists
    CodePris       // another article carries the code meanwhile (taken on another workstation)
};
// Writes the card into the article that has reference `referenceCourante`, then, unless `versionGSM`,
// the article's code and designation into every machine slot of ConfigMachines that holds it. Nothing
// is written when the article no longer exists or when its code is already another article's: no two
// articles answer to one machine code.
Enregistrement enregistrerArticle(Connexion& connexion, qint64 referenceCourante, const FicheArticle& fiche,
                                  bool versionGSM);

// Writes one field of an article (a column of ArticleEnStock; any other name is an error). False when
// the article no longer exists.
bool enregistrerChamp(Connexion& connexion, qint64 reference, const QString& champ, const QVariant& valeur);

// Adds an empty article and returns its reference: the largest one + 1, or + 1000 when that gives 1
// (an empty table, or a largest reference of 0, gives 1000); picture "aavierge", created on `jour`.
qint64 ajouterArticle(Connexion& connexion, const QDate& jour);

// Deletes the article; its code (when not Null) goes back to the pool (CodeArticle.Reference Null).
// False when there was no such article (the code is released all the same).
bool supprimerArticle(Connexion& connexion, qint64 reference, const QVariant& codeArticle);

} // namespace EditionArticle
