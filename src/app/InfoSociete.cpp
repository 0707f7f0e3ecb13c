#include "app/InfoSociete.h"

#include "common/ErreurExecution.h"
#include "db/Connexion.h"
#include "db/Recordset.h"

VariantesClient calculerVariantesClient(const QString& nom, const QString& ville,
                                        const QString& boutonImport) {
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
    static const QStringList c{
        QStringLiteral("NOM"),      QStringLiteral("Adresse"), QStringLiteral("CodePostal"),
        QStringLiteral("Ville"),    QStringLiteral("Tel"),     QStringLiteral("Fax"),
        QStringLiteral("MotPasse"), QStringLiteral("AdEmail"), QStringLiteral("VD")};
    return c;
}

EnregistrementSociete::EnregistrementSociete() = default;
EnregistrementSociete::~EnregistrementSociete() = default;
EnregistrementSociete::EnregistrementSociete(EnregistrementSociete&&) noexcept = default;
EnregistrementSociete& EnregistrementSociete::operator=(EnregistrementSociete&&) noexcept = default;

void EnregistrementSociete::charger(Connexion& connexion) {
    m_charge = false;
    m_connexion = nullptr;
    m_rs.reset();
    m_modifies.clear();
    auto rs = std::make_unique<Recordset>();
    rs->Open(connexion, QStringLiteral("InfoSociete order by Id"));
    if (rs->RecordCount() == 0)
        throw ErreurExecution(ErreurExecution::ErreurBase,
                              QStringLiteral("La table InfoSociete ne contient aucun enregistrement."));
    rs->MoveFirst();
    m_rs = std::move(rs);
    m_connexion = &connexion;
    m_charge = true;
}

QVariant EnregistrementSociete::champ(const QString& nom) const {
    const auto it = m_modifies.constFind(nom.toLower());
    if (it != m_modifies.constEnd())
        return *it;
    if (!m_charge || m_rs->FieldIndex(nom) < 0)
        return QVariant();
    const QVariant v = m_rs->Field(nom);
    return v.isNull() ? QVariant() : QVariant(v.toString());
}

QString EnregistrementSociete::texte(const QString& nom) const {
    return champ(nom).toString();
}

void EnregistrementSociete::definirChamp(const QString& nom, const QVariant& valeur) {
    const QVariant ancien = champ(nom);
    if (ancien.isNull() == valeur.isNull() && ancien.toString() == valeur.toString())
        return;
    m_modifies.insert(nom.toLower(), valeur.isNull() ? QVariant() : QVariant(valeur.toString()));
}

void EnregistrementSociete::enregistrer(Connexion& connexion, const QStringList& champsAEcrire) {
    if (!m_charge)
        throw ErreurExecution(ErreurExecution::ErreurBase,
                              QStringLiteral("L'enregistrement InfoSociete n'est pas ouvert."));
    if (&connexion != m_connexion)
        throw ErreurExecution(
            ErreurExecution::ErreurBase,
            QStringLiteral("L'enregistrement InfoSociete est ouvert sur une autre connexion."));
    QStringList noms;
    for (const QString& c : champs()) {
        const bool demande = champsAEcrire.isEmpty() ? m_modifies.contains(c.toLower())
                                                     : champsAEcrire.contains(c, Qt::CaseInsensitive);
        if (demande)
            noms << c;
    }
    if (noms.isEmpty())
        return;
    try {
        for (const QString& c : noms) {
            const QVariant v = champ(c);
            // A Null stays Null; any text, the empty one included, is written as text.
            m_rs->SetField(c, v.isNull() ? QVariant() : QVariant(v.toString()));
        }
        m_rs->Update();
    } catch (...) {
        m_rs->CancelUpdate();
        throw;
    }
    for (const QString& c : noms)
        m_modifies.remove(c.toLower());
}
