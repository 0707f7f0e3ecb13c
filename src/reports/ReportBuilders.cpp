#include "reports/ReportBuilders.h"

#include "common/DateTexte.h"
#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/FnWendrox.h"
#include "common/MajBase.h"
#include "db/Connexion.h"
#include "db/InsertionParLots.h"
#include "db/Recordset.h"
#include "db/Routines.h"
#include "db/Valeurs.h"
#include "imaging/ImageProduit.h"
#include "imaging/RotationQuart.h"
#include "imaging/cDIBSection.h"
#include "imaging/mIntelJPEGLibrary.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QImageReader>
#include <QSqlQuery>
#include <QSqlRecord>

namespace ReportBuilders {

namespace {

bool contientUneLigne(Connexion& c, const QString& table) {
    return Valeurs::lireEntier(c.valeurUnique(QStringLiteral("SELECT COUNT(*) FROM ") + table)) > 0;
}

using Resume = void (*)(Connexion&, const QDateTime&, const QDateTime&, const std::function<void()>&);

// A summary of the period counted inside its routine's transaction.
bool resume(Connexion& c, const Periode& periode, Resume routine, const QString& table,
            const QString& procedure) {
    const std::optional<Bornes> b = bornes(periode.debut, periode.fin);
    if (!b)
        return false;
    try {
        bool lignes = false;
        routine(c, b->debut, b->fin, [&] { lignes = contientUneLigne(c, table); });
        return lignes;
    } catch (const std::exception& e) {
        MajBase::SignalerErreur(procedure, e);
        return false;
    }
}

const QString ProcedureImage = QStringLiteral("CreerImageRPT");

QString nomImageRPT(const QString& reference) {
    return QStringLiteral("RPT") + reference + QStringLiteral(".jpg");
}

// A picture name that stays a file name of its folder.
bool nomImageSur(const QString& reference) {
    return !reference.trimmed().isEmpty() && reference != QLatin1String(".") &&
           reference != QLatin1String("..") && !reference.contains(u'/') && !reference.contains(u'\\') &&
           !reference.contains(QChar(0));
}

// The prepared pictures of a folder, read once for a whole sheet: names compared without regard to case,
// as FnWendrox::FichierExistant does, without reading the folder again for every row.
class ImagesPreparees {
public:
    explicit ImagesPreparees(const QString& dossier) {
        QDir d(dossier);
        d.setNameFilters({QStringLiteral("RPT*.jpg")});
        d.setFilter(QDir::Files | QDir::Hidden | QDir::System);
        const QStringList noms = d.entryList();
        for (const QString& nom : noms)
            m_fichiers.insert(nom.toCaseFolded(), d.filePath(nom));
    }
    QString chemin(const QString& reference) const {
        return m_fichiers.value(nomImageRPT(reference).toCaseFolded());
    }
    void ajouter(const QString& reference, const QString& chemin) {
        m_fichiers.insert(nomImageRPT(reference).toCaseFolded(), chemin);
    }

private:
    QHash<QString, QString> m_fichiers;
};

QImage decoder(QIODevice* source) {
    QImageReader lecteur(source);
    return lecteur.read();
}

// The source picture of a name; null when there is none (`trouvee` false) or it is no picture.
QImage imageSource(Connexion& c, const QString& reference, bool* trouvee) {
    const EtatGlobal& g = Global();
    *trouvee = false;
    if (g.ImagesEnBase) {
        const std::optional<QByteArray> octets = ImagesArticle::lireImage(c, reference);
        if (!octets)
            return {};
        *trouvee = true;
        QBuffer tampon;
        tampon.setData(*octets);
        return decoder(&tampon);
    }
    const QString fichier =
        FnWendrox::FichierExistant(g.CheminImage, reference.trimmed() + QStringLiteral(".jpg"));
    if (fichier.isEmpty())
        return {};
    *trouvee = true;
    QFile f(fichier);
    if (!f.open(QIODevice::ReadOnly))
        throw ErreurExecution(ErreurExecution::PathFileAccess, f.errorString(), ProcedureImage);
    return decoder(&f);
}

// The prepared picture of a name, made when missing: its path, or "" when there is none. Failures are
// logged, never thrown.
QString preparerImage(Connexion& c, const QString& dossier, const QString& reference,
                      ImagesPreparees* preparees) {
    try {
        if (!nomImageSur(reference))
            throw ErreurExecution(ErreurExecution::PathFileAccess,
                                  QStringLiteral("Nom d'image refusé : %1").arg(reference), ProcedureImage);
        const QString existante = preparees ? preparees->chemin(reference)
                                            : FnWendrox::FichierExistant(dossier, nomImageRPT(reference));
        if (!existante.isEmpty())
            return existante;
        bool trouvee = false;
        QImage image = imageSource(c, reference, &trouvee);
        if (!trouvee)
            return QString();
        if (image.isNull())
            throw ErreurExecution(ErreurExecution::InvalidPicture,
                                  QStringLiteral("Image illisible : %1").arg(reference), ProcedureImage);
        if (image.height() > image.width())
            image = tournerQuartAntihoraire(image);
        cDIBSection dib;
        dib.CreateFromPicture(image);
        std::unique_ptr<cDIBSection> reduite;
        if (dib.Width() != 0) {
            reduite = dib.Resample(65, 128);
            if (!reduite)
                throw ErreurExecution(ErreurExecution::Overflow, QStringLiteral("Resample"), ProcedureImage);
        }
        const QString cible = QDir(dossier).filePath(nomImageRPT(reference));
        mIntelJPEGLibrary::SaveJPG(reduite ? *reduite : dib, cible, 100);
        if (preparees)
            preparees->ajouter(reference, cible);
        return cible;
    } catch (const std::exception& e) {
        MajBase::SignalerErreur(ProcedureImage, e);
    }
    return QString();
}

// The bytes of the prepared picture of `image` (Null when it has none).
QVariant octetsImage(Connexion& c, const QString& dossier, const QVariant& image,
                     ImagesPreparees& preparees) {
    static const QVariant Aucune = QVariant(QMetaType::fromType<QByteArray>());
    const QString reference = Valeurs::lireTexte(image);
    if (image.isNull() || reference.trimmed().isEmpty())
        return Aucune;
    const QString chemin = preparerImage(c, dossier, reference, &preparees);
    if (chemin.isEmpty())
        return Aucune;
    QFile f(chemin);
    if (!f.open(QIODevice::ReadOnly)) {
        MajBase::SignalerErreur(ProcedureImage, ErreurExecution(ErreurExecution::PathFileAccess,
                                                                f.errorString(), ProcedureImage));
        return Aucune;
    }
    return f.readAll();
}

// An article code as the sheets print it: `longueur` digits, zeros in front, a longer code kept whole.
QVariant texteCode(const QVariant& code, int longueur) {
    if (code.isNull())
        return QVariant(QMetaType::fromType<QString>());
    const qint64 n = Valeurs::lireEntier(code);
    const QString chiffres = QString::number(qAbs(n)).rightJustified(qMax(0, longueur), u'0');
    return n < 0 ? QStringLiteral("-") + chiffres : chiffres;
}

const QString ProcedureFiche = QStringLiteral("CreerEtatRemplissageMach");

// ARemplissageMachine filled from the routine's rows, in the caller's transaction.
void remplirFiche(Connexion& c, int machine, const QString& procedure) {
    const QString dossier = dossierImagesRPT();
    c.executer(QStringLiteral("DELETE  FROM ARemplissageMachine"));
    Recordset lignes;
    Routines::ouvrir(procedure, c, {machine}, lignes);

    // The table's columns, as the backend spells them; every column of the result goes to its namesake.
    const QSqlRecord table =
        c.executer(QStringLiteral("SELECT * FROM ARemplissageMachine WHERE 1 = 0")).record();
    const auto colonneTable = [&](const QString& nom) {
        for (int i = 0; i < table.count(); ++i)
            if (table.fieldName(i).compare(nom, Qt::CaseInsensitive) == 0)
                return table.fieldName(i);
        throw ErreurExecution(ErreurExecution::ErreurBase,
                              QStringLiteral("La table ARemplissageMachine n'a pas de colonne %1").arg(nom),
                              ProcedureFiche);
    };
    const QStringList champs = lignes.FieldNames();
    QStringList colonnes;
    int code = -1, image = -1, picture = -1;
    for (int i = 0; i < champs.size(); ++i) {
        colonnes << colonneTable(champs[i]);
        if (champs[i].compare(QLatin1String("CodeArticle"), Qt::CaseInsensitive) == 0)
            code = i;
        else if (champs[i].compare(QLatin1String("Image"), Qt::CaseInsensitive) == 0)
            image = i;
        else if (champs[i].compare(QLatin1String("Picture"), Qt::CaseInsensitive) == 0)
            picture = i;
    }
    if (picture < 0) {
        picture = int(colonnes.size());
        colonnes << colonneTable(QStringLiteral("Picture"));
    }
    InsertionParLots lots(c, QStringLiteral("ARemplissageMachine"), colonnes);

    const int longueur = Global().LongeurCodeArticle;
    ImagesPreparees preparees(dossier);
    QVariantList valeurs;
    for (int rang = 0; rang < lignes.RecordCount(); ++rang) {
        valeurs.clear();
        for (int i = 0; i < champs.size(); ++i)
            valeurs << (i == code ? texteCode(lignes.ValueAt(rang, i), longueur) : lignes.ValueAt(rang, i));
        const QVariant octets = image < 0 ? QVariant(QMetaType::fromType<QByteArray>())
                                          : octetsImage(c, dossier, lignes.ValueAt(rang, image), preparees);
        if (picture < champs.size())
            valeurs[picture] = octets;
        else
            valeurs << octets;
        lots.ajouter(valeurs);
    }
    lots.terminer();
}

} // namespace

QString dossierImagesRPT() {
    // Asked of the file system, without writing a trial file: two sheets built at once must not see
    // each other's trial as a refusal.
    const QString temporaire = QDir::tempPath();
    const QFileInfo dossier(temporaire);
    if (dossier.isDir() && dossier.isWritable())
        return temporaire;
    MajBase::EnregistrerErreur(ProcedureImage,
                               QStringLiteral("Impossible de trouver le chemin du répertoire temporaire !"));
    return Global().CheminImage;
}

void CreerImageRPT(Connexion& c, const QString& dossier, const QString& reference) {
    preparerImage(c, dossier, reference, nullptr);
}

ReportData::Builder CreerEtatRemplissageMach(int machine, int nombre, QString procedure,
                                             std::function<bool(Connexion&)> travail) {
    Q_UNUSED(nombre);
    return ReportData::logged(
        ProcedureFiche,
        ReportData::inTransaction(
            {QStringLiteral("TRemplissageMachine"), QStringLiteral("ARemplissageMachine")},
            [machine, procedure = std::move(procedure), travail = std::move(travail)](Connexion& c) {
                if (travail && !travail(c))
                    return false;
                remplirFiche(c, machine, procedure);
                return true;
            }));
}

std::optional<Bornes> bornes(const QString& debut, const QString& fin) {
    const QDate premier = DateTexte::lire(debut);
    const QDate dernier = DateTexte::lire(fin);
    if (!premier.isValid() || !dernier.isValid() || dernier < premier)
        return std::nullopt;
    return Bornes{Valeurs::debutPeriode(premier), Valeurs::finPeriode(dernier)};
}

ReportData::Builder etatCA(const Periode& periode, const QString& instruction, const QVariantList& valeurs) {
    // Read now, as the caller's period stood when it asked for the report.
    const std::optional<Bornes> b =
        periode.depuisCompteRendu ? bornes(periode.debut, periode.fin) : std::nullopt;
    return ReportData::logged(QStringLiteral("CreerEtatCA"),
                              [b, instruction, valeurs](Connexion& c, const std::function<void()>& lecture) {
                                  if (!b)
                                      return false;
                                  bool lignes = false;
                                  Routines::EtatCA(c, b->debut, b->fin, [&] {
                                      if (!instruction.isEmpty())
                                          c.executer(instruction, valeurs);
                                      lignes = contientUneLigne(c, QStringLiteral("CA"));
                                      if (lignes)
                                          lecture();
                                  });
                                  return lignes;
                              });
}

ReportData::Builder consoParCentreCout(const Periode& periode) {
    const std::optional<Bornes> b = bornes(periode.debut, periode.fin);
    return [b](Connexion& c, const std::function<void()>& lecture) {
        if (!b)
            return false;
        bool lignes = false;
        Routines::ConsoParCentreCout(c, b->debut, b->fin, [&] {
            lignes = contientUneLigne(c, QStringLiteral("ConsoParMachineSecteur"));
            if (lignes)
                lecture();
        });
        return lignes;
    };
}

bool CreerEtatSuiviParHeure(Connexion& c, const Periode& periode) {
    return resume(c, periode, &Routines::AjoutSuiviParHeure, QStringLiteral("EtatSuiviParHeure"),
                  QStringLiteral("CreerEtatSuiviParHeure"));
}

bool CreerEtatCAparArticle(Connexion& c, const Periode& periode) {
    return resume(c, periode, &Routines::AjoutCAparArticle, QStringLiteral("CAparArticle"),
                  QStringLiteral("CreerEtatCAparArticle"));
}

} // namespace ReportBuilders
