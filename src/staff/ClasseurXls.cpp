#include "staff/ClasseurXls.h"

#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTime>
#include <cmath>
#include <freexl.h>

namespace {

// The driver's numbers for a field or a row that does not exist.
constexpr qint32 ElementIntrouvable = 3265;
constexpr qint32 PasDeLigneCourante = 3021;

const QString Source = QStringLiteral("ClasseurXls");

QString texteFreexl(int code) {
    switch (code) {
    case FREEXL_FILE_NOT_FOUND:
        return QStringLiteral("le fichier ne peut pas être lu");
    case FREEXL_INSUFFICIENT_MEMORY:
        return QStringLiteral("mémoire insuffisante");
    case FREEXL_INVALID_CFBF_HEADER:
    case FREEXL_CFBF_INVALID_SIGNATURE:
    case FREEXL_BIFF_WORKBOOK_NOT_FOUND:
    case FREEXL_BIFF_INVALID_BOF:
        return QStringLiteral("ce n'est pas un classeur Excel 97-2003");
    case FREEXL_CFBF_READ_ERROR:
    case FREEXL_CFBF_SEEK_ERROR:
        return QStringLiteral("le fichier est tronqué ou endommagé");
    default:
        return QStringLiteral("le classeur est endommagé (freexl %1)").arg(code);
    }
}

} // namespace

ClasseurXls::~ClasseurXls() {
    fermer();
}

void ClasseurXls::fermer() {
    if (m_classeur)
        freexl_close(m_classeur);
    m_classeur = nullptr;
    m_feuilleChoisie = false;
    m_lignes = 0;
    m_colonnes = 0;
    m_entetes.clear();
}

bool ClasseurXls::ouvrir(const QString& chemin) {
    fermer();
    m_erreur.clear();
    m_chemin = chemin;
    const auto echec = [&](const QString& pourquoi) {
        m_erreur = QStringLiteral("%1 : %2").arg(QDir::toNativeSeparators(chemin), pourquoi);
        fermer();
        return false;
    };
    if (!QFileInfo(chemin).isFile())
        return echec(QStringLiteral("fichier introuvable"));
    // freexl parses the whole workbook here; a handle is returned, to be closed, even on failure.
    const void* h = nullptr;
    const int code = freexl_open(QFile::encodeName(chemin).constData(), &h);
    m_classeur = h;
    if (code != FREEXL_OK)
        return echec(texteFreexl(code));
    unsigned int info = 0;
    if (freexl_get_info(h, FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK && info == FREEXL_BIFF_OBFUSCATED)
        return echec(QStringLiteral("le classeur est protégé par un mot de passe"));
    // freexl gives up silently on some damaged workbooks and reports no sheet at all.
    if (freexl_get_info(h, FREEXL_BIFF_SHEET_COUNT, &info) != FREEXL_OK || info == 0)
        return echec(QStringLiteral("aucune feuille lisible dans le classeur"));
    return true;
}

bool ClasseurXls::feuille(const QString& nom) {
    m_erreur.clear();
    m_feuilleChoisie = false;
    m_lignes = 0;
    m_colonnes = 0;
    m_entetes.clear();
    if (!m_classeur) {
        m_erreur = QStringLiteral("aucun classeur ouvert");
        return false;
    }
    unsigned int nombre = 0;
    freexl_get_info(m_classeur, FREEXL_BIFF_SHEET_COUNT, &nombre);
    for (unsigned int i = 0; i < nombre && i <= 0xFFFF; ++i) {
        const char* n = nullptr;
        if (freexl_get_worksheet_name(m_classeur, static_cast<unsigned short>(i), &n) != FREEXL_OK || !n)
            continue;
        if (QString::compare(QString::fromUtf8(n), nom, Qt::CaseInsensitive) != 0)
            continue;
        unsigned int lignes = 0;
        unsigned short colonnes = 0;
        if (freexl_select_active_worksheet(m_classeur, static_cast<unsigned short>(i)) != FREEXL_OK ||
            freexl_worksheet_dimensions(m_classeur, &lignes, &colonnes) != FREEXL_OK) {
            m_erreur = QStringLiteral("%1 : la feuille « %2 » est illisible")
                           .arg(QDir::toNativeSeparators(m_chemin), nom);
            return false;
        }
        // An .xls sheet holds at most 65,536 rows and 256 columns.
        m_lignes = static_cast<int>(std::min(lignes, 65536u));
        m_colonnes = colonnes;
        m_feuilleChoisie = true;
        if (m_lignes > 0) {
            m_entetes.reserve(m_colonnes);
            for (int c = 0; c < m_colonnes; ++c)
                m_entetes.append(texte(lire(0, c)).trimmed());
        }
        return true;
    }
    m_erreur = QStringLiteral("%1 : le classeur n'a pas de feuille « %2 »")
                   .arg(QDir::toNativeSeparators(m_chemin), nom);
    return false;
}

int ClasseurXls::colonne(const QString& entete) const {
    const QString cherche = entete.trimmed();
    for (int c = 0; c < m_entetes.size(); ++c)
        if (QString::compare(m_entetes.at(c), cherche, Qt::CaseInsensitive) == 0)
            return c;
    return -1;
}

QVariant ClasseurXls::cellule(int ligne, int colonne) const {
    if (!m_feuilleChoisie || ligne < 0 || ligne >= nombreLignes())
        throw ErreurExecution(PasDeLigneCourante,
                              QStringLiteral("Either BOF or EOF is True, or the current record has been "
                                             "deleted. Requested operation requires a current record."),
                              Source);
    if (colonne < 0 || colonne >= m_colonnes)
        throw ErreurExecution(ElementIntrouvable,
                              QStringLiteral("Item cannot be found in the collection corresponding to the "
                                             "requested name or ordinal."),
                              Source);
    return lire(static_cast<unsigned>(ligne) + 1, colonne);
}

QVariant ClasseurXls::cellule(int ligne, const QString& entete) const {
    return cellule(ligne, colonne(entete));
}

QVariant ClasseurXls::lire(unsigned ligneFeuille, int colonne) const {
    FreeXL_CellValue v;
    const int code =
        freexl_get_cell_value(m_classeur, ligneFeuille, static_cast<unsigned short>(colonne), &v);
    if (code != FREEXL_OK)
        throw ErreurExecution(code,
                              QStringLiteral("Cellule illisible (ligne %1, colonne %2) : %3")
                                  .arg(ligneFeuille + 1)
                                  .arg(colonne + 1)
                                  .arg(texteFreexl(code)),
                              Source);
    switch (v.type) {
    case FREEXL_CELL_INT:
        return static_cast<double>(v.value.int_value);
    case FREEXL_CELL_DOUBLE:
        return v.value.double_value;
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
        return QString::fromUtf8(v.value.text_value);
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_DATETIME: {
        // freexl writes "yyyy-MM-dd" or "yyyy-MM-dd HH:mm:ss". UTC, so that no daylight-saving gap of the
        // workstation's zone moves the time.
        const QString s = QString::fromLatin1(v.value.text_value);
        const QDate jour = QDate::fromString(s.left(10), QStringLiteral("yyyy-MM-dd"));
        const QTime heure =
            s.size() > 10 ? QTime::fromString(s.mid(11), QStringLiteral("HH:mm:ss")) : QTime(0, 0);
        if (!jour.isValid() || !heure.isValid())
            return s;
        return QDateTime(jour, heure, Qt::UTC);
    }
    case FREEXL_CELL_TIME: {
        const QString s = QString::fromLatin1(v.value.text_value);
        const QTime heure = QTime::fromString(s, QStringLiteral("HH:mm:ss"));
        return heure.isValid() ? QVariant(heure) : QVariant(s);
    }
    default:
        return QVariant();
    }
}

QString ClasseurXls::texte(const QVariant& valeur) {
    if (!valeur.isValid() || valeur.isNull())
        return QString();
    switch (valeur.metaType().id()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::LongLong: {
        const double d = valeur.toDouble();
        if (std::isfinite(d) && d == std::trunc(d))
            return d == 0 ? QStringLiteral("0") : QString::number(d, 'f', 0);
        QString s = QString::number(d, 'G', 15);
        return s.replace(QLatin1Char('.'), Global().SeparateurDecimal);
    }
    case QMetaType::Bool:
        return valeur.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    case QMetaType::QDateTime: {
        const QDateTime t = valeur.toDateTime();
        return t.time() == QTime(0, 0) ? t.toString(QStringLiteral("dd/MM/yyyy"))
                                       : t.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
    }
    case QMetaType::QDate:
        return valeur.toDate().toString(QStringLiteral("dd/MM/yyyy"));
    case QMetaType::QTime:
        return valeur.toTime().toString(QStringLiteral("HH:mm:ss"));
    default:
        return valeur.toString();
    }
}
