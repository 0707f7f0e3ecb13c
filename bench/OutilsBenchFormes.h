#pragma once

// The opening shared by the benchmarks that drive a form: offscreen application, French messages, the
// generated data on SQLite, then on the throw-away server when one is reachable. Header only: it needs
// the forms library, which only those benchmarks link.

#include "OutilsBench.h"
#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/MODTranslate.h"
#include "db/Connexion.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

// Points the state (and, for the embedded database, DORVANE_HOME) at the benchmark's database, so that
// forms opened afterwards connect to it as the program would.
inline EtatGlobal& etatSurBaseBench(const ParametresConnexion& p) {
    EtatGlobal& g = Global();
    g.NomServeur = p.serveur;
    g.NomBase = p.base;
    g.UtilisateurSQL = p.utilisateur;
    g.MotDePasseSQL = p.motDePasse;
    if (p.serveur.isEmpty())
        qputenv("DORVANE_HOME", QFile::encodeName(p.dossier));
    return g;
}

// `mesurer(engine, parameters)` runs the measurements once per backend.
template <typename F, typename M>
int executerBenchForme(int argc, char** argv, const char* usage, const QString& nom, F&& remplir,
                       M&& mesurer) {
    if (aideDemandee(argc, argv, usage))
        return 0;
    sansEcranParDefaut();
    QApplication app(argc, argv);
    try {
        Global().Msg = MODTranslate::TextesMessages(QStringLiteral("FR"));
        QTemporaryDir dossier;
        const ParametresConnexion p = creerBaseBench(dossier.path(), remplir);
        mesurer("SQLite", p);
        surServeurBench(nom, remplir,
                        [&](Connexion& c, const QString&) { mesurer("PostgreSQL", c.parametres()); });
    } catch (const ErreurExecution& e) {
        std::fprintf(stderr, "Échec : %s\n", qPrintable(e.description()));
        return 1;
    }
    return 0;
}
