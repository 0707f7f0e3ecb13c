#include "staff/ClasseurXls.h"

#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "staff/ReponseClasseur.h"

#include <QCoreApplication>
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTime>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>

namespace {

namespace R = ReponseClasseur;

// The driver's numbers for a field or a row that does not exist.
constexpr qint32 ElementIntrouvable = 3265;
constexpr qint32 PasDeLigneCourante = 3021;

// More than the fullest sheet of numbers could take: beyond it the reader is stopped.
constexpr qsizetype MaxReponse = qsizetype(256) << 20;

const QString Source = QStringLiteral("ClasseurXls");

QString texteRaison(quint8 raison, qint32 code) {
    switch (raison) {
    case R::FichierIllisible:
        return QStringLiteral("le fichier ne peut pas être lu");
    case R::MemoireInsuffisante:
        return QStringLiteral("mémoire insuffisante");
    case R::PasUnClasseur:
        return QStringLiteral("ce n'est pas un classeur Excel 97-2003");
    case R::Tronque:
        return QStringLiteral("le fichier est tronqué ou endommagé");
    case R::MotDePasse:
        return QStringLiteral("le classeur est protégé par un mot de passe");
    case R::AucuneFeuille:
        return QStringLiteral("aucune feuille lisible dans le classeur");
    default:
        return QStringLiteral("le classeur est endommagé (freexl %1)").arg(code);
    }
}

// The reader beside the running executable (the program's, a test's or a benchmark's).
const QString& cheminLecteur() {
    static const QString chemin =
        QDir(QCoreApplication::instance()
                 ? QCoreApplication::applicationDirPath()
                 : QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).absolutePath())
            .filePath(QStringLiteral("dorvane-classeur"));
    return chemin;
}

// Runs the reader on the file and gathers its whole answer into `reponse`, calling `recu` after each part.
// False, with the reason, when the reader does not start, outlives its time, answers too much or wrongly
// (`recu` gives false), or does not end normally with 0.
bool lancerLecteur(const QString& chemin, QByteArray& reponse, QString& pourquoi,
                   const std::function<bool()>& recu) {
    // The tests' hook: DORVANE_CLASSEUR_DELAI, in milliseconds, shortens the wall-clock limit.
    bool fixe = false;
    int delai = qEnvironmentVariableIntValue("DORVANE_CLASSEUR_DELAI", &fixe);
    if (!fixe || delai <= 0)
        delai = R::DelaiMs;
    QElapsedTimer temps;
    temps.start();
    QProcess p;
    p.setStandardInputFile(QProcess::nullDevice());
    p.setStandardErrorFile(QProcess::nullDevice());
    const QString& lecteur = cheminLecteur();
    p.start(lecteur, {chemin}, QIODevice::ReadOnly);
    if (!p.waitForStarted(delai)) {
        pourquoi = QStringLiteral("le lecteur de classeurs %1 ne démarre pas (%2)")
                       .arg(QDir::toNativeSeparators(lecteur), p.errorString());
        return false;
    }
    const auto arreter = [&](const QString& raison) {
        p.kill();
        p.waitForFinished(-1);
        pourquoi = raison;
        return false;
    };
    for (;;) {
        const QByteArray part = p.readAllStandardOutput();
        if (!part.isEmpty()) {
            reponse += part;
            if (reponse.size() > MaxReponse)
                return arreter(QStringLiteral("le classeur est trop grand pour être lu"));
            if (!recu())
                return arreter(
                    QStringLiteral("le classeur est endommagé : sa lecture a rendu une réponse invalide"));
        }
        if (p.state() == QProcess::NotRunning)
            break;
        const qint64 reste = delai - temps.elapsed();
        if (reste <= 0)
            return arreter(QStringLiteral("le classeur est endommagé : sa lecture ne finit pas"));
        p.waitForReadyRead(static_cast<int>(reste));
    }
    if (p.exitStatus() != QProcess::NormalExit) {
        pourquoi = QStringLiteral("le classeur est endommagé : sa lecture s'est arrêtée net");
        return false;
    }
    if (p.exitCode() != 0) {
        pourquoi =
            QStringLiteral("le classeur est endommagé : sa lecture a échoué (code %1)").arg(p.exitCode());
        return false;
    }
    return true;
}

} // namespace

// The reader's answer, checked field by field as it comes: every length and count against what is left,
// every value against what the format allows. It is read while the reader still writes; a unit (a header,
// a sheet's heading, a cell) cut by the end of what came so far is read again whole with what follows.
class ClasseurXls::Lecture {
public:
    Lecture(std::vector<Feuille>& feuilles, std::vector<QString>& partages)
        : m_feuilles(feuilles), m_partages(partages) {}

    // Reads what `reponse` holds beyond the last whole unit; false at the first field that does not hold.
    bool avancer(const QByteArray& reponse) {
        m_octets = reponse.constData();
        m_taille = reponse.size();
        for (;;) {
            const qsizetype debut = m_pos;
            switch (unite()) {
            case Pas::Suite:
                continue;
            case Pas::Incomplet:
                m_pos = debut;
                return true;
            case Pas::Attente:
                return true;
            case Pas::Invalide:
                return false;
            }
        }
    }
    // After the reader's end: whether the answer came whole and nothing followed it.
    bool complete() const { return m_etape == Etape::Termine && m_pos == m_taille; }
    // The reason the reader refused the workbook for, or empty.
    const QString& refus() const { return m_refus; }

private:
    // Incomplet: the unit is cut, to be read again from its start; Attente: the cells read are kept, the
    // position is at the start of the one cut.
    enum class Pas { Suite, Incomplet, Attente, Invalide };
    enum class Etape { Entete, Refus, Feuille, Cellules, Fin, Termine };

    Pas unite() {
        switch (m_etape) {
        case Etape::Entete: {
            const char* marque = nullptr;
            quint8 issue = 0;
            if (!brut(marque, R::TailleMarque) || !octet(issue))
                return Pas::Incomplet;
            if (std::memcmp(marque, R::Entete, R::TailleMarque) != 0)
                return Pas::Invalide;
            if (issue == static_cast<quint8>(R::Refus)) {
                m_etape = Etape::Refus;
                return Pas::Suite;
            }
            quint32 nombre = 0;
            if (issue != static_cast<quint8>(R::Lu))
                return Pas::Invalide;
            if (!u32(nombre))
                return Pas::Incomplet;
            if (nombre > 0x10000u)
                return Pas::Invalide;
            m_feuillesRestantes = nombre;
            m_etape = Etape::Feuille;
            return Pas::Suite;
        }
        case Etape::Refus: {
            quint8 raison = 0;
            qint32 code = 0;
            if (!octet(raison) || !i32(code))
                return Pas::Incomplet;
            if (raison < 1 || raison > R::DerniereRaison)
                return Pas::Invalide;
            m_refus = texteRaison(raison, code);
            m_etape = Etape::Fin;
            return Pas::Suite;
        }
        case Etape::Feuille:
            return feuille();
        case Etape::Cellules:
            return cellules();
        case Etape::Fin: {
            const char* marque = nullptr;
            if (!brut(marque, R::TailleMarque))
                return Pas::Incomplet;
            if (std::memcmp(marque, R::Fin, R::TailleMarque) != 0)
                return Pas::Invalide;
            m_etape = Etape::Termine;
            return Pas::Suite;
        }
        case Etape::Termine:
            break;
        }
        // Nothing may follow the end.
        return m_pos == m_taille ? Pas::Incomplet : Pas::Invalide;
    }

    Pas feuille() {
        if (m_feuillesRestantes == 0) {
            m_etape = Etape::Fin;
            return Pas::Suite;
        }
        const char* nom = nullptr;
        quint32 n = 0;
        quint8 lisible = 0;
        quint32 lignes = 0;
        quint16 colonnes = 0;
        if (!texte(nom, n) || !octet(lisible) || (lisible == 1 && (!u32(lignes) || !u16(colonnes))))
            return Pas::Incomplet;
        if (lisible > 1 || lignes > R::MaxLignes)
            return Pas::Invalide;
        Feuille f;
        f.nom = QString::fromUtf8(nom, n);
        f.lisible = lisible == 1;
        f.lignes = static_cast<int>(lignes);
        f.colonnes = colonnes;
        m_feuilles.push_back(std::move(f));
        --m_feuillesRestantes;
        m_cellule = 0;
        m_cellules = quint64(lignes) * colonnes;
        if (m_cellules > 0)
            m_etape = Etape::Cellules;
        return Pas::Suite;
    }

    // The cells of the last sheet, as many as came whole.
    Pas cellules() {
        Feuille& f = m_feuilles.back();
        while (m_cellule < m_cellules) {
            const qsizetype debut = m_pos;
            quint8 type = 0;
            if (!octet(type))
                return attendre(debut);
            const char* d = nullptr;
            quint32 n = 0;
            double x = 0;
            quint8 raison = 0;
            qint32 code = 0;
            quint32 k = 0;
            switch (type) {
            case R::Vides:
                if (!u32(n))
                    return attendre(debut);
                if (n == 0 || n > m_cellules - m_cellule)
                    return Pas::Invalide;
                m_cellule += n;
                continue;
            case R::Nombre:
                if (!f64(x))
                    return attendre(debut);
                break;
            case R::Texte:
            case R::Date:
            case R::Heure:
                if (!texte(d, n))
                    return attendre(debut);
                break;
            case R::Partage:
                if (!u32(k) || !texte(d, n))
                    return attendre(debut);
                if (k != m_partages.size())
                    return Pas::Invalide;
                m_partages.push_back(QString::fromUtf8(d, n));
                break;
            case R::Rappel:
                if (!u32(k))
                    return attendre(debut);
                if (k >= m_partages.size())
                    return Pas::Invalide;
                break;
            case R::Illisible:
                if (!octet(raison) || !i32(code))
                    return attendre(debut);
                if (raison < 1 || raison > R::DerniereRaison)
                    return Pas::Invalide;
                break;
            default:
                return Pas::Invalide;
            }
            // Fewer than 65,536 rows and 65,536 columns.
            f.cellules.push_back({static_cast<quint32>(debut), static_cast<quint16>(m_cellule / f.colonnes),
                                  static_cast<quint16>(m_cellule % f.colonnes)});
            ++m_cellule;
        }
        m_etape = Etape::Feuille;
        return Pas::Suite;
    }

    Pas attendre(qsizetype debut) {
        m_pos = debut;
        return Pas::Attente;
    }

    // Each reader takes its field when it came whole, else takes nothing and gives false.
    bool brut(const char*& debut, qsizetype n) {
        if (m_taille - m_pos < n)
            return false;
        debut = m_octets + m_pos;
        m_pos += n;
        return true;
    }
    template <typename T> bool entier(T& v, int taille) {
        const char* p = nullptr;
        if (!brut(p, taille))
            return false;
        quint64 x = 0;
        for (int i = 0; i < taille; ++i)
            x |= quint64(static_cast<quint8>(p[i])) << (8 * i);
        v = static_cast<T>(x);
        return true;
    }
    bool octet(quint8& v) { return entier(v, 1); }
    bool u16(quint16& v) { return entier(v, 2); }
    bool u32(quint32& v) { return entier(v, 4); }
    bool i32(qint32& v) {
        quint32 x = 0;
        if (!entier(x, 4))
            return false;
        v = static_cast<qint32>(x);
        return true;
    }
    bool f64(double& d) {
        quint64 x = 0;
        if (!entier(x, 8))
            return false;
        std::memcpy(&d, &x, sizeof d);
        return true;
    }
    bool texte(const char*& debut, quint32& n) {
        const qsizetype avant = m_pos;
        if (u32(n) && brut(debut, n))
            return true;
        m_pos = avant;
        return false;
    }

    std::vector<Feuille>& m_feuilles;
    std::vector<QString>& m_partages;
    const char* m_octets = nullptr;
    qsizetype m_taille = 0;
    qsizetype m_pos = 0; // the end of the last whole unit, while a unit is read its next field
    Etape m_etape = Etape::Entete;
    quint32 m_feuillesRestantes = 0;
    quint64 m_cellule = 0;
    quint64 m_cellules = 0;
    QString m_refus;
};

ClasseurXls::~ClasseurXls() {
    fermer();
}

void ClasseurXls::fermer() {
    m_ouvert = false;
    m_reponse.clear();
    m_partages.clear();
    m_feuilles.clear();
    m_feuille = nullptr;
    m_debuts.clear();
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
    QByteArray reponse;
    QString pourquoi;
    // Read as it comes, so that checking the cells overlaps the reader's writing them.
    Lecture lecture(m_feuilles, m_partages);
    if (!lancerLecteur(chemin, reponse, pourquoi, [&] { return lecture.avancer(reponse); }))
        return echec(pourquoi);
    if (!lecture.complete())
        return echec(QStringLiteral("le classeur est endommagé : sa lecture a rendu une réponse invalide"));
    if (!lecture.refus().isEmpty())
        return echec(lecture.refus());
    m_reponse = reponse;
    m_ouvert = true;
    return true;
}

bool ClasseurXls::feuille(const QString& nom) {
    m_erreur.clear();
    m_feuille = nullptr;
    m_feuilleChoisie = false;
    m_lignes = 0;
    m_colonnes = 0;
    m_entetes.clear();
    if (!m_ouvert) {
        m_erreur = QStringLiteral("aucun classeur ouvert");
        return false;
    }
    for (const Feuille& f : m_feuilles) {
        if (QString::compare(f.nom, nom, Qt::CaseInsensitive) != 0)
            continue;
        if (!f.lisible) {
            m_erreur = QStringLiteral("%1 : la feuille « %2 » est illisible")
                           .arg(QDir::toNativeSeparators(m_chemin), nom);
            return false;
        }
        // Where each row's cells start, for this sheet only: an index per row of every sheet would let a
        // small answer claim much memory.
        m_debuts.assign(static_cast<size_t>(f.lignes) + 1, 0);
        for (const Cellule& c : f.cellules)
            ++m_debuts[c.ligne + 1];
        for (int l = 0; l < f.lignes; ++l)
            m_debuts[l + 1] += m_debuts[l];
        m_feuille = &f;
        m_lignes = f.lignes;
        m_colonnes = f.colonnes;
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
    const Feuille& f = *m_feuille;
    const auto debut = f.cellules.begin() + m_debuts[ligneFeuille];
    const auto fin = f.cellules.begin() + m_debuts[ligneFeuille + 1];
    const auto c = fin - debut == f.colonnes
                       ? debut + colonne
                       : std::lower_bound(debut, fin, colonne,
                                          [](const Cellule& x, int col) { return x.colonne < col; });
    if (c == fin || c->colonne != colonne)
        return QVariant();
    // The answer was checked when it came: every field is there.
    const char* p = m_reponse.constData() + c->position;
    const char type = *p++;
    const auto u32 = [&] {
        quint32 v = 0;
        for (int i = 0; i < 4; ++i)
            v |= quint32(static_cast<quint8>(*p++)) << (8 * i);
        return v;
    };
    switch (type) {
    case R::Nombre: {
        quint64 x = 0;
        for (int i = 0; i < 8; ++i)
            x |= quint64(static_cast<quint8>(p[i])) << (8 * i);
        double d;
        std::memcpy(&d, &x, sizeof d);
        return d;
    }
    case R::Texte: {
        const quint32 n = u32();
        return QString::fromUtf8(p, n);
    }
    case R::Partage:
    case R::Rappel:
        return m_partages[u32()];
    case R::Date: {
        // "yyyy-MM-dd" or "yyyy-MM-dd HH:mm:ss". UTC, so that no daylight-saving gap of the workstation's
        // zone moves the time.
        const quint32 n = u32();
        const QString s = QString::fromLatin1(p, n);
        const QDate jour = QDate::fromString(s.left(10), QStringLiteral("yyyy-MM-dd"));
        const QTime heure =
            s.size() > 10 ? QTime::fromString(s.mid(11), QStringLiteral("HH:mm:ss")) : QTime(0, 0);
        if (!jour.isValid() || !heure.isValid())
            return s;
        return QDateTime(jour, heure, Qt::UTC);
    }
    case R::Heure: {
        const quint32 n = u32();
        const QString s = QString::fromLatin1(p, n);
        const QTime heure = QTime::fromString(s, QStringLiteral("HH:mm:ss"));
        return heure.isValid() ? QVariant(heure) : QVariant(s);
    }
    default: {
        const auto raison = static_cast<quint8>(*p++);
        const auto code = static_cast<qint32>(u32());
        throw ErreurExecution(code,
                              QStringLiteral("Cellule illisible (ligne %1, colonne %2) : %3")
                                  .arg(ligneFeuille + 1)
                                  .arg(colonne + 1)
                                  .arg(texteRaison(raison, code)),
                              Source);
    }
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
