#include "staff/ImportSalaries.h"

#include "common/EtatGlobal.h"
#include "common/ServiceDialogue.h"
#include "common/mCommonDialog.h"
#include "db/ListeMachines.h"
#include "db/Valeurs.h"
#include "staff/Badges.h"
#include "staff/ClasseurXls.h"

#include <QHash>
#include <QSqlQuery>
#include <QStringList>
#include <cmath>

namespace ImportSalaries {

namespace {

// What the customer layouts give every new employee.
constexpr qint64 SiteClient = 6968;
constexpr qint64 TailleChaussureNouveau = 125;
constexpr qint64 TailleMainNouveau = 130;
const QString MachinesListe = QStringLiteral("1");
const QString MachinesRapport = QStringLiteral("1,2,3,4,5,6,7,8,9,10,11,12,13");

// The generic layout refuses databases it was not meant for before touching anything.
constexpr int MaxServices = 1000;
constexpr int MaxSites = 500;
constexpr int MaxProfils = 300;

QVariant texteNul() {
    return QVariant(QMetaType::fromType<QString>());
}
QVariant entierNul() {
    return QVariant(QMetaType::fromType<qint64>());
}

// A cell written into a text field as the driver handed it: Null stays Null.
QVariant commeLue(const QVariant& cellule) {
    return cellule.isNull() ? texteNul() : QVariant(ClasseurXls::texte(cellule));
}

bool chiffresSeuls(QStringView s) {
    if (s.isEmpty())
        return false;
    for (const QChar c : s)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

QString badgeGenerique(const QString& texte) {
    const QString suite = texte.mid(1);
    return chiffresSeuls(suite) ? suite : texte;
}

// Digits (no sign) with at least five of them, as the format "00000" writes a whole number.
QString cinqChiffres(QString chiffres) {
    qsizetype zeros = 0;
    while (zeros < chiffres.size() - 1 && chiffres.at(zeros) == u'0')
        ++zeros;
    chiffres.remove(0, zeros);
    return chiffres.size() < 5 ? QString(5 - chiffres.size(), u'0') + chiffres : chiffres;
}

QString badgeListe(const QVariant& cellule) {
    if (Valeurs::estNombre(cellule)) {
        const double arrondi = std::round(cellule.toDouble()); // halves away from zero
        if (!std::isfinite(arrondi))
            return ClasseurXls::texte(cellule);
        const QString chiffres = cinqChiffres(QString::number(std::fabs(arrondi), 'f', 0));
        return arrondi < 0 ? u'-' + chiffres : chiffres;
    }
    const QString texte = ClasseurXls::texte(cellule);
    const QString net = texte.trimmed();
    return chiffresSeuls(net) ? cinqChiffres(net) : texte;
}

void separerNomPrenom(const QString& texte, QString* nom, QString* prenom) {
    const qsizetype p = texte.lastIndexOf(u' ');
    if (p < 0) {
        *nom = texte.trimmed();
        prenom->clear();
        return;
    }
    *nom = texte.left(p + 1).trimmed();
    *prenom = texte.mid(p).trimmed();
}

// One of the run's name tables (services, sites or profiles): the source table's rows in their table
// order, each indexed under the keys its rule compares, the first row holding a key answering for it.
// Re-read whole after the run adds a row, so that the later rows find it.
class TableNoms {
public:
    using Cles = QStringList (*)(const QString& nom);

    TableNoms(const QString& table, const QString& numero, const QString& nom, Cles cles)
        : m_table(table), m_cles(cles) {
        m_sql = QStringLiteral("SELECT %1, %2 FROM %3 ORDER BY %1").arg(numero, nom, table);
    }

    qint64 compter(Connexion& c) const {
        return Valeurs::lireEntier(c.valeurUnique(QStringLiteral("SELECT COUNT(*) FROM ") + m_table));
    }

    void charger(Connexion& c) {
        m_index.clear();
        m_premier = 0;
        QSqlQuery q = c.executer(m_sql);
        while (q.next()) {
            const qint64 numero = Valeurs::lireEntier(q.value(0));
            if (m_premier == 0)
                m_premier = numero;
            for (const QString& cle : m_cles(Valeurs::lireTexte(q.value(1)).trimmed()))
                if (!m_index.contains(cle))
                    m_index.insert(cle, numero);
        }
    }

    // The number of the first row holding the key, 0 when none does.
    qint64 numero(const QString& cle) const { return m_index.value(cle, 0); }
    qint64 premierNumero() const { return m_premier; }

private:
    QString m_table;
    QString m_sql;
    Cles m_cles;
    QHash<QString, qint64> m_index;
    qint64 m_premier = 0;
};

QStringList cleExacte(const QString& nom) {
    return {nom};
}
QStringList cleMajuscules(const QString& nom) {
    return {nom.toUpper()};
}
// "liste" services: a cell names a service by the first seven characters of its name, or by the whole
// name (so that a longer name is found again rather than added at every row).
QStringList cleSeptOuEntiere(const QString& nom) {
    return nom.size() > 7 ? QStringList{nom.left(7).trimmed(), nom} : QStringList{nom};
}

// The generic layout compares services in upper case; "Rapport 1" with case.
TableNoms::Cles clesService(Classeur classeur) {
    switch (classeur) {
    case Classeur::Liste:
        return cleSeptOuEntiere;
    case Classeur::Rapport1:
        return cleExacte;
    case Classeur::Generique:
        break;
    }
    return cleMajuscules;
}

// A statement of the connection's kept ones, held for the run and run once per row.
class Instruction {
public:
    Instruction(Connexion& c, const QString& sql) : m_instruction(c, sql) {}
    // Runs it with these values; with `retour` the first column of the row it returned.
    qint64 executer(std::initializer_list<QVariant> valeurs, bool retour = false) {
        QVariantList liees;
        liees.reserve(static_cast<qsizetype>(valeurs.size()));
        for (const QVariant& v : valeurs) {
            // The drivers bind a null QString as NULL: an empty text is written as an empty text (a Null
            // cell comes as a null variant).
            if (!v.isNull() && v.metaType().id() == QMetaType::QString && v.toString().isNull())
                liees << QString::fromUtf8("", 0);
            else
                liees << v;
        }
        QSqlQuery& q = m_instruction.executer(liees);
        qint64 r = 0;
        if (retour) {
            if (!q.next())
                throw ErreurExecution(ErreurExecution::ErreurBase,
                                      QStringLiteral("Aucun numéro rendu par l'ajout."));
            r = Valeurs::lireEntier(q.value(0));
        }
        q.finish();
        return r;
    }

private:
    InstructionPreparee m_instruction;
};

class Execution {
public:
    Execution(Classeur classeur, const Parametres& p, const Progression& progression)
        : m_classeur(classeur), m_parametres(p), m_progression(progression),
          m_services(QStringLiteral("Services"), QStringLiteral("NoService"), QStringLiteral("NomService"),
                     clesService(classeur)),
          m_profils(QStringLiteral("ProfileQuota"), QStringLiteral("NoQuota"), QStringLiteral("Profile"),
                    classeur == Classeur::Generique ? cleMajuscules : cleExacte) {}

    Resultat executer(const QString& chemin);

private:
    bool ouvrir(const QString& chemin, Resultat& r);
    std::optional<QString> chargerGenerique();
    void chargerClient();
    void chargerSalaries();
    void preparer();
    void ligneGenerique(int ligne, Resultat& r);
    void ligneListe(int ligne, Resultat& r);
    bool ligneRapport(int ligne, Resultat& r);
    qint64 profilGenerique(const QVariant& cellule);
    qint64 siteGenerique(const QVariant& cellule);
    qint64 serviceGenerique(const QVariant& cellule, qint64 site);
    qint64 ajouterSalarie(const QString& badge, std::initializer_list<QVariant> valeurs);

    Classeur m_classeur;
    const Parametres& m_parametres;
    const Progression& m_progression;
    ClasseurXls m_xls;
    std::optional<Connexion> m_base;

    TableNoms m_services;
    TableNoms m_profils;
    TableNoms m_sites{QStringLiteral("Sites"), QStringLiteral("NoSite"), QStringLiteral("NomSite"),
                      cleExacte};
    QString m_machines;
    // Badge (every letter folded, accents kept) to IdUtilisateur: the first employee in table order,
    // then the employees the run adds.
    QHash<QString, qint64> m_salaries;

    std::optional<Instruction> m_ajout, m_majNomProfil, m_majProfilMachines, m_majMachines, m_ajoutSite,
        m_ajoutService, m_ajoutProfil;
};

bool Execution::ouvrir(const QString& chemin, Resultat& r) {
    const auto echec = [&](const ErreurExecution& e) {
        r.issue = Issue::Format;
        r.erreur = e;
        return false;
    };
    const auto ouvrirBase = [&] {
        m_base.emplace();
        m_base->ouvrir(m_parametres.connexion);
    };
    try {
        // The "Rapport 1" layout opens the database first.
        if (m_classeur == Classeur::Rapport1)
            ouvrirBase();
        if (!m_xls.ouvrir(chemin) || !m_xls.feuille(NomFeuille(m_classeur)))
            return echec(ErreurExecution(ErreurExecution::BaseInaccessible, m_xls.erreur(),
                                         QStringLiteral("ClasseurXls")));
        if (m_classeur != Classeur::Rapport1)
            ouvrirBase();
    } catch (const ErreurExecution& e) {
        return echec(e);
    }
    return true;
}

Resultat Execution::executer(const QString& chemin) {
    Resultat r;
    if (!ouvrir(chemin, r))
        return r;
    r.lignes = m_xls.nombreLignes();
    if (r.lignes < 1)
        return r;
    if (m_progression)
        m_progression(0);
    int ligne = -1;
    try {
        TransactionEcriture transaction(*m_base);
        // The employees are held until the commit, before the known badges are read: another import or
        // card save of the same badge waits, then finds it.
        Badges::VerrouillerBadges(*m_base, false);
        if (m_classeur == Classeur::Generique) {
            if (const auto garde = chargerGenerique()) {
                r.issue = Issue::Garde;
                r.message = *garde;
                return r;
            }
        } else {
            chargerClient();
        }
        chargerSalaries();
        preparer();
        int pourcent = 0;
        for (ligne = 0; ligne < r.lignes; ++ligne) {
            const int p = qRound(100.0 * (ligne + 1) / r.lignes);
            if (p != pourcent && m_progression)
                m_progression(p);
            pourcent = p;
            if (m_classeur == Classeur::Generique)
                ligneGenerique(ligne, r);
            else if (m_classeur == Classeur::Liste)
                ligneListe(ligne, r);
            else if (!ligneRapport(ligne, r))
                break;
        }
        ligne = -1;
        m_ajout.reset();
        m_majNomProfil.reset();
        m_majProfilMachines.reset();
        m_majMachines.reset();
        m_ajoutSite.reset();
        m_ajoutService.reset();
        m_ajoutProfil.reset();
        transaction.valider();
    } catch (const ErreurExecution& e) {
        r.issue = Issue::Echec;
        r.erreur = e;
    } catch (const std::exception& e) {
        r.issue = Issue::Echec;
        r.erreur = ErreurExecution(0, QString::fromLocal8Bit(e.what()));
    }
    if (r.issue == Issue::Echec) {
        r.ligneFeuille = ligne >= 0 ? ligne + 2 : 0;
        r.ajoutes = r.modifies = 0;
    }
    return r;
}

std::optional<QString> Execution::chargerGenerique() {
    Connexion& c = *m_base;
    m_machines = ListeDesMachinesAutorise(c);
    if (m_services.compter(c) > MaxServices)
        return QStringLiteral("Number of services to big");
    m_services.charger(c);
    if (m_sites.compter(c) > MaxSites)
        return QStringLiteral("Number of sites to big");
    m_sites.charger(c);
    if (m_profils.compter(c) > MaxProfils)
        return QStringLiteral("Number of quota to big");
    m_profils.charger(c);
    return std::nullopt;
}

void Execution::chargerClient() {
    m_services.charger(*m_base);
    m_profils.charger(*m_base);
}

void Execution::chargerSalaries() {
    QSqlQuery q = m_base->executer(
        QStringLiteral("SELECT IdUtilisateur, NoBadge FROM Utilisateurs ORDER BY IdUtilisateur"));
    while (q.next()) {
        const QVariant badge = q.value(1);
        if (badge.isNull())
            continue;
        const QString cle = Valeurs::plierCasse(badge.toString());
        if (!m_salaries.contains(cle))
            m_salaries.insert(cle, Valeurs::lireEntier(q.value(0)));
    }
}

void Execution::preparer() {
    Connexion& c = *m_base;
    m_ajout.emplace(c,
                    QStringLiteral("INSERT INTO Utilisateurs (MatriculeSalarie, NoBadge, Nom, Prenom, Site, "
                                   "Service, Quota, TailleChaussure, TailleMain, MachineAutorise) VALUES "
                                   "(?, ?, ?, ?, ?, ?, ?, ?, ?, ?) RETURNING IdUtilisateur"));
    if (m_classeur == Classeur::Rapport1) {
        m_majProfilMachines.emplace(
            c,
            QStringLiteral("UPDATE Utilisateurs SET Quota = ?, MachineAutorise = ? WHERE IdUtilisateur = ?"));
        m_majMachines.emplace(
            c, QStringLiteral("UPDATE Utilisateurs SET MachineAutorise = ? WHERE IdUtilisateur = ?"));
        return;
    }
    m_majNomProfil.emplace(
        c, QStringLiteral("UPDATE Utilisateurs SET Nom = ?, Prenom = ?, Quota = ? WHERE IdUtilisateur = ?"));
    m_ajoutService.emplace(
        c, QStringLiteral("INSERT INTO Services (NomService, Site) VALUES (?, ?) RETURNING NoService"));
    if (m_classeur == Classeur::Generique) {
        m_ajoutSite.emplace(c, QStringLiteral("INSERT INTO Sites (NomSite) VALUES (?) RETURNING NoSite"));
        m_ajoutProfil.emplace(
            c, QStringLiteral("INSERT INTO ProfileQuota (Profile) VALUES (?) RETURNING NoQuota"));
    }
}

qint64 Execution::ajouterSalarie(const QString& badge, std::initializer_list<QVariant> valeurs) {
    const qint64 id = m_ajout->executer(valeurs, true);
    // A badge met again further down the sheet updates this employee.
    m_salaries.insert(Valeurs::plierCasse(badge), id);
    return id;
}

qint64 Execution::profilGenerique(const QVariant& cellule) {
    const QString nom = ClasseurXls::texte(cellule).trimmed();
    qint64 numero = m_profils.numero(nom.toUpper());
    if (numero == 0 && !nom.isEmpty()) {
        numero = m_ajoutProfil->executer({nom}, true);
        m_profils.charger(*m_base);
    }
    return numero != 0 ? numero : m_parametres.noProfilIllimite;
}

qint64 Execution::siteGenerique(const QVariant& cellule) {
    // Compared with case: "Nord" beside "NORD" is a site of its own. An empty cell names the site "".
    const QString nom = ClasseurXls::texte(cellule).trimmed();
    qint64 numero = m_sites.numero(nom);
    if (numero == 0) {
        numero = m_ajoutSite->executer({nom}, true);
        m_sites.charger(*m_base);
    }
    return numero;
}

qint64 Execution::serviceGenerique(const QVariant& cellule, qint64 site) {
    const QString nom = ClasseurXls::texte(cellule).trimmed();
    const QString cle = nom.toUpper();
    qint64 numero = m_services.numero(cle);
    if (numero == 0 && !nom.isEmpty()) {
        m_ajoutService->executer({nom, site != 0 ? site : m_sites.premierNumero()}, true);
        m_services.charger(*m_base);
        numero = m_services.numero(cle);
    }
    return numero;
}

// Columns by position: payroll number, badge, name, first name, profile, site, service.
void Execution::ligneGenerique(int ligne, Resultat& r) {
    const QVariant badgeLu = m_xls.cellule(ligne, 1);
    if (badgeLu.isNull())
        return;
    const QString badge = badgeGenerique(ClasseurXls::texte(badgeLu));
    const QVariant nom = commeLue(m_xls.cellule(ligne, 2));
    const QVariant prenom = commeLue(m_xls.cellule(ligne, 3));
    const qint64 id = m_salaries.value(Valeurs::plierCasse(badge), 0);
    if (id != 0) {
        const qint64 profil = profilGenerique(m_xls.cellule(ligne, 4));
        m_majNomProfil->executer({nom, prenom, profil, id});
        ++r.modifies;
        return;
    }
    const QVariant matricule = commeLue(m_xls.cellule(ligne, 0));
    const qint64 site = siteGenerique(m_xls.cellule(ligne, 5));
    const qint64 service = serviceGenerique(m_xls.cellule(ligne, 6), site);
    const qint64 profil = profilGenerique(m_xls.cellule(ligne, 4));
    ajouterSalarie(badge,
                   {matricule, badge, nom, prenom, site, service != 0 ? QVariant(service) : entierNul(),
                    profil, TailleChaussureNouveau, TailleMainNouveau, m_machines});
    ++r.ajoutes;
}

void Execution::ligneListe(int ligne, Resultat& r) {
    const QVariant badgeLu = m_xls.cellule(ligne, QStringLiteral("HOPAFFBBADGE"));
    if (badgeLu.isNull())
        return;
    const QString badge = badgeListe(badgeLu);
    QString nom, prenom;
    separerNomPrenom(ClasseurXls::texte(m_xls.cellule(ligne, QStringLiteral("HOPEMPLNOMPRE"))), &nom,
                     &prenom);
    const QString service = ClasseurXls::texte(m_xls.cellule(ligne, QStringLiteral("Service"))).trimmed();
    // The service's text also names the profile, with case; no profile is added.
    qint64 profil = m_profils.numero(service);
    if (profil == 0)
        profil = m_parametres.noProfilIllimite;
    const qint64 id = m_salaries.value(Valeurs::plierCasse(badge), 0);
    if (id != 0) {
        m_majNomProfil->executer({nom, prenom, profil, id});
        ++r.modifies;
        return;
    }
    qint64 noService = m_services.numero(service);
    if (noService == 0 && !service.isEmpty()) {
        noService = m_ajoutService->executer({service, SiteClient}, true);
        m_services.charger(*m_base);
    }
    ajouterSalarie(badge,
                   {badge, badge, nom, prenom, SiteClient, noService != 0 ? QVariant(noService) : entierNul(),
                    profil, TailleChaussureNouveau, TailleMainNouveau, MachinesListe});
    ++r.ajoutes;
}

// False at the first row without a payroll number: the sheet ends there.
bool Execution::ligneRapport(int ligne, Resultat& r) {
    const QVariant matricule = m_xls.cellule(ligne, QStringLiteral("Matricule"));
    const QString texte = ClasseurXls::texte(matricule);
    if (texte.isEmpty())
        return false;
    const QString badge = texte.trimmed();
    const QString nomProfil = ClasseurXls::texte(m_xls.cellule(ligne, QStringLiteral("nom_profil")));
    const qint64 profil = m_profils.numero(nomProfil.trimmed());
    const qint64 id = m_salaries.value(Valeurs::plierCasse(badge), 0);
    if (id != 0) {
        if (profil != 0)
            m_majProfilMachines->executer({profil, MachinesRapport, id});
        else
            m_majMachines->executer({MachinesRapport, id});
        ++r.modifies;
        return true;
    }
    // The first three letters of the profile name designate the service; nothing is added.
    const qint64 service = m_services.numero(nomProfil.left(3).trimmed());
    ajouterSalarie(badge, {badge, badge, commeLue(m_xls.cellule(ligne, QStringLiteral("NOM"))),
                           commeLue(m_xls.cellule(ligne, QStringLiteral("Prénom"))), SiteClient,
                           service != 0 ? QVariant(service) : entierNul(),
                           profil != 0 ? profil : m_parametres.noProfilIllimite, TailleChaussureNouveau,
                           TailleMainNouveau, MachinesRapport});
    ++r.ajoutes;
    return true;
}

} // namespace

QString NomRoutine(Classeur classeur) {
    switch (classeur) {
    case Classeur::Liste:
        return QStringLiteral("ImportSalarieFenorel");
    case Classeur::Rapport1:
        return QStringLiteral("CmdImportSalarieTalmer");
    case Classeur::Generique:
        break;
    }
    return QStringLiteral("ImportSalarie");
}

QString NomFeuille(Classeur classeur) {
    switch (classeur) {
    case Classeur::Liste:
        return QStringLiteral("liste");
    case Classeur::Rapport1:
        return QStringLiteral("Rapport 1");
    case Classeur::Generique:
        break;
    }
    return QStringLiteral("Feuil1");
}

Parametres ParametresCourants() {
    Parametres p;
    p.connexion = Connexion::parametresPrincipale();
    p.noProfilIllimite = Global().NoProfilIllimite;
    return p;
}

QString DemanderFichier(qint64 proprietaire) {
    mCommonDialog::ParametresOuverture p;
    p.FileMustExist = true;
    p.MultiSelect = false;
    p.ReadOnly = false;
    p.HideReadOnly = true;
    p.Filter = QStringLiteral("Excel Files (*.xls)|*.xls");
    p.FilterIndex = 1;
    p.DefaultExt = QStringLiteral("xls");
    p.Owner = proprietaire;
    p.Flags = 0;
    if (!mCommonDialog::VBGetOpenFileName(p))
        return QString();
    if (const QString refus = Connexion::refusFichierDeBase(p.FileName); !refus.isEmpty()) {
        MsgBox(refus, StyleMessage::Critique);
        return QString();
    }
    return p.FileName;
}

Resultat importer(Classeur classeur, const QString& chemin, const Parametres& parametres,
                  const Progression& progression) {
    Execution e(classeur, parametres, progression);
    return e.executer(chemin);
}

} // namespace ImportSalaries
