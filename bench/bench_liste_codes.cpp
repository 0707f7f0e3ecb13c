// The job codes list over the generator's 5,000 codes: its opening beside the bare reading of the table,
// each on a new connection, and the sorts of its header and buttons. SQLite, and PostgreSQL when
// DORVANE_TEST_PG is set.
#include "DonneesBench.h"
#include "OutilsBench.h"
#include "counter/ListeCodesAffaires.h"
#include "db/Connexion.h"
#include "db/Recordset.h"
#include "db/RecordsetModel.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <vector>

namespace {

const char* const Usage =
    "Usage: bench_liste_codes [--help]\n"
    "\n"
    "Fills a database with the shared generator (bench/DonneesBench.h: 5,000 job codes in ListeNoAffaire)\n"
    "and times:\n"
    "  - the opening of the list as the form opens it: a new connection, the whole table read into its\n"
    "    recordset (key looked up), the grid's model over it edited row by row with its check and the\n"
    "    schema's captions; against a bare QSqlQuery on a new connection reading every value of every row\n"
    "    of SELECT * FROM ListeNoAffaire; alternately in the same process, one warm-up then 21 timed runs\n"
    "    each, medians shown, with the ratio (target: 1.3 at most);\n"
    "  - the sorts the list offers, in memory: a header click (ascending), Command1 (descending) and\n"
    "    Command2 (ascending) on the code, and a header click on the label; median of 21 runs each.\n"
    "SQLite always (a temporary folder); PostgreSQL as well when DORVANE_TEST_PG holds a libpq\n"
    "connection string, e.g. under scripts/with-postgres.\n";

constexpr int Fois = 21;

struct Ouverture {
    int lignes = 0;
    bool captions = false;
};

Ouverture ouvrirListe(const ParametresConnexion& p) {
    Connexion c(p);
    Recordset rs;
    RecordsetModel modele(&rs);
    modele.setModifiable(true);
    modele.setEditionParLigne(true);
    modele.setControle(ListeCodesAffaires::VerifierLigne);
    ListeCodesAffaires::OuvrirListe(c, rs);
    modele.setColonnes({}, ListeCodesAffaires::Entetes(rs));
    return {rs.RecordCount(), modele.headerData(0, Qt::Horizontal).toString() == QLatin1String("NoAffaire")};
}

size_t lireTable(const ParametresConnexion& p) {
    Connexion c(p);
    std::vector<QList<QVariant>> rangs;
    lireNu(c, QStringLiteral("SELECT * FROM ListeNoAffaire"), rangs);
    return rangs.size();
}

void mesurer(const char* moteur, Connexion& connexion) {
    const ParametresConnexion p = connexion.parametres();
    std::vector<double> liste, nu;
    Ouverture ouverture;
    size_t lignes = 0;
    for (int essai = 0; essai <= Fois; ++essai) {
        auto mesurerListe = [&] {
            QElapsedTimer chrono;
            chrono.start();
            ouverture = ouvrirListe(p);
            if (essai > 0)
                liste.push_back(chrono.nsecsElapsed() / 1e6);
        };
        auto mesurerNu = [&] {
            QElapsedTimer chrono;
            chrono.start();
            lignes = lireTable(p);
            if (essai > 0)
                nu.push_back(chrono.nsecsElapsed() / 1e6);
        };
        dansLOrdre(essai, mesurerNu, mesurerListe);
    }
    const double a = mediane(liste), b = mediane(nu);
    std::printf("%-10s | list opened %7.2f ms | bare SELECT * %7.2f ms | ratio %4.2f | %d rows%s%s\n", moteur,
                a, b, a / b, ouverture.lignes,
                static_cast<size_t>(ouverture.lignes) == lignes ? "" : " (ROW COUNTS DIFFER)",
                ouverture.captions ? "" : " (CAPTIONS DIFFER)");

    // The sorts, on the list as it stays open in the form.
    Recordset rs;
    RecordsetModel modele(&rs);
    modele.setModifiable(true);
    modele.setEditionParLigne(true);
    ListeCodesAffaires::OuvrirListe(connexion, rs);
    rs.MoveTo(rs.RecordCount() / 2);
    const double clic = medianeMs(Fois, [&] { modele.sort(0, Qt::AscendingOrder); });
    const double decroissant = medianeMs(Fois, [&] { modele.sort(0, Qt::DescendingOrder); });
    const double croissant = medianeMs(Fois, [&] { modele.sort(0, Qt::AscendingOrder); });
    const double libelle = medianeMs(Fois, [&] { modele.sort(1, Qt::AscendingOrder); });
    std::printf("%-10s | sort: header click on the code %6.2f ms, Command1 %6.2f ms, Command2 %6.2f ms, "
                "header click on the label %6.2f ms\n",
                moteur, clic, decroissant, croissant, libelle);
}

} // namespace

int main(int argc, char** argv) {
    if (aideDemandee(argc, argv, Usage))
        return 0;
    QCoreApplication app(argc, argv);
    return surLesDeuxBases(QStringLiteral("bench_liste_codes"), DonneesBench::remplir,
                           [](const char* moteur, Connexion& c) { mesurer(moteur, c); });
}
