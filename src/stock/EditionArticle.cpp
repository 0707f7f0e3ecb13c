#include "stock/EditionArticle.h"

#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "db/Connexion.h"
#include "db/Valeurs.h"

#include <QDateTime>
#include <QLocale>
#include <QSqlQuery>
#include <QStringList>
#include <cmath>

namespace EditionArticle {

namespace {

// NUMERIC(19,4) holds 15 digits before the point.
constexpr double PlusGrandMontant = 1e15;

// The columns a single field may be written to; names come from the program, never from typed text.
const QStringList ColonnesArticle = {
    QStringLiteral("Reference"),       QStringLiteral("Designation"),
    QStringLiteral("RefFournisseur"),  QStringLiteral("CodeArticle"),
    QStringLiteral("CodeBar"),         QStringLiteral("QteEnStock"),
    QStringLiteral("QteParPaket"),     QStringLiteral("StockAlert"),
    QStringLiteral("DelaiLivraison"),  QStringLiteral("PrixAchatUnit"),
    QStringLiteral("PrixAchatGlobal"), QStringLiteral("Prix"),
    QStringLiteral("Taille"),          QStringLiteral("Famille"),
    QStringLiteral("NoFournisseur"),   QStringLiteral("Image"),
    QStringLiteral("DateCreation"),    QStringLiteral("DateDernierMouvement")};

bool chiffres(QStringView t) {
    if (t.isEmpty())
        return false;
    for (QChar c : t)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

QVariant dateDuJour(const QDate& jour) {
    return Valeurs::valeurDate(QDateTime(jour, QTime(0, 0)));
}

} // namespace

int statutPrix(bool retourPossible, bool commandePossible) {
    if (retourPossible)
        return 0;
    return commandePossible ? 2 : 1;
}

Entier lireEntier(const QString& texte, qint64 minimum, qint64 maximum) {
    const QString t = texte.trimmed();
    if (t.isEmpty())
        return {0, minimum <= 0 && 0 <= maximum ? EtatSaisie::Valide : EtatSaisie::HorsLimites};
    const QStringView corps = t.startsWith(u'-') ? QStringView(t).mid(1) : QStringView(t);
    if (!chiffres(corps))
        return {0, EtatSaisie::PasUnNombre};
    bool ok = false;
    const qint64 v = t.toLongLong(&ok);
    if (!ok || v < minimum || v > maximum)
        return {0, EtatSaisie::HorsLimites};
    return {v, EtatSaisie::Valide};
}

Montant lireMontant(const QString& texte) {
    QString t = texte.trimmed();
    if (t.isEmpty())
        return {};
    const QString sep = Global().SeparateurDecimal;
    if (!sep.isEmpty() && sep != QLatin1String("."))
        t.replace(sep, QStringLiteral("."));
    QStringView corps = t.startsWith(u'-') ? QStringView(t).mid(1) : QStringView(t);
    const qsizetype point = corps.indexOf(u'.');
    const QStringView entiers = point < 0 ? corps : corps.left(point);
    const QStringView decimales = point < 0 ? QStringView() : corps.mid(point + 1);
    // "12", "12.5", ".5" and "12." are amounts; a second point or any other character is not.
    if ((entiers.isEmpty() && decimales.isEmpty()) || (!entiers.isEmpty() && !chiffres(entiers)) ||
        (!decimales.isEmpty() && !chiffres(decimales)))
        return {0, EtatSaisie::PasUnNombre};
    bool ok = false;
    const double v = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(v))
        return {0, EtatSaisie::PasUnNombre};
    if (std::fabs(v) >= PlusGrandMontant)
        return {0, EtatSaisie::HorsLimites};
    return {v, EtatSaisie::Valide};
}

Enregistrement enregistrerArticle(Connexion& connexion, qint64 referenceCourante, const FicheArticle& fiche,
                                  bool versionGSM) {
    TransactionEcriture transaction(connexion);
    // The articles are held until the commit: no one gives the article's code between the check below and
    // the write.
    connexion.verrouillerTable(QStringLiteral("ArticleEnStock"));
    const qint64 code = fiche.codeArticle.value_or(fiche.reference);
    const QVariant ancienCode = connexion.valeurUnique(
        QStringLiteral("SELECT CodeArticle FROM ArticleEnStock WHERE Reference = ?"), {referenceCourante});
    QString sql = QStringLiteral(
        "UPDATE ArticleEnStock SET Reference = ?, RefFournisseur = ?, Designation = ?, StockAlert = ?, "
        "DelaiLivraison = ?, PrixAchatUnit = ?, PrixAchatGlobal = ?, Prix = ?, QteParPaket = ?");
    QVariantList valeurs{fiche.reference,
                         fiche.refFournisseur,
                         fiche.designation,
                         fiche.stockAlert,
                         fiche.delaiLivraison,
                         Valeurs::valeurMonnaie(fiche.prixAchatUnit),
                         Valeurs::valeurMonnaie(fiche.prixAchatGlobal),
                         fiche.prix,
                         fiche.qteParPaket};
    auto liste = [&](const char* champ, const std::optional<QVariant>& numero) {
        if (!numero)
            return;
        sql += QStringLiteral(", %1 = ?").arg(QLatin1String(champ));
        valeurs << *numero;
    };
    liste("Taille", fiche.taille);
    liste("Famille", fiche.famille);
    liste("NoFournisseur", fiche.fournisseur);
    // The code the machines will know the article by.
    sql += QStringLiteral(", CodeArticle = ? WHERE Reference = ?");
    valeurs << code << referenceCourante;
    QSqlQuery q = connexion.executer(sql, valeurs);
    const bool trouve = q.numRowsAffected() > 0;
    q.finish();
    if (!trouve)
        return Enregistrement::ArticleAbsent;
    // A new code was free when the card offered it; another workstation may have given it since.
    if (ancienCode.isNull() || Valeurs::lireEntier(ancienCode) != code) {
        const QVariant pris = connexion.valeurUnique(
            QStringLiteral("SELECT COUNT(*) FROM ArticleEnStock WHERE CodeArticle = ? AND Reference <> ?"),
            {code, fiche.reference});
        if (Valeurs::lireEntier(pris) > 0)
            return Enregistrement::CodePris;
    }
    if (!fiche.codeArticle)
        connexion.executer(QStringLiteral("INSERT INTO CodeArticle (CodeArticle) SELECT CAST(? AS INT) WHERE "
                                          "NOT EXISTS (SELECT 1 FROM CodeArticle WHERE CodeArticle = ?)"),
                           {code, code});
    if (!versionGSM)
        connexion.executer(
            QStringLiteral(
                "UPDATE ConfigMachines SET CodeArticle = ?, Designation = ? WHERE ReferenceArticle = ?"),
            {code, fiche.designation, fiche.reference});
    transaction.valider();
    return Enregistrement::Fait;
}

bool enregistrerChamp(Connexion& connexion, qint64 reference, const QString& champ, const QVariant& valeur) {
    const qsizetype i = ColonnesArticle.indexOf(champ, Qt::CaseInsensitive);
    if (i < 0)
        throw ErreurExecution(ErreurExecution::ErreurBase, QStringLiteral("Champ inconnu : %1").arg(champ),
                              QStringLiteral("EnregistrerArticleEnStock"));
    TransactionEcriture transaction(connexion);
    QSqlQuery q = connexion.executer(
        QStringLiteral("UPDATE ArticleEnStock SET %1 = ? WHERE Reference = ?").arg(ColonnesArticle.at(i)),
        {valeur, reference});
    const bool trouve = q.numRowsAffected() > 0;
    q.finish();
    transaction.valider();
    return trouve;
}

qint64 ajouterArticle(Connexion& connexion, const QDate& jour) {
    TransactionEcriture transaction(connexion);
    // Two workstations adding at once never take the same number.
    connexion.verrouillerTable(QStringLiteral("ArticleEnStock"));
    const QVariant plusGrande =
        connexion.valeurUnique(QStringLiteral("SELECT MAX(Reference) FROM ArticleEnStock"));
    const qint64 derniere = plusGrande.isNull() ? 999 : Valeurs::lireEntier(plusGrande);
    qint64 reference = derniere + 1;
    if (reference == 1)
        reference = derniere + 1000;
    connexion.executer(QStringLiteral("INSERT INTO ArticleEnStock (Reference, Image, DateCreation) VALUES "
                                      "(?, 'aavierge', ?)"),
                       {reference, dateDuJour(jour)});
    transaction.valider();
    return reference;
}

bool supprimerArticle(Connexion& connexion, qint64 reference, const QVariant& codeArticle) {
    TransactionEcriture transaction(connexion);
    QSqlQuery q =
        connexion.executer(QStringLiteral("DELETE FROM ArticleEnStock WHERE Reference = ?"), {reference});
    const bool supprime = q.numRowsAffected() > 0;
    q.finish();
    if (!codeArticle.isNull())
        connexion.executer(QStringLiteral("UPDATE CodeArticle SET Reference = NULL WHERE CodeArticle = ?"),
                           {Valeurs::lireEntier(codeArticle)});
    transaction.valider();
    return supprime;
}

} // namespace EditionArticle
