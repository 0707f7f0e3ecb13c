#pragma once

#include <QAbstractTableModel>
#include <QPointer>
#include <QStringList>

class Recordset;

// A table model over a Recordset for the grids: one row per visible row, one column per field (or per
// field chosen with setColonnes); a click on a header sorts the recordset by that column.
class RecordsetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit RecordsetModel(Recordset* recordset, QObject* parent = nullptr);

    // The fields shown, in order, with their captions (empty: every field under its own name).
    void setColonnes(const QStringList& champs, const QStringList& entetes = {});
    QString champ(int colonne) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    // Column captions can be replaced (the translation of grid captions goes through here).
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant& valeur,
                       int role = Qt::EditRole) override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    // The text a grid shows for a value: dates dd/MM/yyyy (with the time when it is not midnight),
    // numbers with the state's decimal separator.
    static QString texteAffiche(const QVariant& valeur);

private:
    int colonneRecordset(int colonne) const;
    QPointer<Recordset> m_rs;
    QStringList m_champs;
    QStringList m_entetes;
};
