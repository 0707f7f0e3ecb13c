#include "db/RecordsetModel.h"

#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/MODTranslate.h"
#include "common/Monnaie.h"
#include "common/ServiceDialogue.h"
#include "db/Connexion.h"
#include "db/Recordset.h"
#include "db/Valeurs.h"

#include <QDateTime>
#include <QLocale>
#include <cmath>

using Valeurs::TypeColonne;

namespace {

// A whole number in a pattern of "#" (see setMotif).
QString texteMotif(const QVariant& valeur, const QString& motif) {
    if (valeur.isNull() || !valeur.isValid())
        return QString();
    const qsizetype debut = motif.indexOf(u'#');
    if (debut < 0 || !Valeurs::estNombre(valeur))
        return valeur.toString();
    qsizetype fin = debut;
    while (fin < motif.size() && motif.at(fin) == u'#')
        ++fin;
    const qint64 n = Valeurs::lireEntier(valeur);
    return motif.left(debut) + (n == 0 ? QString() : QString::number(n)) + motif.mid(fin);
}

QString separateur() {
    const QString s = Global().SeparateurDecimal;
    return s.isEmpty() ? QStringLiteral(",") : s;
}

// A decimal without exponent: fixed decimals, or as many as the value needs.
QString texteDecimal(double v, int decimales) {
    if (!std::isfinite(v))
        return QString();
    QString t = QString::number(v, 'f', decimales >= 0 ? decimales : 10);
    if (decimales < 0 && t.contains(u'.')) {
        while (t.endsWith(u'0'))
            t.chop(1);
        if (t.endsWith(u'.'))
            t.chop(1);
    }
    if (t == QLatin1String("-0"))
        t = QStringLiteral("0");
    return t.replace(u'.', separateur());
}

bool estNumerique(RecordsetModel::Format f) {
    return f == RecordsetModel::Format::Entier || f == RecordsetModel::Format::Decimal ||
           f == RecordsetModel::Format::Monnaie;
}

} // namespace

RecordsetModel::RecordsetModel(Recordset* recordset, QObject* parent)
    : QAbstractTableModel(parent), m_rs(recordset) {
    connecter();
}

void RecordsetModel::connecter() {
    Recordset* rs = m_rs.data();
    if (!rs)
        return;
    connect(rs, &Recordset::RowsAboutToChange, this, [this] {
        if (!m_remiseEnCours) {
            m_remiseEnCours = true;
            beginResetModel();
        }
    });
    connect(rs, &Recordset::RowsChanged, this, [this] {
        if (m_remiseEnCours) {
            m_remiseEnCours = false;
            endResetModel();
        }
    });
    connect(rs, &Recordset::OrderAboutToChange, this, [this] {
        emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
        // Indexes a view holds (selection, current cell) follow their rows through the new order.
        m_persistants.clear();
        m_signetsPersistants.clear();
        for (const QModelIndex& i : persistentIndexList()) {
            m_persistants.append(QPersistentModelIndex(i));
            m_signetsPersistants.append(m_rs->BookmarkAt(i.row()));
        }
    });
    connect(rs, &Recordset::OrderChanged, this, [this] {
        if (!m_persistants.isEmpty()) {
            // A view holds a few such indexes (current cell, selection): each looked up by its bookmark.
            QModelIndexList avant, apres;
            for (int i = 0; i < m_persistants.size(); ++i) {
                const QModelIndex ancien = m_persistants.at(i);
                // The new-row line has no bookmark: it stays the last line.
                if (!ancien.isValid() || !m_signetsPersistants.at(i).isValid())
                    continue;
                avant.append(ancien);
                const int p = m_rs->PositionOf(m_signetsPersistants.at(i));
                apres.append(p < 0 ? QModelIndex() : index(p, ancien.column()));
            }
            changePersistentIndexList(avant, apres);
        }
        m_persistants.clear();
        m_signetsPersistants.clear();
        emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    });
    connect(rs, &Recordset::RowAboutToBeInserted, this,
            [this](int position) { beginInsertRows(QModelIndex(), position, position); });
    connect(rs, &Recordset::RowInserted, this, [this](int) { endInsertRows(); });
    connect(rs, &Recordset::RowAboutToBeRemoved, this,
            [this](int position) { beginRemoveRows(QModelIndex(), position, position); });
    connect(rs, &Recordset::RowRemoved, this, [this](int) { endRemoveRows(); });
    connect(rs, &Recordset::RowChanged, this, [this](int position) {
        if (columnCount() > 0 && position >= 0 && position < rowCount())
            emit dataChanged(index(position, 0), index(position, columnCount() - 1));
    });
    // A new row started, written or given up: the new-row line shows the edit buffer, or nothing.
    connect(rs, &Recordset::MoveComplete, this, &RecordsetModel::ligneNouvelleChangee);
    // The members of a recordset being destroyed are gone before the QObject says so: forget it first.
    connect(rs, &QObject::destroyed, this, [this] {
        beginResetModel();
        m_rs = nullptr;
        m_remiseEnCours = false;
        endResetModel();
    });
}

void RecordsetModel::setColonnes(const QStringList& champs, const QStringList& entetes) {
    beginResetModel();
    m_champs = champs;
    m_entetes = entetes;
    m_surcharges.clear();
    m_traductions.clear();
    endResetModel();
}

QString RecordsetModel::champ(int colonne) const {
    if (!m_champs.isEmpty())
        return m_champs.value(colonne);
    return m_rs ? m_rs->FieldNames().value(colonne) : QString();
}

void RecordsetModel::setFormat(int colonne, Format format, int decimales) {
    m_formats.insert(colonne, {format, decimales, QString()});
    if (colonne >= 0 && colonne < columnCount() && rowCount() > 0)
        emit dataChanged(index(0, colonne), index(rowCount() - 1, colonne));
}

void RecordsetModel::setMotif(int colonne, const QString& motif) {
    m_formats.insert(colonne, {Format::Entier, -1, motif});
    if (colonne >= 0 && colonne < columnCount() && rowCount() > 0)
        emit dataChanged(index(0, colonne), index(rowCount() - 1, colonne));
}

RecordsetModel::Format RecordsetModel::format(int colonne) const {
    return formatApplique(colonne, QVariant());
}

RecordsetModel::Format RecordsetModel::formatApplique(int colonne, const QVariant& valeur) const {
    const Format f = m_formats.value(colonne).format;
    if (f != Format::Auto)
        return f;
    const int c = colonneRecordset(colonne);
    switch (c >= 0 ? m_rs->FieldType(c) : TypeColonne::Inconnu) {
    case TypeColonne::Entier:
        return Format::Entier;
    case TypeColonne::Reel:
        return Format::Decimal;
    case TypeColonne::Monnaie:
        return Format::Monnaie;
    case TypeColonne::Texte:
        return Format::Texte;
    default:
        // Expressions without a declared type: the value tells.
        if (valeur.metaType().id() == QMetaType::Double)
            return Format::Decimal;
        if (Valeurs::estNombre(valeur))
            return Format::Entier;
        return Format::Auto;
    }
}

void RecordsetModel::setGrille(const QString& forme, const QString& grille) {
    m_forme = forme;
    m_grille = grille;
    m_traductions.clear();
    if (columnCount() > 0)
        emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

void RecordsetModel::setModifiable(bool modifiable) {
    if (!m_editionParLigne || modifiable == m_modifiable) {
        m_modifiable = modifiable;
        return;
    }
    // The new-row line comes or goes with it.
    beginResetModel();
    m_modifiable = modifiable;
    endResetModel();
}

void RecordsetModel::setEditionParLigne(bool parLigne) {
    if (parLigne == m_editionParLigne)
        return;
    beginResetModel();
    m_editionParLigne = parLigne;
    endResetModel();
}

int RecordsetModel::ligneNouvelle() const {
    if (!m_editionParLigne || !m_modifiable || !m_rs || !m_rs->Modifiable())
        return -1;
    return m_rs->RecordCount();
}

void RecordsetModel::ligneNouvelleChangee() {
    const int ligne = ligneNouvelle();
    if (ligne >= 0 && columnCount() > 0)
        emit dataChanged(index(ligne, 0), index(ligne, columnCount() - 1));
}

void RecordsetModel::setControle(Controle controle) {
    m_controle = std::move(controle);
}

void RecordsetModel::setRefus(Refus refus) {
    m_refus = std::move(refus);
}

void RecordsetModel::refuser(const ErreurExecution& e) {
    if (m_refus)
        m_refus(e);
    else
        MsgBox(e.description(), StyleMessage::OK | StyleMessage::Exclamation);
}

void RecordsetModel::ecrire() {
    if (!m_controle) {
        m_rs->Update();
        return;
    }
    // The check sees what the other workstations have written, and nobody writes between it and the row.
    Connexion* connexion = m_rs->ActiveConnection();
    if (!connexion)
        throw ErreurExecution(ErreurExecution::ErreurBase, QStringLiteral("Update : recordset fermé"),
                              QStringLiteral("Recordset"));
    TransactionEcriture t(*connexion);
    m_controle(*connexion, *m_rs);
    m_rs->Update();
    t.valider();
}

void RecordsetModel::ecrireLigne() {
    if (m_rs && m_rs->EditMode())
        ecrire();
}

bool RecordsetModel::allerALigne(int ligne) {
    if (!m_rs || !m_rs->IsOpen() || ligne < 0 || ligne >= rowCount())
        return false;
    const bool nouvelle = ligne == ligneNouvelle();
    if (m_rs->EditMode()) {
        // Still on the row in edition: nothing is left.
        if (m_rs->EditAdd() ? nouvelle : ligne == m_rs->AbsolutePosition())
            return true;
        try {
            ecrire();
        } catch (const ErreurExecution& e) {
            refuser(e);
            return false;
        }
    }
    // A written new row came before the new-row line: the line is one further now.
    if (nouvelle ? !m_rs->IsEOF() : m_rs->AbsolutePosition() != ligne)
        m_rs->MoveTo(nouvelle ? m_rs->RecordCount() : ligne);
    return true;
}

void RecordsetModel::setColonneVerrouillee(int colonne, bool verrouillee) {
    m_verrouillees.removeAll(colonne);
    if (verrouillee)
        m_verrouillees.append(colonne);
}

int RecordsetModel::colonneRecordset(int colonne) const {
    if (!m_rs || colonne < 0)
        return -1;
    if (m_champs.isEmpty())
        return colonne < m_rs->FieldCount() ? colonne : -1;
    return m_rs->FieldIndex(m_champs.value(colonne));
}

int RecordsetModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !m_rs)
        return 0;
    return m_rs->RecordCount() + (ligneNouvelle() >= 0 ? 1 : 0);
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
    case QMetaType::Double:
    case QMetaType::Float:
        return texteDecimal(valeur.toDouble(), -1);
    case QMetaType::Bool:
        return valeur.toBool() ? QStringLiteral("Vrai") : QStringLiteral("Faux");
    default:
        return valeur.toString();
    }
}

QString RecordsetModel::texteFormate(const QVariant& valeur, Format format, int decimales) {
    if (valeur.isNull() || !valeur.isValid())
        return QString();
    switch (format) {
    case Format::Texte:
        return valeur.toString();
    case Format::Entier:
        if (Valeurs::estNombre(valeur))
            return QString::number(Valeurs::lireEntier(valeur));
        return valeur.toString();
    case Format::Decimal:
        return texteDecimal(valeur.toDouble(), decimales);
    case Format::Monnaie:
        return Monnaie::texteMonnaie(valeur);
    case Format::Date:
        return Valeurs::lireDate(valeur).toString(QStringLiteral("dd/MM/yyyy"));
    case Format::DateHeure:
        return Valeurs::lireDate(valeur).toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
    case Format::Auto:
        break;
    }
    return texteAffiche(valeur);
}

QString RecordsetModel::texteEdition(const QVariant& valeur, Format format) const {
    if (valeur.isNull() || !valeur.isValid())
        return QString();
    // What the user types back: no group separator, no currency sign.
    if (format == Format::Monnaie || format == Format::Decimal)
        return texteDecimal(valeur.toDouble(), -1);
    return texteFormate(valeur, format);
}

QVariant RecordsetModel::data(const QModelIndex& index, int role) const {
    // A view asks every cell for several roles it has nothing for (font, colours, decoration): answered
    // before the value is read.
    if (!index.isValid() || !m_rs ||
        (role != Qt::DisplayRole && role != Qt::EditRole && role != Qt::TextAlignmentRole &&
         role != RoleValeur))
        return {};
    const int c = colonneRecordset(index.column());
    if (c < 0)
        return {};
    // The new-row line shows what is typed into it (the buffer of AddNew), else nothing.
    const QVariant v = m_editionParLigne && m_rs->EditAdd() && index.row() == m_rs->RecordCount()
                           ? m_rs->Field(c)
                           : m_rs->ValueAt(index.row(), c);
    switch (role) {
    case Qt::DisplayRole: {
        const FormatColonne f = m_formats.value(index.column());
        if (!f.motif.isEmpty())
            return texteMotif(v, f.motif);
        return texteFormate(v, formatApplique(index.column(), v), f.decimales);
    }
    case Qt::EditRole: {
        const Format f = formatApplique(index.column(), v);
        if (f == Format::Auto && v.metaType().id() == QMetaType::Bool)
            return v;
        return texteEdition(v, f);
    }
    case Qt::TextAlignmentRole:
        return static_cast<int>(
            (estNumerique(formatApplique(index.column(), v)) ? Qt::AlignRight : Qt::AlignLeft) |
            Qt::AlignVCenter);
    case RoleValeur:
        return v;
    default:
        return {};
    }
}

QString RecordsetModel::enteteDeBase(int section) const {
    if (section < m_entetes.size() && !m_entetes.at(section).isEmpty())
        return m_entetes.at(section);
    return champ(section);
}

QVariant RecordsetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section == ligneNouvelle() ? QVariant(QStringLiteral("*")) : QVariant(section + 1);
    if (section < 0 || section >= columnCount())
        return {};
    if (const auto it = m_surcharges.constFind(section); it != m_surcharges.constEnd())
        return *it;
    const QString base = enteteDeBase(section);
    const EtatGlobal& g = Global();
    if (m_forme.isEmpty() || g.LangueCourante == QLatin1String("FR"))
        return base;
    if (m_langueTraductions != g.LangueCourante || m_fichierTraductions != g.FichierLangue) {
        m_traductions.clear();
        m_langueTraductions = g.LangueCourante;
        m_fichierTraductions = g.FichierLangue;
    }
    if (const auto it = m_traductions.constFind(section); it != m_traductions.constEnd())
        return *it;
    const QString cle = MODTranslate::CleTexteGrille(m_forme, m_grille, section);
    const QString texte = cle.isEmpty() ? base : MODTranslate::LireTexteGrid(cle, base, g.FichierLangue);
    m_traductions.insert(section, texte);
    return texte;
}

bool RecordsetModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant& valeur,
                                   int role) {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount() ||
        (role != Qt::EditRole && role != Qt::DisplayRole))
        return false;
    m_surcharges.insert(section, valeur.toString());
    emit headerDataChanged(orientation, section, section);
    return true;
}

Qt::ItemFlags RecordsetModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (!index.isValid())
        return f;
    f |= Qt::ItemNeverHasChildren;
    if (m_modifiable && m_rs && !m_verrouillees.contains(index.column()) &&
        colonneRecordset(index.column()) >= 0 && m_rs->Modifiable())
        f |= Qt::ItemIsEditable;
    return f;
}

bool RecordsetModel::lireSaisie(const QVariant& saisie, int colonne, QVariant* valeur) const {
    const int c = colonneRecordset(colonne);
    const TypeColonne type = m_rs->FieldType(c);
    Format f = m_formats.value(colonne).format;
    if (f == Format::Auto)
        f = formatApplique(colonne, m_rs->ValueAt(0, c));
    if (saisie.metaType().id() != QMetaType::QString) {
        *valeur = saisie;
        return true;
    }
    QString t = saisie.toString().trimmed();
    const bool numerique = estNumerique(f) || type == TypeColonne::Entier || type == TypeColonne::Reel ||
                           type == TypeColonne::Monnaie;
    const bool date = f == Format::Date || f == Format::DateHeure || type == TypeColonne::DateHeure;
    if (t.isEmpty() && (numerique || date)) {
        *valeur = QVariant();
        return true;
    }
    if (numerique) {
        // Typed with the state's separator (either separator accepted), maybe with groups and "€".
        t.remove(QChar(0x20AC)).remove(QChar(0x00A0)).remove(u' ');
        const QString sep = separateur();
        if (sep != QLatin1String("."))
            t.replace(sep, QStringLiteral("."));
        t.replace(u',', u'.');
        bool ok = false;
        if (type == TypeColonne::Entier ||
            (f == Format::Entier && type != TypeColonne::Reel && type != TypeColonne::Monnaie)) {
            const qlonglong n = QLocale::c().toLongLong(t, &ok);
            *valeur = n;
        } else {
            const double d = QLocale::c().toDouble(t, &ok);
            *valeur = d;
        }
        return ok;
    }
    if (date) {
        for (const QString& forme : {QStringLiteral("dd/MM/yyyy HH:mm:ss"),
                                     QStringLiteral("dd/MM/yyyy HH:mm"), QStringLiteral("dd/MM/yyyy")}) {
            const QDateTime d = QDateTime::fromString(t, forme);
            if (d.isValid()) {
                *valeur = d;
                return true;
            }
        }
        return false;
    }
    // A row typed as a whole takes its texts without the blanks around them: the original server's keys
    // ignored trailing blanks, ours would not.
    *valeur = m_editionParLigne ? t : saisie.toString();
    return true;
}

bool RecordsetModel::setData(const QModelIndex& index, const QVariant& saisie, int role) {
    if (!index.isValid() || role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable) ||
        index.row() >= rowCount())
        return false;
    const QString nom = m_rs->FieldNames().value(colonneRecordset(index.column()));
    QVariant valeur;
    if (!lireSaisie(saisie, index.column(), &valeur)) {
        MsgBox(QStringLiteral("Valeur incorrecte pour %1 : %2")
                   .arg(enteteDeBase(index.column()), saisie.toString()),
               StyleMessage::OK | StyleMessage::Exclamation);
        return false;
    }
    if (m_editionParLigne) {
        // Held until the row is left; a row held elsewhere is written first.
        const bool nouvelle = index.row() == ligneNouvelle();
        if (!allerALigne(index.row()))
            return false;
        try {
            if (nouvelle && !m_rs->EditAdd())
                m_rs->AddNew();
            m_rs->SetField(nom, valeur);
        } catch (const ErreurExecution& e) {
            refuser(e);
            return false;
        }
        if (nouvelle)
            ligneNouvelleChangee();
        return true;
    }
    try {
        if (m_rs->AbsolutePosition() != index.row())
            m_rs->MoveTo(index.row());
        m_rs->SetField(nom, valeur);
        ecrire();
    } catch (const ErreurExecution& e) {
        // The row keeps what the database holds.
        m_rs->CancelUpdate();
        refuser(e);
        return false;
    }
    return true;
}

void RecordsetModel::sort(int column, Qt::SortOrder order) {
    const QString nom = champ(column);
    if (!m_rs || nom.isEmpty() || m_rs->FieldIndex(nom) < 0)
        return;
    // A sort takes the row out of its place: the row held in edition is written (or refused) first.
    if (m_editionParLigne && m_rs->EditMode()) {
        try {
            ecrire();
        } catch (const ErreurExecution& e) {
            refuser(e);
            return;
        }
    }
    m_rs->Sort(nom,
               order == Qt::AscendingOrder ? Recordset::Ordre::Croissant : Recordset::Ordre::Decroissant);
}
