#include "stock/Fournisseurs.h"

#include "common/ErreurExecution.h"
#include "common/FnWendrox.h"
#include "common/MajBase.h"
#include "db/Connexion.h"
#include "db/Valeurs.h"

#include <QSqlQuery>
#include <QStringList>
#include <QVariantList>

namespace Fournisseurs {

namespace {

const QString CodeFournisseur = QStringLiteral("CodeFournisseur");

// The columns the edit panel writes; nothing else is ever put into the statement.
const QStringList& colonnesPanneau() {
    static const QStringList colonnes{
        QStringLiteral("Societe"), QStringLiteral("NomContact"), CodeFournisseur,
        QStringLiteral("Adresse"), QStringLiteral("CodePostal"), QStringLiteral("Ville"),
        QStringLiteral("Tel"),     QStringLiteral("Fax")};
    return colonnes;
}

bool chiffresSeulement(const QString& texte) {
    if (texte.isEmpty())
        return false;
    for (const QChar c : texte)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

// A stored code as the lookup compares it: digits only, shorter than 5, get their leading zeros back.
QString codeNormalise(const QString& code) {
    return chiffresSeulement(code) && code.size() < 5 ? code.rightJustified(5, u'0') : code;
}

} // namespace

bool CodeExiste(Connexion& connexion, const QString& code, qint64 saufNauto) {
    // LIKE on the escaped text folds every letter on both backends (the column's own comparison folds
    // ASCII only on SQLite); the exact comparison then rules out anything LIKE would take more widely.
    QSqlQuery q = connexion.executer(QStringLiteral("SELECT CodeFournisseur FROM Fournisseur WHERE "
                                                    "CodeFournisseur LIKE ? ESCAPE '\\' AND Nauto <> ?"),
                                     {Valeurs::echapperLike(code), saufNauto});
    while (q.next())
        if (Valeurs::egalSansCasse(Valeurs::lireTexte(q.value(0)), code))
            return true;
    return false;
}

std::optional<qint64> AjouterFournisseur(Connexion& connexion) {
    TransactionEcriture t(connexion);
    // Held until the commit: two workstations never give one code twice.
    connexion.verrouillerTable(QStringLiteral("Fournisseur"));
    connexion.executer(QStringLiteral("DELETE FROM Fournisseur WHERE No = 0")).finish();
    const qint64 nauto = Valeurs::lireEntier(
        connexion.valeurUnique(QStringLiteral("INSERT INTO Fournisseur (No) VALUES (0) RETURNING Nauto")));
    const QString code = QString::number(nauto);
    if (CodeExiste(connexion, code, nauto)) {
        // The row goes but its number stays used, on SQLite as on a server whose counter never goes
        // back: the next creation takes the following number instead of meeting the same code again.
        connexion.executer(QStringLiteral("DELETE FROM Fournisseur WHERE Nauto = ?"), {nauto}).finish();
        t.valider();
        return std::nullopt;
    }
    connexion
        .executer(QStringLiteral("UPDATE Fournisseur SET No = ?, CodeFournisseur = ? WHERE Nauto = ?"),
                  {nauto, code, nauto})
        .finish();
    t.valider();
    return nauto;
}

Enregistrement ModifierFournisseur(Connexion& connexion, qint64 nauto, const Champs& champs) {
    QStringList affectations;
    QVariantList valeurs;
    std::optional<QString> code;
    for (const auto& [colonne, texte] : champs) {
        const qsizetype i = colonnesPanneau().indexOf(colonne, Qt::CaseInsensitive);
        if (i < 0)
            throw ErreurExecution(ErreurExecution::ErreurBase,
                                  QStringLiteral("Champ inconnu : %1").arg(colonne),
                                  QStringLiteral("ModifierFournisseur"));
        if (colonnesPanneau().at(i) == CodeFournisseur)
            code = texte;
        affectations << colonnesPanneau().at(i) + QStringLiteral(" = ?");
        valeurs << texte;
    }
    if (affectations.isEmpty())
        return Enregistrement::Fait;
    TransactionEcriture t(connexion);
    connexion.verrouillerTable(QStringLiteral("Fournisseur"));
    if (code && CodeExiste(connexion, *code, nauto))
        return Enregistrement::CodeExistant;
    valeurs << nauto;
    QSqlQuery q = connexion.executer(QStringLiteral("UPDATE Fournisseur SET %1 WHERE Nauto = ?")
                                         .arg(affectations.join(QStringLiteral(", "))),
                                     valeurs);
    const int lignes = q.numRowsAffected();
    q.finish();
    if (lignes == 0)
        throw ErreurExecution(ErreurExecution::ErreurBase,
                              QStringLiteral("Le fournisseur n° %1 n'existe plus.").arg(nauto),
                              QStringLiteral("ModifierFournisseur"));
    t.valider();
    return Enregistrement::Fait;
}

void SupprimerFournisseur(Connexion& connexion, qint64 nauto) {
    TransactionEcriture t(connexion);
    connexion.executer(QStringLiteral("DELETE FROM Fournisseur WHERE Nauto = ?"), {nauto}).finish();
    t.valider();
}

std::unique_ptr<Connexion> OuvrirCodesPostaux() {
    const QString fichier =
        FnWendrox::FichierExistant(FnWendrox::CheminApplication(), QStringLiteral("CP.MDB"));
    if (fichier.isEmpty())
        return nullptr;
    ParametresConnexion p;
    p.fichier = fichier;
    p.lectureSeule = true;
    return std::make_unique<Connexion>(p);
}

QString ChercherLocalite(Connexion& codesPostaux, const QString& codePostal) {
    try {
        // The code as text, and, for digits, as the shorter text and the number a converted numeric
        // column holds: whatever the column's type, SQLite then finds the row by its value.
        QVariantList candidats{codePostal};
        if (chiffresSeulement(codePostal)) {
            QString court = codePostal;
            while (court.size() > 1 && court.startsWith(u'0'))
                court.remove(0, 1);
            candidats << court << codePostal.toLongLong();
        }
        QStringList marques;
        for (qsizetype i = 0; i < candidats.size(); ++i)
            marques << QStringLiteral("?");
        QSqlQuery q = codesPostaux.executer(
            QStringLiteral("SELECT CodePostal, Localite FROM CodesPostaux WHERE CodePostal IN (%1)")
                .arg(marques.join(QStringLiteral(", "))),
            candidats);
        while (q.next())
            if (codeNormalise(Valeurs::lireTexte(q.value(0))) == codePostal)
                return Valeurs::lireTexte(q.value(1));
    } catch (const std::exception& e) {
        MajBase::SignalerErreur(QStringLiteral("ChercherLocalite"), e);
    }
    return QString();
}

} // namespace Fournisseurs
