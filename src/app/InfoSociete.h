#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>

class Connexion;
class Recordset;

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
VariantesClient calculerVariantesClient(const QString& nom, const QString& ville,
                                        const QString& boutonImport);

// The company record (table InfoSociete, one row) as the main window holds it: the first row of the
// table, opened through a Recordset, changed field by field, written back by key through it. Null
// fields stay Null until written.
class EnregistrementSociete {
public:
    EnregistrementSociete();
    ~EnregistrementSociete();
    EnregistrementSociete(EnregistrementSociete&&) noexcept;
    EnregistrementSociete& operator=(EnregistrementSociete&&) noexcept;

    // The fields of the row, as the table names them.
    static const QStringList& champs();

    // Opens the table on `connexion`, which must outlive the record's writes. Throws ErreurExecution
    // (database error) when the table cannot be read or holds no row.
    void charger(Connexion& connexion);
    bool estCharge() const { return m_charge; }

    // The field's value (Null when Null in the table or not loaded); names compared without regard to case.
    QVariant champ(const QString& nom) const;
    QString texte(const QString& nom) const;
    // Keeps a change until it is written.
    void definirChamp(const QString& nom, const QVariant& valeur);

    // Writes the given fields of the row back (every changed field when the list is empty) on the
    // connection it was loaded from. Throws ErreurExecution on failure; the fields stay as set, so the
    // user's input is kept.
    void enregistrer(Connexion& connexion, const QStringList& champsAEcrire = {});

    // The recordset of the row (null until loaded), for the routines that rewrite it.
    Recordset* recordset() const { return m_rs.get(); }

private:
    bool m_charge = false;
    Connexion* m_connexion = nullptr;
    std::unique_ptr<Recordset> m_rs;
    QHash<QString, QVariant> m_modifies; // lower-case name -> value not yet written
};
