#include "common/EtatGlobal.h"
#include "common/FnWendrox.h"
#include "common/forms/Calendrier.h"
#include "common/forms/Instance.h"
#include "reports/forms/FenCompteRendu.h"
#include "reports/forms/FenCrystalRep.h"
#include "staff/forms/FenBadgeMaintenance.h"
#include "staff/forms/FenQuota.h"
#include "staff/forms/FrmUtilisateur.h"
#include "stock/forms/FrmStock.h"
#include "support/CouvertureLangues.h"
#include "support/FormeSurBase.h"

#include <QAbstractItemModel>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

// Every form of the program, built as at start, with the names of controls whose text it sets at run
// time. Each new form adds one line here (or runs clesManquantes in its own forms test).
struct FormeLivree {
    const char* nom;
    std::function<QWidget*()> fabrique;
    QStringList dynamiques;
};

const QList<FormeLivree>& formesLivrees() {
    static const QList<FormeLivree> formes{
        {"Calendrier", [] { return new Calendrier; }, {}},
        {"FenBadgeMaintenance", [] { return new FenBadgeMaintenance; }, {}},
        {"FenQuota", [] { return new FenQuota; }, {}},
        {"FrmUtilisateur", [] { return new FrmUtilisateur; }, {}},
    };
    return formes;
}

} // namespace

TEST(FichiersLangue, EveryCaptionedControlHasAKeyInEachFile) {
    for (const FormeLivree& f : formesLivrees()) {
        std::unique_ptr<QWidget> forme(f.fabrique());
        EXPECT_EQ(forme->objectName(), QString::fromLatin1(f.nom));
        const QStringList manquantes = clesManquantes(forme.get(), f.dynamiques);
        EXPECT_TRUE(manquantes.isEmpty()) << f.nom << ":\n"
                                          << manquantes.join(QLatin1Char('\n')).toStdString();
        // At least the title: a form translated from nothing would pass unnoticed.
        EXPECT_TRUE(clesAttendues(forme.get(), f.dynamiques).contains(QStringLiteral("Form.Caption")));
    }
}

TEST(FichiersLangue, TheCheckFindsAMissingKey) {
    QWidget forme;
    forme.setObjectName(QStringLiteral("Calendrier"));
    forme.setWindowTitle(QStringLiteral("Sélection de date"));
    auto* nouveau = new QPushButton(QStringLiteral("Imprimer"), &forme);
    nouveau->setObjectName(QStringLiteral("CmdImprimer"));
    nouveau->setToolTip(QStringLiteral("Imprimer la période"));
    auto* vide = new QLabel(&forme);
    vide->setObjectName(QStringLiteral("Label2(0)"));
    const QStringList manquantes = clesManquantes(&forme);
    EXPECT_EQ(manquantes.size(), 10);
    EXPECT_TRUE(manquantes.contains(QStringLiteral("poland.lng: [Calendrier] CmdImprimer.ToolTipText")));
    EXPECT_TRUE(clesManquantes(&forme, {QStringLiteral("CmdImprimer")}).isEmpty());
}

namespace {

class TextesDuProgramme : public FormeSurBaseTest {
protected:
    void TearDown() override {
        DetruireInstance<FenCrystalRep>();
        DetruireInstance<FenCompteRendu>();
        FormeSurBaseTest::TearDown();
    }
    // A value of the shipped language file of `langue`.
    static QString livre(const QString& langue, const char* section, const char* cle) {
        const QString chemin =
            QDir(QStringLiteral(DORVANE_RESOURCES_DIR)).filePath(MODTranslate::NomFichierLangue(langue));
        bool trouve = false;
        const QString v = IniFile::lire(chemin, IniFile::codePagePour(chemin))
                              .valeur(QLatin1String(section), QLatin1String(cle), &trouve);
        EXPECT_TRUE(trouve) << qPrintable(langue) << " [" << section << "] " << cle;
        return v;
    }
    static void choisirLangue(const QString& langue, const DossierProgrammeTemp& dossier) {
        Global().LangueCourante = langue;
        Global().FichierLangue = dossier.fichier(MODTranslate::NomFichierLangue(langue));
        Global().Msg = MODTranslate::TextesMessages(langue);
    }
};

} // namespace

// The texts the program writes itself (the export dialogs' titles, the running total of a stock entry,
// the last article column) follow the language as the translated captions do, in
// each of the five languages; the employee grid's machines column shows its header whole.
TEST_F(TextesDuProgramme, FollowTheLanguage) {
    base->executer(
        QStringLiteral("INSERT INTO ArticleEnStock (Reference, CodeArticle, Designation, QteParPaket) "
                       "VALUES (1001, 1, 'GANT', 5)"));
    base->executer(QStringLiteral("INSERT INTO CA (Nom) VALUES ('Dupont')"));
    Global().CheminRapports = FnWendrox::AjouteBackslash(dossier->fichier(QStringLiteral("RPT SQL")));
    dossier->ecrireFichier(QStringLiteral("RPT SQL/ConsParSite.RPT"),
                           R"({"tables": ["CA"], "detail": {"height": 5, "elements": [
                               {"type": "text", "x": 0, "y": 0, "width": 60, "height": 5, "field": "Nom"}]}})");
    // The shipped twin translates the shipped layout, not this one.
    QFile::remove(dossier->fichier(QStringLiteral("RPT SQL/ConsParSiteEN.rpt")));
    FenCompteRendu::periode().TextDebut->setText(QStringLiteral("01/03/2026"));
    FenCompteRendu::periode().TextFin->setText(QStringLiteral("31/03/2026"));

    for (const QString& langue : {QStringLiteral("FR"), QStringLiteral("NL"), QStringLiteral("PL"),
                                  QStringLiteral("SK"), QStringLiteral("DE")}) {
        SCOPED_TRACE(langue.toStdString());
        choisirLangue(langue, *dossier);

        // The export dialogs bear the title of their buttons.
        {
            FenCrystalRep& viewer = Instance<FenCrystalRep>();
            viewer.Load();
            QString fichier = QStringLiteral("ConsParSite.RPT");
            ASSERT_EQ(viewer.ImprimerEtat2(fichier, QString(), QStringLiteral("Sites"), QStringLiteral("CA")),
                      ResultatEtat::Pret);
            viewer.Show();
            ASSERT_TRUE(QTest::qWaitForWindowActive(&viewer));
            QStringList titres;
            const auto titre = [&](const DemandeEnregistrementFichier& d) { titres << d.DlgTitle; };
            dialogues.attendreEnregistrement({false, QString()}, titre);
            QTest::mouseClick(viewer.CmdExportPdf, Qt::LeftButton);
            dialogues.attendreEnregistrement({false, QString()}, titre);
            QTest::mouseClick(viewer.CmdExportExcel, Qt::LeftButton);
            EXPECT_EQ(titres, (QStringList{livre(langue, "FenCrystalRep", "CmdExportPdf.Caption"),
                                           livre(langue, "FenCrystalRep", "CmdExportExcel.Caption")}));
            viewer.Unload();
        }

        // The article grid's last column and the running total of a stock entry.
        {
            FrmStock stock;
            stock.Load();
            stock.Show();
            ASSERT_TRUE(QTest::qWaitForWindowActive(&stock));
            const QString alarme = stock.DBGrid2->model()->headerData(11, Qt::Horizontal).toString();
            EXPECT_EQ(alarme, livre(langue, "Grid", "FrmStock.DBGrid2.Columns(11).Caption"));
            stock.OptionFiche->click();
            stock.CmdEntreStock->click();
            QTest::keyClicks(stock.Text2[3], QStringLiteral("4"));
            EXPECT_EQ(stock.Label4->text(),
                      livre(langue, "FrmStock", "Label4.Total") + QStringLiteral(" 4 x 5 = 20"));
            stock.CmdAnnulStock->click();
        }

        // The machines column of the employee grid, once the window is as narrow as it gets.
        {
            FrmUtilisateur salaries;
            salaries.Show();
            ASSERT_TRUE(QTest::qWaitForWindowActive(&salaries));
            salaries.resize(salaries.minimumSize());
            QHeaderView* entete = salaries.DBGrid1->horizontalHeader();
            EXPECT_EQ(salaries.DBGrid1->model()->headerData(9, Qt::Horizontal).toString(),
                      livre(langue, "Grid", "FrmUtilisateur.DBGrid1.Columns(9).Caption"));
            EXPECT_GE(entete->sectionSize(9), entete->sectionSizeHint(9));
            salaries.Unload();
        }
    }
}
