#pragma once

#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/FnWendrox.h"
#include "reports/ReportDefinition.h"
#include "reports/ReportTable.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// What the tests of label sheets, charts and exports share.
namespace OutilsEtats {

inline QString dossierEssais() {
    return QFileInfo(QStringLiteral(__FILE__)).dir().filePath(QStringLiteral("definitions"));
}

inline QString dossierEtats() {
    return QDir(QStringLiteral(DORVANE_RESOURCES_DIR)).filePath(QStringLiteral("RPT SQL"));
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
