#include "staff/SauvegardeSalarie.h"

#include "common/ErreurExecution.h"
#include "db/Connexion.h"
#include "db/ListeMachines.h"
#include "db/Recordset.h"
#include "db/Routines.h"
#include "db/Valeurs.h"
#include "staff/BadgeEAN13.h"
#include "staff/Badges.h"

#include <QRandomGenerator>
#include <QSqlQuery>
#include <QStringList>

namespace SauvegardeSalarie {

namespace {

constexpr int LongueurPlaceholder = 30;
constexpr int LongueurCorpsEAN = 12;

bool queDesChiffres(const QString& texte) {
    for (const QChar c : texte)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

// Who else holds the badge, the row `id` left out; the older layout asks the database's procedure.
std::optional<Badges::Titulaire> autreTitulaire(Connexion& c, const QString& badge, qint64 id,
                                                bool ancienneBase) {
    if (!ancienneBase)
        return Badges::TitulaireBadge(c, badge, id);
    Recordset lignes;
    Routines::BadgeIndentifie(c, badge, lignes);
    for (; !lignes.IsEOF(); lignes.MoveNext())
        if (Valeurs::lireEntier(lignes.Field(QStringLiteral("IdUtilisateur"))) != id)
            return Badges::Titulaire{Valeurs::lireEntier(lignes.Field(QStringLiteral("IdUtilisateur"))),
                                     Valeurs::lireTexte(lignes.Field(QStringLiteral("NOM"))),
                                     Valeurs::lireTexte(lignes.Field(QStringLiteral("Prenom")))};
    return std::nullopt;
}

qint64 inserer(Connexion& c, const QVariant& noBadge, const QVariant& matricule, const QString& machines) {
    QSqlQuery q = c.executer(
        QStringLiteral("INSERT INTO Utilisateurs (NoBadge, MatriculeSalarie, TailleChaussure, TailleMain, "
                       "NoUtilisateur, MachineAutorise) VALUES (?, ?, NULL, NULL, '0', ?) RETURNING "
                       "IdUtilisateur"),
        {noBadge, matricule, machines});
    const qint64 id = q.next() ? Valeurs::lireEntier(q.value(0)) : 0;
    q.finish();
    return id;
}

// A text column left Null (the older layout leaves badge and personnel number to the database).
QVariant texteNul() {
    return QVariant(QMetaType::fromType<QString>());
}

} // namespace

QString ChaineAleatoire() {
    QString p;
    p.reserve(LongueurPlaceholder);
    for (int i = 0; i < LongueurPlaceholder; ++i)
        p += QChar(static_cast<char16_t>(QRandomGenerator::global()->bounded(48, 91)));
    return p;
}

BadgeSaisi lireBadge(const QString& texte, int typeLecteurBadge, bool ancienneBase) {
    BadgeSaisi b;
    b.boite = texte;
    if (texte.isEmpty())
        return b;
    if (ancienneBase || typeLecteurBadge != 3) {
        b.ecrit = true;
        b.noBadge = texte;
        return b;
    }
    // A stored 13-digit number shown whole, or a text that is no number: the badge stays as it is.
    if (texte.size() > LongueurCorpsEAN || !queDesChiffres(texte))
        return b;
    const BadgeEAN13::ResultatEAN13 r = BadgeEAN13::EAN13(texte);
    b.ecrit = true;
    b.noBadge = r.code;
    b.noUtilisateur = r.texte;
    b.boite = texte.rightJustified(LongueurCorpsEAN, u'0');
    return b;
}

Resultat enregistrer(Connexion& c, qint64 id, const Carte& carte, int typeLecteurBadge, bool ancienneBase) {
    Resultat r;
    const BadgeSaisi badge = lireBadge(carte.badge, typeLecteurBadge, ancienneBase);
    r.boite = badge.boite;

    QStringList colonnes;
    QVariantList valeurs;
    auto ecrire = [&](const char* colonne, const QVariant& valeur) {
        colonnes << QLatin1String(colonne) + QStringLiteral(" = ?");
        valeurs << valeur;
    };
    auto texte = [&](const char* colonne, const QString& t) {
        if (!t.isEmpty())
            ecrire(colonne, t);
    };
    auto cle = [&](const char* colonne, const std::optional<QVariant>& v) {
        if (v && !v->isNull())
            ecrire(colonne, Valeurs::lireEntier(*v));
    };
    if (badge.ecrit)
        ecrire("NoBadge", badge.noBadge);
    texte("Nom", carte.nom);
    texte("Prenom", carte.prenom);
    texte("MatriculeSalarie", carte.matricule);
    // The mobile number is written after the bar-code text: with both options it wins.
    texte("NoUtilisateur", carte.mobile && !carte.mobile->isEmpty() ? *carte.mobile : badge.noUtilisateur);
    cle("TailleChaussure", carte.tailleChaussure);
    cle("TailleMain", carte.tailleMain);
    cle("Site", carte.site);
    texte("Langue", carte.langue);
    if (carte.service.isNull())
        colonnes << QStringLiteral("Service = NULL");
    else
        ecrire("Service", Valeurs::lireEntier(carte.service));
    cle("Quota", carte.quota);

    TransactionEcriture t(c);
    if (badge.ecrit) {
        // The counter finds people by badge: one badge, one holder.
        Badges::VerrouillerBadges(c, true);
        if (const auto autre = autreTitulaire(c, badge.noBadge, id, ancienneBase)) {
            r.etat = Etat::BadgeSalarie;
            r.nom = autre->nom;
            r.prenom = autre->prenom;
            return r;
        }
        if (Badges::EstBadgeMaintenance(c, badge.noBadge)) {
            r.etat = Etat::BadgeMaintenance;
            return r;
        }
    }
    valeurs << id;
    QSqlQuery q = c.executer(QStringLiteral("UPDATE Utilisateurs SET %1 WHERE IdUtilisateur = ?")
                                 .arg(colonnes.join(QStringLiteral(", "))),
                             valeurs);
    const bool trouve = q.numRowsAffected() > 0;
    q.finish();
    if (!trouve)
        throw ErreurExecution(
            Recordset::ViolationConcurrence,
            QStringLiteral("La ligne à mettre à jour n'existe plus dans Utilisateurs : elle "
                           "a été supprimée entre-temps"),
            QStringLiteral("SauvegardeSalarie"));
    t.valider();
    return r;
}

Ajout ajouter(Connexion& c, Recordset& liste, const QString& badgeLu) {
    // The marks of the rows left by earlier adds, searched forward from the current row as the list
    // shows them; the second search starts where the first ended.
    std::optional<qint64> matriculeZero, badgeZero;
    const bool vide = liste.RecordCount() == 0;
    if (!vide) {
        const QString zero = QStringLiteral("0");
        if (liste.Find(QStringLiteral("MatriculeSalarie"), Recordset::Comparaison::EgalTexte, zero))
            matriculeZero = Valeurs::lireEntier(liste.Field(QStringLiteral("IdUtilisateur")));
        if (liste.Find(QStringLiteral("NoBadge"), Recordset::Comparaison::EgalTexte, zero))
            badgeZero = Valeurs::lireEntier(liste.Field(QStringLiteral("IdUtilisateur")));
    }

    Ajout a;
    const bool badgeAVerifier = !badgeZero && !badgeLu.isEmpty() && badgeLu != QLatin1String("ERREUR");
    TransactionEcriture t(c);
    if (badgeAVerifier)
        Badges::VerrouillerBadges(c, true);
    // A row gone meanwhile is passed over, as the rest of the add goes on.
    if (matriculeZero)
        c.executer(
            QStringLiteral("UPDATE Utilisateurs SET MatriculeSalarie = NoBadge WHERE IdUtilisateur = ? "
                           "AND MatriculeSalarie = '0'"),
            {*matriculeZero});
    if (badgeZero) {
        c.executer(QStringLiteral("DELETE FROM Utilisateurs WHERE IdUtilisateur = ? AND NoBadge = '0'"),
                   {*badgeZero});
        t.valider();
        return a;
    }
    const QString p = ChaineAleatoire();
    QString badge = p;
    if (badgeAVerifier && !Badges::TitulaireBadge(c, badgeLu) && !Badges::EstBadgeMaintenance(c, badgeLu))
        badge = badgeLu;
    a.id = inserer(c, badge, vide ? QStringLiteral("0") : p, ListeDesMachinesAutorise(c));
    a.ajoute = true;
    t.valider();
    return a;
}

qint64 ajouterAncienneBase(Connexion& c) {
    TransactionEcriture t(c);
    const qint64 id = inserer(c, texteNul(), texteNul(), ListeDesMachinesAutorise(c));
    t.valider();
    return id;
}

bool supprimer(Connexion& c, qint64 id) {
    TransactionEcriture t(c);
    QSqlQuery q = c.executer(QStringLiteral("DELETE FROM Utilisateurs WHERE IdUtilisateur = ?"), {id});
    const bool fait = q.numRowsAffected() > 0;
    q.finish();
    t.valider();
    return fait;
}

} // namespace SauvegardeSalarie
