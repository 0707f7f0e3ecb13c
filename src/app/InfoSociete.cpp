#include "app/InfoSociete.h"

#include "common/ErreurExecution.h"
#include "db/Connexion.h"

#include <QSqlRecord>

VariantesClient calculerVariantesClient(const QString& nom, const QString& ville, const QString& boutonImport) {
    const QString n = nom.toUpper();
    const QString v = ville.toUpper();
    VariantesClient r;
    if (n.contains(QStringLiteral("ORMAX")) && v.contains(QStringLiteral("BRELAZ"))) {
        r.ClientOrmax = true;
        r.ImportSalarieVisible = false;
    } else if (n.contains(QStringLiteral("TALMER"))) {
        r.ClientTalmer = true;
        r.ImportSalarieVisible = true;
    } else if (n.contains(QStringLiteral("FENOREL"))) {
        r.ClientFenorel = true;
        r.ImportSalarieVisible = true;
    } else {
        r.ImportSalarieVisible = boutonImport != QLatin1String("NON");
    }
    r.ListeAlarmeVisible = n.contains(QStringLiteral("KESTAVON"));
    return r;
}

const QStringList& EnregistrementSociete::champs() {
    static const QStringList c{QStringLiteral("NOM"),   QStringLiteral("Adresse"),  QStringLiteral("CodePostal"),
                               QStringLiteral("Ville"), QStringLiteral("Tel"),      QStringLiteral("Fax"),
                               QStringLiteral("MotPasse"), QStringLiteral("AdEmail"), QStringLiteral("VD")};
    return c;
}

void EnregistrementSociete::charger(Connexion& connexion) {
    m_charge = false;
    m_valeurs.clear();
    m_modifies.clear();
    QSqlQuery q = connexion.executer(QStringLiteral("SELECT Id, ") + champs().join(QStringLiteral(", ")) +
                                     QStringLiteral(" FROM InfoSociete ORDER BY Id"));
    if (!q.next())
        throw ErreurExecution(ErreurExecution::ErreurBase,
                              QStringLiteral("La table InfoSociete ne contient aucun enregistrement."));
    m_id = q.value(0);
    for (int i = 0; i < champs().size(); ++i) {
        const QVariant v = q.value(i + 1);
        m_valeurs.insert(champs().at(i).toLower(), v.isNull() ? QVariant() : QVariant(v.toString()));
    }
    m_charge = true;
}

QVariant EnregistrementSociete::champ(const QString& nom) const { return m_valeurs.value(nom.toLower()); }

QString EnregistrementSociete::texte(const QString& nom) const { return champ(nom).toString(); }

void EnregistrementSociete::definirChamp(const QString& nom, const QVariant& valeur) {
    const QString cle = nom.toLower();
    const QVariant ancien = m_valeurs.value(cle);
    if (ancien.isNull() == valeur.isNull() && ancien.toString() == valeur.toString())
        return;
    m_valeurs.insert(cle, valeur.isNull() ? QVariant() : QVariant(valeur.toString()));
    m_modifies.insert(cle, true);
}

void EnregistrementSociete::enregistrer(Connexion& connexion, const QStringList& champsAEcrire) {
    if (!m_charge)
        throw ErreurExecution(ErreurExecution::ErreurBase,
                              QStringLiteral("L'enregistrement InfoSociete n'est pas ouvert."));
    QStringList noms;
    for (const QString& c : champs()) {
        const bool demande = champsAEcrire.isEmpty()
                                 ? m_modifies.value(c.toLower())
                                 : champsAEcrire.contains(c, Qt::CaseInsensitive);
        if (demande)
            noms << c;
    }
    if (noms.isEmpty())
        return;
    QStringList affectations;
    QVariantList valeurs;
    for (const QString& c : noms) {
        affectations << c + QStringLiteral(" = ?");
        const QVariant v = m_valeurs.value(c.toLower());
        if (v.isNull()) {
            valeurs << QVariant(QMetaType::fromType<QString>());
        } else {
            // A null QString would be bound as NULL: an empty field is written as an empty text.
            QString texte = v.toString();
            if (texte.isNull())
                texte = QString::fromUtf8("");
            valeurs << texte;
        }
    }
    valeurs << m_id;
    connexion.executer(QStringLiteral("UPDATE InfoSociete SET ") + affectations.join(QStringLiteral(", ")) +
                           QStringLiteral(" WHERE Id = ?"),
                       valeurs);
    for (const QString& c : noms)
        m_modifies.remove(c.toLower());
}
