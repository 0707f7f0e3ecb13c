#include "staff/PlagesHoraires.h"

#include "common/MajBase.h"
#include "db/Connexion.h"
#include "db/Valeurs.h"

#include <QLocale>
#include <QSqlQuery>
#include <QStringList>

namespace PlagesHoraires {

QString TexteHeure(const QTime& heure) {
    return QStringLiteral("%1:%2:00").arg(heure.hour()).arg(heure.minute());
}

QTime LireHeure(const QString& texte) {
    const QStringList parties = texte.trimmed().split(u':');
    if (parties.size() < 2 || parties.size() > 3)
        return QTime();
    bool okH = false, okM = false, okS = true;
    const int h = parties[0].toInt(&okH);
    const int m = parties[1].toInt(&okM);
    if (parties.size() == 3)
        parties[2].toInt(&okS);
    if (!okH || !okM || !okS || h < 0 || h > 23 || m < 0 || m > 59)
        return QTime();
    return QTime(h, m);
}

QString NomJour(int noJour) {
    // Qt counts Monday as 1 and Sunday as 7.
    return QLocale().dayName(noJour == 1 ? 7 : noJour - 1, QLocale::LongFormat);
}

namespace {

QTime heureLue(const QVariant& valeur, qint64 noQuota, int jour) {
    if (valeur.isNull())
        return QTime(0, 0);
    const QString texte = Valeurs::lireTexte(valeur);
    const QTime h = LireHeure(texte);
    if (h.isValid())
        return h;
    MajBase::EnregistrerErreur(
        QStringLiteral("AfficherPlageHoraire"),
        QStringLiteral("Heure illisible \"%1\" (profil %2, jour %3)").arg(texte).arg(noQuota).arg(jour));
    return QTime(0, 0);
}

} // namespace

Semaine LirePlages(Connexion& connexion, qint64 noQuota) {
    Semaine s;
    QSqlQuery q = connexion.executer(
        QStringLiteral("SELECT NoJour, NomJour, HeureDebut, Heurefin FROM PlageHoraire WHERE NoQuota = ?"),
        {noQuota});
    while (q.next()) {
        const qint64 jour = Valeurs::lireEntier(q.value(0));
        if (jour < 1 || jour > 7)
            continue;
        PlageJour& p = s[static_cast<size_t>(jour)];
        p.enregistree = true;
        p.nomJour = Valeurs::lireTexte(q.value(1));
        p.debut = heureLue(q.value(2), noQuota, static_cast<int>(jour));
        p.fin = heureLue(q.value(3), noQuota, static_cast<int>(jour));
    }
    return s;
}

void EnregistrerPlages(Connexion& connexion, qint64 noQuota, const Semaine& semaine) {
    TransactionEcriture t(connexion);
    // Held until the commit: two workstations saving a new profile's week never both insert its rows.
    connexion.verrouillerTable(QStringLiteral("PlageHoraire"));
    InstructionPreparee maj(
        connexion,
        QStringLiteral(
            "UPDATE PlageHoraire SET HeureDebut = ?, Heurefin = ? WHERE NoQuota = ? AND NoJour = ?"));
    InstructionPreparee ajout(connexion, QStringLiteral("INSERT INTO PlageHoraire (NoQuota, NoJour, NomJour, "
                                                        "HeureDebut, Heurefin) VALUES (?, ?, ?, ?, ?)"));
    for (int jour = 1; jour <= 7; ++jour) {
        const PlageJour& p = semaine[static_cast<size_t>(jour)];
        const QString debut = TexteHeure(p.debut);
        const QString fin = TexteHeure(p.fin);
        if (maj.executer({debut, fin, noQuota, jour}).numRowsAffected() == 0)
            ajout.executer({noQuota, jour, NomJour(jour), debut, fin});
    }
    t.valider();
}

} // namespace PlagesHoraires
