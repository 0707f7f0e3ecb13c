#pragma once

#include "db/Recordset.h"
#include "stock/ListesArticle.h"

#include <QList>
#include <QString>
#include <QVariant>

class Connexion;

// What the employee file needs besides its widgets: the choice lists of the card and the searches of
// the list. The lists have no length limit; each is one query on the caller's connection (ErreurExecution
// when the database refuses).
namespace FicheSalarie {

// One line of a choice list: the key the save writes back and the name shown (Null shows as ""), as the
// article card's lists have them.
using Ligne = ListesArticle::Ligne;

// NoSite and NomSite of every site, in the order of their keys.
QList<Ligne> sites(Connexion& connexion);
// NoQuota and Profile of every profile, in the order of their keys.
QList<Ligne> profils(Connexion& connexion);
// NoTaille and Taille of the sizes of a family, by Ordre.
using ListesArticle::tailles;
// NoService and NomService: the services of `site` when services belong to sites (`lienSiteService`),
// else every service whatever its site; in the order of their keys.
QList<Ligne> services(Connexion& connexion, bool lienSiteService, qint64 site);
// The fixed languages of the card.
QStringList langues();

// The search modes of the list.
enum Mode { ParBadge = 1, ParNom = 2, ParMatricule = 3 };

// The name search over the rows of `liste`: the rows whose Nom contains `texte` without regard to case,
// accents kept, every character as typed; a row without a surname never passes, even for an empty text.
Recordset::Predicat filtreNom(const Recordset& liste, const QString& texte);

// The badge or personnel-number search (ParBadge, ParMatricule): from the current row forward, the first
// row whose whole value matches `texte` without regard to case, "*" and "%" standing for any run of
// characters. When none does, the row current before the search is current again and false is returned.
// An empty list does nothing.
bool chercher(Recordset& liste, Mode mode, const QString& texte);

// True when the text holds a typed wildcard, "*" or "%": searches then compare with Comme, otherwise
// literally (quicker than a pattern, and the same answer).
bool contientJoker(const QString& texte);

// The field a mode sorts and searches by: NoBadge, Nom, MatriculeSalarie.
QString champMode(Mode mode);

} // namespace FicheSalarie
