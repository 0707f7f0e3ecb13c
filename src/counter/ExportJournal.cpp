#include "counter/ExportJournal.h"

#include "common/ChampCSV.h"
#include "common/EchecEcriture.h"
#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/MajBase.h"
#include "common/PageDeCode.h"
#include "db/Connexion.h"
#include "db/Valeurs.h"

#include <QSaveFile>
#include <QSqlError>
#include <cmath>

namespace ExportJournal {

namespace {

using Valeurs::TypeColonne;

// The field names as the tables spell them: PostgreSQL gives them in lower case.
const char* const ChampsJournal[] = {
    "NumVente", "LaDate",     "Utilisateur",    "Nom",        "Prenom",  "Reference", "Designation",
    "Quantite", "NomFamille", "RefFournisseur", "NomService", "NomSite", "NoMachine", "Total"};
const char* const ChampsRetour[] = {
    "Noligne",     "ReferenceArticle", "RefFournisseur", "Designation", "CodBar",  "NomFamille",
    "Utilisateur", "NomUser",          "PrenomUser",     "NomService",  "NomSite", "Profile",
    "Image",       "LaDateRetrait",    "LaDateRetour",   "NoMachine",   "Ticket"};

// The text is encoded in pieces of about this many characters.
constexpr qsizetype TailleMorceau = 1 << 15;

void ajouterDate(QString& ligne, const QDate& jour, const QTime& heure) {
    ligne += jour.toString(QStringLiteral("dd/MM/yyyy"));
    if (heure != QTime(0, 0))
        ligne += heure.toString(QStringLiteral(" HH:mm:ss"));
}

void ajouterValeur(QString& ligne, const QVariant& v, TypeColonne type, const QString& separateur) {
    if (v.isNull())
        return;
    switch (type) {
    case TypeColonne::DateHeure: {
        // SQLite gives the stored text, PostgreSQL a QDateTime: both give the same wall-clock time.
        if (v.metaType().id() == QMetaType::QString) {
            QDate jour;
            QTime heure;
            if (Valeurs::lireTexteDate(v.toString(), &jour, &heure))
                ajouterDate(ligne, jour, heure);
            return;
        }
        const QDateTime d = Valeurs::lireDate(v);
        if (d.isValid())
            ajouterDate(ligne, d.date(), d.time());
        return;
    }
    case TypeColonne::Monnaie:
    case TypeColonne::Reel: {
        const double x = std::round(Valeurs::lireMonnaie(v) * 10000.0) / 10000.0;
        QString t = QString::number(x == 0.0 ? 0.0 : x, 'f', 4);
        while (t.endsWith(u'0'))
            t.chop(1);
        if (t.endsWith(u'.'))
            t.chop(1);
        else
            t.replace(u'.', separateur);
        ligne += t;
        return;
    }
    case TypeColonne::Entier:
        ligne += QString::number(Valeurs::lireEntier(v));
        return;
    case TypeColonne::Booleen:
        ligne += Valeurs::lireBool(v) ? u'1' : u'0';
        return;
    default:
        ChampCSV::ajouter(ligne, Valeurs::lireTexte(v));
        return;
    }
}

void ecrireOctets(QSaveFile& sortie, QString& texte) {
    const QByteArray octets = PageDeCode::versOctets(texte);
    if (sortie.write(octets) != octets.size())
        throw ErreurExecution(ErreurExecution::PathFileAccess,
                              QStringLiteral("Erreur d'accès au chemin/fichier : ") +
                                  EchecEcriture::message(sortie));
    texte.clear();
}

// The header, then every row of the query as it comes.
template <size_t N>
void ecrire(Connexion& connexion, const QString& fichier, QSqlQuery& requete, const char* const (&champs)[N],
            const QString& champEnPlus) {
    QSaveFile sortie(fichier);
    // A folder or a missing folder in the way is refused before any byte is written.
    if (!sortie.open(QIODevice::WriteOnly))
        throw ErreurExecution(ErreurExecution::PathFileAccess,
                              QStringLiteral("Erreur d'accès au chemin/fichier : ") +
                                  EchecEcriture::message(sortie));
    const QList<TypeColonne> types = connexion.typesColonnes(requete);
    const qsizetype n = types.size();
    const QString separateur = Global().SeparateurDecimal;

    QString texte;
    texte.reserve(TailleMorceau + 4096);
    for (size_t i = 0; i < N; ++i) {
        if (i > 0)
            texte += u';';
        texte += QLatin1String(champs[i]);
    }
    if (!champEnPlus.isEmpty())
        texte += u';' + champEnPlus;
    texte += QLatin1String("\r\n");
    while (requete.next()) {
        for (qsizetype i = 0; i < n; ++i) {
            if (i > 0)
                texte += u';';
            ajouterValeur(texte, requete.value(static_cast<int>(i)), types[i], separateur);
        }
        texte += QLatin1String("\r\n");
        if (texte.size() >= TailleMorceau)
            ecrireOctets(sortie, texte);
    }
    if (requete.lastError().isValid())
        throw ErreurExecution(ErreurExecution::ErreurBase, Connexion::texteErreur(requete),
                              QStringLiteral("Connexion"));
    ecrireOctets(sortie, texte);
    if (!sortie.commit())
        throw ErreurExecution(ErreurExecution::PathFileAccess,
                              QStringLiteral("Erreur d'accès au chemin/fichier : ") +
                                  EchecEcriture::message(sortie));
}

} // namespace

void ConsoAutreMethode(Connexion& connexion, const QString& fichier, const QDate& debut, const QDate& fin) {
    try {
        const EtatGlobal& g = Global();
        const bool noAffaire = g.VersionBase >= 16;
        QString sql = QStringLiteral(
            "SELECT Ventes.NumVente, Ventes.LaDate, Ventes.Utilisateur, Ventes.Nom, Ventes.Prenom, "
            "DetailVente.Reference, DetailVente.Designation, DetailVente.Quantite, DetailVente.NomFamille, "
            "DetailVente.RefFournisseur, DetailVente.NomService, DetailVente.NomSite, DetailVente.NoMachine, "
            "Ventes.Total");
        if (noAffaire)
            sql += QStringLiteral(", Ventes.NoAffaire");
        sql +=
            QStringLiteral(" FROM Ventes INNER JOIN DetailVente ON Ventes.NumVente = DetailVente.NumVente");
        if (g.OptionVersionGSM)
            sql += QStringLiteral(" AND Ventes.NoMachine = DetailVente.NoMachine");
        const QString date = connexion.parametreDate();
        sql += QStringLiteral(" WHERE Ventes.LaDate >= ") + date + QStringLiteral(" AND Ventes.LaDate < ") +
               date + QStringLiteral(" ORDER BY Ventes.LaDate, Ventes.NumVente, DetailVente.Id");
        QSqlQuery requete = connexion.executer(sql, {Valeurs::valeurDate(Valeurs::debutPeriode(debut)),
                                                     Valeurs::valeurDate(Valeurs::finPeriode(fin))});
        ecrire(connexion, fichier, requete, ChampsJournal,
               noAffaire ? QStringLiteral("NoAffaire") : QString());
    } catch (const ErreurExecution& e) {
        MajBase::SignalerErreur(QStringLiteral("ConsoAutreMethode"), e);
        throw;
    }
}

void ExporterRetoursCSV(Connexion& connexion, const QString& fichier) {
    QString sql = QStringLiteral("SELECT ");
    for (size_t i = 0; i < std::size(ChampsRetour); ++i)
        sql += (i > 0 ? QStringLiteral(", ") : QString()) + QLatin1String(ChampsRetour[i]);
    // A return without a withdrawal date comes last on both backends, as on the original server.
    sql += QStringLiteral(" FROM Retour ORDER BY LaDateRetrait DESC NULLS LAST, Noligne");
    QSqlQuery requete = connexion.executer(sql);
    ecrire(connexion, fichier, requete, ChampsRetour, QString());
}

} // namespace ExportJournal
