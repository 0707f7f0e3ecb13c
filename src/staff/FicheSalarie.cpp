#include "staff/FicheSalarie.h"

#include "db/Connexion.h"

#include <QSqlQuery>

namespace FicheSalarie {

namespace {

using ListesArticle::lireLignes;

} // namespace

QList<Ligne> sites(Connexion& connexion) {
    return lireLignes(connexion, QStringLiteral("SELECT NoSite, NomSite FROM Sites ORDER BY NoSite"));
}

QList<Ligne> profils(Connexion& connexion) {
    return lireLignes(connexion,
                      QStringLiteral("SELECT NoQuota, Profile FROM ProfileQuota ORDER BY NoQuota"));
}

QList<Ligne> services(Connexion& connexion, bool lienSiteService, qint64 site) {
    if (lienSiteService)
        return lireLignes(
            connexion,
            QStringLiteral("SELECT NoService, NomService FROM Services WHERE Site = ? ORDER BY NoService"),
            {site});
    return lireLignes(connexion,
                      QStringLiteral("SELECT NoService, NomService FROM Services ORDER BY NoService"));
}

QStringList langues() {
    return {QStringLiteral("FR"), QStringLiteral("DE"), QStringLiteral("NL"), QStringLiteral("PL"),
            QStringLiteral("SK")};
}

Recordset::Predicat filtreNom(const Recordset& liste, const QString& texte) {
    // The list answers it from the names it keeps folded, not value by value.
    return Recordset::Contient{liste.FieldIndex(QStringLiteral("Nom")), texte};
}

QString champMode(Mode mode) {
    switch (mode) {
    case ParBadge:
        return QStringLiteral("NoBadge");
    case ParMatricule:
        return QStringLiteral("MatriculeSalarie");
    case ParNom:
        break;
    }
    return QStringLiteral("Nom");
}

bool contientJoker(const QString& texte) {
    return texte.contains(u'*') || texte.contains(u'%');
}

bool chercher(Recordset& liste, Mode mode, const QString& texte) {
    if (!liste.IsOpen() || liste.RecordCount() == 0)
        return false;
    const QVariant retenu = liste.IsBOF() || liste.IsEOF() ? QVariant() : liste.Bookmark();
    if (liste.Find(champMode(mode),
                   contientJoker(texte) ? Recordset::Comparaison::Comme : Recordset::Comparaison::EgalTexte,
                   texte))
        return true;
    if (retenu.isValid())
        liste.SetBookmark(retenu);
    else
        liste.MoveFirst();
    return false;
}

} // namespace FicheSalarie
