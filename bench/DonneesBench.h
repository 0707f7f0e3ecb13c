#pragma once

// The data every database benchmark runs on, the same on both backends: 50,000 employees, 2,000
// articles, 100,000 withdrawals of one line each, dated at random over two years (so not in the order of
// their numbers), names with accents and in mixed case, Null wherever the schema allows it and real
// databases have it, the general profile's quota lines and 5,000 job codes. Written through bound
// multi-row INSERTs in one transaction, from a fixed seed.

#include "db/Connexion.h"
#include "machines/ModeleMachine.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <random>
#include <vector>

namespace DonneesBench {

constexpr int NbSalaries = 50000;
constexpr int NbArticles = 2000;
constexpr int NbVentes = 100000; // one line each
constexpr int NbMachines = 8;
constexpr int NbEmplacements = 72; // per machine
constexpr qint64 PremiereReference = 100001;
constexpr int NbCodesAffaires = 5000; // the withdrawals carry the first 400

// How many rows remplirVolumes() writes; the benchmarks' volumes by default, a few dozen for the user manual's
// pictures.
struct Volumes {
    int salaries = NbSalaries;
    int articles = NbArticles;
    int ventes = NbVentes;
    int codesAffaires = NbCodesAffaires;
};

// The withdrawals fall between these days (both included), between 06:00 and 21:59.
inline QDate premierJour() {
    return QDate(2024, 1, 1);
}
inline QDate dernierJour() {
    return QDate(2025, 12, 31);
}

namespace detail {

inline QVariant nulTexte() {
    return QVariant(QMetaType::fromType<QString>());
}
inline QVariant nulEntier() {
    return QVariant(QMetaType::fromType<qint64>());
}
inline QVariant nulReel() {
    return QVariant(QMetaType::fromType<double>());
}

// "yyyy-MM-dd HH:mm:ss", as the layer binds dates.
inline QString texteDate(const QDate& d, int secondes) {
    char t[32];
    std::snprintf(t, sizeof t, "%04d-%02d-%02d %02d:%02d:%02d", d.year(), d.month(), d.day(), secondes / 3600,
                  secondes / 60 % 60, secondes % 60);
    return QString::fromLatin1(t);
}

// Rows gathered into INSERTs of a few hundred rows, every value bound; finir() writes the last ones.
class Lots {
public:
    Lots(Connexion& c, const QString& table, const QStringList& colonnes) : m_c(c) {
        m_entete =
            QStringLiteral("INSERT INTO %1 (%2) VALUES ").arg(table, colonnes.join(QStringLiteral(", ")));
        QStringList marques;
        for (qsizetype i = 0; i < colonnes.size(); ++i)
            marques << QStringLiteral("?");
        m_ligne = u'(' + marques.join(QStringLiteral(", ")) + u')';
        // Qt asks SQLite each bound value's name, a search through all of the statement's: about a
        // hundred values a statement there; more on a server, where each statement is a round trip.
        m_parLot = std::max<qsizetype>(1, (c.estSQLite() ? 100 : 2000) / colonnes.size());
    }
    void ajouter(const QVariantList& ligne) {
        m_valeurs += ligne;
        if (++m_lignes == m_parLot)
            finir();
    }
    void finir() {
        if (m_lignes == 0)
            return;
        QStringList lignes;
        for (qsizetype i = 0; i < m_lignes; ++i)
            lignes << m_ligne;
        m_c.executer(m_entete + lignes.join(QStringLiteral(", ")), m_valeurs);
        m_valeurs.clear();
        m_lignes = 0;
    }

private:
    Connexion& m_c;
    QString m_entete, m_ligne;
    QVariantList m_valeurs;
    qsizetype m_lignes = 0, m_parLot = 1;
};

struct Article {
    qint64 reference;
    QString designation, refFournisseur, famille, taille;
    int noFamille, codeArticle;
    double prix;
    int fournisseur; // index in the suppliers, -1 for none
};

struct Salarie {
    QVariant badge;
    QString nom, prenom;
    int site, service, quota;
};

} // namespace detail

inline void remplirVolumes(Connexion& c, const Volumes& volumes) {
    using namespace detail;
    std::mt19937 g(20240101);
    auto entre = [&g](int a, int b) { return std::uniform_int_distribution<int>(a, b)(g); };
    auto parmi = [&](const QStringList& l) { return l.at(entre(0, static_cast<int>(l.size()) - 1)); };
    auto chance = [&](int pourcent) { return entre(1, 100) <= pourcent; };

    const QStringList noms = {"Lefèvre",  "Dupré",      "Bégué",    "Gaillard",       "Müller",   "Nowak",
                              "Kováč",    "Benoît",     "Lemaître", "Girard",         "Gérard",   "Noël",
                              "Brûlé",    "Chevalier",  "Perrault", "Faure",          "Rousseau", "Morel",
                              "Fournier", "Mercier",    "Dubois",   "Lambert",        "Bonnet",   "François",
                              "Martinez", "Wiśniewski", "Dvořák",   "Van den Berghe", "De Smet",  "Peeters",
                              "Janssens", "Schäfer",    "Hoffmann", "Lévêque",        "Thérond",  "Côté",
                              "Ménard",   "Pérez",      "Ferreira", "Da Silva",       "N'Diaye",  "O'Neill",
                              "Le Goff",  "Œillet",     "Ælrick",   "Straße",         "Ångström", "Łukasik",
                              "Šimek",    "Żak"};
    const QStringList prenoms = {
        "Élodie",  "Zoé",    "Jérôme", "Noël",  "Françoise", "Agnès",    "Léa",        "Anaïs",
        "Hélène",  "Gaël",   "Loïc",   "Maël",  "Chloé",     "Inès",     "Joël",       "Raphaël",
        "Céline",  "André",  "René",   "Émile", "Thérèse",   "Béatrice", "Cécile",     "Grégoire",
        "Jean",    "Marie",  "Pierre", "Luc",   "Paul",      "Sophie",   "Małgorzata", "Zdeněk",
        "Ľubomír", "Jürgen", "Søren",  "Ana",   "João",      "Yasmine",  "Mohamed",    "Kévin"};
    const QStringList villes = {"Lyon",     "Saint-Étienne", "Besançon", "Orléans", "Nîmes",  "Montréal",
                                "Grenoble", "Bruxelles",     "Liège",    "Gand",    "Poznań", "Košice"};
    const QStringList familles = {"Gants",
                                  "Chaussures de sécurité",
                                  "Lunettes",
                                  "Casques",
                                  "Bouchons d'oreilles",
                                  "Vêtements haute visibilité",
                                  "Masques FFP2",
                                  "Harnais",
                                  "Genouillères",
                                  "Crèmes protectrices"};
    const QStringList metiers = {"Atelier",   "Maintenance", "Logistique", "Qualité",         "Expédition",
                                 "Réception", "Sécurité",    "Entretien",  "Bureau d'études", "Production"};

    TransactionEcriture t(c);

    // Sites, their services, families, sizes, suppliers, profiles, machines.
    {
        Lots sites(c, "Sites", {"NomSite", "Adresse", "Info"});
        for (int i = 0; i < villes.size(); ++i)
            sites.ajouter(
                {QStringLiteral("Site %1").arg(villes.at(i)),
                 chance(70) ? QVariant(QStringLiteral("%1 rue de l'Église").arg(entre(1, 200))) : nulTexte(),
                 chance(30) ? QVariant(QStringLiteral("Équipe de nuit")) : nulTexte()});
        sites.finir();
    }
    const int nbSites = static_cast<int>(villes.size());
    const int nbServices = nbSites * 4;
    QStringList nomsServices;
    {
        Lots services(c, "Services", {"NomService", "Site", "Info"});
        for (int i = 0; i < nbServices; ++i) {
            nomsServices << QStringLiteral("%1 %2").arg(metiers.at(i % metiers.size())).arg(i / 4 + 1);
            services.ajouter({nomsServices.last(), 1 + i / 4, chance(20) ? QVariant("Bât. B") : nulTexte()});
        }
        services.finir();
    }
    {
        Lots f(c, "Familles", {"NomFamille", "Fonction"});
        for (const QString& nom : familles)
            f.ajouter(
                {nom, chance(50) ? QVariant(QStringLiteral("Protection « %1 »").arg(nom)) : nulTexte()});
        f.finir();
    }
    // Sizes: shoes 36 to 47 (family 2), gloves 6 to 11 (family 1), clothes XS to 3XL (family 6).
    QStringList tailles;
    {
        Lots ta(c, "Tailles", {"Taille", "Ordre", "NoFamille"});
        for (int p = 36; p <= 47; ++p) {
            tailles << QString::number(p);
            ta.ajouter({tailles.last(), p - 35, 2});
        }
        for (int p = 6; p <= 11; ++p) {
            tailles << QString::number(p);
            ta.ajouter({tailles.last(), p - 5, 1});
        }
        const QStringList vetements = {"XS", "S", "M", "L", "XL", "XXL", "3XL"};
        for (int i = 0; i < vetements.size(); ++i) {
            tailles << vetements.at(i);
            ta.ajouter({tailles.last(), i + 1, 6});
        }
        ta.finir();
    }
    const int nbFournisseurs = 40;
    QStringList codesFournisseurs, societes;
    {
        Lots f(c, "Fournisseur",
               {"No", "CodeFournisseur", "Societe", "NomContact", "Adresse", "CodePostal", "Ville", "Tel",
                "Fax"});
        for (int i = 0; i < nbFournisseurs; ++i) {
            codesFournisseurs << QStringLiteral("F%1").arg(100 + i * 7);
            societes << QStringLiteral("%1 Protection %2").arg(parmi(noms)).arg(i + 1);
            f.ajouter(
                {100 + i * 7, codesFournisseurs.last(), societes.last(),
                 chance(80) ? QVariant(parmi(prenoms) + u' ' + parmi(noms)) : nulTexte(),
                 chance(80) ? QVariant(QStringLiteral("%1 avenue Jean-Jaurès").arg(entre(1, 99)))
                            : nulTexte(),
                 QStringLiteral("%1").arg(entre(1000, 99999), 5, 10, QChar(u'0')), parmi(villes),
                 chance(90) ? QVariant(QStringLiteral("04 72 %1").arg(entre(100000, 999999))) : nulTexte(),
                 chance(40) ? QVariant(QStringLiteral("04 72 %1").arg(entre(100000, 999999))) : nulTexte()});
        }
        f.finir();
    }
    {
        Lots p(c, "ProfileQuota", {"Profile"});
        for (int i = 0; i < metiers.size(); ++i)
            p.ajouter({QStringLiteral("Profil %1").arg(metiers.at(i))});
        p.finir();
    }
    const int nbProfils = 3 + static_cast<int>(metiers.size());
    {
        Lots m(c, "Machines", {"NoMachine", "Location", "NbEmplacement", "NbPorte", "Type", "Chargement"});
        for (int i = 1; i <= NbMachines; ++i)
            m.ajouter({i, QStringLiteral("Hall %1, %2").arg(i).arg(parmi(villes)), NbEmplacements, 12,
                       1 + i % 2, i % 3 == 0 ? QStringLiteral("CASIER") : QStringLiteral("ETAGE")});
        m.finir();
    }

    // Articles, their codes and the machines' slots.
    std::vector<Article> articles;
    {
        Lots a(c, "ArticleEnStock",
               {"Reference", "Designation", "RefFournisseur", "CodeArticle", "CodeBar", "QteEnStock",
                "QteParPaket", "StockAlert", "DelaiLivraison", "PrixAchatUnit", "PrixAchatGlobal", "Prix",
                "Taille", "Famille", "NoFournisseur", "Image", "DateCreation", "DateDernierMouvement"});
        Lots ca(c, "CodeArticle", {"CodeArticle", "Reference"});
        for (int i = 0; i < volumes.articles; ++i) {
            Article art;
            art.reference = PremiereReference + i;
            art.noFamille = entre(1, static_cast<int>(familles.size()));
            art.famille = familles.at(art.noFamille - 1);
            int taille = -1;
            if (art.noFamille == 2)
                taille = entre(0, 11);
            else if (art.noFamille == 1)
                taille = entre(12, 17);
            else if (art.noFamille == 6)
                taille = entre(18, 24);
            art.taille = taille >= 0 ? tailles.at(taille) : QString();
            art.designation = QStringLiteral("%1 %2 « %3 »%4")
                                  .arg(art.famille,
                                       parmi(QStringList{"confort", "légère", "renforcée", "été", "hiver",
                                                         "anti-coupure", "étanche"}),
                                       parmi(noms), taille >= 0 ? u' ' + art.taille : QString());
            art.refFournisseur = QStringLiteral("RF-%1").arg(entre(10000, 99999));
            art.codeArticle = i + 1;
            // A twentieth of the prices with four decimals, as the unit price of a box split up.
            art.prix = chance(5) ? entre(1, 99999) / 10000.0 : entre(50, 25000) / 100.0;
            art.fournisseur = chance(95) ? entre(0, nbFournisseurs - 1) : -1;
            const int paquet = parmi(QStringList{"1", "1", "10", "12", "50", "100"}).toInt();
            const QDate creation = QDate(2019, 1, 1).addDays(entre(0, 5 * 365));
            a.ajouter(
                {art.reference, art.designation, chance(90) ? QVariant(art.refFournisseur) : nulTexte(),
                 art.codeArticle,
                 chance(85) ? QVariant(QStringLiteral("340%1").arg(entre(0, 999999999), 10, 10, QChar(u'0')))
                            : nulTexte(),
                 entre(0, 500), paquet, chance(80) ? QVariant(entre(0, 50)) : nulEntier(),
                 chance(70) ? QVariant(entre(1, 30)) : nulEntier(), art.prix,
                 chance(90) ? QVariant(std::round(art.prix * paquet * 10000.0) / 10000.0) : nulReel(),
                 entre(0, 2), taille >= 0 ? QVariant(taille + 1) : nulEntier(), art.noFamille,
                 art.fournisseur >= 0 ? QVariant(100 + art.fournisseur * 7) : nulEntier(),
                 chance(60) ? QVariant(QStringLiteral("IMG%1.jpg").arg(i, 5, 10, QChar(u'0'))) : nulTexte(),
                 texteDate(creation, entre(6 * 3600, 22 * 3600 - 1)),
                 chance(75)
                     ? QVariant(texteDate(creation.addDays(entre(0, 400)), entre(6 * 3600, 22 * 3600 - 1)))
                     : nulTexte()});
            if (chance(90))
                ca.ajouter({art.codeArticle, art.reference});
            articles.push_back(art);
        }
        a.finir();
        ca.finir();
        Lots e(c, "EmplacementsMachine1",
               {"NoMachine", "NoEmpl", "Etage", "Colonne", "Reference", "Qte", "DateChargement",
                "EtageBloquer"});
        for (int m = 1; m <= NbMachines; ++m)
            for (int s = 1; s <= NbEmplacements; ++s)
                e.ajouter(
                    {m, s, 1 + (s - 1) / 12, 1 + (s - 1) % 12,
                     chance(85) ? QVariant(PremiereReference + entre(0, volumes.articles - 1)) : nulEntier(),
                     chance(90) ? QVariant(entre(0, 20)) : nulEntier(),
                     chance(80)
                         ? QVariant(texteDate(dernierJour().addDays(-entre(0, 60)), entre(6 * 3600, 79199)))
                         : nulTexte(),
                     chance(5) ? 1 : 0});
        e.finir();
    }

    // Employees. Badges are ten hexadecimal digits, distinct (an odd multiplier is a bijection); a few
    // employees have none yet, or no number, no sizes, no language.
    std::vector<Salarie> salaries;
    salaries.reserve(volumes.salaries);
    {
        Lots u(c, "Utilisateurs",
               {"NoBadge", "MatriculeSalarie", "Nom", "Prenom", "Site", "Service", "Quota", "TailleChaussure",
                "TailleMain", "Langue", "MachineAutorise", "NoUtilisateur"});
        const QStringList langues = {"FR", "FR", "FR", "NL", "DE", "PL", "SK"};
        for (int i = 1; i <= volumes.salaries; ++i) {
            Salarie s;
            const quint64 brouille = (static_cast<quint64>(i) * 0x9E3779B97ull) & 0xFFFFFFFFFFull;
            s.badge = chance(98) ? QVariant(QStringLiteral("%1").arg(brouille, 10, 16, QChar(u'0')).toUpper())
                                 : nulTexte();
            s.nom = parmi(noms);
            if (chance(30))
                s.nom = s.nom.toUpper(); // as imports write them
            if (chance(10))
                s.nom += u'-' + parmi(noms);
            s.prenom = parmi(prenoms);
            s.service = entre(1, nbServices);
            s.site = 1 + (s.service - 1) / 4;
            s.quota = entre(1, nbProfils);
            u.ajouter({s.badge,
                       chance(95) ? QVariant(QStringLiteral("M%1").arg(i, 6, 10, QChar(u'0'))) : nulTexte(),
                       s.nom, s.prenom, s.site, s.service, s.quota,
                       chance(85) ? QVariant(entre(1, 12)) : nulEntier(),
                       chance(80) ? QVariant(entre(13, 18)) : nulEntier(),
                       chance(90) ? QVariant(parmi(langues)) : nulTexte(),
                       chance(70) ? QVariant(QStringLiteral("1,2,%1").arg(entre(3, NbMachines))) : nulTexte(),
                       chance(50) ? QVariant(QString::number(i)) : nulTexte()});
            salaries.push_back(std::move(s));
        }
        u.finir();
    }

    // Withdrawals: numbered in order, dated at random.
    {
        Lots v(c, "Ventes",
               {"NumVente", "LaDate", "Utilisateur", "Nom", "Prenom", "TypeMouvement", "Total", "NoMachine",
                "NoAffaire", "Ticket"});
        Lots d(c, "DetailVente",
               {"NumVente", "Reference", "Designation", "Quantite", "PrixAchatUnit", "NomFamille",
                "NoFamille", "NomSite", "NoSite", "NomService", "NoService", "Profile", "CodeFournisseur",
                "Societe", "Taille", "RefFournisseur", "CodeArticle", "NoMachine"});
        const int jours = static_cast<int>(premierJour().daysTo(dernierJour()));
        for (int n = 1; n <= volumes.ventes; ++n) {
            const Salarie& s = salaries[static_cast<size_t>(entre(0, volumes.salaries - 1))];
            const Article& a = articles[static_cast<size_t>(entre(0, volumes.articles - 1))];
            const QString date =
                texteDate(premierJour().addDays(entre(0, jours)), entre(6 * 3600, 22 * 3600 - 1));
            const int quantite = chance(80) ? 1 : entre(2, 6);
            const QVariant machine =
                chance(85) ? QVariant(entre(1, NbMachines)) : nulEntier(); // else the counter
            const QString site = QStringLiteral("Site %1").arg(villes.at(s.site - 1));
            v.ajouter({n, date, s.badge, s.nom, s.prenom, chance(95) ? 3 : 4,
                       chance(90) ? QVariant(std::round(a.prix * quantite * 10000.0) / 10000.0) : nulReel(),
                       machine,
                       chance(10) ? QVariant(QStringLiteral("AFF-%1").arg(entre(1, 400), 4, 10, QChar(u'0')))
                                  : nulTexte(),
                       chance(60) ? QVariant(QString::number(entre(1, 999999))) : nulTexte()});
            d.ajouter({n, a.reference, a.designation, quantite, a.prix, a.famille, a.noFamille, site, s.site,
                       nomsServices.at(s.service - 1), s.service, s.quota,
                       a.fournisseur >= 0 ? QVariant(codesFournisseurs.at(a.fournisseur)) : nulTexte(),
                       a.fournisseur >= 0 ? QVariant(societes.at(a.fournisseur)) : nulTexte(),
                       a.taille.isEmpty() ? nulTexte() : QVariant(a.taille), a.refFournisseur, a.codeArticle,
                       machine});
        }
        v.finir();
        d.finir();
        // The numbers were given: PostgreSQL's identity goes on after them, as the database's own would.
        if (!c.estSQLite())
            c.executer(QStringLiteral("SELECT setval(pg_get_serial_sequence('ventes', 'numvente'), ?)"),
                       {volumes.ventes});
    }

    // Quota lines of the general profile, written after every other row and computed from the article's
    // index alone (nothing drawn from the stream above, so that every other row stays as it was): one line
    // for nine articles in ten, with a period of 7, 30, 90 or 365 days; a second, later line for one in a
    // hundred; now and then one whose quantity and period were left empty, as the profile form adds them.
    const QVariant general =
        c.valeurUnique(QStringLiteral("SELECT NoQuota FROM ProfileQuota WHERE Profile = 'QUOTAS GENERAL'"));
    if (!general.isNull()) {
        Lots q(c, "Quota", {"NoQota", "RefArticle", "QtePermise", "Periodicite"});
        const int periodes[] = {7, 30, 90, 365};
        for (int i = 0; i < volumes.articles; ++i) {
            if (i % 10 == 9)
                continue;
            const bool vide = i % 50 == 17;
            q.ajouter({general, PremiereReference + i, vide ? nulEntier() : QVariant(1 + i % 4),
                       vide ? nulEntier() : QVariant(periodes[i / 10 % 4])});
            if (i % 100 == 3)
                q.ajouter({general, PremiereReference + i, 2 + i % 3, 30});
        }
        q.finir();
    }

    // Job codes, also computed from their index alone: "AFF-0001" to "AFF-0400", the codes the
    // withdrawals carry, then codes in mixed case and with accents; a label for most of them.
    {
        const QStringList genres = {"Chantier", "Régie", "ÉTUDE", "dépannage", "Contrat-cadre"};
        Lots a(c, "ListeNoAffaire", {"NoAffaire", "Libelle"});
        for (int i = 1; i <= volumes.codesAffaires; ++i) {
            const QString code = i <= 400 ? QStringLiteral("AFF-%1").arg(i, 4, 10, QChar(u'0'))
                                          : QStringLiteral("%1 %2").arg(genres.at(i % genres.size())).arg(i);
            a.ajouter(
                {code,
                 i % 9 == 4
                     ? nulTexte()
                     : QVariant(QStringLiteral("Affaire %1 « %2 »").arg(i).arg(noms.at(i % noms.size())))});
        }
        a.finir();
    }
    t.valider();
    // The state a working database is in: SQLite's log folded into the file, PostgreSQL's statistics
    // gathered (its autovacuum would have done it).
    c.executer(c.estSQLite() ? QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)") : QStringLiteral("ANALYZE"));
}

inline void remplir(Connexion& c) {
    remplirVolumes(c, {});
}

// With `nbVentes` withdrawals (the journal benchmark asks for more); the rows before them stay the same.
inline void remplirAvecVentes(Connexion& c, int nbVentes) {
    Volumes volumes;
    volumes.ventes = nbVentes;
    remplirVolumes(c, volumes);
}

// The machines the machine benchmarks run on, in place of the 8 of remplir() (their plans and slots
// included): `n` machines numbered from 1, every model with every loading in turn, 16 kinds in all:
// floors and columns of models 1 to 5 with their slot numbering, columns of models 6 and 8 (5 floors of
// 36 columns; model 8 with its extra plan row 37), lockers of models 1, 2, 8 and 10 (9, 18, 36 and 62
// lockers to a grid column, 14 columns for the first of each, then 11, 8, 5; a locker's slot has NoEmpl
// the locker, Etage its grid column and Colonne its grid row). Every layout row has its ConfigMachines
// row (floors, columns per model factor, lockers), nearly all with an article of ArticleEnStock; four
// slots in five hold an article, mostly the one planned for their row, some with a quantity. Written in
// one transaction, from a fixed seed; call it after remplir() (the articles come from the database).
inline void remplirMachines(Connexion& c, int n) {
    using namespace detail;
    std::mt19937 g(20240702);
    auto entre = [&g](int a, int b) { return std::uniform_int_distribution<int>(a, b)(g); };
    auto chance = [&](int pourcent) { return entre(1, 100) <= pourcent; };
    struct Genre {
        int type;
        const char* chargement;
    };
    static const Genre genres[] = {{1, "ETAGE"},  {2, "COLONNE"}, {3, "ETAGE"},   {4, "COLONNE"},
                                   {5, "ETAGE"},  {1, "COLONNE"}, {2, "ETAGE"},   {3, "COLONNE"},
                                   {4, "ETAGE"},  {5, "COLONNE"}, {8, "COLONNE"}, {6, "COLONNE"},
                                   {1, "CASIER"}, {2, "CASIER"},  {8, "CASIER"},  {10, "CASIER"}};
    constexpr int nbGenres = static_cast<int>(std::size(genres));
    const QStringList villes = {"Lyon", "Saint-Étienne", "Besançon", "Orléans", "Nîmes", "Liège"};

    TransactionEcriture t(c);
    struct ArticleMachine {
        qint64 reference;
        QVariant code, designation;
    };
    std::vector<ArticleMachine> articles;
    {
        QSqlQuery q = c.executer(QStringLiteral(
            "SELECT Reference, CodeArticle, Designation FROM ArticleEnStock ORDER BY Reference"));
        while (q.next())
            articles.push_back({q.value(0).toLongLong(), q.value(1), q.value(2)});
    }
    for (const char* table : {"EmplacementsMachine1", "ConfigMachines", "Machines"})
        c.executer(QStringLiteral("DELETE FROM %1").arg(QLatin1String(table)));

    Lots m(c, "Machines", {"NoMachine", "Location", "NbEmplacement", "NbPorte", "Type", "Chargement"});
    Lots p(c, "ConfigMachines", {"NoMachine", "Etage", "ReferenceArticle", "CodeArticle", "Designation"});
    Lots e(c, "EmplacementsMachine1",
           {"NoMachine", "NoEmpl", "Etage", "Colonne", "Reference", "Qte", "DateChargement", "EtageBloquer"});
    for (int no = 1; no <= n; ++no) {
        const Genre& genre = genres[(no - 1) % nbGenres];
        const QString chargement = QLatin1String(genre.chargement);
        const bool casier = chargement == QLatin1String("CASIER");
        // Each slot and the layout row it belongs to.
        struct Place {
            int noEmpl, etage, colonne, ligne;
        };
        std::vector<Place> places;
        int portes = 0, lignes = 0;
        if (casier) {
            const int parColonne = genre.type == 1 ? 9 : genre.type == 2 ? 18 : genre.type == 10 ? 62 : 36;
            portes = 14 - 3 * ((no - 1) / nbGenres % 4);
            lignes = portes * parColonne;
            for (int k = 1; k <= lignes; ++k) {
                const int colonne = (k + parColonne - 1) / parColonne;
                places.push_back({k, colonne, k - (colonne - 1) * parColonne, k});
            }
        } else {
            const int facteur = ModeleMachine::FacteurModele(genre.type);
            QList<ModeleMachine::Emplacement> emplacements = ModeleMachine::EmplacementsModele(genre.type);
            if (emplacements.isEmpty()) {
                for (int k = 1; k <= 180; ++k)
                    emplacements.append({k, (k + 35) / 36, (k - 1) % 36 + 1});
                portes = 5;
            } else {
                portes = ModeleMachine::GeometrieModele(genre.type)->etages;
            }
            const bool etage = chargement == QLatin1String("ETAGE");
            lignes = etage ? portes : 36 / facteur;
            for (const ModeleMachine::Emplacement& s : emplacements)
                places.push_back({s.noEmpl, s.etage, s.colonne,
                                  etage         ? s.etage
                                  : facteur > 1 ? s.colonne / facteur + 1
                                                : s.colonne});
        }
        m.ajouter({no,
                   chance(97) ? QVariant(QStringLiteral("Hall %1, %2").arg(no).arg(villes.at(entre(0, 5))))
                              : nulTexte(),
                   static_cast<int>(places.size()), portes, genre.type, chargement});

        // The plan: one row per layout row (and row 37 of a model 8 loaded by column).
        const int lignesPlan = genre.type == 8 && !casier ? 37 : lignes;
        std::vector<int> plan(static_cast<size_t>(lignesPlan) + 1, -1);
        for (int r = 1; r <= lignesPlan; ++r) {
            if (!articles.empty() && chance(92)) {
                const int a = entre(0, static_cast<int>(articles.size()) - 1);
                plan[static_cast<size_t>(r)] = a;
                p.ajouter({no, r, articles[static_cast<size_t>(a)].reference,
                           articles[static_cast<size_t>(a)].code,
                           articles[static_cast<size_t>(a)].designation});
            } else {
                p.ajouter({no, r, nulEntier(), nulEntier(), nulTexte()});
            }
        }
        for (const Place& s : places) {
            QVariant reference = nulEntier();
            if (!articles.empty() && chance(80)) {
                const int prevu = plan[static_cast<size_t>(s.ligne)];
                const int a =
                    prevu >= 0 && chance(90) ? prevu : entre(0, static_cast<int>(articles.size()) - 1);
                reference = articles[static_cast<size_t>(a)].reference;
            }
            const bool charge = !reference.isNull();
            e.ajouter({no, s.noEmpl, s.etage, s.colonne, reference,
                       charge && chance(casier ? 60 : 20) ? QVariant(entre(1, 4)) : nulEntier(),
                       charge && chance(70)
                           ? QVariant(texteDate(dernierJour().addDays(-entre(0, 60)), entre(6 * 3600, 79199)))
                           : nulTexte(),
                       chance(3) ? 1 : 0});
        }
    }
    m.finir();
    p.finir();
    e.finir();
    t.valider();
    c.executer(c.estSQLite() ? QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)") : QStringLiteral("ANALYZE"));
}

} // namespace DonneesBench
