#include "counter/JournalVentes.h"

#include "common/FnWendrox.h"
#include "db/Connexion.h"
#include "db/Recordset.h"
#include "db/Valeurs.h"

#include <QRegularExpression>

namespace JournalVentes {

namespace {

// Journal and returns name their fields differently.
QString champMode(Mode mode, bool retours) {
    switch (mode) {
    case ParDate:
        return retours ? QStringLiteral("LaDateRetrait") : QStringLiteral("LaDate");
    case ParSalarie:
        return QStringLiteral("Utilisateur");
    case ParNom:
        break;
    }
    return retours ? QStringLiteral("NomUser") : QStringLiteral("Nom");
}

} // namespace

void OuvrirJournal(Connexion& connexion, Recordset& journal) {
    // Read in the order the date mode shows (the newest number first among withdrawals of the same
    // time), which SQL makes: the date mode's sort then has nothing left to do.
    journal.Open(
        connexion,
        QStringLiteral("SELECT * FROM Ventes ORDER BY LaDate DESC NULLS LAST, NumVente DESC NULLS LAST"), {},
        QStringLiteral("Ventes"));
}

void OuvrirRetours(Connexion& connexion, Recordset& retours) {
    retours.Open(connexion, QStringLiteral("select * from Retour Order by LaDateRetrait Desc"));
}

void TrierSelonMode(Recordset& liste, Mode mode, bool retours) {
    liste.Sort(champMode(mode, retours),
               mode == ParDate ? Recordset::Ordre::Decroissant : Recordset::Ordre::Croissant);
}

QDateTime LireDateRecherche(const QString& texte) {
    static const QRegularExpression forme(QStringLiteral(
        "^\\s*(\\d{1,2})/(\\d{1,2})/(\\d{2}|\\d{4})(?:\\s+(\\d{1,2}):(\\d{1,2})(?::(\\d{1,2}))?)?\\s*$"));
    const QRegularExpressionMatch m = forme.match(texte);
    if (!m.hasMatch())
        return {};
    int annee = m.captured(3).toInt();
    // Qt's own two-digit years all fall in the 1900s; the workstations read them around 1930.
    if (m.capturedLength(3) == 2)
        annee += annee < 30 ? 2000 : 1900;
    const QDate jour(annee, m.captured(2).toInt(), m.captured(1).toInt());
    const QTime heure(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt());
    if (!jour.isValid() || !heure.isValid())
        return {};
    return QDateTime(jour, heure);
}

bool Chercher(Recordset& journal, Mode mode, const QString& texte) {
    if (!journal.IsOpen() || journal.RecordCount() <= 0)
        return false;
    if (mode == ParDate) {
        if (texte.size() >= 8) {
            const QDateTime date = LireDateRecherche(texte);
            if (!date.isValid())
                return false;
            const QString champ = champMode(mode, false);
            if (Valeurs::egalSansCasse(journal.SortField(), champ) &&
                journal.SortOrder() == Recordset::Ordre::Decroissant) {
                // Newest first: the newest withdrawal of that day, or the newest before it. A text with
                // an hour stops at that moment; a bare day takes the whole day.
                if (texte.contains(u':'))
                    journal.Find(champ, Recordset::Comparaison::InferieurOuEgal, date,
                                 Recordset::Depart::Premier);
                else
                    journal.Find(champ, Recordset::Comparaison::Inferieur, date.addDays(1),
                                 Recordset::Depart::Premier);
            } else {
                journal.Find(champ, Recordset::Comparaison::SuperieurOuEgal, date,
                             Recordset::Depart::Premier);
            }
        }
    } else {
        // Comme takes every character literally but the wildcards, so a quote is only a quote.
        journal.Find(champMode(mode, false), Recordset::Comparaison::Comme, texte + u'*');
    }
    if (journal.IsBOF() || journal.IsEOF())
        journal.MoveFirst();
    return true;
}

bool AfficherDetailVente(Connexion& connexion, Recordset& lignes, const Recordset& journal, bool versionGSM) {
    if (!journal.IsOpen() || journal.RecordCount() <= 0 || journal.IsBOF() || journal.IsEOF())
        return false;
    const QVariant numero = journal.Field(QStringLiteral("NumVente"));
    if (numero.isNull())
        return false;
    const qint64 numVente = Valeurs::lireEntier(numero);
    if (numVente == 0)
        return false;
    QString sql = QStringLiteral(
        "SELECT DISTINCT DetailVente.NumVente, DetailVente.Reference, DetailVente.Designation, "
        "DetailVente.PrixAchatUnit, DetailVente.Quantite, DetailVente.NoMachine FROM DetailVente "
        "INNER JOIN Ventes ON DetailVente.NumVente = Ventes.NumVente WHERE DetailVente.NumVente = ?");
    QVariantList valeurs{numVente};
    if (versionGSM) {
        sql += QStringLiteral(" AND DetailVente.NoMachine = ?");
        valeurs << Valeurs::lireEntier(journal.Field(QStringLiteral("NoMachine")));
    }
    // The same order on both backends.
    sql += QStringLiteral(" ORDER BY DetailVente.Reference, DetailVente.Designation");
    lignes.Open(connexion, sql, valeurs);
    return true;
}

void SupprimerVente(Recordset& journal) {
    if (!journal.IsOpen() || journal.AbsolutePosition() < 0)
        return;
    journal.Delete();
    if (journal.IsEOF() && journal.RecordCount() > 0)
        journal.MoveLast();
}

QStringList AdressesEmail(const QString& cheminIni) {
    QStringList adresses;
    for (int i = 0; i <= 50; ++i) {
        const QString a = FnWendrox::LireIniString(cheminIni, QStringLiteral("Email"),
                                                   QStringLiteral("Mailto%1").arg(i), QString());
        if (!a.isEmpty())
            adresses << a;
    }
    return adresses;
}

} // namespace JournalVentes
