#include "stock/CatalogueFournisseur.h"

#include "common/EchecEcriture.h"
#include "common/ErreurExecution.h"
#include "common/FnWendrox.h"
#include "db/Connexion.h"
#include "db/Recordset.h"
#include "db/Valeurs.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QList>
#include <QSaveFile>
#include <QSqlQuery>
#include <cmath>

namespace CatalogueFournisseur {

namespace {

// The columns a line brings, and those its article adds, in the work table's names.
const QStringList ColonnesLigne{
    QStringLiteral("REFBASE"),   QStringLiteral("Designation"), QStringLiteral("RefFournisseur"),
    QStringLiteral("NomTaille"), QStringLiteral("Famille"),     QStringLiteral("NomFamille"),
    QStringLiteral("No"),        QStringLiteral("Reference")};
const QStringList ColonnesArticle{QStringLiteral("DelaiLivraison"), QStringLiteral("Marque"),
                                  QStringLiteral("Descriptif"),     QStringLiteral("Norme"),
                                  QStringLiteral("FicheTech"),      QStringLiteral("QteParPaket"),
                                  QStringLiteral("PrixAchatUnit")};

QString prefixees(const QStringList& colonnes, const QString& alias) {
    QStringList r;
    for (const QString& c : colonnes)
        r << alias + u'.' + c;
    return r.join(QStringLiteral(", "));
}

std::unique_ptr<Connexion> ouvrir(const QString& fichier, bool ecriture) {
    ParametresConnexion p;
    p.fichier = fichier;
    p.lectureSeule = !ecriture;
    return std::make_unique<Connexion>(p);
}

// A name that stays inside its folder: not empty, no separator, not "." or "..".
bool nomSimple(const QString& nom) {
    return !nom.isEmpty() && nom != QLatin1String(".") && nom != QLatin1String("..") && !nom.contains(u'/') &&
           !nom.contains(u'\\');
}

} // namespace

QString FichierCatalogue() {
    return FnWendrox::FichierExistant(FnWendrox::CheminApplication(), NomFichier);
}

void ImporterArticlesCatalogue() {
    const QString fichier = FichierCatalogue();
    if (fichier.isEmpty())
        return;
    auto catalogue = ouvrir(fichier, true);
    // Both read in REFBASE order (French order without regard to case, Null first), by rowid: the
    // catalogue's tables have no key of their own.
    Recordset articles;
    articles.Open(*catalogue,
                  QStringLiteral("SELECT rowid AS IdCatalogue, REFBASE FROM article ORDER BY REFBASE"));
    Recordset lignes;
    lignes.Open(*catalogue, QStringLiteral("SELECT rowid AS IdCatalogue, REFBASE, RefFournisseur FROM "
                                           "FICHIERARTICLE3 ORDER BY REFBASE"));

    // The first article, in that order, of every beginning of a REFBASE (folded as the search folds it):
    // each line then finds its article at once, whatever the size of the catalogue.
    QHash<QString, int> premierArticle;
    for (int i = 0; i < articles.RecordCount(); ++i) {
        const QVariant ref = articles.ValueAt(i, 1);
        if (ref.isNull())
            continue; // a Null REFBASE begins with nothing
        const QString plie = Valeurs::plierCasse(ref.toString());
        for (qsizetype n = 0; n <= plie.size(); ++n) {
            const QString debut = plie.left(n);
            if (!premierArticle.contains(debut))
                premierArticle.insert(debut, i);
        }
    }

    const QString insertion = QStringLiteral("INSERT INTO FICHIERARTICLE4 (%1, NoFournisseur, Image) ")
                                  .arg(ColonnesLigne.join(QStringLiteral(", ")));
    const QString seule =
        insertion + QStringLiteral("SELECT %1, 1, L.REFBASE FROM FICHIERARTICLE3 L WHERE L.rowid = ?")
                        .arg(prefixees(ColonnesLigne, QStringLiteral("L")));
    const QString avecArticle =
        QStringLiteral("INSERT INTO FICHIERARTICLE4 (%1, %2, NoFournisseur, Image) SELECT %3, %4, 1, "
                       "A.REFBASE FROM FICHIERARTICLE3 L, article A WHERE L.rowid = ? AND A.rowid = ?")
            .arg(ColonnesLigne.join(QStringLiteral(", ")), ColonnesArticle.join(QStringLiteral(", ")),
                 prefixees(ColonnesLigne, QStringLiteral("L")),
                 prefixees(ColonnesArticle, QStringLiteral("A")));

    TransactionEcriture t(*catalogue);
    // Both kept prepared for the whole run: one statement a line.
    InstructionPreparee ajoutSeule(*catalogue, seule), ajoutAvecArticle(*catalogue, avecArticle);
    for (int i = 0; i < lignes.RecordCount(); ++i) {
        const QVariant idLigne = lignes.ValueAt(i, 0);
        const int article =
            premierArticle.value(Valeurs::plierCasse(Valeurs::lireTexte(lignes.ValueAt(i, 1))), -1);
        if (article < 0) {
            ajoutSeule.executer({idLigne});
            continue;
        }
        // The article is taken only when its reference is part of the line's supplier reference.
        const QString refFournisseur = Valeurs::lireTexte(lignes.ValueAt(i, 2));
        const QString refArticle = Valeurs::lireTexte(articles.ValueAt(article, 1));
        if (refFournisseur.isEmpty() || !refFournisseur.contains(refArticle, Qt::CaseSensitive))
            continue;
        ajoutAvecArticle.executer({idLigne, articles.ValueAt(article, 0)});
    }
    t.valider();
}

void ImporterTaillesCatalogue(Connexion& connexionStock) {
    const QString fichier = FichierCatalogue();
    if (fichier.isEmpty())
        return;
    struct Taille {
        QString texte;
        qint64 numero;
    };
    // Each family's sizes, in the table's order.
    QHash<qint64, QList<Taille>> tailles;
    {
        QSqlQuery q = connexionStock.executer(
            QStringLiteral("SELECT NoTaille, Taille, NoFamille FROM Tailles ORDER BY NoTaille"));
        while (q.next())
            if (!q.value(1).isNull() && !q.value(2).isNull())
                tailles[Valeurs::lireEntier(q.value(2))].append(
                    {Valeurs::plierCasse(q.value(1).toString()), Valeurs::lireEntier(q.value(0))});
    }

    auto catalogue = ouvrir(fichier, true);
    struct Ligne {
        QVariant id;
        qint64 numero;
    };
    QList<Ligne> changees;
    {
        QSqlQuery q = catalogue->executer(
            QStringLiteral("SELECT rowid, Famille, NomTaille FROM FICHIERARTICLE4 ORDER BY rowid"));
        while (q.next()) {
            // A family that is no whole number has no sizes (Null included).
            bool nombre = false;
            const double famille = q.value(1).isNull() ? 0 : q.value(1).toDouble(&nombre);
            if (!nombre || famille != std::trunc(famille) || q.value(2).isNull())
                continue;
            const auto noFamille = static_cast<qint64>(famille);
            const QString nom = Valeurs::plierCasse(q.value(2).toString());
            for (const Taille& t : tailles.value(noFamille)) {
                if (t.texte == nom) {
                    changees.append({q.value(0), t.numero});
                    break;
                }
            }
        }
    }
    TransactionEcriture t(*catalogue);
    for (const Ligne& l : changees)
        catalogue
            ->executer(QStringLiteral("UPDATE FICHIERARTICLE4 SET Taille = ? WHERE rowid = ?"),
                       {l.numero, l.id})
            .finish();
    t.valider();
}

void OuvrirCatalogue() {
    const QString fichier = FichierCatalogue();
    if (fichier.isEmpty())
        return;
    auto catalogue = ouvrir(fichier, false);
    QSqlQuery q = catalogue->executer(QStringLiteral("SELECT * FROM FICHIERARTICLE4"));
    while (q.next()) {
    }
}

void ImageSalvendo() {
    const QString fichier = FichierCatalogue();
    if (fichier.isEmpty())
        return;
    const QDir programme(FnWendrox::CheminApplication());
    auto catalogue = ouvrir(fichier, false);
    QSqlQuery q = catalogue->executer(QStringLiteral("SELECT \"Numéro\", Image FROM article ORDER BY rowid"));
    while (q.next()) {
        const QString numero = Valeurs::lireTexte(q.value(0));
        const QString image = Valeurs::lireTexte(q.value(1));
        // Names from the catalogue never lead out of the picture folders.
        if (!nomSimple(numero) || !nomSimple(image))
            continue;
        const QString source =
            FnWendrox::FichierExistant(programme.filePath(QStringLiteral("image/imagessalvendo/") + numero),
                                       QStringLiteral("zoom_1.jpg"));
        if (source.isEmpty())
            continue;
        const QString cible = programme.filePath(QStringLiteral("image/") + image + QStringLiteral(".jpg"));
        QFile entree(source);
        QSaveFile sortie(cible);
        if (!entree.open(QIODevice::ReadOnly))
            throw ErreurExecution(ErreurExecution::PathFileAccess,
                                  QStringLiteral("Lecture impossible : %1").arg(source),
                                  QStringLiteral("ImageSalvendo"));
        // Written beside and renamed: a copy that fails leaves the picture that was there.
        const QByteArray octets = entree.readAll();
        if (!sortie.open(QIODevice::WriteOnly) || sortie.write(octets) != octets.size() || !sortie.commit())
            throw ErreurExecution(ErreurExecution::PathFileAccess,
                                  QStringLiteral("Copie impossible de %1 vers %2 : %3")
                                      .arg(source, cible, EchecEcriture::raison(sortie)),
                                  QStringLiteral("ImageSalvendo"));
    }
}

} // namespace CatalogueFournisseur
