#include "common/forms/TraduireForm.h"
#include "common/EtatGlobal.h"
#include "common/IniFile.h"

#include "DossierProgrammeTemp.h"
#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// A control of our own made of inner widgets, like the progress bar.
class ControleCompose : public QWidget {
    Q_OBJECT
public:
    explicit ControleCompose(QWidget* parent) : QWidget(parent) {
        interne = new QLabel(QStringLiteral("0%"), this);
        interne->setObjectName(QStringLiteral("Label1"));
    }
    QLabel* interne;
};

template <class W> W* controle(QWidget* parent, const char* nom, const QString& texte = {}) {
    auto* w = new W(parent);
    w->setObjectName(QString::fromLatin1(nom));
    if constexpr (std::is_same_v<W, QGroupBox>)
        w->setTitle(texte);
    else if constexpr (!std::is_same_v<W, QTableView>)
        w->setText(texte);
    return w;
}

class TraduireFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        reinitialiserEtatGlobal();
        Global().LangueCourante = QStringLiteral("NL");
        forme.setObjectName(QStringLiteral("FrmEssai"));
        forme.setWindowTitle(QStringLiteral("Fiche article"));
        Label1 = controle<QLabel>(&forme, "Label1", QStringLiteral("Article"));
        Frame1 = controle<QGroupBox>(&forme, "Frame1", QStringLiteral("Cadre"));
        Label229 = controle<QLabel>(Frame1, "Label2(29)", QStringLiteral("Taille"));
        Command1 = controle<QPushButton>(Frame1, "Command1", QStringLiteral("Valider"));
        Command1->setToolTip(QStringLiteral("Valide la fiche"));
        Check1 = controle<QCheckBox>(&forme, "Check1", QStringLiteral("Actif"));
        Option1 = controle<QRadioButton>(&forme, "Option1", QStringLiteral("Tous"));
        mnuFichier = new QMenu(QStringLiteral("Fichier"), &forme);
        mnuFichier->setObjectName(QStringLiteral("mnuFichier"));
        mnuQuitter = mnuFichier->addAction(QStringLiteral("Quitter"));
        mnuQuitter->setObjectName(QStringLiteral("mnuQuitter"));
        compose = new ControleCompose(&forme);
        compose->setObjectName(QStringLiteral("ProgessBarre1"));
    }
    void TearDown() override { reinitialiserEtatGlobal(); }

    QString fichier(const QString& nom, const QByteArray& octets) {
        return ecrireFichierTest(dir.filePath(nom), octets);
    }

    QTemporaryDir dir;
    QWidget forme;
    QLabel *Label1, *Label229;
    QGroupBox* Frame1;
    QPushButton* Command1;
    QCheckBox* Check1;
    QRadioButton* Option1;
    QMenu* mnuFichier;
    QAction* mnuQuitter;
    ControleCompose* compose;
};

} // namespace

TEST_F(TraduireFormTest, CaptionsAndTooltipsByObjectName) {
    const QString f = fichier(QStringLiteral("nederlands.lng"), "[FrmEssai]\n"
                                                                "Form.Caption=Artikelfiche\n"
                                                                "Label1.Caption=Artikel\n"
                                                                "Label2(29).Caption=Maat\n"
                                                                "Frame1.Caption=Kader\n"
                                                                "Command1.ToolTipText=Bevestigt de fiche\n"
                                                                "Check1.Caption=Actief\n"
                                                                "Option1.Caption=\" Alle\"\n"
                                                                "mnuFichier.Caption=Bestand\n"
                                                                "mnuQuitter.Caption=Afsluiten\n"
                                                                "mnuQuitter.ToolTipText=Programma sluiten\n"
                                                                "[Andere]\nCommand1.Caption=Fout\n");
    MODTranslate::TraduireForm(&forme, f);
    EXPECT_EQ(forme.windowTitle(), QStringLiteral("Artikelfiche"));
    EXPECT_EQ(Label1->text(), QStringLiteral("Artikel"));
    EXPECT_EQ(Label229->text(), QStringLiteral("Maat"));
    EXPECT_EQ(Frame1->title(), QStringLiteral("Kader"));
    EXPECT_EQ(Command1->toolTip(), QStringLiteral("Bevestigt de fiche"));
    EXPECT_EQ(Check1->text(), QStringLiteral("Actief"));
    EXPECT_EQ(Option1->text(), QStringLiteral(" Alle"));
    EXPECT_EQ(mnuFichier->title(), QStringLiteral("Bestand"));
    EXPECT_EQ(mnuQuitter->text(), QStringLiteral("Afsluiten"));
    EXPECT_EQ(mnuQuitter->toolTip(), QStringLiteral("Programma sluiten"));
    // Missing key: current text kept; another form's section is not read.
    EXPECT_EQ(Command1->text(), QStringLiteral("Valider"));
    // The inner label of a composite control keeps its own text.
    EXPECT_EQ(compose->interne->text(), QStringLiteral("0%"));
    EXPECT_EQ(Global().msg(1), QStringLiteral("Sluiten"));
}

TEST_F(TraduireFormTest, BadFilesLeaveTheFormAsItWas) {
    const QByteArray long300 = "[FrmEssai]\nLabel1.Caption=" + QByteArray(300, 'y') + "\n";
    const QList<QByteArray> contenus{
        QByteArray(),
        "[FrmAutre]\nLabel1.Caption=Artikel\n",
        "FrmEssai]\nLabel1.Caption=Artikel\n",
        QByteArray("\xff\xfe\0[\0F\0r\0m", 11),
    };
    for (const QByteArray& c : contenus) {
        MODTranslate::TraduireForm(&forme, fichier(QStringLiteral("nederlands.lng"), c));
        EXPECT_EQ(Label1->text(), QStringLiteral("Article"));
        EXPECT_EQ(forme.windowTitle(), QStringLiteral("Fiche article"));
    }
    MODTranslate::TraduireForm(&forme, dir.filePath(QStringLiteral("absent.lng")));
    MODTranslate::TraduireForm(&forme, QString());
    MODTranslate::TraduireForm(nullptr, dir.filePath(QStringLiteral("absent.lng")));
    EXPECT_EQ(Label1->text(), QStringLiteral("Article"));

    MODTranslate::TraduireForm(&forme, fichier(QStringLiteral("nederlands.lng"), long300));
    EXPECT_EQ(Label1->text(), QString(254, QLatin1Char('y')));

    // A Windows-1252 file with a broken line still translates the good ones.
    MODTranslate::TraduireForm(&forme, fichier(QStringLiteral("deutch.lng"),
                                               "[FrmEssai]\r\n=\r\nnonsense\r\nLabel1.Caption=Gr\xf6\xdf"
                                               "e\r\n"));
    EXPECT_EQ(Label1->text(), QStringLiteral("Größe"));
}

TEST_F(TraduireFormTest, GridCaptionsFromSectionGridOnTheTableFormsOnly) {
    forme.setObjectName(QStringLiteral("FenSites"));
    auto* DBGrid1 = controle<QTableView>(&forme, "DBGrid1");
    QStandardItemModel modele(0, 2);
    modele.setHorizontalHeaderLabels({QStringLiteral("Nom"), QStringLiteral("Informations")});
    DBGrid1->setModel(&modele);
    const QString f =
        fichier(QStringLiteral("nederlands.lng"), "[Grid]\nFenSites.DBGrid1.Columns(0).Caption=Naam\n"
                                                  "FenSites.DataGrid2.Columns(0).Caption=Naam site\n");
    MODTranslate::TraduireForm(&forme, f);
    EXPECT_EQ(modele.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Naam"));
    // Missing key: the French default of the table.
    EXPECT_EQ(modele.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Informations"));

    // In French the grids are not touched.
    Global().LangueCourante = QStringLiteral("FR");
    modele.setHeaderData(0, Qt::Horizontal, QStringLiteral("Nom"));
    MODTranslate::TraduireForm(&forme, f);
    EXPECT_EQ(modele.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Nom"));
}

TEST_F(TraduireFormTest, MainWindowImportButtonGetsItsFixedEnglishCaption) {
    forme.setObjectName(QStringLiteral("FrmPrincipal"));
    auto* import = controle<QPushButton>(&forme, "CmdImportSalarie", QStringLiteral("Importation Salariés"));
    const QString f = fichier(QStringLiteral("poland.lng"), "[FrmPrincipal]\n");
    Global().LangueCourante = QStringLiteral("FR");
    MODTranslate::TraduireForm(&forme, f);
    EXPECT_EQ(import->text(), QStringLiteral("Importation Salariés"));
    Global().LangueCourante = QStringLiteral("PL");
    MODTranslate::TraduireForm(&forme, f);
    EXPECT_EQ(import->text(), QStringLiteral("Employe import"));
    import->setText(QStringLiteral("Import"));
    MODTranslate::TraduireForm(&forme, f);
    EXPECT_EQ(import->text(), QStringLiteral("Import"));
}

#include "TraduireFormTest.moc"
