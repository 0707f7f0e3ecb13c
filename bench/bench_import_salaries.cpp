// The generic employee import: a sheet of 10,000 rows (half of them employees of the 50,000 of the
// benchmark database, half new ones) imported into that database, beside the raw engine doing the same
// writes: bare freexl over the same sheet (freexl_open included), one read of Utilisateurs into a hash,
// and one prepared INSERT or UPDATE per row through a bare QSqlQuery, in one transaction. Both sides open
// their own connection, are timed from the workbook's opening to the commit, alternately in the same run,
// and start from the same database: what a run added is deleted before the next.

#include "DonneesBench.h"
#include "OutilsBench.h"
#include "staff/ImportSalaries.h"

#include <QHash>
#include <QTemporaryDir>
#include <freexl.h>

#ifndef DORVANE_SCRIPT_CLASSEURS
#error "DORVANE_SCRIPT_CLASSEURS must name the workbook script"
#endif

namespace {

const char* const kUsage =
    "bench_import_salaries [--lignes N] [--tours N]\n"
    "  Writes a generic import sheet of N rows (default 10000) with /usr/bin/python3 and python3-xlwt, then\n"
    "  imports it into the 50,000 employees of the benchmark database and times it beside the raw engine,\n"
    "  alternately, N tours (5), on SQLite and, with DORVANE_TEST_PG, on PostgreSQL.\n";

struct Comptes {
    qint64 ajoutes = 0, modifies = 0;
};

QVariant celluleNue(const void* h, unsigned ligne, unsigned short colonne) {
    FreeXL_CellValue v;
    if (freexl_get_cell_value(h, ligne, colonne, &v) != FREEXL_OK)
        return {};
    switch (v.type) {
    case FREEXL_CELL_INT:
        return double(v.value.int_value);
    case FREEXL_CELL_DOUBLE:
        return v.value.double_value;
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
        return QString::fromUtf8(v.value.text_value);
    default:
        return {};
    }
}

double importerNu(const ParametresConnexion& p, const QByteArray& chemin, Comptes& comptes) {
    QElapsedTimer t;
    t.start();
    const void* h = nullptr;
    if (freexl_open(chemin.constData(), &h) != FREEXL_OK)
        return -1;
    freexl_select_active_worksheet(h, 0);
    unsigned lignes = 0;
    unsigned short colonnes = 0;
    freexl_worksheet_dimensions(h, &lignes, &colonnes);
    {
        Connexion c(p);
        c.debutEcriture();
        QHash<QString, qint64> salaries;
        {
            QSqlQuery q(c.db());
            q.setForwardOnly(true);
            q.exec(QStringLiteral("SELECT IdUtilisateur, NoBadge FROM Utilisateurs"));
            while (q.next())
                salaries.insert(q.value(1).toString(), q.value(0).toLongLong());
        }
        QSqlQuery ajout(c.db()), maj(c.db());
        ajout.prepare(
            QStringLiteral("INSERT INTO Utilisateurs (MatriculeSalarie, NoBadge, Nom, Prenom, Site, "
                           "Service, Quota, TailleChaussure, TailleMain, MachineAutorise) VALUES "
                           "(?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        maj.prepare(
            QStringLiteral("UPDATE Utilisateurs SET Nom = ?, Prenom = ?, Quota = ? WHERE IdUtilisateur = ?"));
        comptes = {};
        for (unsigned l = 1; l < lignes; ++l) {
            QVariant v[7];
            for (unsigned short col = 0; col < 7 && col < colonnes; ++col)
                v[col] = celluleNue(h, l, col);
            const QString badge = v[1].toString();
            const qint64 id = salaries.value(badge, 0);
            bool ok;
            if (id) {
                maj.bindValue(0, v[2]);
                maj.bindValue(1, v[3]);
                maj.bindValue(2, qint64(1));
                maj.bindValue(3, id);
                ok = maj.exec();
                ++comptes.modifies;
            } else {
                const QVariantList valeurs{
                    v[0],      badge,     v[2],        v[3],        qint64(1),
                    qint64(1), qint64(1), qint64(125), qint64(130), QStringLiteral("1,2,3")};
                for (int i = 0; i < valeurs.size(); ++i)
                    ajout.bindValue(i, valeurs[i]);
                ok = ajout.exec();
                ++comptes.ajoutes;
            }
            if (!ok) {
                std::fprintf(stderr, "raw engine: %s\n",
                             qPrintable(Connexion::texteErreur(id ? maj : ajout)));
                return -1;
            }
        }
        ajout.finish();
        maj.finish();
        c.valider();
    }
    freexl_close(h);
    return t.nsecsElapsed() / 1e6;
}

double importerProgramme(const ParametresConnexion& p, const QString& chemin, Comptes& comptes) {
    ImportSalaries::Parametres parametres;
    parametres.connexion = p;
    parametres.noProfilIllimite = 1;
    QElapsedTimer t;
    t.start();
    const ImportSalaries::Resultat r =
        ImportSalaries::importer(ImportSalaries::Classeur::Generique, chemin, parametres);
    const double ms = t.nsecsElapsed() / 1e6;
    if (r.issue != ImportSalaries::Issue::Termine) {
        std::fprintf(stderr, "import: %s\n", r.erreur ? qPrintable(r.erreur->description()) : "guard");
        return -1;
    }
    comptes = {r.ajoutes, r.modifies};
    return ms;
}

// The largest key of each table the import adds to, and the removal of what a run added past them.
struct Etat {
    QList<qint64> max;
    static inline const QStringList tables{"Utilisateurs", "Sites", "Services", "ProfileQuota"};
    static inline const QStringList cles{"IdUtilisateur", "NoSite", "NoService", "NoQuota"};

    explicit Etat(Connexion& c) {
        for (int i = 0; i < tables.size(); ++i)
            max << c.valeurUnique(QStringLiteral("SELECT MAX(%1) FROM %2").arg(cles[i], tables[i]))
                       .toLongLong();
    }
    void remettre(Connexion& c) const {
        TransactionEcriture t(c);
        for (int i = 0; i < tables.size(); ++i)
            c.executer(QStringLiteral("DELETE FROM %1 WHERE %2 > ?").arg(tables[i], cles[i]), {max[i]});
        t.valider();
    }
};

bool mesurer(const char* moteur, const ParametresConnexion& p, const QString& fichier, int tours) {
    Connexion c(p);
    const Etat etat(c);
    std::vector<double> nu, programme;
    Comptes cNu, cProgramme;
    for (int t = 0; t < tours; ++t) {
        nu.push_back(importerNu(p, QFile::encodeName(fichier), cNu));
        etat.remettre(c);
        programme.push_back(importerProgramme(p, fichier, cProgramme));
        etat.remettre(c);
        if (nu.back() < 0 || programme.back() < 0)
            return false;
    }
    const double mNu = mediane(nu), mProgramme = mediane(programme);
    std::printf("%s, median of %d\n", moteur, tours);
    std::printf("  raw engine      %8.1f ms  (%lld added, %lld updated)\n", mNu,
                static_cast<long long>(cNu.ajoutes), static_cast<long long>(cNu.modifies));
    std::printf("  ImportSalarie   %8.1f ms  (%lld added, %lld updated)\n", mProgramme,
                static_cast<long long>(cProgramme.ajoutes), static_cast<long long>(cProgramme.modifies));
    std::printf("  ratio           %8.2f  (target 2)\n", mProgramme / mNu);
    return mProgramme <= 2 * mNu;
}

} // namespace

int main(int argc, char** argv) {
    if (aideDemandee(argc, argv, kUsage))
        return 0;
    QCoreApplication app(argc, argv);
    int lignes = 10000, tours = 5;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--lignes") == 0)
            lignes = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--tours") == 0)
            tours = std::atoi(argv[++i]);
    }
    QTemporaryDir dir;
    const QString fichier = dir.filePath(QStringLiteral("import.xls"));
    if (!ecrireClasseurBench(QStringLiteral(DORVANE_SCRIPT_CLASSEURS), QStringLiteral("--import"), fichier,
                             lignes))
        return 1;
    std::printf("%d rows into %d employees\n", lignes, DonneesBench::NbSalaries);
    bool ok = true;
    try {
        const ParametresConnexion sqlite = creerBaseBench(dir.path(), DonneesBench::remplir);
        ok = mesurer("SQLite", sqlite, fichier, tours) && ok;
        surServeurBench(QStringLiteral("bench_import"), DonneesBench::remplir,
                        [&](Connexion& c, const QString&) {
                            ok = mesurer("PostgreSQL", c.parametres(), fichier, tours) && ok;
                        });
    } catch (const ErreurExecution& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.description()));
        return 1;
    }
    return ok ? 0 : 2;
}
