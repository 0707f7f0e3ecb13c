#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>

class Connexion;

// Which customer-specific behaviour the company record selects, and the two buttons it shows.
struct VariantesClient {
    bool ClientOrmax = false;
    bool ClientTalmer = false;
    bool ClientFenorel = false;
    bool ImportSalarieVisible = false;
    bool ListeAlarmeVisible = false;
};

// The variants from the company's name and town (case ignored) and the settings' [Machine]
// "ButtonImport" value, which only counts for other customers.
VariantesClient calculerVariantesClient(const QString& nom, const QString& ville, const QString& boutonImport);

// The company record (table InfoSociete, one row) as the main window holds it: read once at load,
// changed field by field, written back by key. Null fields stay Null until written.
class EnregistrementSociete {
public:
    // The fields of the row, as the table names them.
    static const QStringList& champs();

    // Reads the first row. Throws ErreurExecution (database error) when the table cannot be read or
    // holds no row.
    void charger(Connexion& connexion);
    bool estCharge() const { return m_charge; }

    // The field's value (Null when Null in the table or not loaded); names compared without regard to case.
    QVariant champ(const QString& nom) const;
    QString texte(const QString& nom) const;
    void definirChamp(const QString& nom, const QVariant& valeur);

    // Writes the given fields of the row back (every changed field when the list is empty). Throws
    // ErreurExecution on failure; the fields stay as set, so the user's input is kept.
    void enregistrer(Connexion& connexion, const QStringList& champsAEcrire = {});

private:
    bool m_charge = false;
    QVariant m_id;
    QHash<QString, QVariant> m_valeurs; // lower-case name -> value
    QHash<QString, bool> m_modifies;
};
