#pragma once

#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/FnWendrox.h"
#include "reports/ReportData.h"
#include "reports/ReportDefinition.h"
#include "reports/ReportTable.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// What the tests of label sheets, charts and exports share.
namespace OutilsEtats {

// From the resources folder, not __FILE__: a compiler cache may make that path relative to the build.
inline QString dossierEssais() {
    return QDir(QStringLiteral(DORVANE_RESOURCES_DIR "/../tests/reports")).filePath(QStringLiteral("definitions"));
}

inline QString dossierEtats() {
    return QDir(QStringLiteral(DORVANE_RESOURCES_DIR)).filePath(QStringLiteral("RPT SQL"));
}

// The French report that a shipped English twin translates ("ConsParSiteEN.rpt": "ConsParSite.RPT"), or
// the file itself: the callers name the French file, and the viewer binds the twin as they name it.
inline QString etatFrancais(const QString& fichier) {
    if (!fichier.endsWith(QLatin1String("EN.rpt"), Qt::CaseInsensitive))
        return fichier;
    const QString debut = fichier.chopped(6);
    for (const QString& f : QDir(dossierEtats()).entryList(QDir::Files))
        if (f.size() == debut.size() + 4 && f.startsWith(debut, Qt::CaseInsensitive) && f != fichier)
            return f;
    return fichier;
}

// The record source the program hands the viewer with a shipped report, by its French name.
inline QString sourceEtat(const QString& francais) {
    static const QHash<QString, QString> sources = {
        {QStringLiteral("ArticleRupture.RPT"), QString()},
        {QStringLiteral("CodeBarSalarie.RPT"), QStringLiteral("GrUtilisateur")},
        {QStringLiteral("FicheImageProduit.RPT"), QStringLiteral("ARemplissageMachine order by Etage")},
        {QStringLiteral("RemplissageMachineCasier.RPT"),
         QStringLiteral("ARemplissageMachine order by Etage")},
        {QStringLiteral("RemplissageMachineCasierQteMulti.RPT"),
         QStringLiteral("ARemplissageMachine order by Etage")},
        {QStringLiteral("FicheSelectProduit.RPT"), QStringLiteral("ARemplissageMachine")},
        {QStringLiteral("FicheSelectProduitxls.RPT"), QStringLiteral("ARemplissageMachine")},
        {QStringLiteral("RemplissageMachine.RPT"), QStringLiteral("ARemplissageMachine")},
        {QStringLiteral("RemplissageMachineGlobal.RPT"),
         QStringLiteral("ARemplissageMachine  order by ReferenceArticle")},
        {QStringLiteral("RemplissageMachineGlobalTotalArt.RPT"),
         QStringLiteral("ARemplissageMachine order by ReferenceArticle")},
        {QStringLiteral("consoparmachineServiceTalmer.rpt"), QStringLiteral("ConsoParMachineSecteur")}};
    if (sources.contains(francais))
        return sources.value(francais);
    if (francais.startsWith(QLatin1String("Cons"), Qt::CaseInsensitive))
        return QStringLiteral("CA");
    if (francais.startsWith(QLatin1String("Stock")) || francais.startsWith(QLatin1String("ValeurStock")))
        return QStringLiteral("StockGlobal");
    if (francais.startsWith(QLatin1String("Salarie")))
        return QStringLiteral("GrUtilisateur");
    if (francais.contains(QLatin1String("RetraitRetour")))
        return QStringLiteral("Retour");
    ADD_FAILURE() << "no record source known for " << francais.toStdString();
    return {};
}

// The tables the viewer binds to a shipped report, by position: the record source as given, the others
// by name.
inline QStringList tablesEtat(const QString& fichier) {
    const QString francais = etatFrancais(fichier);
    const QString source = sourceEtat(francais);
    QStringList r;
    for (const ReportData::Table t : ReportData::tables(ReportData::rule(francais, source)))
        r << (t == ReportData::Table::Source ? source : ReportData::tableName(t));
    return r;
}

inline ReportTable table(const QStringList& colonnes, const QList<QVariantList>& lignes) {
    ReportTable t;
    t.setColumns(colonnes);
    for (const QVariantList& l : lignes)
        t.appendRow(l);
    return t;
}

// The description of the failure `f` throws, or a test failure when it throws nothing.
template <typename F> QString echec(F&& f, qint32 numero = ReportDefinition::ErrorNumber) {
    try {
        f();
    } catch (const ErreurExecution& e) {
        EXPECT_EQ(e.numero(), numero) << e.description().toStdString();
        return e.description();
    }
    ADD_FAILURE() << "no failure";
    return {};
}

// A fixed print date and a fresh state; a folder for the files of the test.
class EtatsTest : public ::testing::Test {
protected:
    void SetUp() override {
        reinitialiserEtatGlobal();
        FnWendrox::definirHorloge([] { return QDateTime(QDate(2026, 4, 5), QTime(9, 30)); });
    }
    void TearDown() override {
        FnWendrox::definirHorloge({});
        reinitialiserEtatGlobal();
    }
    QString fichier(const QString& nom) const { return QDir(m_dossier.path()).filePath(nom); }
    QTemporaryDir m_dossier;
};

} // namespace OutilsEtats
