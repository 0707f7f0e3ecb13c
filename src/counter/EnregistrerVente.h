#pragma once

#include <QString>
#include <QVariant>
#include <QtGlobal>

class Connexion;
class Recordset;

// A withdrawal at the counter: what the current rows of the employee list (GrUtilisateur) and of the
// article list (StockGlobal) hold, in the order the counter passes them. Null values stay Null.
struct ValeursVente {
    QVariant NoBadge;
    QVariant MatriculeSalarie; // taken, never stored
    QVariant NOM;
    QVariant Prenom;
    QVariant PrixAchatUnit; // the article's unit price
    QVariant Reference;
    QVariant Designation;
    QVariant NomFamille;
    QVariant NomSite;
    QVariant NoSite;
    QVariant NomService;
    QVariant NoService;
    QVariant Quota; // the employee's profile number
    QVariant CodeFournisseur;
    QVariant Societe;
    QVariant Taille;
    QVariant RefFournisseur;
    QVariant CodeArticle;
    QVariant NoFamille;
};

// The values of the current rows of the counter's employee list and article list. Throws ErreurExecution
// when either has no current row or lacks a field.
ValeursVente ValeursCourantes(const Recordset& salaries, const Recordset& articles);

// The quantity typed at the counter: a text of digits whose value is not 0 (blanks around it ignored),
// else 1 (empty, "000", anything else). Throws ErreurExecution Overflow when the digits pass the 32-bit
// range.
qint32 QuantiteVente(const QString& texte);

// Records one hand-out in one write transaction: the Ventes header (now, the badge, the name, movement
// type 3, Total = the unit price as it is, not multiplied; NoMachine 0 with OptionVersionGSM, otherwise
// left to the column's default), its one DetailVente line (PrixAchatUnit = quantity x unit price, Profile
// = the employee's Quota, NoMachine 0) and the article's reserve lowered by the quantity, relatively, a
// Null reserve counting as 0 and no lower bound. An article no longer in ArticleEnStock keeps its header
// and line and changes no reserve. Returns the header's NumVente. Throws ErreurExecution, nothing written:
// Overflow when the reserve would leave the 32-bit range, the database's error otherwise.
qint64 EnregistrerVente(Connexion& connexion, const ValeursVente& vente, qint32 quantite);
