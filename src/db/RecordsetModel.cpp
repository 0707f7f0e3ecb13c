#include "db/RecordsetModel.h"

#include "common/EtatGlobal.h"
#include "db/Recordset.h"

#include <QDateTime>

RecordsetModel::RecordsetModel(Recordset* recordset, QObject* parent)
    : QAbstractTableModel(parent), m_rs(recordset) {
    connect(recordset, &Recordset::RowsChanged, this, [this] {
        beginResetModel();
        endResetModel();
    });
    connect(recordset, &Recordset::RowChanged, this, [this](int position) {
        emit dataChanged(index(position, 0), index(position, columnCount() - 1));
    });
}

void RecordsetModel::setColonnes(const QStringList& champs, const QStringList& entetes) {
    beginResetModel();
    m_champs = champs;
    m_entetes = entetes;
    endResetModel();
}

QString RecordsetModel::champ(int colonne) const {
    if (!m_champs.isEmpty())
        return m_champs.value(colonne);
    return m_rs ? m_rs->FieldNames().value(colonne) : QString();
}

int RecordsetModel::colonneRecordset(int colonne) const {
    if (!m_rs)
        return -1;
    return m_champs.isEmpty() ? colonne : m_rs->FieldIndex(m_champs.value(colonne));
}

int RecordsetModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !m_rs ? 0 : m_rs->RecordCount();
}

int RecordsetModel::columnCount(const QModelIndex& parent) const {
    if (parent.isValid() || !m_rs)
        return 0;
    return m_champs.isEmpty() ? m_rs->FieldCount() : static_cast<int>(m_champs.size());
}

QString RecordsetModel::texteAffiche(const QVariant& valeur) {
    if (valeur.isNull() || !valeur.isValid())
        return QString();
    switch (valeur.metaType().id()) {
    case QMetaType::QDateTime: {
        const QDateTime d = valeur.toDateTime();
        return d.time() == QTime(0, 0) ? d.toString(QStringLiteral("dd/MM/yyyy"))
                                       : d.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
    }
    case QMetaType::Double: {
        QString t = QString::number(valeur.toDouble(), 'g', 15);
        return t.replace(u'.', Global().SeparateurDecimal);
    }
    case QMetaType::Bool:
        return valeur.toBool() ? QStringLiteral("Vrai") : QStringLiteral("Faux");
    default:
        return valeur.toString();
    }
}

QVariant RecordsetModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !m_rs)
        return {};
    const int c = colonneRecordset(index.column());
    if (c < 0)
        return {};
    const QVariant v = m_rs->ValueAt(index.row(), c);
    if (role == Qt::DisplayRole)
        return texteAffiche(v);
    if (role == Qt::EditRole)
        return v;
    return {};
}

QVariant RecordsetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    if (section < m_entetes.size() && !m_entetes.at(section).isEmpty())
        return m_entetes.at(section);
    return champ(section);
}

bool RecordsetModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant& valeur,
                                   int role) {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount() ||
        (role != Qt::EditRole && role != Qt::DisplayRole))
        return false;
    while (m_entetes.size() <= section)
        m_entetes.append(QString());
    m_entetes[section] = valeur.toString();
    emit headerDataChanged(orientation, section, section);
    return true;
}

void RecordsetModel::sort(int column, Qt::SortOrder order) {
    const QString nom = champ(column);
    if (!m_rs || nom.isEmpty() || m_rs->FieldIndex(nom) < 0)
        return;
    m_rs->Sort(nom,
               order == Qt::AscendingOrder ? Recordset::Ordre::Croissant : Recordset::Ordre::Decroissant);
}
